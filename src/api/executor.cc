#include <pvxj/date_time.h>

#include "api/executor.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <utility>

#include "api/files.h"
#include "api/vectors.h"
#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"
#include "eval/checks.h"
#include "eval/hex.h"

namespace kr::api {
namespace {

// Larger result buffers than this are treated as not obtainable.
constexpr uint32_t kMaxResultBuffer = 64u << 20;

bool starts_null(RunContext& ctx) {
  int c = ctx.in.peek_nonspace();
  return c == 'N' || c == 'n';
}

// "NULL" in place of a number; any other word there is TC0007.
Read read_null_word(RunContext& ctx, Value& val) {
  std::string_view tok;
  if (!next_token(ctx, &tok)) return Read::kAbort;
  if (!iequals(tok, "NULL")) {
    tool_error(ctx, TC0007, tok);
    return Read::kAtEnd;
  }
  val.null = true;
  return Read::kOk;
}

// Texts reach the API as C strings, which end at a NUL byte: the echo and
// the comparison show no more than that.
void cut_at_nul(std::string* text) {
  if (std::size_t z = text->find('\0'); z != std::string::npos) text->resize(z);
}

Read read_text(Call& call, const Param& p, Value& val) {
  RunContext& ctx = call.ctx;
  Read r = read_string(ctx, &val.text);
  cut_at_nul(&val.text);
  if (r == Read::kNull) {
    val.null = true;
  } else if (r == Read::kDefault) {
    // Only a family default makes DEFAULT special; elsewhere the word is the text.
    val.is_default = (p.form == Form::kTextDefault);
  } else if (r == Read::kOk && p.form == Form::kTextCl && iequals(val.text, "<CL-VALUE>")) {
    if (const OptionValue* o = ctx.cl.cl_value(keyword_text(p.keyword))) {
      if (!o->given) tool_error(ctx, TC0021, keyword_text(p.keyword));
      val.text = o->value;
    }
  }
  if (r == Read::kOk && (p.form == Form::kFileIn || p.form == Form::kFileOut) && !p.deferred) {
    // Files are opened when the parameter is read, as the tester expects the
    // failure to stop the run before anything is called.
    FILE* f = p.form == Form::kFileIn ? open_input_file(val.text) : fopen(val.text.c_str(), "w");
    // TC0004's message has no text part: the file name is not shown.
    if (!f) tool_error(ctx, p.form == Form::kFileIn ? TC0003 : TC0004, p.form == Form::kFileIn ? val.text : "");
    val.file.reset(f);
  }
  return r == Read::kNull || r == Read::kDefault ? Read::kOk : r;
}

Read read_value(Call& call, const Param& p, Value& val) {
  RunContext& ctx = call.ctx;
  // An unreadable flag leaves the value an earlier line of the section gave.
  const bool flag_was_given = val.given;
  const int32_t flag_was = val.number;
  Value before = std::move(val);
  val = Value{};
  val.given = true;
  switch (p.form) {
    case Form::kIn:
    case Form::kOut:
    case Form::kAppend:
    case Form::kSessionSlot:
    case Form::kOidSlot:
    case Form::kStreamSlot:
    case Form::kLong:
    case Form::kLongBack:
      return read_i32(ctx, &val.number);
    case Form::kCorrelOrNull:
      if (starts_null(ctx)) return read_null_word(ctx, val);
      return read_i32(ctx, &val.number);
    case Form::kText:
    case Form::kTextCl:
    case Form::kTextDefault:
    case Form::kHex:
    case Form::kFileIn:
    case Form::kFileOut: {
      // A text that could not be read (TC0020) was not given: the call goes
      // on with what the section gave before it, or without the parameter.
      Read r = read_text(call, p, val);
      if (r == Read::kAtEnd) val = std::move(before);
      return r;
    }
    case Form::kWord:
    case Form::kEnum: {
      std::string_view tok;
      if (!next_token(ctx, &tok)) return Read::kAbort;
      val.text.assign(tok);
      return Read::kOk;
    }
    case Form::kBool: {
      if (p.keyword == kDeep) {
        // Deep is true only for TRUE: any other word is false, not an error.
        std::string_view tok;
        if (!next_token(ctx, &tok)) return Read::kAbort;
        val.number = iequals(tok, "TRUE");
        return Read::kOk;
      }
      bool b = false;
      Read r = read_bool(ctx, &b);
      if (r == Read::kOk) {
        val.number = b;
      } else {
        val.given = flag_was_given;
        val.number = flag_was;
      }
      return r;
    }
    case Form::kULong:
      return read_u32(ctx, &val.unsigned_number);
    case Form::kUShort:
      return read_u16(ctx, &val.unsigned_number);
    case Form::kULongOrNull:
      if (starts_null(ctx)) return read_null_word(ctx, val);
      return read_u32(ctx, &val.unsigned_number);
    case Form::kULongOrDefault: {
      int c = ctx.in.peek_nonspace();
      if (c == 'D' || c == 'd') {
        std::string_view tok;
        if (!next_token(ctx, &tok)) return Read::kAbort;
        if (!iequals(tok, "DEFAULT")) {
          tool_error(ctx, TC0007, tok);
          return Read::kAtEnd;
        }
        val.is_default = true;
        return Read::kOk;
      }
      return read_u32(ctx, &val.unsigned_number);
    }
  }
  return Read::kOk;
}

// An expectation the method has no use for (an XpValue, or in a family that
// takes both, the other one): quoted text or one token, read and dropped.
Read skip_expectation(RunContext& ctx) {
  if (ctx.in.peek_nonspace() == '"') {
    std::string text;
    Read r = read_string(ctx, &text);
    return r == Read::kNull || r == Read::kDefault ? Read::kOk : r;
  }
  std::string_view tok;
  return next_token(ctx, &tok) ? Read::kOk : Read::kAbort;
}

Read read_expectation_value(Call& call) {
  RunContext& ctx = call.ctx;
  const Result kind = (call.row.flags & kXpText) ? Result::kText : call.row.result;
  switch (kind) {
    case Result::kText:
    case Result::kDateTime: {
      Read r = read_string(ctx, &call.xp_value);
      cut_at_nul(&call.xp_value);
      return r == Read::kNull || r == Read::kDefault ? Read::kOk : r;
    }
    case Result::kLong:
      return read_i32(ctx, &call.xp_long);
    case Result::kULong:
      return read_u32(ctx, &call.xp_ulong);
    case Result::kDouble:
      return read_double(ctx, &call.xp_double);
    case Result::kNone:
    case Result::kObject:
      // Nothing to compare it with: quoted text or a token alike.
      return skip_expectation(ctx);
    default: {
      std::string_view tok;
      if (!next_token(ctx, &tok)) return Read::kAbort;
      call.xp_value.assign(tok);
      return Read::kOk;
    }
  }
}

// An expectation that could not be read was not written: the section has
// none, so it gives no verdict (and no API expression inside an IF) rather
// than comparing with what was left of the bad value.
Read read_expectation(Call& call, int keyword) {
  call.xp_like = (keyword == kXpValueLike);
  call.xp_given = true;
  Read r = read_expectation_value(call);
  if (r == Read::kAtEnd) {
    call.xp_like = false;
    call.xp_given = false;
    call.xp_value.clear();
    call.xp_long = kNoExpectedSigned;
    call.xp_ulong = kNoExpectedUnsigned;
    call.xp_double = kNoExpectedDouble;
  }
  return r;
}

// The vector of the row's receiver when `keyword` names it and the row does
// not take that vector as a parameter of its own.
const VectorOps* receiver_vector(const Row& row, int keyword) {
  if (row.params.empty() || row.params[0].form != Form::kIn) return nullptr;
  const VectorOps* ops = vector_ops_for_element(row.params[0].keyword);
  if (!ops || ops->vector_type != keyword || param_index(row, keyword) >= 0) return nullptr;
  return ops;
}

// The row's own parameter of that keyword, else the one another method of the
// family takes (read in its form and ignored), else null. The row's own comes
// first: it is the common case, and the family's list is long.
const Param* own_or_accepted(const Row& row, const Family& family, int keyword) {
  const int k = param_index(row, keyword);
  return k >= 0 ? &row.params[static_cast<std::size_t>(k)] : family.accepted(keyword);
}

// Reads the parameters through End. False when the section was abandoned.
bool read_section(Call& call) {
  RunContext& ctx = call.ctx;
  const Row& row = call.row;
  const Family* family = family_of(row);
  const bool rc_set = row.result == Result::kRc;
  const bool both = family->both_expectations;
  const bool rc_first = (row.flags & kRcAndValue) != 0;
  for (;;) {
    std::string_view tok;
    if (!next_token(ctx, &tok)) return false;
    const int id = keyword_id(tok);
    if (id == kEnd) return true;
    Read r;
    if (id == kXpRc && (rc_set || both || rc_first)) {
      if (!next_token(ctx, &tok)) return false;
      if (rc_set || rc_first) call.xp_rc.assign(tok);
      continue;
    } else if ((id == kXpValue && !rc_set) ||
               (id == kXpValueLike && (row.flags & kLike))) {
      r = read_expectation(call, id);
    } else if (id == kXpValue && both) {
      r = skip_expectation(ctx);
    } else if (const VectorOps* ops = receiver_vector(row, id)) {
      if (!(row.flags & kVectorForm)) {
        tool_error(ctx, TC0016);
        return false;
      }
      call.vector_form = true;
      r = read_i32(ctx, &call.vector_number);
      (void)ops;
    } else if (const Param* p = own_or_accepted(row, *family, id)) {
      const int k = param_index(row, id);
      // PersistentOid and PersistentOidHdl name one parameter: the later one counts.
      if (id == kPersistentOid || id == kPersistentOidHdl)
        if (int other = param_index(row, id == kPersistentOid ? kPersistentOidHdl : kPersistentOid); other >= 0)
          call.v[static_cast<std::size_t>(other)].given = false;
      Value scratch;
      r = read_value(call, k >= 0 ? row.params[static_cast<std::size_t>(k)] : *p,
                     k >= 0 ? call.v[static_cast<std::size_t>(k)] : scratch);
      // A value the call would store on the server was not read: calling
      // with what is left of it would store what the tester never wrote.
      if (r == Read::kAtEnd && k >= 0 && writes_to_server(row, row.params[static_cast<std::size_t>(k)]))
        call.unread_write = true;
    } else {
      tool_error(ctx, TC0010, tok);
      return false;
    }
    if (r == Read::kAbort) return false;
    if (r == Read::kAtEnd) return true;
  }
}

bool convert_enum(Call& call, std::size_t k) {
  const Param& p = call.row.params[k];
  Value& val = call.v[k];
  if (!val.given) {
    val.number = 0;
    val.text.assign(p.enums ? p.enums->name_of(0) : "0");
    return true;
  }
  if (p.enums)
    for (const EnumEntry& e : p.enums->entries)
      if (iequals(e.name, val.text)) {
        val.number = e.value;
        return true;
      }
  // The number a token starts with; the conversion's -1 means failure.
  int64_t n = leading_number(val.text);
  if (n != 0 && n != -1 && n >= INT32_MIN && n <= INT32_MAX) {
    val.number = static_cast<int32_t>(n);
    return true;
  }
  if (val.text == "0") {
    val.number = 0;
    return true;
  }
  tool_error(call.ctx, TC0012, val.text);
  return false;
}

int slot_type(Form form, int keyword) {
  switch (form) {
    case Form::kOidSlot: return kPersistentOid;
    case Form::kSessionSlot: return kSessionIdHdl;
    case Form::kStreamSlot: return kStreamHdl;
    case Form::kCorrelOrNull: return kCorrelId;
    default: return keyword;
  }
}

void write_elapsed(RunContext& ctx, uint32_t ms) {
  ctx.out.write("---> ");
  ctx.out.write_u32(ms);
  ctx.out.line(" ms");
}

void write_average(RunContext& ctx, uint32_t ms) {
  ctx.out.write("---> average: ");
  ctx.out.write_u32(ms);
  ctx.out.line(" ms");
}

void object_names_report(Call& call) {
  RunContext& ctx = call.ctx;
  int k = -1;
  for (std::size_t i = 0; i < call.row.params.size(); ++i)
    if (call.row.params[i].form == Form::kAppend) k = static_cast<int>(i);
  // A method that makes a new vector (n) reports it the same way.
  for (std::size_t i = 0; k < 0 && i < call.row.params.size(); ++i)
    if (call.row.params[i].form == Form::kOut && vector_ops(call.row.params[i].keyword)) k = static_cast<int>(i);
  if (k < 0) return;
  const int vector_type = call.row.params[static_cast<std::size_t>(k)].keyword;
  const VectorOps* ops = vector_ops(vector_type);
  if (!ops) return;
  PvxjHandle vec = call.h(static_cast<std::size_t>(k));
  ctx.out.line("..........Object Names Report...............................................");
  uint32_t size = ops->size(vec);
  ctx.out.write("vector size = ");
  ctx.out.write_u32(size);
  ctx.out.end_line();
  PvxjHandle* work = ctx.reg.working_slot(ops->element_type);
  char name[256];
  for (uint32_t i = 0; i < size; ++i) {
    PvxjHandle e = i == 0 ? ops->first(vec) : ops->next(vec);
    if (work) *work = e;
    name[0] = '\0';
    const char* got = ops->name(e, name, sizeof name);
    ctx.out.write_u32(i);
    ctx.out.write(") ");
    ctx.out.line(got ? std::string_view(got, strnlen(got, sizeof name)) : std::string_view());
    if (work) {
      ops->deallocate(work);
      *work = 0;
    } else {
      ops->deallocate(&e);
    }
  }
}

// The text a date-time result is compared and listed as: "NULL" when its
// first field is 0 (the API's empty value).
std::string date_time_text(const PvxjDateTime& value) {
  if (value.year == 0) return "NULL";
  char text[256] = {};
  const char* got = PvxjDateTimeAsString(value, text, sizeof text);
  return got ? std::string(got, strnlen(got, sizeof text)) : std::string("NULL");
}

void write_handle(RunContext& ctx, PvxjHandle handle) {
  char hex[16];
  snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(handle));
  ctx.out.write(hex);
}

// One element's line in the receiver-or-vector form.
void element_line(Call& call, uint32_t index) {
  RunContext& ctx = call.ctx;
  ctx.out.write_u32(index);
  ctx.out.write(") ");
  switch (call.row.result) {
    case Result::kRc:
      ctx.out.write("AcRc = ");
      ctx.out.write(rc_name(static_cast<uint32_t>(call.rc)));
      ctx.out.write(" = ");
      ctx.out.write_u32(static_cast<uint32_t>(call.rc));
      break;
    case Result::kText:
      ctx.out.write(call.text ? std::string_view(call.text) : std::string_view("NULL"));
      break;
    case Result::kBool: ctx.out.write(call.flag ? "true" : "false"); break;
    case Result::kLong: ctx.out.write_i64(call.long_value); break;
    case Result::kULong: ctx.out.write_u32(call.ulong_value); break;
    case Result::kDouble: ctx.out.write_double(call.double_value); break;
    case Result::kEnum: ctx.out.write(call.row.enums ? call.row.enums->name_of(call.enum_value) : "???"); break;
    case Result::kDateTime: ctx.out.write(date_time_text(call.date_time)); break;
    case Result::kObject: write_handle(ctx, call.object); break;
    case Result::kNone: break;
  }
  ctx.out.end_line();
}

// The first parameter of the given form, or -1.
int first_of_form(const Row& row, Form form) {
  for (std::size_t k = 0; k < row.params.size(); ++k)
    if (row.params[k].form == form) return static_cast<int>(k);
  return -1;
}

// The identifier a getter returned: kept in its slot, written to its file
// under the class tag.
void keep_identifier(Call& call) {
  const int slot = param_index(call.row, kPersistentOidHdl);
  if (slot < 0 || call.row.params[static_cast<std::size_t>(slot)].display != Display::kResultSlot) return;
  RunContext& ctx = call.ctx;
  if (call.text) ctx.reg.set_text(kPersistentOid, call.param(kPersistentOidHdl).number, call.text);
  const int f = param_index(call.row, kPersistentOidOutputFileSpec);
  if (f < 0) return;
  Value& file = call.v[static_cast<std::size_t>(f)];
  const std::string_view tag = oid_tag_text(call.row.params[static_cast<std::size_t>(f)].tag);
  if (file.given && file.file && !tag.empty()) {
    fprintf(file.file.get(), "%.*s\n\n%s\n", static_cast<int>(tag.size()), tag.data(), call.text ? call.text : "???");
    finish_output_file(ctx, file);
  }
}

// The call and what it leaves behind, the same for the single form and for
// every element of the receiver-or-vector form: the result stored in its
// slot, the receiver cleared after a deallocation, the family's After step.
void perform(Call& call) {
  RunContext& ctx = call.ctx;
  const Row& row = call.row;
  if (row.flags & kRepeat) {
    // Only the last instance stays registered: the tool frees the earlier one.
    const int k = first_of_form(row, Form::kOut);
    if (PvxjHandle* s = k >= 0 ? call.slot(static_cast<std::size_t>(k)) : nullptr; s && *s) {
      PvxjProcessInstanceDeallocate(SlotProxy<PvxjProcessInstance>(s));
      *s = 0;
    }
  }
  call.rc = 0;
  call.text = nullptr;
  ctx.flush();  // the log is complete before the API runs
  const uint32_t t0 = call.timed ? tick_ms() : 0;
  row.invoke(call);
  call.elapsed = call.timed ? tick_ms() - t0 : 0;
  if (row.result == Result::kObject || row.result == Result::kDateTime) {
    const int k = first_of_form(row, Form::kOut);
    if (k >= 0) {
      if (row.result == Result::kDateTime) ctx.reg.set_date_time(call.n(static_cast<std::size_t>(k)), call.date_time);
      else if (PvxjHandle* s = call.slot(static_cast<std::size_t>(k))) *s = call.object;
    }
  }
  if ((row.flags & kDealloc) && call.rc == 0) {
    if (call.vector_form) *call.element = 0;
    else ctx.reg.clear(row.params[0].keyword, call.n(0));
  }
  if (row.flags & kVectorSize) ctx.reg.last_vector_size = call.ulong_value;
  if (row.result == Result::kText) keep_identifier(call);
  if (!call.vector_form)
    for (std::size_t k = 0; k < row.params.size(); ++k)
      if (row.params[k].form == Form::kLongBack) echo_derived(ctx, row.params[k].keyword, std::to_string(call.n(k)));
  if (row.after) row.after(call);
}

// Calls the method for every element of the receiver's vector, walking it
// with the working element; XpValue is not evaluated in this form.
void run_vector_form(Call& call) {
  RunContext& ctx = call.ctx;
  const VectorOps* ops = vector_ops_for_element(call.row.params[0].keyword);
  const PvxjHandle vec = ctx.reg.handle(ops->vector_type, call.vector_number);
  const uint32_t size = ops->size(vec);
  PvxjHandle* work = ctx.reg.working_slot(ops->element_type);
  auto drop = [&] {
    if (*work) ops->deallocate(work);
    *work = 0;
  };
  drop();
  *work = ops->first(vec);
  call.element = work;
  uint64_t sum = 0;
  for (uint32_t i = 0; i < size; ++i) {
    if (i == 0) ctx.out.line(call.row.result == Result::kRc ? kRcReportLine : kValueReportLine);
    perform(call);
    if (call.timed) {
      write_elapsed(ctx, call.elapsed);
      sum += call.elapsed;
    }
    element_line(call, i);
    drop();
    *work = ops->next(vec);
  }
  drop();
  if (call.timed && sum > 0 && family_of(call.row)->walk_average)
    write_average(ctx, static_cast<uint32_t>(sum / size));
}

void evaluate(Call& call) {
  RunContext& ctx = call.ctx;
  const Row& row = call.row;
  const std::string_view label = (row.flags & kVectorSize) ? kLabelSize : kLabelValue;
  const bool xp = call.xp_given;
  const std::string_view xpv = xp ? std::string_view(call.xp_value) : kNoExpectedValue;
  if (row.flags & kRcAndValue)
    check_rc(ctx, static_cast<uint32_t>(call.rc), call.xp_rc.empty() ? kNoExpectedRc : std::string_view(call.xp_rc));
  switch (row.result) {
    case Result::kRc:
      check_rc(ctx, static_cast<uint32_t>(call.rc), call.xp_rc.empty() ? kNoExpectedRc : std::string_view(call.xp_rc));
      break;
    case Result::kText: {
      if (call.xp_like) check_like(ctx, label, call.text, xpv);
      else check_text(ctx, label, call.text, xpv);
      break;
    }
    case Result::kBool:
      check_bool(ctx, label, call.flag != 0, xpv);
      break;
    case Result::kLong:
      check_long(ctx, label, call.long_value, call.xp_long);
      break;
    case Result::kULong:
      check_unsigned(ctx, label, call.ulong_value, call.xp_ulong);
      break;
    case Result::kDouble:
      check_double(ctx, label, call.double_value, call.xp_double);
      break;
    case Result::kDateTime:
      if (call.date_time.year == 0) check_text(ctx, label, nullptr, xpv);
      else check_text(ctx, label, date_time_text(call.date_time).c_str(), xpv);
      break;
    case Result::kEnum: {
      const std::string name(row.enums ? row.enums->name_of(call.enum_value) : std::string_view("???"));
      check_text(ctx, label, name.c_str(), xpv);
      break;
    }
    case Result::kNone:
    case Result::kObject:
      break;
  }
}

// CreateNoObj: the call repeated into one slot, numbered AcRc lines when
// there is more than one, the average line where the row asks for it. A
// count of 0 makes no call and writes no average line.
void run_repeated(Call& call) {
  RunContext& ctx = call.ctx;
  const Row& row = call.row;
  const int32_t count = call.param(kCreateNoObj).number;
  if (count > 1) {
    ctx.out.write("Create ");
    ctx.out.write_i64(count);
    ctx.out.line(" objects:");
  }
  const int k = first_of_form(row, Form::kOut);
  uint64_t sum = 0;
  for (int32_t i = 0; i < count; ++i) {
    perform(call);
    if (call.timed) {
      write_elapsed(ctx, call.elapsed);
      sum += call.elapsed;
    }
    if (count <= 1) {
      if (k >= 0) status_report(ctx, row.params[static_cast<std::size_t>(k)].keyword, call.h(static_cast<std::size_t>(k)));
    } else {
      ctx.out.write(".");
      ctx.out.write_i64(i);
      ctx.out.write(") AcRc = ");
      ctx.out.write(rc_name(static_cast<uint32_t>(call.rc)));
      ctx.out.write(" = ");
      ctx.out.write_u32(static_cast<uint32_t>(call.rc));
      ctx.out.end_line();
    }
  }
  if ((row.flags & kAverage) && call.timed && count > 0)
    write_average(ctx, static_cast<uint32_t>(sum / static_cast<uint64_t>(count)));
  if (count == 1) evaluate(call);
}

// The correlation identifier an asynchronous request received, as the
// bytes of its slot: a stable text that result files can compare.
void correlation_report(Call& call) {
  const Value& v = call.param(kCorrelId);
  if (!v.given || v.null) return;
  RunContext& ctx = call.ctx;
  ctx.out.line("..........Status Report.....................................................");
  ctx.out.write("CorrelId = ");
  ctx.out.line(correl_text(ctx.reg.correl_id(v.number)));
}

}  // namespace

