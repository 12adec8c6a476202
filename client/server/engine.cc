#include "engine.h"

#include <pvxj/base.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <set>

#include "agent.h"
#include "clock.h"
#include "condition.h"
#include "container.h"
#include "container_tree.h"
#include "store.h"

namespace pvxjsim {

namespace {

// A block whose exit condition never holds would repeat for ever when all its
// activities run without people; past this it goes in error instead.
constexpr int64_t kMaxBlockIterations = 1000;

bool Active(int64_t state) {
  return state == kAsInactive || state == kAsPlanning || state == kAsReady || state == kAsRunning ||
         state == kAsCheckedOut || state == kAsSuspended || state == kAsExecuted;
}

// Ends an activity's work items: those being worked on (running, checked
// out, and `also` when given) keep their row with `state` and their end
// time, so that their owners can still read what became of them; the rest
// are withdrawn. Items that ended before stay as they are.
void EndItems(Store& store, int64_t ai, int state, int64_t also = 0) {
  std::string now = ClockNow(store);
  Stmt u(store.db(), "UPDATE items SET state=?, ended=?, modified=? WHERE activity_instance_id=? AND kind=1 "
                     "AND (state IN (2, 64) OR id=?)");
  u.Bind(1, state).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, ai).Bind(5, also).Run();
  Stmt d(store.db(), "DELETE FROM items WHERE activity_instance_id=? AND kind=1 AND state IN (1, 2, 16, 64)");
  d.Bind(1, ai).Run();
}

// A running or suspended instance's next deadline is the earlier of its
// notification, until it has been made, and the end of its suspension: one
// must not hide the other.
void ScheduleInstanceDeadline(Store& store, int64_t pi) {
  Stmt u(store.db(), "UPDATE process_instances SET next_deadline = CASE "
                     "WHEN state NOT IN (2, 16) THEN NULL "
                     "WHEN deadline_state <> 0 OR notify_at IS NULL THEN suspension_expiry "
                     "WHEN suspension_expiry IS NULL OR notify_at < suspension_expiry THEN notify_at "
                     "ELSE suspension_expiry END WHERE id=?");
  u.Bind(1, pi).Run();
}

struct ActivityDef {
  int64_t id = 0, template_id = 0;
  std::optional<int64_t> block_id;
  std::string name;
  int64_t kind = 2;
  std::optional<std::string> program, subprocess, in, out, description, category;
  std::string staff_roles, staff_persons;
  std::optional<std::string> staff_org;
  bool manager_of_starter = false, starter = false;
  std::optional<int64_t> level_min, level_max;
  int64_t start_rule = 0;
  std::optional<std::string> start_condition, exit_condition;
  int64_t priority = 0;
  std::optional<int64_t> notify, notify2, expiry;
  bool manual_exit = false, manual_start = false;
};

ActivityDef LoadDef(Store& store, int64_t activity_id) {
  Stmt q(store.db(),
         "SELECT id, template_id, block_id, name, kind, program, subprocess, in_container, "
         "out_container, description, category, staff_roles, staff_persons, "
         "staff_organization, staff_manager_of_starter, staff_starter, staff_level_min, "
         "staff_level_max, start_rule, start_condition, exit_condition, priority, "
         "notify_seconds, notify2_seconds, expiry_seconds, manual_exit, manual_start FROM activities WHERE id=?");
  q.Bind(1, activity_id);
  if (!q.Step()) throw StoreError(SQLITE_CORRUPT, "activity definition missing");
  ActivityDef d;
  auto opt_int = [&](int c) -> std::optional<int64_t> {
    if (q.IsNull(c)) return std::nullopt;
    return q.Int(c);
  };
  d.id = q.Int(0);
  d.template_id = q.Int(1);
  d.block_id = opt_int(2);
  d.name = q.Text(3);
  d.kind = q.Int(4);
  d.program = q.OptText(5);
  d.subprocess = q.OptText(6);
  d.in = q.OptText(7);
  d.out = q.OptText(8);
  d.description = q.OptText(9);
  d.category = q.OptText(10);
  d.staff_roles = q.Text(11);
  d.staff_persons = q.Text(12);
  d.staff_org = q.OptText(13);
  d.manager_of_starter = q.Int(14) != 0;
  d.starter = q.Int(15) != 0;
  d.level_min = opt_int(16);
  d.level_max = opt_int(17);
  d.start_rule = q.Int(18);
  d.start_condition = q.OptText(19);
  d.exit_condition = q.OptText(20);
  d.priority = q.Int(21);
  d.notify = opt_int(22);
  d.notify2 = opt_int(23);
  d.expiry = opt_int(24);
  d.manual_exit = q.Int(25) != 0;
  d.manual_start = q.Int(26) != 0;
  return d;
}

struct InstanceRow {
  int64_t id = 0, template_id = 0, state = 0;
  std::string name, starter;
  std::optional<int64_t> parent_ai;
};

InstanceRow LoadInstance(Store& store, int64_t pi) {
  Stmt q(store.db(), "SELECT id, template_id, state, name, starter, parent_activity_instance_id "
                     "FROM process_instances WHERE id=?");
  q.Bind(1, pi);
  InstanceRow r;
  if (!q.Step()) return r;
  r.id = q.Int(0);
  r.template_id = q.Int(1);
  r.state = q.Int(2);
  r.name = q.Text(3);
  r.starter = q.Text(4);
  if (!q.IsNull(5)) r.parent_ai = q.Int(5);
  return r;
}

std::optional<std::string> TemplateText(Store& store, int64_t tid, const char* column) {
  Stmt q(store.db(), std::string("SELECT ") + column + " FROM process_templates WHERE id=?");
  q.Bind(1, tid);
  if (!q.Step()) return std::nullopt;
  return q.OptText(0);
}

Record EmptyRecord(const std::optional<std::string>& structure) {
  Record r;
  r.kind = RecordKind::kReadWriteContainer;
  r.type_name = structure.value_or("");
  return r;
}

// The instance's working container, typed by the template's input structure.
Record Data(Store& store, int64_t pi) {
  if (auto r = LoadContainer(store, "PI", pi, "data")) return *r;
  return EmptyRecord(std::nullopt);
}

std::string Plus(const std::string& now, const std::optional<int64_t>& seconds) {
  int64_t t;
  ParseTimeText(now, &t);
  return FormatTime(t + *seconds);
}

class Engine {
 public:
  explicit Engine(Store& store) : store_(store), now_(ClockNow(store)) {}

  void CreateGraph(int64_t pi, int64_t tid, std::optional<int64_t> block_def,
                   std::optional<int64_t> block_instance) {
    std::vector<int64_t> created;
    {
      Stmt q(store_.db(), "SELECT id, name, kind, priority FROM activities WHERE template_id=? "
                          "AND block_id IS ? ORDER BY position");
      q.Bind(1, tid);
      if (block_def) q.Bind(2, *block_def); else q.BindNull(2);
      std::vector<std::tuple<int64_t, std::string, int64_t, int64_t>> defs;
      while (q.Step()) defs.emplace_back(q.Int(0), q.Text(1), q.Int(2), q.Int(3));
      for (const auto& [id, name, kind, priority] : defs) {
        Stmt ins(store_.db(), "INSERT INTO activity_instances(process_instance_id, activity_id, "
                              "block_instance_id, name, kind, state, priority, created, "
                              "last_state_change, modified) VALUES(?,?,?,?,?,?,?,?,?,?)");
        ins.Bind(1, pi).Bind(2, id);
        if (block_instance) ins.Bind(3, *block_instance); else ins.BindNull(3);
        ins.Bind(4, std::string_view(name)).Bind(5, kind).Bind(6, kAsInactive).Bind(7, priority);
        ins.Bind(8, std::string_view(now_)).Bind(9, std::string_view(now_));
        ins.Bind(10, std::string_view(now_)).Run();
        created.push_back(store_.LastInsertId());
      }
    }
    {
      Stmt q(store_.db(), "SELECT c.id FROM control_connectors c JOIN activities a "
                          "ON a.id = c.from_activity WHERE c.template_id=? AND a.block_id IS ?");
      q.Bind(1, tid);
      if (block_def) q.Bind(2, *block_def); else q.BindNull(2);
      std::vector<int64_t> ids;
      while (q.Step()) ids.push_back(q.Int(0));
      for (int64_t cid : ids) {
        Stmt ins(store_.db(), "INSERT INTO connector_instances(process_instance_id, "
                              "connector_id, block_instance_id, state) VALUES(?,?,?,2)");
        ins.Bind(1, pi).Bind(2, cid);
        if (block_instance) ins.Bind(3, *block_instance); else ins.BindNull(3);
        ins.Run();
      }
    }
    // Activities without incoming connectors start the graph.
    for (int64_t ai : created) {
      Stmt q(store_.db(), "SELECT 1 FROM control_connectors c JOIN activity_instances i "
                          "ON i.activity_id = c.to_activity WHERE i.id=? LIMIT 1");
      q.Bind(1, ai);
      if (!q.Step() && State(ai) == kAsInactive) Activate(ai);
    }
    CheckComplete(pi, block_instance);
  }

