#include "clock.h"

#include <algorithm>
#include <ctime>

#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

TEST(ClockTextTest, TimesParseAndImpossibleDatesDoNot) {
  int64_t t = 0;
  ASSERT_TRUE(ParseTimeText("2024-02-29 23:59:59", &t));
  EXPECT_EQ(FormatTime(t), "2024-02-29 23:59:59");
  ASSERT_TRUE(ParseTimeText("2024-03-01", &t));
  EXPECT_EQ(FormatTime(t), "2024-03-01 00:00:00");
  for (const char* bad : {"2023-02-29", "2024-02-30", "2024-13-01", "2024-00-10", "2024-01-01 24:00:00",
                          "2024-01-01T00:00:00", "2024-1-1", "", "2024-01-01 00:00", "yyyy-mm-dd"})
    EXPECT_FALSE(ParseTimeText(bad, &t)) << bad;
}

TEST(ClockTextTest, Durations) {
  int64_t s = 0;
  ASSERT_TRUE(ParseDuration("90", &s));
  EXPECT_EQ(s, 90);
  ASSERT_TRUE(ParseDuration("1h30m", &s));
  EXPECT_EQ(s, 5400);
  ASSERT_TRUE(ParseDuration("2d", &s));
  EXPECT_EQ(s, 172800);
  for (const char* bad : {"", "h", "1x", "1h30", "-5", "99999999999999999999", "4000d"})
    EXPECT_FALSE(ParseDuration(bad, &s)) << bad;
}

TEST(ClockStoreTest, RealByDefaultThenFixedAndAdvancedThenRealAgain) {
  std::string error;
  auto store = Store::Open(":memory:", &error, false);
  ASSERT_NE(store, nullptr) << error;
  int64_t real = std::time(nullptr);
  EXPECT_LE(std::abs(ClockSeconds(*store) - real), 2);

  int64_t t;
  ASSERT_TRUE(ParseTimeText("2030-05-06 07:08:09", &t));
  SetClockFixed(*store, t);
  EXPECT_EQ(ClockNow(*store), "2030-05-06 07:08:09");
  ASSERT_TRUE(AdvanceClock(*store, 3600));
  EXPECT_EQ(ClockNow(*store), "2030-05-06 08:08:09");

  SetClockReal(*store);
  EXPECT_LE(std::abs(ClockSeconds(*store) - real), 2);
  ASSERT_TRUE(AdvanceClock(*store, 86400));  // a real clock keeps running, a day ahead
  EXPECT_LE(std::abs(ClockSeconds(*store) - real - 86400), 2);
}

// Past 9999-12-31 the text form has five-digit years and times stop
// comparing as text: the clock stops short of it, fixed or shifted.
TEST(ClockStoreTest, AdvanceStopsAtTheLastRepresentableTime) {
  std::string error;
  auto store = Store::Open(":memory:", &error, false);
  ASSERT_NE(store, nullptr) << error;
  int64_t t;
  ASSERT_TRUE(ParseTimeText("9999-12-31 23:00:00", &t));
  SetClockFixed(*store, t);
  EXPECT_FALSE(AdvanceClock(*store, 3600));
  EXPECT_EQ(ClockNow(*store), "9999-12-31 23:00:00");
  ASSERT_TRUE(AdvanceClock(*store, 3599));
  EXPECT_EQ(ClockNow(*store), "9999-12-31 23:59:59");
  EXPECT_FALSE(AdvanceClock(*store, 1));

  SetClockReal(*store);
  int64_t shift = kLatestTime - ClockSeconds(*store) - 1000;  // far beyond any ten years
  while (shift > 0) {
    int64_t step = std::min<int64_t>(shift, 3600LL * 24 * 3650);
    ASSERT_TRUE(AdvanceClock(*store, step));
    shift -= step;
  }
  EXPECT_FALSE(AdvanceClock(*store, 86400));
  EXPECT_EQ(ClockNow(*store).substr(0, 5), "9999-");
}

}  // namespace
}  // namespace pvxjsim
