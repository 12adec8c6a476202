/*
 * pvxj/base.h - C interface of the Altaris workflow client: the types,
 * return codes and what every class shares (names, vector walks,
 * deallocation). Each family's functions are in its own header under pvxj/,
 * which includes this one; pvxj/pvxj.h includes them all.
 *
 * Conventions shared by every function:
 *  - Objects are named by opaque, pointer-sized handles; 0 (NULL) is "no
 *    object". Every object class has its own handle type, so a handle of one
 *    class given where another class is wanted does not compile. A handle is
 *    never dereferenced: only compare it with 0 and pass it back.
 *  - Functions that perform an action return an int32_t return code
 *    (PVX_OK on success, a PVX_ERROR_... value otherwise).
 *  - Functions that create an object take the address of the caller's handle
 *    variable as their last argument and store the new handle there; the
 *    persistent-object and from-stream functions return the new handle
 *    instead (0 on failure).
 *  - ...Deallocate takes the address of the handle variable, frees the object
 *    and sets the variable to 0 on success.
 *  - Text getters take the handle, a buffer and its length, store
 *    zero-terminated text in the buffer (truncated to fit) and return a
 *    pointer to it, or NULL when there is no text.
 *  - Boolean getters return an unsigned char, 1 for true.
 *  - The API's long is int32_t and its unsigned long uint32_t.
 *  - Vectors: ...VectorSize returns the element count; ...VectorFirstElement
 *    and ...VectorNextElement return the next element as a new handle (0 when
 *    there is none) that the caller frees with the element's ...Deallocate.
 */
#ifndef PVXJ_BASE_H
#define PVXJ_BASE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Handle and value types                                                   */
/* ------------------------------------------------------------------------ */

/* One handle type per object class (pvxj/classes.def): a pointer to a
 * structure of its own that C never defines. */
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, Dealloc, Copy, Equal, Oid, Cleanup) \
  typedef struct Pvxj##Name##_s* Pvxj##Name;
#include "pvxj/classes.def"
#undef PVXJ_CLASS

/* Any of the four stored list kinds (worklist, process template list,
 * process instance list, activity instance list): the PvxjPersistentList...
 * functions take it. So do the item functions (PvxjItem) take items, work
 * items and both kinds of notification. In C++ those handles convert to
 * PvxjPersistentList and PvxjItem by themselves; in C write
 * PVXJ_PERSISTENT_LIST(list) and PVXJ_ITEM(item), which refuse (C11) a handle
 * of any other class. */
typedef struct PvxjPersistentList_s* PvxjPersistentList;

/* Either container class (read-only or read-write): the PvxjContainer...
 * functions take it. A container handle converts by itself in C++; in C
 * write PVXJ_CONTAINER(container). */
typedef struct PvxjContainer_s* PvxjContainer;

/* A process instance monitor is given to the PvxjBlockInstanceMonitor...
 * functions, and program data to the program template functions it has no
 * function of its own for: in C++ those handles convert by themselves, in C
 * write PVXJ_BLOCK_INSTANCE_MONITOR(monitor) and PVXJ_PROGRAM_TEMPLATE(data). */

#if defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define PVXJ_PERSISTENT_LIST(list)                                   \
  _Generic((list), PvxjPersistentList: (list),                       \
           PvxjWorklist: (PvxjPersistentList)(list),                 \
           PvxjProcessTemplateList: (PvxjPersistentList)(list),      \
           PvxjProcessInstanceList: (PvxjPersistentList)(list),      \
           PvxjActivityInstanceList: (PvxjPersistentList)(list))
#define PVXJ_ITEM(item)                                              \
  _Generic((item), PvxjItem: (item),                                 \
           PvxjWorkitem: (PvxjItem)(item),                           \
           PvxjActivityInstanceNotification: (PvxjItem)(item),       \
           PvxjProcessInstanceNotification: (PvxjItem)(item))
#define PVXJ_CONTAINER(container)                                    \
  _Generic((container), PvxjContainer: (container),                  \
           PvxjReadOnlyContainer: (PvxjContainer)(container),        \
           PvxjReadWriteContainer: (PvxjContainer)(container))
#define PVXJ_BLOCK_INSTANCE_MONITOR(monitor)                                     \
  _Generic((monitor), PvxjBlockInstanceMonitor: (monitor),                       \
           PvxjProcessInstanceMonitor: (PvxjBlockInstanceMonitor)(monitor))
