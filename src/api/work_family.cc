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

bool resolve_input_enums(Call& c) {
  for (std::size_t k = 0; k < c.row.params.size(); ++k) {
    const Value& v = c.v[k];
    if (c.row.params[k].form == Form::kEnum && v.given && leading_number(v.text) == -1) return false;
    if (!echo_param(c, k)) return false;
  }
  return true;
}

}  // namespace kr::api
