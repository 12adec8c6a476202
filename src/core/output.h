#pragma once
// The result file and console writers and the shared line formats.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kr {

// A buffered byte sink over a FILE*, or over a string when `capture` is given
// (tests drive whole runs in-process that way). Lines end in a line feed.
class Sink {
 public:
  Sink() = default;
  explicit Sink(FILE* f, bool owned = false, bool flush_each_line = false)
      : file_(f), owned_(owned), eager_(flush_each_line) {}
  explicit Sink(std::string* capture) : capture_(capture), diverted_(capture != nullptr) {}
  ~Sink();
  Sink(const Sink&) = delete;
  Sink& operator=(const Sink&) = delete;

  // Re-targets the sink (the result file is opened after the context exists).
  void open(FILE* f, bool owned) {
    close();
    file_ = f;
    owned_ = owned;
  }
  void capture(std::string* s) {
    close();
    capture_ = s;
    diverted_ = capture_ || tee_;
  }

  // Also copies everything written into `*copy` until tee(nullptr).
  void tee(std::string* copy) {
    tee_ = copy;
    diverted_ = capture_ || tee_;
  }

  bool is_open() const { return file_ != nullptr || capture_ != nullptr; }
  // The errno of the first write, flush or close that failed; 0 while all
  // went through. A failed sink drops what it is given from then on.
  int error() const { return error_; }
  void write(std::string_view s) {
    // One test on the common path: captured and copied output goes aside.
    if (diverted_) {
      divert(s);
      return;
    }
    if (!file_ || error_) return;
    buf_.append(s);
    if (buf_.size() >= kFlushAt) flush();
  }
  void put(char c) { write(std::string_view(&c, 1)); }
  void end_line() {
    put('\n');
    if (eager_) flush();
  }
  void line(std::string_view s) {
    write(s);
    end_line();
  }
  void write_u32(uint32_t v);
  void write_i64(int64_t v);
  void write_double(double v);  // 15 significant digits, as the result file wants
  void flush();
  void close();  // flushes; closes the file when owned

 private:
  static constexpr std::size_t kFlushAt = 1 << 16;
  FILE* file_ = nullptr;
  bool owned_ = false;
  bool eager_ = false;
  std::string* capture_ = nullptr;
  std::string* tee_ = nullptr;
  bool diverted_ = false;  // capture_ or tee_ is set
  std::string buf_;
  int error_ = 0;

  void divert(std::string_view s);
};

// Shared texts of the frame.
inline constexpr std::string_view kSeparator =
    "============================================================================";
inline constexpr std::string_view kVerdictNormal =
    "====== Test case ended normally ============================================";
inline constexpr std::string_view kVerdictErrors =
    "====== Test case ended with error(s) === +++ERROR+++ =======================";
inline constexpr std::string_view kVerdictBreak =
    "====== Test case break due to error(s) === +++ERROR+++ =====================";
inline constexpr std::string_view kReportLine =
    "..........Report............................................................";
inline constexpr std::string_view kBreakLine = "Function BREAK, due to error(s):  +++ERROR+++";

// The console banner, written to standard error before anything else. Its
// box drawing is code page 437 bytes; `unicode` writes the matching UTF-8
// characters instead, for a terminal that would show those bytes as garbage.
void write_banner(Sink& err, bool unicode = false);

// "%d-%02d-%02d, %02d:%02d:%02d.%03d" of the local time now, without line end.
std::string time_stamp();

// The C library's 24-character date form of the local time now.
std::string date_line();

// Milliseconds of a monotonic clock, wrapping like a 32-bit tick counter.
uint32_t tick_ms();

// Replaces the clock tick_ms reads (nullptr: the monotonic clock again), so
// that tests can make every timed call take a known time.
void set_tick_source(uint32_t (*source)());

std::string upper_ascii(std::string_view s);

// Formats a double with 15 significant digits (the result file's precision).
std::string format_double(double v);

}  // namespace kr
