// Activity instances as a process administrator sees them: their
// properties, their containers, the work items made for them and the
// recovery of an instance (restart in error, force finish or restart,
// terminate); and activity instance lists.
#include <pvxj/execution_service.h>
#include <pvxj/activity_instance.h>

#include "client.h"
#include "clock.h"
#include "container.h"
#include "engine.h"
#include "error.h"
#include "notification_rules.h"
#include "persistent_list.h"
#include "query_source.h"
#include "session_id.h"
#include "string_vector.h"
#include "work_objects.h"

using namespace pvxjsim;

namespace {

char* AiText(HandleRef h, const char* expr, char* b, uint32_t n, const char* origin = __builtin_FUNCTION()) {
  return WorkText(h, kActivityOnly, Over::kActivity, expr, b, n, origin);
}
unsigned char AiIsNull(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkIsNull(h, kActivityOnly, Over::kActivity, expr, origin);
}
unsigned char AiFlag(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkFlag(h, kActivityOnly, Over::kActivity, expr, origin);
}
int32_t AiNumber(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkNumber(h, kActivityOnly, Over::kActivity, expr, origin);
}
PvxjDateTime AiTime(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkTime(h, kActivityOnly, Over::kActivity, expr, origin);
}

// The process administrator's actions: an administrator, or the instance's
// process administrator; in one transaction kept only on success.
template <class Fn>
int32_t AdminAction(PvxjActivityInstance ai, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return WorkCall(ai, kActivityOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (!IsAdministrator(store, *row.service)) {
      auto admin = ReadText(store, Over::kActivity, row.id, "coalesce(p.process_admin, pt.process_admin)");
      if (!admin || *admin != row.service->user_id) return PVX_ERROR_NOT_AUTHORIZED;
    }
    WriteTx tx(store);
    int32_t rc = fn(store, row);
    if (rc == PVX_OK) tx.Commit();
    return rc;
  }, origin);
}

// The work item of the activity that a person owns; 0 for none.
int64_t ItemOf(Store& store, int64_t ai, int64_t person) {
  // The open one first: an earlier run of the activity may have left an
  // ended item of the same person.
  Stmt q(store.db(), "SELECT id FROM items WHERE activity_instance_id=? AND kind=1 AND owner_id=? "
                     "ORDER BY state NOT IN (1, 2, 16, 64), id");
  q.Bind(1, ai).Bind(2, person);
  return q.Step() ? q.Int(0) : 0;
}

// Any work item of the activity, the checked-out or running one first, then
// the other open ones; an ended one (an earlier run's) only when none is open.
int64_t AnyItem(Store& store, int64_t ai, int64_t* owner) {
  Stmt q(store.db(), "SELECT id, owner_id FROM items WHERE activity_instance_id=? AND kind=1 "
                     "ORDER BY CASE state WHEN 64 THEN 0 WHEN 2 THEN 1 WHEN 1 THEN 2 WHEN 16 THEN 2 "
                     "ELSE 3 END, id");
  q.Bind(1, ai);
  if (!q.Step()) return 0;
  if (owner) *owner = q.Int(1);
  return q.Int(0);
}

// Persons holding the activity's notifications of one kind.
#define NOTIFIED(kind)                                                                        \
  "(SELECT group_concat(u.user_id, ';') FROM (SELECT DISTINCT n.owner_id FROM items n WHERE " \
  "n.activity_instance_id = a.id AND n.kind = " #kind ") x JOIN persons u ON u.id = x.owner_id)"

}  // namespace

extern "C" {

int32_t PvxjActivityInstanceCopy(PvxjActivityInstance activityInstance, PvxjActivityInstance* copy) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindWorkRow(activityInstance, kActivityOnly, false, &row, &store)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(Cls::ActivityInstance, std::make_unique<RowObject>(*row), copy);
  });
}

unsigned char PvxjActivityInstanceEqual(PvxjActivityInstance activityInstance, PvxjActivityInstance other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    RowObject *x, *y;
    Store* store;
    if ((*rc = FindWorkRow(activityInstance, kActivityOnly, false, &x, &store))) return 0;
    if ((*rc = FindWorkRow(other, kActivityOnly, false, &y, &store))) return 0;
    return x->id == y->id ? 1 : 0;
  });
}

int32_t PvxjActivityInstanceRefresh(PvxjActivityInstance activityInstance) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (auto name = ReadText(store, Over::kActivity, row.id, "a.name")) row.name = *name;
    return PVX_OK;
  });
}

