// The item methods a notification class has, each performed by the item
// function of the same method name on the notification handle. Written in a
// notification family's row file as ITEM_METHOD_ROWS(ProcessInstanceNotification,
// kProcessInstanceNotificationName); expands to the row macros in force there.
#ifndef KR_API_ITEM_METHOD_ROWS_H
#define KR_API_ITEM_METHOD_ROWS_H

#define ITEM_RECEIVER(C) in(k##C##Hdl)
#define ITEM_RC(C, M, ...) API_ROW_FN(Pvxj##C##M, PvxjItem##M, kRc, kVectorForm, ITEM_RECEIVER(C), ##__VA_ARGS__)
#define ITEM_SINGLE(C, M, ...) API_ROW_FN(Pvxj##C##M, PvxjItem##M, kRc, 0, ITEM_RECEIVER(C), ##__VA_ARGS__)
#define ITEM_BOOL(C, M) API_ROW_FN(Pvxj##C##M, PvxjItem##M, kBool, kVectorForm, ITEM_RECEIVER(C))
#define ITEM_TEXT(C, M) API_ROW_FN(Pvxj##C##M, PvxjItem##M, kText, kVectorForm, ITEM_RECEIVER(C), ulong_(kBufferLength))
#define ITEM_TIME(C, M) API_ROW_FN(Pvxj##C##M, PvxjItem##M, kDateTime, kVectorForm, ITEM_RECEIVER(C), out(kDateTimeHdl))
#define ITEM_OID(C, M, TAG)                                                                          \
  API_ROW_FN(Pvxj##C##M, PvxjItem##M, kText, 0, ITEM_RECEIVER(C), oid_out(kPersistentOidHdl), oid_file(TAG), \
             ulong_(kBufferLength))

// Every item method of the class but OnHoldTime, which only activity
// instance notifications have.
#define ITEM_METHOD_ROWS(C, NameKw, PiTag)                                                       \
  ITEM_RC(C, Delete)                                                                             \
  ITEM_RC(C, Refresh)                                                                            \
  ITEM_RC(C, SetDescription, text(kDescription))                                                 \
  ITEM_RC(C, SetName, text(NameKw))                                                              \
  ITEM_RC(C, Transfer, text(kUserID))                                                            \
  ITEM_RC(C, Duplicate, text(kUserID))                                                           \
  ITEM_RC(C, ProcessInstance, out(kProcessInstanceHdl))                                          \
  ITEM_SINGLE(C, Update, in(kExecutionDataHdl))                                                  \
  ITEM_SINGLE(C, ObtainProcessInstanceMonitor, flag(kDeep), out(kProcessInstanceMonitorHdl))     \
  ITEM_SINGLE(C, ObtainProcessMonitor, flag(kDeep), out(kInstanceMonitorHdl))                    \
  ITEM_OID(C, PersistentOid, OidTag::k##C)                                                       \
  ITEM_OID(C, PersistentOidOfProcessInstance, PiTag)                                             \
  API_ROW_FN(Pvxj##C##Equal, PvxjItemEqual, kBool, kVectorForm, ITEM_RECEIVER(C), in(k##C##Hdl2)) \
  API_ROW_ENUM(Pvxj##C##Kind, PvxjItemKind, kItemKinds, kVectorForm, ITEM_RECEIVER(C))           \
  API_ROW_ENUM(Pvxj##C##ReceivedAs, PvxjItemReceivedAs, kReceivedAs, kVectorForm, ITEM_RECEIVER(C)) \
  API_ROW_ENUM(Pvxj##C##ProcessInstanceState, PvxjItemProcessInstanceState, kInstanceStates, kVectorForm, \
               ITEM_RECEIVER(C))                                                                 \
  ITEM_BOOL(C, IsComplete)                                                                       \
  ITEM_BOOL(C, IsManagedByRemoteSystem)                                                          \
  ITEM_BOOL(C, CategoryIsNull)                                                                   \
  ITEM_BOOL(C, DescriptionIsNull)                                                                \
  ITEM_BOOL(C, DocumentationIsNull)                                                              \
  ITEM_BOOL(C, EndTimeIsNull)                                                                    \
  ITEM_BOOL(C, OnHoldTimeIsNull)                                                                 \
  ITEM_BOOL(C, StartTimeIsNull)                                                                  \
  ITEM_TEXT(C, Category)                                                                         \
  ITEM_TEXT(C, Description)                                                                      \
  ITEM_TEXT(C, Documentation)                                                                    \
  ITEM_TEXT(C, Name)                                                                             \
  ITEM_TEXT(C, InContainerName)                                                                  \
  ITEM_TEXT(C, OutContainerName)                                                                 \
  ITEM_TEXT(C, ProcessInstanceName)                                                              \
  ITEM_TEXT(C, ProcessInstanceSystemGroupName)                                                   \
  ITEM_TEXT(C, ProcessInstanceSystemName)                                                        \
  ITEM_TEXT(C, ProcessAdmin)                                                                     \
  ITEM_TEXT(C, Owner)                                                                            \
  ITEM_TEXT(C, Icon)                                                                             \
  ITEM_TIME(C, StartTime)                                                                        \
  ITEM_TIME(C, EndTime)                                                                          \
  ITEM_TIME(C, CreationTime)                                                                     \
  ITEM_TIME(C, LastModificationTime)                                                             \
  ITEM_TIME(C, SuspensionTime)                                                                   \
  ITEM_TIME(C, ReceivedTime)

#endif
