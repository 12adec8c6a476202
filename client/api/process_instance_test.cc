// Process instances and worklists: suspension (flat, deep, until a time, and
// the deadlines of the activities that wait), restart, renaming, and taking
// the next work item in a worklist's order.
#include <string>
#include <utility>

#include "clock.h"
#include "engine.h"
#include "program_data.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class InstanceTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    user2_ = Logon("USER2", "pw2");
  }
  PvxjProcessTemplate Template(const char* name) {
    PvxjProcessTemplateVector v = 0;
    std::string filter = std::string("NAME = '") + name + "'";
    EXPECT_EQ(PvxjExecutionServiceQueryProcessTemplates(user2_, filter.c_str(), nullptr, nullptr, &v), PVX_OK);
    PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
    PvxjProcessTemplateVectorDeallocate(&v);
    return t;
  }
  PvxjProcessInstance Started(const char* tmpl, const char* name) {
    PvxjProcessTemplate t = Template(tmpl);
    PvxjProcessInstance i = 0;
    EXPECT_EQ(PvxjProcessTemplateCreateAndStartInstance(t, name, nullptr, nullptr, 0, 1, &i), PVX_OK);
    PvxjProcessTemplateDeallocate(&t);
    return i;
  }
  int64_t Int(const std::string& sql) {
    Stmt q(store().db(), sql);
    EXPECT_TRUE(q.Step()) << sql;
    return q.Int(0);
  }
  int64_t State(const char* instance) {
    return Int(std::string("SELECT state FROM process_instances WHERE name='") + instance + "'");
  }
  int64_t ActivityState(const char* instance, const char* activity) {
    return Int(std::string("SELECT a.state FROM activity_instances a JOIN process_instances p "
                           "ON p.id = a.process_instance_id WHERE p.name='") +
               instance + "' AND a.name='" + activity + "'");
  }
  // USER2's work item in an instance: its id and owner.
  std::pair<int64_t, int64_t> Item(const char* instance) {
    Stmt q(store().db(), "SELECT i.id, i.owner_id FROM items i JOIN process_instances p "
                         "ON p.id = i.process_instance_id JOIN persons u ON u.id = i.owner_id "
                         "WHERE u.user_id='USER2' AND i.kind=1 AND p.name=?");
    q.Bind(1, std::string_view(instance));
    EXPECT_TRUE(q.Step()) << instance;
    return {q.Int(0), q.Int(1)};
  }

  PvxjExecutionService user2_ = 0;
};

TEST_F(InstanceTest, FlatSuspensionLeavesSubProcessesRunningDeepSuspendsThem) {
  PvxjProcessInstance i = Started("CreditEscalation", "Esc");
  ASSERT_TRUE(i);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  EXPECT_EQ(State("Esc"), kPsSuspended);
  EXPECT_EQ(State("Esc.FirstOpinion"), kPsRunning);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 1), PVX_OK);
  EXPECT_EQ(State("Esc.FirstOpinion"), kPsSuspended);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 1), PVX_OK);
  EXPECT_EQ(State("Esc"), kPsRunning);
  EXPECT_EQ(State("Esc.FirstOpinion"), kPsRunning);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, ActivitiesAreSuspendedWithTheirInstanceDeepOnesInSubProcessesToo) {
  PvxjProcessInstance i = Started("CreditEscalation", "Esc");
  ASSERT_EQ(ActivityState("Esc", "FirstOpinion"), kAsRunning);
  ASSERT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsReady);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsSuspended);
  EXPECT_EQ(ActivityState("Esc", "SecondOpinion"), kAsInactive);  // not begun: left alone
  EXPECT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsReady);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsRunning);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 1), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsSuspended);
  EXPECT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsSuspended);
  // A flat resumption leaves the sub-process waiting, and with it its work.
  EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsRunning);
  EXPECT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsSuspended);
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 1), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsRunning);
  EXPECT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsReady);
  // Terminated while suspended: its waiting activities end terminated.
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 1), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceTerminate(i), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsTerminated);
  EXPECT_EQ(ActivityState("Esc.FirstOpinion", "CollectData"), kAsTerminated);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, ResumedActivitiesGetBackTheStateTheyHad) {
  PvxjProcessInstance a = Started("CreditRequest", "A");
  PvxjProcessInstance b = Started("CreditRequest", "B");
  PvxjProcessInstance c = Started("CreditRequest", "C");
  auto [item_a, owner] = Item("A");
  ASSERT_EQ(StartWorkitem(store(), Item("B").first, owner), PVX_OK);
  ASSERT_EQ(CheckOutWorkitem(store(), Item("C").first, owner, kCommonDataOnly, 0, nullptr), PVX_OK);
  for (PvxjProcessInstance i : {a, b, c}) EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  for (const char* name : {"A", "B", "C"})
    EXPECT_EQ(ActivityState(name, "CollectData"), kAsSuspended) << name;
  for (PvxjProcessInstance i : {a, b, c}) EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(ActivityState("A", "CollectData"), kAsReady);
  EXPECT_EQ(ActivityState("B", "CollectData"), kAsRunning);
  EXPECT_EQ(ActivityState("C", "CollectData"), kAsCheckedOut);
  // A check-out given back while the instance waits: it stays suspended,
  // and is ready once resumed.
  EXPECT_EQ(PvxjProcessInstanceSuspend(c, 0), PVX_OK);
  EXPECT_EQ(CancelCheckOutWorkitem(store(), Item("C").first, owner), PVX_OK);
  EXPECT_EQ(ActivityState("C", "CollectData"), kAsSuspended);
  EXPECT_EQ(PvxjProcessInstanceResume(c, 0), PVX_OK);
  EXPECT_EQ(ActivityState("C", "CollectData"), kAsReady);
  for (PvxjProcessInstance* i : {&a, &b, &c}) PvxjProcessInstanceDeallocate(i);
}

