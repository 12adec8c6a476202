// kestrun1: runs a test case file against the workflow C API, or writes one
// of the reference files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "diag/rc_names.h"
#include "diag/tool_errors.h"
#include "driver/cmdline.h"
#include "driver/driver.h"
#include "driver/output.h"
#include "reference/syntax.h"

int main(int argc, char** argv) {
  using namespace kr;
  Sink err(stderr, false, true);
  write_banner(err);
  std::vector<std::string> args(argv, argv + argc);
  Invocation inv;
  {
    Sink out(stdout);
    inv = parse_command_line(args, out, err);
  }
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