std::string correl_text(const unsigned char* id) {
  std::string text;
  if (!id) return text;
  char hex[4];
  for (std::size_t i = 0; i < kCorrelIdLength; ++i) {
    snprintf(hex, sizeof hex, "%02X", id[i]);
    text += hex;
  }
  return text;
}

namespace {
bool echo_kw(Call& c, int keyword) {
  int k = param_index(c.row, keyword);
  return k >= 0 && echo_param(c, static_cast<std::size_t>(k));
}
}  // namespace

// Persistent objects: the identifier from a file (after its class tag) or from a slot.
bool resolve_persistent_object(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  std::string oid;
  if (c.given(kPersistentOidInputFileSpec)) {
    if (!echo_kw(c, kPersistentOidInputFileSpec)) return false;
    std::string tag;
    if (!file_word(c, kPersistentOidInputFileSpec, &tag) || !file_word(c, kPersistentOidInputFileSpec, &oid))
      return false;
    ctx.reg.set_text(kPersistentOid, 0, oid);
  } else {
    int32_t n = c.given(kPersistentOid) ? c.param(kPersistentOid).number : c.param(kPersistentOidHdl).number;
    echo(ctx, kPersistentOid, std::to_string(n));
    if (!range_check(ctx, kPersistentOid, n)) return false;
    if (const std::string* t = ctx.reg.text(kPersistentOid, n)) oid = *t;
  }
  echo_derived(ctx, kPersistentObjectName, oid);
  c.derived = oid;
  return echo_param(c, c.row.params.size() - 1);
}

