/*
 * pvxj/process_instance.h - process instances and their stored lists.
 * Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply; the instance name
 * (PvxjProcessInstanceName), the deallocate functions and the vector walks
 * are declared there, the functions every stored list shares in
 * pvxj/process_template.h.
 */
#ifndef PVXJ_PROCESS_INSTANCE_H
#define PVXJ_PROCESS_INSTANCE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* State of a process instance (bit values; one at a time). */
#define Pvx_PS_NotSet 0
#define Pvx_PS_Ready 1
#define Pvx_PS_Running 2
#define Pvx_PS_Finished 4
#define Pvx_PS_Terminated 8
#define Pvx_PS_Suspended 16
#define Pvx_PS_Terminating 32
#define Pvx_PS_Suspending 64
#define Pvx_PS_Deleted 128

/* Whether a process instance has been notified of its deadline. */
#define Pvx_PE_NotSet 0
#define Pvx_PE_NoNotification 1
#define Pvx_PE_ProcessNotification 3

/* ------------------------------------------------------------------------ */
/* Process instances                                                        */
/* ------------------------------------------------------------------------ */

int32_t PvxjProcessInstanceCopy(PvxjProcessInstance instance, PvxjProcessInstance* copy);
/* 1 when both handles are valid and name the same instance. */
unsigned char PvxjProcessInstanceEqual(PvxjProcessInstance instance, PvxjProcessInstance other);
/* Checks that the instance still exists and takes its name anew. */
int32_t PvxjProcessInstanceRefresh(PvxjProcessInstance instance);

/* The values the instance was started with (a read-write copy), its output
 * (once it has finished) and its working data while it runs. */
int32_t PvxjProcessInstanceInContainer(PvxjProcessInstance instance,
                                       PvxjReadWriteContainer* container);
int32_t PvxjProcessInstanceOutContainer(PvxjProcessInstance instance,
                                        PvxjReadOnlyContainer* container);
int32_t PvxjProcessInstanceGlobalContainer(PvxjProcessInstance instance,
                                           PvxjReadOnlyContainer* container);

/* Starts a ready instance; inContainer 0 starts it without input. */
int32_t PvxjProcessInstanceStart(PvxjProcessInstance instance, PvxjReadWriteContainer inContainer);
int32_t PvxjProcessInstanceStartWithContext(PvxjProcessInstance instance,
                                            PvxjReadWriteContainer inContainer,
                                            const char* processContext);
/* Suspends a running instance: its activities wait, their deadlines do not
 * run. deep: its sub-process instances too. SuspendUntil resumes it by
 * itself at the given time (which must lie ahead). */
int32_t PvxjProcessInstanceSuspend(PvxjProcessInstance instance, unsigned char deep);
int32_t PvxjProcessInstanceSuspendUntil(PvxjProcessInstance instance, PvxjDateTime until,
                                        unsigned char deep);
int32_t PvxjProcessInstanceResume(PvxjProcessInstance instance, unsigned char deep);
int32_t PvxjProcessInstanceTerminate(PvxjProcessInstance instance);
/* Starts a finished or terminated top-level instance again from the
 * beginning with the input it was first started with. */
int32_t PvxjProcessInstanceRestart(PvxjProcessInstance instance);
/* Only an instance that is not running can be deleted. */
int32_t PvxjProcessInstanceDelete(PvxjProcessInstance instance);
/* Description and process administrator back to the template's. */
int32_t PvxjProcessInstanceResetProperties(PvxjProcessInstance instance);

int32_t PvxjProcessInstanceSetDescription(PvxjProcessInstance instance, const char* description);
/* The name must be unique among the instances. */
int32_t PvxjProcessInstanceSetName(PvxjProcessInstance instance, const char* name);
/* NULL: the template's administrator decides again. The user must exist. */
int32_t PvxjProcessInstanceSetProcessAdmin(PvxjProcessInstance instance, const char* userId);

/* Monitors of the instance (and with deep of its sub-processes). */
int32_t PvxjProcessInstanceObtainMonitor(PvxjProcessInstance instance, unsigned char deep,
                                         PvxjProcessInstanceMonitor* monitor);
int32_t PvxjProcessInstanceObtainProcessMonitor(PvxjProcessInstance instance, unsigned char deep,
                                                PvxjInstanceMonitor* monitor);

char* PvxjProcessInstancePersistentOid(PvxjProcessInstance instance, char* buffer,
                                       uint32_t bufferLength);
char* PvxjProcessInstancePersistentOidOfProcessTemplate(PvxjProcessInstance instance,
                                                        char* buffer, uint32_t bufferLength);
int32_t PvxjProcessInstancePersistentObject(PvxjExecutionService service, const char* oid,
                                            PvxjProcessInstance* instance);

/* Pvx_TA_ of the instance's template. */
int32_t PvxjProcessInstanceAuditMode(PvxjProcessInstance instance);
/* One of Pvx_PS_... */
int32_t PvxjProcessInstanceState(PvxjProcessInstance instance);
/* One of Pvx_PE_... */
int32_t PvxjProcessInstanceStateOfNotification(PvxjProcessInstance instance);

/* Of the instance's template. */
unsigned char PvxjProcessInstanceIsComplete(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceInContainerNeeded(PvxjProcessInstance instance);

unsigned char PvxjProcessInstanceCategoryIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceDescriptionIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceDocumentationIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceEndTimeIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceOrganizationNameIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceParentNameIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceProcessAdminIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceProcessContextIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceRoleNameIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceStarterIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceStartTimeIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceSuspensionTimeIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceSuspensionExpirationTimeIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceNotificationTimeIsNull(PvxjProcessInstance instance);
unsigned char PvxjProcessInstanceNotifiedPersonIsNull(PvxjProcessInstance instance);

/* Text properties; NULL when not set. Category, documentation, icon,
 * organization, role and container names are the template's. */
char* PvxjProcessInstanceCategory(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceDescription(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceDocumentation(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceInContainerName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceOrganizationName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceOutContainerName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceProcessAdmin(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceProcessContext(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceRoleName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceStarter(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceTopLevelName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceParentName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceCreator(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceProcessTemplateName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceSystemName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceSystemGroupName(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceNotifiedPerson(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);
char* PvxjProcessInstanceIcon(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength);

/* A year of 0 when the time is not set. ValidFromTime is the template's. */
PvxjDateTime PvxjProcessInstanceStartTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceEndTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceCreationTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceLastModificationTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceLastStateChangeTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceSuspensionTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceSuspensionExpirationTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceValidFromTime(PvxjProcessInstance instance);
PvxjDateTime PvxjProcessInstanceNotificationTime(PvxjProcessInstance instance);

/* ------------------------------------------------------------------------ */
/* Process instance lists                                                   */
/* ------------------------------------------------------------------------ */

int32_t PvxjProcessInstanceListCopy(PvxjProcessInstanceList list, PvxjProcessInstanceList* copy);
unsigned char PvxjProcessInstanceListEqual(PvxjProcessInstanceList list,
                                           PvxjProcessInstanceList other);
/* The instances the list selects, with its filter, sort criteria and
 * threshold as stored now; added to *vector when it already holds one. */
int32_t PvxjProcessInstanceListQueryProcessInstances(PvxjProcessInstanceList list,
                                                     PvxjProcessInstanceVector* vector);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_PROCESS_INSTANCE_H */
