// Execution service: allocation, logon and log-off, sessions and the
// service's settings.
#include <unistd.h>

#include <strings.h>

#include <pvxj/execution_service.h>

#include "client.h"
#include "clock.h"
#include "password.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

// The system or group a service was allocated for, else the store's own.
char* SystemText(PvxjExecutionService service, std::string ServiceState::*allocated,
                 const char* meta_key, char* buffer, uint32_t bufferLength,
    const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    if (!(svc->*allocated).empty()) return CopyOut(svc->*allocated, buffer, bufferLength);
    Store* store = Client::Get().store();
    if (!store) {
      *rc = PVX_ERROR_COMMUNICATION;
      return nullptr;
    }
    return CopyOut(store->Meta(meta_key), buffer, bufferLength);
  }, origin);
}

int32_t Allocate(const char* system, const char* group, PvxjExecutionService* out,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
    // Allocation is where a client first needs its server.
    if (!Client::Get().store()) return PVX_ERROR_COMMUNICATION;
    auto obj = std::make_unique<ServiceObject>();
    obj->state = std::make_shared<ServiceState>();
    obj->state->system = system ? system : "";
    obj->state->system_group = group ? group : "";
    return AddHandle(Cls::ExecutionService, std::move(obj), out);
  }, origin);
}

bool SameName(const std::string& requested, const std::string& actual) {
  return requested.empty() || strcasecmp(requested.c_str(), actual.c_str()) == 0;
}

// Checks the parameters every logon shares and that the service may log on.
int32_t PrepareLogon(ServiceState& svc, int32_t mode, int32_t absent, Store** store) {
  Store* s = Client::Get().store();
  if (!s) return PVX_ERROR_COMMUNICATION;
  if (mode < Pvx_SM_Default || mode > Pvx_SM_PresentHere) return PVX_ERROR_INVALID_SESSION_MODE;
  if (absent < Pvx_SA_NotSet || absent > Pvx_SA_Leave) return PVX_ERROR_INVALID_ABSENCE_SPEC;
  Store* ignored;
  if (RequireSession(svc, &ignored) == PVX_OK) return PVX_ERROR_ALREADY_LOGGED_ON;
  // A service bound to another system cannot reach this one.
  if (!SameName(svc.system, s->Meta("system_name")) ||
      !SameName(svc.system_group, s->Meta("system_group_name")))
    return PVX_ERROR_COMMUNICATION;
  *store = s;
  return PVX_OK;
}

void OpenSession(Store& store, ServiceState& svc, int64_t person_id, int32_t mode,
                 int32_t absent) {
  WriteTx tx(store);
  Stmt ins(store.db(), "INSERT INTO sessions(person_id, mode, started, pid) VALUES(?,?,?,?)");
  ins.Bind(1, person_id).Bind(2, mode).Bind(3, std::string_view(ClockNow(store)));
  ins.Bind(4, static_cast<int64_t>(::getpid())).Run();
  int64_t session = store.LastInsertId();
  if (absent == Pvx_SA_Reset) {
    Stmt upd(store.db(), "UPDATE persons SET absent=0 WHERE id=?");
    upd.Bind(1, person_id).Run();
  }
  Stmt who(store.db(), "SELECT user_id FROM persons WHERE id=?");
  who.Bind(1, person_id);
  who.Step();
  std::string user = who.Text(0);
  tx.Commit();
  svc.session_id = session;
  svc.person_id = person_id;
  svc.user_id = user;
}

struct PersonAuth {
  int64_t id = 0;
  std::string password_hash;
  std::optional<std::string> blocked_until;
};

// A person whose logon is blocked until a time the clock has not reached.
bool LogonBlocked(Store& store, const PersonAuth& p) {
  return p.blocked_until && *p.blocked_until > ClockNow(store);
}

PersonAuth LookupPerson(Store& store, std::string_view user) {
  PersonAuth p;
  Stmt q(store.db(), "SELECT id, password_hash, logon_blocked_until FROM persons WHERE user_id=?");
  q.Bind(1, user);
  if (q.Step()) {
    p.id = q.Int(0);
    p.password_hash = q.Text(1);
    p.blocked_until = q.OptText(2);
  }
  return p;
}

// Attaches svc to an existing session row after checking it belongs to user.
int32_t Attach(Store& store, ServiceState& svc, int64_t session, int64_t person_id) {
  Stmt q(store.db(),
         "SELECT s.person_id, p.user_id FROM sessions s JOIN persons p ON p.id = s.person_id "
         "WHERE s.id=?");
  q.Bind(1, session);
  if (!q.Step()) return PVX_ERROR_INVALID_SESSION;
  if (person_id && q.Int(0) != person_id) return PVX_ERROR_INVALID_SESSION;
  svc.session_id = session;
  svc.person_id = q.Int(0);
  svc.user_id = q.Text(1);
  return PVX_OK;
}

}  // namespace

