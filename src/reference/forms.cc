#include "reference/forms.h"

#include "driver/class_lookup.h"
#include "driver/keywords.h"

namespace kr {

std::string display_form(const api::Param& p) {
  using api::Form;
  std::string f;
  switch (p.form) {
    case Form::kIn:
    case Form::kSessionSlot:
    case Form::kOidSlot:
    case Form::kStreamSlot: f = "i"; break;
    case Form::kOut: f = "n"; break;
    case Form::kAppend: f = "n | i+"; break;
    case Form::kCorrelOrNull: f = "i | NULL"; break;
    case Form::kText:
      // Filters and sort criteria have their own notation.
      if (p.keyword == kFilter) f = "\"fi_value\" | NULL";
      else if (p.keyword == kSortCriteria) f = "\"sc_value\" | NULL";
      else f = "\"value\" | NULL";
      break;
    case Form::kTextCl: f = "\"value\" | NULL | \"<CL-VALUE>\""; break;
    case Form::kTextDefault: f = "\"value\" | NULL | DEFAULT"; break;
    case Form::kHex: f = "\"hex_value\" | NULL"; break;
    case Form::kFileIn:
    case Form::kFileOut: f = "\"FileSpec\""; break;
    case Form::kWord: f = "value"; break;
    case Form::kEnum:
      if (p.enums) {
        for (const api::EnumEntry& e : p.enums->entries) {
          if (!f.empty()) f += " | ";
          f += e.name;
        }
      } else {
        f = "int";
      }
      break;
    case Form::kBool: f = "TRUE | FALSE"; break;
    case Form::kLong: f = "long"; break;
    case Form::kULong: f = "unsigned long"; break;
    case Form::kULongOrNull: f = "unsigned long | NULL"; break;
    case Form::kULongOrDefault: f = "unsigned long | DEFAULT"; break;
  }
  return p.optional ? "[" + f + "]" : f;
}

std::vector<Expectation> expectations(const api::Row& row) {
  using api::Result;
  std::vector<Expectation> x;
  switch (row.result) {
    case Result::kRc: x.push_back({"XpRc", "PVX_OK"}); break;
    case Result::kText: x.push_back({"XpValue", "\"value\" | NULL"}); break;
    case Result::kBool: x.push_back({"XpValue", "TRUE | FALSE"}); break;
    case Result::kLong: x.push_back({"XpValue", "long"}); break;
    case Result::kULong: x.push_back({"XpValue", "unsigned long"}); break;
    case Result::kDouble: x.push_back({"XpValue", "double"}); break;
    case Result::kNone:
    case Result::kObject: break;  // no report, nothing to expect
  }
  if (row.flags & api::kLike) x.push_back({"XpValueLike", "\"value\""});
  return x;
}

bool left_out_of_reference(std::string_view keyword) {
  return class_of(keyword) == kPVXJINTVECTOR || keyword == "PvxjWorklistOwner";
}

}  // namespace kr
