#include "store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unordered_map>

#include "schema.sql.h"
#include "seed.h"

namespace pvxjsim {

namespace {

[[noreturn]] void Fail(sqlite3* db, int rc, std::string_view what) {
  std::string msg(what);
  msg += ": ";
  msg += db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  throw StoreError(rc, msg);
}

// mkdir -p for the directory part of path; failures surface when SQLite
// tries to open the file.
void MakeParentDirs(const std::string& path) {
  for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
    std::string dir = path.substr(0, pos);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

// Free prepared statements of one connection, by SQL text. A statement in use
// is not in its list, so two live Stmts with the same SQL get two statements.
struct StmtCache {
  std::unordered_map<std::string, std::vector<sqlite3_stmt*>> free;
  ~StmtCache() {
    for (auto& [sql, list] : free)
      for (sqlite3_stmt* s : list) sqlite3_finalize(s);
  }
};

namespace {

// Connections are found by their sqlite3* because Stmt is built from one.
std::mutex g_cache_mu;
std::unordered_map<sqlite3*, StmtCache*>& Caches() {
  static auto* caches = new std::unordered_map<sqlite3*, StmtCache*>;
  return *caches;
}

}  // namespace

Stmt::Stmt(sqlite3* db, std::string_view sql) : db_(db) {
  {
    std::lock_guard<std::mutex> lock(g_cache_mu);
    auto it = Caches().find(db);
    if (it != Caches().end()) {
      cache_ = it->second;
      auto entry = cache_->free.try_emplace(std::string(sql)).first;
      key_ = &entry->first;
      if (!entry->second.empty()) {
        stmt_ = entry->second.back();
        entry->second.pop_back();
        return;
      }
    }
  }
  int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (rc != SQLITE_OK) Fail(db, rc, "prepare");
}

Stmt::~Stmt() {
  if (!stmt_) return;
  if (cache_) {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    std::lock_guard<std::mutex> lock(g_cache_mu);
    // The store may have been closed while this Stmt lived.
    auto it = Caches().find(db_);
    if (it != Caches().end() && it->second == cache_) {
      cache_->free[*key_].push_back(stmt_);
      return;
    }
  }
  sqlite3_finalize(stmt_);
}

Stmt& Stmt::Bind(int index, int64_t value) {
  int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) Fail(db_, rc, "bind");
  return *this;
}

Stmt& Stmt::Bind(int index, double value) {
  int rc = sqlite3_bind_double(stmt_, index, value);
  if (rc != SQLITE_OK) Fail(db_, rc, "bind");
  return *this;
}

Stmt& Stmt::Bind(int index, std::string_view value) {
  int rc = sqlite3_bind_text64(stmt_, index, value.data(), value.size(), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
  if (rc != SQLITE_OK) Fail(db_, rc, "bind");
  return *this;
}

Stmt& Stmt::Bind(int index, const char* value) {
  if (!value) return BindNull(index);
  return Bind(index, std::string_view(value));
}

Stmt& Stmt::Bind(int index, const std::optional<std::string>& value) {
  if (!value) return BindNull(index);
  return Bind(index, std::string_view(*value));
}

Stmt& Stmt::BindBlob(int index, const void* data, size_t size) {
  int rc = sqlite3_bind_blob64(stmt_, index, size ? data : "", size, SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) Fail(db_, rc, "bind");
  return *this;
}

Stmt& Stmt::BindNull(int index) {
  int rc = sqlite3_bind_null(stmt_, index);
  if (rc != SQLITE_OK) Fail(db_, rc, "bind");
  return *this;
}

Stmt& Stmt::Bind(int index, const SqlValue& value) {
  switch (value.index()) {
    case 0:
      return BindNull(index);
    case 1:
      return Bind(index, std::get<int64_t>(value));
    case 2:
      return Bind(index, std::get<double>(value));
    case 3:
      return Bind(index, std::string_view(std::get<std::string>(value)));
    default: {
      const auto& b = std::get<std::vector<uint8_t>>(value);
      return BindBlob(index, b.data(), b.size());
    }
  }
}

bool Stmt::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, rc, "step");
}

void Stmt::Run() {
  while (Step()) {
  }
}

int64_t Stmt::Int(int col) const { return sqlite3_column_int64(stmt_, col); }
double Stmt::Double(int col) const { return sqlite3_column_double(stmt_, col); }

std::string Stmt::Text(int col) const {
  const unsigned char* p = sqlite3_column_text(stmt_, col);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, col)));
}