void never_called(Call&) {}

void first_named_element(Call& c) {
  RunContext& ctx = c.ctx;
  const VectorOps* ops = vector_ops(c.row.params[0].keyword);
  const int target = c.row.params[2].keyword;
  PvxjHandle* slot = c.slot(2);
  if (slot) *slot = 0;
  const char* want = c.s(1);
  if (ops && slot) {
    const PvxjHandle vec = c.h(0);
    const uint32_t size = ops->size(vec);
    PvxjHandle* work = ctx.reg.working_slot(ops->element_type);
    if (*work) ops->deallocate(work);
    *work = ops->first(vec);
    char name[256];
    for (uint32_t i = 0; i < size && *work; ++i) {
      name[0] = '\0';
      const char* got = ops->name(*work, name, sizeof name);
      if (got && want && std::string_view(got, strnlen(got, sizeof name)) == want) {
        *slot = *work;  // the element is registered: the walk no longer owns it
        *work = 0;
        break;
      }
      ops->deallocate(work);
      *work = 0;
      if (i + 1 < size) *work = ops->next(vec);
    }
    if (*work) ops->deallocate(work);
    *work = 0;
  }
  status_report(ctx, target, slot ? *slot : 0);
  if (!slot || !*slot) {
    ctx.out.write(c.row.params[1].keyword == kListName ? "NO LIST OBJECT WITH THE SPECIFIED NAME FOUND:  "
                                                        : "NO OBJECT WITH THE SPECIFIED NAME FOUND:  ");
    ctx.out.line("+++ERROR+++");
    ctx.error_flag = true;
  }
}

