// Process monitors: the activity instances and control connectors of a
// process instance or of a block within it, the bend points of connectors
// and the symbol layouts of activities, as the template's layout gives them.
#include <pvxj/monitor.h>

#include "monitor_objects.h"

#include <cstdlib>

#include "attributes.h"
#include "clock.h"
#include "engine.h"
#include "session_id.h"

namespace pvxjsim {

int64_t MonitorBlock(const RowObject& monitor) {
  auto* m = dynamic_cast<const MonitorObject*>(&monitor);
  return m ? m->block : 0;
}

int32_t NewMonitor(Store& store, Cls cls, int64_t instance, int64_t block, bool deep,
                   const std::shared_ptr<ServiceState>& service, HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  Stmt q(store.db(), block ? "SELECT name FROM activity_instances WHERE id=? AND process_instance_id=?"
                           : "SELECT name FROM process_instances WHERE id=? AND state <> 128");
  q.Bind(1, block ? block : instance);
  if (block) q.Bind(2, instance);
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  auto m = std::make_unique<MonitorObject>();
  m->id = instance;
  m->block = block;
  m->deep = deep;
  m->name = q.Text(0);
  m->service = service;
  return AddHandle(cls, std::move(m), out);
}

std::vector<std::pair<int32_t, int32_t>> ParsePoints(const std::string& text) {
  std::vector<std::pair<int32_t, int32_t>> out;
  size_t from = 0;
  while (from < text.size()) {
    size_t to = text.find(';', from);
    if (to == std::string::npos) to = text.size();
    std::string part = text.substr(from, to - from);
    size_t comma = part.find(',');
    if (comma != std::string::npos) {
      char* end = nullptr;
      long x = std::strtol(part.c_str(), &end, 10);
      bool ok = end == part.c_str() + comma;
      long y = std::strtol(part.c_str() + comma + 1, &end, 10);
      ok = ok && *end == '\0' && comma + 1 < part.size();
      if (ok && x >= INT32_MIN && x <= INT32_MAX && y >= INT32_MIN && y <= INT32_MAX)
        out.emplace_back(static_cast<int32_t>(x), static_cast<int32_t>(y));
    }
    from = to + 1;
  }
  return out;
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

// The monitor behind a handle of one of the classes, with its session's
// store; the instance must still exist.
int32_t FindMonitor(HandleRef handle, std::initializer_list<Cls> classes, RowObject** row,
                    Store** store, Cls* cls = nullptr) {
  Cls c = Client::Get().handles.ClassOf(handle);
  for (Cls k : classes)
    if (c == k) {
      if (cls) *cls = c;
      if (int32_t rc = FindRow(handle, c, row, store)) return rc;
      Stmt q((*store)->db(), "SELECT 1 FROM process_instances WHERE id=? AND state <> 128");
      q.Bind(1, (*row)->id);
      return q.Step() ? PVX_OK : PVX_ERROR_DOES_NOT_EXIST;
    }
  return PVX_ERROR_INVALID_HANDLE;
}

const std::initializer_list<Cls> kInstanceMonitor = {Cls::InstanceMonitor};
const std::initializer_list<Cls> kBlockMonitors = {Cls::ProcessInstanceMonitor,
                                                       Cls::BlockInstanceMonitor};

int32_t Refresh(HandleRef monitor, std::initializer_list<Cls> classes, unsigned char deep,
                const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindMonitor(monitor, classes, &row, &store)) return rc;
    // Deadlines that fell due show in the states the monitor reads next.
    {
      WriteTx tx(*store);
      CheckDeadlines(*store);
      tx.Commit();
    }
    if (auto* m = dynamic_cast<MonitorObject*>(row)) m->deep = deep != 0;
    if (int64_t block = MonitorBlock(*row)) {
      Stmt q(store->db(), "SELECT 1 FROM activity_instances WHERE id=?");
      q.Bind(1, block);
      if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    }
    return PVX_OK;
  }, origin);
}

