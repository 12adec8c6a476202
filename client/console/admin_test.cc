// The pvxjsim command: create, reset, load, show and their failures.
#include "admin.h"

#include <sys/wait.h>

#include <sstream>

#include "test_support.h"

namespace pvxjsim {
namespace {

class AdminTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), {"--db", db_});
    return RunAdmin(args, out_, err_);
  }
  std::string Definition(const std::string& body) {
    std::string path = dir_.File("def.json");
    WriteFile(path, body);
    return path;
  }

  TempDir dir_;
  std::string db_ = dir_.File("admin.db");
  std::ostringstream out_, err_;
};

TEST_F(AdminTest, CreateShowAndResetAStore) {
  ASSERT_EQ(Run({"create"}), 0) << err_.str();
  EXPECT_EQ(Run({"create"}), 1);
  EXPECT_NE(err_.str().find("already exists"), std::string::npos);
  ASSERT_EQ(Run({"show"}), 0);
  for (const char* want : {"USER1", "ADMIN", "administrator", "CreditRequest", "TravelRequest",
                           "OrderEntry", "PVXSYS", "Sessions (0)"})
    EXPECT_NE(out_.str().find(want), std::string::npos) << want;

  // Leave a session and a list behind, then reset.
  UseStore(db_);
  PvxjExecutionService svc = 0;
  PvxjExecutionServiceAllocate(&svc);
  ASSERT_EQ(PvxjExecutionServiceLogon(svc, "USER1", "pw1", 0, 0), PVX_OK);
  PvxjWorklist wl = 0;
  ASSERT_EQ(PvxjExecutionServiceCreateWorklist(svc, "Inbox", Pvx_LT_Public, nullptr, nullptr,
                                               nullptr, nullptr, nullptr, &wl),
            PVX_OK);
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_NE(out_.str().find("worklist \"Inbox\" public"), std::string::npos);
  EXPECT_NE(out_.str().find("Sessions (1)"), std::string::npos);
  ASSERT_EQ(Run({"reset"}), 0) << err_.str();
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 0);  // its session is gone
  Client::Get().ResetForTesting();
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_NE(out_.str().find("Stored lists (0)"), std::string::npos);
  EXPECT_NE(out_.str().find("Users (6)"), std::string::npos);
}

TEST_F(AdminTest, MissingOrDamagedStoresAreReportedAndKept) {
  EXPECT_EQ(Run({"show"}), 1);
  EXPECT_NE(err_.str().find("does not exist"), std::string::npos);
  EXPECT_EQ(Run({"reset"}), 1);
  WriteFile(db_, "this is my thesis, not a database");
  EXPECT_EQ(Run({"show"}), 1);
  EXPECT_NE(err_.str().find("not a pvxjsim store"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"reset"}), 1);
  EXPECT_EQ(Run({"load", Definition("{}")}), 1);
  EXPECT_EQ(ReadFile(db_), "this is my thesis, not a database");
}

TEST_F(AdminTest, UsageErrors) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"explode"}), 2);
  EXPECT_EQ(Run({"load"}), 2);
  EXPECT_EQ(Run({"show", "extra"}), 2);
  EXPECT_EQ(RunAdmin({"show", "--db"}, out_, err_), 2);
  EXPECT_EQ(Run({"help"}), 0);
  EXPECT_NE(out_.str().find("usage"), std::string::npos);
}

TEST_F(AdminTest, LoadAddsADefinitionThatLogonAndQueriesSee) {
  ASSERT_EQ(Run({"create"}), 0);
  std::string def = Definition(R"({
    "system": { "name": "TESTSYS" },
    "roles": [ { "name": "Tester" } ],
    "persons": [ { "userId": "TESTER", "password": "t", "roles": ["Tester"],
                   "manager": "USER1" } ],
    "dataStructures": [ { "name": "Bug", "members": [ { "name": "Id", "type": "LONG" } ] } ],
    "programs": [ { "name": "Triage", "inContainer": "Bug", "platform": "Solaris" } ],
    "processTemplates": [ { "name": "BugFix", "inContainer": "Bug",
        "activities": [ { "name": "Triage", "program": "Triage",
                          "staff": { "roles": ["Tester"] } },
                        { "name": "Fix", "program": "Triage" } ],
        "connectors": [ { "from": "Triage", "to": "Fix" } ] } ]
  })");
  ASSERT_EQ(Run({"load", def}), 0) << err_.str();
  UseStore(db_);
  PvxjExecutionService svc = 0;
  PvxjExecutionServiceAllocate(&svc);
  ASSERT_EQ(PvxjExecutionServiceLogon(svc, "TESTER", "t", 0, 0), PVX_OK);
  char buf[32];
  EXPECT_STREQ(PvxjServiceSystemName(svc, buf, sizeof buf), "TESTSYS");
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc, "NAME = 'BugFix'", nullptr, nullptr,
                                                      &v),
            PVX_OK);
  EXPECT_EQ(PvxjProcessTemplateVectorSize(v), 1u);
  Client::Get().ResetForTesting();
  // Loading the same definition again replaces rather than duplicates.
  ASSERT_EQ(Run({"load", def}), 0) << err_.str();
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_NE(out_.str().find("Process templates (6)"), std::string::npos) << out_.str();
}

