// The definition loader's refusals (with the path of what is wrong), the dump
// round trip, and what the console makes of hostile names.
#include <sstream>

#include "admin.h"
#include "seed.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class DefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    store_ = Store::Open(":memory:", &error);
    ASSERT_NE(store_, nullptr) << error;
  }
  // Loads in a transaction that is rolled back on failure, as the console does.
  bool Load(const std::string& json, std::string* error) {
    WriteTx tx(*store_);
    if (!LoadSystemDefinition(*store_, json, error)) return false;
    tx.Commit();
    return true;
  }
  std::string Template(const std::string& activities, const std::string& connectors = "[]",
                       const std::string& extra = "") {
    return R"({"processTemplates": [ { "name": "T", "inContainer": "CreditData",
      "outContainer": "CreditData")" + extra + R"(, "activities": )" + activities +
           R"(, "connectors": )" + connectors + "} ] }";
  }
  std::unique_ptr<Store> store_;
};

TEST_F(DefinitionTest, ErrorsNameWhatIsWrongAndWhere) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // A misspelt key is unknown, not a missing one.
      {R"({"persons": [ { "userID": "X", "password": "p" } ]})",
       "definition.persons[0]: unknown key \"userID\""},
      {R"({"persons": [ { "userId": "X", "password": "p", "level": 1e999 } ]})",
       "definition.persons[0].level"},
      {R"({"persons": [ { "userId": "X", "password": "p", "level": 18446744073709551615 } ]})",
       "definition.persons[0].level: out of range"},
      {R"({"persons": [ { "userId": "X", "password": "p", "level": 2.5 } ]})",
       "expected an integer"},
      {R"({"persons": [ { "userId": "X", "password": "p" }, ])", "not valid JSON at line 1"},
      {"{\n\"roles\": [ {\"name\": \"A\"}, {\"name\": } ]}", "definition.roles[1].name: not valid JSON at line 2"},
      {std::string(200, '[') + std::string(200, ']'), "nested deeper than"},
      {R"({"persons": [ { "userId": "X", "password": "p", "authorizations": { "all": true } } ]})",
       "definition.persons[0].authorizations: unknown key \"all\""},
      {Template(R"([ { "name": "A", "program": "ApproveCredit", "exitCondition": "Amount >" } ])"),
       "activities[0].exitCondition: condition does not parse"},
      {Template(R"([ { "name": "A", "program": "ApproveCredit", "exitCondition": "Amout > 1" } ])"),
       "\"Amout\" is not a member of structure \"CreditData\""},
      {Template(R"([ { "name": "A", "program": "ApproveCredit" }, { "name": "B", "program": "ApproveCredit" } ])",
                R"([ { "from": "A", "to": "B" }, { "from": "B", "to": "A" } ])"),
       "the connectors form a cycle"},
      {Template(R"([ { "name": "A", "program": "ApproveCredit" }, { "name": "B", "program": "ApproveCredit" } ])",
                R"([ { "from": "A", "to": "B", "otherwise": true, "condition": "_RC = 0" } ])"),
       "an otherwise connector has no condition"},
      {Template(R"([ { "name": "A", "kind": "process", "process": "T" } ])"),
       "sub-process recursion"},
      {Template(R"([ { "name": "A", "kind": "process", "process": "Ghost" } ])"),
       "activities[0].process: unknown process template \"Ghost\""},
      {Template(R"([ { "name": "A", "kind": "block", "activities": [ { "name": "B", "program": "ApproveCredit",
                     "staff": { "roles": ["Pilots"] } } ] } ])"),
       "activities[0].activities[0].staff.roles[0]: unknown role \"Pilots\""},
      {R"({"programs": [ { "name": "P", "implementations": [ { "platform": "Solaris", "kind": "dll", "path": "x" } ] } ]})",
       "implementations[0].entryPoint: a dll implementation needs one"},
  };
  std::string before = DumpSystemDefinition(*store_);
  for (const auto& [json, message] : cases) {
    std::string error;
    EXPECT_FALSE(Load(json, &error)) << json;
    EXPECT_NE(error.find(message), std::string::npos) << json << "\n" << error;
  }
  EXPECT_EQ(DumpSystemDefinition(*store_), before);  // nothing stayed behind
}

