#include "handles.h"

namespace pvxjsim {

namespace {

constexpr uint32_t kSlotMask = (1u << HandleTable::kSlotBits) - 1;
constexpr uint32_t kGenMask = (1u << HandleTable::kGenBits) - 1;

uint32_t Pack(Cls cls, uint16_t generation, uint32_t slot) {
  return (static_cast<uint32_t>(cls) << (HandleTable::kSlotBits + HandleTable::kGenBits)) |
         (static_cast<uint32_t>(generation) << HandleTable::kSlotBits) | slot;
}

Cls TagOf(uint32_t handle) {
  return static_cast<Cls>(handle >> (HandleTable::kSlotBits + HandleTable::kGenBits));
}

uint16_t GenerationOf(uint32_t handle) {
  return static_cast<uint16_t>((handle >> HandleTable::kSlotBits) & kGenMask);
}

}  // namespace

const char* ClassName(Cls cls) {
  switch (cls) {
#define PVXJ_CLASS(name, ...) \
  case Cls::name:                 \
    return #name;
#include "pvxj/classes.def"
#undef PVXJ_CLASS
    default:
      return "none";
  }
}

uint32_t HandleTable::Add(Cls cls, std::unique_ptr<Object> obj) {
  if (cls == Cls::kNone || cls >= Cls::kCount || !obj) return 0;
  ClassTable& table = tables_[static_cast<size_t>(cls)];
  uint32_t slot;
  if (!table.free_slots.empty()) {
    slot = table.free_slots.front();
    table.free_slots.pop_front();
  } else {
    if (table.slots.size() >= slot_limit_) return 0;
    slot = static_cast<uint32_t>(table.slots.size());
    table.slots.emplace_back();
    table.slots.back().generation = 1;
  }
  Slot& s = table.slots[slot];
  s.object = std::move(obj);
  ++table.live;
  return Pack(cls, s.generation, slot);
}

const HandleTable::Slot* HandleTable::Lookup(uint32_t handle, Cls cls) const {
  if (handle == 0 || cls == Cls::kNone || cls >= Cls::kCount) return nullptr;
  if (TagOf(handle) != cls) return nullptr;
  const ClassTable& table = tables_[static_cast<size_t>(cls)];
  uint32_t slot = handle & kSlotMask;
  if (slot >= table.slots.size()) return nullptr;
  const Slot& s = table.slots[slot];
  if (!s.object || s.generation != GenerationOf(handle)) return nullptr;
  return &s;
}

Object* HandleTable::Find(HandleRef handle, Cls cls) const {
  const Slot* s = Lookup(handle, cls);
  return s ? s->object.get() : nullptr;
}

Cls HandleTable::ClassOf(HandleRef handle) const {
  Cls tag = TagOf(handle);
  return Lookup(handle, tag) ? tag : Cls::kNone;
}

bool HandleTable::Remove(HandleRef handle, Cls cls) {
  if (!Lookup(handle, cls)) return false;
  ClassTable& table = tables_[static_cast<size_t>(cls)];
  uint32_t slot = handle & kSlotMask;
  Slot& s = table.slots[slot];
  // Move the object out first: its destructor may re-enter the table.
  std::unique_ptr<Object> doomed = std::move(s.object);
  // Generations cycle through 1..kGenMask so no live handle is ever 0.
  s.generation = static_cast<uint16_t>(s.generation % kGenMask + 1);
  table.free_slots.push_back(slot);
  --table.live;
  doomed.reset();
  return true;
}

size_t HandleTable::LiveCount(Cls cls) const {
  if (cls == Cls::kNone || cls >= Cls::kCount) return 0;
  return tables_[static_cast<size_t>(cls)].live;
}

void HandleTable::Clear() {
  for (ClassTable& t : tables_) t = ClassTable{};
}

}  // namespace pvxjsim
