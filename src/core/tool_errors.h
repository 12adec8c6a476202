#pragma once
// The tool's own errors: catalogue, reporter and the two reference files.
#include <string_view>

namespace kr {

struct RunContext;
class Sink;

// Internal codes, the numbers callers pass to the reporter.
enum ToolError : int {
  TC0001 = 100018,  // Can not open input file (test case)
  TC0002 = 100020,  // Can not open output file (result)
  TC0003 = 100019,  // Can not open input file (identifier file)
  TC0004 = 100021,  // Can not open output file (identifier file)
  TC0005 = 100022,  // Input file empty
  TC0006 = 100000,  // Unknown API method
  TC0007 = 100002,  // Unknown parameter
  TC0008 = 100003,  // Missing parameter
  TC0009 = 100005,  // Invalid parameter combination
  TC0010 = 100001,  // Unknown keyword or parameter
  TC0011 = 100006,  // Invalid handle
  TC0012 = 100012,  // Invalid enumeration parameter keyword
  TC0013 = 100007,  // Invalid PID index
  TC0014 = 100008,  // Invalid or missing Flag
  TC0015 = 100009,  // Handle out of limit
  TC0016 = 100010,  // "ALL" invalid in this context
  TC0017 = 100011,  // Invalid object
  TC0018 = 100014,  // Length of BINARY data (after a ...BinaryLength call)
  TC0019 = 100015,  // Length of BINARY data (DataLength)
  TC0020 = 100016,  // Missing double quote
  TC0021 = 100004,  // Missing command line parameter
  TC0022 = 100013,  // Comment END not found
  TC0023 = 100026,  // Out of resources
  TC0024 = 100023,  // If statement
  TC0031 = 100025,  // Hex string ends with a half byte
  TC0032 = 100024,  // Hex string contains an unknown char
};

// Thrown by a fatal tool error; the entry point catches it and ends the
// process with `code` (no clean-up, no verdict).
struct FatalExit {
  int code;
};

// Reports a tool error: the report line and message on both destinations,
// the error flag, then the error's consequence (abandon the section, report
// only, stop the run, or end the process by throwing FatalExit).
void tool_error(RunContext& ctx, int code, std::string_view text = {});

// A file the run writes (the result file, a file a section writes) could not
// be written completely: the console, and the result file while it can still
// be written, say which file and why; then the process ends with exit code 1
// (FatalExit), without clean-up or verdict.
[[noreturn]] void write_failure(RunContext& ctx, std::string_view file, int error);

// The abandon step on its own: skip the rest of the section through "End"
// and write the break line.
void abandon_section(RunContext& ctx);

}  // namespace kr
