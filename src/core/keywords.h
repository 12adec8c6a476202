#pragma once
// The keyword table: every word of the test case language except enumeration
// values and return-code names, each with the id that all dispatch uses.
#include <cstddef>
#include <string_view>
#include <vector>

namespace kr {

enum Kw : int {
  kNone = 0,
#define KEYWORD(id, name, text) k##name = id,
#include "core/keywords.def"
#undef KEYWORD
};

struct KeywordEntry {
  int id;
  std::string_view text;
};

// The API keywords live with their rows in the API room above this one: that
// room hands them over by setting the source once, when the program loads
// (api/catalogue.cc), and the table takes them after its own entries.
using KeywordSource = void (*)(std::vector<KeywordEntry>* table);
void set_api_keyword_source(KeywordSource source);

// Id of the first entry (in table order) whose text equals `word` ignoring
// ASCII case; 0 for an unknown or empty word.
int keyword_id(std::string_view word);

// Text of the first entry carrying `id`; empty for a retired id and for an id
// no entry carries (keyword_exists tells the two apart).
std::string_view keyword_text(int id);
bool keyword_exists(int id);

// The whole table in order, for the reference writers and the benchmark.
const KeywordEntry* keyword_table(std::size_t* count);

// Reference implementation of the documented lookup: a linear scan. Kept for
// the benchmark and the tests that prove the hashed lookup agrees with it.
int keyword_id_linear(std::string_view word);

bool iequals(std::string_view a, std::string_view b);

}  // namespace kr
