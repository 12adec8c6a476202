// Asynchronous replies and the program execution agent: Receive in order, by
// identifier, on timeout and terminated; programs run by a simulate rule, by
// a shell script, and by a program (pea_probe) that passes through.
#include "program_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <map>
#include <thread>

#include "container.h"
#include "engine.h"
#include "seed.h"
#include "session_id.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

using Clock = std::chrono::steady_clock;

CorrelId Correl(const char* text) {
  CorrelId id{};
  std::memcpy(id.data(), text, std::min(std::strlen(text), id.size()));
  return id;
}

class ProgramRunTest : public ClientTest {
 protected:
  int defined_ = 0;
  std::map<int64_t, int64_t> activity_of_;  // work item -> activity instance (items go)

  int64_t Session(PvxjExecutionService svc) { return FindService(svc)->session_id; }

  void Post(PvxjExecutionService svc, const char* correl, const std::string& ref) {
    WriteTx tx(store());
    PostReply(store(), Session(svc), Correl(correl), kReplyExecution, std::nullopt, ref);
    tx.Commit();
  }

  // The ref of the reply Receive takes (correl: none = any), or its error.
  std::string Receive(PvxjExecutionService svc, const char* correl, int32_t timeout,
                      CorrelId* got = nullptr) {
    CorrelId id = correl ? Correl(correl) : CorrelId{};
    PvxjExecutionData data = 0;
    int32_t rc = PvxjExecutionServiceReceive(svc, id.data(), &data, timeout);
    if (rc != PVX_OK) return "rc " + std::to_string(rc);
    if (got) *got = id;
    auto* obj = Client::Get().handles.Get<ExecutionDataObject>(data, Cls::ExecutionData);
    return obj ? obj->ref : "no object";
  }

  // Loads a one-activity template whose program is given, starts an instance
  // (with a process context) and returns its work item for USER2.
  int64_t ItemFor(std::string program_json) {
    // Each call defines its own template and program: a template with
    // instances cannot be replaced.
    std::string n = std::to_string(++defined_);
    program_json.replace(program_json.find("\"Prog\""), 6, "\"Prog" + n + "\"");
    std::string error;
    WriteTx tx(store());
    EXPECT_TRUE(LoadSystemDefinition(store(), R"({
      "dataStructures": [ { "name": "RunData", "members": [
        { "name": "N", "type": "LONG" }, { "name": "S", "type": "STRING" } ] } ],
      "programs": [ )" + program_json + R"( ],
      "processTemplates": [ { "name": "RunIt)" + n + R"(", "inContainer": "RunData",
        "outContainer": "RunData", "activities": [
          { "name": "Work", "program": "Prog)" + n + R"(", "staff": { "persons": ["USER2"] } } ] } ] })",
                                     &error))
        << error;
    int64_t pi = 0;
    EXPECT_EQ(CreateInstance(store(), "RunIt" + n, "", "USER2", &pi), PVX_OK);
    EXPECT_EQ(StartInstance(store(), pi, "USER2", nullptr), PVX_OK);
    Stmt c(store().db(), "UPDATE process_instances SET context='ctx-7' WHERE id=?");
    c.Bind(1, pi).Run();
    tx.Commit();
    Stmt q(store().db(), "SELECT id, activity_instance_id FROM items "
                         "WHERE process_instance_id=? AND kind=1");
    q.Bind(1, pi);
    EXPECT_TRUE(q.Step());
    activity_of_[q.Int(0)] = q.Int(1);
    return q.Int(0);
  }

  // A run asked for by the item's owner outside any session.
  ExecuteRequest Request(int64_t item) {
    ExecuteRequest r;
    r.item_id = item;
    r.person_id = Person("USER2");
    return r;
  }

  int64_t Person(const char* user) {
    Stmt q(store().db(), "SELECT id FROM persons WHERE user_id=?");
    q.Bind(1, user);
    EXPECT_TRUE(q.Step());
    return q.Int(0);
  }

  // The state and return code of the item's activity and its instance's state.
  std::string Outcome(int64_t item) {
    Stmt q(store().db(), "SELECT a.state, coalesce(a.return_code, 0), p.state "
                         "FROM activity_instances a JOIN process_instances p "
                         "ON p.id = a.process_instance_id WHERE a.id=?");
    q.Bind(1, activity_of_[item]);
    if (!q.Step()) return "gone";
    return std::string(ActivityStateName(q.Int(0))) + " rc " + std::to_string(q.Int(1)) + " " +
           ProcessStateName(q.Int(2));
  }

  std::string Script(const std::string& name, const std::string& body) {
    std::string path = dir_.File(name);
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
  }

  std::string Program(const std::string& path, const std::string& parameters = "",
                      int timeout = 0) {
    std::string p = R"({ "name": "Prog", "inContainer": "RunData", "outContainer": "RunData",
      "implementations": [ { "platform": "Solaris", "kind": "exe", "path": ")" + path + "\"";
    if (!parameters.empty()) p += R"(, "parameters": ")" + parameters + "\"";
    if (timeout) p += R"(, "timeout": )" + std::to_string(timeout);
    return p + " } ] }";
  }
};

