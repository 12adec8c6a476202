#include "check/structure.h"

#include "core/keywords.h"

namespace kr::check {

void Structure::statement(int id, std::size_t at, Findings& f) {
  switch (id) {
    case kTestTool_If:
      if (phase_ != Phase::kNone)
        f.error(at, "TestTool_If inside an open IF (IFs do not nest): the run skips to TestTool_EndIf [TC0024]");
      phase_ = Phase::kCondition;
      if_at_ = at;
      expr_seen_ = false;
      break;
    case kTestTool_Then:
      if (phase_ == Phase::kNone) {
        f.error(at, "TestTool_Then without TestTool_If [TC0024]");
      } else if (phase_ != Phase::kCondition) {
        f.error(at, "a second TestTool_Then in one IF [TC0024]");
      } else {
        if (!expr_seen_)
          f.error(at,
                  "no API section with XpRc or XpValue between TestTool_If and TestTool_Then: "
                  "the IF expression is FALSE [TC0024]");
        phase_ = Phase::kThen;
      }
      break;
    case kTestTool_Else:
      if (phase_ == Phase::kNone)
        f.error(at, "TestTool_Else without TestTool_If [TC0024]");
      else if (phase_ == Phase::kCondition)
        f.error(at, "TestTool_Else before TestTool_Then [TC0024]");
      else if (phase_ == Phase::kElse)
        f.warning(at, "a second TestTool_Else in one IF");
      else
        phase_ = Phase::kElse;
      break;
    case kTestTool_EndIf:
      if (phase_ == Phase::kNone)
        f.error(at, "TestTool_EndIf without TestTool_If [TC0024]");
      else if (phase_ == Phase::kCondition)
        f.error(at, "TestTool_EndIf before TestTool_Then [TC0024]");
      phase_ = Phase::kNone;
      break;
    case kTestTool_LoopStart:
      if (loop_open_) {
        f.error(at,
                "TestTool_LoopStart inside a loop (loops do not nest): its TestTool_JumpToLoopStart "
                "jumps to the outer loop's start");
      } else {
        loop_open_ = true;
        loop_at_ = at;
      }
      break;
    case kTestTool_JumpToLoopStart:
      if (!loop_open_) f.warning(at, "TestTool_JumpToLoopStart without TestTool_LoopStart: it jumps nowhere");
      loop_open_ = false;
      break;
    case kTestTool_LoopBreak:
      if (!loop_open_) f.warning(at, "TestTool_LoopBreak outside a loop");
      break;
    default:
      break;
  }
}

void Structure::expectation() {
  if (phase_ == Phase::kCondition) expr_seen_ = true;
}

void Structure::loop_skipped() { loop_open_ = false; }

void Structure::end_of_file(Findings& f) const {
  if (phase_ == Phase::kCondition)
    f.error(if_at_, "TestTool_If without TestTool_Then and TestTool_EndIf");
  else if (phase_ != Phase::kNone)
    f.error(if_at_, "TestTool_If without TestTool_EndIf");
  if (loop_open_) f.error(loop_at_, "TestTool_LoopStart without TestTool_JumpToLoopStart");
}

}  // namespace kr::check
