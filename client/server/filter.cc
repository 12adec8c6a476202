#include "filter.h"

#include "clock.h"

#include <pvxj/base.h>

#include <cctype>
#include <charconv>

namespace pvxjsim {

namespace {

// --- column whitelists ------------------------------------------------------

const EnumName kAuditModes[] = {{"NOT_SET", 0}, {"NO_AUDIT", 1}, {"CONDENSED", 2},
                                {"FULL", 3},    {"FILTER", 4},   {nullptr, 0}};

const EnumName kProcessStates[] = {{"READY", 1},       {"RUNNING", 2},    {"FINISHED", 4},
                                   {"TERMINATED", 8},  {"SUSPENDED", 16}, {"TERMINATING", 32},
                                   {"SUSPENDING", 64}, {"DELETED", 128},  {nullptr, 0}};

const EnumName kActivityStates[] = {
    {"READY", 1},          {"RUNNING", 2},         {"FINISHED", 4},      {"TERMINATED", 8},
    {"SUSPENDED", 16},     {"INACTIVE", 32},       {"CHECKED_OUT", 64},  {"IN_ERROR", 128},
    {"EXECUTED", 256},     {"PLANNING", 512},      {"FORCE_FINISHED", 1024}, {"SKIPPED", 2048},
    {"DELETED", 4096},     {"TERMINATING", 8192},  {"SUSPENDING", 16384}, {"EXPIRED", 32768},
    {nullptr, 0}};

const EnumName kItemStates[] = {
    {"READY", 1},          {"RUNNING", 2},         {"FINISHED", 4},      {"TERMINATED", 8},
    {"SUSPENDED", 16},     {"DISABLED", 32},       {"CHECKED_OUT", 64},  {"IN_ERROR", 128},
    {"EXECUTED", 256},     {"PLANNING", 512},      {"FORCE_FINISHED", 1024}, {"DELETED", 4096},
    {"TERMINATING", 8192}, {"SUSPENDING", 16384},  {"EXPIRED", 32768},   {nullptr, 0}};

const EnumName kActivityKinds[] = {{"PROCESS", 1}, {"PROGRAM", 2}, {"BLOCK", 16}, {nullptr, 0}};

const EnumName kItemKinds[] = {{"WORKITEM", 1},
                               {"PROCESS_INSTANCE_NOTIFICATION", 3},
                               {"FIRST_ACTIVITY_INSTANCE_NOTIFICATION", 4},
                               {"SECOND_ACTIVITY_INSTANCE_NOTIFICATION", 5},
                               {"EXPIRY_ACTIVITY_INSTANCE_NOTIFICATION", 2},
                               {nullptr, 0}};

const EnumName kReceivedAs[] = {{"NORMAL", 1},
                                {"SUBSTITUTE", 2},
                                {"PROCESS_ADMINISTRATOR", 3},
                                {"SYSTEM_ADMINISTRATOR", 4},
                                {"BY_TRANSFER", 5},
                                {nullptr, 0}};

using T = ColumnType;

// --- lexer --------------------------------------------------------------------

bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool Lex(std::string_view in, std::vector<Token>* out, std::string* error, bool members) {
  size_t i = 0;
  while (true) {
    while (i < in.size() && (in[i] == ' ' || in[i] == '\t' || in[i] == '\n' || in[i] == '\r'))
      ++i;
    Token t;
    t.pos = i;
    if (i >= in.size()) {
      t.type = Tok::kEnd;
      out->push_back(t);
      return true;
    }
    char c = in[i];
    if (IsIdentStart(c)) {
      size_t j = i;
      // Qualified member names ("Customer.Name", "Items[2]") are one word.
      while (j < in.size() &&
             (IsIdentChar(in[j]) ||
              (members && (in[j] == '.' || in[j] == '[' || in[j] == ']'))))
        ++j;
      t.type = Tok::kIdent;
      t.raw = std::string(in.substr(i, j - i));
      t.text = Upper(t.raw);
      i = j;
    } else if (c == '\'') {
      t.type = Tok::kString;
      ++i;
      bool closed = false;
      while (i < in.size()) {
        if (in[i] == '\'') {
          if (i + 1 < in.size() && in[i + 1] == '\'') {
            t.text += '\'';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        t.text += in[i++];
      }
      if (!closed) {
        *error = "unterminated text starting at position " + std::to_string(t.pos);
        return false;
      }
    } else if ((c >= '0' && c <= '9') ||
               (c == '-' && i + 1 < in.size() && in[i + 1] >= '0' && in[i + 1] <= '9')) {
      size_t j = i + 1;
      while (j < in.size() && in[j] >= '0' && in[j] <= '9') ++j;
      if (members && j + 1 < in.size() && in[j] == '.' && in[j + 1] >= '0' && in[j + 1] <= '9') {
        ++j;
        while (j < in.size() && in[j] >= '0' && in[j] <= '9') ++j;
        if (j < in.size() && IsIdentChar(in[j])) {
          *error = "malformed number at position " + std::to_string(i);
          return false;
        }
        t.type = Tok::kFloat;
        t.text = std::string(in.substr(i, j - i));
        t.real = std::strtod(t.text.c_str(), nullptr);
        i = j;
        out->push_back(std::move(t));
        continue;
      }
      if (j < in.size() && IsIdentChar(in[j])) {
        *error = "malformed number at position " + std::to_string(i);
        return false;
      }
      t.type = Tok::kInt;
      auto [p, ec] = std::from_chars(in.data() + i, in.data() + j, t.number);
      if (ec != std::errc() || p != in.data() + j) {
        *error = "number out of range at position " + std::to_string(i);
        return false;
      }
      t.text = std::string(in.substr(i, j - i));
      i = j;
    } else if (c == '(') {
      t.type = Tok::kLParen;
      ++i;
    } else if (c == ')') {
      t.type = Tok::kRParen;
      ++i;
    } else if (c == ',') {
      t.type = Tok::kComma;
      ++i;
    } else if (c == '=' || c == '<' || c == '>' || c == '!') {
      t.type = Tok::kOp;
      size_t j = i + 1;
      if (j < in.size() && ((c == '<' && (in[j] == '=' || in[j] == '>')) ||
                            ((c == '>' || c == '!') && in[j] == '=')))
        ++j;
      t.text = std::string(in.substr(i, j - i));
      if (t.text == "!") {
        *error = "unexpected '!' at position " + std::to_string(i);
        return false;
      }
      i = j;
    } else {
      *error = "unexpected character at position " + std::to_string(i);
      return false;
    }
    out->push_back(std::move(t));
  }
}



const ObjectKind& ProcessTemplateKind() {
  static const ObjectKind kind{
      "process template",
      {{"NAME", "t.name", T::kText},
       {"DESCRIPTION", "t.description", T::kText},
       {"CATEGORY", "t.category", T::kText},
       {"DOCUMENTATION", "t.documentation", T::kText},
       {"ORGANIZATION", "t.organization", T::kText},
       {"ROLE", "t.role_name", T::kText},
       {"PROCESS_ADMIN", "t.process_admin", T::kText},
       {"AUDIT_MODE", "t.audit_mode", T::kInt, kAuditModes},
       {"IN_CONTAINER", "t.in_container", T::kText},
       {"OUT_CONTAINER", "t.out_container", T::kText},
       {"VALID_FROM", "t.valid_from", T::kTime},
       {"CREATION_TIME", "t.created", T::kTime},
       {"LAST_MODIFICATION_TIME", "t.modified", T::kTime}}};
  return kind;
}

const ObjectKind& ProcessInstanceKind() {
  static const ObjectKind kind{
      "process instance",
      {{"NAME", "t.name", T::kText},
       {"STATE", "t.state", T::kInt, kProcessStates},
       {"DESCRIPTION", "t.description", T::kText},
       {"CATEGORY", "t.category", T::kText},
       {"STARTER", "t.starter", T::kText},
       {"CREATOR", "t.creator", T::kText},
       {"PROCESS_ADMIN", "t.process_admin", T::kText},
       {"PROCESS_TEMPLATE_NAME",
        "(SELECT p.name FROM process_templates p WHERE p.id = t.template_id)", T::kText, nullptr,
        "t.template_id", "SELECT p.id FROM process_templates p WHERE", "p.name"},
       {"PARENT_NAME", "(SELECT x.name FROM process_instances x WHERE x.id = t.parent_id)",
        T::kText, nullptr, "t.parent_id", "SELECT x.id FROM process_instances x WHERE", "x.name"},
       {"TOP_LEVEL_NAME",
        "(SELECT x.name FROM process_instances x WHERE x.id = t.top_level_id)", T::kText, nullptr,
        "t.top_level_id", "SELECT x.id FROM process_instances x WHERE", "x.name"},
       {"SYSTEM_NAME", "t.system_name", T::kText},
       {"SYSTEM_GROUP_NAME", "t.system_group", T::kText},
       {"CREATION_TIME", "t.created", T::kTime},
       {"START_TIME", "t.started", T::kTime},
       {"END_TIME", "t.ended", T::kTime},
       {"LAST_STATE_CHANGE_TIME", "t.last_state_change", T::kTime},
       {"LAST_MODIFICATION_TIME", "t.modified", T::kTime}}};
  return kind;
}

const ObjectKind& ActivityInstanceKind() {
  static const ObjectKind kind{
      "activity instance",
      {{"NAME", "t.name", T::kText},
       {"STATE", "t.state", T::kInt, kActivityStates},
       {"PRIORITY", "t.priority", T::kInt},
       {"STARTER", "t.starter", T::kText},
       {"KIND", "(SELECT a.kind FROM activities a WHERE a.id = t.activity_id)", T::kInt,
        kActivityKinds, "t.activity_id", "SELECT a.id FROM activities a WHERE", "a.kind"},
       {"DESCRIPTION", "(SELECT a.description FROM activities a WHERE a.id = t.activity_id)",
        T::kText, nullptr, "t.activity_id", "SELECT a.id FROM activities a WHERE",
        "a.description"},
       {"PROCESS_INSTANCE_NAME",
        "(SELECT x.name FROM process_instances x WHERE x.id = t.process_instance_id)", T::kText,
        nullptr, "t.process_instance_id", "SELECT x.id FROM process_instances x WHERE", "x.name"},
       {"CREATION_TIME", "t.created", T::kTime},
       {"ACTIVATION_TIME", "t.activated", T::kTime},
       {"START_TIME", "t.started", T::kTime},
       {"END_TIME", "t.ended", T::kTime},
       {"LAST_STATE_CHANGE_TIME", "t.last_state_change", T::kTime},
       {"LAST_MODIFICATION_TIME", "t.modified", T::kTime}}};
  return kind;
}

const ObjectKind& ItemKind() {
  static const ObjectKind kind{
      "item",
      {{"NAME", "t.name", T::kText},
       {"STATE", "t.state", T::kInt, kItemStates},
       {"KIND", "t.kind", T::kInt, kItemKinds},
       {"OWNER", "(SELECT u.user_id FROM persons u WHERE u.id = t.owner_id)", T::kText, nullptr,
        "t.owner_id", "SELECT u.id FROM persons u WHERE", "u.user_id"},
       {"RECEIVED_AS", "t.received_as", T::kInt, kReceivedAs},
       {"PRIORITY", "t.priority", T::kInt},
       {"DESCRIPTION", "t.description", T::kText},
       {"CATEGORY", "t.category", T::kText},
       {"PROCESS_INSTANCE_NAME",
        "(SELECT x.name FROM process_instances x WHERE x.id = t.process_instance_id)", T::kText,
        nullptr, "t.process_instance_id", "SELECT x.id FROM process_instances x WHERE", "x.name"},
       {"CREATION_TIME", "t.created", T::kTime},
       {"RECEIVED_TIME", "t.received", T::kTime},
       {"START_TIME", "t.started", T::kTime},
       {"END_TIME", "t.ended", T::kTime},
       {"ON_HOLD_TIME", "t.on_hold", T::kTime},
       {"LAST_MODIFICATION_TIME", "t.modified", T::kTime}}};
  return kind;
}

namespace {

bool Blank(const char* text) {
  if (!text) return true;
  for (const char* p = text; *p; ++p)
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return false;
  return true;
}

// Names (of objects and of persons) compare without regard to case, as the
// server treats them everywhere else; other texts compare as written.
bool IsNameColumn(const ColumnDef& col) {
  if (col.type != ColumnType::kText || col.enums) return false;
  const std::string_view n = col.name;
  return n == "NAME" || (n.size() > 5 && n.substr(n.size() - 5) == "_NAME") || n == "OWNER" || n == "STARTER" ||
         n == "CREATOR" || n == "PROCESS_ADMIN";
}

const ColumnDef* FindColumn(const ObjectKind& kind, const std::string& name) {
  for (const ColumnDef& c : kind.columns)
    if (name == c.name) return &c;
  return nullptr;
}

// Turns a LIKE pattern (* or % any text, ? one character, backslash escapes)
// into a GLOB pattern,
// which SQLite matches case-sensitively like the other comparisons.
std::string LikeToGlob(const std::string& pattern) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      char n = pattern[++i];
      if (n == '*' || n == '?' || n == '[') {
        out += '[';
        out += n;
        out += ']';
      } else {
        out += n;
      }
    } else if (c == '*' || c == '?') {
      out += c;
    } else if (c == '%') {
      out += '*';  // SQL's spelling of "any text"
    } else if (c == '[') {
      out += "[[]";
    } else {
      out += c;
    }
  }
  return out;
}

// The text every match of a LIKE pattern begins with, lower-cased as a
// case-insensitive comparison sees it ("" when it begins with a wildcard).
std::string LikePrefix(const std::string& pattern) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      c = pattern[++i];
    } else if (c == '*' || c == '?' || c == '%') {
      break;
    }
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

bool TimeValue(const std::string& s, std::string* out) {
  // February 30th and the like are refused, not compared.
  int64_t seconds;
  if (!ParseTimeText(s, &seconds)) return false;
  *out = FormatTime(seconds);
  return true;
}

// The API's own enumeration names stand for the same values: Pvx_PS_Running
// is RUNNING, Pvx_AS_CheckedOut CHECKED_OUT (compared upper-cased, without
// the underscores of the filter's own names). The group must be the column's.
bool ApiNameMatches(const EnumName* table, const std::string& word, const char* name) {
  const char* group = table == kProcessStates    ? "PVX_PS_"
                      : table == kActivityStates ? "PVX_AS_"
                      : table == kItemStates     ? "PVX_IS_"
                      : table == kAuditModes     ? "PVX_TA_"
                      : table == kActivityKinds  ? "PVX_AT_"
                      : table == kItemKinds      ? "PVX_IT_"
                                                 : nullptr;
  if (!group || word.rfind(group, 0) != 0) return false;
  std::string bare;
  for (const char* p = name; *p; ++p)
    if (*p != '_') bare += *p;
  return word.substr(7) == bare;
}

class Parser {
 public:
  Parser(const ObjectKind& kind, std::vector<Token> tokens, const std::string& user,
         CompiledFilter* out)
      : kind_(kind), toks_(std::move(tokens)), user_(user), out_(out) {}

