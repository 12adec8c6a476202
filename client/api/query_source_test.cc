// Queries through the execution service: filters, sort criteria and
// thresholds over the store, appending, walking vectors, persistent objects.
#include <string>

#include "session_id.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class QueryTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    svc_ = Logon("USER1", "pw1");
  }
  // Runs a template query and returns the names, or the return code as text.
  std::vector<std::string> Templates(const char* filter, const char* sort = nullptr,
                                     const uint32_t* threshold = nullptr) {
    PvxjProcessTemplateVector v = 0;
    int32_t rc = PvxjExecutionServiceQueryProcessTemplates(svc_, filter, sort, threshold, &v);
    if (rc != PVX_OK) return {"rc=" + std::to_string(rc)};
    std::vector<std::string> names;
    for (PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v); t;
         t = PvxjProcessTemplateVectorNextElement(v)) {
      char buf[64];
      names.push_back(PvxjProcessTemplateName(t, buf, sizeof buf));
      EXPECT_EQ(PvxjProcessTemplateDeallocate(&t), PVX_OK);
    }
    EXPECT_EQ(PvxjProcessTemplateVectorDeallocate(&v), PVX_OK);
    return names;
  }
  void AddItem(const char* owner, int kind, const char* name, int state) {
    Stmt q(store().db(), "INSERT INTO items(kind, owner_id, name, state, created) "
                         "VALUES(?, (SELECT id FROM persons WHERE user_id=?), ?, ?, ?)");
    q.Bind(1, kind).Bind(2, owner).Bind(3, name).Bind(4, state).Bind(5, "2024-02-01 10:00:00");
    q.Run();
  }

  PvxjExecutionService svc_ = 0;
  using Names = std::vector<std::string>;
};

TEST_F(QueryTest, SeededTemplatesComeInCreationOrderWithoutCriteria) {
  EXPECT_EQ(Templates(nullptr),
            (Names{"CreditRequest", "TravelRequest", "OrderEntry", "CreditEscalation",
                   "CreditCheck"}));
  EXPECT_EQ(Templates("   "), Templates(nullptr));
}

TEST_F(QueryTest, FiltersSelectTemplates) {
  EXPECT_EQ(Templates("NAME = 'OrderEntry'"), (Names{"OrderEntry"}));
  EXPECT_EQ(Templates("name like 'Credit*'"),
            (Names{"CreditRequest", "CreditEscalation", "CreditCheck"}));
  EXPECT_EQ(Templates("NAME LIKE '?rder*'"), (Names{"OrderEntry"}));
  EXPECT_EQ(Templates("CATEGORY = 'Finance' AND NOT NAME LIKE '*Escalation'"),
            (Names{"CreditRequest", "CreditCheck"}));
  EXPECT_EQ(Templates("CATEGORY = 'Sales' OR (CATEGORY = 'Finance' AND AUDIT_MODE = FULL "
                      "AND DOCUMENTATION IS NULL)"),
            (Names{"OrderEntry", "CreditEscalation"}));
  EXPECT_EQ(Templates("NAME IN ('TravelRequest', 'OrderEntry', 'Nope')"),
            (Names{"TravelRequest", "OrderEntry"}));
  EXPECT_EQ(Templates("NAME NOT IN ('TravelRequest') AND CREATION_TIME >= '2024-01-03'"),
            (Names{"OrderEntry", "CreditEscalation", "CreditCheck"}));
  EXPECT_EQ(Templates("PROCESS_ADMIN = CURRENT_USER"), (Names{"TravelRequest", "OrderEntry"}));
}

TEST_F(QueryTest, NamesCompareWithoutRegardToCaseOtherTextsAsWritten) {
  EXPECT_EQ(Templates("NAME = 'creditrequest'"), (Names{"CreditRequest"}));
  EXPECT_EQ(Templates("NAME IN ('ORDERENTRY', 'travelrequest')"), (Names{"TravelRequest", "OrderEntry"}));
  EXPECT_EQ(Templates("NAME LIKE 'credit*'"),
            (Names{"CreditRequest", "CreditEscalation", "CreditCheck"}));
  EXPECT_EQ(Templates("NAME <> 'CREDITREQUEST' AND NAME LIKE 'Credit*'"),
            (Names{"CreditEscalation", "CreditCheck"}));
  EXPECT_EQ(Templates("PROCESS_ADMIN = 'user1'"), Templates("PROCESS_ADMIN = 'USER1'"));
  // A description is no name: its case counts.
  EXPECT_EQ(Templates("DESCRIPTION = 'Business travel approval'"), (Names{"TravelRequest"}));
  EXPECT_EQ(Templates("DESCRIPTION = 'BUSINESS TRAVEL APPROVAL'"), Names{});
  EXPECT_EQ(Templates("DESCRIPTION LIKE 'business*'"), Names{});
}

