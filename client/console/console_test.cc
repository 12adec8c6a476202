// Every sample template from start to finish through the operator console,
// deadlines after the clock moves, and the console's refusals.
#include <nlohmann/json.hpp>

#include <sstream>

#include "admin.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

using nlohmann::json;

class ConsoleRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Run({"create"}), 0) << err_.str();
    ASSERT_EQ(Run({"clock", "set", "2025-03-01 09:00:00"}), 0) << err_.str();
  }
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), {"--db", db_});
    return RunAdmin(args, out_, err_);
  }
  json RunJson(std::vector<std::string> args) {
    args.push_back("--json");
    EXPECT_EQ(Run(args), 0) << err_.str();
    return json::parse(out_.str());
  }
  // Finishes work items of the instance until it is finished; values chosen
  // by activity so that every path ends.
  json RunToEnd(const std::string& instance, std::vector<std::string>* finished) {
    for (int step = 0; step < 40; ++step) {
      json show = RunJson({"show", "instance", instance});
      if (show["state"] != "RUNNING") return show;
      json items = RunJson({"items"});
      const json* pick = nullptr;
      for (const json& it : items)
        if (it["kind"] == "workitem" && it["instance"].get<std::string>().rfind(instance, 0) == 0 &&
            (it["state"] == "READY" || it["state"] == "RUNNING")) {
          pick = &it;
          break;
        }
      // An activity with manual exit waits, executed, for the operator (also
      // inside a sub-process).
      bool waited = false;
      std::vector<json> shown = {show};
      for (const json& a : show["activities"])
        if (a.contains("subprocess")) shown.push_back(RunJson({"show", "instance", a["subprocess"]}));
      for (const json& one : shown)
        for (const json& a : one["activities"])
          if (!pick && a["state"] == "EXECUTED") {
            EXPECT_EQ(Run({"activity", "finish", std::to_string(a["id"].get<int64_t>())}), 0) << err_.str();
            waited = true;
          }
      if (waited) continue;
      if (!pick) {
        ADD_FAILURE() << "no work item for a running instance: " << show.dump();
        return show;
      }
      std::string activity = (*pick)["activity"];
      std::vector<std::string> args = {"finish", std::to_string((*pick)["id"].get<int64_t>())};
      if (activity == "Approve" || activity == "ManagerApproval" || activity == "SecondOpinion")
        args.insert(args.end(), {"--set", "Approved=1"});
      if (activity == "PackItem")  // the block repeats until the order is shipped
        args.insert(args.end(), {"--set", std::string("Shipped=") + (packed_++ ? "1" : "0")});
      EXPECT_EQ(Run(args), 0) << err_.str();
      finished->push_back(activity);
    }
    return RunJson({"show", "instance", instance});
  }

  TempDir dir_;
  std::string db_ = dir_.File("console.db");
  std::ostringstream out_, err_;
  int packed_ = 0;
};

TEST_F(ConsoleRunTest, EverySampleTemplateRunsFromStartToFinish) {
  struct Case {
    const char* name;
    std::vector<std::string> sets;
    std::vector<std::string> activities;  // finished by hand, in order
  };
  const std::vector<Case> cases = {
      {"CreditRequest", {"Amount=250.5", "Customer.Name=Acme"}, {"CollectData", "Notify"}},
      {"TravelRequest", {"Traveller=Eva", "Days=3"}, {"Submit", "ManagerApproval", "Book"}},
      {"OrderEntry", {"OrderNumber=17", "Items[2]=Bolt"},
       {"EnterOrder", "CheckStock", "PrepareLabel", "PackItem", "PackItem", "Ship"}},
      {"CreditEscalation", {"Amount=50000"},
       {"CollectData", "Approve", "Notify", "SecondOpinion"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"start", c.name, "--user", "USER2"};
    for (const auto& s : c.sets) args.insert(args.end(), {"--set", s});
    json started = RunJson(args);
    std::string instance = started["instance"];
    EXPECT_EQ(started["state"], "RUNNING");
    std::vector<std::string> finished;
    json end = RunToEnd(instance, &finished);
    EXPECT_EQ(end["state"], "FINISHED") << c.name << " " << end.dump();
    EXPECT_EQ(finished, c.activities) << c.name;
    ASSERT_TRUE(end.contains("output")) << c.name;
    for (const auto& s : c.sets) {
      std::string member = s.substr(0, s.find('='));
      EXPECT_TRUE(end["output"].contains(member)) << c.name << " " << member;
    }
  }
}

TEST_F(ConsoleRunTest, BranchesJoinsAndDeadPaths) {
  // A large credit takes the conditioned connector; the otherwise path is dead.
  json started = RunJson({"start", "CreditRequest", "--user", "USER2", "--set", "Amount=20000"});
  std::vector<std::string> finished;
  json end = RunToEnd(started["instance"], &finished);
  EXPECT_EQ(finished, (std::vector<std::string>{"CollectData", "Approve", "Notify"}));
  for (const json& a : end["activities"])
    if (a["name"] == "AssessRisk") {
      EXPECT_EQ(a["state"], "FINISHED");  // the simulate rule ran it
      EXPECT_EQ(end["output"]["Comments[1]"], "scored");
    }

  // The absent USER5's work goes to the substitute USER3.
  started = RunJson({"start", "TravelRequest", "--user", "USER2"});
  std::string travel = started["instance"];
  for (int i = 0; i < 2; ++i) {
    json items = RunJson({"items", "--user", i == 0 ? "USER2" : "USER1"});
    const json* open = nullptr;
    for (const json& it : items)
      if (!open && it["state"] == "READY") open = &it;
    ASSERT_TRUE(open);
    ASSERT_EQ(Run({"finish", std::to_string((*open)["id"].get<int64_t>()), "--set", "Approved=1"}), 0)
        << err_.str();
  }
  json items = RunJson({"items", "--user", "USER3"});
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]["activity"], "Book");
  EXPECT_TRUE(RunJson({"items", "--user", "USER5"}).empty());
  // Someone else cannot finish it.
  EXPECT_EQ(Run({"finish", std::to_string(items[0]["id"].get<int64_t>()), "--user", "USER2"}), 1);
  EXPECT_NE(err_.str().find("belongs to someone else"), std::string::npos);
}

