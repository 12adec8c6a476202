#include "reference/syntax.h"

#include "core/output.h"
#include "reference/sections.h"

namespace kr {
namespace {

std::string header(std::string_view lead, std::string_view title, char fill) {
  std::string h(lead);
  h.append(title);
  if (h.size() < kHeaderWidth) h.append(kHeaderWidth - h.size(), fill);
  return h;
}

std::string padded(std::string_view lead, std::string_view keyword, std::size_t width) {
  std::string s(lead);
  s.append(keyword);
  if (keyword.size() < width) s.append(width - keyword.size(), ' ');
  return s;
}

}  // namespace

std::string main_header(std::string_view title) { return header("===", title, '='); }
std::string sub_header(std::string_view title) { return header("---", title, '-'); }

std::string param_line(std::string_view keyword, std::string_view form) {
  // A keyword longer than its column still keeps one blank before the form.
  std::string s = padded("  ", keyword, 34);
  if (keyword.size() >= 34) s.push_back(' ');
  return s.append(form);
}

std::string handle_line(std::string_view keyword) { return padded("   ", keyword, 39).append("1-49"); }

void write_syntax_reference(Sink& out) {
  out.line(kSeparator);
  out.line("C API Test Tool for Altaris v340 Windows 9x/NT/2000/XP");
  out.line(date_line());
  out.line("Syntax version: v340 (kestrun1)");
  out.line(kSeparator);
  out.line("");
  write_general_sections(out);
  write_tool_sections(out);
  write_api_sections(out);
}

}  // namespace kr