namespace pvxjsim {
// Shared with the passthrough functions.
int32_t AttachToSession(Store& store, ServiceState& svc, int64_t session) {
  return Attach(store, svc, session, 0);
}
}  // namespace pvxjsim

extern "C" {

int32_t PvxjExecutionServiceAllocate(PvxjExecutionService* service) {
  return Allocate(nullptr, nullptr, service);
}

int32_t PvxjExecutionServiceAllocateForGroup(const char* systemGroup,
                                             PvxjExecutionService* service) {
  return Allocate(nullptr, systemGroup, service);
}

int32_t PvxjExecutionServiceAllocateForSystem(const char* system, const char* systemGroup,
                                              PvxjExecutionService* service) {
  return Allocate(system, systemGroup, service);
}

int32_t PvxjExecutionServiceCopy(PvxjExecutionService service, PvxjExecutionService* copy) {
  return Guarded([&]() -> int32_t {
    auto* src = Client::Get().handles.Get<ServiceObject>(service, Cls::ExecutionService);
    if (!src) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto obj = std::make_unique<ServiceObject>();
    obj->state = src->state;
    return AddHandle(Cls::ExecutionService, std::move(obj), copy);
  });
}

unsigned char PvxjExecutionServiceEqual(PvxjExecutionService service,
                                        PvxjExecutionService other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    ServiceState* a = FindService(service);
    ServiceState* b = FindService(other);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return a == b ? 1 : 0;
  });
}

int32_t PvxjExecutionServiceLogon(PvxjExecutionService service, const char* userId,
                                  const char* password, int32_t sessionMode,
                                  int32_t absentIndicator) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = PrepareLogon(*svc, sessionMode, absentIndicator, &store)) return rc;
    if (!userId || !*userId) return PVX_ERROR_USERID_UNKNOWN;
    PersonAuth p = LookupPerson(*store, userId);
    if (!p.id) return PVX_ERROR_USERID_UNKNOWN;
    if (!password || !CheckPassword(password, p.password_hash)) return PVX_ERROR_PASSWORD;
    if (LogonBlocked(*store, p)) return PVX_ERROR_LOGON_DENIED;
    OpenSession(*store, *svc, p.id, sessionMode, absentIndicator);
    return PVX_OK;
  });
}

int32_t PvxjExecutionServiceLogonWithCredentials(PvxjExecutionService service,
                                                 const unsigned char* credentials,
                                                 uint32_t credentialLength, int32_t sessionMode,
                                                 int32_t absentIndicator, const char* userName) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = PrepareLogon(*svc, sessionMode, absentIndicator, &store)) return rc;
    if (!credentials && credentialLength) return PVX_ERROR_AUTHENTICATION;
    std::string cred(reinterpret_cast<const char*>(credentials ? credentials
                                                               : reinterpret_cast<const unsigned char*>("")),
                     credentialLength);
    std::string user, secret;
    if (userName && *userName) {
      user = userName;
      secret = cred;
    } else {
      size_t colon = cred.find(':');
      if (colon == std::string::npos || colon == 0) return PVX_ERROR_AUTHENTICATION;
      user = cred.substr(0, colon);
      secret = cred.substr(colon + 1);
    }
    PersonAuth p = LookupPerson(*store, user);
    if (!p.id) return PVX_ERROR_USERID_UNKNOWN;
    if (!CheckPassword(secret, p.password_hash)) return PVX_ERROR_AUTHENTICATION;
    if (LogonBlocked(*store, p)) return PVX_ERROR_LOGON_DENIED;
    OpenSession(*store, *svc, p.id, sessionMode, absentIndicator);
    return PVX_OK;
  });
}

int32_t PvxjExecutionServiceLogoff(PvxjExecutionService service) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    WriteTx tx(*store);
    Stmt del(store->db(), "DELETE FROM sessions WHERE id=?");
    del.Bind(1, svc->session_id).Run();
    tx.Commit();
    svc->session_id = 0;
    svc->person_id = 0;
    svc->user_id.clear();
    return PVX_OK;
  });
}

int32_t PvxjExecutionServiceForceLogoff(PvxjExecutionService service, const char* userId) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    int64_t target = PersonIdOf(*store, userId);
    if (!target) return PVX_ERROR_USERID_UNKNOWN;
    if (target != svc->person_id && !IsAdministrator(*store, *svc))
      return PVX_ERROR_NOT_AUTHORIZED;
    WriteTx tx(*store);
    Stmt del(store->db(), "DELETE FROM sessions WHERE person_id=?");
    del.Bind(1, target).Run();
    tx.Commit();
    // Our own session may have been among them.
    Store* ignored;
    RequireSession(*svc, &ignored);
    return PVX_OK;
  });
}