  int64_t State(int64_t ai) {
    Stmt q(store_.db(), "SELECT state FROM activity_instances WHERE id=?");
    q.Bind(1, ai);
    return q.Step() ? q.Int(0) : 0;
  }

  void SetState(int64_t ai, int64_t state) {
    Stmt u(store_.db(), "UPDATE activity_instances SET state=?, last_state_change=?, modified=? "
                        "WHERE id=?");
    u.Bind(1, state).Bind(2, std::string_view(now_)).Bind(3, std::string_view(now_));
    u.Bind(4, ai).Run();
  }

  void Activate(int64_t ai) {
    auto [pi, activity_id, block_instance] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    Record data = Data(store_, pi);
    auto lookup = [&](const std::string& m) { return GetMember(data, m); };
    if (d.start_condition && !EvaluateCondition(*d.start_condition, lookup, 0)) {
      Skip(ai);
      return;
    }
    // The activity's input: the members of the working data its structure has.
    Record in = EmptyRecord(d.in);
    Schema in_schema;
    if (d.in && LoadSchema(store_, *d.in, &in_schema)) CopyMatching(data, in_schema, &in);
    FillPredefined(store_, pi, ai, &in);
    SaveContainer(store_, "AI", ai, "in", in);
    {
      Stmt u(store_.db(), "UPDATE activity_instances SET activated=?, notify_at=?, notify2_at=?, "
                          "expire_at=?, deadline_state=0, next_deadline=? WHERE id=?");
      std::optional<std::string> n1, n2, ex;
      if (d.notify) n1 = Plus(now_, d.notify);
      if (d.notify2) n2 = Plus(now_, *d.notify + *d.notify2);
      if (d.expiry) ex = Plus(now_, d.expiry);
      std::optional<std::string> next;
      for (const auto& t : {n1, n2, ex})
        if (t && (!next || *t < *next)) next = t;
      u.Bind(1, std::string_view(now_)).Bind(2, n1).Bind(3, n2).Bind(4, ex).Bind(5, next);
      u.Bind(6, ai).Run();
    }
    if (d.kind == 1) {  // process activity: a child instance does the work
      SetState(ai, kAsRunning);
      InstanceRow parent = LoadInstance(store_, pi);
      int64_t child = 0;
      // Each run of the activity (an exit condition found false, a block
      // repeated) starts a sub-process of its own: the first is named
      // <parent>.<activity>, later ones <parent>.<activity>.<n> with the
      // first free n from 2 on, so a name taken by an earlier run, or by
      // any other instance, never stops the parent.
      const std::string base = parent.name + "." + d.name;
      int32_t created = PVX_ERROR_NOT_UNIQUE;
      for (int64_t n = 1; created == PVX_ERROR_NOT_UNIQUE; ++n) {
        std::string name = n == 1 ? base : base + "." + std::to_string(n);
        created = CreateInstance(store_, *d.subprocess, name, parent.starter, &child);
      }
      if (created != PVX_OK) {
        InError(ai, "process template \"" + *d.subprocess + "\" cannot be instantiated");
        return;
      }
      Stmt u(store_.db(), "UPDATE process_instances SET parent_id=?, parent_activity_instance_id=?, "
                          "top_level_id=coalesce((SELECT top_level_id FROM process_instances "
                          "WHERE id=?), ?) WHERE id=?");
      u.Bind(1, pi).Bind(2, ai).Bind(3, pi).Bind(4, pi).Bind(5, child).Run();
      StartInstance(store_, child, parent.starter, &in);
      return;
    }
    if (d.kind == 16) {  // block: its inner graph runs, then the exit condition
      SetState(ai, kAsRunning);
      CreateGraph(pi, d.template_id, d.id, ai);
      return;
    }
    SetState(ai, kAsReady);
    // A program with a simulate rule that runs unattended finishes at once,
    // unless the activity starts manually: then a person starts it.
    Stmt p(store_.db(), "SELECT unattended, simulate FROM programs WHERE name=?");
    p.Bind(1, std::string_view(*d.program));
    if (!d.manual_start && p.Step() && p.Int(0) && !p.IsNull(1)) {
      std::string sim = p.Text(1);
      p.Step();  // done with the row before navigation reuses statements
      RunSimulation(ai, sim);
      return;
    }
    CreateWorkitems(ai, pi, d);
  }

  // Sets the rule's members and return code and finishes the activity.
  void RunSimulation(int64_t ai, const std::string& rule) {
    auto j = nlohmann::json::parse(rule);
    int32_t rc = j.contains("rc") ? j["rc"].get<int32_t>() : 0;
    std::vector<std::pair<std::string, std::string>> set;
    if (j.contains("set"))
      for (auto it = j["set"].begin(); it != j["set"].end(); ++it)
        set.emplace_back(it.key(), it->is_string() ? it->get<std::string>() : it->dump());
    Record out;
    if (int32_t built = BuildOutput(ai, set, &out)) {
      InError(ai, built == PVX_ERROR_WRONG_TYPE
                      ? "the simulate rule sets a member to a value of another type"
                      : "the simulate rule sets a member the output structure does not have");
      return;
    }
    FinishActivity(ai, rc, out);
  }

  int32_t BuildOutput(int64_t ai, const std::vector<std::pair<std::string, std::string>>& set,
                      Record* out) {
    auto [pi, activity_id, block_instance] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    *out = EmptyRecord(d.out);
    Schema schema;
    if (d.out) LoadSchema(store_, *d.out, &schema);
    // Start from the input, so members the program leaves alone pass through.
    if (auto in = LoadContainer(store_, "AI", ai, "in")) CopyMatching(*in, schema, out);
    FillPredefined(store_, pi, ai, out);
    AddRc(out);
    for (const auto& [member, value] : set)
      if (int32_t rc = SetMemberFromText(schema, out, member, value)) return rc;
    return PVX_OK;
  }

  std::vector<std::pair<int64_t, int>> Staff(int64_t pi, const ActivityDef& d) {
    std::set<int64_t> people;
    auto add_query = [&](const char* sql, const std::string& arg) {
      Stmt q(store_.db(), sql);
      q.Bind(1, std::string_view(arg));
      while (q.Step()) people.insert(q.Int(0));
    };
    size_t start = 0;
    for (const std::string* list : {&d.staff_persons, &d.staff_roles}) {
      start = 0;
      while (!list->empty()) {
        size_t semi = list->find(';', start);
        std::string name = list->substr(start, semi == std::string::npos ? semi : semi - start);
        if (list == &d.staff_persons)
          add_query("SELECT id FROM persons WHERE user_id=?", name);
        else
          add_query("SELECT pr.person_id FROM person_roles pr JOIN roles r ON r.id = pr.role_id "
                    "WHERE r.name=?", name);
        if (semi == std::string::npos) break;
        start = semi + 1;
      }
    }
    if (d.staff_org) add_query("SELECT id FROM persons WHERE organization=?", *d.staff_org);
    InstanceRow inst = LoadInstance(store_, pi);
    if (d.starter) add_query("SELECT id FROM persons WHERE user_id=?", inst.starter);
    if (d.manager_of_starter)
      add_query("SELECT m.id FROM persons p JOIN persons m ON m.user_id = p.manager "
                "WHERE p.user_id=?", inst.starter);
    if (d.level_min || d.level_max) {
      std::set<int64_t> kept;
      for (int64_t p : people) {
        Stmt q(store_.db(), "SELECT level FROM persons WHERE id=?");
        q.Bind(1, p);
        if (!q.Step()) continue;
        int64_t level = q.Int(0);
        if ((!d.level_min || level >= *d.level_min) && (!d.level_max || level <= *d.level_max))
          kept.insert(p);
      }
      people = kept;
    }
    // Nobody found: the work goes to an administrator, or (none known) to
    // the one who started the instance.
    if (people.empty()) {
      if (auto admin = AdministratorFor(pi)) return {*admin};
      add_query("SELECT id FROM persons WHERE user_id=?", inst.starter);
    }
    std::vector<std::pair<int64_t, int>> out;  // person, received as
    std::set<int64_t> given;
    for (int64_t p : people) {
      auto [owner, received] = Present(p, pi);
      if (given.insert(owner).second) out.emplace_back(owner, received);
    }
    return out;
  }

