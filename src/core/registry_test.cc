#include "core/registry.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

#include <initializer_list>
#include <set>
#include <string>

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/run_context.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  explicit Fixture(std::string input = "End") : TestContext(std::move(input)) {
    ctx.cur = "End";  // checks run after the section's End
  }
};

constexpr std::string_view kWarningHead =
    "..........Report............................................................\n"
    "WARNING: an already stored object (";

TEST(Registry, HandleNumbersOutsideOneToFortyNineAreRefusedWithTheDetailText) {
  for (int32_t bad : {0, 50, -1, 2147483647}) {
    Fixture f;
    EXPECT_EQ(range_check(f.ctx, kProcessInstanceHdl, bad), 0);
    EXPECT_EQ(store_check(f.ctx, kProcessInstanceHdl, bad), 0);
    EXPECT_TRUE(f.ctx.error_flag);
    const std::string want = "TC0015  TC ERROR:  Handle out of limit: \n   Handle type = ProcessInstanceHdl; Handle value = " +
                             std::to_string(bad) + "; Valid handle range = 1-49.\nFunction BREAK, due to error(s):  +++ERROR+++\n";
    EXPECT_NE(f.result.find(want), std::string::npos) << f.result;
  }
  Fixture f;
  EXPECT_EQ(range_check(f.ctx, kProcessInstanceHdl, 1), 1);
  EXPECT_EQ(range_check(f.ctx, kCorrelId, 49), 49);
  EXPECT_EQ(store_check(f.ctx, kPersistentOid, 49), 49);
  EXPECT_EQ(f.result, "");
  EXPECT_FALSE(f.ctx.error_flag);

  // The type is named by its keyword, also for the tables filed under another id.
  Fixture g;
  range_check(g.ctx, kPersistentOid, 50);
  EXPECT_NE(g.result.find("Handle type = PersistentOid; Handle value = 50;"), std::string::npos);
}

TEST(Registry, EveryObjectTableIsReachedByItsBaseAndSecondKeywords) {
  std::set<int> tables;
  for (int id = 1; id <= 65; ++id)
    if (HandleRegistry::table_of(id) >= 0 && HandleRegistry::table_info(HandleRegistry::table_of(id)).id == id)
      tables.insert(HandleRegistry::table_of(id));
  EXPECT_EQ(tables.size(), 48u);

  HandleRegistry reg;
  *reg.handle_slot(kProcessInstanceHdl2, 3) = 0x1234;
  EXPECT_EQ(reg.handle(kProcessInstanceHdl, 3), 0x1234u);
  *reg.handle_slot(kReadWriteContainerHdl3, 4) = 7;
  EXPECT_EQ(reg.handle(kReadWriteContainerHdl2, 4), 7u);
  EXPECT_EQ(reg.handle(kReadWriteContainerHdl, 4), 7u);
  *reg.handle_slot(kInstanceMonitorHdl2, 1) = 9;  // id 30, among the base ids
  EXPECT_EQ(reg.handle(kInstanceMonitorHdl, 1), 9u);

  EXPECT_TRUE(HandleRegistry::is_vector_type(kProcessInstanceVectorHdl));
  EXPECT_TRUE(HandleRegistry::is_vector_type(kPointVectorHdl2));
  EXPECT_FALSE(HandleRegistry::is_vector_type(kProcessInstanceHdl));

  // Handle keywords without an object table, and numbers beyond the slots.
  for (int id : std::initializer_list<int>{kContainerHdl, kContainerHdl2, kWorkitemResponseHdl2, kDateTimeHdl, kDateTimeHdl2, kStreamHdl,
                 kPersistentOid, kSessionIdHdl, kCorrelId, kXLastHdl, 0, -5, 105, 99999})
    EXPECT_EQ(reg.handle_slot(id, 1), nullptr) << id;
  EXPECT_EQ(reg.handle_slot(kItemHdl, 50), nullptr);
  EXPECT_EQ(reg.handle_slot(kItemHdl, -1), nullptr);
  EXPECT_EQ(reg.handle(kItemHdl, 50), 0u);
  // The working element is slot 0.
  ASSERT_NE(reg.working_slot(kItemVectorHdl), nullptr);
  EXPECT_EQ(reg.working_slot(kItemVectorHdl), reg.handle_slot(kItemVectorHdl, 0));
}

TEST(Registry, StoringIntoAnOccupiedSlotWarnsButIsNoError) {
  Fixture f;
  HandleRegistry& reg = f.ctx.reg;
  EXPECT_EQ(store_check(f.ctx, kProcessInstanceHdl, 3), 3);
  EXPECT_EQ(f.result, "");  // empty slot: no warning

  *reg.handle_slot(kProcessInstanceHdl, 3) = 11;
  *reg.handle_slot(kProcessInstanceVectorHdl, 4) = 12;
  EXPECT_EQ(store_check(f.ctx, kProcessInstanceHdl, 3), 3);
  EXPECT_EQ(store_check(f.ctx, kProcessInstanceVectorHdl, 4), 4);
  EXPECT_EQ(f.result, std::string(kWarningHead) + "ProcessInstanceHdl = 3)\n"
                      "         will be overwritten with a new object\n" +
                      std::string(kWarningHead) + "ProcessInstanceVectorHdl = 4)\n"
                      "         will be changed by adding new data with a new object\n");
  EXPECT_EQ(reg.handle(kProcessInstanceHdl, 3), 11u);  // the store check frees nothing
  EXPECT_FALSE(f.ctx.error_flag);

  // Second keywords get the range check only.
  f.result.clear();
  EXPECT_EQ(store_check(f.ctx, kProcessInstanceHdl2, 3), 3);
  EXPECT_EQ(f.result, "");
}