void finish_output_file(RunContext& ctx, Value& file) {
  FILE* f = file.file.release();
  if (!f) return;
  errno = 0;
  int error = fflush(f) != 0 || ferror(f) ? (errno ? errno : EIO) : 0;
  errno = 0;
  if (fclose(f) != 0 && !error) error = errno ? errno : EIO;
  if (error) write_failure(ctx, file.text, error);
}

void echo_derived(RunContext& ctx, int keyword, std::string_view value) {
  ctx.out.write("            ");
  ctx.out.write(keyword_text(keyword));
  ctx.out.write(" = ");
  ctx.out.line(value);
}

void status_report(RunContext& ctx, int keyword, PvxjHandle handle) {
  char hex[16];
  snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(handle));
  ctx.out.line("..........Status Report.....................................................");
  ctx.out.write(keyword_text(keyword));
  ctx.out.write(" = ");
  ctx.out.line(hex);
}

void echo_bytes(RunContext& ctx, int keyword, const unsigned char* bytes, std::size_t length) {
  ctx.out.write("parameter:  ");
  ctx.out.write(keyword_text(keyword));
  ctx.out.write(" = ");
  hex_dump(ctx.out, bytes, static_cast<uint32_t>(length));
}

bool file_word(Call& call, int keyword, std::string* word) {
  const Value& v = call.param(keyword);
  if (read_word(v.file.get(), word)) {
    cut_at_nul(word);
    return true;
  }
  tool_error(call.ctx, TC0007, v.text + " (a word longer than " + std::to_string(kMaxFileWord) + " bytes)");
  return false;
}

