#include "seed.h"

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>

#include "clock.h"
#include "password.h"
#include "store.h"

namespace pvxjsim {

namespace {

using nlohmann::json;

struct DefinitionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Reads one JSON object strictly: every key must be read, so a misspelt key
// is an error instead of being silently ignored.
class Fields {
 public:
  Fields(const json& j, std::string where) : j_(j), where_(std::move(where)) {
    if (!j.is_object()) throw DefinitionError(where_ + ": expected an object");
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
  int64_t Int(const char* key, int64_t fallback, int64_t lo, int64_t hi) {
    const json* v = Take(key);
    if (!v || v->is_null()) return fallback;
    if (!v->is_number_integer()) throw DefinitionError(Where(key) + ": expected an integer");
    int64_t n = v->get<int64_t>();
    if (n < lo || n > hi) throw DefinitionError(Where(key) + ": out of range");
    return n;
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
    for (const auto& [name, value] : names) allowed += std::string(allowed.empty() ? "" : ", ") + name;
    throw DefinitionError(Where(key) + ": expected one of " + allowed);
  }
  std::vector<std::string> TextList(const char* key) {
    std::vector<std::string> out;
    const json* v = Take(key);
    if (!v || v->is_null()) return out;
    if (!v->is_array()) throw DefinitionError(Where(key) + ": expected a list");
    for (const json& e : *v) {
      if (!e.is_string() || e.get<std::string>().empty())
        throw DefinitionError(Where(key) + ": expected a list of names");
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
  void Done() const {
    for (auto it = j_.begin(); it != j_.end(); ++it)
      if (!seen_.count(it.key())) throw DefinitionError(where_ + ": unknown key \"" + it.key() + "\"");
  }
  std::string Where(const char* key) const { return where_ + "." + key; }
  const std::string& where() const { return where_; }

 private:
  const json* Take(const char* key) {
    seen_.insert(key);
    auto it = j_.find(key);
    return it == j_.end() ? nullptr : &*it;
  }
  const json& j_;
  std::string where_;
  std::set<std::string> seen_;
};

std::string Indexed(const std::string& base, size_t i) {
  return base + "[" + std::to_string(i) + "]";
}

bool TimeTextValid(const std::string& s) {
  // YYYY-MM-DD HH:MM:SS
  if (s.size() != 19) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    bool sep = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
    if (sep) {
      char want = i < 10 ? '-' : (i == 10 ? ' ' : ':');
      if (c != want) return false;
    } else if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

int64_t IdOf(Store& store, const char* table, const std::string& name) {
  std::string sql = std::string("SELECT id FROM ") + table + " WHERE name=?";
  Stmt s(store.db(), sql);
  s.Bind(1, std::string_view(name));
  return s.Step() ? s.Int(0) : 0;
}

bool PersonExists(Store& store, const std::string& user) {
  Stmt s(store.db(), "SELECT 1 FROM persons WHERE user_id=?");
  s.Bind(1, std::string_view(user));
  return s.Step();
}

void LoadSystem(Store& store, Fields& f) {
  auto name = f.Text("name");
  auto group = f.Text("group");
  f.Done();
  if (name) store.SetMeta("system_name", *name);
  if (group) store.SetMeta("system_group_name", *group);
}

void LoadRoles(Store& store, const json& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("roles", i));
    std::string name = f.RequiredText("name");
    auto description = f.Text("description");
    f.Done();
    Stmt s(store.db(), "INSERT INTO roles(name, description) VALUES(?,?) "
                       "ON CONFLICT(name) DO UPDATE SET description=excluded.description");
    s.Bind(1, std::string_view(name)).Bind(2, description).Run();
  }
}

struct PendingOrganization {
  std::string where, name;
  std::optional<std::string> manager, parent;
};

std::vector<PendingOrganization> LoadOrganizations(Store& store, const json& list) {
  std::vector<PendingOrganization> out;
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("organizations", i));
    PendingOrganization o{f.where(), f.RequiredText("name"), f.Text("manager"), f.Text("parent")};
    f.Done();
    Stmt s(store.db(), "INSERT INTO organizations(name, manager, parent) VALUES(?,?,?) "
                       "ON CONFLICT(name) DO UPDATE SET manager=excluded.manager, "
                       "parent=excluded.parent");
    s.Bind(1, std::string_view(o.name)).Bind(2, o.manager).Bind(3, o.parent).Run();
    out.push_back(std::move(o));
  }
  return out;
}

struct PendingPerson {
  std::string where, user;
  std::optional<std::string> manager, substitute, organization;
};

std::vector<PendingPerson> LoadPersons(Store& store, const json& list) {
  std::vector<PendingPerson> out;
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("persons", i));
    std::string user = f.RequiredText("userId");
    if (user.find_first_of(" \t\r\n") != std::string::npos)
      throw DefinitionError(f.Where("userId") + ": must not contain blanks");
    auto password = f.Text("password");
    auto first = f.Text("firstName"), middle = f.Text("middleName"), last = f.Text("lastName");
    auto description = f.Text("description"), phone = f.Text("phone"),
         second_phone = f.Text("secondPhone"), organization = f.Text("organization"),
         manager = f.Text("manager"), substitute = f.Text("substitute");
    int64_t level = f.Int("level", 0, 0, 9);
    bool admin = f.Bool("administrator", false);
    bool absent = f.Bool("absent", false);
    std::vector<std::string> roles = f.TextList("roles");
    f.Done();
    // Checked after Done() so that a misspelt key is what gets reported.
    if (!password) throw DefinitionError(f.Where("password") + ": required text missing");

