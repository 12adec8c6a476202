#include "admin.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fstream>
#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

#include "clock.h"
#include "console.h"
#include "deadlines.h"
#include "seed.h"
#include "session_id.h"
#include "store.h"

namespace pvxjsim {

namespace {

constexpr const char* kUsage =
    "usage: pvxjsim [--db PATH] COMMAND [ARGS] [--json]\n"
    "\n"
    "commands:\n"
    "  create [--empty]   create a new store holding the sample system (or nothing)\n"
    "  reset [--empty]    empty the store and give it the sample system again\n"
    "  load FILE.json     add a system definition to the store (created if absent)\n"
    "  check FILE.json    validate a definition against the store, changing nothing\n"
    "  dump               write the store's definitions in the definition format\n"
    "  show               list users, process templates, stored lists, sessions and agents\n"
    "  show instance NAME an instance's state, its activities and container values\n"
    "  clock [set TIME | advance DURATION | real]\n"
    "                     show or set the server's clock\n"
    "  start TEMPLATE [--user U] [--set MEMBER=VALUE ...]\n"
    "                     create and start an instance; prints its name\n"
    "  items [--user U]   list work items and notifications\n"
    "  finish ITEM [--rc N] [--set MEMBER=VALUE ...]\n"
    "                     finish a work item as its owner; navigation follows\n"
    "  execute ITEM       run a work item's program as the agent would (simulate\n"
    "                     rule or executable); its return code finishes the item\n"
    "  checkout ITEM [--platform P] [--data common|specified|all] [--stream FILE]\n"
    "                     check a work item out as its owner and show its program\n"
    "                     data (FILE: the program data stream); --cancel undoes it\n"
    "  checkin ITEM [--rc N] [--set MEMBER=VALUE ...]\n"
    "                     check a checked-out work item in; navigation follows\n"
    "  activity ACTION ID restart (in error), force-finish, force-restart, finish or\n"
    "                     reexecute (after a manual exit) or reschedule an activity\n"
    "                     instance (ID: its id in show instance)\n"
    "  item ACTION ITEM [ARG]\n"
    "                     terminate, hold ARG (until \"YYYY-MM-DD HH:MM:SS\"), release,\n"
    "                     transfer ARG or duplicate ARG (to a user) a work item\n"
    "  help               show this text\n"
    "\n"
    "The store is PATH, else $PVXJSIM_DB, else $XDG_DATA_HOME/pvxjsim/store.db,\n"
    "else $HOME/.local/share/pvxjsim/store.db.\n";

bool NonEmptyFileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_size > 0);
}

const char* ListKindName(int64_t kind) {
  switch (kind) {
    case 1: return "worklist";
    case 2: return "process template list";
    case 3: return "process instance list";
    case 4: return "activity instance list";
    default: return "list";
  }
}