std::optional<std::string> Stmt::OptText(int col) const {
  if (IsNull(col)) return std::nullopt;
  return Text(col);
}

std::vector<uint8_t> Stmt::Blob(int col) const {
  const void* p = sqlite3_column_blob(stmt_, col);
  int n = sqlite3_column_bytes(stmt_, col);
  if (!p || n <= 0) return {};
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return std::vector<uint8_t>(b, b + n);
}

bool Stmt::IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }

// ---------------------------------------------------------------------------

std::unique_ptr<Store> Store::Open(const std::string& path, std::string* error, bool seed) {
  if (path.empty() || path == ":memory:") return OpenImpl(path, kCreate, seed, error);
  // Processes that open one store at the same moment take turns: creating,
  // seeding and switching a new store to WAL is not safe to interleave, and
  // SQLite may answer a journal-mode change with an immediate "busy".
  MakeParentDirs(path);
  int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  std::unique_ptr<Store> store = OpenImpl(path, kCreate, seed, error);
  if (fd >= 0) ::close(fd);  // closing releases the lock
  return store;
}

std::unique_ptr<Store> Store::OpenExisting(const std::string& path, std::string* error) {
  return OpenImpl(path, kExisting, true, error);
}

std::unique_ptr<Store> Store::OpenForRebuild(const std::string& path, std::string* error) {
  return OpenImpl(path, kRebuild, true, error);
}

