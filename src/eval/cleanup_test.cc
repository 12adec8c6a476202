#include "eval/cleanup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/test_context.h"

namespace kr {
namespace {

// A handle the client never handed out: every deallocate refuses it, so the
// clean-up's lines carry a non-zero return code and the client is untouched.
constexpr PvxjHandle kForeign = 0x0BADF00D;

struct Fixture : TestContext {
  Fixture() { ::setenv("PVXJSIM_DB", ":memory:", 1); }
  std::string separator() const { return std::string(kSeparator) + "\n"; }
};

// The tables in the order the clean-up frees them, written out here rather
// than taken from the class table, so that a step moved there shows up.
const std::vector<std::pair<int, std::string>>& order() {
  static const std::vector<std::pair<int, std::string>> steps = {
      {kProcessTemplateVectorHdl, "ProcessTemplateVector"},
      {kProcessTemplateHdl, "ProcessTemplate"},
      {kProcessInstanceVectorHdl, "ProcessInstanceVector"},
      {kProcessInstanceHdl, "ProcessInstance"},
      {kActivityInstanceVectorHdl, "ActivityInstanceVector"},
      {kActivityInstanceNotificationVectorHdl, "ActivityInstanceNotificationVector"},
      {kItemVectorHdl, "ItemVector"},
      {kWorkitemVectorHdl, "WorkitemVector"},
      {kProcessInstanceNotificationVectorHdl, "ProcessInstanceNotificationVector"},
      {kWorklistVectorHdl, "WorklistVector"},
      {kProcessTemplateListVectorHdl, "ProcessTemplateListVector"},
      {kProcessInstanceListVectorHdl, "ProcessInstanceListVector"},
      {kActivityInstanceListVectorHdl, "ActivityInstanceListVector"},
      {kReadWriteContainerHdl, "ReadWriteContainer"},
      {kActivityInstanceHdl, "ActivityInstance"},
      {kActivityInstanceListHdl, "ActivityInstanceList"},
      {kActivityInstanceNotificationHdl, "ActivityInstanceNotification"},
      {kContainerElementHdl, "ContainerElement"},
      {kContainerElementVectorHdl, "ContainerElementVector"},
      {kIntVectorHdl, "IntVector"},
      {kItemHdl, "Item"},
      {kPersonHdl, "Person"},
      {kProcessInstanceListHdl, "ProcessInstanceList"},
      {kProcessInstanceNotificationHdl, "ProcessInstanceNotification"},
      {kProcessTemplateListHdl, "ProcessTemplateList"},
      {kReadOnlyContainerHdl, "ReadOnlyContainer"},
      {kStringVectorHdl, "StringVector"},
      {kWorkitemHdl, "Workitem"},
      {kWorklistHdl, "Worklist"},
      {kImplementationDataHdl, "ImplementationData"},
      {kDllOptionsHdl, "DllOptions"},
      {kExeOptionsHdl, "ExeOptions"},
      {kExternalOptionsHdl, "ExternalOptions"},
      {kErrorHdl, "Error"},
      {kControlConnectorInstanceHdl, "ControlConnectorInstance"},
      {kControlConnectorInstanceVectorHdl, "ControlConnectorInstanceVector"},
      {kPointHdl, "Point"},
      {kPointVectorHdl, "PointVector"},
      {kInstanceMonitorHdl, "InstanceMonitor"},
      {kProcessInstanceMonitorHdl, "ProcessInstanceMonitor"},
      {kSymbolLayoutHdl, "SymbolLayout"},
      {kExecutionDataHdl, "ExecutionData"},
      {kProgramTemplateHdl, "ProgramTemplate"},
      {kImplementationDataVectorHdl, "ImplementationDataVector"},
      {kProgramDataHdl, "ProgramData"},
      {kExecutionServiceHdl, "ExecutionService"},
  };
  return steps;
}

TEST(Cleanup, NothingRegisteredWritesOnlyTheSeparator) {
  Fixture f;
  // Values outside the object tables are not the clean-up's to free.
  PvxjDateTime dt{};
  f.ctx.reg.set_date_time(1, dt);
  f.ctx.reg.set_text(kSessionIdHdl, 1, "S1");
  f.ctx.reg.new_stream(1, 4);
  run_cleanup(f.ctx);
  EXPECT_EQ(f.result, f.separator());
}

TEST(Cleanup, FreesEveryTableInItsFixedOrderAndSlotsAscending) {
  Fixture f;
  // Filled back to front, so that neither the filling order nor the
  // keyword ids can produce the expected order by accident.
  for (auto it = order().rbegin(); it != order().rend(); ++it) *f.ctx.reg.handle_slot(it->first, 7) = kForeign;
  for (int n : {49, 0, 3}) *f.ctx.reg.handle_slot(kProcessInstanceHdl, n) = kForeign;
  // Through a second keyword the same table is reached.
  *f.ctx.reg.handle_slot(kExecutionServiceHdl2, 2) = kForeign;
  // Result objects and block instance monitors are left alone.
  *f.ctx.reg.handle_slot(kResultHdl, 1) = kForeign;
  *f.ctx.reg.handle_slot(kBlockInstanceMonitorHdl, 1) = kForeign;

  run_cleanup(f.ctx);

  std::string want = f.separator();
  auto line = [&](const std::string& cls, int n) {
    want += "Pvxj" + cls + "Deallocate( " + std::to_string(n) + " ) ended with RC = 130\n";
  };
  for (const auto& [table, cls] : order()) {
    if (table == kProcessInstanceHdl) {
      for (int n : {0, 3, 7, 49}) line(cls, n);
    } else if (table == kExecutionServiceHdl) {
      line(cls, 2);
      line(cls, 7);
    } else {
      line(cls, 7);
    }
  }
  want += "\nCleanup done by Test Tool\n" + f.separator();
  EXPECT_EQ(f.result, want);
  // A refused deallocate is no error of the run.
  EXPECT_FALSE(f.ctx.error_flag);
  EXPECT_EQ(f.ctx.reg.handle(kResultHdl, 1), kForeign);
}

TEST(Cleanup, WhenDisabledNothingIsFreed) {
  Fixture f;
  *f.ctx.reg.handle_slot(kExecutionServiceHdl, 1) = kForeign;
  f.ctx.reg.cleanup_disabled = true;
  run_cleanup(f.ctx);
  EXPECT_EQ(f.result, f.separator() + "Automatic cleanup of the allocated resources is disabled.\n");
  EXPECT_EQ(f.ctx.reg.handle(kExecutionServiceHdl, 1), kForeign);
}

}  // namespace
}  // namespace kr
