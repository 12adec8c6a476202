// The engine on its own: connector rules, joins, dead paths, blocks,
// sub-processes, staff and substitutes, container typing and conditions.
#include "engine.h"

#include "clock.h"
#include "condition.h"
#include "container.h"
#include "seed.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    store_ = Store::Open(":memory:", &error);
    ASSERT_NE(store_, nullptr) << error;
    WriteTx tx(*store_);
    SetClockFixed(*store_, 1'800'000'000);
    ASSERT_TRUE(LoadSystemDefinition(*store_, R"({
      "dataStructures": [ { "name": "D", "members": [
        { "name": "N", "type": "LONG" }, { "name": "S", "type": "STRING" } ] } ],
      "programs": [ { "name": "P", "executable": "p", "inContainer": "D", "outContainer": "D" },
                    { "name": "Auto", "executable": "a", "inContainer": "D", "outContainer": "D",
                      "unattended": true, "simulate": { "set": { "S": "auto" }, "rc": 3 } } ],
      "processTemplates": [
        { "name": "Graph", "inContainer": "D", "outContainer": "D",
          "activities": [
            { "name": "A", "program": "P", "staff": { "persons": ["USER4"] } },
            { "name": "Big", "program": "P", "staff": { "persons": ["USER4"] } },
            { "name": "Small", "program": "P", "staff": { "persons": ["USER4"] } },
            { "name": "JoinAll", "program": "P", "staff": { "persons": ["USER4"] } },
            { "name": "JoinAny", "program": "P", "startRule": "any", "staff": { "persons": ["USER4"] } } ],
          "connectors": [
            { "from": "A", "to": "Big", "condition": "N > 10" },
            { "from": "A", "to": "Small", "otherwise": true },
            { "from": "Big", "to": "JoinAll" }, { "from": "Small", "to": "JoinAll" },
            { "from": "Big", "to": "JoinAny" }, { "from": "Small", "to": "JoinAny" } ] },
        { "name": "Loop", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "B", "kind": "block", "exitCondition": "N >= 3",
            "activities": [ { "name": "Step", "program": "P", "staff": { "persons": ["USER2"] } },
                            { "name": "Tick", "program": "Auto", "exitCondition": "_RC = 3" } ],
            "connectors": [ { "from": "Step", "to": "Tick" } ] } ] },
        { "name": "Parent", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "Child", "kind": "process", "process": "Loop" },
                          { "name": "After", "program": "Auto" } ],
          "connectors": [ { "from": "Child", "to": "After" } ] },
        { "name": "Quick", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "Ask", "program": "P", "staff": { "persons": ["USER2"] } } ] },
        { "name": "Again", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "Sub", "kind": "process", "process": "Quick",
                            "exitCondition": "N >= 2" } ] },
        { "name": "Fork", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "Split", "program": "P", "staff": { "persons": ["USER2"] } },
                          { "name": "Left", "program": "P", "staff": { "persons": ["USER2"] } },
                          { "name": "Right", "program": "P", "staff": { "persons": ["USER2"] } },
                          { "name": "Join", "program": "P", "staff": { "persons": ["USER2"] } } ],
          "connectors": [ { "from": "Split", "to": "Left" }, { "from": "Split", "to": "Right" },
                          { "from": "Left", "to": "Join" },
                          { "from": "Right", "to": "Join", "condition": "N < 100" } ] },
        { "name": "ByHand", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "Own", "program": "Auto", "staff": { "persons": ["USER2"] } },
                          { "name": "Held", "program": "Auto", "manualStart": true,
                            "staff": { "persons": ["USER2"] } } ],
          "connectors": [ { "from": "Own", "to": "Held" } ] },
        { "name": "Repeat", "inContainer": "D", "outContainer": "D",
          "activities": [ { "name": "R", "kind": "block", "exitCondition": "N >= 3",
            "activities": [ { "name": "Sub", "kind": "process", "process": "Quick" } ] } ] } ] })",
        &error))
        << error;
    tx.Commit();
  }
  int64_t Start(const std::string& tmpl, int32_t n) {
    WriteTx tx(*store_);
    int64_t pi = 0;
    EXPECT_EQ(CreateInstance(*store_, tmpl, "", "USER2", &pi), PVX_OK);
    Schema schema;
    EXPECT_TRUE(LoadSchema(*store_, "D", &schema));
    Record in;
    in.type_name = "D";
    EXPECT_EQ(SetMember(schema, &in, "N", n), PVX_OK);
    EXPECT_EQ(StartInstance(*store_, pi, "USER2", &in), PVX_OK);
    tx.Commit();
    return pi;
  }
  std::string State(int64_t pi, const std::string& activity) {
    Stmt q(store_->db(), "SELECT state FROM activity_instances WHERE process_instance_id=? "
                         "AND name=? ORDER BY id DESC");
    q.Bind(1, pi).Bind(2, std::string_view(activity));
    return q.Step() ? ActivityStateName(q.Int(0)) : "none";
  }
  std::string InstanceState(int64_t pi) {
    Stmt q(store_->db(), "SELECT state FROM process_instances WHERE id=?");
    q.Bind(1, pi);
    return q.Step() ? ProcessStateName(q.Int(0)) : "none";
  }
  std::string InstanceName(int64_t pi) {
    Stmt q(store_->db(), "SELECT name FROM process_instances WHERE id=?");
    q.Bind(1, pi);
    return q.Step() ? q.Text(0) : "none";
  }
  // Finishes the open work item of activity (as its owner).
  void Finish(int64_t pi, const std::string& activity,
              std::vector<std::pair<std::string, std::string>> set = {}) {
    Stmt q(store_->db(), "SELECT i.id, i.owner_id FROM items i JOIN process_instances p "
                         "ON p.id = i.process_instance_id WHERE (p.id=? OR p.top_level_id=?) "
                         "AND i.name=? AND i.kind=1 AND i.state IN (1, 2, 64)");
    q.Bind(1, pi).Bind(2, pi).Bind(3, std::string_view(activity));
    ASSERT_TRUE(q.Step()) << activity;
    int64_t item = q.Int(0), owner = q.Int(1);
    q.Step();
    WriteTx tx(*store_);
    ASSERT_EQ(FinishWorkitem(*store_, item, owner, 0, set), PVX_OK) << activity;
    tx.Commit();
  }
  std::unique_ptr<Store> store_;
};

