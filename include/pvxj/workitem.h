/*
 * pvxj/workitem.h - items (the entries of a worklist of any kind) and work
 * items. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply; the item name
 * (PvxjItemName), the deallocate functions and the vector walks are declared
 * there.
 *
 * The item functions accept an item, a work item or a notification handle:
 * a work item is an item, and its item properties are read through them.
 */
#ifndef PVXJ_WORKITEM_H
#define PVXJ_WORKITEM_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Item state (bit values). */
#define Pvx_IS_NotSet 0
#define Pvx_IS_Ready 1
#define Pvx_IS_Running 2
#define Pvx_IS_Finished 4
#define Pvx_IS_Terminated 8
#define Pvx_IS_Suspended 16
#define Pvx_IS_Disabled 32
#define Pvx_IS_CheckedOut 64
#define Pvx_IS_InError 128
#define Pvx_IS_Executed 256
#define Pvx_IS_Planning 512
#define Pvx_IS_ForceFinished 1024
#define Pvx_IS_Deleted 4096
#define Pvx_IS_Terminating 8192
#define Pvx_IS_Suspending 16384
#define Pvx_IS_Expired 32768

/* Item kind. */
#define Pvx_IT_NotSet 0
#define Pvx_IT_Workitem 1
#define Pvx_IT_ProcessInstanceNotification 3
#define Pvx_IT_FirstActivityInstanceNotification 4
#define Pvx_IT_SecondActivityInstanceNotification 5

/* How the owner received an item. */
#define Pvx_IR_NotSet 0
#define Pvx_IR_Normal 1
#define Pvx_IR_Substitute 2
#define Pvx_IR_ProcessAdministrator 3
#define Pvx_IR_SystemAdministrator 4
#define Pvx_IR_ByTransfer 5

/* Activity kind. */
#define Pvx_AT_NotSet 0
#define Pvx_AT_Process 1
#define Pvx_AT_Program 2
#define Pvx_AT_Block 16

/* State of notification of an activity. */
#define Pvx_AE_NotSet 0
#define Pvx_AE_NoNotification 1
#define Pvx_AE_FirstNotification 4
#define Pvx_AE_SecondNotification 5

/* Program data asked for at check-out. */
#define Pvx_WS_NotSet 0
#define Pvx_WS_CommonDataOnly 1
#define Pvx_WS_SpecifiedDefinitions 2
#define Pvx_WS_AllDefinitions 4

/* Platform of a program's implementation. */
#define Pvx_DP_NotSet 0
#define Pvx_DP_Quill 1
#define Pvx_DP_Borix 2
#define Pvx_DP_HPUX 3
#define Pvx_DP_Windows95 4
#define Pvx_DP_WindowsNT 5
#define Pvx_DP_Vantor 6
#define Pvx_DP_Solaris 7

/* ------------------------------------------------------------------------ */
/* Items                                                                    */
/* ------------------------------------------------------------------------ */

int32_t PvxjItemCopy(PvxjItem item, PvxjItem* copy);
unsigned char PvxjItemEqual(PvxjItem item, PvxjItem other);
/* Checks that the item is still in the owner's worklist. */
int32_t PvxjItemRefresh(PvxjItem item);
/* Removes the item. A work item only once it has ended (finished,
 * terminated, expired or force-finished): PVX_ERROR_WRONG_STATE before. */
int32_t PvxjItemDelete(PvxjItem item);
int32_t PvxjItemProcessInstance(PvxjItem item, PvxjProcessInstance* instance);
int32_t PvxjItemSetDescription(PvxjItem item, const char* description);
/* NULL or "" is refused with PVX_ERROR_PARAMETER. */
int32_t PvxjItemSetName(PvxjItem item, const char* name);
/* By the owner, an administrator or a person authorised for the owner. */
int32_t PvxjItemTransfer(PvxjItem item, const char* userId);
int32_t PvxjItemDuplicate(PvxjItem item, const char* userId);
/* Takes the item's name and description again from the server, provided the
 * execution data carries this item. */
