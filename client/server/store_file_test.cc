// What a store file keeps and how: private modes, password hashes only, an
// older schema refused with a way out, and everything in the file itself
// once the process has ended.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "admin.h"
#include "clock.h"
#include "seed.h"
#include "password.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class StoreFileTest : public ClientTest {};

TEST_F(StoreFileTest, StoreIsPrivateAndItsFolderToo) {
  ::umask(022);
  std::string path = dir_.File("sub/dir/store.db");
  UseStore(path);
  Logon("USER1", "pw1");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((path + "-wal").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(dir_.File("sub/dir").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(StoreFileTest, PasswordsAreSaltedHashesNeverText) {
  std::string path = UseFileStore();
  PvxjExecutionService svc = Logon("USER1", "pw1");
  ASSERT_EQ(PvxjServiceSetPassword(svc, "Secret-Word-42"), PVX_OK);
  Stmt q(store().db(), "SELECT user_id, password_hash FROM persons ORDER BY id");
  std::set<std::string> hashes;
  while (q.Step()) {
    std::string hash = q.Text(1);
    EXPECT_EQ(hash.rfind("$y$", 0), 0u) << q.Text(0);
    hashes.insert(hash);
  }
  EXPECT_EQ(hashes.size(), 6u);  // salted: no two alike
  Client::Get().CloseStore();
  std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.find("Secret-Word-42"), std::string::npos);
  // A salted hash is random text over [./0-9A-Za-z] and holds "pw2" now and
  // then (so may a replaced one the file still carries); the password must
  // not be anywhere else.
  auto in_hash = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '/' || c == '$'; };
  for (size_t at; (at = bytes.find("$y$")) != std::string::npos;) {
    size_t end = at;
    while (end < bytes.size() && in_hash(bytes[end])) ++end;
    bytes.erase(at, end - at);
  }
  EXPECT_EQ(bytes.find("pw2"), std::string::npos);

  PvxjExecutionService again = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&again), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceLogon(again, "USER1", "pw1", 0, 0), PVX_ERROR_PASSWORD);
  EXPECT_EQ(PvxjExecutionServiceLogon(again, "USER1", "Secret-Word-42", 0, 0), PVX_OK);
}

TEST_F(StoreFileTest, LogonIsDeniedUntilTheBlockedTimeHasPassed) {
  Store& s = store();
  {
    WriteTx tx(s);
    std::string error;
    ASSERT_TRUE(LoadSystemDefinition(s, R"({"persons": [ { "userId": "LATE", "password": "x",
        "logonBlockedUntil": "2030-06-01 00:00:00" } ]})", &error)) << error;
    SetClockFixed(s, 1'900'000'000);  // 2030-03-17
    tx.Commit();
  }
  PvxjExecutionService svc = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceLogon(svc, "LATE", "wrong", 0, 0), PVX_ERROR_PASSWORD);
  EXPECT_EQ(PvxjExecutionServiceLogon(svc, "LATE", "x", 0, 0), PVX_ERROR_LOGON_DENIED);
  {
    WriteTx tx(s);
    ASSERT_TRUE(AdvanceClock(s, 90 * 86400));
    tx.Commit();
  }
  EXPECT_EQ(PvxjExecutionServiceLogon(svc, "LATE", "x", 0, 0), PVX_OK);
  Stmt q(s.db(), "SELECT started FROM sessions ORDER BY id DESC LIMIT 1");
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Text(0), "2030-06-15 17:46:40");  // the store's clock, not the wall clock
}

TEST(PasswordTest, HashesCheckOnlyTheirPassword) {
  std::string h = HashPassword("abc");
  EXPECT_TRUE(CheckPassword("abc", h));
  EXPECT_FALSE(CheckPassword("abd", h));
  EXPECT_FALSE(CheckPassword("", h));
  EXPECT_FALSE(CheckPassword(std::string_view("abc\0x", 5), h));
  EXPECT_FALSE(CheckPassword("abc", "abc"));  // a plain text is no hash
  EXPECT_FALSE(CheckPassword("abc", "$y$"));
  EXPECT_NE(HashPassword("abc"), h);
}

TEST_F(StoreFileTest, OlderSchemaIsRefusedWithHowToRebuildIt) {
  std::string path = UseFileStore();
  Logon("USER1", "pw1");
  Client::Get().CloseStore();
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version=1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  std::string error;
  EXPECT_EQ(Store::Open(path, &error), nullptr);
  EXPECT_NE(error.find("version 1"), std::string::npos) << error;
  EXPECT_NE(error.find("pvxjsim --db " + path + " reset"), std::string::npos) << error;

  std::ostringstream out, err;
  EXPECT_EQ(RunAdmin({"--db", path, "reset"}, out, err), 0) << err.str();
  auto store = Store::OpenExisting(path, &error);
  ASSERT_NE(store, nullptr) << error;
}

TEST_F(StoreFileTest, FileAloneHoldsEverythingAfterTheProcessEnds) {
  std::string path = UseFileStore();
  Client::Get().CloseStore();
  pid_t child = ::fork();
  if (child == 0) {
    PvxjExecutionService svc = 0;
    PvxjExecutionServiceAllocate(&svc);
    PvxjExecutionServiceLogon(svc, "USER2", "pw2", 0, 0);
    PvxjWorklist wl = 0;
    int32_t rc = PvxjExecutionServiceCreateWorklist(svc, "KeptInTheFile", Pvx_LT_Private,
                                                    nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, &wl);
    std::exit(rc == PVX_OK ? 0 : 3);  // exit, not _exit: the client closes at exit
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);

  std::string copy = dir_.File("copy.db");
  WriteFile(copy, ReadFile(path));  // the main file only, no -wal
  std::string error;
  auto store = Store::OpenExisting(copy, &error);
  ASSERT_NE(store, nullptr) << error;
  Stmt q(store->db(), "SELECT count(*) FROM persistent_lists WHERE name='KeptInTheFile'");
  q.Step();
  EXPECT_EQ(q.Int(0), 1);
}

TEST_F(StoreFileTest, PreparedStatementsAreReused) {
  Store& s = store();
  sqlite3_stmt* first;
  {
    Stmt q(s.db(), "SELECT count(*) FROM persons");
    q.Step();
    first = sqlite3_next_stmt(s.db(), nullptr);
  }
  int before = 0;
  for (sqlite3_stmt* p = sqlite3_next_stmt(s.db(), nullptr); p; p = sqlite3_next_stmt(s.db(), p))
    ++before;
  for (int i = 0; i < 100; ++i) {
    Stmt q(s.db(), "SELECT count(*) FROM persons");
    ASSERT_TRUE(q.Step());
    EXPECT_EQ(q.Int(0), 6);
    // A second live statement with the same text gets its own.
    Stmt nested(s.db(), "SELECT count(*) FROM persons");
    ASSERT_TRUE(nested.Step());
  }
  int after = 0;
  for (sqlite3_stmt* p = sqlite3_next_stmt(s.db(), nullptr); p; p = sqlite3_next_stmt(s.db(), p))
    ++after;
  EXPECT_EQ(after, before + 1);
  (void)first;
}

}  // namespace
}  // namespace pvxjsim
