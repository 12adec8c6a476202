// What a program started by the program execution agent learns about the
// activity it runs for. The agent passes it in the environment of the
// program (see README: PVXJSIM_PROGRAM_ID, PVXJSIM_PEA_USER,
// PVXJSIM_PROCESS_CONTEXT, PVXJSIM_ACTIVITY_OID); what the environment lacks
// is taken from the program execution the store recorded. Outside such a
// program there is no text.
#include <cstdlib>
#include <optional>

#include <pvxj/pea.h>

#include "agent.h"
#include "client.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

constexpr const char* kUserVariable = "PVXJSIM_PEA_USER";
constexpr const char* kContextVariable = "PVXJSIM_PROCESS_CONTEXT";
constexpr const char* kActivityVariable = "PVXJSIM_ACTIVITY_OID";

std::optional<std::string> Env(const char* name) {
  const char* v = std::getenv(name);
  if (!v || !*v) return std::nullopt;
  return std::string(v);
}

std::optional<std::string> OwnProgramId() { return Env(kProgramIdVariable); }

struct Execution {
  bool found = false;
  std::optional<std::string> user, context, activity;
};

// The recorded program execution with this identifier, completed from the
// environment when it is this process's own.
Execution Lookup(const std::string& program_id) {
  Execution e;
  if (Store* store = Client::Get().store()) {
    Stmt q(store->db(),
           "SELECT p.user_id, x.activity_instance_id FROM program_executions x "
           "JOIN persons p ON p.id=x.person_id WHERE x.program_id=?");
    q.Bind(1, std::string_view(program_id));
    if (q.Step()) {
      e.found = true;
      e.user = q.Text(0);
      if (!q.IsNull(1)) e.activity = FormatOid(oid_tag::kActivityInstance, q.Int(1));
    }
  }
  if (OwnProgramId() == program_id) {
    e.found = true;
    if (auto u = Env(kUserVariable)) e.user = u;
    if (auto a = Env(kActivityVariable)) e.activity = a;
    e.context = Env(kContextVariable);
  }
  return e;
}

// The execution a remote function names; the result says why there is none.
std::optional<Execution> Remote(const char* program_id, int32_t* rc) {
  if (!program_id || !*program_id) {
    *rc = PVX_ERROR_INVALID_PROGRAMID;
    return std::nullopt;
  }
  Execution e = Lookup(program_id);
  if (!e.found) {
    *rc = PVX_ERROR_INVALID_PROGRAMID;
    SetLastResult(*rc, program_id);
    return std::nullopt;
  }
  return e;
}

// This process's own execution; nothing outside a started program.
std::optional<Execution> Own() {
  std::optional<std::string> id = OwnProgramId();
  if (!id) return std::nullopt;
  return Lookup(*id);
}

char* Out(const std::optional<std::string>& text, char* buffer, uint32_t length) {
  return text ? CopyOut(*text, buffer, length) : nullptr;
}

}  // namespace

extern "C" {

char* PvxjPEAProgramID(char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t*) { return Out(OwnProgramId(), buffer, bufferLength); });
}

char* PvxjPEAUserID(char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t*) -> char* {
    auto e = Own();
    return e ? Out(e->user, buffer, bufferLength) : nullptr;
  });
}

char* PvxjPEAProcessContext(char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t*) -> char* {
    auto e = Own();
    return e ? Out(e->context, buffer, bufferLength) : nullptr;
  });
}

unsigned char PvxjPEAProcessContextIsNull(void) {
  return GuardedValue<unsigned char>(1, [&](int32_t*) -> unsigned char {
    auto e = Own();
    return !(e && e->context);
  });
}

char* PvxjPEAPersistentOidOfActivityInstance(char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t*) -> char* {
    auto e = Own();
    return e ? Out(e->activity, buffer, bufferLength) : nullptr;
  });
}

char* PvxjPEARemoteUserID(const char* programId, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    auto e = Remote(programId, rc);
    return e ? Out(e->user, buffer, bufferLength) : nullptr;
  });
}

char* PvxjPEARemoteProcessContext(const char* programId, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    auto e = Remote(programId, rc);
    return e ? Out(e->context, buffer, bufferLength) : nullptr;
  });
}

unsigned char PvxjPEARemoteProcessContextIsNull(const char* programId) {
  return GuardedValue<unsigned char>(1, [&](int32_t* rc) -> unsigned char {
    auto e = Remote(programId, rc);
    return !(e && e->context);
  });
}

char* PvxjPEARemotePersistentOidOfActivityInstance(const char* programId, char* buffer,
                                                    uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    auto e = Remote(programId, rc);
    return e ? Out(e->activity, buffer, bufferLength) : nullptr;
  });
}

}  // extern "C"