    Stmt s(store.db(),
           "INSERT INTO persons(user_id, password_hash, first_name, middle_name, last_name, "
           "description, phone, second_phone, organization, manager, substitute, level, "
           "is_admin, absent) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?) "
           "ON CONFLICT(user_id) DO UPDATE SET password_hash=excluded.password_hash, "
           "first_name=excluded.first_name, middle_name=excluded.middle_name, "
           "last_name=excluded.last_name, description=excluded.description, "
           "phone=excluded.phone, second_phone=excluded.second_phone, "
           "organization=excluded.organization, manager=excluded.manager, "
           "substitute=excluded.substitute, level=excluded.level, is_admin=excluded.is_admin, "
           "absent=excluded.absent");
    s.Bind(1, std::string_view(user)).Bind(2, std::string_view(HashPassword(*password))).Bind(3, first).Bind(4, middle);
    s.Bind(5, last).Bind(6, description).Bind(7, phone).Bind(8, second_phone);
    s.Bind(9, organization).Bind(10, manager).Bind(11, substitute).Bind(12, level);
    s.Bind(13, admin ? 1 : 0).Bind(14, absent ? 1 : 0).Run();

    int64_t person_id;
    {
      Stmt q(store.db(), "SELECT id FROM persons WHERE user_id=?");
      q.Bind(1, std::string_view(user));
      q.Step();
      person_id = q.Int(0);
    }
    Stmt clear(store.db(), "DELETE FROM person_roles WHERE person_id=?");
    clear.Bind(1, person_id).Run();
    for (const std::string& role : roles) {
      int64_t role_id = IdOf(store, "roles", role);
      if (!role_id) throw DefinitionError(f.Where("roles") + ": unknown role \"" + role + "\"");
      Stmt r(store.db(), "INSERT OR IGNORE INTO person_roles(person_id, role_id) VALUES(?,?)");
      r.Bind(1, person_id).Bind(2, role_id).Run();
    }
    out.push_back({f.where(), user, manager, substitute, organization});
  }
  return out;
}

const std::set<std::string> kBasicTypes = {"STRING", "LONG", "FLOAT", "BINARY"};