TEST_F(ConsoleRunTest, DeadlinesFallDueWhenTheClockAdvances) {
  json started = RunJson({"start", "CreditRequest", "--user", "USER2", "--set", "Amount=99999"});
  json items = RunJson({"items", "--user", "USER2"});
  ASSERT_EQ(Run({"finish", std::to_string(items[0]["id"].get<int64_t>())}), 0);
  auto notifications = [&] {
    int n = 0;
    for (const json& it : RunJson({"items", "--user", "ADMIN"}))
      n += it["kind"] != "workitem";
    return n;
  };
  EXPECT_EQ(notifications(), 0);
  ASSERT_EQ(Run({"clock", "advance", "59m"}), 0);
  EXPECT_EQ(notifications(), 0);
  ASSERT_EQ(Run({"clock", "advance", "1m"}), 0);
  EXPECT_EQ(notifications(), 1);  // first notification of Approve
  ASSERT_EQ(Run({"clock", "advance", "1h"}), 0);
  EXPECT_EQ(notifications(), 2);  // and the second
  ASSERT_EQ(Run({"clock", "advance", "2d"}), 0);
  EXPECT_EQ(notifications(), 3);  // the instance's own notification
  json clock = RunJson({"clock"});
  EXPECT_EQ(clock["now"], "2025-03-03 11:00:00");
}

TEST_F(ConsoleRunTest, TheOperatorRecoversAnInstance) {
  json started = RunJson({"start", "CreditRequest", "--user", "USER2", "--set", "Amount=5"});
  json show = RunJson({"show", "instance", started["instance"]});
  int64_t collect = 0, item = 0;
  for (const json& a : show["activities"])
    if (a["name"] == "CollectData") {
      collect = a["id"].get<int64_t>();
      item = a["workitems"][0]["id"].get<int64_t>();
    }
  ASSERT_TRUE(collect && item);
  const std::string ai = std::to_string(collect), wi = std::to_string(item);
  EXPECT_EQ(Run({"item", "hold", wi, "2099-01-01 00:00:00"}), 0) << err_.str();
  EXPECT_EQ(Run({"item", "hold", wi, "tomorrow"}), 1);
  EXPECT_EQ(Run({"item", "release", wi}), 0) << err_.str();
  EXPECT_EQ(Run({"item", "transfer", wi, "USER1"}), 0) << err_.str();
  EXPECT_EQ(Run({"item", "duplicate", wi, "NOBODY"}), 1);
  EXPECT_EQ(Run({"activity", "restart", ai}), 1);  // not in error
  EXPECT_EQ(Run({"activity", "force-finish", ai}), 0) << err_.str();
  EXPECT_EQ(Run({"activity", "force-restart", ai}), 0) << err_.str();
  EXPECT_EQ(Run({"activity", "reschedule", ai}), 0) << err_.str();
  EXPECT_EQ(Run({"activity", "explode", ai}), 2);
  EXPECT_EQ(Run({"item", "terminate", "x"}), 2);
  show = RunJson({"show", "instance", started["instance"]});
  for (const json& a : show["activities"])
    if (a["name"] == "CollectData") EXPECT_EQ(a["state"], "READY");
}