TEST_F(ProgramRunTest, ReceiveTakesRepliesInOrderOrByIdentifier) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  Post(svc, "first", "R1");
  Post(svc, "second", "R2");
  Post(svc, "third", "R3");
  EXPECT_EQ(Receive(svc, "third", 0), "R3");
  CorrelId got{};
  EXPECT_EQ(Receive(svc, nullptr, 0, &got), "R1");
  EXPECT_EQ(got, Correl("first"));  // the identifier of what came back is written
  EXPECT_EQ(Receive(svc, "third", 0), "rc " + std::to_string(PVX_ERROR_TIMEOUT));
  EXPECT_EQ(Receive(svc, nullptr, 0), "R2");
  // Another session never sees this session's replies.
  PvxjExecutionService other = Logon("USER4", "pw4");
  Post(svc, "mine", "R4");
  EXPECT_EQ(Receive(other, nullptr, 0), "rc " + std::to_string(PVX_ERROR_TIMEOUT));
  EXPECT_EQ(Receive(svc, "mine", 0), "R4");
}

TEST_F(ProgramRunTest, ReceiveWaitsForItsTimeoutOnTheRealClock) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  auto t0 = Clock::now();
  EXPECT_EQ(Receive(svc, nullptr, 150), "rc " + std::to_string(PVX_ERROR_TIMEOUT));
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0);
  EXPECT_GE(waited.count(), 150);
  EXPECT_LT(waited.count(), 1500);
  // A reply posted while it waits is taken.
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    Post(svc, "late", "LATE");
  });
  EXPECT_EQ(Receive(svc, "late", 1500), "LATE");
  poster.join();
}

TEST_F(ProgramRunTest, TerminateReceiveEndsAWait) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  CorrelId id = Correl("pending");
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(PvxjExecutionServiceTerminateReceive(svc, id.data()), PVX_OK);
  });
  auto t0 = Clock::now();
  EXPECT_EQ(Receive(svc, "pending", 1900), "");  // the termination reply has no object
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1500));
  stopper.join();
}

TEST_F(ProgramRunTest, SimulateRuleFinishesTheActivityAndLeavesAReply) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  int64_t item = ItemFor(R"({ "name": "Prog", "inContainer": "RunData", "outContainer":
    "RunData", "simulate": { "set": { "S": "simulated", "N": 9 }, "rc": 4 } })");
  ExecuteRequest r{item, Person("USER2"), Session(svc), Correl("sim"), "uc"};
  int32_t program_rc = -1;
  EXPECT_EQ(ExecuteWorkitem(store(), r, &program_rc), PVX_OK);
  EXPECT_EQ(program_rc, 4);
  EXPECT_EQ(Outcome(item), "FINISHED rc 4 FINISHED");
  EXPECT_EQ(Receive(svc, "sim", 0), FormatOid(oid_tag::kWorkitem, item));
  // Once finished (its row kept) it cannot run again, and nobody else may run it.
  EXPECT_EQ(ExecuteWorkitem(store(), r, nullptr), PVX_ERROR_WRONG_STATE);
  int64_t other = ItemFor(R"({ "name": "Prog", "simulate": { "rc": 0 } })");
  r.item_id = other;
  r.person_id = Person("USER4");
  EXPECT_EQ(ExecuteWorkitem(store(), r, nullptr), PVX_ERROR_NOT_AUTHORIZED);
}

