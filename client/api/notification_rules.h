// Rules of notifications that their functions and tests share.
#ifndef PVXJSIM_NOTIFICATION_RULES_H
#define PVXJSIM_NOTIFICATION_RULES_H

#include "handles.h"

namespace pvxjsim {

// Tag of the persistent identifier of an item of class cls (nullptr for a
// class that is no item).
const char* NotificationTag(Cls cls);

// Which notification of an activity was due last (Pvx_AE_), from the
// deadlines it has passed (column: activity_instances.deadline_state, 0 none,
// 1 the first notification, 2 the second, 3 expired): the number of the kind
// of that notification, so an expired activity gives 2, its expiry
// notification's kind. An SQL expression, read alike by the activity
// instance, its work items and its notifications.
#define PVXJSIM_STATE_OF_NOTIFICATION(column) \
  "CASE " column " WHEN 0 THEN 1 WHEN 1 THEN 4 WHEN 2 THEN 5 WHEN 3 THEN 2 ELSE 0 END"

}  // namespace pvxjsim

#endif
