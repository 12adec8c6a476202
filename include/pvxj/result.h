/*
 * pvxj/result.h - the result of the calling thread. Included by
 * pvxj/pvxj.h; builds on pvxj/base.h, whose conventions and types apply.
 */
#ifndef PVXJ_RESULT_H
#define PVXJ_RESULT_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Results                                                                  */
/* ------------------------------------------------------------------------ */

/* Every API call sets the result of the calling thread: its return code,
 * the function it came from and a numbered message with parameters. The
 * result functions themselves leave it alone. */

/* The calling thread's result object: the same handle on every call of one
 * thread, holding the thread's result as it was at the latest call of this
 * function (reading it changes nothing). */
PvxjResult PvxjResultObjectOfCurrentThread(void);
int32_t PvxjResultRc(PvxjResult result);
char* PvxjResultOrigin(PvxjResult result, char* buffer, uint32_t bufferLength);
/* The message text with its parameters put in; NULL when the result is OK. */
char* PvxjResultMessageText(PvxjResult result, char* buffer, uint32_t bufferLength);
/* The message parameters as a new string vector (walk it with the
 * ...ResultParm... functions); 0 for an invalid result. */
PvxjStringVector PvxjResultParameters(PvxjResult result);
/* Sets the calling thread's result as a program reports it: the return code,
 * where it arose and the message parameters (vector may be 0). */
void PvxjResultSetResult(int32_t returnCode, const char* file, int32_t line,
                         const char* function, PvxjStringVector parameters);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_RESULT_H */
