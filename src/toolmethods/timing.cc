#include "toolmethods/timing.h"

#include <chrono>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "toolmethods/flow_control.h"
#include "toolmethods/method_params.h"

namespace kr {
namespace {

constexpr std::size_t kMaxComment = 1023;
constexpr std::size_t kMaxOptions = 199;
constexpr std::string_view kDashes = "----------------------------------------------------------------------------";

void keyword_line(RunContext& ctx) { ctx.out.line(keyword_text(ctx.keyword_id)); }

// A millisecond count written as a word. A negative or oversized number is
// refused rather than wrapped; text that is no number at all counts as 0
// where `text_is_zero`, and is refused elsewhere.
Read read_ms(RunContext& ctx, std::string_view v, bool text_is_zero, uint32_t* out) {
  int64_t n = 0;
  const Count c = leading_count(v, 0, std::numeric_limits<uint32_t>::max(), &n);
  if (c == Count::kOutOfRange || (c == Count::kNotNumber && !text_is_zero)) {
    tool_error(ctx, TC0007, v);
    return Read::kAtEnd;
  }
  *out = static_cast<uint32_t>(n);
  return Read::kOk;
}

// A quoted text into `*text`. A quote that never closes leaves what was read
// up to the end of the input, as the value; when that is more than the field
// holds, it is dropped rather than cut, the error having been reported.
// NULL and DEFAULT stay the words as typed, as for every text of a tool method.
Read read_text(RunContext& ctx, std::string* text, std::size_t max_len) {
  std::string v;
  const Read r = read_string(ctx, &v, max_len);
  if (r == Read::kAbort || (r == Read::kAtEnd && v.size() > max_len)) return r;
  *text = std::move(v);
  return r;
}

void write_user_text(RunContext& ctx, const std::string& text) {
  ctx.out.write("parameter: ");
  ctx.out.write(keyword_text(kUserText));
  ctx.out.write(" = ");
  ctx.out.line(text);
}

void real_sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TimingPlatform& timing_platform() {
  static TimingPlatform platform{real_sleep, nullptr};
  return platform;
}

uint32_t next_random(RunContext& ctx) {
  ctx.random_state = ctx.random_state * 214013u + 2531011u;
  return (ctx.random_state >> 16) & 0x7FFF;
}

void sleep_method(RunContext& ctx) {
  keyword_line(ctx);
  uint32_t time = 0, limit = 0;
  bool random = false, have_limit = false, beep = false;
  std::string text;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    std::string_view v;
    switch (id) {
      case kSleepTime_ms:
        if (!next_token(ctx, &v)) return Read::kAbort;
        if (iequals(v, "RANDOM")) {
          random = true;
          time = next_random(ctx) * 1000;
          return Read::kOk;
        } else {
          Read r = read_ms(ctx, v, true, &time);
          if (r == Read::kOk) random = false;
          return r;
        }
      case kRandomUpperLimit: {
        if (!next_token(ctx, &v)) return Read::kAbort;
        Read r = read_ms(ctx, v, false, &limit);
        if (r == Read::kOk) have_limit = true;
        return r;
      }
      case kUserText: return read_text(ctx, &text, kMaxTokenLength);
      case kBeep: return read_bool(ctx, &beep);
      default: return std::nullopt;
    }
  });
  if (!go_on) return;

  ctx.out.write("parameter: ");
  ctx.out.write(keyword_text(kSleepTime_ms));
  ctx.out.write(" = ");
  if (random) {
    if (!have_limit || limit < 1000 || limit > kRandomRangeMax) limit = kRandomRangeMax;
    else time %= limit;
    ctx.out.write_u32(time);
    ctx.out.write("  (RANDOM;  random range: 1000-");
    ctx.out.write_u32(limit);
    ctx.out.line(" ms)");
  } else {
    ctx.out.write_u32(time);
    ctx.out.end_line();
  }
  if (!text.empty()) {
    write_user_text(ctx, text);
    ctx.err.line("");
    ctx.err.line(kDashes);
    ctx.err.line(text);
    ctx.err.line(kDashes);
  }
  ctx.err.line("");
  ctx.err.line("Start Sleep for " + std::to_string(time) + " ms.");
  ctx.flush();
  // The beep of the original platform does nothing here, before and after.
  timing_platform().sleep_ms(time);
  ctx.err.line("End Sleep.");
  ctx.err.line("");
}

void show_elapse_time(RunContext& ctx) {
  ctx.out.line("===>");
  ctx.section_start_tick = tick_ms();
  keyword_line(ctx);
  ctx.timing.clear();
  std::string text, shown;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (id != kElapseTimeOptions && id != kDiffTimeOptions) return std::nullopt;
    const Read r = read_text(ctx, &text, kMaxOptions);
    if (r == Read::kAbort) return r;
    // Words count wherever they stand, so any separator (or none) will do;
    // a later line adds to what an earlier one set.
    shown = upper_ascii(text);
    TimingSwitches& t = ctx.timing;
    auto has = [&](std::string_view w) { return shown.find(w) != std::string::npos; };
    t.testcase |= has("TESTCASE");
    t.section |= has("SECTION");
    t.method |= has("METHOD");
    t.client |= has("KXCLIENT");
    t.timestamp |= has("TIMESTAMP");
    t.print_api_name |= has("PRINTAPINAME");
    return r;
  });
  // Both methods write this one line, without the "parameter:  " of an echo.
  if (go_on) {
    ctx.out.write(keyword_text(kElapseTimeOptions));
    ctx.out.write(" = ");
    ctx.out.line(shown);
  }
}

void wait_for_user_input(RunContext& ctx) {
  keyword_line(ctx);
  std::string text;
  bool beep = false;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (id == kUserText) return read_text(ctx, &text, kMaxTokenLength);
    if (id == kBeep) return read_bool(ctx, &beep);
    return std::nullopt;
  });
  if (!go_on) return;
  if (!text.empty()) write_user_text(ctx, text);
  ctx.err.line("");
  ctx.err.line("--- Wait for user input ----------------------------------------------------");
  if (!text.empty()) ctx.err.line(text);
  ctx.err.line("<<< PRESS ENTER >>>");
  ctx.flush();
  // One line of any length, read and dropped; the end of the input counts
  // as a line, so a run without a console never hangs here.
  std::FILE* in = timing_platform().user_input ? timing_platform().user_input : stdin;
  int c;
  while ((c = std::getc(in)) != EOF && c != '\n') {
  }
  ctx.err.line(kDashes);
}

void comment_to_output(RunContext& ctx) {
  keyword_line(ctx);
  std::string comment;
  bool to_console = false;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (id == kComment) return read_text(ctx, &comment, kMaxComment);
    if (id == kToStandardError) return read_bool(ctx, &to_console);
    return std::nullopt;
  });
  if (!go_on) return;
  ctx.out.line(comment);
  if (to_console) ctx.err.line(comment);
}

}  // namespace kr
