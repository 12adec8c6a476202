// Notifications (process instances and activities that ran overdue) and the
// item functions through which every item, notification or work item, is
// read, renamed, deleted, transferred and duplicated.
#include <pvxj/execution_service.h>
#include <pvxj/notification.h>
#include <pvxj/workitem.h>

#include "notification_rules.h"

#include "attributes.h"
#include "client.h"
#include "clock.h"
#include "engine.h"
#include "error.h"
#include "monitor_objects.h"
#include "session_id.h"
#include "string_vector.h"

namespace pvxjsim {

const char* NotificationTag(Cls cls) {
  switch (cls) {
    case Cls::Item: return oid_tag::kItem;
    case Cls::Workitem: return oid_tag::kWorkitem;
    case Cls::ActivityInstanceNotification: return oid_tag::kActivityInstanceNotification;
    case Cls::ProcessInstanceNotification: return oid_tag::kProcessInstanceNotification;
    default: return nullptr;
  }
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

constexpr Cls kItemClasses[] = {Cls::Item, Cls::Workitem, Cls::ActivityInstanceNotification,
                                Cls::ProcessInstanceNotification};

// The item behind a handle of any item class, its session's store and its class.
int32_t FindItem(HandleRef handle, RowObject** row, Store** store, Cls* cls) {
  Cls c = Client::Get().handles.ClassOf(handle);
  for (Cls k : kItemClasses)
    if (c == k) {
      if (cls) *cls = c;
      return FindStoredRow(handle, c, row, store);
    }
  return PVX_ERROR_INVALID_HANDLE;
}

// The columns an item's getters read: the item (t), its instance (p), its
// activity instance (ai, NULL for a process notification), the activity's
// definition (a) and the instance's template (pt).
constexpr const char* kItemFrom =
    " FROM items t LEFT JOIN process_instances p ON p.id = t.process_instance_id"
    " LEFT JOIN process_templates pt ON pt.id = p.template_id"
    " LEFT JOIN activity_instances ai ON ai.id = t.activity_instance_id"
    " LEFT JOIN activities a ON a.id = ai.activity_id WHERE t.id=?";

// One value of an item of any class (classes: the classes the function
// accepts), read by fn(q, rc) from column 0 of "SELECT expr ..."; fn may
// set the return code.
template <class R, class Fn>
R ItemValue(HandleRef handle, std::initializer_list<Cls> classes, const char* expr, R fallback,
            Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    Cls c = Client::Get().handles.ClassOf(handle);
    bool accepted = false;
    for (Cls k : classes) accepted = accepted || c == k;
    if (!accepted) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return fallback;
    }
    RowObject* row;
    Store* store;
    if ((*rc = FindRow(handle, c, &row, &store))) return fallback;
    Stmt q(store->db(), std::string("SELECT ") + expr + kItemFrom);
    q.Bind(1, row->id);
    if (!q.Step()) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return fallback;
    }
    return fn(q, rc);
  }, origin);
}

const std::initializer_list<Cls> kAnyItem = {Cls::Item, Cls::Workitem,
                                             Cls::ActivityInstanceNotification,
                                             Cls::ProcessInstanceNotification};
const std::initializer_list<Cls> kActivityNote = {Cls::ActivityInstanceNotification};

char* Text(HandleRef h, std::initializer_list<Cls> cls, const char* expr, char* buffer,
           uint32_t length, const char* origin = __builtin_FUNCTION()) {
  return ItemValue<char*>(h, cls, expr, nullptr, [&](const Stmt& q, int32_t*) -> char* {
    return q.IsNull(0) ? nullptr : CopyOut(q.Text(0), buffer, length);
  }, origin);
}

unsigned char Bool(HandleRef h, std::initializer_list<Cls> cls, const char* expr,
                   const char* origin = __builtin_FUNCTION()) {
  return ItemValue<unsigned char>(h, cls, expr, 0, [](const Stmt& q, int32_t*) -> unsigned char {
    return q.Int(0) != 0;
  }, origin);
}

int32_t Number(HandleRef h, std::initializer_list<Cls> cls, const char* expr,
               const char* origin = __builtin_FUNCTION()) {
  return ItemValue<int32_t>(h, cls, expr, 0, [](const Stmt& q, int32_t*) {
    return static_cast<int32_t>(q.Int(0));
  }, origin);
}

