// Handle table: the only way API callers reach client objects.
//
// A handle packs a class tag, a slot index and a generation into 32 bits, so
// a handle that was freed (stale), belongs to another class or was never
// issued is recognised and refused instead of being dereferenced. Slots are
// reused oldest-freed first and generations start at 1, so the same sequence
// of calls yields the same handle values on every run.
#ifndef PVXJSIM_HANDLES_H
#define PVXJSIM_HANDLES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace pvxjsim {

enum class Cls : uint8_t {
  kNone = 0,
// The tag values are part of every handle value (result files show them).
#define PVXJ_CLASS(Name, Tag, ...) Name = Tag,
#include "pvxj/classes.def"
#undef PVXJ_CLASS
  kCount
};

const char* ClassName(Cls cls);

// Base of everything a handle can name.
struct Object {
  virtual ~Object() = default;
};

class HandleTable {
 public:
  static constexpr unsigned kSlotBits = 16;
  static constexpr unsigned kGenBits = 10;
  static constexpr unsigned kClassBits = 6;
  static constexpr uint32_t kMaxSlots = 1u << kSlotBits;

  // Registers obj under a new handle; 0 when the class has no free slot.
  uint32_t Add(Cls cls, std::unique_ptr<Object> obj);

  // The object behind handle if it is live and of class cls, else nullptr.
  Object* Find(uint32_t handle, Cls cls) const;
  template <class T>
  T* Get(uint32_t handle, Cls cls) const {
    return static_cast<T*>(Find(handle, cls));
  }

  // Class of a live handle, kNone otherwise.
  Cls ClassOf(uint32_t handle) const;

  // Frees a live handle of class cls; false when it is not one.
  bool Remove(uint32_t handle, Cls cls);

  size_t LiveCount(Cls cls) const;
  void Clear();

  // Lowers the per-class slot limit so tests can reach exhaustion cheaply.
  void SetSlotLimitForTesting(uint32_t limit) { slot_limit_ = limit; }

 private:
  struct Slot {
    uint16_t generation = 0;  // 0 only before first use
    std::unique_ptr<Object> object;
  };
  struct ClassTable {
    std::vector<Slot> slots;
    std::deque<uint32_t> free_slots;
    size_t live = 0;
  };
  const Slot* Lookup(uint32_t handle, Cls cls) const;

  std::array<ClassTable, static_cast<size_t>(Cls::kCount)> tables_;
  uint32_t slot_limit_ = kMaxSlots;
};

// Tags run 1, 2, 3... in table order: a gap or a repeat would make kCount lie.
inline constexpr unsigned kClassCount = 0
#define PVXJ_CLASS(...) +1
#include "pvxj/classes.def"
#undef PVXJ_CLASS
    ;
static_assert(static_cast<unsigned>(Cls::kCount) == kClassCount + 1, "class tags must be 1..n in table order");

static_assert(static_cast<unsigned>(Cls::kCount) <= (1u << HandleTable::kClassBits),
              "class tags must fit the handle's class field");

}  // namespace pvxjsim

#endif
