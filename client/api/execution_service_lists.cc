// Stored lists: creation through the execution service and the queries that
// return the lists a user can see.
#include <pvxj/execution_service.h>

#include "client.h"
#include "clock.h"
#include "query_source.h"

using namespace pvxjsim;

namespace {

constexpr size_t kMaxListName = 64;
constexpr size_t kMaxDescription = 254;

struct ListClass {
  ListKind kind;
  Cls list_cls;
  Cls vector_cls;
  const ObjectKind& (*filter_kind)();
};

const ListClass kWorklists{ListKind::kWorklist, Cls::Worklist, Cls::WorklistVector, ItemKind};
const ListClass kTemplateLists{ListKind::kProcessTemplate, Cls::ProcessTemplateList,
                               Cls::ProcessTemplateListVector, ProcessTemplateKind};
const ListClass kInstanceLists{ListKind::kProcessInstance, Cls::ProcessInstanceList,
                               Cls::ProcessInstanceListVector, ProcessInstanceKind};
const ListClass kActivityLists{ListKind::kActivityInstance, Cls::ActivityInstanceList,
                               Cls::ActivityInstanceListVector, ActivityInstanceKind};

bool ValidName(const char* name) {
  if (!name || !*name) return false;
  size_t n = 0;
  for (const char* p = name; *p; ++p, ++n)
    if (static_cast<unsigned char>(*p) < 0x20) return false;
  return n <= kMaxListName;
}

int32_t CreateList(const ListClass& lc, PvxjExecutionService service, const char* name,
                   int32_t type, const char* owner, const char* description, const char* filter,
                   const char* sort, const uint32_t* threshold, HandleSlot out,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc->state, &store)) return rc;
    if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
    if (!ValidName(name)) return PVX_ERROR_INVALID_NAME;
    if (type != Pvx_LT_Public && type != Pvx_LT_Private) return PVX_ERROR_INVALID_LIST_TYPE;
    if (description && std::strlen(description) > kMaxDescription)
      return PVX_ERROR_INVALID_DESCRIPTION;

    // Public lists belong to nobody; private ones to the caller unless an
    // administrator makes one for somebody else.
    std::optional<std::string> owner_of_list;
    if (type == Pvx_LT_Private) {
      owner_of_list = svc->state->user_id;
      if (owner && *owner) {
        Stmt q(store->db(), "SELECT id, user_id FROM persons WHERE user_id=?");
        q.Bind(1, owner);
        if (!q.Step()) return PVX_ERROR_OWNER_NOT_FOUND;
        if (q.Int(0) != svc->state->person_id && !IsAdministrator(*store, *svc->state))
          return PVX_ERROR_NOT_AUTHORIZED;
        owner_of_list = q.Text(1);
      }
    }

    std::string error;
    CompiledFilter cf;
    if (int32_t rc = CompileFilter(lc.filter_kind(), filter, svc->state->user_id, &cf, &error)) {
      SetLastResult(rc, error);
      return rc;
    }
    std::string order;
    if (int32_t rc = CompileSort(lc.filter_kind(), sort, &order, &error)) {
      SetLastResult(rc, error);
      return rc;
    }
    std::optional<int64_t> limit;
    if (int32_t rc = CheckThreshold(threshold, &limit)) return rc;

    const std::string scope = owner_of_list.value_or("");
    WriteTx tx(*store);
    {
      Stmt dup(store->db(),
               "SELECT 1 FROM persistent_lists WHERE kind=? AND owner_scope=? AND name=?");
      dup.Bind(1, static_cast<int>(lc.kind)).Bind(2, std::string_view(scope)).Bind(3, name);
      if (dup.Step()) return PVX_ERROR_NOT_UNIQUE;
    }
    Stmt ins(store->db(),
             "INSERT INTO persistent_lists(kind, name, list_type, owner, owner_scope, "
             "description, filter, sort_criteria, threshold, created_by, created) "
             "VALUES(?,?,?,?,?,?,?,?,?,?,?)");
    ins.Bind(1, static_cast<int>(lc.kind)).Bind(2, name).Bind(3, type).Bind(4, owner_of_list);
    ins.Bind(5, std::string_view(scope)).Bind(6, description).Bind(7, filter).Bind(8, sort);
    if (limit)
      ins.Bind(9, *limit);
    else
      ins.BindNull(9);
    ins.Bind(10, std::string_view(svc->state->user_id)).Bind(11, std::string_view(ClockNow(*store)));
    ins.Run();
    int64_t id = store->LastInsertId();
    tx.Commit();

    auto obj = std::make_unique<RowObject>();
    obj->id = id;
    obj->name = name;
    obj->service = svc->state;
    return AddHandle(lc.list_cls, std::move(obj), out);
  }, origin);
}

