// The execution service family: the session with the workflow server.
#include <pvxj/execution_service.h>

#include <cstdio>
#include <string>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/files.h"
#include "api/program_id.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"
#include "core/tool_errors.h"
#include "eval/hex.h"

namespace kr::api {
namespace {

constexpr EnumEntry kSessionModeNames[] = {{"Pvx_SM_Default", 0}, {"Pvx_SM_Present", 1}, {"Pvx_SM_PresentHere", 2}};
constexpr EnumEntry kAbsentIndicatorNames[] = {{"Pvx_SA_NotSet", 0}, {"Pvx_SA_Reset", 1}, {"Pvx_SA_Leave", 2}};
constexpr EnumTable kSessionModes{kSessionModeNames};
constexpr EnumTable kAbsentIndicators{kAbsentIndicatorNames};

// Larger credential or stream buffers than this are treated as not obtainable.
constexpr uint32_t kMaxBuffer = 64u << 20;

// ---- Family steps ------------------------------------------------------------

void warning(RunContext& ctx, std::string_view text, uint32_t n) {
  ctx.out.write(text);
  ctx.out.write_u32(n);
  ctx.out.end_line();
}

// The echo and check of a parameter named by keyword.
bool echo_kw(Call& c, int keyword) {
  int k = param_index(c.row, keyword);
  return k >= 0 && echo_param(c, static_cast<std::size_t>(k));
}


// Credentials come from the first of string, hex text or file that the
// section gives; the file is opened only when it is the one used.
bool resolve_credentials(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  const uint32_t length = c.param(kCredentialLength).unsigned_number;
  const Value& str = c.param(kUserCredentialsAsString);
  const Value& hex = c.param(kUserCredentialsAsByteInHex);
  Value& file = c.param(kUserCredentialsByteInputFileSpec);
  const bool from_string = str.given && !str.null;
  const bool from_hex = hex.given && !hex.null;
  const bool from_file = file.given;
  c.no_bytes = !(str.given || hex.given || file.given);
  if (from_string || from_hex || from_file) {
    if (length > kMaxBuffer) tool_error(ctx, TC0023);
    if (from_string) {
      c.bytes.assign(str.text.begin(), str.text.end());
      if (str.text.size() != length) warning(ctx, "WARNING: String size is smaller than parameter ", length);
    } else if (from_hex) {
      if (parse_hex(ctx, hex.text, &c.bytes) != 0) return false;
      if (c.bytes.size() != length) ctx.out.line("WARNING: Length of HEX string differs from data length");
    } else {
      if (!file.null) {
        file.file.reset(open_input_file(file.text));
        if (!file.file) tool_error(ctx, TC0003, file.text);
      }
      std::size_t got = read_bytes(file.file.get(), length, &c.bytes);
      if (got < length) warning(ctx, "WARNING: File size is smaller than parameter ", length);
    }
    // The API reads CredentialLength bytes: never let it read past what we hold.
    c.bytes.resize(length, 0);
    echo_bytes(ctx, kBinaryValue, c.bytes.data(), c.bytes.size());
  } else {
    echo(ctx, kBinaryValue, "NULL");
  }
  for (int kw : {kCredentialLength, kSessionMode, kAbsentIndicator, kUserName})
    if (!echo_kw(c, kw)) return false;
  return true;
}

// The session identifier: SessionID, else the first word of the file, else
// the session slot (slot 0, which fails its range check, when none is given).
bool resolve_session_context(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0) || !echo_kw(c, kUserID)) return false;
  if (c.given(kSessionID)) return echo_kw(c, kSessionID);
  Value& sid = c.param(kSessionID);
  if (c.given(kSessionIdInputFileSpec)) {
    if (!echo_kw(c, kSessionIdInputFileSpec)) return false;
    std::string word;
    if (!file_word(c, kSessionIdInputFileSpec, &word)) return false;
    ctx.reg.set_text(kSessionIdHdl, 0, word);
    c.derived = word;
    echo_derived(ctx, kSessionID, word);
    sid.given = true;
    sid.text = word;
    return true;
  }
  if (!echo_kw(c, kSessionIdHdl)) return false;
  const std::string* t = ctx.reg.text(kSessionIdHdl, c.param(kSessionIdHdl).number);
  std::string word = t ? *t : std::string();
  echo_derived(ctx, kSessionID, word);
  sid.given = true;
  sid.text = word;
  return true;
}

