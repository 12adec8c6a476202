// Execution data: the replies Receive hands out, and the objects they carry.
//
// A reply names what it carries by a persistent identifier (ref): a work
// item (WI), a notification (AN, PN), a process instance (PI, whose output
// container it also carries) or a program execution (PX, the output
// container of a program template run). An error reply's ref is
// "RC:message" instead.
#include <cstdlib>

#include <pvxj/execution_data.h>

#include "agent.h"
#include "client.h"
#include "container.h"
#include "error.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

unsigned char Flag(bool b) { return b ? 1 : 0; }

template <class R, class Fn>
R ReadData(HandleRef handle, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    auto* o = Client::Get().handles.Get<ExecutionDataObject>(handle, Cls::ExecutionData);
    if (!o) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return fallback;
    }
    return fn(*o, rc);
  }, origin);
}

// The row the reply names, if its identifier has one of the tags.
bool Carried(const ExecutionDataObject& o, std::initializer_list<const char*> tags, std::string* tag,
             int64_t* row) {
  if (o.kind == kReplyError || !ParseOid(o.ref, tag, row)) return false;
  for (const char* t : tags)
    if (*tag == t) return true;
  return false;
}

// The carried item or instance as a new object of cls, for the receiving
// session; the item must still be there.
HandleRef FromData(HandleRef handle, Cls cls, std::initializer_list<const char*> tags, const char* table,
                  const char* condition, const char* origin) {
  return ReadData<uint32_t>(handle, 0, [&](ExecutionDataObject& o, int32_t* rc) -> uint32_t {
    std::string tag;
    int64_t row = 0;
    if (!Carried(o, tags, &tag, &row)) {
      *rc = PVX_ERROR_WRONG_KIND;
      return 0;
    }
    Store* store;
    if (!o.service || (*rc = RequireSession(*o.service, &store))) {
      if (!*rc) *rc = PVX_ERROR_NOT_LOGGED_ON;
      return 0;
    }
    Stmt q(store->db(), std::string("SELECT name FROM ") + table + " WHERE id=? AND " + condition);
    q.Bind(1, row);
    if (!q.Step()) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return 0;
    }
    auto obj = std::make_unique<RowObject>();
    obj->id = row;
    obj->name = q.Text(0);
    obj->service = o.service;
    q.Step();
    uint32_t out = 0;
    *rc = AddHandle(cls, std::move(obj), &out);
    return out;
  }, origin);
}

}  // namespace

extern "C" {

int32_t PvxjExecutionDataCopy(PvxjExecutionData data, PvxjExecutionData* copy) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<ExecutionDataObject>(data, Cls::ExecutionData);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto c = std::make_unique<ExecutionDataObject>(*o);
    return AddHandle(Cls::ExecutionData, std::move(c), copy);
  });
}

unsigned char PvxjExecutionDataIsError(PvxjExecutionData data) {
  return ReadData<unsigned char>(data, 0, [](ExecutionDataObject& o, int32_t*) {
    return Flag(o.kind == kReplyError);
  });
}

int32_t PvxjExecutionDataKind(PvxjExecutionData data) {
  return ReadData<int32_t>(data, 0, [](ExecutionDataObject& o, int32_t*) { return o.kind; });
}

char* PvxjExecutionDataUserContext(PvxjExecutionData data, char* buffer, uint32_t length) {
  return ReadData<char*>(data, nullptr, [&](ExecutionDataObject& o, int32_t*) -> char* {
    return o.user_context ? CopyOut(*o.user_context, buffer, length) : nullptr;
  });
}

unsigned char PvxjExecutionDataUserContextIsNull(PvxjExecutionData data) {
  return ReadData<unsigned char>(data, 1, [](ExecutionDataObject& o, int32_t*) {
    return Flag(!o.user_context);
  });
}

char* PvxjExecutionDataPersistentOid(PvxjExecutionData data, char* buffer, uint32_t length) {
  return ReadData<char*>(data, nullptr, [&](ExecutionDataObject& o, int32_t*) -> char* {
    std::string tag;
    int64_t row = 0;
    if (o.kind == kReplyError || !ParseOid(o.ref, &tag, &row)) return nullptr;
    return CopyOut(o.ref, buffer, length);
  });
}

PvxjWorkitem PvxjExecutionDataWorkitemFromData(PvxjExecutionData data) {
  return FromData(data, Cls::Workitem, {oid_tag::kWorkitem}, "items", "kind = 1", __func__);
}

PvxjActivityInstanceNotification PvxjExecutionDataActivityInstanceNotificationFromData(
    PvxjExecutionData data) {
  return FromData(data, Cls::ActivityInstanceNotification, {oid_tag::kActivityInstanceNotification},
                  "items", "kind IN (2,4,5)", __func__);
}

PvxjProcessInstanceNotification PvxjExecutionDataProcessInstanceNotificationFromData(
    PvxjExecutionData data) {
  return FromData(data, Cls::ProcessInstanceNotification, {oid_tag::kProcessInstanceNotification},
                  "items", "kind = 3", __func__);
}

PvxjProcessInstance PvxjExecutionDataProcessInstanceFromData(PvxjExecutionData data) {
  return FromData(data, Cls::ProcessInstance, {oid_tag::kProcessInstance}, "process_instances",
                  "state <> 128", __func__);
}

PvxjReadOnlyContainer PvxjExecutionDataReadOnlyContainerFromData(PvxjExecutionData data) {
  return ReadData<HandleRef>(data, 0, [&](ExecutionDataObject& o, int32_t* rc) -> HandleRef {
    std::string tag;
    int64_t row = 0;
    if (!Carried(o, {oid_tag::kProcessInstance, "PX"}, &tag, &row)) {
      *rc = PVX_ERROR_WRONG_KIND;
      return 0;
    }
    Store* store;
    if (!o.service || (*rc = RequireSession(*o.service, &store))) {
      if (!*rc) *rc = PVX_ERROR_NOT_LOGGED_ON;
      return 0;
    }
    auto rec = LoadContainer(*store, tag.c_str(), row, "out");
    if (!rec) {
      *rc = PVX_ERROR_INVALID_CONTAINER;
      return 0;
    }
    auto obj = std::make_unique<RecordObject>();
    obj->record = *rec;
    obj->record.kind = RecordKind::kReadOnlyContainer;
    obj->service = o.service;
    uint32_t out = 0;
    *rc = AddHandle(Cls::ReadOnlyContainer, std::move(obj), &out);
    return out;
  });
}

PvxjError PvxjExecutionDataErrorFromData(PvxjExecutionData data) {
  return ReadData<HandleRef>(data, 0, [&](ExecutionDataObject& o, int32_t* rc) -> HandleRef {
    if (o.kind != kReplyError) {
      *rc = PVX_ERROR_WRONG_KIND;
      return 0;
    }
    size_t colon = o.ref.find(':');
    int32_t code = static_cast<int32_t>(std::strtol(o.ref.c_str(), nullptr, 10));
    std::vector<std::string> params;
    if (colon != std::string::npos && colon + 1 < o.ref.size()) params.push_back(o.ref.substr(colon + 1));
    uint32_t out = 0;
    *rc = NewError(code ? code : PVX_ERROR, std::move(params), &out);
    return out;
  });
}

}  // extern "C"
