// The process instance, worklist and persistent list families: results
// named by exact value, and the one-list-handle rule of the persistent-list
// methods.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "api/catalogue.h"
#include "api/keyword_ids.h"
#include "core/cmdline.h"
#include "core/output.h"
#include "driver/driver.h"

namespace kr::api {
namespace {

std::string_view name(int keyword_id, int32_t value) { return row_for(keyword_id)->enums->name_of(value); }

TEST(InstanceFamily, StatesAreNamedByExactValueNotByBit) {
  EXPECT_EQ(name(kPvxjProcessInstanceState, 16), "Pvx_PS_Suspended");
  EXPECT_EQ(name(kPvxjProcessInstanceState, 128), "Pvx_PS_Deleted");
  EXPECT_EQ(name(kPvxjProcessInstanceState, 6), "???");
  EXPECT_EQ(name(kPvxjProcessInstanceStateOfNotification, 3), "Pvx_PE_ProcessNotification");
  EXPECT_EQ(name(kPvxjProcessInstanceStateOfNotification, 2), "???");
  EXPECT_EQ(name(kPvxjPersistentListType, 3), "Pvx_LT_Private");
  EXPECT_EQ(name(kPvxjPersistentListType, 2), "???");
  EXPECT_EQ(name(kPvxjWorklistType, 1), "Pvx_LT_Public");
}

struct Outcome {
  int code;
  std::string result, console;
};

Outcome run(const std::string& input) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  CommandLineSettings settings;
  Outcome r;
  Sink console(&r.console);
  r.code = run_test_text(settings, input, &r.result, console);
  return r;
}

TEST(PersistentListFamily, ExactlyOneListHandleOfAnyKind) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" End\n"
      "PvxjExecutionServiceCreateWorklist ExecutionServiceHdl 1 ListName \"w\" PersistentListType Pvx_LT_Public\n"
      "  WorklistHdl 1 End\n"
      "PvxjExecutionServiceCreateActivityInstanceList ExecutionServiceHdl 1 ListName \"a\"\n"
      "  PersistentListType Pvx_LT_Public ActivityInstanceListHdl 2 End\n"
      "PvxjPersistentListName ActivityInstanceListHdl 2 BufferLength 64 XpValue \"a\" End\n"
      "PvxjPersistentListSetThreshold WorklistHdl 1 ActivityInstanceListHdl 2 Threshold 5 End\n"
      "PvxjPersistentListThresholdIsNull WorklistHdl 1 XpValue TRUE End\n"
      "PvxjPersistentListThreshold XpValue 0 End\n");
  EXPECT_NE(r.result.find("PvxjPersistentListName\nparameter:  ActivityInstanceListHdl = 2\n"), std::string::npos)
      << r.result;
  EXPECT_NE(r.result.find("AcValue = \"a\"\nXpValue = \"a\"\n+++OK+++"), std::string::npos) << r.result;
  // Two handles: no call, so the worklist keeps no threshold.
  EXPECT_NE(r.result.find("TC0009  TC ERROR:  Invalid parameter combination"), std::string::npos) << r.result;
  EXPECT_NE(r.result.find("AcValue = true\nXpValue = TRUE\n+++OK+++"), std::string::npos) << r.result;
  EXPECT_NE(r.result.find("TC0008  TC ERROR:  Missing parameter:  ...ListHdl or ...ListVectorHdl"),
            std::string::npos)
      << r.result;
}

TEST(PersistentListFamily, AListHandleIsCheckedWhenItIsRead) {
  Outcome r = run("PvxjPersistentListDelete ProcessTemplateListHdl 50 ProcessInstanceListHdl 1 End\n");
  EXPECT_NE(r.result.find("TC0015"), std::string::npos) << r.result;
  EXPECT_EQ(r.result.find("TC0009"), std::string::npos) << r.result;
}

}  // namespace
}  // namespace kr::api
