// The program execution agent's side of the store: which users run an agent,
// the program executions it started (for passthrough) and the replies queued
// for a session (for Receive).
#ifndef PVXJSIM_AGENT_H
#define PVXJSIM_AGENT_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include <pvxj/base.h>

#include "store.h"

namespace pvxjsim {

using CorrelId = std::array<uint8_t, PVXJ_CORREL_ID_LENGTH>;

// Longest a Receive waits, whatever timeout it was given: a test run must
// never hang on a reply that cannot come.
constexpr int32_t kMaxReceiveWaitMs = 2000;

// Environment variable through which the agent tells a started program its
// program execution identifier (read by Passthrough).
constexpr const char* kProgramIdVariable = "PVXJSIM_PROGRAM_ID";

// The kinds of reply a session's queue holds (the Pvx_DART_ values).
constexpr int32_t kReplyError = 1;          // an asynchronous request failed: ref "RC:text"
constexpr int32_t kReplyTerminate = 2;      // TerminateReceive: ends a wait
constexpr int32_t kReplyItemDeleted = 1000; // ref: the item's identifier
constexpr int32_t kReplyItemUpdated = 1001;
constexpr int32_t kReplyWorkitem = 1002;    // a work item arrived, or its program has finished
constexpr int32_t kReplyActivityNotification = 1003;
constexpr int32_t kReplyProcessNotification = 1004;
constexpr int32_t kReplyExecution = 1100;   // an instance or a program has run: ref names it

// Records a program execution the agent started for a session (none: the
// program has no session to pass through to) and an activity instance;
// returns its program identifier. Caller holds a write transaction.
std::string RecordProgramExecution(Store& store, int64_t person_id,
                                   std::optional<int64_t> session_id,
                                   std::optional<int64_t> activity_instance_id);

// Queues a reply for a session. Caller holds a write transaction.
void PostReply(Store& store, int64_t session_id, const CorrelId& correl, int32_t kind,
               const std::optional<std::string>& user_context, const std::string& ref);

// An item (work item or notification) has arrived for its owner: when the
// owner runs an agent on a live session, that session gets a reply of the
// item's kind carrying it (no correlation identifier). Caller holds a write
// transaction.
void PostArrival(Store& store, int64_t item_id);

// A correlation identifier for a new asynchronous request, unique in the
// store: derived from a row id so it is the same on every fresh store.
CorrelId MakeCorrelId(int64_t row);

}  // namespace pvxjsim

#endif
