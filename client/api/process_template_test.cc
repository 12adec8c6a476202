// Process templates and the stored-list functions: deletion by version, the
// create and execute variants, the asynchronous reply, list authorisation and
// persistent identifiers.
#include <cstring>
#include <string>

#include "agent.h"
#include "clock.h"
#include "container.h"
#include "engine.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class TemplateTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    admin_ = Logon("ADMIN", "password");
    user2_ = Logon("USER2", "pw2");
  }
  // The newest valid version of a template, as a query finds it.
  PvxjProcessTemplate Template(PvxjExecutionService svc, const char* name) {
    PvxjProcessTemplateVector v = 0;
    std::string filter = std::string("NAME = '") + name + "'";
    EXPECT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc, filter.c_str(), nullptr, nullptr, &v),
              PVX_OK);
    PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
    PvxjProcessTemplateVectorDeallocate(&v);
    return t;
  }
  int64_t Int(const std::string& sql) {
    Stmt q(store().db(), sql);
    EXPECT_TRUE(q.Step()) << sql;
    return q.Int(0);
  }
  std::string Text(const std::string& sql) {
    Stmt q(store().db(), sql);
    EXPECT_TRUE(q.Step()) << sql;
    return q.IsNull(0) ? "(null)" : q.Text(0);
  }
  // Adds a version of TravelRequest valid from `from` (activities are not
  // needed to delete it).
  void AddVersion(const char* from) {
    store().Exec((std::string("INSERT INTO process_templates(name, audit_mode, valid_from, created, "
                              "modified) VALUES('TravelRequest', 0, '") +
                  from + "', '2024-01-01 00:00:00', '2024-01-01 00:00:00')")
                     .c_str());
  }
  std::string Versions() {
    Stmt q(store().db(), "SELECT group_concat(substr(valid_from, 1, 4), ',') FROM "
                         "(SELECT valid_from FROM process_templates WHERE name='TravelRequest' "
                         "ORDER BY valid_from)");
    q.Step();
    return q.IsNull(0) ? "" : q.Text(0);
  }

  PvxjExecutionService admin_ = 0, user2_ = 0;
};

