#pragma once
// The run context: everything one run of a test case owns, handed to every handler.
#include <cstdint>
#include <string>

#include "core/output.h"
#include "core/reader.h"
#include "core/registry.h"
#include "core/tool_errors.h"

namespace kr {

struct CommandLineSettings;
class JunitRecorder;
class Recorder;

// Switches of the elapse-time tool method, read by the driver and the API template.
struct TimingSwitches {
  bool testcase = false;
  bool section = false;
  bool method = false;
  bool client = false;  // accepted and stored; nothing reads it
  bool timestamp = false;
  bool print_api_name = false;
  void clear() { *this = TimingSwitches{}; }
};

// IF-THEN-ELSE state shared by the flow-control methods and the checks.
struct IfState {
  bool if_open = false;
  bool then_open = false;
  bool if_mode = false;         // between the End of TestTool_If and TestTool_Then
  bool api_expr_seen = false;
  bool if_value = false;        // AND of the API expressions so far
  void reset() { *this = IfState{}; }
};

struct LoopState {
  bool active = false;
  uint32_t counter = 0;  // jumps done; the current pass is counter + 1
  uint32_t planned = 0;
  std::size_t start_pos = 0;
  void reset() { *this = LoopState{}; }
};

struct RunContext {
  RunContext(const CommandLineSettings& settings, Sink& console) : cl(settings), err(console) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  const CommandLineSettings& cl;
  Input in;
  Sink out;   // the result file
  Sink& err;  // the console (standard error)

  // The current section: its keyword (slot 0), the token in the current slot
  // and the slot index that enforces the 30-token limit.
  int keyword_id = 0;
  std::string keyword;
  std::string cur;
  int slot_index = 0;

  // Run-wide state.
  bool error_flag = false;
  bool break_flag = false;
  bool user_rc_set = false;
  int32_t user_rc = 0;
  std::size_t keyword_start = 0;
  LoopState loop;
  IfState ifs;
  TimingSwitches timing;
  uint32_t run_start_tick = 0;
  uint32_t section_start_tick = 0;
  std::string section_name;
  uint32_t random_state = 1;  // the tool's own fixed-seed generator

  HandleRegistry reg;

  JunitRecorder* junit = nullptr;  // set when JUnit results are asked for
  Recorder* recorder = nullptr;    // set when the run writes its expectations back (--record)

  // Values that API sections leave for later sections.
  std::string program_id;      // the last program identifier the agent returned
  uint32_t stream_length = 0;  // the current stream length
  std::string last_full_name;  // the last full name of a container element (QualifiedName DEFAULT)
  uint32_t binary_length = 0;  // the length the last ...BinaryLength call returned

  // Everything written so far reaches its file before the process waits,
  // sleeps, calls the API or ends.
  // A result file that cannot be written ends the run as a fatal tool error
  // (FatalExit), so a lost result is never followed by a verdict of success.
  void flush() {
    out.flush();
    err.flush();
    if (out.error() && !result_failure_reported) {
      result_failure_reported = true;
      write_failure(*this, result_name, out.error());
    }
  }
  std::string result_name;  // the result file, for messages
  bool result_failure_reported = false;
};

}  // namespace kr
