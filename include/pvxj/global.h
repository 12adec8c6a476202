/*
 * pvxj/global.h - the client's configuration. Included by pvxj/pvxj.h; builds on
 * pvxj/base.h, whose conventions and types apply.
 */
#ifndef PVXJ_GLOBAL_H
#define PVXJ_GLOBAL_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Global: the client's configuration                                       */
/* ------------------------------------------------------------------------ */

/* Connects the client to its configuration (the store); Disconnect closes it.
 * Both may be repeated. */
int32_t PvxjGlobalConnect(void);
int32_t PvxjGlobalDisconnect(void);
/* Selects a named configuration of this process (NULL or "": the default). */
int32_t PvxjGlobalSetConfigurationID(const char* configurationId);
/* The selected configuration's name; NULL when the default is in use. */
char* PvxjGlobalConfigurationID(char* buffer, uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_GLOBAL_H */
