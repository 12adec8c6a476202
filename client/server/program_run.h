// The program execution agent running a work item's program on this
// platform, and the reply its completion leaves.
//
// A program with a `simulate` rule never starts a process: the rule's members
// and return code become the activity's output. Otherwise the program's EXE
// implementation for this platform (NotSet or Solaris, the Unix platforms the
// definitions name) is started with the program context in its environment:
//   PVXJSIM_PROGRAM_ID       the program execution the store recorded
//   PVXJSIM_PEA_USER         the work item's owner
//   PVXJSIM_PROCESS_CONTEXT  the instance's process context (unset when none)
//   PVXJSIM_ACTIVITY_OID     the activity instance's persistent identifier
//   PVXJSIM_IN_CONTAINER     a file holding the activity's input container
//   PVXJSIM_OUT_CONTAINER    an empty file the program writes its output to
//   PVXJSIM_EXECUTION_USER   Agent or Starter (the program's executionUser)
// and PVXJSIM_DB naming the store, so the program can call the PEA functions
// and Passthrough. Both container files hold a line MEMBER=VALUE per member
// (newline, tab and backslash in a value written \n, \t, \\); the output
// file's members are set on the output container, which starts from the
// input. Its exit status is the return code (_RC); a program killed by a
// signal returns 128 plus the signal number, as shells report it. One that
// runs past the implementation's timeout (seconds) is killed.
//
// The implementation's workingDirectory, environment ("NAME=VALUE;...") and
// inheritEnvironment apply. A program whose executionUser is Starter runs as
// the user who started the work item: USER and LOGNAME name that user (the
// agent cannot change its operating system identity).
//
// The program's standard output and standard error go to one file per
// execution (ProgramOutputPath), never to the agent's or the console's own;
// its standard input is /dev/null.
#ifndef PVXJSIM_PROGRAM_RUN_H
#define PVXJSIM_PROGRAM_RUN_H

#include <cstdint>
#include <optional>
#include <string>

#include "agent.h"
#include "record.h"

namespace pvxjsim {

class Store;

struct ExecuteRequest {
  int64_t item_id = 0;
  int64_t person_id = 0;                // must own the item
  std::optional<int64_t> session_id;    // where the reply goes; none: no reply
  CorrelId correl{};
  std::optional<std::string> user_context;
  std::string* detail = nullptr;        // set: why a program could not start
};

// Where a program execution's standard output and error go: beside the store
// (STORE.output/PROGRAM_ID.log; a store in memory: $TMPDIR/pvxjsim-output).
std::string ProgramOutputPath(const Store& store, const std::string& program_id);

// Starts the item, runs its program and finishes the item with the result, so
// navigation goes on. Opens its own transactions (the caller holds none): a
// started program reads and writes the store while the agent waits for it.
// PVX_OK (program_rc: the program's return code), the work item errors of
// StartWorkitem, PVX_ERROR_NO_PROGRAM_FOR_PLATFORM when there is neither a
// simulate rule nor an EXE implementation here, PVX_ERROR_PROGRAM_EXECUTION
// when the executable cannot be started (the item is then left untouched).
// Output the item's output structure cannot take (an unknown member, a value
// of another type, a line that is not MEMBER=VALUE) puts the activity in
// error and gives PVX_ERROR_MEMBER_NOT_FOUND, PVX_ERROR_WRONG_TYPE or
// PVX_ERROR_FORMAT.
int32_t ExecuteWorkitem(Store& store, const ExecuteRequest& request, int32_t* program_rc);

// A program run directly from its template (no work item): the program's
// simulate rule or its EXE implementation for this platform, run as above
// but without an activity (PVXJSIM_ACTIVITY_OID and the process context
// are unset). `out` holds the output container the program starts from; the
// members it sets are set on it.
struct ProgramRequest {
  std::string program;
  int64_t person_id = 0;
  std::string user_id;
  std::optional<int64_t> session_id;
  std::string* detail = nullptr;  // set: why the program could not run
};
// PVX_OK (program_rc: its return code; execution_row: the row of the
// program execution recorded for it), PVX_ERROR_PROGRAM_UNDEFINED,
// PVX_ERROR_NO_PROGRAM_FOR_PLATFORM, PVX_ERROR_PROGRAM_EXECUTION, or the
// container errors of its output (PVX_ERROR_MEMBER_NOT_FOUND,
// PVX_ERROR_WRONG_TYPE, PVX_ERROR_FORMAT). Opens its own transactions.
int32_t ExecuteProgram(Store& store, const ProgramRequest& request, const Record& in, Record* out,
                       int32_t* program_rc, int64_t* execution_row);

}  // namespace pvxjsim

#endif
