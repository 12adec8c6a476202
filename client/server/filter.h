// Filters and sort criteria of queries and stored lists, compiled to SQL.
//
// Filter grammar (keywords and column names ignore case):
//
//   filter     := or-expr
//   or-expr    := and-expr { OR and-expr }
//   and-expr   := unary { AND unary }
//   unary      := NOT unary | '(' or-expr ')' | condition
//   condition  := COLUMN op value
//               | COLUMN [NOT] LIKE 'pattern'      -- * any text, ? one char,
//                                                   -- \* \? \\ literal
//               | COLUMN [NOT] IN '(' value { ',' value } ')'
//               | COLUMN IS [NOT] NULL
//   op         := '=' | '<>' | '!=' | '<' | '<=' | '>' | '>='
//   value      := 'text' ('' inside stands for ')
//               | integer
//               | NAME                              -- a state or kind name of an
//                                                   -- enumerated column, e.g. READY
//               | CURRENT_USER                      -- the logged-on user
//
// Sort criteria: COLUMN [ASC|DESC] { ',' COLUMN [ASC|DESC] }.
//
// Each object kind has its own whitelist of columns. User text only ever
// reaches SQLite as bound parameters; column names come from the whitelist.
#ifndef PVXJSIM_FILTER_H
#define PVXJSIM_FILTER_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store.h"

namespace pvxjsim {

enum class ColumnType { kText, kInt, kTime };

struct EnumName {
  const char* name;
  int64_t value;
};

struct ColumnDef {
  const char* name;  // as written in filters, upper case
  const char* sql;   // expression over the kind's table alias
  ColumnType type;
  const EnumName* enums = nullptr;  // terminated by {nullptr, 0}
  // For a column looked up in another table (sql a sub-select): the key
  // column of this table and the select of the other table's ids whose
  // column (via_column) matches, so that a filter finds the matches from
  // the other table's index and this table's key index instead of
  // evaluating the sub-select on every row.
  const char* via_key = nullptr;
  const char* via_select = nullptr;
  const char* via_column = nullptr;
};

struct ObjectKind {
  const char* name;
  std::vector<ColumnDef> columns;
};

// The lexer that filters and conditions share. Identifiers come upper-cased
// in text and as written in raw; with members set, '.', '[' and ']' continue
// an identifier (qualified member names) and decimal numbers are read too.
enum class Tok { kIdent, kString, kInt, kFloat, kOp, kLParen, kRParen, kComma, kEnd };

struct Token {
  Tok type;
  std::string text;  // identifier upper-cased, string unquoted, operator as written
  std::string raw;   // identifier as written
  int64_t number = 0;
  double real = 0;
  size_t pos = 0;
};

bool Lex(std::string_view in, std::vector<Token>* out, std::string* error, bool members = false);
std::string Upper(std::string_view s);

const ObjectKind& ProcessTemplateKind();
const ObjectKind& ProcessInstanceKind();
const ObjectKind& ActivityInstanceKind();
const ObjectKind& ItemKind();  // items, work items and notifications

struct CompiledFilter {
  std::string sql;  // "" when there is no filter
  std::vector<SqlValue> params;
};

// Returns PVX_OK, PVX_ERROR_INVALID_FILTER (cannot be parsed, unknown column,
// too complex) or PVX_ERROR_INVALID_COMPARISON_VALUE (a value that does not
// fit its column). NULL or blank text is no filter.
int32_t CompileFilter(const ObjectKind& kind, const char* text, const std::string& current_user,
                      CompiledFilter* out, std::string* error);

// Returns PVX_OK or PVX_ERROR_INVALID_SORT. *order_by gets the terms without
// "ORDER BY" ("" when there are none).
int32_t CompileSort(const ObjectKind& kind, const char* text, std::string* order_by,
                    std::string* error);

// Limits that keep hostile filters from exhausting the stack or SQLite's
// expression depth.
constexpr int kMaxFilterDepth = 32;
constexpr int kMaxFilterConditions = 200;
constexpr size_t kMaxFilterLength = 64 * 1024;

}  // namespace pvxjsim

#endif
