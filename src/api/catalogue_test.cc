// The catalogue's rows must agree with the keyword table, the class lookup
// and each other; a mistake here would send a section to the wrong handler or
// read a value in the wrong form.
#include "api/catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "driver/class_lookup.h"
#include "driver/keywords.h"

namespace kr::api {
namespace {

TEST(Catalogue, EveryRowIsReachableByItsKeywordAndClass) {
  std::set<int> ids;
  for (const Family* f : families()) {
    for (const Row& r : f->rows) {
      EXPECT_GE(r.id, kFirstApiId);
      EXPECT_LE(r.id, kLastApiId);
      EXPECT_TRUE(ids.insert(r.id).second) << r.keyword;
      EXPECT_EQ(keyword_id(r.keyword), r.id) << r.keyword;
      EXPECT_EQ(keyword_text(r.id), r.keyword);
      EXPECT_EQ(row_for(r.id), &r);
      EXPECT_EQ(family_for_class(class_of(r.keyword)), f) << r.keyword;
      EXPECT_LE(r.params.size(), kMaxParams) << r.keyword;
      EXPECT_NE(r.invoke, nullptr) << r.keyword;
    }
  }
  EXPECT_EQ(row_for(kFirstApiId - 1), nullptr);
  EXPECT_EQ(row_for(kEnd), nullptr);
}

// A keyword is read the same way in every row of its family: the reader
// does not know which method of the family a value belongs to.
TEST(Catalogue, AKeywordHasOneReadingFormPerFamily) {
  auto reading = [](Form f) {
    switch (f) {
      case Form::kIn: case Form::kOut: case Form::kAppend: case Form::kSessionSlot:
      case Form::kOidSlot: case Form::kStreamSlot: case Form::kLong:
        return 0;  // a signed number
      case Form::kText: case Form::kTextCl: case Form::kTextDefault: case Form::kHex:
      case Form::kFileIn: case Form::kFileOut:
        return 1;  // quoted text
      default:
        return 2 + static_cast<int>(f);
    }
  };
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params) {
        const Param* a = f->accepted(p.keyword);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(reading(a->form), reading(p.form)) << r.keyword << " " << keyword_text(p.keyword);
      }
}

TEST(Catalogue, ParameterKeywordsAreNotSectionKeywords) {
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params) {
      EXPECT_FALSE(keyword_text(p.keyword).empty()) << p.keyword;
      EXPECT_TRUE(p.keyword < kFirstApiId || p.keyword > kLastApiId) << keyword_text(p.keyword);
    }
}

TEST(Catalogue, EnumerationNamesAndUnknownNumbers) {
  const Row* logon = row_for(keyword_id("PvxjExecutionServiceLogon"));
  ASSERT_NE(logon, nullptr);
  const EnumTable* modes = logon->params[static_cast<std::size_t>(param_index(*logon, kSessionMode))].enums;
  ASSERT_NE(modes, nullptr);
  EXPECT_EQ(modes->name_of(2), "Pvx_SM_PresentHere");
  EXPECT_EQ(modes->name_of(7), "???");
}

}  // namespace
}  // namespace kr::api
