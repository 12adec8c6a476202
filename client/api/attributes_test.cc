#include "attributes.h"

#include "test_support.h"

namespace pvxjsim {
namespace {

class AttributesTest : public ClientTest {};

// A one-line getter as an API function writes it.
char* SampleFirstName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_FirstName, b, n); }

TEST_F(AttributesTest, TheResultNamesTheGetterThatCalled) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  PvxjPerson me = 0;
  ASSERT_EQ(PvxjServiceUserSettings(svc, &me), PVX_OK);
  char buf[64];
  EXPECT_STREQ(SampleFirstName(me, buf, sizeof buf), "Carl");
  PvxjResult r = PvxjResultObjectOfCurrentThread();
  EXPECT_STREQ(PvxjResultOrigin(r, buf, sizeof buf), "SampleFirstName");
}

TEST_F(AttributesTest, EveryAttributeReadsAColumnThatExists) {
  Store& s = store();
  for (size_t i = 0; i < static_cast<size_t>(Attr::kCount); ++i) {
    const AttrDef& def = AttrInfo(static_cast<Attr>(i));
    ASSERT_NE(TableOf(def.cls), nullptr) << def.name;
    std::string sql = std::string("SELECT ") + def.sql + " FROM " + TableOf(def.cls) +
                      " t WHERE t.id=?";
    EXPECT_NO_THROW(Stmt(s.db(), sql)) << ClassName(def.cls) << " " << def.name;
  }
}

TEST_F(AttributesTest, PersonGettersReadTheStore) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  PvxjPerson me = 0;
  ASSERT_EQ(PvxjServiceUserSettings(svc, &me), PVX_OK);
  char buf[64];
  EXPECT_STREQ(AttrText(me, Attr::Person_FirstName, buf, sizeof buf), "Carl");
  EXPECT_STREQ(AttrText(me, Attr::Person_MiddleName, buf, sizeof buf), "J.");
  EXPECT_STREQ(AttrText(me, Attr::Person_Substitute, buf, sizeof buf), "USER3");
  EXPECT_STREQ(AttrText(me, Attr::Person_SystemName, buf, sizeof buf), "PVXSYS");
  EXPECT_EQ(AttrText(me, Attr::Person_SecondPhone, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_OK);  // a NULL value is not an error
  EXPECT_EQ(AttrIsNull(me, Attr::Person_SecondPhone), 1);
  EXPECT_EQ(AttrIsNull(me, Attr::Person_Phone), 0);
  EXPECT_EQ(AttrNumber(me, Attr::Person_Level), 2);
  EXPECT_EQ(AttrBool(me, Attr::Person_IsManager), 0);
  EXPECT_EQ(AttrBool(me, Attr::Person_IsAbsent), 0);
  PvxjDateTime t{};
  EXPECT_EQ(AttrDateTime(me, Attr::Person_LogonBlockedTime, &t), PVX_OK);
  EXPECT_EQ(t.year, 0);
  char tiny[3];
  EXPECT_STREQ(AttrText(me, Attr::Person_LastName, tiny, sizeof tiny), "Di");  // truncated

  // Wrong class, stale handle, ended session: return codes, never a crash.
  EXPECT_EQ(AttrText(svc, Attr::Person_FirstName, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(AttrNumber(0, Attr::Person_Level), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
  ASSERT_EQ(PvxjExecutionServiceLogoff(svc), PVX_OK);
  EXPECT_EQ(AttrText(me, Attr::Person_FirstName, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NOT_LOGGED_ON);
}

TEST_F(AttributesTest, TemplateGettersIncludingTimes) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc, "NAME = 'TravelRequest'", nullptr,
                                                      nullptr, &v),
            PVX_OK);
  PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
  ASSERT_NE(t, nullptr);
  char buf[64];
  EXPECT_STREQ(AttrText(t, Attr::ProcessTemplate_Name, buf, sizeof buf), "TravelRequest");
  EXPECT_EQ(AttrIsNull(t, Attr::ProcessTemplate_RoleName), 1);
  EXPECT_EQ(AttrNumber(t, Attr::ProcessTemplate_AuditMode), 2);
  EXPECT_EQ(AttrBool(t, Attr::ProcessTemplate_InContainerNeeded), 1);
  PvxjDateTime created{};
  ASSERT_EQ(AttrDateTime(t, Attr::ProcessTemplate_CreationTime, &created), PVX_OK);
  EXPECT_EQ(created.year, 2024);
  EXPECT_EQ(created.month, 1);
  EXPECT_EQ(created.day, 2);
  EXPECT_EQ(AttrDateTime(t, Attr::ProcessTemplate_CreationTime, nullptr),
            PVX_ERROR_INVALID_RESULT_HANDLE);
}

TEST(DateTimeTextTest, OnlyTheStoredFormConverts) {
  PvxjDateTime v = DateTimeFromText("2030-12-31 23:59:58");
  EXPECT_EQ(v.year, 2030);
  EXPECT_EQ(v.second, 58);
  EXPECT_EQ(DateTimeFromText("2030-12-31").year, 0);
  EXPECT_EQ(DateTimeFromText("2030-12-31 23:59:5x").year, 0);
}

}  // namespace
}  // namespace pvxjsim
