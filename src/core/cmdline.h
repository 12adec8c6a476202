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
  std::string record_file;       // the test case written back with the expectations seen
  bool record_all = false;       // ... replacing the expectations it had
  bool record_volatile = false;  // ... and with values that change from run to run

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
// `side_outputs` are the other files a run writes (the long options'): a
// run refuses one that names the test case, the result file or another of
// them, as it refuses a result file that names the test case.
Invocation parse_command_line(const std::vector<std::string>& args, Sink& out, Sink& err,
                              const std::vector<std::string>& side_outputs = {});

// Whether two names lead to one file: the same name, another spelling of
// the path, a symbolic or a hard link. A file yet to be written counts by
// its folder and its name in it, and a dangling link by what it points to,
// so two names of a file no run has made yet are one file too.
bool names_one_file(const std::string& a, const std::string& b);

// `name` with `ext` appended unless its last "." starts an extension (a
// dot directly before a path separator does not).
std::string with_default_extension(const std::string& name, std::string_view ext);

// The fixed -h help text.
void write_help(Sink& out);

// The -d dump lines of the options a test run uses, as the result file shows them.
void write_argument_dump(const CommandLineSettings& s, Sink& to, bool with_reference_options);

inline constexpr std::string_view kNullDevice = "/dev/null";

}  // namespace kr