// The activity instances (or connector instances) the monitor shows, in the
// template's order, as a new vector.
int32_t Members(HandleRef monitor, std::initializer_list<Cls> classes, bool connectors,
                HandleSlot vector, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindMonitor(monitor, classes, &row, &store)) return rc;
    Cls vector_cls = connectors ? Cls::ControlConnectorInstanceVector : Cls::ActivityInstanceVector;
    Cls element_cls = connectors ? Cls::ControlConnectorInstance : Cls::ActivityInstance;
    if (!vector) return PVX_ERROR_INVALID_RESULT_HANDLE;
    {
      WriteTx tx(*store);
      CheckDeadlines(*store);
      tx.Commit();
    }
    Stmt q(store->db(),
           connectors ? "SELECT ci.id, coalesce(c.name, '') FROM connector_instances ci "
                        "JOIN control_connectors c ON c.id = ci.connector_id "
                        "WHERE ci.process_instance_id=? AND ci.block_instance_id IS ? ORDER BY c.id, ci.id"
                      : "SELECT ai.id, ai.name FROM activity_instances ai "
                        "JOIN activities a ON a.id = ai.activity_id "
                        "WHERE ai.process_instance_id=? AND ai.block_instance_id IS ? "
                        // a block's current round: its earlier ones keep their instances
                        "AND ai.id = (SELECT max(x.id) FROM activity_instances x WHERE "
                        "x.process_instance_id = ai.process_instance_id AND x.activity_id = "
                        "ai.activity_id AND x.block_instance_id IS ai.block_instance_id) "
                        "ORDER BY a.position, ai.id");
    q.Bind(1, row->id);
    if (int64_t block = MonitorBlock(*row)) q.Bind(2, block); else q.BindNull(2);
    std::vector<ElementRef> found;
    while (q.Step()) found.push_back({q.Int(0), q.Text(1)});
    // Always a new vector: what *vector held before is the caller's to free.
    uint32_t fresh = 0;
    if (int32_t rc = DeliverVector(vector_cls, element_cls, std::move(found), row->service, &fresh)) return rc;
    vector.set(fresh);
    return PVX_OK;
  }, origin);
}

// An activity instance the monitor shows: its id and kind.
int32_t ShownActivity(Store& store, const RowObject& monitor, HandleRef activity, int64_t* ai,
                      int64_t* kind) {
  auto* a = Client::Get().handles.Get<RowObject>(activity, Cls::ActivityInstance);
  if (!a) return PVX_ERROR_INVALID_HANDLE;
  Stmt q(store.db(), "SELECT kind, process_instance_id, block_instance_id FROM activity_instances "
                     "WHERE id=?");
  q.Bind(1, a->id);
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  int64_t block = MonitorBlock(monitor);
  if (q.Int(1) != monitor.id || (q.IsNull(2) ? 0 : q.Int(2)) != block)
    return PVX_ERROR_INVALID_ACTIVITY;
  *ai = a->id;
  *kind = q.Int(0);
  return PVX_OK;
}

int32_t ObtainBlock(HandleRef monitor, std::initializer_list<Cls> classes, HandleRef activity,
                    Cls result, HandleSlot out, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindMonitor(monitor, classes, &row, &store)) return rc;
    int64_t ai, kind;
    if (int32_t rc = ShownActivity(*store, *row, activity, &ai, &kind)) return rc;
    if (kind != 16) return PVX_ERROR_WRONG_KIND;
    auto* m = dynamic_cast<MonitorObject*>(row);
    return NewMonitor(*store, result, row->id, ai, m && m->deep, row->service, out);
  }, origin);
}

int32_t ObtainProcess(HandleRef monitor, std::initializer_list<Cls> classes, HandleRef activity,
                      unsigned char deep, Cls result, HandleSlot out,
                      const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindMonitor(monitor, classes, &row, &store)) return rc;
    int64_t ai, kind;
    if (int32_t rc = ShownActivity(*store, *row, activity, &ai, &kind)) return rc;
    if (kind != 1) return PVX_ERROR_WRONG_KIND;
    // The latest sub-process the activity started.
    Stmt q(store->db(), "SELECT id FROM process_instances WHERE parent_activity_instance_id=? "
                        "ORDER BY id DESC LIMIT 1");
    q.Bind(1, ai);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    return NewMonitor(*store, result, q.Int(0), 0, deep != 0, row->service, out);
  }, origin);
}

