// The process instance family: instances, their vectors, the stored
// instance lists and their vectors.
#include <pvxj/process_instance.h>
#include <pvxj/process_template.h>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr EnumEntry kNotificationStateNames[] = {
    {"Pvx_PE_NotSet", 0}, {"Pvx_PE_NoNotification", 1}, {"Pvx_PE_ProcessNotification", 3}};
constexpr EnumTable kNotificationStates{kNotificationStateNames};

// Deep is true only when it is TRUE (any case); any other word, or none, is
// false and no error.
unsigned char instance_deep(Call& c) {
  const Value& v = c.param(kDeep);
  return v.given && !v.null && iequals(v.text, "TRUE") ? 1 : 0;
}

void instance_suspend(Call& c) { c.rc = PvxjProcessInstanceSuspend(c.h(0), instance_deep(c)); }
void instance_suspend_until(Call& c) { c.rc = PvxjProcessInstanceSuspendUntil(c.h(0), c.dt(1), instance_deep(c)); }
void instance_resume(Call& c) { c.rc = PvxjProcessInstanceResume(c.h(0), instance_deep(c)); }
// The two monitor kinds are kept in their own handle types.
void instance_obtain_monitor(Call& c) {
  c.rc = PvxjProcessInstanceObtainMonitor(c.h(0), instance_deep(c), SlotProxy<PvxjProcessInstanceMonitor>(c.slot(2)));
}
void instance_obtain_process_monitor(Call& c) {
  c.rc = PvxjProcessInstanceObtainProcessMonitor(c.h(0), instance_deep(c), SlotProxy<PvxjInstanceMonitor>(c.slot(2)));
}

constexpr Hook kHooks[] = {
    {kPvxjProcessInstancePersistentObject, resolve_persistent_object},
};

constexpr Row kRows[] = {
#include "api/process_instance.def"
};

}  // namespace

FAMILY(process_instance_family, "PvxjProcessInstance", kPVXJPROCESSINSTANCE, kPVXJPROCESSINSTANCELIST)

}  // namespace kr::api
