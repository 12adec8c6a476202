// The system definition: load (with validation) and dump. Format in README.md.
#include <nlohmann/json.hpp>
#include <pvxj/base.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <variant>

#include "clock.h"
#include "condition.h"
#include "container.h"
#include "password.h"
#include "seed.h"
#include "store.h"

namespace pvxjsim {

namespace {

using nlohmann::json;

struct DefinitionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// JSON nesting deeper than any definition needs is refused while parsing,
// before it can cost stack anywhere.
constexpr int kMaxJsonDepth = 64;

// Navigation through activities that run by themselves recurses once per
// activity and per sub-process level; these bounds keep it far from the
// stack's limit whatever a definition says.
constexpr size_t kMaxActivities = 500;
constexpr size_t kMaxSubprocessDepth = 16;

// How far below its symbol an activity's name label stands when the layout
// does not say.
constexpr int64_t kNameLabelBelow = 40;

// Reads one JSON object strictly. The keys are checked first, so a misspelt
// key is reported as unknown rather than as a missing one.
class Fields {
 public:
  Fields(const json& j, std::string where, std::initializer_list<const char*> keys)
      : j_(j), where_(std::move(where)) {
    if (!j.is_object()) throw DefinitionError(where_ + ": expected an object");
    for (auto it = j.begin(); it != j.end(); ++it) {
      bool known = false;
      for (const char* k : keys) known = known || it.key() == k;
      if (!known) throw DefinitionError(where_ + ": unknown key \"" + it.key() + "\"");
    }
  }

  std::optional<std::string> Text(const char* key) {
    const json* v = Take(key);
    if (!v || v->is_null()) return std::nullopt;
    if (!v->is_string()) throw DefinitionError(Where(key) + ": expected text");
    return v->get<std::string>();
  }
  std::string RequiredText(const char* key) {
    auto v = Text(key);
    if (!v || v->empty()) throw DefinitionError(Where(key) + ": required text missing");
    return *v;
  }
  bool Bool(const char* key, bool fallback) {
    const json* v = Take(key);
    if (!v || v->is_null()) return fallback;
    if (!v->is_boolean()) throw DefinitionError(Where(key) + ": expected true or false");
    return v->get<bool>();
  }
  std::optional<int64_t> OptInt(const char* key, int64_t lo, int64_t hi) {
    const json* v = Take(key);
    if (!v || v->is_null()) return std::nullopt;
    if (!v->is_number_integer()) throw DefinitionError(Where(key) + ": expected an integer");
    if (v->is_number_unsigned() && v->get<uint64_t>() > static_cast<uint64_t>(hi))
      throw DefinitionError(Where(key) + ": out of range " + std::to_string(lo) + " to " +
                            std::to_string(hi));
    int64_t n = v->get<int64_t>();
    if (n < lo || n > hi)
      throw DefinitionError(Where(key) + ": out of range " + std::to_string(lo) + " to " +
                            std::to_string(hi));
    return n;
  }
  int64_t Int(const char* key, int64_t fallback, int64_t lo, int64_t hi) {
    return OptInt(key, lo, hi).value_or(fallback);
  }
  // Enumerations may be written by name or number.
  int64_t Enum(const char* key, std::initializer_list<std::pair<const char*, int64_t>> names,
               int64_t fallback) {
    const json* v = Take(key);
    if (!v || v->is_null()) return fallback;
    if (v->is_number_integer()) {
      int64_t n = v->get<int64_t>();
      for (const auto& [name, value] : names)
        if (value == n) return n;
    } else if (v->is_string()) {
      std::string s = v->get<std::string>();
      for (const auto& [name, value] : names)
        if (s == name) return value;
    }
    std::string allowed;
    for (const auto& [name, value] : names)
      allowed += std::string(allowed.empty() ? "" : ", ") + name;
    throw DefinitionError(Where(key) + ": expected one of " + allowed);
  }
  std::vector<std::string> TextList(const char* key) {
    std::vector<std::string> out;
    const json* v = Take(key);
    if (!v || v->is_null()) return out;
    if (!v->is_array()) throw DefinitionError(Where(key) + ": expected a list");
    for (size_t i = 0; i < v->size(); ++i) {
      const json& e = (*v)[i];
      if (!e.is_string() || e.get<std::string>().empty())
        throw DefinitionError(Where(key) + "[" + std::to_string(i) + "]: expected a name");
      out.push_back(e.get<std::string>());
    }
    return out;
  }
  const json* List(const char* key) {
    const json* v = Take(key);
    if (!v || v->is_null()) return nullptr;
    if (!v->is_array()) throw DefinitionError(Where(key) + ": expected a list");
    return v;
  }
  const json* Object(const char* key) {
    const json* v = Take(key);
    if (!v || v->is_null()) return nullptr;
    if (!v->is_object()) throw DefinitionError(Where(key) + ": expected an object");
    return v;
  }
  const json* Raw(const char* key) { return Take(key); }
  std::string Where(const char* key) const { return where_ + "." + key; }
  const std::string& where() const { return where_; }

 private:
  const json* Take(const char* key) {
    auto it = j_.find(key);
    return it == j_.end() ? nullptr : &*it;
  }
  const json& j_;
  std::string where_;
};

std::string Indexed(const std::string& base, size_t i) {
  return base + "[" + std::to_string(i) + "]";
}

std::string Join(const std::vector<std::string>& v) {
  std::string out;
  for (const auto& s : v) out += (out.empty() ? "" : ";") + s;
  return out;
}

int64_t IdOf(Store& store, const char* table, const std::string& name) {
  std::string sql = std::string("SELECT id FROM ") + table + " WHERE name=?";
  Stmt s(store.db(), sql);
  s.Bind(1, std::string_view(name));
  return s.Step() ? s.Int(0) : 0;
}

int64_t PersonId(Store& store, const std::string& user) {
  Stmt s(store.db(), "SELECT id FROM persons WHERE user_id=?");
  s.Bind(1, std::string_view(user));
  return s.Step() ? s.Int(0) : 0;
}

std::string CheckedTime(const std::optional<std::string>& text, const std::string& where) {
  int64_t t;
  if (!ParseTimeText(*text, &t) || text->size() != 19)
    throw DefinitionError(where + ": expected a date and time YYYY-MM-DD HH:MM:SS");
  return *text;
}

// The rows a query gives, as text, without the columns named in skip: what
// an object is, apart from its row ids and times, so that a reload can tell
// whether anything changed.
std::string RowsText(Store& store, const char* sql, const std::variant<int64_t, std::string>& key,
                     std::initializer_list<const char*> skip) {
  sqlite3_stmt* q = nullptr;
  if (sqlite3_prepare_v2(store.db(), sql, -1, &q, nullptr) != SQLITE_OK) {
    sqlite3_finalize(q);
    throw StoreError(SQLITE_ERROR, sqlite3_errmsg(store.db()));
  }
  if (const auto* id = std::get_if<int64_t>(&key))
    sqlite3_bind_int64(q, 1, *id);
  else
    sqlite3_bind_text(q, 1, std::get<std::string>(key).c_str(), -1, SQLITE_TRANSIENT);
  std::string out;
  int rc;
  while ((rc = sqlite3_step(q)) == SQLITE_ROW) {
    for (int c = 0; c < sqlite3_column_count(q); ++c) {
      std::string_view column = sqlite3_column_name(q, c);
      bool skipped = false;
      for (const char* k : skip) skipped = skipped || column == k;
      if (skipped) continue;
      int type = sqlite3_column_type(q, c);
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(q, c));
      int bytes = sqlite3_column_bytes(q, c);
      out += std::to_string(type) + ":" + std::to_string(bytes) + ":";
      if (type != SQLITE_NULL && text) out.append(text, static_cast<size_t>(bytes));
      out += '|';
    }
    out += '\n';
  }
  sqlite3_finalize(q);
  if (rc != SQLITE_DONE) throw StoreError(rc, sqlite3_errmsg(store.db()));
  return out;
}

// A savepoint inside the load's transaction: Undo puts back what was there
// (row ids and the id counters included), Keep keeps the changes. One left
// open by an error is undone, and the load fails as a whole anyway.
class Savepoint {
 public:
  explicit Savepoint(Store& store) : store_(store) { store_.Exec("SAVEPOINT definition_object"); }
  ~Savepoint() {
    if (open_) {
      sqlite3_exec(store_.db(), "ROLLBACK TO definition_object", nullptr, nullptr, nullptr);
      sqlite3_exec(store_.db(), "RELEASE definition_object", nullptr, nullptr, nullptr);
    }
  }
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void Undo() {
    store_.Exec("ROLLBACK TO definition_object");
    Keep();
  }
  void Keep() {
    open_ = false;
    store_.Exec("RELEASE definition_object");
  }

