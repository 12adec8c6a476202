// Notifications as the clock passes an activity's durations, the item
// functions' rules for them, monitors of a running instance and the layout
// of the definition format (load, default label, dump, older stores).
#include <nlohmann/json.hpp>

#include <string>

#include "clock.h"
#include "engine.h"
#include "monitor_objects.h"
#include "notification_rules.h"
#include "seed.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

TEST(NotificationRules, AnItemsIdentifierCarriesTheTagOfItsClass) {
  EXPECT_STREQ(NotificationTag(Cls::ActivityInstanceNotification), "AN");
  EXPECT_STREQ(NotificationTag(Cls::ProcessInstanceNotification), "PN");
  EXPECT_EQ(NotificationTag(Cls::Person), nullptr);
}

TEST(NotificationRules, BendPointsLeaveOutWhatIsNoPoint) {
  using P = std::vector<std::pair<int32_t, int32_t>>;
  EXPECT_EQ(ParsePoints("1,2;-3,4"), (P{{1, 2}, {-3, 4}}));
  EXPECT_EQ(ParsePoints(""), P{});
  EXPECT_EQ(ParsePoints("1,;x,2;5;6,7;99999999999,1"), (P{{6, 7}}));
}

class NoticeTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    admin_ = Logon("ADMIN", "password");
    {
      WriteTx tx(store());
      SetClockFixed(store(), 1'800'000'000);
      int64_t pi = 0;
      ASSERT_EQ(CreateInstance(store(), "CreditRequest", "Late", "USER1", &pi), PVX_OK);
      ASSERT_EQ(StartInstance(store(), pi, "USER1", nullptr), PVX_OK);
      pi_ = pi;
      tx.Commit();
    }
    // CollectData done; AssessRisk runs by itself once its item is taken.
    Finish("CollectData", {{"Amount", "20000"}});
    Finish("AssessRisk", {});
  }
  void Finish(const char* activity, const std::vector<std::pair<std::string, std::string>>& out) {
    Stmt q(store().db(), "SELECT i.id, i.owner_id FROM items i JOIN activity_instances a "
                         "ON a.id = i.activity_instance_id WHERE a.name=? AND i.kind=1 AND i.state=1");
    q.Bind(1, activity);
    if (!q.Step()) return;  // already run by the agent
    int64_t item = q.Int(0), owner = q.Int(1);
    q.Step();
    WriteTx tx(store());
    ASSERT_EQ(FinishWorkitem(store(), item, owner, 0, out), PVX_OK) << activity;
    tx.Commit();
  }
  void Advance(int64_t seconds) {
    WriteTx tx(store());
    ASSERT_TRUE(AdvanceClock(store(), seconds));
    tx.Commit();
  }
  std::vector<PvxjActivityInstanceNotification> Notes(PvxjExecutionService svc) {
    PvxjActivityInstanceNotificationVector v = 0;
    EXPECT_EQ(PvxjExecutionServiceQueryActivityInstanceNotifications(svc, nullptr, nullptr, nullptr, &v), PVX_OK);
    std::vector<PvxjActivityInstanceNotification> out;
    for (uint32_t i = 0, n = PvxjActivityInstanceNotificationVectorSize(v); i < n; ++i)
      out.push_back(i ? PvxjActivityInstanceNotificationVectorNextElement(v)
                      : PvxjActivityInstanceNotificationVectorFirstElement(v));
    PvxjActivityInstanceNotificationVectorDeallocate(&v);
    return out;
  }

  PvxjExecutionService admin_ = 0;
  int64_t pi_ = 0;
};

