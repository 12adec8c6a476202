#include "console.h"

#include <pvxj/base.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <map>

#include <sys/stat.h>

#include "clock.h"
#include "container.h"
#include "engine.h"
#include "program_data.h"
#include "program_run.h"
#include "store.h"

namespace pvxjsim {

namespace {

using ojson = nlohmann::ordered_json;

const char* RcName(int32_t rc) {
  switch (rc) {
    case PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND: return "no such process template (valid now)";
    case PVX_ERROR_NOT_UNIQUE: return "an instance of that name exists";
    case PVX_ERROR_DOES_NOT_EXIST: return "no such work item";
    case PVX_ERROR_NOT_AUTHORIZED: return "the work item belongs to someone else";
    case PVX_ERROR_WRONG_STATE: return "not in a state that allows it";
    case PVX_ERROR_MEMBER_NOT_FOUND: return "no such member in the container's structure";
    case PVX_ERROR_WRONG_TYPE: return "value does not fit the member's type";
    case PVX_ERROR_INVALID_CONTAINER: return "the input structure is unknown";
    case PVX_ERROR_CHECKOUT_NOT_POSSIBLE: return "cannot be checked out now";
    case PVX_ERROR_NO_PROGRAM_FOR_PLATFORM: return "its program has no implementation for that platform";
    case PVX_ERROR_PROGRAM_EXECUTION: return "the program could not be started";
    case PVX_ERROR_FORMAT: return "the program's output is not MEMBER=VALUE lines; the activity is in error";
  }
  return "refused";
}

bool SplitSetting(const std::string& s, std::pair<std::string, std::string>* out) {
  size_t eq = s.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  *out = {s.substr(0, eq), s.substr(eq + 1)};
  return true;
}

const char* ItemKindName(int64_t kind) {
  switch (kind) {
    case kItemWorkitem: return "workitem";
    case kItemProcessNotification: return "process notification";
    case kItemFirstNotification: return "first notification";
    case kItemSecondNotification: return "second notification";
    case kItemExpiryNotification: return "expiry notification";
  }
  return "item";
}

const char* ItemStateName(int64_t state) {
  switch (state) {
    case 1: return "READY";
    case 2: return "RUNNING";
    case 4: return "FINISHED";
    case 64: return "CHECKED_OUT";
    case 16: return "SUSPENDED";
    case 8: return "TERMINATED";
    case 128: return "IN_ERROR";
    case 1024: return "FORCE_FINISHED";
    case 32768: return "EXPIRED";
  }
  return "???";
}

const char* ReceivedAsName(int64_t how) {
  switch (how) {
    case 1: return "NORMAL";
    case 2: return "SUBSTITUTE";
    case 3: return "PROCESS_ADMINISTRATOR";
    case 4: return "SYSTEM_ADMINISTRATOR";
    case 5: return "BY_TRANSFER";
  }
  return "???";
}

int64_t PersonIdOfUser(Store& store, const std::string& user) {
  Stmt q(store.db(), "SELECT id FROM persons WHERE user_id=?");
  q.Bind(1, std::string_view(user));
  return q.Step() ? q.Int(0) : 0;
}

// --user, else the first administrator, as the one who acts.
std::string Actor(Store& store, const std::vector<std::pair<std::string, std::string>>& options) {
  for (const auto& [k, v] : options)
    if (k == "--user") return v;
  Stmt q(store.db(), "SELECT user_id FROM persons WHERE is_admin=1 ORDER BY id LIMIT 1");
  return q.Step() ? q.Text(0) : std::string();
}

ojson ContainerJson(const std::optional<Record>& r) {
  ojson o = ojson::object();
  if (!r) return o;
  for (const Field& f : r->fields) {
    if (auto* l = std::get_if<int32_t>(&f.value)) o[f.name] = *l;
    else if (auto* d = std::get_if<double>(&f.value)) o[f.name] = *d;
    else if (std::holds_alternative<std::monostate>(f.value)) o[f.name] = nullptr;
    else o[f.name] = ValueText(f.value);
  }
  return o;
}

int Start(Store& store, const std::vector<std::string>& words,
          const std::vector<std::pair<std::string, std::string>>& options, bool json,
          std::ostream& out, std::ostream& err) {
  std::string user = Actor(store, options);
  if (!PersonIdOfUser(store, user)) {
    err << "pvxjsim: unknown user \"" << Escaped(user) << "\"\n";
    return 1;
  }
  WriteTx tx(store);
  CheckDeadlines(store);
  int64_t pi = 0;
  int32_t rc = CreateInstance(store, words[1], "", user, &pi);
  if (rc) {
    err << "pvxjsim: " << Escaped(words[1]) << ": " << RcName(rc) << "\n";
    return 1;
  }
  Stmt t(store.db(), "SELECT t.in_container, i.name FROM process_instances i "
                     "JOIN process_templates t ON t.id = i.template_id WHERE i.id=?");
  t.Bind(1, pi);
  t.Step();
  std::optional<std::string> in_name = t.OptText(0);
  std::string name = t.Text(1);
  t.Step();
  Record input;
  input.type_name = in_name.value_or("");
  Schema schema;
  if (in_name) LoadSchema(store, *in_name, &schema);
  for (const auto& [k, v] : options) {
    if (k != "--set") continue;
    std::pair<std::string, std::string> setting;
    if (!SplitSetting(v, &setting)) {
      err << "pvxjsim: --set takes MEMBER=VALUE, not \"" << Escaped(v) << "\"\n";
      return 2;
    }
    if (int32_t src = SetMemberFromText(schema, &input, setting.first, setting.second)) {
      err << "pvxjsim: --set " << Escaped(setting.first) << ": " << RcName(src)
          << (in_name ? " (structure " + Escaped(*in_name) + ")" : std::string()) << "\n";
      return 1;
    }
  }
  rc = StartInstance(store, pi, user, &input);
  if (rc) {
    err << "pvxjsim: " << Escaped(name) << ": " << RcName(rc) << "\n";
    return 1;
  }
  tx.Commit();
  Stmt s(store.db(), "SELECT state FROM process_instances WHERE id=?");
  s.Bind(1, pi);
  s.Step();
  if (json)
    out << ojson{{"instance", name}, {"state", ProcessStateName(s.Int(0))}}.dump() << "\n";
  else
    out << Escaped(name) << "\n";
  return 0;
}

int Items(Store& store, const std::vector<std::pair<std::string, std::string>>& options,
          bool json, std::ostream& out, std::ostream& err) {
  std::optional<std::string> user;
  for (const auto& [k, v] : options)
    if (k == "--user") user = v;
  int64_t person = 0;
  if (user && !(person = PersonIdOfUser(store, *user))) {
    err << "pvxjsim: unknown user \"" << Escaped(*user) << "\"\n";
    return 1;
  }
  {
    WriteTx tx(store);
    CheckDeadlines(store);
    tx.Commit();
  }
  Stmt q(store.db(), "SELECT it.id, it.kind, pi.name, it.name, p.user_id, it.state "
                     "FROM items it JOIN persons p ON p.id = it.owner_id "
                     "LEFT JOIN process_instances pi ON pi.id = it.process_instance_id "
                     "WHERE (?1 = 0 OR it.owner_id = ?1) ORDER BY it.id");
  q.Bind(1, person);
  ojson list = ojson::array();
  if (!json)
    out << std::left << std::setw(6) << "ID" << std::setw(22) << "KIND" << std::setw(28)
        << "INSTANCE" << std::setw(18) << "ACTIVITY" << std::setw(9) << "OWNER" << "STATE\n";
  while (q.Step()) {
    if (json) {
      list.push_back({{"id", q.Int(0)}, {"kind", ItemKindName(q.Int(1))},
                      {"instance", q.Text(2)}, {"activity", q.Text(3)}, {"owner", q.Text(4)},
                      {"state", ItemStateName(q.Int(5))}});
    } else {
      out << std::left << std::setw(6) << q.Int(0) << std::setw(22) << ItemKindName(q.Int(1))
          << std::setw(28) << Escaped(q.Text(2)) << std::setw(18) << Escaped(q.Text(3))
          << std::setw(9) << Escaped(q.Text(4)) << ItemStateName(q.Int(5)) << "\n";
    }
  }
  if (json) out << list.dump() << "\n";
  return 0;
}

// The work item a command names, and its owner, who acts on it. --user, when
// given, must be the owner. Returns -1 when found, else the exit code.
int ItemAndOwner(Store& store, const std::string& word,
                 const std::vector<std::pair<std::string, std::string>>& options,
                 std::ostream& err, int64_t* item, int64_t* owner) {
  char* end = nullptr;
  errno = 0;
  long long n = std::strtoll(word.c_str(), &end, 10);
  if (word.empty() || *end || n <= 0 || errno == ERANGE) {
    err << "pvxjsim: \"" << Escaped(word) << "\" is not a work item number\n";
    return 2;
  }
  *item = n;
  Stmt o(store.db(), "SELECT owner_id FROM items WHERE id=? AND kind=1");
  o.Bind(1, *item);
  if (!o.Step()) {
    err << "pvxjsim: " << *item << ": " << RcName(PVX_ERROR_DOES_NOT_EXIST) << "\n";
    return 1;
  }
  *owner = o.Int(0);
  o.Step();
  for (const auto& [k, v] : options)
    if (k == "--user" && PersonIdOfUser(store, v) != *owner) {
      err << "pvxjsim: " << *item << ": " << RcName(PVX_ERROR_NOT_AUTHORIZED) << "\n";
      return 1;
    }
  return -1;
}

// finish and checkin: the owner ends the item with a return code and output.
int Finish(Store& store, const std::vector<std::string>& words,
           const std::vector<std::pair<std::string, std::string>>& options, bool json,
           std::ostream& out, std::ostream& err) {
  bool checkin = words[0] == "checkin";
  int32_t program_rc = 0;
  std::vector<std::pair<std::string, std::string>> sets;
  for (const auto& [k, v] : options) {
    if (k == "--rc") {
      char* e = nullptr;
      long long n = std::strtoll(v.c_str(), &e, 10);
      if (v.empty() || *e || n < INT32_MIN || n > INT32_MAX) {
        err << "pvxjsim: --rc takes a number, not \"" << Escaped(v) << "\"\n";
        return 2;
      }
      program_rc = static_cast<int32_t>(n);
    } else if (k == "--set") {
      std::pair<std::string, std::string> setting;
      if (!SplitSetting(v, &setting)) {
        err << "pvxjsim: --set takes MEMBER=VALUE, not \"" << Escaped(v) << "\"\n";
        return 2;
      }
      sets.push_back(setting);
    }
  }
  WriteTx tx(store);
  int64_t item = 0, owner = 0;
  if (int code = ItemAndOwner(store, words[1], options, err, &item, &owner); code >= 0)
    return code;
  int32_t rc = checkin ? CheckInWorkitem(store, item, owner, program_rc, sets)
                       : FinishWorkitem(store, item, owner, program_rc, sets);
  if (rc == PVX_ERROR_MEMBER_NOT_FOUND || rc == PVX_ERROR_WRONG_TYPE) {
    // Which --set was refused, checked as the engine checks it.
    Stmt a(store.db(), "SELECT activity_instance_id FROM items WHERE id=?");
    a.Bind(1, item);
    std::optional<std::string> structure;
    if (a.Step()) structure = ActivityOutStructure(store, a.Int(0));
    a.Step();
    Schema schema;
    if (structure) LoadSchema(store, *structure, &schema);
    Record scratch;
    for (const auto& [member, value] : sets)
      if (SetMemberFromText(schema, &scratch, member, value) == rc) {
        err << "pvxjsim: " << item << ": --set " << Escaped(member) << ": " << RcName(rc)
            << (structure ? " (structure " + Escaped(*structure) + ")" : std::string()) << "\n";
        return 1;
      }
  }
  if (rc) {
    err << "pvxjsim: " << item << ": " << RcName(rc) << "\n";
    return 1;
  }
  tx.Commit();
  const char* done = checkin ? "checked in" : "finished";
  if (json)
    out << ojson{{checkin ? "checkedIn" : "finished", item}}.dump() << "\n";
  else
    out << done << " " << item << "\n";
  return 0;
}

const char* ModeName(int64_t mode) { return mode == 1 ? "Normal" : mode == 2 ? "Safe" : "???"; }
const char* UserName(int64_t user) { return user == 1 ? "Agent" : user == 2 ? "Starter" : "???"; }
const char* KindName(int64_t kind) {
  return kind == kImplExe ? "exe" : kind == kImplDll ? "dll" : kind == kImplExternal ? "external" : "???";
}

ojson ProgramDataJson(int64_t item, const ProgramData& d) {
  ojson j;
  j["checkedOut"] = item;
  j["program"] = d.program;
  j["description"] = d.description ? ojson(*d.description) : ojson(nullptr);
  j["icon"] = d.icon ? ojson(*d.icon) : ojson(nullptr);
  j["unattended"] = d.unattended;
  j["trusted"] = d.trusted;
  j["executionMode"] = ModeName(d.execution_mode);
  j["executionUser"] = UserName(d.execution_user);
  ojson impls = ojson::array();
  for (const Implementation& impl : d.implementations) {
    ojson o{{"platform", PlatformName(impl.platform)}, {"kind", KindName(impl.kind)}};
    for (const auto& [key, value] : impl.options) {
      if (auto* n = std::get_if<int32_t>(&value)) o[key] = *n;
      else o[key] = ValueText(value);
    }
    impls.push_back(o);
  }
  j["implementations"] = impls;
  j["inStructure"] = d.in.type_name.empty() ? ojson(nullptr) : ojson(d.in.type_name);
  j["in"] = ContainerJson(d.in);
  j["outStructure"] = d.out.type_name.empty() ? ojson(nullptr) : ojson(d.out.type_name);
  j["out"] = ContainerJson(d.out);
  return j;
}

// checkout ITEM: the owner takes the item to run its program elsewhere and
// gets the program data; --cancel gives it back.
int CheckOut(Store& store, const std::vector<std::string>& words,
             const std::vector<std::pair<std::string, std::string>>& options, bool json,
             std::ostream& out, std::ostream& err) {
  std::optional<int64_t> platform;
  std::optional<int32_t> requested;
  std::optional<std::string> stream_path;
  bool cancel = false;
  for (const auto& [k, v] : options) {
    if (k == "--platform") {
      platform = PlatformByName(v);
      if (!platform) {
        err << "pvxjsim: --platform takes NotSet, Quill, Borix, HPUX, Windows95, WindowsNT, "
               "Vantor, Solaris or 0..7, not \"" << Escaped(v) << "\"\n";
        return 2;
      }
    } else if (k == "--data") {
      if (v == "common") requested = kCommonDataOnly;
      else if (v == "specified") requested = kSpecifiedDefinitions;
      else if (v == "all") requested = kAllDefinitions;
      else {
        err << "pvxjsim: --data takes common, specified or all, not \"" << Escaped(v) << "\"\n";
        return 2;
      }
    } else if (k == "--stream") {
      stream_path = v;
    } else if (k == "--cancel") {
      cancel = true;
    }
  }
  // A platform alone asks for its implementation; nothing asks for all.
  if (!requested) requested = platform ? kSpecifiedDefinitions : kAllDefinitions;
  if (*requested == kSpecifiedDefinitions && !platform) {
    err << "pvxjsim: --data specified needs --platform\n";
    return 2;
  }
  WriteTx tx(store);
  int64_t item = 0, owner = 0;
  if (int code = ItemAndOwner(store, words[1], options, err, &item, &owner); code >= 0)
    return code;
  if (cancel) {
    if (int32_t rc = CancelCheckOutWorkitem(store, item, owner)) {
      err << "pvxjsim: " << item << ": " << RcName(rc) << "\n";
      return 1;
    }
    tx.Commit();
    if (json)
      out << ojson{{"cancelled", item}}.dump() << "\n";
    else
      out << "check-out of " << item << " cancelled\n";
    return 0;
  }
  ProgramData d;
  if (int32_t rc = CheckOutWorkitem(store, item, owner, *requested, platform.value_or(0), &d)) {
    err << "pvxjsim: " << item << ": " << RcName(rc) << "\n";
    return 1;
  }
  if (stream_path) {
    // Written before the check-out counts, so a failed write changes nothing.
    std::vector<uint8_t> bytes = SerializeRecord(ProgramDataRecord(d));
    std::ofstream f(*stream_path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) {
      err << "pvxjsim: cannot write " << Escaped(*stream_path) << "\n";
      return 1;
    }
  }
  tx.Commit();
  ojson j = ProgramDataJson(item, d);
  if (json) {
    out << j.dump() << "\n";
    return 0;
  }
  out << "checked out " << item << ": program " << Escaped(d.program) << "\n";
  if (d.description) out << "  description: " << Escaped(*d.description) << "\n";
  if (d.icon) out << "  icon: " << Escaped(*d.icon) << "\n";
  out << "  execution: " << ModeName(d.execution_mode) << ", as " << UserName(d.execution_user)
      << (d.unattended ? ", unattended" : "") << (d.trusted ? ", trusted" : "") << "\n";
  for (const auto& impl : j["implementations"]) {
    out << "  implementation:";
    for (auto it = impl.begin(); it != impl.end(); ++it)
      out << " " << it.key() << "="
          << Escaped(it->is_string() ? it->get<std::string>() : it->dump());
    out << "\n";
  }
  for (const char* part : {"in", "out"}) {
    std::string structure_key = std::string(part) + "Structure";
    if (j[structure_key].is_null()) continue;
    out << (std::string(part) == "in" ? "In" : "Out") << " ("
        << Escaped(j[structure_key].get<std::string>()) << "):\n";
    for (auto it = j[part].begin(); it != j[part].end(); ++it)
      out << "  " << Escaped(it.key()) << " = "
          << Escaped(it->is_string() ? it->get<std::string>() : it->dump()) << "\n";
  }
  return 0;
}

int ShowInstance(Store& store, const std::string& name, bool json, std::ostream& out,
                 std::ostream& err) {
  {
    WriteTx tx(store);
    CheckDeadlines(store);
    tx.Commit();
  }
  Stmt q(store.db(), "SELECT i.id, i.state, t.name, i.starter, i.created, i.started, i.ended "
                     "FROM process_instances i JOIN process_templates t ON t.id = i.template_id "
                     "WHERE i.name=? ORDER BY i.id DESC LIMIT 1");
  q.Bind(1, std::string_view(name));
  if (!q.Step()) {
    err << "pvxjsim: no process instance \"" << Escaped(name) << "\"\n";
    return 1;
  }
  int64_t pi = q.Int(0);
  ojson j;
  j["name"] = name;
  j["state"] = ProcessStateName(q.Int(1));
  j["template"] = q.Text(2);
  j["starter"] = q.Text(3);
  j["created"] = q.Text(4);
  if (!q.IsNull(5)) j["started"] = q.Text(5);
  if (!q.IsNull(6)) j["ended"] = q.Text(6);
  // Each activity with what a tester needs to see why it is where it is: the
  // block it runs in (depth for the text form), its round, the reason it is
  // in error, its work items, the sub-process it runs and its program's
  // output file.
  ojson acts = ojson::array();
  std::map<int64_t, std::pair<std::string, int>> blocks;  // instance id -> name, depth
  for (Stmt a(store.db(), "SELECT id, name, state, iteration, return_code, block_instance_id, "
                          "error_reason FROM activity_instances WHERE process_instance_id=? "
                          "ORDER BY id"); a.BindOnce(1, pi) && a.Step();) {
    int64_t ai = a.Int(0);
    ojson o{{"id", ai}, {"name", a.Text(1)}, {"state", ActivityStateName(a.Int(2))}};
    int depth = 0;
    if (!a.IsNull(5)) {
      auto it = blocks.find(a.Int(5));
      if (it != blocks.end()) {
        o["block"] = it->second.first;
        depth = it->second.second + 1;
      }
    }
    blocks[ai] = {a.Text(1), depth};
    o["depth"] = depth;
    if (a.Int(3) > 1) o["iteration"] = a.Int(3);
    if (!a.IsNull(4)) o["rc"] = a.Int(4);
    if (!a.IsNull(6)) o["error"] = a.Text(6);
    ojson items = ojson::array();
    for (Stmt w(store.db(), "SELECT it.id, p.user_id, it.state, it.received_as FROM items it "
                            "JOIN persons p ON p.id = it.owner_id "
                            "WHERE it.activity_instance_id=? AND it.kind=1 ORDER BY it.id");
         w.BindOnce(1, ai) && w.Step();)
      items.push_back({{"id", w.Int(0)}, {"owner", w.Text(1)}, {"state", ItemStateName(w.Int(2))},
                       {"receivedAs", ReceivedAsName(w.Int(3))}});
    if (!items.empty()) o["workitems"] = items;
    {
      Stmt c(store.db(), "SELECT name FROM process_instances WHERE parent_activity_instance_id=? "
                         "ORDER BY id DESC LIMIT 1");
      c.Bind(1, ai);
      if (c.Step()) o["subprocess"] = c.Text(0);
    }
    {
      Stmt x(store.db(), "SELECT program_id FROM program_executions "
                         "WHERE activity_instance_id=? ORDER BY id DESC LIMIT 1");
      x.Bind(1, ai);
      struct stat st;
      if (x.Step()) {
        std::string path = ProgramOutputPath(store, x.Text(0));
        if (::stat(path.c_str(), &st) == 0) o["programOutput"] = path;
      }
    }
    acts.push_back(o);
  }
  j["activities"] = acts;
  j["input"] = ContainerJson(LoadContainer(store, "PI", pi, "in"));
  j["data"] = ContainerJson(LoadContainer(store, "PI", pi, "data"));
  if (auto o = LoadContainer(store, "PI", pi, "out")) j["output"] = ContainerJson(o);
  if (json) {
    out << j.dump() << "\n";
    return 0;
  }
  out << "Instance " << Escaped(name) << " (" << Escaped(j["template"].get<std::string>())
      << "): " << j["state"].get<std::string>() << "\n";
  out << "Activities:\n";
  for (const auto& a : acts) {
    std::string indent(2 + 2 * a["depth"].get<size_t>(), ' ');
    out << indent << std::left << std::setw(20) << Escaped(a["name"].get<std::string>())
        << a["state"].get<std::string>();
    if (a.contains("iteration")) out << "  round " << a["iteration"].get<int64_t>();
    if (a.contains("rc")) out << "  rc " << a["rc"].get<int64_t>();
    if (a.contains("subprocess"))
      out << "  sub-process " << Escaped(a["subprocess"].get<std::string>());
    out << "\n";
    if (a.contains("error")) out << indent << "  error: " << Escaped(a["error"].get<std::string>()) << "\n";
    if (a.contains("workitems"))
      for (const auto& w : a["workitems"])
        out << indent << "  work item " << w["id"].get<int64_t>() << ": "
            << Escaped(w["owner"].get<std::string>()) << " "
            << w["state"].get<std::string>() << " (received "
            << w["receivedAs"].get<std::string>() << ")\n";
    if (a.contains("programOutput"))
      out << indent << "  program output: " << Escaped(a["programOutput"].get<std::string>())
          << "\n";
  }
  for (const char* part : {"data", "output"}) {
    if (!j.contains(part)) continue;
    out << (std::string(part) == "data" ? "Data:\n" : "Output:\n");
    for (auto it = j[part].begin(); it != j[part].end(); ++it)
      out << "  " << Escaped(it.key()) << " = "
          << Escaped(it->is_string() ? it->get<std::string>() : it->dump()) << "\n";
  }
  return 0;
}

}  // namespace

std::string Escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

// Runs the item's program for its owner, as the agent does when the owner
// starts it. No session: the program cannot pass through, and no reply.
int Execute(Store& store, const std::vector<std::string>& words, bool json, std::ostream& out,
            std::ostream& err) {
  char* end = nullptr;
  errno = 0;
  long long item = std::strtoll(words[1].c_str(), &end, 10);
  if (words[1].empty() || *end || item <= 0 || errno == ERANGE) {
    err << "pvxjsim: \"" << Escaped(words[1]) << "\" is not a work item number\n";
    return 2;
  }
  int64_t owner = 0;
  {
    Stmt o(store.db(), "SELECT owner_id FROM items WHERE id=? AND kind=1");
    o.Bind(1, static_cast<int64_t>(item));
    if (o.Step()) owner = o.Int(0);
  }
  ExecuteRequest r;
  r.item_id = item;
  r.person_id = owner;
  int32_t program_rc = 0;
  std::string detail;
  r.detail = &detail;
  int32_t rc = owner ? ExecuteWorkitem(store, r, &program_rc) : PVX_ERROR_DOES_NOT_EXIST;
  if (rc) {
    err << "pvxjsim: " << item << ": " << RcName(rc)
        << (detail.empty() ? "" : " (" + Escaped(detail) + ")") << "\n";
    return 1;
  }
  if (json)
    out << ojson{{"executed", item}, {"rc", program_rc}}.dump() << "\n";
  else
    out << "executed " << item << ", rc " << program_rc << "\n";
  return 0;
}

// The operator's recovery of an instance: an activity restarted in error,
// forced to finish or to run again, finished or run again after its manual
// exit, its work items made anew; a work item terminated, held until a time,
// released, transferred or duplicated (acting as its owner).
int Recover(Store& store, const std::vector<std::string>& words, bool json, std::ostream& out,
            std::ostream& err) {
  const std::string& what = words[0];
  const std::string& action = words[1];
  char* end = nullptr;
  errno = 0;
  long long id = std::strtoll(words[2].c_str(), &end, 10);
  if (words[2].empty() || *end || id <= 0 || errno == ERANGE) {
    err << "pvxjsim: \"" << Escaped(words[2]) << "\" is not a number\n";
    return 2;
  }
  const std::string arg = words.size() > 3 ? words[3] : "";
  int32_t rc = -1;
  WriteTx tx(store);
  if (what == "activity" && words.size() == 3) {
    if (action == "restart") rc = RestartActivity(store, id);
    else if (action == "force-finish") rc = ForceFinishActivity(store, id);
    else if (action == "force-restart") rc = ForceRestartActivity(store, id);
    else if (action == "finish") rc = FinishExecutedActivity(store, id);
    else if (action == "reexecute") rc = ReexecuteActivity(store, id);
    else if (action == "reschedule") rc = RescheduleActivity(store, id);
  } else if (what == "item") {
    int64_t owner = 0;
    {
      Stmt o(store.db(), "SELECT owner_id FROM items WHERE id=? AND kind=1");
      o.Bind(1, static_cast<int64_t>(id));
      if (o.Step()) owner = o.Int(0);
    }
    const bool one = words.size() == 3, two = words.size() == 4;
    if (!owner && (action == "terminate" || action == "hold" || action == "release" || action == "transfer" ||
                   action == "duplicate"))
      rc = PVX_ERROR_DOES_NOT_EXIST;
    else if (action == "terminate" && one) rc = TerminateWorkitem(store, id, owner);
    else if (action == "hold" && two) rc = HoldWorkitem(store, id, owner, arg);
    else if (action == "release" && one) rc = ReleaseWorkitem(store, id, owner);
    else if (action == "transfer" && two) rc = TransferWorkitem(store, id, owner, arg);
    else if (action == "duplicate" && two) {
      int64_t made = 0;
      rc = DuplicateWorkitem(store, id, owner, arg, &made);
    }
  }
  if (rc == -1) {
    err << "pvxjsim: unknown " << what << " action \"" << Escaped(action) << "\" or wrong arguments\n";
    return 2;
  }
  if (rc) {
    err << "pvxjsim: " << id << ": " << RcName(rc) << "\n";
    return 1;
  }
  tx.Commit();
  if (json)
    out << ojson{{what, id}, {"done", action}}.dump() << "\n";
  else
    out << what << " " << id << ": " << action << "\n";
  return 0;
}

}  // namespace

int RunRuntimeCommand(Store& store, const std::vector<std::string>& words,
                      const std::vector<std::pair<std::string, std::string>>& options, bool json,
                      std::ostream& out, std::ostream& err) {
  const std::string& command = words[0];
  if (command == "start") return Start(store, words, options, json, out, err);
  if (command == "items") return Items(store, options, json, out, err);
  if (command == "finish" || command == "checkin")
    return Finish(store, words, options, json, out, err);
  if (command == "checkout") return CheckOut(store, words, options, json, out, err);
  if (command == "execute") return Execute(store, words, json, out, err);
  if (command == "activity" || command == "item") return Recover(store, words, json, out, err);
  return ShowInstance(store, words[2], json, out, err);
}

}  // namespace pvxjsim