int32_t PvxjActivityInstancePersistentObject(PvxjExecutionService service, const char* oid,
                                             PvxjActivityInstance* activityInstance) {
  PvxjActivityInstance a = PvxjExecutionServicePersistentActivityInstance(service, oid);
  if (activityInstance) *activityInstance = a;
  return LastResultCode();
}

char* PvxjActivityInstancePersistentOid(PvxjActivityInstance activityInstance, char* buffer, uint32_t bufferLength) {
  return WithWorkRow<char*>(activityInstance, kActivityOnly, nullptr, [&](Store&, RowObject& row, int32_t*) {
    return CopyOut(FormatOid(oid_tag::kActivityInstance, row.id), buffer, bufferLength);
  });
}

int32_t PvxjActivityInstanceInContainer(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer* container) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) {
    return ActivityContainer(store, row.id, "in", Cls::ReadOnlyContainer, container);
  });
}

int32_t PvxjActivityInstanceOutContainer(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer* container) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) {
    return ActivityContainer(store, row.id, "out", Cls::ReadOnlyContainer, container);
  });
}

int32_t PvxjActivityInstanceSetOutContainer(PvxjActivityInstance activityInstance, PvxjReadWriteContainer container) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadWriteContainer);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    return StoreActivityOutput(store, row.id, c->record);
  });
}

int32_t PvxjActivityInstanceForceFinish(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer readOnly,
                                        PvxjReadWriteContainer readWrite) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) {
    return ForceFinishWith(store, row.id, readOnly, readWrite, 0);
  });
}

int32_t PvxjActivityInstanceForceRestart(PvxjActivityInstance activityInstance, PvxjReadOnlyContainer readOnly,
                                         PvxjReadWriteContainer readWrite) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) {
    return ForceRestartWith(store, row.id, readOnly, readWrite);
  });
}

int32_t PvxjActivityInstanceRestart(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) { return RestartActivity(store, row.id); });
}

int32_t PvxjActivityInstanceFinish(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    if (!ReadNumber(store, Over::kActivity, row.id, "d.manual_exit").value_or(0)) return PVX_ERROR_NO_MANUAL_EXIT;
    return FinishExecutedActivity(store, row.id);
  });
}

int32_t PvxjActivityInstanceReexecute(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    if (!ReadNumber(store, Over::kActivity, row.id, "d.manual_exit").value_or(0)) return PVX_ERROR_NO_MANUAL_EXIT;
    return ReexecuteActivity(store, row.id);
  });
}

int32_t PvxjActivityInstanceReschedule(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) { return RescheduleActivity(store, row.id); });
}

int32_t PvxjActivityInstanceTerminate(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    int64_t item = AnyItem(store, row.id, nullptr);
    if (!item) return PVX_ERROR_WRONG_STATE;
    // The administrator may terminate any person's work item.
    return TerminateWorkitem(store, item, row.service->person_id);
  });
}

int32_t PvxjActivityInstanceCancelCheckOut(PvxjActivityInstance activityInstance) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    int64_t owner = 0;
    int64_t item = AnyItem(store, row.id, &owner);
    if (!item) return PVX_ERROR_WRONG_STATE;
    return CancelCheckOutWorkitem(store, item, owner);
  });
}

int32_t PvxjActivityInstanceSetDescription(PvxjActivityInstance activityInstance, const char* description) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    // The description lives with the activity's work items, where their
    // owners see it.
    Stmt u(store.db(), "UPDATE items SET description=?, modified=? WHERE activity_instance_id=? AND kind=1");
    u.Bind(1, description).Bind(2, std::string_view(ClockNow(store))).Bind(3, row.id).Run();
    return PVX_OK;
  });
}

int32_t PvxjActivityInstanceCreateWorkitem(PvxjActivityInstance activityInstance, const char* userId) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    int64_t person = userId ? PersonIdOf(store, userId) : 0;
    if (!person) return PVX_ERROR_OWNER_NOT_FOUND;
    return AddWorkitemFor(store, row.id, person);
  });
}

