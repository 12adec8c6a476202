/*
 * pvxj/error.h - error objects. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions and types apply.
 */
#ifndef PVXJ_ERROR_H
#define PVXJ_ERROR_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Errors                                                                   */
/* ------------------------------------------------------------------------ */

/* Error objects carry a return code and message parameters. */
int32_t PvxjErrorRc(PvxjError error);
int32_t PvxjErrorCopy(PvxjError error, PvxjError* copy);
unsigned char PvxjErrorEqual(PvxjError error, PvxjError other);
char* PvxjErrorMessageText(PvxjError error, char* buffer, uint32_t bufferLength);
PvxjStringVector PvxjErrorParameters(PvxjError error);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_ERROR_H */
