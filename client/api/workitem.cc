// Work items: what their owners do with them (start, check out and in,
// finish, hold, transfer), what a process administrator does through them
// (terminate, force finish or restart), and the properties of the activity
// they stand for. Their item properties are those of client/item.cc.
#include <algorithm>

#include <pvxj/execution_service.h>
#include <pvxj/workitem.h>

#include "client.h"
#include "clock.h"
#include "container.h"
#include "engine.h"
#include "error.h"
#include "notification_rules.h"
#include "program_data.h"
#include "session_id.h"
#include "string_vector.h"
#include "work_objects.h"

using namespace pvxjsim;

namespace {

int64_t ActivityOf(Store& store, int64_t item) {
  return ReadNumber(store, Over::kItem, item, "t.activity_instance_id").value_or(0);
}

// A work item action of its owner (or of whom the engine also allows), in
// one transaction that stays only when it succeeds.
template <class Fn>
int32_t OwnerAction(PvxjWorkitem w, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return WorkCall(w, kWorkitemOnly, [&](Store& store, RowObject& row) -> int32_t {
    WriteTx tx(store);
    int32_t rc = fn(store, row);
    if (rc == PVX_OK) tx.Commit();
    return rc;
  }, origin);
}

// The process administrator's actions: an administrator, or the instance's
// process administrator.
bool MayAdminister(Store& store, const RowObject& row, Over over) {
  if (IsAdministrator(store, *row.service)) return true;
  auto admin = ReadText(store, over, row.id, "coalesce(p.process_admin, pt.process_admin)");
  return admin && *admin == row.service->user_id;
}

char* OwnText(HandleRef h, const char* expr, char* b, uint32_t n, const char* origin = __builtin_FUNCTION()) {
  return WorkText(h, kWorkitemOnly, Over::kItem, expr, b, n, origin);
}
unsigned char OwnIsNull(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkIsNull(h, kWorkitemOnly, Over::kItem, expr, origin);
}
PvxjDateTime OwnTime(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkTime(h, kWorkitemOnly, Over::kItem, expr, origin);
}

std::vector<std::pair<std::string, std::string>> AsOutput(const Record& record) {
  std::vector<std::pair<std::string, std::string>> out;
  // Predefined members (_RC, _PROCESS, ...) are the engine's to fill, not
  // output the activity hands on.
  for (const Field& f : record.fields)
    if (!std::holds_alternative<std::monostate>(f.value) && !f.name.starts_with('_'))
      out.emplace_back(f.name, ValueText(f.value));
  return out;
}

}  // namespace

namespace pvxjsim {

int32_t ForceFinishWith(Store& store, int64_t ai, HandleRef read_only, HandleRef read_write, int64_t item) {
  int32_t rc;
  auto given = GivenContainer(read_only, read_write, &rc);
  if (rc) return rc;
  if (given) {
    auto structure = ActivityOutStructure(store, ai);
    if (!structure || given->type_name != *structure) return PVX_ERROR_INVALID_CONTAINER;
    given->kind = RecordKind::kReadWriteContainer;
  }
  return ForceFinishActivity(store, ai, given ? &*given : nullptr, item);
}

int32_t ForceRestartWith(Store& store, int64_t ai, HandleRef read_only, HandleRef read_write) {
  int32_t rc;
  auto given = GivenContainer(read_only, read_write, &rc);
  if (rc) return rc;
  if (given) {
    auto structure = ReadText(store, Over::kActivity, ai, "d.in_container");
    if (!structure || given->type_name != *structure) return PVX_ERROR_INVALID_CONTAINER;
  }
  if ((rc = ForceRestartActivity(store, ai))) return rc;
  if (given) {
    // The activity runs again on the values given.
    given->kind = RecordKind::kReadOnlyContainer;
    SaveContainer(store, "AI", ai, "in", *given);
  }
  return PVX_OK;
}

}  // namespace pvxjsim

