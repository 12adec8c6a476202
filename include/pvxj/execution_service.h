/*
 * pvxj/execution_service.h - the execution service: allocation, sessions,
 * the program execution agent, asynchronous replies, stored lists,
 * queries, objects from persistent identifiers and streams. Included by
 * pvxj/pvxj.h; builds on pvxj/base.h, whose conventions and types apply.
 */
#ifndef PVXJ_EXECUTION_SERVICE_H
#define PVXJ_EXECUTION_SERVICE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Execution service: allocation                                            */
/* ------------------------------------------------------------------------ */

/* Allocates a service for the default system of the default system group. */
int32_t PvxjExecutionServiceAllocate(PvxjExecutionService* service);

/* Allocates a service for the default system of a system group (NULL or ""
 * means the default group). A wrong group is reported by the logon. */
int32_t PvxjExecutionServiceAllocateForGroup(const char* systemGroup,
                                             PvxjExecutionService* service);

/* Allocates a service for a named system of a system group (NULL or "" means
 * the default). A wrong name is reported by the logon. */
int32_t PvxjExecutionServiceAllocateForSystem(const char* system,
                                              const char* systemGroup,
                                              PvxjExecutionService* service);

/* Creates a second handle on the same session: logging off through either
 * ends it for both. */
int32_t PvxjExecutionServiceCopy(PvxjExecutionService service,
                                 PvxjExecutionService* copy);

/* PvxjExecutionServiceDeallocate (with the other deallocate functions below)
 * frees the handle. The session ends with the last handle on it. */

/* 1 when both handles are valid and stand for the same session object. */
unsigned char PvxjExecutionServiceEqual(PvxjExecutionService service,
                                        PvxjExecutionService other);

/* ------------------------------------------------------------------------ */
/* Execution service: sessions                                              */
/* ------------------------------------------------------------------------ */

/* Logs a user on. sessionMode is one of Pvx_SM_..., absentIndicator one of
 * Pvx_SA_... (Pvx_SA_Reset clears the user's absence). */
int32_t PvxjExecutionServiceLogon(PvxjExecutionService service,
                                  const char* userId, const char* password,
                                  int32_t sessionMode, int32_t absentIndicator);

/* Logs on with credential bytes. When userName is given the credentials are
 * that user's password; otherwise they are "USERID:PASSWORD". */
int32_t PvxjExecutionServiceLogonWithCredentials(
    PvxjExecutionService service, const unsigned char* credentials,
    uint32_t credentialLength, int32_t sessionMode, int32_t absentIndicator,
    const char* userName);

/* Ends the service's session. */
int32_t PvxjExecutionServiceLogoff(PvxjExecutionService service);

/* Ends every session of a user. Needs an administrator unless the user is
 * the caller. */
int32_t PvxjExecutionServiceForceLogoff(PvxjExecutionService service,
                                        const char* userId);

/* Attaches a logged-off service to an existing session of a user, for
 * example one opened by another process. */
int32_t PvxjExecutionServiceSetSessionContext(PvxjExecutionService service,
                                              const char* userId,
                                              const char* sessionId);

/* The identifier of the service's session, usable by SetSessionContext. */
char* PvxjExecutionServiceSessionID(PvxjExecutionService service,
                                    char* buffer, uint32_t bufferLength);

/* Marks a user (NULL: the caller) absent or present. Another user needs an
 * administrator or the user's manager. */
int32_t PvxjExecutionServiceSetPersonAbsent(PvxjExecutionService service,
                                            const char* userId,
                                            unsigned char absence);

/* Re-reads the session from the server. */
int32_t PvxjServiceRefresh(PvxjExecutionService service);

/* Changes the logged-on user's password. */
int32_t PvxjServiceSetPassword(PvxjExecutionService service,
                               const char* password);

/* The person object of the logged-on user. */
int32_t PvxjServiceUserSettings(PvxjExecutionService service,
                                PvxjPerson* person);

/* 1 when the service has a live session. */
unsigned char PvxjServiceIsLoggedOn(PvxjExecutionService service);

/* Reconnect count and timeout (milliseconds) of the service. */
int32_t PvxjServiceReconnectCount(PvxjExecutionService service);
int32_t PvxjServiceTimeout(PvxjExecutionService service);
void PvxjServiceSetReconnectCount(PvxjExecutionService service, int32_t count);
void PvxjServiceSetTimeout(PvxjExecutionService service, int32_t timeout);

