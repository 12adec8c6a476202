// The planted-mistake corpus (tests/definitions/refused: each definition is
// refused with the path and reason in its .expect file, and the store is the
// same row for row) and reloads that must change nothing.
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <cstdlib>
#include <sstream>

#include "admin.h"
#include "clock.h"
#include "engine.h"
#include "seed.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

// Every row of every table (sqlite_sequence included, so a counter moved by
// rows that were then removed shows too), in row id order.
std::string Snapshot(Store& store) {
  std::vector<std::string> tables;
  {
    Stmt q(store.db(), "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
    while (q.Step()) tables.push_back(q.Text(0));
  }
  std::string out;
  for (const std::string& t : tables) {
    out += "== " + t + "\n";
    sqlite3_stmt* q = nullptr;
    std::string sql = "SELECT * FROM \"" + t + "\" ORDER BY rowid";
    if (sqlite3_prepare_v2(store.db(), sql.c_str(), -1, &q, nullptr) != SQLITE_OK) {
      sqlite3_finalize(q);
      sql = "SELECT * FROM \"" + t + "\"";
      sqlite3_prepare_v2(store.db(), sql.c_str(), -1, &q, nullptr);
    }
    while (sqlite3_step(q) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(q); ++c) {
        const unsigned char* v = sqlite3_column_text(q, c);
        out += std::string(sqlite3_column_name(q, c)) + "=" +
               (v ? std::string(reinterpret_cast<const char*>(v), sqlite3_column_bytes(q, c))
                  : std::string("NULL")) +
               " ";
      }
      out += "\n";
    }
    sqlite3_finalize(q);
  }
  return out;
}

// The first line that differs, for a readable failure.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::istringstream x(a), y(b);
  std::string l, m, table;
  while (true) {
    bool more_a = static_cast<bool>(std::getline(x, l));
    bool more_b = static_cast<bool>(std::getline(y, m));
    if (!more_a && !more_b) return "";
    if (l.rfind("== ", 0) == 0) table = l;
    if (l != m || more_a != more_b) return table + "\n- " + l + "\n+ " + m;
  }
}

bool Load(Store& store, const std::string& text, std::string* error) {
  WriteTx tx(store);
  if (!LoadSystemDefinition(store, text, error)) return false;
  tx.Commit();
  return true;
}

std::vector<std::string> CorpusCases() {
  std::vector<std::string> names;
  std::string dir = std::string(PVXJSIM_DEFINITION_CORPUS) + "/refused";
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 5 && n.compare(n.size() - 5, 5, ".json") == 0)
        names.push_back(dir + "/" + n.substr(0, n.size() - 5));
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(DefinitionCorpus, EveryPlantedMistakeIsRefusedWithItsPathAndTheStoreUnchanged) {
  std::vector<std::string> cases = CorpusCases();
  ASSERT_GE(cases.size(), 30u) << "corpus not found under " << PVXJSIM_DEFINITION_CORPUS;
  TempDir dir;
  std::string db = dir.File("s.db");
  std::ostringstream out, err;
  ASSERT_EQ(RunAdmin({"--db", db, "create"}, out, err), 0) << err.str();
  // A running instance, so that the rows of the runtime model are compared too.
  ASSERT_EQ(RunAdmin({"--db", db, "start", "CreditRequest", "--set", "Amount=20000"}, out, err),
            0)
      << err.str();
  std::string error;
  auto store = Store::OpenExisting(db, &error);
  ASSERT_NE(store, nullptr) << error;
  const std::string before = Snapshot(*store);
  for (const std::string& base : cases) {
    SCOPED_TRACE(base);
    std::string expected = ReadFile(base + ".expect");
    while (!expected.empty() && expected.back() == '\n') expected.pop_back();
    std::string text = ReadFile(base + ".json");
    error.clear();
    EXPECT_FALSE(Load(*store, text, &error));
    EXPECT_EQ(error, expected);
    EXPECT_EQ(FirstDifference(before, Snapshot(*store)), "");
  }
  // The console says the same, after the file's name, and exits 1.
  std::ostringstream out2, err2;
  EXPECT_EQ(RunAdmin({"--db", db, "load", cases.front() + ".json"}, out2, err2), 1);
  EXPECT_NE(err2.str().find(ReadFile(cases.front() + ".expect")), std::string::npos)
      << err2.str();
  store = Store::OpenExisting(db, &error);
  EXPECT_EQ(FirstDifference(before, Snapshot(*store)), "");
}

class ReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    store_ = Store::Open(":memory:", &error);
    ASSERT_NE(store_, nullptr) << error;
    SetClockFixed(*store_, 1800000000);
  }
  std::unique_ptr<Store> store_;
};

TEST_F(ReloadTest, TheSameDefinitionAgainChangesNoIdentifierTimeOrHash) {
  std::string error;
  // Passwords in clear (the sample system) and as hashes (a dump), and a
  // template with neither created nor validFrom.
  const std::string extra = R"({"processTemplates": [ { "name": "Undated",
      "inContainer": "CreditData", "outContainer": "CreditData",
      "activities": [ { "name": "A", "program": "CollectData", "exitCondition": "Approved = 1" },
                      { "name": "B", "kind": "block", "exitCondition": "Approved = 1",
                        "activities": [ { "name": "C", "program": "CollectData" } ] } ],
      "connectors": [ { "from": "A", "to": "B", "condition": "Amount > 5" } ] } ] })";
  ASSERT_TRUE(Load(*store_, extra, &error)) << error;
  const std::string before = Snapshot(*store_);
  const std::string dump = DumpSystemDefinition(*store_);
  AdvanceClock(*store_, 3600);
  std::string clock_row_moved = Snapshot(*store_);  // the clock itself is kept in meta
  for (const std::string& text : {std::string(SampleSystemDefinition()), extra, dump}) {
    ASSERT_TRUE(Load(*store_, text, &error)) << error;
    EXPECT_EQ(FirstDifference(clock_row_moved, Snapshot(*store_)), "");
  }
  EXPECT_NE(before, clock_row_moved);  // the snapshot does see changes
}

TEST_F(ReloadTest, AnIdentifierSavedBeforeTheReloadStillNamesTheTemplate) {
  std::string error;
  Stmt q(store_->db(), "SELECT id FROM process_templates WHERE name='OrderEntry'");
  ASSERT_TRUE(q.Step());
  int64_t id = q.Int(0);
  q.Step();
  ASSERT_TRUE(Load(*store_, SampleSystemDefinition(), &error)) << error;
  Stmt again(store_->db(), "SELECT name FROM process_templates WHERE id=?");
  again.Bind(1, id);
  ASSERT_TRUE(again.Step());
  EXPECT_EQ(again.Text(0), "OrderEntry");
}

TEST_F(ReloadTest, AChangedPasswordIsHashedAgain) {
  std::string error;
  auto hash = [&] {
    Stmt q(store_->db(), "SELECT password_hash FROM persons WHERE user_id='USER2'");
    q.Step();
    return q.Text(0);
  };
  std::string old = hash();
  ASSERT_TRUE(Load(*store_, R"({"persons": [ { "userId": "user2", "password": "pw2" } ]})", &error))
      << error;
  EXPECT_EQ(hash(), old);
  ASSERT_TRUE(Load(*store_, R"({"persons": [ { "userId": "USER2", "password": "new" } ]})", &error))
      << error;
  EXPECT_NE(hash(), old);
}

TEST_F(ReloadTest, AChangedTemplateWithInstancesBecomesANewVersion) {
  std::string error;
  const std::string v1 = R"({"processTemplates": [ { "name": "Versioned",
      "activities": [ { "name": "A", "program": "CollectData" } ] } ] })";
  const std::string v2 = R"({"processTemplates": [ { "name": "Versioned",
      "activities": [ { "name": "A", "program": "CollectData", "priority": 3 } ] } ] })";
  ASSERT_TRUE(Load(*store_, v1, &error)) << error;
  auto versions = [&] {
    std::vector<std::pair<int64_t, std::string>> v;
    Stmt q(store_->db(), "SELECT id, valid_from FROM process_templates WHERE name='Versioned' "
                         "ORDER BY valid_from");
    while (q.Step()) v.emplace_back(q.Int(0), q.Text(1));
    return v;
  };
  auto first = versions();
  ASSERT_EQ(first.size(), 1u);
  // Without instances a change replaces the version in place.
  ASSERT_TRUE(Load(*store_, v2, &error)) << error;
  ASSERT_TRUE(Load(*store_, v1, &error)) << error;
  ASSERT_EQ(versions().size(), 1u);
  EXPECT_EQ(versions()[0].second, first[0].second);
  {
    WriteTx tx(*store_);
    int64_t instance = 0;
    ASSERT_EQ(CreateInstance(*store_, "Versioned", "", "ADMIN", &instance), PVX_OK);
    ASSERT_EQ(StartInstance(*store_, instance, "ADMIN", nullptr), PVX_OK);
    tx.Commit();
  }
  AdvanceClock(*store_, 60);
  ASSERT_TRUE(Load(*store_, v2, &error)) << error;
  auto now = versions();
  ASSERT_EQ(now.size(), 2u);
  EXPECT_EQ(now[0].second, first[0].second);
  EXPECT_EQ(now[1].second, ClockNow(*store_));
  // The same changed file again, and the unchanged newest: nothing more.
  const std::string after = Snapshot(*store_);
  AdvanceClock(*store_, 60);
  const std::string moved = Snapshot(*store_);
  ASSERT_TRUE(Load(*store_, v2, &error)) << error;
  EXPECT_EQ(FirstDifference(moved, Snapshot(*store_)), "");
  EXPECT_NE(after, moved);
}

