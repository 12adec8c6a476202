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

#include <pvxj/base.h>

namespace pvxjsim {

// The API's handles are pointer-sized values of a type per class; inside the
// client a handle is its 32-bit value (class tag, generation, slot). These
// two types let every internal function take either, so an API function
// hands its typed handles (and the addresses of its callers' handle
// variables) on as they are.
template <class T>
concept ApiHandle = pvxj::is_handle_v<T>;

// A handle to look up: a typed handle of any class or a 32-bit value.
class HandleRef {
 public:
  constexpr HandleRef(uint32_t value = 0) : value_(value) {}
  template <ApiHandle T>
  HandleRef(T handle) : value_(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle))) {}
  constexpr operator uint32_t() const { return value_; }
  constexpr uint32_t value() const { return value_; }
  // The typed handle with this value, for a function that returns one.
  template <ApiHandle T>
  T as() const { return reinterpret_cast<T>(static_cast<uintptr_t>(value_)); }
  template <ApiHandle T>
  operator T() const { return as<T>(); }

 private:
  friend class HandleSlot;
  uint32_t value_;
};

// The typed handle of a 32-bit value: return ToHandle<PvxjPerson>(h).
template <ApiHandle T>
T ToHandle(uint32_t value) { return HandleRef(value).as<T>(); }

// A caller's handle variable that a function reads and fills: the address of
// a typed handle of any class, of a 32-bit value, or null.
class HandleSlot {
 public:
  constexpr HandleSlot(std::nullptr_t = nullptr) {}
  constexpr HandleSlot(uint32_t* value) : value_(value) {}
  constexpr HandleSlot(HandleRef* value) : value_(value ? &value->value_ : nullptr) {}
  template <ApiHandle T>
  HandleSlot(T* handle) : typed_(handle), get_(&Read<T>), set_(&Write<T>) {}
  explicit operator bool() const { return value_ || typed_; }
  uint32_t get() const { return value_ ? *value_ : typed_ ? get_(typed_) : 0; }
  void set(uint32_t value) const {
    if (value_) *value_ = value;
    else if (typed_) set_(typed_, value);
  }

 private:
  template <class T>
  static uint32_t Read(void* p) { return HandleRef(*static_cast<T*>(p)); }
  template <class T>
  static void Write(void* p, uint32_t value) { *static_cast<T*>(p) = HandleRef(value).as<T>(); }

  uint32_t* value_ = nullptr;
  void* typed_ = nullptr;
  uint32_t (*get_)(void*) = nullptr;
  void (*set_)(void*, uint32_t) = nullptr;
};

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
  Object* Find(HandleRef handle, Cls cls) const;
  template <class T>
  T* Get(HandleRef handle, Cls cls) const {
    return static_cast<T*>(Find(handle, cls));
  }

  // Class of a live handle, kNone otherwise.
  Cls ClassOf(HandleRef handle) const;

  // Frees a live handle of class cls; false when it is not one.
  bool Remove(HandleRef handle, Cls cls);

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
