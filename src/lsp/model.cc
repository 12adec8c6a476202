#include "lsp/model.h"

#include <algorithm>
#include <charconv>

#include "api/catalogue.h"
#include "check/api_view.h"
#include "core/class_lookup.h"
#include "core/keywords.h"
#include "core/reader.h"
#include "core/registry.h"
#include "toolmethods/method_params.h"

namespace kr::lsp {

std::pair<int, int> handle_key(int keyword, int32_t number) {
  const int table = HandleRegistry::table_of(keyword);
  return {table >= 0 ? 100000 + table : keyword, number};
}

HandleRole api_handle_role(int method, int param) {
  const std::optional<check::ApiMethod> m = check::api_method(method);
  if (!m) return HandleRole::kNone;
  if (param != 0 && param == m->receiver_vector && m->vector_form) return HandleRole::kUse;
  for (const api::Param& p : m->params)
    if (p.keyword == param) {
      if (p.form == api::Form::kIn) return HandleRole::kUse;
      if (p.form == api::Form::kOut || p.form == api::Form::kAppend) return HandleRole::kCreate;
      return HandleRole::kNone;
    }
  return HandleRole::kNone;
}

namespace {

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

class Scanner {
 public:
  explicit Scanner(std::string_view text) : t_(text) {}

  Model run() {
    for (;;) {
      Span s;
      std::string_view tok = token(&s);
      if (tok.empty()) break;
      top_level(tok, s);
    }
    close_blocks();
    return std::move(m_);
  }

 private:
  // The next white-space delimited token; empty at the end of the text or at
  // the end-of-file mark, after which nothing is read.
  std::string_view token(Span* s) {
    while (pos_ < t_.size() && is_token_space(static_cast<unsigned char>(t_[pos_]))) ++pos_;
    s->at = pos_;
    if (pos_ >= t_.size() || t_[pos_] == kEofMark) {
      pos_ = t_.size();
      s->end = s->at;
      return {};
    }
    while (pos_ < t_.size() && !is_token_space(static_cast<unsigned char>(t_[pos_]))) ++pos_;
    s->end = pos_;
    return t_.substr(s->at, s->end - s->at);
  }

  // A token that begins something at the top level: a method, "End" or a
  // comment. A section left without its "End" stops before such a token.
  bool statement_word(std::string_view tok) const {
    if (iequals(tok, "End") || starts_with(tok, "/*")) return true;
    const int id = keyword_id(tok);
    return check::api_method(id).has_value() || tool_method(id) != nullptr;
  }

  void top_level(std::string_view tok, Span s) {
    if (starts_with(tok, "/*")) {
      comment(tok, s);
      return;
    }
    const int cls = class_of(tok);
    const int id = keyword_id(tok);
    if (cls == kSkipTagClass) {
      std::string_view closing;
      if (id == kNOT_C_Open) closing = "</NOT_C>";
      if (id == kNOT_WORKSTATION_Open) closing = "</NOT_WORKSTATION>";
      if (closing.empty()) return;
      Span e = s;
      for (;;) {
        Span n;
        std::string_view t = token(&n);
        if (t.empty()) break;
        e = n;
        if (iequals(t, closing)) break;
      }
      m_.blocks.push_back({Block::kSkip, {s.at, e.end}, m_.sections.size(), m_.sections.size()});
      return;
    }
    if (id == kEnd) return;
    const ToolMethod* tm = tool_method(id);
    const bool api = !tm && check::is_api_class(cls) && check::api_method(id).has_value();
    if (!tm && !api) return;  // an unknown word: the check reports it, the reading goes on
    Section sec;
    sec.keyword = id;
    sec.tool = tm != nullptr;
    sec.word = s;
    sec.whole = s;
    flow(id, s);
    if (tm && !tm->has_end) {
      sec.closed = true;
      m_.sections.push_back(std::move(sec));
      return;
    }
    for (;;) {
      const std::size_t before = pos_;
      Span p;
      std::string_view t = token(&p);
      if (t.empty()) {
        sec.whole.end = t_.size();
        break;
      }
      if (iequals(t, "End")) {
        sec.whole.end = p.end;
        sec.closed = true;
        break;
      }
      if (statement_word(t)) {
        pos_ = before;
        break;
      }
      ParamUse u;
      u.keyword = keyword_id(t);
      u.word = p;
      sec.whole.end = p.end;
      value(&u);
      if (u.has_value) sec.whole.end = u.value.end;
      sec.params.push_back(u);
    }
    const std::size_t index = m_.sections.size();
    m_.sections.push_back(std::move(sec));
    handles(index);
  }