  int32_t Parse(std::string* error) {
    int32_t rc = Or(0, &out_->sql);
    if (rc == PVX_OK && Peek().type != Tok::kEnd) rc = Fail("unexpected text");
    if (rc != PVX_OK) *error = error_;
    return rc;
  }

 private:
  const Token& Peek() const { return toks_[pos_]; }
  const Token& Next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
  bool IsWord(const char* w) const { return Peek().type == Tok::kIdent && Peek().text == w; }

  int32_t Fail(const std::string& msg, int32_t rc = PVX_ERROR_INVALID_FILTER) {
    if (error_.empty()) error_ = msg + " at position " + std::to_string(Peek().pos);
    return rc;
  }

  int32_t Or(int depth, std::string* sql) {
    if (depth > kMaxFilterDepth) return Fail("filter nested too deeply");
    std::string part;
    if (int32_t rc = And(depth, &part)) return rc;
    *sql = part;
    bool many = false;
    while (IsWord("OR")) {
      Next();
      if (int32_t rc = And(depth, &part)) return rc;
      *sql += " OR " + part;
      many = true;
    }
    if (many) *sql = "(" + *sql + ")";
    return PVX_OK;
  }

  int32_t And(int depth, std::string* sql) {
    std::string part;
    if (int32_t rc = Unary(depth, &part)) return rc;
    *sql = part;
    bool many = false;
    while (IsWord("AND")) {
      Next();
      if (int32_t rc = Unary(depth, &part)) return rc;
      *sql += " AND " + part;
      many = true;
    }
    if (many) *sql = "(" + *sql + ")";
    return PVX_OK;
  }

