#include "lsp/server.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "api/catalogue.h"
#include "check/api_view.h"
#include "check/checker.h"
#include "core/keywords.h"
#include "core/long_options.h"
#include "core/registry.h"
#include "lsp/framing.h"
#include "lsp/model.h"
#include "reference/forms.h"
#include "reference/sections.h"
#include "toolmethods/method_params.h"

namespace kr::lsp {

using json = nlohmann::json;

namespace {

// JSON-RPC error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

// Nesting deeper than any message of the protocol: refused before parsing.
constexpr int kMaxDepth = 64;

bool too_deep(std::string_view body) {
  int depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (in_string) {
      if (c == '\\') ++i;
      else if (c == '"') in_string = false;
      continue;
    }
    if (c == '"') in_string = true;
    else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// Text from a file may hold bytes that are not UTF-8 (a token cut in a
// message): they are replaced, never a reason to fail.
std::string dump(const json& j) { return j.dump(-1, ' ', false, json::error_handler_t::replace); }

bool starts_with_ci(std::string_view s, std::string_view p) {
  return s.size() >= p.size() && iequals(s.substr(0, p.size()), p);
}

std::string kw(int id) { return std::string(keyword_text(id)); }

// A line or character number: a negative or fractional one is a bad request.
std::size_t unsigned_at(const json& j) {
  if (!j.is_number_unsigned()) throw std::invalid_argument("a position must be an unsigned number");
  return j.get<std::size_t>();
}

// ---- Positions ----------------------------------------------------------------

class Lines {
 public:
  explicit Lines(std::string_view text) : t_(text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') starts_.push_back(i + 1);
  }
  std::size_t line_of(std::size_t offset) const {
    return static_cast<std::size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
  }
  std::size_t start(std::size_t line) const { return line < starts_.size() ? starts_[line] : t_.size(); }
  std::size_t end(std::size_t line) const {
    std::size_t e = line + 1 < starts_.size() ? starts_[line + 1] - 1 : t_.size();
    if (e > start(line) && e <= t_.size() && e > 0 && t_[e - 1] == '\r' && e < t_.size()) --e;
    return e;
  }
  std::size_t count() const { return starts_.size(); }

  json position(std::size_t offset, bool utf8) const {
    offset = std::min(offset, t_.size());
    const std::size_t line = line_of(offset);
    std::size_t ch = 0;
    if (utf8) {
      ch = offset - starts_[line];
    } else {
      for (std::size_t i = starts_[line]; i < offset;) {
        const unsigned char c = static_cast<unsigned char>(t_[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        ch += n == 4 ? 2 : 1;
        i += n;
      }
    }
    return {{"line", line}, {"character", ch}};
  }

  std::size_t offset(std::size_t line, std::size_t ch, bool utf8) const {
    if (line >= starts_.size()) return t_.size();
    const std::size_t b = starts_[line], e = end(line);
    if (utf8) return std::min(b + ch, e);
    std::size_t i = b, units = 0;
    while (i < e && units < ch) {
      const unsigned char c = static_cast<unsigned char>(t_[i]);
      const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      units += n == 4 ? 2 : 1;
      i = std::min(i + n, e);
    }
    return i;
  }

 private:
  std::string_view t_;
  std::vector<std::size_t> starts_;
};

// ---- The catalogue as completion and hover see it ---------------------------

struct Entry {
  int id = 0;
  std::string keyword;
  std::string detail;   // the header the keyword stands under
  std::string doc;      // its syntax reference entry, as markdown
  std::string snippet;  // the whole section with its required parameters
};

std::string code_block(const std::vector<std::string>& lines) {
  std::string s = "```\n";
  for (const std::string& l : lines) s.append(l).append("\n");
  return s + "```";
}

std::string snippet_text(std::string_view s) {
  std::string r;
  for (char c : s) {
    if (c == '$' || c == '}' || c == '\\') r.push_back('\\');
    r.push_back(c);
  }
  return r;
}

std::string choice(int k, const std::vector<std::string_view>& names) {
  std::string s = "${" + std::to_string(k) + "|";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) s.push_back(',');
    for (char c : names[i]) {
      if (c == ',' || c == '|' || c == '\\' || c == '$' || c == '}') s.push_back('\\');
      s.push_back(c);
    }
  }
  return s + "|}";
}

std::string placeholder(int k, const api::Param& p) {
  const std::string n = std::to_string(k);
  switch (p.form) {
    case api::Form::kBool: return choice(k, {"TRUE", "FALSE"});
    case api::Form::kEnum:
      if (p.enums && !p.enums->entries.empty()) {
        std::vector<std::string_view> names;
        for (const api::EnumEntry& e : p.enums->entries) names.push_back(e.name);
        return choice(k, names);
      }
      return "${" + n + ":0}";
    case api::Form::kText:
    case api::Form::kHex:
    case api::Form::kFileIn:
    case api::Form::kFileOut:
    case api::Form::kTextDefault: return "\"${" + n + "}\"";
    case api::Form::kTextCl: return "\"${" + n + ":<CL-VALUE>}\"";
    case api::Form::kULongOrNull:
    case api::Form::kCorrelOrNull: return "${" + n + ":NULL}";
    case api::Form::kULongOrDefault: return "${" + n + ":DEFAULT}";
    case api::Form::kWord: return "${" + n + ":value}";
    case api::Form::kLong:
    case api::Form::kLongBack:
    case api::Form::kULong:
    case api::Form::kUShort: return "${" + n + ":0}";
    default: return "${" + n + ":1}";
  }
}

std::string tool_placeholder(int k, const ToolParam& p) {
  const std::string n = std::to_string(k);
  switch (p.value) {
    case ToolValue::kBool: return choice(k, {"TRUE", "FALSE"});
    case ToolValue::kAnd: return "${" + n + ":AND}";
    case ToolValue::kText:
    case ToolValue::kOptions: return "\"${" + n + "}\"";
    default: return "${" + n + ":" + snippet_text(p.form) + "}";
  }
}

std::vector<Entry> build_entries() {
  std::vector<Entry> out;
  for (const ToolMethod& m : tool_methods()) {
    if (!m.carried_out) continue;
    Entry e;
    e.id = m.keyword;
    e.keyword = kw(m.keyword);
    e.detail = m.keyword >= kTestResource_DumpHandles && kw(m.keyword).rfind("TestResource_", 0) == 0
                   ? "Test resource method"
                   : "Test tool method";
    e.doc = code_block(tool_template(m));
    e.snippet = snippet_text(e.keyword);
    if (m.has_end) {
      int k = 1;
      for (const ToolParam& p : m.params)
        if (!p.optional && p.listed) e.snippet += "\n   " + kw(p.keyword) + " " + tool_placeholder(k++, p);
      e.snippet += "\nEnd$0";
    }
    out.push_back(std::move(e));
  }
  for (const api::Family* f : api::families())
    for (const api::Row& r : f->rows) {
      if (r.flags & api::kUnserved) continue;
      if (!check::api_method(r.id)) continue;
      Entry e;
      e.id = r.id;
      e.keyword = std::string(r.keyword);
      e.detail = api_section_title(api_section_of(r.keyword));
      if (e.detail.empty()) e.detail = std::string(f->name);
      e.doc = code_block(api_template(r));
      e.snippet = snippet_text(e.keyword);
      int k = 1;
      for (const api::Param& p : r.params)
        if (!p.optional && !p.synonym) e.snippet += "\n   " + kw(p.keyword) + " " + placeholder(k++, p);
      if (r.result == api::Result::kRc || (r.flags & api::kRcAndValue))
        e.snippet += "\n   XpRc ${" + std::to_string(k) + ":PVX_OK}";
      e.snippet += "\nEnd$0";
      out.push_back(std::move(e));
    }
  return out;
}

const std::vector<Entry>& entries() {
  static const std::vector<Entry> e = build_entries();
  return e;
}

const Entry* entry_for(int id) {
  static const std::map<int, const Entry*> index = [] {
    std::map<int, const Entry*> m;
    for (const Entry& e : entries()) m.emplace(e.id, &e);
    return m;
  }();
  auto it = index.find(id);
  return it == index.end() ? nullptr : it->second;
}

const std::vector<std::string_view>& rc_names() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> v;
#define PVX_RC(name, value) v.push_back(#name);
#include "diag/rc_names.def"
#undef PVX_RC
    return v;
  }();
  return names;
}

}  // namespace

