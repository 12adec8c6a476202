// The value forms the syntax reference prints, from the parameter rows.
#include "api/catalogue.h"

namespace kr::api {

std::string display_form(const Param& p) {
  switch (p.display) {
    case Display::kFilter: return "\"fi_value\" | NULL";
    case Display::kSortCriteria: return "\"sc_value\" | NULL";
    case Display::kDateTime: return "\"dt_value\" | NULL";
    case Display::kValueList: return "\"value1;value2;...\" | NULL";
    case Display::kResultSlot: return "n";
    case Display::kDouble: return "double";
    case Display::kTrueFalse: return "TRUE | FALSE";
    case Display::kForm: break;
  }
  switch (p.form) {
    case Form::kIn:
    case Form::kSessionSlot:
    case Form::kOidSlot:
    case Form::kStreamSlot: return "i";
    case Form::kOut: return "n";
    case Form::kAppend: return "n | i+";
    case Form::kCorrelOrNull: return "i | NULL";
    case Form::kText: return "\"value\" | NULL";
    case Form::kTextCl: return "\"value\" | NULL | \"<CL-VALUE>\"";
    case Form::kTextDefault: return "\"value\" | NULL | DEFAULT";
    case Form::kHex: return "\"hex_value\" | NULL";
    case Form::kFileIn:
    case Form::kFileOut: return "\"FileSpec\"";
    case Form::kWord: return "value";
    case Form::kEnum: {
      std::string s;
      if (p.enums)
        for (const EnumEntry& e : p.enums->entries) {
          if (!s.empty()) s += " | ";
          s += e.name;
        }
      return s.empty() ? "value" : s;
    }
    case Form::kBool: return "TRUE | FALSE";
    case Form::kLong:
    case Form::kLongBack: return "long";
    case Form::kULong: return "unsigned long";
    case Form::kUShort: return "short";
    case Form::kULongOrNull: return "unsigned long | NULL";
    case Form::kULongOrDefault: return "unsigned long | DEFAULT";
  }
  return "value";
}

ParamDisplay display(const Param& p) {
  ParamDisplay d{std::string(keyword_text(p.keyword)), display_form(p)};
  if (p.optional) {
    d.keyword.insert(0, "[");
    d.form.push_back(']');
  }
  return d;
}

}  // namespace kr::api