TEST_F(NoticeTest, TheQuerySeesDeadlinesTheClockPassedWithoutAnyCheckInBetween) {
  EXPECT_TRUE(Notes(admin_).empty());
  // Moved behind the server's back: the query itself must check.
  { WriteTx tx(store()); SetClockFixed(store(), 1'800'000'000 + 3600); tx.Commit(); }
  auto notes = Notes(admin_);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(PvxjItemKind(notes[0]), Pvx_IT_FirstActivityInstanceNotification);
  EXPECT_EQ(PvxjActivityInstanceNotificationStateOfNotification(notes[0]), Pvx_AE_FirstNotification);
  Advance(3600);
  notes = Notes(admin_);
  ASSERT_EQ(notes.size(), 2u);
  // The first one's activity has passed its second deadline since.
  EXPECT_EQ(PvxjActivityInstanceNotificationStateOfNotification(notes[0]), Pvx_AE_SecondNotification);
  PvxjDateTime second = PvxjActivityInstanceNotificationSecondNotificationTime(notes[0]);
  PvxjDateTime created = PvxjItemCreationTime(notes[1]);
  EXPECT_EQ(second.hour, created.hour);
  EXPECT_EQ(second.minute, created.minute);
}

TEST_F(NoticeTest, OnlyTheOwnerOrAnAdministratorChangesANotification) {
  Advance(3600);
  auto notes = Notes(admin_);
  ASSERT_EQ(notes.size(), 1u);
  // Handed to USER2, who has no right over ADMIN's items and gets a copy.
  ASSERT_EQ(PvxjItemDuplicate(notes[0], "USER2"), PVX_OK);
  PvxjExecutionService user2 = Logon("USER2", "pw2");
  auto theirs = Notes(user2);
  ASSERT_EQ(theirs.size(), 1u);
  EXPECT_EQ(PvxjItemReceivedAs(theirs[0]), Pvx_IR_ByTransfer);
  // USER2's handle on ADMIN's notification cannot change it.
  PvxjActivityInstanceNotification foreign = 0;
  char oid[64];
  ASSERT_NE(PvxjItemPersistentOid(notes[0], oid, sizeof oid), nullptr);
  EXPECT_EQ(PvxjActivityInstanceNotificationPersistentObject(user2, oid, &foreign), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjItemDelete(theirs[0]), PVX_OK);
  EXPECT_EQ(PvxjItemRefresh(theirs[0]), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjItemRefresh(notes[0]), PVX_OK);
  // Not an item at all (a C caller's cast).
  EXPECT_EQ(PvxjItemDelete(ToHandle<PvxjItem>(HandleRef(admin_).value())), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjItemKind(0), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(NoticeTest, NotificationsEndWithTheirInstance) {
  Advance(2 * 3600);
  ASSERT_EQ(Notes(admin_).size(), 2u);
  Finish("Approve", {{"Approved", "1"}});
  {
    // Approve waits for its manual exit: the administrator ends it.
    Stmt a(store().db(), "SELECT id FROM activity_instances WHERE name='Approve' AND process_instance_id=?");
    a.Bind(1, pi_);
    ASSERT_TRUE(a.Step());
    const int64_t approve = a.Int(0);
    a.Step();
    WriteTx tx(store());
    ASSERT_EQ(FinishExecutedActivity(store(), approve), PVX_OK);
    tx.Commit();
  }
  Finish("Notify", {});
  Stmt st(store().db(), "SELECT state FROM process_instances WHERE id=?");
  st.Bind(1, pi_);
  ASSERT_TRUE(st.Step());
  EXPECT_EQ(st.Int(0), kPsFinished);
  st.Step();
  EXPECT_TRUE(Notes(admin_).empty());
}

TEST_F(NoticeTest, AnInstanceStaysNotifiedWhenItsNotificationIsDeleted) {
  PvxjProcessInstanceVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessInstances(admin_, nullptr, nullptr, nullptr, &v), PVX_OK);
  PvxjProcessInstance pi = PvxjProcessInstanceVectorFirstElement(v);
  EXPECT_EQ(PvxjProcessInstanceStateOfNotification(pi), Pvx_PE_NoNotification);
  Advance(2 * 86400);
  PvxjProcessInstanceNotificationVector notes = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessInstanceNotifications(admin_, nullptr, nullptr, nullptr, &notes),
            PVX_OK);
  ASSERT_EQ(PvxjProcessInstanceNotificationVectorSize(notes), 1u);
  PvxjProcessInstanceNotification note = PvxjProcessInstanceNotificationVectorFirstElement(notes);
  EXPECT_EQ(PvxjProcessInstanceStateOfNotification(pi), Pvx_PE_ProcessNotification);
  ASSERT_EQ(PvxjItemDelete(note), PVX_OK);
  EXPECT_EQ(PvxjProcessInstanceStateOfNotification(pi), Pvx_PE_ProcessNotification);
  PvxjProcessInstanceVectorDeallocate(&v);
  PvxjProcessInstanceNotificationVectorDeallocate(&notes);
}

// A review that expires two hours after it is offered; the template names
// USER4 to be told.
constexpr const char* kClaimReview = R"({ "processTemplates": [
  { "name": "ClaimReview", "processAdmin": "ADMIN", "notifyPerson": "USER4",
    "activities": [
      { "name": "Review", "program": "ApproveCredit", "staff": { "persons": ["USER2"] },
        "notifyAfter": 3600, "expiresAfter": 7200 },
      { "name": "Close", "program": "NotifyCustomer", "staff": { "persons": ["USER3"] } } ],
    "connectors": [ { "from": "Review", "to": "Close" } ] } ] })";