TEST_F(ProgramRunTest, ExecutableGetsTheProgramContextAndItsExitIsTheReturnCode) {
  UseFileStore();
  PvxjExecutionService svc = Logon("USER2", "pw2");
  std::string seen = dir_.File("seen.txt");
  std::string path = Script("prog.sh", "{ echo \"$PVXJSIM_PROGRAM_ID|$PVXJSIM_PEA_USER|"
                                       "$PVXJSIM_PROCESS_CONTEXT|$PVXJSIM_ACTIVITY_OID|$1 $2\"; "
                                       "} > '" + seen + "'\nexit 5\n");
  int64_t item = ItemFor(Program(path, "a  b"));
  ExecuteRequest r{item, Person("USER2"), Session(svc), Correl("exe"), std::nullopt};
  int32_t program_rc = -1;
  ASSERT_EQ(ExecuteWorkitem(store(), r, &program_rc), PVX_OK);
  EXPECT_EQ(program_rc, 5);
  EXPECT_EQ(Outcome(item), "FINISHED rc 5 FINISHED");
  std::string line = ReadFile(seen);
  EXPECT_EQ(line.substr(0, 2), "PX") << line;
  EXPECT_NE(line.find("|USER2|ctx-7|AI"), std::string::npos) << line;
  EXPECT_NE(line.find("|a b\n"), std::string::npos) << line;
  EXPECT_EQ(Receive(svc, "exe", 0), FormatOid(oid_tag::kWorkitem, item));
}

TEST_F(ProgramRunTest, ProgramPastItsTimeoutIsKilled) {
  int64_t item = ItemFor(Program(Script("hang.sh", "exec sleep 30\n"), "", 1));
  auto t0 = Clock::now();
  int32_t program_rc = -1;
  ASSERT_EQ(ExecuteWorkitem(store(), Request(item), &program_rc), PVX_OK);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(10));
  EXPECT_EQ(program_rc, 128 + SIGKILL);
  EXPECT_EQ(Outcome(item), "FINISHED rc 137 FINISHED");
}

TEST_F(ProgramRunTest, ProgramThatCannotRunLeavesTheItemAlone) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  int64_t item = ItemFor(Program(dir_.File("missing")));
  ExecuteRequest r{item, Person("USER2"), Session(svc), Correl("x"), std::nullopt};
  EXPECT_EQ(ExecuteWorkitem(store(), r, nullptr), PVX_ERROR_PROGRAM_EXECUTION);
  EXPECT_EQ(Outcome(item), "READY rc 0 RUNNING");
  // Nor can one whose working directory is not there.
  int64_t nowhere = ItemFor(R"({ "name": "Prog", "implementations": [ { "platform": "Solaris",
    "kind": "exe", "path": "/bin/true", "workingDirectory": ")" + dir_.File("gone") + R"(" } ] })");
  EXPECT_EQ(ExecuteWorkitem(store(), Request(nowhere), nullptr), PVX_ERROR_PROGRAM_EXECUTION);
  EXPECT_EQ(Outcome(nowhere), "READY rc 0 RUNNING");
  int64_t dll = ItemFor(R"({ "name": "Prog", "implementations": [
    { "platform": "Solaris", "kind": "dll", "path": "x.so", "entryPoint": "run" } ] })");
  EXPECT_EQ(ExecuteWorkitem(store(), Request(dll), nullptr),
            PVX_ERROR_NO_PROGRAM_FOR_PLATFORM);
  EXPECT_EQ(Receive(svc, nullptr, 0), "rc " + std::to_string(PVX_ERROR_TIMEOUT));
}

// Whatever keeps a program from starting, found before the item is touched
// or only when the system tries to run it, leaves the item as it was.
TEST_F(ProgramRunTest, EveryStartFailureLeavesTheItemAsItWas) {
  std::string text = dir_.File("text.txt");
  WriteFile(text, "echo this has no interpreter line\n");
  ::chmod(text.c_str(), 0755);
  std::string no_shell = Script("noshell.sh", "exit 0\n");
  WriteFile(no_shell, "#!" + dir_.File("no-such-shell") + "\nexit 0\n");
  std::string folder = dir_.File("folder");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  for (const std::string& path : {folder, text, no_shell}) {
    int64_t item = ItemFor(Program(path));
    Stmt before(store().db(), "SELECT state, started, modified FROM items WHERE id=?");
    before.Bind(1, item);
    ASSERT_TRUE(before.Step());
    std::string was = std::to_string(before.Int(0)) + "|" + before.OptText(1).value_or("-") +
                      "|" + before.Text(2);
    before.Step();
    EXPECT_EQ(ExecuteWorkitem(store(), Request(item), nullptr), PVX_ERROR_PROGRAM_EXECUTION)
        << path;
    EXPECT_EQ(Outcome(item), "READY rc 0 RUNNING") << path;
    Stmt after(store().db(), "SELECT state, started, modified FROM items WHERE id=?");
    after.Bind(1, item);
    ASSERT_TRUE(after.Step());
    EXPECT_EQ(std::to_string(after.Int(0)) + "|" + after.OptText(1).value_or("-") + "|" +
                  after.Text(2),
              was)
        << path;
    after.Step();
    Stmt runs(store().db(), "SELECT count(*) FROM program_executions WHERE activity_instance_id=?");
    runs.Bind(1, activity_of_[item]);
    ASSERT_TRUE(runs.Step());
    EXPECT_EQ(runs.Int(0), 0) << path;
  }
}

