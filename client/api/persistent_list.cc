// The functions every stored list kind shares: its properties, changing its
// selection and deleting it. Everybody sees public lists and their own
// private ones; a private list is changed by its owner, a public one by the
// user who created it; administrators may do everything.
#include <pvxj/process_template.h>

#include "persistent_list.h"

#include <strings.h>

#include "attributes.h"
#include "filter.h"
#include "query_source.h"
#include "session_id.h"

namespace pvxjsim {

namespace {

bool IsListClass(Cls cls) {
  return cls == Cls::Worklist || cls == Cls::ProcessTemplateList ||
         cls == Cls::ProcessInstanceList || cls == Cls::ActivityInstanceList;
}

ListKind KindOf(Cls cls) {
  switch (cls) {
    case Cls::Worklist: return ListKind::kWorklist;
    case Cls::ProcessTemplateList: return ListKind::kProcessTemplate;
    case Cls::ProcessInstanceList: return ListKind::kProcessInstance;
    default: return ListKind::kActivityInstance;
  }
}

bool SameUser(const std::optional<std::string>& a, const std::string& b) {
  return a && strcasecmp(a->c_str(), b.c_str()) == 0;
}

}  // namespace

int32_t FindVisibleList(HandleRef handle, RowObject** row, Store** store, ListRow* list,
                        Cls only) {
  Cls cls = Client::Get().handles.ClassOf(handle);
  if (!IsListClass(cls) || (only != Cls::kNone && cls != only)) return PVX_ERROR_INVALID_HANDLE;
  if (int32_t rc = FindRow(handle, cls, row, store)) return rc;
  Stmt q((*store)->db(), "SELECT kind, list_type, owner, description, filter, sort_criteria, "
                         "threshold, created_by FROM persistent_lists WHERE id=? AND kind=?");
  q.Bind(1, (*row)->id).Bind(2, static_cast<int>(KindOf(cls)));
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  list->kind = q.Int(0);
  list->type = static_cast<int32_t>(q.Int(1));
  list->owner = q.OptText(2);
  list->description = q.OptText(3);
  list->filter = q.OptText(4);
  list->sort = q.OptText(5);
  if (!q.IsNull(6)) list->threshold = q.Int(6);
  list->created_by = q.Text(7);
  q.Step();
  const ServiceState& svc = *(*row)->service;
  if (list->type != Pvx_LT_Public && !SameUser(list->owner, svc.user_id) &&
      !IsAdministrator(**store, svc))
    return PVX_ERROR_NOT_AUTHORIZED;
  return PVX_OK;
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

constexpr size_t kMaxDescription = 254;

const ObjectKind& FilterKind(int64_t kind) {
  switch (static_cast<ListKind>(kind)) {
    case ListKind::kWorklist: return ItemKind();
    case ListKind::kProcessTemplate: return ProcessTemplateKind();
    case ListKind::kProcessInstance: return ProcessInstanceKind();
    default: return ActivityInstanceKind();
  }
}

const char* OidTag(int64_t kind) {
  switch (static_cast<ListKind>(kind)) {
    case ListKind::kWorklist: return oid_tag::kWorklist;
    case ListKind::kProcessTemplate: return oid_tag::kProcessTemplateList;
    case ListKind::kProcessInstance: return oid_tag::kProcessInstanceList;
    default: return oid_tag::kActivityInstanceList;
  }
}

// Reads a visible list under the client lock; fn(const ListRow&, RowObject&,
// int32_t* rc) gives the value.
template <class R, class Fn>
R ReadList(HandleRef handle, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RowObject* row;
    Store* store;
    ListRow list;
    if ((*rc = FindVisibleList(handle, &row, &store, &list))) return fallback;
    return fn(list, *row, rc);
  }, origin);
}

// Changes a list the caller may change: fn(Store&, ListRow&, RowObject&)
// runs in a write transaction and returns the return code.
template <class Fn>
int32_t ChangeList(HandleRef handle, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow list;
    if (int32_t rc = FindVisibleList(handle, &row, &store, &list)) return rc;
    const ServiceState& svc = *row->service;
    bool mine = list.type == Pvx_LT_Public ? SameUser(list.created_by, svc.user_id)
                                           : SameUser(list.owner, svc.user_id);
    if (!mine && !IsAdministrator(*store, svc)) return PVX_ERROR_NOT_AUTHORIZED;
    WriteTx tx(*store);
    if (int32_t rc = fn(*store, list, *row)) return rc;
    tx.Commit();
    return PVX_OK;
  }, origin);
}

char* TextOut(const std::optional<std::string>& text, char* buffer, uint32_t length) {
  if (!text) {
    if (buffer && length) buffer[0] = '\0';
    return nullptr;
  }
  return CopyOut(*text, buffer, length);
}

}  // namespace

extern "C" {

int32_t PvxjPersistentListDelete(PvxjPersistentList list) {
  return ChangeList(list, [&](Store& store, ListRow&, RowObject& row) -> int32_t {
    Stmt d(store.db(), "DELETE FROM persistent_lists WHERE id=?");
    d.Bind(1, row.id).Run();
    return PVX_OK;
  });
}

int32_t PvxjPersistentListRefresh(PvxjPersistentList list) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow l;
    return FindVisibleList(list, &row, &store, &l);
  });
}

