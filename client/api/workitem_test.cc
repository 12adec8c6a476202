// Work items and activity instances through the API: the rules the result
// file cases do not reach (manual exit, the administrator's work item
// changes, deleting items, holds that run out, identifiers by item kind).
#include <string>

#include "clock.h"
#include "container.h"
#include "engine.h"
#include "seed.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class WorkitemTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    admin_ = Logon("ADMIN", "password");
    user1_ = Logon("USER1", "pw1");
    user2_ = Logon("USER2", "pw2");
  }
  // A running CreditRequest for the amount, started by USER2.
  void StartCredit(const char* name, const char* amount) {
    WriteTx tx(store());
    int64_t pi = 0;
    ASSERT_EQ(CreateInstance(store(), "CreditRequest", name, "USER2", &pi), PVX_OK);
    Schema schema;
    ASSERT_TRUE(LoadSchema(store(), "CreditData", &schema));
    Record in;
    in.type_name = "CreditData";
    ASSERT_EQ(SetMemberFromText(schema, &in, "Amount", amount), PVX_OK);
    ASSERT_EQ(StartInstance(store(), pi, "USER2", &in), PVX_OK);
    tx.Commit();
  }
  // The first work item of svc's worklist the filter finds (0: none).
  PvxjWorkitem Item(PvxjExecutionService svc, const std::string& filter) {
    PvxjWorkitemVector v = 0;
    EXPECT_EQ(PvxjExecutionServiceQueryWorkitems(svc, filter.c_str(), nullptr, nullptr, &v), PVX_OK);
    PvxjWorkitem w = PvxjWorkitemVectorSize(v) ? PvxjWorkitemVectorFirstElement(v) : 0;
    PvxjWorkitemVectorDeallocate(&v);
    return w;
  }
  PvxjActivityInstance Activity(PvxjExecutionService svc, const std::string& name) {
    PvxjActivityInstanceVector v = 0;
    std::string filter = "NAME = '" + name + "'";
    EXPECT_EQ(PvxjExecutionServiceQueryActivityInstances(svc, filter.c_str(), nullptr, nullptr, &v), PVX_OK);
    PvxjActivityInstance a = PvxjActivityInstanceVectorSize(v) ? PvxjActivityInstanceVectorFirstElement(v) : 0;
    PvxjActivityInstanceVectorDeallocate(&v);
    return a;
  }
  // Leaves Approved=1 as the item's output, through its out container.
  void Approve(PvxjWorkitem w) {
    PvxjReadWriteContainer c = 0;
    ASSERT_EQ(PvxjWorkitemOutContainer(w, &c), PVX_OK);
    {
      auto* r = Client::Get().handles.Get<RecordObject>(c, Cls::ReadWriteContainer);
      ASSERT_TRUE(r);
      Schema schema;
      ASSERT_TRUE(LoadSchema(store(), r->record.type_name, &schema));
      ASSERT_EQ(SetMemberFromText(schema, &r->record, "Approved", "1"), PVX_OK);
    }
    EXPECT_EQ(PvxjWorkitemSetOutContainer(w, c), PVX_OK);
    PvxjReadWriteContainerDeallocate(&c);
  }
  void CheckOutAndIn(PvxjWorkitem w) {
    PvxjProgramData data = 0;
    ASSERT_EQ(PvxjWorkitemCheckOut(w, Pvx_WS_CommonDataOnly, Pvx_DP_WindowsNT, &data), PVX_OK);
    PvxjProgramDataDeallocate(&data);
    ASSERT_EQ(PvxjWorkitemCheckIn(w, 0, 0), PVX_OK);
  }

  PvxjExecutionService admin_ = 0, user1_ = 0, user2_ = 0;
};