int32_t PvxjActivityInstanceDeleteWorkitem(PvxjActivityInstance activityInstance, const char* userId) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    int64_t person = userId ? PersonIdOf(store, userId) : 0;
    if (!person) return PVX_ERROR_OWNER_NOT_FOUND;
    int64_t item = ItemOf(store, row.id, person);
    if (!item) return PVX_ERROR_DOES_NOT_EXIST;
    // The last work item of an activity that still waits for one is kept:
    // without it nobody could finish the activity.
    Stmt n(store.db(), "SELECT count(*) FROM items WHERE activity_instance_id=? AND kind=1 AND id<>? "
                       "AND state IN (1, 2, 16, 64)");
    n.Bind(1, row.id).Bind(2, item);
    n.Step();
    int64_t state = ReadNumber(store, Over::kActivity, row.id, "a.state").value_or(0);
    if (n.Int(0) == 0 && (state == kAsReady || state == kAsRunning || state == kAsCheckedOut))
      return PVX_ERROR_WRONG_STATE;
    Stmt d(store.db(), "DELETE FROM items WHERE id=?");
    d.Bind(1, item).Run();
    return PVX_OK;
  });
}

int32_t PvxjActivityInstanceTransferWorkitem(PvxjActivityInstance activityInstance, const char* fromUserId,
                                             const char* toUserId) {
  return AdminAction(activityInstance, [&](Store& store, RowObject& row) -> int32_t {
    int64_t from = fromUserId ? PersonIdOf(store, fromUserId) : 0;
    if (!from) return PVX_ERROR_OWNER_NOT_FOUND;
    int64_t item = ItemOf(store, row.id, from);
    if (!item) return PVX_ERROR_DOES_NOT_EXIST;
    if (!toUserId) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
    return TransferWorkitem(store, item, row.service->person_id, toUserId);
  });
}

int32_t PvxjActivityInstanceProcessInstance(PvxjActivityInstance activityInstance, PvxjProcessInstance* instance) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) {
    return AddRowObject(Cls::ProcessInstance, ReadNumber(store, Over::kActivity, row.id, "p.id").value_or(0),
                        ReadText(store, Over::kActivity, row.id, "p.name").value_or(""), row.service, instance);
  });
}

int32_t PvxjActivityInstanceSubProcessInstance(PvxjActivityInstance activityInstance,
                                               PvxjProcessInstance* instance) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (!instance) return PVX_ERROR_INVALID_RESULT_HANDLE;
    if (ReadNumber(store, Over::kActivity, row.id, "a.kind").value_or(0) != 1) return PVX_ERROR_WRONG_KIND;
    Stmt q(store.db(), "SELECT id, name FROM process_instances WHERE parent_activity_instance_id=? "
                       "ORDER BY id DESC LIMIT 1");
    q.Bind(1, row.id);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    return AddRowObject(Cls::ProcessInstance, q.Int(0), q.Text(1), row.service, instance);
  });
}

int32_t PvxjActivityInstanceErrorReason(PvxjActivityInstance activityInstance, PvxjError* error) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (!error) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto reason = ReadText(store, Over::kActivity, row.id, "a.error_reason");
    if (!reason) return PVX_ERROR_DOES_NOT_EXIST;
    return NewError(PVX_ERROR_PROGRAM_EXECUTION, {*reason}, error);
  });
}

PvxjStringVector PvxjActivityInstanceStaff(PvxjActivityInstance activityInstance) {
  return WithWorkRow<HandleRef>(activityInstance, kActivityOnly, 0, [&](Store& store, RowObject& row, int32_t* rc) {
    uint32_t out = 0;
    *rc = NewStringVector(ResolvedStaff(store, row.id), &out);
    return out;
  });
}
PvxjStringVector PvxjActivityInstanceFirstNotifiedPersons(PvxjActivityInstance a) {
  return WorkList(a, kActivityOnly, Over::kActivity, NOTIFIED(4));
}
PvxjStringVector PvxjActivityInstanceSecondNotifiedPersons(PvxjActivityInstance a) {
  return WorkList(a, kActivityOnly, Over::kActivity, NOTIFIED(5));
}
PvxjStringVector PvxjActivityInstanceSupportTools(PvxjActivityInstance a) {
  return WorkList(a, kActivityOnly, Over::kActivity, "d.support_tools");
}

int32_t PvxjActivityInstanceState(PvxjActivityInstance a) { return AiNumber(a, "a.state"); }
int32_t PvxjActivityInstanceKind(PvxjActivityInstance a) { return AiNumber(a, "a.kind"); }
int32_t PvxjActivityInstanceStateOfNotification(PvxjActivityInstance a) {
  return AiNumber(a, PVXJSIM_STATE_OF_NOTIFICATION("a.deadline_state"));
}
int32_t PvxjActivityInstanceProcessInstanceState(PvxjActivityInstance a) { return AiNumber(a, "p.state"); }
int32_t PvxjActivityInstancePriority(PvxjActivityInstance a) { return AiNumber(a, "a.priority"); }
unsigned char PvxjActivityInstanceIsComplete(PvxjActivityInstance a) {
  return AiFlag(a, "d.kind = 16 OR d.program IS NOT NULL OR d.subprocess IS NOT NULL");
}
unsigned char PvxjActivityInstanceManualExitMode(PvxjActivityInstance a) { return AiFlag(a, "d.manual_exit"); }
unsigned char PvxjActivityInstanceManualStartMode(PvxjActivityInstance a) { return AiFlag(a, "d.manual_start"); }