TEST_F(EngineTest, ConditionTakesOneBranchAndTheOtherPathDies) {
  int64_t pi = Start("Graph", 50);
  Finish(pi, "A");
  EXPECT_EQ(State(pi, "Big"), "READY");
  EXPECT_EQ(State(pi, "Small"), "SKIPPED");
  Finish(pi, "Big");
  EXPECT_EQ(State(pi, "JoinAll"), "SKIPPED");  // one incoming connector was false
  EXPECT_EQ(State(pi, "JoinAny"), "READY");
  Finish(pi, "JoinAny");
  EXPECT_EQ(InstanceState(pi), "FINISHED");
}

TEST_F(EngineTest, OtherwiseIsTakenWhenNoConditionHolds) {
  int64_t pi = Start("Graph", 5);
  Finish(pi, "A");
  EXPECT_EQ(State(pi, "Big"), "SKIPPED");
  EXPECT_EQ(State(pi, "Small"), "READY");
  EXPECT_EQ(InstanceState(pi), "RUNNING");
}

TEST_F(EngineTest, BlockRepeatsUntilItsExitConditionHolds) {
  int64_t pi = Start("Loop", 0);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(State(pi, "B"), "RUNNING");
    Finish(pi, "Step", {{"N", std::to_string(n)}});
  }
  EXPECT_EQ(State(pi, "B"), "FINISHED");
  EXPECT_EQ(InstanceState(pi), "FINISHED");
  Stmt it(store_->db(), "SELECT iteration FROM activity_instances WHERE process_instance_id=? "
                        "AND name='B'");
  it.Bind(1, pi);
  ASSERT_TRUE(it.Step());
  EXPECT_EQ(it.Int(0), 3);
  auto out = LoadContainer(*store_, "PI", pi, "out");
  ASSERT_TRUE(out);
  EXPECT_EQ(std::get<int32_t>(GetMember(*out, "N")), 3);
  EXPECT_EQ(std::get<std::string>(GetMember(*out, "S")), "auto");  // the simulate rule ran
}

