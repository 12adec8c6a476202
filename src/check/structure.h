#pragma once
// The IF and loop structure of a test case, which a run only follows as it
// goes: IFs and loops do not nest, every IF needs its THEN and ENDIF, every
// loop its jump back.
#include <cstddef>

#include "check/values.h"

namespace kr::check {

class Structure {
 public:
  // A flow-control statement (other keywords are ignored) at an offset.
  void statement(int id, std::size_t at, Findings& f);
  // An API section with XpRc or XpValue: between IF and THEN it is the
  // IF expression.
  void expectation();
  // The loop just opened plans no pass: the run skips its body.
  void loop_skipped();
  void end_of_file(Findings& f) const;

  bool in_if() const { return phase_ != Phase::kNone; }
  bool in_loop() const { return loop_open_; }
  // Where the loop that is open began.
  std::size_t loop_at() const { return loop_at_; }

 private:
  enum class Phase { kNone, kCondition, kThen, kElse };
  Phase phase_ = Phase::kNone;
  std::size_t if_at_ = 0;
  bool expr_seen_ = false;
  bool loop_open_ = false;
  std::size_t loop_at_ = 0;
};

}  // namespace kr::check