// The description a tester set lives with the work items (SetDescription).
#define AI_DESCRIPTION                                                                                   \
  "coalesce((SELECT i.description FROM items i WHERE i.activity_instance_id = a.id AND i.kind = 1 AND " \
  "i.description IS NOT NULL ORDER BY i.modified DESC, i.id LIMIT 1), d.description)"
#define AI_ADMIN "coalesce(p.process_admin, pt.process_admin)"
#define AI_IMPLEMENTATION "coalesce(d.program, d.subprocess)"

unsigned char PvxjActivityInstanceCategoryIsNull(PvxjActivityInstance a) { return AiIsNull(a, "d.category"); }
unsigned char PvxjActivityInstanceDescriptionIsNull(PvxjActivityInstance a) { return AiIsNull(a, AI_DESCRIPTION); }
unsigned char PvxjActivityInstanceDocumentationIsNull(PvxjActivityInstance a) {
  return AiIsNull(a, "d.documentation");
}
unsigned char PvxjActivityInstanceEndTimeIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.ended"); }
unsigned char PvxjActivityInstanceActivationTimeIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.activated"); }
unsigned char PvxjActivityInstanceStartTimeIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.started"); }
unsigned char PvxjActivityInstanceFirstNotificationTimeIsNull(PvxjActivityInstance a) {
  return AiIsNull(a, "a.notify_at");
}
unsigned char PvxjActivityInstanceSecondNotificationTimeIsNull(PvxjActivityInstance a) {
  return AiIsNull(a, "a.notify2_at");
}
unsigned char PvxjActivityInstanceExpirationTimeIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.expire_at"); }
unsigned char PvxjActivityInstanceImplementationIsNull(PvxjActivityInstance a) {
  return AiIsNull(a, AI_IMPLEMENTATION);
}
unsigned char PvxjActivityInstanceStarterIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.starter"); }
unsigned char PvxjActivityInstanceErrorReasonIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.error_reason"); }
unsigned char PvxjActivityInstancePriorityIsNull(PvxjActivityInstance a) { return AiIsNull(a, "a.priority"); }
unsigned char PvxjActivityInstanceProcessAdminIsNull(PvxjActivityInstance a) { return AiIsNull(a, AI_ADMIN); }

char* PvxjActivityInstanceCategory(PvxjActivityInstance a, char* b, uint32_t n) { return AiText(a, "d.category", b, n); }
char* PvxjActivityInstanceDescription(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, AI_DESCRIPTION, b, n);
}
char* PvxjActivityInstanceDocumentation(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "d.documentation", b, n);
}
// The name qualified by the blocks around the activity, outermost first.
char* PvxjActivityInstanceFullName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a,
                "coalesce((WITH RECURSIVE up(id, block, path) AS (SELECT a.id, a.block_instance_id, a.name "
                "UNION ALL SELECT x.id, x.block_instance_id, x.name || '.' || up.path FROM activity_instances x "
                "JOIN up ON x.id = up.block) SELECT path FROM up WHERE block IS NULL), a.name)",
                b, n);
}
char* PvxjActivityInstanceInContainerName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(d.in_container, 'Default')", b, n);
}
char* PvxjActivityInstanceOutContainerName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(d.out_container, 'Default')", b, n);
}
char* PvxjActivityInstanceProcessInstanceName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "p.name", b, n);
}
char* PvxjActivityInstanceStarter(PvxjActivityInstance a, char* b, uint32_t n) { return AiText(a, "a.starter", b, n); }
char* PvxjActivityInstanceImplementation(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, AI_IMPLEMENTATION, b, n);
}
char* PvxjActivityInstanceStartCondition(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(d.start_condition, '')", b, n);
}
char* PvxjActivityInstanceExitCondition(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(d.exit_condition, '')", b, n);
}
char* PvxjActivityInstanceProcessAdmin(PvxjActivityInstance a, char* b, uint32_t n) { return AiText(a, AI_ADMIN, b, n); }
char* PvxjActivityInstanceProcessInstanceSystemGroupName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(p.system_group, (SELECT value FROM meta WHERE key='system_group_name'))", b, n);
}
char* PvxjActivityInstanceProcessInstanceSystemName(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce(p.system_name, (SELECT value FROM meta WHERE key='system_name'))", b, n);
}
char* PvxjActivityInstanceIcon(PvxjActivityInstance a, char* b, uint32_t n) {
  return AiText(a, "coalesce((SELECT g.icon FROM programs g WHERE g.name = d.program), pt.icon, '')", b, n);
}

