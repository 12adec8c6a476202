// Writes a store's definitions back in the definition format, so that loading
// the dump into an empty store gives the same definitions.
#include <algorithm>
#include <nlohmann/json.hpp>

#include "seed.h"
#include "store.h"

namespace pvxjsim {

namespace {

using ojson = nlohmann::ordered_json;

// Puts a column under key when it is not NULL.
void Opt(ojson& o, const char* key, const Stmt& q, int col) {
  if (!q.IsNull(col)) o[key] = q.Text(col);
}
void OptInt(ojson& o, const char* key, const Stmt& q, int col) {
  if (!q.IsNull(col)) o[key] = q.Int(col);
}
void OptBool(ojson& o, const char* key, const Stmt& q, int col) {
  if (!q.IsNull(col)) o[key] = q.Int(col) != 0;
}
void Flag(ojson& o, const char* key, const Stmt& q, int col) {
  if (q.Int(col)) o[key] = true;
}
ojson List(const std::string& joined) {
  ojson a = ojson::array();
  size_t start = 0;
  while (!joined.empty()) {
    size_t semi = joined.find(';', start);
    a.push_back(joined.substr(start, semi == std::string::npos ? semi : semi - start));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return a;
}
const char* Name(int64_t v, std::initializer_list<std::pair<int64_t, const char*>> names) {
  for (const auto& [k, n] : names)
    if (k == v) return n;
  return "NotSet";
}
const char* PlatformName(int64_t v) {
  return Name(v, {{0, "NotSet"}, {1, "Quill"}, {2, "Borix"}, {3, "HPUX"}, {4, "Windows95"},
                  {5, "WindowsNT"}, {6, "Vantor"}, {7, "Solaris"}});
}

ojson Graph(Store& store, int64_t tid, std::optional<int64_t> block,
            const std::optional<std::string>& tin, const std::optional<std::string>& tout,
            ojson* connectors_out) {
  ojson acts = ojson::array();
  Stmt q(store.db(),
         "SELECT id, name, kind, program, subprocess, description, category, documentation, "
         "in_container, out_container, staff_roles, staff_persons, staff_organization, "
         "staff_manager_of_starter, staff_starter, staff_level_min, staff_level_max, "
         "start_rule, start_condition, exit_condition, manual_start, manual_exit, priority, "
         "notify_seconds, notify2_seconds, expiry_seconds, support_tools, layout_x, layout_y, "
         "layout_name_x, layout_name_y FROM activities WHERE template_id=? AND block_id IS ? ORDER BY position");
  q.Bind(1, tid);
  if (block) q.Bind(2, *block); else q.BindNull(2);
  std::vector<std::pair<int64_t, size_t>> blocks;
  while (q.Step()) {
    ojson a;
    a["name"] = q.Text(1);
    int64_t kind = q.Int(2);
    a["kind"] = kind == 1 ? "process" : kind == 16 ? "block" : "program";
    Opt(a, "program", q, 3);
    Opt(a, "process", q, 4);
    Opt(a, "description", q, 5);
    Opt(a, "category", q, 6);
    Opt(a, "documentation", q, 7);
    if (!q.IsNull(8) && (!tin || q.Text(8) != *tin)) a["inContainer"] = q.Text(8);
    if (!q.IsNull(9) && (!tout || q.Text(9) != *tout)) a["outContainer"] = q.Text(9);
    ojson staff = ojson::object();
    if (!q.Text(10).empty()) staff["roles"] = List(q.Text(10));
    if (!q.Text(11).empty()) staff["persons"] = List(q.Text(11));
    Opt(staff, "organization", q, 12);
    Flag(staff, "managerOfStarter", q, 13);
    Flag(staff, "starter", q, 14);
    OptInt(staff, "levelMin", q, 15);
    OptInt(staff, "levelMax", q, 16);
    if (!staff.empty()) a["staff"] = staff;
    if (q.Int(17)) a["startRule"] = "any";
    Opt(a, "startCondition", q, 18);
    Opt(a, "exitCondition", q, 19);
    Flag(a, "manualStart", q, 20);
    Flag(a, "manualExit", q, 21);
    if (q.Int(22)) a["priority"] = q.Int(22);
    OptInt(a, "notifyAfter", q, 23);
    OptInt(a, "secondNotifyAfter", q, 24);
    OptInt(a, "expiresAfter", q, 25);
    if (!q.IsNull(26)) a["supportTools"] = List(q.Text(26));
    // A name label where the loader would put it unplaced is left out.
    bool label_moved = q.Int(29) != q.Int(27) || q.Int(30) != std::min<int64_t>(q.Int(28) + 40, INT32_MAX);
    if (q.Int(27) || q.Int(28) || label_moved) {
      ojson layout = {{"x", q.Int(27)}, {"y", q.Int(28)}};
      if (label_moved) {
        layout["nameX"] = q.Int(29);
        layout["nameY"] = q.Int(30);
      }
      a["layout"] = layout;
    }
    if (kind == 16) blocks.emplace_back(q.Int(0), acts.size());
    acts.push_back(a);
  }
  for (const auto& [bid, index] : blocks) {
    ojson inner_connectors = ojson::array();
    acts[index]["activities"] = Graph(store, tid, bid, tin, tout, &inner_connectors);
    if (!inner_connectors.empty()) acts[index]["connectors"] = inner_connectors;
  }
  Stmt c(store.db(),
         "SELECT f.name, t.name, c.condition, c.kind, c.name, c.bend_points "
         "FROM control_connectors c JOIN activities f ON f.id = c.from_activity "
         "JOIN activities t ON t.id = c.to_activity "
         "WHERE c.template_id=? AND f.block_id IS ? ORDER BY c.id");
  c.Bind(1, tid);
  if (block) c.Bind(2, *block); else c.BindNull(2);
  while (c.Step()) {
    ojson o;
    o["from"] = c.Text(0);
    o["to"] = c.Text(1);
    Opt(o, "condition", c, 2);
    if (c.Int(3) == 2) o["otherwise"] = true;
    Opt(o, "name", c, 4);
    if (!c.IsNull(5)) {
      ojson points = ojson::array();
      for (const auto& p : List(c.Text(5))) {
        std::string s = p.get<std::string>();
        size_t comma = s.find(',');
        points.push_back({std::stoll(s.substr(0, comma)), std::stoll(s.substr(comma + 1))});
      }
      o["bendPoints"] = points;
    }
    connectors_out->push_back(o);
  }
  return acts;
}

}  // namespace

std::string DumpSystemDefinition(Store& store) {
  ojson root;
  root["system"] = {{"name", store.Meta("system_name")},
                    {"group", store.Meta("system_group_name")}};
  ojson roles = ojson::array();
  for (Stmt q(store.db(), "SELECT name, description, coordinator FROM roles ORDER BY id");
       q.Step();) {
    ojson r;
    r["name"] = q.Text(0);
    Opt(r, "description", q, 1);
    Opt(r, "coordinator", q, 2);
    roles.push_back(r);
  }
  root["roles"] = roles;
  ojson orgs = ojson::array();
  for (Stmt q(store.db(), "SELECT name, manager, parent FROM organizations ORDER BY id");
       q.Step();) {
    ojson o;
    o["name"] = q.Text(0);
    Opt(o, "manager", q, 1);
    Opt(o, "parent", q, 2);
    orgs.push_back(o);
  }
  root["organizations"] = orgs;
  ojson persons = ojson::array();
  static const char* const kAuth[8] = {
      "processDefinition", "operationAdministration", "staffDefinition", "topologyDefinition",
      "authorizationDefinition", "allCategories", "allCategoriesAsAdmin", "allPersons"};
  for (Stmt q(store.db(),
              "SELECT id, user_id, password_hash, first_name, middle_name, last_name, "
              "description, phone, second_phone, organization, manager, substitute, level, "
              "is_admin, absent, reset_absence, lock_holder, logon_blocked_until, "
              "auth_process_definition, auth_operation_admin, auth_staff_definition, "
              "auth_topology_definition, auth_authorization_definition, auth_all_categories, "
              "auth_all_categories_admin, auth_all_persons FROM persons ORDER BY id");
       q.Step();) {
    ojson p;
    p["userId"] = q.Text(1);
    p["passwordHash"] = q.Text(2);
    Opt(p, "firstName", q, 3);
    Opt(p, "middleName", q, 4);
    Opt(p, "lastName", q, 5);
    Opt(p, "description", q, 6);
    Opt(p, "phone", q, 7);
    Opt(p, "secondPhone", q, 8);
    Opt(p, "organization", q, 9);
    Opt(p, "manager", q, 10);
    Opt(p, "substitute", q, 11);
    if (q.Int(12)) p["level"] = q.Int(12);
    Flag(p, "administrator", q, 13);
    Flag(p, "absent", q, 14);
    Flag(p, "resetAbsence", q, 15);
    Opt(p, "lockHolder", q, 16);
    Opt(p, "logonBlockedUntil", q, 17);
    ojson auth = ojson::object();
    for (int k = 0; k < 8; ++k) Flag(auth, kAuth[k], q, 18 + k);
    if (!auth.empty()) p["authorizations"] = auth;
    int64_t id = q.Int(0);
    ojson cats = ojson::array(), admin_cats = ojson::array();
    for (Stmt c(store.db(), "SELECT category, as_admin FROM person_categories WHERE person_id=? "
                            "ORDER BY category"); c.BindOnce(1, id) && c.Step();)
      (c.Int(1) ? admin_cats : cats).push_back(c.Text(0));
    if (!cats.empty()) p["categories"] = cats;
    if (!admin_cats.empty()) p["adminCategories"] = admin_cats;
    ojson auth_for = ojson::array();
    for (Stmt c(store.db(), "SELECT authorized_for FROM person_authorizations WHERE person_id=? "
                            "ORDER BY authorized_for"); c.BindOnce(1, id) && c.Step();)
      auth_for.push_back(c.Text(0));
    if (!auth_for.empty()) p["authorizedFor"] = auth_for;
    ojson roles_of = ojson::array();
    for (Stmt c(store.db(), "SELECT r.name FROM person_roles pr JOIN roles r ON r.id = pr.role_id "
                            "WHERE pr.person_id=? ORDER BY r.id"); c.BindOnce(1, id) && c.Step();)
      roles_of.push_back(c.Text(0));
    if (!roles_of.empty()) p["roles"] = roles_of;
    persons.push_back(p);
  }
  root["persons"] = persons;
  ojson structures = ojson::array();
  for (Stmt q(store.db(), "SELECT id, name, description FROM data_structures ORDER BY id");
       q.Step();) {
    ojson s;
    s["name"] = q.Text(1);
    Opt(s, "description", q, 2);
    ojson members = ojson::array();
    for (Stmt m(store.db(), "SELECT name, type, array_size, description FROM data_members "
                            "WHERE structure_id=? ORDER BY position"); m.BindOnce(1, q.Int(0)) && m.Step();) {
      ojson o;
      o["name"] = m.Text(0);
      o["type"] = m.Text(1);
      if (m.Int(2)) o["arraySize"] = m.Int(2);
      Opt(o, "description", m, 3);
      members.push_back(o);
    }
    s["members"] = members;
    structures.push_back(s);
  }
  root["dataStructures"] = structures;
  ojson programs = ojson::array();
  for (Stmt q(store.db(), "SELECT id, name, description, in_container, out_container, "
                          "unattended, execution_mode, execution_user, trusted, icon, simulate, "
                          "in_access, out_access, structures_from_activity "
                          "FROM programs ORDER BY id");
       q.Step();) {
    ojson p;
    p["name"] = q.Text(1);
    Opt(p, "description", q, 2);
    Opt(p, "inContainer", q, 3);
    Opt(p, "outContainer", q, 4);
    Flag(p, "unattended", q, 5);
    if (q.Int(6) == 2) p["executionMode"] = "Safe";
    if (q.Int(7) == 2) p["executionUser"] = "Starter";
    Flag(p, "trusted", q, 8);
    Opt(p, "icon", q, 9);
    if (!q.IsNull(10)) p["simulate"] = ojson::parse(q.Text(10));
    OptBool(p, "inContainerAccess", q, 11);
    OptBool(p, "outContainerAccess", q, 12);
    OptBool(p, "structuresFromActivity", q, 13);
    ojson impls = ojson::array();
    for (Stmt m(store.db(),
                "SELECT platform, kind, path, parameters, working_directory, environment, "
                "inherit_environment, window_style, run_in_xterm, start_in_foreground, "
                "automatic_close, in_use, timeout, entry_point, fenced, keep_loaded, "
                "service_name, service_type, invocation_type, executable_name, executable_type, "
                "timeout_period, timeout_interval, mapping_type, forward_mapping_format, "
                "forward_mapping_parameters, backward_mapping_format, "
                "backward_mapping_parameters, code_page, local_user, mapping_routine_call, "
                "security_routine_call FROM program_implementations "
                "WHERE program_id=? ORDER BY id"); m.BindOnce(1, q.Int(0)) && m.Step();) {
      ojson o;
      o["platform"] = PlatformName(m.Int(0));
      o["kind"] = m.Int(1) == 2 ? "dll" : m.Int(1) == 4 ? "external" : "exe";
      Opt(o, "path", m, 2);
      Opt(o, "parameters", m, 3);
      Opt(o, "workingDirectory", m, 4);
      Opt(o, "environment", m, 5);
      OptBool(o, "inheritEnvironment", m, 6);
      if (!m.IsNull(7))
        o["windowStyle"] = Name(m.Int(7), {{1, "Visible"}, {2, "Invisible"}, {3, "Minimized"},
                                           {4, "Maximized"}});
      OptBool(o, "runInXTerm", m, 8);
      OptBool(o, "startInForeground", m, 9);
      OptBool(o, "automaticClose", m, 10);
      OptBool(o, "inUse", m, 11);
      OptInt(o, "timeout", m, 12);
      Opt(o, "entryPoint", m, 13);
      OptBool(o, "fenced", m, 14);
      OptBool(o, "keepLoaded", m, 15);
      Opt(o, "serviceName", m, 16);
      Opt(o, "serviceType", m, 17);
      Opt(o, "invocationType", m, 18);
      Opt(o, "executableName", m, 19);
      Opt(o, "executableType", m, 20);
      if (!m.IsNull(21))
        o["timeoutPeriod"] = Name(m.Int(21), {{1, "TimeInterval"}, {2, "Forever"}, {3, "Never"}});
      OptInt(o, "timeoutInterval", m, 22);
      Opt(o, "mappingType", m, 23);
      Opt(o, "forwardMappingFormat", m, 24);
      Opt(o, "forwardMappingParameters", m, 25);
      Opt(o, "backwardMappingFormat", m, 26);
      Opt(o, "backwardMappingParameters", m, 27);
      OptInt(o, "codePage", m, 28);
      OptBool(o, "localUser", m, 29);
      OptBool(o, "mappingRoutineCall", m, 30);
      OptBool(o, "securityRoutineCall", m, 31);
      impls.push_back(o);
    }
    if (!impls.empty()) p["implementations"] = impls;
    programs.push_back(p);
  }
  root["programs"] = programs;
  ojson templates = ojson::array();
  for (Stmt q(store.db(),
              "SELECT id, name, description, category, documentation, organization, role_name, "
              "process_admin, audit_mode, in_container, out_container, global_container, icon, "
              "notify_seconds, notify_person, expiry_seconds, valid_from, created "
              "FROM process_templates ORDER BY id");
       q.Step();) {
    ojson t;
    t["name"] = q.Text(1);
    Opt(t, "description", q, 2);
    Opt(t, "category", q, 3);
    Opt(t, "documentation", q, 4);
    Opt(t, "organization", q, 5);
    Opt(t, "role", q, 6);
    Opt(t, "processAdmin", q, 7);
    t["auditMode"] = Name(q.Int(8), {{0, "NotSet"}, {1, "NoAudit"}, {2, "Condensed"},
                                     {3, "Full"}, {4, "Filter"}});
    Opt(t, "inContainer", q, 9);
    Opt(t, "outContainer", q, 10);
    Opt(t, "globalContainer", q, 11);
    Opt(t, "icon", q, 12);
    OptInt(t, "notifyAfter", q, 13);
    Opt(t, "notifyPerson", q, 14);
    OptInt(t, "expiresAfter", q, 15);
    t["validFrom"] = q.Text(16);
    t["created"] = q.Text(17);
    std::optional<std::string> tin = q.OptText(9), tout = q.OptText(10);
    ojson connectors = ojson::array();
    t["activities"] = Graph(store, q.Int(0), std::nullopt, tin, tout, &connectors);
    if (!connectors.empty()) t["connectors"] = connectors;
    templates.push_back(t);
  }
  root["processTemplates"] = templates;
  return root.dump(2) + "\n";
}

}  // namespace pvxjsim