namespace {
// A number's decimal text in `buf`, as printf's %d and %u write it.
template <class N>
std::string_view decimal(char (&buf)[24], N n) {
  const auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string_view(buf, static_cast<std::size_t>(r.ptr - buf));
}
}  // namespace

bool echo_param(Call& call, std::size_t k) {
  RunContext& ctx = call.ctx;
  const Param& p = call.row.params[k];
  Value& val = call.v[k];
  char num[24];
  switch (p.form) {
    case Form::kIn:
      if (p.or_none && (!val.given || val.number == 0)) {
        echo(ctx, p.keyword, "without container");
        return true;
      }
      [[fallthrough]];
    case Form::kSessionSlot:
    case Form::kOidSlot:
    case Form::kStreamSlot:
      echo(ctx, p.keyword, decimal(num, val.number));
      return range_check(ctx, slot_type(p.form, p.keyword), val.number) != 0;
    case Form::kOut:
    case Form::kAppend:
      if (p.optional && !val.given) return true;  // an output the section may leave out: no slot
      echo(ctx, p.keyword, decimal(num, val.number));
      return store_check(ctx, p.keyword, val.number) != 0;
    case Form::kCorrelOrNull:
      if (val.null || !val.given) {
        echo(ctx, p.keyword, "NULL");
        return true;
      }
      echo(ctx, p.keyword, decimal(num, val.number));
      return range_check(ctx, kCorrelId, val.number) != 0;
    case Form::kText:
    case Form::kTextCl:
    case Form::kTextDefault:
    case Form::kHex:
    case Form::kFileIn:
    case Form::kFileOut:
    case Form::kWord:
      echo(ctx, p.keyword, (val.null || !val.given) ? std::string_view("NULL") : std::string_view(val.text));
      return true;
    case Form::kEnum: {
      // The table's input rule may let a value end the section quietly.
      if (p.enums && p.enums->input == EnumInput::kMinusOneEnds && val.given && leading_number(val.text) == -1)
        return false;
      if (!convert_enum(call, k)) return false;
      std::string line(val.text);
      line.append(" = ").append(std::to_string(val.number));
      echo(ctx, p.keyword, line);
      return true;
    }
    case Form::kBool:
      echo(ctx, p.keyword, val.number ? "TRUE" : "FALSE");
      return true;
    case Form::kLong:
    case Form::kLongBack:
      echo(ctx, p.keyword, decimal(num, val.number));
      return true;
    case Form::kULong:
    case Form::kUShort:
    case Form::kULongOrDefault:
      echo(ctx, p.keyword, decimal(num, val.unsigned_number));
      return true;
    case Form::kULongOrNull:
      if (val.null || !val.given) {
        echo(ctx, p.keyword, "NULL");
        return true;
      }
      echo(ctx, p.keyword, decimal(num, val.unsigned_number));
      return true;
  }
  return true;
}

