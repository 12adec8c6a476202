#pragma once
// The API catalogue: one typed row per API keyword. The generic section
// executor reads, echoes, checks, calls and reports from the rows; the
// keyword table and the syntax reference are produced from the same rows.
//
// HOW TO ADD A KEYWORD
//
// 1. The C function: declare it in its family's header include/pvxj/<family>.h
//    (pvxj.h includes it) and define it in the simulated client
//    (client/api/<family>.cc, which includes that header: the client refuses
//    a C function defined without its prototype in sight). The row file's
//    src/api/<family>.cc includes the family header too, and only it, so a
//    prototype edit recompiles that family and not the tool.
//    A test links a call of every prototype, so a declaration without a
//    definition fails the build of the tests.
// 2. The row: one line in the family's row file, src/api/<family>.def, in
//    the place that fixes its keyword id (ids follow the row order, family
//    after family; new rows go at the end of their family):
//
//      API_ROW(PvxjServiceSystemName, kText, 0, in(kExecutionServiceHdl), ulong_(kBufferLength))
//
//    keyword (also the C function), result kind (Result::k...), flags (Flag,
//    or 0), then the parameters by keyword in echo order with their forms
//    (the constructors below: in, out, append, text, text_cl, enm, ...).
//    The C function's arguments are the parameters in the same order; a
//    BufferLength parameter passes the result buffer and its length, a kOut
//    parameter of a kObject row and the file, slot and ShowAllObjectNames
//    parameters pass nothing. Other spellings:
//
//      API_ROW_FN(keyword, c_function, result, flags, params...)
//          when the C function has another name;
//      API_CALL(keyword, c_function, result, flags, (args...), params...)
//          when the C arguments are not the parameters in echo order: args
//          names each C argument by parameter keyword, or by one of the
//          kArg... sources (values a family hook derived);
//      API_ROW_ENUM(keyword, c_function, table, flags, params...)
//          an enumeration result: the C function returns the number, the
//          family's EnumTable `table` names it ("???" for a number without one);
//      API_TOOL(keyword, step, result, flags, params...)
//          a keyword the tool performs itself: void step(Call&) stands where
//          the C call would (no C function of its own);
//      API_UNSERVED(keyword)
//          known to the keyword table, served by no method: TC0006, left out
//          of the syntax reference;
//      API_DEALLOCATE(Class), API_VECTOR_DEALLOCATE(Class),
//      API_VECTOR_SIZE(Class), API_VECTOR_FIRST_ELEMENT(Class),
//      API_VECTOR_NEXT_ELEMENT(Class), API_VECTOR_FIRST_NAMED_ELEMENT(Class, NameKw)
//          the standard rows of a class of include/pvxj/classes.def.
//
//    Shared behaviour is row data, not code: kVectorForm (the receiver may be
//    its vector: every element runs the same steps and writes one line),
//    kStatus, kNames, kDealloc, kRepeat with create_count() (CreateNoObj),
//    kAverage, kCorrelReport, or_none(in(...)) (" = without container"),
//    oid_out(kPersistentOidHdl) with oid_file(OidTag::k...) (the identifier
//    kept in its slot and written to its file under the class tag),
//    long_back(kw) (a number the API writes back), ulong_or_null (NULL passes
//    a null pointer), kRcAndValue (a return code and a value: the RC report,
//    then the Value report), an EnumTable's input rule (EnumInput: -1 ends the
//    section quietly) and the family traits of FAMILY_WITH (walk_average).
//
//    Cost of a keyword (row file + C function, then regenerate docs/syntax.txt
//    and editors/): a plain getter is one row line; an enumeration getter one
//    row line plus its EnumTable once per family; a create method with
//    CreateNoObj one row line with kRepeat and create_count(); a getter with a
//    second report one row line flagged kRcAndValue (and, when its value is
//    not a result kind, kXpText and a Hook {id, nullptr, nullptr, report}).
//    Then list the keyword as SERVED in api/inventory.def.
//    The wiring is checked when the family compiles: the argument count and
//    each argument's type must match the C function (a text cannot reach an
//    int32_t, an output slot cannot reach a by-value handle), and so must
//    the return type and the result kind. Handles are checked by class: a
//    handle keyword passes the typed handle of its class (Name##Hdl,
//    Name##Hdl2: PvxjName), so in(kProcessInstanceHdl) on a template getter,
//    or a row calling another class's function of the same shape, does not
//    compile; a stored list's handle may go to a PvxjPersistentList function
//    and a work item's or notification's to a PvxjItem function. The keyword id is the constant
//    k<keyword> (api/keyword_ids.h), known at compile time.
// 3. A keyword that departs from the template gets a hook beside its row:
//    a Resolve (echoes and resolves the parameters itself), an After (runs
//    after each call, before the evaluation report; in the vector form after
//    every element's call) and/or a report (a second report, after the
//    evaluation report), listed in the family's kHooks table by keyword id.
//    A hook whose keyword has no row of the family does not compile.
// 4. A new family: a row file src/api/<family>.def, a <family>.cc that
//    defines its enumeration tables, hooks, kRows and
//    FAMILY(accessor, "PvxjName", class keyword ids...), an #include of the
//    row file in api/keyword_ids.h and the family in catalogue.cc, both in
//    the same place of the family order.
// 5. A golden case under tests/cases/ for what the keyword writes.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "api/handle_types.h"
#include "api/id_range.h"
#include "core/keywords.h"
#include "pvxj/base.h"