  // Who receives work that staff resolution gives nobody: the instance's
  // process administrator (received as 3), else the first system
  // administrator by user ID (received as 4).
  std::optional<std::pair<int64_t, int>> AdministratorFor(int64_t pi) {
    Stmt a(store_.db(), "SELECT a.id FROM process_instances i "
                        "JOIN process_templates t ON t.id = i.template_id "
                        "JOIN persons a ON a.user_id = coalesce(i.process_admin, t.process_admin) "
                        "WHERE i.id=?");
    a.Bind(1, pi);
    if (a.Step()) return std::pair<int64_t, int>{a.Int(0), 3};
    Stmt s(store_.db(), "SELECT id FROM persons WHERE is_admin<>0 ORDER BY user_id LIMIT 1");
    if (s.Step()) return std::pair<int64_t, int>{s.Int(0), 4};
    return std::nullopt;
  }

  // Who takes an absent person's work: the first present person along the
  // chain of substitutes, else the instance's process administrator, else
  // (nobody present) the person after all. Received as substitute (2) or
  // process administrator (3).
  std::pair<int64_t, int> Present(int64_t person, int64_t pi) {
    std::set<int64_t> seen{person};
    int64_t at = person;
    while (true) {
      Stmt q(store_.db(), "SELECT p.absent, s.id, s.absent FROM persons p "
                          "LEFT JOIN persons s ON s.user_id = p.substitute WHERE p.id=?");
      q.Bind(1, at);
      if (!q.Step()) break;
      if (!q.Int(0)) return {at, at == person ? 1 : 2};
      if (q.IsNull(1) || !seen.insert(q.Int(1)).second) break;
      at = q.Int(1);
    }
    if (at == person) return {person, 1};  // absent without a substitute: as before
    Stmt a(store_.db(), "SELECT a.id FROM process_instances i "
                        "JOIN persons a ON a.user_id = coalesce(i.process_admin, '') "
                        "WHERE i.id=? AND a.absent=0");
    a.Bind(1, pi);
    if (a.Step()) return {a.Int(0), 3};
    return {person, 1};
  }

