#include "core/keywords.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kr {
namespace {

TEST(Keywords, LookupIgnoresCaseAndRejectsPartialWords) {
  EXPECT_EQ(keyword_id("End"), 186);
  EXPECT_EQ(keyword_id("end"), 186);
  EXPECT_EQ(keyword_id("END"), 186);
  EXPECT_EQ(keyword_id("xprc"), 1610);
  EXPECT_EQ(keyword_id("TESTTOOL_COMMENTTOOUTPUT"), 192);
  EXPECT_EQ(keyword_id(""), 0);
  EXPECT_EQ(keyword_id("Xp"), 0);        // prefix of a keyword only
  EXPECT_EQ(keyword_id("XpRcX"), 0);
  EXPECT_EQ(keyword_id("<not_c>"), 170);
}

TEST(Keywords, IdsMapBackAndRetiredIdsAreEmpty) {
  EXPECT_EQ(keyword_text(186), "End");
  EXPECT_EQ(keyword_text(0), "");
  EXPECT_TRUE(keyword_exists(0));
  EXPECT_EQ(keyword_text(34), "");  // retired
  EXPECT_TRUE(keyword_exists(34));
  EXPECT_EQ(keyword_text(1580), "");  // never assigned
  EXPECT_FALSE(keyword_exists(1580));
  EXPECT_FALSE(keyword_exists(-1));
  EXPECT_FALSE(keyword_exists(99999));
  EXPECT_EQ(keyword_text(1555), "SessionIdHdl");
  EXPECT_EQ(keyword_text(1581), "Year");
  EXPECT_EQ(keyword_text(1497), "CorrelId");
  EXPECT_EQ(keyword_text(35), "PersistentOid");
  EXPECT_EQ(keyword_text(277), "HdlNumberNew");
}

// The hashed lookup must agree with the documented linear scan on every entry,
// in any case, and on random words.
TEST(Keywords, HashedLookupAgreesWithLinearScan) {
  std::size_t n = 0;
  const KeywordEntry* t = keyword_table(&n);
  for (std::size_t i = 0; i < n; ++i) {
    std::string w(t[i].text), lo = w, up = w;
    for (char& c : lo) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(keyword_id(w), keyword_id_linear(w)) << w;
    EXPECT_EQ(keyword_id(lo), keyword_id_linear(lo)) << lo;
    EXPECT_EQ(keyword_id(up), keyword_id_linear(up)) << up;
    if (!w.empty()) {
      EXPECT_EQ(keyword_text(keyword_id(w)), w);
    }
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    std::string w(rng() % 12, ' ');
    for (char& c : w) c = static_cast<char>(rng() % 256);
    ASSERT_EQ(keyword_id(w), keyword_id_linear(w));
  }
}

}  // namespace
}  // namespace kr
