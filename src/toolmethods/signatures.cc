#include "toolmethods/signatures.h"

#include "driver/keywords.h"

namespace kr {

const std::vector<ToolMethod>& tool_methods() {
  using V = ToolValue;
  static const std::vector<ToolMethod> kMethods = {
      {kTestTool_CommentToOutput, true, {{kComment, V::kText, 1023}, {kToStandardError, V::kBool}}},
      {kTestTool_If, true, {{kExpressionOperator, V::kAnd}}},
      {kTestTool_Else, false, {}},
      {kTestTool_EndIf, false, {}},
      {kTestTool_Then, false, {}},
      {kTestTool_JumpToLoopStart, false, {}},
      {kTestTool_LoopStart, true, {{kNoOfLoops, V::kLoopCount}, {kToStandardError, V::kBool}}},
      {kTestTool_LoopBreak, false, {}},
      {kTestTool_ShowDiffTime, true, {{kElapseTimeOptions, V::kOptions, 199}, {kDiffTimeOptions, V::kOptions, 199}}},
      {kTestTool_ShowElapseTime, true, {{kElapseTimeOptions, V::kOptions, 199}, {kDiffTimeOptions, V::kOptions, 199}}},
      {kTestTool_Sleep,
       true,
       {{kSleepTime_ms, V::kSleepTime},
        {kRandomUpperLimit, V::kMilliseconds},
        {kUserText, V::kText},
        {kBeep, V::kBool}}},
      {kTestTool_Terminate, false, {}},
      {kTestTool_SetReturnCode, true, {{kUserDefinedReturnCode, V::kReturnCode, 263, true}}},
      {kTestTool_WaitForUserInput, true, {{kUserText, V::kText}, {kBeep, V::kBool}}},
      {kTestResource_DumpHandles, true, {}},
      {kTestResource_TreatHandleAsHandleOfOtherType,
       true,
       {{kHdlTypeOrigin, V::kHandleType, 263, true},
        {kHdlTypeNew, V::kHandleType, 263, true},
        {kHdlNumberOrigin, V::kHandleNumber},
        {kHdlNumberNew, V::kHandleNumber}}},
  };
  return kMethods;
}

const ToolMethod* tool_method(int keyword_id) {
  for (const ToolMethod& m : tool_methods())
    if (m.keyword == keyword_id) return &m;
  return nullptr;
}

}  // namespace kr