TEST_F(TemplateTest, DeleteSelectsPastCurrentAndFutureVersionsAndNeedsTheRight) {
  AddVersion("2020-01-01 00:00:00");
  AddVersion("2099-01-01 00:00:00");
  SetClockFixed(store(), 1735689600);  // 2025-01-01
  PvxjProcessTemplate t = Template(admin_, "TravelRequest");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(Versions(), "2020,2024,2099");
  PvxjProcessTemplate u = Template(user2_, "TravelRequest");
  EXPECT_EQ(PvxjProcessTemplateDelete(u, 1, 1, 1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjProcessTemplateDelete(t, 0, 0, 1), PVX_OK);
  EXPECT_EQ(Versions(), "2020,2024");
  EXPECT_EQ(PvxjProcessTemplateDelete(t, 1, 0, 0), PVX_OK);
  EXPECT_EQ(Versions(), "2024");
  // A version instances were made from stays, and nothing else goes either.
  AddVersion("2021-01-01 00:00:00");
  PvxjProcessInstance pi = 0;
  ASSERT_EQ(PvxjProcessTemplateCreateInstance(t, nullptr, nullptr, nullptr, 0, &pi), PVX_OK);
  EXPECT_EQ(PvxjProcessTemplateDelete(t, 1, 1, 0), PVX_ERROR_NOT_EMPTY);
  EXPECT_EQ(Versions(), "2021,2024");
  // The handle of a deleted version finds nothing.
  PvxjProcessTemplate c = Template(admin_, "CreditCheck");
  EXPECT_EQ(PvxjProcessTemplateDelete(c, 0, 1, 0), PVX_OK);
  char buf[64];
  EXPECT_EQ(PvxjProcessTemplateDescription(c, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjProcessTemplateRefresh(c), PVX_ERROR_DOES_NOT_EXIST);
}

TEST_F(TemplateTest, GettersReadTheStoreAndTheirNullTwinsAgree) {
  PvxjProcessTemplate credit = Template(admin_, "CreditRequest");
  PvxjProcessTemplate travel = Template(admin_, "TravelRequest");
  char buf[64];
  EXPECT_STREQ(PvxjProcessTemplateCategory(credit, buf, sizeof buf), "Finance");
  EXPECT_STREQ(PvxjProcessTemplateDocumentation(credit, buf, sizeof buf),
               "Credit handbook, chapter 2");
  EXPECT_STREQ(PvxjProcessTemplateIcon(credit, buf, sizeof buf), "credit.ico");
  EXPECT_STREQ(PvxjProcessTemplateRoleName(credit, buf, 4), "App");  // cut to the buffer
  EXPECT_EQ(PvxjProcessTemplateDocumentation(travel, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjProcessTemplateDocumentationIsNull(travel), 1);
  EXPECT_EQ(PvxjProcessTemplateDocumentationIsNull(credit), 0);
  EXPECT_EQ(PvxjProcessTemplateRoleNameIsNull(travel), 1);
  EXPECT_EQ(PvxjProcessTemplateAuditMode(credit), Pvx_TA_Full);
  EXPECT_EQ(PvxjProcessTemplateAuditMode(Template(admin_, "CreditCheck")), Pvx_TA_Filter);
  EXPECT_EQ(PvxjProcessTemplateIsComplete(credit), 1);
  EXPECT_EQ(PvxjProcessTemplateInContainerNeeded(credit), 1);
  PvxjDateTime created = PvxjProcessTemplateCreationTime(travel);
  EXPECT_EQ(created.year, 2024);
  EXPECT_EQ(created.day, 2);
  // A program the template does not name has no program template here.
  store().Exec("UPDATE activities SET program='Missing' WHERE name='Book'");
  EXPECT_EQ(PvxjProcessTemplateIsComplete(travel), 0);
  PvxjProgramTemplate pt = 0;
  EXPECT_EQ(PvxjProcessTemplateProgramTemplate(credit, "BookTravel", &pt),
            PVX_ERROR_PROGRAM_UNDEFINED);
  EXPECT_EQ(PvxjProcessTemplateProgramTemplate(credit, "AssessRisk", &pt), PVX_OK);
  EXPECT_NE(pt, nullptr);
  // Copies are equal to the original; other templates are not.
  PvxjProcessTemplate copy = 0;
  ASSERT_EQ(PvxjProcessTemplateCopy(credit, &copy), PVX_OK);
  EXPECT_EQ(PvxjProcessTemplateEqual(credit, copy), 1);
  EXPECT_EQ(PvxjProcessTemplateEqual(credit, travel), 0);
}

TEST_F(TemplateTest, CreateVariantsLeaveTheirStatesNamesAndContext) {
  PvxjProcessTemplate t = Template(user2_, "CreditRequest");
  PvxjProcessInstance a = 0, b = 0, c = 0, d = 0;
  ASSERT_EQ(PvxjProcessTemplateCreateInstance(t, "Loan", nullptr, nullptr, 1, &a), PVX_OK);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Loan'"), kPsReady);
  // A taken name is refused when it must be kept, numbered otherwise.
  EXPECT_EQ(PvxjProcessTemplateCreateInstance(t, "Loan", nullptr, nullptr, 1, &b),
            PVX_ERROR_NOT_UNIQUE);
  EXPECT_EQ(b, nullptr);
  ASSERT_EQ(PvxjProcessTemplateCreateInstance(t, "Loan", nullptr, nullptr, 0, &b), PVX_OK);
  char buf[64];
  EXPECT_STREQ(PvxjProcessInstanceName(b, buf, sizeof buf),
               ("Loan#" + std::to_string(Int("SELECT max(id) FROM process_instances"))).c_str());
  // Another system cannot be reached.
  EXPECT_EQ(PvxjProcessTemplateCreateInstance(t, nullptr, "OTHERGRP", nullptr, 0, &c),
            PVX_ERROR_COMMUNICATION);
  EXPECT_EQ(PvxjProcessTemplateCreateInstance(t, nullptr, "pvxgrp", "PVXSYS", 0, &c), PVX_OK);

  // Started with an input container and a context, which the instance keeps.
  PvxjReadWriteContainer in = 0;
  ASSERT_EQ(PvxjProcessTemplateInitialInContainer(t, &in), PVX_OK);
  ASSERT_EQ(PvxjProcessTemplateCreateAndStartInstanceWithContext(t, "Ctx", nullptr, nullptr, in,
                                                                 1, "order 17", &d),
            PVX_OK);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Ctx'"), kPsRunning);
  EXPECT_EQ(Text("SELECT context FROM process_instances WHERE name='Ctx'"), "order 17");
  // A container of another structure is refused and nothing is made.
  PvxjReadWriteContainer travel_in = 0;
  ASSERT_EQ(PvxjProcessTemplateInContainer(Template(user2_, "TravelRequest"), &travel_in), PVX_OK);
  PvxjProcessInstance e = 0;
  EXPECT_EQ(PvxjProcessTemplateCreateAndStartInstance(t, "Bad", nullptr, nullptr, travel_in, 1, &e),
            PVX_ERROR_INVALID_CONTAINER);
  EXPECT_EQ(Int("SELECT count(*) FROM process_instances WHERE name='Bad'"), 0);

  // Suspended: nothing is offered until it is resumed.
  PvxjProcessInstance s = 0;
  ASSERT_EQ(PvxjProcessTemplateCreateAndSuspendInstance(t, "Held", nullptr, nullptr, 0, 1, &s),
            PVX_OK);
  int64_t held = Int("SELECT id FROM process_instances WHERE name='Held'");
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Held'"), kPsSuspended);
  EXPECT_EQ(Int("SELECT count(*) FROM items WHERE process_instance_id=" + std::to_string(held)), 0);
  {
    WriteTx tx(store());
    ASSERT_EQ(ResumeInstance(store(), held, false), PVX_OK);
    tx.Commit();
  }
  EXPECT_GT(Int("SELECT count(*) FROM items WHERE process_instance_id=" + std::to_string(held)), 0);
}

TEST_F(TemplateTest, ExecuteRunsToTheEndOrSaysItCannot) {
  PvxjProcessTemplate check = Template(user2_, "CreditCheck");
  PvxjProcessInstance pi = 0;
  PvxjReadOnlyContainer out = 0;
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstanceWithContext(check, "Run1", nullptr, nullptr, 0,
                                                                 1, "ctx", &pi, &out),
            PVX_OK);
  EXPECT_NE(pi, nullptr);
  EXPECT_NE(out, nullptr);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Run1'"), kPsFinished);
  // The output holds what the unattended program set.
  auto* rec = Client::Get().handles.Get<RecordObject>(out, Cls::ReadOnlyContainer);
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(rec->record.type_name, "CreditData");
  EXPECT_EQ(GetMember(rec->record, "Comments[1]"), FieldValue(std::string("scored")));
  // One that needs people runs on, without an output container.
  PvxjProcessTemplate credit = Template(user2_, "CreditRequest");
  PvxjProcessInstance pi2 = 0;
  PvxjReadOnlyContainer out2 = 0;
  EXPECT_EQ(PvxjProcessTemplateExecuteProcessInstance(credit, "Run2", nullptr, nullptr, 0, 1, &pi2,
                                                      &out2),
            PVX_ERROR_TIMEOUT);
  EXPECT_NE(pi2, nullptr);
  EXPECT_EQ(out2, nullptr);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Run2'"), kPsRunning);
}

TEST_F(TemplateTest, ExecuteLetsTheAgentRunUnattendedPrograms) {
  // AssessRisk without its simulate rule: a work item the agent runs.
  store().Exec("UPDATE programs SET simulate=NULL WHERE name='AssessRisk'");
  store().Exec("UPDATE program_implementations SET path='/bin/true' "
               "WHERE path='/opt/credit/assess_risk'");
  PvxjProcessTemplate check = Template(user2_, "CreditCheck");
  PvxjProcessInstance pi = 0;
  PvxjReadOnlyContainer out = 0;
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstance(check, "Agent", nullptr, nullptr, 0, 1, &pi,
                                                      &out),
            PVX_OK);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Agent'"), kPsFinished);
  // One whose program cannot be started runs on.
  store().Exec("UPDATE program_implementations SET path='/nonexistent/x' WHERE path='/bin/true'");
  PvxjProcessInstance pi2 = 0;
  PvxjReadOnlyContainer out2 = 0;
  EXPECT_EQ(PvxjProcessTemplateExecuteProcessInstance(check, "Stuck", nullptr, nullptr, 0, 1, &pi2,
                                                      &out2),
            PVX_ERROR_TIMEOUT);
  EXPECT_EQ(Int("SELECT state FROM process_instances WHERE name='Stuck'"), kPsRunning);
}

TEST_F(TemplateTest, AsyncExecuteLeavesAReplyForItsCorrelationIdentifier) {
  PvxjProcessTemplate check = Template(user2_, "CreditCheck");
  unsigned char first[PVXJ_CORREL_ID_LENGTH] = {0}, second[PVXJ_CORREL_ID_LENGTH] = {0};
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstanceAsync(check, "A1", nullptr, nullptr, 0, 1,
                                                           first, "mine"),
            PVX_OK);
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstanceWithContextAsync(
                check, "A2", nullptr, nullptr, 0, 1, "c", second, nullptr),
            PVX_OK);
  // Made from the instance's row: the same bytes on every fresh store.
  CorrelId expected = MakeCorrelId(Int("SELECT id FROM process_instances WHERE name='A2'"));
  EXPECT_EQ(std::memcmp(second, expected.data(), expected.size()), 0);
  EXPECT_NE(std::memcmp(first, second, sizeof first), 0);
  // The second reply is received by its identifier, ahead of the first.
  PvxjExecutionData data = 0;
  ASSERT_EQ(PvxjExecutionServiceReceive(user2_, second, &data, 0), PVX_OK);
  EXPECT_NE(data, nullptr);
  PvxjExecutionData data2 = 0;
  ASSERT_EQ(PvxjExecutionServiceReceive(user2_, first, &data2, 0), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceReceive(user2_, first, &data2, 0), PVX_ERROR_TIMEOUT);
  // A null correlation slot is allowed; the reply still comes.
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstanceAsync(check, nullptr, nullptr, nullptr, 0, 0,
                                                           nullptr, nullptr),
            PVX_OK);
  EXPECT_EQ(Int("SELECT count(*) FROM replies"), 1);
}