// SessionID: the returned text goes into the session slot and the output file.
void after_session_id(Call& c) {
  if (c.text) c.ctx.reg.set_text(kSessionIdHdl, c.param(kSessionIdHdl).number, c.text);
  Value& file = c.param(kSessionIdOutputFileSpec);
  if (file.given && file.file) {
    fprintf(file.file.get(), "%s\n", c.text ? c.text : "???");
    finish_output_file(c.ctx, file);
  }
}

// RemotePassthrough: the program identifier from a file, the agent's last one, or the text.
bool resolve_program_id(Call& c) { return echo_param(c, 0) && echo_program_id(c); }

bool resolve_persistent_person(Call& c) {
  if (!echo_param(c, 0)) return false;
  echo(c.ctx, kUserID, "NULL");
  return echo_kw(c, kPersonHdl);
}

// From-stream methods: the bytes of a file or of a stream slot, over the stream length.
bool resolve_stream(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  Value& len = c.param(kStreamLength);
  if (len.given && !len.is_default) ctx.stream_length = len.unsigned_number;
  const uint32_t length = ctx.stream_length;
  if (length > kMaxBuffer) tool_error(ctx, TC0023);
  bool short_file = false;
  if (c.given(kStreamInputFileSpec)) {
    if (!echo_kw(c, kStreamInputFileSpec)) return false;
    short_file = read_bytes(c.param(kStreamInputFileSpec).file.get(), length, &c.bytes) < length;
  } else {
    if (!echo_kw(c, kStreamHdl)) return false;
    const StreamSlot* s = ctx.reg.stream(c.param(kStreamHdl).number);
    if (s && s->present) c.bytes.assign(s->bytes.begin(), s->bytes.begin() + std::min<std::size_t>(s->length, s->bytes.size()));
  }
  c.bytes.resize(length, 0);
  echo_bytes(ctx, kStreamValue, c.bytes.data(), c.bytes.size());
  echo(ctx, kStreamLength, std::to_string(length));
  if (short_file) warning(ctx, "WARNING: File size is smaller than parameter ", length);
  return echo_param(c, c.row.params.size() - 1);
}

void after_receive(Call& c) {
  const Value& v = c.param(kCorrelId);
  if (!v.given || v.null) return;
  RunContext& ctx = c.ctx;
  ctx.out.line("..........Status Report.....................................................");
  ctx.out.line("CorrelId = " + std::to_string(v.number) + ",  Result value = " + correl_text(ctx.reg.correl_id(v.number)));
}

// ---- Rows --------------------------------------------------------------------

constexpr Hook kHooks[] = {
    {kPvxjExecutionServiceLogonWithCredentials, resolve_credentials},
    {kPvxjExecutionServiceRemotePassthrough, resolve_program_id},
    {kPvxjExecutionServiceSetSessionContext, resolve_session_context},
    {kPvxjExecutionServiceReceive, nullptr, after_receive},
    {kPvxjExecutionServiceSessionID, nullptr, after_session_id},
    {kPvxjExecutionServicePersistentActivityInstance, resolve_persistent_object},
    {kPvxjExecutionServicePersistentActivityInstanceNotification, resolve_persistent_object},
    {kPvxjExecutionServicePersistentInstanceMonitor, resolve_persistent_object},
    {kPvxjExecutionServicePersistentProcessInstance, resolve_persistent_object},
    {kPvxjExecutionServicePersistentProcessInstanceNotification, resolve_persistent_object},
    {kPvxjExecutionServicePersistentProcessTemplate, resolve_persistent_object},
    {kPvxjExecutionServicePersistentProcessInstanceList, resolve_persistent_object},
    {kPvxjExecutionServicePersistentProcessTemplateList, resolve_persistent_object},
    {kPvxjExecutionServicePersistentWorkitem, resolve_persistent_object},
    {kPvxjExecutionServicePersistentWorklist, resolve_persistent_object},
    {kPvxjExecutionServicePersistentPerson, resolve_persistent_person},
    {kPvxjExecutionServiceProgramDataFromStream, resolve_stream},
    {kPvxjExecutionServiceProgramTemplateFromStream, resolve_stream},
    {kPvxjExecutionServiceReadOnlyContainerFromStream, resolve_stream},
    {kPvxjExecutionServiceReadWriteContainerFromStream, resolve_stream},
};

constexpr Row kRows[] = {
#include "api/execution_service.def"
};
static_assert(ids_follow(kRows));
static_assert(hooks_have_rows(kRows, kHooks), "every hook of a family names one of its rows");

constexpr int kClasses[] = {kPVXJEXECUTIONSERVICE};
constexpr Family kFamily{"PvxjExecutionService", kClasses, kRows};

}  // namespace

const Family& execution_service_family() { return kFamily; }

}  // namespace kr::api
