// Items: the entries of a worklist of any kind (work items and both kinds
// of notification), with the properties and actions they all have.
#include <pvxj/workitem.h>

#include "client.h"
#include "clock.h"
#include "engine.h"
#include "session_id.h"
#include "work_objects.h"

using namespace pvxjsim;

namespace {

// An item's tag in its persistent identifier follows its kind, so a work
// item's identifier restores as a work item whichever handle gave it.
const char* TagOfKind(int64_t kind) {
  switch (kind) {
    case kItemWorkitem: return oid_tag::kWorkitem;
    case kItemProcessNotification: return oid_tag::kProcessInstanceNotification;
    case kItemExpiryNotification:
    case kItemFirstNotification:
    case kItemSecondNotification: return oid_tag::kActivityInstanceNotification;
    default: return oid_tag::kItem;
  }
}

// The activity's values for activity items, the template's for process
// notifications.
#define BY_KIND(activity, process) "CASE WHEN t.kind = 3 THEN " process " ELSE " activity " END"

char* ItemText(HandleRef h, const char* expr, char* b, uint32_t n, const char* origin = __builtin_FUNCTION()) {
  return WorkText(h, kItemClasses, Over::kItem, expr, b, n, origin);
}
unsigned char ItemIsNull(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkIsNull(h, kItemClasses, Over::kItem, expr, origin);
}
PvxjDateTime ItemTime(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return WorkTime(h, kItemClasses, Over::kItem, expr, origin);
}

constexpr const char* kDocumentation = BY_KIND("d.documentation", "pt.documentation");
constexpr const char* kSystemGroup =
    "coalesce(p.system_group, (SELECT value FROM meta WHERE key='system_group_name'))";
constexpr const char* kSystem = "coalesce(p.system_name, (SELECT value FROM meta WHERE key='system_name'))";

}  // namespace

extern "C" {

int32_t PvxjItemCopy(PvxjItem item, PvxjItem* copy) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    Cls cls;
    if (int32_t rc = FindWorkRow(item, kItemClasses, false, &row, &store, &cls)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(cls, std::make_unique<RowObject>(*row), copy);
  });
}

unsigned char PvxjItemEqual(PvxjItem item, PvxjItem other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    RowObject *x, *y;
    Store* store;
    if ((*rc = FindWorkRow(item, kItemClasses, false, &x, &store))) return 0;
    if ((*rc = FindWorkRow(other, kItemClasses, false, &y, &store))) return 0;
    return x->id == y->id ? 1 : 0;
  });
}

int32_t PvxjItemRefresh(PvxjItem item) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    if (auto name = ReadText(store, Over::kItem, row.id, "t.name")) row.name = *name;
    return PVX_OK;
  });
}

int32_t PvxjItemDelete(PvxjItem item) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    WriteTx tx(store);
    int64_t kind = ReadNumber(store, Over::kItem, row.id, "t.kind").value_or(0);
    int64_t state = ReadNumber(store, Over::kItem, row.id, "t.state").value_or(0);
    int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
    if (owner != row.service->person_id && !IsAdministrator(store, *row.service)) return PVX_ERROR_NOT_AUTHORIZED;
    // A work item goes only once its work has ended: otherwise the activity
    // would wait for a person who can no longer see it.
    if (kind == kItemWorkitem && state != kAsFinished && state != kAsTerminated && state != kAsExpired &&
        state != kAsForceFinished)
      return PVX_ERROR_WRONG_STATE;
    Stmt d(store.db(), "DELETE FROM items WHERE id=?");
    d.Bind(1, row.id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjItemProcessInstance(PvxjItem item, PvxjProcessInstance* instance) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    auto id = ReadNumber(store, Over::kItem, row.id, "p.id");
    if (!id) return PVX_ERROR_DOES_NOT_EXIST;
    return AddRowObject(Cls::ProcessInstance, *id, ReadText(store, Over::kItem, row.id, "p.name").value_or(""),
                        row.service, instance);
  });
}