TEST_F(EngineTest, ABlocksEarlierRoundsKeepTheirActivityInstances) {
  int64_t pi = Start("Loop", 0);
  Finish(pi, "Step", {{"N", "1"}});
  Finish(pi, "Step", {{"N", "2"}});
  // Two rounds over, the third waits for Step: every round has its own
  // instances, the earlier ones in their final states with their work items.
  std::vector<std::pair<std::string, std::string>> rows;
  std::vector<int64_t> steps;
  Stmt q(store_->db(), "SELECT a.id, a.name, a.state, (SELECT group_concat(i.state) FROM items i "
                       "WHERE i.activity_instance_id = a.id AND i.kind=1) FROM activity_instances a "
                       "WHERE a.process_instance_id=? AND a.name<>'B' ORDER BY a.id");
  q.Bind(1, pi);
  while (q.Step()) {
    rows.emplace_back(q.Text(1), ActivityStateName(q.Int(2)) + std::string(" ") + q.OptText(3).value_or("-"));
    if (q.Text(1) == "Step") steps.push_back(q.Int(0));
  }
  std::vector<std::pair<std::string, std::string>> want = {
      {"Step", "FINISHED 4"}, {"Tick", "FINISHED -"}, {"Step", "FINISHED 4"},
      {"Tick", "FINISHED -"}, {"Step", "READY 1"},    {"Tick", "INACTIVE -"}};
  EXPECT_EQ(rows, want);
  ASSERT_EQ(steps.size(), 3u);
  {
    // An earlier round is over: it cannot be run again beside the current one.
    WriteTx tx(*store_);
    EXPECT_EQ(ForceRestartActivity(*store_, steps[0]), PVX_ERROR_WRONG_STATE);
    tx.Commit();
  }
  EXPECT_EQ(State(pi, "Step"), "READY");
  Finish(pi, "Step", {{"N", "3"}});
  EXPECT_EQ(InstanceState(pi), "FINISHED");
  Stmt n(store_->db(), "SELECT count(*) FROM activity_instances WHERE process_instance_id=? AND state=?");
  n.Bind(1, pi).Bind(2, kAsFinished);
  ASSERT_TRUE(n.Step());
  EXPECT_EQ(n.Int(0), 7);  // three rounds of two, and the block
}

TEST_F(EngineTest, AJoinReachedOnOnePathIsPlanningUntilItsStartIsDecided) {
  int64_t pi = Start("Fork", 5), dead = Start("Fork", 500), stopped = Start("Fork", 5);
  for (int64_t p : {pi, dead, stopped}) {
    Finish(p, "Split");
    EXPECT_EQ(State(p, "Join"), "INACTIVE");  // no path has reached it yet
    Finish(p, "Left");
    EXPECT_EQ(State(p, "Join"), "PLANNING");
  }
  Finish(pi, "Right");
  EXPECT_EQ(State(pi, "Join"), "READY");
  Finish(dead, "Right");  // N < 100 is false: the join's start condition fails
  EXPECT_EQ(State(dead, "Join"), "SKIPPED");
  EXPECT_EQ(InstanceState(dead), "FINISHED");
  WriteTx tx(*store_);
  // A planned activity counts as open: the instance ends with it.
  EXPECT_EQ(TerminateInstance(*store_, stopped), PVX_OK);
  EXPECT_EQ(State(stopped, "Join"), "TERMINATED");
  tx.Commit();
}

TEST_F(EngineTest, ADeletedInstancesActivitiesReadAsDeleted) {
  int64_t pi = Start("Fork", 5);
  for (const char* a : {"Split", "Left", "Right", "Join"}) Finish(pi, a);
  ASSERT_EQ(InstanceState(pi), "FINISHED");
  WriteTx tx(*store_);
  ASSERT_EQ(DeleteInstance(*store_, pi), PVX_OK);
  tx.Commit();
  Stmt q(store_->db(), "SELECT group_concat(DISTINCT state), count(*) FROM activity_instances "
                       "WHERE process_instance_id=?");
  q.Bind(1, pi);
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Text(0), std::to_string(kAsDeleted));
  EXPECT_EQ(q.Int(1), 4);
}