TEST_F(QueryTest, SortCriteriaAndThresholdShapeTheResult) {
  EXPECT_EQ(Templates(nullptr, "NAME DESC"),
            (Names{"TravelRequest", "OrderEntry", "CreditRequest", "CreditEscalation",
                   "CreditCheck"}));
  EXPECT_EQ(Templates(nullptr, "CATEGORY ASC, NAME DESC"),
            (Names{"TravelRequest", "CreditRequest", "CreditEscalation", "CreditCheck",
                   "OrderEntry"}));
  const uint32_t two = 2, zero = 0, huge = 0xFFFFFFFFu;
  EXPECT_EQ(Templates(nullptr, "NAME", &two), (Names{"CreditCheck", "CreditEscalation"}));
  EXPECT_EQ(Templates(nullptr, nullptr, &zero), Names{});
  EXPECT_EQ(Templates(nullptr, nullptr, &huge),
            (Names{"rc=" + std::to_string(PVX_ERROR_INVALID_THRESHOLD)}));
  for (const char* bad : {"NAME UP", "NAME,", ",NAME", "STATE", "NAME DESC DESC", "1"})
    EXPECT_EQ(Templates(nullptr, bad), (Names{"rc=" + std::to_string(PVX_ERROR_INVALID_SORT)}))
        << bad;
}

TEST_F(QueryTest, BadAndHostileFiltersAreRefusedOrMatchLiterally) {
  const std::string invalid = "rc=" + std::to_string(PVX_ERROR_INVALID_FILTER);
  for (const char* bad :
       {"NAME =", "NAME = 'x", "= 'x'", "NAME == 'x'", "NAME = 'x' AND", "(NAME = 'x'",
        "NAME = 'x')", "SECRET = 'x'", "NAME = 'x'; DROP TABLE persons; --",
        "NAME = 'x' -- comment", "NAME = \"x\"", "1 = 1", "NAME = 'a' OR 1=1"})
    EXPECT_EQ(Templates(bad), (Names{invalid})) << bad;
  EXPECT_EQ(Templates("AUDIT_MODE = 'FULL'"),
            (Names{"rc=" + std::to_string(PVX_ERROR_INVALID_COMPARISON_VALUE)}));
  // Quotes inside text are data, not SQL.
  EXPECT_EQ(Templates("NAME = 'x'' OR ''1''=''1'"), Names{});
  EXPECT_EQ(Templates("NAME LIKE '%'").size(), 5u);
  EXPECT_EQ(Templates("NAME LIKE '\\%'"), Names{});
  EXPECT_EQ(Templates("NAME LIKE '*'").size(), 5u);
  // The store is intact afterwards.
  PvxjExecutionService again = Logon("USER2", "pw2");
  EXPECT_NE(again, nullptr);
}

TEST_F(QueryTest, QueryGivenAVectorAddsToIt) {
  PvxjProcessTemplateVector v = 0;
  const uint32_t one = 1;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, nullptr, nullptr, &one, &v), PVX_OK);
  PvxjProcessTemplateVector before = v;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'OrderEntry'", nullptr,
                                                      nullptr, &v),
            PVX_OK);
  EXPECT_EQ(v, before);
  ASSERT_EQ(PvxjProcessTemplateVectorSize(v), 2u);
  char buf[32];
  PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
  EXPECT_STREQ(PvxjProcessTemplateName(t, buf, sizeof buf), "CreditRequest");
  PvxjProcessTemplate u = PvxjProcessTemplateVectorNextElement(v);
  EXPECT_STREQ(PvxjProcessTemplateName(u, buf, sizeof buf), "OrderEntry");
  EXPECT_EQ(PvxjProcessTemplateVectorNextElement(v), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NO_MORE_DATA);
  // First starts over; elements are independent handles.
  PvxjProcessTemplate again = PvxjProcessTemplateVectorFirstElement(v);
  EXPECT_NE(again, t);
  EXPECT_EQ(PvxjProcessTemplateVectorDeallocate(&v), PVX_OK);
  EXPECT_STREQ(PvxjProcessTemplateName(u, buf, sizeof buf), "OrderEntry");  // outlives vector
  // A failing query leaves the vector variable alone.
  PvxjProcessTemplateVector w = 0;
  EXPECT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME =", nullptr, nullptr, &w),
            PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(w, nullptr);
  PvxjProcessTemplateVector stale = before;  // freed above
  EXPECT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, nullptr, nullptr, nullptr, &stale),
            PVX_ERROR_INVALID_HANDLE);
}

