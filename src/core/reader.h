#pragma once
// The lexical layer of test case files: tokens, and the raw character access
// that the value readers build on. The whole file is held in memory, so a
// read position is an offset and moving back to a loop start costs nothing.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

inline bool is_token_space(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13) || c == 0; }
inline constexpr char kEofMark = '\x1A';

class Input {
 public:
  Input() = default;
  // Takes the file's bytes; CR LF pairs read as one line feed, as text mode does.
  explicit Input(std::string bytes);

  // The next white-space delimited token, or an empty view at the end of the
  // input. A token beginning with 0x1A ends the input: it is returned once and
  // nothing after it is ever read.
  std::string_view token();

  // Skips white space (as `token` does) and returns the next character, or -1.
  int peek_nonspace();
  // Raw character access for the string value reader.
  int peek() const { return pos_ < buf_.size() ? static_cast<unsigned char>(buf_[pos_]) : -1; }
  int get() { return pos_ < buf_.size() ? static_cast<unsigned char>(buf_[pos_++]) : -1; }

  // Where the last token returned by `token` began.
  std::size_t token_start() const { return token_start_; }

  // Line and column (both from 1, the column in bytes) of an offset. The
  // line index is built on the first call, so runs that never ask pay
  // nothing per token beyond remembering where it began.
  struct LineColumn {
    std::size_t line, column;
  };
  LineColumn line_column(std::size_t offset) const;
  // The first offset from `offset` on that is not white space.
  std::size_t next_nonspace(std::size_t offset) const {
    while (offset < buf_.size() && is_token_space(static_cast<unsigned char>(buf_[offset]))) ++offset;
    return offset;
  }
  // The bytes of the line holding `offset`, without its line feed.
  std::string_view line_text(std::size_t offset) const;

  std::size_t pos() const { return pos_; }
  void seek(std::size_t p) { pos_ = p < buf_.size() ? p : buf_.size(); }
  void seek_end() { pos_ = buf_.size(); }
  bool at_end() const { return pos_ >= buf_.size(); }
  std::size_t size() const { return buf_.size(); }

 private:
  std::string buf_;
  std::size_t pos_ = 0;
  std::size_t token_start_ = 0;
  mutable std::vector<std::size_t> line_starts_;  // empty until first asked
};

// Brings a ";"-separated list into ascending byte order; empty items vanish.
std::string sorted_list(std::string_view list);

// The most a test case file may hold (1 GiB); a longer one, such as a device
// that never ends, is TC0001.
inline constexpr std::size_t kMaxTestCaseBytes = std::size_t{1} << 30;

enum class ReadResult { kOk, kCannotOpen, kTooLong };

// Reads a whole test case file, at most kMaxTestCaseBytes of it; the run and
// the syntax check read through here, so both keep the same bound.
ReadResult read_test_case_file(const std::string& name, std::string* data);
// " (longer than 1073741824 bytes)": what TC0001 adds for a file too long.
std::string too_long_note();

}  // namespace kr