TEST_F(WorkitemTest, ManualExitWaitsExecutedForTheAdministrator) {
  StartCredit("Big", "20000");
  PvxjWorkitem collect = Item(user2_, "NAME = 'CollectData'");
  ASSERT_TRUE(collect);
  CheckOutAndIn(collect);
  PvxjActivityInstance collected = Activity(admin_, "CollectData");
  EXPECT_EQ(PvxjActivityInstanceFinish(collected), PVX_ERROR_NO_MANUAL_EXIT);

  PvxjWorkitem approve = Item(user1_, "NAME = 'Approve' AND STATE = READY");
  ASSERT_TRUE(approve);
  EXPECT_EQ(PvxjWorkitemManualExitMode(approve), 1);
  EXPECT_EQ(PvxjWorkitemManualStartMode(approve), 1);
  PvxjActivityInstance a = Activity(admin_, "Approve");
  EXPECT_EQ(PvxjActivityInstanceFinish(a), PVX_ERROR_WRONG_STATE);  // not executed yet
  ASSERT_EQ(PvxjWorkitemStart(approve), PVX_OK);
  Approve(approve);
  ASSERT_EQ(PvxjWorkitemFinish(approve), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Executed);
  EXPECT_FALSE(Item(user2_, "NAME = 'Notify'"));  // nothing follows yet

  // Executed again: new work items, then executed once more.
  EXPECT_EQ(PvxjActivityInstanceReexecute(a), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Ready);
  approve = Item(user1_, "NAME = 'Approve' AND STATE = READY");
  ASSERT_TRUE(approve);
  Approve(approve);
  ASSERT_EQ(PvxjWorkitemFinish(approve), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Executed);

  // Only the process administrator (or an administrator) ends the wait.
  PvxjActivityInstance seen_by_user1 = Activity(user1_, "Approve");
  EXPECT_EQ(PvxjActivityInstanceFinish(seen_by_user1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjActivityInstanceFinish(a), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Finished);
  EXPECT_TRUE(Item(user2_, "NAME = 'Notify' AND STATE = READY"));
}

// An activity executed again has new work items beside the ended ones of
// its first run: the administrator's changes act on the open ones, and
// ended work is neither moved nor copied.
TEST_F(WorkitemTest, AnActivityRunAgainActsOnItsOpenItemsNotTheEndedOnes) {
  StartCredit("Twice", "20000");
  PvxjWorkitem collect = Item(user2_, "NAME = 'CollectData'");
  ASSERT_TRUE(collect);
  CheckOutAndIn(collect);
  PvxjWorkitem first = Item(user1_, "NAME = 'Approve' AND STATE = READY");
  ASSERT_TRUE(first);
  ASSERT_EQ(PvxjWorkitemStart(first), PVX_OK);
  Approve(first);
  ASSERT_EQ(PvxjWorkitemFinish(first), PVX_OK);
  PvxjActivityInstance a = Activity(admin_, "Approve");
  ASSERT_EQ(PvxjActivityInstanceReexecute(a), PVX_OK);
  ASSERT_EQ(PvxjWorkitemState(first), Pvx_IS_Finished);
  // Rescheduling makes the open items anew and keeps the ended one.
  EXPECT_EQ(PvxjActivityInstanceReschedule(a), PVX_OK);
  EXPECT_EQ(PvxjWorkitemState(first), Pvx_IS_Finished);

  EXPECT_EQ(PvxjItemTransfer(first, "USER3"), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjItemDuplicate(first, "USER3"), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjActivityInstanceTransferWorkitem(a, "USER1", "USER2"), PVX_OK);  // the new one
  EXPECT_TRUE(Item(user2_, "NAME = 'Approve' AND STATE = READY"));
  EXPECT_TRUE(Item(user1_, "NAME = 'Approve' AND STATE = FINISHED"));
  // USER1's ended item is no open work: USER1 may be given the activity again.
  EXPECT_EQ(PvxjActivityInstanceCreateWorkitem(a, "USER1"), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, "USER2"), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, "USER4"), PVX_OK);
  // The ended item does not keep the activity reachable: the last open one stays.
  EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, "USER1"), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjActivityInstanceTerminate(a), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Terminated);
  EXPECT_EQ(PvxjWorkitemState(first), Pvx_IS_Finished);
  EXPECT_EQ(PvxjWorkitemState(Item(user1_, "NAME = 'Approve' AND STATE = TERMINATED")), Pvx_IS_Terminated);
}