int32_t QueryLists(const ListClass& lc, PvxjExecutionService service, HandleSlot vector,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc->state, &store)) return rc;
    if (int32_t rc = CheckVectorSlot(lc.vector_cls, vector)) return rc;
    Stmt q(store->db(),
           "SELECT id, name FROM persistent_lists WHERE kind=? AND (list_type=? OR owner=?) "
           "ORDER BY id");
    q.Bind(1, static_cast<int>(lc.kind)).Bind(2, Pvx_LT_Public);
    q.Bind(3, std::string_view(svc->state->user_id));
    std::vector<ElementRef> found;
    while (q.Step()) found.push_back({q.Int(0), q.Text(1)});
    return DeliverVector(lc.vector_cls, lc.list_cls, std::move(found), svc->state, vector);
  }, origin);
}

}  // namespace

extern "C" {

int32_t PvxjExecutionServiceCreateActivityInstanceList(
    PvxjExecutionService service, const char* listName, int32_t listType, const char* owner,
    const char* description, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjActivityInstanceList* list) {
  return CreateList(kActivityLists, service, listName, listType, owner, description, filter,
                    sortCriteria, threshold, list);
}

int32_t PvxjExecutionServiceCreateProcessInstanceList(
    PvxjExecutionService service, const char* listName, int32_t listType, const char* owner,
    const char* description, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessInstanceList* list) {
  return CreateList(kInstanceLists, service, listName, listType, owner, description, filter,
                    sortCriteria, threshold, list);
}

int32_t PvxjExecutionServiceCreateProcessTemplateList(
    PvxjExecutionService service, const char* listName, int32_t listType, const char* owner,
    const char* description, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessTemplateList* list) {
  return CreateList(kTemplateLists, service, listName, listType, owner, description, filter,
                    sortCriteria, threshold, list);
}

int32_t PvxjExecutionServiceCreateWorklist(PvxjExecutionService service, const char* listName,
                                           int32_t listType, const char* owner,
                                           const char* description, const char* filter,
                                           const char* sortCriteria, const uint32_t* threshold,
                                           PvxjWorklist* list) {
  return CreateList(kWorklists, service, listName, listType, owner, description, filter,
                    sortCriteria, threshold, list);
}

int32_t PvxjExecutionServiceQueryActivityInstanceLists(PvxjExecutionService service,
                                                       PvxjActivityInstanceListVector* vector) {
  return QueryLists(kActivityLists, service, vector);
}

int32_t PvxjExecutionServiceQueryProcessInstanceLists(PvxjExecutionService service,
                                                      PvxjProcessInstanceListVector* vector) {
  return QueryLists(kInstanceLists, service, vector);
}

int32_t PvxjExecutionServiceQueryProcessTemplateLists(PvxjExecutionService service,
                                                      PvxjProcessTemplateListVector* vector) {
  return QueryLists(kTemplateLists, service, vector);
}

int32_t PvxjExecutionServiceQueryWorklists(PvxjExecutionService service,
                                           PvxjWorklistVector* vector) {
  return QueryLists(kWorklists, service, vector);
}

}  // extern "C"
