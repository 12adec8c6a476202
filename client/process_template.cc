// The process template family and the functions of every stored list kind.
// Placeholders until the server side is in: each reports a failure.
#include "pvxj/pvxj.h"

int32_t PvxjProcessTemplateCopy(PvxjProcessTemplate /*processTemplate*/, PvxjProcessTemplate* /*copy*/) { return PVX_ERROR; }
unsigned char PvxjProcessTemplateEqual(PvxjProcessTemplate /*processTemplate*/, PvxjProcessTemplate /*other*/) { return 0; }
int32_t PvxjProcessTemplateRefresh(PvxjProcessTemplate /*processTemplate*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateDelete(PvxjProcessTemplate /*processTemplate*/, unsigned char /*pastVersions*/, unsigned char /*currentVersion*/, unsigned char /*futureVersions*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateInContainer(PvxjProcessTemplate /*processTemplate*/, PvxjReadWriteContainer* /*container*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateInitialInContainer(PvxjProcessTemplate /*processTemplate*/, PvxjReadWriteContainer* /*container*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateCreateInstance(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, unsigned char /*keepName*/, PvxjProcessInstance* /*instance*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateCreateAndStartInstance(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, PvxjProcessInstance* /*instance*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateCreateAndStartInstanceWithContext(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, const char* /*processContext*/, PvxjProcessInstance* /*instance*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateCreateAndSuspendInstance(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, PvxjProcessInstance* /*instance*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateExecuteProcessInstance(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, PvxjProcessInstance* /*instance*/, PvxjReadOnlyContainer* /*outContainer*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateExecuteProcessInstanceWithContext(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, const char* /*processContext*/, PvxjProcessInstance* /*instance*/, PvxjReadOnlyContainer* /*outContainer*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateExecuteProcessInstanceAsync(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, unsigned char* /*correlId*/, const char* /*userContext*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateExecuteProcessInstanceWithContextAsync(PvxjProcessTemplate /*processTemplate*/, const char* /*instanceName*/, const char* /*systemGroup*/, const char* /*system*/, PvxjReadWriteContainer /*inContainer*/, unsigned char /*keepName*/, const char* /*processContext*/, unsigned char* /*correlId*/, const char* /*userContext*/) { return PVX_ERROR; }
int32_t PvxjProcessTemplateProgramTemplate(PvxjProcessTemplate /*processTemplate*/, const char* /*programName*/, PvxjProgramTemplate* /*programTemplate*/) { return PVX_ERROR; }
char* PvxjProcessTemplatePersistentOid(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
PvxjProcessTemplate PvxjProcessTemplatePersistentObject(PvxjExecutionService /*service*/, const char* /*oid*/) { return 0; }
int32_t PvxjProcessTemplateAuditMode(PvxjProcessTemplate /*processTemplate*/) { return PVX_ERROR; }
unsigned char PvxjProcessTemplateIsComplete(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateInContainerNeeded(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateCategoryIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateDescriptionIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateDocumentationIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateOrganizationNameIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateProcessAdminIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
unsigned char PvxjProcessTemplateRoleNameIsNull(PvxjProcessTemplate /*processTemplate*/) { return 0; }
char* PvxjProcessTemplateCategory(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateDescription(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateDocumentation(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateIcon(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateInContainerName(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateOutContainerName(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateOrganizationName(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateProcessAdmin(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjProcessTemplateRoleName(PvxjProcessTemplate /*processTemplate*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
PvxjDateTime PvxjProcessTemplateCreationTime(PvxjProcessTemplate /*processTemplate*/) { return PvxjDateTime{}; }
PvxjDateTime PvxjProcessTemplateLastModificationTime(PvxjProcessTemplate /*processTemplate*/) { return PvxjDateTime{}; }
PvxjDateTime PvxjProcessTemplateValidFromTime(PvxjProcessTemplate /*processTemplate*/) { return PvxjDateTime{}; }
int32_t PvxjProcessTemplateListCopy(PvxjProcessTemplateList /*list*/, PvxjProcessTemplateList* /*copy*/) { return PVX_ERROR; }
unsigned char PvxjProcessTemplateListEqual(PvxjProcessTemplateList /*list*/, PvxjProcessTemplateList /*other*/) { return 0; }
int32_t PvxjProcessTemplateListQueryProcessTemplates(PvxjProcessTemplateList /*list*/, PvxjProcessTemplateVector* /*vector*/) { return PVX_ERROR; }
int32_t PvxjPersistentListDelete(PvxjPersistentList /*list*/) { return PVX_ERROR; }
int32_t PvxjPersistentListRefresh(PvxjPersistentList /*list*/) { return PVX_ERROR; }
int32_t PvxjPersistentListSetDescription(PvxjPersistentList /*list*/, const char* /*description*/) { return PVX_ERROR; }
int32_t PvxjPersistentListSetThreshold(PvxjPersistentList /*list*/, const uint32_t* /*threshold*/) { return PVX_ERROR; }
int32_t PvxjPersistentListSetFilter(PvxjPersistentList /*list*/, const char* /*filter*/) { return PVX_ERROR; }
int32_t PvxjPersistentListSetSortCriteria(PvxjPersistentList /*list*/, const char* /*sortCriteria*/) { return PVX_ERROR; }
char* PvxjPersistentListDescription(PvxjPersistentList /*list*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjPersistentListOwnerOfList(PvxjPersistentList /*list*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjPersistentListFilter(PvxjPersistentList /*list*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
char* PvxjPersistentListSortCriteria(PvxjPersistentList /*list*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
unsigned char PvxjPersistentListDescriptionIsNull(PvxjPersistentList /*list*/) { return 0; }
unsigned char PvxjPersistentListOwnerOfListIsNull(PvxjPersistentList /*list*/) { return 0; }
unsigned char PvxjPersistentListFilterIsNull(PvxjPersistentList /*list*/) { return 0; }
unsigned char PvxjPersistentListSortCriteriaIsNull(PvxjPersistentList /*list*/) { return 0; }
unsigned char PvxjPersistentListThresholdIsNull(PvxjPersistentList /*list*/) { return 0; }
uint32_t PvxjPersistentListThreshold(PvxjPersistentList /*list*/) { return 0; }
int32_t PvxjPersistentListType(PvxjPersistentList /*list*/) { return PVX_ERROR; }
char* PvxjPersistentListPersistentOid(PvxjPersistentList /*list*/, char* /*buffer*/, uint32_t /*bufferLength*/) { return nullptr; }
