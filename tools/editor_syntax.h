#pragma once
// Editor support for test case files, generated from the keyword table, the
// API catalogue and the return-code names, so highlighting never drifts
// from what the tool reads.
#include <string>
#include <vector>

namespace kr::editors {

// Every word a test case file may hold, by the colour it gets.
struct Vocabulary {
  std::vector<std::string> sections;      // API keywords and tool methods
  std::vector<std::string> parameters;    // parameter and expectation keywords
  std::vector<std::string> handles;       // handle keywords (...Hdl, ...Hdl2)
  std::vector<std::string> values;        // value words: TRUE, NULL, METHOD, ...
  std::vector<std::string> enums;         // enumeration names (Pvx_SM_Present)
  std::vector<std::string> return_codes;  // PVX_OK, PVX_ERROR_...
  std::vector<std::string> skip_tags;     // <NOT_C>, </NOT_C>, ...
  std::vector<std::string> section_prefixes;  // what a section keyword begins with
};

Vocabulary collect();

struct File {
  std::string path;  // relative to the editors folder
  std::string content;
};

// The Vim syntax and ftdetect files and the VS Code extension.
std::vector<File> editor_files(const Vocabulary& v, const std::string& version);

// The regular expression (Oniguruma syntax, as TextMate grammars use) that
// matches any of `words` as a whole word; case-insensitive unless `match_case`.
std::string word_pattern(const std::vector<std::string>& words, bool match_case);

}  // namespace kr::editors
