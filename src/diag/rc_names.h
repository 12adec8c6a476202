#pragma once
// Names of the API return codes.
#include <cstdint>
#include <string_view>

namespace kr {

class Sink;

// The name of an API return code, "???" when it has none.
std::string_view rc_name(uint32_t rc);

// The value of a return-code name (case-sensitive); false when unknown.
bool rc_value(std::string_view name, uint32_t* value);

// The ApiRCs reference file.
void write_api_rcs(Sink& out);

// The ToolRCs reference file; `extended` adds the entries TC0025 to TC0030.
void write_tool_rcs(Sink& out, bool extended);

}  // namespace kr
