#include "record/recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "check/api_view.h"
#include "core/keywords.h"
#include "core/reader.h"
#include "core/run_context.h"
#include "diag/rc_names.h"
#include "lsp/model.h"

namespace kr {

namespace {

bool contains(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// Offsets of the run's input (CR LF read as LF) in the original bytes.
std::vector<std::size_t> original_offsets(std::string_view original) {
  std::vector<std::size_t> at;
  at.reserve(original.size() + 1);
  for (std::size_t r = 0; r < original.size(); ++r) {
    if (original[r] == '\r' && r + 1 < original.size() && original[r + 1] == '\n') continue;
    at.push_back(r);
  }
  at.push_back(original.size());
  return at;
}

std::size_t line_start(std::string_view t, std::size_t at) {
  while (at > 0 && t[at - 1] != '\n') --at;
  return at;
}

// The white space that begins the line holding `at`.
std::string_view indent_of(std::string_view t, std::size_t at) {
  const std::size_t b = line_start(t, at);
  std::size_t e = b;
  while (e < t.size() && (t[e] == ' ' || t[e] == '\t')) ++e;
  return t.substr(b, e - b);
}

}  // namespace

std::string quoted_value(const char* text) {
  if (!text) return "NULL";
  std::string q = "\"";
  for (const char* p = text; *p; ++p) {
    if (*p == '"') q.push_back('"');
    q.push_back(*p);
  }
  q.push_back('"');
  return q;
}

bool volatile_result(int keyword_id) {
  const std::string_view k = keyword_text(keyword_id);
  if (const std::optional<check::ApiMethod> m = check::api_method(keyword_id))
    if (m->expect == check::ApiMethod::Expect::kDouble) return false;
  if (contains(k, "Time") && !contains(k, "Timeout")) return true;
  for (std::string_view w : {"Date", "Oid", "ProgramID", "SessionID", "SessionId", "Identifier", "CorrelId",
                             "ObjectID"})
    if (contains(k, w)) return true;
  return false;
}

bool Recorder::wanted(const RunContext& ctx) const {
  if (!api_ || ctx.ifs.if_mode) return false;  // between IF and THEN a check is the IF expression
  return s_.volatile_values || !volatile_result(ctx.keyword_id);
}

void Recorder::begin(const RunContext& ctx) {
  section_ = ctx.in.token_start();
  api_ = check::api_method(keyword_id(ctx.keyword)).has_value();
}

void Recorder::saw_rc(const RunContext& ctx, std::string_view name) {
  if (!api_ || ctx.ifs.if_mode) return;  // return codes never vary by themselves
  Observation& o = seen_[section_];
  if (name.empty() || (o.rc_seen && o.rc != name)) o.rc_varies = true;
  o.rc_seen = true;
  o.rc.assign(name);
}

void Recorder::saw_value(const RunContext& ctx, std::string written) {
  if (!wanted(ctx)) return;
  Observation& o = seen_[section_];
  if (written.empty() || (o.value_seen && o.value != written)) o.value_varies = true;
  o.value_seen = true;
  o.value = std::move(written);
}

std::string recorded_text(std::string_view original, const Observations& seen, bool all) {
  const std::vector<std::size_t> at = original_offsets(original);
  const lsp::Model m = lsp::analyse(original);
  // Edits by original offset: [from, to) replaced by text; applied from the back.
  struct Edit {
    std::size_t from, to;
    std::string text;
  };
  std::vector<Edit> edits;
  const bool crlf = original.find("\r\n") != std::string_view::npos;
  for (const lsp::Section& s : m.sections) {
    if (s.tool || !s.closed) continue;
    // The run's offset of this keyword.
    const auto it_at = std::lower_bound(at.begin(), at.end(), s.word.at);
    if (it_at == at.end() || *it_at != s.word.at) continue;
    const auto found = seen.find(static_cast<std::size_t>(it_at - at.begin()));
    if (found == seen.end()) continue;
    const Observation& o = found->second;
    const lsp::ParamUse* rc = nullptr;
    const lsp::ParamUse* value = nullptr;
    bool like = false;
    for (const lsp::ParamUse& u : s.params) {
      if (u.keyword == kXpRc) rc = &u;
      if (u.keyword == kXpValue) value = &u;
      if (u.keyword == kXpValueLike) like = true;
    }
    std::vector<std::string> add;
    auto replace = [&](const lsp::ParamUse* u, const std::string& text) {
      if (!all || !u->has_value) return;
      // An expectation that holds keeps the tester's spelling (values compare without case).
      if (iequals(original.substr(u->value.at, u->value.end - u->value.at), text)) return;
      edits.push_back({u->value.at, u->value.end, text});
    };
    if (o.rc_seen && !o.rc_varies) {
      if (!rc) add.push_back("XpRc " + o.rc);
      else replace(rc, o.rc);
    }
    if (o.value_seen && !o.value_varies && !like) {
      if (!value) add.push_back("XpValue " + o.value);
      else replace(value, o.value);
    }
    if (add.empty()) continue;
    const std::size_t end_at = s.whole.end - 3;  // "End" closes the section
    std::string text;
    if (line_start(original, end_at) + indent_of(original, end_at).size() == end_at) {
      // "End" on a line of its own: one line per expectation, indented as the
      // parameter above it.
      std::string_view indent = "   ";
      if (!s.params.empty() && line_start(original, s.params.back().word.at) != line_start(original, s.word.at))
        indent = indent_of(original, s.params.back().word.at);
      for (const std::string& a : add) text.append(indent).append(a).append(crlf ? "\r\n" : "\n");
      edits.push_back({line_start(original, end_at), line_start(original, end_at), text});
    } else {
      for (const std::string& a : add) text.append(a).append(" ");
      edits.push_back({end_at, end_at, text});
    }
  }
  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.from < b.from; });
  std::string out;
  out.reserve(original.size() + edits.size() * 24);
  std::size_t pos = 0;
  for (const Edit& e : edits) {
    if (e.from < pos) continue;  // never two edits on one place
    out.append(original.substr(pos, e.from - pos));
    out.append(e.text);
    pos = e.to;
  }
  out.append(original.substr(pos));
  return out;
}

