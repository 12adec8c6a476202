#include "toolmethods/method_params.h"

#include <algorithm>

#include "driver/keywords.h"
#include "toolmethods/timing.h"

namespace kr {
namespace {

constexpr std::string_view kTrueFalse = "TRUE | FALSE";
constexpr std::string_view kText = "\"value\"";

ToolParam opt(int keyword, std::string_view form) { return {keyword, form, true}; }
// Accepted under a method that lists the keyword's twin instead.
ToolParam synonym(int keyword, std::string_view form) { return {keyword, form, true, false}; }

std::vector<ToolMethod> build() {
  std::vector<ToolMethod> m;
  m.push_back({kTestTool_If, {opt(kExpressionOperator, "AND")}, true, true,
               {"The API sections between TestTool_If and TestTool_Then make the IF expression; see IF, "
                "THEN, ELSE. AND is the only operator, and the line may be left out."}});
  m.push_back({kTestTool_Then, {}, false, true, {}});
  m.push_back({kTestTool_Else, {}, false, true, {}});
  m.push_back({kTestTool_EndIf, {}, false, true, {}});
  m.push_back({kTestTool_LoopStart,
               {{kNoOfLoops, "unsigned long | LastRetrievedVectorSize | LastRetrievedVectorSizeMinus1"},
                opt(kToStandardError, kTrueFalse)},
               true, true,
               {"NoOfLoops: the number of passes. LastRetrievedVectorSize takes the size that the last "
                "...VectorSize method retrieved, LastRetrievedVectorSizeMinus1 one less (0 for an empty "
                "vector). With 0 passes the loop body is skipped. Loops do not nest. ToStandardError TRUE "
                "shows the loop line on the console too."}});
  m.push_back({kTestTool_JumpToLoopStart, {}, false, true,
               {"Goes back to TestTool_LoopStart until the planned passes are done."}});
  m.push_back({kTestTool_LoopBreak, {}, false, true, {"Ends the loop after the current pass."}});
  m.push_back({kTestTool_Terminate, {}, false, true,
               {"Skips every statement after it; the clean-up and the verdict follow."}});
  m.push_back({kTestTool_SetReturnCode, {{kUserDefinedReturnCode, "int | CurrentLoopCount"}}, true, true,
               {"The program ends with this exit code instead of 0, 8 or 12; the last one set wins. "
                "CurrentLoopCount takes the number of the current loop pass (1 outside a loop)."}});
  m.push_back({kTestTool_Sleep,
               {{kSleepTime_ms, "unsigned long | RANDOM"}, opt(kRandomUpperLimit, "unsigned long"),
                opt(kUserText, kText), opt(kBeep, kTrueFalse)},
               true, true,
               {"SleepTime_ms RANDOM sleeps a random number of seconds, taken modulo RandomUpperLimit when "
                "that lies in the range; a test case draws the same times in every run.",
                "On this platform the range is: 1000-" + std::to_string(kRandomRangeMax) + " ms",
                "UserText is shown on the console while the tool sleeps; Beep makes no sound here."}});
  m.push_back({kTestTool_ShowElapseTime, {opt(kElapseTimeOptions, kText), synonym(kDiffTimeOptions, kText)}, true, true,
               {"The options text holds any of these words, in any case and with any separator, for example "
                "\"SECTION, PRINTAPINAME\":",
                "  TESTCASE      the time of the whole run, after its last statement",
                "  SECTION       a start and an end line with the time around every statement",
                "  METHOD        the time of every API call",
                "  TIMESTAMP     date and time on the start lines (with SECTION)",
                "  PRINTAPINAME  the statement's keyword on the end lines (with SECTION)",
                "Each TestTool_ShowElapseTime replaces the options before it; one without options "
                "switches all timing off. DiffTimeOptions may stand for ElapseTimeOptions."}});
  m.push_back({kTestTool_ShowDiffTime, {opt(kDiffTimeOptions, kText), synonym(kElapseTimeOptions, kText)}, true, true,
               {"The same method as TestTool_ShowElapseTime, with the same options."}});
  m.push_back({kTestTool_WaitForUserInput, {opt(kUserText, kText), opt(kBeep, kTrueFalse)}, true, true,
               {"Shows UserText on the console and waits until Enter is pressed."}});
  m.push_back({kTestTool_CommentToOutput, {{kComment, kText}, opt(kToStandardError, kTrueFalse)}, true, true,
               {"Writes Comment on a line of the result file (also on the console with ToStandardError "
                "TRUE)."}});

  // Starting and stopping programs: documented, not carried out here.
  m.push_back({kTestTool_DosExecPgm,
               {{kExecFlag, "EXEC_SYNC | EXEC_ASYNC | EXEC_BACKGROUND"}, {kProgram, "\"FileSpec\""},
                opt(kArguments, kText)},
               true, false,
               {"Example:",
                "  TestTool_DosExecPgm",
                "    ExecFlag                          EXEC_ASYNC",
                "    Program                           \"report.exe\"",
                "    Arguments                         \"/q out.txt\"",
                "  End"}});
  m.push_back({kTestTool_DosKillProcess, {{kIdxPID, "int"}, {kActionFlag, "DKP_PROCESSTREE | DKP_PROCESS"}}, true,
               false,
               {"IdxPID counts the programs started with EXEC_ASYNC or EXEC_BACKGROUND, from 1.",
                "Example:",
                "  TestTool_DosKillProcess",
                "    IdxPID                            1",
                "    ActionFlag                        DKP_PROCESSTREE",
                "  End"}});

  m.push_back({kTestResource_DumpHandles, {}, true, true,
               {"Writes every registered handle into the result file, one line per handle type."}});
  m.push_back({kTestResource_TreatHandleAsHandleOfOtherType,
               {{kHdlTypeOrigin, "value"}, {kHdlNumberOrigin, "i"}, {kHdlTypeNew, "value"}, {kHdlNumberNew, "n"}},
               true, true,
               {"HdlTypeOrigin and HdlTypeNew take the handle keyword of an object or vector of Table 1 "
                "(DateTimeHdl, CorrelId, PersistentOidHdl, SessionIdHdl and StreamHdl are refused with "
                "TC0012). The handle HdlNumberOrigin is stored again as the handle HdlNumberNew of the new "
                "type, so that both name the same object; the automatic resource cleanup will be disabled."}});
  return m;
}

}  // namespace

const std::vector<ToolMethod>& tool_methods() {
  static const std::vector<ToolMethod> methods = build();
  return methods;
}

const ToolMethod* tool_method(int keyword) {
  for (const ToolMethod& m : tool_methods())
    if (m.keyword == keyword) return &m;
  return nullptr;
}

bool tool_method_accepts(int method, int param) {
  const ToolMethod* m = tool_method(method);
  return m && std::any_of(m->params.begin(), m->params.end(), [&](const ToolParam& p) { return p.keyword == param; });
}

}  // namespace kr