void Show(Store& store, std::ostream& out, bool json) {
  sqlite3* db = store.db();
  if (json) {
    // The same facts for scripts; texts as stored (JSON escapes them).
    nlohmann::ordered_json j;
    j["store"] = store.path();
    j["system"] = store.Meta("system_name");
    j["systemGroup"] = store.Meta("system_group_name");
    j["now"] = ClockNow(store);
    for (Stmt q(db, "SELECT user_id FROM persons ORDER BY user_id"); q.Step();)
      j["users"].push_back(q.Text(0));
    for (Stmt q(db, "SELECT name, valid_from FROM process_templates ORDER BY name, valid_from");
         q.Step();)
      j["processTemplates"].push_back({{"name", q.Text(0)}, {"validFrom", q.Text(1)}});
    for (Stmt q(db, "SELECT name, state FROM process_instances ORDER BY id"); q.Step();)
      j["processInstances"].push_back({{"name", q.Text(0)}, {"state", ProcessStateName(q.Int(1))}});
    out << j.dump() << "\n";
    return;
  }
  out << "Store: " << Escaped(store.path()) << "\n";
  out << "System: " << Escaped(store.Meta("system_name"))
      << "  group: " << Escaped(store.Meta("system_group_name")) << "\n";

  {
    Stmt n(db, "SELECT count(*) FROM persons");
    n.Step();
    out << "\nUsers (" << n.Int(0) << "):\n";
    Stmt q(db,
           "SELECT p.user_id, trim(coalesce(p.first_name,'') || ' ' || coalesce(p.last_name,'')),"
           " p.is_admin, p.manager, p.absent, p.organization,"
           " (SELECT group_concat(name, ', ') FROM (SELECT r.name FROM person_roles pr"
           "  JOIN roles r ON r.id = pr.role_id WHERE pr.person_id = p.id ORDER BY r.name))"
           " FROM persons p ORDER BY p.user_id");
    while (q.Step()) {
      out << "  " << std::left << std::setw(10) << Escaped(q.Text(0)) << std::setw(18) << Escaped(q.Text(1));
      if (q.Int(2)) out << " administrator";
      if (!q.IsNull(3)) out << " manager " << Escaped(q.Text(3));
      if (!q.IsNull(5)) out << " organization \"" << Escaped(q.Text(5)) << "\"";
      if (!q.IsNull(6)) out << " roles " << Escaped(q.Text(6));
      if (q.Int(4)) out << " absent";
      out << "\n";
    }
  }
  {
    Stmt n(db, "SELECT count(*) FROM process_templates");
    n.Step();
    out << "\nProcess templates (" << n.Int(0) << "):\n";
    Stmt q(db,
           "SELECT t.name, t.valid_from, t.category,"
           " (SELECT group_concat(name, ', ') FROM (SELECT a.name FROM activities a"
           "  WHERE a.template_id = t.id ORDER BY a.position))"
           " FROM process_templates t ORDER BY t.name, t.valid_from");
    while (q.Step()) {
      out << "  " << std::left << std::setw(18) << Escaped(q.Text(0)) << " valid from " << Escaped(q.Text(1));
      if (!q.IsNull(2)) out << "  category " << Escaped(q.Text(2));
      out << "\n    activities: " << Escaped(q.Text(3)) << "\n";
    }
  }
  {
    Stmt n(db, "SELECT count(*) FROM persistent_lists");
    n.Step();
    out << "\nStored lists (" << n.Int(0) << "):\n";
    Stmt q(db, "SELECT kind, name, list_type, owner, filter, sort_criteria, threshold"
               " FROM persistent_lists ORDER BY id");
    while (q.Step()) {
      out << "  " << ListKindName(q.Int(0)) << " \"" << Escaped(q.Text(1)) << "\" "
          << (q.Int(2) == 1 ? "public" : "private");
      if (!q.IsNull(3)) out << " owner " << Escaped(q.Text(3));
      if (!q.IsNull(4)) out << " filter \"" << Escaped(q.Text(4)) << "\"";
      if (!q.IsNull(5)) out << " sort \"" << Escaped(q.Text(5)) << "\"";
      if (!q.IsNull(6)) out << " threshold " << q.Int(6);
      out << "\n";
    }
  }
  {
    Stmt n(db, "SELECT count(*) FROM sessions");
    n.Step();
    out << "\nSessions (" << n.Int(0) << "):\n";
    Stmt q(db, "SELECT s.id, p.user_id, s.mode, s.started, s.pid FROM sessions s"
               " JOIN persons p ON p.id = s.person_id ORDER BY s.id");
    while (q.Step())
      out << "  " << FormatSessionId(q.Int(0)) << "  " << std::left << std::setw(10)
          << Escaped(q.Text(1)) << " mode " << q.Int(2) << "  since " << Escaped(q.Text(3)) << "  pid "
          << q.Int(4) << "\n";
  }
  {
    Stmt n(db, "SELECT count(*) FROM peas");
    n.Step();
    out << "\nProgram execution agents (" << n.Int(0) << "):\n";
    Stmt q(db, "SELECT p.user_id, a.started FROM peas a JOIN persons p ON p.id = a.person_id"
               " ORDER BY p.user_id");
    while (q.Step()) out << "  " << std::left << std::setw(10) << Escaped(q.Text(0))
                         << " since " << Escaped(q.Text(1)) << "\n";
  }
}

}  // namespace

