/*
 * pvxj/message.h - message texts. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions and types apply.
 */
#ifndef PVXJ_MESSAGE_H
#define PVXJ_MESSAGE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Messages                                                                 */
/* ------------------------------------------------------------------------ */

/* The text of a numbered message with %1 .. %9 replaced by the elements of
 * parameters (0: none); NULL for an unknown message number. */
char* PvxjMessageText(uint32_t messageId, PvxjStringVector parameters,
                      char* buffer, uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_MESSAGE_H */