// --- control connector instances --------------------------------------------------

template <class R, class Fn>
R ConnectorValue(HandleRef handle, const char* expr, R fallback, Fn&& fn,
                 const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RowObject* row;
    Store* store;
    if ((*rc = FindRow(handle, Cls::ControlConnectorInstance, &row, &store))) return fallback;
    Stmt q(store->db(), std::string("SELECT ") + expr +
                            " FROM connector_instances ci JOIN control_connectors c ON c.id = ci.connector_id"
                            " WHERE ci.id=?");
    q.Bind(1, row->id);
    if (!q.Step()) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return fallback;
    }
    return fn(q, rc);
  }, origin);
}

char* ConnectorText(HandleRef h, const char* expr, char* buffer, uint32_t length,
                    const char* origin = __builtin_FUNCTION()) {
  return ConnectorValue<char*>(h, expr, nullptr, [&](const Stmt& q, int32_t*) -> char* {
    return q.IsNull(0) ? nullptr : CopyOut(q.Text(0), buffer, length);
  }, origin);
}

int32_t ConnectorNumber(HandleRef h, const char* expr, const char* origin = __builtin_FUNCTION()) {
  return ConnectorValue<int32_t>(h, expr, 0, [](const Stmt& q, int32_t*) {
    return static_cast<int32_t>(q.Int(0));
  }, origin);
}

// The identifier of the activity instance at one end of the connector: the
// one of the end's activity in the same instance and block.
char* EndOid(HandleRef h, const char* end_column, char* buffer, uint32_t length,
             const char* origin = __builtin_FUNCTION()) {
  std::string expr = std::string("(SELECT max(x.id) FROM activity_instances x WHERE x.process_instance_id = "
                                 "ci.process_instance_id AND x.block_instance_id IS ci.block_instance_id "
                                 "AND x.activity_id = c.") + end_column + ")";
  return ConnectorValue<char*>(h, expr.c_str(), nullptr, [&](const Stmt& q, int32_t* rc) -> char* {
    if (q.IsNull(0)) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return nullptr;
    }
    return CopyOut(FormatOid(oid_tag::kActivityInstance, q.Int(0)), buffer, length);
  }, origin);
}

// Copy and Equal of the value classes.
template <class T>
int32_t CopyValue(HandleRef handle, Cls cls, HandleSlot copy, const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    auto* v = Client::Get().handles.Get<T>(handle, cls);
    if (!v) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(cls, std::make_unique<T>(*v), copy);
  }, origin);
}

template <class R, class T, class Fn>
R ValueOf(HandleRef handle, Cls cls, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    auto* v = Client::Get().handles.Get<T>(handle, cls);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return fallback;
    }
    return fn(*v);
  }, origin);
}

template <class T, class Same>
unsigned char EqualValues(HandleRef a, HandleRef b, Cls cls, Same&& same,
                          const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto* x = Client::Get().handles.Get<T>(a, cls);
    auto* y = Client::Get().handles.Get<T>(b, cls);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return same(*x, *y) ? 1 : 0;
  }, origin);
}

}  // namespace

extern "C" {

// --- instance monitors --------------------------------------------------------------

int32_t PvxjInstanceMonitorCopy(PvxjInstanceMonitor monitor, PvxjInstanceMonitor* copy) {
  return Guarded([&]() -> int32_t {
    auto* row = Client::Get().handles.Get<RowObject>(monitor, Cls::InstanceMonitor);
    if (!row) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto m = std::make_unique<MonitorObject>();
    m->id = row->id;
    m->name = row->name;
    m->service = row->service;
    m->block = MonitorBlock(*row);
    if (auto* from = dynamic_cast<MonitorObject*>(row)) m->deep = from->deep;
    return AddHandle(Cls::InstanceMonitor, std::move(m), copy);
  });
}

unsigned char PvxjInstanceMonitorEqual(PvxjInstanceMonitor monitor, PvxjInstanceMonitor other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto* a = Client::Get().handles.Get<RowObject>(monitor, Cls::InstanceMonitor);
    auto* b = Client::Get().handles.Get<RowObject>(other, Cls::InstanceMonitor);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return a->id == b->id && MonitorBlock(*a) == MonitorBlock(*b);
  });
}

