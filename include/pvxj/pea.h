/*
 * pvxj/pea.h - what a program started by the program execution agent
 * learns about its work. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions and
 * types apply.
 */
#ifndef PVXJ_PEA_H
#define PVXJ_PEA_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Program execution agent: what a started program learns about its work    */
/* ------------------------------------------------------------------------ */

/* Outside a program started by the agent these return NULL (and true for
 * ...IsNull). The remote forms ask about another program execution by its
 * identifier. */
char* PvxjPEAProgramID(char* buffer, uint32_t bufferLength);
char* PvxjPEAUserID(char* buffer, uint32_t bufferLength);
char* PvxjPEAProcessContext(char* buffer, uint32_t bufferLength);
unsigned char PvxjPEAProcessContextIsNull(void);
char* PvxjPEAPersistentOidOfActivityInstance(char* buffer, uint32_t bufferLength);
char* PvxjPEARemoteUserID(const char* programId, char* buffer, uint32_t bufferLength);
char* PvxjPEARemoteProcessContext(const char* programId, char* buffer, uint32_t bufferLength);
unsigned char PvxjPEARemoteProcessContextIsNull(const char* programId);
char* PvxjPEARemotePersistentOidOfActivityInstance(const char* programId, char* buffer,
                                                    uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_PEA_H */
