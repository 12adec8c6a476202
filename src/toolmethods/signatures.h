#pragma once
// What each tool method takes: whether it is closed by "End", and the
// parameter keywords it accepts with the kind of value each one reads.
// The handlers read their own parameters; this table describes them for
// tools that look at a test case without running it (the syntax check).
#include <cstddef>
#include <string_view>
#include <vector>

namespace kr {

enum class ToolValue {
  kBool,          // TRUE | FALSE
  kAnd,           // the word AND
  kText,          // "value" | NULL | DEFAULT, up to `max_length` characters
  kLoopCount,     // unsigned number | LastRetrievedVectorSize | LastRetrievedVectorSizeMinus1
  kReturnCode,    // signed number | CurrentLoopCount
  kSleepTime,     // unsigned milliseconds | RANDOM (other words count as 0)
  kMilliseconds,  // unsigned milliseconds
  kHandleType,    // a handle keyword with an object table
  kHandleNumber,  // a signed number, range-checked against 1 to 49
  kOptions,       // quoted option words
};

struct ToolParam {
  int keyword;
  ToolValue value;
  std::size_t max_length = 263;
  bool required = false;  // absence at "End" is a tool error
};

struct ToolMethod {
  int keyword;
  bool has_end;  // false: the keyword alone is the whole statement
  std::vector<ToolParam> params;
};

// The signature of a TestTool_ or TestResource_ keyword that the tool-method
// handlers serve; null for any other keyword (the program-start keywords
// are known words but not served on this platform).
const ToolMethod* tool_method(int keyword_id);

// Every signature, in keyword order.
const std::vector<ToolMethod>& tool_methods();

}  // namespace kr
