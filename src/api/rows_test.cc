// The row pieces on their own: arguments written back through a pointer,
// enumeration results and tool-made rows, invoked without the catalogue.
#include "api/rows.h"

#include <gtest/gtest.h>

#include "driver/test_context.h"

namespace kr::api {
namespace {

int32_t doubles_its_count(int32_t* count) {
  *count *= 2;
  return 0;
}
int32_t audit_three(PvxjHandle) { return 3; }
void tool_step(Call& c) { c.flag = 1; }

constexpr EnumEntry kModeNames[] = {{"Pvx_TA_NotSet", 0}, {"Pvx_TA_Full", 3}};
constexpr EnumTable kModes{kModeNames};
constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
    API_ROW_FN(PvxjProcessTemplateRefresh, doubles_its_count, kRc, 0, long_back(kCount))
    API_ROW_ENUM(PvxjProcessTemplateAuditMode, audit_three, kModes, 0, in(kProcessTemplateHdl))
    API_TOOL(PvxjProcessTemplateIsComplete, tool_step, kBool, 0, in(kProcessTemplateHdl))
};

TEST(Rows, ANumberWrittenBackReachesTheCall) {
  TestContext t;
  Call c(t.ctx, kRows[0]);
  c.v[0].given = true;
  c.v[0].number = 21;
  kRows[0].invoke(c);
  EXPECT_EQ(c.n(0), 42);
  EXPECT_EQ(c.rc, 0);
}

TEST(Rows, EnumerationResultsKeepTheirTable) {
  TestContext t;
  Call c(t.ctx, kRows[1]);
  kRows[1].invoke(c);
  EXPECT_EQ(c.enum_value, 3);
  ASSERT_EQ(kRows[1].enums, &kModes);
  EXPECT_EQ(kRows[1].enums->name_of(c.enum_value), "Pvx_TA_Full");
  EXPECT_EQ(kRows[1].enums->name_of(2), "???");
}

TEST(Rows, ToolMadeRowsRunTheirStep) {
  TestContext t;
  Call c(t.ctx, kRows[2]);
  EXPECT_TRUE(kRows[2].flags & kToolMade);
  kRows[2].invoke(c);
  EXPECT_EQ(c.flag, 1);
}

}  // namespace
}  // namespace kr::api