void LoadStructures(Store& store, const json& list) {
  // Members may name structures defined later in the list, so types are
  // checked after all structures exist.
  std::vector<std::pair<std::string, std::string>> typed;  // where, type
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("dataStructures", i));
    std::string name = f.RequiredText("name");
    auto description = f.Text("description");
    const json* members = f.List("members");
    f.Done();
    {
      Stmt s(store.db(), "INSERT INTO data_structures(name, description) VALUES(?,?) "
                         "ON CONFLICT(name) DO UPDATE SET description=excluded.description");
      s.Bind(1, std::string_view(name)).Bind(2, description).Run();
    }
    int64_t sid = IdOf(store, "data_structures", name);
    Stmt clear(store.db(), "DELETE FROM data_members WHERE structure_id=?");
    clear.Bind(1, sid).Run();
    if (!members || members->empty())
      throw DefinitionError(f.Where("members") + ": a structure needs at least one member");
    std::set<std::string> names;
    for (size_t m = 0; m < members->size(); ++m) {
      Fields mf((*members)[m], Indexed(f.Where("members"), m));
      std::string mname = mf.RequiredText("name");
      if (mname.find('.') != std::string::npos)
        throw DefinitionError(mf.Where("name") + ": member names must not contain '.'");
      std::string type = mf.RequiredText("type");
      int64_t array_size = mf.Int("arraySize", 0, 0, 1000);
      auto mdesc = mf.Text("description");
      mf.Done();
      if (!names.insert(mname).second)
        throw DefinitionError(mf.Where("name") + ": duplicate member \"" + mname + "\"");
      Stmt s(store.db(), "INSERT INTO data_members(structure_id, position, name, type, "
                         "array_size, description) VALUES(?,?,?,?,?,?)");
      s.Bind(1, sid).Bind(2, static_cast<int64_t>(m)).Bind(3, std::string_view(mname));
      s.Bind(4, std::string_view(type)).Bind(5, array_size).Bind(6, mdesc).Run();
      typed.emplace_back(mf.Where("type"), type);
    }
  }
  for (const auto& [where, type] : typed)
    if (!kBasicTypes.count(type) && !IdOf(store, "data_structures", type))
      throw DefinitionError(where + ": unknown type \"" + type + "\"");
  // A structure that contains itself, directly or not, has no finite layout.
  Stmt cyc(store.db(),
           "WITH RECURSIVE reach(root, name, depth) AS ("
           "  SELECT s.name, m.type, 1 FROM data_structures s JOIN data_members m "
           "    ON m.structure_id = s.id "
           "  UNION SELECT r.root, m.type, r.depth + 1 FROM reach r "
           "    JOIN data_structures s ON s.name = r.name "
           "    JOIN data_members m ON m.structure_id = s.id WHERE r.depth < 64) "
           "SELECT root FROM reach WHERE root = name LIMIT 1");
  if (cyc.Step())
    throw DefinitionError("dataStructures: structure \"" + cyc.Text(0) + "\" contains itself");
}

void RequireStructure(Store& store, const std::optional<std::string>& name,
                      const std::string& where) {
  if (name && !IdOf(store, "data_structures", *name))
    throw DefinitionError(where + ": unknown data structure \"" + *name + "\"");
}

int64_t ParsePlatform(Fields& f) {
  return f.Enum("platform",
                {{"NotSet", 0}, {"Quill", 1}, {"Borix", 2}, {"HPUX", 3}, {"Windows95", 4},
                 {"WindowsNT", 5}, {"Vantor", 6}, {"Solaris", 7}},
                0);
}

