// The command line: the input is the argument list, one argument per line.
// Parsing opens nothing; a test run's settings must name both files.
#include <cstdlib>
#include <string>
#include <vector>

#include "core/cmdline.h"
#include "core/output.h"
#include "fuzz.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::enter_sandbox();  // the identical-file check looks at files
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args{"kestrun1"};
  std::string arg;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      args.push_back(arg);
      arg.clear();
    } else {
      arg.push_back(static_cast<char>(data[i]));
    }
  }
  if (!arg.empty()) args.push_back(arg);
  std::string out, err;
  kr::Sink o(&out), e(&err);
  fuzz::Confined confined;
  kr::Invocation inv = kr::parse_command_line(args, o, e);
  if (inv.mode == kr::Mode::kRun && (inv.settings.input_file.empty() || inv.settings.result_file.empty())) std::abort();
  if (inv.mode == kr::Mode::kExit && inv.exit_code != 0 && inv.exit_code != 4) std::abort();
  if (inv.mode == kr::Mode::kRun) {
    std::string dump;
    kr::Sink d(&dump);
    kr::write_argument_dump(inv.settings, d, true);
  }
  return 0;
}
