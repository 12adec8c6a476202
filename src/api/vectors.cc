#include "api/vectors.h"

#include "driver/keywords.h"

namespace kr::api {
namespace {

const VectorOps kVectors[] = {
    {kProcessTemplateVectorHdl, kProcessTemplateHdl, PvxjProcessTemplateVectorSize,
     PvxjProcessTemplateVectorFirstElement, PvxjProcessTemplateVectorNextElement, PvxjProcessTemplateName,
     PvxjProcessTemplateDeallocate},
    {kProcessInstanceVectorHdl, kProcessInstanceHdl, PvxjProcessInstanceVectorSize,
     PvxjProcessInstanceVectorFirstElement, PvxjProcessInstanceVectorNextElement, PvxjProcessInstanceName,
     PvxjProcessInstanceDeallocate},
    {kActivityInstanceVectorHdl, kActivityInstanceHdl, PvxjActivityInstanceVectorSize,
     PvxjActivityInstanceVectorFirstElement, PvxjActivityInstanceVectorNextElement, PvxjActivityInstanceName,
     PvxjActivityInstanceDeallocate},
    {kItemVectorHdl, kItemHdl, PvxjItemVectorSize, PvxjItemVectorFirstElement, PvxjItemVectorNextElement,
     PvxjItemName, PvxjItemDeallocate},
    {kWorkitemVectorHdl, kWorkitemHdl, PvxjWorkitemVectorSize, PvxjWorkitemVectorFirstElement,
     PvxjWorkitemVectorNextElement, PvxjItemName, PvxjWorkitemDeallocate},
    {kActivityInstanceNotificationVectorHdl, kActivityInstanceNotificationHdl,
     PvxjActivityInstanceNotificationVectorSize, PvxjActivityInstanceNotificationVectorFirstElement,
     PvxjActivityInstanceNotificationVectorNextElement, PvxjItemName, PvxjActivityInstanceNotificationDeallocate},
    {kProcessInstanceNotificationVectorHdl, kProcessInstanceNotificationHdl,
     PvxjProcessInstanceNotificationVectorSize, PvxjProcessInstanceNotificationVectorFirstElement,
     PvxjProcessInstanceNotificationVectorNextElement, PvxjItemName, PvxjProcessInstanceNotificationDeallocate},
    {kActivityInstanceListVectorHdl, kActivityInstanceListHdl, PvxjActivityInstanceListVectorSize,
     PvxjActivityInstanceListVectorFirstElement, PvxjActivityInstanceListVectorNextElement,
     PvxjPersistentListName, PvxjActivityInstanceListDeallocate},
    {kProcessInstanceListVectorHdl, kProcessInstanceListHdl, PvxjProcessInstanceListVectorSize,
     PvxjProcessInstanceListVectorFirstElement, PvxjProcessInstanceListVectorNextElement,
     PvxjPersistentListName, PvxjProcessInstanceListDeallocate},
    {kProcessTemplateListVectorHdl, kProcessTemplateListHdl, PvxjProcessTemplateListVectorSize,
     PvxjProcessTemplateListVectorFirstElement, PvxjProcessTemplateListVectorNextElement,
     PvxjPersistentListName, PvxjProcessTemplateListDeallocate},
    {kWorklistVectorHdl, kWorklistHdl, PvxjWorklistVectorSize, PvxjWorklistVectorFirstElement,
     PvxjWorklistVectorNextElement, PvxjPersistentListName, PvxjWorklistDeallocate},
};

}  // namespace

const VectorOps* vector_ops_for_element(int element_type) {
  for (const VectorOps& v : kVectors)
    if (v.element_type == element_type) return &v;
  return nullptr;
}

const VectorOps* vector_ops(int vector_type) {
  for (const VectorOps& v : kVectors)
    if (v.vector_type == vector_type) return &v;
  return nullptr;
}

}  // namespace kr::api