// A program runs in a process group of its own: what it started ends with it,
// at its timeout or when it exits, so nothing goes on writing its output or
// holding the console's open.
TEST_F(ProgramRunTest, WhatAProgramStartedEndsWithIt) {
  auto gone = [](const std::string& pid_text) {
    // Dead, or a zombie nobody has reaped yet (no init in some containers).
    for (int i = 0; i < 200; ++i) {
      std::string stat = ReadFile("/proc/" + pid_text + "/stat");
      size_t close = stat.rfind(')');
      if (stat.empty() || (close != std::string::npos && stat.substr(close + 2, 1) == "Z"))
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  std::string pids = dir_.File("pids");
  int64_t hung = ItemFor(Program(
      Script("hang2.sh", "sleep 30 &\necho $! > '" + pids + "'\nexec sleep 30\n"), "", 1));
  auto t0 = Clock::now();
  int32_t program_rc = -1;
  ASSERT_EQ(ExecuteWorkitem(store(), Request(hung), &program_rc), PVX_OK);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(10));
  EXPECT_EQ(program_rc, 128 + SIGKILL);
  std::string child = ReadFile(pids);
  ASSERT_FALSE(child.empty());
  child.pop_back();
  EXPECT_TRUE(gone(child)) << "the timed-out program's child " << child << " still runs";

  int64_t quick = ItemFor(Program(
      Script("leave.sh", "sleep 30 &\necho $! > '" + pids + "'\nexit 3\n")));
  ASSERT_EQ(ExecuteWorkitem(store(), Request(quick), &program_rc), PVX_OK);
  EXPECT_EQ(program_rc, 3);
  child = ReadFile(pids);
  ASSERT_FALSE(child.empty());
  child.pop_back();
  EXPECT_TRUE(gone(child)) << "the finished program's child " << child << " still runs";
}

// The program gets the store the agent uses as an absolute path, so that its
// working directory cannot turn it into another store; where the path it was
// handed names no store, its calls make none.
TEST_F(ProgramRunTest, TheProgramGetsTheAgentsStoreWhereverItRuns) {
  char* cwd = ::getcwd(nullptr, 0);
  ASSERT_NE(cwd, nullptr);
  ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
  UseStore("rel.db");
  std::string work = dir_.File("wd");
  ASSERT_EQ(::mkdir(work.c_str(), 0755), 0);
  std::string seen = dir_.File("db.txt");
  std::string path =
      Script("db.sh", "echo \"$PVXJSIM_DB|$PVXJSIM_STORE_MUST_EXIST\" > '" + seen + "'\n");
  int64_t item = ItemFor(R"({ "name": "Prog", "implementations": [ { "platform": "Solaris",
    "kind": "exe", "path": ")" + path + R"(", "workingDirectory": ")" + work + R"(" } ] })");
  ASSERT_EQ(ExecuteWorkitem(store(), Request(item), nullptr), PVX_OK);
  EXPECT_EQ(Outcome(item), "FINISHED rc 0 FINISHED");
  ASSERT_EQ(::chdir(cwd), 0);
  ::free(cwd);
  std::string db = ReadFile(seen);
  EXPECT_EQ(db.substr(0, 1), "/") << db;
  ASSERT_GT(db.size(), 3u);
  EXPECT_EQ(db.substr(db.size() - 3), "|1\n") << db;
  struct stat handed, used;
  ASSERT_EQ(::stat(db.substr(0, db.size() - 3).c_str(), &handed), 0) << db;
  ASSERT_EQ(::stat(dir_.File("rel.db").c_str(), &used), 0);
  EXPECT_EQ(handed.st_ino, used.st_ino);
  EXPECT_NE(::access((work + "/rel.db").c_str(), F_OK), 0);

  // Inside a program, a store that is not there is not made.
  Client::Get().ResetForTesting();
  std::string missing = dir_.File("gone/store.db");
  ::setenv("PVXJSIM_STORE_MUST_EXIST", "1", 1);
  UseStore(missing);
  PvxjExecutionService svc = 0;
  EXPECT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_ERROR_COMMUNICATION);
  ::unsetenv("PVXJSIM_STORE_MUST_EXIST");
  EXPECT_NE(::access(missing.c_str(), F_OK), 0);
  EXPECT_NE(::access(dir_.File("gone").c_str(), F_OK), 0);
}