#define PVXJ_PROGRAM_TEMPLATE(data)                                              \
  _Generic((data), PvxjProgramTemplate: (data),                                  \
           PvxjProgramData: (PvxjProgramTemplate)(data))
#else
#define PVXJ_PERSISTENT_LIST(list) ((PvxjPersistentList)(list))
#define PVXJ_ITEM(item) ((PvxjItem)(item))
#define PVXJ_CONTAINER(container) ((PvxjContainer)(container))
#define PVXJ_BLOCK_INSTANCE_MONITOR(monitor) ((PvxjBlockInstanceMonitor)(monitor))
#define PVXJ_PROGRAM_TEMPLATE(data) ((PvxjProgramTemplate)(data))
#endif

/* A date-time value, passed by value. A year of 0 means "not set". */
typedef struct PvxjDateTime {
  unsigned short year;
  unsigned short month;
  unsigned short day;
  unsigned short hour;
  unsigned short minute;
  unsigned short second;
} PvxjDateTime;

/* Correlation identifiers of asynchronous requests are binary values of this
 * many bytes; an all-zero value means "none". */
#define PVXJ_CORREL_ID_LENGTH 24

/* ------------------------------------------------------------------------ */
/* Enumerations used by the execution service                               */
/* ------------------------------------------------------------------------ */

/* Session mode of a logon. */
#define Pvx_SM_Default 0
#define Pvx_SM_Present 1
#define Pvx_SM_PresentHere 2

/* What a logon does with the user's absence setting. */
#define Pvx_SA_NotSet 0
#define Pvx_SA_Reset 1
#define Pvx_SA_Leave 2

/* Type of a stored list. There is no value 2. */
#define Pvx_LT_NotSet 0
#define Pvx_LT_Public 1
#define Pvx_LT_Private 3

/* ------------------------------------------------------------------------ */
/* Return codes                                                             */
/* ------------------------------------------------------------------------ */

