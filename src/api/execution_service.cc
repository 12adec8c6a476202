// The execution service family: the session with the workflow server.
#include <cstdio>
#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/files.h"
#include "diag/tool_errors.h"
#include "driver/keywords.h"
#include "driver/output.h"
#include "driver/run_context.h"
#include "driver/section.h"
#include "eval/hex.h"
#include "eval/registry.h"

namespace kr::api {
namespace {

const EnumTable kSessionModes{{{"Pvx_SM_Default", 0}, {"Pvx_SM_Present", 1}, {"Pvx_SM_PresentHere", 2}}};
const EnumTable kAbsentIndicators{{{"Pvx_SA_NotSet", 0}, {"Pvx_SA_Reset", 1}, {"Pvx_SA_Leave", 2}}};
const EnumTable kListTypes{{{"Pvx_LT_NotSet", 0}, {"Pvx_LT_Public", 1}, {"Pvx_LT_Private", 3}}};

// Larger credential or stream buffers than this are treated as not obtainable.
constexpr uint32_t kMaxBuffer = 64u << 20;

Param in(int kw) { return {kw, Form::kIn}; }
Param out(int kw) { return {kw, Form::kOut}; }
Param append(int kw) { return {kw, Form::kAppend}; }
Param text(int kw) { return {kw, Form::kText}; }
Param text_cl(int kw) { return {kw, Form::kTextCl}; }
Param enm(int kw, const EnumTable& t) { return {kw, Form::kEnum, &t}; }
Param ulong_(int kw) { return {kw, Form::kULong}; }
Param long_(int kw) { return {kw, Form::kLong}; }
Param file_in(int kw) { return {kw, Form::kFileIn, nullptr, true}; }
Param show_names() { return {kShowAllObjectNames, Form::kBool, nullptr, true}; }

// ---- Family steps ------------------------------------------------------------

std::size_t at(const Call& c, int keyword) { return static_cast<std::size_t>(param_index(c.row, keyword)); }
bool given(const Call& c, int keyword) {
  int k = param_index(c.row, keyword);
  return k >= 0 && c.v[static_cast<std::size_t>(k)].given;
}

void warning(RunContext& ctx, std::string_view text, uint32_t n) {
  ctx.out.write(text);
  ctx.out.write_u32(n);
  ctx.out.end_line();
}

// The next word of the input file of parameter `keyword`; an overlong word
// abandons the section.
bool file_word(Call& c, int keyword, std::string* word) {
  const Value& v = c.v[at(c, keyword)];
  if (read_word(v.file.get(), word)) return true;
  tool_error(c.ctx, TC0007, v.text + " (a word longer than " + std::to_string(kMaxFileWord) + " bytes)");
  return false;
}

// Credentials come from the first of string, hex text or file that the section gives.
bool resolve_credentials(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  const uint32_t length = c.u(at(c, kCredentialLength));
  const bool from_string = given(c, kUserCredentialsAsString) && !c.v[at(c, kUserCredentialsAsString)].null;
  const bool from_hex = given(c, kUserCredentialsAsByteInHex) && !c.v[at(c, kUserCredentialsAsByteInHex)].null;
  const bool from_file = given(c, kUserCredentialsByteInputFileSpec);
  if (from_string || from_hex || from_file) {
    if (length > kMaxBuffer) tool_error(ctx, TC0023);
    if (from_string) {
      const std::string& s = c.v[at(c, kUserCredentialsAsString)].text;
      c.bytes.assign(s.begin(), s.end());
      if (s.size() != length) warning(ctx, "WARNING: String size is smaller than parameter ", length);
    } else if (from_hex) {
      if (parse_hex(ctx, c.v[at(c, kUserCredentialsAsByteInHex)].text, &c.bytes) != 0) return false;
      if (c.bytes.size() != length) ctx.out.line("WARNING: Length of HEX string differs from data length");
    } else {
      FILE* f = c.v[at(c, kUserCredentialsByteInputFileSpec)].file.get();
      std::size_t got = read_bytes(f, length, &c.bytes);
      if (got < length) warning(ctx, "WARNING: File size is smaller than parameter ", length);
    }
    // The API reads CredentialLength bytes: never let it read past what we hold.
    c.bytes.resize(length, 0);
    echo_bytes(ctx, kBinaryValue, c.bytes.data(), c.bytes.size());
  } else {
    echo(ctx, kBinaryValue, "NULL");
  }
  for (int kw : {kCredentialLength, kSessionMode, kAbsentIndicator, kUserName})
    if (!echo_param(c, at(c, kw))) return false;
  return true;
}

void call_credentials(Call& c) {
  const bool any = !c.bytes.empty() || given(c, kUserCredentialsAsString) ||
                   given(c, kUserCredentialsAsByteInHex) || given(c, kUserCredentialsByteInputFileSpec);
  c.rc = PvxjExecutionServiceLogonWithCredentials(c.h(0), any ? c.bytes.data() : nullptr, c.u(at(c, kCredentialLength)),
                                                  c.n(at(c, kSessionMode)), c.n(at(c, kAbsentIndicator)),
                                                  c.s(at(c, kUserName)));
}

// The session identifier: SessionID, else the first word of the file, else the slot.
bool resolve_session_context(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0) || !echo_param(c, at(c, kUserID))) return false;
  if (given(c, kSessionID)) return echo_param(c, at(c, kSessionID));
  if (given(c, kSessionIdInputFileSpec)) {
    if (!echo_param(c, at(c, kSessionIdInputFileSpec))) return false;
    std::string word;
    if (!file_word(c, kSessionIdInputFileSpec, &word)) return false;
    ctx.reg.set_text(kSessionIdHdl, 0, word);
    c.derived = word;
    echo_derived(ctx, kSessionID, word);
    c.v[at(c, kSessionID)].given = true;
    c.v[at(c, kSessionID)].text = word;
    return true;
  }
  if (given(c, kSessionIdHdl)) {
    std::size_t k = at(c, kSessionIdHdl);
    if (!echo_param(c, k)) return false;
    const std::string* t = ctx.reg.text(kSessionIdHdl, c.n(k));
    std::string word = t ? *t : std::string();
    echo_derived(ctx, kSessionID, word);
    c.v[at(c, kSessionID)].given = true;
    c.v[at(c, kSessionID)].text = word;
    return true;
  }
  return echo_param(c, at(c, kSessionID));  // NULL
}