TEST_F(DefinitionTest, SizesThatWouldExhaustNavigationAreRefused) {
  std::string acts = "[";
  for (int i = 0; i < 501; ++i)
    acts += std::string(i ? "," : "") + "{\"name\": \"A" + std::to_string(i) +
            "\", \"program\": \"ApproveCredit\"}";
  acts += "]";
  std::string error;
  EXPECT_FALSE(Load(Template(acts), &error));
  EXPECT_NE(error.find("at most 500 activities"), std::string::npos) << error;

  std::string chain = R"({"processTemplates": [)";
  for (int i = 0; i < 20; ++i)
    chain += std::string(i ? "," : "") + R"({"name": "L)" + std::to_string(i) +
             R"(", "activities": [ { "name": "X", )" +
             (i < 19 ? R"("kind": "process", "process": "L)" + std::to_string(i + 1) + "\"}"
                     : R"("program": "ApproveCredit"})") + "] }";
  chain += "]}";
  EXPECT_FALSE(Load(chain, &error));
  EXPECT_NE(error.find("nest deeper than 16"), std::string::npos) << error;
}

TEST_F(DefinitionTest, DumpOfALoadedDumpIsTheSame) {
  std::string first = DumpSystemDefinition(*store_);
  std::string error;
  auto empty = Store::Open(":memory:", &error, false);
  ASSERT_NE(empty, nullptr);
  {
    WriteTx tx(*empty);
    ASSERT_TRUE(LoadSystemDefinition(*empty, first, &error)) << error;
    tx.Commit();
  }
  EXPECT_EQ(DumpSystemDefinition(*empty), first);
  // Every feature of the format is in the sample system, so the round trip
  // covers them all.
  for (const char* key : {"\"implementations\"", "\"simulate\"", "\"otherwise\"", "\"block\"",
                          "\"notifyAfter\"", "\"secondNotifyAfter\"", "\"substitute\"",
                          "\"arraySize\"", "\"bendPoints\"", "\"startRule\"", "\"passwordHash\"",
                          "\"structuresFromActivity\"", "\"codePage\"", "\"securityRoutineCall\""})
    EXPECT_NE(first.find(key), std::string::npos) << key;
  EXPECT_EQ(first.find("\"password\""), std::string::npos);
}

TEST(ConsoleTest, ShowWritesControlCharactersEscaped) {
  TempDir dir;
  std::string db = dir.File("s.db"), def = dir.File("d.json");
  WriteFile(def, R"({"roles": [ { "name": "Evil\u001b[2J\u0007" } ],
    "persons": [ { "userId": "U\u001b]0;x", "password": "p", "roles": ["Evil\u001b[2J\u0007"] } ]})");
  std::ostringstream out, err;
  ASSERT_EQ(RunAdmin({"--db", db, "load", def}, out, err), 0) << err.str();
  ASSERT_EQ(RunAdmin({"--db", db, "show"}, out, err), 0) << err.str();
  EXPECT_EQ(out.str().find('\x1b'), std::string::npos);
  EXPECT_EQ(out.str().find('\x07'), std::string::npos);
  EXPECT_NE(out.str().find("U\\x1b]0;x"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Evil\\x1b[2J\\x07"), std::string::npos) << out.str();
}

TEST(ConsoleTest, CheckValidatesWithoutChanging) {
  TempDir dir;
  std::string db = dir.File("s.db"), def = dir.File("d.json");
  std::ostringstream out, err;
  ASSERT_EQ(RunAdmin({"--db", db, "create"}, out, err), 0);
  WriteFile(def, R"({"roles": [ { "name": "Checked" } ]})");
  ASSERT_EQ(RunAdmin({"--db", db, "check", def, "--json"}, out, err), 0) << err.str();
  EXPECT_NE(out.str().find("{\"valid\":"), std::string::npos);
  out.str("");
  ASSERT_EQ(RunAdmin({"--db", db, "dump"}, out, err), 0);
  EXPECT_EQ(out.str().find("Checked"), std::string::npos);
  WriteFile(def, R"({"roles": [ { "name": 5 } ]})");
  EXPECT_EQ(RunAdmin({"--db", db, "check", def}, out, err), 1);
  EXPECT_NE(err.str().find("definition.roles[0].name: expected text"), std::string::npos);
}

}  // namespace
}  // namespace pvxjsim
