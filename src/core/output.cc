#include "core/output.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <ctime>

namespace kr {

Sink::~Sink() { close(); }

void Sink::flush() {
  if (!file_) return;
  errno = 0;
  if (!buf_.empty()) {
    if (!error_ && fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) error_ = errno ? errno : EIO;
    buf_.clear();
  }
  if (fflush(file_) != 0 && !error_) error_ = errno ? errno : EIO;
}

void Sink::close() {
  flush();
  if (file_ && owned_) {
    errno = 0;
    if (fclose(file_) != 0 && !error_) error_ = errno ? errno : EIO;
  }
  file_ = nullptr;
  capture_ = nullptr;
  diverted_ = tee_ != nullptr;
}

void Sink::divert(std::string_view s) {
  if (tee_) tee_->append(s);
  if (capture_) {
    capture_->append(s);
    return;
  }
  if (!file_ || error_) return;
  buf_.append(s);
  if (buf_.size() >= kFlushAt) flush();
}

// Decimal digits as printf's %u and %lld write them, without its cost: the
// result file takes several numbers a section.
void Sink::write_u32(uint32_t v) {
  char b[16];
  const auto r = std::to_chars(b, b + sizeof b, v);
  write(std::string_view(b, static_cast<std::size_t>(r.ptr - b)));
}

void Sink::write_i64(int64_t v) {
  char b[24];
  const auto r = std::to_chars(b, b + sizeof b, v);
  write(std::string_view(b, static_cast<std::size_t>(r.ptr - b)));
}

void Sink::write_double(double v) { write(format_double(v)); }

std::string format_double(double v) {
  char b[64];
  int n = snprintf(b, sizeof b, "%.15g", v);
  return std::string(b, n);
}

void write_banner(Sink& err, bool unicode) {
  // Code page 437 box drawing and the same characters in UTF-8.
  const std::string_view h = unicode ? "\xE2\x94\x80" : "\xC4", v = unicode ? "\xE2\x94\x82" : "\xB3";
  std::string top(unicode ? "\xE2\x94\x8C" : "\xDA"), bottom(unicode ? "\xE2\x94\x94" : "\xC0");
  for (int i = 0; i < 76; ++i) {
    top.append(h);
    bottom.append(h);
  }
  top.append(unicode ? "\xE2\x94\x90" : "\xBF");
  bottom.append(unicode ? "\xE2\x94\x98" : "\xD9");
  err.line("");
  err.line(top);
  err.line(std::string(v) + "  Generic C Api Test Tool for Altaris v340 : kestrun1.exe");
  err.line(std::string(v) + "  Windows 9x/NT/2000/XP");
  err.line(bottom);
  err.line("");
}

std::string time_stamp() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  localtime_r(&t, &tm);
  char b[64];
  int n = snprintf(b, sizeof b, "%d-%02d-%02d, %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1,
                   tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
  return std::string(b, n);
}

std::string date_line() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char b[64];
  std::size_t n = strftime(b, sizeof b, "%a %b %e %H:%M:%S %Y", &tm);
  return std::string(b, n);
}

namespace {
uint32_t (*tick_source)() = nullptr;
}  // namespace

void set_tick_source(uint32_t (*source)()) { tick_source = source; }

uint32_t tick_ms() {
  if (tick_source) return tick_source();
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string upper_ascii(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

}  // namespace kr