// Echoes parameters from..end. Two or more handles that may each be absent
// are alternatives (a read-only or a read-write container): those given are
// echoed, and when none is, one line says so under ContainerHdl. Single and
// vector forms echo alike through here.
static bool echo_params(Call& call, std::size_t from) {
  const auto& params = call.row.params;
  auto given = [&](std::size_t k) { return call.v[k].given && call.v[k].number != 0; };
  // A read-only and a read-write container that stand for one another (force
  // finish, force restart) are echoed as one "ContainerHdl" when neither is
  // given; optional containers of distinct roles (input and output) each keep
  // their own line.
  std::size_t last = 0;
  bool any = false, read_only = false, read_write = false;
  for (std::size_t k = 0; k < params.size(); ++k) {
    if (!params[k].or_none) continue;
    read_only = read_only || params[k].keyword == kReadOnlyContainerHdl;
    read_write = read_write || params[k].keyword == kReadWriteContainerHdl;
    last = k;
    any = any || given(k);
  }
  const bool alternatives = read_only && read_write;
  for (std::size_t k = from; k < params.size(); ++k) {
    if (alternatives && params[k].or_none) {
      if (given(k) && !echo_param(call, k)) return false;
      if (k == last && !any) echo(call.ctx, kContainerHdl, "without container");
      continue;
    }
    if (!echo_param(call, k)) return false;
  }
  return true;
}

