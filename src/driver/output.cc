#include "driver/output.h"

#include <chrono>
#include <ctime>

namespace kr {

Sink::~Sink() { close(); }

void Sink::flush() {
  if (file_ && !buf_.empty()) {
    if (fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) failed_ = true;
    buf_.clear();
  }
  if (file_ && fflush(file_) != 0) failed_ = true;
}

void Sink::close() {
  flush();
  if (file_ && owned_ && fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  capture_ = nullptr;
}

void Sink::write_u32(uint32_t v) {
  char b[16];
  int n = snprintf(b, sizeof b, "%u", v);
  write(std::string_view(b, n));
}

void Sink::write_i64(int64_t v) {
  char b[24];
  int n = snprintf(b, sizeof b, "%lld", static_cast<long long>(v));
  write(std::string_view(b, n));
}

void Sink::write_double(double v) { write(format_double(v)); }

std::string format_double(double v) {
  char b[64];
  int n = snprintf(b, sizeof b, "%.15g", v);
  return std::string(b, n);
}

void write_banner(Sink& err) {
  std::string top(1, '\xDA'), bottom(1, '\xC0');
  top.append(76, '\xC4');
  top.push_back('\xBF');
  bottom.append(76, '\xC4');
  bottom.push_back('\xD9');
  err.line("");
  err.line(top);
  err.line("\xB3  Generic C Api Test Tool for Altaris v340 : kestrun1.exe");
  err.line("\xB3  Windows 9x/NT/2000/XP");
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

uint32_t tick_ms() {
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