  int32_t Unary(int depth, std::string* sql) {
    if (depth > kMaxFilterDepth) return Fail("filter nested too deeply");
    if (IsWord("NOT")) {
      Next();
      std::string inner;
      ++negated_;
      int32_t rc = Unary(depth + 1, &inner);
      --negated_;
      if (rc) return rc;
      *sql = "(NOT " + inner + ")";
      return PVX_OK;
    }
    if (Peek().type == Tok::kLParen) {
      Next();
      if (int32_t rc = Or(depth + 1, sql)) return rc;
      if (Peek().type != Tok::kRParen) return Fail("')' expected");
      Next();
      return PVX_OK;
    }
    return Condition(sql);
  }

  // Binds one value for column col; appends "?" to sql.
  int32_t Value(const ColumnDef& col, std::string* sql) {
    const Token& t = Peek();
    SqlValue v;
    switch (t.type) {
      case Tok::kString:
        if (col.type == ColumnType::kInt)
          return Fail("text compared with numeric column " + std::string(col.name),
                      PVX_ERROR_INVALID_COMPARISON_VALUE);
        if (col.type == ColumnType::kTime) {
          std::string norm;
          if (!TimeValue(t.text, &norm))
            return Fail("time of " + std::string(col.name) +
                            " must be 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS'",
                        PVX_ERROR_INVALID_COMPARISON_VALUE);
          v = norm;
        } else {
          v = t.text;
        }
        break;
      case Tok::kInt:
        if (col.type != ColumnType::kInt)
          return Fail("number compared with text column " + std::string(col.name),
                      PVX_ERROR_INVALID_COMPARISON_VALUE);
        v = t.number;
        break;
      case Tok::kIdent:
        if (t.text == "CURRENT_USER") {
          if (col.type != ColumnType::kText)
            return Fail("CURRENT_USER compared with non-text column",
                        PVX_ERROR_INVALID_COMPARISON_VALUE);
          v = user_;
          break;
        }
        if (col.enums) {
          for (const EnumName* e = col.enums; e->name; ++e)
            if (t.text == e->name || ApiNameMatches(col.enums, t.text, e->name)) v = e->value;
          if (v.index() != 0) break;
          return Fail("unknown value " + t.text + " for " + col.name,
                      PVX_ERROR_INVALID_COMPARISON_VALUE);
        }
        return Fail("a value is expected, not " + t.text);
      default:
        return Fail("a value is expected");
    }
    Next();
    out_->params.push_back(std::move(v));
    *sql += "?";
    return PVX_OK;
  }

