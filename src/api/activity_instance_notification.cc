// The activity instance notification family: first and second notifications
// that an activity ran overdue, and their vectors.
#include <pvxj/notification.h>
#include <pvxj/workitem.h>

#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/join.h"
#include "api/notification_enums.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/reader.h"
#include "eval/checks.h"

namespace kr::api {

void notes::after_list(Call& c) {
  std::string text = sorted_list(join_with_heading(c.ctx, c.object, kJoinReport, Walk::kElements));
  std::string xp = c.xp_given ? sorted_list(c.xp_value) : std::string(kNoExpectedValue);
  check_text(c.ctx, kLabelValue, OptText(text), xp);
}

namespace {

using namespace notes;

constexpr Hook kHooks[] = {
    {kPvxjActivityInstanceNotificationPersistentObject, resolve_persistent_object},
    {kPvxjActivityInstanceNotificationStaff, nullptr, after_list},
    {kPvxjActivityInstanceNotificationSupportTools, nullptr, after_list},
};

constexpr Row kRows[] = {
#include "api/activity_instance_notification.def"
};

}  // namespace

FAMILY(activity_instance_notification_family, "PvxjActivityInstanceNotification",
       kPVXJACTIVITYINSTANCENOTIFICATION, kPVXJACTIVITYINSTANCENOTIFICATIONVECTOR)

}  // namespace kr::api
