// Process instances: their properties, their containers, starting,
// suspending, resuming, terminating, restarting and deleting them, their
// monitors and persistent identifiers; and process instance lists.
#include <strings.h>

#include <cstdio>

#include <pvxj/execution_service.h>
#include <pvxj/process_instance.h>

#include "attributes.h"
#include "client.h"
#include "clock.h"
#include "container.h"
#include "date_time.h"
#include "engine.h"
#include "persistent_list.h"
#include "query_source.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

constexpr size_t kMaxDescription = 254;
constexpr size_t kMaxInstanceName = 63;
constexpr size_t kMaxProcessContext = 4096;

// Runs fn(Store&, RowObject&) on the instance behind handle in a write
// transaction that commits when fn returns PVX_OK.
template <class Fn>
int32_t ChangeInstance(PvxjProcessInstance instance, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(instance, Cls::ProcessInstance, &row, &store)) return rc;
    WriteTx tx(*store);
    CheckDeadlines(*store);
    if (int32_t rc = fn(*store, *row)) return rc;
    tx.Commit();
    return PVX_OK;
  }, origin);
}

int64_t InstanceState(Store& store, int64_t id) {
  Stmt q(store.db(), "SELECT state FROM process_instances WHERE id=?");
  q.Bind(1, id);
  return q.Step() ? q.Int(0) : 0;
}

void Touch(Store& store, int64_t id) {
  Stmt u(store.db(), "UPDATE process_instances SET modified=? WHERE id=?");
  u.Bind(1, std::string_view(ClockNow(store))).Bind(2, id).Run();
}

std::optional<std::string> TemplateColumn(Store& store, int64_t instance, const char* column) {
  Stmt q(store.db(), std::string("SELECT p.") + column +
                         " FROM process_instances i JOIN process_templates p ON p.id = i.template_id "
                         "WHERE i.id=?");
  q.Bind(1, instance);
  return q.Step() ? q.OptText(0) : std::nullopt;
}

// The input a start passes: a read-write container of the template's input
// structure, or none.
int32_t StartInput(Store& store, int64_t instance, PvxjReadWriteContainer in, const Record** input) {
  *input = nullptr;
  if (!in) return PVX_OK;
  auto* c = Client::Get().handles.Get<RecordObject>(in, Cls::ReadWriteContainer);
  if (!c) return PVX_ERROR_INVALID_HANDLE;
  auto structure = TemplateColumn(store, instance, "in_container");
  if (!structure || *structure != c->record.type_name) return PVX_ERROR_INVALID_CONTAINER;
  *input = &c->record;
  return PVX_OK;
}

int32_t Start(PvxjProcessInstance instance, PvxjReadWriteContainer in, bool with_context,
              const char* context, const char* origin) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    if (with_context && context && std::strlen(context) > kMaxProcessContext)
      return PVX_ERROR_INVALID_PROCESS_CONTEXT;
    const Record* input;
    if (int32_t rc = StartInput(store, row.id, in, &input)) return rc;
    if (InstanceState(store, row.id) != kPsReady) return PVX_ERROR_WRONG_STATE;
    if (with_context) {
      Stmt u(store.db(), "UPDATE process_instances SET context=? WHERE id=?");
      u.Bind(1, context).Bind(2, row.id).Run();
    }
    return StartInstance(store, row.id, row.service->user_id, input);
  }, origin);
}

// A date-time as the store keeps it; false for a value that is not a date.
bool StoreTime(const PvxjDateTime& v, std::string* text) {
  if (!ValidDateTime(v)) return false;
  char buf[32];
  snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", v.year, v.month, v.day, v.hour, v.minute,
           v.second);
  *text = buf;
  return true;
}

template <class Out>
int32_t ContainerOut(PvxjProcessInstance instance, Out* out, Cls cls, RecordKind kind,
                     const char* role, const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(instance, Cls::ProcessInstance, &row, &store)) return rc;
    if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto record = LoadContainer(*store, "PI", row->id, role);
    if (!record) {
      int64_t state = InstanceState(*store, row->id);
      // Before the start there is no input yet: the template's structure, empty.
      if (std::strcmp(role, "in") == 0 && state == kPsReady) {
        Record empty;
        if (auto s = TemplateColumn(*store, row->id, "in_container")) empty.type_name = *s;
        record = empty;
      } else if (std::strcmp(role, "out") == 0 && state == kPsFinished) {
        Record empty;
        if (auto s = TemplateColumn(*store, row->id, "out_container")) empty.type_name = *s;
        record = empty;
      } else if (std::strcmp(role, "data") == 0 && state == kPsReady) {
        return PVX_ERROR_NO_GLOBAL_CONTAINER;
      } else {
        return PVX_ERROR_WRONG_STATE;
      }
    }
    auto obj = std::make_unique<RecordObject>();
    obj->record = *record;
    obj->record.kind = kind;
    return AddHandle(cls, std::move(obj), out);
  }, origin);
}