class TemplateListTest : public TemplateTest {
 protected:
  PvxjProcessTemplateList Make(PvxjExecutionService svc, const char* name, int32_t type) {
    PvxjProcessTemplateList l = 0;
    EXPECT_EQ(PvxjExecutionServiceCreateProcessTemplateList(svc, name, type, nullptr, nullptr,
                                                            nullptr, nullptr, nullptr, &l),
              PVX_OK);
    return l;
  }
  std::vector<std::string> Names(PvxjProcessTemplateList l) {
    PvxjProcessTemplateVector v = 0;
    EXPECT_EQ(PvxjProcessTemplateListQueryProcessTemplates(l, &v), PVX_OK);
    std::vector<std::string> names;
    for (PvxjProcessTemplate e = PvxjProcessTemplateVectorFirstElement(v); e;
         e = PvxjProcessTemplateVectorNextElement(v)) {
      char buf[64];
      names.push_back(PvxjProcessTemplateName(e, buf, sizeof buf));
      PvxjProcessTemplateDeallocate(&e);
    }
    PvxjProcessTemplateVectorDeallocate(&v);
    return names;
  }
};

TEST_F(TemplateListTest, SettersShapeTheQueryAndGettersReadThemBack) {
  PvxjProcessTemplateList l = Make(user2_, "Finance", Pvx_LT_Public);
  EXPECT_EQ(PvxjPersistentListFilterIsNull(l), 1);
  EXPECT_EQ(PvxjPersistentListSetFilter(l, "CATEGORY = 'Finance'"), PVX_OK);
  EXPECT_EQ(PvxjPersistentListSetSortCriteria(l, "NAME DESC"), PVX_OK);
  uint32_t two = 2;
  EXPECT_EQ(PvxjPersistentListSetThreshold(l, &two), PVX_OK);
  EXPECT_EQ(Names(l), (std::vector<std::string>{"CreditRequest", "CreditEscalation"}));
  EXPECT_EQ(PvxjPersistentListSetThreshold(l, nullptr), PVX_OK);
  EXPECT_EQ(PvxjPersistentListThresholdIsNull(l), 1);
  EXPECT_EQ(Names(l).size(), 3u);
  EXPECT_EQ(PvxjPersistentListSetFilter(l, "NO SUCH THING"), PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(PvxjPersistentListSetSortCriteria(l, "BOGUS"), PVX_ERROR_INVALID_SORT);
  char buf[64];
  EXPECT_STREQ(PvxjPersistentListFilter(l, buf, sizeof buf), "CATEGORY = 'Finance'");
  EXPECT_EQ(PvxjPersistentListSetDescription(l, std::string(255, 'd').c_str()),
            PVX_ERROR_INVALID_DESCRIPTION);
  EXPECT_EQ(PvxjPersistentListSetDescription(l, "money"), PVX_OK);
  EXPECT_STREQ(PvxjPersistentListDescription(l, buf, sizeof buf), "money");
  EXPECT_EQ(PvxjPersistentListType(l), Pvx_LT_Public);
  EXPECT_EQ(PvxjPersistentListOwnerOfListIsNull(l), 1);
}

TEST_F(TemplateListTest, PrivateListsAreTheirOwnersAndPublicOnesTheirCreators) {
  PvxjExecutionService user3 = Logon("USER3", "pw3");
  PvxjProcessTemplateList mine = Make(user2_, "Mine", Pvx_LT_Private);
  char buf[64];
  EXPECT_STREQ(PvxjPersistentListOwnerOfList(mine, buf, sizeof buf), "USER2");
  EXPECT_EQ(PvxjPersistentListType(mine), Pvx_LT_Private);
  // Another user reaching it through its identifier may neither read nor change it.
  char oid[64];
  ASSERT_NE(PvxjPersistentListPersistentOid(mine, oid, sizeof oid), nullptr);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplateList(user3, oid), nullptr);
  PvxjProcessTemplateList admins = PvxjExecutionServicePersistentProcessTemplateList(admin_, oid);
  ASSERT_NE(admins, nullptr);
  EXPECT_EQ(PvxjProcessTemplateListEqual(admins, mine), 1);
  // Logging another user on through the same service does not carry the list over.
  PvxjProcessTemplateList copy = 0;
  ASSERT_EQ(PvxjProcessTemplateListCopy(mine, &copy), PVX_OK);
  ASSERT_EQ(PvxjExecutionServiceLogoff(user2_), PVX_OK);
  ASSERT_EQ(PvxjExecutionServiceLogon(user2_, "USER3", "pw3", Pvx_SM_Default, Pvx_SA_NotSet),
            PVX_OK);
  EXPECT_EQ(PvxjPersistentListDescriptionIsNull(copy), 1);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjPersistentListDelete(copy), PVX_ERROR_NOT_AUTHORIZED);

  // A public list is changed by its creator or an administrator only.
  PvxjProcessTemplateList pub = Make(user3, "Shared", Pvx_LT_Public);
  PvxjProcessTemplateList pub_admin = 0;
  ASSERT_EQ(PvxjProcessTemplateListCopy(pub, &pub_admin), PVX_OK);
  char pub_oid[64];
  PvxjPersistentListPersistentOid(pub, pub_oid, sizeof pub_oid);
  PvxjExecutionService user4 = Logon("USER4", "pw4");
  PvxjProcessTemplateList theirs = PvxjExecutionServicePersistentProcessTemplateList(user4, pub_oid);
  ASSERT_NE(theirs, nullptr);
  EXPECT_EQ(PvxjPersistentListType(theirs), Pvx_LT_Public);
  EXPECT_EQ(PvxjPersistentListSetDescription(theirs, "x"), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjPersistentListDelete(admins), PVX_OK);
  EXPECT_EQ(PvxjPersistentListRefresh(admins), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjPersistentListDelete(pub), PVX_OK);
  EXPECT_EQ(PvxjPersistentListThreshold(theirs), 0u);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
}