extern "C" {

int32_t PvxjWorkitemCopy(PvxjWorkitem workitem, PvxjWorkitem* copy) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindWorkRow(workitem, kWorkitemOnly, false, &row, &store)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(Cls::Workitem, std::make_unique<RowObject>(*row), copy);
  });
}

int32_t PvxjWorkitemPersistentObject(PvxjExecutionService service, const char* oid, PvxjWorkitem* workitem) {
  PvxjWorkitem w = PvxjExecutionServicePersistentWorkitem(service, oid);
  if (workitem) *workitem = w;
  return LastResultCode();
}

char* PvxjWorkitemPersistentOidOfActivityInstance(PvxjWorkitem workitem, char* buffer, uint32_t bufferLength) {
  return WithWorkRow<char*>(workitem, kWorkitemOnly, nullptr, [&](Store& store, RowObject& row, int32_t*) -> char* {
    return CopyOut(FormatOid(oid_tag::kActivityInstance, ActivityOf(store, row.id)), buffer, bufferLength);
  });
}

int32_t PvxjWorkitemStart(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) {
    return StartWorkitem(store, row.id, row.service->person_id);
  });
}

int32_t PvxjWorkitemCheckOut(PvxjWorkitem workitem, int32_t requestedData, int32_t platform, PvxjProgramData* data) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!data) return PVX_ERROR_INVALID_RESULT_HANDLE;
    ProgramData d;
    if (int32_t rc = CheckOutWorkitem(store, row.id, row.service->person_id, requestedData, platform, &d))
      return rc;
    auto obj = std::make_unique<RecordObject>();
    obj->record = ProgramDataRecord(d);
    obj->record.kind = RecordKind::kProgramData;
    return AddHandle(Cls::ProgramData, std::move(obj), data);
  });
}

int32_t PvxjWorkitemCancelCheckOut(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) {
    return CancelCheckOutWorkitem(store, row.id, row.service->person_id);
  });
}

int32_t PvxjWorkitemCheckIn(PvxjWorkitem workitem, PvxjReadWriteContainer output, int32_t returnCode) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    std::vector<std::pair<std::string, std::string>> values;
    if (output) {
      auto* c = Client::Get().handles.Get<RecordObject>(output, Cls::ReadWriteContainer);
      if (!c) return PVX_ERROR_INVALID_HANDLE;
      auto structure = ActivityOutStructure(store, ActivityOf(store, row.id));
      if (!structure || c->record.type_name != *structure) return PVX_ERROR_INVALID_CONTAINER;
      values = AsOutput(c->record);
    } else if (auto kept = LoadContainer(store, "AI", ActivityOf(store, row.id), "out")) {
      values = AsOutput(*kept);  // what SetOutContainer left
    }
    return CheckInWorkitem(store, row.id, row.service->person_id, returnCode, values);
  });
}

int32_t PvxjWorkitemFinish(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    std::vector<std::pair<std::string, std::string>> values;
    if (auto kept = LoadContainer(store, "AI", ActivityOf(store, row.id), "out")) values = AsOutput(*kept);
    return FinishWorkitem(store, row.id, row.service->person_id, 0, values);
  });
}

int32_t PvxjWorkitemTerminate(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) {
    return TerminateWorkitem(store, row.id, row.service->person_id);
  });
}

int32_t PvxjWorkitemRestart(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!MayAdminister(store, row, Over::kItem)) {
      int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
      if (owner != row.service->person_id) return PVX_ERROR_NOT_AUTHORIZED;
    }
    return RestartActivity(store, ActivityOf(store, row.id));
  });
}

int32_t PvxjWorkitemPutOnHold(PvxjWorkitem workitem, PvxjDateTime until) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) {
    return HoldWorkitem(store, row.id, row.service->person_id, StoreTimeText(until));
  });
}

int32_t PvxjWorkitemTakeOffHold(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) {
    return ReleaseWorkitem(store, row.id, row.service->person_id);
  });
}