int32_t PvxjInstanceMonitorRefresh(PvxjInstanceMonitor monitor, unsigned char deep) {
  return Refresh(monitor, kInstanceMonitor, deep);
}

int32_t PvxjInstanceMonitorActivityInstances(PvxjInstanceMonitor monitor,
                                             PvxjActivityInstanceVector* vector) {
  return Members(monitor, kInstanceMonitor, false, vector);
}

int32_t PvxjInstanceMonitorControlConnectorInstances(PvxjInstanceMonitor monitor,
                                                     PvxjControlConnectorInstanceVector* vector) {
  return Members(monitor, kInstanceMonitor, true, vector);
}

int32_t PvxjInstanceMonitorObtainBlockMonitor(PvxjInstanceMonitor monitor, PvxjActivityInstance block,
                                              PvxjInstanceMonitor* blockMonitor) {
  return ObtainBlock(monitor, kInstanceMonitor, block, Cls::InstanceMonitor, blockMonitor);
}

int32_t PvxjInstanceMonitorObtainProcessMonitor(PvxjInstanceMonitor monitor,
                                                PvxjActivityInstance activity, unsigned char deep,
                                                PvxjInstanceMonitor* processMonitor) {
  return ObtainProcess(monitor, kInstanceMonitor, activity, deep, Cls::InstanceMonitor,
                       processMonitor);
}

// The identifier names the instance; a block's monitor is restored as the
// monitor of its whole instance.
char* PvxjInstanceMonitorPersistentOid(PvxjInstanceMonitor monitor, char* buffer,
                                       uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    RowObject* row;
    Store* store;
    if ((*rc = FindMonitor(monitor, kInstanceMonitor, &row, &store))) return nullptr;
    return CopyOut(FormatOid(oid_tag::kInstanceMonitor, row->id), buffer, bufferLength);
  });
}

// --- block instance monitors ------------------------------------------------------

int32_t PvxjBlockInstanceMonitorRefresh(PvxjBlockInstanceMonitor monitor, unsigned char deep) {
  return Refresh(monitor, kBlockMonitors, deep);
}

int32_t PvxjBlockInstanceMonitorActivityInstances(PvxjBlockInstanceMonitor monitor,
                                                  PvxjActivityInstanceVector* vector) {
  return Members(monitor, kBlockMonitors, false, vector);
}

int32_t PvxjBlockInstanceMonitorControlConnectorInstances(
    PvxjBlockInstanceMonitor monitor, PvxjControlConnectorInstanceVector* vector) {
  return Members(monitor, kBlockMonitors, true, vector);
}

int32_t PvxjBlockInstanceMonitorObtainBlockInstanceMonitor(PvxjBlockInstanceMonitor monitor,
                                                           PvxjActivityInstance block,
                                                           PvxjBlockInstanceMonitor* blockMonitor) {
  return ObtainBlock(monitor, kBlockMonitors, block, Cls::BlockInstanceMonitor, blockMonitor);
}

int32_t PvxjBlockInstanceMonitorObtainProcessInstanceMonitor(
    PvxjBlockInstanceMonitor monitor, PvxjActivityInstance activity, unsigned char deep,
    PvxjProcessInstanceMonitor* processMonitor) {
  return ObtainProcess(monitor, kBlockMonitors, activity, deep, Cls::ProcessInstanceMonitor,
                       processMonitor);
}

// --- control connector instances --------------------------------------------------

