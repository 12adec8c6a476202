// The date-time family, with the tool's own methods to build a value and to
// test whether one lies between two others.
#include <pvxj/date_time.h>

#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "eval/checks.h"

namespace kr::api {
namespace {

std::string as_text(const PvxjDateTime& v) {
  char text[256] = {};
  const char* got = PvxjDateTimeAsString(v, text, sizeof text);
  return got ? std::string(got) : std::string();
}

// Year, month, day, then the time of day in seconds.
int compare(const PvxjDateTime& a, const PvxjDateTime& b) {
  auto key = [](const PvxjDateTime& v) {
    return ((static_cast<int64_t>(v.year) * 100 + v.month) * 100 + v.day) * 100000 +
           (v.hour * 3600 + v.minute * 60 + v.second);
  };
  return key(a) < key(b) ? -1 : key(a) > key(b) ? 1 : 0;
}

bool resolve_set_value(Call& c) {
  const int32_t n = c.param(kDateTimeHdl).number;
  if (DateTimeSlot* d = c.ctx.reg.date_time(n)) d->value = PvxjDateTime{};
  for (std::size_t k = 0; k < c.row.params.size(); ++k)
    if (!echo_param(c, k)) return false;
  auto field = [&](int kw) { return static_cast<unsigned short>(c.param(kw).unsigned_number); };
  c.date_time = PvxjDateTime{field(kYear), field(kMonth), field(kDay), field(kHour), field(kMinute), field(kSecond)};
  c.ctx.reg.set_date_time(n, c.date_time);
  return true;
}

bool resolve_in_range(Call& c) {
  for (std::size_t k = 0; k < 3; ++k)
    if (!echo_param(c, k)) return false;
  for (std::size_t k = 0; k < 3; ++k)
    if (!PvxjDateTimeIsValid(c.dt(k))) {
      tool_error(c.ctx, TC0017, "PvxjDateTime");
      return false;
    }
  c.date_time = c.dt(1);
  return true;
}

void after_in_range(Call& c) {
  const PvxjDateTime min = c.dt(0), t = c.dt(1), max = c.dt(2);
  const bool inside = compare(min, t) <= 0 && compare(t, max) <= 0;
  RunContext& ctx = c.ctx;
  ctx.out.line(kValueReportLine);
  ctx.out.line("The given time T (" + as_text(t) + ") IS " + (inside ? "true" : "false"));
  ctx.out.line("between Tmin (" + as_text(min) + ") and Tmax (" + as_text(max) + ").");
  c.flag = inside;
}

// The tool-made rows' step: the value the hook built, tested by the API.
void check_date_time(Call& c) { c.flag = PvxjDateTimeIsValid(c.date_time); }

constexpr Hook kHooks[] = {
    {kPvxjDateTime_SET_VALUE, resolve_set_value},
    {kPvxjDateTime_IS_IN_RANGE, resolve_in_range, after_in_range},
};

constexpr Row kRows[] = {
#include "api/date_time.def"
};

}  // namespace

FAMILY(date_time_family, "PvxjDateTime", kPVXJDATETIME)

}  // namespace kr::api
