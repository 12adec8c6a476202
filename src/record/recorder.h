#pragma once
// --record FILE / --record-all FILE: a run that also writes its test case
// back with the expectations it saw. XpRc or XpValue goes into each API
// section that had none (with --record-all the existing ones are replaced
// too); every other byte of the file stays as it was.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace kr {

struct RunContext;

struct RecordSettings {
  std::string file;              // where the recorded test case goes; empty: no recording
  bool all = false;              // replace the expectations a section has
  bool volatile_values = false;  // also values that differ from run to run (times, identifiers)
};

// What the sections of one run returned, by the offset of their keyword in
// the run's input (CR LF read as LF).
struct Observation {
  std::string rc;     // the return-code name, when the section checks one
  std::string value;  // the value as XpValue writes it, when it checks a value
  bool rc_seen = false, value_seen = false;
  bool rc_varies = false, value_varies = false;  // passes of a loop saw different results
};
using Observations = std::map<std::size_t, Observation>;

class Recorder {
 public:
  explicit Recorder(RecordSettings s) : s_(std::move(s)) {}

  // A top-level section begins at the input's last token.
  void begin(const RunContext& ctx);
  // What the section's check saw: the return code's name or the value.
  void saw_rc(const RunContext& ctx, std::string_view name);
  // `written` is the value as the section would write it after XpValue;
  // empty when it cannot be written (too long, a line feed in a word).
  void saw_value(const RunContext& ctx, std::string written);

  const Observations& observations() const { return seen_; }
  // Writes the recorded file from the original bytes; 0 or an errno value.
  int write(std::string_view original) const;

 private:
  bool wanted(const RunContext& ctx) const;
  RecordSettings s_;
  std::size_t section_ = 0;
  bool api_ = false;
  Observations seen_;
};

// The original bytes with the observations written in.
std::string recorded_text(std::string_view original, const Observations& seen, bool all);

// Whether an API keyword returns what changes from run to run: times,
// dates, identifiers of objects and sessions.
bool volatile_result(int keyword_id);

// How XpValue writes a text value: quoted, a double quote doubled; NULL for none.
std::string quoted_value(const char* text);

}  // namespace kr

#include <cstdint>
#include <optional>

namespace kr {

// The checks' hooks; each does nothing unless the run records.
void record_rc(RunContext& ctx, uint32_t rc);
void record_text(RunContext& ctx, std::optional<std::string_view> actual);
void record_word(RunContext& ctx, std::string written);

}  // namespace kr
