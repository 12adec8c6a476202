#include "core/registry.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/tool_errors.h"

namespace kr {
namespace {

struct TableRow {
  ObjectTableInfo info;
  int seconds[2];  // second keywords that address the same table; 0 = none
};

// One table per class of the class table, in its order.
#define SECONDS_0(Name) {0, 0}
#define SECONDS_1(Name) {k##Name##Hdl2, 0}
#define SECONDS_2(Name) {k##Name##Hdl2, k##Name##Hdl3}
constexpr TableRow kTables[] = {
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, ...) {{k##Name##Hdl, Vector != 0}, SECONDS_##Seconds(Name)},
#include "pvxj/classes.def"
#undef PVXJ_CLASS
};
#undef SECONDS_0
#undef SECONDS_1
#undef SECONDS_2
static_assert(std::size(kTables) == kObjectTableCount);

// Every handle keyword that reaches an object table has an id below this.
constexpr int kHandleIdLimit = 105;

struct TypeMap {
  signed char table[kHandleIdLimit];
  constexpr TypeMap() : table{} {
    for (int id = 0; id < kHandleIdLimit; ++id) table[id] = -1;
    for (int t = 0; t < kObjectTableCount; ++t) {
      table[kTables[t].info.id] = static_cast<signed char>(t);
      for (int s : kTables[t].seconds)
        if (s != 0) table[s] = static_cast<signed char>(t);
    }
  }
};

constexpr TypeMap kTypeMap;

// The dump shows a stream as eight hex digits. A heap address would differ
// from run to run; a per-run serial above this base keeps result files
// reproducible and still shows when a slot got a new buffer.
constexpr uint32_t kStreamIdBase = 0x00A00000;
// Likewise for the correlation slots: a fixed base plus the slot's offset.
constexpr uint32_t kCorrelBase = 0x00C00000;

}  // namespace

int HandleRegistry::table_of(int type) {
  if (type < 0 || type >= kHandleIdLimit) return -1;
  return kTypeMap.table[type];
}

const ObjectTableInfo& HandleRegistry::table_info(int table) { return kTables[table].info; }

bool HandleRegistry::is_vector_type(int type) {
  int t = table_of(type);
  return t >= 0 && kTables[t].info.vector;
}

int HandleRegistry::text_table_of(int type) {
  switch (type) {
    case kPersistentOid:
    case kPersistentOidHdl: return kPersistentOid;
    case kSessionIdHdl: return kSessionIdHdl;
    default: return 0;
  }
}

ApiHandle* HandleRegistry::handle_slot(int type, int number) {
  int t = table_of(type);
  if (t < 0 || !slot_ok(number)) return nullptr;
  return &objects_[static_cast<std::size_t>(t)][static_cast<std::size_t>(number)];
}

ApiHandle HandleRegistry::handle(int type, int number) const {
  int t = table_of(type);
  if (t < 0 || !slot_ok(number)) return 0;
  return objects_[static_cast<std::size_t>(t)][static_cast<std::size_t>(number)];
}

DateTimeSlot* HandleRegistry::date_time(int number) {
  return slot_ok(number) ? &date_times_[static_cast<std::size_t>(number)] : nullptr;
}

const DateTimeSlot* HandleRegistry::date_time(int number) const {
  return slot_ok(number) ? &date_times_[static_cast<std::size_t>(number)] : nullptr;
}

void HandleRegistry::set_date_time(int number, const PvxjDateTime& value) {
  if (DateTimeSlot* s = date_time(number)) {
    s->value = value;
    s->set = 1;
  }
}

std::string* HandleRegistry::text_slot(int type, int number) {
  if (!slot_ok(number)) return nullptr;
  switch (text_table_of(type)) {
    case kPersistentOid: return &oids_[static_cast<std::size_t>(number)];
    case kSessionIdHdl: return &session_ids_[static_cast<std::size_t>(number)];
    default: return nullptr;
  }
}

const std::string* HandleRegistry::text(int type, int number) const {
  if (!slot_ok(number)) return nullptr;
  switch (text_table_of(type)) {
    case kPersistentOid: return &oids_[static_cast<std::size_t>(number)];
    case kSessionIdHdl: return &session_ids_[static_cast<std::size_t>(number)];
    default: return nullptr;
  }
}

bool HandleRegistry::set_text(int type, int number, std::string_view value) {
  std::string* slot = text_slot(type, number);
  if (!slot || value.size() > kRegistryTextCapacity) return false;
  slot->assign(value);
  return true;
}

unsigned char* HandleRegistry::correl_id(int number) {
  return slot_ok(number) ? correl_ids_[static_cast<std::size_t>(number)].data() : nullptr;
}

bool HandleRegistry::correl_present(int number) const {
  if (!slot_ok(number)) return false;
  const CorrelId& c = correl_ids_[static_cast<std::size_t>(number)];
  return std::any_of(c.begin(), c.end(), [](unsigned char b) { return b != 0; });
}

uint32_t HandleRegistry::correl_slot_address(int number) {
  return kCorrelBase + static_cast<uint32_t>(number) * static_cast<uint32_t>(kCorrelIdLength);
}

unsigned char* HandleRegistry::new_stream(int number, uint32_t length) {
  if (!slot_ok(number)) return nullptr;
  StreamSlot& s = streams_[static_cast<std::size_t>(number)];
  s = StreamSlot{};
  try {
    // At least one byte, so that even an empty stream has an address to hand over.
    s.bytes.assign(std::max<std::size_t>(length, 1), 0);
  } catch (const std::bad_alloc&) {
    s = StreamSlot{};
    return nullptr;
  } catch (const std::length_error&) {
    s = StreamSlot{};
    return nullptr;
  }
  s.present = true;
  s.length = length;
  s.id = kStreamIdBase + ++stream_serial_;
  return s.bytes.data();
}

const StreamSlot* HandleRegistry::stream(int number) const {
  return slot_ok(number) ? &streams_[static_cast<std::size_t>(number)] : nullptr;
}

void HandleRegistry::clear(int type, int number) {
  if (!slot_ok(number)) return;
  const auto n = static_cast<std::size_t>(number);
  if (ApiHandle* h = handle_slot(type, number)) {
    *h = 0;
  } else if (type == kDateTimeHdl || type == kDateTimeHdl2) {
    date_times_[n] = DateTimeSlot{};
  } else if (text_table_of(type) == kPersistentOid) {
    oids_[n].clear();
  } else if (type == kSessionIdHdl) {
    session_ids_[n].clear();
  } else if (type == kCorrelId) {
    correl_ids_[n].fill(0);
  } else if (type == kStreamHdl) {
    streams_[n] = StreamSlot{};
  }
}

bool HandleRegistry::occupied(int type, int number) const {
  if (!slot_ok(number)) return false;
  const auto n = static_cast<std::size_t>(number);
  // Only the base keywords count: a store through a second keyword is never
  // taken for an overwrite.
  int t = table_of(type);
  if (t >= 0 && kTables[t].info.id == type) return objects_[static_cast<std::size_t>(t)][n] != 0;
  switch (type) {
    case kDateTimeHdl: return date_times_[n].set != 0;
    case kPersistentOid: return !oids_[n].empty();
    case kSessionIdHdl: return !session_ids_[n].empty();
    case kStreamHdl: return streams_[n].present;
    default: return false;
  }
}

int range_check(RunContext& ctx, int type, int32_t number) {
  if (number >= 1 && number <= kMaxHandleNumber) return number;
  std::string detail = "\n   Handle type = ";
  detail.append(keyword_text(type));
  detail.append("; Handle value = ").append(std::to_string(number));
  detail.append("; Valid handle range = 1-").append(std::to_string(kMaxHandleNumber)).append(".");
  tool_error(ctx, TC0015, detail);
  return 0;
}

int store_check(RunContext& ctx, int type, int32_t number) {
  if (range_check(ctx, type, number) == 0) return 0;
  HandleRegistry& reg = ctx.reg;
  if (reg.occupied(type, number)) {
    if (type == kStreamHdl) reg.clear(kStreamHdl, number);
    ctx.out.line(kReportLine);
    ctx.out.write("WARNING: an already stored object (");
    ctx.out.write(keyword_text(type));
    ctx.out.write(" = ");
    ctx.out.write(std::to_string(number));
    ctx.out.line(")");
    ctx.out.line(HandleRegistry::is_vector_type(type)
                     ? "         will be changed by adding new data with a new object"
                     : "         will be overwritten with a new object");
  }
  if (type == kDateTimeHdl) reg.date_time(number)->set = 1;
  return number;
}

}  // namespace kr