template <class M>
int32_t Monitor(PvxjProcessInstance instance, Cls cls, M* monitor, const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(instance, Cls::ProcessInstance, &row, &store)) return rc;
    if (!monitor) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto obj = std::make_unique<RowObject>(*row);
    return AddHandle(cls, std::move(obj), monitor);
  }, origin);
}

// Handles of any class, passed on as they are.
template <class H>
int32_t CopyOf(H handle, Cls cls, H* copy, const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindRow(handle, cls, &row, &store)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(cls, std::make_unique<RowObject>(*row), copy);
  }, origin);
}

template <class H>
unsigned char Same(H a, H b, Cls cls, const char* origin) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto& handles = Client::Get().handles;
    auto* x = handles.Get<RowObject>(a, cls);
    auto* y = handles.Get<RowObject>(b, cls);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return x->id == y->id ? 1 : 0;
  }, origin);
}

PvxjDateTime Time(PvxjProcessInstance instance, Attr attr, const char* origin = __builtin_FUNCTION()) {
  PvxjDateTime v{};
  AttrDateTime(instance, attr, &v, origin);
  return v;
}

}  // namespace

extern "C" {

// --- process instances ------------------------------------------------------

int32_t PvxjProcessInstanceCopy(PvxjProcessInstance instance, PvxjProcessInstance* copy) {
  return CopyOf(instance, Cls::ProcessInstance, copy, __func__);
}

unsigned char PvxjProcessInstanceEqual(PvxjProcessInstance instance, PvxjProcessInstance other) {
  return Same(instance, other, Cls::ProcessInstance, __func__);
}

int32_t PvxjProcessInstanceRefresh(PvxjProcessInstance instance) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(instance, Cls::ProcessInstance, &row, &store)) return rc;
    Stmt q(store->db(), "SELECT name FROM process_instances WHERE id=?");
    q.Bind(1, row->id);
    if (q.Step()) row->name = q.Text(0);
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceInContainer(PvxjProcessInstance instance, PvxjReadWriteContainer* container) {
  return ContainerOut(instance, container, Cls::ReadWriteContainer, RecordKind::kReadWriteContainer, "in",
                      __func__);
}

int32_t PvxjProcessInstanceOutContainer(PvxjProcessInstance instance, PvxjReadOnlyContainer* container) {
  return ContainerOut(instance, container, Cls::ReadOnlyContainer, RecordKind::kReadOnlyContainer, "out",
                      __func__);
}

int32_t PvxjProcessInstanceGlobalContainer(PvxjProcessInstance instance, PvxjReadOnlyContainer* container) {
  return ContainerOut(instance, container, Cls::ReadOnlyContainer, RecordKind::kReadOnlyContainer, "data",
                      __func__);
}

int32_t PvxjProcessInstanceStart(PvxjProcessInstance instance, PvxjReadWriteContainer inContainer) {
  return Start(instance, inContainer, false, nullptr, __func__);
}

int32_t PvxjProcessInstanceStartWithContext(PvxjProcessInstance instance, PvxjReadWriteContainer inContainer,
                                            const char* processContext) {
  return Start(instance, inContainer, true, processContext, __func__);
}

int32_t PvxjProcessInstanceSuspend(PvxjProcessInstance instance, unsigned char deep) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    return SuspendInstance(store, row.id, deep != 0, std::nullopt);
  });
}

int32_t PvxjProcessInstanceSuspendUntil(PvxjProcessInstance instance, PvxjDateTime until,
                                        unsigned char deep) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    std::string at;
    // A time that has passed would resume the instance before it waited.
    if (!StoreTime(until, &at) || at <= ClockNow(store)) return PVX_ERROR_INVALID_TIME;
    return SuspendInstance(store, row.id, deep != 0, at);
  });
}

