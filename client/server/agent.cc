// Program execution agent, passthrough and asynchronous replies.
#include "agent.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "clock.h"
#include "session_id.h"

namespace pvxjsim {


std::string RecordProgramExecution(Store& store, int64_t person_id,
                                   std::optional<int64_t> session_id,
                                   std::optional<int64_t> activity_instance_id) {
  // The identifier is only known once the row exists, so insert a
  // placeholder that is unique by construction and then name it.
  Stmt ins(store.db(), "INSERT INTO program_executions(program_id, person_id, session_id, "
                       "activity_instance_id, started) VALUES(hex(randomblob(16)), ?, ?, ?, ?)");
  ins.Bind(1, person_id);
  if (session_id) ins.Bind(2, *session_id); else ins.BindNull(2);
  if (activity_instance_id) ins.Bind(3, *activity_instance_id); else ins.BindNull(3);
  ins.Bind(4, std::string_view(ClockNow(store))).Run();
  int64_t row = store.LastInsertId();
  std::string id = FormatOid("PX", row);
  Stmt upd(store.db(), "UPDATE program_executions SET program_id=? WHERE id=?");
  upd.Bind(1, std::string_view(id)).Bind(2, row).Run();
  return id;
}

void PostReply(Store& store, int64_t session_id, const CorrelId& correl, int32_t kind,
               const std::optional<std::string>& user_context, const std::string& ref) {
  Stmt ins(store.db(), "INSERT INTO replies(session_id, correl, kind, user_context, ref, "
                       "created) VALUES(?,?,?,?,?,?)");
  ins.Bind(1, session_id).BindBlob(2, correl.data(), correl.size()).Bind(3, kind);
  ins.Bind(4, user_context).Bind(5, std::string_view(ref)).Bind(6, std::string_view(ClockNow(store)));
  ins.Run();
}

void PostArrival(Store& store, int64_t item_id) {
  // Only a session that still exists: the agent may outlive it.
  Stmt ins(store.db(), "INSERT INTO replies(session_id, correl, kind, user_context, ref, created) "
                       "SELECT p.session_id, zeroblob(24), CASE i.kind WHEN 1 THEN ? WHEN 3 THEN ? "
                       "ELSE ? END, NULL, ?, ? FROM items i JOIN peas p ON p.person_id = i.owner_id "
                       "JOIN sessions s ON s.id = p.session_id WHERE i.id=?");
  Stmt kind(store.db(), "SELECT kind FROM items WHERE id=?");
  kind.Bind(1, item_id);
  if (!kind.Step()) return;
  const int64_t k = kind.Int(0);
  kind.Step();
  const char* tag = k == 1 ? oid_tag::kWorkitem
                  : k == 3 ? oid_tag::kProcessInstanceNotification
                           : oid_tag::kActivityInstanceNotification;
  ins.Bind(1, kReplyWorkitem).Bind(2, kReplyProcessNotification).Bind(3, kReplyActivityNotification);
  ins.Bind(4, std::string_view(FormatOid(tag, item_id))).Bind(5, std::string_view(ClockNow(store)));
  ins.Bind(6, item_id).Run();
}

CorrelId MakeCorrelId(int64_t row) {
  CorrelId id{};
  std::memcpy(id.data(), "PVXC", 4);
  for (int i = 0; i < 8; ++i) id[4 + i] = static_cast<uint8_t>(static_cast<uint64_t>(row) >> (8 * i));
  return id;
}

}  // namespace pvxjsim
