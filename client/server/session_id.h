// Text forms of the identifiers the client hands out: session identifiers and
// persistent object identifiers. Both are built from store row ids, so they
// stay valid across runs and processes and are the same on every fresh store.
#ifndef PVXJSIM_SESSION_ID_H
#define PVXJSIM_SESSION_ID_H

#include <cstdint>
#include <string>
#include <string_view>

namespace pvxjsim {

std::string FormatSessionId(int64_t session_row);
// 0 when text is not a session identifier.
int64_t ParseSessionId(std::string_view text);

// Two-letter tags of persistent object identifiers.
namespace oid_tag {
inline constexpr const char* kProcessTemplate = "PT";
inline constexpr const char* kProcessInstance = "PI";
inline constexpr const char* kActivityInstance = "AI";
inline constexpr const char* kWorkitem = "WI";
inline constexpr const char* kItem = "IT";
inline constexpr const char* kActivityInstanceNotification = "AN";
inline constexpr const char* kProcessInstanceNotification = "PN";
inline constexpr const char* kInstanceMonitor = "IM";
inline constexpr const char* kWorklist = "WL";
inline constexpr const char* kProcessTemplateList = "TL";
inline constexpr const char* kProcessInstanceList = "IL";
inline constexpr const char* kActivityInstanceList = "AL";
inline constexpr const char* kPerson = "PE";
}  // namespace oid_tag

std::string FormatOid(const char* tag, int64_t row);
// Splits an identifier into tag and row; false when malformed.
bool ParseOid(std::string_view text, std::string* tag, int64_t* row);

}  // namespace pvxjsim

#endif