int32_t PvxjProcessInstanceResume(PvxjProcessInstance instance, unsigned char deep) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    if (int32_t rc = ResumeInstance(store, row.id, deep != 0)) return rc;
    // What fell due while it waited is done now.
    CheckDeadlines(store);
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceTerminate(PvxjProcessInstance instance) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    return TerminateInstance(store, row.id);
  });
}

int32_t PvxjProcessInstanceRestart(PvxjProcessInstance instance) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    Stmt q(store.db(), "SELECT state, parent_id, starter FROM process_instances WHERE id=?");
    q.Bind(1, row.id);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    int64_t state = q.Int(0);
    bool sub = !q.IsNull(1);
    std::string starter = q.IsNull(2) ? row.service->user_id : q.Text(2);
    q.Step();
    // A sub-process belongs to its parent's run: only a whole run starts again.
    if ((state != kPsFinished && state != kPsTerminated) || sub) return PVX_ERROR_WRONG_STATE;
    std::optional<Record> input = LoadContainer(store, "PI", row.id, "in");
    // What the last run left goes: its sub-processes, activities, items and output.
    std::vector<int64_t> subs;
    {
      Stmt s(store.db(), "SELECT id FROM process_instances WHERE top_level_id=? AND id<>?");
      s.Bind(1, row.id).Bind(2, row.id);
      while (s.Step()) subs.push_back(s.Int(0));
    }
    subs.push_back(row.id);
    for (int64_t id : subs) {
      for (const char* sql : {"DELETE FROM items WHERE process_instance_id=?",
                              "DELETE FROM connector_instances WHERE process_instance_id=?",
                              "DELETE FROM activity_instances WHERE process_instance_id=?",
                              "DELETE FROM container_values WHERE owner_kind='PI' AND owner_id=?"}) {
        Stmt d(store.db(), sql);
        d.Bind(1, id).Run();
      }
      if (id != row.id) {
        Stmt d(store.db(), "DELETE FROM process_instances WHERE id=?");
        d.Bind(1, id).Run();
      }
    }
    Stmt u(store.db(), "UPDATE process_instances SET state=?, started=NULL, ended=NULL, suspended=NULL, "
                       "suspension_expiry=NULL, notify_at=NULL, expire_at=NULL, deadline_state=0, "
                       "next_deadline=NULL WHERE id=?");
    u.Bind(1, kPsReady).Bind(2, row.id).Run();
    return StartInstance(store, row.id, starter, input ? &*input : nullptr);
  });
}

int32_t PvxjProcessInstanceDelete(PvxjProcessInstance instance) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    return DeleteInstance(store, row.id);
  });
}

int32_t PvxjProcessInstanceResetProperties(PvxjProcessInstance instance) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    Stmt u(store.db(), "UPDATE process_instances SET "
                       "description=(SELECT p.description FROM process_templates p WHERE p.id=template_id), "
                       "process_admin=(SELECT p.process_admin FROM process_templates p WHERE p.id=template_id) "
                       "WHERE id=?");
    u.Bind(1, row.id).Run();
    Touch(store, row.id);
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceSetDescription(PvxjProcessInstance instance, const char* description) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    if (description && std::strlen(description) > kMaxDescription) return PVX_ERROR_INVALID_DESCRIPTION;
    Stmt u(store.db(), "UPDATE process_instances SET description=? WHERE id=?");
    u.Bind(1, description).Bind(2, row.id).Run();
    Touch(store, row.id);
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceSetName(PvxjProcessInstance instance, const char* name) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    if (!name || !*name || std::strlen(name) > kMaxInstanceName) return PVX_ERROR_INVALID_NAME;
    for (const char* p = name; *p; ++p)
      if (static_cast<unsigned char>(*p) < 0x20) return PVX_ERROR_INVALID_NAME;
    Stmt dup(store.db(), "SELECT 1 FROM process_instances WHERE name=? AND id<>? AND state<>?");
    dup.Bind(1, name).Bind(2, row.id).Bind(3, kPsDeleted);
    if (dup.Step()) return PVX_ERROR_NOT_UNIQUE;
    Stmt u(store.db(), "UPDATE process_instances SET name=? WHERE id=?");
    u.Bind(1, name).Bind(2, row.id).Run();
    Touch(store, row.id);
    row.name = name;
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceSetProcessAdmin(PvxjProcessInstance instance, const char* userId) {
  return ChangeInstance(instance, [&](Store& store, RowObject& row) -> int32_t {
    std::optional<std::string> admin;
    if (userId) {
      Stmt q(store.db(), "SELECT user_id FROM persons WHERE user_id=?");
      q.Bind(1, userId);
      if (!q.Step()) return PVX_ERROR_USERID_UNKNOWN;
      admin = q.Text(0);
    }
    Stmt u(store.db(), "UPDATE process_instances SET process_admin=? WHERE id=?");
    u.Bind(1, admin).Bind(2, row.id).Run();
    Touch(store, row.id);
    return PVX_OK;
  });
}

