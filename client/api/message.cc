// The message catalogue and PvxjMessageText.
#include <pvxj/message.h>

#include "message.h"

#include "client.h"
#include "string_vector.h"

namespace pvxjsim {
namespace {

struct Message {
  uint32_t id;
  const char* text;
};

// Sorted by number. Every text a caller may meet through a result or error
// object: the parameters carry what only the call knew (a filter's fault, a
// store failure).
constexpr Message kMessages[] = {
    {PVX_ERROR, "PVX0001E The function failed. %1"},
    {PVX_ERROR_USERID_UNKNOWN, "PVX0010E The user ID is not known to the system."},
    {PVX_ERROR_ALREADY_LOGGED_ON, "PVX0011E The user is already logged on."},
    {PVX_ERROR_PASSWORD, "PVX0012E The password is not correct."},
    {PVX_ERROR_COMMUNICATION, "PVX0013E The server cannot be reached: %1"},
    {PVX_ERROR_TIMEOUT, "PVX0014E The request timed out."},
    {PVX_ERROR_INTERNAL, "PVX0100E Internal error: %1"},
    {PVX_ERROR_RESOURCE, "PVX0105E Not enough resources: %1"},
    {PVX_ERROR_NOT_LOGGED_ON, "PVX0106E The user is not logged on."},
    {PVX_ERROR_FORMAT, "PVX0117E A value has the wrong format. %1"},
    {PVX_ERROR_DOES_NOT_EXIST, "PVX0118E The object does not exist. %1"},
    {PVX_ERROR_NOT_AUTHORIZED, "PVX0119E The user is not authorized for this function."},
    {PVX_ERROR_WRONG_STATE, "PVX0120E The object is not in the right state for this function."},
    {PVX_ERROR_NOT_UNIQUE, "PVX0121E The name is already in use: %1"},
    {PVX_ERROR_INVALID_FILTER, "PVX0125E The filter is not valid: %1."},
    {PVX_ERROR_INVALID_HANDLE, "PVX0130E The handle does not name a live object of its kind."},
    {PVX_ERROR_INVALID_USER, "PVX0132E The user %1 cannot be used here."},
    {PVX_ERROR_INVALID_NAME, "PVX0134E The name is not valid: %1"},
    {PVX_ERROR_INVALID_PROGRAMID, "PVX0135E The program ID %1 does not name a program execution."},
    {PVX_ERROR_NOT_ALLOWED, "PVX0507E The function is not allowed now."},
    {PVX_ERROR_BUFFER, "PVX0800E The buffer is too small."},
    {PVX_ERROR_INVALID_SESSION, "PVX0801E The session is not valid."},
    {PVX_ERROR_INVALID_TIME, "PVX0802E The date and time are not valid."},
    {PVX_ERROR_NO_MORE_DATA, "PVX0804E There are no more elements."},
    {PVX_ERROR_INVALID_OID, "PVX0805E The object identifier is not valid."},
    {PVX_ERROR_INVALID_SORT, "PVX0808E The sort criteria are not valid: %1."},
    {PVX_ERROR_INVALID_LIST_TYPE, "PVX0813E The list type is not valid."},
    {PVX_ERROR_INVALID_RESULT_HANDLE, "PVX0814E No place was given for the result."},
    {PVX_ERROR_MESSAGE_CATALOG, "PVX0815E The message %1 is not in the catalogue."},
    {PVX_ERROR_INVALID_COMPARISON_VALUE, "PVX0826E A comparison value of the filter does not fit: %1."},
    {PVX_ERROR_PEA_NOT_RUNNING, "PVX0903E The program execution agent is not running."},
    {PVX_ERROR_NOT_SUPPORTED, "PVX1000E The function is not supported."},
    {PVX_ERROR_INVALID_CONFIGURATION_ID, "PVX1022E The configuration ID %1 is not valid."},
};

constexpr const char* kGeneral = "PVX9999E The function ended with return code %1.";

}  // namespace

const char* MessageTemplate(uint32_t id) {
  for (const Message& m : kMessages)
    if (m.id == id) return m.text;
  return nullptr;
}

std::string FormatMessage(const char* text, const std::vector<std::string>& params) {
  std::string out;
  std::vector<bool> used(params.size(), false);
  for (const char* p = text; *p; ++p) {
    if (*p == '%' && p[1] == '%') {
      out += '%';
      ++p;
    } else if (*p == '%' && p[1] >= '1' && p[1] <= '9') {
      size_t k = static_cast<size_t>(p[1] - '1');
      if (k < params.size()) {
        out += params[k];
        used[k] = true;
      }
      ++p;
    } else {
      out += *p;
    }
  }
  std::string rest;
  for (size_t k = 0; k < params.size(); ++k)
    if (!used[k]) rest += (rest.empty() ? "" : ", ") + params[k];
  if (!rest.empty()) {
    // Keep the text tidy when a place was left empty at its end.
    while (!out.empty() && out.back() == ' ') out.pop_back();
    out += " (" + rest + ")";
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::optional<std::string> ResultMessage(int32_t rc, const std::vector<std::string>& params) {
  if (rc == PVX_OK) return std::nullopt;
  if (const char* t = MessageTemplate(static_cast<uint32_t>(rc))) return FormatMessage(t, params);
  std::vector<std::string> with_code{std::to_string(rc)};
  with_code.insert(with_code.end(), params.begin(), params.end());
  return FormatMessage(kGeneral, with_code);
}

}  // namespace pvxjsim

using namespace pvxjsim;

extern "C" char* PvxjMessageText(uint32_t messageId, PvxjStringVector parameters, char* buffer,
                                 uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    std::vector<std::string> params;
    if (parameters) {
      const std::vector<std::string>* v = StringsOf(parameters);
      if (!v) {
        *rc = PVX_ERROR_INVALID_HANDLE;
        return nullptr;
      }
      params = *v;
    }
    const char* text = MessageTemplate(messageId);
    if (!text) {
      *rc = PVX_ERROR_MESSAGE_CATALOG;
      SetLastResult(*rc, std::to_string(messageId));
      return nullptr;
    }
    return CopyOut(FormatMessage(text, params), buffer, bufferLength);
  });
}
