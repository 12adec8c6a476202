#pragma once
// The API catalogue: one row per API keyword. A row names the keyword, its
// parameters in echo order with their value forms, the kind of result, the
// C function it calls and its flags; the generic section executor reads,
// echoes, checks, calls and reports from it, and the keyword table and the
// syntax reference are produced from the same rows.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pvxj/pvxj.h"

namespace kr {
struct RunContext;
}

namespace kr::api {

struct EnumEntry {
  std::string_view name;
  int32_t value;
};

// One API enumeration: names compared without case, "???" for a number
// without a name.
struct EnumTable {
  std::vector<EnumEntry> entries;
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
  kULong,         // unsigned 32-bit number
  kULongOrNull,   // unsigned number or NULL, passed by pointer
  kULongOrDefault,// unsigned number or DEFAULT
};

struct Param {
  int keyword;
  Form form;
  const EnumTable* enums = nullptr;
  bool optional = false;  // shown in brackets in the syntax reference
};

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
};

enum Flag : unsigned {
  kTimed = 1 << 0,        // measured when method timing is on
  kStatus = 1 << 1,       // status report with the result handle
  kNames = 1 << 2,        // object names report with ShowAllObjectNames TRUE
  kDealloc = 1 << 3,      // clears the receiver slot when the call returns 0
  kVectorSize = 1 << 4,   // the result is the last retrieved vector size
  kLike = 1 << 5,         // accepts XpValueLike beside XpValue
  kVectorForm = 1 << 6,   // the receiver may be given as its vector: every element
};

struct Call;
struct Row;
using Invoke = void (*)(Call&);
// A family's own step where it departs from the generic echo: echoes and
// resolves the parameters itself; false ends the section without a call.
using Resolve = bool (*)(Call&);
// A family's own step after the call, before the evaluation report.
using After = void (*)(Call&);

struct Row {
  std::string_view keyword;
  Result result;
  std::vector<Param> params;  // in echo order
  Invoke invoke;
  unsigned flags = 0;
  Resolve resolve = nullptr;
  After after = nullptr;
  int id = 0;                      // keyword id, assigned from the catalogue order
  const struct Family* family = nullptr;
};

struct Family {
  std::string_view name;     // e.g. "PvxjExecutionService"
  std::vector<int> classes;  // class keyword ids whose sections it serves
  std::vector<Row> rows;
  // Every parameter keyword some row of the family takes, with the form it
  // is read in: a section may give a keyword of another method of its
  // family, which is read and ignored.
  std::vector<Param> accepted;
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

  // Resolved arguments, by parameter position.
  PvxjHandle h(std::size_t k) const;             // registered handle (i)
  PvxjHandle* slot(std::size_t k) const;         // slot to fill (n, i+)
  const char* s(std::size_t k) const;            // text or null
  int32_t n(std::size_t k) const { return v[k].number; }
  uint32_t u(std::size_t k) const { return v[k].unsigned_number; }
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

  // Outcome.
  int32_t rc = 0;
  const char* text = nullptr;
  unsigned char flag = 0;
  int32_t long_value = 0;
  uint32_t ulong_value = 0;
  double double_value = 0;
  PvxjHandle object = 0;
};

// The catalogue, in id order.
const std::vector<const Family*>& families();
// The row of an API keyword id, or null.
const Row* row_for(int keyword_id);
// The family serving a class keyword id, or null.
const Family* family_for_class(int class_id);

// The first and one-past-last id the catalogue may use.
inline constexpr int kFirstApiId = 278;
inline constexpr int kLastApiId = 1485;

// Index of a parameter keyword in a row, or -1.
int param_index(const Row& row, int keyword);

}  // namespace kr::api
