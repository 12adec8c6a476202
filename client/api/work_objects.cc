#include "work_objects.h"

#include <cstdio>

#include "container.h"
#include "container_tree.h"
#include "date_time.h"
#include "engine.h"
#include "string_vector.h"

namespace pvxjsim {

namespace {

// The rows around an item or an activity instance, under fixed aliases so
// that one expression reads the same over both.
constexpr const char* kItemFrom =
    " FROM items t LEFT JOIN process_instances p ON p.id = t.process_instance_id"
    " LEFT JOIN process_templates pt ON pt.id = p.template_id"
    " LEFT JOIN activity_instances a ON a.id = t.activity_instance_id"
    " LEFT JOIN activities d ON d.id = a.activity_id WHERE t.id=?";
constexpr const char* kActivityFrom =
    " FROM activity_instances a JOIN activities d ON d.id = a.activity_id"
    " JOIN process_instances p ON p.id = a.process_instance_id"
    " JOIN process_templates pt ON pt.id = p.template_id WHERE a.id=?";

std::string Select(Over over, const std::string& expr) {
  return "SELECT " + expr + (over == Over::kItem ? kItemFrom : kActivityFrom);
}

}  // namespace

int32_t FindWorkRow(HandleRef handle, std::initializer_list<Cls> classes, bool stored, RowObject** row,
                    Store** store, Cls* cls) {
  *row = nullptr;
  for (Cls c : classes) {
    if (auto* r = Client::Get().handles.Get<RowObject>(handle, c)) {
      *row = r;
      if (cls) *cls = c;
      break;
    }
  }
  if (!*row || !(*row)->service) return PVX_ERROR_INVALID_HANDLE;
  if (int32_t rc = RequireSession(*(*row)->service, store)) return rc;
  if (!stored) return PVX_OK;
  const bool item = *classes.begin() != Cls::ActivityInstance;
  Stmt q((*store)->db(), item ? "SELECT 1 FROM items WHERE id=?" : "SELECT 1 FROM activity_instances WHERE id=?");
  q.Bind(1, (*row)->id);
  return q.Step() ? PVX_OK : PVX_ERROR_DOES_NOT_EXIST;
}

std::optional<std::string> ReadText(Store& store, Over over, int64_t id, const std::string& expr) {
  Stmt q(store.db(), Select(over, expr));
  q.Bind(1, id);
  if (!q.Step() || q.IsNull(0)) return std::nullopt;
  return q.Text(0);
}

std::optional<int64_t> ReadNumber(Store& store, Over over, int64_t id, const std::string& expr) {
  Stmt q(store.db(), Select(over, expr));
  q.Bind(1, id);
  if (!q.Step() || q.IsNull(0)) return std::nullopt;
  return q.Int(0);
}

char* WorkText(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr, char* buffer,
               uint32_t length, const char* origin) {
  return WithWorkRow<char*>(handle, classes, nullptr, [&](Store& store, RowObject& row, int32_t*) -> char* {
    auto v = ReadText(store, over, row.id, expr);
    return v ? CopyOut(*v, buffer, length) : nullptr;
  }, origin);
}

int32_t WorkNumber(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                   const char* origin) {
  return WithWorkRow<int32_t>(handle, classes, 0, [&](Store& store, RowObject& row, int32_t*) {
    return static_cast<int32_t>(ReadNumber(store, over, row.id, expr).value_or(0));
  }, origin);
}

unsigned char WorkFlag(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                       const char* origin) {
  return WithWorkRow<unsigned char>(handle, classes, 0, [&](Store& store, RowObject& row, int32_t*) {
    return static_cast<unsigned char>(ReadNumber(store, over, row.id, expr).value_or(0) != 0);
  }, origin);
}

unsigned char WorkIsNull(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                         const char* origin) {
  return WithWorkRow<unsigned char>(handle, classes, 0, [&](Store& store, RowObject& row, int32_t*) {
    return static_cast<unsigned char>(!ReadText(store, over, row.id, expr).has_value());
  }, origin);
}

PvxjDateTime WorkTime(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                      const char* origin) {
  return WithWorkRow<PvxjDateTime>(handle, classes, PvxjDateTime{}, [&](Store& store, RowObject& row, int32_t*) {
    auto v = ReadText(store, over, row.id, expr);
    return v ? DateTimeFromText(*v) : PvxjDateTime{};
  }, origin);
}

PvxjStringVector WorkList(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                          const char* origin) {
  return WithWorkRow<HandleRef>(handle, classes, 0, [&](Store& store, RowObject& row, int32_t* rc) -> HandleRef {
    std::vector<std::string> items;
    if (auto v = ReadText(store, over, row.id, expr)) {
      size_t start = 0;
      while (start <= v->size()) {
        size_t semi = v->find(';', start);
        std::string one = v->substr(start, semi == std::string::npos ? std::string::npos : semi - start);
        if (!one.empty()) items.push_back(one);
        if (semi == std::string::npos) break;
        start = semi + 1;
      }
    }
    uint32_t out = 0;
    *rc = NewStringVector(std::move(items), &out);
    return out;
  }, origin);
}

std::vector<std::string> ResolvedStaff(Store& store, int64_t ai) { return ResolvedStaffOf(store, ai); }

std::string StoreTimeText(const PvxjDateTime& v) {
  if (!ValidDateTime(v)) return {};
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{v.year}, unsigned{v.month},
           unsigned{v.day}, unsigned{v.hour}, unsigned{v.minute}, unsigned{v.second});
  return text;
}

