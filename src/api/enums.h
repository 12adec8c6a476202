#pragma once
// Enumerations that more than one family reads or reports.
#include "api/catalogue.h"

namespace kr::api {

// The type of a stored list: given to the list-creating methods, reported by
// every list family's type getter. 3 has no neighbour 2.
inline constexpr EnumEntry kListTypeNames[] = {{"Pvx_LT_NotSet", 0}, {"Pvx_LT_Public", 1}, {"Pvx_LT_Private", 3}};
inline constexpr EnumTable kListTypes{kListTypeNames};

}  // namespace kr::api
