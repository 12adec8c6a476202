#include "toolmethods/testtool.h"

#include <string>

#include "diag/tool_errors.h"
#include "driver/keywords.h"
#include "driver/run_context.h"
#include "driver/section.h"

namespace kr {
namespace {

constexpr std::size_t kMaxComment = 1023;

void keyword_line(RunContext& ctx) { ctx.out.line(keyword_text(ctx.keyword_id)); }

void comment_to_output(RunContext& ctx) {
  keyword_line(ctx);
  std::string comment;
  bool to_console = false;
  for (;;) {
    std::string_view tok;
    if (!next_token(ctx, &tok)) return;
    const int id = keyword_id(tok);
    if (id == kEnd) break;
    Read r;
    if (id == kComment) r = read_string(ctx, &comment, kMaxComment);
    else if (id == kToStandardError) r = read_bool(ctx, &to_console);
    else {
      tool_error(ctx, TC0010, tok);
      return;
    }
    if (r == Read::kAbort) return;
    if (r == Read::kAtEnd) break;
  }
  ctx.out.line(comment);
  if (to_console) ctx.err.line(comment);
}

void terminate(RunContext& ctx) {
  keyword_line(ctx);
  ctx.out.line("ALL REMINDING STATEMENTS IN THE INPUT FILE WILL BE SKIPPED");
  ctx.in.seek_end();
}

}  // namespace

void testtool_handler(RunContext& ctx) {
  switch (ctx.keyword_id) {
    case kTestTool_CommentToOutput: comment_to_output(ctx); break;
    case kTestTool_Terminate: terminate(ctx); break;
    default: tool_error(ctx, TC0006, ctx.keyword);
  }
}

}  // namespace kr
