#include "core/class_lookup.h"

#include <gtest/gtest.h>

#include "core/keywords.h"

namespace kr {
namespace {

TEST(ClassLookup, LongestClassNamesWinByOrder) {
  EXPECT_EQ(class_of("PvxjActivityInstanceNotificationName"), kPVXJACTIVITYINSTANCENOTIFICATION);
  EXPECT_EQ(class_of("PvxjActivityInstanceListName"), kPVXJACTIVITYINSTANCELIST);
  EXPECT_EQ(class_of("PvxjActivityInstanceName"), kPVXJACTIVITYINSTANCE);
  EXPECT_EQ(class_of("PvxjProcessInstanceNotificationTimeIsNull"), kPVXJPROCESSINSTANCE);
  EXPECT_EQ(class_of("PvxjProcessInstanceNotificationName"), kPVXJPROCESSINSTANCENOTIFICATION);
  EXPECT_EQ(class_of("PvxjProcessInstanceMonitorDeallocate"), kPVXJPROCESSINSTANCEMONITOR);
  EXPECT_EQ(class_of("PvxjProcessTemplateListVectorSize"), kPVXJPROCESSTEMPLATELIST);
  EXPECT_EQ(class_of("PvxjWorklistVectorSize"), kPVXJWORKLIST);
  EXPECT_EQ(class_of("PvxjWorkitemStart"), kPVXJWORKITEM);
  EXPECT_EQ(class_of("PvxjItemListX"), kPVXJITEMLIST);
  EXPECT_EQ(class_of("PvxjItemName"), kPVXJITEM);
  EXPECT_EQ(class_of("PvxjContainerElementName"), kPVXJCONTAINERELEMENT);
  EXPECT_EQ(class_of("PvxjContainerLeafCount"), kPVXJCONTAINER);
  EXPECT_EQ(class_of("PvxjPEAProgramID"), kPVXJPEA);
  EXPECT_EQ(class_of("PvxjPersonName"), kPVXJPERSON);
  EXPECT_EQ(class_of("PvxjPersistentListName"), kPVXJPERSISTENTLIST);
}

TEST(ClassLookup, CaseTagsAndFallBack) {
  EXPECT_EQ(class_of("pvxjworklistsize"), kPVXJWORKLIST);
  EXPECT_EQ(class_of("TESTTOOL_whatever"), kTESTTOOL);
  EXPECT_EQ(class_of("testresource_x"), kTESTRESOURCE);
  EXPECT_EQ(class_of("<NOTHING>"), kSkipTagClass);
  EXPECT_EQ(class_of("<"), kSkipTagClass);
  EXPECT_EQ(class_of("end"), kEnd);
  EXPECT_EQ(class_of("/*"), kCommentOpen);
  EXPECT_EQ(class_of("Pvxj"), 0);
  EXPECT_EQ(class_of(""), 0);
  EXPECT_EQ(class_of("XpRc"), kXpRc);
}

// The remembered class of a keyword is the class its text gives, asked twice.
TEST(ClassLookup, AKeywordsClassIsItsTextsClass) {
  std::size_t count = 0;
  const KeywordEntry* table = keyword_table(&count);
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 1; i < count; ++i)
      if (!table[i].text.empty() && keyword_id(table[i].text) == table[i].id)
        EXPECT_EQ(class_of_keyword(table[i].id), class_of(table[i].text)) << table[i].text;
}

}  // namespace
}  // namespace kr
