#pragma once
// The parts of the syntax reference, in the order the document has them, and
// the line formats they share.
#include <string>
#include <string_view>
#include <vector>

#include "api/catalogue.h"

namespace kr {

class Sink;
struct ToolMethod;

inline constexpr std::size_t kHeaderWidth = 72;

// "===" title "=..." to 72 characters; the "---" form heads the monitor's classes.
std::string main_header(std::string_view title);
std::string sub_header(std::string_view title);

// Two spaces, the keyword left-justified in 34 characters, the value form.
std::string param_line(std::string_view keyword, std::string_view form);

// Three spaces, the handle keyword left-justified in 39 characters, "1-49".
std::string handle_line(std::string_view keyword);

// The fixed sections: GENERAL INFORMATION up to TEST CASE RESTRICTIONS.
void write_general_sections(Sink& out);

// SYNTAX FOR TEST TOOL METHODS and SYNTAX FOR TEST RESOURCE METHODS.
void write_tool_sections(Sink& out);
std::vector<std::string> tool_template(const ToolMethod& method);

// The API family sections, one template per served keyword.
void write_api_sections(Sink& out);
std::vector<std::string> api_template(const api::Row& row);
// The class name (e.g. "PvxjProcessTemplateVector") of the header an API
// keyword stands under; empty when no header takes it.
std::string_view api_section_of(std::string_view keyword);
// The title of that header, e.g. "Syntax for PvxjMessage API".
std::string api_section_title(std::string_view section);

}  // namespace kr