TEST_F(InstanceTest, ASubProcessThatEndsDuringAFlatSuspensionFinishesItsActivityOnResumption) {
  PvxjProcessInstance i = Started("CreditEscalation", "Esc");
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  // The sub-process runs on: its people do its work until it ends.
  for (int step = 0; step < 10 && State("Esc.FirstOpinion") == kPsRunning; ++step) {
    Stmt q(store().db(), "SELECT i.id, i.owner_id FROM items i JOIN process_instances p "
                         "ON p.id = i.process_instance_id WHERE p.name='Esc.FirstOpinion' "
                         "AND i.kind=1 AND i.ended IS NULL");  // ended items stay
    ASSERT_TRUE(q.Step());
    int64_t item = q.Int(0), owner = q.Int(1);
    q.Step();
    ASSERT_EQ(FinishWorkitem(store(), item, owner, 0, {}), PVX_OK);
  }
  EXPECT_EQ(State("Esc.FirstOpinion"), kPsFinished);
  // The parent does not move on while it waits.
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsSuspended);
  EXPECT_EQ(ActivityState("Esc", "SecondOpinion"), kAsInactive);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(ActivityState("Esc", "FirstOpinion"), kAsFinished);
  EXPECT_EQ(ActivityState("Esc", "SecondOpinion"), kAsReady);
  EXPECT_EQ(State("Esc"), kPsRunning);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, ActivityDeadlinesWaitWhileTheInstanceIsSuspended) {
  PvxjProcessInstance i = Started("CreditRequest", "Late");
  SetClockFixed(store(), 1'900'000'000);
  // CollectData is due for its first notification in an hour.
  store().Exec("UPDATE activity_instances SET notify_at='2030-03-17 18:46:40', "
               "next_deadline='2030-03-17 18:46:40' WHERE name='CollectData'");
  EXPECT_EQ(PvxjProcessInstanceSuspend(i, 0), PVX_OK);
  ASSERT_TRUE(AdvanceClock(store(), 7200));
  CheckDeadlines(store());
  EXPECT_EQ(Int("SELECT deadline_state FROM activity_instances WHERE name='CollectData'"), 0);
  EXPECT_EQ(PvxjProcessInstanceResume(i, 0), PVX_OK);
  EXPECT_EQ(Int("SELECT deadline_state FROM activity_instances WHERE name='CollectData'"), 1);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, SuspensionUntilATimeEndsByItself) {
  PvxjProcessInstance i = Started("CreditRequest", "Pause");
  SetClockFixed(store(), 1'900'000'000);  // 2030-03-17 17:46:40
  PvxjDateTime past{2030, 3, 17, 17, 0, 0}, ahead{2030, 3, 17, 19, 0, 0}, bad{2030, 2, 30, 0, 0, 0};
  EXPECT_EQ(PvxjProcessInstanceSuspendUntil(i, past, 0), PVX_ERROR_INVALID_TIME);
  EXPECT_EQ(PvxjProcessInstanceSuspendUntil(i, bad, 0), PVX_ERROR_INVALID_TIME);
  EXPECT_EQ(PvxjProcessInstanceSuspendUntil(i, ahead, 0), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceState(i), Pvx_PS_Suspended);
  ASSERT_TRUE(AdvanceClock(store(), 7200));
  EXPECT_EQ(PvxjProcessInstanceState(i), Pvx_PS_Suspended);  // reading changes nothing
  EXPECT_EQ(ActivityState("Pause", "CollectData"), kAsSuspended);
  CheckDeadlines(store());
  EXPECT_EQ(PvxjProcessInstanceState(i), Pvx_PS_Running);
  EXPECT_EQ(ActivityState("Pause", "CollectData"), kAsReady);
  EXPECT_EQ(PvxjProcessInstanceSuspensionExpirationTimeIsNull(i), 1);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, AnInstancesDeadlineMakesItsProcessNotification) {
  SetClockFixed(store(), 1'900'000'000);
  PvxjProcessInstance i = Started("CreditRequest", "Slow");
  EXPECT_EQ(PvxjProcessInstanceStateOfNotification(i), Pvx_PE_NoNotification);
  EXPECT_EQ(PvxjProcessInstanceNotificationTimeIsNull(i), 0);
  EXPECT_EQ(PvxjProcessInstanceNotifiedPersonIsNull(i), 1);
  ASSERT_TRUE(AdvanceClock(store(), 3 * 86400));
  CheckDeadlines(store());
  EXPECT_EQ(PvxjProcessInstanceStateOfNotification(i), Pvx_PE_ProcessNotification);
  char buf[64];
  const char* who = PvxjProcessInstanceNotifiedPerson(i, buf, sizeof buf);
  ASSERT_NE(who, nullptr);
  EXPECT_EQ(Int(std::string("SELECT count(*) FROM items i JOIN persons u ON u.id = i.owner_id "
                            "WHERE i.kind=3 AND u.user_id='") + who + "'"), 1);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, RestartRunsAFinishedOrTerminatedInstanceAgainFromItsStart) {
  PvxjProcessInstance i = Started("CreditEscalation", "Again");
  EXPECT_EQ(PvxjProcessInstanceRestart(i), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjProcessInstanceTerminate(i), PVX_OK);
  const int64_t subs = Int("SELECT count(*) FROM process_instances WHERE name LIKE 'Again.%'");
  EXPECT_EQ(subs, 1);
  EXPECT_EQ(PvxjProcessInstanceRestart(i), PVX_OK);
  EXPECT_EQ(State("Again"), kPsRunning);
  // One new sub-process, under the name the first run's had.
  EXPECT_EQ(Int("SELECT count(*) FROM process_instances WHERE name LIKE 'Again.%'"), 1);
  EXPECT_EQ(State("Again.FirstOpinion"), kPsRunning);
  EXPECT_EQ(Int("SELECT count(*) FROM activity_instances a JOIN process_instances p "
                "ON p.id = a.process_instance_id WHERE p.name='Again' AND a.state=8"), 0);
  // A sub-process does not restart on its own.
  PvxjProcessInstanceVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessInstances(user2_, "NAME = 'Again.FirstOpinion'", nullptr, nullptr, &v),
            PVX_OK);
  PvxjProcessInstance sub = PvxjProcessInstanceVectorFirstElement(v);
  EXPECT_EQ(PvxjProcessInstanceTerminate(i), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceRestart(sub), PVX_ERROR_WRONG_STATE);
  PvxjProcessInstanceDeallocate(&sub);
  PvxjProcessInstanceVectorDeallocate(&v);
  PvxjProcessInstanceDeallocate(&i);
}

TEST_F(InstanceTest, NamesStayUniqueAndPropertiesResetToTheTemplates) {
  PvxjProcessInstance a = Started("CreditRequest", "First");
  PvxjProcessInstance b = Started("CreditRequest", "Second");
  EXPECT_EQ(PvxjProcessInstanceSetName(b, "First"), PVX_ERROR_NOT_UNIQUE);
  EXPECT_EQ(PvxjProcessInstanceSetName(b, ""), PVX_ERROR_INVALID_NAME);
  EXPECT_EQ(PvxjProcessInstanceSetName(b, "Third"), PVX_OK);
  char buf[64];
  EXPECT_STREQ(PvxjProcessInstanceName(b, buf, sizeof buf), "Third");
  EXPECT_EQ(PvxjProcessInstanceSetProcessAdmin(a, "NOBODY"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjProcessInstanceSetProcessAdmin(a, "USER1"), PVX_OK);
  EXPECT_STREQ(PvxjProcessInstanceProcessAdmin(a, buf, sizeof buf), "USER1");
  EXPECT_EQ(PvxjProcessInstanceSetDescription(a, "mine"), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceResetProperties(a), PVX_OK);
  PvxjProcessTemplate t = Template("CreditRequest");
  char want[256];
  const char* d = PvxjProcessTemplateDescription(t, want, sizeof want);
  const char* got = PvxjProcessInstanceDescription(a, buf, sizeof buf);
  EXPECT_EQ(d == nullptr, got == nullptr);
  if (d && got) EXPECT_STREQ(got, d);
  PvxjProcessTemplateDeallocate(&t);
  PvxjProcessInstanceDeallocate(&a);
  PvxjProcessInstanceDeallocate(&b);
}

TEST_F(InstanceTest, NextWorkitemFollowsTheWorklistsOrderAndSkipsWhatCannotBeTaken) {
  PvxjProcessInstance a = Started("CreditRequest", "A");
  PvxjProcessInstance b = Started("CreditRequest", "B");
  PvxjProcessInstance c = Started("CreditRequest", "C");
  PvxjWorklist wl = 0;
  ASSERT_EQ(PvxjExecutionServiceCreateWorklist(user2_, "Order", Pvx_LT_Private, nullptr, nullptr, nullptr,
                                               "PROCESS_INSTANCE_NAME DESC", nullptr, &wl),
            PVX_OK);
  auto item_state = [&](const char* instance) {
    return Int(std::string("SELECT i.state FROM items i JOIN process_instances p ON p.id = i.process_instance_id "
                           "JOIN persons u ON u.id = i.owner_id WHERE u.user_id='USER2' AND i.kind=1 AND p.name='") +
               instance + "'");
  };
  // C comes first, but its instance waits: B is taken instead.
  EXPECT_EQ(PvxjProcessInstanceSuspend(c, 0), PVX_OK);
  EXPECT_EQ(PvxjWorklistStartNextWorkitem(wl), PVX_OK);
  EXPECT_EQ(item_state("B"), kItemRunning);
  EXPECT_EQ(item_state("C"), kItemReady);
  EXPECT_EQ(PvxjProcessInstanceResume(c, 0), PVX_OK);
  PvxjWorkitem w = 0;
  PvxjReadOnlyContainer in = 0;
  EXPECT_EQ(PvxjWorklistCheckOutNextWorkitem(wl, &w, &in), PVX_OK);
  EXPECT_TRUE(w);
  EXPECT_TRUE(in);
  EXPECT_EQ(item_state("C"), kItemCheckedOut);
  PvxjWorkitem w2 = 0;
  EXPECT_EQ(PvxjWorklistCheckOutNextWorkitem(wl, &w2, nullptr), PVX_OK);
  EXPECT_EQ(item_state("A"), kItemCheckedOut);
  PvxjWorkitem w3 = 0;
  EXPECT_EQ(PvxjWorklistCheckOutNextWorkitem(wl, &w3, nullptr), PVX_ERROR_NO_MORE_DATA);
  EXPECT_FALSE(w3);
  EXPECT_EQ(PvxjWorklistCheckOutNextWorkitem(wl, nullptr, nullptr), PVX_ERROR_INVALID_RESULT_HANDLE);
  PvxjWorkitemDeallocate(&w);
  PvxjWorkitemDeallocate(&w2);
  PvxjReadOnlyContainerDeallocate(&in);
  PvxjWorklistDeallocate(&wl);
  PvxjProcessInstanceDeallocate(&a);
  PvxjProcessInstanceDeallocate(&b);
  PvxjProcessInstanceDeallocate(&c);
}

}  // namespace
}  // namespace pvxjsim