// ---- Documents ------------------------------------------------------------------

struct Document {
  std::string text;
  int64_t version = 0;
  bool stale = true;
  Model model;
  std::unique_ptr<Lines> lines;

  const Model& analysed() {
    if (stale) {
      model = analyse(text);
      stale = false;
    }
    return model;
  }
  const Lines& index() {
    if (!lines) lines = std::make_unique<Lines>(text);
    return *lines;
  }
  void changed() {
    stale = true;
    lines.reset();
  }
};

namespace {

// What a parameter keyword of a section is, for completion and hover.
struct ParamInfo {
  const api::Param* api = nullptr;
  const ToolParam* tool = nullptr;
  bool expectation = false;  // XpRc, XpValue, XpValueLike
  std::string form;          // its value form as the reference writes it
};

std::optional<ParamInfo> param_info(const Section& s, int param) {
  ParamInfo info;
  if (s.tool) {
    const ToolMethod* m = tool_method(s.keyword);
    if (!m) return std::nullopt;
    for (const ToolParam& p : m->params)
      if (p.keyword == param) {
        info.tool = &p;
        info.form = std::string(p.form);
        return info;
      }
    return std::nullopt;
  }
  const api::Row* row = api::row_for(s.keyword);
  const std::optional<check::ApiMethod> m = check::api_method(s.keyword);
  if (!row || !m) return std::nullopt;
  for (const Expectation& x : expectations(*row))
    if (keyword_id(x.keyword) == param) {
      info.expectation = true;
      info.form = x.form;
      return info;
    }
  for (const api::Param& p : m->params)
    if (p.keyword == param) {
      info.api = &p;
      info.form = reference_form(p);
      return info;
    }
  if (param != 0 && param == m->receiver_vector && m->vector_form) {
    info.form = "i (ALL)";
    return info;
  }
  return std::nullopt;
}

// The parameter keywords a section offers, in reference order.
std::vector<std::pair<int, std::string>> offered_params(const Section& s) {
  std::vector<std::pair<int, std::string>> out;
  if (s.tool) {
    if (const ToolMethod* m = tool_method(s.keyword))
      for (const ToolParam& p : m->params)
        if (p.listed) out.push_back({p.keyword, std::string(p.form)});
    return out;
  }
  const api::Row* row = api::row_for(s.keyword);
  const std::optional<check::ApiMethod> m = check::api_method(s.keyword);
  if (!row || !m) return out;
  for (const api::Param& p : m->params)
    if (!p.synonym) out.push_back({p.keyword, reference_form(p)});
  if (m->vector_form && m->receiver_vector) out.push_back({m->receiver_vector, "i (ALL)"});
  for (const Expectation& x : expectations(*row)) out.push_back({keyword_id(x.keyword), x.form});
  return out;
}

}  // namespace

