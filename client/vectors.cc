// Walking the vectors that queries return, and the names of their elements.
#include "client.h"

using namespace pvxjsim;

namespace {

uint32_t Size(uint32_t vector, Cls cls) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<VectorObject>(vector, cls);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(v->elements.size());
  });
}

// First (restart) or next element as a new handle; 0 past the end.
uint32_t Element(uint32_t vector, Cls cls, bool restart) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<VectorObject>(vector, cls);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    if (restart) v->cursor = 0;
    if (v->cursor >= v->elements.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return 0;
    }
    const ElementRef& e = v->elements[v->cursor];
    auto obj = std::make_unique<RowObject>();
    obj->id = e.id;
    obj->name = e.name;
    obj->service = v->service;
    uint32_t handle = 0;
    if ((*rc = AddHandle(v->element, std::move(obj), &handle))) return 0;
    ++v->cursor;
    return handle;
  });
}

char* Name(uint32_t handle, std::initializer_list<Cls> classes, char* buffer, uint32_t length) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    for (Cls cls : classes) {
      if (auto* obj = Client::Get().handles.Get<RowObject>(handle, cls))
        return CopyOut(obj->name, buffer, length);
    }
    *rc = PVX_ERROR_INVALID_HANDLE;
    return nullptr;
  });
}

}  // namespace

#define PVXJ_VECTOR_FUNCTIONS(Element_)                                              \
  uint32_t Pvxj##Element_##VectorSize(Pvxj##Element_##Vector vector) {               \
    return Size(vector, Cls::Element_##Vector);                                      \
  }                                                                                  \
  Pvxj##Element_ Pvxj##Element_##VectorFirstElement(Pvxj##Element_##Vector vector) { \
    return Element(vector, Cls::Element_##Vector, true);                             \
  }                                                                                  \
  Pvxj##Element_ Pvxj##Element_##VectorNextElement(Pvxj##Element_##Vector vector) {  \
    return Element(vector, Cls::Element_##Vector, false);                            \
  }

extern "C" {

PVXJ_VECTOR_FUNCTIONS(ProcessTemplate)
PVXJ_VECTOR_FUNCTIONS(ProcessInstance)
PVXJ_VECTOR_FUNCTIONS(ActivityInstance)
PVXJ_VECTOR_FUNCTIONS(Item)
PVXJ_VECTOR_FUNCTIONS(Workitem)
PVXJ_VECTOR_FUNCTIONS(ActivityInstanceNotification)
PVXJ_VECTOR_FUNCTIONS(ProcessInstanceNotification)
PVXJ_VECTOR_FUNCTIONS(ActivityInstanceList)
PVXJ_VECTOR_FUNCTIONS(ProcessInstanceList)
PVXJ_VECTOR_FUNCTIONS(ProcessTemplateList)
PVXJ_VECTOR_FUNCTIONS(Worklist)

char* PvxjProcessTemplateName(PvxjProcessTemplate processTemplate, char* buffer,
                              uint32_t bufferLength) {
  return Name(processTemplate, {Cls::ProcessTemplate}, buffer, bufferLength);
}

char* PvxjProcessInstanceName(PvxjProcessInstance processInstance, char* buffer,
                              uint32_t bufferLength) {
  return Name(processInstance, {Cls::ProcessInstance}, buffer, bufferLength);
}

char* PvxjActivityInstanceName(PvxjActivityInstance activityInstance, char* buffer,
                               uint32_t bufferLength) {
  return Name(activityInstance, {Cls::ActivityInstance}, buffer, bufferLength);
}

char* PvxjItemName(PvxjItem item, char* buffer, uint32_t bufferLength) {
  return Name(item,
              {Cls::Item, Cls::Workitem, Cls::ActivityInstanceNotification,
               Cls::ProcessInstanceNotification},
              buffer, bufferLength);
}

char* PvxjPersistentListName(PvxjPersistentList list, char* buffer, uint32_t bufferLength) {
  return Name(list,
              {Cls::Worklist, Cls::ProcessTemplateList, Cls::ProcessInstanceList,
               Cls::ActivityInstanceList},
              buffer, bufferLength);
}

}  // extern "C"