#define PVX_OK 0
#define PVX_ERROR 1
#define PVX_ERROR_USERID_UNKNOWN 10
#define PVX_ERROR_ALREADY_LOGGED_ON 11
#define PVX_ERROR_PASSWORD 12
#define PVX_ERROR_COMMUNICATION 13
#define PVX_ERROR_TIMEOUT 14
#define PVX_ERROR_INVALID_CODE_PAGE 15
#define PVX_ERROR_INVALID_CHAR 16
#define PVX_ERROR_INTERNAL 100
#define PVX_ERROR_SERVER 101
#define PVX_ERROR_UNKNOWN 102
#define PVX_ERROR_MESSAGE_FORMAT 103
#define PVX_ERROR_MESSAGE_DATA 104
#define PVX_ERROR_RESOURCE 105
#define PVX_ERROR_NOT_LOGGED_ON 106
#define PVX_ERROR_NEW_OWNER_NOT_FOUND 107
#define PVX_ERROR_NO_OLD_OWNER 108
#define PVX_ERROR_OLD_OWNER_ABSENT 109
#define PVX_ERROR_NEW_OWNER_ABSENT 110
#define PVX_ERROR_ALREADY_STARTED 111
#define PVX_ERROR_MEMBER_NOT_FOUND 112
#define PVX_ERROR_MEMBER_NOT_SET 113
#define PVX_ERROR_WRONG_TYPE 114
#define PVX_ERROR_MEMBER_CANNOT_BE_SET 115
#define PVX_ERROR_MEMBER_INVALID 116
#define PVX_ERROR_FORMAT 117
#define PVX_ERROR_DOES_NOT_EXIST 118
#define PVX_ERROR_NOT_AUTHORIZED 119
#define PVX_ERROR_WRONG_STATE 120
#define PVX_ERROR_NOT_UNIQUE 121
#define PVX_ERROR_EMPTY 122
#define PVX_ERROR_NO_MANUAL_EXIT 123
#define PVX_ERROR_PROFILE 124
#define PVX_ERROR_INVALID_FILTER 125
#define PVX_ERROR_PROGRAM_EXECUTION 126
#define PVX_ERROR_PROTOCOL 127
#define PVX_ERROR_TOOL_FUNCTION 128
#define PVX_ERROR_INVALID_TOOL 129
#define PVX_ERROR_INVALID_HANDLE 130
#define PVX_ERROR_NOT_EMPTY 131
#define PVX_ERROR_INVALID_USER 132
#define PVX_ERROR_OWNER_ALREADY_ASSIGNED 133
#define PVX_ERROR_INVALID_NAME 134
#define PVX_ERROR_INVALID_PROGRAMID 135
#define PVX_ERROR_SIZE_EXCEEDED 136
#define PVX_ERROR_INVALID_TEMPLATE_NAME 137
#define PVX_ERROR_INFINITE_RECURSION 138
#define PVX_ERROR_SUB_PROC_MEMBER_NOT_SET 139
#define PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND 140
#define PVX_ERROR_WRONG_ACT_IMPL_KIND 406
#define PVX_ERROR_NON_LOCAL_USER 500
#define PVX_ERROR_WRONG_KIND 501
#define PVX_ERROR_INVALID_ACTIVITY 502
#define PVX_ERROR_CHECKOUT_NOT_POSSIBLE 503
#define PVX_ERROR_BACK_LEVEL_VERSION 504
#define PVX_ERROR_NEWER_VERSION 505
#define PVX_ERROR_INVALID_CORRELATION_ID 506
#define PVX_ERROR_NOT_ALLOWED 507
#define PVX_ERROR_BACK_LEVEL_OBJECT 508
#define PVX_ERROR_INVALID_CONTAINER 509
#define PVX_ERROR_UNEXPECTED_CONTAINER 510
#define PVX_ERROR_NO_PROGRAM_FOR_PLATFORM 511
#define PVX_ERROR_LOGON_DENIED 512
#define PVX_ERROR_AUTHENTICATION 513
#define PVX_ERROR_BUFFER 800
#define PVX_ERROR_INVALID_SESSION 801
#define PVX_ERROR_INVALID_TIME 802
#define PVX_ERROR_NO_MORE_DATA 804
#define PVX_ERROR_INVALID_OID 805
#define PVX_ERROR_INVALID_THRESHOLD 807
#define PVX_ERROR_INVALID_SORT 808
#define PVX_ERROR_INVALID_DESCRIPTION 810
#define PVX_ERROR_INVALID_IMPLEMENTATION_TYPE 811
#define PVX_ERROR_OWNER_NOT_FOUND 812
#define PVX_ERROR_INVALID_LIST_TYPE 813
#define PVX_ERROR_INVALID_RESULT_HANDLE 814
#define PVX_ERROR_MESSAGE_CATALOG 815
#define PVX_ERROR_INVALID_SPECIFICATION 816
#define PVX_ERROR_QRY_RESULT_TOO_LARGE 817
#define PVX_ERROR_NO_VERSION_2_FILTER 818
#define PVX_ERROR_INVALID_USER_CONTEXT 819
#define PVX_ERROR_MESSAGE_STRING 820
#define PVX_ERROR_MESSAGE_SIZE_EXCEEDED 821
#define PVX_ERROR_INVALID_STREAM 822
#define PVX_ERROR_INVALID_PROCESS_CONTEXT 823
#define PVX_ERROR_NO_GLOBAL_CONTAINER 824
#define PVX_ERROR_GLOBAL_CONTAINER_MEMBER_NOT_FOUND 825
#define PVX_ERROR_INVALID_COMPARISON_VALUE 826
#define PVX_ERROR_NO_SYS_ADMIN 900
#define PVX_ERROR_INVALID_SESSION_MODE 901
#define PVX_ERROR_PROGRAM_UNDEFINED 902
#define PVX_ERROR_PEA_NOT_RUNNING 903
#define PVX_ERROR_PEA_NOT_LOCAL 904
#define PVX_ERROR_INVALID_ABSENCE_SPEC 905
#define PVX_ERROR_NOT_SUPPORTED 1000
#define PVX_ERROR_PROGRAM_NOT_DEFINED 1012
#define PVX_ERROR_PEA_NOT_LOGGED_ON 1014
#define PVX_ERROR_INVALID_PES 1015
#define PVX_ERROR_INVALID_PES_FROM_MODEL 1016
#define PVX_ERROR_INVALID_SYSTEM_FROM_CTNR 1017
#define PVX_ERROR_INVALID_SYSTEM_FROM_MODEL 1018
#define PVX_ERROR_SUB_PROC_TERMINATED_BY_ERROR 1019
#define PVX_ERROR_NO_PEA_FOUND_FOR_AUTO_START 1020
#define PVX_ERROR_NO_CTNR_ACCESS 1021
#define PVX_ERROR_INVALID_CONFIGURATION_ID 1022
#define PVX_ERROR_MIGRATION_OF_RUNNING_PROGRAM 1023
#define PVX_ERROR_MIGRATION_OF_CHECKEDOUT_SUSPENDED 1024
#define PVX_ERROR_MIGRATION_NO_SUBPROCESS 1025
#define PVX_ERROR_XML_DOCUMENT_INVALID 1100
#define PVX_ERROR_XML_NO_ALTARIS_DOCUMENT 1101
#define PVX_ERROR_XML_MESSAGE_NOT_SUPPORTED 1102
#define PVX_ERROR_XML_WRONG_DATA_STRUCTURE 1103
#define PVX_ERROR_XML_DATA_MEMBER_NOT_FOUND 1104
#define PVX_ERROR_XML_DATA_MEMBER_WRONG_TYPE 1105
#define PVX_ERROR_XML_BACKOUT_COUNT_EXCEEDED 1106
#define PVX_ERROR_XML_DOCUMENT_FORMAT 1107
#define PVX_ERROR_XML_PARAMETER_INCORRECT 1108
#define PVX_ERROR_XML_PARAMETER_SIGNATURE_INCORRECT 1109
#define PVX_ERROR_XML_INVALID_ELEMENT 1110
#define PVX_ERROR_XML_INCORRECT_PARAMETER 1111
#define PVX_ERROR_XML_ELEMENT_MISSING 1112
#define PVX_ERROR_XML_MESSAGE_RETURNED 1113
#define PVX_ERROR_XML_PARSER_NOT_INSTALLED 1150
#define PVX_ERROR_INVALID_QUEUE_SCOPE 2000
#define PVX_ERROR_USER_SUPPORT_MISMATCH 32013
#define PVX_ERROR_SUPPORT_MODE_MISMATCH 32014
#define PVX_ERROR_IMPLEMENTATION_SUPPORT_MISMATCH 32015
#define PVX_ERROR_USER_NOT_AUTHORIZED 32202
#define PVX_ERROR_LOCAL_USER_REQUIRED 32203
#define PVX_ERROR_EXIT_ERROR 32204

