#pragma once
// The run driver: one test case from top to bottom.
#include <cstddef>
#include <string>

namespace kr {

struct CommandLineSettings;
struct RunContext;
class Sink;

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