TEST_F(EngineTest, AnUnattendedProgramWaitsForAPersonWhenItsActivityStartsManually) {
  int64_t pi = Start("ByHand", 0);
  EXPECT_EQ(State(pi, "Own"), "FINISHED");  // ran by itself
  EXPECT_EQ(State(pi, "Held"), "READY");
  Finish(pi, "Held");
  EXPECT_EQ(InstanceState(pi), "FINISHED");
}

TEST_F(EngineTest, ProcessActivityRunsAChildAndFinishesWithIt) {
  int64_t pi = Start("Parent", 2);
  EXPECT_EQ(State(pi, "Child"), "RUNNING");
  Finish(pi, "Step", {{"N", "7"}});
  EXPECT_EQ(State(pi, "Child"), "FINISHED");
  EXPECT_EQ(State(pi, "After"), "FINISHED");
  EXPECT_EQ(InstanceState(pi), "FINISHED");
  Stmt child(store_->db(), "SELECT name, state FROM process_instances WHERE parent_id=?");
  child.Bind(1, pi);
  ASSERT_TRUE(child.Step());
  EXPECT_EQ(child.Text(0), "Parent#" + std::to_string(pi) + ".Child");
  EXPECT_EQ(ProcessStateName(child.Int(1)), std::string("FINISHED"));
}

// A process activity that runs again (its exit condition false, or inside a
// repeating block) starts a sub-process with a name of its own each time.
TEST_F(EngineTest, AProcessActivityThatRunsAgainNamesEachSubProcessApart) {
  auto children = [&](int64_t pi) {
    std::vector<std::string> names;
    Stmt q(store_->db(), "SELECT name FROM process_instances WHERE parent_id=? ORDER BY id");
    q.Bind(1, pi);
    while (q.Step()) names.push_back(q.Text(0));
    return names;
  };
  int64_t again = Start("Again", 0);
  const std::string a = InstanceName(again);
  Finish(again, "Ask", {{"N", "1"}});  // exit condition false: Sub runs again
  EXPECT_EQ(State(again, "Sub"), "RUNNING");
  Finish(again, "Ask", {{"N", "2"}});
  EXPECT_EQ(State(again, "Sub"), "FINISHED");
  EXPECT_EQ(InstanceState(again), "FINISHED");
  EXPECT_EQ(children(again), (std::vector<std::string>{a + ".Sub", a + ".Sub.2"}));

  int64_t repeat = Start("Repeat", 0);
  const std::string r = InstanceName(repeat);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(State(repeat, "R"), "RUNNING") << n;
    Finish(repeat, "Ask", {{"N", std::to_string(n)}});
  }
  EXPECT_EQ(State(repeat, "R"), "FINISHED");
  EXPECT_EQ(InstanceState(repeat), "FINISHED");
  EXPECT_EQ(children(repeat),
            (std::vector<std::string>{r + ".Sub", r + ".Sub.2", r + ".Sub.3"}));
}

// A name a run would take that is already in use (here by an instance named
// so by hand) is passed over rather than stopping the instance.
TEST_F(EngineTest, ASubProcessNameAlreadyTakenIsPassedOver) {
  int64_t again = Start("Again", 0);
  const std::string a = InstanceName(again);
  {
    WriteTx tx(*store_);
    int64_t squatter = 0;
    ASSERT_EQ(CreateInstance(*store_, "Quick", a + ".Sub.2", "USER2", &squatter), PVX_OK);
    tx.Commit();
  }
  Finish(again, "Ask", {{"N", "1"}});
  EXPECT_EQ(State(again, "Sub"), "RUNNING");
  Stmt q(store_->db(), "SELECT name FROM process_instances WHERE parent_id=? ORDER BY id DESC");
  q.Bind(1, again);
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Text(0), a + ".Sub.3");
}

TEST_F(EngineTest, WorkItemRulesAndTyping) {
  int64_t pi = Start("Graph", 1);
  Stmt q(store_->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? AND kind=1");
  q.Bind(1, pi);
  ASSERT_TRUE(q.Step());
  int64_t item = q.Int(0), owner = q.Int(1);
  q.Step();
  WriteTx tx(*store_);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner + 1, 0, {}), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner, 0, {{"Nope", "1"}}), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner, 0, {{"N", "x"}}), PVX_ERROR_WRONG_TYPE);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner, 0, {{"N", "99999999999"}}), PVX_ERROR_WRONG_TYPE);
  EXPECT_EQ(FinishWorkitem(*store_, 999, owner, 0, {}), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner, 0, {}), PVX_OK);
  EXPECT_EQ(FinishWorkitem(*store_, item, owner, 0, {}), PVX_ERROR_WRONG_STATE);  // finished, kept
  tx.Commit();
}

