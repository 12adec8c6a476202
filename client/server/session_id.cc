#include "session_id.h"

#include <charconv>
#include <cstdio>

namespace pvxjsim {

namespace {

std::string Padded(const char* prefix, int64_t row) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%012lld", prefix, static_cast<long long>(row));
  return buf;
}

// Digits only, no sign, value > 0.
int64_t ParseRow(std::string_view digits) {
  if (digits.empty() || digits.size() > 18) return 0;
  for (char c : digits)
    if (c < '0' || c > '9') return 0;
  int64_t v = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), v);
  return v;
}

}  // namespace

std::string FormatSessionId(int64_t session_row) { return Padded("SID", session_row); }

int64_t ParseSessionId(std::string_view text) {
  if (text.substr(0, 3) != "SID") return 0;
  return ParseRow(text.substr(3));
}

std::string FormatOid(const char* tag, int64_t row) { return Padded(tag, row); }

bool ParseOid(std::string_view text, std::string* tag, int64_t* row) {
  if (text.size() < 3) return false;
  for (int i = 0; i < 2; ++i)
    if (text[i] < 'A' || text[i] > 'Z') return false;
  int64_t r = ParseRow(text.substr(2));
  if (!r) return false;
  *tag = std::string(text.substr(0, 2));
  *row = r;
  return true;
}

}  // namespace pvxjsim