int32_t PvxjWorkitemResetProperties(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
    if (owner != row.service->person_id) return PVX_ERROR_NOT_AUTHORIZED;
    Stmt u(store.db(), "UPDATE items SET name=(SELECT a.name FROM activity_instances a WHERE a.id = "
                       "items.activity_instance_id), description=(SELECT d.description FROM activity_instances a "
                       "JOIN activities d ON d.id = a.activity_id WHERE a.id = items.activity_instance_id), "
                       "modified=? WHERE id=?");
    u.Bind(1, std::string_view(ClockNow(store))).Bind(2, row.id).Run();
    if (auto name = ReadText(store, Over::kItem, row.id, "t.name")) row.name = *name;
    return PVX_OK;
  });
}

int32_t PvxjWorkitemForceFinish(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!MayAdminister(store, row, Over::kItem)) return PVX_ERROR_NOT_AUTHORIZED;
    return ForceFinishWith(store, ActivityOf(store, row.id), 0, 0, row.id);
  });
}

int32_t PvxjWorkitemForceRestart(PvxjWorkitem workitem) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!MayAdminister(store, row, Over::kItem)) return PVX_ERROR_NOT_AUTHORIZED;
    return ForceRestartWith(store, ActivityOf(store, row.id), 0, 0);
  });
}

int32_t PvxjWorkitemForceFinishWithContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer readOnly,
                                             PvxjReadWriteContainer readWrite) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!MayAdminister(store, row, Over::kItem)) return PVX_ERROR_NOT_AUTHORIZED;
    return ForceFinishWith(store, ActivityOf(store, row.id), readOnly, readWrite, row.id);
  });
}

int32_t PvxjWorkitemForceRestartWithContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer readOnly,
                                              PvxjReadWriteContainer readWrite) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    if (!MayAdminister(store, row, Over::kItem)) return PVX_ERROR_NOT_AUTHORIZED;
    return ForceRestartWith(store, ActivityOf(store, row.id), readOnly, readWrite);
  });
}

int32_t PvxjWorkitemInContainer(PvxjWorkitem workitem, PvxjReadOnlyContainer* container) {
  return WorkCall(workitem, kWorkitemOnly, [&](Store& store, RowObject& row) {
    return ActivityContainer(store, ActivityOf(store, row.id), "in", Cls::ReadOnlyContainer, container);
  });
}

int32_t PvxjWorkitemOutContainer(PvxjWorkitem workitem, PvxjReadWriteContainer* container) {
  return WorkCall(workitem, kWorkitemOnly, [&](Store& store, RowObject& row) {
    return ActivityContainer(store, ActivityOf(store, row.id), "out", Cls::ReadWriteContainer, container);
  });
}

int32_t PvxjWorkitemSetOutContainer(PvxjWorkitem workitem, PvxjReadWriteContainer container) {
  return OwnerAction(workitem, [&](Store& store, RowObject& row) -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadWriteContainer);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
    if (owner != row.service->person_id) return PVX_ERROR_NOT_AUTHORIZED;
    return StoreActivityOutput(store, ActivityOf(store, row.id), c->record);
  });
}

int32_t PvxjWorkitemStartTool(PvxjWorkitem workitem, const char* toolName) {
  return WorkCall(workitem, kWorkitemOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (!toolName) return PVX_ERROR_INVALID_TOOL;
    std::string tools = ";" + ReadText(store, Over::kItem, row.id, "d.support_tools").value_or("") + ";";
    return tools.find(";" + std::string(toolName) + ";") == std::string::npos ? PVX_ERROR_INVALID_TOOL : PVX_OK;
  });
}

int32_t PvxjWorkitemActivityInstance(PvxjWorkitem workitem, PvxjActivityInstance* activityInstance) {
  return WorkCall(workitem, kWorkitemOnly, [&](Store& store, RowObject& row) {
    return AddRowObject(Cls::ActivityInstance, ActivityOf(store, row.id),
                        ReadText(store, Over::kItem, row.id, "a.name").value_or(""), row.service, activityInstance);
  });
}

