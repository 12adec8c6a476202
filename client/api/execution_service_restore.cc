// Restoring objects from persistent object identifiers, and rebuilding
// containers, program data and program templates from streams.
#include <pvxj/execution_service.h>

#include "client.h"
#include "container.h"
#include "container_tree.h"
#include "program_data.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

struct Restorable {
  const char* tag;
  Cls cls;
  const char* table;
  const char* condition;     // extra condition over the row, "" for none
  const char* name_column;
};

// The row must also be visible to the caller: items are the owner's, private
// lists their owner's (administrators see everything).
enum class Visibility { kAll, kItemOwner, kList };

HandleRef Restore(PvxjExecutionService service, const char* oid, const Restorable& r,
                 Visibility visibility,
    const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    Store* store;
    if ((*rc = RequireSession(*svc->state, &store))) return 0;
    std::string tag;
    int64_t row = 0;
    if (!oid || !ParseOid(oid, &tag, &row) || tag != r.tag) {
      *rc = PVX_ERROR_INVALID_OID;
      return 0;
    }
    std::string sql = std::string("SELECT ") + r.name_column + ", " +
                      (visibility == Visibility::kItemOwner ? "owner_id"
                       : visibility == Visibility::kList    ? "list_type, owner"
                                                            : "NULL, NULL") +
                      " FROM " + r.table + " WHERE id=?";
    if (*r.condition) sql += std::string(" AND ") + r.condition;
    Stmt q(store->db(), sql);
    q.Bind(1, row);
    if (!q.Step()) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return 0;
    }
    std::string name = q.Text(0);
    bool allowed = true;
    if (visibility == Visibility::kItemOwner)
      allowed = q.Int(1) == svc->state->person_id;
    else if (visibility == Visibility::kList)
      allowed = q.Int(1) == Pvx_LT_Public || q.Text(2) == svc->state->user_id;
    if (!allowed && !IsAdministrator(*store, *svc->state)) {
      *rc = PVX_ERROR_NOT_AUTHORIZED;
      return 0;
    }
    auto obj = std::make_unique<RowObject>();
    obj->id = row;
    obj->name = std::move(name);
    obj->service = svc->state;
    uint32_t handle = 0;
    *rc = AddHandle(r.cls, std::move(obj), &handle);
    return handle;
  }, origin);
}

HandleRef FromStream(PvxjExecutionService service, const unsigned char* stream, uint32_t length,
                    Cls cls, std::initializer_list<RecordKind> accepted,
    const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    Store* store;
    if ((*rc = RequireSession(*svc->state, &store))) return 0;
    auto obj = std::make_unique<RecordObject>();
    obj->service = svc->state;
    std::string error;
    if (!ParseRecord(stream, length, &obj->record, &error)) {
      *rc = PVX_ERROR_INVALID_STREAM;
      SetLastResult(*rc, error);
      return 0;
    }
    bool kind_ok = false;
    for (RecordKind k : accepted) kind_ok = kind_ok || obj->record.kind == k;
    if (!kind_ok) {
      *rc = PVX_ERROR_INVALID_STREAM;
      SetLastResult(*rc, "stream holds another kind of object");
      return 0;
    }
    // Program data is checked whole: its common data, implementations and
    // both containers' members.
    if (obj->record.kind == RecordKind::kProgramData) {
      ProgramData data;
      std::string why;
      *rc = ProgramDataFromRecord(*store, obj->record, &data, &why);
      if (*rc) {
        if (!why.empty()) SetLastResult(*rc, why);
        return 0;
      }
      uint32_t handle = 0;
      *rc = AddHandle(cls, std::move(obj), &handle);
      return handle;
    }
    // The stream must describe something this system knows.
    bool container = obj->record.kind == RecordKind::kReadOnlyContainer ||
                     obj->record.kind == RecordKind::kReadWriteContainer;
    Stmt q(store->db(), container ? "SELECT 1 FROM data_structures WHERE name=?"
                                  : "SELECT 1 FROM programs WHERE name=?");
    q.Bind(1, std::string_view(obj->record.type_name));
    if (!q.Step()) {
      *rc = container ? PVX_ERROR_INVALID_CONTAINER : PVX_ERROR_PROGRAM_UNDEFINED;
      return 0;
    }
    q.Step();
    // Every member must be a leaf of the structure, with a value of its type:
    // a stream is input like any other.
    if (container) {
      Schema schema;
      if (!LoadContainerSchema(*store, obj->record.type_name, &schema)) {
        *rc = PVX_ERROR_INVALID_CONTAINER;
        if (StructureLeafCount(*store, obj->record.type_name) > kMaxStructureLeaves)
          SetLastResult(*rc, "structure " + obj->record.type_name + " expands to more than " +
                                 std::to_string(kMaxStructureLeaves) + " members");
        return 0;
      }
      Record checked;
      checked.type_name = obj->record.type_name;
      for (const Field& f : obj->record.fields) {
        if (int32_t member_rc = SetMember(schema, &checked, f.name, f.value)) {
          *rc = PVX_ERROR_INVALID_STREAM;
          SetLastResult(*rc, "member \"" + f.name + "\" " +
                                 (member_rc == PVX_ERROR_MEMBER_NOT_FOUND
                                      ? "is not in structure " + obj->record.type_name
                                      : "has a value of another type"));
          return 0;
        }
      }
    }
    // The object is of the class asked for, whichever container class wrote it.
    if (cls == Cls::ReadOnlyContainer) obj->record.kind = RecordKind::kReadOnlyContainer;
    if (cls == Cls::ReadWriteContainer) obj->record.kind = RecordKind::kReadWriteContainer;
    uint32_t handle = 0;
    *rc = AddHandle(cls, std::move(obj), &handle);
    return handle;
  }, origin);
}

}  // namespace

