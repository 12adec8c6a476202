// Fault injection under the store: a golden API run is repeated with the
// n-th read, write, sync or lock failing, for every n until the run no longer
// reaches the n-th call. Each fault must end in return codes (never a crash)
// and be reported, by the run's exit code or by the store's close; the store
// must pass its integrity check afterwards, and every list whose creation was
// reported as PVX_OK must be in it.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "client.h"
#include "core/cmdline.h"
#include "core/output.h"
#include "driver/driver.h"
#include "fault_vfs.h"
#include "result_lists.h"
#include "store.h"

namespace {

namespace fs = std::filesystem;
using store_tests::reported_created;

std::string read_text(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Outcome {
  int code = 0;
  std::string result;
  std::string close_error;  // how closing the store at the end reported a fault
};

Outcome run(const std::string& test_case) {
  kr::CommandLineSettings s;
  s.program = "kestrun1";
  s.test_case_name = "faults";
  Outcome o;
  std::string console;
  kr::Sink err(&console);
  pvxjsim::Client::Get().ResetForTesting();
  o.code = kr::run_test_text(s, test_case, &o.result, err);
  pvxjsim::Client::Get().ResetForTesting();  // closes the store, as the end of a process does
  o.close_error = pvxjsim::Client::Get().CloseError();
  return o;
}

// Opens the store as a later process would (no fault VFS): integrity, lists.
bool check_store(const std::string& path, std::set<std::string>* lists, std::string* problem) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    *problem = "cannot open the store";
    sqlite3_close(db);
    return false;
  }
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
  std::string verdict = st && sqlite3_step(st) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "no answer";
  sqlite3_finalize(st);
  if (verdict != "ok") *problem = "integrity_check: " + verdict;
  if (sqlite3_prepare_v2(db, "SELECT name FROM persistent_lists", -1, &st, nullptr) == SQLITE_OK)
    while (sqlite3_step(st) == SQLITE_ROW) lists->insert(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return verdict == "ok";
}

class StoreFaults : public ::testing::TestWithParam<faults::Op> {
 protected:
  void SetUp() override {
    faults::register_fault_vfs();
    char tmpl[] = "/tmp/kr-faults-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    tmpl_ = (dir_ / "template.db").string();
    db_ = (dir_ / "store.db").string();
    std::string error;
    ASSERT_NE(pvxjsim::Store::Open(tmpl_, &error), nullptr) << error;  // seeded, then closed
    test_case_ = read_text(STORE_TESTS_DIR "/lists.dat");
  }
  void TearDown() override {
    unsetenv("PVXJSIM_VFS");
    faults::arm(faults::Op::kRead, 0);
    pvxjsim::Client::Get().ResetForTesting();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // A fresh copy of the seeded store, opened through the fault VFS.
  void fresh_store() {
    for (const char* suffix : {"", "-wal", "-shm", ".lock"}) fs::remove(db_ + suffix);
    fs::copy_file(tmpl_, db_);
    setenv("PVXJSIM_DB", db_.c_str(), 1);
    setenv("PVXJSIM_VFS", faults::kVfsName, 1);
  }

  fs::path dir_;
  std::string tmpl_, db_, test_case_;
};

TEST_P(StoreFaults, EveryFaultEndsInReturnCodesAndKeepsCommittedLists) {
  const faults::Op op = GetParam();
  fresh_store();
  faults::arm(op, 0);
  Outcome clean = run(test_case_);
  ASSERT_EQ(clean.code, 0) << clean.result;
  ASSERT_EQ(clean.close_error, "");
  const uint64_t total = faults::calls(op);
  ASSERT_GT(total, 0u);
  ASSERT_EQ(reported_created(clean.result), (std::set<std::string>{"W1", "T1", "A1", "W2"}));

  int failed_runs = 0, absorbed_runs = 0;
  uint64_t n = 1;
  for (;; ++n) {
    SCOPED_TRACE(std::string(faults::op_name(op)) + " fault at call " + std::to_string(n));
    fresh_store();
    faults::arm(op, n);
    Outcome o = run(test_case_);
    const bool fired = faults::fired();
    faults::arm(op, 0);
    if (!fired) break;
    EXPECT_TRUE(o.code == 0 || o.code == 8 || o.code == 1 || o.code == 12) << o.code;
    std::set<std::string> lists;
    std::string problem;
    EXPECT_TRUE(check_store(db_, &lists, &problem)) << problem;
    // A fault nobody hears of is a fault swallowed: the run reports it, or
    // closing the store at the end does (a failed write-back at exit). Only
    // a lock SQLite took again by itself may go unheard, and then nothing may
    // show it: the run did all it did without it and the store file alone
    // holds everything. A failed read, write or sync is always reported: a
    // sync that fails once says the data may not be on disk, however well a
    // second try goes.
    std::error_code ec;
    const bool log_left = fs::exists(db_ + "-wal") && fs::file_size(db_ + "-wal", ec) > 0;
    const bool absorbed = op == faults::Op::kLock && o.code == 0 && o.close_error.empty() && !log_left &&
                          reported_created(o.result) == reported_created(clean.result) &&
                          lists == reported_created(clean.result);
    EXPECT_TRUE(o.code != 0 || !o.close_error.empty() || absorbed)
        << "an injected fault ended with exit code 0, nothing reported and its mark left"
        << (log_left ? " (the store's log was not written back)" : "") << "\n" << o.result;
    if (o.code != 0) ++failed_runs;
    if (absorbed) ++absorbed_runs;
    for (const std::string& name : reported_created(o.result))
      EXPECT_TRUE(lists.count(name)) << "list " << name << " reported created but not in the store\n" << o.result;
    if (HasFailure()) break;
  }
  EXPECT_GE(n, total);  // the sweep reached every call the clean run made
  printf("%s: %llu faults injected, %d runs reported errors, %d got past them, the others "
         "were reported at the store's close\n",
         faults::op_name(op), static_cast<unsigned long long>(n - 1), failed_runs, absorbed_runs);
}

INSTANTIATE_TEST_SUITE_P(Ops, StoreFaults,
                         ::testing::Values(faults::Op::kRead, faults::Op::kWrite, faults::Op::kSync, faults::Op::kLock),
                         [](const auto& info) { return std::string(faults::op_name(info.param)); });

}  // namespace