namespace kr {
struct RunContext;
}

namespace kr::api {

struct EnumEntry {
  std::string_view name;
  int32_t value;
};

// How a section's value for an input enumeration is read.
enum class EnumInput : uint8_t {
  // A name of the table (any case), a number other than 0 and -1 taken
  // unchanged, or "0"; anything else is TC0012.
  kNameOrNumber,
  // The same, except that a value that reads as -1 ends the section: no
  // call and no tool error.
  kMinusOneEnds,
};

// One API enumeration: names compared without case, "???" for a number
// without a name; as an input, read by its rule.
struct EnumTable {
  std::span<const EnumEntry> entries;
  EnumInput input = EnumInput::kNameOrNumber;
  std::string_view name_of(int32_t value) const;
};

// How a parameter's value is written in the section and what it means.
enum class Form : uint8_t {
  kIn,            // i: the number of a registered handle, passed by value
  kOut,           // n: the result is registered under the number
  kAppend,        // n or i+: a vector result, appended to a registered vector
  kCorrelOrNull,  // i or NULL: a correlation identifier slot
  kSessionSlot,   // i: a session identifier slot
  kOidSlot,       // i: a persistent object identifier slot
  kStreamSlot,    // i: a stream slot
  kText,          // "value" | NULL
  kTextCl,        // "value" | NULL | "<CL-VALUE>"
  kTextDefault,   // "value" | NULL | DEFAULT (the family's default)
  kHex,           // "hex_value" | NULL
  kFileIn,        // "FileSpec": a file read by the section
  kFileOut,       // "FileSpec": a file written by the section
  kWord,          // value: one token
  kEnum,          // an enumeration name or number
  kBool,          // TRUE | FALSE
  kLong,          // signed 32-bit number
  kLongBack,      // signed 32-bit number passed by pointer: the API may write it back
  kULong,         // unsigned 32-bit number
  kUShort,        // unsigned 16-bit number (the fields of a date-time value)
  kULongOrNull,   // unsigned number or NULL, passed by pointer
  kULongOrDefault,// unsigned number or DEFAULT
};

// What the syntax reference shows for a text whose form alone does not say.
enum class Display : uint8_t {
  kForm,          // what the form says
  kFilter,        // "fi_value" | NULL
  kSortCriteria,  // "sc_value" | NULL
  kDateTime,      // "dt_value" | NULL
  kValueList,     // "value1;value2;..." | NULL
  kResultSlot,    // n: a slot the section fills (an identifier slot of the form n)
  kDouble,        // double: a number with a fraction, read as one word
  kTrueFalse,     // TRUE | FALSE: a word any value of which is taken (Deep), written as a flag
};

// The class tag on the first line of an object identifier file, one per class
// whose identifiers the tool writes and reads back.
enum class OidTag : uint8_t {
  kNone,
  kProcessTemplate,
  kProcessTemplateList,
  kProcessInstance,
  kProcessInstanceList,
  kActivityInstance,
  kWorklist,
  kPersistentList,
  kItem,
  kWorkitem,
  kProcessInstanceNotification,
  kActivityInstanceNotification,
  kExecutionData,
};
// "Pvx<Class>ObjectID"; empty for kNone.
std::string_view oid_tag_text(OidTag tag);

struct Param {
  int keyword;
  Form form;
  const EnumTable* enums = nullptr;
  bool optional = false;  // shown in brackets in the syntax reference
  Display display = Display::kForm;
  bool passed = true;     // false: read and echoed, never an argument of the C function
  bool deferred = false;  // a file the family hook opens when it uses it
  bool synonym = false;   // another keyword of the parameter before it: read, never shown in the syntax reference
  bool or_none = false;   // a handle that may be absent or 0: echoed " = without container", passed as 0
  OidTag tag = OidTag::kNone;  // an identifier output file: the class tag on its first line
};

// The value form the syntax reference prints for a parameter ("i",
// "n | i+", "\"value\" | NULL", "TRUE | FALSE", the enumeration names joined
// by " | ", ...), without the brackets of an optional parameter.
std::string display_form(const Param& p);
// The whole right-hand side: the form, and brackets around keyword and form
// for an optional parameter, e.g. "[ShowAllObjectNames  TRUE | FALSE]" is
// written as keyword "[ShowAllObjectNames" and form "TRUE | FALSE]".
struct ParamDisplay {
  std::string keyword;
  std::string form;
};
ParamDisplay display(const Param& p);

// What the call gives back and which evaluation report follows it.
enum class Result : uint8_t {
  kRc,      // a return code: RC report against XpRc
  kNone,    // nothing: no report
  kObject,  // a new object handle, stored in the row's result slot: no report
  kText,    // text in the result buffer: Value report against XpValue
  kBool,
  kLong,
  kULong,
  kDouble,
  kDateTime,  // a date-time value, stored in the row's DateTimeHdl slot: Value report of its text
  kEnum,      // an enumeration number: Value report of its name in the row's table ("???" unnamed)
};

enum Flag : unsigned {
  kTimed = 1 << 0,        // measured when method timing is on
  kStatus = 1 << 1,       // status report with the result handle
  kNames = 1 << 2,        // object names report with ShowAllObjectNames TRUE
  kDealloc = 1 << 3,      // clears the receiver slot when the call returns 0
  kVectorSize = 1 << 4,   // the result is the last retrieved vector size
  kLike = 1 << 5,         // accepts XpValueLike beside XpValue
  kVectorForm = 1 << 6,   // the receiver may be given as its vector: every element
  kXpText = 1 << 7,       // XpValue is quoted text whatever the result (a family step reports)
  kReceiverRequired = 1 << 8,  // a section without the receiver is TC0008 naming it
  kOwnReport = 1 << 9,    // a family step writes the whole report: nothing is expected or checked
  kUnserved = 1 << 10,    // the keyword table knows it, no method serves it: TC0006, not in the syntax reference
  kRepeat = 1 << 11,      // CreateNoObj repeats the call into the same slot (numbered AcRc lines)
  kAverage = 1 << 12,     // with timing on, the average line after the (repeated) call
  kCorrelReport = 1 << 13,// status report of the correlation slot the call filled
  kToolMade = 1 << 14,    // performed by the tool itself: no C function of its own
  // Two reports: the call returns a return code and gives a value. XpRc and
  // XpValue are both taken; the RC report comes first, then the Value report
  // of the result kind, or the family's report step for a kNone result with
  // kXpText (binary values, streams).
  kRcAndValue = 1 << 15,
};

struct Call;
using Invoke = void (*)(Call&);
// A family's own step where it departs from the generic echo: echoes and
// resolves the parameters itself; false ends the section without a call.
using Resolve = bool (*)(Call&);
// A family's own step after the call, before the evaluation report.
using After = void (*)(Call&);

struct Row {
  std::string_view keyword;
  int id;                         // keyword id: the constant k<keyword>
  Result result;
  std::span<const Param> params;  // in echo order
  Invoke invoke;                  // calls the C function with the wired arguments
  unsigned flags = 0;
  Resolve resolve = nullptr;
  After after = nullptr;
  const EnumTable* enums = nullptr;  // kEnum: the names of the result
  After report = nullptr;            // a second report, after the evaluation report
};

struct Family {
  std::string_view name;        // e.g. "PvxjExecutionService"
  std::span<const int> classes; // class keyword ids whose sections it serves
  std::span<const Row> rows;    // in id order, ids without gaps
  // XpRc and XpValue are taken by every method of the family: the one a
  // method does not check is read and ignored. Otherwise it is TC0010.
  bool both_expectations = false;
  // With timing on, a receiver-or-vector walk of the family's timed rows
  // ends with the average of its calls.
  bool walk_average = false;
  // The first parameter of any row of the family with this keyword, or
  // null: a section may give a keyword of another method of its family,
  // which is read in that form and ignored.
  const Param* accepted(int keyword) const;
};

// A value read for one parameter.
struct Value {
  bool given = false;
  bool null = false;        // NULL where the form allows it
  bool is_default = false;  // DEFAULT
  int32_t number = 0;       // handle numbers, signed numbers, enumeration values
  uint32_t unsigned_number = 0;
  std::string text;         // text, token, file name
  struct Closer {
    void operator()(FILE* f) const { if (f) fclose(f); }
  };
  std::unique_ptr<FILE, Closer> file;  // opened when the parameter is read
};

inline constexpr std::size_t kMaxParams = 16;

// One call being made: the values read, what they resolve to, the outcome.
struct Call {
  Call(RunContext& c, const Row& r) : ctx(c), row(r) {}
  RunContext& ctx;
  const Row& row;
  std::array<Value, kMaxParams> v;

