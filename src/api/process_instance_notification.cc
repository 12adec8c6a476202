// The process instance notification family: notifications that a process
// instance ran overdue, and their vectors.
#include <pvxj/notification.h>
#include <pvxj/workitem.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/notification_enums.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

using namespace notes;

constexpr Hook kHooks[] = {
    {kPvxjProcessInstanceNotificationPersistentObject, resolve_persistent_object},
};

constexpr Row kRows[] = {
#include "api/process_instance_notification.def"
};

}  // namespace

FAMILY(process_instance_notification_family, "PvxjProcessInstanceNotification", kPVXJPROCESSINSTANCENOTIFICATION,
       kPVXJPROCESSINSTANCENOTIFICATIONVECTOR)

}  // namespace kr::api
