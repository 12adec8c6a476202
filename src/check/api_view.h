#pragma once
// What the syntax check needs to know of an API keyword, read from the API
// catalogue in one place, so the check does not depend on how the rows are
// laid out beyond their parameters.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "api/catalogue.h"

namespace kr::check {

struct ApiMethod {
  std::string_view keyword;
  // What XpRc or XpValue is compared with.
  enum class Expect { kRc, kText, kLong, kULong, kDouble, kBool, kWord, kNothing } expect;
  bool like = false;                                  // XpValueLike is taken beside XpValue
  bool rc_first = false;                              // XpRc is taken beside XpValue
  bool vector_form = false;                           // the receiver may be given as its vector
  bool own_steps = false;                             // the family reads some parameters its own way
  int receiver_vector = 0;                            // the vector keyword that may stand for the receiver
  std::span<const api::Param> params;                 // in echo order
  const api::Family* family = nullptr;                // knows every keyword of the family
};

// Nothing for a keyword without a catalogue row.
std::optional<ApiMethod> api_method(int keyword_id);

// Whether the class keyword's sections go to the API handler.
bool is_api_class(int class_id);

}  // namespace kr::check