int32_t PvxjProcessInstanceObtainMonitor(PvxjProcessInstance instance, unsigned char,
                                         PvxjProcessInstanceMonitor* monitor) {
  return Monitor(instance, Cls::ProcessInstanceMonitor, monitor, __func__);
}

int32_t PvxjProcessInstanceObtainProcessMonitor(PvxjProcessInstance instance, unsigned char,
                                                PvxjInstanceMonitor* monitor) {
  return Monitor(instance, Cls::InstanceMonitor, monitor, __func__);
}

char* PvxjProcessInstancePersistentOid(PvxjProcessInstance instance, char* buffer, uint32_t bufferLength) {
  return WithStoredRow<char*>(instance, Cls::ProcessInstance, nullptr,
                              [&](Store&, RowObject& row, int32_t*) -> char* {
    return CopyOut(FormatOid(oid_tag::kProcessInstance, row.id), buffer, bufferLength);
  });
}

char* PvxjProcessInstancePersistentOidOfProcessTemplate(PvxjProcessInstance instance, char* buffer,
                                                        uint32_t bufferLength) {
  return WithStoredRow<char*>(instance, Cls::ProcessInstance, nullptr,
                              [&](Store& store, RowObject& row, int32_t*) -> char* {
    Stmt q(store.db(), "SELECT template_id FROM process_instances WHERE id=?");
    q.Bind(1, row.id);
    q.Step();
    return CopyOut(FormatOid(oid_tag::kProcessTemplate, q.Int(0)), buffer, bufferLength);
  });
}

int32_t PvxjProcessInstancePersistentObject(PvxjExecutionService service, const char* oid,
                                            PvxjProcessInstance* instance) {
  // The execution service's restore does the work and leaves its return code.
  PvxjProcessInstance i = PvxjExecutionServicePersistentProcessInstance(service, oid);
  if (instance) *instance = i;
  return LastResultCode();
}

int32_t PvxjProcessInstanceAuditMode(PvxjProcessInstance instance) {
  return AttrNumber(instance, Attr::ProcessInstance_AuditMode);
}

int32_t PvxjProcessInstanceState(PvxjProcessInstance instance) {
  return AttrNumber(instance, Attr::ProcessInstance_State);
}

int32_t PvxjProcessInstanceStateOfNotification(PvxjProcessInstance instance) {
  return AttrNumber(instance, Attr::ProcessInstance_StateOfNotification);
}

unsigned char PvxjProcessInstanceIsComplete(PvxjProcessInstance instance) {
  return AttrBool(instance, Attr::ProcessInstance_IsComplete);
}

unsigned char PvxjProcessInstanceInContainerNeeded(PvxjProcessInstance instance) {
  return AttrBool(instance, Attr::ProcessInstance_InContainerNeeded);
}

#define PVXJ_INSTANCE_TEXT(Name)                                                          \
  char* PvxjProcessInstance##Name(PvxjProcessInstance i, char* buffer, uint32_t length) { \
    return AttrText(i, Attr::ProcessInstance_##Name, buffer, length);                     \
  }
#define PVXJ_INSTANCE_NULLABLE(Name)                                       \
  PVXJ_INSTANCE_TEXT(Name)                                                 \
  unsigned char PvxjProcessInstance##Name##IsNull(PvxjProcessInstance i) { \
    return AttrIsNull(i, Attr::ProcessInstance_##Name);                    \
  }