TEST_F(AdminTest, TemplateWithoutValidFromReplacesTheNewestVersion) {
  ASSERT_EQ(Run({"create"}), 0);
  std::string def = Definition(R"({ "processTemplates": [ { "name": "OrderEntry",
      "activities": [ { "name": "OnlyStep", "program": "ShipOrder" } ] } ] })");
  ASSERT_EQ(Run({"load", def}), 0) << err_.str();
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_NE(out_.str().find("Process templates (5)"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("activities: OnlyStep"), std::string::npos) << out_.str();
  def = Definition(R"({ "processTemplates": [ { "name": "OrderEntry",
      "validFrom": "2030-01-01 00:00:00",
      "activities": [ { "name": "Later", "program": "ShipOrder" } ] } ] })");
  ASSERT_EQ(Run({"load", def}), 0) << err_.str();
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_NE(out_.str().find("Process templates (6)"), std::string::npos) << out_.str();
}

TEST_F(AdminTest, BadDefinitionsChangeNothing) {
  ASSERT_EQ(Run({"create"}), 0);
  ASSERT_EQ(Run({"show"}), 0);
  const std::string before = out_.str();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{ not json", "not valid JSON"},
      {"[]", "expected an object"},
      {R"({"persons": [ { "userId": "X", "pasword": "p" } ]})", "unknown key \"pasword\""},
      {R"({"persons": [ { "userId": "X" } ]})", "persons[0].password"},
      {R"({"persons": [ { "userId": "X", "password": "p", "roles": ["Pilot"] } ]})",
       "unknown role"},
      {R"({"persons": [ { "userId": "X", "password": "p", "manager": "GHOST" } ]})",
       "unknown person"},
      {R"({"persons": [ { "userId": "X Y", "password": "p" } ]})", "blanks"},
      {R"({"dataStructures": [ { "name": "Loop", "members": [ { "name": "Me", "type": "Loop" } ] } ]})",
       "contains itself"},
      {R"({"dataStructures": [ { "name": "S", "members": [ { "name": "A", "type": "WORD" } ] } ]})",
       "unknown type"},
      {R"({"processTemplates": [ { "name": "T", "activities": [ { "name": "A", "program": "Nope" } ] } ]})",
       "unknown program"},
      {R"({"processTemplates": [ { "name": "T", "activities": [] } ]})", "at least one activity"},
      {R"({"processTemplates": [ { "name": "T", "activities": [ { "name": "A", "program": "ShipOrder" } ],
           "connectors": [ { "from": "A", "to": "B" } ] } ]})",
       "unknown activity"},
      {R"({"processTemplates": [ { "name": "T", "validFrom": "soon",
           "activities": [ { "name": "A", "program": "ShipOrder" } ] } ]})",
       "YYYY-MM-DD"},
      {R"({"processTemplates": [ { "name": "T", "auditMode": "Loud",
           "activities": [ { "name": "A", "program": "ShipOrder" } ] } ]})",
       "expected one of"},
  };
  for (const auto& [json, message] : cases) {
    EXPECT_EQ(Run({"load", Definition(json)}), 1) << json;
    EXPECT_NE(err_.str().find(message), std::string::npos) << json << "\n" << err_.str();
  }
  EXPECT_EQ(Run({"load", dir_.File("missing.json")}), 1);
  ASSERT_EQ(Run({"show"}), 0);
  EXPECT_EQ(out_.str(), before);
}

TEST_F(AdminTest, CommandExitCodesReachTheShell) {
  std::string cmd = std::string(PVXJSIM_COMMAND) + " --db " + db_;
  auto exit_code = [](const std::string& line) {
    int status = std::system((line + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(exit_code(cmd + " show"), 1);
  EXPECT_EQ(exit_code(cmd + " create"), 0);
  EXPECT_EQ(exit_code(cmd + " show"), 0);
  EXPECT_EQ(exit_code(cmd + " frobnicate"), 2);
}

}  // namespace
}  // namespace pvxjsim
