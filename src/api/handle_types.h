#pragma once
// The tool keeps every handle the API gives it as a 32-bit value (the
// registry's slots, the handle dump and the status reports show it); the API
// takes and returns a typed handle per class. The conversions between the
// two, and the class type each handle keyword stands for, live here, so that
// the row machinery (rows.h) can check a row's handle parameters against the
// C function's argument types at compile time.
#include <cstdint>
#include <type_traits>

#include "core/keywords.h"
#include "pvxj/base.h"

namespace kr {

// A handle as the registry keeps it (as core/registry.h declares it too).
using ApiHandle = uint32_t;
using PvxjHandle = ApiHandle;

namespace api {

template <class T>
concept TypedHandle = pvxj::is_handle_v<T>;

template <TypedHandle T>
T to_api(ApiHandle value) {
  return reinterpret_cast<T>(static_cast<uintptr_t>(value));
}

template <TypedHandle T>
ApiHandle from_api(T handle) {
  return static_cast<ApiHandle>(reinterpret_cast<uintptr_t>(handle));
}

// A registry value that a family step hands to the API: it converts to the
// typed handle of any class, and stays the 32-bit value otherwise.
class AnyHandle {
 public:
  constexpr AnyHandle(ApiHandle value = 0) : value_(value) {}
  constexpr operator ApiHandle() const { return value_; }
  template <TypedHandle T>
  operator T() const { return to_api<T>(value_); }

 private:
  ApiHandle value_;
};

// The API's handle type of a handle keyword (Name##Hdl and its second
// keywords give PvxjName); void for a keyword that names no object class.
template <int Keyword>
struct HandleOf {
  using type = void;
};
#define KR_HANDLE_OF(Keyword, Name) \
  template <>                       \
  struct HandleOf<Keyword> {        \
    using type = Pvxj##Name;        \
  };
#define KR_SECONDS_0(Name)
#define KR_SECONDS_1(Name) KR_HANDLE_OF(k##Name##Hdl2, Name)
#define KR_SECONDS_2(Name) KR_SECONDS_1(Name) KR_HANDLE_OF(k##Name##Hdl3, Name)
#define PVXJ_CLASS(Name, Tag, Seconds, ...) KR_HANDLE_OF(k##Name##Hdl, Name) KR_SECONDS_##Seconds(Name)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
#undef KR_SECONDS_2
#undef KR_SECONDS_1
#undef KR_SECONDS_0
#undef KR_HANDLE_OF
template <int Keyword>
using HandleOfT = typename HandleOf<Keyword>::type;

// A registry slot handed to the API as the address of a typed handle
// variable: the variable starts with the slot's value and its value goes
// back into the slot when the proxy dies, at the end of the call's full
// expression. A null slot passes a null pointer.
template <TypedHandle T>
class SlotProxy {
 public:
  explicit SlotProxy(ApiHandle* slot) : slot_(slot), value_(to_api<T>(slot ? *slot : 0)) {}
  SlotProxy(const SlotProxy&) = delete;
  SlotProxy& operator=(const SlotProxy&) = delete;
  ~SlotProxy() {
    if (slot_) *slot_ = from_api(value_);
  }
  operator T*() { return slot_ ? &value_ : nullptr; }

 private:
  ApiHandle* slot_;
  T value_;
};

// A C function over one class's handles, called with registry values: the
// tables of vector walks and clean-up steps keep these.
template <auto Fn>
struct ByValue;
template <class R, TypedHandle H, class... A, R (*Fn)(H, A...)>
struct ByValue<Fn> {
  static std::conditional_t<TypedHandle<R>, ApiHandle, R> call(ApiHandle handle, A... rest) {
    if constexpr (TypedHandle<R>) return from_api(Fn(to_api<H>(handle), rest...));
    else return Fn(to_api<H>(handle), rest...);
  }
};
template <auto Fn>
struct BySlot;
template <TypedHandle H, int32_t (*Fn)(H*)>
struct BySlot<Fn> {
  static int32_t call(ApiHandle* slot) { return Fn(SlotProxy<H>(slot)); }
};

}  // namespace api
}  // namespace kr