void LoadPrograms(Store& store, const json& list) {
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("programs", i));
    std::string name = f.RequiredText("name");
    auto description = f.Text("description"), executable = f.Text("executable");
    int64_t platform = ParsePlatform(f);
    auto in = f.Text("inContainer"), out = f.Text("outContainer");
    bool unattended = f.Bool("unattended", false);
    f.Done();
    RequireStructure(store, in, f.Where("inContainer"));
    RequireStructure(store, out, f.Where("outContainer"));
    Stmt s(store.db(),
           "INSERT INTO programs(name, description, executable, platform, in_container, "
           "out_container, unattended) VALUES(?,?,?,?,?,?,?) ON CONFLICT(name) DO UPDATE SET "
           "description=excluded.description, executable=excluded.executable, "
           "platform=excluded.platform, in_container=excluded.in_container, "
           "out_container=excluded.out_container, unattended=excluded.unattended");
    s.Bind(1, std::string_view(name)).Bind(2, description).Bind(3, executable);
    s.Bind(4, platform).Bind(5, in).Bind(6, out).Bind(7, unattended ? 1 : 0).Run();
  }
}

std::string Join(const std::vector<std::string>& v) {
  std::string out;
  for (const auto& s : v) out += (out.empty() ? "" : ";") + s;
  return out;
}

struct PendingSubprocess {
  std::string where, name;
};