TEST_F(EngineTest, NewestValidVersionIsInstantiated) {
  std::string error;
  WriteTx tx(*store_);
  ASSERT_TRUE(LoadSystemDefinition(*store_, R"({"processTemplates": [
      { "name": "V", "validFrom": "2020-01-01 00:00:00", "activities": [ { "name": "Old", "program": "P" } ] },
      { "name": "V", "validFrom": "2027-01-01 00:00:00", "activities": [ { "name": "New", "program": "P" } ] },
      { "name": "V", "validFrom": "2099-01-01 00:00:00", "activities": [ { "name": "Future", "program": "P" } ] } ]})",
                                   &error))
      << error;
  int64_t pi = 0;
  ASSERT_EQ(CreateInstance(*store_, "V", "", "USER1", &pi), PVX_OK);
  ASSERT_EQ(StartInstance(*store_, pi, "USER1", nullptr), PVX_OK);
  EXPECT_EQ(State(pi, "New"), "READY");  // the clock stands in 2027
  EXPECT_EQ(CreateInstance(*store_, "Nope", "", "USER1", &pi), PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND);
}

TEST_F(EngineTest, SuspendResumeTerminateAndDelete) {
  int64_t parent = Start("Parent", 0);
  Stmt c(store_->db(), "SELECT id FROM process_instances WHERE parent_id=?");
  c.Bind(1, parent);
  ASSERT_TRUE(c.Step());
  int64_t child = c.Int(0);
  c.Step();
  WriteTx tx(*store_);
  EXPECT_EQ(DeleteInstance(*store_, parent), PVX_ERROR_WRONG_STATE);  // still running
  EXPECT_EQ(SuspendInstance(*store_, parent, true, std::string("2027-01-15 12:00:00")), PVX_OK);
  EXPECT_EQ(InstanceState(parent), "SUSPENDED");
  EXPECT_EQ(InstanceState(child), "SUSPENDED");  // deep
  EXPECT_EQ(SuspendInstance(*store_, parent, false, std::nullopt), PVX_ERROR_WRONG_STATE);
  Stmt item(store_->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? AND kind=1");
  item.Bind(1, child);
  ASSERT_TRUE(item.Step());
  int64_t id = item.Int(0), owner = item.Int(1);
  item.Step();
  EXPECT_EQ(FinishWorkitem(*store_, id, owner, 0, {}), PVX_ERROR_WRONG_STATE);
  // The suspension runs out when the clock passes it.
  SetClockFixed(*store_, ClockSeconds(*store_) + 400 * 86400);
  CheckDeadlines(*store_);
  EXPECT_EQ(InstanceState(parent), "RUNNING");
  EXPECT_EQ(InstanceState(child), "RUNNING");
  EXPECT_EQ(SuspendInstance(*store_, parent, false, std::nullopt), PVX_OK);
  EXPECT_EQ(InstanceState(child), "RUNNING");  // not deep
  EXPECT_EQ(ResumeInstance(*store_, parent, false), PVX_OK);
  EXPECT_EQ(TerminateInstance(*store_, parent), PVX_OK);
  EXPECT_EQ(InstanceState(parent), "TERMINATED");
  EXPECT_EQ(InstanceState(child), "TERMINATED");
  EXPECT_EQ(State(child, "Step"), "TERMINATED");
  EXPECT_EQ(FinishWorkitem(*store_, id, owner, 0, {}), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(DeleteInstance(*store_, parent), PVX_OK);
  EXPECT_EQ(InstanceState(parent), "DELETED");
  tx.Commit();
}

TEST_F(EngineTest, WorkItemStateMachine) {
  int64_t pi = Start("Graph", 50);
  Stmt q(store_->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? AND kind=1");
  q.Bind(1, pi);
  ASSERT_TRUE(q.Step());
  int64_t item = q.Int(0), owner = q.Int(1);
  q.Step();
  int64_t user1 = 0, admin = 0;
  for (Stmt p(store_->db(), "SELECT id, user_id FROM persons"); p.Step();) {
    if (p.Text(1) == "USER1") user1 = p.Int(0);
    if (p.Text(1) == "ADMIN") admin = p.Int(0);
  }
  WriteTx tx(*store_);
  EXPECT_EQ(HoldWorkitem(*store_, item, owner, "2030-13-01"), PVX_ERROR_INVALID_TIME);
  EXPECT_EQ(HoldWorkitem(*store_, item, owner, "2030-01-01 00:00:00"), PVX_OK);
  EXPECT_EQ(StartWorkitem(*store_, item, owner), PVX_ERROR_WRONG_STATE);  // on hold
  EXPECT_EQ(ReleaseWorkitem(*store_, item, owner), PVX_OK);
  EXPECT_EQ(StartWorkitem(*store_, item, user1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(StartWorkitem(*store_, item, owner), PVX_OK);
  EXPECT_EQ(State(pi, "A"), "RUNNING");
  EXPECT_EQ(TransferWorkitem(*store_, item, owner, "USER1"), PVX_ERROR_WRONG_STATE);  // started
  EXPECT_EQ(CheckOutWorkitem(*store_, item, owner, kAllDefinitions, 0, nullptr), PVX_OK);
  EXPECT_EQ(State(pi, "A"), "CHECKED_OUT");
  EXPECT_EQ(CheckInWorkitem(*store_, item, owner, 0, {{"N", "5"}}), PVX_OK);
  EXPECT_EQ(State(pi, "Small"), "READY");  // N is now 5

  Stmt next(store_->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? AND kind=1 AND state=1");
  next.Bind(1, pi);
  ASSERT_TRUE(next.Step());
  int64_t small = next.Int(0), small_owner = next.Int(1);
  next.Step();
  EXPECT_EQ(TransferWorkitem(*store_, small, user1, "USER1"), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(TransferWorkitem(*store_, small, small_owner, "GHOST"), PVX_ERROR_NEW_OWNER_NOT_FOUND);
  int64_t copy = 0;
  EXPECT_EQ(DuplicateWorkitem(*store_, small, admin, "USER2", &copy), PVX_OK);  // administrator
  EXPECT_EQ(TransferWorkitem(*store_, small, small_owner, "USER1"), PVX_OK);
  EXPECT_EQ(FinishWorkitem(*store_, small, small_owner, 0, {}), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(FinishWorkitem(*store_, small, user1, 0, {}), PVX_OK);
  EXPECT_EQ(FinishWorkitem(*store_, copy, user1, 0, {}), PVX_ERROR_DOES_NOT_EXIST);  // withdrawn
  tx.Commit();
}

TEST_F(EngineTest, ForceFinishAndForceRestart) {
  int64_t pi = Start("Graph", 50);
  Stmt a(store_->db(), "SELECT id FROM activity_instances WHERE process_instance_id=? AND name='A'");
  a.Bind(1, pi);
  ASSERT_TRUE(a.Step());
  int64_t ai = a.Int(0);
  a.Step();
  WriteTx tx(*store_);
  EXPECT_EQ(ForceRestartActivity(*store_, ai), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(RestartActivity(*store_, ai), PVX_ERROR_WRONG_STATE);
  EXPECT_EQ(ForceFinishActivity(*store_, ai), PVX_OK);
  EXPECT_EQ(State(pi, "A"), "FORCE_FINISHED");
  EXPECT_EQ(State(pi, "Big"), "READY");  // navigation went on with its input
  EXPECT_EQ(ForceRestartActivity(*store_, ai), PVX_OK);
  EXPECT_EQ(State(pi, "A"), "READY");
  tx.Commit();
}

// A terminated work item ends its activity without output: what depends on
// it alone is skipped and the instance can still finish.
TEST_F(EngineTest, TerminatedWorkItemIsADeadPath) {
  int64_t pi = Start("Graph", 50);
  Finish(pi, "A");
  Stmt q(store_->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? AND "
                       "name='Big' AND kind=1");
  q.Bind(1, pi);
  ASSERT_TRUE(q.Step());
  int64_t item = q.Int(0), owner = q.Int(1);
  q.Step();
  int64_t user1 = 0;
  for (Stmt p(store_->db(), "SELECT id FROM persons WHERE user_id='USER1'"); p.Step();)
    user1 = p.Int(0);
  WriteTx tx(*store_);
  EXPECT_EQ(TerminateWorkitem(*store_, item, user1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(TerminateWorkitem(*store_, item, owner), PVX_OK);
  EXPECT_EQ(State(pi, "Big"), "TERMINATED");
  EXPECT_EQ(State(pi, "JoinAll"), "SKIPPED");
  EXPECT_EQ(State(pi, "JoinAny"), "SKIPPED");
  EXPECT_EQ(InstanceState(pi), "FINISHED");
  EXPECT_EQ(TerminateWorkitem(*store_, item, owner), PVX_ERROR_WRONG_STATE);  // kept, terminated
  tx.Commit();
}

TEST_F(EngineTest, TheLongestChainOfAutomaticActivitiesRunsThrough) {
  // 500 activities that finish by themselves, one after the other: the
  // deepest navigation a definition can ask for.
  std::string acts, conns;
  for (int i = 0; i < 500; ++i) {
    acts += std::string(i ? "," : "") + R"({"name": "S)" + std::to_string(i) + R"(", "program": "Auto"})";
    if (i)
      conns += std::string(i > 1 ? "," : "") + R"({"from": "S)" + std::to_string(i - 1) +
               R"(", "to": "S)" + std::to_string(i) + "\"}";
  }
  std::string error;
  {
    WriteTx tx(*store_);
    ASSERT_TRUE(LoadSystemDefinition(*store_, R"({"processTemplates": [ { "name": "Chain",
        "inContainer": "D", "outContainer": "D", "activities": [)" + acts +
                                                  "], \"connectors\": [" + conns + "] } ] }",
                                     &error))
        << error;
    tx.Commit();
  }
  int64_t pi = Start("Chain", 1);
  EXPECT_EQ(InstanceState(pi), "FINISHED");
  EXPECT_EQ(State(pi, "S499"), "FINISHED");
}

TEST_F(EngineTest, ABlockThatNeverEndsGoesInError) {
  std::string error;
  {
    WriteTx tx(*store_);
    ASSERT_TRUE(LoadSystemDefinition(*store_, R"({"processTemplates": [ { "name": "Forever",
        "inContainer": "D", "outContainer": "D", "activities": [
          { "name": "B", "kind": "block", "exitCondition": "N > 100",
            "activities": [ { "name": "T", "program": "Auto" } ] } ] } ] })", &error))
        << error;
    tx.Commit();
  }
  int64_t pi = Start("Forever", 1);
  EXPECT_EQ(State(pi, "B"), "IN_ERROR");
  EXPECT_EQ(InstanceState(pi), "RUNNING");
}

TEST(ConditionTest, ComparisonsAndMissingValues) {
  auto lookup = [](const std::string& m) -> FieldValue {
    if (m == "Amount") return 12.5;
    if (m == "Name") return std::string("Bo");
    if (m == "Customer.Number") return int32_t{7};
    return {};
  };
  struct C { const char* text; bool want; };
  for (const C& c : std::vector<C>{
           {"Amount > 10", true}, {"Amount > 12.5", false}, {"Amount >= 12.5", true},
           {"Name = 'Bo'", true}, {"Name <> 'bo'", true}, {"Customer.Number = 7 AND _RC = 4", true},
           {"NOT (Amount < 1 OR Name = 'x')", true}, {"Missing = 1", false},
           {"Missing <> 1", true}, {"Missing < 1", false}, {"Name = 7", false},
           {"_RC != 4", false}, {"", true}})
    EXPECT_EQ(EvaluateCondition(c.text, lookup, 4), c.want) << c.text;
  std::string error;
  for (const char* bad : {"Amount >", "(Amount = 1", "Amount = 1 AND", "Amount ! 1", "'x",
                          "Amount = 1.2.3", "AND = 1"})
    EXPECT_EQ(Condition::Parse(bad, &error), nullptr) << bad;
  std::string deep(100, '(');
  EXPECT_EQ(Condition::Parse(deep + "A = 1" + std::string(100, ')'), &error), nullptr);
  EXPECT_NE(error.find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace pvxjsim
