/*
 * pvxj/process_template.h - process templates, their stored lists and the
 * functions every stored list kind shares. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions apply; the template name (PvxjProcessTemplateName), the list
 * name (PvxjPersistentListName), the deallocate functions and the vector
 * walks are declared there.
 */
#ifndef PVXJ_PROCESS_TEMPLATE_H
#define PVXJ_PROCESS_TEMPLATE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Audit mode of a process template. */
#define Pvx_TA_NotSet 0
#define Pvx_TA_NoAudit 1
#define Pvx_TA_Condensed 2
#define Pvx_TA_Full 3
#define Pvx_TA_Filter 4

/* ------------------------------------------------------------------------ */
/* Process templates                                                        */
/* ------------------------------------------------------------------------ */

int32_t PvxjProcessTemplateCopy(PvxjProcessTemplate processTemplate,
                                PvxjProcessTemplate* copy);
/* 1 when both handles are valid and name the same template version. */
unsigned char PvxjProcessTemplateEqual(PvxjProcessTemplate processTemplate,
                                       PvxjProcessTemplate other);
/* Checks that the template still exists on the server. */
int32_t PvxjProcessTemplateRefresh(PvxjProcessTemplate processTemplate);

/* Deletes versions of the template (all versions of its name, by the
 * server's clock): past ones (older than the version in force now), the
 * version in force now and future ones (not valid yet), as selected. Needs
 * an administrator or the right to define processes; a selected version
 * that has instances makes it fail with PVX_ERROR_NOT_EMPTY. */
int32_t PvxjProcessTemplateDelete(PvxjProcessTemplate processTemplate,
                                  unsigned char pastVersions,
                                  unsigned char currentVersion,
                                  unsigned char futureVersions);

/* A new read-write container of the template's input structure: empty
 * (InContainer) or holding the structure's defaults (InitialInContainer). */
int32_t PvxjProcessTemplateInContainer(PvxjProcessTemplate processTemplate,
                                       PvxjReadWriteContainer* container);
int32_t PvxjProcessTemplateInitialInContainer(PvxjProcessTemplate processTemplate,
                                              PvxjReadWriteContainer* container);

/* Instance creation. instanceName NULL or "" lets the server name the
 * instance; systemGroup and system NULL mean the service's own. keepName:
 * a name that is taken is refused (PVX_ERROR_NOT_UNIQUE) instead of being
 * numbered. inContainer (0: none) gives the start values and must be of the
 * template's input structure. */
int32_t PvxjProcessTemplateCreateInstance(PvxjProcessTemplate processTemplate,
                                          const char* instanceName,
                                          const char* systemGroup,
                                          const char* system,
                                          unsigned char keepName,
                                          PvxjProcessInstance* instance);
int32_t PvxjProcessTemplateCreateAndStartInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance);
/* processContext (NULL: none) is kept with the instance for its programs. */
int32_t PvxjProcessTemplateCreateAndStartInstanceWithContext(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, PvxjProcessInstance* instance);
int32_t PvxjProcessTemplateCreateAndSuspendInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance);

/* Starts an instance and runs it to its end; stores the instance and its
 * output container. An instance that needs people runs on: the instance is
 * stored, no container, and the result is PVX_ERROR_TIMEOUT. */
int32_t PvxjProcessTemplateExecuteProcessInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance, PvxjReadOnlyContainer* outContainer);
int32_t PvxjProcessTemplateExecuteProcessInstanceWithContext(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, PvxjProcessInstance* instance,
    PvxjReadOnlyContainer* outContainer);
/* The same, answered by a reply that PvxjExecutionServiceReceive collects.
 * correlId (PVXJ_CORREL_ID_LENGTH bytes, may be NULL) receives the request's
 * correlation identifier; userContext (NULL: none) comes back in the reply. */
int32_t PvxjProcessTemplateExecuteProcessInstanceAsync(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    unsigned char* correlId, const char* userContext);
int32_t PvxjProcessTemplateExecuteProcessInstanceWithContextAsync(
    PvxjProcessTemplate processTemplate, const char* instanceName,
    const char* systemGroup, const char* system,
    PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, unsigned char* correlId,
    const char* userContext);

/* The program template of a program the template's activities use. */
int32_t PvxjProcessTemplateProgramTemplate(PvxjProcessTemplate processTemplate,
                                           const char* programName,
                                           PvxjProgramTemplate* programTemplate);

/* The template's persistent identifier, and the template restored from one
 * into *processTemplate (0 and a return code for a malformed, unknown or
 * wrong-kind identifier). */
char* PvxjProcessTemplatePersistentOid(PvxjProcessTemplate processTemplate,
                                       char* buffer, uint32_t bufferLength);
int32_t PvxjProcessTemplatePersistentObject(PvxjExecutionService service, const char* oid,
                                            PvxjProcessTemplate* processTemplate);

/* One of Pvx_TA_... */
int32_t PvxjProcessTemplateAuditMode(PvxjProcessTemplate processTemplate);

/* The template's process model is complete and may be instantiated. */
unsigned char PvxjProcessTemplateIsComplete(PvxjProcessTemplate processTemplate);
/* Starting an instance needs an input container (the input structure has
 * members without defaults). */
