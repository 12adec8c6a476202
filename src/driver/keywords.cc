#include "driver/keywords.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kr {
namespace {

constexpr KeywordEntry kTable[] = {
    {0, ""},
#define KEYWORD(id, name, text) {id, text},
#include "driver/keywords.def"
#undef KEYWORD
};
constexpr std::size_t kEntries = sizeof(kTable) / sizeof(kTable[0]);
constexpr int kMaxId = 1614;

inline unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

inline uint32_t fold_hash(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ lower(c)) * 16777619u;
  return h;
}

// Open addressing over the folded text; built once. Insertion in table order
// keeps the first entry for a text, as the linear scan would find it.
struct Index {
  static constexpr std::size_t kSlots = 2048;  // power of two, > 2 x entries
  std::array<int16_t, kSlots> slot{};          // entry index + 1, 0 = empty
  std::array<int16_t, kMaxId + 1> by_id{};     // entry index + 1, 0 = none

  Index() {
    static_assert(kEntries * 2 < kSlots);
    for (std::size_t i = 1; i < kEntries; ++i) {
      const KeywordEntry& e = kTable[i];
      if (e.id >= 0 && e.id <= kMaxId && by_id[e.id] == 0) by_id[e.id] = static_cast<int16_t>(i + 1);
      if (e.text.empty()) continue;  // retired ids are never reached by name
      std::size_t p = fold_hash(e.text) & (kSlots - 1);
      bool dup = false;
      while (slot[p] != 0) {
        if (iequals(kTable[slot[p] - 1].text, e.text)) { dup = true; break; }
        p = (p + 1) & (kSlots - 1);
      }
      if (!dup) slot[p] = static_cast<int16_t>(i + 1);
    }
  }
};

const Index& index() {
  static const Index idx;
  return idx;
}

}  // namespace

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

int keyword_id(std::string_view word) {
  if (word.empty()) return 0;
  const Index& idx = index();
  std::size_t p = fold_hash(word) & (Index::kSlots - 1);
  while (int16_t s = idx.slot[p]) {
    const KeywordEntry& e = kTable[s - 1];
    if (iequals(e.text, word)) return e.id;
    p = (p + 1) & (Index::kSlots - 1);
  }
  return 0;
}

int keyword_id_linear(std::string_view word) {
  for (std::size_t i = 0; i < kEntries; ++i)
    if (iequals(kTable[i].text, word)) return kTable[i].id;
  return 0;
}

std::string_view keyword_text(int id) {
  if (id < 0 || id > kMaxId) return {};
  int16_t s = index().by_id[id];
  return s ? kTable[s - 1].text : std::string_view{};
}

bool keyword_exists(int id) {
  return id == 0 || (id > 0 && id <= kMaxId && index().by_id[id] != 0);
}

const KeywordEntry* keyword_table(std::size_t* count) {
  if (count) *count = kEntries;
  return kTable;
}

}  // namespace kr