PvxjDateTime Time(HandleRef h, std::initializer_list<Cls> cls, const char* expr,
                  const char* origin = __builtin_FUNCTION()) {
  return ItemValue<PvxjDateTime>(h, cls, expr, PvxjDateTime{}, [](const Stmt& q, int32_t*) {
    return q.IsNull(0) ? PvxjDateTime{} : DateTimeFromText(q.Text(0));
  }, origin);
}

// Whether the caller may change the item: its owner, an administrator, or
// someone authorised for the owner.
bool MayChange(Store& store, const ServiceState& svc, int64_t item_id) {
  Stmt q(store.db(), "SELECT owner_id FROM items WHERE id=?");
  q.Bind(1, item_id);
  if (!q.Step()) return false;
  int64_t owner = q.Int(0);
  if (owner == svc.person_id) return true;
  Stmt auth(store.db(), "SELECT 1 FROM persons p WHERE p.id=? AND (p.is_admin=1 OR "
                        "EXISTS(SELECT 1 FROM person_authorizations a JOIN persons o "
                        "ON o.user_id = a.authorized_for WHERE a.person_id = p.id AND o.id=?))");
  auth.Bind(1, svc.person_id).Bind(2, owner);
  return auth.Step();
}

// Runs a change of an item under a write transaction, after the deadlines
// that fell due are seen. fn(store, row, cls) returns the return code.
template <class Fn>
int32_t ChangeItem(HandleRef handle, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    Cls cls;
    if (int32_t rc = FindItem(handle, &row, &store, &cls)) return rc;
    if (!MayChange(*store, *row->service, row->id)) return PVX_ERROR_NOT_AUTHORIZED;
    WriteTx tx(*store);
    if (int32_t rc = fn(*store, *row, cls)) return rc;
    tx.Commit();
    return PVX_OK;
  }, origin);
}

int32_t NewRowHandle(Cls cls, int64_t id, std::string name,
                     const std::shared_ptr<ServiceState>& service, HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  auto obj = std::make_unique<RowObject>();
  obj->id = id;
  obj->name = std::move(name);
  obj->service = service;
  return AddHandle(cls, std::move(obj), out);
}

// A new handle on the same notification.
int32_t CopyNotification(HandleRef handle, Cls cls, HandleSlot copy,
                         const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    auto* row = Client::Get().handles.Get<RowObject>(handle, cls);
    if (!row) return PVX_ERROR_INVALID_HANDLE;
    return NewRowHandle(cls, row->id, row->name, row->service, copy);
  }, origin);
}

// The process instance (or activity instance) the item belongs to.
int32_t ItemOwnerRow(Store& store, int64_t item, const char* column, int64_t* id) {
  Stmt q(store.db(), std::string("SELECT ") + column + " FROM items WHERE id=?");
  q.Bind(1, item);
  if (!q.Step() || q.IsNull(0)) return PVX_ERROR_DOES_NOT_EXIST;
  *id = q.Int(0);
  return PVX_OK;
}

int32_t ObtainMonitor(HandleRef item, unsigned char deep, Cls cls, HandleSlot monitor,
                      const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindItem(item, &row, &store, nullptr)) return rc;
    if (!monitor) return PVX_ERROR_INVALID_RESULT_HANDLE;
    int64_t pi;
    if (int32_t rc = ItemOwnerRow(*store, row->id, "process_instance_id", &pi)) return rc;
    return NewMonitor(*store, cls, pi, 0, deep != 0, row->service, monitor);
  }, origin);
}

char* OidOf(HandleRef item, const char* column, const char* tag, char* buffer, uint32_t length,
            const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    RowObject* row;
    Store* store;
    Cls cls;
    if ((*rc = FindItem(item, &row, &store, &cls))) return nullptr;
    int64_t id = row->id;
    if (column && (*rc = ItemOwnerRow(*store, row->id, column, &id))) return nullptr;
    return CopyOut(FormatOid(tag ? tag : NotificationTag(cls), id), buffer, length);
  }, origin);
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> out;
  size_t from = 0;
  while (from <= list.size() && !list.empty()) {
    size_t to = list.find(';', from);
    if (to == std::string::npos) to = list.size();
    if (to > from) out.push_back(list.substr(from, to - from));
    from = to + 1;
  }
  return out;
}

// A list the activity of a notification has, as a new string vector.
PvxjStringVector ActivityList(HandleRef note, const char* expr,
                              const char* origin = __builtin_FUNCTION()) {
  return ItemValue<HandleRef>(note, kActivityNote, expr, 0, [&](const Stmt& q, int32_t* rc) -> HandleRef {
    uint32_t v = 0;
    if ((*rc = NewStringVector(Split(q.Text(0)), &v))) return 0;
    return v;
  }, origin);
}

}  // namespace