TEST_F(TemplateListTest, PersistentIdentifiersRoundTrip) {
  PvxjProcessTemplate t = Template(user2_, "OrderEntry");
  char oid[64];
  ASSERT_NE(PvxjProcessTemplatePersistentOid(t, oid, sizeof oid), nullptr);
  PvxjProcessTemplate back = 0;
  ASSERT_EQ(PvxjProcessTemplatePersistentObject(admin_, oid, &back), PVX_OK);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(PvxjProcessTemplateEqual(t, back), 1);
  char list_oid[64];
  PvxjProcessTemplateList l = Make(user2_, "L", Pvx_LT_Public);
  ASSERT_NE(PvxjPersistentListPersistentOid(l, list_oid, sizeof list_oid), nullptr);
  EXPECT_STRNE(list_oid, oid);
  // A list identifier is not a template's, and the reverse.
  PvxjProcessTemplate none = HandleRef(7);
  EXPECT_NE(PvxjProcessTemplatePersistentObject(user2_, list_oid, &none), PVX_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplateList(user2_, oid), nullptr);
  PvxjProcessTemplateList lb = PvxjExecutionServicePersistentProcessTemplateList(user2_, list_oid);
  EXPECT_EQ(PvxjProcessTemplateListEqual(l, lb), 1);
  // A cut buffer gives a cut identifier, never an overrun.
  char small[4];
  EXPECT_NE(PvxjProcessTemplatePersistentOid(t, small, sizeof small), nullptr);
  EXPECT_EQ(std::strlen(small), 3u);
}

}  // namespace
}  // namespace pvxjsim
