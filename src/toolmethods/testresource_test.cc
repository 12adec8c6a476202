// The TESTRESOURCE methods over a registry that holds something; the golden
// cases resource_*.dat show them on a fresh run and on every error path.
#include <gtest/gtest.h>

#include "core/test_context.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "driver/driver.h"
#include "toolmethods/testtool.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  // Runs one section whose keyword has just been read.
  void run(int keyword, std::string rest) {
    result.clear();
    ctx.in = Input(std::move(rest));
    ctx.keyword_id = keyword;
    ctx.keyword = std::string(keyword_text(keyword));
    ctx.cur = ctx.keyword;
    ctx.slot_index = 0;
    testresource_handler(ctx);
  }
  std::string dump_line(std::string_view label) {
    run(kTestResource_DumpHandles, "End");
    std::size_t at = result.find("\n" + std::string(label) + "(s): ");
    if (at == std::string::npos) return "<missing>";
    return result.substr(at + 1, result.find('\n', at + 1) - at - 1);
  }
};

TEST(TestResource, CopiedHandleShowsUnderBothLabelsAndDisablesTheCleanup) {
  Fixture f;
  *f.ctx.reg.handle_slot(kProcessInstanceHdl, 2) = 0xBEEF;
  *f.ctx.reg.handle_slot(kItemHdl, 7) = 0x1111;  // lost without a warning
  f.run(kTestResource_TreatHandleAsHandleOfOtherType,
        "HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlTypeNew ItemHdl HdlNumberNew 7 End");
  EXPECT_EQ(f.result.find("WARNING"), std::string::npos);
  EXPECT_FALSE(f.ctx.error_flag);
  EXPECT_TRUE(f.ctx.reg.cleanup_disabled);
  EXPECT_EQ(f.dump_line("ProcessInstanceHdl"), "ProcessInstanceHdl(s): [2]=0000BEEF; ");
  EXPECT_EQ(f.dump_line("ItemHdl"), "ItemHdl(s): [7]=0000BEEF; ");

  // Within one table; InstanceMonitorHdl2 (id 30) reaches the InstanceMonitorHdl table.
  *f.ctx.reg.handle_slot(kInstanceMonitorHdl, 1) = 0xCAFE;
  f.run(kTestResource_TreatHandleAsHandleOfOtherType,
        "HdlTypeOrigin InstanceMonitorHdl2 HdlNumberOrigin 1 HdlTypeNew InstanceMonitorHdl HdlNumberNew 49 End");
  EXPECT_EQ(f.ctx.reg.handle(kInstanceMonitorHdl, 49), 0xCAFEu);
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(TestResource, FailedCopiesChangeNothing) {
  for (const char* section : {"HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlTypeNew ItemHdl HdlNumberNew 0 End",
                              "HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlTypeNew ContainerHdl HdlNumberNew 7 End",
                              "HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlNumberNew 7 End",
                              "HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlTypeNew ItemHdl HdlNumberNew x End",
                              "HdlTypeOrigin ProcessInstanceHdl HdlNumberOrigin 2 HdlTypeNew ItemHdl HdlNumberNew"}) {
    Fixture f;
    *f.ctx.reg.handle_slot(kProcessInstanceHdl, 2) = 5;
    f.run(kTestResource_TreatHandleAsHandleOfOtherType, section);
    EXPECT_TRUE(f.ctx.error_flag) << section;
    EXPECT_FALSE(f.ctx.reg.cleanup_disabled) << section;
    EXPECT_EQ(f.ctx.reg.handle(kItemHdl, 7), 0u) << section;
    EXPECT_NE(f.result.find("Function BREAK"), std::string::npos) << section;
  }
}

TEST(TestResource, DumpShowsEachKindOfEntryInItsOwnForm) {
  Fixture f;
  HandleRegistry& reg = f.ctx.reg;
  reg.set_text(kPersistentOid, 3, "OID 3");
  reg.set_text(kPersistentOid, 1, "OID 1");
  reg.set_text(kSessionIdHdl, 49, "SID");
  reg.correl_id(2)[5] = 7;
  reg.new_stream(4, 16);
  reg.set_date_time(6, PvxjDateTime{2024, 2, 29, 0, 0, 0});
  reg.set_date_time(9, PvxjDateTime{});
  *reg.handle_slot(kWorklistVectorHdl, 1) = 0xABCDEF12;
  *reg.handle_slot(kWorklistVectorHdl, 0) = 1;  // the working element is listed too

  EXPECT_EQ(f.dump_line("PersistentOid"), "PersistentOid(s): [1]=OID 1; [3]=OID 3; ");
  EXPECT_EQ(f.dump_line("SessionIdHdl"), "SessionIdHdl(s): [49]=SID; ");
  char correl[32];
  snprintf(correl, sizeof correl, "CorrelId(s): [2]=%X; ", HandleRegistry::correl_slot_address(2));
  EXPECT_EQ(f.dump_line("CorrelId"), correl);
  char stream[32];
  snprintf(stream, sizeof stream, "StreamHdl(s): [4]=%08X; ", reg.stream(4)->id);
  EXPECT_EQ(f.dump_line("StreamHdl"), stream);
  EXPECT_EQ(f.dump_line("DateTimeHdl"), "DateTimeHdl(s): 6; 9; ");
  EXPECT_EQ(f.dump_line("WorklistVectorHdl"), "WorklistVectorHdl(s): [0]=00000001; [1]=ABCDEF12; ");

  // 53 table lines after the heading, and the dump changes nothing.
  std::string all = f.result.substr(f.result.find("Dump of registered handles:\n\n") + 29);
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 53);
  EXPECT_EQ(reg.handle(kWorklistVectorHdl, 1), 0xABCDEF12u);
  EXPECT_FALSE(f.ctx.error_flag);
}

// Shuffled parameters, values and numbers in whole runs never crash and
// always end in a verdict.
TEST(TestResource, ShuffledSectionsAlwaysEndInAVerdict) {
  std::mt19937 rng(5);
  const std::string pieces[] = {"TestResource_TreatHandleAsHandleOfOtherType", "TestResource_DumpHandles",
                                "HdlTypeOrigin", "HdlTypeNew", "HdlNumberOrigin", "HdlNumberNew",
                                "ItemHdl", "DateTimeHdl", "ExecutionServiceHdl2", "0", "49", "50", "-7",
                                "99999999999", "x", "End", "\"", "/*", "*/"};
  for (int i = 0; i < 300; ++i) {
    std::string input;
    for (int n = static_cast<int>(rng() % 40); n > 0; --n) input += pieces[rng() % std::size(pieces)] + " ";
    CommandLineSettings s;
    std::string console_text, result;
    Sink console(&console_text);
    int code = run_test_text(s, input, &result, console);
    ASSERT_TRUE(code == 0 || code == 1 || code == 8 || code == 12) << input;
    if (code != 1) {
      EXPECT_NE(result.find("====== Test case "), std::string::npos) << input;
    }
  }
}

}  // namespace
}  // namespace kr