// Runs the pvxjsim command as a shell would: its stdout, its stderr, its exit code.
struct Ran {
  std::string out, err;
  int rc = -1;
};
Ran Console(const TempDir& dir, const std::string& args) {
  std::string out = dir.File("cmd.out"), err = dir.File("cmd.err");
  int status = std::system((std::string(PVXJSIM_COMMAND) + " " + args + " >" + out + " 2>" + err +
                            " </dev/null")
                               .c_str());
  return {ReadFile(out), ReadFile(err), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(ConsoleProgramOutput, AProgramWritingToBothStreamsLeavesTheConsoleItsOwn) {
  TempDir dir;
  std::string db = dir.File("s.db"), script = dir.File("noisy.sh"), def = dir.File("d.json");
  WriteFile(script, "#!/bin/sh\necho 'to stdout'\necho 'to stderr' >&2\n"
                    "echo 'Approved=1' > \"$PVXJSIM_OUT_CONTAINER\"\nexit 3\n");
  ::chmod(script.c_str(), 0755);
  WriteFile(def, R"({"programs": [ { "name": "Noisy", "executable": ")" + script + R"(",
      "inContainer": "CreditData", "outContainer": "CreditData" },
      { "name": "Gone", "executable": "/nonexistent/pvxjsim-gone" } ],
    "processTemplates": [ { "name": "Loud", "inContainer": "CreditData",
      "outContainer": "CreditData", "activities": [
        { "name": "Shout", "program": "Noisy", "staff": { "persons": ["USER2"] } },
        { "name": "Vanish", "program": "Gone", "staff": { "persons": ["USER2"] } } ] } ] })");
  ASSERT_EQ(Console(dir, "--db " + db + " create").rc, 0);
  Ran r = Console(dir, "--db " + db + " load " + def);
  ASSERT_EQ(r.rc, 0) << r.err;
  ASSERT_EQ(Console(dir, "--db " + db + " start Loud").rc, 0);
  r = Console(dir, "--db " + db + " items --json --user USER2");
  ASSERT_EQ(r.rc, 0) << r.err;
  auto items = nlohmann::json::parse(r.out);
  ASSERT_EQ(items.size(), 2u) << r.out;
  int64_t shout = items[0]["activity"] == "Shout" ? items[0]["id"].get<int64_t>() : items[1]["id"].get<int64_t>();
  int64_t vanish = items[0]["activity"] == "Shout" ? items[1]["id"].get<int64_t>() : items[0]["id"].get<int64_t>();

  r = Console(dir, "--db " + db + " execute " + std::to_string(shout) + " --json");
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.err, "");
  auto done = nlohmann::json::parse(r.out, nullptr, false);  // one document, nothing else
  ASSERT_FALSE(done.is_discarded()) << r.out;
  EXPECT_EQ(done["rc"], 3);

  r = Console(dir, "--db " + db + " show instance Loud#1 --json");
  ASSERT_EQ(r.rc, 0) << r.err;
  auto shown = nlohmann::json::parse(r.out);
  std::string output;
  for (const auto& a : shown["activities"])
    if (a["name"] == "Shout") output = a.value("programOutput", "");
  ASSERT_FALSE(output.empty()) << r.out;
  EXPECT_EQ(output.rfind(db + ".output/", 0), 0u) << output;
  EXPECT_EQ(ReadFile(output), "to stdout\nto stderr\n");
  r = Console(dir, "--db " + db + " show instance Loud#1");
  EXPECT_NE(r.out.find("program output: " + output), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("work item " + std::to_string(vanish) + ": USER2 READY (received NORMAL)"),
            std::string::npos)
      << r.out;

  // A missing executable: the console names the path it looked for.
  r = Console(dir, "--db " + db + " execute " + std::to_string(vanish));
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("no executable \"/nonexistent/pvxjsim-gone\""), std::string::npos) << r.err;

  // A refused --set names the member.
  r = Console(dir, "--db " + db + " finish " + std::to_string(vanish) + " --set Approved=1 --set Approved=yes");
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("--set Approved: value does not fit the member's type (structure CreditData)"),
            std::string::npos)
      << r.err;
  r = Console(dir, "--db " + db + " finish " + std::to_string(vanish) + " --set Nope=1");
  EXPECT_NE(r.err.find("--set Nope: no such member"), std::string::npos) << r.err;
}

