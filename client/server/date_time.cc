// Date-time values: calendar checks and conversions to and from clock seconds.
#include "date_time.h"

#include <cstdio>

#include "clock.h"

namespace pvxjsim {

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool ValidDateTime(const PvxjDateTime& v) {
  return v.year >= 1 && v.year <= 9999 && v.day >= 1 && v.day <= DaysInMonth(v.year, v.month) && v.hour < 24 &&
         v.minute < 60 && v.second < 60;
}

std::string DateTimeText(const PvxjDateTime& v) {
  if (!ValidDateTime(v)) return {};
  unsigned hour12 = v.hour % 12 == 0 ? 12 : v.hour % 12;
  char text[64];
  snprintf(text, sizeof text, "%02u-%02u-%04u %02u:%02u:%02u%s", unsigned{v.month}, unsigned{v.day},
           unsigned{v.year}, hour12, unsigned{v.minute}, unsigned{v.second}, v.hour < 12 ? "AM" : "PM");
  return text;
}

PvxjDateTime DateTimeFromSeconds(int64_t seconds) {
  // Civil date from days since 1970-01-01 (proleptic Gregorian calendar).
  int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = yoe + era * 400 + (month <= 2);
  PvxjDateTime v{};
  if (year < 1 || year > 9999) return v;
  v.year = static_cast<unsigned short>(year);
  v.month = static_cast<unsigned short>(month);
  v.day = static_cast<unsigned short>(day);
  v.hour = static_cast<unsigned short>(rest / 3600);
  v.minute = static_cast<unsigned short>(rest / 60 % 60);
  v.second = static_cast<unsigned short>(rest % 60);
  return v;
}

}  // namespace pvxjsim
