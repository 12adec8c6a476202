#pragma once
// For tests: a run context over given input, with the result file and the
// console captured in strings.
#include <string>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/run_context.h"

namespace kr {

struct TestContext {
  CommandLineSettings settings;
  std::string console_text;
  Sink console{&console_text};
  RunContext ctx{settings, console};
  std::string result;

  explicit TestContext(std::string input = "End") {
    ctx.in = Input(std::move(input));
    ctx.out.capture(&result);
  }
};

}  // namespace kr
