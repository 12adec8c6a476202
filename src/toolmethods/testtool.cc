#include "toolmethods/testtool.h"

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "toolmethods/flow_control.h"
#include "toolmethods/timing.h"

namespace kr {

void testtool_handler(RunContext& ctx) {
  switch (ctx.keyword_id) {
    case kTestTool_If: tool_if(ctx); break;
    case kTestTool_Then: tool_then(ctx); break;
    case kTestTool_Else: tool_else(ctx); break;
    case kTestTool_EndIf: tool_endif(ctx); break;
    case kTestTool_LoopStart: loop_start(ctx); break;
    case kTestTool_JumpToLoopStart: jump_to_loop_start(ctx); break;
    case kTestTool_LoopBreak: loop_break(ctx); break;
    case kTestTool_Terminate: terminate(ctx); break;
    case kTestTool_SetReturnCode: set_return_code(ctx); break;

    case kTestTool_Sleep: sleep_method(ctx); break;
    case kTestTool_ShowElapseTime:
    case kTestTool_ShowDiffTime: show_elapse_time(ctx); break;
    case kTestTool_WaitForUserInput: wait_for_user_input(ctx); break;
    case kTestTool_CommentToOutput: comment_to_output(ctx); break;

    // Starting and stopping other programs is not offered on this platform:
    // the keywords stay known (the syntax reference lists them) and are
    // refused like any method this handler does not serve.
    case kTestTool_Cmd_ASYNC:
    case kTestTool_Cmd_SYNC:
    case kTestTool_DosExecPgm:
    case kTestTool_DosExecPgm_ASYNC:
    case kTestTool_DosExecPgm_ASYNCRESULT:
    case kTestTool_DosExecPgm_BACKGROUND:
    case kTestTool_DosExecPgm_SYNC:
    case kTestTool_DosKillProcess:
    default: tool_error(ctx, TC0006, ctx.keyword);
  }
}

}  // namespace kr
