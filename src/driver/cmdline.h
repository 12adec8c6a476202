#pragma once
// The command line: the positional and the option form, the reference modes,
// and the option values that "<CL-VALUE>" fetches.
#include <string>
#include <string_view>
#include <vector>

namespace kr {

class Sink;

struct OptionValue {
  std::string value;
  bool given = false;
};

struct CommandLineSettings {
  OptionValue test_case, result, user, password, system, group, config, session;
  OptionValue syntax, tool_rc, api_rc;
  bool help = false;
  bool dump = false;

  std::string program;         // argv[0] as invoked
  std::string test_case_name;  // as typed, before a default extension
  std::string input_file;      // with its default extension
  std::string result_file;     // with its default extension, or the null device
  bool no_output = false;

  // Set from the long options, never by the fixed command line.
  std::string junit_file;  // JUnit results of the run, when not empty
  bool lines = false;      // locations on the console copies of tool errors

  // The option behind a "<CL-VALUE>" parameter keyword; null for others.
  const OptionValue* cl_value(std::string_view parameter_keyword) const;
};

enum class Mode { kExit, kRun, kSyntax, kApiRcs, kToolRcs, kToolRcs2 };

struct Invocation {
  Mode mode = Mode::kExit;
  int exit_code = 0;            // for kExit
  std::string reference_file;   // for the reference modes
  std::string redirect_label;   // "... redirected to file: " is preceded by this
  CommandLineSettings settings;
};

// Reads the arguments; writes its messages, the help text and the argument
// dump to the given sinks. Opens nothing.
Invocation parse_command_line(const std::vector<std::string>& args, Sink& out, Sink& err);

// `name` with `ext` appended unless its last "." starts an extension (a
// dot directly before a path separator does not).
std::string with_default_extension(const std::string& name, std::string_view ext);

// The fixed -h help text.
void write_help(Sink& out);

// The -d dump lines of the options a test run uses, as the result file shows them.
void write_argument_dump(const CommandLineSettings& s, Sink& to, bool with_reference_options);

inline constexpr std::string_view kNullDevice = "/dev/null";

}  // namespace kr