int32_t PvxjExecutionServiceSetSessionContext(PvxjExecutionService service, const char* userId,
                                              const char* sessionId) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireNoSession(*svc, &store)) return rc;
    int64_t person = PersonIdOf(*store, userId);
    if (!person) return PVX_ERROR_USERID_UNKNOWN;
    int64_t session = sessionId ? ParseSessionId(sessionId) : 0;
    if (!session) return PVX_ERROR_INVALID_SESSION;
    return Attach(*store, *svc, session, person);
  });
}

char* PvxjExecutionServiceSessionID(PvxjExecutionService service, char* buffer,
                                    uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    Store* store;
    if ((*rc = RequireSession(*svc, &store))) return nullptr;
    return CopyOut(FormatSessionId(svc->session_id), buffer, bufferLength);
  });
}

int32_t PvxjExecutionServiceSetPersonAbsent(PvxjExecutionService service, const char* userId,
                                            unsigned char absence) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    int64_t target = userId ? PersonIdOf(*store, userId) : svc->person_id;
    if (!target) return PVX_ERROR_USERID_UNKNOWN;
    if (target != svc->person_id && !IsAdministrator(*store, *svc)) {
      Stmt mgr(store->db(), "SELECT 1 FROM persons WHERE id=? AND manager=?");
      mgr.Bind(1, target).Bind(2, std::string_view(svc->user_id));
      if (!mgr.Step()) return PVX_ERROR_NOT_AUTHORIZED;
    }
    WriteTx tx(*store);
    Stmt upd(store->db(), "UPDATE persons SET absent=? WHERE id=?");
    upd.Bind(1, absence ? 1 : 0).Bind(2, target).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjServiceRefresh(PvxjExecutionService service) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    Stmt q(store->db(), "SELECT user_id FROM persons WHERE id=?");
    q.Bind(1, svc->person_id);
    if (q.Step()) svc->user_id = q.Text(0);
    return PVX_OK;
  });
}

int32_t PvxjServiceSetPassword(PvxjExecutionService service, const char* password) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    if (!password || !*password) return PVX_ERROR_PASSWORD;
    std::string hash = HashPassword(password);  // outside the write lock: it is slow
    WriteTx tx(*store);
    Stmt upd(store->db(), "UPDATE persons SET password_hash=? WHERE id=?");
    upd.Bind(1, std::string_view(hash)).Bind(2, svc->person_id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjServiceUserSettings(PvxjExecutionService service, PvxjPerson* person) {
  return Guarded([&]() -> int32_t {
    auto* obj = Client::Get().handles.Get<ServiceObject>(service, Cls::ExecutionService);
    if (!obj) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*obj->state, &store)) return rc;
    if (!person) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto p = std::make_unique<RowObject>();
    p->id = obj->state->person_id;
    p->name = obj->state->user_id;
    p->service = obj->state;
    return AddHandle(Cls::Person, std::move(p), person);
  });
}

unsigned char PvxjServiceIsLoggedOn(PvxjExecutionService service) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    Store* store;
    return RequireSession(*svc, &store) == PVX_OK ? 1 : 0;
  });
}

int32_t PvxjServiceReconnectCount(PvxjExecutionService service) {
  return GuardedValue<int32_t>(0, [&](int32_t* rc) -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return svc->reconnect_count;
  });
}

int32_t PvxjServiceTimeout(PvxjExecutionService service) {
  return GuardedValue<int32_t>(0, [&](int32_t* rc) -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return svc->timeout_ms;
  });
}

void PvxjServiceSetReconnectCount(PvxjExecutionService service, int32_t count) {
  GuardedValue<int>(0, [&](int32_t* rc) {
    ServiceState* svc = FindService(service);
    if (!svc)
      *rc = PVX_ERROR_INVALID_HANDLE;
    else
      svc->reconnect_count = count;
    return 0;
  });
}

void PvxjServiceSetTimeout(PvxjExecutionService service, int32_t timeout) {
  GuardedValue<int>(0, [&](int32_t* rc) {
    ServiceState* svc = FindService(service);
    if (!svc)
      *rc = PVX_ERROR_INVALID_HANDLE;
    else
      svc->timeout_ms = timeout;
    return 0;
  });
}

char* PvxjServiceSystemName(PvxjExecutionService service, char* buffer, uint32_t bufferLength) {
  return SystemText(service, &ServiceState::system, "system_name", buffer, bufferLength);
}

char* PvxjServiceSystemGroupName(PvxjExecutionService service, char* buffer,
                                 uint32_t bufferLength) {
  return SystemText(service, &ServiceState::system_group, "system_group_name", buffer, bufferLength);
}

char* PvxjServiceUserID(PvxjExecutionService service, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    ServiceState* svc = FindService(service);
    if (!svc) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    Store* store;
    if ((*rc = RequireSession(*svc, &store))) return nullptr;
    return CopyOut(svc->user_id, buffer, bufferLength);
  });
}

}  // extern "C"