// SessionID: the returned text goes into the session slot and the output file.
void after_session_id(Call& c) {
  if (c.text) c.ctx.reg.set_text(kSessionIdHdl, c.n(at(c, kSessionIdHdl)), c.text);
  if (given(c, kSessionIdOutputFileSpec))
    if (FILE* f = c.v[at(c, kSessionIdOutputFileSpec)].file.release()) {
      const bool written = fprintf(f, "%s\n", c.text ? c.text : "???") >= 0;
      // A file that cannot take the identifier is as useless as one that cannot be opened.
      if ((fclose(f) != 0) | !written) tool_error(c.ctx, TC0004);
    }
}

// RemotePassthrough: the program identifier from a file, the agent's last one, or the text.
bool resolve_program_id(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  Value& pid = c.v[at(c, kProgramID)];
  if (given(c, kProgramIdInputFileSpec)) {
    if (!echo_param(c, at(c, kProgramIdInputFileSpec))) return false;
    std::string word;
    if (!file_word(c, kProgramIdInputFileSpec, &word)) return false;
    echo_derived(ctx, kProgramID, word);
    pid = Value{};
    pid.given = true;
    pid.text = word;
    return true;
  }
  if (!pid.given || pid.null) {
    echo(ctx, kProgramID, "NULL");
    return true;
  }
  if (pid.is_default) {
    pid.text = ctx.program_id;
    echo(ctx, kProgramID, pid.text + "\"  (DEFAULT)");
  } else {
    echo(ctx, kProgramID, pid.text + "\"  (externaly definded value)");
  }
  return true;
}