  int32_t Condition(std::string* sql) {
    if (Peek().type != Tok::kIdent) return Fail("column name expected");
    const ColumnDef* col = FindColumn(kind_, Peek().text);
    if (!col) return Fail("unknown column " + Peek().text + " for a " + kind_.name);
    if (++conditions_ > kMaxFilterConditions) return Fail("filter has too many conditions");
    Next();
    const bool name = IsNameColumn(*col);
    std::string lhs = name ? std::string(col->sql) + " COLLATE NOCASE" : std::string(col->sql);
    // A looked-up column is matched in its own table and the rows found by
    // their key: "key IN (ids whose column matches)". Where a missing value
    // must count (NOT, <>, IS NULL) the row's own look-up stays, since a
    // row without a key is unknown there, not merely unmatched.
    const bool via = col->via_key && negated_ == 0;
    const std::string via_lhs =
        via ? std::string(col->via_column) + (name ? " COLLATE NOCASE" : "") : std::string();
    auto via_wrap = [&](const std::string& condition) {
      return "(" + std::string(col->via_key) + " IN (" + col->via_select + " " + condition + "))";
    };

    bool negate = false;
    if (IsWord("NOT")) {
      Next();
      negate = true;
      if (!IsWord("LIKE") && !IsWord("IN")) return Fail("LIKE or IN expected after NOT");
    }
    if (IsWord("LIKE")) {
      Next();
      if (col->type != ColumnType::kText) return Fail("LIKE needs a text column");
      if (Peek().type != Tok::kString) return Fail("LIKE needs a quoted pattern");
      const std::string pattern = Peek().text;
      out_->params.push_back(name ? Upper(LikeToGlob(pattern)) : LikeToGlob(pattern));
      Next();
      // A name pattern with a fixed beginning also bounds the name, so that
      // the name's index finds the candidates. The bound may let through
      // more than the pattern (never less): the pattern still decides.
      std::string range;
      std::string prefix = name && !negate ? LikePrefix(pattern) : std::string();
      if (!prefix.empty() && static_cast<unsigned char>(prefix.back()) < 0xff) {
        std::string above = prefix;
        above.back() = static_cast<char>(above.back() + 1);
        const std::string subject = via ? via_lhs : lhs;
        range = " AND " + subject + " >= ? AND " + subject + " < ?";
        out_->params.push_back(prefix);
        out_->params.push_back(above);
      }
      if (via && !negate) {
        const std::string subject =
            name ? "upper(" + std::string(col->via_column) + ")" : via_lhs;
        *sql = via_wrap(subject + " GLOB ?" + range);
        return PVX_OK;
      }
      const std::string subject = name ? "upper(" + std::string(col->sql) + ")" : lhs;
      *sql = std::string(negate ? "(NOT " : "(") + subject + " GLOB ?" + range + ")";
      return PVX_OK;
    }
    if (IsWord("IN")) {
      Next();
      if (Peek().type != Tok::kLParen) return Fail("'(' expected after IN");
      Next();
      std::string list;
      int count = 0;
      while (true) {
        if (++count > kMaxFilterConditions) return Fail("IN list too long");
        if (!list.empty()) list += ",";
        if (int32_t rc = Value(*col, &list)) return rc;
        if (Peek().type == Tok::kComma) {
          Next();
          continue;
        }
        if (Peek().type == Tok::kRParen) {
          Next();
          break;
        }
        return Fail("',' or ')' expected in IN list");
      }
      if (via && !negate)
        *sql = via_wrap(via_lhs + " IN (" + list + ")");
      else
        *sql = "(" + lhs + (negate ? " NOT IN (" : " IN (") + list + "))";
      return PVX_OK;
    }
    if (IsWord("IS")) {
      Next();
      bool is_not = false;
      if (IsWord("NOT")) {
        Next();
        is_not = true;
      }
      if (!IsWord("NULL")) return Fail("NULL expected after IS");
      Next();
      *sql = "(" + lhs + (is_not ? " IS NOT NULL)" : " IS NULL)");
      return PVX_OK;
    }
    if (Peek().type != Tok::kOp) return Fail("comparison operator expected");
    std::string op = Next().text;
    if (op == "!=") op = "<>";
    std::string rhs;
    if (int32_t rc = Value(*col, &rhs)) return rc;
    // A missing value differs from every given one: SQL's <> would call the
    // comparison unknown and drop the row.
    if (op == "<>")
      *sql = "(" + lhs + " IS NOT " + rhs + ")";
    else if (via)
      *sql = via_wrap(via_lhs + " " + op + " " + rhs);
    else
      *sql = "(" + lhs + " " + op + " " + rhs + ")";
    return PVX_OK;
  }