PVXJ_INSTANCE_NULLABLE(Category)
PVXJ_INSTANCE_NULLABLE(Description)
PVXJ_INSTANCE_NULLABLE(Documentation)
PVXJ_INSTANCE_NULLABLE(OrganizationName)
PVXJ_INSTANCE_NULLABLE(ParentName)
PVXJ_INSTANCE_NULLABLE(ProcessAdmin)
PVXJ_INSTANCE_NULLABLE(ProcessContext)
PVXJ_INSTANCE_NULLABLE(RoleName)
PVXJ_INSTANCE_NULLABLE(Starter)
PVXJ_INSTANCE_NULLABLE(NotifiedPerson)
PVXJ_INSTANCE_TEXT(InContainerName)
PVXJ_INSTANCE_TEXT(OutContainerName)
PVXJ_INSTANCE_TEXT(TopLevelName)
PVXJ_INSTANCE_TEXT(Creator)
PVXJ_INSTANCE_TEXT(ProcessTemplateName)
PVXJ_INSTANCE_TEXT(SystemName)
PVXJ_INSTANCE_TEXT(SystemGroupName)
PVXJ_INSTANCE_TEXT(Icon)
#undef PVXJ_INSTANCE_NULLABLE
#undef PVXJ_INSTANCE_TEXT

unsigned char PvxjProcessInstanceEndTimeIsNull(PvxjProcessInstance i) {
  return AttrIsNull(i, Attr::ProcessInstance_EndTime);
}
unsigned char PvxjProcessInstanceStartTimeIsNull(PvxjProcessInstance i) {
  return AttrIsNull(i, Attr::ProcessInstance_StartTime);
}
unsigned char PvxjProcessInstanceSuspensionTimeIsNull(PvxjProcessInstance i) {
  return AttrIsNull(i, Attr::ProcessInstance_SuspensionTime);
}
unsigned char PvxjProcessInstanceSuspensionExpirationTimeIsNull(PvxjProcessInstance i) {
  return AttrIsNull(i, Attr::ProcessInstance_SuspensionExpirationTime);
}
unsigned char PvxjProcessInstanceNotificationTimeIsNull(PvxjProcessInstance i) {
  return AttrIsNull(i, Attr::ProcessInstance_NotificationTime);
}

PvxjDateTime PvxjProcessInstanceStartTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_StartTime);
}
PvxjDateTime PvxjProcessInstanceEndTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_EndTime);
}
PvxjDateTime PvxjProcessInstanceCreationTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_CreationTime);
}
PvxjDateTime PvxjProcessInstanceLastModificationTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_LastModificationTime);
}
PvxjDateTime PvxjProcessInstanceLastStateChangeTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_LastStateChangeTime);
}
PvxjDateTime PvxjProcessInstanceSuspensionTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_SuspensionTime);
}
PvxjDateTime PvxjProcessInstanceSuspensionExpirationTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_SuspensionExpirationTime);
}
PvxjDateTime PvxjProcessInstanceValidFromTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_ValidFromTime);
}
PvxjDateTime PvxjProcessInstanceNotificationTime(PvxjProcessInstance i) {
  return Time(i, Attr::ProcessInstance_NotificationTime);
}

// --- process instance lists -------------------------------------------------

int32_t PvxjProcessInstanceListCopy(PvxjProcessInstanceList list, PvxjProcessInstanceList* copy) {
  return CopyOf(list, Cls::ProcessInstanceList, copy, __func__);
}

unsigned char PvxjProcessInstanceListEqual(PvxjProcessInstanceList list, PvxjProcessInstanceList other) {
  return Same(list, other, Cls::ProcessInstanceList, __func__);
}

int32_t PvxjProcessInstanceListQueryProcessInstances(PvxjProcessInstanceList list,
                                                     PvxjProcessInstanceVector* vector) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow l;
    if (int32_t rc = FindVisibleList(list, &row, &store, &l, Cls::ProcessInstanceList)) return rc;
    if (int32_t rc = CheckVectorSlot(Cls::ProcessInstanceVector, vector)) return rc;
    std::vector<ElementRef> found;
    if (int32_t rc = RunQuery(*store, ProcessInstanceSource(), l.filter ? l.filter->c_str() : nullptr,
                              l.sort ? l.sort->c_str() : nullptr, l.threshold, row->service->user_id, &found))
      return rc;
    return DeliverVector(Cls::ProcessInstanceVector, Cls::ProcessInstance, std::move(found), row->service,
                         vector);
  });
}

}  // extern "C"
