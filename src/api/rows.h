#pragma once
// The pieces a family's row file is written with (see catalogue.h): the
// parameter constructors, the compile-time wiring of parameters to the C
// function's arguments, and the row macros.
#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

#include "api/catalogue.h"
#include "api/keyword_ids.h"

namespace kr::api {

// ---- Parameters ------------------------------------------------------------

constexpr Param in(int kw) { return {kw, Form::kIn}; }
constexpr Param out(int kw) { return {kw, Form::kOut}; }
constexpr Param append(int kw) { return {kw, Form::kAppend}; }
constexpr Param text(int kw) { return {kw, Form::kText}; }
constexpr Param text_cl(int kw) { return {kw, Form::kTextCl}; }
constexpr Param text_default(int kw) { return {kw, Form::kTextDefault}; }
constexpr Param hex(int kw) { return {kw, Form::kHex}; }
constexpr Param word(int kw) { return {kw, Form::kWord}; }
constexpr Param enm(int kw, const EnumTable& t) { return {kw, Form::kEnum, &t}; }
constexpr Param flag(int kw) { return {kw, Form::kBool}; }
constexpr Param long_(int kw) { return {kw, Form::kLong}; }
// A number the API reads and may change through its pointer: the value it
// leaves is shown after the call.
constexpr Param long_back(int kw) { return {kw, Form::kLongBack}; }
constexpr Param ulong_(int kw) { return {kw, Form::kULong}; }
constexpr Param ushort_(int kw) { return {kw, Form::kUShort}; }
constexpr Param ulong_or_null(int kw) { return {kw, Form::kULongOrNull}; }
constexpr Param ulong_or_default(int kw) { return {kw, Form::kULongOrDefault}; }
constexpr Param correl(int kw) { return {kw, Form::kCorrelOrNull}; }
constexpr Param session_slot(int kw) { return {kw, Form::kSessionSlot}; }
constexpr Param oid_slot(int kw) { return {kw, Form::kOidSlot}; }
constexpr Param stream_slot(int kw) { return {kw, Form::kStreamSlot}; }
// Files are opened when the parameter is read; never an argument.
constexpr Param file_in(int kw) { return {kw, Form::kFileIn, nullptr, true}; }
constexpr Param file_out(int kw) { return {kw, Form::kFileOut, nullptr, true}; }
// A text shown as "fi_value", "sc_value", "dt_value" in the syntax reference.
constexpr Param filter(int kw) { return {kw, Form::kText, nullptr, false, Display::kFilter}; }
constexpr Param sort_criteria(int kw) { return {kw, Form::kText, nullptr, false, Display::kSortCriteria}; }
constexpr Param date_time(int kw) { return {kw, Form::kText, nullptr, false, Display::kDateTime}; }
// The tool's own switch of the object names report.
constexpr Param show_names() { return {kShowAllObjectNames, Form::kBool, nullptr, true, Display::kForm, false}; }
// Deep: true only for TRUE, any other word or none false (never an error), so
// it is read as a word but written as the flags are.
constexpr Param deep() { return {kDeep, Form::kWord, nullptr, true, Display::kTrueFalse}; }
// Modifiers.
constexpr Param optional(Param p) { p.optional = true; return p; }
constexpr Param not_passed(Param p) { p.passed = false; return p; }
constexpr Param deferred(Param p) { p.deferred = true; return p; }
constexpr Param synonym(Param p) { p.synonym = true; return p; }
// A handle that may be left out or given as 0: echoed " = without container"
// and passed as no object.
constexpr Param or_none(Param p) { p.or_none = true; p.optional = true; return p; }
// The optional output file of an identifier getter, with the class tag it
// writes on its first line.
constexpr Param oid_file(OidTag tag) {
  Param p = file_out(kPersistentOidOutputFileSpec);
  p.optional = true;
  p.tag = tag;
  return p;
}
// CreateNoObj of the repeated creation: read and echoed, never an argument.
constexpr Param create_count() { return {kCreateNoObj, Form::kLong, nullptr, true, Display::kForm, false}; }
// An identifier slot of the form n: the section stores the identifier it gets there.
constexpr Param oid_out(int kw) { return {kw, Form::kOidSlot, nullptr, false, Display::kResultSlot}; }

// ---- Argument sources --------------------------------------------------------

// Sources of C arguments that are not a parameter of the row: values a
// family hook resolved. Used in the argument list of API_CALL.
enum ArgSource : int {
  kArgDerived = -1,       // const char*: Call::derived (an identifier from a file or slot)
  kArgBytes = -2,         // const unsigned char*: Call::bytes, or null when Call::no_bytes
  kArgBytesSize = -3,     // uint32_t: the size of Call::bytes
  kArgNull = -4,          // a null pointer
  kArgReceiverSlot = -5,  // the address of the receiver's handle (deallocate)
  kArgDateTime = -6,      // PvxjDateTime: Call::date_time
};

struct ParamList {
  Param p[kMaxParams]{};
  std::size_t n = 0;
};

template <class... P>
consteval ParamList params(P... ps) {
  static_assert(sizeof...(P) <= kMaxParams, "too many parameters in one row");
  ParamList l;
  ((l.p[l.n++] = ps), ...);
  return l;
}

struct ArgKeywords {
  int kw[kMaxParams + 2]{};
  std::size_t n = 0;
};

template <class... K>
consteval ArgKeywords args(K... ks) {
  ArgKeywords a;
  ((a.kw[a.n++] = ks), ...);
  return a;
}

// How one C argument is produced.
enum class Src : uint8_t {
  kHandle, kSlot, kCorrel, kText, kNumber, kNumberPtr, kFlag, kUnsigned, kUnsignedPtr,
  kBuffer, kBufferLength, kDerived, kBytes, kBytesSize, kNull, kReceiverSlot, kDateTimeValue, kArgDateTime,
};

struct Arg {
  Src src;
  uint8_t k;   // parameter position
  int kw = 0;  // a handle or slot argument: its keyword, which names its class
};

struct Wiring {
  Arg a[kMaxParams + 2]{};
  std::size_t n = 0;
};

namespace detail {

// Never defined: a row that reaches one of these does not compile, and the
// compiler names the function, which names the mistake.
void slot_or_file_parameter_needs_a_kArg_source();
void argument_names_a_keyword_that_is_not_a_parameter_of_the_row();

// Date-time values are kept by the registry as values and passed by value.
constexpr bool is_date_time_keyword(int kw) {
  return kw == kDateTimeHdl || kw == kDateTimeHdl2 || kw == kDateTimeHdlMin || kw == kDateTimeHdlMax;
}

// The arguments one parameter passes, in C order.
consteval void wire_param(Wiring& w, const Param& p, std::size_t k) {
  auto add = [&](Src s) { w.a[w.n++] = Arg{s, static_cast<uint8_t>(k), p.keyword}; };
  switch (p.form) {
    case Form::kIn: add(is_date_time_keyword(p.keyword) ? Src::kDateTimeValue : Src::kHandle); return;
    case Form::kOut:
    case Form::kAppend: add(Src::kSlot); return;
    case Form::kCorrelOrNull: add(Src::kCorrel); return;
    case Form::kText:
    case Form::kTextCl:
    case Form::kTextDefault:
    case Form::kHex:
    case Form::kWord: add(Src::kText); return;
    case Form::kEnum:
    case Form::kLong: add(Src::kNumber); return;
    case Form::kLongBack: add(Src::kNumberPtr); return;
    case Form::kBool: add(Src::kFlag); return;
    case Form::kULong:
    case Form::kULongOrDefault:
      if (p.keyword == kBufferLength) {
        add(Src::kBuffer);
        add(Src::kBufferLength);
      } else {
        add(Src::kUnsigned);
      }
      return;
    case Form::kULongOrNull: add(Src::kUnsignedPtr); return;
    case Form::kUShort: add(Src::kUnsigned); return;
    case Form::kSessionSlot:
    case Form::kOidSlot:
    case Form::kStreamSlot:
    case Form::kFileIn:
    case Form::kFileOut:
      slot_or_file_parameter_needs_a_kArg_source();
  }
}

}  // namespace detail

// The C arguments of a row written with API_ROW: every passed parameter in
// echo order, except the result slot of a row whose function returns the
// new object, and the slot and file parameters.
consteval Wiring wire_default(const ParamList& l, Result r) {
  Wiring w;
  for (std::size_t k = 0; k < l.n; ++k) {
    const Param& p = l.p[k];
    if (!p.passed) continue;
    if ((r == Result::kObject || r == Result::kDateTime) && p.form == Form::kOut) continue;
    switch (p.form) {
      case Form::kSessionSlot: case Form::kOidSlot: case Form::kStreamSlot:
      case Form::kFileIn: case Form::kFileOut:
        continue;
      default:
        detail::wire_param(w, p, k);
    }
  }
  return w;
}

// The C arguments of a row written with API_CALL: one entry per keyword or
// kArg... source, in C order. A keyword the row does not have does not compile.
consteval Wiring wire(const ParamList& l, const ArgKeywords& a) {
  Wiring w;
  for (std::size_t i = 0; i < a.n; ++i) {
    const int kw = a.kw[i];
    switch (kw) {
      case kArgDerived: w.a[w.n++] = {Src::kDerived, 0}; continue;
      case kArgBytes: w.a[w.n++] = {Src::kBytes, 0}; continue;
      case kArgBytesSize: w.a[w.n++] = {Src::kBytesSize, 0}; continue;
      case kArgNull: w.a[w.n++] = {Src::kNull, 0}; continue;
      case kArgReceiverSlot: w.a[w.n++] = {Src::kReceiverSlot, 0, l.n ? l.p[0].keyword : 0}; continue;
      case kArgDateTime: w.a[w.n++] = {Src::kArgDateTime, 0}; continue;
      default: break;
    }
    std::size_t k = 0;
    while (k < l.n && l.p[k].keyword != kw) ++k;
    if (k == l.n) detail::argument_names_a_keyword_that_is_not_a_parameter_of_the_row();
    detail::wire_param(w, l.p[k], k);
  }
  return w;
}

// ---- The call ------------------------------------------------------------------

namespace detail {

template <class F>
struct Signature;
template <class R, class... A>
struct Signature<R (*)(A...)> {
  using Return = R;
  using Args = std::tuple<A...>;
  static constexpr std::size_t kCount = sizeof...(A);
};

template <Src S>
auto produce(Call& c, std::size_t k) {
  if constexpr (S == Src::kHandle) return c.h(k);
  else if constexpr (S == Src::kSlot) return c.slot(k);
  else if constexpr (S == Src::kCorrel) return c.correl(k);
  else if constexpr (S == Src::kText) return c.s(k);
  else if constexpr (S == Src::kNumber) return c.n(k);
  else if constexpr (S == Src::kNumberPtr) return &c.v[k].number;
  else if constexpr (S == Src::kFlag) return static_cast<unsigned char>(c.n(k));
  else if constexpr (S == Src::kUnsigned) return c.u(k);
  else if constexpr (S == Src::kUnsignedPtr) return c.pu(k);
  else if constexpr (S == Src::kBuffer) return c.buffer();
  else if constexpr (S == Src::kBufferLength) return c.buffer_length();
  else if constexpr (S == Src::kDerived) return static_cast<const char*>(c.derived.c_str());
  else if constexpr (S == Src::kBytes)
    return static_cast<const unsigned char*>(c.no_bytes ? nullptr : c.bytes.data());
  else if constexpr (S == Src::kBytesSize) return static_cast<uint32_t>(c.bytes.size());
  else if constexpr (S == Src::kNull) return nullptr;
  else if constexpr (S == Src::kDateTimeValue) return c.dt(k);
  else if constexpr (S == Src::kArgDateTime) return c.date_time;
  else return c.slot(0);  // kReceiverSlot
}

// Whether a produced value may be passed where the C function wants `Want`:
// numbers only as the very same type, pointers only to the same (or a more
// const) type, a null pointer to any pointer.
template <class Want, class Got>
constexpr bool fits() {
  if constexpr (std::is_same_v<Got, std::nullptr_t>) return std::is_pointer_v<Want>;
  else if constexpr (std::is_pointer_v<Got> || std::is_pointer_v<Want>)
    return std::is_pointer_v<Got> && std::is_pointer_v<Want> && std::is_convertible_v<Got, Want>;
  else return std::is_same_v<std::remove_cv_t<Want>, Got>;
}

// The C argument for one wired source. Handles are where the registry's
// values become the API's typed handles: a handle parameter passes the type
// of its keyword's class, an output slot the address of a variable of that
// type (written back to the slot after the call), so a row whose handle
// keyword names another class than the C function takes does not compile.
template <Arg A, class Want>
decltype(auto) argument(Call& c) {
  if constexpr (A.src == Src::kHandle || A.src == Src::kSlot || A.src == Src::kReceiverSlot) {
    using T = HandleOfT<A.kw>;
    static_assert(!std::is_void_v<T>, "a handle parameter's keyword names no object class");
    if constexpr (A.src == Src::kHandle) {
      static_assert(pvxj::is_handle_v<Want>,
                    "a handle passed by value where the C function's argument is no handle (a slot to fill is out(...))");
      static_assert(!pvxj::is_handle_v<Want> || std::is_convertible_v<T, Want>,
                    "the row's handle keyword is of another class than the C function's handle argument");
      return to_api<T>(c.h(A.k));
    } else {
      static_assert(pvxj::is_handle_v<std::remove_pointer_t<Want>>,
                    "an output slot where the C function takes no handle to fill");
      static_assert(!pvxj::is_handle_v<std::remove_pointer_t<Want>> || std::is_same_v<Want, T*>,
                    "the row's output slot is of another class than the handle the C function fills");
      return SlotProxy<T>(A.src == Src::kSlot ? c.slot(A.k) : c.slot(0));
    }
  } else {
    using Got = decltype(produce<A.src>(c, A.k));
    static_assert(fits<Want, Got>(), "a parameter's form does not match the type of the C function's argument");
    return produce<A.src>(c, A.k);
  }
}

template <Result R, class Ret>
constexpr bool returns() {
  switch (R) {
    case Result::kRc: return std::is_same_v<Ret, int32_t>;
    case Result::kNone: return std::is_void_v<Ret>;
    case Result::kObject: return pvxj::is_handle_v<Ret>;
    case Result::kText: return std::is_same_v<Ret, char*>;
    case Result::kBool: return std::is_same_v<Ret, unsigned char>;
    case Result::kLong: return std::is_same_v<Ret, int32_t>;
    case Result::kULong: return std::is_same_v<Ret, uint32_t>;
    case Result::kDouble: return std::is_same_v<Ret, double>;
    case Result::kDateTime: return std::is_same_v<Ret, PvxjDateTime>;
    case Result::kEnum: return std::is_same_v<Ret, int32_t>;
  }
  return false;
}

// The keyword of the slot a kObject row's result goes to: its first kOut
// parameter (as the executor stores it), 0 when it has none.
consteval int result_keyword(const ParamList& l) {
  for (std::size_t k = 0; k < l.n; ++k)
    if (l.p[k].form == Form::kOut) return l.p[k].keyword;
  return 0;
}

// A returned handle is of the class of the slot it is stored in.
template <Result R, class Ret, int ResultKw>
constexpr bool returns_its_class() {
  if constexpr (R == Result::kObject && ResultKw != 0) return std::is_same_v<Ret, HandleOfT<ResultKw>>;
  else return true;
}

template <auto Fn, Result R, Wiring W, int ResultKw = 0>
void invoke(Call& c) {
  using S = Signature<decltype(Fn)>;
  static_assert(S::kCount == W.n, "the row wires another number of arguments than the C function takes");
  static_assert(returns<R, typename S::Return>(), "the row's result kind does not match the C function's return type");
  static_assert(returns_its_class<R, typename S::Return, ResultKw>(),
                "the C function returns a handle of another class than the row's result slot");
  constexpr std::size_t n = S::kCount < W.n ? S::kCount : W.n;
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    auto call = [&] { return Fn(argument<W.a[I], std::tuple_element_t<I, typename S::Args>>(c)...); };
    if constexpr (R == Result::kRc) c.rc = call();
    else if constexpr (R == Result::kNone) call();
    else if constexpr (R == Result::kObject) {
      if constexpr (pvxj::is_handle_v<typename S::Return>) c.object = from_api(call());
    }
    else if constexpr (R == Result::kText) c.text = call();
    else if constexpr (R == Result::kBool) c.flag = call();
    else if constexpr (R == Result::kLong) c.long_value = call();
    else if constexpr (R == Result::kULong) c.ulong_value = call();
    else if constexpr (R == Result::kDateTime) c.date_time = call();
    else if constexpr (R == Result::kEnum) c.enum_value = call();
    else c.double_value = call();
  }(std::make_index_sequence<n>{});
}

}  // namespace detail

