// The steps the item, work item and activity instance families share.
#include "api/work_family.h"

#include <string>

#include "api/executor.h"
#include "api/join.h"
#include "core/keywords.h"
#include "core/reader.h"
#include "core/run_context.h"
#include "core/section.h"
#include "eval/checks.h"

namespace kr::api {

void after_string_list(Call& c) {
  std::string text = sorted_list(join_with_heading(c.ctx, c.object, kJoinReport, Walk::kElements));
  std::string xp = c.xp_given ? sorted_list(c.xp_value) : std::string(kNoExpectedValue);
  check_text(c.ctx, kLabelValue, OptText(text), xp);
}

}  // namespace kr::api