namespace {

struct Args {
  std::string db_path;
  bool json = false;
  std::vector<std::string> words;  // command and its words, options removed
  std::vector<std::pair<std::string, std::string>> options;  // --name value
  bool Has(const std::string& name) const {
    for (const auto& o : options)
      if (o.first == name) return true;
    return false;
  }
  std::optional<std::string> Get(const std::string& name) const {
    for (const auto& o : options)
      if (o.first == name) return o.second;
    return std::nullopt;
  }
};

// Options that take a value; --empty, --cancel and --json take none.
bool TakesValue(const std::string& name) {
  return name == "--db" || name == "--user" || name == "--set" || name == "--rc" ||
         name == "--platform" || name == "--data" || name == "--stream";
}

std::optional<Args> ParseArgs(const std::vector<std::string>& args, std::ostream& err) {
  Args a;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& w = args[i];
    if (w.rfind("--db=", 0) == 0) {
      a.db_path = w.substr(5);
    } else if (w == "--json") {
      a.json = true;
    } else if (w == "--empty" || w == "--cancel") {
      a.options.emplace_back(w, "");
    } else if (w.rfind("--", 0) == 0 && TakesValue(w)) {
      if (i + 1 >= args.size()) {
        err << "pvxjsim: " << w << " needs a value\n" << kUsage;
        return std::nullopt;
      }
      if (w == "--db")
        a.db_path = args[++i];
      else
        a.options.emplace_back(w, args[++i]);
    } else if (w.rfind("--", 0) == 0 && w != "--help") {
      err << "pvxjsim: unknown option \"" << w << "\"\n" << kUsage;
      return std::nullopt;
    } else {
      a.words.push_back(w);
    }
  }
  return a;
}

// The largest definition file load and check read; the sample system is 12 KiB.
constexpr size_t kMaxDefinitionBytes = 16 << 20;

// A definition file: a plain file (or a pipe) of at most kMaxDefinitionBytes.
// A directory or a device is refused before it is read. false with *error.
bool ReadDefinitionFile(const std::string& path, std::string* text, std::string* error) {
  // Not blocking on the open: a FIFO with no writer would wait for good.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && !S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
    *error = "cannot read " + path + ": " +
             (S_ISDIR(st.st_mode) ? "a directory" : "not a plain file") +
             ", not a definition";
    ::close(fd);
    return false;
  }
  if (ok && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) > kMaxDefinitionBytes) {
    *error = path + " is larger than " + std::to_string(kMaxDefinitionBytes >> 20) +
             " MiB, the most a definition may be";
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  text->clear();
  char buf[65536];
  while (ok) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    text->append(buf, static_cast<size_t>(n));
    // A file may grow while it is read, and a pipe has no size to check.
    if (text->size() > kMaxDefinitionBytes) {
      *error = path + " is larger than " + std::to_string(kMaxDefinitionBytes >> 20) +
               " MiB, the most a definition may be";
      ::close(fd);
      return false;
    }
  }
  if (!ok) *error = "cannot read " + path + ": " + std::strerror(errno);
  ::close(fd);
  return ok;
}

int Clock(Store& store, const Args& a, std::ostream& out, std::ostream& err) {
  const auto& w = a.words;
  if (w.size() >= 2) {
    WriteTx tx(store);
    if (w[1] == "set" && w.size() == 3) {
      int64_t t;
      if (!ParseTimeText(w[2], &t)) {
        err << "pvxjsim: \"" << Escaped(w[2]) << "\" is not a time YYYY-MM-DD[ HH:MM:SS]\n";
        return 1;
      }
      SetClockFixed(store, t);
    } else if (w[1] == "advance" && w.size() == 3) {
      int64_t d;
      if (!ParseDuration(w[2], &d)) {
        err << "pvxjsim: \"" << Escaped(w[2]) << "\" is not a duration (e.g. 90, 15m, 2h, 1d12h)\n";
        return 1;
      }
      if (!AdvanceClock(store, d)) {
        err << "pvxjsim: advancing the clock by \"" << Escaped(w[2])
            << "\" would take it past 9999-12-31 23:59:59\n";
        return 1;
      }
    } else if (w[1] == "real" && w.size() == 2) {
      SetClockReal(store);
    } else {
      err << "pvxjsim: clock takes set TIME, advance DURATION or real\n" << kUsage;
      return 2;
    }
    // Moving the clock is when deadlines fall due.
    CheckDeadlines(store);
    tx.Commit();
  }
  ClockSetting c = ReadClock(store);
  std::string now = ClockNow(store);
  if (a.json) {
    nlohmann::ordered_json j;
    j["now"] = now;
    j["mode"] = c.fixed ? "fixed" : "real";
    if (!c.fixed) j["offsetSeconds"] = c.offset;
    out << j.dump() << "\n";
  } else {
    out << now << (c.fixed ? " (fixed)" : c.offset ? " (real, shifted)" : " (real)") << "\n";
  }
  return 0;
}