 private:
  Store& store_;
  bool open_ = true;
};

// A person by user id with roles, categories and authorizations.
std::string PersonText(Store& store, const std::string& user) {
  return RowsText(store, "SELECT * FROM persons WHERE user_id=?", user, {}) +
         RowsText(store, "SELECT r.name FROM person_roles pr JOIN persons p ON p.id = pr.person_id "
                         "JOIN roles r ON r.id = pr.role_id WHERE p.user_id=? ORDER BY r.name",
                  user, {}) +
         RowsText(store, "SELECT c.category, c.as_admin FROM person_categories c JOIN persons p "
                         "ON p.id = c.person_id WHERE p.user_id=? ORDER BY 1, 2", user, {}) +
         RowsText(store, "SELECT a.authorized_for FROM person_authorizations a JOIN persons p "
                         "ON p.id = a.person_id WHERE p.user_id=? ORDER BY 1", user, {});
}

std::string StructureText(Store& store, int64_t id) {
  return RowsText(store, "SELECT * FROM data_structures WHERE id=?", id, {"id"}) +
         RowsText(store, "SELECT * FROM data_members WHERE structure_id=? ORDER BY position", id,
                  {"id"});
}

std::string ProgramText(Store& store, int64_t id) {
  return RowsText(store, "SELECT * FROM programs WHERE id=?", id, {"id"}) +
         RowsText(store, "SELECT * FROM program_implementations WHERE program_id=? ORDER BY "
                         "platform", id, {"id"});
}

// A template without its row ids, times and version: activities name their
// block, connectors their ends.
std::string TemplateText(Store& store, int64_t id) {
  return RowsText(store, "SELECT * FROM process_templates WHERE id=?", id,
                  {"id", "valid_from", "created", "modified"}) +
         RowsText(store, "SELECT a.*, b.name AS block FROM activities a LEFT JOIN activities b "
                         "ON b.id = a.block_id WHERE a.template_id=? ORDER BY a.position", id,
                  {"id", "template_id", "block_id"}) +
         RowsText(store, "SELECT c.*, f.name AS from_name, t.name AS to_name "
                         "FROM control_connectors c JOIN activities f ON f.id = c.from_activity "
                         "JOIN activities t ON t.id = c.to_activity WHERE c.template_id=? "
                         "ORDER BY c.id", id,
                  {"id", "template_id", "from_activity", "to_activity"});
}

// --- the kinds of reference checked once everything is in ----------------

struct Pending {
  std::string where, kind, name;  // kind: person, organization, role, template
};

class Loader {
 public:
  explicit Loader(Store& store) : store_(store) {}

  void Load(const json& root) {
    Fields f(root, "definition", {"system", "roles", "organizations", "persons",
                                  "dataStructures", "programs", "processTemplates"});
    if (const json* system = f.Object("system")) LoadSystem(*system);
    if (const json* l = f.List("roles")) LoadRoles(*l);
    if (const json* l = f.List("organizations")) LoadOrganizations(*l);
    if (const json* l = f.List("persons")) LoadPersons(*l);
    if (const json* l = f.List("dataStructures")) LoadStructures(*l);
    if (const json* l = f.List("programs")) LoadPrograms(*l);
    if (const json* l = f.List("processTemplates")) LoadTemplates(*l);
    for (const Pending& p : pending_) {
      bool ok = p.kind == "person" ? PersonId(store_, p.name) != 0
                                   : IdOf(store_, p.kind == "organization" ? "organizations"
                                                  : p.kind == "role"       ? "roles"
                                                                           : "process_templates",
                                          p.name) != 0;
      if (!ok)
        throw DefinitionError(p.where + ": unknown " +
                              (p.kind == "template" ? std::string("process template") : p.kind) +
                              " \"" + p.name + "\"");
    }
    CheckSubprocessRecursion();
    if (store_.Meta("system_name").empty()) store_.SetMeta("system_name", "PVXSYS");
    if (store_.Meta("system_group_name").empty()) store_.SetMeta("system_group_name", "PVXGRP");
  }

 private:
  // Within one file a name is defined once: a second definition would
  // silently replace the first.
  void Once(const char* kind, const std::string& key, const std::string& name,
            const std::string& where) {
    auto [it, fresh] = defined_[kind].emplace(key, where);
    if (!fresh)
      throw DefinitionError(where + ": " + kind + " \"" + name + "\" is defined twice (also at " +
                            it->second + ")");
  }

  void Later(const std::string& where, const char* kind, const std::optional<std::string>& name) {
    if (name) pending_.push_back({where, kind, *name});
  }

  void LoadSystem(const json& j) {
    Fields f(j, "definition.system", {"name", "group"});
    if (auto name = f.Text("name")) store_.SetMeta("system_name", *name);
    if (auto group = f.Text("group")) store_.SetMeta("system_group_name", *group);
  }

  void LoadRoles(const json& list) {
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.roles", i), {"name", "description", "coordinator"});
      std::string name = f.RequiredText("name");
      Once("role", name, name, f.Where("name"));
      auto description = f.Text("description"), coordinator = f.Text("coordinator");
      Later(f.Where("coordinator"), "person", coordinator);
      // An upsert moves the id counter even when the row was there already.
      const char* row = "SELECT * FROM roles WHERE name=?";
      std::string before = RowsText(store_, row, name, {});
      Savepoint sp(store_);
      Stmt s(store_.db(), "INSERT INTO roles(name, description, coordinator) VALUES(?,?,?) "
                          "ON CONFLICT(name) DO UPDATE SET description=excluded.description, "
                          "coordinator=excluded.coordinator");
      s.Bind(1, std::string_view(name)).Bind(2, description).Bind(3, coordinator).Run();
      if (!before.empty() && RowsText(store_, row, name, {}) == before) sp.Undo();
      else sp.Keep();
    }
  }

