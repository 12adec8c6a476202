#pragma once
// The handle registry: per handle type, 50 slots mapping the test case's
// handle numbers (1 to 49) to the objects and values the tool holds.
//
// A handle type is the keyword id of a handle keyword. Object and vector
// tables are addressed by their base keyword and by its second keywords
// (ProcessInstanceHdl2 reaches the ProcessInstanceHdl table). Slot 0 of an
// object table is the working element a handler uses while it walks a vector.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pvxj/base.h"

namespace kr {

struct RunContext;

// A handle as the registry keeps it: the API's handle of any class as a
// 32-bit value (api/handle_types.h converts; result files show the value).
using ApiHandle = uint32_t;
using PvxjHandle = ApiHandle;

inline constexpr int kHandleSlots = 50;
inline constexpr int kMaxHandleNumber = 49;
inline constexpr int kObjectTableCount = 48;
// Persistent object identifiers and session identifiers keep their
// documented field size; longer texts are refused, never cut.
inline constexpr std::size_t kRegistryTextCapacity = 255;
inline constexpr std::size_t kCorrelIdLength = PVXJ_CORREL_ID_LENGTH;

struct ObjectTableInfo {
  int id;       // keyword id of the base handle keyword
  bool vector;  // holds the API's vector objects
};

struct DateTimeSlot {
  PvxjDateTime value{};
  uint32_t set = 0;  // 0 = empty
};

struct StreamSlot {
  bool present = false;
  uint32_t id = 0;  // stable identification shown by the handle dump
  uint32_t length = 0;
  std::vector<unsigned char> bytes;  // at least `length` bytes
};

class HandleRegistry {
 public:
  using Table = std::array<ApiHandle, kHandleSlots>;
  using CorrelId = std::array<unsigned char, kCorrelIdLength>;

  // Empties every table and mark and frees the stream buffers.
  void reset() { *this = HandleRegistry{}; }

  // --- Types -------------------------------------------------------------
  // Index (0..47) of the object or vector table that a handle keyword
  // addresses, base or second keyword; -1 when it has none.
  static int table_of(int type);
  static const ObjectTableInfo& table_info(int table);  // table: 0..47
  static bool has_object_table(int type) { return table_of(type) >= 0; }
  // True for the vector tables, reached by their base or second keyword.
  static bool is_vector_type(int type);
  // 35 for PersistentOid and PersistentOidHdl, 1555 for SessionIdHdl, else 0.
  static int text_table_of(int type);

  // --- Object and vector tables -----------------------------------------
  // The slot the API reads from or writes into; null when the type has no
  // object table or the number lies outside 0..49. Number 0 is the working
  // element.
  ApiHandle* handle_slot(int type, int number);
  ApiHandle handle(int type, int number) const;  // 0 when empty or unreachable
  ApiHandle* working_slot(int type) { return handle_slot(type, 0); }
  Table& table(int index) { return objects_[static_cast<std::size_t>(index)]; }
  const Table& table(int index) const { return objects_[static_cast<std::size_t>(index)]; }

  // --- Date-time values (DateTimeHdl, DateTimeHdl2) ---------------------
  DateTimeSlot* date_time(int number);
  const DateTimeSlot* date_time(int number) const;
  // Stores a value and marks the slot as set.
  void set_date_time(int number, const PvxjDateTime& value);

  // --- Persistent object identifiers (35, 36) and session identifiers ---
  // Null when the type has no text table or the number is outside 0..49.
  const std::string* text(int type, int number) const;
  // False (nothing stored) for an unreachable slot or a text longer than
  // kRegistryTextCapacity.
  bool set_text(int type, int number, std::string_view value);

  // --- Correlation identifiers (CorrelId) --------------------------------
  // The 24 bytes of a slot, for the API to fill or read; null outside 0..49.
  unsigned char* correl_id(int number);
  bool correl_present(int number) const;
  // A stable stand-in for the slot's storage address, where reports show one:
  // the same for a slot in every run.
  static uint32_t correl_slot_address(int number);

  // --- Stream buffers (StreamHdl) ---------------------------------------
  // A zeroed buffer of `length` bytes owned by slot `number`; a buffer the
  // slot held is freed first. Null when the number is outside 0..49 or the
  // memory cannot be had.
  unsigned char* new_stream(int number, uint32_t length);
  const StreamSlot* stream(int number) const;

  // --- Any kind ----------------------------------------------------------
  // Empties one slot of any table (after a successful deallocate).
  void clear(int type, int number);
  // Whether the store check would find the slot occupied (see store_check).
  bool occupied(int type, int number) const;

  bool cleanup_disabled = false;
  uint32_t last_vector_size = 0;

 private:
  static bool slot_ok(int number) { return number >= 0 && number < kHandleSlots; }
  std::string* text_slot(int type, int number);

  std::array<Table, kObjectTableCount> objects_{};
  std::array<DateTimeSlot, kHandleSlots> date_times_{};
  std::array<std::string, kHandleSlots> oids_{};
  std::array<std::string, kHandleSlots> session_ids_{};
  std::array<CorrelId, kHandleSlots> correl_ids_{};
  std::array<StreamSlot, kHandleSlots> streams_{};
  uint32_t stream_serial_ = 0;
};

// Range check: `number` when it lies in 1..49; otherwise TC0015 naming the
// type, and 0 (the section has been abandoned).
int range_check(RunContext& ctx, int type, int32_t number);

// Store check, before the API fills an output slot: the range check, then an
// overwrite warning when the slot is occupied (never for second keywords or
// CorrelId). Frees an occupied stream slot's buffer and marks a DateTimeHdl
// slot as set. Returns `number`, or 0 after TC0015.
int store_check(RunContext& ctx, int type, int32_t number);

}  // namespace kr
