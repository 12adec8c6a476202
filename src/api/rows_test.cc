// The row pieces on their own: arguments written back through a pointer,
// enumeration results and tool-made rows, invoked without the catalogue.
#include "api/rows.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

namespace kr::api {
namespace {

int32_t doubles_its_count(int32_t* count) {
  *count *= 2;
  return 0;
}
int32_t audit_three(PvxjProcessTemplate) { return 3; }
void tool_step(Call& c) { c.flag = 1; }

// C functions over typed handles: what they were given, and handles made
// from the registry's values the way the client makes them.
ApiHandle seen = 0;
int32_t copies_template(PvxjProcessTemplate t, PvxjProcessTemplate* copy) {
  seen = from_api(t);
  *copy = to_api<PvxjProcessTemplate>(from_api(t) + 1);
  return 0;
}
PvxjProcessTemplate first_template(PvxjProcessTemplateVector v) { return to_api<PvxjProcessTemplate>(from_api(v) + 7); }
int32_t deletes_list(PvxjPersistentList l) {
  seen = from_api(l);
  return 0;
}
int32_t frees_template(PvxjProcessTemplate* t) {
  seen = from_api(*t);
  *t = nullptr;
  return 0;
}

constexpr EnumEntry kModeNames[] = {{"Pvx_TA_NotSet", 0}, {"Pvx_TA_Full", 3}};
constexpr EnumTable kModes{kModeNames};
constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
    API_ROW_FN(PvxjProcessTemplateRefresh, doubles_its_count, kRc, 0, long_back(kCount))
    API_ROW_ENUM(PvxjProcessTemplateAuditMode, audit_three, kModes, 0, in(kProcessTemplateHdl))
    API_TOOL(PvxjProcessTemplateIsComplete, tool_step, kBool, 0, in(kProcessTemplateHdl))
    API_ROW_FN(PvxjProcessTemplateCopy, copies_template, kRc, 0, in(kProcessTemplateHdl), out(kProcessTemplateHdl2))
    API_ROW_FN(PvxjProcessTemplateVectorFirstElement, first_template, kObject, 0, in(kProcessTemplateVectorHdl),
               out(kProcessTemplateHdl))
    API_ROW_FN(PvxjProcessTemplateListDelete, deletes_list, kRc, 0, in(kProcessTemplateListHdl))
    API_CALL(PvxjProcessTemplateDeallocate, frees_template, kRc, 0, (kArgReceiverSlot), in(kProcessTemplateHdl))
};

// The registry's value of a handle reaches the C function as its typed
// handle, and what the function stores or returns comes back as the value.
TEST(Rows, HandlesCrossBetweenRegistryValuesAndTypedHandles) {
  TestContext t;
  *t.ctx.reg.handle_slot(kProcessTemplateHdl, 3) = 0x02000005;
  *t.ctx.reg.handle_slot(kProcessTemplateVectorHdl, 2) = 0x03000001;
  *t.ctx.reg.handle_slot(kProcessTemplateListHdl, 1) = 0x04000009;

  Call copy(t.ctx, kRows[3]);
  copy.v[0].number = 3;
  copy.v[1].number = 4;
  kRows[3].invoke(copy);
  EXPECT_EQ(seen, 0x02000005u);
  EXPECT_EQ(t.ctx.reg.handle(kProcessTemplateHdl2, 4), 0x02000006u);  // the Hdl2 keyword reaches the same table

  Call first(t.ctx, kRows[4]);
  first.v[0].number = 2;
  kRows[4].invoke(first);
  EXPECT_EQ(static_cast<ApiHandle>(first.object), 0x03000008u);

  // A template list is a stored list: its handle goes to the persistent-list function.
  Call del(t.ctx, kRows[5]);
  del.v[0].number = 1;
  kRows[5].invoke(del);
  EXPECT_EQ(seen, 0x04000009u);

  Call freed(t.ctx, kRows[6]);
  freed.v[0].number = 3;
  kRows[6].invoke(freed);
  EXPECT_EQ(seen, 0x02000005u);
  EXPECT_EQ(t.ctx.reg.handle(kProcessTemplateHdl, 3), 0u);
}

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