TEST_F(ProgramRunTest, StartedProgramPassesThroughToTheAgentsSession) {
  UseFileStore();
  PvxjExecutionService svc = Logon("USER2", "pw2");
  // Outside a started program there is nothing to pass through to.
  ::unsetenv(kProgramIdVariable);
  PvxjExecutionService spare = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&spare), PVX_OK);
  EXPECT_EQ(PvxjExecutionServicePassthrough(spare), PVX_ERROR_INVALID_PROGRAMID);
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(spare, "PX000000000999"),
            PVX_ERROR_INVALID_PROGRAMID);

  std::string report = dir_.File("report.txt");
  std::string path = Script("child.sh", "exec '" PVXJSIM_PEA_PROBE "' '" + report + "'\n");
  int64_t item = ItemFor(Program(path));
  ASSERT_EQ(PvxjExecutionServicePEAStartUp(svc), PVX_OK);
  ExecuteRequest r{item, Person("USER2"), Session(svc), Correl("child"), std::nullopt};
  int32_t program_rc = -1;
  ASSERT_EQ(ExecuteWorkitem(store(), r, &program_rc), PVX_OK);
  EXPECT_EQ(program_rc, 0) << ReadFile(report);
  EXPECT_EQ(ReadFile(report),
            "passthrough 0\nlogged on 1\nservice user USER2\nprogram PX\npea user USER2\n"
            "context ctx-7\nactivity AI\nremote user USER2\nremote passthrough 0\n");
  EXPECT_EQ(Outcome(item), "FINISHED rc 0 FINISHED");

  // With the agent stopped, a program can no longer pass through.
  ASSERT_EQ(PvxjExecutionServicePEAShutDown(svc), PVX_OK);
  int64_t again = ItemFor(Program(path));
  r.item_id = again;
  ASSERT_EQ(ExecuteWorkitem(store(), r, &program_rc), PVX_OK);
  EXPECT_NE(ReadFile(report).find("passthrough " + std::to_string(PVX_ERROR_PEA_NOT_RUNNING)),
            std::string::npos)
      << ReadFile(report);
}

// The container files: the program reads its input and writes its output,
// values with newlines and backslashes included.
TEST_F(ProgramRunTest, ExecutableReadsItsInputAndSetsItsOutput) {
  std::string path = Script("calc.sh", R"(n=$(sed -n 's/^N=//p' "$PVXJSIM_IN_CONTAINER")
printf '# result\nN=%d\n\nS=one\\ntwo \\\\ end\r\n' $((n * 2)) > "$PVXJSIM_OUT_CONTAINER"
)");
  int64_t item = ItemFor(Program(path));
  {
    WriteTx tx(store());
    Schema schema;
    ASSERT_TRUE(LoadSchema(store(), "RunData", &schema));
    Record in;
    in.type_name = "RunData";
    ASSERT_EQ(SetMember(schema, &in, "N", 21), PVX_OK);
    SaveContainer(store(), "AI", activity_of_[item], "in", in);
    tx.Commit();
  }
  ASSERT_EQ(ExecuteWorkitem(store(), Request(item), nullptr), PVX_OK);
  EXPECT_EQ(Outcome(item), "FINISHED rc 0 FINISHED");
  auto out = LoadContainer(store(), "AI", activity_of_[item], "out");
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(ValueText(GetMember(*out, "N")), "42");
  EXPECT_EQ(ValueText(GetMember(*out, "S")), "one\ntwo \\ end");
}

