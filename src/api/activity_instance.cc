// The activity instance family: activity instances, their vectors, the
// stored activity instance lists and their vectors.
#include <pvxj/activity_instance.h>
#include <pvxj/monitor.h>
#include <pvxj/process_template.h>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/rows.h"
#include "api/work_family.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr Hook kHooks[] = {
    {kPvxjActivityInstanceStaff, nullptr, after_string_list},
    {kPvxjActivityInstanceFirstNotifiedPersons, nullptr, after_string_list},
    {kPvxjActivityInstanceSecondNotifiedPersons, nullptr, after_string_list},
    {kPvxjActivityInstanceSupportTools, nullptr, after_string_list},
    {kPvxjActivityInstancePersistentObject, resolve_persistent_object},
};

constexpr Row kRows[] = {
#include "api/activity_instance.def"
};

}  // namespace

FAMILY(activity_instance_family, "PvxjActivityInstance", kPVXJACTIVITYINSTANCE, kPVXJACTIVITYINSTANCEVECTOR,
       kPVXJACTIVITYINSTANCELIST, kPVXJACTIVITYINSTANCELISTVECTOR)

}  // namespace kr::api
