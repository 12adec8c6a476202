// Input that would cost without bound is refused with what is wrong and
// where: structures that expand to too many members (at load, in streams and
// in conditions), NUL inside a definition's texts, a clock past the last
// representable time, and definition files that are not files or too large.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "admin.h"
#include "clock.h"
#include "container.h"
#include "seed.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

// Structures S0..Sn-1, each with two members of the next; the last one holds
// two texts: 2^n leaves in a few hundred bytes.
std::string DoublingStructures(int n) {
  std::string s = R"({"dataStructures": [)";
  for (int i = 0; i < n; ++i) {
    std::string next = i + 1 < n ? "S" + std::to_string(i + 1) : "STRING";
    s += std::string(i ? "," : "") + R"({"name": "S)" + std::to_string(i) +
         R"(", "members": [ {"name": "a", "type": ")" + next + R"("}, {"name": "b", "type": ")" +
         next + R"("} ] })";
  }
  return s + "]";
}

class BoundsTest : public ClientTest {
 protected:
  bool Load(const std::string& json, std::string* error) {
    WriteTx tx(store());
    if (!LoadSystemDefinition(store(), json, error)) return false;
    tx.Commit();
    return true;
  }
  // A structure written straight into the store, as a store filled before
  // structures were bounded may hold it: rows x arrays of a 1000-text array.
  void PlantStructure(const std::string& name, int64_t rows) {
    WriteTx tx(store());
    for (const auto& [sname, type, size] :
         {std::tuple<std::string, std::string, int64_t>{name + "Row", "STRING", 1000},
          {name, name + "Row", rows}}) {
      Stmt s(store().db(), "INSERT INTO data_structures(name) VALUES(?)");
      s.Bind(1, std::string_view(sname)).Run();
      Stmt m(store().db(), "INSERT INTO data_members(structure_id, position, name, type, "
                           "array_size) VALUES(?, 0, 'm', ?, ?)");
      m.Bind(1, store().LastInsertId()).Bind(2, std::string_view(type)).Bind(3, size).Run();
    }
    tx.Commit();
  }
};

TEST_F(BoundsTest, StructuresThatExpandBeyondTheLimitAreRefusedAtLoad) {
  // 499 bytes that describe a thousand million members.
  std::string cube = R"({"dataStructures": [
    {"name": "Leaf", "members": [ {"name": "v", "type": "STRING", "arraySize": 1000} ]},
    {"name": "Mid", "members": [ {"name": "l", "type": "Leaf", "arraySize": 1000} ]},
    {"name": "Top", "members": [ {"name": "m", "type": "Mid", "arraySize": 1000} ]} ]})";
  std::string error;
  EXPECT_FALSE(Load(cube, &error));
  EXPECT_NE(error.find("definition.dataStructures[1]: structure \"Mid\" expands to more than "
                       "10000 members"),
            std::string::npos)
      << error;
  EXPECT_FALSE(Load(DoublingStructures(30) + "}", &error));
  EXPECT_NE(error.find("expands to more than 10000"), std::string::npos) << error;

  // The limit itself is allowed; one more leaf is not.
  std::string at_limit = R"({"dataStructures": [
    {"name": "Row", "members": [ {"name": "v", "type": "LONG", "arraySize": 100} ]},
    {"name": "Grid", "members": [ {"name": "r", "type": "Row", "arraySize": 100} ]} ]})";
  ASSERT_TRUE(Load(at_limit, &error)) << error;
  EXPECT_EQ(StructureLeafCount(store(), "Grid"), 10000u);
  // Growing a member type grows the structures in the store that use it.
  EXPECT_FALSE(Load(R"({"dataStructures": [ {"name": "Row", "members": [
    {"name": "v", "type": "LONG", "arraySize": 100}, {"name": "w", "type": "LONG"} ]} ]})",
                    &error));
  EXPECT_NE(error.find("definition.dataStructures: structure \"Grid\" expands to more than"),
            std::string::npos)
      << error;
  EXPECT_EQ(StructureLeafCount(store(), "Grid"), 10000u);  // rolled back
}

TEST_F(BoundsTest, ConditionsOverNestedStructuresAreCheckedWithinTheBound) {
  // Thirty levels of doubling structures and a condition on the deepest
  // member: refused at the structures, before any expansion.
  std::string error;
  std::string deep = "a";
  for (int i = 0; i < 29; ++i) deep += i % 2 ? ".a" : ".b";
  std::string def = DoublingStructures(30) + R"(, "programs": [ {"name": "P"} ],
    "processTemplates": [ {"name": "Deep", "inContainer": "S0", "outContainer": "S0",
      "activities": [ {"name": "A", "program": "P", "exitCondition": ")" + deep +
                    R"( = 'x'"} ] } ] })";
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(Load(def, &error));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  EXPECT_NE(error.find("definition.dataStructures[0]: structure \"S0\" expands"),
            std::string::npos)
      << error;

  // A structure already in the store beyond the bound is not expanded to
  // check a condition over it.
  PlantStructure("Huge", 200);
  EXPECT_FALSE(Load(R"({"programs": [ {"name": "P"} ], "processTemplates": [ {"name": "H",
    "inContainer": "Huge", "outContainer": "Huge", "activities": [ {"name": "A",
    "program": "P", "exitCondition": "m[1].m[1] = 'x'"} ] } ] })",
                    &error));
  EXPECT_NE(error.find("activities[0].exitCondition: structure \"Huge\" is too large to check"),
            std::string::npos)
      << error;
}