  void value(ParamUse* u) {
    std::size_t p = pos_;
    while (p < t_.size() && is_token_space(static_cast<unsigned char>(t_[p]))) ++p;
    if (p < t_.size() && t_[p] == '"') {
      std::size_t q = p + 1;
      for (;;) {
        q = t_.find('"', q);
        if (q == std::string_view::npos) {
          q = t_.size();
          break;
        }
        if (q + 1 < t_.size() && t_[q + 1] == '"') {
          q += 2;
          continue;
        }
        ++q;
        break;
      }
      u->has_value = true;
      u->value = {p, q};
      pos_ = q;
      return;
    }
    const std::size_t before = pos_;
    Span v;
    std::string_view t = token(&v);
    if (t.empty() || statement_word(t)) {
      pos_ = before;
      return;
    }
    u->has_value = true;
    u->value = v;
  }

  void comment(std::string_view first, Span s) {
    Span e = s;
    if (first.find("*/", 2) == std::string_view::npos && first != "/*/") {
      for (;;) {
        const std::size_t before = pos_;
        Span n;
        std::string_view t = token(&n);
        if (t.empty()) break;
        if (t.find("/*") != std::string_view::npos && t.find("*/") == std::string_view::npos) {
          pos_ = before;  // a comment that never closed: the next one starts here
          break;
        }
        e = n;
        if (t.find("*/") != std::string_view::npos) break;
      }
    }
    m_.blocks.push_back({Block::kComment, {s.at, e.end}, m_.sections.size(), m_.sections.size()});
  }

  int32_t number(const ParamUse& u) const {
    if (!u.has_value) return 0;
    std::string_view v = t_.substr(u.value.at, u.value.end - u.value.at);
    int32_t n = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    return r.ec == std::errc() ? n : 0;
  }

  void handles(std::size_t index) {
    const Section& sec = m_.sections[index];
    auto add = [&](int keyword, const ParamUse& u, bool create) {
      const int32_t n = number(u);
      if (n < 1 || n > kMaxHandleNumber) return;
      m_.handles.push_back({handle_key(keyword, n), keyword, n, index, u.value, create});
    };
    if (!sec.tool) {
      // Uses first: a section that reads and refills one number uses the old object.
      for (const ParamUse& u : sec.params)
        if (api_handle_role(sec.keyword, u.keyword) == HandleRole::kUse) add(u.keyword, u, false);
      for (const ParamUse& u : sec.params)
        if (api_handle_role(sec.keyword, u.keyword) == HandleRole::kCreate) add(u.keyword, u, true);
      return;
    }
    if (sec.keyword != kTestResource_TreatHandleAsHandleOfOtherType) return;
    int types[2] = {0, 0};
    const ParamUse* numbers[2] = {nullptr, nullptr};
    for (const ParamUse& u : sec.params) {
      if (!u.has_value) continue;
      const std::string_view v = t_.substr(u.value.at, u.value.end - u.value.at);
      if (u.keyword == kHdlTypeOrigin) types[0] = keyword_id(v);
      if (u.keyword == kHdlTypeNew) types[1] = keyword_id(v);
      if (u.keyword == kHdlNumberOrigin) numbers[0] = &u;
      if (u.keyword == kHdlNumberNew) numbers[1] = &u;
    }
    for (int i = 0; i < 2; ++i)
      if (types[i] && numbers[i]) add(types[i], *numbers[i], i == 1);
  }

  // IF and loop blocks by their statements. They do not nest in a run; an
  // unclosed or stray statement is the check's to report.
  void flow(int id, Span s) {
    auto open = [&](Block::Kind k) -> Block* {
      for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (m_.blocks[*it].kind == k) return &m_.blocks[*it];
      return nullptr;
    };
    auto close = [&](Block::Kind k, std::size_t end, std::size_t end_section) {
      for (auto it = open_.rbegin(); it != open_.rend(); ++it)
        if (m_.blocks[*it].kind == k) {
          m_.blocks[*it].whole.end = end;
          m_.blocks[*it].end_section = end_section;
          open_.erase(std::next(it).base());
          return;
        }
    };
    if (id == kTestTool_If || id == kTestTool_LoopStart) {
      const Block::Kind k = id == kTestTool_If ? Block::kIf : Block::kLoop;
      if (open(k)) close(k, s.at, m_.sections.size());
      open_.push_back(m_.blocks.size());
      m_.blocks.push_back({k, {s.at, s.end}, m_.sections.size(), m_.sections.size()});
    } else if (id == kTestTool_EndIf) {
      close(Block::kIf, s.end, m_.sections.size() + 1);
    } else if (id == kTestTool_JumpToLoopStart) {
      close(Block::kLoop, s.end, m_.sections.size() + 1);
    }
  }

  void close_blocks() {
    for (std::size_t i : open_) {
      Block& b = m_.blocks[i];
      b.end_section = m_.sections.size();
      b.whole.end = m_.sections.empty() ? b.whole.end : std::max(b.whole.end, m_.sections.back().whole.end);
    }
    open_.clear();
  }

  std::string_view t_;
  std::size_t pos_ = 0;
  Model m_;
  std::vector<std::size_t> open_;  // open IF and loop blocks
};

}  // namespace

Model analyse(std::string_view text) { return Scanner(text).run(); }

}  // namespace kr::lsp
