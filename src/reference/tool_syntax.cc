// The tool and resource method sections, written from the methods' own
// parameter rows.
#include "core/keywords.h"
#include "core/output.h"
#include "reference/sections.h"
#include "toolmethods/method_params.h"

namespace kr {
namespace {

constexpr std::size_t kRemarkWidth = 76;

// A paragraph in lines of at most kRemarkWidth characters, two blanks in.
void write_paragraph(Sink& out, std::string_view text) {
  if (text.empty() || text[0] == ' ') {
    out.line("  " + std::string(text));
    return;
  }
  std::string line;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(pos, end - pos);
    if (!line.empty() && line.size() + 1 + word.size() > kRemarkWidth) {
      out.line("  " + line);
      line.clear();
    }
    if (!line.empty()) line.push_back(' ');
    line.append(word);
    pos = end + 1;
  }
  if (!line.empty()) out.line("  " + line);
}

void write_method(Sink& out, const ToolMethod& m) {
  for (const std::string& l : tool_template(m)) out.line(l);
  out.line("");
  if (m.remarks.empty()) return;
  for (const std::string& r : m.remarks) write_paragraph(out, r);
  out.line("");
}

bool is_resource(const ToolMethod& m) { return keyword_text(m.keyword).starts_with("TestResource_"); }

}  // namespace

std::vector<std::string> tool_template(const ToolMethod& m) {
  std::vector<std::string> t{std::string(keyword_text(m.keyword))};
  for (const ToolParam& p : m.params) {
    if (!p.listed) continue;
    t.push_back(param_line(keyword_text(p.keyword), p.optional ? "[" + std::string(p.form) + "]" : std::string(p.form)));
  }
  if (m.has_end) t.push_back("End");
  return t;
}

void write_tool_sections(Sink& out) {
  out.line(main_header("SYNTAX FOR TEST TOOL METHODS"));
  out.line("");
  for (const ToolMethod& m : tool_methods())
    if (!is_resource(m) && m.carried_out) write_method(out, m);

  out.line("/* The following methods are for Quill only */");
  out.line("");
  out.line("  On this platform they start and stop no program: each of them is");
  out.line("  answered with TC0006.");
  out.line("");
  for (const ToolMethod& m : tool_methods())
    if (!is_resource(m) && !m.carried_out) write_method(out, m);

  out.line(main_header("SYNTAX FOR TEST RESOURCE METHODS"));
  out.line("");
  for (const ToolMethod& m : tool_methods())
    if (is_resource(m)) write_method(out, m);
}

}  // namespace kr