int Recorder::write(std::string_view original) const {
  const std::string text = recorded_text(original, seen_, s_.all);
  FILE* f = std::fopen(s_.file.c_str(), "wb");
  if (!f) return errno ? errno : EIO;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const int e = ok ? 0 : (errno ? errno : EIO);
  if (std::fclose(f) != 0 && ok) return errno ? errno : EIO;
  return e;
}

void record_rc(RunContext& ctx, uint32_t rc) {
  if (!ctx.recorder) return;
  const std::string_view name = rc_name(rc);
  ctx.recorder->saw_rc(ctx, name == "???" ? std::string_view() : name);
}

void record_text(RunContext& ctx, std::optional<std::string_view> actual) {
  if (!ctx.recorder) return;
  const std::optional<check::ApiMethod> m = check::api_method(ctx.keyword_id);
  if (!m) return;
  std::string w;
  switch (m->expect) {
    case check::ApiMethod::Expect::kText:
      if (!actual) {
        w = "NULL";
      } else if (actual->size() <= 255) {
        w = quoted_value(std::string(*actual).c_str());
        if (w.size() != actual->size() + 2 + static_cast<std::size_t>(std::count(actual->begin(), actual->end(), '"')))
          w.clear();  // a NUL inside: not writable
      }
      break;
    case check::ApiMethod::Expect::kBool:
      if (actual) w = iequals(*actual, "true") ? "TRUE" : iequals(*actual, "false") ? "FALSE" : "";
      break;
    default:
      // One word: a name of an enumeration, a number.
      if (actual && !actual->empty() && actual->size() <= 255 &&
          std::none_of(actual->begin(), actual->end(), [](char c) { return is_token_space(static_cast<unsigned char>(c)); }))
        w.assign(*actual);
  }
  ctx.recorder->saw_value(ctx, std::move(w));
}

void record_word(RunContext& ctx, std::string written) {
  if (ctx.recorder) ctx.recorder->saw_value(ctx, std::move(written));
}

}  // namespace kr