int32_t PvxjItemUpdate(PvxjItem item, PvxjExecutionData data);
char* PvxjItemPersistentOid(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemPersistentOidOfProcessInstance(PvxjItem item, char* buffer, uint32_t bufferLength);
int32_t PvxjItemKind(PvxjItem item);
int32_t PvxjItemReceivedAs(PvxjItem item);
int32_t PvxjItemProcessInstanceState(PvxjItem item);
unsigned char PvxjItemIsComplete(PvxjItem item);
unsigned char PvxjItemIsManagedByRemoteSystem(PvxjItem item);
unsigned char PvxjItemCategoryIsNull(PvxjItem item);
unsigned char PvxjItemDescriptionIsNull(PvxjItem item);
unsigned char PvxjItemDocumentationIsNull(PvxjItem item);
unsigned char PvxjItemEndTimeIsNull(PvxjItem item);
unsigned char PvxjItemOnHoldTimeIsNull(PvxjItem item);
unsigned char PvxjItemStartTimeIsNull(PvxjItem item);
char* PvxjItemCategory(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemDescription(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemDocumentation(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemProcessInstanceSystemGroupName(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemProcessInstanceSystemName(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemInContainerName(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemOutContainerName(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemProcessInstanceName(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemProcessAdmin(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemOwner(PvxjItem item, char* buffer, uint32_t bufferLength);
char* PvxjItemIcon(PvxjItem item, char* buffer, uint32_t bufferLength);
PvxjDateTime PvxjItemStartTime(PvxjItem item);
PvxjDateTime PvxjItemEndTime(PvxjItem item);
PvxjDateTime PvxjItemCreationTime(PvxjItem item);
PvxjDateTime PvxjItemLastModificationTime(PvxjItem item);
PvxjDateTime PvxjItemOnHoldTime(PvxjItem item);
PvxjDateTime PvxjItemSuspensionTime(PvxjItem item);
PvxjDateTime PvxjItemReceivedTime(PvxjItem item);
/* A monitor of the item's process instance (deep: of its sub-processes too). */
int32_t PvxjItemObtainProcessInstanceMonitor(PvxjItem item, unsigned char deep,
                                             PvxjProcessInstanceMonitor* monitor);
int32_t PvxjItemObtainProcessMonitor(PvxjItem item, unsigned char deep, PvxjInstanceMonitor* monitor);

/* ------------------------------------------------------------------------ */
/* Work items                                                               */
/* ------------------------------------------------------------------------ */

int32_t PvxjWorkitemCopy(PvxjWorkitem workitem, PvxjWorkitem* copy);
int32_t PvxjWorkitemPersistentObject(PvxjExecutionService service, const char* oid,
                                     PvxjWorkitem* workitem);
char* PvxjWorkitemPersistentOidOfActivityInstance(PvxjWorkitem workitem, char* buffer,
                                                  uint32_t bufferLength);

/* The owner's actions. Start: ready to running. CheckOut: the caller runs
 * the program; the program data asked for is registered in *data. CheckIn
 * finishes a checked-out item with the program's return code and output
 * (container 0: none). Finish finishes a running item without output. */
int32_t PvxjWorkitemStart(PvxjWorkitem workitem);
int32_t PvxjWorkitemCheckOut(PvxjWorkitem workitem, int32_t requestedData, int32_t platform,
                             PvxjProgramData* data);
int32_t PvxjWorkitemCancelCheckOut(PvxjWorkitem workitem);
int32_t PvxjWorkitemCheckIn(PvxjWorkitem workitem, PvxjReadWriteContainer output,
                            int32_t returnCode);
int32_t PvxjWorkitemFinish(PvxjWorkitem workitem);
int32_t PvxjWorkitemTerminate(PvxjWorkitem workitem);
/* An item that has ended is offered to its owner again. */
int32_t PvxjWorkitemRestart(PvxjWorkitem workitem);
/* Held until the time given, or until taken off hold. */
int32_t PvxjWorkitemPutOnHold(PvxjWorkitem workitem, PvxjDateTime until);
int32_t PvxjWorkitemTakeOffHold(PvxjWorkitem workitem);
/* Gives the item its activity's name and description back. */
int32_t PvxjWorkitemResetProperties(PvxjWorkitem workitem);
/* Process administrator: the activity counts as finished (its input, or the
 * container given, as its output), or an ended activity is offered again.
 * readOnly/readWrite 0: none; given both, the read-write one is used. */
int32_t PvxjWorkitemForceFinish(PvxjWorkitem workitem);
int32_t PvxjWorkitemForceRestart(PvxjWorkitem workitem);
int32_t PvxjWorkitemForceFinishWithContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer readOnly,
                                             PvxjReadWriteContainer readWrite);
int32_t PvxjWorkitemForceRestartWithContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer readOnly,
                                              PvxjReadWriteContainer readWrite);
int32_t PvxjWorkitemInContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer* container);
int32_t PvxjWorkitemOutContainer(PvxjWorkitem workitem, PvxjReadWriteContainer* container);
int32_t PvxjWorkitemSetOutContainer(PvxjWorkitem workitem, PvxjReadWriteContainer container);
/* Only one of the activity's support tools: PVX_ERROR_PROGRAM_UNDEFINED else. */
int32_t PvxjWorkitemStartTool(PvxjWorkitem workitem, const char* toolName);
int32_t PvxjWorkitemActivityInstance(PvxjWorkitem workitem, PvxjActivityInstance* activityInstance);
/* The reason an activity is in error, as an error object; PVX_ERROR_DOES_NOT_EXIST
 * when it is not. */
int32_t PvxjWorkitemErrorReason(PvxjWorkitem workitem, PvxjError* error);
PvxjStringVector PvxjWorkitemStaff(PvxjWorkitem workitem);
PvxjStringVector PvxjWorkitemSupportTools(PvxjWorkitem workitem);
int32_t PvxjWorkitemState(PvxjWorkitem workitem);
int32_t PvxjWorkitemStateOfNotification(PvxjWorkitem workitem);
int32_t PvxjWorkitemActivityKind(PvxjWorkitem workitem);
unsigned char PvxjWorkitemManualExitMode(PvxjWorkitem workitem);
unsigned char PvxjWorkitemManualStartMode(PvxjWorkitem workitem);
unsigned char PvxjWorkitemErrorReasonIsNull(PvxjWorkitem workitem);
unsigned char PvxjWorkitemExpirationTimeIsNull(PvxjWorkitem workitem);
unsigned char PvxjWorkitemFirstNotificationTimeIsNull(PvxjWorkitem workitem);
unsigned char PvxjWorkitemSecondNotificationTimeIsNull(PvxjWorkitem workitem);
unsigned char PvxjWorkitemImplementationIsNull(PvxjWorkitem workitem);
unsigned char PvxjWorkitemSupportToolsIsNull(PvxjWorkitem workitem);
char* PvxjWorkitemImplementation(PvxjWorkitem workitem, char* buffer, uint32_t bufferLength);
char* PvxjWorkitemStartCondition(PvxjWorkitem workitem, char* buffer, uint32_t bufferLength);
char* PvxjWorkitemExitCondition(PvxjWorkitem workitem, char* buffer, uint32_t bufferLength);
PvxjDateTime PvxjWorkitemFirstNotificationTime(PvxjWorkitem workitem);
PvxjDateTime PvxjWorkitemSecondNotificationTime(PvxjWorkitem workitem);
PvxjDateTime PvxjWorkitemExpirationTime(PvxjWorkitem workitem);
int32_t PvxjWorkitemPriority(PvxjWorkitem workitem);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_WORKITEM_H */