  // The value of a parameter keyword of the row; a keyword the row does not
  // have gives an empty value that was never given.
  Value& param(int keyword);
  bool given(int keyword) { return param(keyword).given; }

  // Resolved arguments, by parameter position.
  AnyHandle h(std::size_t k) const;              // registered handle (i)
  PvxjHandle* slot(std::size_t k) const;         // slot to fill (n, i+)
  const char* s(std::size_t k) const;            // text or null
  int32_t n(std::size_t k) const { return v[k].number; }
  uint32_t u(std::size_t k) const { return v[k].unsigned_number; }
  PvxjDateTime dt(std::size_t k) const;          // registered date-time value (zero when empty)
  const uint32_t* pu(std::size_t k) const { return v[k].null || !v[k].given ? nullptr : &v[k].unsigned_number; }
  unsigned char* correl(std::size_t k) const;    // correlation slot or null
  char* buffer() { return result_buffer.empty() ? nullptr : result_buffer.data(); }
  uint32_t buffer_length() const { return static_cast<uint32_t>(result_buffer.size()); }

  // The receiver-or-vector form: the call runs once per element of the
  // vector, with the element in the receiver's working slot.
  bool vector_form = false;
  int32_t vector_number = 0;
  PvxjHandle* element = nullptr;

  // Values a family step resolved from files or slots.
  std::string derived;
  std::vector<unsigned char> bytes;
  bool no_bytes = false;  // pass a null pointer for the bytes
  std::vector<char> result_buffer;