extern "C" {

// --- item functions -----------------------------------------------------------

int32_t PvxjItemObtainProcessInstanceMonitor(PvxjItem item, unsigned char deep,
                                             PvxjProcessInstanceMonitor* monitor) {
  return ObtainMonitor(item, deep, Cls::ProcessInstanceMonitor, monitor);
}

int32_t PvxjItemObtainProcessMonitor(PvxjItem item, unsigned char deep,
                                     PvxjInstanceMonitor* monitor) {
  return ObtainMonitor(item, deep, Cls::InstanceMonitor, monitor);
}

// --- process instance notifications ---------------------------------------------

int32_t PvxjProcessInstanceNotificationCopy(PvxjProcessInstanceNotification notification,
                                            PvxjProcessInstanceNotification* copy) {
  return CopyNotification(notification, Cls::ProcessInstanceNotification, copy);
}

PvxjDateTime PvxjProcessInstanceNotificationNotificationTime(
    PvxjProcessInstanceNotification notification) {
  return Time(notification, {Cls::ProcessInstanceNotification}, "t.created");
}

int32_t PvxjProcessInstanceNotificationPersistentObject(
    PvxjExecutionService service, const char* oid, PvxjProcessInstanceNotification* notification) {
  PvxjProcessInstanceNotification n = PvxjExecutionServicePersistentProcessInstanceNotification(service, oid);
  if (notification) *notification = n;
  return LastResultCode();
}

// --- activity instance notifications --------------------------------------------

int32_t PvxjActivityInstanceNotificationCopy(PvxjActivityInstanceNotification notification,
                                             PvxjActivityInstanceNotification* copy) {
  return CopyNotification(notification, Cls::ActivityInstanceNotification, copy);
}

int32_t PvxjActivityInstanceNotificationActivityInstance(
    PvxjActivityInstanceNotification notification, PvxjActivityInstance* activity) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(notification, Cls::ActivityInstanceNotification, &row, &store))
      return rc;
    int64_t ai;
    if (int32_t rc = ItemOwnerRow(*store, row->id, "activity_instance_id", &ai)) return rc;
    Stmt q(store->db(), "SELECT name FROM activity_instances WHERE id=?");
    q.Bind(1, ai);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    return NewRowHandle(Cls::ActivityInstance, ai, q.Text(0), row->service, activity);
  });
}

int32_t PvxjActivityInstanceNotificationStartTool(PvxjActivityInstanceNotification notification,
                                                  const char* toolName) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(notification, Cls::ActivityInstanceNotification, &row, &store))
      return rc;
    Stmt q(store->db(), std::string("SELECT a.support_tools") + kItemFrom);
    q.Bind(1, row->id);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    std::vector<std::string> tools = Split(q.Text(0));
    if (tools.empty()) return PVX_ERROR_INVALID_TOOL;
    if (!toolName) return PVX_OK;  // the first tool
    for (const std::string& t : tools)
      if (t == toolName) return PVX_OK;
    return PVX_ERROR_INVALID_TOOL;
  });
}

int32_t PvxjActivityInstanceNotificationErrorReason(PvxjActivityInstanceNotification notification,
                                                    PvxjError* error) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(notification, Cls::ActivityInstanceNotification, &row, &store))
      return rc;
    Stmt q(store->db(), std::string("SELECT ai.error_reason") + kItemFrom);
    q.Bind(1, row->id);
    if (!q.Step() || q.IsNull(0)) return PVX_ERROR_DOES_NOT_EXIST;
    return NewError(PVX_ERROR_PROGRAM_EXECUTION, {q.Text(0)}, error);
  });
}

// The staff of the activity: who holds or held its work items.
PvxjStringVector PvxjActivityInstanceNotificationStaff(PvxjActivityInstanceNotification notification) {
  return ActivityList(notification,
                      "(SELECT group_concat(user_id, ';') FROM (SELECT DISTINCT u.user_id FROM items w "
                      "JOIN persons u ON u.id = w.owner_id WHERE w.activity_instance_id = ai.id "
                      "AND w.kind = 1 ORDER BY u.user_id))");
}

PvxjStringVector PvxjActivityInstanceNotificationSupportTools(
    PvxjActivityInstanceNotification notification) {
  return ActivityList(notification, "a.support_tools");
}

