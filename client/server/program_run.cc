// The program execution agent: runs a work item's program (simulate rule or
// executable) and finishes the item with its result.
#include "program_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>
#include <nlohmann/json.hpp>
#include <vector>

#include "container.h"
#include "engine.h"
#include "session_id.h"
#include "store.h"

extern char** environ;

namespace pvxjsim {
namespace {

// Platforms whose EXE implementations run here: NotSet and Solaris.
constexpr int64_t kPlatformNotSet = 0;
constexpr int64_t kPlatformSolaris = 7;

constexpr const char* kVariables[] = {
    "PVXJSIM_PROGRAM_ID",   "PVXJSIM_PEA_USER",     "PVXJSIM_PROCESS_CONTEXT",
    "PVXJSIM_ACTIVITY_OID", "PVXJSIM_DB",           "PVXJSIM_IN_CONTAINER",
    "PVXJSIM_OUT_CONTAINER", "PVXJSIM_EXECUTION_USER", "PVXJSIM_STORE_MUST_EXIST"};

struct Plan {
  int64_t ai = 0;
  std::optional<std::string> simulate;
  std::optional<std::string> path;
  std::optional<std::string> parameters;
  std::optional<std::string> working_directory;
  std::optional<std::string> environment;  // "NAME=VALUE;NAME=VALUE"
  bool inherit_environment = true;
  int64_t timeout_s = 0;  // 0: wait as long as it runs
  int64_t execution_user = 1;  // Pvx_GU_: 1 agent, 2 starter
  std::string owner;
  std::optional<std::string> context;
};

// What the item's activity runs. PVX_OK or PVX_ERROR_NO_PROGRAM_FOR_PLATFORM.
int32_t MakePlan(Store& store, int64_t item_id, Plan* plan) {
  Stmt q(store.db(), "SELECT i.activity_instance_id, pr.id, pr.simulate, pe.user_id, p.context, "
                     "pr.execution_user "
                     "FROM items i JOIN activity_instances a ON a.id = i.activity_instance_id "
                     "JOIN activities d ON d.id = a.activity_id "
                     "JOIN process_instances p ON p.id = i.process_instance_id "
                     "JOIN persons pe ON pe.id = i.owner_id "
                     "LEFT JOIN programs pr ON pr.name = d.program "
                     "WHERE i.id=? AND i.kind=1");
  q.Bind(1, item_id);
  if (!q.Step()) return PVX_ERROR_DOES_NOT_EXIST;
  plan->ai = q.Int(0);
  bool has_program = !q.IsNull(1);
  int64_t program = q.Int(1);
  plan->simulate = q.OptText(2);
  plan->owner = q.Text(3);
  plan->context = q.OptText(4);
  plan->execution_user = q.Int(5);
  q.Step();
  if (!has_program) return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  if (plan->simulate) return PVX_OK;
  Stmt impl(store.db(), "SELECT path, parameters, coalesce(timeout, 0), working_directory, "
                        "environment, coalesce(inherit_environment, 1) FROM program_implementations "
                        "WHERE program_id=? AND kind=1 AND platform IN (?, ?) "
                        "AND path IS NOT NULL ORDER BY platform DESC LIMIT 1");
  impl.Bind(1, program).Bind(2, kPlatformSolaris).Bind(3, kPlatformNotSet);
  if (!impl.Step()) return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  plan->path = impl.Text(0);
  plan->parameters = impl.OptText(1);
  plan->timeout_s = impl.Int(2);
  plan->working_directory = impl.OptText(3);
  plan->environment = impl.OptText(4);
  plan->inherit_environment = impl.Int(5) != 0;
  impl.Step();
  return PVX_OK;
}

std::vector<std::pair<std::string, std::string>> SimulatedOutput(const std::string& rule,
                                                                 int32_t* rc) {
  auto j = nlohmann::json::parse(rule, nullptr, false);
  std::vector<std::pair<std::string, std::string>> set;
  *rc = 0;
  if (j.is_discarded() || !j.is_object()) return set;
  if (j.contains("rc") && j["rc"].is_number_integer()) *rc = j["rc"].get<int32_t>();
  if (j.contains("set") && j["set"].is_object())
    for (auto it = j["set"].begin(); it != j["set"].end(); ++it)
      set.emplace_back(it.key(), it->is_string() ? it->get<std::string>() : it->dump());
  return set;
}

// Splits the implementation's parameters at blanks (no quoting: a definition
// that needs blanks inside an argument wraps the program in a script).
std::vector<std::string> Arguments(const Plan& plan) {
  std::vector<std::string> args{*plan.path};
  if (plan.parameters) {
    std::string word;
    for (char c : *plan.parameters + " ") {
      if (c == ' ' || c == '\t') {
        if (!word.empty()) args.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
  }
  return args;
}

// A file the agent makes for one run and removes after it.
class TempFile {
 public:
  explicit TempFile(const char* role) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/pvxjsim-" + role + "-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ >= 0) path_ = name.data();
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  bool ok() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  bool Write(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // The file as the program left it (it may have replaced or removed it);
  // false when it is longer than limit or no longer a plain file.
  bool Read(size_t limit, std::string* out) const {
    out->clear();
    // Opened once, and what was opened is checked: a link or a pipe swapped
    // in after a look at the path could lead elsewhere or block forever.
    int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;  // removed: no output
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buf[4096];
    while (ok) {
      ssize_t n = ::read(fd, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      out->append(buf, static_cast<size_t>(n));
      ok = out->size() <= limit;
    }
    ::close(fd);
    return ok;
  }

 private:
  int fd_ = -1;
  std::string path_;
};

// The container file form: a line "MEMBER=VALUE" per member that is set;
// a newline, tab or backslash inside a value is written \n, \t or \\.
std::string EscapeValue(const std::string& v) {
  std::string out;
  for (char c : v) {
    if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

std::string UnescapeValue(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] == '\\' && i + 1 < v.size()) {
      char n = v[++i];
      out += n == 'n' ? '\n' : n == 't' ? '\t' : n == 'r' ? '\r' : n;
    } else {
      out += v[i];
    }
  }
  return out;
}

std::string ContainerText(const Record& record) {
  std::string text;
  for (const Field& f : record.fields) {
    if (std::holds_alternative<std::monostate>(f.value)) continue;
    text += f.name + "=" + EscapeValue(ValueText(f.value)) + "\n";
  }
  return text;
}

// Reads what the program wrote. Empty lines and lines starting with # are
// skipped. false (with *bad_line) for a line that is not MEMBER=VALUE.
bool ParseOutput(const std::string& text, std::vector<std::pair<std::string, std::string>>* set,
                 size_t* bad_line) {
  size_t line_no = 0, start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0) {
      *bad_line = line_no;
      return false;
    }
    set->emplace_back(line.substr(0, eq), UnescapeValue(line.substr(eq + 1)));
  }
  return true;
}

// Sets NAME=VALUE in env, replacing an entry of the same name.
void Put(std::vector<std::string>* env, const std::string& entry) {
  size_t eq = entry.find('=');
  if (eq == std::string::npos || eq == 0) return;
  std::string prefix = entry.substr(0, eq + 1);
  for (std::string& e : *env)
    if (e.compare(0, prefix.size(), prefix) == 0) {
      e = entry;
      return;
    }
  env->push_back(entry);
}

// The program's environment: the agent's own (unless the implementation
// says not to inherit it) without its PVXJSIM_ variables, then the
// implementation's entries, then what the agent tells the program, which
// nothing overrides.
std::vector<std::string> ProgramEnvironment(const Plan& plan,
                                            const std::vector<std::string>& agent_vars) {
  std::vector<std::string> env;
  if (plan.inherit_environment)
    for (char** e = environ; e && *e; ++e) {
      bool ours = false;
      for (const char* name : kVariables) {
        size_t n = std::strlen(name);
        if (std::strncmp(*e, name, n) == 0 && (*e)[n] == '=') ours = true;
      }
      if (!ours) env.emplace_back(*e);
    }
  if (plan.environment) {
    size_t start = 0;
    while (start <= plan.environment->size()) {
      size_t semi = plan.environment->find(';', start);
      if (semi == std::string::npos) semi = plan.environment->size();
      std::string entry = plan.environment->substr(start, semi - start);
      if (entry.rfind("PVXJSIM_", 0) != 0) Put(&env, entry);
      start = semi + 1;
    }
  }
  // A program run as its starter sees itself as that user.
  if (plan.execution_user == 2) {
    Put(&env, "USER=" + plan.owner);
    Put(&env, "LOGNAME=" + plan.owner);
  }
  for (const std::string& v : agent_vars) Put(&env, v);
  return env;
}

// A plain executable file in a format the system runs: a binary (ELF) or a
// script naming its interpreter. Anything else would fail only once the item
// had been started.
bool LooksStartable(const std::string& path) {
  if (::access(path.c_str(), X_OK) != 0) return false;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  char magic[4] = {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
            ::read(fd, magic, sizeof magic) >= 2 &&
            (std::memcmp(magic, "\x7f" "ELF", 4) == 0 || std::memcmp(magic, "#!", 2) == 0);
  ::close(fd);
  return ok;
}

// The item and its activity as they were before the agent started them, so
// that a program that then cannot be started leaves them so.
struct ItemBeforeStart {
  int64_t item = 0, ai = 0, item_state = 0, ai_state = 0;
  std::optional<std::string> modified, started, ai_started, ai_starter, ai_changed;

  static ItemBeforeStart Read(Store& store, int64_t item_id) {
    ItemBeforeStart b;
    Stmt q(store.db(), "SELECT i.activity_instance_id, i.state, i.modified, i.started, "
                       "a.state, a.started, a.starter, a.last_state_change FROM items i "
                       "JOIN activity_instances a ON a.id = i.activity_instance_id WHERE i.id=?");
    q.Bind(1, item_id);
    if (!q.Step()) return b;
    b = {item_id, q.Int(0), q.Int(1), q.Int(4), q.OptText(2), q.OptText(3),
         q.OptText(5), q.OptText(6), q.OptText(7)};
    q.Step();
    return b;
  }

  // Only what the start changed, and only while nobody has moved on since.
  void Restore(Store& store) const {
    if (!item) return;
    Stmt i(store.db(), "UPDATE items SET state=?, modified=?, started=? WHERE id=? AND state=?");
    i.Bind(1, item_state).Bind(2, modified).Bind(3, started).Bind(4, item);
    i.Bind(5, static_cast<int64_t>(kItemRunning)).Run();
    if (store.Changes() == 0) return;
    // Another of the activity's items may be under way: then it stays running.
    Stmt a(store.db(), "UPDATE activity_instances SET state=?, started=?, starter=?, "
                       "last_state_change=? WHERE id=? AND state=? AND NOT EXISTS("
                       "SELECT 1 FROM items WHERE activity_instance_id=? AND kind=1 AND "
                       "state IN (?, ?))");
    a.Bind(1, ai_state).Bind(2, ai_started).Bind(3, ai_starter).Bind(4, ai_changed);
    a.Bind(5, ai).Bind(6, static_cast<int64_t>(kAsRunning)).Bind(7, ai);
    a.Bind(8, static_cast<int64_t>(kItemRunning)).Bind(9, static_cast<int64_t>(kItemCheckedOut));
    a.Run();
  }
};

// Starts the executable and waits for it. false: it could not be started.
bool RunExecutable(const Plan& plan, const std::vector<std::string>& agent_vars,
                   const std::string& output, int32_t* rc) {
  std::vector<std::string> env = ProgramEnvironment(plan, agent_vars);
  std::vector<std::string> args = Arguments(plan);
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  // It may have gone since the agent looked.
  if (::access(plan.path->c_str(), X_OK) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The program's own output is kept apart from the agent's (a console asked
  // for JSON writes one document): both streams go to the execution's file.
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (plan.working_directory)
    posix_spawn_file_actions_addchdir_np(&actions, plan.working_directory->c_str());
  // A process group of its own, so that the agent can end everything the
  // program started.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);
  pid_t pid;
  int spawned = ::posix_spawn(&pid, plan.path->c_str(), &actions, &attr, argv.data(),
                              envp.data());
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  // A program past its timeout is killed with all it started, so the agent
  // never waits forever.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(plan.timeout_s);
  int status = 0;
  while (true) {
    pid_t got = ::waitpid(pid, &status, plan.timeout_s > 0 ? WNOHANG : 0);
    if (got == pid) break;
    if (got < 0 && errno != EINTR) {
      ::kill(-pid, SIGKILL);
      return false;
    }
    if (got == 0) {
      if (std::chrono::steady_clock::now() >= deadline) ::kill(-pid, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  // The run ends with the program: what it left behind would go on writing
  // its output (and hold the console's open) after the agent has read it.
  ::kill(-pid, SIGKILL);
  if (WIFEXITED(status))
    *rc = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    *rc = 128 + WTERMSIG(status);
  return true;
}

void Reply(Store& store, const ExecuteRequest& r) {
  if (!r.session_id) return;
  PostReply(store, *r.session_id, r.correl, kReplyWorkitem, r.user_context,
            FormatOid(oid_tag::kWorkitem, r.item_id));
}

// The store as the program must open it: a relative path would name another
// file from the program's working directory. SQLite keeps the full name it
// resolved when the store was opened (whatever the directory is now).
std::string AbsoluteStorePath(Store& store) {
  const char* full = sqlite3_db_filename(store.db(), "main");
  return full && *full ? std::string(full) : store.path();
}

// The largest output file the agent reads.
constexpr size_t kMaxOutput = 1 << 20;

}  // namespace

std::string ProgramOutputPath(const Store& store, const std::string& program_id) {
  std::string dir;
  if (store.path().empty() || store.path() == ":memory:") {
    const char* tmp = std::getenv("TMPDIR");
    dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/pvxjsim-output";
  } else {
    dir = store.path() + ".output";
  }
  return dir + "/" + program_id + ".log";
}

int32_t ExecuteWorkitem(Store& store, const ExecuteRequest& r, int32_t* program_rc) {
  Plan plan;
  std::string program_id;
  // Only an executable needs the container files.
  std::unique_ptr<TempFile> in_file, out_file;
  ItemBeforeStart before;
  {
    WriteTx tx(store);
    if (int32_t rc = MakePlan(store, r.item_id, &plan)) return rc;
    if (plan.simulate) {
      if (int32_t rc = StartWorkitem(store, r.item_id, r.person_id)) return rc;
      int32_t sim_rc = 0;
      auto set = SimulatedOutput(*plan.simulate, &sim_rc);
      if (int32_t rc = FinishWorkitem(store, r.item_id, r.person_id, sim_rc, set)) return rc;
      Reply(store, r);
      tx.Commit();
      if (program_rc) *program_rc = sim_rc;
      return PVX_OK;
    }
    // What would keep the program from starting is checked before the item
    // is touched.
    if (::access(plan.path->c_str(), X_OK) != 0) {
      if (r.detail)
        *r.detail = "no executable \"" + *plan.path + "\": " + std::strerror(errno);
      return PVX_ERROR_PROGRAM_EXECUTION;
    }
    if (!LooksStartable(*plan.path)) {
      if (r.detail) *r.detail = "\"" + *plan.path + "\" is not a program the system can start";
      return PVX_ERROR_PROGRAM_EXECUTION;
    }
    struct stat dir;
    if (plan.working_directory &&
        (::stat(plan.working_directory->c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))) {
      if (r.detail) *r.detail = "no working directory \"" + *plan.working_directory + "\"";
      return PVX_ERROR_PROGRAM_EXECUTION;
    }
    in_file = std::make_unique<TempFile>("in");
    out_file = std::make_unique<TempFile>("out");
    if (!in_file->ok() || !out_file->ok()) return PVX_ERROR_RESOURCE;
    before = ItemBeforeStart::Read(store, r.item_id);
    if (int32_t rc = StartWorkitem(store, r.item_id, r.person_id)) return rc;
    Record in = LoadContainer(store, "AI", plan.ai, "in").value_or(Record{});
    if (!in_file->Write(ContainerText(in))) return PVX_ERROR_RESOURCE;
    program_id = RecordProgramExecution(store, r.person_id, r.session_id, plan.ai);
    tx.Commit();
  }
  // The program runs with no transaction open: it uses the store itself.
  std::vector<std::string> env{
      std::string(kProgramIdVariable) + "=" + program_id,
      "PVXJSIM_PEA_USER=" + plan.owner,
      "PVXJSIM_ACTIVITY_OID=" + FormatOid(oid_tag::kActivityInstance, plan.ai),
      "PVXJSIM_DB=" + AbsoluteStorePath(store),
      "PVXJSIM_STORE_MUST_EXIST=1",
      "PVXJSIM_IN_CONTAINER=" + in_file->path(),
      "PVXJSIM_OUT_CONTAINER=" + out_file->path(),
      std::string("PVXJSIM_EXECUTION_USER=") + (plan.execution_user == 2 ? "Starter" : "Agent")};
  if (plan.context) env.push_back("PVXJSIM_PROCESS_CONTEXT=" + *plan.context);
  int32_t exit_rc = 0;
  std::string output = ProgramOutputPath(store, program_id);
  {
    std::string dir = output.substr(0, output.rfind('/'));
    ::mkdir(dir.c_str(), 0700);  // there already: fine
    struct stat st;
    // Nowhere to keep it: the output is dropped rather than mixed in.
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) output = "/dev/null";
  }
  bool ran = RunExecutable(plan, env, output, &exit_rc);
  WriteTx tx(store);
  if (!ran) {
    // It could not be started after all (gone since the check, a format the
    // system cannot run, a missing interpreter): the item is as it was.
    Stmt del(store.db(), "DELETE FROM program_executions WHERE program_id=?");
    del.Bind(1, std::string_view(program_id)).Run();
    before.Restore(store);
    tx.Commit();
    if (r.detail) *r.detail = "\"" + *plan.path + "\" could not be started";
    return PVX_ERROR_PROGRAM_EXECUTION;
  }
  std::string text;
  std::vector<std::pair<std::string, std::string>> set;
  size_t bad_line = 0;
  std::string refused;
  if (!out_file->Read(kMaxOutput, &text))
    refused = "the program's output is not a plain file of at most " + std::to_string(kMaxOutput) +
              " bytes";
  else if (!ParseOutput(text, &set, &bad_line))
    refused = "line " + std::to_string(bad_line) + " of the program's output is not MEMBER=VALUE";
  if (refused.empty()) {
    // What the program stored through its own output container comes first,
    // the output file's lines on top; the predefined members are the engine's.
    std::vector<std::pair<std::string, std::string>> kept;
    if (auto stored = LoadContainer(store, "AI", plan.ai, "out"))
      for (const Field& f : stored->fields)
        if (!std::holds_alternative<std::monostate>(f.value) && !f.name.starts_with('_'))
          kept.emplace_back(f.name, ValueText(f.value));
    set.insert(set.begin(), kept.begin(), kept.end());
  }
  int32_t rc = refused.empty() ? FinishWorkitem(store, r.item_id, r.person_id, exit_rc, set)
                               : PVX_ERROR_FORMAT;
  if (rc == PVX_ERROR_MEMBER_NOT_FOUND || rc == PVX_ERROR_WRONG_TYPE || rc == PVX_ERROR_FORMAT) {
    // The program ran, but its result cannot be taken: the activity waits in
    // error for an administrator, with the reason.
    if (refused.empty())
      refused = "the program set a member " + std::string(rc == PVX_ERROR_MEMBER_NOT_FOUND
                                                              ? "its output structure does not have"
                                                              : "to a value of another type");
    if (!ActivityInError(store, plan.ai, refused)) rc = PVX_ERROR_WRONG_STATE;
    Reply(store, r);
    tx.Commit();
    if (program_rc) *program_rc = exit_rc;
    return rc == PVX_ERROR_WRONG_STATE ? PVX_OK : rc;
  }
  // The program may have finished or moved the item itself; then only the
  // reply is left to give.
  if (rc != PVX_OK && rc != PVX_ERROR_WRONG_STATE) return rc;
  Reply(store, r);
  tx.Commit();
  if (program_rc) *program_rc = exit_rc;
  return PVX_OK;
}

int32_t ExecuteProgram(Store& store, const ProgramRequest& r, const Record& in, Record* out,
                       int32_t* program_rc, int64_t* execution_row) {
  Plan plan;
  plan.owner = r.user_id;
  std::string program_id;
  std::unique_ptr<TempFile> in_file, out_file;
  Schema schema;
  {
    WriteTx tx(store);
    Stmt q(store.db(), "SELECT id, simulate, execution_user FROM programs WHERE name=?");
    q.Bind(1, std::string_view(r.program));
    if (!q.Step()) return PVX_ERROR_PROGRAM_UNDEFINED;
    int64_t program = q.Int(0);
    plan.simulate = q.OptText(1);
    plan.execution_user = q.Int(2);
    q.Step();
    if (!out->type_name.empty()) LoadSchema(store, out->type_name, &schema);
    if (!plan.simulate) {
      Stmt impl(store.db(), "SELECT path, parameters, coalesce(timeout, 0), working_directory, "
                            "environment, coalesce(inherit_environment, 1) FROM program_implementations "
                            "WHERE program_id=? AND kind=1 AND platform IN (?, ?) "
                            "AND path IS NOT NULL ORDER BY platform DESC LIMIT 1");
      impl.Bind(1, program).Bind(2, kPlatformSolaris).Bind(3, kPlatformNotSet);
      if (!impl.Step()) return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
      plan.path = impl.Text(0);
      plan.parameters = impl.OptText(1);
      plan.timeout_s = impl.Int(2);
      plan.working_directory = impl.OptText(3);
      plan.environment = impl.OptText(4);
      plan.inherit_environment = impl.Int(5) != 0;
      impl.Step();
      if (!LooksStartable(*plan.path)) {
        if (r.detail) *r.detail = "\"" + *plan.path + "\" is not a program the system can start";
        return PVX_ERROR_PROGRAM_EXECUTION;
      }
      in_file = std::make_unique<TempFile>("in");
      out_file = std::make_unique<TempFile>("out");
      if (!in_file->ok() || !out_file->ok() || !in_file->Write(ContainerText(in)))
        return PVX_ERROR_RESOURCE;
    }
    program_id = RecordProgramExecution(store, r.person_id, r.session_id, std::nullopt);
    if (execution_row) *execution_row = store.LastInsertId();
    tx.Commit();
  }
  std::vector<std::pair<std::string, std::string>> set;
  int32_t exit_rc = 0;
  if (plan.simulate) {
    set = SimulatedOutput(*plan.simulate, &exit_rc);
  } else {
    std::vector<std::string> env{
        std::string(kProgramIdVariable) + "=" + program_id,
        "PVXJSIM_PEA_USER=" + plan.owner,
        "PVXJSIM_DB=" + AbsoluteStorePath(store),
        "PVXJSIM_STORE_MUST_EXIST=1",
        "PVXJSIM_IN_CONTAINER=" + in_file->path(),
        "PVXJSIM_OUT_CONTAINER=" + out_file->path(),
        std::string("PVXJSIM_EXECUTION_USER=") + (plan.execution_user == 2 ? "Starter" : "Agent")};
    std::string output = ProgramOutputPath(store, program_id);
    {
      std::string dir = output.substr(0, output.rfind('/'));
      ::mkdir(dir.c_str(), 0700);
      struct stat st;
      if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) output = "/dev/null";
    }
    if (!RunExecutable(plan, env, output, &exit_rc)) {
      if (r.detail) *r.detail = "\"" + *plan.path + "\" could not be started";
      return PVX_ERROR_PROGRAM_EXECUTION;
    }
    std::string text;
    size_t bad_line = 0;
    if (!out_file->Read(kMaxOutput, &text) || !ParseOutput(text, &set, &bad_line)) {
      if (r.detail) *r.detail = "the program's output is not MEMBER=VALUE lines";
      return PVX_ERROR_FORMAT;
    }
  }
  for (const auto& [member, value] : set)
    if (int32_t rc = SetMemberFromText(schema, out, member, value)) {
      if (r.detail) *r.detail = "the program set member \"" + member + "\", which its output cannot take";
      return rc;
    }
  if (program_rc) *program_rc = exit_rc;
  return PVX_OK;
}

}  // namespace pvxjsim
