#pragma once
// The base protocol of the language server: messages framed by a
// "Content-Length: N" header block and N bytes of JSON. The reader takes any
// bytes a client (or anything else) sends and never fails on them: a broken
// header block is dropped, an oversized body is skipped unread.
#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace kr::lsp {

// The largest body taken; a longer one is skipped and reported as too large.
inline constexpr std::size_t kMaxBody = 64u << 20;
// The longest header line kept; the rest of a longer line is dropped.
inline constexpr std::size_t kMaxHeaderLine = 1024;

class MessageReader {
 public:
  explicit MessageReader(std::istream& in) : in_(in) {}

  enum class Got {
    kMessage,   // `body` holds a message body
    kTooLarge,  // a body over kMaxBody was skipped
    kEnd,       // the input ended
  };
  Got next(std::string* body);

 private:
  // One header line without its line end; false at the end of the input.
  bool header_line(std::string* line);

  std::istream& in_;
};

// Writes one framed message and flushes it.
void write_message(std::ostream& out, std::string_view body);

}  // namespace kr::lsp