extern "C" {

PvxjActivityInstance PvxjExecutionServicePersistentActivityInstance(PvxjExecutionService service,
                                                                    const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kActivityInstance, Cls::ActivityInstance, "activity_instances", "",
                  "name"},
                 Visibility::kAll);
}

PvxjActivityInstanceNotification PvxjExecutionServicePersistentActivityInstanceNotification(
    PvxjExecutionService service, const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kActivityInstanceNotification, Cls::ActivityInstanceNotification,
                  "items", "kind IN (2,4,5)", "name"},
                 Visibility::kItemOwner);
}

PvxjInstanceMonitor PvxjExecutionServicePersistentInstanceMonitor(PvxjExecutionService service,
                                                                  const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kInstanceMonitor, Cls::InstanceMonitor, "process_instances",
                  "state <> 128", "name"},
                 Visibility::kAll);
}

PvxjProcessInstance PvxjExecutionServicePersistentProcessInstance(PvxjExecutionService service,
                                                                  const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kProcessInstance, Cls::ProcessInstance, "process_instances",
                  "state <> 128", "name"},
                 Visibility::kAll);
}

PvxjProcessInstanceNotification PvxjExecutionServicePersistentProcessInstanceNotification(
    PvxjExecutionService service, const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kProcessInstanceNotification, Cls::ProcessInstanceNotification,
                  "items", "kind = 3", "name"},
                 Visibility::kItemOwner);
}

PvxjProcessTemplate PvxjExecutionServicePersistentProcessTemplate(PvxjExecutionService service,
                                                                  const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kProcessTemplate, Cls::ProcessTemplate, "process_templates", "",
                  "name"},
                 Visibility::kAll);
}

PvxjProcessInstanceList PvxjExecutionServicePersistentProcessInstanceList(
    PvxjExecutionService service, const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kProcessInstanceList, Cls::ProcessInstanceList, "persistent_lists",
                  "kind = 3", "name"},
                 Visibility::kList);
}

PvxjProcessTemplateList PvxjExecutionServicePersistentProcessTemplateList(
    PvxjExecutionService service, const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kProcessTemplateList, Cls::ProcessTemplateList, "persistent_lists",
                  "kind = 2", "name"},
                 Visibility::kList);
}

PvxjWorkitem PvxjExecutionServicePersistentWorkitem(PvxjExecutionService service,
                                                    const char* oid) {
  return Restore(service, oid, {oid_tag::kWorkitem, Cls::Workitem, "items", "kind = 1", "name"},
                 Visibility::kItemOwner);
}

PvxjWorklist PvxjExecutionServicePersistentWorklist(PvxjExecutionService service,
                                                    const char* oid) {
  return Restore(service, oid,
                 {oid_tag::kWorklist, Cls::Worklist, "persistent_lists", "kind = 1", "name"},
                 Visibility::kList);
}

PvxjPerson PvxjExecutionServicePersistentPerson(PvxjExecutionService service,
                                                const char* userId) {
  return GuardedValue<HandleRef>(0, [&](int32_t* rc) -> uint32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    Store* store;
    if ((*rc = RequireSession(*svc->state, &store))) return 0;
    auto obj = std::make_unique<RowObject>();
    obj->service = svc->state;
    if (!userId) {
      obj->id = svc->state->person_id;
      obj->name = svc->state->user_id;
    } else {
      Stmt q(store->db(), "SELECT id, user_id FROM persons WHERE user_id=?");
      q.Bind(1, userId);
      if (!q.Step()) {
        *rc = PVX_ERROR_USERID_UNKNOWN;
        return 0;
      }
      obj->id = q.Int(0);
      obj->name = q.Text(1);
    }
    uint32_t handle = 0;
    *rc = AddHandle(Cls::Person, std::move(obj), &handle);
    return handle;
  });
}

PvxjProgramData PvxjExecutionServiceProgramDataFromStream(PvxjExecutionService service,
                                                          const unsigned char* stream,
                                                          uint32_t streamLength) {
  return FromStream(service, stream, streamLength, Cls::ProgramData, {RecordKind::kProgramData});
}

PvxjProgramTemplate PvxjExecutionServiceProgramTemplateFromStream(PvxjExecutionService service,
                                                                  const unsigned char* stream,
                                                                  uint32_t streamLength) {
  return FromStream(service, stream, streamLength, Cls::ProgramTemplate,
                    {RecordKind::kProgramTemplate});
}

PvxjReadOnlyContainer PvxjExecutionServiceReadOnlyContainerFromStream(
    PvxjExecutionService service, const unsigned char* stream, uint32_t streamLength) {
  return FromStream(service, stream, streamLength, Cls::ReadOnlyContainer,
                    {RecordKind::kReadOnlyContainer, RecordKind::kReadWriteContainer});
}

PvxjReadWriteContainer PvxjExecutionServiceReadWriteContainerFromStream(
    PvxjExecutionService service, const unsigned char* stream, uint32_t streamLength) {
  return FromStream(service, stream, streamLength, Cls::ReadWriteContainer,
                    {RecordKind::kReadOnlyContainer, RecordKind::kReadWriteContainer});
}

}  // extern "C"