int32_t PvxjWorkitemErrorReason(PvxjWorkitem workitem, PvxjError* error) {
  return WorkCall(workitem, kWorkitemOnly, [&](Store& store, RowObject& row) -> int32_t {
    if (!error) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto reason = ReadText(store, Over::kItem, row.id, "a.error_reason");
    if (!reason) return PVX_ERROR_DOES_NOT_EXIST;
    return NewError(PVX_ERROR_PROGRAM_EXECUTION, {*reason}, error);
  });
}

PvxjStringVector PvxjWorkitemStaff(PvxjWorkitem workitem) {
  return WithWorkRow<HandleRef>(workitem, kWorkitemOnly, 0, [&](Store& store, RowObject& row, int32_t* rc) {
    uint32_t out = 0;
    *rc = NewStringVector(ResolvedStaff(store, ActivityOf(store, row.id)), &out);
    return out;
  });
}

PvxjStringVector PvxjWorkitemSupportTools(PvxjWorkitem workitem) {
  return WorkList(workitem, kWorkitemOnly, Over::kItem, "d.support_tools");
}

int32_t PvxjWorkitemState(PvxjWorkitem workitem) {
  return WorkNumber(workitem, kWorkitemOnly, Over::kItem, "t.state");
}
int32_t PvxjWorkitemStateOfNotification(PvxjWorkitem workitem) {
  return WorkNumber(workitem, kWorkitemOnly, Over::kItem,
                    PVXJSIM_STATE_OF_NOTIFICATION("a.deadline_state"));
}
int32_t PvxjWorkitemActivityKind(PvxjWorkitem workitem) {
  return WorkNumber(workitem, kWorkitemOnly, Over::kItem, "a.kind");
}
int32_t PvxjWorkitemPriority(PvxjWorkitem workitem) {
  return WorkNumber(workitem, kWorkitemOnly, Over::kItem, "t.priority");
}
unsigned char PvxjWorkitemManualExitMode(PvxjWorkitem workitem) {
  return WorkFlag(workitem, kWorkitemOnly, Over::kItem, "d.manual_exit");
}
unsigned char PvxjWorkitemManualStartMode(PvxjWorkitem workitem) {
  return WorkFlag(workitem, kWorkitemOnly, Over::kItem, "d.manual_start");
}
unsigned char PvxjWorkitemErrorReasonIsNull(PvxjWorkitem w) { return OwnIsNull(w, "a.error_reason"); }
unsigned char PvxjWorkitemExpirationTimeIsNull(PvxjWorkitem w) { return OwnIsNull(w, "a.expire_at"); }
unsigned char PvxjWorkitemFirstNotificationTimeIsNull(PvxjWorkitem w) { return OwnIsNull(w, "a.notify_at"); }
unsigned char PvxjWorkitemSecondNotificationTimeIsNull(PvxjWorkitem w) { return OwnIsNull(w, "a.notify2_at"); }
unsigned char PvxjWorkitemImplementationIsNull(PvxjWorkitem w) {
  return OwnIsNull(w, "coalesce(d.program, d.subprocess)");
}
unsigned char PvxjWorkitemSupportToolsIsNull(PvxjWorkitem w) { return OwnIsNull(w, "d.support_tools"); }
char* PvxjWorkitemImplementation(PvxjWorkitem w, char* b, uint32_t n) {
  return OwnText(w, "coalesce(d.program, d.subprocess)", b, n);
}
char* PvxjWorkitemStartCondition(PvxjWorkitem w, char* b, uint32_t n) {
  return OwnText(w, "coalesce(d.start_condition, '')", b, n);
}
char* PvxjWorkitemExitCondition(PvxjWorkitem w, char* b, uint32_t n) {
  return OwnText(w, "coalesce(d.exit_condition, '')", b, n);
}
PvxjDateTime PvxjWorkitemFirstNotificationTime(PvxjWorkitem w) { return OwnTime(w, "a.notify_at"); }
PvxjDateTime PvxjWorkitemSecondNotificationTime(PvxjWorkitem w) { return OwnTime(w, "a.notify2_at"); }
PvxjDateTime PvxjWorkitemExpirationTime(PvxjWorkitem w) { return OwnTime(w, "a.expire_at"); }

}  // extern "C"
