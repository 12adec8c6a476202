#pragma once
// The syntax check: reads a test case file as a run would and reports every
// mistake it can see without calling the API or writing a result file.
#include <cstddef>
#include <string>
#include <vector>

namespace kr {
class Sink;
}

namespace kr::check {

enum class Severity { kWarning, kError };

struct Finding {
  std::size_t line;    // from 1
  std::size_t column;  // from 1, in bytes
  Severity severity;
  std::string message;
};

// The most findings one file gets; the check of the file stops there.
inline constexpr std::size_t kMaxFindings = 10000;

// Findings for the bytes of one test case file, in file order.
std::vector<Finding> check_text(std::string bytes);

// The --check mode: every file (with the run's default extension rule),
// one line "FILE:LINE:COLUMN: error|warning: message" per finding, then a
// summary line. Returns 0 without errors, 8 with at least one.
int check_files(const std::vector<std::string>& files, Sink& out);

}  // namespace kr::check
