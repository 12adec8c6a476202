// Joining string vectors into one limited text, and the family sections that
// build on it, run in-process.
#include "api/join.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/test_context.h"
#include "driver/driver.h"
#include "pvxj/string_vector.h"

namespace kr::api {
namespace {

PvxjStringVector vector_of(int count, const std::string& element) {
  PvxjStringVector v = 0;
  EXPECT_EQ(PvxjStringVectorAllocate(&v), PVX_OK);
  for (int i = 0; i < count; ++i) PvxjStringVectorAddElement(v, element.c_str());
  return v;
}

TEST(Join, OverflowEndsInDotsAndShowsWhatFits) {
  PvxjStringVector v = vector_of(300, "abcdefghij");
  TestContext t;
  std::string text = join_with_heading(t.ctx, v, kJoinReport, Walk::kElements);
  // 46 elements and 45 separators fill 505 bytes; the 47th would not fit.
  ASSERT_EQ(text.size(), 505u + 4u);
  EXPECT_EQ(text.substr(text.size() - 14), "abcdefghij;...");
  EXPECT_NE(t.result.find("vector size = 300\n"), std::string::npos);
  // The dump's 4097 bytes hold all 300.
  std::string dump = join_with_size(v, kJoinDump);
  EXPECT_EQ(dump.size(), 300u * 11 - 1 + std::string(" (vector size = 300)").size());
  PvxjStringVectorDeallocate(&v);
}

TEST(Join, ExactFitSmallAndEmptyVectors) {
  // An element fits while the text with it and one more byte stays below
  // the size: 254 + 1 + 254 does, 255 + 1 + 255 does not.
  PvxjStringVector v = vector_of(2, std::string(254, 'x'));
  EXPECT_EQ(join_with_size(v, kJoinReport), std::string(254, 'x') + ";" + std::string(254, 'x') + " (vector size = 2)");
  PvxjStringVectorAddElement(v, "y");
  EXPECT_EQ(join_with_size(v, kJoinReport).substr(509), ";... (vector size = 3)");
  PvxjStringVectorDeallocate(&v);
  v = vector_of(2, std::string(255, 'x'));
  EXPECT_EQ(join_with_size(v, kJoinReport), std::string(255, 'x') + ";... (vector size = 2)");
  PvxjStringVectorDeallocate(&v);
  PvxjStringVector empty = vector_of(0, "");
  EXPECT_EQ(join_with_size(empty, kJoinDump), "(vector size = 0)");
  // An element longer than the 256-byte field is cut to 255 bytes.
  PvxjStringVector longer = vector_of(1, std::string(300, 'z'));
  EXPECT_EQ(join_with_size(longer, kJoinDump), std::string(255, 'z') + " (vector size = 1)");
  PvxjStringVectorDeallocate(&empty);
  PvxjStringVectorDeallocate(&longer);
}

std::string run(const std::string& input) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  CommandLineSettings settings;
  std::string result, console_text;
  Sink console(&console_text);
  run_test_text(settings, input, &result, console);
  return result;
}

TEST(Families, PersonSectionsNeedTheirReceiverAndLevelIsNullIsRefused) {
  std::string out = run("PvxjPersonIsAbsent XpValue FALSE End\nPvxjPersonLevelIsNull PersonHdl 1 End\n");
  EXPECT_NE(out.find("TC0008  TC ERROR:  Missing parameter:  PersonHdl"), std::string::npos) << out;
  EXPECT_NE(out.find("TC0010  TC ERROR:  Unknown keyword or parameter:  PvxjPersonLevelIsNull"), std::string::npos);
  // Neither reached the API: no report follows.
  EXPECT_EQ(out.find("AcValue"), std::string::npos);
}

TEST(Families, DateTimeResultsAreStoredAndReportedAsText) {
  std::string out = run(
      "PvxjDateTime_SET_VALUE DateTimeHdl 3 Year 2024 Month 2 Day 29 Hour 23 Minute 59 Second 59 End\n"
      "PvxjDateTimeAsString DateTimeHdl 3 BufferLength 64 XpValue \"02-29-2024 11:59:59PM\" End\n"
      "PvxjDateTimeCurrentTime DateTimeHdl 4 End\n"
      "PvxjDateTime_IS_IN_RANGE DateTimeHdlMin 3 DateTimeHdl 4 DateTimeHdlMax 4 XpValue TRUE End\n");
  EXPECT_NE(out.find("AcValue = \"02-29-2024 11:59:59PM\"\nXpValue = \"02-29-2024 11:59:59PM\"\n+++OK+++"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(") IS true\nbetween Tmin (02-29-2024 11:59:59PM) and Tmax ("), std::string::npos) << out;
}

}  // namespace
}  // namespace kr::api
