#include "check/checker.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>
#include <string_view>
#include <utility>

#include "api/catalogue.h"
#include "check/api_view.h"
#include "check/structure.h"
#include "check/values.h"
#include "core/class_lookup.h"
#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/reader.h"
#include "core/registry.h"
#include "core/section.h"
#include "diag/rc_names.h"
#include "eval/hex.h"
#include "toolmethods/flow_control.h"
#include "toolmethods/method_params.h"

namespace kr::check {
namespace {

using api::Form;

bool starts_with(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
std::string kw(int id) { return std::string(keyword_text(id)); }

class Checker {
 public:
  explicit Checker(std::string bytes) : in_(std::move(bytes)), r_(in_, findings_) {}

  std::vector<Finding> run() {
    std::string_view tok = in_.token();
    if (tok.empty()) error(0, "the file holds no token [TC0005]");
    while (!is_eof_token(tok) && !stopped_) {
      // A file of nothing but mistakes would hold more findings than bytes.
      if (findings_.raw.size() >= kMaxFindings) {
        warning(in_.token_start(), "more than " + std::to_string(kMaxFindings) +
                                       " findings: the rest of the file is not checked");
        stopped_ = true;
        break;
      }
      top_level(tok, in_.token_start());
      tok = in_.token();
    }
    if (!stopped_) end_of_file();
    std::vector<Findings::Raw>& raw = findings_.raw;
    std::stable_sort(raw.begin(), raw.end(),
                     [](const Findings::Raw& a, const Findings::Raw& b) { return a.at < b.at; });
    std::vector<Finding> out;
    out.reserve(raw.size());
    for (Findings::Raw& r : raw) {
      const Input::LineColumn lc = in_.line_column(r.at);
      out.push_back({lc.line, lc.column, r.severity, std::move(r.message)});
    }
    return out;
  }

 private:
  void error(std::size_t at, std::string m) { findings_.error(at, std::move(m)); }
  void warning(std::size_t at, std::string m) { findings_.warning(at, std::move(m)); }

  // ---- Top level ------------------------------------------------------------

  void top_level(std::string_view tok, std::size_t at) {
    if (tok.size() > kMaxKeywordLength && !starts_with(tok, "/*")) {
      error(at, "keyword longer than " + std::to_string(kMaxKeywordLength) + " characters [TC0010]");
      r_.begin(at);
      r_.skip_to_end();
      return;
    }
    const int cls = class_of(tok);
    if (cls == kSkipTagClass) {
      skip_tag(tok, at);
      return;
    }
    if (cls == kEnd) {
      warning(at, "'End' without a section: ignored");
      return;
    }
    if (cls == kTESTTOOL || cls == kTESTRESOURCE) {
      tool_section(tok, at);
      return;
    }
    if (is_api_class(cls)) {
      api_section(tok, at);
      return;
    }
    if (starts_with(tok, "/*")) {
      comment(tok, at);
      return;
    }
    unknown_method(tok, at);
  }

  void unknown_method(std::string_view tok, std::size_t at) {
    error(at, "unknown API method or tool method " + shown(tok) + " [TC0006]");
    r_.begin(at);
    r_.skip_to_end();
  }

  void skip_tag(std::string_view tok, std::size_t at) {
    std::string_view closing;
    switch (keyword_id(tok)) {
      case kNOT_C_Open:
        closing = "</NOT_C>";
        break;
      case kNOT_WORKSTATION_Open:
        closing = "</NOT_WORKSTATION>";
        break;
      case kNOT_C_Close:
      case kNOT_CPP_Open:
      case kNOT_CPP_Close:
      case kNOT_JAVA_Open:
      case kNOT_JAVA_Close:
      case kNOT_X_Open:
      case kNOT_X_Close:
      case kNOT_VB_Open:
      case kNOT_VB_Close:
      case kNOT_VANTOR_Open:
      case kNOT_VANTOR_Close:
      case kNOT_VANTORTPX_Open:
      case kNOT_VANTORTPX_Close:
      case kNOT_WORKSTATION_Close:
        return;
      default:
        unknown_method(tok, at);
        return;
    }
    // A skip block is discarded unread; only its end matters.
    for (;;) {
      std::string_view t = in_.token();
      if (t.empty()) {
        warning(at, shown(tok) + " is not closed by '" + std::string(closing) + "': the rest of the file is skipped");
        return;
      }
      if (iequals(t, closing)) return;
    }
  }

  void comment(std::string_view first, std::size_t at) {
    if (first.find("*/") != std::string_view::npos) return;
    for (;;) {
      std::string_view t = in_.token();
      if (is_eof_token(t)) {
        error(at, "comment not closed by '*/' before the end of the file: the run breaks off [TC0022]");
        stopped_ = true;
        return;
      }
      if (t.find("/*") != std::string_view::npos) {
        error(in_.token_start() + t.find("/*"),
              "'/*' inside a comment (comments do not nest): the run breaks off [TC0022]");
        stopped_ = true;
        return;
      }
      if (t.find("*/") != std::string_view::npos) return;
    }
  }

  void end_of_file() { structure_.end_of_file(findings_); }

  // ---- Reading inside a section ---------------------------------------------

  // ---- API sections -----------------------------------------------------------

  struct Given {
    bool given = false;
    std::size_t at = 0;
    int32_t number = 0;
    bool null = false;
  };

  void api_section(std::string_view tok, std::size_t at) {
    const std::optional<ApiMethod> method = api_method(keyword_id(tok));
    if (!method) {
      unknown_method(tok, at);
      return;
    }
    const ApiMethod* row = &*method;
    const std::span<const api::Param> params = row->params;
    r_.begin(at);
    std::vector<Given> given(params.size());
    bool vector_form = false, expectation = false;
    Given vector_receiver;
    const bool rc_set = row->expect == ApiMethod::Expect::kRc;
    // Families with one parameter set read XpRc and XpValue in every method.
    const bool both = row->family->both_expectations;
    for (;;) {
      std::string_view t;
      std::size_t t_at;
      if (r_.take(&t, &t_at) != St::kOk) return;
      const int id = keyword_id(t);
      if (id == kEnd) break;
      St s = St::kOk;
      if (id == kXpRc && (rc_set || row->rc_first)) {
        std::string_view v;
        std::size_t v_at;
        if ((s = r_.word(&v, &v_at)) != St::kOk) return;
        expectation = true;
        uint32_t rc;
        if (!rc_value(v, &rc)) {
          std::string hint;
          if (rc_value(upper_ascii(v), &rc)) hint = " (names compare with case: " + upper_ascii(v) + "?)";
          error(v_at, "unknown return-code name " + shown(v) + " for XpRc: the check cannot pass" + hint);
        }
        continue;
      }
      if ((id == kXpValue && !rc_set) || (id == kXpValueLike && row->like)) {
        if ((s = expectation_value(*row, t_at)) != St::kOk) return;
        expectation = row->expect != ApiMethod::Expect::kNothing;
        continue;
      }
      if ((id == kXpRc && both) || (id == kXpValue && both)) {
        std::size_t v_at;
        if ((s = r_.any_value(kw(id), &v_at)) != St::kOk) return;
        warning(t_at, std::string(row->keyword) + (rc_set ? " returns a return code" : " returns a value") +
                          ": " + kw(id) + " is not evaluated");
        continue;
      }
      if (id != 0 && id == row->receiver_vector) {
        if (!row->vector_form) {
          error(t_at, shown(t) + ": " + kw(params[0].keyword) + " cannot be given as a vector in " +
                          std::string(row->keyword) + " [TC0016]");
          r_.abandon(false);
          return;
        }
        vector_form = true;
        vector_receiver.given = true;
        if ((s = r_.handle_number(kw(id), &vector_receiver.number, &vector_receiver.at)) != St::kOk) return;
        continue;
      }
      const api::Param* p = row->family->accepted(id);
      if (!p) {
        if (starts_with(t, "/*"))
          error(t_at, "a comment cannot stand inside a section [TC0010]");
        else if (is_statement_word(t))
          error(t_at, "'End' of " + std::string(row->keyword) + " missing before " + shown(t) + " [TC0010]");
        else if (id == kXpRc || id == kXpValue || id == kXpValueLike)
          error(t_at, shown(t) + " does not apply to " + std::string(row->keyword) +
                          (rc_set ? ", which returns a return code (XpRc)" : ", which returns a value (XpValue)") +
                          " [TC0010]");
        else
          error(t_at, "unknown parameter " + shown(t) + " for " + std::string(row->keyword) + " [TC0010]");
        r_.abandon(false);
        return;
      }
      const int k = index_of(params, id);
      if (k < 0)
        warning(t_at,
                kw(id) + " belongs to another method of the family: " + std::string(row->keyword) + " ignores it");
      Given scratch;
      Given& g = k >= 0 ? given[static_cast<std::size_t>(k)] : scratch;
      if ((s = api_value(k >= 0 ? params[static_cast<std::size_t>(k)] : *p, g)) != St::kOk) return;
    }

    if (expectation) structure_.expectation();
    // What the run finds only when it echoes the parameters after "End".
    for (std::size_t k = 0; k < params.size(); ++k) {
      const api::Param& p = params[k];
      const Given& g = given[k];
      if (k == 0 && vector_form) continue;
      const bool handle = p.form == Form::kIn || p.form == Form::kOut || p.form == Form::kAppend;
      if (handle && !g.given && !p.optional && !row->own_steps)
        error(r_.section_at(), std::string(row->keyword) + " without " + kw(p.keyword) +
                                   ": handle 0 is out of the handle range 1-49 [TC0015]");
    }
    if (vector_form) use_handle(row->receiver_vector, vector_receiver);
    for (std::size_t k = 0; k < params.size(); ++k) {
      if (k == 0 && vector_form) continue;
      if (params[k].form == Form::kIn) use_handle(params[k].keyword, given[k]);
    }
    for (std::size_t k = 0; k < params.size(); ++k) {
      const api::Param& p = params[k];
      if ((p.form == Form::kOut || p.form == Form::kAppend) && given[k].given)
        create_handle(p.keyword, given[k].number);
    }
  }

  static int index_of(std::span<const api::Param> params, int id) {
    for (std::size_t i = 0; i < params.size(); ++i)
      if (params[i].keyword == id) return static_cast<int>(i);
    return -1;
  }

  St expectation_value(const ApiMethod& row, std::size_t keyword_at) {
    std::size_t at;
    switch (row.expect) {
      case ApiMethod::Expect::kText: {
        std::string v;
        bool nd;
        return r_.text("XpValue", kMaxTokenLength, &v, &nd, &at);
      }
      case ApiMethod::Expect::kLong: {
        int64_t n;
        return r_.number("XpValue", std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &n, &at);
      }
      case ApiMethod::Expect::kULong: {
        int64_t n;
        return r_.number("XpValue", 0, std::numeric_limits<uint32_t>::max(), &n, &at);
      }
      case ApiMethod::Expect::kDouble:
        return r_.double_value(&at);
      case ApiMethod::Expect::kBool: {
        std::string_view t;
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        if (!iequals(t, "TRUE") && !iequals(t, "FALSE"))
          error(at, "XpValue of " + std::string(row.keyword) + " expects TRUE or FALSE, not " + shown(t) +
                        ": the check cannot pass");
        return St::kOk;
      }
      case ApiMethod::Expect::kWord: {
        std::string_view t;
        return r_.take(&t, &at);
      }
      default: {
        if (St s = r_.any_value("XpValue", &at); s != St::kOk) return s;
        warning(keyword_at, std::string(row.keyword) + " returns nothing to compare: XpValue is not evaluated");
        return St::kOk;
      }
    }
  }

  St api_value(const api::Param& p, Given& g) {
    const std::string what = kw(p.keyword);
    g = Given{};
    g.given = true;
    int64_t n = 0;
    switch (p.form) {
      case Form::kIn:
      case Form::kOut:
      case Form::kAppend:
        return r_.handle_number(what, &g.number, &g.at, p.or_none);
      case Form::kSessionSlot:
      case Form::kOidSlot:
      case Form::kStreamSlot:
        return r_.handle_number(what, &g.number, &g.at);
      case Form::kCorrelOrNull:
      case Form::kULongOrNull: {
        const int c = in_.peek_nonspace();
        if (c == 'N' || c == 'n') {
          std::string_view t;
          if (St s = r_.take(&t, &g.at); s != St::kOk) return s;
          if (iequals(t, "NULL")) {
            g.null = true;
            return St::kOk;
          }
          error(g.at, what + " expects a number or NULL, not " + shown(t) + " [TC0007]");
          return r_.abandon(false);
        }
        if (p.form == Form::kCorrelOrNull) return r_.handle_number(what, &g.number, &g.at);
        return r_.number(what, 0, std::numeric_limits<uint32_t>::max(), &n, &g.at);
      }
      case Form::kULongOrDefault: {
        const int c = in_.peek_nonspace();
        if (c == 'D' || c == 'd') {
          std::string_view t;
          if (St s = r_.take(&t, &g.at); s != St::kOk) return s;
          if (iequals(t, "DEFAULT")) return St::kOk;
          error(g.at, what + " expects a number or DEFAULT, not " + shown(t) + " [TC0007]");
          return r_.abandon(false);
        }
        return r_.number(what, 0, std::numeric_limits<uint32_t>::max(), &n, &g.at);
      }
      case Form::kLong:
      case Form::kLongBack:
        return r_.number(what, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &n, &g.at);
      case Form::kULong:
        return r_.number(what, 0, std::numeric_limits<uint32_t>::max(), &n, &g.at);
      case Form::kUShort:
        return r_.number(what, 0, std::numeric_limits<uint16_t>::max(), &n, &g.at);
      case Form::kText:
      case Form::kTextCl:
      case Form::kTextDefault:
      case Form::kFileIn:
      case Form::kFileOut:
      case Form::kHex: {
        std::string v;
        bool nd = false;
        St s = r_.text(what, kMaxTokenLength, &v, &nd, &g.at);
        if (s == St::kOk && p.form == Form::kHex && !nd) hex(what, v, g.at);
        return s;
      }
      case Form::kWord: {
        std::string_view t;
        return r_.take(&t, &g.at);
      }
      case Form::kBool: {
        if (p.keyword != kDeep) return r_.boolean(what, &g.at);
        std::string_view t;  // Deep: any word, true only for TRUE
        return r_.take(&t, &g.at);
      }
      case Form::kEnum: {
        std::string_view t;
        if (St s = r_.take(&t, &g.at); s != St::kOk) return s;
        enumeration(p, t, g.at);
        return St::kOk;
      }
    }
    return St::kOk;
  }

  void hex(const std::string& what, std::string_view v, std::size_t at) {
    if (v.size() % 2 != 0) {
      error(at, "hex value of " + what + " ends with a half byte [TC0031]");
      return;
    }
    for (char c : v)
      if (hex_digit_value(c) < 0) {
        error(at, "hex value of " + what + " holds " + shown(std::string_view(&c, 1)) + ", not a hex digit [TC0032]");
        return;
      }
  }

  // As the run converts: a name of the table, a number that is not 0 or -1,
  // or "0" itself.
  void enumeration(const api::Param& p, std::string_view t, std::size_t at) {
    if (p.enums)
      for (const api::EnumEntry& e : p.enums->entries)
        if (iequals(e.name, t)) return;
    const int64_t n = leading_number(t);
    if ((n != 0 && n != -1 && n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max()) ||
        t == "0")
      return;
    std::string m = "unknown enumeration value " + shown(t) + " for " + kw(p.keyword);
    if (p.enums && !p.enums->entries.empty()) {
      m += " (one of ";
      for (std::size_t i = 0; i < p.enums->entries.size(); ++i) {
        if (i) m += ", ";
        m += p.enums->entries[i].name;
      }
      m += ")";
    }
    error(at, m + " [TC0012]");
  }

  // ---- Handles created and used in the file ---------------------------------

  static std::pair<int, int> handle_key(int keyword, int32_t number) {
    const int table = HandleRegistry::table_of(keyword);
    return {table >= 0 ? 100000 + table : keyword, number};
  }

  void create_handle(int keyword, int32_t number) { created_.insert(handle_key(keyword, number)); }

  void use_handle(int keyword, const Given& g) {
    if (!g.given || g.number < 1 || g.number > kMaxHandleNumber) return;
    if (created_.count(handle_key(keyword, g.number))) return;
    warning(g.at, kw(keyword) + " " + std::to_string(g.number) +
                      " is used before any section of the file creates it: the API gets a null handle");
    create_handle(keyword, g.number);  // one warning per handle
  }

  // ---- Tool methods ----------------------------------------------------------

  void tool_section(std::string_view tok, std::size_t at) {
    const int id = keyword_id(tok);
    const ToolMethod* m = tool_method(id);
    if (!m || !m->carried_out) {
      unknown_method(tok, at);
      return;
    }
    count_ = {};
    structure_.statement(id, at, findings_);
    if (id == kTestTool_Terminate && !structure_.in_if() && !structure_.in_loop()) {
      // Nothing after an unconditional TestTool_Terminate is ever read.
      const std::size_t here = in_.pos();
      if (!is_eof_token(in_.token()))
        warning(in_.token_start(), "never run: TestTool_Terminate above skips the rest of the file");
      in_.seek(here);
      stopped_ = true;
      return;
    }
    if (!m->has_end) return;
    r_.begin(at);
    std::vector<bool> seen(m->params.size(), false);
    struct HandleArg {
      int type = 0;
      Given number;
    } origin, fresh;
    for (;;) {
      std::string_view t;
      std::size_t t_at;
      if (r_.take(&t, &t_at) != St::kOk) return;
      const int pid = keyword_id(t);
      if (pid == kEnd) break;
      const ToolParam* p = nullptr;
      for (std::size_t i = 0; i < m->params.size(); ++i)
        if (m->params[i].keyword == pid) {
          p = &m->params[i];
          seen[i] = true;
        }
      if (!p) {
        if (starts_with(t, "/*"))
          error(t_at, "a comment cannot stand inside a section [TC0010]");
        else if (is_statement_word(t))
          error(t_at, "'End' of " + kw(id) + " missing before " + shown(t) + " [TC0010]");
        else
          error(t_at, "unknown parameter " + shown(t) + " for " + kw(id) + " [TC0010]");
        r_.abandon(false);
        return;
      }
      HandleArg* h = (pid == kHdlTypeOrigin || pid == kHdlNumberOrigin) ? &origin : &fresh;
      if (pid == kNoOfLoops) {
        const std::size_t here = in_.pos();
        count_ = in_.token();
        in_.seek(here);
      }
      if (tool_value(*p, h->type, h->number) != St::kOk) return;
    }
    for (std::size_t i = 0; i < m->params.size(); ++i)
      if (m->params[i].required && !seen[i]) error(at, kw(id) + " without " + kw(m->params[i].keyword) + " [TC0008]");
    if (id == kTestTool_LoopStart && structure_.in_loop() && structure_.loop_at() == at && plans_no_pass()) {
      // A loop planned for no pass: the run skips its body token by token.
      for (;;) {
        std::string_view t = in_.token();
        if (is_eof_token(t)) return;  // the open loop is reported at the end
        if (keyword_id(t) == kTestTool_JumpToLoopStart) break;
      }
      structure_.loop_skipped();
      return;
    }
    if (id == kTestResource_TreatHandleAsHandleOfOtherType) {
      if (origin.type) use_handle(origin.type, origin.number);
      if (fresh.type && fresh.number.given) create_handle(fresh.type, fresh.number.number);
    }
  }

  St tool_value(const ToolParam& p, int& handle_type, Given& handle) {
    const std::string what = kw(p.keyword);
    std::string_view t;
    std::size_t at;
    int64_t n = 0;
    switch (p.value) {
      case ToolValue::kBool:
        return r_.boolean(what, &at);
      case ToolValue::kAnd:
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        if (iequals(t, "AND")) return St::kOk;
        error(at, what + " knows only AND, not " + shown(t) + " [TC0007]");
        return r_.abandon(iequals(t, "End"));
      case ToolValue::kText:
      case ToolValue::kOptions: {
        std::string v;
        bool nd;
        St s = r_.text(what, p.max_length, &v, &nd, &at);
        if (s == St::kOk && p.value == ToolValue::kOptions && !nd) options(v, at);
        return s;
      }
      case ToolValue::kLoopCount: {
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        if (iequals(t, "LastRetrievedVectorSize") || iequals(t, "LastRetrievedVectorSizeMinus1")) return St::kOk;
        const Count c = leading_count(t, 0, std::numeric_limits<uint32_t>::max(), &n);
        if (c != Count::kNumber || (n == 0 && t != "0"))
          error(at, what + " " + shown(t) +
                        " is not a count: the loop does not run (a number, LastRetrievedVectorSize or "
                        "LastRetrievedVectorSizeMinus1)");
        return St::kOk;
      }
      case ToolValue::kReturnCode: {
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        if (iequals(t, "CurrentLoopCount") || leading_count(t, std::numeric_limits<int32_t>::min(),
                                                            std::numeric_limits<int32_t>::max(), &n) == Count::kNumber)
          return St::kOk;
        error(at, what + " expects a number or CurrentLoopCount, not " + shown(t) + " [TC0007]");
        return r_.abandon(iequals(t, "End"));
      }
      case ToolValue::kSleepTime:
      case ToolValue::kMilliseconds: {
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        if (p.value == ToolValue::kSleepTime && iequals(t, "RANDOM")) return St::kOk;
        const Count c = leading_count(t, 0, std::numeric_limits<uint32_t>::max(), &n);
        if (c == Count::kOutOfRange || (c == Count::kNotNumber && p.value == ToolValue::kMilliseconds)) {
          error(at, what + " expects milliseconds, not " + shown(t) + " [TC0007]");
          return r_.abandon(iequals(t, "End"));
        }
        if (c == Count::kNotNumber) warning(at, what + " " + shown(t) + " is not a number: the sleep lasts 0 ms");
        return St::kOk;
      }
      case ToolValue::kHandleType: {
        if (St s = r_.take(&t, &at); s != St::kOk) return s;
        const int type = keyword_id(t);
        if (type >= 1 && type <= 65 && HandleRegistry::has_object_table(type)) {
          handle_type = type;
          return St::kOk;
        }
        error(at, what + " expects an object or vector handle keyword, not " + shown(t) + " [TC0012]");
        return St::kOk;
      }
      case ToolValue::kHandleNumber:
        handle.given = true;
        return r_.handle_number(what, &handle.number, &handle.at);
      case ToolValue::kWord:
        return r_.take(&t, &at);
    }
    return St::kOk;
  }

  // The count of the LoopStart just read is known to be 0: written as 0,
  // not a count at all, or not given.
  bool plans_no_pass() const {
    if (count_.empty()) return true;
    if (iequals(count_, "LastRetrievedVectorSize") || iequals(count_, "LastRetrievedVectorSizeMinus1")) return false;
    int64_t n = 0;
    return leading_count(count_, 0, std::numeric_limits<uint32_t>::max(), &n) != Count::kNumber || n == 0;
  }

  void options(const std::string& v, std::size_t at) {
    const std::string up = upper_ascii(v);
    for (std::string_view w : {"TESTCASE", "SECTION", "METHOD", "KXCLIENT", "TIMESTAMP", "PRINTAPINAME"})
      if (up.find(w) != std::string::npos) return;
    if (!v.empty()) warning(at, "no known option word in " + shown(v) + ": every timing switch is off");
  }

  Input in_;
  Findings findings_;
  SectionReader r_;
  bool stopped_ = false;
  Structure structure_;
  std::string_view count_;  // the NoOfLoops value of the LoopStart being read
  std::set<std::pair<int, int>> created_;
};

// The run's default extension, by the run's own rule.
std::string with_dat(const std::string& name) { return with_default_extension(name, ".dat"); }

std::string plural(std::size_t n, std::string_view word) {
  std::string r = std::to_string(n);
  r.append(" ").append(word);
  if (n != 1) r.push_back('s');
  return r;
}

}  // namespace

std::vector<Finding> check_text(std::string bytes) { return Checker(std::move(bytes)).run(); }

int check_files(const std::vector<std::string>& files, Sink& out) {
  std::size_t errors = 0, warnings = 0;
  for (const std::string& given : files) {
    const std::string name = with_dat(given);
    std::string data;
    std::vector<Finding> findings;
    switch (read_test_case_file(name, &data)) {
      case ReadResult::kOk: findings = check_text(std::move(data)); break;
      case ReadResult::kCannotOpen:
        findings.push_back({1, 1, Severity::kError, "cannot open the test case file [TC0001]"});
        break;
      case ReadResult::kTooLong:
        findings.push_back({1, 1, Severity::kError, "cannot open the test case file" + too_long_note() + " [TC0001]"});
    }
    for (const Finding& f : findings) {
      (f.severity == Severity::kError ? errors : warnings) += 1;
      std::string line = name;
      line.append(":").append(std::to_string(f.line)).append(":").append(std::to_string(f.column));
      line.append(f.severity == Severity::kError ? ": error: " : ": warning: ").append(f.message);
      out.line(line);
    }
  }
  out.line(plural(files.size(), "file") + " checked: " + plural(errors, "error") + ", " + plural(warnings, "warning"));
  out.flush();
  return errors ? 8 : 0;
}

}  // namespace kr::check
