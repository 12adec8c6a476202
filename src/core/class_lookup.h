#pragma once
#include <string_view>

namespace kr {

// Assigns a section keyword to its class by prefix (first match in the
// documented order wins) and returns the class keyword's id; a token matching
// no prefix yields its own keyword id (0 when unknown).
int class_of(std::string_view token);

}  // namespace kr