TEST_F(ConsoleRunTest, RefusalsAreMessagesWithExitCodes) {
  EXPECT_EQ(Run({"start", "NoSuchTemplate"}), 1);
  EXPECT_EQ(Run({"start", "CreditRequest", "--set", "Nope=1"}), 1);
  EXPECT_NE(err_.str().find("no such member"), std::string::npos);
  EXPECT_EQ(Run({"start", "CreditRequest", "--set", "Amount=lots"}), 1);
  EXPECT_EQ(Run({"start", "CreditRequest", "--set", "Amount"}), 2);
  EXPECT_EQ(Run({"start", "CreditRequest", "--user", "GHOST"}), 1);
  EXPECT_EQ(Run({"finish", "99"}), 1);
  EXPECT_EQ(Run({"finish", "x1"}), 2);
  EXPECT_EQ(Run({"checkout", "99999999999999999999"}), 2);
  EXPECT_EQ(Run({"execute", "99999999999999999999"}), 2);
  EXPECT_EQ(Run({"finish", "1", "--rc", "1e3"}), 2);
  EXPECT_EQ(Run({"execute", "99"}), 1);
  EXPECT_EQ(Run({"execute", "x1"}), 2);
  EXPECT_EQ(Run({"execute", "1", "2"}), 2);
  EXPECT_EQ(Run({"clock", "set", "2025-02-30"}), 1);
  EXPECT_EQ(Run({"clock", "advance", "soon"}), 1);
  EXPECT_EQ(Run({"clock", "stop"}), 2);
  EXPECT_EQ(Run({"show", "instance", "None"}), 1);
  EXPECT_EQ(Run({"show", "nothing", "x"}), 2);
  EXPECT_EQ(Run({"items", "--frobnicate"}), 2);
}

// A work item checked out with its program data, given back, checked out
// again and checked in; navigation follows the check-in.
TEST_F(ConsoleRunTest, CheckOutShowsTheProgramDataAndCheckInFinishes) {
  json started = RunJson({"start", "CreditRequest", "--user", "USER2", "--set", "Amount=20000"});
  std::string instance = started["instance"];
  json items = RunJson({"items", "--user", "USER2"});
  ASSERT_EQ(items.size(), 1u);
  std::string id = std::to_string(items[0]["id"].get<int64_t>());
  EXPECT_EQ(Run({"checkout", id, "--platform", "Solaris"}), 1);
  EXPECT_NE(err_.str().find("no implementation for that platform"), std::string::npos);
  EXPECT_EQ(Run({"checkout", id, "--data", "specified"}), 2);
  EXPECT_EQ(Run({"checkout", id, "--platform", "Mars"}), 2);
  EXPECT_EQ(Run({"checkout", id, "--user", "USER3"}), 1);
  EXPECT_EQ(Run({"checkin", id}), 1);  // not checked out

  std::string stream = dir_.File("data.pvxs");
  json data = RunJson({"checkout", id, "--platform", "NotSet", "--stream", stream});
  EXPECT_EQ(data["program"], "CollectData");
  EXPECT_EQ(data["executionUser"], "Agent");
  ASSERT_EQ(data["implementations"].size(), 1u);
  EXPECT_EQ(data["implementations"][0]["path"], "collect_data");
  EXPECT_EQ(data["in"]["Amount"], 20000.0);
  EXPECT_EQ(data["outStructure"], "CreditData");
  EXPECT_EQ(ReadFile(stream).substr(0, 4), "PVXS");
  EXPECT_EQ(RunJson({"items", "--user", "USER2"})[0]["state"], "CHECKED_OUT");
  EXPECT_EQ(Run({"checkout", id}), 1);
  EXPECT_EQ(RunJson({"checkout", id, "--cancel"})["cancelled"], std::stoll(id));
  EXPECT_EQ(RunJson({"items", "--user", "USER2"})[0]["state"], "READY");

  ASSERT_EQ(Run({"checkout", id}), 0) << err_.str();
  EXPECT_NE(out_.str().find("checked out " + id + ": program CollectData\n"), std::string::npos)
      << out_.str();
  EXPECT_NE(out_.str().find("In (CreditData):\n"), std::string::npos) << out_.str();
  EXPECT_EQ(Run({"checkin", id, "--set", "Customer.Name=Zed", "--rc", "3"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "checked in " + id + "\n");
  json show = RunJson({"show", "instance", instance});
  EXPECT_EQ(show["data"]["Customer.Name"], "Zed");
  EXPECT_EQ(show["activities"][0]["state"], "FINISHED");
  EXPECT_EQ(show["activities"][0]["rc"], 3);
}

}  // namespace
}  // namespace pvxjsim