class ConsoleSmallMends : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), {"--db", db_});
    return RunAdmin(args, out_, err_);
  }
  void SetUp() override {
    db_ = dir_.File("s.db");
    ASSERT_EQ(Run({"create"}), 0) << err_.str();
    ASSERT_EQ(Run({"clock", "set", "2030-01-01 00:00:00"}), 0) << err_.str();
  }
  TempDir dir_;
  std::string db_;
  std::ostringstream out_, err_;
};

TEST_F(ConsoleSmallMends, ResetKeepsTheClockAndInstancesAreNumberedPerTopLevelInstance) {
  // CreditEscalation runs CreditRequest as a sub-process at once.
  ASSERT_EQ(Run({"start", "CreditEscalation"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "CreditEscalation#1\n");
  ASSERT_EQ(Run({"start", "CreditRequest"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "CreditRequest#2\n");
  ASSERT_EQ(Run({"show", "instance", "CreditEscalation#1"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("sub-process CreditEscalation#1.FirstOpinion"), std::string::npos)
      << out_.str();
  ASSERT_EQ(Run({"reset"}), 0) << err_.str();
  ASSERT_EQ(Run({"clock", "--json"}), 0) << err_.str();
  EXPECT_NE(out_.str().find("2030-01-01 00:00:00"), std::string::npos) << out_.str();
}

TEST_F(ConsoleSmallMends, AbsentSubstitutesPassWorkOnAndNotificationsEndWithTheInstance) {
  std::string def = dir_.File("d.json");
  WriteFile(def, R"({"persons": [
      { "userId": "A", "password": "a", "absent": true, "substitute": "B" },
      { "userId": "B", "password": "b", "absent": true, "substitute": "C" },
      { "userId": "C", "password": "c" },
      { "userId": "D", "password": "d", "absent": true, "substitute": "E" },
      { "userId": "E", "password": "e", "absent": true, "substitute": "D" } ],
    "processTemplates": [ { "name": "Away", "processAdmin": "USER1", "notifyAfter": 60,
      "activities": [ { "name": "ForA", "program": "CollectData", "staff": { "persons": ["A"] } },
                      { "name": "ForD", "program": "CollectData", "staff": { "persons": ["D"] } } ] } ] })");
  ASSERT_EQ(Run({"load", def}), 0) << err_.str();
  ASSERT_EQ(Run({"start", "Away"}), 0) << err_.str();
  ASSERT_EQ(Run({"show", "instance", "Away#1", "--json"}), 0) << err_.str();
  auto shown = nlohmann::json::parse(out_.str());
  std::map<std::string, std::string> who;
  for (const auto& a : shown["activities"])
    for (const auto& w : a["workitems"])
      who[a["name"]] = w["owner"].get<std::string>() + " " + w["receivedAs"].get<std::string>();
  EXPECT_EQ(who["ForA"], "C SUBSTITUTE");
  EXPECT_EQ(who["ForD"], "USER1 PROCESS_ADMINISTRATOR");

  ASSERT_EQ(Run({"clock", "advance", "2m"}), 0) << err_.str();
  ASSERT_EQ(Run({"items", "--json"}), 0) << err_.str();
  auto items = nlohmann::json::parse(out_.str());
  size_t notifications = 0;
  for (const auto& it : items)
    if (it["instance"] == "Away#1" && it["kind"] != "workitem") ++notifications;
  EXPECT_EQ(notifications, 1u) << out_.str();
  for (const auto& it : items)
    if (it["instance"] == "Away#1" && it["kind"] == "workitem")
      ASSERT_EQ(Run({"finish", std::to_string(it["id"].get<int64_t>())}), 0) << err_.str();
  // The finished work items stay, with their state; the notification goes
  // with the instance.
  ASSERT_EQ(Run({"items", "--json"}), 0) << err_.str();
  for (const auto& it : nlohmann::json::parse(out_.str()))
    if (it["instance"] == "Away#1") {
      EXPECT_EQ(it["kind"], "workitem") << out_.str();
      EXPECT_EQ(it["state"], "FINISHED") << out_.str();
    }
}

}  // namespace
}  // namespace pvxjsim
