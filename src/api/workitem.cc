// The work item family: work items and their vectors.
#include <pvxj/workitem.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "api/work_family.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr Hook kHooks[] = {
    {kPvxjWorkitemStaff, nullptr, after_string_list},
    {kPvxjWorkitemSupportTools, nullptr, after_string_list},
    {kPvxjWorkitemPersistentObject, resolve_persistent_object},
};

constexpr Row kRows[] = {
#include "api/workitem.def"
};

}  // namespace

// A walk over work items ends with its average line.
FAMILY_WITH(workitem_family, .walk_average = true, "PvxjWorkitem", kPVXJWORKITEM, kPVXJWORKITEMVECTOR)

}  // namespace kr::api
