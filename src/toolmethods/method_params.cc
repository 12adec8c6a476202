#include "toolmethods/method_params.h"

#include <algorithm>

#include "core/keywords.h"
#include "toolmethods/timing.h"

namespace kr {
namespace {

constexpr std::string_view kTrueFalse = "TRUE | FALSE";
constexpr std::string_view kText = "\"value\"";

using V = ToolValue;
ToolParam req(int keyword, std::string_view form, V value, std::size_t max = 263) {
  return {keyword, form, false, true, value, max};
}
ToolParam opt(int keyword, std::string_view form, V value, std::size_t max = 263) {
  return {keyword, form, true, true, value, max};
}
// Accepted under a method that lists the keyword's twin instead.
ToolParam synonym(int keyword, std::string_view form, V value, std::size_t max = 263) {
  return {keyword, form, true, false, value, max};
}
// Its absence at "End" is a tool error of the handler.
ToolParam must(int keyword, std::string_view form, V value) {
  ToolParam p = req(keyword, form, value);
  p.required = true;
  return p;
}

std::vector<ToolMethod> build() {
  std::vector<ToolMethod> m;
  m.push_back({kTestTool_If, {opt(kExpressionOperator, "AND", V::kAnd)}, true, true,
               {"The API sections between TestTool_If and TestTool_Then make the IF expression; see IF, "
                "THEN, ELSE. AND is the only operator, and the line may be left out."}});
  m.push_back({kTestTool_Then, {}, false, true, {}});
  m.push_back({kTestTool_Else, {}, false, true, {}});
  m.push_back({kTestTool_EndIf, {}, false, true, {}});
  m.push_back({kTestTool_LoopStart,
               {req(kNoOfLoops, "unsigned long | LastRetrievedVectorSize | LastRetrievedVectorSizeMinus1", V::kLoopCount),
                opt(kToStandardError, kTrueFalse, V::kBool)},
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
  m.push_back({kTestTool_SetReturnCode, {must(kUserDefinedReturnCode, "int | CurrentLoopCount", V::kReturnCode)}, true, true,
               {"The program ends with this exit code instead of 0, 8 or 12; the last one set wins. "
                "CurrentLoopCount takes the number of the current loop pass (1 outside a loop)."}});
  m.push_back({kTestTool_Sleep,
               {req(kSleepTime_ms, "unsigned long | RANDOM", V::kSleepTime), opt(kRandomUpperLimit, "unsigned long", V::kMilliseconds),
                opt(kUserText, kText, V::kText), opt(kBeep, kTrueFalse, V::kBool)},
               true, true,
               {"SleepTime_ms RANDOM sleeps a random number of seconds, taken modulo RandomUpperLimit when "
                "that lies in the range; a test case draws the same times in every run.",
                "On this platform the range is: 1000-" + std::to_string(kRandomRangeMax) + " ms",
                "UserText is shown on the console while the tool sleeps; Beep makes no sound here."}});
  m.push_back({kTestTool_ShowElapseTime, {opt(kElapseTimeOptions, kText, V::kOptions, 199), synonym(kDiffTimeOptions, kText, V::kOptions, 199)}, true, true,
               {"The options text holds any of these words, in any case and with any separator, for example "
                "\"SECTION, PRINTAPINAME\":",
                "  TESTCASE      the time of the whole run, after its last statement",
                "  SECTION       a start and an end line with the time around every statement",
                "  METHOD        the time of every API call",
                "  TIMESTAMP     date and time on the start lines (with SECTION)",
                "  PRINTAPINAME  the statement's keyword on the end lines (with SECTION)",
                "Each TestTool_ShowElapseTime replaces the options before it; one without options "
                "switches all timing off. DiffTimeOptions may stand for ElapseTimeOptions."}});
  m.push_back({kTestTool_ShowDiffTime, {opt(kDiffTimeOptions, kText, V::kOptions, 199), synonym(kElapseTimeOptions, kText, V::kOptions, 199)}, true, true,
               {"The same method as TestTool_ShowElapseTime, with the same options."}});
  m.push_back({kTestTool_WaitForUserInput, {opt(kUserText, kText, V::kText), opt(kBeep, kTrueFalse, V::kBool)}, true, true,
               {"Shows UserText on the console and waits until Enter is pressed."}});
  m.push_back({kTestTool_CommentToOutput, {req(kComment, kText, V::kText, 1023), opt(kToStandardError, kTrueFalse, V::kBool)}, true, true,
               {"Writes Comment on a line of the result file (also on the console with ToStandardError "
                "TRUE)."}});

  // Starting and stopping programs: documented, not carried out here.
  m.push_back({kTestTool_DosExecPgm,
               {req(kExecFlag, "EXEC_SYNC | EXEC_ASYNC | EXEC_BACKGROUND", V::kWord), req(kProgram, "\"FileSpec\"", V::kText),
                opt(kArguments, kText, V::kText)},
               true, false,
               {"Example:",
                "  TestTool_DosExecPgm",
                "    ExecFlag                          EXEC_ASYNC",
                "    Program                           \"report.exe\"",
                "    Arguments                         \"/q out.txt\"",
                "  End"}});
  m.push_back({kTestTool_DosKillProcess, {req(kIdxPID, "int", V::kWord), req(kActionFlag, "DKP_PROCESSTREE | DKP_PROCESS", V::kWord)}, true,
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
               {must(kHdlTypeOrigin, "value", V::kHandleType), req(kHdlNumberOrigin, "i", V::kHandleNumber),
                must(kHdlTypeNew, "value", V::kHandleType), req(kHdlNumberNew, "n", V::kHandleNumber)},
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
