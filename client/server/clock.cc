#include "clock.h"

#include <ctime>

#include "store.h"

namespace pvxjsim {

namespace {

constexpr int64_t kMaxDuration = 10LL * 366 * 24 * 3600;

bool Digits(const std::string& s, size_t from, size_t n, int* out) {
  int v = 0;
  for (size_t i = from; i < from + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  *out = v;
  return true;
}

}  // namespace

ClockSetting ReadClock(Store& store) {
  ClockSetting c;
  Stmt q(store.db(), "SELECT key, value FROM meta WHERE key IN ('clock_fixed', 'clock_offset')");
  while (q.Step()) {
    std::string key = q.Text(0);
    int64_t v = std::stoll(q.Text(1));
    if (key == "clock_fixed") {
      c.fixed = true;
      c.fixed_at = v;
    } else {
      c.offset = v;
    }
  }
  return c;
}

int64_t ClockSeconds(Store& store) {
  ClockSetting c = ReadClock(store);
  if (c.fixed) return c.fixed_at;
  return static_cast<int64_t>(std::time(nullptr)) + c.offset;
}

std::string ClockNow(Store& store) { return FormatTime(ClockSeconds(store)); }

void SetClockFixed(Store& store, int64_t at) {
  store.SetMeta("clock_fixed", std::to_string(at));
  Stmt(store.db(), "DELETE FROM meta WHERE key='clock_offset'").Run();
}

void SetClockReal(Store& store) {
  Stmt(store.db(), "DELETE FROM meta WHERE key IN ('clock_fixed', 'clock_offset')").Run();
}

bool AdvanceClock(Store& store, int64_t seconds) {
  ClockSetting c = ReadClock(store);
  if (ClockSeconds(store) > kLatestTime - seconds) return false;
  if (c.fixed)
    store.SetMeta("clock_fixed", std::to_string(c.fixed_at + seconds));
  else
    store.SetMeta("clock_offset", std::to_string(c.offset + seconds));
  return true;
}

bool ParseTimeText(const std::string& text, int64_t* seconds) {
  if (text.size() != 10 && text.size() != 19) return false;
  int y, mo, d, h = 0, mi = 0, s = 0;
  if (!Digits(text, 0, 4, &y) || text[4] != '-' || !Digits(text, 5, 2, &mo) || text[7] != '-' ||
      !Digits(text, 8, 2, &d))
    return false;
  if (text.size() == 19 &&
      (text[10] != ' ' || !Digits(text, 11, 2, &h) || text[13] != ':' ||
       !Digits(text, 14, 2, &mi) || text[16] != ':' || !Digits(text, 17, 2, &s)))
    return false;
  if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  time_t t = timegm(&tm);
  // timegm normalises February 30th to March 2nd: an impossible date does not
  // survive the trip back.
  std::tm back{};
  if (!gmtime_r(&t, &back) || back.tm_mday != d || back.tm_mon != mo - 1) return false;
  *seconds = static_cast<int64_t>(t);
  return true;
}

std::string FormatTime(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

bool ParseDuration(const std::string& text, int64_t* seconds) {
  if (text.empty()) return false;
  int64_t total = 0, number = 0;
  bool have_number = false, any_unit = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      number = number * 10 + (c - '0');
      if (number > kMaxDuration) return false;
      have_number = true;
      continue;
    }
    int64_t unit;
    switch (c) {
      case 'd': unit = 86400; break;
      case 'h': unit = 3600; break;
      case 'm': unit = 60; break;
      case 's': unit = 1; break;
      default: return false;
    }
    if (!have_number) return false;
    total += number * unit;
    if (total > kMaxDuration) return false;
    number = 0;
    have_number = false;
    any_unit = true;
  }
  if (have_number) {
    if (any_unit) return false;  // "1h30" is ambiguous
    total = number;
  }
  if (total > kMaxDuration) return false;
  *seconds = total;
  return true;
}

}  // namespace pvxjsim
