#pragma once
// Where in the test case file a tool error stands, for the console copy of
// tool errors under --lines.
#include <string>

namespace kr {

struct RunContext;

// "FILE:LINE:COLUMN" of the token the error is about: the token just read
// while a section is being read, else the section's keyword.
std::string error_location(const RunContext& ctx);

}  // namespace kr
