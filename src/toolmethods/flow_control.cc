#include "toolmethods/flow_control.h"

#include <charconv>
#include <limits>
#include <string>

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "toolmethods/method_params.h"

namespace kr {
namespace {

void keyword_line(RunContext& ctx) { ctx.out.line(keyword_text(ctx.keyword_id)); }

// Skipping reads bare tokens, not statements, into the current token: a
// section, a comment or an "End" on the way is passed over unread. Returns
// the keyword id of the stop that was found, or 0 at the end of the input.
int skip_to(RunContext& ctx, int stop1, int stop2 = -1) {
  for (;;) {
    std::string_view t = ctx.in.token();
    ctx.cur.assign(t);
    if (t.empty() || t[0] == kEofMark) return 0;
    const int id = keyword_id(t);
    if (id == stop1 || id == stop2) return id;
  }
}

// The shared ending of the IF misuse paths: drop the IF, skip past its
// TestTool_EndIf and show where reading goes on.
void skip_if_block(RunContext& ctx, std::string_view text) {
  ctx.ifs.reset();
  skip_to(ctx, kTestTool_EndIf);
  tool_error(ctx, TC0024, text);
  ctx.out.line(kSeparator);
  ctx.out.line(ctx.cur);
}

constexpr std::string_view kNotOpen = "IF is not open.";

}  // namespace

Count leading_count(std::string_view text, int64_t min, int64_t max, int64_t* value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t v = 0;
  bool any = false, huge = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    any = true;
    if (v > (int64_t{1} << 40)) huge = true;  // far beyond 32 bits; stop growing
    else v = v * 10 + (text[i] - '0');
  }
  *value = 0;
  if (!any) return Count::kNotNumber;
  if (negative) v = -v;
  if (huge || v < min || v > max) return Count::kOutOfRange;
  *value = v;
  return Count::kNumber;
}

void tool_if(RunContext& ctx) {
  keyword_line(ctx);
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (id != kExpressionOperator) return std::nullopt;
    std::string_view op;
    if (!next_token(ctx, &op)) return Read::kAbort;
    if (iequals(op, "AND")) return Read::kOk;
    tool_error(ctx, TC0007, op);
    return Read::kAtEnd;
  });
  if (!go_on) return;
  ctx.ifs.api_expr_seen = false;
  if (!ctx.ifs.if_open) {
    ctx.ifs.if_open = ctx.ifs.if_mode = ctx.ifs.if_value = true;
    return;
  }
  skip_if_block(ctx, "IF is already open. All statemets till IF END will be skiped.");
}

void tool_then(RunContext& ctx) {
  IfState& s = ctx.ifs;
  if (!s.if_open) {
    keyword_line(ctx);
    s.reset();
    tool_error(ctx, TC0024, kNotOpen);
    return;
  }
  if (s.then_open) {
    keyword_line(ctx);
    skip_if_block(ctx, "THEN is already open. All statemets till IF END will be skiped.");
    return;
  }
  s.then_open = true;
  if (!s.api_expr_seen) {
    s.if_value = false;
    tool_error(ctx, TC0024, "IF expression missing, IF expression will set to FALSE.");
    ctx.out.line(kSeparator);
  }
  keyword_line(ctx);
  s.if_mode = false;
  if (s.if_value) return;

  const int found = skip_to(ctx, kTestTool_Else, kTestTool_EndIf);
  if (found == 0) {
    tool_error(ctx, TC0024, "ELSE or ENDIF not found.");
    return;
  }
  ctx.out.line(kSeparator);
  ctx.out.line(ctx.cur);
  // At TestTool_Else the state stays as it is, so the ELSE branch runs and
  // its TestTool_EndIf closes the IF.
  if (found == kTestTool_EndIf) s.reset();
}