TEST(Registry, ValueTablesKnowWhenTheyAreOccupied) {
  Fixture f;
  HandleRegistry& reg = f.ctx.reg;

  // A date-time slot counts as set from its store check on.
  EXPECT_EQ(store_check(f.ctx, kDateTimeHdl, 5), 5);
  EXPECT_EQ(reg.date_time(5)->set, 1u);
  EXPECT_EQ(f.result, "");
  store_check(f.ctx, kDateTimeHdl, 5);
  EXPECT_NE(f.result.find("(DateTimeHdl = 5)\n         will be overwritten"), std::string::npos);

  f.result.clear();
  ASSERT_TRUE(reg.set_text(kPersistentOidHdl, 2, "OID-2"));  // filed under PersistentOid
  EXPECT_EQ(*reg.text(kPersistentOid, 2), "OID-2");
  store_check(f.ctx, kPersistentOidHdl, 2);  // handlers pass 35; 36 finds nothing
  EXPECT_EQ(f.result, "");
  store_check(f.ctx, kPersistentOid, 2);
  EXPECT_NE(f.result.find("(PersistentOid = 2)"), std::string::npos);

  f.result.clear();
  ASSERT_TRUE(reg.set_text(kSessionIdHdl, 1, "S1"));
  store_check(f.ctx, kSessionIdHdl, 1);
  EXPECT_NE(f.result.find("(SessionIdHdl = 1)"), std::string::npos);

  // A correlation slot is present when any byte is set, but never warns.
  f.result.clear();
  EXPECT_FALSE(reg.correl_present(6));
  reg.correl_id(6)[23] = 1;
  EXPECT_TRUE(reg.correl_present(6));
  store_check(f.ctx, kCorrelId, 6);
  EXPECT_EQ(f.result, "");
  EXPECT_EQ(HandleRegistry::correl_slot_address(6), HandleRegistry::correl_slot_address(6));
  EXPECT_NE(HandleRegistry::correl_slot_address(6), HandleRegistry::correl_slot_address(7));
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(Registry, TextSlotsKeepTheirCapacityAndRefuseLongerTexts) {
  HandleRegistry reg;
  EXPECT_TRUE(reg.set_text(kSessionIdHdl, 3, std::string(255, 's')));
  EXPECT_FALSE(reg.set_text(kSessionIdHdl, 3, std::string(256, 't')));
  EXPECT_EQ(*reg.text(kSessionIdHdl, 3), std::string(255, 's'));  // unchanged, not cut
  EXPECT_FALSE(reg.set_text(kProcessInstanceHdl, 3, "x"));
  EXPECT_FALSE(reg.set_text(kSessionIdHdl, 50, "x"));
  EXPECT_EQ(reg.text(kItemHdl, 1), nullptr);
}

TEST(Registry, StreamSlotsOwnTheirBuffers) {
  Fixture f;
  HandleRegistry& reg = f.ctx.reg;
  unsigned char* first = reg.new_stream(4, 10);
  ASSERT_NE(first, nullptr);
  first[9] = 0xAB;  // the whole length is writable
  const uint32_t first_id = reg.stream(4)->id;
  EXPECT_EQ(reg.stream(4)->length, 10u);

  // The store check frees the old buffer before it warns.
  EXPECT_EQ(store_check(f.ctx, kStreamHdl, 4), 4);
  EXPECT_FALSE(reg.stream(4)->present);
  EXPECT_NE(f.result.find("(StreamHdl = 4)\n         will be overwritten with a new object"), std::string::npos);
  ASSERT_NE(reg.new_stream(4, 0), nullptr);  // even an empty stream has an address
  EXPECT_TRUE(reg.stream(4)->present);
  EXPECT_NE(reg.stream(4)->id, first_id);

  // A new stream over an occupied slot replaces it without the check too.
  ASSERT_NE(reg.new_stream(4, 3), nullptr);
  EXPECT_EQ(reg.stream(4)->length, 3u);
  EXPECT_EQ(reg.new_stream(50, 3), nullptr);

  // Reset frees everything and restarts the identifications.
  reg.cleanup_disabled = true;
  reg.last_vector_size = 9;
  reg.reset();
  EXPECT_FALSE(reg.stream(4)->present);
  EXPECT_FALSE(reg.cleanup_disabled);
  EXPECT_EQ(reg.last_vector_size, 0u);
  reg.new_stream(1, 1);
  EXPECT_EQ(reg.stream(1)->id, first_id);
}

TEST(Registry, ClearEmptiesOneSlotOfAnyKind) {
  HandleRegistry reg;
  *reg.handle_slot(kWorklistHdl, 2) = 5;
  reg.set_date_time(2, PvxjDateTime{2024, 1, 2, 3, 4, 5});
  reg.set_text(kPersistentOid, 2, "o");
  reg.set_text(kSessionIdHdl, 2, "s");
  reg.correl_id(2)[0] = 1;
  reg.new_stream(2, 8);
  // Through second keywords and the persistent-oid handle keyword too.
  for (int type : {kWorklistHdl2, kDateTimeHdl2, kPersistentOidHdl, kSessionIdHdl, kCorrelId, kStreamHdl})
    reg.clear(type, 2);
  EXPECT_EQ(reg.handle(kWorklistHdl, 2), 0u);
  EXPECT_EQ(reg.date_time(2)->set, 0u);
  EXPECT_TRUE(reg.text(kPersistentOid, 2)->empty());
  EXPECT_TRUE(reg.text(kSessionIdHdl, 2)->empty());
  EXPECT_FALSE(reg.correl_present(2));
  EXPECT_FALSE(reg.stream(2)->present);
  reg.clear(kWorklistHdl, 77);  // out of reach: nothing happens
}

}  // namespace
}  // namespace kr