unsigned char PvxjProcessTemplateInContainerNeeded(PvxjProcessTemplate processTemplate);

unsigned char PvxjProcessTemplateCategoryIsNull(PvxjProcessTemplate processTemplate);
unsigned char PvxjProcessTemplateDescriptionIsNull(PvxjProcessTemplate processTemplate);
unsigned char PvxjProcessTemplateDocumentationIsNull(PvxjProcessTemplate processTemplate);
unsigned char PvxjProcessTemplateOrganizationNameIsNull(PvxjProcessTemplate processTemplate);
unsigned char PvxjProcessTemplateProcessAdminIsNull(PvxjProcessTemplate processTemplate);
unsigned char PvxjProcessTemplateRoleNameIsNull(PvxjProcessTemplate processTemplate);

/* Text properties; NULL when the property is not set. */
char* PvxjProcessTemplateCategory(PvxjProcessTemplate processTemplate,
                                  char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateDescription(PvxjProcessTemplate processTemplate,
                                     char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateDocumentation(PvxjProcessTemplate processTemplate,
                                       char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateIcon(PvxjProcessTemplate processTemplate,
                              char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateInContainerName(PvxjProcessTemplate processTemplate,
                                         char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateOutContainerName(PvxjProcessTemplate processTemplate,
                                          char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateOrganizationName(PvxjProcessTemplate processTemplate,
                                          char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateProcessAdmin(PvxjProcessTemplate processTemplate,
                                      char* buffer, uint32_t bufferLength);
char* PvxjProcessTemplateRoleName(PvxjProcessTemplate processTemplate,
                                  char* buffer, uint32_t bufferLength);

/* A year of 0 when the time is not known. */
PvxjDateTime PvxjProcessTemplateCreationTime(PvxjProcessTemplate processTemplate);
PvxjDateTime PvxjProcessTemplateLastModificationTime(PvxjProcessTemplate processTemplate);
PvxjDateTime PvxjProcessTemplateValidFromTime(PvxjProcessTemplate processTemplate);

/* ------------------------------------------------------------------------ */
/* Process template lists                                                   */
/* ------------------------------------------------------------------------ */

int32_t PvxjProcessTemplateListCopy(PvxjProcessTemplateList list,
                                    PvxjProcessTemplateList* copy);
/* 1 when both handles are valid and name the same stored list. */
unsigned char PvxjProcessTemplateListEqual(PvxjProcessTemplateList list,
                                           PvxjProcessTemplateList other);
/* The templates the list selects, with its filter, sort criteria and
 * threshold as stored now; added to *vector when it already holds one. */
int32_t PvxjProcessTemplateListQueryProcessTemplates(
    PvxjProcessTemplateList list, PvxjProcessTemplateVector* vector);

/* ------------------------------------------------------------------------ */
/* Stored lists of any kind                                                 */
/* ------------------------------------------------------------------------ */

/* Each accepts a worklist, process template list, process instance list or
 * activity instance list. A private list is seen and changed by its owner, a
 * public one seen by everybody and changed or deleted by its creator;
 * administrators may do everything. */
int32_t PvxjPersistentListDelete(PvxjPersistentList list);
int32_t PvxjPersistentListRefresh(PvxjPersistentList list);
/* NULL clears the property. The filter and sort criteria are checked. */
int32_t PvxjPersistentListSetDescription(PvxjPersistentList list,
                                         const char* description);
int32_t PvxjPersistentListSetThreshold(PvxjPersistentList list,
                                       const uint32_t* threshold);
int32_t PvxjPersistentListSetFilter(PvxjPersistentList list, const char* filter);
int32_t PvxjPersistentListSetSortCriteria(PvxjPersistentList list,
                                          const char* sortCriteria);

char* PvxjPersistentListDescription(PvxjPersistentList list, char* buffer,
                                    uint32_t bufferLength);
char* PvxjPersistentListOwnerOfList(PvxjPersistentList list, char* buffer,
                                    uint32_t bufferLength);
char* PvxjPersistentListFilter(PvxjPersistentList list, char* buffer,
                               uint32_t bufferLength);
char* PvxjPersistentListSortCriteria(PvxjPersistentList list, char* buffer,
                                     uint32_t bufferLength);
unsigned char PvxjPersistentListDescriptionIsNull(PvxjPersistentList list);
unsigned char PvxjPersistentListOwnerOfListIsNull(PvxjPersistentList list);
unsigned char PvxjPersistentListFilterIsNull(PvxjPersistentList list);
unsigned char PvxjPersistentListSortCriteriaIsNull(PvxjPersistentList list);
unsigned char PvxjPersistentListThresholdIsNull(PvxjPersistentList list);
/* 0 when the list has no threshold. */
uint32_t PvxjPersistentListThreshold(PvxjPersistentList list);
/* One of Pvx_LT_... */
int32_t PvxjPersistentListType(PvxjPersistentList list);
char* PvxjPersistentListPersistentOid(PvxjPersistentList list, char* buffer,
                                      uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_PROCESS_TEMPLATE_H */