  const ObjectKind& kind_;
  std::vector<Token> toks_;
  const std::string& user_;
  CompiledFilter* out_;
  size_t pos_ = 0;
  int conditions_ = 0;
  int negated_ = 0;  // NOTs around the condition being read
  std::string error_;
};

}  // namespace

int32_t CompileFilter(const ObjectKind& kind, const char* text, const std::string& current_user,
                      CompiledFilter* out, std::string* error) {
  *out = CompiledFilter{};
  if (Blank(text)) return PVX_OK;
  std::string_view in(text);
  if (in.size() > kMaxFilterLength) {
    *error = "filter too long";
    return PVX_ERROR_INVALID_FILTER;
  }
  std::vector<Token> tokens;
  if (!Lex(in, &tokens, error)) return PVX_ERROR_INVALID_FILTER;
  Parser parser(kind, std::move(tokens), current_user, out);
  int32_t rc = parser.Parse(error);
  if (rc != PVX_OK) *out = CompiledFilter{};
  return rc;
}

int32_t CompileSort(const ObjectKind& kind, const char* text, std::string* order_by,
                    std::string* error) {
  order_by->clear();
  if (Blank(text)) return PVX_OK;
  std::string_view in(text);
  if (in.size() > kMaxFilterLength) {
    *error = "sort criteria too long";
    return PVX_ERROR_INVALID_SORT;
  }
  std::vector<Token> toks;
  if (!Lex(in, &toks, error)) return PVX_ERROR_INVALID_SORT;
  size_t i = 0;
  std::string out;
  int terms = 0;
  while (true) {
    if (toks[i].type != Tok::kIdent) {
      *error = "column name expected at position " + std::to_string(toks[i].pos);
      return PVX_ERROR_INVALID_SORT;
    }
    const ColumnDef* col = FindColumn(kind, toks[i].text);
    if (!col) {
      *error = "unknown column " + toks[i].text + " for a " + kind.name;
      return PVX_ERROR_INVALID_SORT;
    }
    if (++terms > kMaxFilterConditions) {
      *error = "too many sort terms";
      return PVX_ERROR_INVALID_SORT;
    }
    ++i;
    const char* dir = " ASC";
    if (toks[i].type == Tok::kIdent && (toks[i].text == "ASC" || toks[i].text == "DESC")) {
      if (toks[i].text == "DESC") dir = " DESC";
      ++i;
    }
    if (!out.empty()) out += ", ";
    out += col->sql;
    out += dir;
    if (toks[i].type == Tok::kEnd) break;
    if (toks[i].type != Tok::kComma) {
      *error = "',' expected at position " + std::to_string(toks[i].pos);
      return PVX_ERROR_INVALID_SORT;
    }
    ++i;
  }
  *order_by = out;
  return PVX_OK;
}

}  // namespace pvxjsim
