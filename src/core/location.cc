#include "core/location.h"

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/run_context.h"

namespace kr {

std::string error_location(const RunContext& ctx) {
  std::size_t at = ctx.in.token_start();
  // Errors found after the section was read (or at its keyword) point at the
  // keyword; the driver keeps the offset just before it.
  if (ctx.slot_index == 0 || ctx.cur.empty() || iequals(ctx.cur, "End")) at = ctx.in.next_nonspace(ctx.keyword_start);
  const Input::LineColumn lc = ctx.in.line_column(at);
  std::string r = ctx.cl.input_file.empty() ? std::string("<input>") : ctx.cl.input_file;
  r.append(":").append(std::to_string(lc.line)).append(":").append(std::to_string(lc.column));
  return r;
}

}  // namespace kr
