#pragma once
// Reading the tokens and values of one section as the run's readers do,
// with the section's limits. A refused value is a finding, and the section
// is then skipped through "End" as the run's error reporter skips it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/checker.h"
#include "core/reader.h"

namespace kr::check {

// Findings by input offset, in the order they were found.
struct Findings {
  struct Raw {
    std::size_t at;
    Severity severity;
    std::string message;
  };
  std::vector<Raw> raw;
  void error(std::size_t at, std::string m) { raw.push_back({at, Severity::kError, std::move(m)}); }
  void warning(std::size_t at, std::string m) { raw.push_back({at, Severity::kWarning, std::move(m)}); }
};

// What a reader left behind.
enum class St {
  kOk,
  kAbandon,  // the run reports a tool error and skips to "End": so did the reader
  kEof,      // the input ended inside the section (already reported)
};

class SectionReader {
 public:
  SectionReader(Input& in, Findings& findings) : in_(in), findings_(findings) {}

  // A section begins at its keyword's offset.
  void begin(std::size_t at);
  std::size_t section_at() const { return section_at_; }

  // The next token into the next slot.
  St take(std::string_view* tok, std::size_t* at);
  St word(std::string_view* value, std::size_t* at);
  // [sign]digits within [min, max], the whole token.
  St number(std::string_view what, int64_t min, int64_t max, int64_t* value, std::size_t* at);
  // A number, reported when outside the handle range 1 to 49.
  // zero_ok: 0 stands for no object (an optional container), not out of range.
  St handle_number(std::string_view what, int32_t* out, std::size_t* at, bool zero_ok = false);
  // Quoted text (doubled quotes inside), NULL or DEFAULT.
  St text(std::string_view what, std::size_t max_len, std::string* value, bool* null_or_default, std::size_t* at);
  St boolean(std::string_view what, std::size_t* at);
  // A decimal floating-point XpValue.
  St double_value(std::size_t* at);
  // A value read and dropped: quoted text when it opens with a quote, else one token.
  St any_value(std::string_view what, std::size_t* at);

  // Skips through "End" unless the refused token was "End" itself.
  St abandon(bool at_end);
  void skip_to_end();
  void missing_end();

 private:
  St take_value_slot(std::size_t at);
  void runaway_quote(std::string_view what, std::string_view v, std::size_t at);

  Input& in_;
  Findings& findings_;
  std::size_t section_at_ = 0;
  int slots_ = 0;
};

// A token as a message shows it: quoted, control bytes escaped, long ones cut.
std::string shown(std::string_view t);
bool is_eof_token(std::string_view t);
// Whether a token starts a section or closes one.
bool is_statement_word(std::string_view t);

}  // namespace kr::check