TEST_F(NoticeTest, AnExpiredActivityIsToldOnceByANotificationOfItsOwnKind) {
  {
    WriteTx tx(store());
    std::string error;
    ASSERT_TRUE(LoadSystemDefinition(store(), kClaimReview, &error)) << error;
    int64_t pi = 0;
    ASSERT_EQ(CreateInstance(store(), "ClaimReview", "Claim", "USER1", &pi), PVX_OK);
    ASSERT_EQ(StartInstance(store(), pi, "USER1", nullptr), PVX_OK);
    tx.Commit();
  }
  PvxjExecutionService user4 = Logon("USER4", "pw4");
  Advance(7200 - 1);
  ASSERT_EQ(Notes(user4).size(), 1u);
  Advance(1);
  auto notes = Notes(user4);
  ASSERT_EQ(notes.size(), 2u);
  PvxjActivityInstanceNotification expiry = notes[1];
  EXPECT_EQ(PvxjItemKind(expiry), 2);
  EXPECT_EQ(PvxjItemReceivedAs(expiry), Pvx_IR_Normal);
  EXPECT_EQ(PvxjActivityInstanceNotificationState(expiry), Pvx_IS_Expired);
  EXPECT_TRUE(PvxjActivityInstanceNotificationExpired(expiry));
  PvxjDateTime due = PvxjActivityInstanceNotificationExpirationTime(expiry);
  PvxjDateTime told = PvxjItemCreationTime(expiry);
  EXPECT_EQ(std::tie(due.day, due.hour, due.minute, due.second),
            std::tie(told.day, told.hour, told.minute, told.second));
  // The activity and every notification of it say alike which notification
  // was due last: the expiry's.
  PvxjActivityInstance ai = 0;
  ASSERT_EQ(PvxjActivityInstanceNotificationActivityInstance(expiry, &ai), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceStateOfNotification(ai), 2);
  EXPECT_EQ(PvxjActivityInstanceNotificationStateOfNotification(notes[0]), 2);
  EXPECT_EQ(PvxjActivityInstanceState(ai), Pvx_AS_Expired);
  // Its identifier restores it as an activity notification only.
  char oid[64];
  ASSERT_NE(PvxjItemPersistentOid(expiry, oid, sizeof oid), nullptr);
  PvxjActivityInstanceNotification again = 0;
  EXPECT_EQ(PvxjActivityInstanceNotificationPersistentObject(user4, oid, &again), PVX_OK);
  EXPECT_TRUE(PvxjItemEqual(again, expiry));
  PvxjProcessInstanceNotification wrong = 0;
  EXPECT_NE(PvxjProcessInstanceNotificationPersistentObject(user4, oid, &wrong), PVX_OK);
  // Told once, however often the clock moves on; the instance went on to
  // Close; deleted, the notification is gone.
  Advance(3600);
  EXPECT_EQ(Notes(user4).size(), 2u);
  EXPECT_EQ(PvxjItemDelete(expiry), PVX_OK);
  EXPECT_EQ(Notes(user4).size(), 1u);
  PvxjExecutionService user3 = Logon("USER3", "pw3");
  PvxjWorkitemVector items = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryWorkitems(user3, nullptr, nullptr, nullptr, &items), PVX_OK);
  EXPECT_EQ(PvxjWorkitemVectorSize(items), 1u);
}

TEST_F(NoticeTest, WithoutANotifyPersonTheProcessAdministratorIsToldAsSuch) {
  store().Exec("UPDATE process_templates SET notify_person=NULL WHERE name='CreditRequest'");
  // The instance's own administrator comes before the template's.
  PvxjProcessInstance pi = 0;
  {
    PvxjProcessInstanceVector v = 0;
    ASSERT_EQ(PvxjExecutionServiceQueryProcessInstances(admin_, nullptr, nullptr, nullptr, &v), PVX_OK);
    pi = PvxjProcessInstanceVectorFirstElement(v);
    PvxjProcessInstanceVectorDeallocate(&v);
  }
  ASSERT_EQ(PvxjProcessInstanceSetProcessAdmin(pi, "USER2"), PVX_OK);
  Advance(3600);
  PvxjExecutionService user2 = Logon("USER2", "pw2");
  auto notes = Notes(user2);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(PvxjItemReceivedAs(notes[0]), Pvx_IR_ProcessAdministrator);
  EXPECT_TRUE(Notes(admin_).empty());
  // Nobody to administer it: the starter is told, as any owner.
  store().Exec("UPDATE process_templates SET process_admin=NULL WHERE name='CreditRequest'; "
               "UPDATE process_instances SET process_admin=NULL");
  Advance(3600);
  PvxjExecutionService user1 = Logon("USER1", "pw1");
  notes = Notes(user1);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(PvxjItemKind(notes[0]), Pvx_IT_SecondActivityInstanceNotification);
  EXPECT_EQ(PvxjItemReceivedAs(notes[0]), Pvx_IR_Normal);
}

