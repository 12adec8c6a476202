// The container family: reads of either container class, writes, the stream
// form, the container objects, a program's own containers, and the tool's
// container dump and copy built from the container and element functions.
#include <pvxj/container.h>
#include <pvxj/result.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/program_id.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "eval/checks.h"
#include "eval/hex.h"

namespace kr::api {

// Shared with the element family (container_element.cc).
void echo_qualified_name(Call& c, std::size_t k);
void report_binary(Call& c);

namespace {

// Larger value buffers than this are treated as not obtainable.
constexpr uint32_t kMaxValueBuffer = 64u << 20;

// ---- Parameters ------------------------------------------------------------

int index_of(const Call& c, int keyword) { return param_index(c.row, keyword); }

AnyHandle handle_of(Call& c, int keyword) {
  const int k = index_of(c, keyword);
  return k >= 0 && c.v[static_cast<std::size_t>(k)].given ? c.h(static_cast<std::size_t>(k)) : AnyHandle();
}

// The receiver: the read-write container when the section gives it.
PvxjContainer container(Call& c) {
  if (c.given(kReadWriteContainerHdl)) return to_api<PvxjReadWriteContainer>(handle_of(c, kReadWriteContainerHdl));
  return to_api<PvxjReadOnlyContainer>(handle_of(c, kReadOnlyContainerHdl));
}

const char* qualified_name(Call& c) {
  const int k = index_of(c, kQualifiedName);
  return k >= 0 ? c.s(static_cast<std::size_t>(k)) : nullptr;
}

uint32_t array_index(Call& c) { return c.param(kArrayIndex).unsigned_number; }

// The methods of the base class take either container.
bool takes_either(const Row& row) {
  const int ro = param_index(row, kReadOnlyContainerHdl);
  return ro >= 0 && param_index(row, kReadWriteContainerHdl) >= 0 && row.params[static_cast<std::size_t>(ro)].optional;
}

bool is_dump(const Row& row) { return row.id == kPvxjContainer_DUMP_ALL || row.id == kPvxjContainer_DUMP_ALL_2; }

// BinaryValue with DataLength: the bytes passed, echoed in the dump form; an
// empty hex text passes no bytes.
bool echo_binary(Call& c, std::size_t k) {
  RunContext& ctx = c.ctx;
  const Value& hex = c.v[k];
  if (!hex.given || hex.null || hex.text.empty()) {
    c.no_bytes = true;
    echo(ctx, kBinaryValue, "NULL, due to zero string length");
    return true;
  }
  if (!c.given(kDataLength)) {
    tool_error(ctx, TC0019);
    return false;
  }
  if (parse_hex(ctx, hex.text, &c.bytes) != 0) return false;
  const uint32_t length = c.param(kDataLength).unsigned_number;
  if (length > kMaxValueBuffer) {
    tool_error(ctx, TC0023);
    return false;
  }
  const bool differs = c.bytes.size() != length;
  c.bytes.resize(length, 0);
  echo_bytes(ctx, kBinaryValue, c.bytes.data(), c.bytes.size());
  if (differs) ctx.out.line("WARNING: Length of HEX string differs from data length");
  return true;
}

// FloatValue: a number as the section wrote it.
bool echo_float(Call& c, std::size_t k) {
  Value& v = c.v[k];
  if (v.given) {
    errno = 0;
    char* end = nullptr;
    const double d = std::strtod(v.text.c_str(), &end);
    if (v.text.empty() || *end || errno == ERANGE || !std::isfinite(d)) {
      tool_error(c.ctx, TC0007, v.text);
      return false;
    }
  }
  return echo_param(c, k);
}

double float_of(Call& c) { return std::strtod(c.param(kFloatValue).text.c_str(), nullptr); }

// The family's own echo of every row written with CONTAINER_ROW.
bool resolve_container(Call& c) {
  RunContext& ctx = c.ctx;
  const Row& row = c.row;
  if (takes_either(row)) {
    const bool ro = c.given(kReadOnlyContainerHdl), rw = c.given(kReadWriteContainerHdl);
    if (!ro && !rw) {
      tool_error(ctx, TC0008, "ReadOnlyContainerHdl or ReadWriteContainerHdl");
      return false;
    }
  }
  for (std::size_t k = 0; k < row.params.size(); ++k) {
    const Param& p = row.params[k];
    const bool skip = p.optional && !c.v[k].given &&
                      (p.keyword == kReadOnlyContainerHdl || p.keyword == kReadWriteContainerHdl ||
                       p.keyword == kStreamOutputFileSpec);
    if (skip) continue;
    // The stream's length, the current one, before the slot it goes to.
    if (p.keyword == kStreamHdl) echo(ctx, kStreamLength, std::to_string(ctx.stream_length));
    bool ok = true;
    if (p.keyword == kQualifiedName) echo_qualified_name(c, k);
    else if (p.keyword == kBinaryValue) ok = echo_binary(c, k);
    else if (p.keyword == kFloatValue) ok = echo_float(c, k);
    else ok = echo_param(c, k);
    if (!ok) return false;
    // A dump walks one container: both handles, once echoed, end it.
    if (p.keyword == kReadWriteContainerHdl && is_dump(row) && c.given(kReadOnlyContainerHdl)) {
      tool_error(ctx, TC0009);
      return false;
    }
    // The slot gets a zeroed buffer of the current stream length; the one it
    // held is freed.
    if (p.keyword == kStreamHdl &&
        (ctx.stream_length > kMaxValueBuffer || !ctx.reg.new_stream(c.v[k].number, ctx.stream_length))) {
      tool_error(ctx, TC0023);
      return false;
    }
  }
  return true;
}

// ---- Steps -----------------------------------------------------------------

void step_type(Call& c) { c.text = PvxjContainerType(container(c), c.buffer(), c.buffer_length()); }
void step_leaf_count(Call& c) { c.ulong_value = PvxjContainerLeafCount(container(c)); }
void step_all_leaf_count(Call& c) { c.ulong_value = PvxjContainerAllLeafCount(container(c)); }
void step_member_count(Call& c) { c.ulong_value = PvxjContainerMemberCount(container(c)); }
void step_leaves(Call& c) { c.object = from_api(PvxjContainerLeaves(container(c))); }
void step_all_leaves(Call& c) { c.object = from_api(PvxjContainerAllLeaves(container(c))); }
void step_struct_members(Call& c) { c.object = from_api(PvxjContainerStructMembers(container(c))); }

void step_get_element(Call& c) {
  const int k = index_of(c, kContainerElementHdl);
  c.rc = PvxjContainerGetElement(container(c), qualified_name(c), SlotProxy<PvxjContainerElement>(c.slot(static_cast<std::size_t>(k))));
}

void step_string_length(Call& c) {
  c.rc = PvxjContainerStringLength(container(c), qualified_name(c), &c.ulong_value);
}
void step_binary_length(Call& c) {
  c.rc = PvxjContainerBinaryLength(container(c), qualified_name(c), &c.ulong_value);
  c.ctx.binary_length = c.ulong_value;
}
void step_string_value(Call& c) {
  c.rc = PvxjContainerStringValue(container(c), qualified_name(c), c.buffer(), c.buffer_length());
  c.text = c.buffer();
}
void step_long_value(Call& c) { c.rc = PvxjContainerLongValue(container(c), qualified_name(c), &c.long_value); }
void step_float_value(Call& c) { c.rc = PvxjContainerFloatValue(container(c), qualified_name(c), &c.double_value); }

// The result buffer holds at least the length the binary report dumps.
void grow_for_binary(Call& c) {
  if (c.result_buffer.size() < c.ctx.binary_length && c.ctx.binary_length <= kMaxValueBuffer)
    c.result_buffer.resize(c.ctx.binary_length, '\0');
}

void step_binary_value(Call& c) {
  const uint32_t length = c.buffer_length();
  c.rc = PvxjContainerBinaryValue(container(c), qualified_name(c), reinterpret_cast<unsigned char*>(c.buffer()),
                                  length);
  grow_for_binary(c);
}
void step_array_string_length(Call& c) {
  c.rc = PvxjContainerArrayStringLength(container(c), qualified_name(c), array_index(c), &c.ulong_value);
}
void step_array_binary_length(Call& c) {
  c.rc = PvxjContainerArrayBinaryLength(container(c), qualified_name(c), array_index(c), &c.ulong_value);
  c.ctx.binary_length = c.ulong_value;
}
void step_array_string_value(Call& c) {
  c.rc = PvxjContainerArrayStringValue(container(c), qualified_name(c), array_index(c), c.buffer(),
                                       c.buffer_length());
  c.text = c.buffer();
}
void step_array_long_value(Call& c) {
  c.rc = PvxjContainerArrayLongValue(container(c), qualified_name(c), array_index(c), &c.long_value);
}
void step_array_float_value(Call& c) {
  c.rc = PvxjContainerArrayFloatValue(container(c), qualified_name(c), array_index(c), &c.double_value);
}
void step_array_binary_value(Call& c) {
  const uint32_t length = c.buffer_length();
  c.rc = PvxjContainerArrayBinaryValue(container(c), qualified_name(c), array_index(c),
                                       reinterpret_cast<unsigned char*>(c.buffer()), length);
  grow_for_binary(c);
}

void step_stream_length(Call& c) {
  c.ulong_value = PvxjContainerStreamLength(container(c));
  c.ctx.stream_length = c.ulong_value;
}

void step_as_stream(Call& c) {
  RunContext& ctx = c.ctx;
  const StreamSlot* s = ctx.reg.stream(c.param(kStreamHdl).number);
  // The buffer the section prepared in the slot, which the call fills.
  unsigned char* buffer = s ? const_cast<unsigned char*>(s->bytes.data()) : nullptr;
  c.flag = PvxjContainerAsStream(container(c), buffer, ctx.stream_length);
}

// AsStream: the stream in the dump form, written to the output file; NULL
// against XpValue when there is none.
void report_as_stream(Call& c) {
  RunContext& ctx = c.ctx;
  if (!c.flag) {
    check_text(ctx, kLabelValue, nullptr, c.xp_given ? std::string_view(c.xp_value) : kNoExpectedValue);
    return;
  }
  const StreamSlot* s = ctx.reg.stream(c.param(kStreamHdl).number);
  const uint32_t length = ctx.stream_length;
  ctx.out.write(kValueReportLine);
  hex_dump(ctx.out, s ? s->bytes.data() : nullptr, s ? length : 0);
  Value& file = c.param(kStreamOutputFileSpec);
  if (file.given && file.file && s) {
    fwrite(s->bytes.data(), 1, length, file.file.get());
    finish_output_file(ctx, file);
  }
}

void step_set_ccsid(Call& c) { c.rc = PvxjContainerSetStringCcsid(container(c), c.param(kCCSID).number); }

PvxjReadWriteContainer target(Call& c) { return handle_of(c, kReadWriteContainerHdl); }
const unsigned char* bytes(Call& c) { return c.no_bytes ? nullptr : c.bytes.data(); }
uint32_t data_length(Call& c) { return c.param(kDataLength).unsigned_number; }

void step_set_string(Call& c) {
  c.rc = PvxjReadWriteContainerSetStringValue(target(c), qualified_name(c), c.s(static_cast<std::size_t>(index_of(c, kStringValue))));
}
void step_set_long(Call& c) {
  c.rc = PvxjReadWriteContainerSetLongValue(target(c), qualified_name(c), c.param(kLongValue).number);
}
void step_set_float(Call& c) { c.rc = PvxjReadWriteContainerSetFloatValue(target(c), qualified_name(c), float_of(c)); }
void step_set_binary(Call& c) {
  c.rc = PvxjReadWriteContainerSetBinaryValue(target(c), qualified_name(c), bytes(c), data_length(c));
}
void step_set_array_string(Call& c) {
  c.rc = PvxjReadWriteContainerSetArrayStringValue(target(c), qualified_name(c), array_index(c),
                                                   c.s(static_cast<std::size_t>(index_of(c, kStringValue))));
}
void step_set_array_long(Call& c) {
  c.rc = PvxjReadWriteContainerSetArrayLongValue(target(c), qualified_name(c), array_index(c),
                                                 c.param(kLongValue).number);
}
void step_set_array_float(Call& c) {
  c.rc = PvxjReadWriteContainerSetArrayFloatValue(target(c), qualified_name(c), array_index(c), float_of(c));
}
void step_set_array_binary(Call& c) {
  c.rc = PvxjReadWriteContainerSetArrayBinaryValue(target(c), qualified_name(c), array_index(c), bytes(c),
                                                   data_length(c));
}

// ---- Dump and copy -----------------------------------------------------------

constexpr std::string_view kNotSet = " (not set)";

// The code of the last call that returned a value, from the thread's result.
struct Walk {
  RunContext& ctx;
  PvxjResult result = PvxjResultObjectOfCurrentThread();
  // The result object holds the result of when it was fetched: fetched
  // again (the thread keeps one handle), it holds the last call's.
  int32_t rc() {
    result = PvxjResultObjectOfCurrentThread();
    return PvxjResultRc(result);
  }
  // A code other than 0: the RC report against PVX_OK.
  bool failed(int32_t code) {
    if (code == 0) return false;
    check_rc(ctx, static_cast<uint32_t>(code), "PVX_OK");
    return true;
  }
};

std::string text_of(const char* got, std::size_t size) {
  return got ? std::string(got, strnlen(got, size)) : std::string();
}

std::string type_name(PvxjContainerElement e) {
  char type[256] = {};
  return text_of(PvxjContainerElementType(e, type, sizeof type), sizeof type);
}

std::string element_name(PvxjContainerElement e, bool full) {
  char name[512] = {};
  const std::size_t size = full ? 512 : 256;
  return text_of(full ? PvxjContainerElementFullName(e, name, size) : PvxjContainerElementName(e, name, size), size);
}

bool simple(const std::string& type) { return type == "STRING" || type == "LONG" || type == "FLOAT" || type == "BINARY"; }

// A failing value function: its text, then the RC report.
void value_error(Walk& w, int32_t rc, std::string_view function) {
  if (rc == PVX_ERROR_MEMBER_NOT_SET) {
    w.ctx.out.line(kNotSet);
    return;
  }
  w.ctx.out.write(" ");
  w.ctx.out.write(function);
  w.ctx.out.line("() returned error code !");
  w.failed(rc);
}

void unknown_simple(RunContext& ctx, const std::string& type) {
  ctx.out.write("  ");
  ctx.out.write(type);
  ctx.out.line(" : UNKNOWN SIMPLE DATATYP");
  ctx.out.line("+++ERROR+++");
  ctx.error_flag = true;
}

// The rest of a leaf line after its name.
void leaf_line(Walk& w, PvxjContainerElement e, const std::string& type) {
  RunContext& ctx = w.ctx;
  if (type == "STRING") {
    ctx.out.write(" : STRING = ");
    uint32_t length = 0;
    int32_t rc = PvxjContainerElementStringLength(e, &length);
    if (rc) return value_error(w, rc, "PvxjContainerElementStringLength");
    std::vector<char> buf(static_cast<std::size_t>(length) + 1, '\0');
    rc = PvxjContainerElementStringValue(e, buf.data(), length + 1);
    if (rc) return value_error(w, rc, "PvxjContainerElementStringValue");
    ctx.out.write("\"");
    ctx.out.write(std::string_view(buf.data(), strnlen(buf.data(), buf.size())));
    ctx.out.line("\"");
  } else if (type == "LONG") {
    ctx.out.write(" : LONG = ");
    int32_t v = 0;
    if (int32_t rc = PvxjContainerElementLongValue(e, &v)) return value_error(w, rc, "PvxjContainerElementLongValue");
    ctx.out.write_i64(v);
    ctx.out.end_line();
  } else if (type == "FLOAT") {
    ctx.out.write(" : FLOAT = ");
    double v = 0;
    if (int32_t rc = PvxjContainerElementFloatValue(e, &v)) return value_error(w, rc, "PvxjContainerElementFloatValue");
    ctx.out.write_double(v);
    ctx.out.end_line();
  } else if (type == "BINARY") {
    ctx.out.write(" : BINARY = ");
    uint32_t length = 0;
    int32_t rc = PvxjContainerElementBinaryLength(e, &length);
    if (rc) return value_error(w, rc, "PvxjContainerElementBinaryLength");
    if (length > kMaxValueBuffer) return value_error(w, PVX_ERROR_BUFFER, "PvxjContainerElementBinaryLength");
    std::vector<unsigned char> buf(std::max<uint32_t>(length, 1), 0);
    rc = PvxjContainerElementBinaryValue(e, buf.data(), length);
    if (rc) return value_error(w, rc, "PvxjContainerElementBinaryValue");
    ctx.out.write("(Length of binary data: ");
    ctx.out.write_u32(length);
    ctx.out.write(" byte)");
    hex_dump(ctx.out, buf.data(), length);
  } else {
    unknown_simple(ctx, type);
  }
}

void write_indent(RunContext& ctx, int level) {
  for (int i = 0; i < level; ++i) ctx.out.write("   ");
}

void tree_walk(Walk& w, int level, PvxjContainerElementVector vec, int depth = 0) {
  RunContext& ctx = w.ctx;
  const uint32_t size = PvxjContainerElementVectorSize(vec);
  for (uint32_t i = 0; i < size; ++i) {
    PvxjContainerElement e = i == 0 ? PvxjContainerElementVectorFirstElement(vec) : PvxjContainerElementVectorNextElement(vec);
    if (!e) break;
    const std::string name = element_name(e, false);
    const std::string type = type_name(e);
    write_indent(ctx, level);
    ctx.out.write(name);
    if (PvxjContainerElementIsLeaf(e)) {
      leaf_line(w, e, type);
    } else if (PvxjContainerElementIsArray(e)) {
      ctx.out.write(" : ARRAY[ ArraySize=");
      ctx.out.write_u32(PvxjContainerElementCardinality(e));
      ctx.out.write("] OF ");
      if (!simple(type)) ctx.out.write("STRUCT ");
      ctx.out.line(type);
      PvxjContainerElementVector inner = PvxjContainerElementArrayElements(e);
      if (depth < 64) tree_walk(w, level + 1, inner, depth + 1);
      PvxjContainerElementVectorDeallocate(&inner);
    } else if (PvxjContainerElementIsStruct(e)) {
      ctx.out.write(" : STRUCT ");
      ctx.out.line(type);
      PvxjContainerElementVector inner = PvxjContainerElementStructMembers(e);
      if (depth < 64) tree_walk(w, level + 1, inner, depth + 1);
      PvxjContainerElementVectorDeallocate(&inner);
    } else {
      ctx.out.write("  ");
      ctx.out.write(type);
      ctx.out.line(" : UNKNOWN STRUCTURE TYP");
      ctx.out.line("+++ERROR+++");
      ctx.error_flag = true;
    }
    PvxjContainerElementDeallocate(&e);
  }
}

void begin(RunContext& ctx, bool dump) {
  ctx.out.line(kValueReportLine);
  ctx.out.line(dump ? "--- begin of container-dump ------------------------------------------------"
                    : "--- begin of copy ----------------------------------------------------------");
}

constexpr std::string_view kDumpEnd = "--- end of container dump --------------------------------------------------";
constexpr std::string_view kCopyEnd = "--- end of copy ------------------------------------------------------------";

// "Container type : " and the type; false when the call failed.
bool type_line(Walk& w, PvxjContainer c) {
  char type[256] = {};
  const char* got = PvxjContainerType(c, type, sizeof type);
  w.ctx.out.write("Container type : ");
  w.ctx.out.line(got ? text_of(got, sizeof type) : std::string("NULL"));
  return !w.failed(w.rc());
}

bool include_predefined(Call& c) { return c.param(kIncludePredefinedDataStructures).number != 0; }

void step_dump(Call& c) {
  RunContext& ctx = c.ctx;
  begin(ctx, true);
  Walk w{ctx};
  const PvxjContainer cont = container(c);
  if (!type_line(w, cont)) return;
  const bool all = include_predefined(c);
  const uint32_t count = all ? PvxjContainerAllLeafCount(cont) : PvxjContainerLeafCount(cont);
  PvxjContainerElementVector vec = all ? PvxjContainerAllLeaves(cont) : PvxjContainerLeaves(cont);
  for (uint32_t i = 0; i < count && vec; ++i) {
    PvxjContainerElement e = i == 0 ? PvxjContainerElementVectorFirstElement(vec) : PvxjContainerElementVectorNextElement(vec);
    if (!e) break;
    const std::string name = element_name(e, true);
    const std::string type = type_name(e);
    ctx.out.write(name);
    leaf_line(w, e, type);
    PvxjContainerElementDeallocate(&e);
  }
  if (w.failed(PvxjContainerElementVectorDeallocate(&vec))) return;
  ctx.out.line(kDumpEnd);
}

void predefined_line(Walk& w, PvxjContainer c, std::string_view prefix, const char* member, bool number) {
  RunContext& ctx = w.ctx;
  ctx.out.write(prefix);
  int32_t rc;
  if (number) {
    int32_t v = 0;
    rc = PvxjContainerLongValue(c, member, &v);
    if (rc == 0) {
      ctx.out.write_i64(v);
      ctx.out.end_line();
      return;
    }
  } else {
    std::vector<char> buf(4096, '\0');
    rc = PvxjContainerStringValue(c, member, buf.data(), static_cast<uint32_t>(buf.size()));
    if (rc == 0) {
      ctx.out.line(std::string_view(buf.data(), strnlen(buf.data(), buf.size())));
      return;
    }
  }
  if (rc == PVX_ERROR_MEMBER_NOT_SET) {
    ctx.out.line("(not set)");
  } else if (rc == PVX_ERROR_MEMBER_NOT_FOUND && std::strcmp(member, "_RC") == 0) {
    ctx.out.line("The member _RC was not found.");
    ctx.out.line("   In an output container dump is this an error,");
    ctx.out.line("   for an input container is it OK.");
  } else {
    ctx.out.end_line();
    w.failed(rc);
  }
}

void predefined_blocks(Walk& w, PvxjContainer c) {
  RunContext& ctx = w.ctx;
  struct Line {
    std::string_view prefix;
    const char* member;
    bool number;
  };
  static const Line kFixed[] = {
      {"   _ACTIVITY      : STRING  =  ", "_ACTIVITY", false},
      {"   _RC            : LONG    =  ", "_RC", true},
      {"   _PROCESS       : STRING  =  ", "_PROCESS", false},
      {"   _PROCESS_MODEL : STRING  =  ", "_PROCESS_MODEL", false}};
  static const Line kProcess[] = {
      {"   _PROCESS_INFO.Role : STRING                 =  ", "_PROCESS_INFO.Role", false},
      {"   _PROCESS_INFO.Organization : STRING         =  ", "_PROCESS_INFO.Organization", false},
      {"   _PROCESS_INFO.ProcessAdministrator : STRING =  ", "_PROCESS_INFO.ProcessAdministrator", false},
      {"   _PROCESS_INFO.Duration : LONG               =  ", "_PROCESS_INFO.Duration", true}};
  static const Line kActivity[] = {
      {"   _ACTIVITY_INFO.MembersOfRoles : STRING      =  ", "_ACTIVITY_INFO.MembersOfRoles", false},
      {"   _ACTIVITY_INFO.CoordinatorOfRole : STRING   =  ", "_ACTIVITY_INFO.CoordinatorOfRole", false},
      {"   _ACTIVITY_INFO.Organization : STRING        =  ", "_ACTIVITY_INFO.Organization", false},
      {"   _ACTIVITY_INFO.OrganizationType : LONG      =  ", "_ACTIVITY_INFO.OrganizationType", true},
      {"   _ACTIVITY_INFO.LowerLevel : LONG            =  ", "_ACTIVITY_INFO.LowerLevel", true},
      {"   _ACTIVITY_INFO.UpperLevel : LONG            =  ", "_ACTIVITY_INFO.UpperLevel", true},
      {"   _ACTIVITY_INFO.People : STRING              =  ", "_ACTIVITY_INFO.People", false},
      {"   _ACTIVITY_INFO.PersonToNotify : STRING      =  ", "_ACTIVITY_INFO.PersonToNotify", false},
      {"   _ACTIVITY_INFO.Duration : LONG              =  ", "_ACTIVITY_INFO.Duration", true},
      {"   _ACTIVITY_INFO.Duration2 : LONG             =  ", "_ACTIVITY_INFO.Duration2", true},
      {"   _ACTIVITY_INFO.Priority : LONG              =  ", "_ACTIVITY_INFO.Priority", true}};
  ctx.out.line("Fixed data members:");
  for (const Line& l : kFixed) predefined_line(w, c, l.prefix, l.member, l.number);
  ctx.out.line("Process information data members:");
  for (const Line& l : kProcess) predefined_line(w, c, l.prefix, l.member, l.number);
  ctx.out.line("Activity information data members:");
  for (const Line& l : kActivity) predefined_line(w, c, l.prefix, l.member, l.number);
}

void step_dump_2(Call& c) {
  RunContext& ctx = c.ctx;
  begin(ctx, true);
  Walk w{ctx};
  const PvxjContainer cont = container(c);
  if (include_predefined(c)) predefined_blocks(w, cont);
  if (!type_line(w, cont)) return;
  PvxjContainerElementVector vec = PvxjContainerStructMembers(cont);
  tree_walk(w, 1, vec);
  PvxjContainerElementVectorDeallocate(&vec);
  ctx.out.line(kDumpEnd);
}

// Both containers' types, and the same; false ends the copy.
bool same_types(Walk& w, PvxjContainer from, PvxjContainer to) {
  char a[256] = {}, b[256] = {};
  const char* ga = PvxjContainerType(from, a, sizeof a);
  if (w.failed(w.rc())) return false;
  const char* gb = PvxjContainerType(to, b, sizeof b);
  if (w.failed(w.rc())) return false;
  if (text_of(ga, sizeof a) != text_of(gb, sizeof b) || !ga != !gb) {
    w.ctx.out.line(" CONTAINERS ARE OF DIFFERENT TYP");
    w.ctx.out.line("+++ERROR+++");
    w.ctx.error_flag = true;
    return false;
  }
  return true;
}

// A leaf's value set into the target under `name`: 0, the failing code
// (*function names the function), or 1 for an unknown type.
int32_t copy_leaf(PvxjContainerElement e, const std::string& type, PvxjReadWriteContainer to, const std::string& name,
                  std::string* function) {
  int32_t rc;
  if (type == "STRING") {
    uint32_t length = 0;
    *function = "PvxjContainerElementStringLength";
    if ((rc = PvxjContainerElementStringLength(e, &length))) return rc;
    std::vector<char> buf(static_cast<std::size_t>(length) + 1, '\0');
    *function = "PvxjContainerElementStringValue";
    if ((rc = PvxjContainerElementStringValue(e, buf.data(), length + 1))) return rc;
    *function = "PvxjReadWriteContainerSetStringValue";
    return PvxjReadWriteContainerSetStringValue(to, name.c_str(), buf.data());
  }
  if (type == "LONG") {
    int32_t v = 0;
    *function = "PvxjContainerElementLongValue";
    if ((rc = PvxjContainerElementLongValue(e, &v))) return rc;
    *function = "PvxjReadWriteContainerSetLongValue";
    return PvxjReadWriteContainerSetLongValue(to, name.c_str(), v);
  }
  if (type == "FLOAT") {
    double v = 0;
    *function = "PvxjContainerElementFloatValue";
    if ((rc = PvxjContainerElementFloatValue(e, &v))) return rc;
    *function = "PvxjReadWriteContainerSetFloatValue";
    return PvxjReadWriteContainerSetFloatValue(to, name.c_str(), v);
  }
  if (type == "BINARY") {
    uint32_t length = 0;
    *function = "PvxjContainerElementBinaryLength";
    if ((rc = PvxjContainerElementBinaryLength(e, &length))) return rc;
    if (length > kMaxValueBuffer) return PVX_ERROR_BUFFER;
    std::vector<unsigned char> buf(std::max<uint32_t>(length, 1), 0);
    *function = "PvxjContainerElementBinaryValue";
    if ((rc = PvxjContainerElementBinaryValue(e, buf.data(), length))) return rc;
    *function = "PvxjReadWriteContainerSetBinaryValue";
    return PvxjReadWriteContainerSetBinaryValue(to, name.c_str(), buf.data(), length);
  }
  function->clear();
  return 1;
}

void copy_walk(Walk& w, PvxjContainerElementVector vec, const std::string& prefix, PvxjReadWriteContainer to,
               int depth = 0) {
  RunContext& ctx = w.ctx;
  const uint32_t size = PvxjContainerElementVectorSize(vec);
  for (uint32_t i = 0; i < size; ++i) {
    PvxjContainerElement e = i == 0 ? PvxjContainerElementVectorFirstElement(vec) : PvxjContainerElementVectorNextElement(vec);
    if (!e) break;
    const std::string own = element_name(e, false);
    const std::string name = prefix.empty() ? own : prefix + "." + own;
    const std::string type = type_name(e);
    if (PvxjContainerElementIsLeaf(e)) {
      std::string function;
      const int32_t rc = copy_leaf(e, type, to, name, &function);
      if (rc == 1 && function.empty()) {
        unknown_simple(ctx, type);
      } else if (rc == PVX_ERROR_MEMBER_NOT_SET && function.rfind("PvxjContainerElement", 0) == 0) {
        // Nothing to copy: the member was never written.
      } else if (rc && function.rfind("PvxjReadWrite", 0) == 0) {
        ctx.out.line(function + "() with parameter QualifiedName = \"" + name + "\", returned error code !");
        w.failed(rc);
      } else if (rc) {
        ctx.out.line(" " + function + "() returned error code !");
        w.failed(rc);
      }
    } else if (PvxjContainerElementIsArray(e) || PvxjContainerElementIsStruct(e)) {
      PvxjContainerElementVector inner = PvxjContainerElementIsArray(e) ? PvxjContainerElementArrayElements(e)
                                                                        : PvxjContainerElementStructMembers(e);
      if (depth < 64) copy_walk(w, inner, name, to, depth + 1);
      PvxjContainerElementVectorDeallocate(&inner);
    } else {
      ctx.out.write(name);
      ctx.out.write("  ");
      ctx.out.write(type);
      ctx.out.line(" : UNKNOWN STRUCTURE TYP");
      ctx.out.line("+++ERROR+++");
      ctx.error_flag = true;
    }
    PvxjContainerElementDeallocate(&e);
  }
}

void step_copy(Call& c) {
  RunContext& ctx = c.ctx;
  begin(ctx, false);
  Walk w{ctx};
  const PvxjContainer from = to_api<PvxjReadOnlyContainer>(handle_of(c, kReadOnlyContainerHdl));
  const PvxjReadWriteContainer to = to_api<PvxjReadWriteContainer>(handle_of(c, kReadWriteContainerHdl));
  if (!same_types(w, from, to)) return;
  PvxjContainerElementVector vec = PvxjContainerStructMembers(from);
  copy_walk(w, vec, "", to);
  PvxjContainerElementVectorDeallocate(&vec);
  ctx.out.line(kCopyEnd);
}

void step_copy_2(Call& c) {
  RunContext& ctx = c.ctx;
  begin(ctx, false);
  Walk w{ctx};
  const PvxjContainer from = to_api<PvxjReadOnlyContainer>(handle_of(c, kReadOnlyContainerHdl));
  const PvxjReadWriteContainer to = to_api<PvxjReadWriteContainer>(handle_of(c, kReadWriteContainerHdl));
  if (!same_types(w, from, to)) return;
  const uint32_t count = PvxjContainerAllLeafCount(from);
  if (w.failed(w.rc())) return;
  PvxjContainerElementVector vec = PvxjContainerAllLeaves(from);
  if (w.failed(w.rc())) return;
  for (uint32_t i = 0; i < count; ++i) {
    PvxjContainerElement e = i == 0 ? PvxjContainerElementVectorFirstElement(vec) : PvxjContainerElementVectorNextElement(vec);
    if (!e) break;
    char type[33] = {}, full[513] = {};
    const std::string t = text_of(PvxjContainerElementType(e, type, sizeof type), sizeof type);
    const std::string name = text_of(PvxjContainerElementFullName(e, full, sizeof full), sizeof full);
    int32_t rc = 0;
    if (name != "_ACTIVITY" && name != "_PROCESS" && name != "_PROCESS_MODEL" && name != "_RC") {
      std::string function;
      rc = copy_leaf(e, t, to, name, &function);
      if (rc == PVX_ERROR_MEMBER_NOT_SET) rc = 0;
    }
    PvxjContainerElementDeallocate(&e);
    if (w.failed(rc)) break;
  }
  PvxjContainerElementVectorDeallocate(&vec);
  ctx.out.line(kCopyEnd);
}

// ---- Rows --------------------------------------------------------------------

// The program identifier in its own forms (as the PEA family reads it).
bool resolve_program(Call& c) {
  for (std::size_t k = 0; k < c.row.params.size(); ++k) {
    const int kw = c.row.params[k].keyword;
    if (kw == kProgramIdInputFileSpec) continue;
    if (!(kw == kProgramID ? echo_program_id(c) : echo_param(c, k))) return false;
  }
  return true;
}

constexpr After report_of(Invoke fn) {
  if (fn == &step_binary_value || fn == &step_array_binary_value) return &report_binary;
  if (fn == &step_as_stream) return &report_as_stream;
  return nullptr;
}

constexpr Hook kHooks[] = {
#define CONTAINER_ROW(kw, fn, ...) {::kr::k##kw, resolve_container, nullptr, report_of(&fn)},
#include "api/container.def"
#undef CONTAINER_ROW
    {kPvxjContainerRemoteInContainer, resolve_program},
    {kPvxjContainerRemoteOutContainer, resolve_program},
    {kPvxjContainerSetRemoteOutContainer, resolve_program},
};

constexpr Row kRows[] = {
#include "api/container.def"
};

}  // namespace

// QualifiedName: NULL, DEFAULT (the last retrieved full name) or a text.
void echo_qualified_name(Call& c, std::size_t k) {
  RunContext& ctx = c.ctx;
  Value& v = c.v[k];
  if (!v.given || v.null) {
    v.null = true;
    echo(ctx, kQualifiedName, "NULL");
    return;
  }
  if (v.is_default) {
    v.text = ctx.last_full_name;
    echo(ctx, kQualifiedName, "\"" + v.text + "\"  (DEFAULT: last retrieved full name)");
    return;
  }
  echo(ctx, kQualifiedName, "\"" + v.text + "\"");
}

// The binary Value report of the result buffer against the XpValue hex text.
void report_binary(Call& c) {
  RunContext& ctx = c.ctx;
  std::vector<unsigned char> expected;
  std::string_view xp = kNoExpectedValue;
  if (c.xp_given) {
    if (c.xp_value.size() >= 4 && iequals(std::string_view(c.xp_value).substr(0, 4), "NULL")) {
      xp = c.xp_value;
    } else {
      if (parse_hex(ctx, c.xp_value, &expected) != 0) return;
      xp = std::string_view(reinterpret_cast<const char*>(expected.data()), expected.size());
    }
  }
  // The report dumps the length of the last ...BinaryLength call: never more
  // than the buffer holds.
  if (c.result_buffer.size() < ctx.binary_length) {
    tool_error(ctx, TC0023);
    return;
  }
  check_binary(ctx, kLabelValue, ctx.binary_length, reinterpret_cast<const unsigned char*>(c.buffer()), xp);
}

FAMILY(container_family, "PvxjContainer", kPVXJCONTAINER, kPVXJREADONLYCONTAINER, kPVXJREADWRITECONTAINER)

}  // namespace kr::api
