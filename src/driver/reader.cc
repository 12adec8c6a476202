#include "driver/reader.h"

#include <algorithm>
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
  std::size_t start = pos_;
  while (pos_ < n && !is_token_space(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
  std::string_view tok(buf_.data() + start, pos_ - start);
  if (!tok.empty() && tok[0] == kEofMark) pos_ = n;
  return tok;
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

}  // namespace kr
