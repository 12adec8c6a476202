// Stored lists: creation rules, visibility and restoring them by identifier.
#include <string>

#include "session_id.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class ListTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    user1_ = Logon("USER1", "pw1");
    admin_ = Logon("ADMIN", "password");
  }
  int32_t CreateTemplateList(PvxjExecutionService svc, const char* name, int32_t type,
                             const char* owner = nullptr, const char* filter = nullptr,
                             const char* sort = nullptr, const uint32_t* threshold = nullptr,
                             const char* description = nullptr) {
    list_ = 0;
    return PvxjExecutionServiceCreateProcessTemplateList(svc, name, type, owner, description,
                                                         filter, sort, threshold, &list_);
  }
  std::vector<std::string> VisibleTemplateLists(PvxjExecutionService svc) {
    PvxjProcessTemplateListVector v = 0;
    EXPECT_EQ(PvxjExecutionServiceQueryProcessTemplateLists(svc, &v), PVX_OK);
    std::vector<std::string> names;
    for (PvxjProcessTemplateList e = PvxjProcessTemplateListVectorFirstElement(v); e;
         e = PvxjProcessTemplateListVectorNextElement(v)) {
      char buf[80];
      names.push_back(PvxjPersistentListName(e, buf, sizeof buf));
      PvxjProcessTemplateListDeallocate(&e);
    }
    PvxjProcessTemplateListVectorDeallocate(&v);
    return names;
  }
  int64_t Rows() {
    Stmt q(store().db(), "SELECT count(*) FROM persistent_lists");
    q.Step();
    return q.Int(0);
  }

  PvxjExecutionService user1_ = 0, admin_ = 0;
  PvxjProcessTemplateList list_ = 0;
};

TEST_F(ListTest, NameTypeAndDescriptionAreChecked) {
  EXPECT_EQ(CreateTemplateList(user1_, nullptr, Pvx_LT_Public), PVX_ERROR_INVALID_NAME);
  EXPECT_EQ(CreateTemplateList(user1_, "", Pvx_LT_Public), PVX_ERROR_INVALID_NAME);
  EXPECT_EQ(CreateTemplateList(user1_, std::string(65, 'n').c_str(), Pvx_LT_Public),
            PVX_ERROR_INVALID_NAME);
  EXPECT_EQ(CreateTemplateList(user1_, "tab\there", Pvx_LT_Public), PVX_ERROR_INVALID_NAME);
  for (int32_t bad : {Pvx_LT_NotSet, 2, 4, -1})
    EXPECT_EQ(CreateTemplateList(user1_, "L", bad), PVX_ERROR_INVALID_LIST_TYPE) << bad;
  EXPECT_EQ(CreateTemplateList(user1_, "L", Pvx_LT_Public, nullptr, nullptr, nullptr, nullptr,
                               std::string(255, 'd').c_str()),
            PVX_ERROR_INVALID_DESCRIPTION);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(list_, nullptr);
  EXPECT_EQ(CreateTemplateList(user1_, std::string(64, 'n').c_str(), Pvx_LT_Private), PVX_OK);
  EXPECT_NE(list_, nullptr);
}

TEST_F(ListTest, NamesAreUniquePerKindAndOwnerScope) {
  ASSERT_EQ(CreateTemplateList(user1_, "Mine", Pvx_LT_Private), PVX_OK);
  EXPECT_EQ(CreateTemplateList(user1_, "Mine", Pvx_LT_Private), PVX_ERROR_NOT_UNIQUE);
  EXPECT_EQ(CreateTemplateList(user1_, "Mine", Pvx_LT_Public), PVX_OK);  // public scope
  EXPECT_EQ(CreateTemplateList(admin_, "Mine", Pvx_LT_Public), PVX_ERROR_NOT_UNIQUE);
  EXPECT_EQ(CreateTemplateList(admin_, "Mine", Pvx_LT_Private), PVX_OK);  // admin's own
  EXPECT_EQ(CreateTemplateList(admin_, "Mine", Pvx_LT_Private, "USER1"), PVX_ERROR_NOT_UNIQUE);
  EXPECT_EQ(CreateTemplateList(user1_, "mine", Pvx_LT_Private), PVX_OK);  // names keep case
  PvxjWorklist wl = 0;
  EXPECT_EQ(PvxjExecutionServiceCreateWorklist(user1_, "Mine", Pvx_LT_Private, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, &wl),
            PVX_OK);  // another kind of list
  EXPECT_EQ(Rows(), 5);
}