TEST_F(NoticeTest, ASuspensionNeitherBringsTheInstancesNotificationForwardNorIsLostToIt) {
  auto process_notes = [&] {
    PvxjProcessInstanceNotificationVector v = 0;
    EXPECT_EQ(PvxjExecutionServiceQueryProcessInstanceNotifications(admin_, nullptr, nullptr, nullptr, &v), PVX_OK);
    uint32_t n = PvxjProcessInstanceNotificationVectorSize(v);
    PvxjProcessInstanceNotificationVectorDeallocate(&v);
    return n;
  };
  auto state = [&] {
    Stmt q(store().db(), "SELECT state FROM process_instances WHERE id=?");
    q.Bind(1, pi_);
    return q.Step() ? q.Int(0) : 0;
  };
  auto suspend_until = [&](int64_t seconds) {
    WriteTx tx(store());
    ASSERT_EQ(SuspendInstance(store(), pi_, false, FormatTime(ClockSeconds(store()) + seconds)), PVX_OK);
    tx.Commit();
  };
  // Suspended for an hour: it runs again after the hour, and its
  // notification, two days after its start, is not made then.
  suspend_until(3600);
  Advance(3600);
  EXPECT_EQ(process_notes(), 0u);
  EXPECT_EQ(state(), kPsRunning);
  EXPECT_EQ(process_notes(), 0u);
  // Suspended past the notification: it is made on time, and the instance
  // still runs again when its suspension ends.
  suspend_until(2 * 86400);  // from an hour after the start
  Advance(2 * 86400 - 1800);
  EXPECT_EQ(process_notes(), 1u);
  EXPECT_EQ(state(), kPsSuspended);
  Advance(1800);
  EXPECT_EQ(process_notes(), 1u);
  EXPECT_EQ(state(), kPsRunning);
}

TEST_F(NoticeTest, AMonitorShowsTheInstanceAsItIsNow) {
  Advance(3600);
  auto notes = Notes(admin_);
  ASSERT_EQ(notes.size(), 1u);
  PvxjInstanceMonitor m = 0;
  ASSERT_EQ(PvxjItemObtainProcessMonitor(notes[0], 0, &m), PVX_OK);
  PvxjControlConnectorInstanceVector cv = 0;
  ASSERT_EQ(PvxjInstanceMonitorControlConnectorInstances(m, &cv), PVX_OK);
  ASSERT_EQ(PvxjControlConnectorInstanceVectorSize(cv), 4u);
  std::vector<int32_t> states;
  for (uint32_t i = 0; i < 4; ++i) {
    PvxjControlConnectorInstance c =
        i ? PvxjControlConnectorInstanceVectorNextElement(cv) : PvxjControlConnectorInstanceVectorFirstElement(cv);
    states.push_back(PvxjControlConnectorInstanceState(c));
    PvxjControlConnectorInstanceDeallocate(&c);
  }
  // Collect to assess true; large credit to approval true, otherwise false;
  // approval to notify not evaluated yet.
  EXPECT_EQ(states, (std::vector<int32_t>{Pvx_CS_True, Pvx_CS_True, Pvx_CS_False, Pvx_CS_NotEvaluated}));
  // A new vector each time, even into a slot that holds one.
  PvxjControlConnectorInstanceVector again = cv;
  ASSERT_EQ(PvxjInstanceMonitorControlConnectorInstances(m, &again), PVX_OK);
  EXPECT_NE(again, cv);
  EXPECT_EQ(PvxjControlConnectorInstanceVectorSize(cv), 4u);
  // The layout of the activity that ran overdue, its label under it.
  PvxjActivityInstance ai = 0;
  ASSERT_EQ(PvxjActivityInstanceNotificationActivityInstance(notes[0], &ai), PVX_OK);
  PvxjSymbolLayout l = 0;
  ASSERT_EQ(PvxjActivityInstanceSymbolLayout(ai, &l), PVX_OK);
  EXPECT_EQ(PvxjSymbolLayoutXPosition(l), 200);
  EXPECT_EQ(PvxjSymbolLayoutYPosition(l), 40);
  EXPECT_EQ(PvxjSymbolLayoutXPositionOfName(l), 200);
  EXPECT_EQ(PvxjSymbolLayoutYPositionOfName(l), 80);
  // Once the instance is deleted the monitor refuses.
  {
    WriteTx tx(store());
    ASSERT_EQ(TerminateInstance(store(), pi_), PVX_OK);
    ASSERT_EQ(DeleteInstance(store(), pi_), PVX_OK);
    tx.Commit();
  }
  EXPECT_EQ(PvxjInstanceMonitorRefresh(m, 0), PVX_ERROR_DOES_NOT_EXIST);
}