/* Names of the system and system group the service is bound to, and the
 * logged-on user's identifier (NULL when nobody is logged on). */
char* PvxjServiceSystemName(PvxjExecutionService service, char* buffer,
                            uint32_t bufferLength);
char* PvxjServiceSystemGroupName(PvxjExecutionService service, char* buffer,
                                 uint32_t bufferLength);
char* PvxjServiceUserID(PvxjExecutionService service, char* buffer,
                        uint32_t bufferLength);

/* ------------------------------------------------------------------------ */
/* Execution service: program execution agent and asynchronous replies      */
/* ------------------------------------------------------------------------ */

/* Starts and stops the logged-on user's program execution agent. */
int32_t PvxjExecutionServicePEAStartUp(PvxjExecutionService service);
int32_t PvxjExecutionServicePEAShutDown(PvxjExecutionService service);

/* Stops another user's agent; needs an administrator unless it is the
 * caller's own. */
int32_t PvxjExecutionServiceForcePEAShutDown(PvxjExecutionService service,
                                             const char* userId);

/* Takes over the session of the program execution that started this
 * process (named by the agent through the environment). Outside such a
 * process PVX_ERROR_INVALID_PROGRAMID; PVX_ERROR_PEA_NOT_RUNNING once the
 * user's agent has stopped. */
int32_t PvxjExecutionServicePassthrough(PvxjExecutionService service);

/* Takes over the session of the program execution with this identifier. */
int32_t PvxjExecutionServiceRemotePassthrough(PvxjExecutionService service,
                                              const char* programId);

/* Waits up to timeout milliseconds (negative: the service's timeout; the
 * wait is capped) for a reply to the session. A non-zero correlId selects the
 * reply of that request; an all-zero one receives any reply and is filled in
 * with its identifier. */
int32_t PvxjExecutionServiceReceive(PvxjExecutionService service,
                                    unsigned char* correlId,
                                    PvxjExecutionData* data, int32_t timeout);

/* Posts a termination reply, so that a waiting Receive (for correlId, or for
 * any request when it is NULL) returns. */
int32_t PvxjExecutionServiceTerminateReceive(PvxjExecutionService service,
                                             const unsigned char* correlId);

/* ------------------------------------------------------------------------ */
/* Execution service: stored lists                                         */
/* ------------------------------------------------------------------------ */

/* Each creates a stored list. listType is Pvx_LT_Public or Pvx_LT_Private;
 * owner (private lists only) defaults to the caller, another owner needs an
 * administrator. filter, sortCriteria and threshold (NULL: none) apply when
 * the list is queried. */
int32_t PvxjExecutionServiceCreateActivityInstanceList(
    PvxjExecutionService service, const char* listName, int32_t listType,
    const char* owner, const char* description, const char* filter,
    const char* sortCriteria, const uint32_t* threshold,
    PvxjActivityInstanceList* list);
int32_t PvxjExecutionServiceCreateProcessInstanceList(
    PvxjExecutionService service, const char* listName, int32_t listType,
    const char* owner, const char* description, const char* filter,
    const char* sortCriteria, const uint32_t* threshold,
    PvxjProcessInstanceList* list);
int32_t PvxjExecutionServiceCreateProcessTemplateList(
    PvxjExecutionService service, const char* listName, int32_t listType,
    const char* owner, const char* description, const char* filter,
    const char* sortCriteria, const uint32_t* threshold,
    PvxjProcessTemplateList* list);
int32_t PvxjExecutionServiceCreateWorklist(
    PvxjExecutionService service, const char* listName, int32_t listType,
    const char* owner, const char* description, const char* filter,
    const char* sortCriteria, const uint32_t* threshold, PvxjWorklist* list);

/* Each returns the stored lists of its kind that the caller can see (public
 * ones and the caller's private ones), adding them to *vector when it
 * already holds a vector. */
int32_t PvxjExecutionServiceQueryActivityInstanceLists(
    PvxjExecutionService service, PvxjActivityInstanceListVector* vector);
int32_t PvxjExecutionServiceQueryProcessInstanceLists(
    PvxjExecutionService service, PvxjProcessInstanceListVector* vector);