TEST_F(BoundsTest, AStreamOfALargeStructureIsRefusedWithoutExpandingIt) {
  PlantStructure("Huge", 200);  // 200,000 members
  PvxjExecutionService svc = Logon("USER1", "pw1");
  Record r;
  r.kind = RecordKind::kReadWriteContainer;
  r.type_name = "Huge";
  std::vector<uint8_t> bytes = SerializeRecord(r);
  EXPECT_EQ(bytes.size(), 20u);
  PvxjReadWriteContainer c =
      PvxjExecutionServiceReadWriteContainerFromStream(svc, bytes.data(),
                                                       static_cast<uint32_t>(bytes.size()));
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_CONTAINER);
  EXPECT_EQ(LastResultMessage(), "structure Huge expands to more than 10000 members");
  if (c) PvxjReadWriteContainerDeallocate(&c);
  // A structure within the bound still reads.
  r.type_name = "CreditData";
  bytes = SerializeRecord(r);
  c = PvxjExecutionServiceReadWriteContainerFromStream(svc, bytes.data(),
                                                       static_cast<uint32_t>(bytes.size()));
  EXPECT_NE(c, nullptr);
  if (c) PvxjReadWriteContainerDeallocate(&c);
}

// A NUL cuts a text short wherever it becomes a C string (a password that
// logs on with its first three letters): refused in every text.
TEST_F(BoundsTest, TextsWithANulAreRefusedWithTheirPath) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"persons": [ {"userId": "NUL1", "password": "abc\u0000def"} ]})",
       "definition.persons[0].password: text contains a NUL character"},
      {R"({"persons": [ {"userId": "NUL\u00002", "password": "x"} ]})",
       "definition.persons[0].userId: text contains a NUL character"},
      {R"({"roles": [ {"name": "R"} ], "persons": [ {"userId": "NUL3", "password": "x",
          "roles": ["R", "R\u0000"]} ]})",
       "definition.persons[0].roles[1]: text contains a NUL character"},
      {R"({"programs": [ {"name": "P", "simulate": {"set": {"S\u0000": "x"}}} ]})",
       "definition.programs[0].simulate.set: a key contains a NUL character"},
  };
  for (const auto& [json, message] : cases) {
    std::string error;
    EXPECT_FALSE(Load(json, &error)) << json;
    EXPECT_EQ(error, message) << json;
  }
  Stmt q(store().db(), "SELECT count(*) FROM persons WHERE user_id LIKE 'NUL%'");
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Int(0), 0);
}

class ConsoleBoundsTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    args.insert(args.begin(), {"--db", db_});
    return RunAdmin(args, out_, err_);
  }
  TempDir dir_;
  std::string db_ = dir_.File("bounds.db");
  std::ostringstream out_, err_;
};

TEST_F(ConsoleBoundsTest, ClockAdvanceStopsShortOfYear10000) {
  ASSERT_EQ(Run({"create"}), 0) << err_.str();
  ASSERT_EQ(Run({"clock", "set", "9999-12-31 22:00:00"}), 0) << err_.str();
  EXPECT_EQ(Run({"clock", "advance", "3h"}), 1);
  EXPECT_EQ(err_.str(),
            "pvxjsim: advancing the clock by \"3h\" would take it past 9999-12-31 23:59:59\n");
  ASSERT_EQ(Run({"clock"}), 0);
  EXPECT_EQ(out_.str(), "9999-12-31 22:00:00 (fixed)\n");
  ASSERT_EQ(Run({"clock", "advance", "1h59m59s"}), 0) << err_.str();
  EXPECT_EQ(out_.str(), "9999-12-31 23:59:59 (fixed)\n");
  // The store still works at the last second.
  ASSERT_EQ(Run({"start", "CreditRequest"}), 0) << err_.str();
}

TEST_F(ConsoleBoundsTest, DefinitionFilesAreBoundedAndMustBeFiles) {
  ASSERT_EQ(Run({"create"}), 0) << err_.str();
  for (const char* command : {"check", "load"}) {
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Run({command, "/dev/zero"}), 1) << command;
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
    EXPECT_EQ(err_.str(), "pvxjsim: cannot read /dev/zero: not a plain file, not a definition\n");
    EXPECT_EQ(Run({command, dir_.path()}), 1);
    EXPECT_EQ(err_.str(), "pvxjsim: cannot read " + dir_.path() +
                              ": a directory, not a definition\n");
  }
  // A sparse file just past the bound is refused before it is read.
  std::string big = dir_.File("big.json");
  int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, (16 << 20) + 1), 0);
  ::close(fd);
  EXPECT_EQ(Run({"check", big}), 1);
  EXPECT_EQ(err_.str(), "pvxjsim: " + big + " is larger than 16 MiB, the most a definition may be\n");
  EXPECT_EQ(Run({"load", dir_.File("absent.json")}), 1);
  EXPECT_EQ(err_.str(), "pvxjsim: cannot read " + dir_.File("absent.json") +
                            ": No such file or directory\n");
  // A pipe is read, within the same bound.
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  std::string def = R"({"roles": [ {"name": "Piped"} ]})";
  ASSERT_EQ(::write(pipe_fds[1], def.data(), def.size()), static_cast<ssize_t>(def.size()));
  ::close(pipe_fds[1]);
  EXPECT_EQ(Run({"check", "/dev/fd/" + std::to_string(pipe_fds[0])}), 0) << err_.str();
  ::close(pipe_fds[0]);
}

}  // namespace
}  // namespace pvxjsim
