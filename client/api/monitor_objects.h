// The objects behind monitors, symbol layouts and points, and the making of
// a monitor, which notifications and activity instances hand out too.
#ifndef PVXJSIM_MONITOR_OBJECTS_H
#define PVXJSIM_MONITOR_OBJECTS_H

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "client.h"

namespace pvxjsim {

// A monitor of a process instance (id), or of one block activity instance
// within it (block, 0 for the whole instance). A monitor restored from its
// persistent identifier is a plain RowObject: the whole instance.
struct MonitorObject : RowObject {
  int64_t block = 0;
  bool deep = false;
};

// The block a monitor object shows, 0 for the whole instance.
int64_t MonitorBlock(const RowObject& monitor);

// Where an activity's symbol and its name label stand.
struct SymbolLayoutObject : Object {
  int32_t x = 0, y = 0, name_x = 0, name_y = 0;
};

struct PointObject : Object {
  int32_t x = 0, y = 0;
};

struct PointVectorObject : Object {
  std::vector<std::pair<int32_t, int32_t>> points;
  size_t cursor = 0;
};

// Registers a new monitor of class cls (InstanceMonitor,
// ProcessInstanceMonitor or BlockInstanceMonitor) in *out. Caller holds the
// client lock.
int32_t NewMonitor(Store& store, Cls cls, int64_t instance, int64_t block, bool deep,
                   const std::shared_ptr<ServiceState>& service, HandleSlot out);

// "x,y;x,y" (as the store keeps bend points) to points; malformed parts are
// left out.
std::vector<std::pair<int32_t, int32_t>> ParsePoints(const std::string& text);

}  // namespace pvxjsim

#endif
