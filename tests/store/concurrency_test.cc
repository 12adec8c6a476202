// Several kestrun1 processes on one store, and processes killed with SIGKILL
// in the middle of a run: the store stays whole, and every list that a result
// file reports as created is in it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "result_lists.h"

namespace {

namespace fs = std::filesystem;
using store_tests::reported_created;

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A test case that logs on and creates `count` lists named PREFIX0, PREFIX1,
// ..., querying the worklists after each.
std::string lists_case(const std::string& prefix, int count) {
  std::string t =
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" XpRc PVX_OK End\n";
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    const char* create = i % 2 ? "CreateWorklist" : "CreateProcessTemplateList";
    const char* handle = i % 2 ? "WorklistHdl" : "ProcessTemplateListHdl";
    t += std::string("PvxjExecutionService") + create + " ExecutionServiceHdl 1 ListName \"" + name +
         "\" PersistentListType Pvx_LT_Public Owner NULL Description NULL Filter NULL SortCriteria NULL"
         " Threshold NULL " + handle + " 1 XpRc PVX_OK End\n"
         "PvxjExecutionServiceQueryWorklists ExecutionServiceHdl 1 WorklistVectorHdl 1 XpRc PVX_OK End\n";
  }
  t += "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n";
  return t;
}

class Processes : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kr-procs-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    db_ = (dir_ / "store.db").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Starts kestrun1 on NAME.dat (written from `text`) in the test folder.
  pid_t start(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / (name + ".dat"), std::ios::binary) << text;
    pid_t pid = fork();
    if (pid == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(101);
      setenv("PVXJSIM_DB", db_.c_str(), 1);
      if (!freopen("/dev/null", "w", stderr) || !freopen("/dev/null", "r", stdin)) _exit(102);
      execl(KESTRUN1, "kestrun1", "-i", name.c_str(), "-o", name.c_str(), static_cast<char*>(nullptr));
      _exit(103);
    }
    return pid;
  }

  static int wait_exit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string result(const std::string& name) { return read_text(dir_ / (name + ".log")); }

  // The lists in the store, after its integrity check (as a later process sees it).
  std::set<std::string> stored_lists() {
    sqlite3* db = nullptr;
    std::set<std::string> names;
    EXPECT_EQ(sqlite3_open_v2(db_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    EXPECT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "SELECT name FROM persistent_lists", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) names.insert(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return names;
  }

  fs::path dir_;
  std::string db_;
};

TEST_F(Processes, SeveralRunsOnOneStoreKeepEveryList) {
  constexpr int kProcs = 6, kLists = 15;
  std::vector<pid_t> pids;
  for (int p = 0; p < kProcs; ++p) pids.push_back(start("p" + std::to_string(p), lists_case("P" + std::to_string(p) + "_", kLists)));
  std::set<std::string> expected;
  for (int p = 0; p < kProcs; ++p) {
    const std::string name = "p" + std::to_string(p);
    EXPECT_EQ(wait_exit(pids[p]), 0) << result(name);
    for (int i = 0; i < kLists; ++i) expected.insert("P" + std::to_string(p) + "_" + std::to_string(i));
    EXPECT_EQ(reported_created(result(name)).size(), static_cast<size_t>(kLists));
  }
  const std::set<std::string> stored = stored_lists();
  for (const std::string& n : expected) EXPECT_TRUE(stored.count(n)) << n;
}

// Runs killed at growing progress, some while others write: after each kill the
// store is whole, keeps every list a result file reported, and serves the
// next run normally.
TEST_F(Processes, KilledRunsLoseNoReportedList) {
  ASSERT_EQ(wait_exit(start("first", lists_case("F", 1))), 0);  // the store exists
  std::set<std::string> reported;
  for (int round = 0; round < 6; ++round) {
    const std::string victim = "k" + std::to_string(round), bystander = "b" + std::to_string(round);
    pid_t v = start(victim, lists_case("K" + std::to_string(round) + "_", 400));
    pid_t b = start(bystander, lists_case("B" + std::to_string(round) + "_", 10));
    // Kill once the victim has reported a few more lists each round, so the
    // kill lands in the middle of the run on any machine.
    const size_t progress = 1 + 8 * round;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (reported_created(result(victim)).size() < progress && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(v, SIGKILL);
    EXPECT_EQ(wait_exit(v), 128 + SIGKILL);
    EXPECT_EQ(wait_exit(b), 0) << result(bystander);
    for (const std::string& name : reported_created(result(victim))) reported.insert(name);
    for (const std::string& name : reported_created(result(bystander))) reported.insert(name);
    const std::set<std::string> stored = stored_lists();
    for (const std::string& n : reported) EXPECT_TRUE(stored.count(n)) << "lost " << n << " after round " << round;
  }
  EXPECT_GT(reported.size(), 6 * 10u);  // each victim reported lists before it died
  const std::string after = "after";
  EXPECT_EQ(wait_exit(start(after, lists_case("A", 3))), 0) << result(after);
}

}  // namespace
