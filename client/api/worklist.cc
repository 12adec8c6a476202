// Worklists: the items, work items and notifications a stored worklist
// selects for its user, and taking the next work item from it.
#include <pvxj/worklist.h>

#include "attributes.h"
#include "client.h"
#include "engine.h"
#include "persistent_list.h"
#include "program_data.h"
#include "query_source.h"

using namespace pvxjsim;

namespace {

// The items of the given kinds that the worklist selects for its user, in
// its order and up to its threshold (limited: false takes them all).
int32_t Select(PvxjWorklist worklist, std::vector<int64_t> kinds, bool limited, RowObject** row,
               Store** store, std::vector<ElementRef>* found) {
  ListRow l;
  if (int32_t rc = FindVisibleList(worklist, row, store, &l, Cls::Worklist)) return rc;
  return RunQuery(**store, ItemSource(*(*row)->service, std::move(kinds)), l.filter ? l.filter->c_str() : nullptr,
                  l.sort ? l.sort->c_str() : nullptr, limited ? l.threshold : std::nullopt,
                  (*row)->service->user_id, found);
}

template <class V>
int32_t Query(PvxjWorklist worklist, std::vector<int64_t> kinds, Cls vector_cls, Cls element_cls, V* vector,
              const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow l;
    if (int32_t rc = FindVisibleList(worklist, &row, &store, &l, Cls::Worklist)) return rc;
    if (int32_t rc = CheckVectorSlot(vector_cls, vector)) return rc;
    std::vector<ElementRef> found;
    if (int32_t rc = Select(worklist, std::move(kinds), true, &row, &store, &found)) return rc;
    return DeliverVector(vector_cls, element_cls, std::move(found), row->service, vector);
  }, origin);
}

// The first work item of the worklist, in its order, that its user can take
// now: fn(Store&, item id, person id) takes it; a work item that cannot be
// taken (not ready, its instance suspended) is passed over.
template <class Fn>
int32_t TakeNext(PvxjWorklist worklist, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    std::vector<ElementRef> found;
    if (int32_t rc = Select(worklist, {kItemWorkitem}, false, &row, &store, &found)) return rc;
    const int64_t person = row->service->person_id;
    for (const ElementRef& e : found) {
      {
        Stmt q(store->db(), "SELECT 1 FROM items i JOIN process_instances p ON p.id = i.process_instance_id "
                            "WHERE i.id=? AND i.owner_id=? AND i.state=? AND p.state=?");
        q.Bind(1, e.id).Bind(2, person).Bind(3, kItemReady).Bind(4, kPsRunning);
        if (!q.Step()) continue;
      }
      WriteTx tx(*store);
      int32_t rc = fn(*store, e, person, *row);
      if (rc == PVX_OK) tx.Commit();
      return rc;
    }
    return PVX_ERROR_NO_MORE_DATA;
  }, origin);
}

}  // namespace

extern "C" {

int32_t PvxjWorklistCopy(PvxjWorklist worklist, PvxjWorklist* copy) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindRow(worklist, Cls::Worklist, &row, &store)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(Cls::Worklist, std::make_unique<RowObject>(*row), copy);
  });
}

unsigned char PvxjWorklistEqual(PvxjWorklist worklist, PvxjWorklist other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto& handles = Client::Get().handles;
    auto* x = handles.Get<RowObject>(worklist, Cls::Worklist);
    auto* y = handles.Get<RowObject>(other, Cls::Worklist);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return x->id == y->id ? 1 : 0;
  });
}

// No call sets a worklist's beep option: every worklist keeps the default,
// off. The list must still be one its user may see.
unsigned char PvxjWorklistBeepOption(PvxjWorklist worklist) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    RowObject* row;
    Store* store;
    ListRow l;
    *rc = FindVisibleList(worklist, &row, &store, &l, Cls::Worklist);
    return 0;
  });
}

int32_t PvxjWorklistQueryItems(PvxjWorklist worklist, PvxjItemVector* vector) {
  return Query(worklist, {}, Cls::ItemVector, Cls::Item, vector, __func__);
}

int32_t PvxjWorklistQueryWorkitems(PvxjWorklist worklist, PvxjWorkitemVector* vector) {
  return Query(worklist, {kItemWorkitem}, Cls::WorkitemVector, Cls::Workitem, vector, __func__);
}

int32_t PvxjWorklistQueryActivityInstanceNotifications(PvxjWorklist worklist,
                                                       PvxjActivityInstanceNotificationVector* vector) {
  return Query(worklist, {kItemExpiryNotification, kItemFirstNotification, kItemSecondNotification},
               Cls::ActivityInstanceNotificationVector, Cls::ActivityInstanceNotification, vector, __func__);
}

int32_t PvxjWorklistQueryProcessInstanceNotifications(PvxjWorklist worklist,
                                                      PvxjProcessInstanceNotificationVector* vector) {
  return Query(worklist, {kItemProcessNotification}, Cls::ProcessInstanceNotificationVector,
               Cls::ProcessInstanceNotification, vector, __func__);
}

int32_t PvxjWorklistStartNextWorkitem(PvxjWorklist worklist) {
  return TakeNext(worklist, [](Store& store, const ElementRef& e, int64_t person, RowObject&) {
    return StartWorkitem(store, e.id, person);
  });
}

int32_t PvxjWorklistCheckOutNextWorkitem(PvxjWorklist worklist, PvxjWorkitem* workitem,
                                         PvxjReadOnlyContainer* container) {
  if (!workitem) {
    return Guarded([&]() -> int32_t {
      RowObject* row;
      Store* store;
      ListRow l;
      if (int32_t rc = FindVisibleList(worklist, &row, &store, &l, Cls::Worklist)) return rc;
      return PVX_ERROR_INVALID_RESULT_HANDLE;
    });
  }
  return TakeNext(worklist, [&](Store& store, const ElementRef& e, int64_t person, RowObject& row) -> int32_t {
    ProgramData data;
    if (int32_t rc = CheckOutWorkitem(store, e.id, person, kCommonDataOnly, 0, &data)) return rc;
    auto item = std::make_unique<RowObject>();
    item->id = e.id;
    item->name = e.name;
    item->service = row.service;
    if (int32_t rc = AddHandle(Cls::Workitem, std::move(item), workitem)) return rc;
    if (!container) return PVX_OK;
    auto in = std::make_unique<RecordObject>();
    in->record = data.in;
    in->record.kind = RecordKind::kReadOnlyContainer;
    return AddHandle(Cls::ReadOnlyContainer, std::move(in), container);
  });
}

}  // extern "C"