void LoadTemplates(Store& store, const json& list, std::vector<PendingSubprocess>* subprocesses) {
  std::set<std::pair<std::string, std::string>> seen;
  for (size_t i = 0; i < list.size(); ++i) {
    Fields f(list[i], Indexed("processTemplates", i));
    std::string name = f.RequiredText("name");
    auto description = f.Text("description"), category = f.Text("category"),
         documentation = f.Text("documentation"), organization = f.Text("organization"),
         role = f.Text("role"), admin = f.Text("processAdmin");
    int64_t audit = f.Enum("auditMode",
                           {{"NotSet", 0}, {"NoAudit", 1}, {"Condensed", 2}, {"Full", 3},
                            {"Filter", 4}},
                           0);
    auto in = f.Text("inContainer"), out = f.Text("outContainer"), icon = f.Text("icon");
    // Without validFrom a definition replaces the newest version of the
    // template, so that loading the same file twice changes nothing.
    std::optional<std::string> given_valid_from = f.Text("validFrom");
    std::string created = f.Text("created").value_or(ClockNow(store));
    const json* activities = f.List("activities");
    const json* connectors = f.List("connectors");
    f.Done();
    std::string valid_from;
    if (given_valid_from) {
      valid_from = *given_valid_from;
    } else {
      Stmt latest(store.db(), "SELECT max(valid_from) FROM process_templates WHERE name=?");
      latest.Bind(1, std::string_view(name));
      latest.Step();
      valid_from = latest.IsNull(0) ? ClockNow(store) : latest.Text(0);
    }
    if (!TimeTextValid(valid_from))
      throw DefinitionError(f.Where("validFrom") + ": expected YYYY-MM-DD HH:MM:SS");
    if (!TimeTextValid(created))
      throw DefinitionError(f.Where("created") + ": expected YYYY-MM-DD HH:MM:SS");
    if (!seen.insert({name, valid_from}).second)
      throw DefinitionError(f.where() + ": template \"" + name + "\" defined twice");
    RequireStructure(store, in, f.Where("inContainer"));
    RequireStructure(store, out, f.Where("outContainer"));
    if (admin && !PersonExists(store, *admin))
      throw DefinitionError(f.Where("processAdmin") + ": unknown person \"" + *admin + "\"");
    if (role && !IdOf(store, "roles", *role))
      throw DefinitionError(f.Where("role") + ": unknown role \"" + *role + "\"");
    if (!activities || activities->empty())
      throw DefinitionError(f.Where("activities") + ": a template needs at least one activity");

    // Same name and version replaces the old definition, unless instances
    // were already made from it.
    {
      Stmt old(store.db(), "SELECT id FROM process_templates WHERE name=? AND valid_from=?");
      old.Bind(1, std::string_view(name)).Bind(2, std::string_view(valid_from));
      if (old.Step()) {
        int64_t old_id = old.Int(0);
        Stmt used(store.db(), "SELECT 1 FROM process_instances WHERE template_id=? LIMIT 1");
        used.Bind(1, old_id);
        if (used.Step())
          throw DefinitionError(f.where() + ": template \"" + name +
                                "\" has instances and cannot be replaced");
        Stmt del(store.db(), "DELETE FROM process_templates WHERE id=?");
        del.Bind(1, old_id).Run();
      }
    }
    Stmt ins(store.db(),
             "INSERT INTO process_templates(name, description, category, documentation, "
             "organization, role_name, process_admin, audit_mode, in_container, out_container, "
             "icon, valid_from, created, modified) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    ins.Bind(1, std::string_view(name)).Bind(2, description).Bind(3, category);
    ins.Bind(4, documentation).Bind(5, organization).Bind(6, role).Bind(7, admin);
    ins.Bind(8, audit).Bind(9, in).Bind(10, out).Bind(11, icon);
    ins.Bind(12, std::string_view(valid_from)).Bind(13, std::string_view(created));
    ins.Bind(14, std::string_view(created)).Run();
    int64_t tid = store.LastInsertId();

    std::set<std::string> names;
    for (size_t a = 0; a < activities->size(); ++a) {
      Fields af((*activities)[a], Indexed(f.Where("activities"), a));
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
      std::vector<std::string> staff_roles, staff_persons;
      std::optional<std::string> staff_org;
      bool manager_of_starter = false;
      if (const json* staff = af.Object("staff")) {
        Fields sf(*staff, af.Where("staff"));
        staff_roles = sf.TextList("roles");
        staff_persons = sf.TextList("persons");
        staff_org = sf.Text("organization");
        manager_of_starter = sf.Bool("managerOfStarter", false);
        sf.Done();
        for (const auto& r : staff_roles)
          if (!IdOf(store, "roles", r))
            throw DefinitionError(sf.Where("roles") + ": unknown role \"" + r + "\"");
        for (const auto& p : staff_persons)
          if (!PersonExists(store, p))
            throw DefinitionError(sf.Where("persons") + ": unknown person \"" + p + "\"");
        if (staff_org && !IdOf(store, "organizations", *staff_org))
          throw DefinitionError(sf.Where("organization") + ": unknown organization \"" +
                                *staff_org + "\"");
      }
      af.Done();
      if (!names.insert(aname).second)
        throw DefinitionError(af.Where("name") + ": duplicate activity \"" + aname + "\"");
      if (kind == 2) {
        if (!program) throw DefinitionError(af.Where("program") + ": a program activity needs one");
        if (!IdOf(store, "programs", *program))
          throw DefinitionError(af.Where("program") + ": unknown program \"" + *program + "\"");
      }
      if (kind == 1) {
        if (!subprocess)
          throw DefinitionError(af.Where("process") + ": a process activity needs one");
        subprocesses->push_back({af.Where("process"), *subprocess});
      }
      RequireStructure(store, ain, af.Where("inContainer"));
      RequireStructure(store, aout, af.Where("outContainer"));
      Stmt s(store.db(),
             "INSERT INTO activities(template_id, position, name, kind, description, category, "
             "documentation, program, subprocess, in_container, out_container, staff_roles, "
             "staff_persons, staff_organization, staff_manager_of_starter, start_condition, "
             "exit_condition, manual_start, manual_exit, priority) "
             "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
      s.Bind(1, tid).Bind(2, static_cast<int64_t>(a)).Bind(3, std::string_view(aname));
      s.Bind(4, kind).Bind(5, adesc).Bind(6, acat).Bind(7, adoc).Bind(8, program);
      s.Bind(9, subprocess).Bind(10, ain ? ain : in).Bind(11, aout ? aout : out);
      s.Bind(12, std::string_view(Join(staff_roles)));
      s.Bind(13, std::string_view(Join(staff_persons))).Bind(14, staff_org);
      s.Bind(15, manager_of_starter ? 1 : 0).Bind(16, start).Bind(17, exit);
      s.Bind(18, manual_start ? 1 : 0).Bind(19, manual_exit ? 1 : 0).Bind(20, priority).Run();
    }
    if (connectors) {
      for (size_t c = 0; c < connectors->size(); ++c) {
        Fields cf((*connectors)[c], Indexed(f.Where("connectors"), c));
        std::string from = cf.RequiredText("from"), to = cf.RequiredText("to");
        auto condition = cf.Text("condition");
        cf.Done();
        auto activity_id = [&](const std::string& n, const char* key) {
          Stmt q(store.db(), "SELECT id FROM activities WHERE template_id=? AND name=?");
          q.Bind(1, tid).Bind(2, std::string_view(n));
          if (!q.Step())
            throw DefinitionError(cf.Where(key) + ": unknown activity \"" + n + "\"");
          return q.Int(0);
        };
        int64_t from_id = activity_id(from, "from"), to_id = activity_id(to, "to");
        if (from_id == to_id)
          throw DefinitionError(cf.where() + ": a connector must join two activities");
        Stmt s(store.db(), "INSERT INTO control_connectors(template_id, from_activity, "
                           "to_activity, condition) VALUES(?,?,?,?)");
        s.Bind(1, tid).Bind(2, from_id).Bind(3, to_id).Bind(4, condition).Run();
      }
    }
  }
}

void Load(Store& store, const json& root) {
  Fields f(root, "definition");
  const json* system = f.Object("system");
  const json* roles = f.List("roles");
  const json* organizations = f.List("organizations");
  const json* persons = f.List("persons");
  const json* structures = f.List("dataStructures");
  const json* programs = f.List("programs");
  const json* templates = f.List("processTemplates");
  f.Done();

  if (system) {
    Fields sf(*system, "system");
    LoadSystem(store, sf);
  }
  if (roles) LoadRoles(store, *roles);
  std::vector<PendingOrganization> orgs;
  if (organizations) orgs = LoadOrganizations(store, *organizations);
  std::vector<PendingPerson> people;
  if (persons) people = LoadPersons(store, *persons);
  // References between persons and organizations may point forward, so they
  // are checked once all of them are in.
  for (const auto& p : people) {
    if (p.manager && !PersonExists(store, *p.manager))
      throw DefinitionError(p.where + ".manager: unknown person \"" + *p.manager + "\"");
    if (p.substitute && !PersonExists(store, *p.substitute))
      throw DefinitionError(p.where + ".substitute: unknown person \"" + *p.substitute + "\"");
    if (p.organization && !IdOf(store, "organizations", *p.organization))
      throw DefinitionError(p.where + ".organization: unknown organization \"" +
                            *p.organization + "\"");
  }
  for (const auto& o : orgs) {
    if (o.manager && !PersonExists(store, *o.manager))
      throw DefinitionError(o.where + ".manager: unknown person \"" + *o.manager + "\"");
    if (o.parent && !IdOf(store, "organizations", *o.parent))
      throw DefinitionError(o.where + ".parent: unknown organization \"" + *o.parent + "\"");
  }
  if (structures) LoadStructures(store, *structures);
  if (programs) LoadPrograms(store, *programs);
  std::vector<PendingSubprocess> subprocesses;
  if (templates) LoadTemplates(store, *templates, &subprocesses);
  for (const auto& sp : subprocesses)
    if (!IdOf(store, "process_templates", sp.name))
      throw DefinitionError(sp.where + ": unknown process template \"" + sp.name + "\"");

  if (store.Meta("system_name").empty()) store.SetMeta("system_name", "PVXSYS");
  if (store.Meta("system_group_name").empty()) store.SetMeta("system_group_name", "PVXGRP");
}

}  // namespace

bool LoadSystemDefinition(Store& store, const std::string& json_text, std::string* error) {
  json root;
  try {
    root = json::parse(json_text);
  } catch (const json::parse_error& e) {
    *error = std::string("not valid JSON: ") + e.what();
    return false;
  }
  try {
    Load(store, root);
  } catch (const DefinitionError& e) {
    *error = e.what();
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
