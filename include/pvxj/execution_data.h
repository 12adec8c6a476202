/*
 * pvxj/execution_data.h - the data of an asynchronous reply, as
 * PvxjExecutionServiceReceive hands it out. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions apply.
 */
#ifndef PVXJ_EXECUTION_DATA_H
#define PVXJ_EXECUTION_DATA_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kind of a reply. */
#define Pvx_DART_NotSet 0
#define Pvx_DART_Error 1
#define Pvx_DART_Terminate 2
#define Pvx_DART_ItemDeleted 1000
#define Pvx_DART_ItemUpdated 1001
#define Pvx_DART_Workitem 1002
#define Pvx_DART_ActivityInstanceNotification 1003
#define Pvx_DART_ProcessInstanceNotification 1004
#define Pvx_DART_ExecuteInstanceResponse 1100

int32_t PvxjExecutionDataCopy(PvxjExecutionData data, PvxjExecutionData* copy);
/* 1 for a reply of kind Pvx_DART_Error. */
unsigned char PvxjExecutionDataIsError(PvxjExecutionData data);
int32_t PvxjExecutionDataKind(PvxjExecutionData data);
/* The user context the request was given; NULL when none. */
char* PvxjExecutionDataUserContext(PvxjExecutionData data, char* buffer, uint32_t bufferLength);
unsigned char PvxjExecutionDataUserContextIsNull(PvxjExecutionData data);
/* The persistent identifier of the object the reply carries; NULL when none. */
char* PvxjExecutionDataPersistentOid(PvxjExecutionData data, char* buffer, uint32_t bufferLength);

/* The object the reply carries, as a new object of its class; 0 when the
 * reply carries none of that class (the thread's result says why). */
PvxjWorkitem PvxjExecutionDataWorkitemFromData(PvxjExecutionData data);
PvxjActivityInstanceNotification PvxjExecutionDataActivityInstanceNotificationFromData(
    PvxjExecutionData data);
PvxjProcessInstanceNotification PvxjExecutionDataProcessInstanceNotificationFromData(
    PvxjExecutionData data);
PvxjProcessInstance PvxjExecutionDataProcessInstanceFromData(PvxjExecutionData data);
PvxjReadOnlyContainer PvxjExecutionDataReadOnlyContainerFromData(PvxjExecutionData data);
PvxjError PvxjExecutionDataErrorFromData(PvxjExecutionData data);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_EXECUTION_DATA_H */