int32_t PvxjActivityInstanceNotificationPersistentObject(
    PvxjExecutionService service, const char* oid, PvxjActivityInstanceNotification* notification) {
  PvxjActivityInstanceNotification n =
      PvxjExecutionServicePersistentActivityInstanceNotification(service, oid);
  if (notification) *notification = n;
  return LastResultCode();
}

char* PvxjActivityInstanceNotificationPersistentOidOfActivityInstance(
    PvxjActivityInstanceNotification notification, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    RowObject* row;
    Store* store;
    if ((*rc = FindStoredRow(notification, Cls::ActivityInstanceNotification, &row, &store)))
      return nullptr;
    int64_t ai;
    if ((*rc = ItemOwnerRow(*store, row->id, "activity_instance_id", &ai))) return nullptr;
    return CopyOut(FormatOid(oid_tag::kActivityInstance, ai), buffer, bufferLength);
  });
}

int32_t PvxjActivityInstanceNotificationState(PvxjActivityInstanceNotification notification) {
  return Number(notification, kActivityNote, "ai.state");
}

int32_t PvxjActivityInstanceNotificationStateOfNotification(
    PvxjActivityInstanceNotification notification) {
  return Number(notification, kActivityNote, PVXJSIM_STATE_OF_NOTIFICATION("ai.deadline_state"));
}

int32_t PvxjActivityInstanceNotificationActivityKind(PvxjActivityInstanceNotification notification) {
  return Number(notification, kActivityNote, "ai.kind");
}

unsigned char PvxjActivityInstanceNotificationManualExitMode(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "a.manual_exit");
}
unsigned char PvxjActivityInstanceNotificationManualStartMode(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "a.manual_start");
}
unsigned char PvxjActivityInstanceNotificationExpired(PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "ai.deadline_state = 3");
}
unsigned char PvxjActivityInstanceNotificationStartOverdue(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote,
              "ai.notify_at IS NOT NULL AND ai.deadline_state >= 1 AND "
              "(ai.started IS NULL OR ai.started > ai.notify_at)");
}
unsigned char PvxjActivityInstanceNotificationErrorReasonIsNull(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "ai.error_reason IS NULL");
}
unsigned char PvxjActivityInstanceNotificationExpirationTimeIsNull(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "ai.expire_at IS NULL");
}
unsigned char PvxjActivityInstanceNotificationImplementationIsNull(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "coalesce(a.program, a.subprocess) IS NULL");
}
unsigned char PvxjActivityInstanceNotificationSecondNotificationTimeIsNull(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "ai.notify2_at IS NULL");
}
unsigned char PvxjActivityInstanceNotificationSupportToolsIsNull(
    PvxjActivityInstanceNotification notification) {
  return Bool(notification, kActivityNote, "coalesce(a.support_tools, '') = ''");
}

char* PvxjActivityInstanceNotificationStartCondition(PvxjActivityInstanceNotification notification,
                                                     char* buffer, uint32_t bufferLength) {
  return Text(notification, kActivityNote, "a.start_condition", buffer, bufferLength);
}
char* PvxjActivityInstanceNotificationExitCondition(PvxjActivityInstanceNotification notification,
                                                    char* buffer, uint32_t bufferLength) {
  return Text(notification, kActivityNote, "a.exit_condition", buffer, bufferLength);
}
char* PvxjActivityInstanceNotificationImplementation(PvxjActivityInstanceNotification notification,
                                                     char* buffer, uint32_t bufferLength) {
  return Text(notification, kActivityNote, "coalesce(a.program, a.subprocess)", buffer, bufferLength);
}

PvxjDateTime PvxjActivityInstanceNotificationFirstNotificationTime(
    PvxjActivityInstanceNotification notification) {
  return Time(notification, kActivityNote, "ai.notify_at");
}
PvxjDateTime PvxjActivityInstanceNotificationSecondNotificationTime(
    PvxjActivityInstanceNotification notification) {
  return Time(notification, kActivityNote, "ai.notify2_at");
}
PvxjDateTime PvxjActivityInstanceNotificationExpirationTime(
    PvxjActivityInstanceNotification notification) {
  return Time(notification, kActivityNote, "ai.expire_at");
}

int32_t PvxjActivityInstanceNotificationPriority(PvxjActivityInstanceNotification notification) {
  return Number(notification, kActivityNote, "ai.priority");
}

}  // extern "C"
