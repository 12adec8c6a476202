#include "core/class_lookup.h"

#include <vector>

#include "core/keywords.h"

namespace kr {
namespace {

struct Prefix {
  std::string_view text;  // upper case
  int cls;
};

// Order matters: longer class names that share a prefix come first, and
// PVXJPROCESSINSTANCENOTIFICATIONTIME belongs to the process instance class.
constexpr Prefix kPrefixes[] = {
    {"TESTTOOL", kTESTTOOL},
    {"TESTRESOURCE", kTESTRESOURCE},
    {"PVXJACTIVITYINSTANCENOTIFICATION", kPVXJACTIVITYINSTANCENOTIFICATION},
    {"PVXJACTIVITYINSTANCELIST", kPVXJACTIVITYINSTANCELIST},
    {"PVXJACTIVITYINSTANCE", kPVXJACTIVITYINSTANCE},
    {"PVXJPROCESSINSTANCENOTIFICATIONTIME", kPVXJPROCESSINSTANCE},
    {"PVXJPROCESSINSTANCENOTIFICATION", kPVXJPROCESSINSTANCENOTIFICATION},
    {"PVXJPROCESSINSTANCEMONITOR", kPVXJPROCESSINSTANCEMONITOR},
    {"PVXJPROCESSINSTANCELIST", kPVXJPROCESSINSTANCELIST},
    {"PVXJPROCESSINSTANCE", kPVXJPROCESSINSTANCE},
    {"PVXJPROCESSTEMPLATELIST", kPVXJPROCESSTEMPLATELIST},
    {"PVXJPROCESSTEMPLATE", kPVXJPROCESSTEMPLATE},
    {"PVXJINSTANCEMONITOR", kPVXJINSTANCEMONITOR},
    {"PVXJITEMLIST", kPVXJITEMLIST},
    {"PVXJITEM", kPVXJITEM},
    {"PVXJWORKITEM", kPVXJWORKITEM},
    {"PVXJWORKLIST", kPVXJWORKLIST},
    {"PVXJEXECUTIONDATA", kPVXJEXECUTIONDATA},
    {"PVXJEXECUTIONSERVICE", kPVXJEXECUTIONSERVICE},
    {"PVXJPROGRAMEXECUTIONAGENT", kPVXJPROGRAMEXECUTIONAGENT},
    {"PVXJPERSON", kPVXJPERSON},
    {"PVXJCONTAINERELEMENT", kPVXJCONTAINERELEMENT},
    {"PVXJCONTAINER", kPVXJCONTAINER},
    {"PVXJREADONLYCONTAINER", kPVXJREADONLYCONTAINER},
    {"PVXJREADWRITECONTAINER", kPVXJREADWRITECONTAINER},
    {"PVXJDATETIME", kPVXJDATETIME},
    {"PVXJSTRINGVECTOR", kPVXJSTRINGVECTOR},
    {"PVXJINTVECTOR", kPVXJINTVECTOR},
    {"PVXJRESULT", kPVXJRESULT},
    {"PVXJSERVICE", kPVXJSERVICE},
    {"PVXJPERSISTENTLIST", kPVXJPERSISTENTLIST},
    {"PVXJDLLOPTIONS", kPVXJDLLOPTIONS},
    {"PVXJEXEOPTIONS", kPVXJEXEOPTIONS},
    {"PVXJEXTERNALOPTIONS", kPVXJEXTERNALOPTIONS},
    {"PVXJPROGRAMDATA", kPVXJPROGRAMDATA},
    {"PVXJPROGRAMTEMPLATE", kPVXJPROGRAMTEMPLATE},
    {"PVXJIMPLEMENTATIONDATA", kPVXJIMPLEMENTATIONDATA},
    {"PVXJMESSAGE", kPVXJMESSAGE},
    {"PVXJPEA", kPVXJPEA},
    {"PVXJGLOBAL", kPVXJGLOBAL},
    {"PVXJERROR", kPVXJERROR},
    {"PVXJCONTROLCONNECTORINSTANCE", kPVXJCONTROLCONNECTORINSTANCE},
    {"PVXJBLOCKINSTANCEMONITOR", kPVXJBLOCKINSTANCEMONITOR},
    {"PVXJPOINT", kPVXJPOINT},
    {"PVXJSYMBOLLAYOUT", kPVXJSYMBOLLAYOUT},
    {"<", kSkipTagClass},
};

inline char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool has_prefix_ci(std::string_view token, std::string_view upper_prefix) {
  if (token.size() < upper_prefix.size()) return false;
  for (std::size_t i = 0; i < upper_prefix.size(); ++i)
    if (upper(token[i]) != upper_prefix[i]) return false;
  return true;
}

}  // namespace

int class_of(std::string_view token) {
  // Every class name but "<" starts with T or P: a cheap first filter.
  char c0 = token.empty() ? '\0' : upper(token[0]);
  if (c0 == 'T' || c0 == 'P' || c0 == '<') {
    for (const Prefix& p : kPrefixes)
      if (has_prefix_ci(token, p.text)) return p.cls;
  }
  return keyword_id(token);
}

int class_of_keyword(int keyword_id) {
  // A keyword's class follows from its text alone (case does not count).
  static std::vector<int> known;  // class + 1 by keyword id, 0 = not asked yet
  if (keyword_id <= 0) return class_of(keyword_text(keyword_id));
  const std::size_t i = static_cast<std::size_t>(keyword_id);
  if (i >= known.size()) known.resize(i + 1, 0);
  if (known[i] == 0) known[i] = class_of(keyword_text(keyword_id)) + 1;
  return known[i] - 1;
}

}  // namespace kr