/* ------------------------------------------------------------------------ */
/* Names of query results                                                   */
/* ------------------------------------------------------------------------ */

char* PvxjProcessTemplateName(PvxjProcessTemplate processTemplate,
                              char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceName(PvxjProcessInstance processInstance,
                              char* buffer, uint32_t bufferLength);
char* PvxjActivityInstanceName(PvxjActivityInstance activityInstance,
                               char* buffer, uint32_t bufferLength);
/* Accepts items, work items and both kinds of notification. */
char* PvxjItemName(PvxjItem item, char* buffer, uint32_t bufferLength);
/* Accepts any of the four stored list kinds. */
char* PvxjPersistentListName(PvxjPersistentList list, char* buffer,
                             uint32_t bufferLength);

/* ------------------------------------------------------------------------ */
/* Vectors of query results                                                 */
/* ------------------------------------------------------------------------ */

/* For each walked vector class of pvxj/classes.def:
 *   uint32_t PvxjXVectorSize(PvxjXVector vector);
 *   PvxjX PvxjXVectorFirstElement(PvxjXVector vector);
 *   PvxjX PvxjXVectorNextElement(PvxjXVector vector); */
#define PVXJ_WALK_0(Name, Element)
#define PVXJ_WALK_1(Name, Element)                                   \
  uint32_t Pvxj##Name##Size(Pvxj##Name vector);                      \
  Pvxj##Element Pvxj##Name##FirstElement(Pvxj##Name vector);         \
  Pvxj##Element Pvxj##Name##NextElement(Pvxj##Name vector);
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, Dealloc, Copy, Equal, Oid, Cleanup) \
  PVXJ_WALK_##Walk(Name, Element)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
#undef PVXJ_WALK_1
#undef PVXJ_WALK_0

/* ------------------------------------------------------------------------ */
/* Deallocation                                                             */
/* ------------------------------------------------------------------------ */

