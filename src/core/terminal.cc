#include "core/terminal.h"

#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>
#include <string>

namespace kr {

bool console_is_utf8_terminal() {
  if (!isatty(STDERR_FILENO)) return false;
  const char* previous = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = previous ? previous : "C";
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "")) {
    const char* cs = nl_langinfo(CODESET);
    utf8 = cs && (std::strcmp(cs, "UTF-8") == 0 || std::strcmp(cs, "utf8") == 0);
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  return utf8;
}

}  // namespace kr