// ---- The server -------------------------------------------------------------------

struct Server::Out {
  std::vector<std::string> messages;
  void send(const json& j) { messages.push_back(dump(j)); }
  void result(const json& id, json r) { send({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(r)}}); }
  void error(const json& id, int code, std::string message) {
    send({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", std::move(message)}}}});
  }
};

Server::Server() = default;
Server::~Server() = default;

namespace {

struct Ctx {
  Document& doc;
  const Model& m;
  const Lines& lines;
  bool utf8;
  json range(std::size_t at, std::size_t end) const {
    return {{"start", lines.position(at, utf8)}, {"end", lines.position(end, utf8)}};
  }
  json range(Span s) const { return range(s.at, s.end); }
};

json diagnostics(Document& doc, bool utf8) {
  const Lines& lines = doc.index();
  json out = json::array();
  for (const check::Finding& f : check::check_text(doc.text)) {
    const std::size_t line = f.line ? f.line - 1 : 0;
    std::size_t at = lines.start(line) + (f.column ? f.column - 1 : 0);
    at = std::min(at, lines.end(line));
    std::size_t end = at;
    while (end < doc.text.size() && !is_token_space(static_cast<unsigned char>(doc.text[end]))) ++end;
    json d = {{"range", {{"start", lines.position(at, utf8)}, {"end", lines.position(end, utf8)}}},
              {"severity", f.severity == check::Severity::kError ? 1 : 2},
              {"source", "kestrun1"},
              {"message", f.message}};
    const std::size_t tag = f.message.rfind("[TC");
    if (tag != std::string::npos && f.message.size() >= tag + 8 && f.message[tag + 7] == ']')
      d["code"] = f.message.substr(tag + 1, 6);
    out.push_back(std::move(d));
  }
  return out;
}

// The token around an offset: where it starts and ends.
Span word_at(std::string_view t, std::size_t offset) {
  Span s{offset, offset};
  while (s.at > 0 && !is_token_space(static_cast<unsigned char>(t[s.at - 1]))) --s.at;
  while (s.end < t.size() && !is_token_space(static_cast<unsigned char>(t[s.end]))) ++s.end;
  return s;
}

// The section whose text holds the offset (its keyword up to its "End").
const Section* section_at(const Model& m, std::size_t offset, std::size_t* index = nullptr) {
  auto it = std::upper_bound(m.sections.begin(), m.sections.end(), offset,
                             [](std::size_t o, const Section& s) { return o < s.word.at; });
  if (it == m.sections.begin()) return nullptr;
  --it;
  if (offset > it->whole.end) return nullptr;
  if (it->closed && offset == it->whole.end) return nullptr;  // just after "End"
  if (index) *index = static_cast<std::size_t>(it - m.sections.begin());
  return &*it;
}

// The last section before `before` (a section index) that creates the handle.
const HandleEvent* creator(const Model& m, std::pair<int, int> key, std::size_t before) {
  const HandleEvent* found = nullptr;
  for (const HandleEvent& h : m.handles) {
    if (h.section >= before) break;
    if (h.create && h.key == key) found = &h;
  }
  return found;
}

// The handle event whose number stands at the offset.
const HandleEvent* handle_at(const Model& m, std::size_t offset) {
  for (const HandleEvent& h : m.handles)
    if (offset >= h.value.at && offset <= h.value.end) return &h;
  return nullptr;
}

json completion_item(std::string label, int kind, std::string detail = {}) {
  json j = {{"label", std::move(label)}, {"kind", kind}};
  if (!detail.empty()) j["detail"] = std::move(detail);
  return j;
}

json documentation(const Entry& e) { return {{"kind", "markdown"}, {"value", e.doc}}; }

// With a client that resolves items, the reference entries (a third of a
// megabyte for the whole catalogue) travel only for the item it shows.
void keyword_items(std::string_view prefix, bool snippets, bool resolve, json& items) {
  for (const Entry& e : entries()) {
    if (!starts_with_ci(e.keyword, prefix)) continue;
    json item = {{"label", e.keyword}, {"kind", 3}, {"detail", e.detail}};
    if (resolve) item["data"] = e.id;
    else item["documentation"] = documentation(e);
    items.push_back(std::move(item));
    if (snippets) {
      json snippet = {{"label", e.keyword + " ... End"},
                      {"kind", 15},
                      {"filterText", e.keyword},
                      {"sortText", e.keyword + "~"},
                      {"detail", "section with its required parameters"},
                      {"insertTextFormat", 2},
                      {"insertText", e.snippet}};
      if (resolve) snippet["data"] = e.id;
      else snippet["documentation"] = documentation(e);
      items.push_back(std::move(snippet));
    }
  }
}

void handle_number_items(const Model& m, int handle_keyword, std::size_t section, bool create, json& items) {
  // Numbers the sections above create for this handle type, the last creator named.
  std::map<int32_t, const HandleEvent*> made;
  const std::pair<int, int> type = handle_key(handle_keyword, 1);
  for (const HandleEvent& h : m.handles) {
    if (h.section >= section) break;
    if (h.create && h.key.first == type.first) made[h.number] = &h;
  }
  for (const auto& [n, h] : made) {
    json item = completion_item(std::to_string(n), 21, kw(h->keyword) + " " + std::to_string(n) + " from " +
                                                          kw(m.sections[h->section].keyword));
    item["sortText"] = (n < 10 ? "0" : "") + std::to_string(n);
    items.push_back(std::move(item));
  }
  if (create) {
    for (int32_t n = 1; n <= kMaxHandleNumber; ++n)
      if (!made.count(n)) {
        items.push_back(completion_item(std::to_string(n), 21, "a number no section above creates"));
        break;
      }
  }
}

void value_items(std::string_view text, const Model& m, const Section& s, std::size_t section, const ParamUse& u, json& items) {
  auto words = [&](std::initializer_list<std::string_view> ws, int kind) {
    for (std::string_view w : ws) items.push_back(completion_item(std::string(w), kind));
  };
  const std::optional<ParamInfo> info = param_info(s, u.keyword);
  if (!info) return;
  if (info->expectation) {
    if (u.keyword == kXpRc) {
      for (std::string_view n : rc_names()) items.push_back(completion_item(std::string(n), 21));
      return;
    }
    const api::Row* row = api::row_for(s.keyword);
    if (row && row->result == api::Result::kBool) words({"TRUE", "FALSE"}, 12);
    if (row && row->result == api::Result::kEnum && row->enums)
      for (const api::EnumEntry& e : row->enums->entries) items.push_back(completion_item(std::string(e.name), 20));
    if (row && (row->result == api::Result::kText || row->result == api::Result::kDateTime)) words({"NULL"}, 21);
    return;
  }
  if (info->tool) {
    switch (info->tool->value) {
      case ToolValue::kBool: words({"TRUE", "FALSE"}, 12); break;
      case ToolValue::kAnd: words({"AND"}, 14); break;
      case ToolValue::kText:
      case ToolValue::kOptions: words({"NULL", "DEFAULT"}, 21); break;
      case ToolValue::kLoopCount: words({"LastRetrievedVectorSize", "LastRetrievedVectorSizeMinus1"}, 21); break;
      case ToolValue::kReturnCode: words({"CurrentLoopCount"}, 21); break;
      case ToolValue::kSleepTime: words({"RANDOM"}, 21); break;
      case ToolValue::kHandleType:
        for (int id = 1; id <= 65; ++id)
          if (HandleRegistry::has_object_table(id) && !keyword_text(id).empty())
            items.push_back(completion_item(kw(id), 7));
        break;
      case ToolValue::kHandleNumber: {
        // The type stands in the HdlType parameter of the same pair.
        const int type_param = u.keyword == kHdlNumberOrigin ? kHdlTypeOrigin : kHdlTypeNew;
        for (const ParamUse& p : s.params)
          if (p.keyword == type_param && p.has_value) {
            const int type = keyword_id(text.substr(p.value.at, p.value.end - p.value.at));
            if (type) handle_number_items(m, type, section, u.keyword == kHdlNumberNew, items);
          }
        break;
      }
      default: break;
    }
    return;
  }
  if (!info->api) {  // the receiver's vector
    handle_number_items(m, u.keyword, section, false, items);
    return;
  }
  const api::Param& p = *info->api;
  switch (p.form) {
    case api::Form::kIn: handle_number_items(m, p.keyword, section, false, items); break;
    case api::Form::kOut: handle_number_items(m, p.keyword, section, true, items); break;
    case api::Form::kAppend: handle_number_items(m, p.keyword, section, true, items); break;
    case api::Form::kBool: words({"TRUE", "FALSE"}, 12); break;
    case api::Form::kEnum:
      if (p.enums)
        for (const api::EnumEntry& e : p.enums->entries) items.push_back(completion_item(std::string(e.name), 20));
      break;
    case api::Form::kTextCl: words({"\"<CL-VALUE>\"", "NULL"}, 21); break;
    case api::Form::kTextDefault: words({"NULL", "DEFAULT"}, 21); break;
    case api::Form::kText:
    case api::Form::kHex: words({"NULL"}, 21); break;
    case api::Form::kULongOrNull:
    case api::Form::kCorrelOrNull: words({"NULL"}, 21); break;
    case api::Form::kULongOrDefault: words({"DEFAULT"}, 21); break;
    default: break;
  }
}

json completion(Ctx& c, std::size_t offset, bool snippets, bool resolve) {
  json items = json::array();
  const std::string_view t = c.doc.text;
  Span w = word_at(t, offset);
  const std::string_view prefix = t.substr(w.at, offset - w.at);
  std::size_t index = 0;
  const Section* s = section_at(c.m, w.at, &index);
  if (s && w.at == s->word.at) s = nullptr;  // the section keyword itself is being typed
  if (!s) {
    keyword_items(prefix, snippets, resolve, items);
    return {{"isIncomplete", false}, {"items", std::move(items)}};
  }
  // The parameter before the word: its value is being typed when the word is
  // where its value stands, or it has none yet.
  const ParamUse* before = nullptr;
  for (const ParamUse& u : s->params) {
    if (u.word.at >= w.at) break;
    before = &u;
  }
  const bool in_value =
      before && before->word.end <= w.at && (!before->has_value || before->value.at >= w.at);
  if (before && before->has_value && before->value.at < w.at && w.at < before->value.end) return json::array();
  if (in_value) {
    value_items(t, c.m, *s, index, *before, items);
  } else {
    std::set<int> given;
    for (const ParamUse& u : s->params)
      if (u.word.at != w.at) given.insert(u.keyword);
    for (const auto& [id, form] : offered_params(*s))
      if (!given.count(id) && starts_with_ci(keyword_text(id), prefix))
        items.push_back(completion_item(kw(id), 5, form));
    if (starts_with_ci("End", prefix)) items.push_back(completion_item("End", 14, "closes the section"));
  }
  json filtered = json::array();
  for (json& i : items)
    if (starts_with_ci(i["label"].get<std::string>(), prefix)) filtered.push_back(std::move(i));
  return {{"isIncomplete", false}, {"items", std::move(filtered)}};
}

json hover(Ctx& c, std::size_t offset) {
  const std::string_view t = c.doc.text;
  const Span w = word_at(t, offset);
  if (w.at == w.end) return nullptr;
  std::size_t index = 0;
  const Section* s = section_at(c.m, w.at, &index);
  std::string text;
  if (s && w.at == s->word.at) {
    if (const Entry* e = entry_for(s->keyword)) text = "**" + e->detail + "**\n\n" + e->doc;
  } else if (const HandleEvent* h = handle_at(c.m, w.at)) {
    const std::string name = kw(h->keyword) + " " + std::to_string(h->number);
    const HandleEvent* made = creator(c.m, h->key, h->section);
    if (made)
      text = name + ": created by " + kw(c.m.sections[made->section].keyword) + " on line " +
             std::to_string(c.lines.line_of(c.m.sections[made->section].word.at) + 1);
    else if (h->create)
      text = name + ": created here";
    else
      text = name + ": no section above creates it; the API gets a null handle";
  } else if (s) {
    for (const ParamUse& u : s->params)
      if (u.word.at == w.at) {
        if (const std::optional<ParamInfo> info = param_info(*s, u.keyword))
          text = code_block({param_line(kw(u.keyword), info->form)}) + "\n\nparameter of " + kw(s->keyword);
        break;
      }
  }
  if (text.empty()) return nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", c.range(w)}};
}

json definition(Ctx& c, const std::string& uri, std::size_t offset) {
  const HandleEvent* h = handle_at(c.m, offset);
  if (!h) return nullptr;
  const HandleEvent* made = creator(c.m, h->key, h->section);
  if (!made) return nullptr;
  return {{"uri", uri}, {"range", c.range(c.m.sections[made->section].word)}};
}

json section_symbol(Ctx& c, const Section& s) {
  json j = {{"name", kw(s.keyword)},
            {"kind", s.tool ? 6 : 12},
            {"range", c.range(s.whole.at, std::max(s.whole.end, s.word.end))},
            {"selectionRange", c.range(s.word)}};
  return j;
}

json symbols(Ctx& c) {
  json out = json::array();
  const Model& m = c.m;
  std::vector<const Block*> flow;
  for (const Block& b : m.blocks)
    if (b.kind == Block::kIf || b.kind == Block::kLoop) flow.push_back(&b);
  std::size_t fi = 0;
  for (std::size_t i = 0; i < m.sections.size();) {
    if (fi < flow.size() && flow[fi]->first_section == i) {
      const Block& b = *flow[fi++];
      json children = json::array();
      std::size_t end = std::max(b.end_section, i + 1);
      end = std::min(end, m.sections.size());
      for (std::size_t k = i; k < end; ++k) children.push_back(section_symbol(c, m.sections[k]));
      const Span head = m.sections[i].word;
      out.push_back({{"name", b.kind == Block::kIf ? "IF" : "LOOP"},
                     {"kind", 2},
                     {"range", c.range(b.whole.at, std::max(b.whole.end, head.end))},
                     {"selectionRange", c.range(head)},
                     {"children", std::move(children)}});
      // A block opened inside this one (an error) still gets its own symbol.
      while (fi < flow.size() && flow[fi]->first_section < end) ++fi;
      i = end;
      continue;
    }
    out.push_back(section_symbol(c, m.sections[i]));
    ++i;
  }
  return out;
}

json folding(Ctx& c) {
  json out = json::array();
  auto add = [&](Span s, const char* kind) {
    const std::size_t a = c.lines.line_of(s.at), b = c.lines.line_of(s.end > s.at ? s.end - 1 : s.at);
    if (b <= a) return;
    json j = {{"startLine", a}, {"endLine", b}};
    if (kind) j["kind"] = kind;
    out.push_back(std::move(j));
  };
  for (const Section& s : c.m.sections) add(s.whole, nullptr);
  for (const Block& b : c.m.blocks) add(b.whole, b.kind == Block::kComment ? "comment" : "region");
  return out;
}

}  // namespace

std::vector<std::string> Server::handle(std::string_view body) {
  Out out;
  if (too_deep(body)) {
    out.error(nullptr, kInvalidRequest, "message nested too deeply");
    return std::move(out.messages);
  }
  const json message = json::parse(body.begin(), body.end(), nullptr, false);
  if (message.is_discarded()) {
    out.error(nullptr, kParseError, "not JSON");
    return std::move(out.messages);
  }
  dispatch(&message, out);
  return std::move(out.messages);
}

void Server::dispatch(const void* raw, Out& out) {
  const json& msg = *static_cast<const json*>(raw);
  if (!msg.is_object() || !msg.contains("method") || !msg["method"].is_string()) {
    // Responses to requests this server never sends, or nothing at all.
    if (!msg.is_object() || (!msg.contains("result") && !msg.contains("error")))
      out.error(msg.is_object() && msg.contains("id") ? msg["id"] : json(nullptr), kInvalidRequest,
                "not a request or notification");
    return;
  }
  const std::string method = msg["method"].get<std::string>();
  const bool request = msg.contains("id");
  json id = request ? msg["id"] : json(nullptr);
  if (request && !id.is_string() && !id.is_number_integer()) {
    out.error(nullptr, kInvalidRequest, "id must be a number or a string");
    return;
  }
  const json params = msg.contains("params") ? msg["params"] : json::object();
  try {
    if (method == "exit") {
      exited_ = true;
      return;
    }
    if (!initialized_ && method != "initialize") {
      if (request) out.error(id, kServerNotInitialized, "initialize first");
      return;
    }
    if (shutdown_ && request) {
      out.error(id, kInvalidRequest, "shut down: only exit is left");
      return;
    }
    if (method == "initialize") {
      if (!request) return;
      if (initialized_) {
        out.error(id, kInvalidRequest, "initialized already");
        return;
      }
      initialized_ = true;
      const json caps = params.is_object() && params.contains("capabilities") ? params["capabilities"] : json::object();
      const json encodings = caps.is_object() ? caps.value("/general/positionEncodings"_json_pointer, json::array())
                                              : json::array();
      if (encodings.is_array())
        for (const json& e : encodings)
          if (e == "utf-8") utf8_ = true;
      if (caps.is_object()) {
        const json s = caps.value("/textDocument/completion/completionItem/snippetSupport"_json_pointer, json(false));
        snippets_ = s.is_boolean() && s.get<bool>();
        const json r = caps.value("/textDocument/completion/completionItem/resolveSupport/properties"_json_pointer,
                                  json::array());
        if (r.is_array())
          for (const json& p : r)
            if (p == "documentation") resolve_ = true;
      }
      out.result(id, {{"capabilities",
                       {{"positionEncoding", utf8_ ? "utf-8" : "utf-16"},
                        {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
                        {"completionProvider", {{"resolveProvider", resolve_}}},
                        {"hoverProvider", true},
                        {"definitionProvider", true},
                        {"documentSymbolProvider", true},
                        {"foldingRangeProvider", true}}},
                      {"serverInfo", {{"name", "kestrun1"}, {"version", std::string(version_line().substr(9))}}}});
      return;
    }
    if (method == "shutdown") {
      shutdown_ = true;
      out.result(id, nullptr);
      return;
    }
    if (method == "initialized" || method.rfind("$/", 0) == 0) return;
    if (method == "completionItem/resolve") {
      json item = params;
      if (item.is_object() && item.contains("data") && item["data"].is_number_integer())
        if (const Entry* e = entry_for(item["data"].get<int>())) item["documentation"] = documentation(*e);
      if (request) out.result(id, std::move(item));
      return;
    }

    if (method == "textDocument/didOpen" || method == "textDocument/didChange" ||
        method == "textDocument/didClose") {
      const json& td = params.at("textDocument");
      const std::string uri = td.at("uri").get<std::string>();
      if (method == "textDocument/didClose") {
        docs_.erase(uri);
        out.send({{"jsonrpc", "2.0"},
                  {"method", "textDocument/publishDiagnostics"},
                  {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
        return;
      }
      Document* doc = nullptr;
      if (method == "textDocument/didOpen") {
        auto d = std::make_unique<Document>();
        d->text = td.at("text").get<std::string>();
        d->version = td.value("version", int64_t{0});
        doc = d.get();
        docs_[uri] = std::move(d);
      } else {
        auto it = docs_.find(uri);
        if (it == docs_.end()) return;  // never opened: nothing to change
        doc = it->second.get();
        for (const json& ch : params.at("contentChanges")) {
          const std::string text = ch.at("text").get<std::string>();
          if (!ch.contains("range")) {
            doc->text = text;
          } else {
            const Lines& l = doc->index();
            const json& r = ch.at("range");
            std::size_t a = l.offset(unsigned_at(r.at("start").at("line")),
                                     unsigned_at(r.at("start").at("character")), utf8_);
            std::size_t b = l.offset(unsigned_at(r.at("end").at("line")),
                                     unsigned_at(r.at("end").at("character")), utf8_);
            if (b < a) std::swap(a, b);
            doc->text.replace(a, b - a, text);
          }
          doc->changed();
        }
        if (td.contains("version") && td["version"].is_number_integer()) doc->version = td["version"].get<int64_t>();
      }
      doc->changed();
      out.send({{"jsonrpc", "2.0"},
                {"method", "textDocument/publishDiagnostics"},
                {"params", {{"uri", uri}, {"version", doc->version}, {"diagnostics", diagnostics(*doc, utf8_)}}}});
      return;
    }

    if (method == "textDocument/completion" || method == "textDocument/hover" ||
        method == "textDocument/definition" || method == "textDocument/documentSymbol" ||
        method == "textDocument/foldingRange") {
      const std::string uri = params.at("textDocument").at("uri").get<std::string>();
      auto it = docs_.find(uri);
      if (it == docs_.end()) {
        if (request) out.error(id, kInvalidParams, "document not open: " + uri);
        return;
      }
      Document& doc = *it->second;
      Ctx c{doc, doc.analysed(), doc.index(), utf8_};
      std::size_t offset = 0;
      if (params.contains("position")) {
        const json& p = params.at("position");
        offset = c.lines.offset(unsigned_at(p.at("line")), unsigned_at(p.at("character")), utf8_);
      }
      json r;
      if (method == "textDocument/completion") r = completion(c, offset, snippets_, resolve_);
      else if (method == "textDocument/hover") r = hover(c, offset);
      else if (method == "textDocument/definition") r = definition(c, uri, offset);
      else if (method == "textDocument/documentSymbol") r = symbols(c);
      else r = folding(c);
      if (request) out.result(id, std::move(r));
      return;
    }
    if (request) out.error(id, kMethodNotFound, "unknown method " + method);
  } catch (const std::exception& e) {
    if (request) out.error(id, kInvalidParams, std::string("invalid parameters: ") + e.what());
  }
}

int Server::run(std::istream& in, std::ostream& out) {
  MessageReader reader(in);
  std::string body;
  for (;;) {
    const MessageReader::Got got = reader.next(&body);
    if (got == MessageReader::Got::kEnd) break;
    if (got == MessageReader::Got::kTooLarge) {
      write_message(out, dump({{"jsonrpc", "2.0"},
                               {"id", nullptr},
                               {"error", {{"code", kInvalidRequest}, {"message", "message too large"}}}}));
      continue;
    }
    for (const std::string& m : handle(body)) write_message(out, m);
    if (exited_ || !out) break;  // a client that went away ends the session
  }
  return exit_code();
}

int serve_stdio() {
  // A client that closes its end is an ordinary end of the session, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  Server s;
  return s.run(std::cin, std::cout);
}

}  // namespace kr::lsp
