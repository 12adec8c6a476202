// The server's clock, kept in the store so every process sees the same time:
// real time (optionally shifted), or fixed and moved on by hand so that
// result files can be byte-exact. Every time the server records or compares
// comes from here.
#ifndef PVXJSIM_CLOCK_H
#define PVXJSIM_CLOCK_H

#include <cstdint>
#include <string>

namespace pvxjsim {

class Store;

struct ClockSetting {
  bool fixed = false;
  int64_t fixed_at = 0;  // seconds since the epoch, when fixed
  int64_t offset = 0;    // seconds added to real time, when not fixed
};

ClockSetting ReadClock(Store& store);

// Now, in seconds since the epoch and as "YYYY-MM-DD HH:MM:SS" (UTC).
int64_t ClockSeconds(Store& store);
std::string ClockNow(Store& store);

// Each needs the caller's write transaction.
void SetClockFixed(Store& store, int64_t at);
void SetClockReal(Store& store);  // back to real time, no offset
// A fixed clock moves by seconds; a real one keeps running, shifted. false
// (nothing changed) when that would take it past kLatestTime.
[[nodiscard]] bool AdvanceClock(Store& store, int64_t seconds);

// 9999-12-31 23:59:59, the last time the text form (four-digit years) holds:
// past it times would no longer compare as text.
constexpr int64_t kLatestTime = 253402300799;

// "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DD" to seconds; false for anything else,
// impossible dates (February 30th) included.
bool ParseTimeText(const std::string& text, int64_t* seconds);
std::string FormatTime(int64_t seconds);

// A duration: a number of seconds, or parts such as "2d", "3h", "15m", "30s"
// written together ("1h30m"). False for anything else or beyond ten years.
bool ParseDuration(const std::string& text, int64_t* seconds);

}  // namespace pvxjsim

#endif
