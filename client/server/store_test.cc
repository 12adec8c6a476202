// The store as a file: where it is, what survives a reopen, what happens to
// files that are not stores, and several processes at once.
#include "store.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <thread>

#include "session_id.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) old_ = old;
    had_ = old != nullptr;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

TEST(StorePathTest, EnvironmentThenXdgThenHome) {
  ScopedEnv home("HOME", "/home/tester");
  {
    ScopedEnv db("PVXJSIM_DB", "/tmp/explicit.db");
    EXPECT_EQ(DefaultStorePath(), "/tmp/explicit.db");
  }
  ScopedEnv db("PVXJSIM_DB", nullptr);
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/data");
    EXPECT_EQ(DefaultStorePath(), "/data/pvxjsim/store.db");
  }
  {
    ScopedEnv xdg("XDG_DATA_HOME", "relative");  // not absolute: ignored
    EXPECT_EQ(DefaultStorePath(), "/home/tester/.local/share/pvxjsim/store.db");
  }
}

class FileStoreTest : public ClientTest {
 protected:
  int32_t AllocateRc() {
    PvxjExecutionService svc = 0;
    return PvxjExecutionServiceAllocate(&svc);
  }
};

TEST_F(FileStoreTest, MissingDirectoriesAreCreated) {
  UseStore(dir_.File("a/b/store.db"));
  EXPECT_EQ(AllocateRc(), PVX_OK);
  EXPECT_FALSE(ReadFile(dir_.File("a/b/store.db")).empty());
}

TEST_F(FileStoreTest, ChangesSurviveAReopen) {
  UseFileStore();
  PvxjExecutionService svc = Logon("USER2", "pw2");
  ASSERT_EQ(PvxjServiceSetPassword(svc, "changed"), PVX_OK);
  PvxjWorklist wl = 0;
  ASSERT_EQ(PvxjExecutionServiceCreateWorklist(svc, "Kept", Pvx_LT_Private, nullptr, "d",
                                               "STATE = READY", "NAME", nullptr, &wl),
            PVX_OK);
  char sid[32];
  ASSERT_NE(PvxjExecutionServiceSessionID(svc, sid, sizeof sid), nullptr);

  Client::Get().ResetForTesting();  // as a new process would start
  PvxjExecutionService later = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&later), PVX_OK);
  ASSERT_EQ(PvxjExecutionServiceSetSessionContext(later, "USER2", sid), PVX_OK);
  PvxjWorklistVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryWorklists(later, &v), PVX_OK);
  ASSERT_EQ(PvxjWorklistVectorSize(v), 1u);
  PvxjWorklist restored = PvxjExecutionServicePersistentWorklist(later, "WL000000000001");
  char name[16];
  EXPECT_STREQ(PvxjPersistentListName(restored, name, sizeof name), "Kept");
  PvxjExecutionService fresh = 0;
  PvxjExecutionServiceAllocate(&fresh);
  EXPECT_EQ(PvxjExecutionServiceLogon(fresh, "USER2", "pw2", 0, 0), PVX_ERROR_PASSWORD);
  EXPECT_EQ(PvxjExecutionServiceLogon(fresh, "USER2", "changed", 0, 0), PVX_OK);
}

TEST_F(FileStoreTest, EmptyFileBecomesAStore) {
  std::string path = dir_.File("empty.db");
  WriteFile(path, "");
  UseStore(path);
  EXPECT_EQ(AllocateRc(), PVX_OK);
}

TEST_F(FileStoreTest, FilesThatAreNotStoresAreRefusedAndLeftAlone) {
  std::string junk = dir_.File("junk.db");
  std::string bytes(8192, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 3);
  WriteFile(junk, bytes);

  std::string foreign = dir_.File("foreign.db");
  {
    std::string error;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE accounts(id INTEGER, balance REAL)", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
  }
  std::string future = dir_.File("future.db");
  {
    UseStore(future);
    ASSERT_EQ(AllocateRc(), PVX_OK);
    Client::Get().ResetForTesting();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(future.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }

  for (const std::string& path : {junk, foreign, future, dir_.path()}) {
    std::string before = path == dir_.path() ? "" : ReadFile(path);
    UseStore(path);
    PvxjExecutionService svc = 0;
    EXPECT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_ERROR_COMMUNICATION) << path;
    EXPECT_EQ(svc, nullptr);
    EXPECT_FALSE(Client::Get().StoreOpenError().empty());
    if (path != dir_.path()) {
      EXPECT_EQ(ReadFile(path), before) << path;
    }
  }
}

TEST_F(FileStoreTest, DamageFoundLaterGivesCommunicationErrors) {
  std::string path = UseFileStore();
  PvxjExecutionService svc = Logon("USER1", "pw1");
  Client::Get().ResetForTesting();
  // Overwrite everything after the header: the store opens, then fails.
  std::string bytes = ReadFile(path);
  for (size_t i = 100; i < bytes.size(); ++i) bytes[i] = '\x5A';
  WriteFile(path, bytes);
  ::unlink((path + "-wal").c_str());
  ::unlink((path + "-shm").c_str());
  UseStore(path);
  svc = 0;
  int32_t rc = PvxjExecutionServiceAllocate(&svc);
  if (rc == PVX_OK) rc = PvxjExecutionServiceLogon(svc, "USER1", "pw1", 0, 0);
  EXPECT_EQ(rc, PVX_ERROR_COMMUNICATION);
}

class TwoProcessTest : public FileStoreTest {
 protected:
  void SetUp() override {
    FileStoreTest::SetUp();
    path_ = dir_.File("shared.db");
    ::setenv("PVXJSIM_DB", path_.c_str(), 1);
    // The parent must not hold a connection across fork.
    Client::Get().ResetForTesting();
  }
  std::string path_;
};

