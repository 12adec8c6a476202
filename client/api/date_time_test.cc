// Date-time values: the calendar, the text form and the server's clock.
#include "clock.h"
#include "date_time.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

PvxjDateTime Dt(unsigned y, unsigned mo, unsigned d, unsigned h = 0, unsigned mi = 0, unsigned s = 0) {
  return PvxjDateTime{static_cast<unsigned short>(y), static_cast<unsigned short>(mo),
                      static_cast<unsigned short>(d), static_cast<unsigned short>(h),
                      static_cast<unsigned short>(mi), static_cast<unsigned short>(s)};
}

TEST(DateTimeTest, TheCalendarDecidesValidity) {
  EXPECT_TRUE(ValidDateTime(Dt(2024, 2, 29)));
  EXPECT_FALSE(ValidDateTime(Dt(2023, 2, 29)));
  EXPECT_FALSE(ValidDateTime(Dt(1900, 2, 29)));  // century, not a leap year
  EXPECT_TRUE(ValidDateTime(Dt(2000, 2, 29)));   // every 400 years it is
  EXPECT_FALSE(ValidDateTime(Dt(2024, 13, 1)));
  EXPECT_FALSE(ValidDateTime(Dt(2024, 0, 1)));
  EXPECT_FALSE(ValidDateTime(Dt(2024, 4, 31)));
  EXPECT_TRUE(ValidDateTime(Dt(2024, 12, 31, 23, 59, 59)));
  EXPECT_FALSE(ValidDateTime(Dt(2024, 1, 1, 24)));
  EXPECT_FALSE(ValidDateTime(Dt(2024, 1, 1, 0, 60)));
  EXPECT_FALSE(ValidDateTime(Dt(2024, 1, 1, 0, 0, 60)));
  EXPECT_FALSE(ValidDateTime(Dt(0, 1, 1)));  // year 0: not set
  EXPECT_EQ(PvxjDateTimeIsValid(Dt(2023, 2, 29)), 0);
  EXPECT_EQ(PvxjDateTimeIsValid(Dt(2024, 2, 29)), 1);
}

TEST(DateTimeTest, TextUsesTheTwelveHourClock) {
  EXPECT_EQ(DateTimeText(Dt(1998, 4, 16, 20, 32, 59)), "04-16-1998 08:32:59PM");
  EXPECT_EQ(DateTimeText(Dt(2024, 1, 2, 0, 5, 0)), "01-02-2024 12:05:00AM");
  EXPECT_EQ(DateTimeText(Dt(2024, 1, 2, 12, 0, 0)), "01-02-2024 12:00:00PM");
  EXPECT_EQ(DateTimeText(Dt(2024, 1, 2, 11, 59, 59)), "01-02-2024 11:59:59AM");
  EXPECT_EQ(DateTimeText(Dt(2024, 13, 2)), "");
  char buf[8];
  EXPECT_STREQ(PvxjDateTimeAsString(Dt(1998, 4, 16, 20, 32, 59), buf, sizeof buf), "04-16-1");
  EXPECT_EQ(PvxjDateTimeAsString(Dt(1998, 2, 30), buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_TIME);
}

TEST(DateTimeTest, SecondsConvertAcrossLeapDaysAndCenturies) {
  int64_t s = 0;
  for (const char* text : {"1970-01-01 00:00:00", "2000-02-29 23:59:59", "2100-03-01 00:00:00",
                           "2024-12-31 12:34:56", "1969-12-31 23:59:59"}) {
    ASSERT_TRUE(ParseTimeText(text, &s)) << text;
    PvxjDateTime v = DateTimeFromSeconds(s);
    char back[64];
    snprintf(back, sizeof back, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{v.year}, unsigned{v.month},
             unsigned{v.day}, unsigned{v.hour}, unsigned{v.minute}, unsigned{v.second});
    EXPECT_EQ(std::string(back), text);
  }
}

class CurrentTimeTest : public ClientTest {};

TEST_F(CurrentTimeTest, CurrentTimeIsTheServersClock) {
  {
    WriteTx tx(store());
    SetClockFixed(store(), 1714581000);  // 2024-05-01 16:30:00
    tx.Commit();
  }
  char buf[32];
  EXPECT_STREQ(PvxjDateTimeAsString(PvxjDateTimeCurrentTime(), buf, sizeof buf), "05-01-2024 04:30:00PM");
  {
    WriteTx tx(store());
    ASSERT_TRUE(AdvanceClock(store(), 3600 * 24 * 366));
    tx.Commit();
  }
  EXPECT_STREQ(PvxjDateTimeAsString(PvxjDateTimeCurrentTime(), buf, sizeof buf), "05-02-2025 04:30:00PM");
}

}  // namespace
}  // namespace pvxjsim
