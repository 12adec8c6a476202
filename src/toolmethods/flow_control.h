#pragma once
// Branching, looping and the exit code: the flow-control members of TESTTOOL.
#include <cstdint>
#include <string_view>

namespace kr {

struct RunContext;

void tool_if(RunContext& ctx);
void tool_then(RunContext& ctx);
void tool_else(RunContext& ctx);
void tool_endif(RunContext& ctx);
void loop_start(RunContext& ctx);
void jump_to_loop_start(RunContext& ctx);
void loop_break(RunContext& ctx);
void terminate(RunContext& ctx);
void set_return_code(RunContext& ctx);

// How a count written as a word reads: its leading decimal digits after an
// optional sign, as atol would take them.
enum class Count {
  kNumber,      // began like a number and fits
  kNotNumber,   // no leading digits
  kOutOfRange,  // leading digits, but outside the range asked for
};
Count leading_count(std::string_view text, int64_t min, int64_t max, int64_t* value);

}  // namespace kr
