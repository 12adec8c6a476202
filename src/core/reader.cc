#include "core/reader.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kr {

Input::Input(std::string bytes) {
  // CR LF -> LF in place; a lone CR stays (it is white space anyway).
  std::size_t w = 0;
  for (std::size_t r = 0; r < bytes.size(); ++r) {
    if (bytes[r] == '\r' && r + 1 < bytes.size() && bytes[r + 1] == '\n') continue;
    bytes[w++] = bytes[r];
  }
  bytes.resize(w);
  buf_ = std::move(bytes);
}

std::string_view Input::token() {
  const std::size_t n = buf_.size();
  while (pos_ < n && is_token_space(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
  const std::size_t start = token_start_ = pos_;
  while (pos_ < n && !is_token_space(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
  std::string_view tok(buf_.data() + start, pos_ - start);
  if (!tok.empty() && tok[0] == kEofMark) pos_ = n;
  return tok;
}

Input::LineColumn Input::line_column(std::size_t offset) const {
  if (line_starts_.empty()) {
    line_starts_.push_back(0);
    for (const char* p = buf_.data(), *end = p + buf_.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr;)
      line_starts_.push_back(static_cast<std::size_t>(++p - buf_.data()));
  }
  if (offset > buf_.size()) offset = buf_.size();
  auto it = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  const std::size_t line = static_cast<std::size_t>(it - line_starts_.begin());
  return {line, offset - line_starts_[line - 1] + 1};
}

std::string_view Input::line_text(std::size_t offset) const {
  const LineColumn lc = line_column(offset);
  const std::size_t begin = line_starts_[lc.line - 1];
  std::size_t end = buf_.find('\n', begin);
  if (end == std::string::npos) end = buf_.size();
  return std::string_view(buf_).substr(begin, end - begin);
}

int Input::peek_nonspace() {
  while (pos_ < buf_.size() && is_token_space(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
  return peek();
}

std::string sorted_list(std::string_view list) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= list.size(); ++i) {
    if (i == list.size() || list[i] == ';') {
      if (i > start) items.push_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  std::sort(items.begin(), items.end());  // string_view compares bytes as unsigned char
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out.push_back(';');
    out.append(items[i]);
  }
  return out;
}

// A device or a pipe has no size to trust, so no file is read past
// kMaxTestCaseBytes; the 50 MB cases are far below it.
ReadResult read_test_case_file(const std::string& name, std::string* data) {
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return ReadResult::kCannotOpen;
  data->clear();
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
      static_cast<uint64_t>(st.st_size) <= kMaxTestCaseBytes)
    data->reserve(static_cast<std::size_t>(st.st_size));
  ReadResult result = ReadResult::kOk;
  char buf[1 << 16];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
    if (n > kMaxTestCaseBytes - data->size()) {
      result = ReadResult::kTooLong;
      break;
    }
    data->append(buf, n);
  }
  if (result == ReadResult::kOk && ferror(f)) result = ReadResult::kCannotOpen;
  fclose(f);
  if (result != ReadResult::kOk) std::string().swap(*data);
  return result;
}

std::string too_long_note() { return " (longer than " + std::to_string(kMaxTestCaseBytes) + " bytes)"; }

}  // namespace kr