int32_t AddRowObject(Cls cls, int64_t id, const std::string& name, const std::shared_ptr<ServiceState>& service,
                     HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  auto obj = std::make_unique<RowObject>();
  obj->id = id;
  obj->name = name;
  obj->service = service;
  return AddHandle(cls, std::move(obj), out);
}

std::optional<Record> GivenContainer(HandleRef read_only, HandleRef read_write, int32_t* rc) {
  *rc = PVX_OK;
  if (read_write) {
    auto* c = Client::Get().handles.Get<RecordObject>(read_write, Cls::ReadWriteContainer);
    if (!c) *rc = PVX_ERROR_INVALID_HANDLE;
    return c ? std::optional<Record>(c->record) : std::nullopt;
  }
  if (read_only) {
    auto* c = Client::Get().handles.Get<RecordObject>(read_only, Cls::ReadOnlyContainer);
    if (!c) *rc = PVX_ERROR_INVALID_HANDLE;
    return c ? std::optional<Record>(c->record) : std::nullopt;
  }
  return std::nullopt;
}

int32_t ActivityContainer(Store& store, int64_t ai, const char* role, Cls cls, HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  auto obj = std::make_unique<RecordObject>();
  if (auto rec = LoadContainer(store, "AI", ai, role)) {
    obj->record = *rec;
  } else {
    auto structure = ReadText(store, Over::kActivity, ai,
                              std::string(role) == "in" ? "d.in_container" : "d.out_container");
    obj->record.type_name = structure.value_or("");
  }
  obj->record.kind = cls == Cls::ReadOnlyContainer ? RecordKind::kReadOnlyContainer : RecordKind::kReadWriteContainer;
  // An activity's output has its return code member before the engine sets it.
  if (std::string(role) == "out") AddRc(&obj->record);
  return AddHandle(cls, std::move(obj), out);
}

int32_t StoreActivityOutput(Store& store, int64_t ai, const Record& record) {
  auto structure = ActivityOutStructure(store, ai);
  if (!structure || record.type_name != *structure) return PVX_ERROR_INVALID_CONTAINER;
  Record r = record;
  r.kind = RecordKind::kReadWriteContainer;
  SaveContainer(store, "AI", ai, "out", r);
  return PVX_OK;
}

}  // namespace pvxjsim
