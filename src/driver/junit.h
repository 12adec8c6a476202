#pragma once
// JUnit results of a run: the test case file is a test suite, each API or
// tool-method section a test case named by its keyword and line, with its
// elapsed time, a failure carrying the report lines of a failed check, an
// error for a tool error, and the run's verdict and exit code as properties.
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

struct RunContext;

class JunitRecorder {
 public:
  explicit JunitRecorder(std::string suite_name) : suite_(std::move(suite_name)) {}

  // Around one top-level item of the run; the driver calls `begin` with the
  // item's keyword just read and `end` after its handler returned.
  // `not_a_section`: a comment, skip statement or stray "End", recorded only
  // when it raised a tool error.
  void begin(RunContext& ctx);
  void end(RunContext& ctx, bool not_a_section);

  // The run is over (`fatal`: ended by a fatal tool error). An item still
  // open is closed as it stands.
  void finish(RunContext& ctx, int exit_code, bool fatal);

  std::string xml() const;
  // 0, or the error number when the file could not be written completely
  // (a plain file is then removed rather than left half written).
  int write(const std::string& file) const;

  struct Case {
    std::string name;
    double seconds = 0;
    enum Outcome { kPass, kFailure, kError } outcome = kPass;
    std::string message;  // the failure's report lines or the first tool error line
    std::string type;     // "check" or the TC number
    std::string text;     // what the section wrote into the result file
  };
  const std::vector<Case>& cases() const { return cases_; }

 private:
  std::string suite_;
  std::vector<Case> cases_;
  bool open_ = false;
  std::string name_;
  std::string captured_;
  std::chrono::steady_clock::time_point start_;
  std::string verdict_;
  int exit_code_ = 0;
};

// Text that any XML parser takes: the five markup characters escaped, line
// ends and tabs escaped in attributes, and every byte that is not valid
// UTF-8 or not an XML character replaced by U+FFFD.
std::string xml_text(std::string_view bytes, bool attribute);

}  // namespace kr
