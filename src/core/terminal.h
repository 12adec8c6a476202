#pragma once
// Whether the console can show the banner's box drawing as Unicode.

namespace kr {

// True when standard error is a terminal and the locale's character set
// (LC_ALL, LC_CTYPE, LANG) is UTF-8. The program's own locale stays "C".
bool console_is_utf8_terminal();

}  // namespace kr
