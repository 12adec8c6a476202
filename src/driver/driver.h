#pragma once
// The run driver: one test case from top to bottom.
#include <cstddef>
#include <string>

namespace kr {

struct CommandLineSettings;
struct RunContext;
class Sink;

// The most a test case file may hold (1 GiB); a longer one, such as a device
// that never ends, is TC0001.
inline constexpr std::size_t kMaxTestCaseBytes = std::size_t{1} << 30;

enum class ReadResult { kOk, kCannotOpen, kTooLong };

// Reads a whole test case file, at most kMaxTestCaseBytes of it; the run and
// the syntax check read through here, so both keep the same bound.
ReadResult read_test_case_file(const std::string& name, std::string* data);
// " (longer than 1073741824 bytes)": what TC0001 adds for a file too long.
std::string too_long_note();

// Opens the files the settings name, runs the test case and returns the exit code.
int run_test_case(const CommandLineSettings& settings, Sink& console);

// The same run over given bytes with the result file captured in a string;
// for tests that drive whole runs in-process.
int run_test_text(const CommandLineSettings& settings, std::string input, std::string* result, Sink& console);

// A section handler: reads the rest of its section through "End".
using Handler = void (*)(RunContext&);

// The handler of a class keyword id, or null when the class has none.
Handler handler_for_class(int class_id);

}  // namespace kr
