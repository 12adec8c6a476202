// The execution service's agent functions: starting and stopping a user's
// program execution agent, passthrough, and receiving replies.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <pvxj/execution_service.h>

#include "agent.h"
#include "client.h"
#include "clock.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

constexpr int kPollMs = 20;
constexpr int32_t kTerminateKind = kReplyTerminate;

bool AllZero(const unsigned char* id) {
  for (int i = 0; i < PVXJ_CORREL_ID_LENGTH; ++i)
    if (id[i]) return false;
  return true;
}

int32_t TakeOver(PvxjExecutionService service, const char* program_id,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireNoSession(*svc, &store)) return rc;
    if (!program_id || !*program_id) return PVX_ERROR_INVALID_PROGRAMID;
    Stmt q(store->db(), "SELECT person_id, session_id FROM program_executions "
                        "WHERE program_id=?");
    q.Bind(1, program_id);
    if (!q.Step()) return PVX_ERROR_INVALID_PROGRAMID;
    int64_t person = q.Int(0);
    bool has_session = !q.IsNull(1);
    int64_t session = q.Int(1);
    Stmt pea(store->db(), "SELECT 1 FROM peas WHERE person_id=?");
    pea.Bind(1, person);
    if (!pea.Step()) return PVX_ERROR_PEA_NOT_RUNNING;
    if (!has_session) return PVX_ERROR_INVALID_SESSION;
    return AttachToSession(*store, *svc, session);
  }, origin);
}

int32_t StopAgent(PvxjExecutionService service, const char* user_id, bool other_user,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    int64_t person = svc->person_id;
    if (other_user) {
      person = PersonIdOf(*store, user_id);
      if (!person) return PVX_ERROR_USERID_UNKNOWN;
      if (person != svc->person_id && !IsAdministrator(*store, *svc))
        return PVX_ERROR_NOT_AUTHORIZED;
    }
    WriteTx tx(*store);
    Stmt del(store->db(), "DELETE FROM peas WHERE person_id=?");
    del.Bind(1, person).Run();
    if (store->Changes() == 0) return PVX_ERROR_PEA_NOT_RUNNING;
    tx.Commit();
    return PVX_OK;
  }, origin);
}

}  // namespace

extern "C" {

int32_t PvxjExecutionServicePEAStartUp(PvxjExecutionService service) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    WriteTx tx(*store);
    Stmt ins(store->db(), "INSERT INTO peas(person_id, session_id, started) VALUES(?,?,?) "
                          "ON CONFLICT(person_id) DO NOTHING");
    ins.Bind(1, svc->person_id).Bind(2, svc->session_id);
    ins.Bind(3, std::string_view(ClockNow(*store))).Run();
    if (store->Changes() == 0) return PVX_ERROR_ALREADY_STARTED;
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjExecutionServicePEAShutDown(PvxjExecutionService service) {
  return StopAgent(service, nullptr, false);
}

int32_t PvxjExecutionServiceForcePEAShutDown(PvxjExecutionService service, const char* userId) {
  return StopAgent(service, userId, true);
}

int32_t PvxjExecutionServicePassthrough(PvxjExecutionService service) {
  return TakeOver(service, std::getenv(kProgramIdVariable));
}

int32_t PvxjExecutionServiceRemotePassthrough(PvxjExecutionService service,
                                              const char* programId) {
  return TakeOver(service, programId);
}

int32_t PvxjExecutionServiceReceive(PvxjExecutionService service, unsigned char* correlId,
                                    PvxjExecutionData* data, int32_t timeout) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline{};
  bool first = true;
  while (true) {
    // Each attempt takes the lock on its own, so other threads can post or
    // terminate while this one waits.
    int32_t rc = Guarded([&]() -> int32_t {
      ServiceObject* svc = FindServiceObject(service);
      if (!svc) return PVX_ERROR_INVALID_HANDLE;
      Store* store;
      if (int32_t rc = RequireSession(*svc->state, &store)) return rc;
      if (!data) return PVX_ERROR_INVALID_RESULT_HANDLE;
      if (first) {
        int32_t wait = timeout < 0 ? svc->state->timeout_ms : timeout;
        if (wait < 0 || wait > kMaxReceiveWaitMs) wait = kMaxReceiveWaitMs;
        deadline = Clock::now() + std::chrono::milliseconds(wait);
        first = false;
      }
      const bool any = !correlId || AllZero(correlId);
      std::string sql =
          "SELECT id, correl, kind, user_context, ref FROM replies WHERE session_id=?";
      if (!any) sql += " AND (correl=? OR (kind=? AND correl=zeroblob(24)))";
      sql += " ORDER BY id LIMIT 1";
      auto find = [&](Stmt& q) {
        q.Bind(1, svc->state->session_id);
        if (!any) q.BindBlob(2, correlId, PVXJ_CORREL_ID_LENGTH).Bind(3, kTerminateKind);
        return q.Step();
      };
      {
        Stmt peek(store->db(), sql);
        if (!find(peek)) return PVX_ERROR_TIMEOUT;
      }
      // Take it under the write lock, so two receivers never both get it.
      WriteTx tx(*store);
      Stmt q(store->db(), sql);
      if (!find(q)) return PVX_ERROR_TIMEOUT;
      auto obj = std::make_unique<ExecutionDataObject>();
      std::vector<uint8_t> correl = q.Blob(1);
      std::memcpy(obj->correl.data(), correl.data(),
                  correl.size() < obj->correl.size() ? correl.size() : obj->correl.size());
      obj->kind = static_cast<int32_t>(q.Int(2));
      obj->user_context = q.OptText(3);
      obj->ref = q.Text(4);
      obj->service = svc->state;
      Stmt del(store->db(), "DELETE FROM replies WHERE id=?");
      del.Bind(1, q.Int(0)).Run();
      CorrelId got = obj->correl;
      if (int32_t rc = AddHandle(Cls::ExecutionData, std::move(obj), data)) return rc;
      tx.Commit();
      if (correlId && any) std::memcpy(correlId, got.data(), got.size());
      return PVX_OK;
    });
    if (rc != PVX_ERROR_TIMEOUT || first || Clock::now() >= deadline) return rc;
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
}

int32_t PvxjExecutionServiceTerminateReceive(PvxjExecutionService service,
                                             const unsigned char* correlId) {
  return Guarded([&]() -> int32_t {
    ServiceState* svc = FindService(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc, &store)) return rc;
    CorrelId id{};
    if (correlId) std::memcpy(id.data(), correlId, id.size());
    WriteTx tx(*store);
    PostReply(*store, svc->session_id, id, kTerminateKind, std::nullopt, "");
    tx.Commit();
    return PVX_OK;
  });
}

}  // extern "C"