int32_t PvxjControlConnectorInstanceCopy(PvxjControlConnectorInstance connector,
                                         PvxjControlConnectorInstance* copy) {
  return Guarded([&]() -> int32_t {
    auto* row = Client::Get().handles.Get<RowObject>(connector, Cls::ControlConnectorInstance);
    if (!row) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(Cls::ControlConnectorInstance, std::make_unique<RowObject>(*row), copy);
  });
}

unsigned char PvxjControlConnectorInstanceEqual(PvxjControlConnectorInstance connector,
                                                PvxjControlConnectorInstance other) {
  return EqualValues<RowObject>(connector, other, Cls::ControlConnectorInstance,
                                [](const RowObject& a, const RowObject& b) { return a.id == b.id; });
}

int32_t PvxjControlConnectorInstanceKind(PvxjControlConnectorInstance connector) {
  return ConnectorNumber(connector, "c.kind");
}

int32_t PvxjControlConnectorInstanceState(PvxjControlConnectorInstance connector) {
  return ConnectorNumber(connector, "ci.state");
}

int32_t PvxjControlConnectorInstanceBendPoints(PvxjControlConnectorInstance connector,
                                               PvxjPointVector* points) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindRow(connector, Cls::ControlConnectorInstance, &row, &store)) return rc;
    if (!points) return PVX_ERROR_INVALID_RESULT_HANDLE;
    Stmt q(store->db(), "SELECT c.bend_points FROM connector_instances ci "
                        "JOIN control_connectors c ON c.id = ci.connector_id WHERE ci.id=?");
    q.Bind(1, row->id);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    auto v = std::make_unique<PointVectorObject>();
    v->points = ParsePoints(q.Text(0));
    return AddHandle(Cls::PointVector, std::move(v), points);
  });
}

char* PvxjControlConnectorInstanceName(PvxjControlConnectorInstance connector, char* buffer,
                                       uint32_t bufferLength) {
  return ConnectorText(connector, "c.name", buffer, bufferLength);
}

char* PvxjControlConnectorInstanceTransitionCondition(PvxjControlConnectorInstance connector,
                                                      char* buffer, uint32_t bufferLength) {
  return ConnectorText(connector, "c.condition", buffer, bufferLength);
}

unsigned char PvxjControlConnectorInstanceNameIsNull(PvxjControlConnectorInstance connector) {
  return static_cast<unsigned char>(ConnectorNumber(connector, "c.name IS NULL"));
}

unsigned char PvxjControlConnectorInstanceTransitionConditionIsNull(
    PvxjControlConnectorInstance connector) {
  return static_cast<unsigned char>(ConnectorNumber(connector, "c.condition IS NULL"));
}

char* PvxjControlConnectorInstancePersistentOidOfSourceActivity(PvxjControlConnectorInstance connector,
                                                                char* buffer, uint32_t bufferLength) {
  return EndOid(connector, "from_activity", buffer, bufferLength);
}

char* PvxjControlConnectorInstancePersistentOidOfTargetActivity(PvxjControlConnectorInstance connector,
                                                                char* buffer, uint32_t bufferLength) {
  return EndOid(connector, "to_activity", buffer, bufferLength);
}

// --- symbol layouts ---------------------------------------------------------------------

int32_t PvxjActivityInstanceSymbolLayout(PvxjActivityInstance activity, PvxjSymbolLayout* layout) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindRow(activity, Cls::ActivityInstance, &row, &store)) return rc;
    if (!layout) return PVX_ERROR_INVALID_RESULT_HANDLE;
    Stmt q(store->db(), "SELECT a.layout_x, a.layout_y, a.layout_name_x, a.layout_name_y "
                        "FROM activity_instances ai JOIN activities a ON a.id = ai.activity_id "
                        "WHERE ai.id=?");
    q.Bind(1, row->id);
    if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
    auto l = std::make_unique<SymbolLayoutObject>();
    l->x = static_cast<int32_t>(q.Int(0));
    l->y = static_cast<int32_t>(q.Int(1));
    l->name_x = static_cast<int32_t>(q.Int(2));
    l->name_y = static_cast<int32_t>(q.Int(3));
    return AddHandle(Cls::SymbolLayout, std::move(l), layout);
  });
}

