#include "query_source.h"

#include <limits>

namespace pvxjsim {

QuerySource ProcessTemplateSource() { return {&ProcessTemplateKind(), "process_templates", "", {}}; }

QuerySource ProcessInstanceSource() {
  // Deleted instances stay in the store for their history but are not found.
  return {&ProcessInstanceKind(), "process_instances", "t.state <> 128", {}};
}

QuerySource ActivityInstanceSource() {
  return {&ActivityInstanceKind(), "activity_instances", "", {}};
}

QuerySource ItemSource(const ServiceState& svc, std::vector<int64_t> item_kinds) {
  QuerySource src{&ItemKind(), "items", "t.owner_id = ?", {}};
  // emplace with an explicit alternative: GCC 12 misreads push_back of a
  // variant here as using uninitialised members.
  src.params.emplace_back(std::in_place_type<int64_t>, svc.person_id);
  if (!item_kinds.empty()) {
    src.visibility += " AND t.kind IN (";
    for (size_t i = 0; i < item_kinds.size(); ++i) {
      src.visibility += i ? ",?" : "?";
      src.params.emplace_back(std::in_place_type<int64_t>, item_kinds[i]);
    }
    src.visibility += ")";
  }
  return src;
}

int32_t CheckThreshold(const uint32_t* threshold, std::optional<int64_t>* limit) {
  limit->reset();
  if (!threshold) return PVX_OK;
  if (*threshold > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
    return PVX_ERROR_INVALID_THRESHOLD;
  *limit = *threshold;
  return PVX_OK;
}

std::string QuerySql(const QuerySource& source, const CompiledFilter& filter,
                     const std::string& order_by, bool limited) {
  std::string sql = std::string("SELECT t.id, t.name FROM ") + source.table + " t WHERE 1";
  if (!source.visibility.empty()) sql += " AND (" + source.visibility + ")";
  if (!filter.sql.empty()) sql += " AND " + filter.sql;
  sql += " ORDER BY ";
  if (!order_by.empty()) sql += order_by + ", ";
  sql += "t.id";
  if (limited) sql += " LIMIT ?";
  return sql;
}

int32_t RunQuery(Store& store, const QuerySource& source, const char* filter,
                 const char* sort_criteria, std::optional<int64_t> limit,
                 const std::string& current_user, std::vector<ElementRef>* out) {
  CompiledFilter cf;
  std::string error;
  if (int32_t rc = CompileFilter(*source.kind, filter, current_user, &cf, &error)) {
    SetLastResult(rc, error);
    return rc;
  }
  std::string order;
  if (int32_t rc = CompileSort(*source.kind, sort_criteria, &order, &error)) {
    SetLastResult(rc, error);
    return rc;
  }
  Stmt q(store.db(), QuerySql(source, cf, order, limit.has_value()));
  int index = 1;
  for (const SqlValue& v : source.params) q.Bind(index++, v);
  for (const SqlValue& v : cf.params) q.Bind(index++, v);
  if (limit) q.Bind(index++, *limit);
  while (q.Step()) out->push_back({q.Int(0), q.Text(1)});
  return PVX_OK;
}

}  // namespace pvxjsim
