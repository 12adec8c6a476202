#pragma once
// The parameters of every TestTool_ and TestResource_ method, in the order the
// syntax reference lists them. The handlers accept a parameter keyword only
// when its method's row names it, and the syntax reference is written from
// the same rows, so the two cannot disagree.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "core/section.h"

namespace kr {

// The kind of value a parameter reads, for tools that look at a test case
// without running it (the syntax check).
enum class ToolValue {
  kBool,         // TRUE | FALSE
  kAnd,          // the word AND
  kText,         // "value" | NULL | DEFAULT, up to `max_length` characters
  kLoopCount,    // unsigned number | LastRetrievedVectorSize | LastRetrievedVectorSizeMinus1
  kReturnCode,   // signed number | CurrentLoopCount
  kSleepTime,    // unsigned milliseconds | RANDOM (other words count as 0)
  kMilliseconds, // unsigned milliseconds
  kHandleType,   // a handle keyword with an object table
  kHandleNumber, // a signed number, range-checked against 1 to 49
  kOptions,      // quoted option words
  kWord,         // one word (methods not carried out here)
};

struct ToolParam {
  int keyword;
  std::string_view form;  // the value form as the syntax reference writes it
  bool optional = false;
  bool listed = true;     // false: a synonym that is accepted but not shown
  ToolValue value = ToolValue::kWord;
  std::size_t max_length = 263;
  bool required = false;  // absence at "End" is a tool error
};

struct ToolMethod {
  int keyword;
  std::vector<ToolParam> params;
  bool has_end = true;       // the method is closed by End
  bool carried_out = true;   // false: documented, but refused with TC0006 here
  // Shown after the template: paragraphs, wrapped by the writer; a line that
  // begins with a blank (an example, a table) stands as it is.
  std::vector<std::string> remarks;
};

// Every tool and resource method, in the order of the syntax reference.
const std::vector<ToolMethod>& tool_methods();

// The row of a method keyword, or null.
const ToolMethod* tool_method(int keyword);

// Whether `method` takes the parameter keyword `param`.
bool tool_method_accepts(int method, int param);

// read_parameters for the method of the current section: a keyword that the
// method's row does not name is TC0010 before `value` sees it.
template <class ReadValue>
bool read_method_parameters(RunContext& ctx, ReadValue&& value) {
  const int method = ctx.keyword_id;
  return read_parameters(ctx, [&](int id) -> std::optional<Read> {
    if (!tool_method_accepts(method, id)) return std::nullopt;
    return value(id);
  });
}

}  // namespace kr
