#include "attributes.h"

#include <array>
#include <string>

#include "clock.h"
#include "date_time.h"

namespace pvxjsim {

namespace {

constexpr AttrDef kAttrs[] = {
#define PVXJ_ATTR(cls, name, sql, type, nullable) \
  {Cls::cls, #name, sql, AttrType::type, nullable != 0},
#include "attributes.def"
#undef PVXJ_ATTR
};
static_assert(sizeof kAttrs / sizeof kAttrs[0] == static_cast<size_t>(Attr::kCount));

// One statement text per attribute, made once; the store caches the
// prepared statement by it.
const std::string& SelectText(Attr attr) {
  static const auto* texts = [] {
    auto* t = new std::array<std::string, static_cast<size_t>(Attr::kCount)>;
    for (size_t i = 0; i < t->size(); ++i)
      (*t)[i] = std::string("SELECT ") + kAttrs[i].sql + " FROM " + TableOf(kAttrs[i].cls) +
                " t WHERE t.id=?";
    return t;
  }();
  return (*texts)[static_cast<size_t>(attr)];
}

// Runs the attribute's query for the handle's row; fn(q, store) reads column 0.
template <class R, class Fn>
R Read(HandleRef handle, Attr attr, R fallback, const char* origin, Fn&& fn) {
  const AttrDef& def = AttrInfo(attr);
  return WithRow<R>(handle, def.cls, fallback, [&](Store& store, RowObject& row, int32_t* rc) -> R {
    Stmt q(store.db(), SelectText(attr));
    q.Bind(1, row.id);
    if (!q.Step()) {
      *rc = PVX_ERROR_DOES_NOT_EXIST;
      return fallback;
    }
    return fn(q, store);
  }, origin);
}

}  // namespace

const AttrDef& AttrInfo(Attr attr) { return kAttrs[static_cast<size_t>(attr)]; }

const std::string& AttrSelect(Attr attr) { return SelectText(attr); }

int32_t FindRow(HandleRef handle, Cls cls, RowObject** row, Store** store) {
  *row = Client::Get().handles.Get<RowObject>(handle, cls);
  if (!*row || !(*row)->service) return PVX_ERROR_INVALID_HANDLE;
  return RequireSession(*(*row)->service, store);
}

int32_t FindStoredRow(HandleRef handle, Cls cls, RowObject** row, Store** store) {
  if (int32_t rc = FindRow(handle, cls, row, store)) return rc;
  Stmt q((*store)->db(), std::string("SELECT 1 FROM ") + TableOf(cls) + " WHERE id=?");
  q.Bind(1, (*row)->id);
  return q.Step() ? PVX_OK : PVX_ERROR_DOES_NOT_EXIST;
}

const char* TableOf(Cls cls) {
  switch (cls) {
    case Cls::Person: return "persons";
    case Cls::ProcessTemplate: return "process_templates";
    case Cls::ProcessInstance: return "process_instances";
    case Cls::ActivityInstance: return "activity_instances";
    case Cls::Item:
    case Cls::Workitem:
    case Cls::ActivityInstanceNotification:
    case Cls::ProcessInstanceNotification: return "items";
    case Cls::Worklist:
    case Cls::ProcessTemplateList:
    case Cls::ProcessInstanceList:
    case Cls::ActivityInstanceList: return "persistent_lists";
    default: return nullptr;
  }
}

char* AttrText(HandleRef handle, Attr attr, char* buffer, uint32_t length, const char* origin) {
  return Read<char*>(handle, attr, nullptr, origin, [&](const Stmt& q, Store&) -> char* {
    if (q.IsNull(0)) return nullptr;
    return CopyOut(q.Text(0), buffer, length);
  });
}

unsigned char AttrBool(HandleRef handle, Attr attr, const char* origin) {
  return Read<unsigned char>(handle, attr, 0, origin,
                             [](const Stmt& q, Store&) -> unsigned char { return q.Int(0) != 0; });
}

int32_t AttrNumber(HandleRef handle, Attr attr, const char* origin) {
  return Read<int32_t>(handle, attr, 0, origin,
                       [](const Stmt& q, Store&) { return static_cast<int32_t>(q.Int(0)); });
}

uint32_t AttrUnsigned(HandleRef handle, Attr attr, const char* origin) {
  return Read<uint32_t>(handle, attr, 0, origin,
                        [](const Stmt& q, Store&) { return static_cast<uint32_t>(q.Int(0)); });
}

int32_t AttrDateTime(HandleRef handle, Attr attr, PvxjDateTime* value, const char* origin) {
  if (value) *value = PvxjDateTime{};
  Read<int>(handle, attr, 0, origin, [&](const Stmt& q, Store&) {
    if (value && !q.IsNull(0)) *value = DateTimeFromText(q.Text(0));
    return 0;
  });
  if (!value && LastResultCode() == PVX_OK) SetLastResult(PVX_ERROR_INVALID_RESULT_HANDLE);
  return LastResultCode();
}

PvxjDateTime AttrTimeAhead(HandleRef handle, Attr attr, const char* origin) {
  return Read<PvxjDateTime>(handle, attr, PvxjDateTime{}, origin, [](const Stmt& q, Store& store) -> PvxjDateTime {
    int64_t at = 0;
    if (q.IsNull(0) || !ParseTimeText(q.Text(0), &at) || at <= ClockSeconds(store))
      return PvxjDateTime{};
    return DateTimeFromSeconds(at);
  });
}

unsigned char AttrIsNull(HandleRef handle, Attr attr, const char* origin) {
  return Read<unsigned char>(handle, attr, 0, origin,
                             [](const Stmt& q, Store&) -> unsigned char { return q.IsNull(0); });
}

PvxjDateTime DateTimeFromText(const std::string& t) {
  PvxjDateTime v{};
  if (t.size() != 19) return v;
  auto num = [&](size_t at, size_t n) {
    unsigned short x = 0;
    for (size_t i = at; i < at + n; ++i) {
      if (t[i] < '0' || t[i] > '9') return static_cast<unsigned short>(0xFFFF);
      x = static_cast<unsigned short>(x * 10 + (t[i] - '0'));
    }
    return x;
  };
  unsigned short parts[6] = {num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), num(17, 2)};
  for (unsigned short p : parts)
    if (p == 0xFFFF) return v;
  v.year = parts[0];
  v.month = parts[1];
  v.day = parts[2];
  v.hour = parts[3];
  v.minute = parts[4];
  v.second = parts[5];
  return v;
}

}  // namespace pvxjsim
