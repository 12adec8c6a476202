// The client's state: one SQLite database file (WAL, busy timeout) shared by
// every process that uses the same path.
#ifndef PVXJSIM_STORE_H
#define PVXJSIM_STORE_H

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pvxjsim {

// Raised for every SQLite failure inside the client; the API boundary turns
// it into a return code.
class StoreError : public std::runtime_error {
 public:
  StoreError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

struct StmtCache;

using SqlValue = std::variant<std::monostate, int64_t, double, std::string, std::vector<uint8_t>>;

// A prepared statement. Statements are cached per connection by their SQL
// text: constructing a Stmt takes a cached one when it is free (else prepares
// it), and destroying it resets it and gives it back, so a call that runs the
// same SQL again pays no preparation.
class Stmt {
 public:
  Stmt(sqlite3* db, std::string_view sql);
  ~Stmt();
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  // Binding is 1-based, as in SQLite; each returns *this for chaining.
  Stmt& Bind(int index, int64_t value);
  Stmt& Bind(int index, int value) { return Bind(index, static_cast<int64_t>(value)); }
  Stmt& Bind(int index, double value);
  Stmt& Bind(int index, std::string_view value);
  Stmt& Bind(int index, const char* value);  // nullptr binds NULL
  Stmt& Bind(int index, const std::optional<std::string>& value);
  Stmt& BindBlob(int index, const void* data, size_t size);
  Stmt& BindNull(int index);
  Stmt& Bind(int index, const SqlValue& value);

  // Binds on the first call only, so a loop condition can bind and step:
  // for (Stmt q(db, sql); q.BindOnce(1, id) && q.Step();) ...
  bool BindOnce(int index, int64_t value) {
    if (!bound_once_) Bind(index, value);
    bound_once_ = true;
    return true;
  }

  // Steps once: true when a row is available.
  bool Step();
  // Steps to completion, for statements without rows.
  void Run();

  int64_t Int(int col) const;
  double Double(int col) const;
  std::string Text(int col) const;  // "" for NULL
  std::optional<std::string> OptText(int col) const;
  std::vector<uint8_t> Blob(int col) const;
  bool IsNull(int col) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  StmtCache* cache_ = nullptr;
  bool bound_once_ = false;
  const std::string* key_ = nullptr;
};

class Store {
 public:
  // Opens the store at path (":memory:" for a private in-memory one). An
  // absent or empty file becomes a new store seeded with the sample system;
  // a file that is not a store of this client is refused and left untouched.
  // Returns nullptr and sets *error on failure.
  // With seed false a new store starts empty instead.
  static std::unique_ptr<Store> Open(const std::string& path, std::string* error,
                                     bool seed = true);

  // Like Open, but never creates or seeds: the file must already be a store.
  static std::unique_ptr<Store> OpenExisting(const std::string& path, std::string* error);

  // Like OpenExisting, but also accepts a store of an older schema version,
  // for Reset to rebuild. Nothing but Reset may be done with it.
  static std::unique_ptr<Store> OpenForRebuild(const std::string& path, std::string* error);

  // Checkpoints the write-ahead log into the database file and closes it, so
  // the file alone holds everything. false (with *error) when that failed (a
  // failed sync above all): the latest changes may not be on disk, which the
  // caller must report. Only the destructor may follow.
  bool Close(std::string* error);
  // Close, with nobody to tell.
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  sqlite3* db() const { return db_; }
  const std::string& path() const { return path_; }

  void Exec(const char* sql);
  int64_t LastInsertId() const;
  int Changes() const;

  // Empties the store and seeds it again with the sample system (or leaves it
  // empty).
  void Reset(bool seed = true);

  std::string Meta(const std::string& key) const;
  void SetMeta(const std::string& key, const std::string& value);

 private:
  Store(sqlite3* db, std::string path);
  enum OpenMode { kCreate, kExisting, kRebuild };
  static std::unique_ptr<Store> OpenImpl(const std::string& path, OpenMode mode, bool seed,
                                         std::string* error);
  void CreateSchema();

  sqlite3* db_;
  std::string path_;
  std::unique_ptr<StmtCache> cache_;
};

// A write transaction. BEGIN IMMEDIATE takes the write lock up front so two
// processes never deadlock upgrading read locks; the busy timeout queues them.
class WriteTx {
 public:
  explicit WriteTx(Store& store);
  ~WriteTx();
  void Commit();

 private:
  Store& store_;
  bool done_ = false;
};

// Path of the store: $PVXJSIM_DB, else $XDG_DATA_HOME/pvxjsim/store.db, else
// $HOME/.local/share/pvxjsim/store.db, else ./pvxjsim-store.db.
std::string DefaultStorePath();

// Real UTC time as "YYYY-MM-DD HH:MM:SS", the form every time column holds.
// Server times come from the store's clock (clock.h), not from here.
std::string NowText();

// Version 2 added the runtime model (instances, items, containers, the
// clock) and salted password hashes; version 3 the query indexes (a version 2
// store is given them when it is opened).
constexpr int kSchemaVersion = 4;
constexpr int32_t kApplicationId = 0x50564A53;  // identifies our files

}  // namespace pvxjsim

#endif
