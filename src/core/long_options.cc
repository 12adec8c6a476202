#include "core/long_options.h"

#include "core/output.h"

namespace kr {

LongOptions take_long_options(std::vector<std::string>* args) {
  LongOptions lo;
  std::vector<std::string> rest;
  std::vector<std::string>& a = *args;
  if (!a.empty()) rest.push_back(a[0]);
  for (std::size_t i = 1; i < a.size(); ++i) {
    const std::string& arg = a[i];
    if (arg == "--check") {
      lo.check = true;
    } else if (arg == "--version") {
      lo.version = true;
    } else if (arg == "--help") {
      lo.help = true;
    } else if (arg == "--lines") {
      lo.lines = true;
    } else if (arg == "--record-all") {
      lo.record_all = true;
    } else if (arg == "--record-volatile") {
      lo.record_volatile = true;
    } else if (arg == "--record" || arg.rfind("--record=", 0) == 0) {
      if (arg.size() > 9) {
        lo.record_file = arg.substr(9);
      } else if (i + 1 < a.size() && !a[i + 1].empty() && a[i + 1][0] != '-') {
        lo.record_file = a[++i];
      } else {
        lo.error = "Missing argument: --record ???";
      }
    } else if (arg == "--lsp") {
      lo.lsp = true;
    } else if (arg == "--junit" || arg.rfind("--junit=", 0) == 0) {
      if (arg.size() > 8) {
        lo.junit_file = arg.substr(8);
      } else if (i + 1 < a.size() && !a[i + 1].empty() && a[i + 1][0] != '-') {
        lo.junit_file = a[++i];
      } else {
        lo.error = "Missing argument: --junit ???";
      }
      if (lo.junit_file.empty() && lo.error.empty()) lo.error = "Missing argument: --junit ???";
    } else {
      rest.push_back(arg);
    }
  }
  if (lo.check && lo.error.empty()) {
    // Everything else names a file to check.
    for (std::size_t i = 1; i < rest.size(); ++i) {
      if (!rest[i].empty() && rest[i][0] == '-') {
        lo.error = "Unknown option: " + rest[i] + " (--check takes test case files only)";
        break;
      }
      lo.files.push_back(rest[i]);
    }
    if (lo.error.empty() && !lo.junit_file.empty()) lo.error = "--junit runs a test case; --check runs none";
    if (lo.error.empty() && lo.files.empty() && !lo.version && !lo.help)
      lo.error = "Missing argument: --check needs at least one test case file";
    rest.resize(rest.empty() ? 0 : 1);
  }
  if (lo.error.empty() && (lo.record_all || lo.record_volatile) && lo.record_file.empty())
    lo.error = "--record-all and --record-volatile go with --record FILE";
  if (lo.error.empty() && lo.check && !lo.record_file.empty()) lo.error = "--record runs a test case; --check runs none";
  if (lo.lsp && lo.error.empty() && (lo.check || !lo.junit_file.empty() || !lo.record_file.empty() || rest.size() > 1))
    lo.error = "--lsp takes no other arguments: the editor talks to it on standard input and output";
  *args = std::move(rest);
  return lo;
}

void write_long_option_help(Sink& out) {
  static constexpr std::string_view kLines[] = {
      "",
      "  Long options:",
      "  --check <TestCase> ...  check test case files without running them",
      "                          (FILE:LINE:COLUMN: error|warning: message)",
      "  --junit <File>          write JUnit XML results of the run into File",
      "  --lines                 show where each tool error on the console stands",
      "  --record <File>         also write the test case into File with the XpRc and",
      "                          XpValue this run saw where a section had none",
      "  --record-all            with --record: replace the expectations given too",
      "  --record-volatile       with --record: also times and identifiers",
      "  --lsp                   language server for test case files on standard input/output",
      "  --version               program name and version",
      "  --help                  this help",
  };
  for (std::string_view l : kLines) out.line(l);
}

std::string_view version_line() { return "kestrun1 v340"; }

}  // namespace kr