// A family hook, found by its row's keyword id.
struct Hook {
  int id;
  Resolve resolve = nullptr;
  After after = nullptr;
  After report = nullptr;  // a second report, after the evaluation report
};

consteval void attach_hooks(Row& r, std::span<const Hook> hooks) {
  for (const Hook& h : hooks)
    if (h.id == r.id) {
      r.resolve = h.resolve;
      r.after = h.after;
      r.report = h.report;
    }
}

template <auto Fn, Result R, ParamList P, Wiring W>
consteval Row make_row(std::string_view keyword, int id, unsigned flags, std::span<const Hook> hooks,
                       const EnumTable* enums = nullptr) {
  Row r{keyword, id, R, std::span<const Param>(P.p, P.n), &detail::invoke<Fn, R, W, detail::result_keyword(P)>, flags};
  r.enums = enums;
  attach_hooks(r, hooks);
  return r;
}

// A row the tool performs itself: `fn` stands where the C function's call would.
template <ParamList P>
consteval Row make_tool_row(std::string_view keyword, int id, Result result, unsigned flags, Invoke fn,
                            std::span<const Hook> hooks) {
  Row r{keyword, id, result, std::span<const Param>(P.p, P.n), fn, flags | kToolMade};
  attach_hooks(r, hooks);
  return r;
}