// Work that staff resolution gives nobody goes to the process administrator,
// else to a system administrator, received as such, and never to the starter.
TEST_F(WorkitemTest, WorkForNobodyGoesToAnAdministrator) {
  {
    WriteTx tx(store());
    std::string error;
    ASSERT_TRUE(LoadSystemDefinition(store(), R"({ "processTemplates": [
      { "name": "Orphan", "processAdmin": "USER1", "inContainer": "CreditData", "outContainer": "CreditData",
        "activities": [ { "name": "Lonely", "kind": "program", "program": "CollectData",
                          "staff": { "persons": ["USER2"], "levelMin": 9 } } ] },
      { "name": "Stray", "inContainer": "CreditData", "outContainer": "CreditData",
        "activities": [ { "name": "Lost", "kind": "program", "program": "CollectData",
                          "staff": { "organization": "Sales", "levelMin": 9 } } ] } ] })",
                                     &error))
        << error;
    for (const char* name : {"Orphan", "Stray"}) {
      int64_t pi = 0;
      ASSERT_EQ(CreateInstance(store(), name, name, "USER2", &pi), PVX_OK);
      ASSERT_EQ(StartInstance(store(), pi, "USER2", nullptr), PVX_OK);
    }
    tx.Commit();
  }
  EXPECT_FALSE(Item(user2_, "OWNER = 'USER2' AND PROCESS_INSTANCE_NAME IN ('Orphan', 'Stray')"));
  PvxjWorkitem lonely = Item(user1_, "OWNER = 'USER1' AND NAME = 'Lonely'");
  ASSERT_TRUE(lonely);
  EXPECT_EQ(PvxjItemReceivedAs(lonely), Pvx_IR_ProcessAdministrator);
  PvxjWorkitem lost = Item(admin_, "OWNER = 'ADMIN' AND NAME = 'Lost'");
  ASSERT_TRUE(lost);
  EXPECT_EQ(PvxjItemReceivedAs(lost), Pvx_IR_SystemAdministrator);
  PvxjStringVector staff = PvxjActivityInstanceStaff(Activity(admin_, "Lost"));
  ASSERT_TRUE(staff);
  EXPECT_EQ(PvxjStringVectorSize(staff), 1u);
  char buf[16];
  EXPECT_STREQ(PvxjStringVectorFirstElement(staff, buf, sizeof buf), "ADMIN");
  PvxjStringVectorResultParmDeallocate(&staff);
}

TEST_F(WorkitemTest, EndedItemsStayUntilDeletedAndReadyOnesCannotBeDeleted) {
  StartCredit("Small", "10");
  PvxjWorkitem w = Item(user2_, "NAME = 'CollectData'");
  ASSERT_TRUE(w);
  EXPECT_EQ(PvxjItemDelete(w), PVX_ERROR_WRONG_STATE);
  PvxjWorkitem other = Item(Logon("USER3", "pw3"), "NAME = 'CollectData'");
  ASSERT_TRUE(other);
  CheckOutAndIn(w);
  EXPECT_EQ(PvxjWorkitemState(w), Pvx_IS_Finished);
  EXPECT_EQ(PvxjItemEndTimeIsNull(w), 0);
  // The items nobody worked on are withdrawn.
  EXPECT_EQ(PvxjItemRefresh(other), PVX_ERROR_DOES_NOT_EXIST);
  // Only the owner (or an administrator) deletes.
  PvxjWorkitem again = Item(user2_, "NAME = 'CollectData' AND STATE = FINISHED");
  ASSERT_TRUE(again);
  EXPECT_EQ(PvxjItemEqual(again, w), 1);
  EXPECT_EQ(PvxjItemDelete(w), PVX_OK);
  EXPECT_EQ(PvxjWorkitemState(w), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
}

TEST_F(WorkitemTest, TheAdministratorMakesMovesAndRemovesWorkItems) {
  StartCredit("Staffed", "10");
  PvxjActivityInstance a = Activity(admin_, "CollectData");
  ASSERT_TRUE(a);
  PvxjActivityInstance mine = Activity(user2_, "CollectData");
  EXPECT_EQ(PvxjActivityInstanceCreateWorkitem(mine, "USER1"), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjActivityInstanceCreateWorkitem(a, "NOBODY"), PVX_ERROR_OWNER_NOT_FOUND);
  EXPECT_EQ(PvxjActivityInstanceCreateWorkitem(a, "USER1"), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceCreateWorkitem(a, "user1"), PVX_ERROR_NOT_UNIQUE);
  EXPECT_TRUE(Item(user1_, "NAME = 'CollectData'"));
  EXPECT_EQ(PvxjActivityInstanceTransferWorkitem(a, "USER1", "USER5"), PVX_OK);
  EXPECT_FALSE(Item(user1_, "NAME = 'CollectData'"));
  // Every item but the last may go; the last keeps the activity reachable.
  for (const char* u : {"USER2", "USER3", "USER4"}) EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, u), PVX_OK) << u;
  EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, "USER5"), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(PvxjActivityInstanceDeleteWorkitem(a, "USER2"), PVX_ERROR_DOES_NOT_EXIST);
  // Rescheduling makes the staff's items anew.
  EXPECT_EQ(PvxjActivityInstanceReschedule(a), PVX_OK);
  EXPECT_TRUE(Item(user2_, "NAME = 'CollectData' AND STATE = READY"));
}