  void CreateWorkitems(int64_t ai, int64_t pi, const ActivityDef& d) {
    for (const auto& [person, received] : Staff(pi, d)) {
      Stmt ins(store_.db(), "INSERT INTO items(kind, owner_id, process_instance_id, "
                            "activity_instance_id, name, state, received_as, priority, "
                            "description, category, created, received, modified) "
                            "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
      ins.Bind(1, kItemWorkitem).Bind(2, person).Bind(3, pi).Bind(4, ai);
      ins.Bind(5, std::string_view(d.name)).Bind(6, kItemReady).Bind(7, received);
      ins.Bind(8, d.priority).Bind(9, d.description).Bind(10, d.category);
      ins.Bind(11, std::string_view(now_)).Bind(12, std::string_view(now_));
      ins.Bind(13, std::string_view(now_)).Run();
      PostArrival(store_, store_.LastInsertId());
    }
  }

  void InError(int64_t ai, const std::string& reason) {
    SetState(ai, kAsInError);
    Stmt u(store_.db(), "UPDATE activity_instances SET error_reason=? WHERE id=?");
    u.Bind(1, std::string_view(reason)).Bind(2, ai).Run();
  }

  std::tuple<int64_t, int64_t, std::optional<int64_t>> Where(int64_t ai) {
    Stmt q(store_.db(), "SELECT process_instance_id, activity_id, block_instance_id "
                        "FROM activity_instances WHERE id=?");
    q.Bind(1, ai);
    if (!q.Step()) throw StoreError(SQLITE_CORRUPT, "activity instance missing");
    std::optional<int64_t> b;
    if (!q.IsNull(2)) b = q.Int(2);
    return {q.Int(0), q.Int(1), b};
  }

  void FinishActivity(int64_t ai, int32_t rc, const Record& output) {
    auto [pi, activity_id, block_instance] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    Record saved = output;
    SetRc(&saved, rc);
    SaveContainer(store_, "AI", ai, "out", saved);
    Record data = Data(store_, pi);
    Schema data_schema;
    if (!data.type_name.empty() && LoadSchema(store_, data.type_name, &data_schema)) {
      CopyMatching(output, data_schema, &data);
      SaveContainer(store_, "PI", pi, "data", data);
    }
    auto lookup = [&](const std::string& m) { return GetMember(output, m); };
    bool exit_ok = !d.exit_condition || EvaluateCondition(*d.exit_condition, lookup, rc);
    {
      Stmt u(store_.db(), "UPDATE activity_instances SET return_code=?, exit_condition_result=? "
                          "WHERE id=?");
      u.Bind(1, rc).Bind(2, exit_ok ? 1 : 0).Bind(3, ai).Run();
    }
    EndItems(store_, ai, kItemFinished);
    if (!exit_ok) {
      // Not done yet: the activity is offered again.
      Stmt u(store_.db(), "UPDATE activity_instances SET iteration=iteration+1 WHERE id=?");
      u.Bind(1, ai).Run();
      if (Iteration(ai) > kMaxBlockIterations) {
        InError(ai, "exit condition still false after " + std::to_string(kMaxBlockIterations) +
                    " runs");
        return;
      }
      // Run again from Drain, not from here: an activity that runs by
      // itself would otherwise recurse once per repetition.
      // Until then it is not running, so that the graph it leaves behind is
      // not taken for finished a second time.
      SetState(ai, kAsInactive);
      again_.push_back(ai);
      return;
    }
    // Manual exit: the activity waits, executed, until the administrator
    // finishes it or has it executed again.
    if (d.manual_exit) {
      SetState(ai, kAsExecuted);
      return;
    }
    Complete(ai, rc, output);
  }

  void Complete(int64_t ai, int32_t rc, const Record& output) {
    auto [pi, activity_id, block_instance] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    SetState(ai, kAsFinished);
    Stmt u(store_.db(), "UPDATE activity_instances SET ended=?, next_deadline=NULL WHERE id=?");
    u.Bind(1, std::string_view(now_)).Bind(2, ai).Run();
    Navigate(ai, pi, d, block_instance, true, rc, output);
  }

  int64_t Iteration(int64_t ai) {
    Stmt q(store_.db(), "SELECT iteration FROM activity_instances WHERE id=?");
    q.Bind(1, ai);
    return q.Step() ? q.Int(0) : 0;
  }

  // A block's earlier rounds keep their activity instances (and the work
  // items that stay with them) in their final states, where an
  // administrator can still read them; the new round gets instances of its
  // own, and only the connectors are evaluated afresh.
  void ClearGraph(int64_t block_ai) {
    Stmt c(store_.db(), "DELETE FROM connector_instances WHERE block_instance_id=?");
    c.Bind(1, block_ai).Run();
  }

  void Skip(int64_t ai) {
    auto [pi, activity_id, block_instance] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    SetState(ai, kAsSkipped);
    Navigate(ai, pi, d, block_instance, false, 0, Record{});
  }

  // Evaluates the connectors leaving an activity (all false when it was
  // skipped: dead-path elimination) and starts or skips their targets.
  void Navigate(int64_t ai, int64_t pi, const ActivityDef& d, std::optional<int64_t> block,
                bool finished, int32_t rc, const Record& output) {
    struct Out {
      int64_t instance, target_activity;
      int64_t kind;
      std::optional<std::string> condition;
      bool value = false;
    };
    std::vector<Out> outs;
    {
      Stmt q(store_.db(), "SELECT ci.id, c.to_activity, c.kind, c.condition FROM "
                          "connector_instances ci JOIN control_connectors c ON c.id = ci.connector_id "
                          "WHERE ci.process_instance_id=? AND c.from_activity=? AND "
                          "ci.block_instance_id IS ?");
      q.Bind(1, pi).Bind(2, d.id);
      if (block) q.Bind(3, *block); else q.BindNull(3);
      while (q.Step()) outs.push_back({q.Int(0), q.Int(1), q.Int(2), q.OptText(3)});
    }
    Record data = Data(store_, pi);
    auto lookup = [&](const std::string& m) {
      FieldValue v = GetMember(output, m);
      return std::holds_alternative<std::monostate>(v) ? GetMember(data, m) : v;
    };
    bool any = false;
    for (Out& o : outs)
      if (o.kind != 2) {
        o.value = finished && (!o.condition || EvaluateCondition(*o.condition, lookup, rc));
        any = any || o.value;
      }
    for (Out& o : outs)
      if (o.kind == 2) o.value = finished && !any;
    for (const Out& o : outs) {
      Stmt u(store_.db(), "UPDATE connector_instances SET state=? WHERE id=?");
      u.Bind(1, o.value ? 1 : 0).Bind(2, o.instance).Run();
    }
    for (const Out& o : outs) {
      // The newest: a block's earlier rounds keep theirs.
      Stmt q(store_.db(), "SELECT id FROM activity_instances WHERE process_instance_id=? AND "
                          "activity_id=? AND block_instance_id IS ? ORDER BY id DESC LIMIT 1");
      q.Bind(1, pi).Bind(2, o.target_activity);
      if (block) q.Bind(3, *block); else q.BindNull(3);
      if (q.Step()) {
        int64_t target = q.Int(0);
        q.Step();
        TryStart(target, pi, block);
      }
    }
    CheckComplete(pi, block);
  }

  void TryStart(int64_t ai, int64_t pi, std::optional<int64_t> block) {
    const int64_t state = State(ai);
    if (state != kAsInactive && state != kAsPlanning) return;
    auto [p, activity_id, b] = Where(ai);
    ActivityDef d = LoadDef(store_, activity_id);
    int total = 0, truthy = 0;
    bool open = false;
    Stmt q(store_.db(), "SELECT ci.state FROM connector_instances ci JOIN control_connectors c "
                        "ON c.id = ci.connector_id WHERE ci.process_instance_id=? AND "
                        "c.to_activity=? AND ci.block_instance_id IS ?");
    q.Bind(1, pi).Bind(2, activity_id);
    if (block) q.Bind(3, *block); else q.BindNull(3);
    while (q.Step()) {
      if (q.Int(0) == 2) {  // not every incoming connector is decided yet
        open = true;
        continue;
      }
      ++total;
      truthy += q.Int(0) == 1;
    }
    if (open) {
      // A path has reached it while another is still open: it is planned,
      // and waits for its start condition to be decided.
      if (truthy && state == kAsInactive) SetState(ai, kAsPlanning);
      return;
    }
    bool go = d.start_rule == 1 ? truthy > 0 : truthy == total;
    if (go)
      Activate(ai);
    else
      Skip(ai);
  }

  void CheckComplete(int64_t pi, std::optional<int64_t> block) {
    Stmt q(store_.db(), "SELECT state FROM activity_instances WHERE process_instance_id=? AND "
                        "block_instance_id IS ?");
    q.Bind(1, pi);
    if (block) q.Bind(2, *block); else q.BindNull(2);
    while (q.Step())
      if (Active(q.Int(0)) || q.Int(0) == kAsInError) return;
    if (block) {
      if (State(*block) != kAsRunning) return;
      // The block's output is the working data as its activities left it.
      Record data = Data(store_, pi);
      auto [p, activity_id, outer] = Where(*block);
      ActivityDef d = LoadDef(store_, activity_id);
      Record out = EmptyRecord(d.out);
      Schema schema;
      if (d.out && LoadSchema(store_, *d.out, &schema)) CopyMatching(data, schema, &out);
      FinishActivity(*block, 0, out);
      return;
    }
    InstanceRow inst = LoadInstance(store_, pi);
    if (inst.state != kPsRunning) return;
    Stmt u(store_.db(), "UPDATE process_instances SET state=?, ended=?, last_state_change=?, "
                        "modified=?, next_deadline=NULL WHERE id=?");
    u.Bind(1, kPsFinished).Bind(2, std::string_view(now_)).Bind(3, std::string_view(now_));
    u.Bind(4, std::string_view(now_)).Bind(5, pi).Run();
    // Its notifications were about an instance that is done: they end with it.
    Stmt gone(store_.db(), "DELETE FROM items WHERE process_instance_id=? AND kind<>?");
    gone.Bind(1, pi).Bind(2, kItemWorkitem).Run();
    auto out_name = TemplateText(store_, inst.template_id, "out_container");
    Record out = EmptyRecord(out_name);
    Schema schema;
    if (out_name && LoadSchema(store_, *out_name, &schema)) CopyMatching(Data(store_, pi), schema, &out);
    FillPredefined(store_, pi, std::nullopt, &out);
    AddRc(&out);
    SaveContainer(store_, "PI", pi, "out", out);
    if (inst.parent_ai && State(*inst.parent_ai) == kAsRunning)
      FinishActivity(*inst.parent_ai, 0, out);
  }

  // Who is told about a deadline, and how: the template's notify person
  // (received normally), else the instance's or the template's process
  // administrator (received as process administrator), else the starter.
  struct Recipient {
    int64_t id = 0;
    int received_as = 1;
  };
  Recipient NotifyOwner(int64_t pi) {
    Stmt q(store_.db(), "SELECT (SELECT id FROM persons WHERE user_id=t.notify_person), "
                        "coalesce((SELECT id FROM persons WHERE user_id=i.process_admin), "
                        "(SELECT id FROM persons WHERE user_id=t.process_admin)), "
                        "(SELECT id FROM persons WHERE user_id=i.starter) "
                        "FROM process_instances i JOIN process_templates t ON t.id = i.template_id "
                        "WHERE i.id=?");
    q.Bind(1, pi);
    if (!q.Step()) return {};
    if (!q.IsNull(0)) return {q.Int(0), 1};
    if (!q.IsNull(1)) return {q.Int(1), 3};  // Pvx_IR_ProcessAdministrator
    if (!q.IsNull(2)) return {q.Int(2), 1};
    return {};
  }

  void Notify(int kind, const Recipient& to, int64_t pi, std::optional<int64_t> ai,
              const std::string& name) {
    if (!to.id) return;
    Stmt ins(store_.db(), "INSERT INTO items(kind, owner_id, process_instance_id, "
                          "activity_instance_id, name, state, received_as, created, received, "
                          "modified) VALUES(?,?,?,?,?,?,?,?,?,?)");
    ins.Bind(1, kind).Bind(2, to.id).Bind(3, pi);
    if (ai) ins.Bind(4, *ai); else ins.BindNull(4);
    ins.Bind(5, std::string_view(name)).Bind(6, kItemReady).Bind(7, to.received_as);
    ins.Bind(8, std::string_view(now_)).Bind(9, std::string_view(now_));
    ins.Bind(10, std::string_view(now_)).Run();
    PostArrival(store_, store_.LastInsertId());
  }

  void Deadlines() {
    std::vector<std::tuple<int64_t, int64_t, std::string>> due;
    {
      // A suspended instance's activities wait with their deadlines: what
      // falls due meanwhile is done once the instance is resumed.
      Stmt q(store_.db(), "SELECT a.id, a.process_instance_id, a.name FROM activity_instances a "
                          "JOIN process_instances p ON p.id = a.process_instance_id "
                          "WHERE a.next_deadline IS NOT NULL AND a.next_deadline <= ? AND p.state <> 16");
      q.Bind(1, std::string_view(now_));
      while (q.Step()) due.emplace_back(q.Int(0), q.Int(1), q.Text(2));
    }
    for (const auto& [ai, pi, name] : due) {
      Stmt q(store_.db(), "SELECT notify_at, notify2_at, expire_at, deadline_state, state "
                          "FROM activity_instances WHERE id=?");
      q.Bind(1, ai);
      if (!q.Step()) continue;
      std::optional<std::string> n1 = q.OptText(0), n2 = q.OptText(1), ex = q.OptText(2);
      int64_t passed = q.Int(3), state = q.Int(4);
      q.Step();
      if (!Active(state)) {
        Stmt u(store_.db(), "UPDATE activity_instances SET next_deadline=NULL WHERE id=?");
        u.Bind(1, ai).Run();
        continue;
      }
      Recipient owner = NotifyOwner(pi);
      if (n1 && *n1 <= now_ && passed < 1) {
        Notify(kItemFirstNotification, owner, pi, ai, name);
        passed = 1;
      }
      if (n2 && *n2 <= now_ && passed < 2) {
        Notify(kItemSecondNotification, owner, pi, ai, name);
        passed = 2;
      }
      bool expired = ex && *ex <= now_;
      std::optional<std::string> next;
      if (n1 && passed < 1) next = n1;
      else if (n2 && passed < 2) next = n2;
      if (ex && !expired && (!next || *ex < *next)) next = ex;
      Stmt u(store_.db(), "UPDATE activity_instances SET deadline_state=?, next_deadline=? "
                          "WHERE id=?");
      u.Bind(1, expired ? 3 : passed).Bind(2, next).Bind(3, ai).Run();
      if (expired) {
        // The expiry is told as a notification of its own; then the expired
        // activity is taken as done with what it had, so the instance can go
        // on (should it finish, the notification ends with it); its state
        // says it expired.
        Notify(kItemExpiryNotification, owner, pi, ai, name);
        EndItems(store_, ai, kAsExpired);
        auto [p, activity_id, block] = Where(ai);
        ActivityDef d = LoadDef(store_, activity_id);
        SetState(ai, kAsExpired);
        Stmt e(store_.db(), "UPDATE activity_instances SET ended=? WHERE id=?");
        e.Bind(1, std::string_view(now_)).Bind(2, ai).Run();
        Record in = LoadContainer(store_, "AI", ai, "in").value_or(Record{});
        Navigate(ai, pi, d, block, true, 0, in);
      }
    }
    std::vector<int64_t> instances;
    {
      Stmt q(store_.db(), "SELECT id FROM process_instances WHERE next_deadline IS NOT NULL "
                          "AND next_deadline <= ?");
      q.Bind(1, std::string_view(now_));
      while (q.Step()) instances.push_back(q.Int(0));
    }
    for (int64_t pi : instances) {
      Stmt q(store_.db(), "SELECT state, suspension_expiry, notify_at, deadline_state "
                          "FROM process_instances WHERE id=?");
      q.Bind(1, pi);
      if (!q.Step()) continue;
      int64_t state = q.Int(0), passed = q.Int(3);
      std::optional<std::string> expiry = q.OptText(1), notify = q.OptText(2);
      q.Step();
      if (state == kPsSuspended && expiry && *expiry <= now_) {
        ResumeInstance(store_, pi, true);
        state = kPsRunning;
      }
      if (passed == 0 && notify && *notify <= now_) {
        if (state == kPsRunning || state == kPsSuspended)
          Notify(kItemProcessNotification, NotifyOwner(pi), pi, std::nullopt,
                 LoadInstance(store_, pi).name);
        Stmt u(store_.db(), "UPDATE process_instances SET deadline_state=1 WHERE id=?");
        u.Bind(1, pi).Run();
      }
      ScheduleInstanceDeadline(store_, pi);
    }
  }

  const std::string& now() const { return now_; }

  // Runs the activities and blocks whose exit condition sent them round
  // again, until none is left. Every entry point ends with it.
  void Drain() {
    while (!again_.empty()) {
      int64_t ai = again_.back();
      again_.pop_back();
      auto [pi, activity_id, block] = Where(ai);
      ActivityDef d = LoadDef(store_, activity_id);
      if (d.kind == 16) {
        SetState(ai, kAsRunning);
        ClearGraph(ai);
        CreateGraph(pi, d.template_id, d.id, ai);
      } else {
        Activate(ai);
      }
    }
  }

 private:
  Store& store_;
  std::string now_;
  std::vector<int64_t> again_;
};

}  // namespace

const char* ProcessStateName(int64_t state) {
  switch (state) {
    case kPsReady: return "READY";
    case kPsRunning: return "RUNNING";
    case kPsFinished: return "FINISHED";
    case kPsTerminated: return "TERMINATED";
    case kPsSuspended: return "SUSPENDED";
    case kPsTerminating: return "TERMINATING";
    case kPsSuspending: return "SUSPENDING";
    case kPsDeleted: return "DELETED";
  }
  return "???";
}

const char* ActivityStateName(int64_t state) {
  switch (state) {
    case kAsReady: return "READY";
    case kAsRunning: return "RUNNING";
    case kAsFinished: return "FINISHED";
    case kAsTerminated: return "TERMINATED";
    case kAsSuspended: return "SUSPENDED";
    case kAsInactive: return "INACTIVE";
    case kAsCheckedOut: return "CHECKED_OUT";
    case kAsInError: return "IN_ERROR";
    case kAsExecuted: return "EXECUTED";
    case kAsPlanning: return "PLANNING";
    case kAsForceFinished: return "FORCE_FINISHED";
    case kAsSkipped: return "SKIPPED";
    case kAsDeleted: return "DELETED";
    case kAsTerminating: return "TERMINATING";
    case kAsSuspending: return "SUSPENDING";
    case kAsExpired: return "EXPIRED";
  }
  return "???";
}

int32_t CreateInstance(Store& store, const std::string& template_name, const std::string& name,
                       const std::string& creator, int64_t* instance_id) {
  std::string now = ClockNow(store);
  Stmt t(store.db(), "SELECT id FROM process_templates WHERE name=? AND valid_from<=? "
                     "ORDER BY valid_from DESC LIMIT 1");
  t.Bind(1, std::string_view(template_name)).Bind(2, std::string_view(now));
  if (!t.Step()) return PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND;
  return CreateInstanceOfVersion(store, t.Int(0), name, creator, false, instance_id);
}

int32_t CreateInstanceOfVersion(Store& store, int64_t template_id, const std::string& name,
                                const std::string& creator, bool number_if_taken,
                                int64_t* instance_id) {
  std::string now = ClockNow(store);
  Stmt t(store.db(), "SELECT name, category, process_admin, description "
                     "FROM process_templates WHERE id=?");
  t.Bind(1, template_id);
  if (!t.Step()) return PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND;
  std::string template_name = t.Text(0);
  std::optional<std::string> category = t.OptText(1), admin = t.OptText(2),
                             description = t.OptText(3);
  bool numbered = name.empty();
  if (!name.empty()) {
    Stmt dup(store.db(), "SELECT 1 FROM process_instances WHERE name=? AND state<>?");
    dup.Bind(1, std::string_view(name)).Bind(2, kPsDeleted);
    if (dup.Step()) {
      if (!number_if_taken) return PVX_ERROR_NOT_UNIQUE;
      numbered = true;
    }
  }
  Stmt ins(store.db(), "INSERT INTO process_instances(template_id, name, state, description, "
                       "category, creator, process_admin, system_name, system_group, created, "
                       "last_state_change, modified) VALUES(?,?,?,?,?,?,?,?,?,?,?,?)");
  ins.Bind(1, template_id).Bind(2, std::string_view(name.empty() ? template_name : name));
  ins.Bind(3, kPsReady).Bind(4, description).Bind(5, category);
  ins.Bind(6, std::string_view(creator)).Bind(7, admin);
  ins.Bind(8, std::string_view(store.Meta("system_name")));
  ins.Bind(9, std::string_view(store.Meta("system_group_name")));
  ins.Bind(10, std::string_view(now)).Bind(11, std::string_view(now));
  ins.Bind(12, std::string_view(now)).Run();
  *instance_id = store.LastInsertId();
  if (numbered) {
    // Unnamed instances, and named ones whose name is taken, are numbered by
    // the top-level instances there are (sub-processes, named after their
    // parent, take no number), skipping a name still in use so that names
    // stay unique.
    const std::string& base = name.empty() ? template_name : name;
    Stmt n(store.db(), "SELECT count(*) FROM process_instances WHERE parent_id IS NULL");
    n.Step();
    int64_t number = n.Int(0);
    n.Step();
    std::string numbered_name;
    for (;; ++number) {
      numbered_name = base + "#" + std::to_string(number);
      Stmt used(store.db(), "SELECT 1 FROM process_instances WHERE name=? AND id<>?");
      used.Bind(1, std::string_view(numbered_name)).Bind(2, *instance_id);
      if (!used.Step()) break;
    }
    Stmt u(store.db(), "UPDATE process_instances SET name=? WHERE id=?");
    u.Bind(1, std::string_view(numbered_name));
    u.Bind(2, *instance_id).Run();
  }
  Stmt top(store.db(), "UPDATE process_instances SET top_level_id=id WHERE id=?");
  top.Bind(1, *instance_id).Run();
  return PVX_OK;
}

namespace {
void SetInstanceState(Store& store, int64_t pi, int state);
}  // namespace

int32_t StartInstance(Store& store, int64_t instance_id, const std::string& starter,
                      const Record* input, bool suspended) {
  InstanceRow inst = LoadInstance(store, instance_id);
  if (!inst.id) return PVX_ERROR_DOES_NOT_EXIST;
  if (inst.state != kPsReady) return PVX_ERROR_WRONG_STATE;
  auto in_name = TemplateText(store, inst.template_id, "in_container");
  Record data = EmptyRecord(in_name);
  if (input && in_name) {
    Schema schema;
    if (!LoadSchema(store, *in_name, &schema)) return PVX_ERROR_INVALID_CONTAINER;
    for (const Field& f : input->fields) {
      // The predefined members describe where a container came from, not
      // the instance's data.
      if (IsPredefined(f.name)) continue;
      if (int32_t rc = SetMember(schema, &data, f.name, f.value)) {
        // A sub-process gets what its structure can hold; a caller gets told.
        if (!inst.parent_ai && input->type_name == *in_name) return rc;
      }
    }
  }
  Engine e(store);
  SaveContainer(store, "PI", instance_id, "in", data);
  SaveContainer(store, "PI", instance_id, "data", data);
  Stmt t(store.db(), "SELECT notify_seconds, expiry_seconds FROM process_templates WHERE id=?");
  t.Bind(1, inst.template_id);
  t.Step();
  std::optional<std::string> notify;
  if (!t.IsNull(0)) notify = Plus(e.now(), t.Int(0));
  t.Step();
  Stmt u(store.db(), "UPDATE process_instances SET state=?, starter=?, started=?, "
                     "last_state_change=?, modified=?, notify_at=?, next_deadline=? WHERE id=?");
  u.Bind(1, kPsRunning).Bind(2, std::string_view(starter)).Bind(3, std::string_view(e.now()));
  u.Bind(4, std::string_view(e.now())).Bind(5, std::string_view(e.now())).Bind(6, notify);
  u.Bind(7, notify).Bind(8, instance_id).Run();
  if (suspended) {
    // Nothing is navigated until the instance is resumed.
    SetInstanceState(store, instance_id, kPsSuspended);
    Stmt su(store.db(), "UPDATE process_instances SET suspended=? WHERE id=?");
    su.Bind(1, std::string_view(e.now())).Bind(2, instance_id).Run();
    return PVX_OK;
  }
  e.CreateGraph(instance_id, inst.template_id, std::nullopt, std::nullopt);
  e.Drain();
  return PVX_OK;
}

std::optional<std::string> ActivityOutStructure(Store& store, int64_t ai) {
  Stmt q(store.db(), "SELECT a.out_container FROM activity_instances i JOIN activities a "
                     "ON a.id = i.activity_id WHERE i.id=?");
  q.Bind(1, ai);
  return q.Step() ? q.OptText(0) : std::nullopt;
}

int32_t FinishWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t rc,
                       const std::vector<std::pair<std::string, std::string>>& output) {
  CheckDeadlines(store);
  Stmt q(store.db(), "SELECT i.owner_id, i.state, i.activity_instance_id, a.state, p.state "
                     "FROM items i JOIN activity_instances a ON a.id = i.activity_instance_id "
                     "JOIN process_instances p ON p.id = i.process_instance_id "
                     "WHERE i.id=? AND i.kind=1");
  q.Bind(1, item_id);
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  int64_t owner = q.Int(0), state = q.Int(1), ai = q.Int(2), ai_state = q.Int(3),
          pi_state = q.Int(4);
  q.Step();
  if (owner != person_id) return PVX_ERROR_NOT_AUTHORIZED;
  if (state != kItemReady && state != kItemRunning && state != kItemCheckedOut)
    return PVX_ERROR_WRONG_STATE;
  if ((ai_state != kAsReady && ai_state != kAsRunning && ai_state != kAsCheckedOut) ||
      pi_state != kPsRunning)
    return PVX_ERROR_WRONG_STATE;
  Engine e(store);
  Record out;
  if (int32_t result = e.BuildOutput(ai, output, &out)) return result;
  // The item finished is the one worked on, even when it was not started.
  Stmt w(store.db(), "UPDATE items SET state=? WHERE id=? AND state=?");
  w.Bind(1, kItemRunning).Bind(2, item_id).Bind(3, kItemReady).Run();
  e.FinishActivity(ai, rc, out);
  e.Drain();
  return PVX_OK;
}