  void LoadOrganizations(const json& list) {
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.organizations", i), {"name", "manager", "parent"});
      std::string name = f.RequiredText("name");
      Once("organization", name, name, f.Where("name"));
      auto manager = f.Text("manager"), parent = f.Text("parent");
      Later(f.Where("manager"), "person", manager);
      Later(f.Where("parent"), "organization", parent);
      const char* row = "SELECT * FROM organizations WHERE name=?";
      std::string before = RowsText(store_, row, name, {});
      Savepoint sp(store_);
      Stmt s(store_.db(), "INSERT INTO organizations(name, manager, parent) VALUES(?,?,?) "
                          "ON CONFLICT(name) DO UPDATE SET manager=excluded.manager, "
                          "parent=excluded.parent");
      s.Bind(1, std::string_view(name)).Bind(2, manager).Bind(3, parent).Run();
      if (!before.empty() && RowsText(store_, row, name, {}) == before) sp.Undo();
      else sp.Keep();
    }
  }

  void LoadPersons(const json& list) {
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.persons", i),
               {"userId", "password", "passwordHash", "firstName", "middleName", "lastName",
                "description", "phone", "secondPhone", "organization", "manager", "substitute",
                "level", "administrator", "absent", "resetAbsence", "lockHolder",
                "logonBlockedUntil", "authorizations", "categories", "adminCategories",
                "authorizedFor", "roles"});
      std::string user = f.RequiredText("userId");
      if (user.find_first_of(" \t\r\n") != std::string::npos)
        throw DefinitionError(f.Where("userId") + ": must not contain blanks");
      // User ids ignore case, so USER1 and user1 are one person.
      std::string folded = user;
      for (char& c : folded) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      Once("person", folded, user, f.Where("userId"));
      auto password = f.Text("password"), hash = f.Text("passwordHash");
      if (password && hash)
        throw DefinitionError(f.where() + ": give password or passwordHash, not both");
      if (!password && !hash)
        throw DefinitionError(f.Where("password") + ": required text missing");
      if (hash && !LooksLikePasswordHash(*hash))
        throw DefinitionError(f.Where("passwordHash") + ": not a yescrypt hash (\"$y$...\")");
      // A password that still verifies keeps its hash: salting it afresh on
      // every load would change the store when nothing changed.
      std::string stored;
      if (hash) {
        stored = *hash;
      } else {
        Stmt old(store_.db(), "SELECT password_hash FROM persons WHERE user_id=?");
        old.Bind(1, std::string_view(user));
        if (old.Step() && CheckPassword(*password, old.Text(0))) stored = old.Text(0);
        else stored = HashPassword(*password);
      }
      auto first = f.Text("firstName"), middle = f.Text("middleName"), last = f.Text("lastName");
      auto description = f.Text("description"), phone = f.Text("phone"),
           second_phone = f.Text("secondPhone"), organization = f.Text("organization"),
           manager = f.Text("manager"), substitute = f.Text("substitute"),
           lock_holder = f.Text("lockHolder"), blocked = f.Text("logonBlockedUntil");
      if (blocked) CheckedTime(blocked, f.Where("logonBlockedUntil"));
      int64_t level = f.Int("level", 0, 0, 9);
      bool admin = f.Bool("administrator", false);
      bool absent = f.Bool("absent", false);
      bool reset_absence = f.Bool("resetAbsence", false);
      bool auth[8] = {};
      static const char* const kAuth[8] = {
          "processDefinition", "operationAdministration", "staffDefinition",
          "topologyDefinition", "authorizationDefinition", "allCategories",
          "allCategoriesAsAdmin", "allPersons"};
      if (const json* a = f.Object("authorizations")) {
        Fields af(*a, f.Where("authorizations"),
                  {kAuth[0], kAuth[1], kAuth[2], kAuth[3], kAuth[4], kAuth[5], kAuth[6], kAuth[7]});
        for (int k = 0; k < 8; ++k) auth[k] = af.Bool(kAuth[k], false);
      }
      std::vector<std::string> categories = f.TextList("categories"),
                               admin_categories = f.TextList("adminCategories"),
                               authorized_for = f.TextList("authorizedFor"),
                               roles = f.TextList("roles");
      Later(f.Where("organization"), "organization", organization);
      Later(f.Where("manager"), "person", manager);
      Later(f.Where("substitute"), "person", substitute);
      for (size_t k = 0; k < authorized_for.size(); ++k)
        Later(Indexed(f.Where("authorizedFor"), k), "person", authorized_for[k]);
      if (substitute && *substitute == user)
        throw DefinitionError(f.Where("substitute") + ": a person cannot stand in for itself");
      std::string before = PersonText(store_, user);
      Savepoint sp(store_);

      Stmt s(store_.db(),
             "INSERT INTO persons(user_id, password_hash, first_name, middle_name, last_name, "
             "description, phone, second_phone, organization, manager, substitute, level, "
             "is_admin, absent, reset_absence, lock_holder, logon_blocked_until, "
             "auth_process_definition, auth_operation_admin, auth_staff_definition, "
             "auth_topology_definition, auth_authorization_definition, auth_all_categories, "
             "auth_all_categories_admin, auth_all_persons) "
             "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) "
             "ON CONFLICT(user_id) DO UPDATE SET password_hash=excluded.password_hash, "
             "first_name=excluded.first_name, middle_name=excluded.middle_name, "
             "last_name=excluded.last_name, description=excluded.description, "
             "phone=excluded.phone, second_phone=excluded.second_phone, "
             "organization=excluded.organization, manager=excluded.manager, "
             "substitute=excluded.substitute, level=excluded.level, is_admin=excluded.is_admin, "
             "absent=excluded.absent, reset_absence=excluded.reset_absence, "
             "lock_holder=excluded.lock_holder, logon_blocked_until=excluded.logon_blocked_until, "
             "auth_process_definition=excluded.auth_process_definition, "
             "auth_operation_admin=excluded.auth_operation_admin, "
             "auth_staff_definition=excluded.auth_staff_definition, "
             "auth_topology_definition=excluded.auth_topology_definition, "
             "auth_authorization_definition=excluded.auth_authorization_definition, "
             "auth_all_categories=excluded.auth_all_categories, "
             "auth_all_categories_admin=excluded.auth_all_categories_admin, "
             "auth_all_persons=excluded.auth_all_persons");
      s.Bind(1, std::string_view(user)).Bind(2, std::string_view(stored)).Bind(3, first);
      s.Bind(4, middle).Bind(5, last).Bind(6, description).Bind(7, phone).Bind(8, second_phone);
      s.Bind(9, organization).Bind(10, manager).Bind(11, substitute).Bind(12, level);
      s.Bind(13, admin ? 1 : 0).Bind(14, absent ? 1 : 0).Bind(15, reset_absence ? 1 : 0);
      s.Bind(16, lock_holder).Bind(17, blocked);
      for (int k = 0; k < 8; ++k) s.Bind(18 + k, auth[k] ? 1 : 0);
      s.Run();

      int64_t person_id = PersonId(store_, user);
      for (const char* table : {"person_roles", "person_categories", "person_authorizations"}) {
        Stmt clear(store_.db(), std::string("DELETE FROM ") + table + " WHERE person_id=?");
        clear.Bind(1, person_id).Run();
      }
      for (size_t k = 0; k < roles.size(); ++k) {
        int64_t role_id = IdOf(store_, "roles", roles[k]);
        if (!role_id)
          throw DefinitionError(Indexed(f.Where("roles"), k) + ": unknown role \"" + roles[k] +
                                "\"");
        Stmt r(store_.db(), "INSERT OR IGNORE INTO person_roles(person_id, role_id) VALUES(?,?)");
        r.Bind(1, person_id).Bind(2, role_id).Run();
      }
      for (int as_admin = 0; as_admin < 2; ++as_admin)
        for (const std::string& c : as_admin ? admin_categories : categories) {
          Stmt r(store_.db(), "INSERT OR IGNORE INTO person_categories(person_id, category, "
                              "as_admin) VALUES(?,?,?)");
          r.Bind(1, person_id).Bind(2, std::string_view(c)).Bind(3, as_admin).Run();
        }
      for (const std::string& p : authorized_for) {
        Stmt r(store_.db(), "INSERT OR IGNORE INTO person_authorizations(person_id, "
                            "authorized_for) VALUES(?,?)");
        r.Bind(1, person_id).Bind(2, std::string_view(p)).Run();
      }
      if (!before.empty() && PersonText(store_, user) == before) sp.Undo();
      else sp.Keep();
    }
  }

  void LoadStructures(const json& list) {
    // Members may name structures defined later in the list, so types are
    // checked after all structures exist.
    std::vector<std::pair<std::string, std::string>> typed;  // where, type
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.dataStructures", i),
               {"name", "description", "members"});
      std::string name = f.RequiredText("name");
      Once("data structure", name, name, f.Where("name"));
      auto description = f.Text("description");
      const json* members = f.List("members");
      int64_t old_sid = IdOf(store_, "data_structures", name);
      std::string before = old_sid ? StructureText(store_, old_sid) : std::string();
      Savepoint sp(store_);
      {
        Stmt s(store_.db(), "INSERT INTO data_structures(name, description) VALUES(?,?) "
                            "ON CONFLICT(name) DO UPDATE SET description=excluded.description");
        s.Bind(1, std::string_view(name)).Bind(2, description).Run();
      }
      int64_t sid = IdOf(store_, "data_structures", name);
      Stmt clear(store_.db(), "DELETE FROM data_members WHERE structure_id=?");
      clear.Bind(1, sid).Run();
      if (!members || members->empty())
        throw DefinitionError(f.Where("members") + ": a structure needs at least one member");
      std::set<std::string> names;
      for (size_t m = 0; m < members->size(); ++m) {
        Fields mf((*members)[m], Indexed(f.Where("members"), m),
                  {"name", "type", "arraySize", "description"});
        std::string mname = mf.RequiredText("name");
        if (mname.find_first_of(".[] \t'\"") != std::string::npos || mname[0] == '_')
          throw DefinitionError(mf.Where("name") +
                                ": member names must not contain '.', '[', ']', blanks or "
                                "quotes, nor begin with '_'");
        std::string type = mf.RequiredText("type");
        int64_t array_size = mf.Int("arraySize", 0, 0, 1000);
        auto mdesc = mf.Text("description");
        if (!names.insert(mname).second)
          throw DefinitionError(mf.Where("name") + ": duplicate member \"" + mname + "\"");
        Stmt s(store_.db(), "INSERT INTO data_members(structure_id, position, name, type, "
                            "array_size, description) VALUES(?,?,?,?,?,?)");
        s.Bind(1, sid).Bind(2, static_cast<int64_t>(m)).Bind(3, std::string_view(mname));
        s.Bind(4, std::string_view(type)).Bind(5, array_size).Bind(6, mdesc).Run();
        typed.emplace_back(mf.Where("type"), type);
      }
      // Reloading the same structure keeps its members' row ids.
      if (old_sid && StructureText(store_, sid) == before) sp.Undo();
      else sp.Keep();
    }
    static const std::set<std::string> kBasicTypes = {"STRING", "LONG", "FLOAT", "BINARY"};
    for (const auto& [where, type] : typed)
      if (!kBasicTypes.count(type) && !IdOf(store_, "data_structures", type))
        throw DefinitionError(where + ": unknown type \"" + type + "\"");
    // A structure that contains itself, directly or not, has no finite layout.
    Stmt cyc(store_.db(),
             "WITH RECURSIVE reach(root, name, depth) AS ("
             "  SELECT s.name, m.type, 1 FROM data_structures s JOIN data_members m "
             "    ON m.structure_id = s.id "
             "  UNION SELECT r.root, m.type, r.depth + 1 FROM reach r "
             "    JOIN data_structures s ON s.name = r.name "
             "    JOIN data_members m ON m.structure_id = s.id WHERE r.depth < 64) "
             "SELECT root FROM reach WHERE root = name LIMIT 1");
    if (cyc.Step())
      throw DefinitionError("definition.dataStructures: structure \"" + cyc.Text(0) +
                            "\" contains itself");

    // Nested arrays multiply: a structure is bounded by the leaves it expands
    // to. A structure in the store grows when a member type defined here does.
    auto too_large = [](const std::string& where, const std::string& name) {
      return DefinitionError(where + ": structure \"" + name + "\" expands to more than " +
                             std::to_string(kMaxStructureLeaves) +
                             " members (array elements counted one by one)");
    };
    for (size_t i = 0; i < list.size(); ++i) {
      std::string name = list[i]["name"].get<std::string>();
      if (StructureLeafCount(store_, name) > kMaxStructureLeaves)
        throw too_large(Indexed("definition.dataStructures", i), name);
    }
    Stmt all(store_.db(), "SELECT name FROM data_structures");
    while (all.Step())
      if (StructureLeafCount(store_, all.Text(0)) > kMaxStructureLeaves)
        throw too_large("definition.dataStructures", all.Text(0));
  }

  void RequireStructure(const std::optional<std::string>& name, const std::string& where) {
    if (name && !IdOf(store_, "data_structures", *name))
      throw DefinitionError(where + ": unknown data structure \"" + *name + "\"");
  }

  static int64_t Platform(Fields& f, const char* key) {
    return f.Enum(key,
                  {{"NotSet", 0}, {"Quill", 1}, {"Borix", 2}, {"HPUX", 3}, {"Windows95", 4},
                   {"WindowsNT", 5}, {"Vantor", 6}, {"Solaris", 7}},
                  0);
  }

  void LoadPrograms(const json& list) {
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.programs", i),
               {"name", "description", "executable", "platform", "inContainer", "outContainer",
                "unattended", "executionMode", "executionUser", "trusted", "icon", "simulate",
                "implementations", "inContainerAccess", "outContainerAccess",
                "structuresFromActivity"});
      std::string name = f.RequiredText("name");
      Once("program", name, name, f.Where("name"));
      auto description = f.Text("description"), executable = f.Text("executable");
      int64_t platform = Platform(f, "platform");
      auto in = f.Text("inContainer"), out = f.Text("outContainer"), icon = f.Text("icon");
      bool unattended = f.Bool("unattended", false);
      bool trusted = f.Bool("trusted", false);
      int64_t mode = f.Enum("executionMode", {{"Normal", 1}, {"Safe", 2}}, 1);
      int64_t user = f.Enum("executionUser", {{"Agent", 1}, {"Starter", 2}}, 1);
      RequireStructure(in, f.Where("inContainer"));
      RequireStructure(out, f.Where("outContainer"));
      // Left out: read from the structures the program names.
      auto opt_flag = [&](const char* key) -> std::optional<int64_t> {
        if (!f.Raw(key) || f.Raw(key)->is_null()) return std::nullopt;
        return f.Bool(key, false) ? 1 : 0;
      };
      auto in_access = opt_flag("inContainerAccess"), out_access = opt_flag("outContainerAccess"),
           from_activity = opt_flag("structuresFromActivity");
      int64_t old_pid = IdOf(store_, "programs", name);
      std::string before = old_pid ? ProgramText(store_, old_pid) : std::string();
      Savepoint sp(store_);
      std::optional<std::string> simulate;
      if (const json* sim = f.Object("simulate")) {
        Fields sf(*sim, f.Where("simulate"), {"set", "rc"});
        sf.Int("rc", 0, INT32_MIN, INT32_MAX);
        if (const json* set = sf.Object("set")) {
          for (auto it = set->begin(); it != set->end(); ++it)
            if (!it->is_string() && !it->is_number() && !it->is_null())
              throw DefinitionError(sf.Where("set") + "." + it.key() +
                                    ": expected text, a number or null");
          CheckSimulatedMembers(*set, sf.Where("set"), out);
        }
        simulate = sim->dump();
      }
      Stmt s(store_.db(),
             "INSERT INTO programs(name, description, executable, platform, in_container, "
             "out_container, unattended, execution_mode, execution_user, trusted, icon, "
             "simulate, in_access, out_access, structures_from_activity) "
             "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT(name) DO UPDATE SET "
             "description=excluded.description, executable=excluded.executable, "
             "platform=excluded.platform, in_container=excluded.in_container, "
             "out_container=excluded.out_container, unattended=excluded.unattended, "
             "execution_mode=excluded.execution_mode, execution_user=excluded.execution_user, "
             "trusted=excluded.trusted, icon=excluded.icon, simulate=excluded.simulate, "
             "in_access=excluded.in_access, out_access=excluded.out_access, "
             "structures_from_activity=excluded.structures_from_activity");
      s.Bind(1, std::string_view(name)).Bind(2, description).Bind(3, executable);
      s.Bind(4, platform).Bind(5, in).Bind(6, out).Bind(7, unattended ? 1 : 0).Bind(8, mode);
      s.Bind(9, user).Bind(10, trusted ? 1 : 0).Bind(11, icon).Bind(12, simulate);
      auto bind_flag = [&](int i, const std::optional<int64_t>& v) {
        if (v) s.Bind(i, *v); else s.BindNull(i);
      };
      bind_flag(13, in_access);
      bind_flag(14, out_access);
      bind_flag(15, from_activity);
      s.Run();
      int64_t pid = IdOf(store_, "programs", name);
      Stmt clear(store_.db(), "DELETE FROM program_implementations WHERE program_id=?");
      clear.Bind(1, pid).Run();
      // "executable" alone is a shorthand for one EXE implementation.
      if (executable) AddImplementation(pid, platform, 1, executable);
      if (const json* impls = f.List("implementations")) {
        if (executable)
          throw DefinitionError(f.where() + ": give executable or implementations, not both");
        for (size_t k = 0; k < impls->size(); ++k) LoadImplementation(pid, (*impls)[k], Indexed(f.Where("implementations"), k), k == 0);
      }
      // Reloading the same program keeps its implementations' row ids.
      if (old_pid && ProgramText(store_, pid) == before) sp.Undo();
      else sp.Keep();
    }
  }

  // A simulate rule sets members of the program's output as the engine will:
  // each must be a member of that structure, with a value of its type.
  void CheckSimulatedMembers(const json& set, const std::string& where,
                             const std::optional<std::string>& out) {
    if (set.empty()) return;
    if (!out)
      throw DefinitionError(where + ": the program has no outContainer for the rule to set");
    Schema schema;
    LoadSchema(store_, *out, &schema);
    Record scratch;
    for (auto it = set.begin(); it != set.end(); ++it) {
      std::string value = it->is_string() ? it->get<std::string>() : it->dump();
      int32_t rc = SetMemberFromText(schema, &scratch, it.key(), value);
      if (rc == PVX_ERROR_MEMBER_NOT_FOUND)
        throw DefinitionError(where + "." + it.key() + ": not a member of structure \"" + *out +
                              "\"");
      if (rc != PVX_OK)
        throw DefinitionError(where + "." + it.key() + ": " + it->dump() +
                              " is not a value of the member's type " +
                              TypeName(schema.leaves[it.key()]));
    }
  }

  static const char* TypeName(LeafType t) {
    switch (t) {
      case LeafType::kString: return "STRING";
      case LeafType::kLong: return "LONG";
      case LeafType::kFloat: return "FLOAT";
      case LeafType::kBinary: return "BINARY";
    }
    return "?";
  }

  void AddImplementation(int64_t pid, int64_t platform, int64_t kind,
                         const std::optional<std::string>& path) {
    Stmt s(store_.db(), "INSERT INTO program_implementations(program_id, platform, kind, path) "
                        "VALUES(?,?,?,?)");
    s.Bind(1, pid).Bind(2, platform).Bind(3, kind).Bind(4, path).Run();
  }

  void LoadImplementation(int64_t pid, const json& j, const std::string& where, bool first) {
    Fields f(j, where,
             {"platform", "kind", "path", "parameters", "workingDirectory", "environment",
              "inheritEnvironment", "windowStyle", "runInXTerm", "startInForeground",
              "automaticClose", "inUse", "timeout", "entryPoint", "fenced", "keepLoaded",
              "serviceName", "serviceType", "invocationType", "executableName", "executableType",
              "timeoutPeriod", "timeoutInterval", "mappingType", "forwardMappingFormat",
              "forwardMappingParameters", "backwardMappingFormat", "backwardMappingParameters",
              "codePage", "localUser", "mappingRoutineCall", "securityRoutineCall"});
    int64_t platform = Platform(f, "platform");
    int64_t kind = f.Enum("kind", {{"exe", 1}, {"dll", 2}, {"external", 4}}, 1);
    auto path = f.Text("path"), params = f.Text("parameters"), wd = f.Text("workingDirectory"),
         env = f.Text("environment"), entry = f.Text("entryPoint"),
         service_name = f.Text("serviceName"), service_type = f.Text("serviceType"),
         invocation = f.Text("invocationType"), exe_name = f.Text("executableName"),
         exe_type = f.Text("executableType");
    auto opt_bool = [&](const char* key) -> std::optional<int64_t> {
      if (!f.Raw(key) || f.Raw(key)->is_null()) return std::nullopt;
      return f.Bool(key, false) ? 1 : 0;
    };
    auto inherit = opt_bool("inheritEnvironment"), xterm = opt_bool("runInXTerm"),
         foreground = opt_bool("startInForeground"), autoclose = opt_bool("automaticClose"),
         in_use = opt_bool("inUse"), fenced = opt_bool("fenced"),
         keep_loaded = opt_bool("keepLoaded");
    std::optional<int64_t> window;
    if (f.Raw("windowStyle") && !f.Raw("windowStyle")->is_null())
      window = f.Enum("windowStyle",
                      {{"Visible", 1}, {"Invisible", 2}, {"Minimized", 3}, {"Maximized", 4}}, 0);
    std::optional<int64_t> period;
    if (f.Raw("timeoutPeriod") && !f.Raw("timeoutPeriod")->is_null())
      period = f.Enum("timeoutPeriod", {{"TimeInterval", 1}, {"Forever", 2}, {"Never", 3}}, 0);
    auto timeout = f.OptInt("timeout", 0, INT32_MAX);
    auto interval = f.OptInt("timeoutInterval", 0, INT32_MAX);
    // How an external implementation maps its data and whom it runs as.
    auto mapping = f.Text("mappingType"), fwd_format = f.Text("forwardMappingFormat"),
         fwd_params = f.Text("forwardMappingParameters"),
         back_format = f.Text("backwardMappingFormat"),
         back_params = f.Text("backwardMappingParameters");
    auto code_page = f.OptInt("codePage", 0, INT32_MAX);
    auto local_user = opt_bool("localUser"), mapping_call = opt_bool("mappingRoutineCall"),
         security_call = opt_bool("securityRoutineCall");
    if (kind != 4)
      for (const char* key : {"mappingType", "forwardMappingFormat", "forwardMappingParameters",
                              "backwardMappingFormat", "backwardMappingParameters", "codePage",
                              "localUser", "mappingRoutineCall", "securityRoutineCall"})
        if (f.Raw(key) && !f.Raw(key)->is_null())
          throw DefinitionError(f.Where(key) + ": only an external implementation has it");
    if (kind != 4 && !path)
      throw DefinitionError(f.Where("path") + ": an exe or dll implementation needs one");
    if (kind == 2 && !entry)
      throw DefinitionError(f.Where("entryPoint") + ": a dll implementation needs one");
    if (kind == 4 && !service_name)
      throw DefinitionError(f.Where("serviceName") + ": an external implementation needs one");
    Stmt dup(store_.db(), "SELECT 1 FROM program_implementations WHERE program_id=? AND platform=?");
    dup.Bind(1, pid).Bind(2, platform);
    if (dup.Step())
      throw DefinitionError(f.Where("platform") + ": two implementations for one platform");
    Stmt s(store_.db(),
           "INSERT INTO program_implementations(program_id, platform, kind, path, parameters, "
           "working_directory, environment, inherit_environment, window_style, run_in_xterm, "
           "start_in_foreground, automatic_close, in_use, timeout, entry_point, fenced, "
           "keep_loaded, service_name, service_type, invocation_type, executable_name, "
           "executable_type, timeout_period, timeout_interval, mapping_type, "
           "forward_mapping_format, forward_mapping_parameters, backward_mapping_format, "
           "backward_mapping_parameters, code_page, local_user, mapping_routine_call, "
           "security_routine_call) "
           "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    auto bind_opt = [&](int i, const std::optional<int64_t>& v) {
      if (v) s.Bind(i, *v); else s.BindNull(i);
    };
    s.Bind(1, pid).Bind(2, platform).Bind(3, kind).Bind(4, path).Bind(5, params).Bind(6, wd);
    s.Bind(7, env);
    bind_opt(8, inherit);
    bind_opt(9, window);
    bind_opt(10, xterm);
    bind_opt(11, foreground);
    bind_opt(12, autoclose);
    bind_opt(13, in_use);
    bind_opt(14, timeout);
    s.Bind(15, entry);
    bind_opt(16, fenced);
    bind_opt(17, keep_loaded);
    s.Bind(18, service_name).Bind(19, service_type).Bind(20, invocation).Bind(21, exe_name);
    s.Bind(22, exe_type);
    bind_opt(23, period);
    bind_opt(24, interval);
    s.Bind(25, mapping).Bind(26, fwd_format).Bind(27, fwd_params).Bind(28, back_format);
    s.Bind(29, back_params);
    bind_opt(30, code_page);
    bind_opt(31, local_user);
    bind_opt(32, mapping_call);
    bind_opt(33, security_call);
    s.Run();
    if (first) {
      Stmt u(store_.db(), "UPDATE programs SET executable=?, platform=? WHERE id=?");
      u.Bind(1, path).Bind(2, platform).Bind(3, pid).Run();
    }
  }

  // Member names of a structure, qualified, with array elements as
  // "Name[i]" (1-based), and their types, for checking conditions.
  void MembersOf(const std::string& structure, const std::string& prefix,
                 std::map<std::string, std::string>* out, int depth = 0) {
    if (depth > 64) return;
    for (const auto& [name, type] : StructureMembers(store_, structure, prefix)) {
      (*out)[name] = type;
      if (!LeafTypeOf(type)) MembersOf(type, name + ".", out, depth + 1);
    }
  }

  void CheckCondition(const std::optional<std::string>& text, const std::string& where,
                      const std::optional<std::string>& structure) {
    if (!text) return;
    std::string error;
    auto c = Condition::Parse(*text, &error);
    if (!c) throw DefinitionError(where + ": condition does not parse: " + error);
    std::map<std::string, std::string> members;
    // A store filled before structures were bounded may hold a larger one.
    if (structure && StructureLeafCount(store_, *structure) > kMaxStructureLeaves)
      throw DefinitionError(where + ": structure \"" + *structure + "\" is too large to check");
    if (structure) MembersOf(*structure, "", &members);
    for (const std::string& m : c->members())
      if (!members.count(m))
        throw DefinitionError(where + ": \"" + m + "\" is not a member of " +
                              (structure ? "structure \"" + *structure + "\""
                                         : std::string("the (absent) container")));
    using MK = Condition::MemberKind;
    std::string type_error = c->TypeError([&](const std::string& m) {
      std::optional<LeafType> leaf = LeafTypeOf(members[m]);
      if (!leaf) return MK::kStructure;
      switch (*leaf) {
        case LeafType::kString: return MK::kText;
        case LeafType::kBinary: return MK::kBinary;
        default: return MK::kNumber;
      }
    });
    if (!type_error.empty()) throw DefinitionError(where + ": " + type_error);
  }

  struct TemplateCtx {
    int64_t tid;
    std::optional<std::string> in, out;
  };

  void LoadTemplates(const json& list) {
    std::set<std::pair<std::string, std::string>> seen;
    for (size_t i = 0; i < list.size(); ++i) {
      Fields f(list[i], Indexed("definition.processTemplates", i),
               {"name", "description", "category", "documentation", "organization", "role",
                "processAdmin", "auditMode", "inContainer", "outContainer", "globalContainer",
                "icon", "validFrom", "created", "notifyAfter", "notifyPerson", "expiresAfter",
                "activities", "connectors"});
      std::string name = f.RequiredText("name");
      auto description = f.Text("description"), category = f.Text("category"),
           documentation = f.Text("documentation"), organization = f.Text("organization"),
           role = f.Text("role"), admin = f.Text("processAdmin");
      int64_t audit = f.Enum("auditMode",
                             {{"NotSet", 0}, {"NoAudit", 1}, {"Condensed", 2}, {"Full", 3},
                              {"Filter", 4}},
                             0);
      auto in = f.Text("inContainer"), out = f.Text("outContainer"),
           global = f.Text("globalContainer"), icon = f.Text("icon"),
           notify_person = f.Text("notifyPerson");
      auto notify = f.OptInt("notifyAfter", 1, 100LL * 366 * 86400);
      auto expiry = f.OptInt("expiresAfter", 1, 100LL * 366 * 86400);
      // Without validFrom a definition replaces the newest version of the
      // template, so that loading the same file twice changes nothing.
      std::optional<std::string> given_valid_from = f.Text("validFrom");
      std::optional<std::string> given_created = f.Text("created");
      std::string created = given_created.value_or(ClockNow(store_));
      CheckedTime(created, f.Where("created"));
      std::string valid_from;
      if (given_valid_from) {
        valid_from = CheckedTime(given_valid_from, f.Where("validFrom"));
      } else {
        Stmt latest(store_.db(), "SELECT max(valid_from) FROM process_templates WHERE name=?");
        latest.Bind(1, std::string_view(name));
        latest.Step();
        valid_from = latest.IsNull(0) ? ClockNow(store_) : latest.Text(0);
      }
      if (!seen.insert({name, valid_from}).second)
        throw DefinitionError(f.where() + ": template \"" + name + "\" defined twice");
      RequireStructure(in, f.Where("inContainer"));
      RequireStructure(out, f.Where("outContainer"));
      RequireStructure(global, f.Where("globalContainer"));
      Later(f.Where("processAdmin"), "person", admin);
      Later(f.Where("notifyPerson"), "person", notify_person);
      Later(f.Where("role"), "role", role);
      Later(f.Where("organization"), "organization", organization);
      const json* activities = f.List("activities");
      if (!activities || activities->empty())
        throw DefinitionError(f.Where("activities") + ": a template needs at least one activity");

      // The version of the same name and valid-from, if any: an unchanged
      // definition leaves it as it is (row ids, times); a changed one
      // replaces it, or, when instances were made from it, becomes a new
      // version valid from now.
      int64_t old_id = 0;
      std::string old_created;
      {
        Stmt old(store_.db(), "SELECT id, created FROM process_templates "
                              "WHERE name=? AND valid_from=?");
        old.Bind(1, std::string_view(name)).Bind(2, std::string_view(valid_from));
        if (old.Step()) {
          old_id = old.Int(0);
          old_created = old.Text(1);
        }
      }
      std::string now = ClockNow(store_);
      if (!given_created && old_id) created = old_created;
      Savepoint sp(store_);
      if (old_id) {
        // Out of the way of the new rows until they are compared.
        Stmt away(store_.db(), "UPDATE process_templates SET valid_from=valid_from||' (old)' "
                               "WHERE id=?");
        away.Bind(1, old_id).Run();
      }
      Stmt ins(store_.db(),
               "INSERT INTO process_templates(name, description, category, documentation, "
               "organization, role_name, process_admin, audit_mode, in_container, out_container, "
               "global_container, icon, notify_seconds, notify_person, expiry_seconds, "
               "valid_from, created, modified) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
      ins.Bind(1, std::string_view(name)).Bind(2, description).Bind(3, category);
      ins.Bind(4, documentation).Bind(5, organization).Bind(6, role).Bind(7, admin);
      ins.Bind(8, audit).Bind(9, in).Bind(10, out).Bind(11, global).Bind(12, icon);
      if (notify) ins.Bind(13, *notify); else ins.BindNull(13);
      ins.Bind(14, notify_person);
      if (expiry) ins.Bind(15, *expiry); else ins.BindNull(15);
      ins.Bind(16, std::string_view(valid_from)).Bind(17, std::string_view(created));
      ins.Bind(18, std::string_view(old_id ? now : created)).Run();
      TemplateCtx ctx{store_.LastInsertId(), in, out};
      std::set<std::string> names;
      int64_t position = 0;
      LoadGraph(ctx, f, *activities, f.List("connectors"), std::nullopt, &names, &position, name);
      if (!old_id) {
        sp.Keep();
        continue;
      }
      std::string text = TemplateText(store_, ctx.tid);
      if (text == TemplateText(store_, old_id)) {
        sp.Undo();
        if (given_created && *given_created != old_created) {
          Stmt u(store_.db(), "UPDATE process_templates SET created=? WHERE id=?");
          u.Bind(1, std::string_view(*given_created)).Bind(2, old_id).Run();
        }
        continue;
      }
      Stmt used(store_.db(), "SELECT 1 FROM process_instances WHERE template_id=? LIMIT 1");
      used.Bind(1, old_id);
      bool has_instances = used.Step();
      used.Step();
      if (!has_instances) {
        Stmt del(store_.db(), "DELETE FROM process_templates WHERE id=?");
        del.Bind(1, old_id).Run();
        sp.Keep();
        continue;
      }
      // The instances keep the version they were made from. A file loaded
      // again after it made a new version changes nothing more.
      Stmt newest(store_.db(), "SELECT id, valid_from FROM process_templates WHERE name=? "
                               "AND id NOT IN (?, ?) ORDER BY valid_from DESC LIMIT 1");
      newest.Bind(1, std::string_view(name)).Bind(2, old_id).Bind(3, ctx.tid);
      int64_t newest_id = 0;
      std::string newest_from;
      if (newest.Step()) {
        newest_id = newest.Int(0);
        newest_from = newest.Text(1);
      }
      newest.Step();
      if (newest_id && newest_from > valid_from && TemplateText(store_, newest_id) == text) {
        sp.Undo();
        continue;
      }
      std::string version_from = now;
      int64_t t;
      std::string after = std::max(valid_from, newest_from);
      if (version_from <= after && ParseTimeText(after, &t)) version_from = FormatTime(t + 1);
      Stmt move(store_.db(), "UPDATE process_templates SET valid_from=?, created=?, modified=? "
                             "WHERE id=?");
      move.Bind(1, std::string_view(version_from))
          .Bind(2, std::string_view(given_created ? *given_created : now))
          .Bind(3, std::string_view(now))
          .Bind(4, ctx.tid)
          .Run();
      Stmt back(store_.db(), "UPDATE process_templates SET valid_from=? WHERE id=?");
      back.Bind(1, std::string_view(valid_from)).Bind(2, old_id).Run();
      sp.Keep();
    }
  }

  // Activities and connectors of a template or of a block; names are unique
  // in the whole template.
  void LoadGraph(const TemplateCtx& ctx, Fields& f, const json& activities, const json* connectors,
                 std::optional<int64_t> block, std::set<std::string>* names, int64_t* position,
                 const std::string& template_name) {
    std::map<std::string, int64_t> local;  // activities of this graph
    std::vector<std::pair<int64_t, std::optional<std::string>>> outs;  // id, out structure
    for (size_t a = 0; a < activities.size(); ++a) {
      Fields af(activities[a], Indexed(f.Where("activities"), a),
                {"name", "kind", "program", "process", "description", "category",
                 "documentation", "inContainer", "outContainer", "staff", "startRule",
                 "startCondition", "exitCondition", "manualStart", "manualExit", "priority",
                 "notifyAfter", "secondNotifyAfter", "expiresAfter", "supportTools", "layout",
                 "activities", "connectors"});
      std::string aname = af.RequiredText("name");
      int64_t kind = af.Enum("kind", {{"process", 1}, {"program", 2}, {"block", 16}}, 2);
      auto program = af.Text("program"), subprocess = af.Text("process");
      auto adesc = af.Text("description"), acat = af.Text("category"),
           adoc = af.Text("documentation"), ain = af.Text("inContainer"),
           aout = af.Text("outContainer"), start = af.Text("startCondition"),
           exit = af.Text("exitCondition");
      bool manual_start = af.Bool("manualStart", false);
      bool manual_exit = af.Bool("manualExit", false);
      int64_t priority = af.Int("priority", 0, 0, 9);
      int64_t start_rule = af.Enum("startRule", {{"all", 0}, {"any", 1}}, 0);
      auto notify = af.OptInt("notifyAfter", 1, 100LL * 366 * 86400);
      auto notify2 = af.OptInt("secondNotifyAfter", 1, 100LL * 366 * 86400);
      auto expiry = af.OptInt("expiresAfter", 1, 100LL * 366 * 86400);
      if (notify2 && !notify)
        throw DefinitionError(af.Where("secondNotifyAfter") + ": needs notifyAfter");
      std::vector<std::string> tools = af.TextList("supportTools");
      int64_t x = 0, y = 0, name_x = 0, name_y = kNameLabelBelow;
      if (const json* layout = af.Object("layout")) {
        Fields lf(*layout, af.Where("layout"), {"x", "y", "nameX", "nameY"});
        x = lf.Int("x", 0, INT32_MIN, INT32_MAX);
        y = lf.Int("y", 0, INT32_MIN, INT32_MAX);
        // The name label stands under the symbol unless the layout places it.
        name_x = lf.Int("nameX", x, INT32_MIN, INT32_MAX);
        name_y = lf.Int("nameY", std::min<int64_t>(y + kNameLabelBelow, INT32_MAX), INT32_MIN, INT32_MAX);
      }
      std::vector<std::string> staff_roles, staff_persons;
      std::optional<std::string> staff_org;
      bool manager_of_starter = false, starter = false;
      std::optional<int64_t> level_min, level_max;
      if (const json* staff = af.Object("staff")) {
        Fields sf(*staff, af.Where("staff"),
                  {"roles", "persons", "organization", "managerOfStarter", "starter",
                   "levelMin", "levelMax"});
        staff_roles = sf.TextList("roles");
        staff_persons = sf.TextList("persons");
        staff_org = sf.Text("organization");
        manager_of_starter = sf.Bool("managerOfStarter", false);
        starter = sf.Bool("starter", false);
        level_min = sf.OptInt("levelMin", 0, 9);
        level_max = sf.OptInt("levelMax", 0, 9);
        for (size_t k = 0; k < staff_roles.size(); ++k)
          Later(Indexed(sf.Where("roles"), k), "role", staff_roles[k]);
        for (size_t k = 0; k < staff_persons.size(); ++k)
          Later(Indexed(sf.Where("persons"), k), "person", staff_persons[k]);
        Later(sf.Where("organization"), "organization", staff_org);
      }
      if (!names->insert(aname).second)
        throw DefinitionError(af.Where("name") + ": duplicate activity \"" + aname + "\"");
      if (names->size() > kMaxActivities)
        throw DefinitionError(af.where() + ": a template has at most " +
                              std::to_string(kMaxActivities) + " activities");
      if (kind == 2) {
        if (!program)
          throw DefinitionError(af.Where("program") + ": a program activity needs one");
        if (!IdOf(store_, "programs", *program))
          throw DefinitionError(af.Where("program") + ": unknown program \"" + *program + "\"");
      } else if (program) {
        throw DefinitionError(af.Where("program") + ": only program activities run a program");
      }
      if (kind == 1) {
        if (!subprocess)
          throw DefinitionError(af.Where("process") + ": a process activity needs one");
        Later(af.Where("process"), "template", subprocess);
        subprocess_edges_.push_back({template_name, *subprocess, af.Where("process")});
      } else if (subprocess) {
        throw DefinitionError(af.Where("process") + ": only process activities run a process");
      }
      const json* inner = af.List("activities");
      const json* inner_connectors = af.List("connectors");
      if (kind == 16 && (!inner || inner->empty()))
        throw DefinitionError(af.Where("activities") + ": a block needs at least one activity");
      if (kind != 16 && (inner || inner_connectors))
        throw DefinitionError(af.Where("activities") + ": only blocks hold activities");
      RequireStructure(ain, af.Where("inContainer"));
      RequireStructure(aout, af.Where("outContainer"));
      std::optional<std::string> in_s = ain ? ain : ctx.in, out_s = aout ? aout : ctx.out;
      CheckCondition(start, af.Where("startCondition"), in_s);
      CheckCondition(exit, af.Where("exitCondition"), out_s);
      Stmt s(store_.db(),
             "INSERT INTO activities(template_id, block_id, position, name, kind, description, "
             "category, documentation, program, subprocess, in_container, out_container, "
             "staff_roles, staff_persons, staff_organization, staff_manager_of_starter, "
             "staff_starter, staff_level_min, staff_level_max, start_rule, start_condition, "
             "exit_condition, manual_start, manual_exit, priority, notify_seconds, "
             "notify2_seconds, expiry_seconds, support_tools, layout_x, layout_y, "
             "layout_name_x, layout_name_y) "
             "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
      auto bind_opt = [&](int i, const std::optional<int64_t>& v) {
        if (v) s.Bind(i, *v); else s.BindNull(i);
      };
      s.Bind(1, ctx.tid);
      bind_opt(2, block);
      s.Bind(3, (*position)++).Bind(4, std::string_view(aname)).Bind(5, kind);
      s.Bind(6, adesc).Bind(7, acat).Bind(8, adoc).Bind(9, program).Bind(10, subprocess);
      s.Bind(11, in_s).Bind(12, out_s);
      s.Bind(13, std::string_view(Join(staff_roles)));
      s.Bind(14, std::string_view(Join(staff_persons))).Bind(15, staff_org);
      s.Bind(16, manager_of_starter ? 1 : 0).Bind(17, starter ? 1 : 0);
      bind_opt(18, level_min);
      bind_opt(19, level_max);
      s.Bind(20, start_rule).Bind(21, start).Bind(22, exit);
      s.Bind(23, manual_start ? 1 : 0).Bind(24, manual_exit ? 1 : 0).Bind(25, priority);
      bind_opt(26, notify);
      bind_opt(27, notify2);
      bind_opt(28, expiry);
      if (tools.empty()) s.BindNull(29); else s.Bind(29, std::string_view(Join(tools)));
      s.Bind(30, x).Bind(31, y).Bind(32, name_x).Bind(33, name_y).Run();
      int64_t aid = store_.LastInsertId();
      local[aname] = aid;
      outs.emplace_back(aid, out_s);
      if (kind == 16) {
        Fields bf = af;  // paths of the block's contents hang below the block
        LoadGraph(ctx, bf, *inner, inner_connectors, aid, names, position, template_name);
      }
    }
    if (!connectors) return;
    std::map<int64_t, std::vector<int64_t>> edges;
    std::set<int64_t> has_otherwise;
    for (size_t c = 0; c < connectors->size(); ++c) {
      Fields cf((*connectors)[c], Indexed(f.Where("connectors"), c),
                {"from", "to", "condition", "otherwise", "name", "bendPoints"});
      std::string from = cf.RequiredText("from"), to = cf.RequiredText("to");
      auto condition = cf.Text("condition"), cname = cf.Text("name");
      bool otherwise = cf.Bool("otherwise", false);
      std::string bends;
      if (const json* bp = cf.List("bendPoints")) {
        for (size_t k = 0; k < bp->size(); ++k) {
          const json& p = (*bp)[k];
          if (!p.is_array() || p.size() != 2 || !p[0].is_number_integer() ||
              !p[1].is_number_integer() || std::llabs(p[0].get<int64_t>()) > INT32_MAX ||
              std::llabs(p[1].get<int64_t>()) > INT32_MAX)
            throw DefinitionError(Indexed(cf.Where("bendPoints"), k) +
                                  ": expected [x, y] with integers");
          bends += (bends.empty() ? "" : ";") + std::to_string(p[0].get<int64_t>()) + "," +
                   std::to_string(p[1].get<int64_t>());
        }
      }
      auto find = [&](const std::string& n, const char* key) {
        auto it = local.find(n);
        if (it == local.end())
          throw DefinitionError(cf.Where(key) + ": unknown activity \"" + n + "\"" +
                                (block ? " in this block" : ""));
        return it->second;
      };
      int64_t from_id = find(from, "from"), to_id = find(to, "to");
      if (from_id == to_id)
        throw DefinitionError(cf.where() + ": a connector must join two activities");
      if (otherwise && condition)
        throw DefinitionError(cf.where() + ": an otherwise connector has no condition");
      if (otherwise && !has_otherwise.insert(from_id).second)
        throw DefinitionError(cf.where() + ": \"" + from + "\" has two otherwise connectors");
      std::optional<std::string> out_s;
      for (const auto& [id, s] : outs)
        if (id == from_id) out_s = s;
      CheckCondition(condition, cf.Where("condition"), out_s);
      edges[from_id].push_back(to_id);
      Stmt s(store_.db(), "INSERT INTO control_connectors(template_id, from_activity, "
                          "to_activity, condition, kind, name, bend_points) "
                          "VALUES(?,?,?,?,?,?,?)");
      s.Bind(1, ctx.tid).Bind(2, from_id).Bind(3, to_id).Bind(4, condition);
      s.Bind(5, otherwise ? 2 : 1).Bind(6, cname);
      if (bends.empty()) s.BindNull(7); else s.Bind(7, std::string_view(bends));
      s.Run();
    }
    // Navigation needs an acyclic graph; repetition is what blocks are for.
    std::map<int64_t, int> colour;
    std::function<bool(int64_t)> cyclic = [&](int64_t n) {
      colour[n] = 1;
      for (int64_t m : edges[n]) {
        if (colour[m] == 1 || (colour[m] == 0 && cyclic(m))) return true;
      }
      colour[n] = 2;
      return false;
    };
    for (const auto& [name, id] : local)
      if (colour[id] == 0 && cyclic(id))
        throw DefinitionError(f.Where("connectors") + ": the connectors form a cycle through \"" +
                              name + "\" (use a block to repeat)");
  }

  struct SubprocessEdge {
    std::string from, to, where;
  };

  // A template that runs itself through process activities would never end.
  void CheckSubprocessRecursion() {
    std::map<std::string, std::vector<std::string>> graph;
    // Templates in the store take part too, by their newest version.
    Stmt q(store_.db(), "SELECT t.name, a.subprocess FROM activities a "
                        "JOIN process_templates t ON t.id = a.template_id "
                        "WHERE a.subprocess IS NOT NULL");
    while (q.Step()) graph[q.Text(0)].push_back(q.Text(1));
    for (const SubprocessEdge& e : subprocess_edges_) {
      std::set<std::string> seen;
      std::vector<std::pair<std::string, size_t>> todo = {{e.to, 1}};
      while (!todo.empty()) {
        auto [n, depth] = todo.back();
        todo.pop_back();
        if (n == e.from)
          throw DefinitionError(e.where + ": process \"" + e.to + "\" leads back to \"" +
                                e.from + "\" (sub-process recursion)");
        if (depth > kMaxSubprocessDepth)
          throw DefinitionError(e.where + ": sub-processes nest deeper than " +
                                std::to_string(kMaxSubprocessDepth) + " levels");
        if (!seen.insert(n).second) continue;
        for (const std::string& m : graph[n]) todo.emplace_back(m, depth + 1);
      }
    }
  }

  Store& store_;
  std::map<std::string, std::map<std::string, std::string>> defined_;  // kind -> name -> where
  std::vector<Pending> pending_;
  std::vector<SubprocessEdge> subprocess_edges_;
};

// Line and column of a byte offset, for messages about the text itself.
std::string LineColumn(const std::string& text, size_t offset) {
  size_t line = 1, col = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      col = 1;
    } else {
      ++col;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(col);
}

// Parses text, keeping track of where in the document the parser is, so that
// an error nlohmann reports without a path (a number out of range) gets one.
bool ParseJson(const std::string& text, json* out, std::string* error) {
  struct Frame {
    bool array;
    size_t index = 0;
    std::string key;
  };
  std::vector<Frame> stack;
  auto path = [&] {
    std::string p = "definition";
    for (const Frame& f : stack)
      p += f.array ? "[" + std::to_string(f.index) + "]" : (f.key.empty() ? "" : "." + f.key);
    return p;
  };
  auto finished_value = [&] {
    if (!stack.empty() && stack.back().array) ++stack.back().index;
  };
  bool too_deep = false;
  json::parser_callback_t cb = [&](int depth, json::parse_event_t event, json& parsed) {
    if (depth > kMaxJsonDepth) {
      too_deep = true;
      throw DefinitionError(path() + ": nested deeper than " + std::to_string(kMaxJsonDepth));
    }
    // Texts reach SQLite, crypt(3) and C strings: a NUL would cut them short
    // there (a password, a user id) while the JSON text looks whole.
    auto no_nul = [&](const json& text, const char* what) {
      if (text.is_string() && text.get_ref<const std::string&>().find('\0') != std::string::npos)
        throw DefinitionError(path() + ": " + what + " contains a NUL character");
    };
    switch (event) {
      case json::parse_event_t::object_start: stack.push_back(Frame{false, 0, {}}); break;
      case json::parse_event_t::array_start: stack.push_back(Frame{true, 0, {}}); break;
      case json::parse_event_t::key:
        // A key's own text is not named: the path stops at its object.
        stack.back().key.clear();
        no_nul(parsed, "a key");
        stack.back().key = parsed.get<std::string>();
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        stack.pop_back();
        finished_value();
        break;
      case json::parse_event_t::value:
        no_nul(parsed, "text");
        finished_value();
        break;
    }
    return true;
  };
  try {
    *out = json::parse(text, cb);
    return true;
  } catch (const DefinitionError& e) {
    *error = e.what();
  } catch (const json::parse_error& e) {
    *error = path() + ": not valid JSON at " + LineColumn(text, e.byte ? e.byte - 1 : 0) +
             ": " + e.what();
  } catch (const json::exception& e) {
    // Numbers beyond the range of a double land here.
    *error = path() + ": " + e.what();
  }
  (void)too_deep;
  return false;
}

}  // namespace

bool LoadSystemDefinition(Store& store, const std::string& json_text, std::string* error) {
  json root;
  if (!ParseJson(json_text, &root, error)) return false;
  try {
    Loader(store).Load(root);
  } catch (const DefinitionError& e) {
    *error = e.what();
    return false;
  } catch (const json::exception& e) {
    *error = std::string("definition: ") + e.what();
    return false;
  } catch (const StoreError& e) {
    *error = std::string("store: ") + e.what();
    return false;
  }
  return true;
}

void SeedSampleSystem(Store& store) {
  std::string error;
  if (!LoadSystemDefinition(store, SampleSystemDefinition(), &error))
    throw StoreError(SQLITE_ERROR, "sample system: " + error);
}

}  // namespace pvxjsim