std::unique_ptr<Store> Store::OpenImpl(const std::string& path, OpenMode mode, bool seed,
                                       std::string* error) {
  const bool memory = path == ":memory:";
  const bool create = mode == kCreate;
  if (path.empty()) {
    *error = "no store path";
    return nullptr;
  }
  if (!memory) {
    struct stat st;
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && !create) {
      *error = "store " + path + " does not exist";
      return nullptr;
    }
    if (exists && !S_ISREG(st.st_mode)) {
      *error = path + " is not a regular file";
      return nullptr;
    }
    if (!exists && create) {
      // Created here rather than by SQLite so that it is private from the
      // start: the store holds password hashes and every user's work. The
      // journal files SQLite makes beside it take the same mode.
      MakeParentDirs(path);
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd >= 0) ::close(fd);
    }
  }

  sqlite3* raw = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  // PVXJSIM_VFS names a registered SQLite VFS; only the fault-injection tests set it.
  const char* vfs = std::getenv("PVXJSIM_VFS");
  int rc = sqlite3_open_v2(path.c_str(), &raw, flags, vfs && *vfs ? vfs : nullptr);
  if (rc != SQLITE_OK) {
    *error = "cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    sqlite3_close(raw);
    return nullptr;
  }
  std::unique_ptr<Store> store(new Store(raw, path));
  sqlite3_busy_timeout(raw, 10000);
  sqlite3_extended_result_codes(raw, 1);

  try {
    // Read the header before writing anything, so a foreign or damaged file
    // is refused without being touched.
    auto inspect = [&](int64_t* app_id, int64_t* version, int64_t* objects) {
      Stmt a(raw, "PRAGMA application_id");
      a.Step();
      *app_id = a.Int(0);
      Stmt v(raw, "PRAGMA user_version");
      v.Step();
      *version = v.Int(0);
      Stmt n(raw, "SELECT count(*) FROM sqlite_master");
      n.Step();
      *objects = n.Int(0);
    };
    int64_t app_id = 0, version = 0, objects = 0;
    inspect(&app_id, &version, &objects);

    bool fresh = app_id == 0 && objects == 0;
    if (!fresh && app_id != kApplicationId) {
      *error = path + " is not a pvxjsim store";
      return nullptr;
    }
    if (fresh && !create) {
      *error = path + " is empty, not a pvxjsim store";
      return nullptr;
    }
    // Version 2 differs by the query indexes, versions 2 and 3 by the name
    // label columns and the program columns of version 4, which are added
    // below.
    const bool upgrade = !fresh && (version == 2 || version == 3);
    if (!fresh && version != kSchemaVersion && !upgrade &&
        !(mode == kRebuild && version < kSchemaVersion)) {
      *error = path + " has store schema version " + std::to_string(version) +
               ", this client needs " + std::to_string(kSchemaVersion);
      if (version < kSchemaVersion)
        *error += "; rebuild it with: pvxjsim --db " + path +
                  " reset (this discards its contents), or remove the file";
      return nullptr;
    }
    if (!memory) store->Exec("PRAGMA journal_mode=WAL");
    store->Exec("PRAGMA synchronous=NORMAL");
    store->Exec("PRAGMA foreign_keys=ON");
    // 16 MiB of page cache: a store with tens of thousands of instances
    // otherwise rereads its index pages on every call.
    store->Exec("PRAGMA cache_size=-16384");

    if (upgrade) {
      WriteTx tx(*store);
      // Another process may have upgraded it while we waited for the lock.
      inspect(&app_id, &version, &objects);
      if (version == 2) {
        store->Exec(kUpgradeFrom2Sql);
        store->Exec(kQueryIndexesSql);
      }
      if (version == 2 || version == 3) {
        for (const auto& [column, value] : kLayoutNameColumns) {
          Stmt has(raw, std::string("SELECT 1 FROM pragma_table_info('activities') WHERE name='") +
                            column + "'");
          if (has.Step()) continue;
          store->Exec((std::string("ALTER TABLE activities ADD COLUMN ") + column +
                       " INTEGER NOT NULL DEFAULT 0").c_str());
          store->Exec((std::string("UPDATE activities SET ") + column + " = " + value).c_str());
        }
        for (const AddedColumn& c : kAddedInVersion4) {
          bool present;
          {
            Stmt has(raw, std::string("SELECT 1 FROM pragma_table_info('") + c.table +
                              "') WHERE name='" + c.column + "'");
            present = has.Step();
          }
          if (!present)
            store->Exec((std::string("ALTER TABLE ") + c.table + " ADD COLUMN " + c.column + " " +
                         c.type).c_str());
        }
        store->Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
      }
      tx.Commit();
    }
    if (fresh) {
      WriteTx tx(*store);
      // Another process may have created the store while we waited for the
      // write lock; look again inside the transaction.
      inspect(&app_id, &version, &objects);
      if (app_id == 0 && objects == 0) {
        store->CreateSchema();
        if (seed) SeedSampleSystem(*store);
        tx.Commit();
      } else if (app_id != kApplicationId) {
        *error = path + " is not a pvxjsim store";
        return nullptr;
      }
    }
  } catch (const StoreError& e) {
    if ((e.code() & 0xff) == SQLITE_NOTADB)
      *error = path + " is not a pvxjsim store (not a database)";
    else
      *error = path + ": " + e.what();
    return nullptr;
  } catch (const std::exception& e) {
    *error = path + ": " + e.what();
    return nullptr;
  }
  return store;
}

Store::Store(sqlite3* db, std::string path)
    : db_(db), path_(std::move(path)), cache_(std::make_unique<StmtCache>()) {
  std::lock_guard<std::mutex> lock(g_cache_mu);
  Caches()[db_] = cache_.get();
}

