#include "lsp/framing.h"

#include <algorithm>
#include <charconv>

#include "core/keywords.h"

namespace kr::lsp {

bool MessageReader::header_line(std::string* line) {
  line->clear();
  std::streambuf* sb = in_.rdbuf();
  if (!sb) return false;
  for (;;) {
    const int c = sb->sbumpc();
    if (c == std::char_traits<char>::eof()) return !line->empty();
    if (c == '\n') {
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return true;
    }
    if (line->size() < kMaxHeaderLine) line->push_back(static_cast<char>(c));
  }
}

MessageReader::Got MessageReader::next(std::string* body) {
  body->clear();
  for (;;) {
    // One header block: lines up to an empty one.
    bool have_length = false, bad_length = false;
    std::size_t length = 0;
    unsigned long long oversize = 0;
    std::string line;
    bool any = false;
    for (;;) {
      if (!header_line(&line)) return Got::kEnd;
      if (line.empty()) {
        if (any) break;
        continue;  // blank lines between messages
      }
      any = true;
      const std::size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      if (!iequals(std::string_view(line).substr(0, colon), "Content-Length")) continue;
      std::string_view v = std::string_view(line).substr(colon + 1);
      while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
      while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
      unsigned long long n = 0;
      const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
      if (r.ec == std::errc() && r.ptr == v.data() + v.size()) {
        have_length = true;
        bad_length = n > kMaxBody;
        oversize = n;
        length = bad_length ? 0 : static_cast<std::size_t>(n);
      } else {
        have_length = bad_length = false;
      }
    }
    if (!have_length) continue;  // a header block without a usable length: dropped
    if (bad_length) {
      // Skipped in pieces, never held.
      char scrap[4096];
      while (oversize > 0) {
        const auto want = static_cast<std::streamsize>(std::min<unsigned long long>(oversize, sizeof scrap));
        const std::streamsize got = in_.rdbuf()->sgetn(scrap, want);
        if (got <= 0) return Got::kEnd;
        oversize -= static_cast<unsigned long long>(got);
      }
      return Got::kTooLarge;
    }
    body->resize(length);
    std::streamsize got = 0;
    if (length) got = in_.rdbuf()->sgetn(body->data(), static_cast<std::streamsize>(length));
    if (got < static_cast<std::streamsize>(length)) {
      body->clear();
      return Got::kEnd;
    }
    return Got::kMessage;
  }
}

void write_message(std::ostream& out, std::string_view body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n";
  out.write(body.data(), static_cast<std::streamsize>(body.size()));
  out.flush();
}

}  // namespace kr::lsp