int Run(const Args& a, std::ostream& out, std::ostream& err) {
  const std::string& command = a.words[0];
  const std::string& db_path = a.db_path;
  std::string error;
  auto done = [&](const char* what, const std::string& detail) {
    if (a.json) {
      nlohmann::ordered_json j;
      j[what] = detail;
      out << j.dump() << "\n";
    } else {
      out << what << " " << detail << "\n";
    }
    return 0;
  };

  if (command == "create") {
    if (db_path != ":memory:" && NonEmptyFileExists(db_path)) {
      err << "pvxjsim: " << db_path << " already exists; use reset to start it afresh\n";
      return 1;
    }
    auto store = Store::Open(db_path, &error, !a.Has("--empty"));
    if (!store) {
      err << "pvxjsim: " << error << "\n";
      return 1;
    }
    return done("created", db_path);
  }

  if (command == "load" || command == "check") {
    std::string text;
    if (!ReadDefinitionFile(a.words[1], &text, &error)) {
      err << "pvxjsim: " << Escaped(error) << "\n";
      return 1;
    }
    std::unique_ptr<Store> store;
    if (command == "check" && !NonEmptyFileExists(db_path))
      store = Store::Open(":memory:", &error);  // against the sample system
    else
      store = command == "load" ? Store::Open(db_path, &error)
                                : Store::OpenExisting(db_path, &error);
    if (!store) {
      err << "pvxjsim: " << error << "\n";
      return 1;
    }
    WriteTx tx(*store);
    if (!LoadSystemDefinition(*store, text, &error)) {
      err << "pvxjsim: " << a.words[1] << ": " << Escaped(error) << "\n";
      return 1;  // the transaction rolls back: the store is unchanged
    }
    if (command == "check") return done("valid", a.words[1]);  // rolled back
    tx.Commit();
    return done("loaded", a.words[1] + " into " + db_path);
  }

  auto store = command == "reset" ? Store::OpenForRebuild(db_path, &error)
                                  : Store::OpenExisting(db_path, &error);
  if (!store) {
    err << "pvxjsim: " << error << "\n";
    return 1;
  }
  if (command == "reset") {
    store->Reset(!a.Has("--empty"));
    return done("reset", db_path);
  }
  if (command == "dump") {
    out << DumpSystemDefinition(*store);
    return 0;
  }
  if (command == "clock") return Clock(*store, a, out, err);
  if (command == "show" && a.words.size() == 1) {
    Show(*store, out, a.json);
    return 0;
  }
  return RunRuntimeCommand(*store, a.words, a.options, a.json, out, err);
}

}  // namespace

int RunAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::optional<Args> parsed = ParseArgs(args, err);
  if (!parsed) return 2;
  Args& a = *parsed;
  if (a.words.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& command = a.words[0];
  if (command == "help" || command == "--help" || command == "-h") {
    out << kUsage;
    return 0;
  }
  struct Shape {
    const char* name;
    size_t min, max;
  };
  static const Shape kShapes[] = {{"create", 1, 1}, {"reset", 1, 1},  {"load", 2, 2},
                                  {"check", 2, 2},  {"dump", 1, 1},   {"show", 1, 3},
                                  {"clock", 1, 3},  {"start", 2, 2},  {"items", 1, 1},
                                  {"finish", 2, 2}, {"execute", 2, 2}, {"checkout", 2, 2},
                                  {"checkin", 2, 2}, {"activity", 3, 3}, {"item", 3, 4}};
  const Shape* shape = nullptr;
  for (const Shape& s : kShapes)
    if (command == s.name) shape = &s;
  if (!shape) {
    err << "pvxjsim: unknown command \"" << Escaped(command) << "\"\n" << kUsage;
    return 2;
  }
  if (a.words.size() < shape->min || a.words.size() > shape->max ||
      (command == "show" && a.words.size() != 1 &&
       (a.words.size() != 3 || a.words[1] != "instance"))) {
    err << "pvxjsim: wrong number of arguments for " << command << "\n" << kUsage;
    return 2;
  }
  if (a.db_path.empty()) a.db_path = DefaultStorePath();
  try {
    return Run(a, out, err);
  } catch (const StoreError& e) {
    err << "pvxjsim: " << a.db_path << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace pvxjsim
