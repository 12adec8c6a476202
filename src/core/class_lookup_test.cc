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

}  // namespace
}  // namespace kr