int32_t PvxjItemSetDescription(PvxjItem item, const char* description) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    WriteTx tx(store);
    Stmt u(store.db(), "UPDATE items SET description=?, modified=? WHERE id=?");
    u.Bind(1, description ? std::optional<std::string>(description) : std::nullopt);
    u.Bind(2, std::string_view(ClockNow(store))).Bind(3, row.id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjItemSetName(PvxjItem item, const char* name) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    if (!name || !*name) return PVX_ERROR_INVALID_NAME;
    WriteTx tx(store);
    Stmt u(store.db(), "UPDATE items SET name=?, modified=? WHERE id=?");
    u.Bind(1, std::string_view(name)).Bind(2, std::string_view(ClockNow(store))).Bind(3, row.id).Run();
    tx.Commit();
    row.name = name;
    return PVX_OK;
  });
}

int32_t PvxjItemTransfer(PvxjItem item, const char* userId) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    if (!userId) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
    WriteTx tx(store);
    int32_t rc = TransferWorkitem(store, row.id, row.service->person_id, userId);
    if (rc == PVX_ERROR_DOES_NOT_EXIST) {
      // A notification: the same rule, without the work item's states.
      int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
      if (owner != row.service->person_id && !IsAdministrator(store, *row.service)) return PVX_ERROR_NOT_AUTHORIZED;
      int64_t to = PersonIdOf(store, userId);
      if (!to) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
      std::string now = ClockNow(store);
      Stmt u(store.db(), "UPDATE items SET owner_id=?, received_as=5, received=?, modified=? WHERE id=?");
      u.Bind(1, to).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, row.id).Run();
      rc = PVX_OK;
    }
    if (rc == PVX_OK) tx.Commit();
    return rc;
  });
}

int32_t PvxjItemDuplicate(PvxjItem item, const char* userId) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    if (!userId) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
    WriteTx tx(store);
    int64_t created = 0;
    int32_t rc = DuplicateWorkitem(store, row.id, row.service->person_id, userId, &created);
    if (rc == PVX_ERROR_DOES_NOT_EXIST) {
      // A notification: a copy for the other user, received by transfer; the
      // original stays with its owner.
      int64_t owner = ReadNumber(store, Over::kItem, row.id, "t.owner_id").value_or(0);
      if (owner != row.service->person_id && !IsAdministrator(store, *row.service)) return PVX_ERROR_NOT_AUTHORIZED;
      int64_t to = PersonIdOf(store, userId);
      if (!to) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
      std::string now = ClockNow(store);
      Stmt ins(store.db(), "INSERT INTO items(kind, owner_id, process_instance_id, activity_instance_id, name, "
                           "state, received_as, priority, description, category, created, received, modified) "
                           "SELECT kind, ?, process_instance_id, activity_instance_id, name, state, 5, priority, "
                           "description, category, created, ?, ? FROM items WHERE id=?");
      ins.Bind(1, to).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, row.id).Run();
      rc = PVX_OK;
    }
    if (rc == PVX_OK) tx.Commit();
    return rc;
  });
}

int32_t PvxjItemUpdate(PvxjItem item, PvxjExecutionData data) {
  return WorkCall(item, kItemClasses, [&](Store& store, RowObject& row) -> int32_t {
    auto* d = Client::Get().handles.Get<ExecutionDataObject>(data, Cls::ExecutionData);
    if (!d) return PVX_ERROR_INVALID_HANDLE;
    std::string tag;
    int64_t id = 0;
    if (!ParseOid(d->ref, &tag, &id) || id != row.id) return PVX_ERROR_WRONG_KIND;
    if (auto name = ReadText(store, Over::kItem, row.id, "t.name")) row.name = *name;
    return PVX_OK;
  });
}

char* PvxjItemPersistentOid(PvxjItem item, char* buffer, uint32_t bufferLength) {
  return WithWorkRow<char*>(item, kItemClasses, nullptr, [&](Store& store, RowObject& row, int32_t*) -> char* {
    int64_t kind = ReadNumber(store, Over::kItem, row.id, "t.kind").value_or(0);
    return CopyOut(FormatOid(TagOfKind(kind), row.id), buffer, bufferLength);
  });
}

char* PvxjItemPersistentOidOfProcessInstance(PvxjItem item, char* buffer, uint32_t bufferLength) {
  return WithWorkRow<char*>(item, kItemClasses, nullptr, [&](Store& store, RowObject& row, int32_t* rc) -> char* {
    auto id = ReadNumber(store, Over::kItem, row.id, "p.id");
    if (!id) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return nullptr;
    }
    return CopyOut(FormatOid(oid_tag::kProcessInstance, *id), buffer, bufferLength);
  });
}