  // Expectations.
  std::string xp_rc;
  std::string xp_value;  // text, boolean and enumeration expectations
  bool xp_given = false;
  bool xp_like = false;
  int32_t xp_long;
  uint32_t xp_ulong;
  double xp_double;
  bool show_names = false;
  // A value the call would store on the server could not be read: no call.
  bool unread_write = false;
  bool timed = false;     // the call is measured (method timing on, a timed row)
  uint32_t elapsed = 0;   // the last call's milliseconds when timed

  // Outcome.
  int32_t rc = 0;
  int32_t enum_value = 0;
  const char* text = nullptr;
  unsigned char flag = 0;
  int32_t long_value = 0;
  uint32_t ulong_value = 0;
  double double_value = 0;
  AnyHandle object = 0;  // a kObject result as the registry keeps it
  PvxjDateTime date_time{};  // a date-time result, or the value a family step passes

 private:
  Value missing_;
};

// The catalogue, in id order.
std::span<const Family* const> families();
// Hands the API keywords to the keyword table. Done when the program loads,
// if the program uses the catalogue; a program that reads only the keyword
// table calls it to have the API keywords in it.
void join_keyword_table();
// The row of an API keyword id, or null.
const Row* row_for(int keyword_id);
// The family of a row.
const Family* family_of(const Row& row);
// The family serving a class keyword id, or null.
const Family* family_for_class(int class_id);

// Index of a parameter keyword in a row, or -1.
int param_index(const Row& row, int keyword);

// Whether the row's method stores what it is given: a setter or a creator,
// named Pvxj<Class>Set<...> or Pvxj<Class>Create<...>.
bool row_writes(const Row& row);
// Whether `p` is a value such a method stores: a value parameter (text,
// flag, enumeration, number) passed to the C function. Handles, slots and
// files are not values the tester spells, and expectations are no parameters.
bool writes_to_server(const Row& row, const Param& p);

}  // namespace kr::api
