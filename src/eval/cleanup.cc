#include "eval/cleanup.h"

#include <string>

#include "driver/keywords.h"
#include "driver/run_context.h"
#include "eval/registry.h"
#include "pvxj/pvxj.h"

namespace kr {
namespace {

struct Step {
  int table;  // handle keyword id
  std::string_view function;
  int32_t (*deallocate)(PvxjHandle*);
};

// Vectors of templates first, the execution services last: an object is
// freed before the objects it came from.
const Step kOrder[] = {
    {kProcessTemplateVectorHdl, "PvxjProcessTemplateVectorDeallocate", PvxjProcessTemplateVectorDeallocate},
    {kProcessTemplateHdl, "PvxjProcessTemplateDeallocate", PvxjProcessTemplateDeallocate},
    {kProcessInstanceVectorHdl, "PvxjProcessInstanceVectorDeallocate", PvxjProcessInstanceVectorDeallocate},
    {kProcessInstanceHdl, "PvxjProcessInstanceDeallocate", PvxjProcessInstanceDeallocate},
    {kActivityInstanceVectorHdl, "PvxjActivityInstanceVectorDeallocate", PvxjActivityInstanceVectorDeallocate},
    {kActivityInstanceNotificationVectorHdl, "PvxjActivityInstanceNotificationVectorDeallocate",
     PvxjActivityInstanceNotificationVectorDeallocate},
    {kItemVectorHdl, "PvxjItemVectorDeallocate", PvxjItemVectorDeallocate},
    {kWorkitemVectorHdl, "PvxjWorkitemVectorDeallocate", PvxjWorkitemVectorDeallocate},
    {kProcessInstanceNotificationVectorHdl, "PvxjProcessInstanceNotificationVectorDeallocate",
     PvxjProcessInstanceNotificationVectorDeallocate},
    {kWorklistVectorHdl, "PvxjWorklistVectorDeallocate", PvxjWorklistVectorDeallocate},
    {kProcessTemplateListVectorHdl, "PvxjProcessTemplateListVectorDeallocate", PvxjProcessTemplateListVectorDeallocate},
    {kProcessInstanceListVectorHdl, "PvxjProcessInstanceListVectorDeallocate", PvxjProcessInstanceListVectorDeallocate},
    {kActivityInstanceListVectorHdl, "PvxjActivityInstanceListVectorDeallocate",
     PvxjActivityInstanceListVectorDeallocate},
    {kReadWriteContainerHdl, "PvxjReadWriteContainerDeallocate", PvxjReadWriteContainerDeallocate},
    {kActivityInstanceHdl, "PvxjActivityInstanceDeallocate", PvxjActivityInstanceDeallocate},
    {kActivityInstanceListHdl, "PvxjActivityInstanceListDeallocate", PvxjActivityInstanceListDeallocate},
    {kActivityInstanceNotificationHdl, "PvxjActivityInstanceNotificationDeallocate",
     PvxjActivityInstanceNotificationDeallocate},
    {kContainerElementHdl, "PvxjContainerElementDeallocate", PvxjContainerElementDeallocate},
    {kContainerElementVectorHdl, "PvxjContainerElementVectorDeallocate", PvxjContainerElementVectorDeallocate},
    {kIntVectorHdl, "PvxjIntVectorDeallocate", PvxjIntVectorDeallocate},
    {kItemHdl, "PvxjItemDeallocate", PvxjItemDeallocate},
    {kPersonHdl, "PvxjPersonDeallocate", PvxjPersonDeallocate},
    {kProcessInstanceListHdl, "PvxjProcessInstanceListDeallocate", PvxjProcessInstanceListDeallocate},
    {kProcessInstanceNotificationHdl, "PvxjProcessInstanceNotificationDeallocate",
     PvxjProcessInstanceNotificationDeallocate},
    {kProcessTemplateListHdl, "PvxjProcessTemplateListDeallocate", PvxjProcessTemplateListDeallocate},
    {kReadOnlyContainerHdl, "PvxjReadOnlyContainerDeallocate", PvxjReadOnlyContainerDeallocate},
    {kStringVectorHdl, "PvxjStringVectorDeallocate", PvxjStringVectorDeallocate},
    {kWorkitemHdl, "PvxjWorkitemDeallocate", PvxjWorkitemDeallocate},
    {kWorklistHdl, "PvxjWorklistDeallocate", PvxjWorklistDeallocate},
    {kImplementationDataHdl, "PvxjImplementationDataDeallocate", PvxjImplementationDataDeallocate},
    {kDllOptionsHdl, "PvxjDllOptionsDeallocate", PvxjDllOptionsDeallocate},
    {kExeOptionsHdl, "PvxjExeOptionsDeallocate", PvxjExeOptionsDeallocate},
    {kExternalOptionsHdl, "PvxjExternalOptionsDeallocate", PvxjExternalOptionsDeallocate},
    {kErrorHdl, "PvxjErrorDeallocate", PvxjErrorDeallocate},
    {kControlConnectorInstanceHdl, "PvxjControlConnectorInstanceDeallocate", PvxjControlConnectorInstanceDeallocate},
    {kControlConnectorInstanceVectorHdl, "PvxjControlConnectorInstanceVectorDeallocate",
     PvxjControlConnectorInstanceVectorDeallocate},
    {kPointHdl, "PvxjPointDeallocate", PvxjPointDeallocate},
    {kPointVectorHdl, "PvxjPointVectorDeallocate", PvxjPointVectorDeallocate},
    {kInstanceMonitorHdl, "PvxjInstanceMonitorDeallocate", PvxjInstanceMonitorDeallocate},
    {kProcessInstanceMonitorHdl, "PvxjProcessInstanceMonitorDeallocate", PvxjProcessInstanceMonitorDeallocate},
    {kSymbolLayoutHdl, "PvxjSymbolLayoutDeallocate", PvxjSymbolLayoutDeallocate},
    {kExecutionDataHdl, "PvxjExecutionDataDeallocate", PvxjExecutionDataDeallocate},
    {kProgramTemplateHdl, "PvxjProgramTemplateDeallocate", PvxjProgramTemplateDeallocate},
    {kImplementationDataVectorHdl, "PvxjImplementationDataVectorDeallocate", PvxjImplementationDataVectorDeallocate},
    {kProgramDataHdl, "PvxjProgramDataDeallocate", PvxjProgramDataDeallocate},
    {kExecutionServiceHdl, "PvxjExecutionServiceDeallocate", PvxjExecutionServiceDeallocate},
};
static_assert(std::size(kOrder) == 46);

}  // namespace

void run_cleanup(RunContext& ctx) {
  ctx.out.line(kSeparator);
  if (ctx.reg.cleanup_disabled) {
    ctx.out.line("Automatic cleanup of the allocated resources is disabled.");
    return;
  }
  bool wrote = false;
  for (const Step& step : kOrder) {
    for (int i = 0; i < kHandleSlots; ++i) {
      PvxjHandle* slot = ctx.reg.handle_slot(step.table, i);
      if (!slot || *slot == 0) continue;
      ctx.flush();  // the log is complete before the API runs
      int32_t rc = step.deallocate(slot);
      std::string line(step.function);
      line.append("( ").append(std::to_string(i)).append(" ) ended with RC = ").append(std::to_string(rc));
      ctx.out.line(line);
      wrote = true;
    }
  }
  if (wrote) {
    ctx.out.line("");
    ctx.out.line("Cleanup done by Test Tool");
    ctx.out.line(kSeparator);
  }
}

}  // namespace kr