void tool_else(RunContext& ctx) {
  IfState& s = ctx.ifs;
  keyword_line(ctx);
  if (!s.if_open) {
    s.reset();
    tool_error(ctx, TC0024, kNotOpen);
    return;
  }
  if (!s.then_open) {
    skip_if_block(ctx, "THEN is not open. All statemets till IF END will be skiped.");
    return;
  }
  if (!s.if_value) return;  // the THEN branch was skipped: the ELSE branch runs
  if (skip_to(ctx, kTestTool_EndIf) == 0) {
    tool_error(ctx, TC0024, "ENDIF not found.");
    return;
  }
  ctx.out.line(kSeparator);
  ctx.out.line(ctx.cur);
  s.reset();
}

void tool_endif(RunContext& ctx) {
  IfState& s = ctx.ifs;
  keyword_line(ctx);
  if (!s.if_open) {
    s.reset();
    tool_error(ctx, TC0024, kNotOpen);
    return;
  }
  const bool then_was_open = s.then_open;
  s.reset();
  if (!then_was_open) tool_error(ctx, TC0024, "THEN is not open.");
}

namespace {

// The loop line: the keyword, then " [planned: ...] [actual: ...]" once the
// parameters are known. The keyword is written first and the line left open;
// a report that comes in between must not be glued to it, so the line is
// ended first and the loop line is later written again in full.
class LoopLine {
 public:
  explicit LoopLine(RunContext& ctx) : ctx_(ctx), keyword_(keyword_text(ctx.keyword_id)) {
    ctx_.out.write(keyword_);
  }

  void break_line() {
    if (!open_) return;
    ctx_.out.end_line();
    open_ = false;
  }

  // next_token, with the line ended first when the token will be refused.
  bool next(std::string_view* tok) {
    if (!next_token_fits(ctx_)) break_line();
    return next_token(ctx_, tok);
  }

  void error(int code, std::string_view text) {
    break_line();
    tool_error(ctx_, code, text);
  }

  // Ends the loop line with " [planned: ...] [actual: ...]", also on the
  // console when asked to.
  void finish(uint32_t planned, std::string_view remark, uint32_t actual, bool to_console) {
    if (!open_) ctx_.out.write(keyword_);
    write_counts(ctx_.out, planned, remark, actual);
    open_ = false;
    if (to_console) {
      ctx_.err.write(keyword_);
      write_counts(ctx_.err, planned, remark, actual);
    }
  }

  // Ends the line with a fixed text (the "undefined" form).
  void finish_text(std::string_view text) {
    if (!open_) ctx_.out.write(keyword_);
    ctx_.out.line(text);
    open_ = false;
  }

 private:
  // Written once per pass of every loop, so the numbers skip printf.
  static void write_u32(Sink& s, uint32_t v) {
    char b[10];
    s.write(std::string_view(b, static_cast<std::size_t>(std::to_chars(b, b + sizeof b, v).ptr - b)));
  }
  static void write_counts(Sink& s, uint32_t planned, std::string_view remark, uint32_t actual) {
    s.write(" [planned: ");
    write_u32(s, planned);
    s.write(remark);
    s.write("] [actual: ");
    write_u32(s, actual);
    s.line("]");
  }

  RunContext& ctx_;
  std::string_view keyword_;
  bool open_ = true;
};

}  // namespace