void CheckDeadlines(Store& store) {
  // Held work items whose time has come are offered again.
  Stmt held(store.db(), "UPDATE items SET state=1, on_hold=NULL WHERE kind=1 AND state=16 AND on_hold <= ?");
  held.Bind(1, std::string_view(ClockNow(store))).Run();
  Engine e(store);
  e.Deadlines();
  e.Drain();
}

namespace {

std::vector<int64_t> Children(Store& store, int64_t pi) {
  std::vector<int64_t> out;
  Stmt q(store.db(), "SELECT id FROM process_instances WHERE parent_id=?");
  q.Bind(1, pi);
  while (q.Step()) out.push_back(q.Int(0));
  return out;
}

void SetInstanceState(Store& store, int64_t pi, int state) {
  std::string now = ClockNow(store);
  Stmt u(store.db(), "UPDATE process_instances SET state=?, last_state_change=?, modified=? "
                     "WHERE id=?");
  u.Bind(1, state).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, pi).Run();
}

// A work item still to be done (ready, started, held or checked out), not
// one kept after its activity's run ended.
bool Open(int64_t item_state) {
  return item_state == kItemReady || item_state == kItemRunning || item_state == 16 ||
         item_state == kItemCheckedOut;
}

struct ItemRow {
  int64_t id = 0, owner = 0, ai = 0, pi = 0, state = 0, ai_state = 0, pi_state = 0;
};

