// The API family sections: one header per class, one template per keyword,
// each written from the catalogue row that dispatches the keyword.
#include "api/vectors.h"
#include "core/class_lookup.h"
#include "core/keywords.h"
#include "core/output.h"
#include "reference/forms.h"
#include "reference/sections.h"

namespace kr {
namespace {

enum class Level { kMain, kMonitor, kSub };

struct Section {
  std::string_view name;  // the class name, with its Pvxj prefix
  Level level = Level::kMain;
  std::string_view noun = "APIs";
};

// The document's order. The monitor classes stand under one main header.
constexpr Section kSections[] = {
    {"PvxjActivityInstanceNotification"}, {"PvxjActivityInstanceNotificationVector"},
    {"PvxjActivityInstance"}, {"PvxjActivityInstanceVector"},
    {"PvxjActivityInstanceList"}, {"PvxjActivityInstanceListVector"},
    {"PvxjDateTime"}, {"PvxjDllOptions"}, {"PvxjError"}, {"PvxjExecutionData"},
    {"PvxjExecutionService"}, {"PvxjExeOptions"}, {"PvxjExternalOptions"}, {"PvxjGlobal"},
    {"PvxjImplementationData"}, {"PvxjImplementationDataVector"},
    {"PvxjItem"}, {"PvxjItemVector"},
    {"PvxjMessage", Level::kMain, "API"},
    {"PvxjPEA"}, {"PvxjPersistentList"}, {"PvxjPerson"},
    {"PvxjProcessInstance"}, {"PvxjProcessInstanceVector"},
    {"PvxjProcessInstanceList"}, {"PvxjProcessInstanceListVector"},
    {"PvxjProcessInstanceNotification"}, {"PvxjProcessInstanceNotificationVector"},
    {"PvxjProcessTemplate"}, {"PvxjProcessTemplateVector"},
    {"PvxjProcessTemplateList"}, {"PvxjProcessTemplateListVector"},
    {"PvxjProgramData"}, {"PvxjProgramTemplate"}, {"PvxjResult"}, {"PvxjService"}, {"PvxjStringVector"},
    {"PvxjWorkitem"}, {"PvxjWorkitemVector"}, {"PvxjWorklist"}, {"PvxjWorklistVector"},
    {"PvxjContainer"}, {"PvxjReadOnlyContainer"}, {"PvxjReadWriteContainer"},
    {"PvxjContainerElement"}, {"PvxjContainerElementVector"},
    {"ProcessMonitor", Level::kMonitor},
    {"PvxjInstanceMonitor", Level::kSub}, {"PvxjProcessInstanceMonitor", Level::kSub},
    {"PvxjBlockInstanceMonitor", Level::kSub},
    {"PvxjControlConnectorInstance", Level::kSub}, {"PvxjControlConnectorInstanceVector", Level::kSub},
    {"PvxjPoint", Level::kSub}, {"PvxjPointVector", Level::kSub},
    {"PvxjSymbolLayout", Level::kSub},
};

std::string title(const Section& s) {
  std::string t = "Syntax for ";
  return t.append(s.name).append(" ").append(s.noun);
}

const Section* find_section(std::string_view name) {
  for (const Section& s : kSections)
    if (s.name == name) return &s;
  return nullptr;
}

// The rows of the document under one header, in catalogue order.
std::vector<const api::Row*> rows_of(std::string_view section) {
  std::vector<const api::Row*> rows;
  for (const api::Family* f : api::families())
    for (const api::Row& r : f->rows)
      if (!left_out_of_reference(r.keyword) && api_section_of(r.keyword) == section) rows.push_back(&r);
  return rows;
}

void write_rows(Sink& out, const std::vector<const api::Row*>& rows) {
  for (const api::Row* r : rows) {
    for (const std::string& l : api_template(*r)) out.line(l);
    out.line("");
    if (std::string_view(r->keyword).ends_with("FirstNamedElement") ||
        std::string_view(r->keyword).ends_with("SpecifiedPlatformElement")) {
      out.line("  This is a MACRO and not an API: the tool searches the vector itself.");
      out.line("");
    }
  }
}

}  // namespace

std::string_view api_section_of(std::string_view keyword) {
  // The longest class name the keyword begins with; a name whose class the
  // class lookup does not give the keyword (PvxjProcessInstanceNotificationTime
  // is a process instance method) gives way to a shorter one.
  const int cls = class_of(keyword);
  std::string_view best, best_same_class;
  for (const Section& s : kSections) {
    if (s.level == Level::kMonitor || !keyword.starts_with(s.name)) continue;
    if (s.name.size() > best.size()) best = s.name;
    if (class_of(s.name) == cls && s.name.size() > best_same_class.size()) best_same_class = s.name;
  }
  return best_same_class.empty() ? best : best_same_class;
}

std::string api_section_title(std::string_view section) {
  const Section* s = find_section(section);
  return s ? title(*s) : std::string();
}

std::vector<std::string> api_template(const api::Row& row) {
  std::vector<std::string> t{std::string(row.keyword)};
  for (std::size_t k = 0; k < row.params.size(); ++k) {
    const api::Param& p = row.params[k];
    if (p.synonym) continue;  // the general section names the other keywords
    std::string form = reference_form(p);
    if (k == 0 && (row.flags & api::kVectorForm) && p.form == api::Form::kIn)
      if (const api::VectorOps* v = api::vector_ops_for_element(p.keyword))
        form.append(" | ").append(keyword_text(v->vector_type)).append(" i (ALL)");
    t.push_back(param_line(keyword_text(p.keyword), form));
  }
  for (const Expectation& x : expectations(row)) t.push_back(param_line(x.keyword, x.form));
  t.push_back("End");
  return t;
}

void write_api_sections(Sink& out) {
  // The monitor's main header stands only above monitor classes that have rows.
  const Section* monitor = nullptr;
  for (const Section& s : kSections) {
    if (s.level == Level::kMonitor) {
      monitor = &s;
      continue;
    }
    std::vector<const api::Row*> rows = rows_of(s.name);
    if (rows.empty()) continue;
    if (s.level == Level::kSub) {
      if (monitor) {
        out.line(main_header(title(*monitor)));
        out.line("");
        monitor = nullptr;
      }
      out.line(sub_header(title(s)));
    } else {
      out.line(main_header(title(s)));
    }
    out.line("");
    write_rows(out, rows);
  }
}

}  // namespace kr