TEST(LayoutFormat, TheLabelDefaultsUnderTheSymbolAndTheDumpKeepsWhatWasGiven) {
  std::string error;
  auto store = Store::Open(":memory:", &error, false);
  ASSERT_NE(store, nullptr) << error;
  WriteTx tx(*store);
  ASSERT_TRUE(LoadSystemDefinition(*store, R"({
    "programs": [ { "name": "P", "executable": "p" } ],
    "processTemplates": [ { "name": "T", "activities": [
      { "name": "A", "kind": "block", "layout": { "x": 10, "y": -20 },
        "activities": [ { "name": "In", "program": "P", "layout": { "x": 1, "y": 2, "nameX": 5, "nameY": -6 } } ] },
      { "name": "B", "program": "P", "layout": { "x": 0, "y": 0, "nameX": 0, "nameY": 0 } },
      { "name": "C", "program": "P" } ],
      "connectors": [ { "from": "A", "to": "B", "bendPoints": [[-1, 2]] } ] } ] })", &error))
      << error;
  Stmt q(store->db(), "SELECT name, layout_name_x, layout_name_y FROM activities ORDER BY id");
  std::vector<std::tuple<std::string, int64_t, int64_t>> got;
  while (q.Step()) got.emplace_back(q.Text(0), q.Int(1), q.Int(2));
  EXPECT_EQ(got, (std::vector<std::tuple<std::string, int64_t, int64_t>>{
                     {"A", 10, 20}, {"In", 5, -6}, {"B", 0, 0}, {"C", 0, 40}}));
  auto dump = nlohmann::json::parse(DumpSystemDefinition(*store));
  const auto& acts = dump["processTemplates"][0]["activities"];
  EXPECT_EQ(acts[0]["layout"], nlohmann::json::parse(R"({"x":10,"y":-20})"));
  EXPECT_EQ(acts[0]["activities"][0]["layout"], nlohmann::json::parse(R"({"x":1,"y":2,"nameX":5,"nameY":-6})"));
  EXPECT_EQ(acts[1]["layout"], nlohmann::json::parse(R"({"x":0,"y":0,"nameX":0,"nameY":0})"));
  EXPECT_FALSE(acts[2].contains("layout"));
  EXPECT_FALSE(LoadSystemDefinition(*store, R"({ "processTemplates": [ { "name": "U", "activities": [
      { "name": "A", "program": "P", "layout": { "x": 1, "y": 2, "nameZ": 3 } } ] } ] })", &error));
  EXPECT_NE(error.find("nameZ"), std::string::npos) << error;
}

TEST(LayoutFormat, AStoreOfTheVersionBeforeGetsItsLabelsUnderTheSymbols) {
  TempDir dir;
  const std::string path = dir.File("v3.db");
  std::string error;
  {
    auto store = Store::Open(path, &error);
    ASSERT_NE(store, nullptr) << error;
    store->Exec("ALTER TABLE activities DROP COLUMN layout_name_x; "
                "ALTER TABLE activities DROP COLUMN layout_name_y; PRAGMA user_version=3");
  }
  auto store = Store::OpenExisting(path, &error);
  ASSERT_NE(store, nullptr) << error;
  Stmt v(store->db(), "PRAGMA user_version");
  ASSERT_TRUE(v.Step());
  EXPECT_EQ(v.Int(0), kSchemaVersion);
  Stmt q(store->db(), "SELECT layout_x, layout_y, layout_name_x, layout_name_y FROM activities "
                      "WHERE name='Approve'");
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Int(2), q.Int(0));
  EXPECT_EQ(q.Int(3), q.Int(1) + 40);
}

}  // namespace
}  // namespace pvxjsim
