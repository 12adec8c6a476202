// The worklist family: worklists and their vectors.
#include <pvxj/process_template.h>
#include <pvxj/worklist.h>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/run_context.h"

namespace kr::api {
namespace {

// The work item goes to WorkitemHdl n, its input container to a
// ReadOnlyContainerHdl n only when the section names one.
void worklist_check_out_next(Call& c) {
  c.rc = PvxjWorklistCheckOutNextWorkitem(c.h(0), SlotProxy<PvxjWorkitem>(c.slot(1)),
                                          SlotProxy<PvxjReadOnlyContainer>(c.given(kReadOnlyContainerHdl) ? c.slot(2) : nullptr));
}

// The method is gone from the API: the line in place of the call, and a
// null text for the evaluation.
void worklist_owner(Call& c) {
  c.ctx.out.line("REMOVED in Driver 21");
  c.text = nullptr;
}

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/worklist.def"
};

}  // namespace

FAMILY(worklist_family, "PvxjWorklist", kPVXJWORKLIST)

}  // namespace kr::api