void loop_start(RunContext& ctx) {
  LoopLine line(ctx);
  LoopState& loop = ctx.loop;
  if (!loop.active) loop.start_pos = ctx.keyword_start;

  uint32_t count = 0;
  std::string_view remark;
  bool to_console = false;
  bool line_written = false;
  for (;;) {
    std::string_view tok;
    if (!line.next(&tok)) return;
    const int id = keyword_id(tok);
    if (id == kEnd) break;
    if (!tool_method_accepts(ctx.keyword_id, id)) {
      line.error(TC0010, tok);
      return;
    }
    if (id == kNoOfLoops) {
      std::string_view v;
      if (!line.next(&v)) return;
      if (iequals(v, "LastRetrievedVectorSize")) {
        count = ctx.reg.last_vector_size;
        remark = " (VectorSize)";
      } else if (iequals(v, "LastRetrievedVectorSizeMinus1")) {
        const uint32_t size = ctx.reg.last_vector_size;
        count = size > 0 ? size - 1 : 0;
        remark = " (if(VectorSize>0) VectorSize-1)";
      } else {
        remark = {};
        int64_t n = 0;
        // A negative or oversized count reads as no number at all, so it can
        // never turn into a wrapped-around four-billion loop.
        const Count c = leading_count(v, 0, std::numeric_limits<uint32_t>::max(), &n);
        count = static_cast<uint32_t>(n);
        if (c != Count::kNumber || (n == 0 && v != "0")) {
          line.finish_text(" [planned: undefined] [actual: 0]");
          std::string msg = "parameter:  ";
          msg.append(keyword_text(kNoOfLoops)).append(" = \"").append(v);
          msg.append("\"  can not be intepreted and will be set to \"0\".");
          ctx.out.line(msg);
          ctx.out.line("+++ERROR+++");
          ctx.error_flag = true;
          line_written = true;
        }
      }
    } else if (id == kToStandardError) {
      std::string_view v;
      if (!line.next(&v)) return;
      if (iequals(v, "TRUE")) to_console = true;
      else if (iequals(v, "FALSE")) to_console = false;
      else {
        line.error(TC0007, v);
        break;
      }
    } else {
      line.error(TC0010, tok);
      return;
    }
  }

  // A LoopStart read again on a later pass, or one inside a running loop,
  // keeps the running loop's count.
  if (!loop.active) {
    loop.planned = count;
    loop.active = true;
  }
  if (loop.planned > 0) {
    line.finish(loop.planned, remark, loop.counter + 1, to_console);
    return;
  }
  if (!line_written) line.finish(0, remark, 0, to_console);
  skip_to(ctx, kTestTool_JumpToLoopStart);
  ctx.out.line(kSeparator);
  ctx.out.write(ctx.cur);
  ctx.out.line(" [status: end]");
  loop.reset();
}

void jump_to_loop_start(RunContext& ctx) {
  LoopState& loop = ctx.loop;
  ctx.out.write(keyword_text(ctx.keyword_id));
  ++loop.counter;
  if (!loop.active || loop.counter >= loop.planned) {
    loop.reset();
    ctx.out.line(" [status: end]");
    return;
  }
  ctx.in.seek(loop.start_pos);
  ctx.out.line(" [status: jump]");
}

void loop_break(RunContext& ctx) {
  keyword_line(ctx);
  ctx.loop.reset();
}

void terminate(RunContext& ctx) {
  keyword_line(ctx);
  ctx.out.line("ALL REMINDING STATEMENTS IN THE INPUT FILE WILL BE SKIPPED");
  ctx.in.seek_end();
}

void set_return_code(RunContext& ctx) {
  keyword_line(ctx);
  std::string_view value;
  bool have = false, refused = false;
  const bool go_on = read_method_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (id != kUserDefinedReturnCode) return std::nullopt;
    std::string_view v;
    if (!next_token(ctx, &v)) return Read::kAbort;
    int64_t n;
    if (iequals(v, "CurrentLoopCount") ||
        leading_count(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &n) ==
            Count::kNumber) {
      value = v;
      have = true;
      return Read::kOk;
    }
    // A typo here would otherwise turn failed checks into exit code 0.
    tool_error(ctx, TC0007, v);
    refused = true;
    return Read::kAtEnd;
  });
  if (!go_on) return;
  if (!have) {
    if (!refused) tool_error(ctx, TC0008, keyword_text(kUserDefinedReturnCode));
    return;
  }

  std::string shown;
  if (iequals(value, "CurrentLoopCount")) {
    ctx.user_rc = static_cast<int32_t>(ctx.loop.counter + 1);
    shown.append("\"").append(value).append("\" = ").append(std::to_string(ctx.user_rc));
  } else {
    int64_t n = 0;
    leading_count(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &n);
    ctx.user_rc = static_cast<int32_t>(n);
    shown = std::to_string(ctx.user_rc);
  }
  ctx.user_rc_set = true;
  echo(ctx, kUserDefinedReturnCode, shown);
}

}  // namespace kr
