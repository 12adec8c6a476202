#pragma once
// How the syntax reference writes the value of an API parameter and of the
// expectation a method is checked against.
#include <string>
#include <string_view>
#include <vector>

#include "api/catalogue.h"

namespace kr {

// The value form of a parameter, e.g. "i", "n | i+", "\"value\" | NULL",
// "TRUE | FALSE" or the names of an enumeration joined by " | "; an optional
// parameter's form stands in brackets.
std::string reference_form(const api::Param& param);

// The expectation keywords and their forms for a method's result: XpRc PVX_OK
// for a return code, XpValue (and XpValueLike) for a value; none when the
// method is not checked at all.
struct Expectation {
  std::string_view keyword;
  std::string form;
};
std::vector<Expectation> expectations(const api::Row& row);

// Keywords served but kept out of the reference: the integer vector family
// and PvxjWorklistOwner.
bool left_out_of_reference(std::string_view keyword);

}  // namespace kr
