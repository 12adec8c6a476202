// kestrun1: runs a test case file against the workflow C API, or writes one
// of the reference files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check/checker.h"
#include "core/cmdline.h"
#include "core/long_options.h"
#include "core/output.h"
#include "core/terminal.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"
#include "driver/driver.h"
#include "lsp/server.h"
#include "reference/syntax.h"

int main(int argc, char** argv) {
  using namespace kr;
  Sink err(stderr, false, true);
  std::vector<std::string> args(argv, argv + argc);
  // The long options come off first; what is left is read as it always was.
  const LongOptions lo = take_long_options(&args);
  if (lo.error.empty() && lo.version) {
    Sink out(stdout);
    out.line(version_line());
    return 0;
  }
  // The language server owns standard output: no banner, nothing else.
  if (lo.error.empty() && lo.lsp && !lo.help) return lsp::serve_stdio();
  if (lo.error.empty() && lo.check && !lo.help) {
    Sink out(stdout);
    return check::check_files(lo.files, out);
  }
  write_banner(err, console_is_utf8_terminal());
  if (!lo.error.empty()) {
    err.line(lo.error);
    return 4;
  }
  if (lo.help) {
    Sink out(stdout);
    write_help(out);
    write_long_option_help(out);
    return 0;
  }
  Invocation inv;
  {
    Sink out(stdout);
    std::vector<std::string> side_outputs;
    if (!lo.junit_file.empty()) side_outputs.push_back(lo.junit_file);
    if (!lo.record_file.empty()) side_outputs.push_back(lo.record_file);
    inv = parse_command_line(args, out, err, side_outputs);
  }
  inv.settings.junit_file = lo.junit_file;
  inv.settings.lines = lo.lines;
  inv.settings.record_file = lo.record_file;
  inv.settings.record_all = lo.record_all;
  inv.settings.record_volatile = lo.record_volatile;
  switch (inv.mode) {
    case Mode::kExit:
      return inv.exit_code;
    case Mode::kRun:
      return run_test_case(inv.settings, err);
    case Mode::kSyntax:
    case Mode::kApiRcs:
    case Mode::kToolRcs:
    case Mode::kToolRcs2:
      break;
  }
  if (!freopen(inv.reference_file.c_str(), "w+", stdout)) {
    err.line("USER ERROR:  Invalid file specification: " + inv.reference_file);
    err.line("");
    return 4;
  }
  err.line(inv.redirect_label + " redirected to file: " + inv.reference_file);
  err.line("");
  Sink out(stdout);
  switch (inv.mode) {
    case Mode::kSyntax: write_syntax_reference(out); break;
    case Mode::kApiRcs: write_api_rcs(out); break;
    case Mode::kToolRcs: write_tool_rcs(out, false); break;
    default: write_tool_rcs(out, true); break;
  }
  out.flush();
  if (out.error()) {
    // A reference file that is not complete is never reported as written.
    err.line("");
    err.line("Can not write file:  " + inv.reference_file + "  (" + std::strerror(out.error()) + ")");
    return 1;
  }
  return inv.mode == Mode::kSyntax ? 0 : 1;
}