/* Each frees the object *handle names and sets *handle to 0. A zero, stale,
 * unknown or other-class handle gives PVX_ERROR_INVALID_HANDLE and leaves
 * *handle unchanged. Freeing a vector frees only the vector, not the elements
 * already handed out. One for each class of pvxj/classes.def with Dealloc 1:
 *   int32_t PvxjXDeallocate(PvxjX* handle); */
#define PVXJ_DEALLOCATE_0(Name)
#define PVXJ_DEALLOCATE_1(Name) int32_t Pvxj##Name##Deallocate(Pvxj##Name* handle);
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, Dealloc, Copy, Equal, Oid, Cleanup) \
  PVXJ_DEALLOCATE_##Dealloc(Name)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
#undef PVXJ_DEALLOCATE_1
#undef PVXJ_DEALLOCATE_0

#ifdef __cplusplus
}

/* C++ sees the handle structures defined (still empty, still never
 * dereferenced): the stored list kinds derive from the persistent list and
 * the work items and notifications from the item, so their handles convert
 * as the functions of those base classes need; every handle structure
 * derives from pvxj::Object, which tells a handle type from other pointers
 * (pvxj::is_handle_v). */
#include <type_traits>
namespace pvxj {
struct Object {};
template <class S>
struct BaseOf {
  using type = Object;
};
#define PVXJ_DERIVES(Name, Base) \
  template <>                    \
  struct BaseOf<Pvxj##Name##_s> { using type = Pvxj##Base##_s; };
PVXJ_DERIVES(Worklist, PersistentList)
PVXJ_DERIVES(ProcessTemplateList, PersistentList)
PVXJ_DERIVES(ProcessInstanceList, PersistentList)
PVXJ_DERIVES(ActivityInstanceList, PersistentList)
PVXJ_DERIVES(Workitem, Item)
PVXJ_DERIVES(ActivityInstanceNotification, Item)
PVXJ_DERIVES(ProcessInstanceNotification, Item)
PVXJ_DERIVES(ReadWriteContainer, Container)
PVXJ_DERIVES(ReadOnlyContainer, Container)
PVXJ_DERIVES(ProcessInstanceMonitor, BlockInstanceMonitor)
PVXJ_DERIVES(ProgramData, ProgramTemplate)
#undef PVXJ_DERIVES
template <class T>
inline constexpr bool is_handle_v =
    std::is_pointer_v<T> && std::is_base_of_v<Object, std::remove_cv_t<std::remove_pointer_t<T>>>;
}  // namespace pvxj
struct PvxjPersistentList_s : pvxj::Object {};
struct PvxjContainer_s : pvxj::Object {};
/* A class whose base comes later in pvxj/classes.def is defined after the
 * others (PVXJ_LATE_Name marks it). */
#define PVXJ_LATE_ActivityInstanceNotification ~, 1
#define PVXJ_LATE_ProcessInstanceNotification ~, 1
#define PVXJ_LATE_ProcessInstanceMonitor ~, 1
#define PVXJ_SECOND_(a, b, ...) b
#define PVXJ_SECOND(...) PVXJ_SECOND_(__VA_ARGS__)
#define PVXJ_JOIN_(a, b) a##b
#define PVXJ_JOIN(a, b) PVXJ_JOIN_(a, b)
#define PVXJ_STRUCT(Name) struct Pvxj##Name##_s : pvxj::BaseOf<Pvxj##Name##_s>::type {};
#define PVXJ_STRUCT_IF_0(Name) PVXJ_STRUCT(Name)
#define PVXJ_STRUCT_IF_1(Name)
#define PVXJ_CLASS(Name, ...) PVXJ_JOIN(PVXJ_STRUCT_IF_, PVXJ_SECOND(PVXJ_LATE_##Name, 0, ~))(Name)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
PVXJ_STRUCT(ActivityInstanceNotification)
PVXJ_STRUCT(ProcessInstanceNotification)
PVXJ_STRUCT(ProcessInstanceMonitor)
#undef PVXJ_STRUCT_IF_1
#undef PVXJ_STRUCT_IF_0
#undef PVXJ_STRUCT
#undef PVXJ_JOIN
#undef PVXJ_JOIN_
#undef PVXJ_SECOND
#undef PVXJ_SECOND_
#undef PVXJ_LATE_ProcessInstanceNotification
#undef PVXJ_LATE_ActivityInstanceNotification
#undef PVXJ_LATE_ProcessInstanceMonitor
#endif

#endif /* PVXJ_BASE_H */
