// The program execution agent: runs a work item's program (simulate rule or
// executable) and finishes the item with its result.
#include "program_run.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <chrono>
#include <thread>
#include <cstring>
#include <nlohmann/json.hpp>
#include <vector>

#include "engine.h"
#include "session_id.h"
#include "store.h"

extern char** environ;

namespace pvxjsim {
namespace {

// Platforms whose EXE implementations run here: NotSet and Solaris.
constexpr int64_t kPlatformNotSet = 0;
constexpr int64_t kPlatformSolaris = 7;

constexpr const char* kVariables[] = {"PVXJSIM_PROGRAM_ID", "PVXJSIM_PEA_USER",
                                      "PVXJSIM_PROCESS_CONTEXT", "PVXJSIM_ACTIVITY_OID",
                                      "PVXJSIM_DB"};

struct Plan {
  int64_t ai = 0;
  std::optional<std::string> simulate;
  std::optional<std::string> path;
  std::optional<std::string> parameters;
  int64_t timeout_s = 0;  // 0: wait as long as it runs
  std::string owner;
  std::optional<std::string> context;
};

// What the item's activity runs. PVX_OK or PVX_ERROR_NO_PROGRAM_FOR_PLATFORM.
int32_t MakePlan(Store& store, int64_t item_id, Plan* plan) {
  Stmt q(store.db(), "SELECT i.activity_instance_id, pr.id, pr.simulate, pe.user_id, p.context "
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
  q.Step();
  if (!has_program) return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  if (plan->simulate) return PVX_OK;
  Stmt impl(store.db(), "SELECT path, parameters, coalesce(timeout, 0) FROM program_implementations "
                        "WHERE program_id=? AND kind=1 AND platform IN (?, ?) "
                        "AND path IS NOT NULL ORDER BY platform DESC LIMIT 1");
  impl.Bind(1, program).Bind(2, kPlatformSolaris).Bind(3, kPlatformNotSet);
  if (!impl.Step()) return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  plan->path = impl.Text(0);
  plan->parameters = impl.OptText(1);
  plan->timeout_s = impl.Int(2);
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

// Starts the executable and waits for it. false: it could not be started.
bool RunExecutable(const Plan& plan, const std::vector<std::string>& env_add, int32_t* rc) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    bool replaced = false;
    for (const char* name : kVariables) {
      size_t n = std::strlen(name);
      if (std::strncmp(*e, name, n) == 0 && (*e)[n] == '=') replaced = true;
    }
    if (!replaced) env.emplace_back(*e);
  }
  env.insert(env.end(), env_add.begin(), env_add.end());
  std::vector<std::string> args = Arguments(plan);
  std::vector<char*> argv, envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  // It may have gone since the agent looked.
  if (::access(plan.path->c_str(), X_OK) != 0) return false;
  pid_t pid;
  if (::posix_spawn(&pid, plan.path->c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
    return false;
  // A program past its timeout is killed, so the agent never waits forever.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(plan.timeout_s);
  int status = 0;
  while (true) {
    pid_t got = ::waitpid(pid, &status, plan.timeout_s > 0 ? WNOHANG : 0);
    if (got == pid) break;
    if (got < 0 && errno != EINTR) return false;
    if (got == 0) {
      if (std::chrono::steady_clock::now() >= deadline) ::kill(pid, SIGKILL);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (WIFEXITED(status))
    *rc = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    *rc = 128 + WTERMSIG(status);
  return true;
}

void Reply(Store& store, const ExecuteRequest& r) {
  if (!r.session_id) return;
  PostReply(store, *r.session_id, r.correl, kReplyExecution, r.user_context,
            FormatOid(oid_tag::kWorkitem, r.item_id));
}

}  // namespace

int32_t ExecuteWorkitem(Store& store, const ExecuteRequest& r, int32_t* program_rc) {
  Plan plan;
  std::string program_id;
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
    if (::access(plan.path->c_str(), X_OK) != 0) return PVX_ERROR_PROGRAM_EXECUTION;
    if (int32_t rc = StartWorkitem(store, r.item_id, r.person_id)) return rc;
    program_id = RecordProgramExecution(store, r.person_id, r.session_id, plan.ai);
    tx.Commit();
  }
  // The program runs with no transaction open: it uses the store itself.
  std::vector<std::string> env{
      std::string(kProgramIdVariable) + "=" + program_id,
      "PVXJSIM_PEA_USER=" + plan.owner,
      "PVXJSIM_ACTIVITY_OID=" + FormatOid(oid_tag::kActivityInstance, plan.ai),
      "PVXJSIM_DB=" + store.path()};
  if (plan.context) env.push_back("PVXJSIM_PROCESS_CONTEXT=" + *plan.context);
  int32_t exit_rc = 0;
  bool ran = RunExecutable(plan, env, &exit_rc);
  WriteTx tx(store);
  if (!ran) {
    // Started but lost (vanished between the check and the start): the item
    // stays running for a restart, as after a crashed program.
    Stmt del(store.db(), "DELETE FROM program_executions WHERE program_id=?");
    del.Bind(1, std::string_view(program_id)).Run();
    tx.Commit();
    return PVX_ERROR_PROGRAM_EXECUTION;
  }
  // The program may have finished or moved the item itself; then only the
  // reply is left to give.
  int32_t rc = FinishWorkitem(store, r.item_id, r.person_id, exit_rc, {});
  if (rc != PVX_OK && rc != PVX_ERROR_WRONG_STATE) return rc;
  Reply(store, r);
  tx.Commit();
  if (program_rc) *program_rc = exit_rc;
  return PVX_OK;
}

}  // namespace pvxjsim
