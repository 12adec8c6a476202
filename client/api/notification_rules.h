// Rules of notifications that their functions and tests share.
#ifndef PVXJSIM_NOTIFICATION_RULES_H
#define PVXJSIM_NOTIFICATION_RULES_H

#include <cstdint>

#include "handles.h"

namespace pvxjsim {

// Tag of the persistent identifier of an item of class cls (nullptr for a
// class that is no item).
const char* NotificationTag(Cls cls);

// Which notification of an activity has been sent (Pvx_AE_), from the
// deadlines it has passed (activity_instances.deadline_state: 0 none, 1 the
// first notification, 2 the second, 3 expired) and the notifications its
// template gives it.
int32_t NotificationState(int64_t deadline_state, bool has_first, bool has_second);

}  // namespace pvxjsim

#endif