// The work item and the states around it; rc says why it cannot be used.
int32_t LoadItem(Store& store, int64_t item_id, int64_t person_id, bool owner_only,
                 ItemRow* r) {
  Stmt q(store.db(), "SELECT i.owner_id, i.activity_instance_id, i.process_instance_id, "
                     "i.state, a.state, p.state FROM items i "
                     "JOIN activity_instances a ON a.id = i.activity_instance_id "
                     "JOIN process_instances p ON p.id = i.process_instance_id "
                     "WHERE i.id=? AND i.kind=1");
  q.Bind(1, item_id);
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  *r = {item_id, q.Int(0), q.Int(1), q.Int(2), q.Int(3), q.Int(4), q.Int(5)};
  q.Step();
  if (r->owner == person_id) return PVX_OK;
  if (owner_only) return PVX_ERROR_NOT_AUTHORIZED;
  Stmt auth(store.db(), "SELECT 1 FROM persons p WHERE p.id=? AND (p.is_admin=1 OR "
                        "EXISTS(SELECT 1 FROM person_authorizations a JOIN persons o "
                        "ON o.user_id = a.authorized_for WHERE a.person_id = p.id AND o.id=?))");
  auth.Bind(1, person_id).Bind(2, r->owner);
  return auth.Step() ? PVX_OK : PVX_ERROR_NOT_AUTHORIZED;
}

void SetItem(Store& store, int64_t item, const char* assignments, int64_t state) {
  std::string now = ClockNow(store);
  Stmt u(store.db(), std::string("UPDATE items SET state=?, modified=?") + assignments +
                         " WHERE id=?");
  u.Bind(1, state).Bind(2, std::string_view(now)).Bind(3, item).Run();
}

}  // namespace

int32_t SuspendInstance(Store& store, int64_t pi, bool deep,
                        const std::optional<std::string>& until) {
  InstanceRow inst = LoadInstance(store, pi);
  if (!inst.id) return PVX_ERROR_DOES_NOT_EXIST;
  if (inst.state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  int64_t t;
  if (until && !ParseTimeText(*until, &t)) return PVX_ERROR_INVALID_TIME;
  SetInstanceState(store, pi, kPsSuspended);
  Stmt u(store.db(), "UPDATE process_instances SET suspended=?, suspension_expiry=? WHERE id=?");
  u.Bind(1, std::string_view(ClockNow(store))).Bind(2, until).Bind(3, pi).Run();
  ScheduleInstanceDeadline(store, pi);
  // Its active activities wait with it, a process activity too when its
  // sub-process runs on: the parent is not navigated until it is resumed.
  std::string now = ClockNow(store);
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, last_state_change=?, modified=? "
                     "WHERE process_instance_id=? AND state IN (?,?,?)");
  a.Bind(1, kAsSuspended).Bind(2, std::string_view(now)).Bind(3, std::string_view(now));
  a.Bind(4, pi).Bind(5, kAsReady).Bind(6, kAsRunning).Bind(7, kAsCheckedOut).Run();
  if (deep)
    for (int64_t c : Children(store, pi)) SuspendInstance(store, c, true, until);
  return PVX_OK;
}

int32_t ResumeInstance(Store& store, int64_t pi, bool deep) {
  InstanceRow inst = LoadInstance(store, pi);
  if (!inst.id) return PVX_ERROR_DOES_NOT_EXIST;
  if (inst.state != kPsSuspended) return PVX_ERROR_WRONG_STATE;
  SetInstanceState(store, pi, kPsRunning);
  Stmt u(store.db(), "UPDATE process_instances SET suspended=NULL, suspension_expiry=NULL "
                     "WHERE id=?");
  u.Bind(1, pi).Run();
  ScheduleInstanceDeadline(store, pi);
  // Each activity gets back the state it had, which its work items kept
  // through the suspension: checked out or started by someone, else ready;
  // a block or process activity was running.
  std::string now = ClockNow(store);
  Stmt a(store.db(), "UPDATE activity_instances SET state=CASE WHEN kind IN (1,16) THEN ?1 "
                     "WHEN EXISTS(SELECT 1 FROM items i WHERE i.activity_instance_id="
                     "activity_instances.id AND i.kind=?2 AND i.state=?3) THEN ?4 "
                     "WHEN EXISTS(SELECT 1 FROM items i WHERE i.activity_instance_id="
                     "activity_instances.id AND i.kind=?2 AND i.state=?5) THEN ?1 ELSE ?6 END, "
                     "last_state_change=?7, modified=?7 WHERE process_instance_id=?8 AND state=?9");
  a.Bind(1, kAsRunning).Bind(2, kItemWorkitem).Bind(3, kItemCheckedOut).Bind(4, kAsCheckedOut);
  a.Bind(5, kItemRunning).Bind(6, kAsReady).Bind(7, std::string_view(now)).Bind(8, pi);
  a.Bind(9, kAsSuspended).Run();
  // A sub-process that finished meanwhile (a flat suspension) left its
  // process activity waiting: it finishes now, with the sub-process's output.
  std::vector<std::pair<int64_t, int64_t>> done;  // process activity, sub-process
  {
    Stmt q(store.db(), "SELECT a.id, c.id FROM activity_instances a JOIN process_instances c "
                       "ON c.id = (SELECT max(id) FROM process_instances WHERE "
                       "parent_activity_instance_id = a.id) WHERE a.process_instance_id=? "
                       "AND a.kind=1 AND a.state=? AND c.state=?");
    q.Bind(1, pi).Bind(2, kAsRunning).Bind(3, kPsFinished);
    while (q.Step()) done.emplace_back(q.Int(0), q.Int(1));
  }
  // An instance started suspended has not been navigated yet.
  Stmt any(store.db(), "SELECT 1 FROM activity_instances WHERE process_instance_id=? LIMIT 1");
  any.Bind(1, pi);
  bool navigated = any.Step();
  any.Step();
  if (!navigated || !done.empty()) {
    Engine e(store);
    if (!navigated) e.CreateGraph(pi, inst.template_id, std::nullopt, std::nullopt);
    for (const auto& [ai, child] : done)
      if (e.State(ai) == kAsRunning)
        e.FinishActivity(ai, 0, LoadContainer(store, "PI", child, "out").value_or(Record{}));
    e.Drain();
  }
  if (deep)
    for (int64_t c : Children(store, pi)) ResumeInstance(store, c, true);
  return PVX_OK;
}