// Every hook of a family names a row of it: a hook left behind by a renamed
// or removed row does not compile.
template <std::size_t N, std::size_t M>
consteval bool hooks_have_rows(const Row (&rows)[N], const Hook (&hooks)[M]) {
  for (const Hook& h : hooks) {
    bool found = false;
    for (const Row& r : rows) found = found || r.id == h.id;
    if (!found) return false;
  }
  return true;
}
template <std::size_t N>
consteval bool hooks_have_rows(const Row (&)[N], std::span<const Hook>) { return true; }

// The shared steps a tool-made row may name (executor.cc).
void first_named_element(Call& c);
void never_called(Call& c);

// Ids without gaps, in row order: the keyword table and row_for rely on it.
template <std::size_t N>
consteval bool ids_follow(const Row (&rows)[N]) {
  for (std::size_t i = 1; i < N; ++i)
    if (rows[i].id != rows[0].id + static_cast<int>(i)) return false;
  return true;
}

}  // namespace kr::api

// The row macros as a family's .cc expands them (inside namespace kr::api,
// with the family's kHooks in scope).
#define API_ROW_FN(kw, fn, result, flags, ...)                                                              \
  make_row<&fn, Result::result, params(__VA_ARGS__), wire_default(params(__VA_ARGS__), Result::result)>( \
      #kw, ::kr::k##kw, flags, kHooks),
#define API_ROW(kw, result, flags, ...) API_ROW_FN(kw, kw, result, flags, __VA_ARGS__)
// An enumeration result: the C function returns the number, `table` names it.
#define API_ROW_ENUM(kw, fn, table, flags, ...)                                                          \
  make_row<&fn, Result::kEnum, params(__VA_ARGS__), wire_default(params(__VA_ARGS__), Result::kEnum)>( \
      #kw, ::kr::k##kw, flags, kHooks, &table),
// A keyword the tool performs itself with `fn` (void fn(Call&)).
#define API_TOOL(kw, fn, result, flags, ...) \
  make_tool_row<params(__VA_ARGS__)>(#kw, ::kr::k##kw, Result::result, flags, &fn, kHooks),
// A keyword the keyword table knows and no method serves: TC0006.
#define API_UNSERVED(kw) \
  make_tool_row<params()>(#kw, ::kr::k##kw, Result::kNone, kUnserved, &never_called, kHooks),
#define API_CALL(kw, fn, result, flags, wiring, ...)                                                       \
  make_row<&fn, Result::result, params(__VA_ARGS__), wire(params(__VA_ARGS__), args wiring)>(#kw, ::kr::k##kw, \
                                                                                                flags, kHooks),
// A family's registration, written after its kRows (and kHooks) in namespace
// kr::api: the compile-time checks of its rows and hooks, the classes whose
// sections it serves, and the accessor catalogue.cc lists.
#define FAMILY(accessor, family_name, ...) FAMILY_WITH(accessor, , family_name, __VA_ARGS__)
// The same for a family with traits of its own: the Family members after its
// rows as designated initializers, e.g. FAMILY_WITH(workitem_family,
// .walk_average = true, "PvxjWorkitem", ...).
#define FAMILY_WITH(accessor, traits, family_name, ...)                                        \
  static_assert(ids_follow(kRows), "a family's keyword ids follow its row order");            \
  static_assert(hooks_have_rows(kRows, kHooks), "every hook of a family names one of its rows"); \
  namespace {                                                                                  \
  constexpr int kClasses[] = {__VA_ARGS__};                                                    \
  constexpr Family kFamily{.name = family_name, .classes = kClasses, .rows = kRows, traits};   \
  }                                                                                            \
  const Family& accessor() { return kFamily; }
#include "api/standard_rows.h"