int32_t PvxjItemKind(PvxjItem item) { return WorkNumber(item, kItemClasses, Over::kItem, "t.kind"); }
int32_t PvxjItemReceivedAs(PvxjItem item) { return WorkNumber(item, kItemClasses, Over::kItem, "t.received_as"); }
int32_t PvxjItemProcessInstanceState(PvxjItem item) {
  return WorkNumber(item, kItemClasses, Over::kItem, "p.state");
}
unsigned char PvxjItemIsComplete(PvxjItem item) {
  return WorkFlag(item, kItemClasses, Over::kItem, "p.id IS NOT NULL AND (t.kind = 3 OR a.id IS NOT NULL)");
}
unsigned char PvxjItemIsManagedByRemoteSystem(PvxjItem item) {
  return WorkFlag(item, kItemClasses, Over::kItem,
                  "coalesce(p.system_name, '') NOT IN ('', (SELECT value FROM meta WHERE key='system_name'))");
}
unsigned char PvxjItemCategoryIsNull(PvxjItem item) { return ItemIsNull(item, "t.category"); }
unsigned char PvxjItemDescriptionIsNull(PvxjItem item) { return ItemIsNull(item, "t.description"); }
unsigned char PvxjItemDocumentationIsNull(PvxjItem item) { return ItemIsNull(item, kDocumentation); }
unsigned char PvxjItemEndTimeIsNull(PvxjItem item) { return ItemIsNull(item, "t.ended"); }
unsigned char PvxjItemOnHoldTimeIsNull(PvxjItem item) { return ItemIsNull(item, "t.on_hold"); }
unsigned char PvxjItemStartTimeIsNull(PvxjItem item) { return ItemIsNull(item, "t.started"); }

char* PvxjItemCategory(PvxjItem item, char* b, uint32_t n) { return ItemText(item, "t.category", b, n); }
char* PvxjItemDescription(PvxjItem item, char* b, uint32_t n) { return ItemText(item, "t.description", b, n); }
char* PvxjItemDocumentation(PvxjItem item, char* b, uint32_t n) { return ItemText(item, kDocumentation, b, n); }
char* PvxjItemProcessInstanceSystemGroupName(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item, kSystemGroup, b, n);
}
char* PvxjItemProcessInstanceSystemName(PvxjItem item, char* b, uint32_t n) { return ItemText(item, kSystem, b, n); }
char* PvxjItemInContainerName(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item, "coalesce(" BY_KIND("d.in_container", "pt.in_container") ", 'Default')", b, n);
}
char* PvxjItemOutContainerName(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item, "coalesce(" BY_KIND("d.out_container", "pt.out_container") ", 'Default')", b, n);
}
char* PvxjItemProcessInstanceName(PvxjItem item, char* b, uint32_t n) { return ItemText(item, "p.name", b, n); }
char* PvxjItemProcessAdmin(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item, "coalesce(p.process_admin, pt.process_admin, p.starter)", b, n);
}
char* PvxjItemOwner(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item, "(SELECT u.user_id FROM persons u WHERE u.id = t.owner_id)", b, n);
}
char* PvxjItemIcon(PvxjItem item, char* b, uint32_t n) {
  return ItemText(item,
                  "coalesce(" BY_KIND("(SELECT g.icon FROM programs g WHERE g.name = d.program)", "pt.icon")
                  ", pt.icon, '')",
                  b, n);
}

PvxjDateTime PvxjItemStartTime(PvxjItem item) { return ItemTime(item, "t.started"); }
PvxjDateTime PvxjItemEndTime(PvxjItem item) { return ItemTime(item, "t.ended"); }
PvxjDateTime PvxjItemCreationTime(PvxjItem item) { return ItemTime(item, "t.created"); }
PvxjDateTime PvxjItemLastModificationTime(PvxjItem item) {
  return ItemTime(item, "coalesce(t.modified, t.created)");
}
PvxjDateTime PvxjItemOnHoldTime(PvxjItem item) { return ItemTime(item, "t.on_hold"); }
PvxjDateTime PvxjItemSuspensionTime(PvxjItem item) { return ItemTime(item, "p.suspended"); }
PvxjDateTime PvxjItemReceivedTime(PvxjItem item) { return ItemTime(item, "coalesce(t.received, t.created)"); }

}  // extern "C"
