// Prints a libFuzzer dictionary of the test case language: every keyword of
// the keyword table and every return-code name.
#include <cstdio>
#include <string_view>

#include "api/catalogue.h"
#include "core/keywords.h"

namespace {

void entry(std::string_view word) {
  if (word.empty()) return;
  putchar('"');
  for (char c : word) {
    if (c == '"' || c == '\\') putchar('\\');
    if (c < 0x20 || c > 0x7e)
      printf("\\x%02X", static_cast<unsigned char>(c));
    else
      putchar(c);
  }
  puts("\"");
}

}  // namespace

int main() {
  kr::api::join_keyword_table();  // this program uses nothing else of the API rows
  std::size_t n = 0;
  const kr::KeywordEntry* table = kr::keyword_table(&n);
  for (std::size_t i = 0; i < n; ++i) entry(table[i].text);
#define PVX_RC(name, value) entry(#name);
#include "diag/rc_names.def"
#undef PVX_RC
  for (const char* w : {"End", "NULL", "DEFAULT", "TRUE", "FALSE", "ALL", "\"<CL-VALUE>\"", "/*", "*/", "\"\"",
                        "<NOT_C>", "</NOT_C>", "\x1a"})
    entry(w);
  return 0;
}