TEST_F(TwoProcessTest, BothCompleteAndTheStoreIsConsistent) {
  auto worker = [](const char* user, const char* pw) {
    return [=]() {
      Client::Get().ResetForTesting();
      PvxjExecutionService svc = 0;
      if (PvxjExecutionServiceAllocate(&svc) != PVX_OK) return 2;
      if (PvxjExecutionServiceLogon(svc, user, pw, 0, 0) != PVX_OK) return 3;
      int lost = 0;
      for (int i = 0; i < 25; ++i) {
        std::string name = "L" + std::to_string(i);
        PvxjProcessTemplateList l = 0;
        if (PvxjExecutionServiceCreateProcessTemplateList(svc, name.c_str(), Pvx_LT_Private,
                                                          nullptr, nullptr, nullptr, nullptr,
                                                          nullptr, &l) != PVX_OK)
          ++lost;
        PvxjProcessTemplateVector v = 0;
        if (PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, nullptr, nullptr, &v) !=
            PVX_OK)
          ++lost;
        PvxjProcessTemplateVectorDeallocate(&v);
      }
      if (PvxjExecutionServiceLogoff(svc) != PVX_OK) return 4;
      return lost ? 5 : 0;
    };
  };
  // Both children also race to create the store itself.
  pid_t a = ::fork();
  if (a == 0) ::_exit(worker("USER1", "pw1")());
  pid_t b = ::fork();
  if (b == 0) ::_exit(worker("USER2", "pw2")());
  int sa = 0, sb = 0;
  ::waitpid(a, &sa, 0);
  ::waitpid(b, &sb, 0);
  ASSERT_TRUE(WIFEXITED(sa) && WIFEXITED(sb));
  EXPECT_EQ(WEXITSTATUS(sa), 0);
  EXPECT_EQ(WEXITSTATUS(sb), 0);

  UseStore(path_);
  Store& s = store();
  Stmt lists(s.db(), "SELECT count(*), count(DISTINCT owner) FROM persistent_lists");
  lists.Step();
  EXPECT_EQ(lists.Int(0), 50);
  EXPECT_EQ(lists.Int(1), 2);
  Stmt people(s.db(), "SELECT count(*) FROM persons");  // seeded once, not twice
  people.Step();
  EXPECT_EQ(people.Int(0), 6);
  Stmt sessions(s.db(), "SELECT count(*) FROM sessions");
  sessions.Step();
  EXPECT_EQ(sessions.Int(0), 0);
  Stmt check(s.db(), "PRAGMA integrity_check");
  check.Step();
  EXPECT_EQ(check.Text(0), "ok");
}

TEST_F(TwoProcessTest, SameNameRaceHasExactlyOneWinner) {
  auto racer = []() {
    Client::Get().ResetForTesting();
    PvxjExecutionService svc = 0;
    PvxjExecutionServiceAllocate(&svc);
    if (PvxjExecutionServiceLogon(svc, "USER1", "pw1", 0, 0) != PVX_OK) return 3;
    PvxjWorklist wl = 0;
    int32_t rc = PvxjExecutionServiceCreateWorklist(svc, "Contested", Pvx_LT_Public, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, &wl);
    return rc == PVX_OK ? 0 : rc == PVX_ERROR_NOT_UNIQUE ? 10 : 4;
  };
  UseStore(path_);
  ASSERT_EQ(AllocateRc(), PVX_OK);  // store exists before the race
  Client::Get().ResetForTesting();
  pid_t a = ::fork();
  if (a == 0) ::_exit(racer());
  pid_t b = ::fork();
  if (b == 0) ::_exit(racer());
  int sa = 0, sb = 0;
  ::waitpid(a, &sa, 0);
  ::waitpid(b, &sb, 0);
  std::multiset<int> codes = {WEXITSTATUS(sa), WEXITSTATUS(sb)};
  EXPECT_EQ(codes, (std::multiset<int>{0, 10}));
}

TEST_F(TwoProcessTest, KilledProcessLosesNoCommittedChange) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    Client::Get().ResetForTesting();
    PvxjExecutionService svc = 0;
    PvxjExecutionServiceAllocate(&svc);
    PvxjExecutionServiceLogon(svc, "USER3", "pw3", 0, 0);
    PvxjWorklist wl = 0;
    int32_t rc = PvxjExecutionServiceCreateWorklist(svc, "Committed", Pvx_LT_Private, nullptr,
                                                    nullptr, nullptr, nullptr, nullptr, &wl);
    char ok = rc == PVX_OK ? 'y' : 'n';
    if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
    for (int i = 0;; ++i) {  // keep writing until killed
      std::string name = "busy" + std::to_string(i);
      PvxjExecutionServiceCreateWorklist(svc, name.c_str(), Pvx_LT_Private, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, &wl);
    }
  }
  ::close(ready[1]);
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(ok, 'y');
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);

  UseStore(path_);
  Stmt q(store().db(), "SELECT count(*) FROM persistent_lists WHERE name='Committed'");
  q.Step();
  EXPECT_EQ(q.Int(0), 1);
  Stmt check(store().db(), "PRAGMA integrity_check");
  check.Step();
  EXPECT_EQ(check.Text(0), "ok");
  // The killed process's session is still there for anyone to attach to.
  PvxjExecutionService svc = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(svc, "USER3", FormatSessionId(1).c_str()),
            PVX_OK);
}

}  // namespace
}  // namespace pvxjsim
