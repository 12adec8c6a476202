// The persistent list family: the methods every stored list shares, on a
// worklist, process template list, process instance list or activity
// instance list handle. The section names exactly one of them.
#include <pvxj/process_template.h>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/tool_errors.h"

namespace kr::api {
namespace {

// The list handle parameters lead every row of the family.
constexpr std::size_t kListParams = 4;

// Echoes and checks the one list handle given, then the other parameters.
// A second list handle is TC0009, none at all TC0008.
bool resolve_list_receiver(Call& c) {
  int chosen = -1;
  for (std::size_t k = 0; k < kListParams; ++k) {
    if (!c.v[k].given) continue;
    if (chosen >= 0) {
      tool_error(c.ctx, TC0009);
      return false;
    }
    if (!echo_param(c, k)) return false;
    chosen = static_cast<int>(k);
  }
  if (chosen < 0) {
    tool_error(c.ctx, TC0008, "...ListHdl or ...ListVectorHdl");
    return false;
  }
  for (std::size_t k = kListParams; k < c.row.params.size(); ++k)
    if (!echo_param(c, k)) return false;
  return true;
}

PvxjPersistentList list_of(Call& c) {
  for (std::size_t k = 0; k < kListParams; ++k)
    if (c.v[k].given) return c.h(k);
  return 0;
}

template <int32_t (*Fn)(PvxjPersistentList)>
void list_rc(Call& c) { c.rc = Fn(list_of(c)); }
template <char* (*Fn)(PvxjPersistentList, char*, uint32_t)>
void list_text(Call& c) { c.text = Fn(list_of(c), c.buffer(), c.buffer_length()); }
template <unsigned char (*Fn)(PvxjPersistentList)>
void list_bool(Call& c) { c.flag = Fn(list_of(c)); }
void list_set_description(Call& c) { c.rc = PvxjPersistentListSetDescription(list_of(c), c.s(kListParams)); }
void list_set_threshold(Call& c) { c.rc = PvxjPersistentListSetThreshold(list_of(c), c.pu(kListParams)); }
void list_set_filter(Call& c) { c.rc = PvxjPersistentListSetFilter(list_of(c), c.s(kListParams)); }
void list_set_sort_criteria(Call& c) { c.rc = PvxjPersistentListSetSortCriteria(list_of(c), c.s(kListParams)); }
void list_threshold(Call& c) { c.ulong_value = PvxjPersistentListThreshold(list_of(c)); }
void list_type(Call& c) { c.enum_value = PvxjPersistentListType(list_of(c)); }

#define LIST_HOOK(kw) {k##kw, resolve_list_receiver}
constexpr Hook kHooks[] = {
    LIST_HOOK(PvxjPersistentListDelete),
    LIST_HOOK(PvxjPersistentListRefresh),
    LIST_HOOK(PvxjPersistentListSetDescription),
    LIST_HOOK(PvxjPersistentListSetThreshold),
    LIST_HOOK(PvxjPersistentListSetFilter),
    LIST_HOOK(PvxjPersistentListSetSortCriteria),
    LIST_HOOK(PvxjPersistentListDescription),
    LIST_HOOK(PvxjPersistentListName),
    LIST_HOOK(PvxjPersistentListOwnerOfList),
    LIST_HOOK(PvxjPersistentListFilter),
    LIST_HOOK(PvxjPersistentListSortCriteria),
    LIST_HOOK(PvxjPersistentListDescriptionIsNull),
    LIST_HOOK(PvxjPersistentListThresholdIsNull),
    LIST_HOOK(PvxjPersistentListFilterIsNull),
    LIST_HOOK(PvxjPersistentListSortCriteriaIsNull),
    LIST_HOOK(PvxjPersistentListOwnerOfListIsNull),
    LIST_HOOK(PvxjPersistentListThreshold),
    LIST_HOOK(PvxjPersistentListType),
    LIST_HOOK(PvxjPersistentListPersistentOid),
};
#undef LIST_HOOK

// Every row is performed by its step (the C functions take any list
// handle); the one enumeration row names its values by the list types.
consteval Row with_list_types(Row r) {
  if (r.result == Result::kEnum) r.enums = &kListTypes;
  return r;
}
#undef API_TOOL
#define API_TOOL(kw, fn, result, flags, ...) \
  with_list_types(make_tool_row<params(__VA_ARGS__)>(#kw, ::kr::k##kw, Result::result, flags, &fn, kHooks)),

constexpr Row kRows[] = {
#include "api/persistent_list.def"
};

}  // namespace

FAMILY(persistent_list_family, "PvxjPersistentList", kPVXJPERSISTENTLIST)

}  // namespace kr::api
