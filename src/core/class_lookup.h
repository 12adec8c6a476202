#pragma once
#include <string_view>

namespace kr {

// Assigns a section keyword to its class by prefix (first match in the
// documented order wins) and returns the class keyword's id; a token matching
// no prefix yields its own keyword id (0 when unknown).
int class_of(std::string_view token);

// The same for a known keyword id (not 0), remembered after its first use:
// the driver asks it for every section it runs.
int class_of_keyword(int keyword_id);

}  // namespace kr
