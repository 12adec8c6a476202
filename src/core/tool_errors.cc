#include "core/tool_errors.h"

#include <cstring>
#include <string>

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/location.h"
#include "core/run_context.h"

namespace kr {
namespace {

enum class Consequence { kAbandon, kReport, kStop, kFatal };

struct Entry {
  int code;
  std::string_view tc;
  std::string_view message;
  Consequence cls;
  bool console_only = false;   // the result file gets only the report line
  bool error_mark = false;     // also "+++ERROR+++" in the result file
  bool sets_break = false;
  std::string_view second_line = {};
};

constexpr std::string_view kOpenOutput =
    "============ Can not open output file ======================================";

constexpr Entry kCatalogue[] = {
    {TC0001, "TC0001", "Can not open input file:  ", Consequence::kFatal},
    {TC0002, "TC0002", kOpenOutput, Consequence::kFatal, true},
    {TC0003, "TC0003", "Can not open input file:  ", Consequence::kFatal},
    {TC0004, "TC0004", kOpenOutput, Consequence::kFatal, true},
    {TC0005, "TC0005", "Input file empty", Consequence::kFatal, false, true, true},
    {TC0006, "TC0006", "Unknown API method: ", Consequence::kAbandon},
    {TC0007, "TC0007", "Unknown parameter:  ", Consequence::kAbandon},
    {TC0008, "TC0008", "Missing parameter:  ", Consequence::kAbandon},
    {TC0009, "TC0009", "Invalid parameter combination", Consequence::kAbandon},
    {TC0010, "TC0010", "Unknown keyword or parameter:  ", Consequence::kAbandon},
    {TC0011, "TC0011", "Invalid handle:  ", Consequence::kAbandon},
    {TC0012, "TC0012", "Invalid enumeration parameter keyword:  ", Consequence::kAbandon},
    {TC0013, "TC0013", "Invalid PID index", Consequence::kFatal, false, true},
    {TC0014, "TC0014", "Invalid or missing Flag", Consequence::kFatal},
    {TC0015, "TC0015", "Handle out of limit: ", Consequence::kAbandon},
    {TC0016, "TC0016", "Parameter \"ALL\" (...VectorHdl) is invalid in this context", Consequence::kAbandon},
    {TC0017, "TC0017", "Invalid object: ", Consequence::kAbandon},
    {TC0018, "TC0018", "Length of BINARY data is not specified.", Consequence::kAbandon, false, false, false,
     "==> Invoke Pvxj...BinaryLength() API before."},
    {TC0019, "TC0019", "Length of BINARY data is not specified.", Consequence::kAbandon, false, false, false,
     "==> Specify parameter \"DataLength\" first."},
    {TC0020, "TC0020", "A delimiter '\"' (double quote) of a parameter string is missing", Consequence::kAbandon},
    {TC0021, "TC0021", "Missing command line parameter:  ", Consequence::kReport},
    {TC0022, "TC0022", "Comment END \"*/\" not found", Consequence::kStop},
    {TC0023, "TC0023", "Out of resources", Consequence::kFatal, false, true, true},
    {TC0024, "TC0024", "If statement: ", Consequence::kReport, false, true},
    {TC0031, "TC0031", "Hex string ends with a half byte.", Consequence::kAbandon},
    {TC0032, "TC0032", "Hex string contains a unkown char: ", Consequence::kAbandon},
};

const Entry* find(int code) {
  for (const Entry& e : kCatalogue)
    if (e.code == code) return &e;
  return nullptr;
}

bool is_end(std::string_view tok) { return iequals(tok, "End"); }

}  // namespace

void abandon_section(RunContext& ctx) {
  if (!is_end(ctx.cur)) {
    for (;;) {
      std::string_view tok = ctx.in.token();
      ++ctx.slot_index;
      ctx.cur.assign(tok);
      if (tok.empty() || tok[0] == kEofMark) {
        std::string line = "Keyword \"";
        line.append(keyword_text(kEnd));
        line.append("\" not found. EOF?");
        ctx.out.line(line);
        break;
      }
      if (is_end(tok)) break;
    }
  }
  ctx.out.line(kBreakLine);
  ctx.err.line(kBreakLine);
}

void write_failure(RunContext& ctx, std::string_view file, int error) {
  std::string msg = "Can not write file:  ";
  msg.append(file).append("  (").append(std::strerror(error)).append(")");
  ctx.error_flag = true;
  if (!ctx.out.error()) {
    ctx.out.line(kReportLine);
    ctx.out.line(msg);
    ctx.out.flush();
  }
  ctx.err.line("");
  ctx.err.line(msg);
  ctx.err.flush();
  throw FatalExit{1};
}

void tool_error(RunContext& ctx, int code, std::string_view text) {
  // A refused token can be as long as the file: the message shows its start.
  constexpr std::size_t kMaxShown = 1024;
  std::string shortened;
  if (text.size() > kMaxShown) {
    shortened.assign(text.substr(0, kMaxShown)).append("...");
    text = shortened;
  }
  const Entry* e = find(code);
  std::string msg, second;
  if (e) {
    msg.append(e->tc).append("  TC ERROR:  ").append(e->message).append(text);
    if (!e->second_line.empty()) second.append(8, ' ').append("TC ERROR:  ").append(e->second_line);
  } else {
    msg.append("TC1000  TC ERROR:  Unknown Error with enumeration value: ").append(std::to_string(code));
  }

  ctx.out.line(kReportLine);
  ctx.error_flag = true;
  ctx.err.line("");
  ctx.err.line(ctx.cl.lines ? error_location(ctx) + ": " + msg : msg);
  if (!second.empty()) ctx.err.line(second);
  if (!e || !e->console_only) {
    ctx.out.line(msg);
    if (!second.empty()) ctx.out.line(second);
  }

  const Consequence cls = e ? e->cls : Consequence::kAbandon;
  if (e && e->error_mark) ctx.out.line("+++ERROR+++");
  if (e && e->sets_break) ctx.break_flag = true;
  switch (cls) {
    case Consequence::kAbandon:
      abandon_section(ctx);
      break;
    case Consequence::kReport:
      break;
    case Consequence::kStop:
      ctx.out.line("+++ERROR+++");
      ctx.break_flag = true;
      break;
    case Consequence::kFatal:
      if (code == TC0005) {
        ctx.out.line(kVerdictBreak);
        ctx.err.line(kVerdictBreak);
      }
      ctx.flush();
      throw FatalExit{1};
  }
}

}  // namespace kr
