/*
 * pvxj/activity_instance.h - activity instances as a process administrator
 * sees them, and activity instance lists. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions apply; the activity instance name (PvxjActivityInstanceName),
 * the deallocate functions and the vector walks are declared there, the
 * shared enumerations (Pvx_AT_, Pvx_AE_) in pvxj/workitem.h.
 */
#ifndef PVXJ_ACTIVITY_INSTANCE_H
#define PVXJ_ACTIVITY_INSTANCE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Activity instance state (bit values). */
#define Pvx_AS_NotSet 0
#define Pvx_AS_Ready 1
#define Pvx_AS_Running 2
#define Pvx_AS_Finished 4
#define Pvx_AS_Terminated 8
#define Pvx_AS_Suspended 16
#define Pvx_AS_Inactive 32
#define Pvx_AS_CheckedOut 64
#define Pvx_AS_InError 128
#define Pvx_AS_Executed 256
#define Pvx_AS_Planning 512
#define Pvx_AS_ForceFinished 1024
#define Pvx_AS_Skipped 2048
#define Pvx_AS_Deleted 4096
#define Pvx_AS_Terminating 8192
#define Pvx_AS_Suspending 16384
#define Pvx_AS_Expired 32768

int32_t PvxjActivityInstanceCopy(PvxjActivityInstance activityInstance, PvxjActivityInstance* copy);
unsigned char PvxjActivityInstanceEqual(PvxjActivityInstance activityInstance, PvxjActivityInstance other);
int32_t PvxjActivityInstanceRefresh(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstancePersistentObject(PvxjExecutionService service, const char* oid,
                                             PvxjActivityInstance* activityInstance);
char* PvxjActivityInstancePersistentOid(PvxjActivityInstance activityInstance, char* buffer,
                                        uint32_t bufferLength);
int32_t PvxjActivityInstanceInContainer(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer* container);
int32_t PvxjActivityInstanceOutContainer(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer* container);
int32_t PvxjActivityInstanceSetOutContainer(PvxjActivityInstance activityInstance, PvxjReadWriteContainer container);
/* The process administrator's recovery. readOnly/readWrite 0: none; given
 * both, the read-write one is used. ForceFinish: the activity counts as
 * finished with the container (or its input) as output. ForceRestart: an
 * activity that has ended is offered again, with the container as input. */
int32_t PvxjActivityInstanceForceFinish(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer readOnly,
                                        PvxjReadWriteContainer readWrite);
int32_t PvxjActivityInstanceForceRestart(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer readOnly,
                                         PvxjReadWriteContainer readWrite);
/* An activity in error is offered again. */
int32_t PvxjActivityInstanceRestart(PvxjActivityInstance activityInstance);
/* An executed activity (manual exit) is finished, with its output. */
int32_t PvxjActivityInstanceFinish(PvxjActivityInstance activityInstance);
/* An executed activity (manual exit) is offered again. */
int32_t PvxjActivityInstanceReexecute(PvxjActivityInstance activityInstance);
/* The staff of a ready activity is resolved again and its work items made anew. */
int32_t PvxjActivityInstanceReschedule(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceTerminate(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceCancelCheckOut(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceSetDescription(PvxjActivityInstance activityInstance, const char* description);
/* Work items for one user: a new one (PVX_ERROR_NOT_UNIQUE when the user has
 * one), removed, or moved to another user. */
int32_t PvxjActivityInstanceCreateWorkitem(PvxjActivityInstance activityInstance, const char* userId);
int32_t PvxjActivityInstanceDeleteWorkitem(PvxjActivityInstance activityInstance, const char* userId);
int32_t PvxjActivityInstanceTransferWorkitem(PvxjActivityInstance activityInstance, const char* fromUserId,
                                             const char* toUserId);
int32_t PvxjActivityInstanceProcessInstance(PvxjActivityInstance activityInstance, PvxjProcessInstance* instance);
int32_t PvxjActivityInstanceSubProcessInstance(PvxjActivityInstance activityInstance,
                                               PvxjProcessInstance* instance);
int32_t PvxjActivityInstanceErrorReason(PvxjActivityInstance activityInstance, PvxjError* error);
PvxjStringVector PvxjActivityInstanceStaff(PvxjActivityInstance activityInstance);
PvxjStringVector PvxjActivityInstanceFirstNotifiedPersons(PvxjActivityInstance activityInstance);
PvxjStringVector PvxjActivityInstanceSecondNotifiedPersons(PvxjActivityInstance activityInstance);
PvxjStringVector PvxjActivityInstanceSupportTools(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceState(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceKind(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceStateOfNotification(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceProcessInstanceState(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceIsComplete(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceManualExitMode(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceManualStartMode(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceCategoryIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceDescriptionIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceDocumentationIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceEndTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceActivationTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceStartTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceFirstNotificationTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceSecondNotificationTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceExpirationTimeIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceImplementationIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceStarterIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceErrorReasonIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstancePriorityIsNull(PvxjActivityInstance activityInstance);
unsigned char PvxjActivityInstanceProcessAdminIsNull(PvxjActivityInstance activityInstance);
char* PvxjActivityInstanceCategory(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceDescription(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceDocumentation(PvxjActivityInstance activityInstance, char* buffer,
                                        uint32_t bufferLength);
char* PvxjActivityInstanceFullName(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceInContainerName(PvxjActivityInstance activityInstance, char* buffer,
                                          uint32_t bufferLength);
char* PvxjActivityInstanceOutContainerName(PvxjActivityInstance activityInstance, char* buffer,
                                           uint32_t bufferLength);
char* PvxjActivityInstanceProcessInstanceName(PvxjActivityInstance activityInstance, char* buffer,
                                              uint32_t bufferLength);
char* PvxjActivityInstanceStarter(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceImplementation(PvxjActivityInstance activityInstance, char* buffer,
                                         uint32_t bufferLength);
char* PvxjActivityInstanceStartCondition(PvxjActivityInstance activityInstance, char* buffer,
                                         uint32_t bufferLength);
char* PvxjActivityInstanceExitCondition(PvxjActivityInstance activityInstance, char* buffer,
                                        uint32_t bufferLength);
char* PvxjActivityInstanceProcessAdmin(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceProcessInstanceSystemGroupName(PvxjActivityInstance activityInstance, char* buffer,
                                                         uint32_t bufferLength);
char* PvxjActivityInstanceProcessInstanceSystemName(PvxjActivityInstance activityInstance, char* buffer,
                                                    uint32_t bufferLength);
char* PvxjActivityInstanceIcon(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength);
PvxjDateTime PvxjActivityInstanceStartTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceEndTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceActivationTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceFirstNotificationTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceSecondNotificationTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceExpirationTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceLastModificationTime(PvxjActivityInstance activityInstance);
PvxjDateTime PvxjActivityInstanceLastStateChangeTime(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstancePriority(PvxjActivityInstance activityInstance);
int32_t PvxjActivityInstanceObtainProcessInstanceMonitor(PvxjActivityInstance activityInstance, unsigned char deep,
                                                         PvxjProcessInstanceMonitor* monitor);
int32_t PvxjActivityInstanceObtainProcessMonitor(PvxjActivityInstance activityInstance, unsigned char deep,
                                                 PvxjInstanceMonitor* monitor);
/* The layout of the activity's symbol in its process diagram. */
int32_t PvxjActivityInstanceSymbolLayout(PvxjActivityInstance activityInstance, PvxjSymbolLayout* layout);

/* Activity instance lists. */
int32_t PvxjActivityInstanceListCopy(PvxjActivityInstanceList list, PvxjActivityInstanceList* copy);
unsigned char PvxjActivityInstanceListEqual(PvxjActivityInstanceList list, PvxjActivityInstanceList other);
int32_t PvxjActivityInstanceListQueryActivityInstances(PvxjActivityInstanceList list,
                                                       PvxjActivityInstanceVector* vector);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_ACTIVITY_INSTANCE_H */
