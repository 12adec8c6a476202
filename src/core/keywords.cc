#include "core/keywords.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <vector>

namespace kr {
namespace {

// The keywords the tool itself knows; the API keywords follow them, given
// by the API rows through the source their room sets.
constexpr KeywordEntry kTable[] = {
    {0, ""},
#define KEYWORD(id, name, text) {id, text},
#include "core/keywords.def"
#undef KEYWORD
};
constexpr int kMaxId = 1614;

inline unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// Hashes eight bytes at a time with every byte's 0x20 bit set: that folds
// ASCII upper case onto lower case (and some punctuation onto other
// punctuation, which the exact comparison after the probe sorts out).
inline uint32_t fold_hash(std::string_view s) {
  constexpr uint64_t kFold = 0x2020202020202020ull;
  uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, s.data() + i, 8);
    h = (h ^ (w | kFold)) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 32;
  }
  if (const std::size_t rest = s.size() - i) {  // 1 to 7 bytes
    uint64_t tail = 0;
    std::memcpy(&tail, s.data() + i, rest);
    h = (h ^ (tail | (kFold >> (8 * (8 - rest))))) * 0xC4CEB9FE1A85EC53ull;
  }
  h ^= h >> 29;
  return static_cast<uint32_t>(h);
}

// Open addressing over the folded text; built once. Insertion in table order
// keeps the first entry for a text, as the linear scan would find it.
struct Index {
  static constexpr std::size_t kSlots = 4096;  // power of two, > 2 x entries
  std::vector<KeywordEntry> table;             // the whole table in order
  std::array<int16_t, kSlots> slot{};          // entry index + 1, 0 = empty
  std::array<int16_t, kMaxId + 1> by_id{};     // entry index + 1, 0 = none

  explicit Index(KeywordSource api) : table(std::begin(kTable), std::end(kTable)) {
    if (api) api(&table);
    if (table.size() * 2 >= kSlots) std::abort();
    for (std::size_t i = 1; i < table.size(); ++i) {
      const KeywordEntry& e = table[i];
      if (e.id >= 0 && e.id <= kMaxId && by_id[e.id] == 0) by_id[e.id] = static_cast<int16_t>(i + 1);
      if (e.text.empty()) continue;  // retired ids are never reached by name
      std::size_t p = fold_hash(e.text) & (kSlots - 1);
      bool dup = false;
      while (slot[p] != 0) {
        if (iequals(table[slot[p] - 1].text, e.text)) { dup = true; break; }
        p = (p + 1) & (kSlots - 1);
      }
      if (!dup) slot[p] = static_cast<int16_t>(i + 1);
    }
  }
};

KeywordSource api_source = nullptr;
// Built on first use; set_api_keyword_source rebuilds it, so a lookup made
// while the program loads, before the API rows joined, is not kept.
// Kept to the end of the process (never destroyed), so a lookup from a
// destructor at exit still finds it.
const Index* built = nullptr;

const Index& index() {
  if (!built) built = new Index(api_source);
  return *built;
}

}  // namespace

void set_api_keyword_source(KeywordSource source) {
  if (source == api_source) return;  // the table built from it stands
  api_source = source;
  delete built;
  built = nullptr;
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // test cases mostly spell keywords as the table does
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

int keyword_id(std::string_view word) {
  if (word.empty()) return 0;
  const Index& idx = index();
  std::size_t p = fold_hash(word) & (Index::kSlots - 1);
  while (int16_t s = idx.slot[p]) {
    const KeywordEntry& e = idx.table[static_cast<std::size_t>(s - 1)];
    if (iequals(e.text, word)) return e.id;
    p = (p + 1) & (Index::kSlots - 1);
  }
  return 0;
}

int keyword_id_linear(std::string_view word) {
  for (const KeywordEntry& e : index().table)
    if (iequals(e.text, word)) return e.id;
  return 0;
}

std::string_view keyword_text(int id) {
  if (id < 0 || id > kMaxId) return {};
  int16_t s = index().by_id[id];
  return s ? index().table[static_cast<std::size_t>(s - 1)].text : std::string_view{};
}

bool keyword_exists(int id) {
  return id == 0 || (id > 0 && id <= kMaxId && index().by_id[id] != 0);
}

const KeywordEntry* keyword_table(std::size_t* count) {
  const Index& idx = index();
  if (count) *count = idx.table.size();
  return idx.table.data();
}

}  // namespace kr