// Output the structure cannot take leaves the activity in error, its item
// withdrawn, with the reason; a restart offers it again.
TEST_F(ProgramRunTest, OutputTheStructureCannotTakePutsTheActivityInError) {
  struct Case {
    const char* output;
    int32_t rc;
    const char* reason;
  } cases[] = {
      {"Missing=1", PVX_ERROR_MEMBER_NOT_FOUND, "does not have"},
      {"N=many", PVX_ERROR_WRONG_TYPE, "another type"},
      {"N 5", PVX_ERROR_FORMAT, "line 1 of the program's output is not MEMBER=VALUE"},
  };
  for (const Case& c : cases) {
    std::string path = Script("bad.sh", std::string("echo '") + c.output +
                                            "' > \"$PVXJSIM_OUT_CONTAINER\"\n");
    int64_t item = ItemFor(Program(path));
    int32_t program_rc = -1;
    EXPECT_EQ(ExecuteWorkitem(store(), Request(item), &program_rc), c.rc) << c.output;
    EXPECT_EQ(program_rc, 0);
    EXPECT_EQ(Outcome(item), "IN_ERROR rc 0 RUNNING") << c.output;
    // Its work item stays, in error, until the activity is restarted.
    Stmt q(store().db(), "SELECT a.error_reason, (SELECT count(*) FROM items i WHERE "
                         "i.activity_instance_id=a.id AND i.kind=1 AND i.state<>128) FROM activity_instances a "
                         "WHERE a.id=?");
    q.Bind(1, activity_of_[item]);
    ASSERT_TRUE(q.Step());
    EXPECT_NE(q.Text(0).find(c.reason), std::string::npos) << q.Text(0);
    EXPECT_EQ(q.Int(1), 0);
    q.Step();
    WriteTx tx(store());
    EXPECT_EQ(RestartActivity(store(), activity_of_[item]), PVX_OK);
    tx.Commit();
    EXPECT_EQ(Outcome(item), "READY rc 0 RUNNING");
  }
  // A pipe put in the output file's place is not read (it could block).
  std::string path = Script("fifo.sh", "rm -f \"$PVXJSIM_OUT_CONTAINER\"\n"
                                       "mkfifo \"$PVXJSIM_OUT_CONTAINER\"\n");
  int64_t item = ItemFor(Program(path));
  EXPECT_EQ(ExecuteWorkitem(store(), Request(item), nullptr), PVX_ERROR_FORMAT);
  EXPECT_EQ(Outcome(item), "IN_ERROR rc 0 RUNNING");
}

// workingDirectory, environment and inheritEnvironment apply; a program run
// as its starter sees that user in USER and LOGNAME.
TEST_F(ProgramRunTest, ImplementationOptionsAndExecutionUserApply) {
  std::string seen = dir_.File("env.txt");
  std::string work = dir_.File("");
  std::string path = Script("env.sh", "{ pwd; echo \"$A|$B|${HOME-unset}|$USER|$LOGNAME|"
                                      "$PVXJSIM_EXECUTION_USER|$PVXJSIM_PEA_USER\"; } > '" +
                                          seen + "'\n");
  ::setenv("PVXJSIM_PEA_USER", "not-this", 1);
  int64_t item = ItemFor(R"({ "name": "Prog", "executionUser": "Starter", "implementations": [
    { "platform": "NotSet", "kind": "exe", "path": ")" + path + R"(", "workingDirectory": ")" +
                         work + R"(", "environment": "A=1;B=two;PVXJSIM_PEA_USER=forged",
      "inheritEnvironment": false } ] })");
  ASSERT_EQ(ExecuteWorkitem(store(), Request(item), nullptr), PVX_OK);
  ::unsetenv("PVXJSIM_PEA_USER");
  std::string text = ReadFile(seen);
  std::string dir = work.substr(0, work.size() - 1);
  EXPECT_EQ(text.substr(0, text.find('\n')), dir) << text;
  EXPECT_NE(text.find("\n1|two|unset|USER2|USER2|Starter|USER2\n"), std::string::npos) << text;

  // The default: the agent's own environment and identity.
  ::setenv("PVXJSIM_TEST_MARK", "kept", 1);
  std::string path2 = Script("env2.sh", "echo \"$PVXJSIM_TEST_MARK|$PVXJSIM_EXECUTION_USER\" > '" +
                                            seen + "'\n");
  int64_t agent = ItemFor(Program(path2));
  ASSERT_EQ(ExecuteWorkitem(store(), Request(agent), nullptr), PVX_OK);
  ::unsetenv("PVXJSIM_TEST_MARK");
  EXPECT_EQ(ReadFile(seen), "kept|Agent\n");
}

}  // namespace
}  // namespace pvxjsim
