#include "driver/driver.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/class_lookup.h"
#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "driver/junit.h"
#include "eval/cleanup.h"
#include "record/recorder.h"

namespace kr {
namespace {

}  // namespace


namespace {

void write_header(RunContext& ctx) {
  const CommandLineSettings& s = ctx.cl;
  ctx.out.line("C API Test Tool for Altaris v340 Windows 9x/NT/2000/XP: " + upper_ascii(s.program));
  ctx.out.line("Test case: " + upper_ascii(s.test_case_name));
  ctx.out.line(date_line());
  if (s.dump) {
    ctx.out.line(kSeparator);
    write_argument_dump(s, ctx.out, false);
  }
  ctx.out.line(kSeparator);
}

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Skips a block of tokens up to and including `closing` (or the end of input).
void skip_block(RunContext& ctx, std::string_view closing) {
  for (;;) {
    std::string_view t = ctx.in.token();
    if (t.empty() || iequals(t, closing)) return;
  }
}

// A comment opened by `first`: discard tokens through the one holding "*/".
void skip_comment(RunContext& ctx, std::string_view first) {
  if (first.find("*/") != std::string_view::npos) return;
  for (;;) {
    std::string_view t = ctx.in.token();
    ctx.cur.assign(t);
    if (t.empty() || t[0] == kEofMark || t.find("/*") != std::string_view::npos) {
      tool_error(ctx, TC0022);
      return;
    }
    if (t.find("*/") != std::string_view::npos) return;
  }
}

// One top-level token; returns whether it leaves no separator before the next.
bool dispatch(RunContext& ctx, std::string_view tok) {
  if (tok.size() > kMaxKeywordLength && !starts_with(tok, "/*")) {
    tool_error(ctx, TC0010, tok);
    return false;
  }
  // A known keyword's class is looked up once; an unknown token by its prefix.
  const int id = keyword_id(tok);
  const int cls = id ? class_of_keyword(id) : class_of(tok);
  if (cls == kSkipTagClass) {
    switch (id) {
      case kNOT_C_Open: skip_block(ctx, "</NOT_C>"); break;
      case kNOT_WORKSTATION_Open: skip_block(ctx, "</NOT_WORKSTATION>"); break;
      case kNOT_C_Close: case kNOT_CPP_Open: case kNOT_CPP_Close: case kNOT_JAVA_Open:
      case kNOT_JAVA_Close: case kNOT_X_Open: case kNOT_X_Close: case kNOT_VB_Open:
      case kNOT_VB_Close: case kNOT_VANTOR_Open: case kNOT_VANTOR_Close:
      case kNOT_VANTORTPX_Open: case kNOT_VANTORTPX_Close: case kNOT_WORKSTATION_Close:
        break;
      default:
        tool_error(ctx, TC0006, tok);
    }
    return true;
  }
  if (cls == kEnd) return true;
  if (Handler h = handler_for_class(cls)) {
    ctx.keyword_id = id;
    h(ctx);
    return false;
  }
  if (starts_with(tok, "/*")) {
    skip_comment(ctx, tok);
    return true;
  }
  tool_error(ctx, TC0006, tok);
  return false;
}

void write_elapsed(Sink& out, std::string_view prefix, uint32_t ms, std::string_view suffix) {
  out.write(prefix);
  out.write_u32(ms);
  out.write(suffix);
}

int run(RunContext& ctx) {
  write_header(ctx);
  ctx.reg.reset();
  ctx.slot_index = 0;
  ctx.keyword_start = 0;
  std::string_view tok = ctx.in.token();
  if (tok.empty()) tool_error(ctx, TC0005);
  ctx.loop.reset();
  ctx.loop.start_pos = 0;
  ctx.timing.clear();
  ctx.out.line("+++> ");
  ctx.run_start_tick = tick_ms();

  bool no_separator = false;
  while (!tok.empty() && tok[0] != kEofMark) {
    ctx.keyword.assign(tok);
    ctx.cur.assign(tok);
    if (ctx.timing.print_api_name) ctx.section_name.assign(tok);
    if (!no_separator) {
      ctx.out.line(kSeparator);
      if (ctx.timing.section) {
        ctx.out.write("===> ");
        if (ctx.timing.timestamp) ctx.out.write(time_stamp());
        ctx.out.end_line();
        ctx.section_start_tick = tick_ms();
      }
    }
    if (ctx.junit) ctx.junit->begin(ctx);
    if (ctx.recorder) ctx.recorder->begin(ctx);
    no_separator = dispatch(ctx, tok);
    if (ctx.junit) ctx.junit->end(ctx, no_separator);
    if (ctx.timing.section && !no_separator) {
      write_elapsed(ctx.out, "===> ", tick_ms() - ctx.section_start_tick, " ms  ");
      ctx.out.line(ctx.section_name);
      ctx.section_name.clear();
    }
    if (ctx.break_flag) break;
    ctx.slot_index = 0;
    ctx.keyword_id = 0;
    ctx.keyword_start = ctx.in.pos();
    tok = ctx.in.token();
  }

  run_cleanup(ctx);
  if (ctx.timing.testcase) {
    write_elapsed(ctx.out, "+++> ", tick_ms() - ctx.run_start_tick, " ms");
    ctx.out.end_line();
  }
  std::string_view verdict = ctx.break_flag ? kVerdictBreak : ctx.error_flag ? kVerdictErrors : kVerdictNormal;
  int code = ctx.break_flag ? 12 : ctx.error_flag ? 8 : 0;
  ctx.out.line(verdict);
  ctx.flush();  // a result file that could not be written gets no verdict
  ctx.err.line(verdict);
  if (ctx.user_rc_set) code = ctx.user_rc;
  ctx.flush();
  return code;
}

// The JUnit results, written whatever way the run ended.
int with_junit(RunContext& ctx, int code, bool fatal) {
  if (!ctx.junit) return code;
  ctx.junit->finish(ctx, code, fatal);
  if (int error = ctx.junit->write(ctx.cl.junit_file)) {
    // Ends as a result file that cannot be written does: a batch job must
    // not take the run's results as delivered.
    ctx.err.line("");
    ctx.err.line("Can not write file:  " + ctx.cl.junit_file + "  (" + std::strerror(error) + ")");
    ctx.err.flush();
    return 1;
  }
  return code;
}

}  // namespace

int run_test_case(const CommandLineSettings& settings, Sink& console) {
  RunContext ctx(settings, console);
  JunitRecorder junit(settings.input_file);
  if (!settings.junit_file.empty()) ctx.junit = &junit;
  Recorder recorder({settings.record_file, settings.record_all, settings.record_volatile});
  if (!settings.record_file.empty()) ctx.recorder = &recorder;
  std::string original;
  try {
    std::string data;
    switch (read_test_case_file(settings.input_file, &data)) {
      case ReadResult::kOk: break;
      case ReadResult::kCannotOpen: tool_error(ctx, TC0001, settings.input_file); break;
      case ReadResult::kTooLong: tool_error(ctx, TC0001, settings.input_file + too_long_note());
    }
    if (ctx.recorder) original = data;
    ctx.in = Input(std::move(data));
    FILE* f = fopen(settings.result_file.c_str(), "w");
    if (!f) tool_error(ctx, TC0002);
    ctx.out.open(f, true);
    ctx.result_name = settings.result_file;
    int code = run(ctx);
    ctx.out.close();
    if (ctx.out.error() && !ctx.result_failure_reported) write_failure(ctx, ctx.result_name, ctx.out.error());
    if (ctx.recorder) {
      if (int error = recorder.write(original)) {
        ctx.err.line("");
        ctx.err.line("Can not write file:  " + settings.record_file + "  (" + std::strerror(error) + ")");
        ctx.err.flush();
        code = 1;
      }
    }
    return with_junit(ctx, code, false);
  } catch (const FatalExit& e) {
    try {
      ctx.flush();
    } catch (const FatalExit&) {
    }
    return with_junit(ctx, e.code, true);
  }
}

int run_test_text(const CommandLineSettings& settings, std::string input, std::string* result, Sink& console) {
  RunContext ctx(settings, console);
  JunitRecorder junit(settings.input_file);
  if (!settings.junit_file.empty()) ctx.junit = &junit;
  ctx.in = Input(std::move(input));
  ctx.out.capture(result);
  try {
    return with_junit(ctx, run(ctx), false);
  } catch (const FatalExit& e) {
    try {
      ctx.flush();
    } catch (const FatalExit&) {
    }
    return with_junit(ctx, e.code, true);
  }
}

}  // namespace kr
