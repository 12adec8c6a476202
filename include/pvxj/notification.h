/*
 * pvxj/notification.h - notifications: a process instance or an activity
 * that ran past the duration its template gives is reported to the owners
 * the template names, as an item of their worklist beside the work items.
 * Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply.
 *
 * A notification is an item: what every item has (name, owner, times,
 * deletion, transfer, ...) is read and done through the item functions,
 * which take any item handle (item, work item or notification).
 */
#ifndef PVXJ_NOTIFICATION_H
#define PVXJ_NOTIFICATION_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kind of an item. There is no value 2. */
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

/* Which notification of an activity has been sent. */
#define Pvx_AE_NotSet 0
#define Pvx_AE_NoNotification 1
#define Pvx_AE_FirstNotification 4
#define Pvx_AE_SecondNotification 5

/* ------------------------------------------------------------------------ */
/* Item functions (any item handle)                                         */
/* ------------------------------------------------------------------------ */

/* The owner (or an administrator) deletes the item; a deleted notification
 * is gone for good. Refresh checks that the item still exists. */
/* NULL clears the description; a name must not be NULL or empty. */
/* Transfer gives the item to another user; Duplicate gives that user a copy.
 * By the owner or an administrator; PVX_ERROR_NEW_OWNER_NOT_FOUND for an
 * unknown user. */
/* The process instance the item belongs to. */
/* Brings the item up to date from a reply of an asynchronous request. */
/* A monitor of the item's process instance. deep: the monitor also shows the
 * instance's sub-processes when it is refreshed. */
int32_t PvxjItemObtainProcessInstanceMonitor(PvxjItem item, unsigned char deep,
                                             PvxjProcessInstanceMonitor* monitor);
int32_t PvxjItemObtainProcessMonitor(PvxjItem item, unsigned char deep,
                                     PvxjInstanceMonitor* monitor);
/* Persistent identifiers of the item and of its process instance. */
/* 1 when both handles are valid and name the same item. */
/* Pvx_IT_..., Pvx_IR_..., and the instance's state (Pvx_PS_...). */


/* Text properties; NULL when the property is not set. (PvxjItemName is
 * declared in pvxj.h.) */

/* A year of 0 when the time is not set. */

/* ------------------------------------------------------------------------ */
/* Process instance notifications                                           */
/* ------------------------------------------------------------------------ */

int32_t PvxjProcessInstanceNotificationCopy(PvxjProcessInstanceNotification notification,
                                            PvxjProcessInstanceNotification* copy);
/* When the notification was sent. */
PvxjDateTime PvxjProcessInstanceNotificationNotificationTime(
    PvxjProcessInstanceNotification notification);
int32_t PvxjProcessInstanceNotificationPersistentObject(
    PvxjExecutionService service, const char* oid,
    PvxjProcessInstanceNotification* notification);

/* ------------------------------------------------------------------------ */
/* Activity instance notifications                                          */
/* ------------------------------------------------------------------------ */

int32_t PvxjActivityInstanceNotificationCopy(PvxjActivityInstanceNotification notification,
                                             PvxjActivityInstanceNotification* copy);
/* The activity instance that ran overdue. */
int32_t PvxjActivityInstanceNotificationActivityInstance(
    PvxjActivityInstanceNotification notification, PvxjActivityInstance* activity);
/* Starts one of the activity's support tools (NULL: the first).
 * PVX_ERROR_INVALID_TOOL for a tool the activity does not name. */
int32_t PvxjActivityInstanceNotificationStartTool(
    PvxjActivityInstanceNotification notification, const char* toolName);
/* The reason the activity is in error, as an error object;
 * PVX_ERROR_DOES_NOT_EXIST when it is not. */
int32_t PvxjActivityInstanceNotificationErrorReason(
    PvxjActivityInstanceNotification notification, PvxjError* error);
/* Who may work on the activity, and its support tools. */
PvxjStringVector PvxjActivityInstanceNotificationStaff(
    PvxjActivityInstanceNotification notification);
PvxjStringVector PvxjActivityInstanceNotificationSupportTools(
    PvxjActivityInstanceNotification notification);
int32_t PvxjActivityInstanceNotificationPersistentObject(
    PvxjExecutionService service, const char* oid,
    PvxjActivityInstanceNotification* notification);
char* PvxjActivityInstanceNotificationPersistentOidOfActivityInstance(
    PvxjActivityInstanceNotification notification, char* buffer, uint32_t bufferLength);
/* The activity's state (item states, Pvx_IS_...), the notifications sent for
 * it (Pvx_AE_...) and its kind (Pvx_AT_...). */
int32_t PvxjActivityInstanceNotificationState(PvxjActivityInstanceNotification notification);
int32_t PvxjActivityInstanceNotificationStateOfNotification(
    PvxjActivityInstanceNotification notification);
int32_t PvxjActivityInstanceNotificationActivityKind(
    PvxjActivityInstanceNotification notification);

unsigned char PvxjActivityInstanceNotificationManualExitMode(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationManualStartMode(
    PvxjActivityInstanceNotification notification);
/* The activity ran past its expiry time. */
unsigned char PvxjActivityInstanceNotificationExpired(
    PvxjActivityInstanceNotification notification);
/* The activity was not started before its first notification was due. */
unsigned char PvxjActivityInstanceNotificationStartOverdue(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationErrorReasonIsNull(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationExpirationTimeIsNull(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationImplementationIsNull(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationSecondNotificationTimeIsNull(
    PvxjActivityInstanceNotification notification);
unsigned char PvxjActivityInstanceNotificationSupportToolsIsNull(
    PvxjActivityInstanceNotification notification);

char* PvxjActivityInstanceNotificationStartCondition(
    PvxjActivityInstanceNotification notification, char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceNotificationExitCondition(
    PvxjActivityInstanceNotification notification, char* buffer, uint32_t bufferLength);
/* The program the activity runs, or the template of its sub-process. */
char* PvxjActivityInstanceNotificationImplementation(
    PvxjActivityInstanceNotification notification, char* buffer, uint32_t bufferLength);

/* When the notifications are (or were) due and when the activity expires;
 * a year of 0 when the template gives no such duration. */
PvxjDateTime PvxjActivityInstanceNotificationFirstNotificationTime(
    PvxjActivityInstanceNotification notification);
PvxjDateTime PvxjActivityInstanceNotificationSecondNotificationTime(
    PvxjActivityInstanceNotification notification);
PvxjDateTime PvxjActivityInstanceNotificationExpirationTime(
    PvxjActivityInstanceNotification notification);

int32_t PvxjActivityInstanceNotificationPriority(
    PvxjActivityInstanceNotification notification);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_NOTIFICATION_H */