int32_t PvxjSymbolLayoutCopy(PvxjSymbolLayout layout, PvxjSymbolLayout* copy) {
  return CopyValue<SymbolLayoutObject>(layout, Cls::SymbolLayout, copy);
}

unsigned char PvxjSymbolLayoutEqual(PvxjSymbolLayout layout, PvxjSymbolLayout other) {
  return EqualValues<SymbolLayoutObject>(layout, other, Cls::SymbolLayout,
                                         [](const SymbolLayoutObject& a, const SymbolLayoutObject& b) {
    return a.x == b.x && a.y == b.y && a.name_x == b.name_x && a.name_y == b.name_y;
  });
}

int32_t PvxjSymbolLayoutXPosition(PvxjSymbolLayout layout) {
  return ValueOf<int32_t, SymbolLayoutObject>(layout, Cls::SymbolLayout, 0,
                                              [](const SymbolLayoutObject& l) { return l.x; });
}
int32_t PvxjSymbolLayoutYPosition(PvxjSymbolLayout layout) {
  return ValueOf<int32_t, SymbolLayoutObject>(layout, Cls::SymbolLayout, 0,
                                              [](const SymbolLayoutObject& l) { return l.y; });
}
int32_t PvxjSymbolLayoutXPositionOfName(PvxjSymbolLayout layout) {
  return ValueOf<int32_t, SymbolLayoutObject>(layout, Cls::SymbolLayout, 0,
                                              [](const SymbolLayoutObject& l) { return l.name_x; });
}
int32_t PvxjSymbolLayoutYPositionOfName(PvxjSymbolLayout layout) {
  return ValueOf<int32_t, SymbolLayoutObject>(layout, Cls::SymbolLayout, 0,
                                              [](const SymbolLayoutObject& l) { return l.name_y; });
}

// --- points ----------------------------------------------------------------------------

int32_t PvxjPointCopy(PvxjPoint point, PvxjPoint* copy) {
  return CopyValue<PointObject>(point, Cls::Point, copy);
}

unsigned char PvxjPointEqual(PvxjPoint point, PvxjPoint other) {
  return EqualValues<PointObject>(point, other, Cls::Point, [](const PointObject& a, const PointObject& b) {
    return a.x == b.x && a.y == b.y;
  });
}

int32_t PvxjPointXPosition(PvxjPoint point) {
  return ValueOf<int32_t, PointObject>(point, Cls::Point, 0, [](const PointObject& p) { return p.x; });
}
int32_t PvxjPointYPosition(PvxjPoint point) {
  return ValueOf<int32_t, PointObject>(point, Cls::Point, 0, [](const PointObject& p) { return p.y; });
}

uint32_t PvxjPointVectorSize(PvxjPointVector vector) {
  return ValueOf<uint32_t, PointVectorObject>(vector, Cls::PointVector, 0, [](const PointVectorObject& v) {
    return static_cast<uint32_t>(v.points.size());
  });
}

static PvxjPoint PointElement(PvxjPointVector vector, bool restart,
                              const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<HandleRef>(0, [&](int32_t* rc) -> HandleRef {
    auto* v = Client::Get().handles.Get<PointVectorObject>(vector, Cls::PointVector);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    if (restart) v->cursor = 0;
    if (v->cursor >= v->points.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return 0;
    }
    auto p = std::make_unique<PointObject>();
    p->x = v->points[v->cursor].first;
    p->y = v->points[v->cursor].second;
    uint32_t handle = 0;
    if ((*rc = AddHandle(Cls::Point, std::move(p), &handle))) return 0;
    ++v->cursor;
    return handle;
  }, origin);
}

PvxjPoint PvxjPointVectorFirstElement(PvxjPointVector vector) { return PointElement(vector, true); }
PvxjPoint PvxjPointVectorNextElement(PvxjPointVector vector) { return PointElement(vector, false); }

}  // extern "C"
