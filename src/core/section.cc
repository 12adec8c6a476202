#include "core/section.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "core/keywords.h"
#include "core/run_context.h"
#include "core/tool_errors.h"

namespace kr {
namespace {

// Moves to the next slot; false (after TC0010) when the section has no room left.
bool take_slot(RunContext& ctx, std::string_view shown) {
  if (++ctx.slot_index < kMaxSectionTokens) return true;
  ctx.cur.assign(shown);
  tool_error(ctx, TC0010, shown);
  return false;
}

// The rest of the token that starts at the reader's position, for messages.
std::string_view rest_of_token(RunContext& ctx) {
  std::string_view t = ctx.in.token();
  return t;
}

Read number_error(RunContext& ctx, std::size_t start) {
  ctx.in.seek(start);
  std::string_view text = rest_of_token(ctx);
  ctx.cur.assign(text);
  tool_error(ctx, TC0007, text);
  return Read::kAbort;
}

// Scans [sign]digits at the reader's position; returns false when no digit follows.
bool scan_integer(RunContext& ctx, bool* negative, uint64_t* magnitude, bool* overflow) {
  int c = ctx.in.peek_nonspace();
  *negative = false;
  *overflow = false;
  *magnitude = 0;
  std::size_t start = ctx.in.pos();
  if (c == '+' || c == '-') {
    *negative = (c == '-');
    ctx.in.get();
  }
  bool any = false;
  while ((c = ctx.in.peek()) >= '0' && c <= '9') {
    ctx.in.get();
    any = true;
    if (*magnitude > (uint64_t{1} << 40)) *overflow = true;
    else *magnitude = *magnitude * 10 + static_cast<uint64_t>(c - '0');
  }
  if (!any) ctx.in.seek(start);
  return any;
}

}  // namespace

bool next_token(RunContext& ctx, std::string_view* tok) {
  std::string_view t = ctx.in.token();
  if (!take_slot(ctx, t)) return false;
  ctx.cur.assign(t);
  if (t.size() > kMaxTokenLength) {
    tool_error(ctx, TC0010, t);
    return false;
  }
  *tok = t;
  return true;
}

bool next_token_fits(RunContext& ctx) {
  const std::size_t at = ctx.in.pos();
  const std::size_t len = ctx.in.token().size();
  ctx.in.seek(at);
  return ctx.slot_index + 1 < kMaxSectionTokens && len <= kMaxTokenLength;
}

Read read_string(RunContext& ctx, std::string* out, std::size_t max_len) {
  out->clear();
  Input& in = ctx.in;
  int c;
  while ((c = in.peek()) == ' ' || (c >= 7 && c <= 13)) in.get();
  if (!take_slot(ctx, {})) return Read::kAbort;
  ctx.cur.clear();
  if (c == '"') {
    in.get();
    bool closed = false;
    while ((c = in.get()) != -1) {
      if (c == '"') {
        if (in.peek() == '"') {
          in.get();
        } else {
          closed = true;
          break;
        }
      }
      out->push_back(static_cast<char>(c));
    }
    ctx.cur = *out;
    if (!closed) {
      tool_error(ctx, TC0020);
      return Read::kAtEnd;
    }
    if (out->size() > max_len) {
      tool_error(ctx, TC0010, *out);
      return Read::kAbort;
    }
    return Read::kOk;
  }
  if (c == 'N' || c == 'D') {
    std::string_view word = in.token();
    ctx.cur.assign(word);
    if (iequals(word, "NULL") || iequals(word, "DEFAULT")) {
      out->assign(word);
      return (word[0] == 'N') ? Read::kNull : Read::kDefault;
    }
  }
  tool_error(ctx, TC0020);
  return Read::kAtEnd;
}

Read read_i32(RunContext& ctx, int32_t* out) {
  std::size_t start = (ctx.in.peek_nonspace(), ctx.in.pos());
  if (!take_slot(ctx, {})) return Read::kAbort;
  bool neg, ovf;
  uint64_t mag;
  if (!scan_integer(ctx, &neg, &mag, &ovf)) return number_error(ctx, start);
  int64_t v = neg ? -static_cast<int64_t>(mag) : static_cast<int64_t>(mag);
  if (ovf || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return number_error(ctx, start);
  *out = static_cast<int32_t>(v);
  ctx.cur = std::to_string(*out);
  return Read::kOk;
}

namespace {

Read read_unsigned(RunContext& ctx, uint32_t max, uint32_t* out) {
  std::size_t start = (ctx.in.peek_nonspace(), ctx.in.pos());
  if (!take_slot(ctx, {})) return Read::kAbort;
  bool neg, ovf;
  uint64_t mag;
  if (!scan_integer(ctx, &neg, &mag, &ovf)) return number_error(ctx, start);
  // A negative count would wrap to four billion: refuse it instead.
  if (ovf || (neg && mag != 0) || mag > max) return number_error(ctx, start);
  *out = static_cast<uint32_t>(mag);
  ctx.cur = std::to_string(*out);
  return Read::kOk;
}

}  // namespace

Read read_u32(RunContext& ctx, uint32_t* out) { return read_unsigned(ctx, std::numeric_limits<uint32_t>::max(), out); }

// A larger number would be cut to its low 16 bits: refused like any number
// that does not fit.
Read read_u16(RunContext& ctx, uint32_t* out) { return read_unsigned(ctx, std::numeric_limits<uint16_t>::max(), out); }

Read read_double(RunContext& ctx, double* out) {
  std::size_t start = (ctx.in.peek_nonspace(), ctx.in.pos());
  if (!take_slot(ctx, {})) return Read::kAbort;
  std::string_view tok = ctx.in.token();
  std::string text(tok);
  // Only decimal forms, as stream extraction reads them (no hex, inf or nan).
  bool plausible = !text.empty() && (text[0] == '+' || text[0] == '-' || text[0] == '.' ||
                                     (text[0] >= '0' && text[0] <= '9'));
  char* end = nullptr;
  errno = 0;
  double v = plausible ? std::strtod(text.c_str(), &end) : 0.0;
  if (!plausible || end == text.c_str() || errno == ERANGE) return number_error(ctx, start);
  for (const char* p = text.c_str(); p < end; ++p)
    if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I') return number_error(ctx, start);
  ctx.in.seek(start + static_cast<std::size_t>(end - text.c_str()));
  *out = v;
  ctx.cur.assign(text.c_str(), static_cast<std::size_t>(end - text.c_str()));
  return Read::kOk;
}

Read read_bool(RunContext& ctx, bool* out) {
  std::string_view tok;
  if (!next_token(ctx, &tok)) return Read::kAbort;
  if (iequals(tok, "TRUE")) *out = true;
  else if (iequals(tok, "FALSE")) *out = false;
  else {
    tool_error(ctx, TC0007, tok);
    return Read::kAtEnd;
  }
  return Read::kOk;
}

void echo(RunContext& ctx, int keyword, std::string_view value) {
  ctx.out.write("parameter:  ");
  ctx.out.write(keyword_text(keyword));
  ctx.out.write(" = ");
  ctx.out.line(value);
}

int64_t leading_number(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) ++i;
  bool neg = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > std::numeric_limits<uint32_t>::max()) break;
  }
  return neg ? -v : v;
}

}  // namespace kr