int32_t TerminateInstance(Store& store, int64_t pi) {
  InstanceRow inst = LoadInstance(store, pi);
  if (!inst.id) return PVX_ERROR_DOES_NOT_EXIST;
  if (inst.state != kPsRunning && inst.state != kPsSuspended) return PVX_ERROR_WRONG_STATE;
  for (int64_t c : Children(store, pi)) TerminateInstance(store, c);
  std::string now = ClockNow(store);
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, ended=?, next_deadline=NULL "
                     "WHERE process_instance_id=? AND state IN (1,2,16,32,64,128,512)");
  a.Bind(1, kAsTerminated).Bind(2, std::string_view(now)).Bind(3, pi).Run();
  Stmt d(store.db(), "DELETE FROM items WHERE process_instance_id=? AND kind=1");
  d.Bind(1, pi).Run();
  SetInstanceState(store, pi, kPsTerminated);
  Stmt u(store.db(), "UPDATE process_instances SET ended=?, next_deadline=NULL WHERE id=?");
  u.Bind(1, std::string_view(now)).Bind(2, pi).Run();
  return PVX_OK;
}

int32_t DeleteInstance(Store& store, int64_t pi) {
  InstanceRow inst = LoadInstance(store, pi);
  if (!inst.id) return PVX_ERROR_DOES_NOT_EXIST;
  if (inst.state != kPsReady && inst.state != kPsFinished && inst.state != kPsTerminated)
    return PVX_ERROR_WRONG_STATE;
  Stmt d(store.db(), "DELETE FROM items WHERE process_instance_id=?");
  d.Bind(1, pi).Run();
  SetInstanceState(store, pi, kPsDeleted);
  // Its activities go with it, and read as deleted as the instance does.
  std::string now = ClockNow(store);
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, last_state_change=?, modified=? "
                     "WHERE process_instance_id=?");
  a.Bind(1, kAsDeleted).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, pi).Run();
  return PVX_OK;
}

bool ActivityInError(Store& store, int64_t ai, const std::string& reason) {
  Engine e(store);
  int64_t state = e.State(ai);
  if (state != kAsReady && state != kAsRunning && state != kAsCheckedOut) return false;
  EndItems(store, ai, kAsInError);
  e.InError(ai, reason);
  return true;
}

int32_t RestartActivity(Store& store, int64_t ai) {
  Engine e(store);
  if (e.State(ai) != kAsInError) return PVX_ERROR_WRONG_STATE;
  // The items left in error give way to the ones the new run makes.
  Stmt del(store.db(), "DELETE FROM items WHERE activity_instance_id=? AND kind=1 AND state=?");
  del.Bind(1, ai).Bind(2, kAsInError).Run();
  Stmt clear(store.db(), "UPDATE activity_instances SET error_reason=NULL WHERE id=?");
  clear.Bind(1, ai).Run();
  e.SetState(ai, kAsInactive);
  e.Activate(ai);
  e.Drain();
  return PVX_OK;
}

int32_t ForceFinishActivity(Store& store, int64_t ai, const Record* output, int64_t item) {
  Engine e(store);
  int64_t state = e.State(ai);
  if (!state) return PVX_ERROR_DOES_NOT_EXIST;
  if (state != kAsReady && state != kAsRunning && state != kAsCheckedOut &&
      state != kAsInError && state != kAsSuspended)
    return PVX_ERROR_WRONG_STATE;
  auto [pi, activity_id, block] = e.Where(ai);
  if (LoadInstance(store, pi).state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  ActivityDef d = LoadDef(store, activity_id);
  EndItems(store, ai, kAsForceFinished, item);
  e.SetState(ai, kAsForceFinished);
  Stmt u(store.db(), "UPDATE activity_instances SET ended=?, next_deadline=NULL WHERE id=?");
  u.Bind(1, std::string_view(e.now())).Bind(2, ai).Run();
  Record in = LoadContainer(store, "AI", ai, "in").value_or(Record{});
  if (output) {
    // Given values count as the activity's output, as a program's would.
    SaveContainer(store, "AI", ai, "out", *output);
    Record data = Data(store, pi);
    Schema data_schema;
    if (!data.type_name.empty() && LoadSchema(store, data.type_name, &data_schema)) {
      CopyMatching(*output, data_schema, &data);
      SaveContainer(store, "PI", pi, "data", data);
    }
  }
  e.Navigate(ai, pi, d, block, true, 0, output ? *output : in);
  e.Drain();
  return PVX_OK;
}

int32_t ForceRestartActivity(Store& store, int64_t ai) {
  Engine e(store);
  int64_t state = e.State(ai);
  if (!state) return PVX_ERROR_DOES_NOT_EXIST;
  if (state != kAsFinished && state != kAsForceFinished && state != kAsTerminated)
    return PVX_ERROR_WRONG_STATE;
  auto [pi, activity_id, block] = e.Where(ai);
  if (LoadInstance(store, pi).state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  // An earlier round of a block is over: only the current round runs again.
  Stmt later(store.db(), "SELECT 1 FROM activity_instances WHERE process_instance_id=? AND "
                         "activity_id=? AND block_instance_id IS ? AND id>? LIMIT 1");
  later.Bind(1, pi).Bind(2, activity_id);
  if (block) later.Bind(3, *block); else later.BindNull(3);
  later.Bind(4, ai);
  if (later.Step()) return PVX_ERROR_WRONG_STATE;
  e.SetState(ai, kAsInactive);
  e.Activate(ai);
  e.Drain();
  return PVX_OK;
}

int32_t StartWorkitem(Store& store, int64_t item_id, int64_t person_id) {
  CheckDeadlines(store);
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, true, &r)) return rc;
  if (r.state != kItemReady || r.pi_state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  std::string now = ClockNow(store);
  SetItem(store, item_id, ", started=started", kItemRunning);
  Stmt s(store.db(), "UPDATE items SET started=? WHERE id=?");
  s.Bind(1, std::string_view(now)).Bind(2, item_id).Run();
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, started=?, starter="
                     "(SELECT user_id FROM persons WHERE id=?), last_state_change=? WHERE id=?");
  a.Bind(1, kAsRunning).Bind(2, std::string_view(now)).Bind(3, person_id);
  a.Bind(4, std::string_view(now)).Bind(5, r.ai).Run();
  return PVX_OK;
}

int32_t CheckOutWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t requested,
                         int64_t platform, ProgramData* data) {
  CheckDeadlines(store);
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, true, &r)) return rc;
  if ((r.state != kItemReady && r.state != kItemRunning) || r.pi_state != kPsRunning)
    return PVX_ERROR_CHECKOUT_NOT_POSSIBLE;
  // Nothing changes when the program data cannot be had.
  ProgramData d;
  if (int32_t rc = ReadProgramData(store, r.ai, requested, platform, &d)) return rc;
  std::string now = ClockNow(store);
  SetItem(store, item_id, "", kItemCheckedOut);
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, started=coalesce(started, ?), "
                     "starter=(SELECT user_id FROM persons WHERE id=?), last_state_change=? "
                     "WHERE id=?");
  a.Bind(1, kAsCheckedOut).Bind(2, std::string_view(now)).Bind(3, person_id);
  a.Bind(4, std::string_view(now)).Bind(5, r.ai).Run();
  if (data) *data = std::move(d);
  return PVX_OK;
}

int32_t CancelCheckOutWorkitem(Store& store, int64_t item_id, int64_t person_id) {
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, true, &r)) return rc;
  if (r.state != kItemCheckedOut) return PVX_ERROR_WRONG_STATE;
  std::string now = ClockNow(store);
  SetItem(store, item_id, "", kItemReady);
  // A suspended activity stays so; its resumption finds the item ready.
  Stmt a(store.db(), "UPDATE activity_instances SET state=?, last_state_change=? WHERE id=? "
                     "AND state<>?");
  a.Bind(1, kAsReady).Bind(2, std::string_view(now)).Bind(3, r.ai).Bind(4, kAsSuspended).Run();
  return PVX_OK;
}