TEST_F(WorkitemTest, AHoldRunsOutWithTheClock) {
  StartCredit("Held", "10");
  {
    WriteTx tx(store());
    SetClockFixed(store(), 1900000000);
    tx.Commit();
  }
  PvxjWorkitem w = Item(user2_, "NAME = 'CollectData'");
  ASSERT_TRUE(w);
  PvxjDateTime until{};
  until.year = 2030;
  until.month = 3;
  until.day = 17;
  until.hour = 18;  // 1900000000 is 2030-03-17 17:46:40
  ASSERT_EQ(PvxjWorkitemPutOnHold(w, until), PVX_OK);
  EXPECT_EQ(PvxjWorkitemState(w), Pvx_IS_Suspended);
  EXPECT_EQ(PvxjWorkitemStart(w), PVX_ERROR_WRONG_STATE);
  {
    WriteTx tx(store());
    ASSERT_TRUE(AdvanceClock(store(), 3600));
    tx.Commit();
  }
  EXPECT_EQ(PvxjWorkitemStart(w), PVX_OK);  // released before it starts
  EXPECT_EQ(PvxjItemOnHoldTimeIsNull(w), 1);
  PvxjDateTime bad{};
  EXPECT_EQ(PvxjWorkitemPutOnHold(w, bad), PVX_ERROR_INVALID_TIME);
}

TEST_F(WorkitemTest, IdentifiersFollowTheItemKindAndErrorsAreObjects) {
  StartCredit("Named", "10");
  PvxjWorkitem w = Item(user2_, "NAME = 'CollectData'");
  ASSERT_TRUE(w);
  char buf[64];
  ASSERT_TRUE(PvxjItemPersistentOid(w, buf, sizeof buf));
  EXPECT_EQ(std::string(buf).substr(0, 2), "WI");
  PvxjWorkitem back = 0;
  EXPECT_EQ(PvxjWorkitemPersistentObject(user2_, buf, &back), PVX_OK);
  EXPECT_EQ(PvxjItemEqual(w, back), 1);
  ASSERT_TRUE(PvxjWorkitemPersistentOidOfActivityInstance(w, buf, sizeof buf));
  PvxjActivityInstance a = 0;
  EXPECT_EQ(PvxjActivityInstancePersistentObject(admin_, buf, &a), PVX_OK);
  EXPECT_STREQ(PvxjActivityInstanceName(a, buf, sizeof buf), "CollectData");

  ASSERT_EQ(PvxjWorkitemStart(w), PVX_OK);  // worked on: it stays, in error
  WriteTx tx(store());
  Stmt q(store().db(), "SELECT activity_instance_id FROM items WHERE kind=1 LIMIT 1");
  ASSERT_TRUE(q.Step());
  int64_t ai = q.Int(0);
  q.Step();
  ASSERT_TRUE(ActivityInError(store(), ai, "disk full"));
  tx.Commit();
  PvxjError e = 0;
  EXPECT_EQ(PvxjActivityInstanceErrorReasonIsNull(a), 0);
  EXPECT_EQ(PvxjActivityInstanceErrorReason(a, &e), PVX_OK);
  EXPECT_EQ(PvxjWorkitemState(w), Pvx_IS_InError);
  EXPECT_EQ(PvxjWorkitemRestart(w), PVX_OK);
  EXPECT_EQ(PvxjActivityInstanceState(a), Pvx_AS_Ready);
  EXPECT_EQ(PvxjActivityInstanceErrorReasonIsNull(a), 1);
}

}  // namespace
}  // namespace pvxjsim