int32_t PvxjPersistentListSetDescription(PvxjPersistentList list, const char* description) {
  return ChangeList(list, [&](Store& store, ListRow&, RowObject& row) -> int32_t {
    if (description && std::strlen(description) > kMaxDescription)
      return PVX_ERROR_INVALID_DESCRIPTION;
    Stmt u(store.db(), "UPDATE persistent_lists SET description=? WHERE id=?");
    u.Bind(1, description).Bind(2, row.id).Run();
    return PVX_OK;
  });
}

int32_t PvxjPersistentListSetThreshold(PvxjPersistentList list, const uint32_t* threshold) {
  return ChangeList(list, [&](Store& store, ListRow&, RowObject& row) -> int32_t {
    std::optional<int64_t> limit;
    if (int32_t rc = CheckThreshold(threshold, &limit)) return rc;
    Stmt u(store.db(), "UPDATE persistent_lists SET threshold=? WHERE id=?");
    if (limit) u.Bind(1, *limit); else u.BindNull(1);
    u.Bind(2, row.id).Run();
    return PVX_OK;
  });
}

int32_t PvxjPersistentListSetFilter(PvxjPersistentList list, const char* filter) {
  return ChangeList(list, [&](Store& store, ListRow& l, RowObject& row) -> int32_t {
    CompiledFilter cf;
    std::string error;
    if (int32_t rc = CompileFilter(FilterKind(l.kind), filter, row.service->user_id, &cf, &error)) {
      SetLastResult(rc, error);
      return rc;
    }
    Stmt u(store.db(), "UPDATE persistent_lists SET filter=? WHERE id=?");
    u.Bind(1, filter).Bind(2, row.id).Run();
    return PVX_OK;
  });
}

int32_t PvxjPersistentListSetSortCriteria(PvxjPersistentList list, const char* sortCriteria) {
  return ChangeList(list, [&](Store& store, ListRow& l, RowObject& row) -> int32_t {
    std::string order, error;
    if (int32_t rc = CompileSort(FilterKind(l.kind), sortCriteria, &order, &error)) {
      SetLastResult(rc, error);
      return rc;
    }
    Stmt u(store.db(), "UPDATE persistent_lists SET sort_criteria=? WHERE id=?");
    u.Bind(1, sortCriteria).Bind(2, row.id).Run();
    return PVX_OK;
  });
}

char* PvxjPersistentListDescription(PvxjPersistentList list, char* buffer, uint32_t bufferLength) {
  return ReadList<char*>(list, nullptr, [&](const ListRow& l, RowObject&, int32_t*) {
    return TextOut(l.description, buffer, bufferLength);
  });
}

char* PvxjPersistentListOwnerOfList(PvxjPersistentList list, char* buffer, uint32_t bufferLength) {
  return ReadList<char*>(list, nullptr, [&](const ListRow& l, RowObject&, int32_t*) {
    return TextOut(l.owner, buffer, bufferLength);
  });
}

char* PvxjPersistentListFilter(PvxjPersistentList list, char* buffer, uint32_t bufferLength) {
  return ReadList<char*>(list, nullptr, [&](const ListRow& l, RowObject&, int32_t*) {
    return TextOut(l.filter, buffer, bufferLength);
  });
}

char* PvxjPersistentListSortCriteria(PvxjPersistentList list, char* buffer,
                                     uint32_t bufferLength) {
  return ReadList<char*>(list, nullptr, [&](const ListRow& l, RowObject&, int32_t*) {
    return TextOut(l.sort, buffer, bufferLength);
  });
}

unsigned char PvxjPersistentListDescriptionIsNull(PvxjPersistentList list) {
  return ReadList<unsigned char>(list, 1, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<unsigned char>(!l.description);
  });
}

unsigned char PvxjPersistentListOwnerOfListIsNull(PvxjPersistentList list) {
  return ReadList<unsigned char>(list, 1, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<unsigned char>(!l.owner);
  });
}

unsigned char PvxjPersistentListFilterIsNull(PvxjPersistentList list) {
  return ReadList<unsigned char>(list, 1, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<unsigned char>(!l.filter);
  });
}

unsigned char PvxjPersistentListSortCriteriaIsNull(PvxjPersistentList list) {
  return ReadList<unsigned char>(list, 1, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<unsigned char>(!l.sort);
  });
}

unsigned char PvxjPersistentListThresholdIsNull(PvxjPersistentList list) {
  return ReadList<unsigned char>(list, 1, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<unsigned char>(!l.threshold);
  });
}

uint32_t PvxjPersistentListThreshold(PvxjPersistentList list) {
  return ReadList<uint32_t>(list, 0, [](const ListRow& l, RowObject&, int32_t*) {
    return static_cast<uint32_t>(l.threshold.value_or(0));
  });
}

int32_t PvxjPersistentListType(PvxjPersistentList list) {
  return ReadList<int32_t>(list, Pvx_LT_NotSet, [](const ListRow& l, RowObject&, int32_t*) {
    return l.type;
  });
}

char* PvxjPersistentListPersistentOid(PvxjPersistentList list, char* buffer,
                                      uint32_t bufferLength) {
  return ReadList<char*>(list, nullptr, [&](const ListRow& l, RowObject& row, int32_t*) {
    return CopyOut(FormatOid(OidTag(l.kind), row.id), buffer, bufferLength);
  });
}

}  // extern "C"