int32_t CheckInWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t rc,
                        const std::vector<std::pair<std::string, std::string>>& output) {
  ItemRow r;
  if (int32_t e = LoadItem(store, item_id, person_id, true, &r)) return e;
  if (r.state != kItemCheckedOut) return PVX_ERROR_WRONG_STATE;
  return FinishWorkitem(store, item_id, person_id, rc, output);
}

int32_t TerminateWorkitem(Store& store, int64_t item_id, int64_t person_id) {
  CheckDeadlines(store);
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, false, &r)) return rc;
  if (r.pi_state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  if (r.ai_state != kAsReady && r.ai_state != kAsRunning && r.ai_state != kAsCheckedOut &&
      r.ai_state != kAsSuspended)
    return PVX_ERROR_WRONG_STATE;
  Engine e(store);
  EndItems(store, r.ai, kAsTerminated, item_id);
  e.SetState(r.ai, kAsTerminated);
  Stmt u(store.db(), "UPDATE activity_instances SET ended=?, next_deadline=NULL WHERE id=?");
  u.Bind(1, std::string_view(e.now())).Bind(2, r.ai).Run();
  // A terminated activity gives no output: its connectors are false and what
  // depends on it alone is skipped, so the instance can still end.
  auto [pi, activity_id, block] = e.Where(r.ai);
  ActivityDef d = LoadDef(store, activity_id);
  e.Navigate(r.ai, pi, d, block, false, 0, Record{});
  e.Drain();
  return PVX_OK;
}

int32_t HoldWorkitem(Store& store, int64_t item_id, int64_t person_id, const std::string& until) {
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, true, &r)) return rc;
  int64_t t;
  if (!ParseTimeText(until, &t)) return PVX_ERROR_INVALID_TIME;
  if (r.state != kItemReady) return PVX_ERROR_WRONG_STATE;
  SetItem(store, item_id, "", 16);
  Stmt u(store.db(), "UPDATE items SET on_hold=? WHERE id=?");
  u.Bind(1, std::string_view(FormatTime(t))).Bind(2, item_id).Run();
  return PVX_OK;
}

int32_t ReleaseWorkitem(Store& store, int64_t item_id, int64_t person_id) {
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, true, &r)) return rc;
  if (r.state != 16) return PVX_ERROR_WRONG_STATE;
  SetItem(store, item_id, ", on_hold=NULL", kItemReady);
  return PVX_OK;
}

int32_t TransferWorkitem(Store& store, int64_t item_id, int64_t person_id,
                         const std::string& new_owner) {
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, false, &r)) return rc;
  if (r.state == kItemCheckedOut || r.state == kItemRunning) return PVX_ERROR_WRONG_STATE;
  if (!Open(r.state)) return PVX_ERROR_WRONG_STATE;  // ended: it stays whose work it was
  Stmt p(store.db(), "SELECT id FROM persons WHERE user_id=?");
  p.Bind(1, std::string_view(new_owner));
  if (!p.Step()) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
  int64_t to = p.Int(0);
  p.Step();
  Stmt u(store.db(), "UPDATE items SET owner_id=?, received_as=5, received=?, modified=? "
                     "WHERE id=?");
  std::string now = ClockNow(store);
  u.Bind(1, to).Bind(2, std::string_view(now)).Bind(3, std::string_view(now)).Bind(4, item_id).Run();
  return PVX_OK;
}

int32_t DuplicateWorkitem(Store& store, int64_t item_id, int64_t person_id,
                          const std::string& new_owner, int64_t* new_item_id) {
  ItemRow r;
  if (int32_t rc = LoadItem(store, item_id, person_id, false, &r)) return rc;
  // A copy of ended work would be an item nobody can finish.
  if (!Open(r.state)) return PVX_ERROR_WRONG_STATE;
  Stmt p(store.db(), "SELECT id FROM persons WHERE user_id=?");
  p.Bind(1, std::string_view(new_owner));
  if (!p.Step()) return PVX_ERROR_NEW_OWNER_NOT_FOUND;
  int64_t to = p.Int(0);
  p.Step();
  std::string now = ClockNow(store);
  Stmt ins(store.db(), "INSERT INTO items(kind, owner_id, process_instance_id, "
                       "activity_instance_id, name, state, received_as, priority, description, "
                       "category, created, received, modified) SELECT kind, ?, "
                       "process_instance_id, activity_instance_id, name, 1, 5, priority, "
                       "description, category, ?, ?, ? FROM items WHERE id=?");
  ins.Bind(1, to).Bind(2, std::string_view(now)).Bind(3, std::string_view(now));
  ins.Bind(4, std::string_view(now)).Bind(5, item_id).Run();
  const int64_t transferred = store.LastInsertId();
  PostArrival(store, transferred);
  if (new_item_id) *new_item_id = transferred;
  return PVX_OK;
}

std::vector<std::string> ResolvedStaffOf(Store& store, int64_t ai) {
  Engine e(store);
  auto [pi, activity_id, block] = e.Where(ai);
  ActivityDef d = LoadDef(store, activity_id);
  std::vector<std::string> out;
  for (const auto& [person, received] : e.Staff(pi, d)) {
    Stmt q(store.db(), "SELECT user_id FROM persons WHERE id=?");
    q.Bind(1, person);
    if (q.Step()) out.push_back(q.Text(0));
  }
  std::sort(out.begin(), out.end());
  return out;
}

int32_t RescheduleActivity(Store& store, int64_t ai) {
  Engine e(store);
  if (e.State(ai) != kAsReady) return PVX_ERROR_WRONG_STATE;
  auto [pi, activity_id, block] = e.Where(ai);
  if (LoadInstance(store, pi).state != kPsRunning) return PVX_ERROR_WRONG_STATE;
  // The open items give way; an earlier run's ended ones stay.
  Stmt del(store.db(), "DELETE FROM items WHERE activity_instance_id=? AND kind=1 AND state IN (1, 2, 16, 64)");
  del.Bind(1, ai).Run();
  e.CreateWorkitems(ai, pi, LoadDef(store, activity_id));
  return PVX_OK;
}

int32_t AddWorkitemFor(Store& store, int64_t ai, int64_t person) {
  Engine e(store);
  int64_t state = e.State(ai);
  if (!state) return PVX_ERROR_DOES_NOT_EXIST;
  if (state != kAsReady && state != kAsRunning) return PVX_ERROR_WRONG_STATE;
  // Only open work counts: an earlier run's ended item stays beside a new one.
  Stmt has(store.db(), "SELECT 1 FROM items WHERE activity_instance_id=? AND kind=1 AND owner_id=? "
                       "AND state IN (1, 2, 16, 64)");
  has.Bind(1, ai).Bind(2, person);
  if (has.Step()) return PVX_ERROR_NOT_UNIQUE;
  auto [pi, activity_id, block] = e.Where(ai);
  ActivityDef d = LoadDef(store, activity_id);
  std::string now = ClockNow(store);
  Stmt ins(store.db(), "INSERT INTO items(kind, owner_id, process_instance_id, activity_instance_id, name, "
                       "state, received_as, priority, description, category, created, received, modified) "
                       "VALUES(?,?,?,?,?,?,1,?,?,?,?,?,?)");
  ins.Bind(1, kItemWorkitem).Bind(2, person).Bind(3, pi).Bind(4, ai).Bind(5, std::string_view(d.name));
  ins.Bind(6, kItemReady).Bind(7, d.priority).Bind(8, d.description).Bind(9, d.category);
  ins.Bind(10, std::string_view(now)).Bind(11, std::string_view(now)).Bind(12, std::string_view(now)).Run();
  return PVX_OK;
}

int32_t FinishExecutedActivity(Store& store, int64_t ai) {
  Engine e(store);
  if (e.State(ai) != kAsExecuted) return PVX_ERROR_WRONG_STATE;
  Stmt q(store.db(), "SELECT coalesce(return_code, 0) FROM activity_instances WHERE id=?");
  q.Bind(1, ai);
  int32_t rc = q.Step() ? static_cast<int32_t>(q.Int(0)) : 0;
  e.Complete(ai, rc, LoadContainer(store, "AI", ai, "out").value_or(Record{}));
  e.Drain();
  return PVX_OK;
}

int32_t ReexecuteActivity(Store& store, int64_t ai) {
  Engine e(store);
  if (e.State(ai) != kAsExecuted) return PVX_ERROR_WRONG_STATE;
  e.SetState(ai, kAsInactive);
  e.Activate(ai);
  e.Drain();
  return PVX_OK;
}

}  // namespace pvxjsim
