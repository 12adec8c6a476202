#include "diag/tool_errors.h"
#include "driver/run_context.h"
#include "toolmethods/testtool.h"

namespace kr {

void testresource_handler(RunContext& ctx) { tool_error(ctx, TC0006, ctx.keyword); }

}  // namespace kr