// Persistent objects: the identifier from a file (after its class tag) or from a slot.
bool resolve_persistent(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  std::string oid;
  if (given(c, kPersistentOidInputFileSpec)) {
    if (!echo_param(c, at(c, kPersistentOidInputFileSpec))) return false;
    std::string tag;
    if (!file_word(c, kPersistentOidInputFileSpec, &tag) || !file_word(c, kPersistentOidInputFileSpec, &oid))
      return false;
    ctx.reg.set_text(kPersistentOid, 0, oid);
  } else {
    int32_t n = given(c, kPersistentOid) ? c.n(at(c, kPersistentOid)) : c.n(at(c, kPersistentOidHdl));
    echo(ctx, kPersistentOid, std::to_string(n));
    if (!range_check(ctx, kPersistentOid, n)) return false;
    if (const std::string* t = ctx.reg.text(kPersistentOid, n)) oid = *t;
  }
  echo_derived(ctx, kPersistentObjectName, oid);
  c.derived = oid;
  return echo_param(c, c.row.params.size() - 1);
}

bool resolve_persistent_person(Call& c) {
  if (!echo_param(c, 0)) return false;
  echo(c.ctx, kUserID, "NULL");
  return echo_param(c, at(c, kPersonHdl));
}

// From-stream methods: the bytes of a file or of a stream slot, over the stream length.
bool resolve_stream(Call& c) {
  RunContext& ctx = c.ctx;
  if (!echo_param(c, 0)) return false;
  Value& len = c.v[at(c, kStreamLength)];
  if (len.given && !len.is_default) ctx.stream_length = len.unsigned_number;
  const uint32_t length = ctx.stream_length;
  if (length > kMaxBuffer) tool_error(ctx, TC0023);
  bool short_file = false;
  if (given(c, kStreamInputFileSpec)) {
    if (!echo_param(c, at(c, kStreamInputFileSpec))) return false;
    short_file = read_bytes(c.v[at(c, kStreamInputFileSpec)].file.get(), length, &c.bytes) < length;
  } else {
    std::size_t k = at(c, kStreamHdl);
    if (!echo_param(c, k)) return false;
    const StreamSlot* s = ctx.reg.stream(c.n(k));
    if (s && s->present) c.bytes.assign(s->bytes.begin(), s->bytes.begin() + std::min<std::size_t>(s->length, s->bytes.size()));
  }
  c.bytes.resize(length, 0);
  echo_bytes(ctx, kStreamValue, c.bytes.data(), c.bytes.size());
  echo(ctx, kStreamLength, std::to_string(length));
  if (short_file) warning(ctx, "WARNING: File size is smaller than parameter ", length);
  return echo_param(c, c.row.params.size() - 1);
}

void after_receive(Call& c) {
  std::size_t k = at(c, kCorrelId);
  const Value& v = c.v[k];
  if (!v.given || v.null) return;
  RunContext& ctx = c.ctx;
  ctx.out.line("..........Status Report.....................................................");
  std::string line = "CorrelId = " + std::to_string(v.number) + ",  Result value = ";
  if (const unsigned char* id = ctx.reg.correl_id(v.number)) {
    char hex[4];
    for (std::size_t i = 0; i < kCorrelIdLength; ++i) {
      snprintf(hex, sizeof hex, "%02X", id[i]);
      line += hex;
    }
  }
  ctx.out.line(line);
}

// ---- Rows --------------------------------------------------------------------