int32_t PvxjExecutionServiceQueryProcessTemplateLists(
    PvxjExecutionService service, PvxjProcessTemplateListVector* vector);
int32_t PvxjExecutionServiceQueryWorklists(PvxjExecutionService service,
                                           PvxjWorklistVector* vector);

/* ------------------------------------------------------------------------ */
/* Execution service: queries                                               */
/* ------------------------------------------------------------------------ */

/* Each returns the objects of its kind that match filter (NULL: all), in the
 * order of sortCriteria (NULL: creation order), at most *threshold of them
 * (NULL: no limit). The result is added to *vector when it already holds a
 * vector of the kind. */
int32_t PvxjExecutionServiceQueryActivityInstances(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjActivityInstanceVector* vector);
int32_t PvxjExecutionServiceQueryProcessInstances(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessInstanceVector* vector);
int32_t PvxjExecutionServiceQueryProcessTemplates(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessTemplateVector* vector);
int32_t PvxjExecutionServiceQueryItems(PvxjExecutionService service,
                                       const char* filter,
                                       const char* sortCriteria,
                                       const uint32_t* threshold,
                                       PvxjItemVector* vector);
int32_t PvxjExecutionServiceQueryWorkitems(PvxjExecutionService service,
                                           const char* filter,
                                           const char* sortCriteria,
                                           const uint32_t* threshold,
                                           PvxjWorkitemVector* vector);
int32_t PvxjExecutionServiceQueryActivityInstanceNotifications(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjActivityInstanceNotificationVector* vector);
int32_t PvxjExecutionServiceQueryProcessInstanceNotifications(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessInstanceNotificationVector* vector);

/* ------------------------------------------------------------------------ */
/* Execution service: objects from persistent identifiers and streams       */
/* ------------------------------------------------------------------------ */

/* Each restores an object from the persistent identifier text that the
 * object's ...PersistentOid function gave out, in this or an earlier run.
 * Returns 0 for a malformed, unknown or wrong-kind identifier. */
PvxjActivityInstance PvxjExecutionServicePersistentActivityInstance(
    PvxjExecutionService service, const char* oid);
PvxjActivityInstanceNotification
PvxjExecutionServicePersistentActivityInstanceNotification(
    PvxjExecutionService service, const char* oid);
PvxjInstanceMonitor PvxjExecutionServicePersistentInstanceMonitor(
    PvxjExecutionService service, const char* oid);
PvxjProcessInstance PvxjExecutionServicePersistentProcessInstance(
    PvxjExecutionService service, const char* oid);
PvxjProcessInstanceNotification
PvxjExecutionServicePersistentProcessInstanceNotification(
    PvxjExecutionService service, const char* oid);
PvxjProcessTemplate PvxjExecutionServicePersistentProcessTemplate(
    PvxjExecutionService service, const char* oid);
PvxjProcessInstanceList PvxjExecutionServicePersistentProcessInstanceList(
    PvxjExecutionService service, const char* oid);
PvxjProcessTemplateList PvxjExecutionServicePersistentProcessTemplateList(
    PvxjExecutionService service, const char* oid);
PvxjWorkitem PvxjExecutionServicePersistentWorkitem(
    PvxjExecutionService service, const char* oid);
PvxjWorklist PvxjExecutionServicePersistentWorklist(
    PvxjExecutionService service, const char* oid);

/* The person with this user identifier; NULL means the logged-on user. */
PvxjPerson PvxjExecutionServicePersistentPerson(PvxjExecutionService service,
                                                const char* userId);

/* Each rebuilds an object from a stream that the object's ...AsStream
 * function produced. Returns 0 for a stream that is not one. */
PvxjProgramData PvxjExecutionServiceProgramDataFromStream(
    PvxjExecutionService service, const unsigned char* stream,
    uint32_t streamLength);
PvxjProgramTemplate PvxjExecutionServiceProgramTemplateFromStream(
    PvxjExecutionService service, const unsigned char* stream,
    uint32_t streamLength);
PvxjReadOnlyContainer PvxjExecutionServiceReadOnlyContainerFromStream(
    PvxjExecutionService service, const unsigned char* stream,
    uint32_t streamLength);
PvxjReadWriteContainer PvxjExecutionServiceReadWriteContainerFromStream(
    PvxjExecutionService service, const unsigned char* stream,
    uint32_t streamLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_EXECUTION_SERVICE_H */