bool Store::Close(std::string* error) {
  if (!db_) return true;
  {
    std::lock_guard<std::mutex> lock(g_cache_mu);
    Caches().erase(db_);
    cache_.reset();
  }
  // The last connection to close checkpoints anyway, but says nothing when
  // that fails; doing it here first is what lets a failed write (a failed
  // sync above all) be reported. It also covers a store another process
  // still holds open.
  bool ok = true;
  if (path_ != ":memory:") {
    char* msg = nullptr;
    int rc = sqlite3_exec(db_, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
      ok = false;
      *error = path_ + ": writing the store back to its file failed (" +
               (msg ? msg : sqlite3_errstr(rc)) + "); its latest changes may not be on disk";
    }
    sqlite3_free(msg);
  }
  sqlite3_close_v2(db_);
  db_ = nullptr;
  return ok;
}

Store::~Store() {
  std::string ignored;
  Close(&ignored);
}

void Store::CreateSchema() {
  Exec(kSchemaSql);
  Exec(kQueryIndexesSql);
  Exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
  Exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
}

void Store::Exec(const char* sql) {
  char* msg = nullptr;
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &msg);
  if (rc != SQLITE_OK) {
    std::string text = msg ? msg : sqlite3_errstr(rc);
    sqlite3_free(msg);
    throw StoreError(rc, text);
  }
}

int64_t Store::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }
int Store::Changes() const { return sqlite3_changes(db_); }

void Store::Reset(bool seed) {
  // Foreign keys would turn each DROP into checked deletes; the switch only
  // works outside a transaction.
  Exec("PRAGMA foreign_keys=OFF");
  try {
    WriteTx tx(*this);
    // The clock is the operator's setting, not the store's contents: a fixed
    // or shifted clock stays as it was.
    std::vector<std::pair<std::string, std::string>> clock;
    try {
      Stmt c(db_, "SELECT key, value FROM meta WHERE key IN ('clock_fixed', 'clock_offset')");
      while (c.Step()) clock.emplace_back(c.Text(0), c.Text(1));
    } catch (const StoreError&) {
      // A store too old or too damaged to have one: real time.
    }
    std::vector<std::string> tables;
    {
      Stmt s(db_,
             "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%'");
      while (s.Step()) tables.push_back(s.Text(0));
    }
    for (const std::string& t : tables) {
      std::string sql = "DROP TABLE \"" + t + "\"";
      Exec(sql.c_str());
    }
    // AUTOINCREMENT counters restart so a reset store hands out the same
    // identifiers as a new one.
    {
      Stmt s(db_, "SELECT count(*) FROM sqlite_master WHERE name='sqlite_sequence'");
      s.Step();
      if (s.Int(0)) Exec("DELETE FROM sqlite_sequence");
    }
    CreateSchema();
    for (const auto& [key, value] : clock) SetMeta(key, value);
    if (seed) SeedSampleSystem(*this);
    tx.Commit();
  } catch (...) {
    Exec("PRAGMA foreign_keys=ON");
    throw;
  }
  Exec("PRAGMA foreign_keys=ON");
}

std::string Store::Meta(const std::string& key) const {
  Stmt s(db_, "SELECT value FROM meta WHERE key=?");
  s.Bind(1, std::string_view(key));
  return s.Step() ? s.Text(0) : std::string();
}

void Store::SetMeta(const std::string& key, const std::string& value) {
  Stmt s(db_, "INSERT INTO meta(key,value) VALUES(?,?) "
              "ON CONFLICT(key) DO UPDATE SET value=excluded.value");
  s.Bind(1, std::string_view(key)).Bind(2, std::string_view(value)).Run();
}

// ---------------------------------------------------------------------------

WriteTx::WriteTx(Store& store) : store_(store) { Stmt(store_.db(), "BEGIN IMMEDIATE").Run(); }

WriteTx::~WriteTx() {
  if (!done_) sqlite3_exec(store_.db(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void WriteTx::Commit() {
  Stmt(store_.db(), "COMMIT").Run();
  done_ = true;
}

std::string DefaultStorePath() {
  const char* env = std::getenv("PVXJSIM_DB");
  if (env && *env) return env;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/pvxjsim/store.db";
  const char* home = std::getenv("HOME");
  if (home && *home) return std::string(home) + "/.local/share/pvxjsim/store.db";
  return "pvxjsim-store.db";
}

std::string NowText() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace pvxjsim