std::vector<Param> list_params(int list_kw) {
  return {in(kExecutionServiceHdl), text(kListName), enm(kPersistentListType, kListTypes), text(kOwner),
          text(kDescription), text(kFilter), text(kSortCriteria), {kThreshold, Form::kULongOrNull}, out(list_kw)};
}
std::vector<Param> query_params(int vector_kw) {
  return {in(kExecutionServiceHdl), text(kFilter), text(kSortCriteria), {kThreshold, Form::kULongOrNull},
          append(vector_kw), show_names()};
}
std::vector<Param> list_query_params(int vector_kw) { return {in(kExecutionServiceHdl), append(vector_kw), show_names()}; }
std::vector<Param> persistent_params(int result_kw) {
  return {in(kExecutionServiceHdl), file_in(kPersistentOidInputFileSpec), {kPersistentOid, Form::kOidSlot},
          {kPersistentOidHdl, Form::kOidSlot}, out(result_kw)};
}
std::vector<Param> stream_params(int result_kw) {
  return {in(kExecutionServiceHdl), file_in(kStreamInputFileSpec), {kStreamHdl, Form::kStreamSlot},
          {kStreamLength, Form::kULongOrDefault}, out(result_kw)};
}

#define CALL(expr) [](Call& c) { expr; }
#define ES kExecutionServiceHdl