TEST_F(ListTest, OwnerOfAPrivateListNeedsAdministratorWhenNotTheCaller) {
  EXPECT_EQ(CreateTemplateList(user1_, "ForUser2", Pvx_LT_Private, "USER2"),
            PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(CreateTemplateList(admin_, "ForGhost", Pvx_LT_Private, "GHOST"),
            PVX_ERROR_OWNER_NOT_FOUND);
  EXPECT_EQ(CreateTemplateList(user1_, "Self", Pvx_LT_Private, "user1"), PVX_OK);
  ASSERT_EQ(CreateTemplateList(admin_, "ForUser2", Pvx_LT_Private, "USER2"), PVX_OK);
  ASSERT_EQ(CreateTemplateList(admin_, "Everyone", Pvx_LT_Public), PVX_OK);
  PvxjExecutionService user2 = Logon("USER2", "pw2");
  EXPECT_EQ(VisibleTemplateLists(user2), (std::vector<std::string>{"ForUser2", "Everyone"}));
  EXPECT_EQ(VisibleTemplateLists(user1_), (std::vector<std::string>{"Self", "Everyone"}));
}

TEST_F(ListTest, FilterSortAndThresholdAreValidatedForTheListKind) {
  const uint32_t too_big = 0x80000000u, ten = 10;
  EXPECT_EQ(CreateTemplateList(user1_, "L", Pvx_LT_Public, nullptr, "NAME = "),
            PVX_ERROR_INVALID_FILTER);
  // STATE is a column of instances, not of templates.
  EXPECT_EQ(CreateTemplateList(user1_, "L", Pvx_LT_Public, nullptr, "STATE = READY"),
            PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(CreateTemplateList(user1_, "L", Pvx_LT_Public, nullptr, nullptr, "NAME SIDEWAYS"),
            PVX_ERROR_INVALID_SORT);
  EXPECT_EQ(CreateTemplateList(user1_, "L", Pvx_LT_Public, nullptr, nullptr, nullptr, &too_big),
            PVX_ERROR_INVALID_THRESHOLD);
  EXPECT_EQ(Rows(), 0);
  PvxjProcessInstanceList pil = 0;
  EXPECT_EQ(PvxjExecutionServiceCreateProcessInstanceList(user1_, "Running", Pvx_LT_Public,
                                                          nullptr, "Mine", "STATE = RUNNING",
                                                          "NAME DESC", &ten, &pil),
            PVX_OK);
  PvxjActivityInstanceList ail = 0;
  EXPECT_EQ(PvxjExecutionServiceCreateActivityInstanceList(
                user1_, "Urgent", Pvx_LT_Private, nullptr, nullptr, "PRIORITY >= 5",
                "PRIORITY DESC", nullptr, &ail),
            PVX_OK);
  Stmt q(store().db(), "SELECT filter, sort_criteria, threshold, description, owner "
                       "FROM persistent_lists WHERE name='Running'");
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Text(0), "STATE = RUNNING");
  EXPECT_EQ(q.Text(1), "NAME DESC");
  EXPECT_EQ(q.Int(2), 10);
  EXPECT_EQ(q.Text(3), "Mine");
  EXPECT_TRUE(q.IsNull(4));  // public lists have no owner
}

TEST_F(ListTest, ListQueriesAppendToAVectorTheyAreGiven) {
  ASSERT_EQ(CreateTemplateList(user1_, "A", Pvx_LT_Public), PVX_OK);
  PvxjProcessTemplateListVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplateLists(user1_, &v), PVX_OK);
  PvxjProcessTemplateListVector first = v;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplateLists(user1_, &v), PVX_OK);
  EXPECT_EQ(v, first);
  EXPECT_EQ(PvxjProcessTemplateListVectorSize(v), 2u);
  PvxjWorklistVector wv = HandleRef(v);  // a vector of another kind (cast as C could) is refused
  EXPECT_EQ(PvxjExecutionServiceQueryWorklists(user1_, &wv), PVX_ERROR_INVALID_HANDLE);
  PvxjWorklistVector empty = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryWorklists(user1_, &empty), PVX_OK);
  EXPECT_EQ(PvxjWorklistVectorSize(empty), 0u);
  EXPECT_EQ(PvxjWorklistVectorFirstElement(empty), nullptr);
}

TEST_F(ListTest, ListsComeBackFromTheirIdentifiers) {
  ASSERT_EQ(CreateTemplateList(admin_, "Secret", Pvx_LT_Private), PVX_OK);
  ASSERT_EQ(CreateTemplateList(admin_, "Shared", Pvx_LT_Public), PVX_OK);
  Stmt q(store().db(), "SELECT id FROM persistent_lists ORDER BY id");
  q.Step();
  std::string secret = FormatOid("TL", q.Int(0));
  q.Step();
  std::string shared = FormatOid("TL", q.Int(0));

  PvxjProcessTemplateList l = PvxjExecutionServicePersistentProcessTemplateList(user1_,
                                                                                shared.c_str());
  ASSERT_NE(l, nullptr);
  char buf[32];
  EXPECT_STREQ(PvxjPersistentListName(l, buf, sizeof buf), "Shared");
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplateList(user1_, secret.c_str()), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_NE(PvxjExecutionServicePersistentProcessTemplateList(admin_, secret.c_str()), nullptr);
  // A template list identifier does not name a worklist.
  EXPECT_EQ(PvxjExecutionServicePersistentWorklist(user1_, shared.c_str()), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_OID);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplateList(user1_, "TL000000099999"), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
}

}  // namespace
}  // namespace pvxjsim