TEST_F(QueryTest, ItemQueriesSeeTheCallersItemsOfTheirKind) {
  AddItem("USER1", 1, "Approve credit 7", 1);
  AddItem("USER1", 1, "Ship order 3", 2);
  AddItem("USER1", 3, "Order 3 overdue", 1);
  AddItem("USER1", 4, "Approve credit 7 late", 1);
  AddItem("USER2", 1, "Someone else's", 1);
  PvxjWorkitemVector wv = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryWorkitems(svc_, nullptr, "NAME DESC", nullptr, &wv), PVX_OK);
  EXPECT_EQ(PvxjWorkitemVectorSize(wv), 2u);
  char buf[64];
  PvxjWorkitem w = PvxjWorkitemVectorFirstElement(wv);
  EXPECT_STREQ(PvxjItemName(w, buf, sizeof buf), "Ship order 3");
  PvxjItemVector iv = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryItems(svc_, "STATE = READY AND KIND <> WORKITEM", nullptr,
                                           nullptr, &iv),
            PVX_OK);
  EXPECT_EQ(PvxjItemVectorSize(iv), 2u);
  PvxjProcessInstanceNotificationVector pn = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessInstanceNotifications(svc_, nullptr, nullptr,
                                                                  nullptr, &pn),
            PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceNotificationVectorSize(pn), 1u);
  PvxjActivityInstanceNotificationVector an = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryActivityInstanceNotifications(
                svc_, "OWNER = CURRENT_USER", nullptr, nullptr, &an),
            PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceNotificationVectorSize(an), 1u);
  PvxjActivityInstanceNotification n = PvxjActivityInstanceNotificationVectorFirstElement(an);
  EXPECT_STREQ(PvxjItemName(n, buf, sizeof buf), "Approve credit 7 late");
}

TEST_F(QueryTest, KindsWithoutObjectsGiveEmptyVectors) {
  PvxjProcessInstanceVector pi = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessInstances(svc_, "STATE IN (RUNNING, SUSPENDED)",
                                                      "PROCESS_TEMPLATE_NAME", nullptr, &pi),
            PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceVectorSize(pi), 0u);
  EXPECT_EQ(PvxjProcessInstanceVectorFirstElement(pi), nullptr);
  PvxjActivityInstanceVector ai = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryActivityInstances(svc_, "KIND = PROGRAM", "PRIORITY DESC",
                                                       nullptr, &ai),
            PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceVectorSize(ai), 0u);
  // Instance columns are not template columns and vice versa.
  EXPECT_EQ(PvxjExecutionServiceQueryProcessInstances(svc_, "AUDIT_MODE = FULL", nullptr,
                                                      nullptr, &pi),
            PVX_ERROR_INVALID_FILTER);
}

TEST_F(QueryTest, TemplatesComeBackFromTheirIdentifiers) {
  PvxjProcessTemplate t = PvxjExecutionServicePersistentProcessTemplate(svc_, "PT000000000003");
  ASSERT_NE(t, nullptr);
  char buf[32];
  EXPECT_STREQ(PvxjProcessTemplateName(t, buf, sizeof buf), "OrderEntry");
  for (const char* bad : {"", "PT", "PT-1", "pt000000000001", "PT000000000000", "PI000000000001",
                          "PT00000000000x", "PT1234567890123456789012"}) {
    EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplate(svc_, bad), nullptr) << bad;
    EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_OID) << bad;
  }
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplate(svc_, nullptr), nullptr);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplate(svc_, "PT000000000099"), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessInstance(svc_, "PI000000000001"), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
}

}  // namespace
}  // namespace pvxjsim