std::vector<Row> rows() {
  const Param es = in(ES);
  return {
      {"PvxjExecutionServiceAllocate", Result::kRc, {out(ES)}, CALL(c.rc = PvxjExecutionServiceAllocate(c.slot(0)))},
      {"PvxjExecutionServiceAllocateForGroup", Result::kRc, {text_cl(kSystemGroup), out(ES)},
       CALL(c.rc = PvxjExecutionServiceAllocateForGroup(c.s(0), c.slot(1)))},
      {"PvxjExecutionServiceAllocateForSystem", Result::kRc, {text_cl(kSystem), text_cl(kSystemGroup), out(ES)},
       CALL(c.rc = PvxjExecutionServiceAllocateForSystem(c.s(0), c.s(1), c.slot(2)))},
      {"PvxjExecutionServiceCopy", Result::kRc, {es, out(kExecutionServiceHdl2)},
       CALL(c.rc = PvxjExecutionServiceCopy(c.h(0), c.slot(1)))},
      {"PvxjExecutionServiceDeallocate", Result::kRc, {es}, CALL(c.rc = PvxjExecutionServiceDeallocate(c.slot(0))),
       kDealloc},
      {"PvxjExecutionServiceLogon", Result::kRc,
       {es, text_cl(kUserID), text_cl(kPassword), enm(kSessionMode, kSessionModes), enm(kAbsentIndicator, kAbsentIndicators)},
       CALL(c.rc = PvxjExecutionServiceLogon(c.h(0), c.s(1), c.s(2), c.n(3), c.n(4))), kTimed},
      {"PvxjExecutionServiceLogonWithCredentials", Result::kRc,
       {es, text(kUserCredentialsAsString), {kUserCredentialsAsByteInHex, Form::kHex}, file_in(kUserCredentialsByteInputFileSpec),
        ulong_(kCredentialLength), enm(kSessionMode, kSessionModes), enm(kAbsentIndicator, kAbsentIndicators), text(kUserName)},
       call_credentials, kTimed, resolve_credentials},
      {"PvxjExecutionServiceLogoff", Result::kRc, {es}, CALL(c.rc = PvxjExecutionServiceLogoff(c.h(0)))},
      {"PvxjExecutionServiceForceLogoff", Result::kRc, {es, text_cl(kUserID)},
       CALL(c.rc = PvxjExecutionServiceForceLogoff(c.h(0), c.s(1))), kTimed},
      {"PvxjExecutionServiceForcePEAShutDown", Result::kRc, {es, text_cl(kUserID)},
       CALL(c.rc = PvxjExecutionServiceForcePEAShutDown(c.h(0), c.s(1))), kTimed},
      {"PvxjExecutionServicePassthrough", Result::kRc, {es}, CALL(c.rc = PvxjExecutionServicePassthrough(c.h(0)))},
      {"PvxjExecutionServiceRemotePassthrough", Result::kRc,
       {es, file_in(kProgramIdInputFileSpec), {kProgramID, Form::kTextDefault}},
       CALL(c.rc = PvxjExecutionServiceRemotePassthrough(c.h(0), c.s(2))), 0, resolve_program_id},
      {"PvxjExecutionServicePEAStartUp", Result::kRc, {es}, CALL(c.rc = PvxjExecutionServicePEAStartUp(c.h(0)))},
      {"PvxjExecutionServicePEAShutDown", Result::kRc, {es}, CALL(c.rc = PvxjExecutionServicePEAShutDown(c.h(0)))},
      {"PvxjExecutionServiceRefresh", Result::kRc, {es}, CALL(c.rc = PvxjServiceRefresh(c.h(0)))},
      {"PvxjExecutionServiceSetPassword", Result::kRc, {es, text_cl(kPassword)},
       CALL(c.rc = PvxjServiceSetPassword(c.h(0), c.s(1)))},
      {"PvxjExecutionServiceSetPersonAbsent", Result::kRc, {es, {kAbsence, Form::kBool}, text_cl(kUserID)},
       CALL(c.rc = PvxjExecutionServiceSetPersonAbsent(c.h(0), c.s(2), static_cast<unsigned char>(c.n(1))))},
      {"PvxjExecutionServiceSetSessionContext", Result::kRc,
       {es, text_cl(kUserID), text_cl(kSessionID), file_in(kSessionIdInputFileSpec), {kSessionIdHdl, Form::kSessionSlot, nullptr, true}},
       CALL(c.rc = PvxjExecutionServiceSetSessionContext(c.h(0), c.s(1), c.s(2))), kTimed, resolve_session_context},
      {"PvxjExecutionServiceUserSettings", Result::kRc, {es, out(kPersonHdl)},
       CALL(c.rc = PvxjServiceUserSettings(c.h(0), c.slot(1))), kStatus},
      {"PvxjExecutionServiceReceive", Result::kRc,
       {es, out(kExecutionDataHdl), {kCorrelId, Form::kCorrelOrNull}, long_(kTimeout)},
       CALL(c.rc = PvxjExecutionServiceReceive(c.h(0), c.correl(2), c.slot(1), c.n(3))), 0, nullptr, after_receive},
      {"PvxjExecutionServiceTerminateReceive", Result::kRc, {es, {kCorrelId, Form::kCorrelOrNull}},
       CALL(c.rc = PvxjExecutionServiceTerminateReceive(c.h(0), c.correl(1)))},
      {"PvxjExecutionServiceCreateActivityInstanceList", Result::kRc, list_params(kActivityInstanceListHdl),
       CALL(c.rc = PvxjExecutionServiceCreateActivityInstanceList(c.h(0), c.s(1), c.n(2), c.s(3), c.s(4), c.s(5), c.s(6), c.pu(7), c.slot(8))),
       kStatus},
      {"PvxjExecutionServiceCreateProcessInstanceList", Result::kRc, list_params(kProcessInstanceListHdl),
       CALL(c.rc = PvxjExecutionServiceCreateProcessInstanceList(c.h(0), c.s(1), c.n(2), c.s(3), c.s(4), c.s(5), c.s(6), c.pu(7), c.slot(8))),
       kStatus},
      {"PvxjExecutionServiceCreateProcessTemplateList", Result::kRc, list_params(kProcessTemplateListHdl),
       CALL(c.rc = PvxjExecutionServiceCreateProcessTemplateList(c.h(0), c.s(1), c.n(2), c.s(3), c.s(4), c.s(5), c.s(6), c.pu(7), c.slot(8))),
       kStatus},
      {"PvxjExecutionServiceCreateWorklist", Result::kRc, list_params(kWorklistHdl),
       CALL(c.rc = PvxjExecutionServiceCreateWorklist(c.h(0), c.s(1), c.n(2), c.s(3), c.s(4), c.s(5), c.s(6), c.pu(7), c.slot(8))),
       kStatus},
      {"PvxjExecutionServiceQueryActivityInstances", Result::kRc, query_params(kActivityInstanceVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryActivityInstances(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))), kTimed | kNames},
      {"PvxjExecutionServiceQueryProcessInstances", Result::kRc, query_params(kProcessInstanceVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryProcessInstances(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))), kTimed | kNames},
      {"PvxjExecutionServiceQueryProcessTemplates", Result::kRc, query_params(kProcessTemplateVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryProcessTemplates(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))), kTimed | kNames},
      {"PvxjExecutionServiceQueryItems", Result::kRc, query_params(kItemVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryItems(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))), kTimed | kNames},
      {"PvxjExecutionServiceQueryWorkitems", Result::kRc, query_params(kWorkitemVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryWorkitems(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))), kTimed | kNames},
      {"PvxjExecutionServiceQueryActivityInstanceNotifications", Result::kRc,
       query_params(kActivityInstanceNotificationVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryActivityInstanceNotifications(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))),
       kTimed | kNames},
      {"PvxjExecutionServiceQueryProcessInstanceNotifications", Result::kRc,
       query_params(kProcessInstanceNotificationVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryProcessInstanceNotifications(c.h(0), c.s(1), c.s(2), c.pu(3), c.slot(4))),
       kTimed | kNames},
      {"PvxjExecutionServiceQueryActivityInstanceLists", Result::kRc, list_query_params(kActivityInstanceListVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryActivityInstanceLists(c.h(0), c.slot(1))), kTimed | kNames},
      {"PvxjExecutionServiceQueryProcessInstanceLists", Result::kRc, list_query_params(kProcessInstanceListVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryProcessInstanceLists(c.h(0), c.slot(1))), kTimed | kNames},
      {"PvxjExecutionServiceQueryProcessTemplateLists", Result::kRc, list_query_params(kProcessTemplateListVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryProcessTemplateLists(c.h(0), c.slot(1))), kTimed | kNames},
      {"PvxjExecutionServiceQueryWorklists", Result::kRc, list_query_params(kWorklistVectorHdl),
       CALL(c.rc = PvxjExecutionServiceQueryWorklists(c.h(0), c.slot(1))), kTimed | kNames},

      // Methods with a value or a handle.
      {"PvxjExecutionServiceEqual", Result::kBool, {es, in(kExecutionServiceHdl2)},
       CALL(c.flag = PvxjExecutionServiceEqual(c.h(0), c.h(1)))},
      {"PvxjExecutionServiceIsLoggedOn", Result::kBool, {es}, CALL(c.flag = PvxjServiceIsLoggedOn(c.h(0)))},
      {"PvxjExecutionServiceReconnectCount", Result::kLong, {es}, CALL(c.long_value = PvxjServiceReconnectCount(c.h(0)))},
      {"PvxjExecutionServiceTimeout", Result::kLong, {es}, CALL(c.long_value = PvxjServiceTimeout(c.h(0)))},
      {"PvxjExecutionServiceSetReconnectCount", Result::kNone, {es, long_(kCount)},
       CALL(PvxjServiceSetReconnectCount(c.h(0), c.n(1)))},
      {"PvxjExecutionServiceSetTimeout", Result::kNone, {es, long_(kTimeout)}, CALL(PvxjServiceSetTimeout(c.h(0), c.n(1)))},
      {"PvxjExecutionServiceSystemName", Result::kText, {es, ulong_(kBufferLength)},
       CALL(c.text = PvxjServiceSystemName(c.h(0), c.buffer(), c.buffer_length()))},
      {"PvxjExecutionServiceSystemGroupName", Result::kText, {es, ulong_(kBufferLength)},
       CALL(c.text = PvxjServiceSystemGroupName(c.h(0), c.buffer(), c.buffer_length()))},
      {"PvxjExecutionServiceUserID", Result::kText, {es, ulong_(kBufferLength)},
       CALL(c.text = PvxjServiceUserID(c.h(0), c.buffer(), c.buffer_length()))},
      {"PvxjExecutionServiceSessionID", Result::kText,
       {es, ulong_(kBufferLength), out(kSessionIdHdl), {kSessionIdOutputFileSpec, Form::kFileOut, nullptr, true}},
       CALL(c.text = PvxjExecutionServiceSessionID(c.h(0), c.buffer(), c.buffer_length())), kTimed, nullptr,
       after_session_id},
      {"PvxjExecutionServicePersistentActivityInstance", Result::kObject, persistent_params(kActivityInstanceHdl),
       CALL(c.object = PvxjExecutionServicePersistentActivityInstance(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentActivityInstanceNotification", Result::kObject,
       persistent_params(kActivityInstanceNotificationHdl),
       CALL(c.object = PvxjExecutionServicePersistentActivityInstanceNotification(c.h(0), c.derived.c_str())),
       kTimed | kStatus, resolve_persistent},
      {"PvxjExecutionServicePersistentInstanceMonitor", Result::kObject, persistent_params(kInstanceMonitorHdl),
       CALL(c.object = PvxjExecutionServicePersistentInstanceMonitor(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentProcessInstance", Result::kObject, persistent_params(kProcessInstanceHdl),
       CALL(c.object = PvxjExecutionServicePersistentProcessInstance(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentProcessInstanceNotification", Result::kObject,
       persistent_params(kProcessInstanceNotificationHdl),
       CALL(c.object = PvxjExecutionServicePersistentProcessInstanceNotification(c.h(0), c.derived.c_str())),
       kTimed | kStatus, resolve_persistent},
      {"PvxjExecutionServicePersistentProcessTemplate", Result::kObject, persistent_params(kProcessTemplateHdl),
       CALL(c.object = PvxjExecutionServicePersistentProcessTemplate(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentProcessInstanceList", Result::kObject, persistent_params(kProcessInstanceListHdl),
       CALL(c.object = PvxjExecutionServicePersistentProcessInstanceList(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentProcessTemplateList", Result::kObject, persistent_params(kProcessTemplateListHdl),
       CALL(c.object = PvxjExecutionServicePersistentProcessTemplateList(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentWorkitem", Result::kObject, persistent_params(kWorkitemHdl),
       CALL(c.object = PvxjExecutionServicePersistentWorkitem(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentWorklist", Result::kObject, persistent_params(kWorklistHdl),
       CALL(c.object = PvxjExecutionServicePersistentWorklist(c.h(0), c.derived.c_str())), kTimed | kStatus,
       resolve_persistent},
      {"PvxjExecutionServicePersistentPerson", Result::kObject, {es, out(kPersonHdl)},
       CALL(c.object = PvxjExecutionServicePersistentPerson(c.h(0), nullptr)), kTimed | kStatus,
       resolve_persistent_person},
      {"PvxjExecutionServiceProgramDataFromStream", Result::kObject, stream_params(kProgramDataHdl),
       CALL(c.object = PvxjExecutionServiceProgramDataFromStream(c.h(0), c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))),
       kTimed, resolve_stream},
      {"PvxjExecutionServiceProgramTemplateFromStream", Result::kObject, stream_params(kProgramTemplateHdl),
       CALL(c.object = PvxjExecutionServiceProgramTemplateFromStream(c.h(0), c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))),
       kTimed, resolve_stream},
      {"PvxjExecutionServiceReadOnlyContainerFromStream", Result::kObject, stream_params(kReadOnlyContainerHdl),
       CALL(c.object = PvxjExecutionServiceReadOnlyContainerFromStream(c.h(0), c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))),
       kTimed, resolve_stream},
      {"PvxjExecutionServiceReadWriteContainerFromStream", Result::kObject, stream_params(kReadWriteContainerHdl),
       CALL(c.object = PvxjExecutionServiceReadWriteContainerFromStream(c.h(0), c.bytes.data(), static_cast<uint32_t>(c.bytes.size()))),
       kTimed, resolve_stream},
  };
}

#undef CALL
#undef ES

}  // namespace

Family& execution_service_family() {
  static Family f{"PvxjExecutionService", {kPVXJEXECUTIONSERVICE}, rows(), {}};
  return f;
}

}  // namespace kr::api