void api_handler(RunContext& ctx) {
  const Row* row = row_for(ctx.keyword_id);
  if (!row || (row->flags & kUnserved)) {
    tool_error(ctx, TC0006, ctx.keyword);
    return;
  }
  ctx.out.line(row->keyword);
  ctx.slot_index = 0;
  Call call(ctx, *row);
  call.xp_long = kNoExpectedSigned;
  call.xp_ulong = kNoExpectedUnsigned;
  call.xp_double = kNoExpectedDouble;
  if (row->flags & kRepeat) call.param(kCreateNoObj).number = 1;  // one object unless the section says otherwise
  if (!read_section(call) || call.unread_write) return;
  ctx.cur = "End";  // errors from here on skip nothing: the section is read
  if ((row->flags & kReceiverRequired) && !call.v[0].given && !call.vector_form) {
    tool_error(ctx, TC0008, keyword_text(row->params[0].keyword));
    return;
  }

  if (call.vector_form) {
    const int vector_type = vector_ops_for_element(row->params[0].keyword)->vector_type;
    echo(ctx, vector_type, std::to_string(call.vector_number));
    if (!range_check(ctx, vector_type, call.vector_number)) return;
    if (!echo_params(call, 1)) return;
  } else if (row->resolve) {
    if (!row->resolve(call)) return;
  } else {
    if (!echo_params(call, 0)) return;
  }
  int show = param_index(*row, kShowAllObjectNames);
  call.show_names = show >= 0 && call.v[static_cast<std::size_t>(show)].number != 0;

  int blen = param_index(*row, kBufferLength);
  if (blen >= 0) {
    uint32_t n = call.u(static_cast<std::size_t>(blen));
    if (n == 0 || n > kMaxResultBuffer) tool_error(ctx, TC0023);
    call.result_buffer.assign(n, '\0');
  }

  call.timed = (row->flags & kTimed) && ctx.timing.method;
  if (call.vector_form) {
    run_vector_form(call);
    return;
  }
  if (row->flags & kRepeat) {
    run_repeated(call);
    if (row->report) row->report(call);
    return;
  }
  perform(call);
  if (call.timed) write_elapsed(ctx, call.elapsed);
  if ((row->flags & kAverage) && call.timed) write_average(ctx, call.elapsed);  // one call: its own time
  if ((row->flags & kNames) && call.rc == 0 && call.show_names) object_names_report(call);
  if (row->flags & kStatus) {
    const int k = first_of_form(*row, Form::kOut);
    if (k >= 0) status_report(ctx, row->params[static_cast<std::size_t>(k)].keyword, call.h(static_cast<std::size_t>(k)));
  }
  if (row->flags & kCorrelReport) correlation_report(call);
  evaluate(call);
  if (row->report) row->report(call);
}

}  // namespace kr::api
