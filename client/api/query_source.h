// Running a query over one kind of object: visibility rule, filter, sort
// criteria and threshold, all in one parameterised SELECT.
#ifndef PVXJSIM_QUERY_SOURCE_H
#define PVXJSIM_QUERY_SOURCE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client.h"
#include "filter.h"

namespace pvxjsim {

struct QuerySource {
  const ObjectKind* kind;
  const char* table;       // aliased as t
  std::string visibility;  // SQL condition over t, "" for all rows
  std::vector<SqlValue> params;
};

// Source for each kind of object, as the logged-on user svc may see it.
QuerySource ProcessTemplateSource();
QuerySource ProcessInstanceSource();
QuerySource ActivityInstanceSource();
// item_kinds: the Pvx_IT_ values to include; empty means all.
QuerySource ItemSource(const ServiceState& svc, std::vector<int64_t> item_kinds);

// Threshold as the API passes it: NULL is no limit; values above INT32_MAX
// are refused with PVX_ERROR_INVALID_THRESHOLD.
int32_t CheckThreshold(const uint32_t* threshold, std::optional<int64_t>* limit);

// The statement a query runs: the source's rows that pass the filter, in
// the order asked for (then by id), with a "LIMIT ?" when limited.
std::string QuerySql(const QuerySource& source, const CompiledFilter& filter,
                     const std::string& order_by, bool limited);

int32_t RunQuery(Store& store, const QuerySource& source, const char* filter,
                 const char* sort_criteria, std::optional<int64_t> limit,
                 const std::string& current_user, std::vector<ElementRef>* out);

}  // namespace pvxjsim

#endif