PvxjDateTime PvxjActivityInstanceStartTime(PvxjActivityInstance a) { return AiTime(a, "a.started"); }
PvxjDateTime PvxjActivityInstanceEndTime(PvxjActivityInstance a) { return AiTime(a, "a.ended"); }
PvxjDateTime PvxjActivityInstanceActivationTime(PvxjActivityInstance a) { return AiTime(a, "a.activated"); }
PvxjDateTime PvxjActivityInstanceFirstNotificationTime(PvxjActivityInstance a) { return AiTime(a, "a.notify_at"); }
PvxjDateTime PvxjActivityInstanceSecondNotificationTime(PvxjActivityInstance a) { return AiTime(a, "a.notify2_at"); }
PvxjDateTime PvxjActivityInstanceExpirationTime(PvxjActivityInstance a) { return AiTime(a, "a.expire_at"); }
PvxjDateTime PvxjActivityInstanceLastModificationTime(PvxjActivityInstance a) {
  return AiTime(a, "coalesce(a.modified, a.last_state_change, a.created)");
}
PvxjDateTime PvxjActivityInstanceLastStateChangeTime(PvxjActivityInstance a) {
  return AiTime(a, "coalesce(a.last_state_change, a.created)");
}

int32_t PvxjActivityInstanceObtainProcessInstanceMonitor(PvxjActivityInstance activityInstance, unsigned char deep,
                                                         PvxjProcessInstanceMonitor* monitor) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) {
    const char* id = deep ? "coalesce(p.top_level_id, p.id)" : "p.id";
    return AddRowObject(Cls::ProcessInstanceMonitor, ReadNumber(store, Over::kActivity, row.id, id).value_or(0),
                        ReadText(store, Over::kActivity, row.id, "p.name").value_or(""), row.service, monitor);
  });
}

int32_t PvxjActivityInstanceObtainProcessMonitor(PvxjActivityInstance activityInstance, unsigned char deep,
                                                 PvxjInstanceMonitor* monitor) {
  return WorkCall(activityInstance, kActivityOnly, [&](Store& store, RowObject& row) {
    const char* id = deep ? "coalesce(p.top_level_id, p.id)" : "p.id";
    return AddRowObject(Cls::InstanceMonitor, ReadNumber(store, Over::kActivity, row.id, id).value_or(0),
                        ReadText(store, Over::kActivity, row.id, "p.name").value_or(""), row.service, monitor);
  });
}

// --- activity instance lists -------------------------------------------------

int32_t PvxjActivityInstanceListCopy(PvxjActivityInstanceList list, PvxjActivityInstanceList* copy) {
  return Guarded([&]() -> int32_t {
    auto* row = Client::Get().handles.Get<RowObject>(list, Cls::ActivityInstanceList);
    if (!row) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(Cls::ActivityInstanceList, std::make_unique<RowObject>(*row), copy);
  });
}

unsigned char PvxjActivityInstanceListEqual(PvxjActivityInstanceList list, PvxjActivityInstanceList other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto& handles = Client::Get().handles;
    auto* x = handles.Get<RowObject>(list, Cls::ActivityInstanceList);
    auto* y = handles.Get<RowObject>(other, Cls::ActivityInstanceList);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return x->id == y->id ? 1 : 0;
  });
}

int32_t PvxjActivityInstanceListQueryActivityInstances(PvxjActivityInstanceList list,
                                                       PvxjActivityInstanceVector* vector) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow l;
    if (int32_t rc = FindVisibleList(list, &row, &store, &l, Cls::ActivityInstanceList)) return rc;
    if (int32_t rc = CheckVectorSlot(Cls::ActivityInstanceVector, vector)) return rc;
    std::vector<ElementRef> found;
    if (int32_t rc = RunQuery(*store, ActivityInstanceSource(), l.filter ? l.filter->c_str() : nullptr,
                              l.sort ? l.sort->c_str() : nullptr, l.threshold, row->service->user_id, &found))
      return rc;
    return DeliverVector(Cls::ActivityInstanceVector, Cls::ActivityInstance, std::move(found), row->service, vector);
  });
}

}  // extern "C"
