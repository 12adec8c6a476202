#include "admin.h"

#include <sys/stat.h>

#include <fstream>
#include <iomanip>
#include <sstream>

#include "seed.h"
#include "session_id.h"
#include "store.h"

namespace pvxjsim {

namespace {

constexpr const char* kUsage =
    "usage: pvxjsim [--db PATH] COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  create          create a new store holding the sample system\n"
    "  reset           empty the store and give it the sample system again\n"
    "  load FILE.json  add a system definition to the store (created if absent)\n"
    "  show            list users, process templates, stored lists, sessions and agents\n"
    "  help            show this text\n"
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

void Show(Store& store, std::ostream& out) {
  sqlite3* db = store.db();
  out << "Store: " << store.path() << "\n";
  out << "System: " << store.Meta("system_name")
      << "  group: " << store.Meta("system_group_name") << "\n";

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
      out << "  " << std::left << std::setw(10) << q.Text(0) << std::setw(18) << q.Text(1);
      if (q.Int(2)) out << " administrator";
      if (!q.IsNull(3)) out << " manager " << q.Text(3);
      if (!q.IsNull(5)) out << " organization \"" << q.Text(5) << "\"";
      if (!q.IsNull(6)) out << " roles " << q.Text(6);
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
      out << "  " << std::left << std::setw(18) << q.Text(0) << " valid from " << q.Text(1);
      if (!q.IsNull(2)) out << "  category " << q.Text(2);
      out << "\n    activities: " << q.Text(3) << "\n";
    }
  }
  {
    Stmt n(db, "SELECT count(*) FROM persistent_lists");
    n.Step();
    out << "\nStored lists (" << n.Int(0) << "):\n";
    Stmt q(db, "SELECT kind, name, list_type, owner, filter, sort_criteria, threshold"
               " FROM persistent_lists ORDER BY id");
    while (q.Step()) {
      out << "  " << ListKindName(q.Int(0)) << " \"" << q.Text(1) << "\" "
          << (q.Int(2) == 1 ? "public" : "private");
      if (!q.IsNull(3)) out << " owner " << q.Text(3);
      if (!q.IsNull(4)) out << " filter \"" << q.Text(4) << "\"";
      if (!q.IsNull(5)) out << " sort \"" << q.Text(5) << "\"";
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
          << q.Text(1) << " mode " << q.Int(2) << "  since " << q.Text(3) << "  pid "
          << q.Int(4) << "\n";
  }
  {
    Stmt n(db, "SELECT count(*) FROM peas");
    n.Step();
    out << "\nProgram execution agents (" << n.Int(0) << "):\n";
    Stmt q(db, "SELECT p.user_id, a.started FROM peas a JOIN persons p ON p.id = a.person_id"
               " ORDER BY p.user_id");
    while (q.Step()) out << "  " << std::left << std::setw(10) << q.Text(0)
                         << " since " << q.Text(1) << "\n";
  }
}

}  // namespace

int RunAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string db_path;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db") {
      if (i + 1 >= args.size()) {
        err << "pvxjsim: --db needs a path\n" << kUsage;
        return 2;
      }
      db_path = args[++i];
    } else if (args[i].rfind("--db=", 0) == 0) {
      db_path = args[i].substr(5);
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.empty()) {
    err << kUsage;
    return 2;
  }
  const std::string& command = rest[0];
  if (command == "help" || command == "--help" || command == "-h") {
    out << kUsage;
    return 0;
  }
  size_t want_args = command == "load" ? 2 : 1;
  if (command != "create" && command != "reset" && command != "load" && command != "show") {
    err << "pvxjsim: unknown command \"" << command << "\"\n" << kUsage;
    return 2;
  }
  if (rest.size() != want_args) {
    err << "pvxjsim: wrong number of arguments for " << command << "\n" << kUsage;
    return 2;
  }
  if (db_path.empty()) db_path = DefaultStorePath();

  std::string error;
  try {
    if (command == "create") {
      if (db_path != ":memory:" && NonEmptyFileExists(db_path)) {
        err << "pvxjsim: " << db_path << " already exists; use reset to start it afresh\n";
        return 1;
      }
      auto store = Store::Open(db_path, &error);
      if (!store) {
        err << "pvxjsim: " << error << "\n";
        return 1;
      }
      out << "created " << db_path << "\n";
      return 0;
    }

    if (command == "load") {
      std::ifstream in(rest[1], std::ios::binary);
      if (!in) {
        err << "pvxjsim: cannot read " << rest[1] << "\n";
        return 1;
      }
      std::stringstream text;
      text << in.rdbuf();
      auto store = Store::Open(db_path, &error);
      if (!store) {
        err << "pvxjsim: " << error << "\n";
        return 1;
      }
      WriteTx tx(*store);
      if (!LoadSystemDefinition(*store, text.str(), &error)) {
        err << "pvxjsim: " << rest[1] << ": " << error << "\n";
        return 1;  // the transaction rolls back: the store is unchanged
      }
      tx.Commit();
      out << "loaded " << rest[1] << " into " << db_path << "\n";
      return 0;
    }

    auto store = command == "reset" ? Store::OpenForRebuild(db_path, &error)
                                    : Store::OpenExisting(db_path, &error);
    if (!store) {
      err << "pvxjsim: " << error << "\n";
      return 1;
    }
    if (command == "reset") {
      store->Reset();
      out << "reset " << db_path << "\n";
      return 0;
    }
    Show(*store, out);
    return 0;
  } catch (const StoreError& e) {
    err << "pvxjsim: " << db_path << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace pvxjsim
