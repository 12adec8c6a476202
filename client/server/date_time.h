// Date-time values: calendar checks and conversions to and from the store's
// time texts and clock seconds.
#ifndef PVXJSIM_DATE_TIME_H
#define PVXJSIM_DATE_TIME_H

#include <pvxj/base.h>

#include <cstdint>
#include <string>

namespace pvxjsim {

bool IsLeapYear(unsigned year);
unsigned DaysInMonth(unsigned year, unsigned month);  // 0 for a month outside 1..12
bool ValidDateTime(const PvxjDateTime& v);
// "04-16-1998 08:32:59PM"; "" for a value that is not valid.
std::string DateTimeText(const PvxjDateTime& v);
// Seconds since the epoch (UTC) to a value.
PvxjDateTime DateTimeFromSeconds(int64_t seconds);

}  // namespace pvxjsim

#endif
