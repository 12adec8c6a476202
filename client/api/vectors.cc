// Walking the vectors that queries return, and the names of their elements.
#include "client.h"

using namespace pvxjsim;

namespace {

uint32_t Size(HandleRef vector, Cls cls,
    const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<VectorObject>(vector, cls);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(v->elements.size());
  }, origin);
}

// First (restart) or next element as a new handle; 0 past the end.
HandleRef Element(HandleRef vector, Cls cls, bool restart,
    const char* origin = __builtin_FUNCTION()) {
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
  }, origin);
}

char* Name(HandleRef handle, std::initializer_list<Cls> classes, char* buffer, uint32_t length,
    const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    for (Cls cls : classes) {
      if (auto* obj = Client::Get().handles.Get<RowObject>(handle, cls))
        return CopyOut(obj->name, buffer, length);
    }
    *rc = PVX_ERROR_INVALID_HANDLE;
    return nullptr;
  }, origin);
}

}  // namespace

// The size and element walk of every vector class the class table marks as walked.
#define PVXJ_WALK_0(Vector_, Element_)
#define PVXJ_WALK_1(Vector_, Element_)                                   \
  uint32_t Pvxj##Vector_##Size(Pvxj##Vector_ vector) {                   \
    return Size(vector, Cls::Vector_);                                   \
  }                                                                      \
  Pvxj##Element_ Pvxj##Vector_##FirstElement(Pvxj##Vector_ vector) {     \
    return Element(vector, Cls::Vector_, true);                          \
  }                                                                      \
  Pvxj##Element_ Pvxj##Vector_##NextElement(Pvxj##Vector_ vector) {      \
    return Element(vector, Cls::Vector_, false);                         \
  }

extern "C" {

#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, ...) PVXJ_WALK_##Walk(Name, Element)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
#undef PVXJ_WALK_1
#undef PVXJ_WALK_0

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
