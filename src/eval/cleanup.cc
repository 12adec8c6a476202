#include "eval/cleanup.h"

#include "driver/run_context.h"

namespace kr {

void run_cleanup(RunContext& ctx) {
  ctx.out.line(kSeparator);
  if (ctx.reg.cleanup_disabled) {
    ctx.out.line("Automatic cleanup of the allocated resources is disabled.");
    return;
  }
}

}  // namespace kr
