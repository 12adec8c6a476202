#include "check/values.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "check/api_view.h"
#include "core/keywords.h"
#include "core/registry.h"
#include "core/section.h"
#include "toolmethods/flow_control.h"
#include "toolmethods/method_params.h"

namespace kr::check {

bool is_eof_token(std::string_view t) { return t.empty() || t[0] == kEofMark; }

std::string shown(std::string_view t) {
  constexpr std::size_t kMax = 60;
  std::string r = "'";
  for (std::size_t i = 0; i < t.size() && i < kMax; ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    if (c < 0x20 || c == 0x7F) {
      char b[8];
      snprintf(b, sizeof b, "\\x%02X", c);
      r.append(b);
    } else {
      r.push_back(static_cast<char>(c));
    }
  }
  if (t.size() > kMax) r.append("...");
  r.push_back('\'');
  return r;
}

void SectionReader::begin(std::size_t at) {
  section_at_ = at;
  slots_ = 0;
}

void SectionReader::missing_end() {
  findings_.error(section_at_, "section not closed by 'End' before the end of the file");
}

// The next token of the section into the next slot, with the limits.
St SectionReader::take(std::string_view* tok, std::size_t* at) {
  std::string_view t = in_.token();
  *tok = t;
  *at = in_.token_start();
  if (is_eof_token(t)) {
    missing_end();
    return St::kEof;
  }
  if (++slots_ >= kMaxSectionTokens) {
    findings_.error(*at, "more than " + std::to_string(kMaxSectionTokens) + " tokens in one section [TC0010]");
    return abandon(iequals(t, "End"));
  }
  if (t.size() > kMaxTokenLength) {
    findings_.error(*at, "token longer than " + std::to_string(kMaxTokenLength) + " characters [TC0010]");
    return abandon(false);
  }
  return St::kOk;
}

// A value read into a slot without a token (strings and numbers).
St SectionReader::take_value_slot(std::size_t at) {
  if (++slots_ >= kMaxSectionTokens) {
    findings_.error(at, "more than " + std::to_string(kMaxSectionTokens) + " tokens in one section [TC0010]");
    return abandon(false);
  }
  return St::kOk;
}

// As the run's reporter does: skip the rest of the section through "End",
// unless the refused token was "End" itself.
St SectionReader::abandon(bool at_end) {
  if (!at_end) skip_to_end();
  return St::kAbandon;
}

void SectionReader::skip_to_end() {
  for (;;) {
    std::string_view t = in_.token();
    if (is_eof_token(t)) {
      missing_end();
      return;
    }
    if (iequals(t, "End")) return;
  }
}

// [sign]digits as formatted extraction reads them; the whole token must be
// the number, or the run reads the rest as the next keyword.
St SectionReader::number(std::string_view what, int64_t min, int64_t max, int64_t* value, std::size_t* at) {
  in_.peek_nonspace();
  *at = in_.pos();
  if (St s = take_value_slot(*at); s != St::kOk) return s;
  std::string_view t = in_.token();
  if (is_eof_token(t)) {
    missing_end();
    return St::kEof;
  }
  int64_t n = 0;
  const Count c = leading_count(t, min, max, &n);
  std::size_t digits = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  while (digits < t.size() && t[digits] >= '0' && t[digits] <= '9') ++digits;
  if (c == Count::kNotNumber) {
    findings_.error(*at, std::string(what) + " expects a number, not " + shown(t) + " [TC0007]");
    return abandon(iequals(t, "End"));
  }
  if (digits < t.size()) {
    findings_.error(*at, std::string(what) + " expects a number, not " + shown(t) + ": the run reads " +
                             shown(t.substr(digits)) + " as the next keyword [TC0010]");
    return abandon(false);
  }
  if (c == Count::kOutOfRange) {
    findings_.error(*at, std::string(what) + " value " + shown(t) + " does not fit its type [TC0007]");
    return abandon(false);
  }
  *value = n;
  return St::kOk;
}

St SectionReader::handle_number(std::string_view what, int32_t* out, std::size_t* at, bool zero_ok) {
  int64_t n = 0;
  St s = number(what, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &n, at);
  if (s != St::kOk) return s;
  *out = static_cast<int32_t>(n);
  if ((n < 1 && !(zero_ok && n == 0)) || n > kMaxHandleNumber)
    findings_.error(*at, std::string(what) + " " + std::to_string(n) + " is out of the handle range 1-" +
                             std::to_string(kMaxHandleNumber) + " [TC0015]");
  return St::kOk;
}

// Quoted text, NULL or DEFAULT, as the string value reader takes them.
St SectionReader::any_value(std::string_view what, std::size_t* at) {
  if (in_.peek_nonspace() == '"') {
    std::string v;
    bool nd;
    return text(what, kMaxTokenLength, &v, &nd, at);
  }
  std::string_view t;
  return take(&t, at);
}

St SectionReader::text(std::string_view what, std::size_t max_len, std::string* value, bool* null_or_default,
                       std::size_t* at) {
  value->clear();
  *null_or_default = false;
  int c;
  while ((c = in_.peek()) == ' ' || (c >= 7 && c <= 13)) in_.get();
  *at = in_.pos();
  if (St s = take_value_slot(*at); s != St::kOk) return s;
  if (c == '"') {
    in_.get();
    for (;;) {
      c = in_.get();
      if (c == -1) {
        findings_.error(*at,
                        "quoted value of " + std::string(what) + " not closed before the end of the file [TC0020]");
        missing_end();
        return St::kEof;
      }
      if (c == '"') {
        if (in_.peek() != '"') break;
        in_.get();
      }
      value->push_back(static_cast<char>(c));
    }
    if (value->size() > max_len) {
      findings_.error(
          *at, "value of " + std::string(what) + " longer than " + std::to_string(max_len) + " characters [TC0010]");
      return abandon(false);
    }
    runaway_quote(what, *value, *at);
    return St::kOk;
  }
  if (c == 'N' || c == 'D') {
    std::string_view word = in_.token();
    if (iequals(word, "NULL") || iequals(word, "DEFAULT")) {
      value->assign(word);
      *null_or_default = true;
      return St::kOk;
    }
    findings_.error(*at, std::string(what) + " expects quoted text, NULL or DEFAULT, not " + shown(word) + " [TC0020]");
    return abandon(false);
  }
  const std::size_t here = in_.pos();
  std::string_view next = in_.token();
  in_.seek(here);
  if (is_eof_token(next)) {
    missing_end();
    in_.seek_end();
    return St::kEof;
  }
  if (iequals(next, "End"))
    findings_.error(*at, "value of " + std::string(what) + " missing [TC0020]");
  else
    findings_.error(*at, std::string(what) + " expects quoted text, NULL or DEFAULT, not " + shown(next) + " [TC0020]");
  return abandon(false);
}

St SectionReader::word(std::string_view* value, std::size_t* at) { return take(value, at); }

// Whether a token starts a section or closes one.
bool is_statement_word(std::string_view t) {
  if (iequals(t, "End")) return true;
  const int id = keyword_id(t);
  return api_method(id).has_value() || tool_method(id) != nullptr;
}

// A quoted value that runs over lines on which a section keyword or "End"
// begins has most likely lost its closing quote.
void SectionReader::runaway_quote(std::string_view what, std::string_view v, std::size_t at) {
  std::size_t nl = v.find('\n');
  for (std::size_t lines = 1; nl != std::string_view::npos; ++lines, nl = v.find('\n', nl + 1)) {
    std::size_t b = nl + 1;
    while (b < v.size() && (v[b] == ' ' || v[b] == '\t')) ++b;
    std::size_t e = b;
    while (e < v.size() && !is_token_space(static_cast<unsigned char>(v[e]))) ++e;
    if (e > b && is_statement_word(v.substr(b, e - b))) {
      findings_.warning(
          at, "quoted value of " + std::string(what) + " runs on over " + shown(v.substr(b, e - b)) + " on the next " +
                  (lines == 1 ? std::string("line") : std::to_string(lines) + " lines") + ": a closing quote missing?");
      return;
    }
  }
}

St SectionReader::boolean(std::string_view what, std::size_t* at) {
  std::string_view t;
  if (St s = take(&t, at); s != St::kOk) return s;
  if (iequals(t, "TRUE") || iequals(t, "FALSE")) return St::kOk;
  findings_.error(*at, std::string(what) + " expects TRUE or FALSE, not " + shown(t) + " [TC0007]");
  return abandon(iequals(t, "End"));
}

St SectionReader::double_value(std::size_t* at) {
  in_.peek_nonspace();
  *at = in_.pos();
  if (St s = take_value_slot(*at); s != St::kOk) return s;
  std::string_view t = in_.token();
  if (is_eof_token(t)) {
    missing_end();
    return St::kEof;
  }
  std::string text(t);
  const bool plausible = text[0] == '+' || text[0] == '-' || text[0] == '.' || (text[0] >= '0' && text[0] <= '9');
  char* end = nullptr;
  errno = 0;
  if (plausible) std::strtod(text.c_str(), &end);
  bool ok = plausible && end == text.c_str() + text.size() && errno != ERANGE;
  for (char c : text)
    if (c == 'x' || c == 'X' || c == 'n' || c == 'N' || c == 'i' || c == 'I') ok = false;
  if (!ok) {
    findings_.error(*at, "XpValue expects a decimal number, not " + shown(t) + " [TC0007]");
    return abandon(iequals(t, "End"));
  }
  return St::kOk;
}

}  // namespace kr::check
