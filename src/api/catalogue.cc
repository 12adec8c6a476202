#include "api/catalogue.h"

#include <algorithm>

#include "core/registry.h"
#include "core/run_context.h"

namespace kr::api {

// Each family file defines its rows; the order here is the order of the row
// files in api/keyword_ids.h, which fixes the keyword ids.
const Family& execution_service_family();
const Family& process_template_family();
const Family& global_family();
const Family& service_family();
const Family& result_family();
const Family& error_family();
const Family& message_family();
const Family& person_family();
const Family& string_vector_family();
const Family& int_vector_family();
const Family& date_time_family();
const Family& pea_family();
const Family& process_instance_family();
const Family& worklist_family();
const Family& persistent_list_family();
const Family& container_family();
const Family& container_element_family();
const Family& program_template_family();
const Family& implementation_data_family();
const Family& execution_data_family();
const Family& item_family();
const Family& workitem_family();
const Family& activity_instance_family();
const Family& process_instance_notification_family();
const Family& activity_instance_notification_family();
const Family& monitor_family();

std::string_view EnumTable::name_of(int32_t value) const {
  for (const EnumEntry& e : entries)
    if (e.value == value) return e.name;
  return "???";
}

std::string_view oid_tag_text(OidTag tag) {
  switch (tag) {
    case OidTag::kNone: return {};
    case OidTag::kProcessTemplate: return "PvxProcessTemplateObjectID";
    case OidTag::kProcessTemplateList: return "PvxProcessTemplateListObjectID";
    case OidTag::kProcessInstance: return "PvxProcessInstanceObjectID";
    case OidTag::kProcessInstanceList: return "PvxProcessInstanceListObjectID";
    case OidTag::kActivityInstance: return "PvxActivityInstanceObjectID";
    case OidTag::kWorklist: return "PvxWorklistObjectID";
    case OidTag::kPersistentList: return "PvxPersistentListObjectID";
    case OidTag::kItem: return "PvxItemObjectID";
    case OidTag::kWorkitem: return "PvxWorkitemObjectID";
    case OidTag::kProcessInstanceNotification: return "PvxProcessInstanceNotificationObjectID";
    case OidTag::kActivityInstanceNotification: return "PvxActivityInstanceNotificationObjectID";
    case OidTag::kExecutionData: return "PvxExecutionDataObjectID";
  }
  return {};
}

const Param* Family::accepted(int keyword) const {
  for (const Row& r : rows)
    for (const Param& p : r.params)
      if (p.keyword == keyword) return &p;
  return nullptr;
}

std::span<const Family* const> families() {
  // One family a line, so families added side by side merge cleanly.
  static const Family* const all[] = {
      &execution_service_family(),
      &process_template_family(),
      &global_family(),
      &service_family(),
      &result_family(),
      &error_family(),
      &message_family(),
      &person_family(),
      &string_vector_family(),
      &int_vector_family(),
      &date_time_family(),
      &pea_family(),
      &process_instance_family(),
      &worklist_family(),
      &persistent_list_family(),
      &container_family(),
      &container_element_family(),
      &program_template_family(),
      &implementation_data_family(),
      &execution_data_family(),
      &item_family(),
      &workitem_family(),
      &activity_instance_family(),
      &process_instance_notification_family(),
      &activity_instance_notification_family(),
      &monitor_family(),
  };
  return all;
}

namespace {

// The keyword table (core/keywords) takes the API keywords from here.
void add_api_keywords(std::vector<KeywordEntry>* table) {
  for (const Family* f : families())
    for (const Row& r : f->rows) table->push_back({r.id, r.keyword});
}

[[maybe_unused]] const bool kKeywordsJoined = (set_api_keyword_source(&add_api_keywords), true);

}  // namespace

void join_keyword_table() { set_api_keyword_source(&add_api_keywords); }

const Row* row_for(int id) {
  for (const Family* f : families()) {
    if (f->rows.empty()) continue;
    const int first = f->rows.front().id;
    if (id >= first && id < first + static_cast<int>(f->rows.size())) return &f->rows[static_cast<std::size_t>(id - first)];
  }
  return nullptr;
}

const Family* family_of(const Row& row) {
  for (const Family* f : families())
    if (!f->rows.empty() && &row >= f->rows.data() && &row < f->rows.data() + f->rows.size()) return f;
  return nullptr;
}

const Family* family_for_class(int class_id) {
  for (const Family* f : families())
    if (std::find(f->classes.begin(), f->classes.end(), class_id) != f->classes.end()) return f;
  return nullptr;
}

int param_index(const Row& row, int keyword) {
  for (std::size_t i = 0; i < row.params.size(); ++i)
    if (row.params[i].keyword == keyword) return static_cast<int>(i);
  return -1;
}

namespace {

// "Set" or "Create" as a whole word of a keyword's camel case at `at`.
bool verb_at(std::string_view kw, std::size_t at) {
  for (std::string_view verb : {std::string_view("Set"), std::string_view("Create")}) {
    if (kw.substr(at, verb.size()) != verb) continue;
    const std::size_t after = at + verb.size();
    if (after < kw.size() && kw[after] >= 'A' && kw[after] <= 'Z') return true;
  }
  return false;
}

}  // namespace

bool row_writes(const Row& row) {
  const std::string_view kw = row.keyword;
  // The verb follows the class: Pvxj<Class><Verb><What>. The receiver names
  // the class, so a list method of a family (PvxjProcessTemplateListSet...)
  // is read after its own class, not after the family's.
  if (!row.params.empty() && row.params[0].form == Form::kIn) {
    const std::string_view hdl = keyword_text(row.params[0].keyword);
    if (hdl.size() > 3 && hdl.substr(hdl.size() - 3) == "Hdl") {
      const std::string_view cls = hdl.substr(0, hdl.size() - 3);
      if (kw.substr(0, 4) == "Pvxj" && kw.substr(4, cls.size()) == cls) return verb_at(kw, 4 + cls.size());
    }
  }
  if (const Family* f = family_of(row); f && kw.substr(0, f->name.size()) == f->name)
    return verb_at(kw, f->name.size());
  for (std::size_t i = 5; i < kw.size(); ++i)
    if (kw[i - 1] >= 'a' && kw[i - 1] <= 'z' && verb_at(kw, i)) return true;
  return false;
}

bool writes_to_server(const Row& row, const Param& p) {
  if (!p.passed || !row_writes(row)) return false;
  switch (p.form) {
    case Form::kText:
    case Form::kTextCl:
    case Form::kTextDefault:
    case Form::kHex:
    case Form::kWord:
    case Form::kEnum:
    case Form::kBool:
    case Form::kLong:
    case Form::kULong:
    case Form::kUShort:
    case Form::kULongOrNull:
    case Form::kULongOrDefault:
      return true;
    default:
      return false;
  }
}

Value& Call::param(int keyword) {
  int k = param_index(row, keyword);
  if (k >= 0) return v[static_cast<std::size_t>(k)];
  missing_ = Value{};
  return missing_;
}

AnyHandle Call::h(std::size_t k) const {
  if (k == 0 && vector_form) return element ? *element : 0;
  if (row.params[k].or_none && v[k].number == 0) return 0;
  return ctx.reg.handle(row.params[k].keyword, v[k].number);
}

PvxjDateTime Call::dt(std::size_t k) const {
  const DateTimeSlot* d = ctx.reg.date_time(v[k].number);
  return d ? d->value : PvxjDateTime{};
}

PvxjHandle* Call::slot(std::size_t k) const {
  if (k == 0 && vector_form) return element;
  return ctx.reg.handle_slot(row.params[k].keyword, v[k].number);
}

const char* Call::s(std::size_t k) const {
  const Value& val = v[k];
  return (val.null || !val.given) ? nullptr : val.text.c_str();
}

unsigned char* Call::correl(std::size_t k) const {
  const Value& val = v[k];
  return (val.null || !val.given) ? nullptr : ctx.reg.correl_id(val.number);
}

}  // namespace kr::api
