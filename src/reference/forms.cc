#include "reference/forms.h"

#include "api/catalogue.h"

#include "core/class_lookup.h"
#include "core/keywords.h"

namespace kr {

std::string reference_form(const api::Param& p) {
  // The catalogue's own display form; the reference adds the brackets.
  std::string f = api::display_form(p);
  return p.optional ? "[" + f + "]" : f;
}

std::vector<Expectation> expectations(const api::Row& row) {
  using api::Result;
  std::vector<Expectation> x;
  if (row.flags & api::kOwnReport) return x;
  if (row.flags & api::kRcAndValue) x.push_back({"XpRc", "PVX_OK"});
  switch (row.result) {
    case Result::kRc: x.push_back({"XpRc", "PVX_OK"}); break;
    case Result::kText: x.push_back({"XpValue", "\"value\" | NULL"}); break;
    case Result::kBool: x.push_back({"XpValue", "TRUE | FALSE"}); break;
    case Result::kLong: x.push_back({"XpValue", "long"}); break;
    case Result::kULong: x.push_back({"XpValue", "unsigned long"}); break;
    case Result::kDouble: x.push_back({"XpValue", "double"}); break;
    case Result::kDateTime: x.push_back({"XpValue", "\"dt_value\" | NULL"}); break;
    case Result::kEnum: {
      std::string names;
      if (row.enums)
        for (const api::EnumEntry& e : row.enums->entries) names.append(names.empty() ? "" : " | ").append(e.name);
      x.push_back({"XpValue", names});
      break;
    }
    case Result::kNone:
    case Result::kObject: break;  // no report, nothing to expect
  }
  // A family step reports: a list as "value1;value2;..."; after the RC
  // report, a binary value as hex, a stream (compared only when the call
  // fails) as its text.
  if (row.flags & api::kXpText) {
    if (!(row.flags & api::kRcAndValue)) x.push_back({"XpValue", "\"value1;value2;...\" | NULL"});
    else if (api::param_index(row, kStreamHdl) >= 0) x.push_back({"XpValue", "\"value\" | NULL"});
    else x.push_back({"XpValue", "\"hex_value\" | NULL"});
  }
  if (row.flags & api::kLike) x.push_back({"XpValueLike", "\"value\""});
  return x;
}

bool left_out_of_reference(std::string_view keyword) {
  // PvxjPersonLevelIsNull is answered with TC0010 whatever it is given.
  if (const api::Row* r = api::row_for(keyword_id(keyword)); r && (r->flags & api::kUnserved)) return true;
  return class_of(keyword) == kPVXJINTVECTOR || keyword == "PvxjWorklistOwner" || keyword == "PvxjPersonLevelIsNull";
}

}  // namespace kr
