#pragma once
// Pausing, timing, waiting for the person at the console and remarks in the
// result file: the timing and interaction members of TESTTOOL.
#include <cstdint>
#include <cstdio>

namespace kr {

struct RunContext;

void sleep_method(RunContext& ctx);
void show_elapse_time(RunContext& ctx);
void wait_for_user_input(RunContext& ctx);
void comment_to_output(RunContext& ctx);

// What the timing methods take from the platform. Tests put in their own
// clock-free sleep and input stream so they neither wait nor need a console.
struct TimingPlatform {
  void (*sleep_ms)(uint32_t ms);
  std::FILE* user_input;  // null: standard input
};
TimingPlatform& timing_platform();

// The widest range of a random sleep, in milliseconds.
inline constexpr uint32_t kRandomRangeMax = 32767000;

// The tool's own generator: 0 to 32767, the same sequence in every run.
uint32_t next_random(RunContext& ctx);

}  // namespace kr
