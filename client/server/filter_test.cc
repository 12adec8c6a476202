// The filter and sort compiler on its own, including random and hostile
// input: whatever it accepts must be valid SQL with every value bound.
#include "filter.h"

#include <gtest/gtest.h>
#include <pvxj/pvxj.h>

#include <random>

#include "store.h"

namespace pvxjsim {
namespace {

struct Compiled {
  int32_t rc;
  std::string sql;
  std::vector<SqlValue> params;
};

Compiled Filter(const char* text, const ObjectKind& kind = ProcessInstanceKind()) {
  CompiledFilter out;
  std::string error;
  int32_t rc = CompileFilter(kind, text, "USER1", &out, &error);
  if (rc != PVX_OK) {
    EXPECT_FALSE(error.empty()) << text;
  }
  return {rc, out.sql, out.params};
}

int32_t SortRc(const char* text, std::string* order = nullptr) {
  std::string o, error;
  int32_t rc = CompileSort(ProcessInstanceKind(), text, &o, &error);
  if (order) *order = o;
  return rc;
}

TEST(FilterTest, ConditionsBecomeParameterisedSql) {
  Compiled c = Filter("NAME = 'x'");
  ASSERT_EQ(c.rc, PVX_OK);
  EXPECT_EQ(c.sql, "(t.name COLLATE NOCASE = ?)");  // a name: case does not count
  EXPECT_EQ(c.params, (std::vector<SqlValue>{std::string("x")}));

  c = Filter("state in (READY, 2) and not (starter is null or name != 'a''b')");
  ASSERT_EQ(c.rc, PVX_OK);
  EXPECT_EQ(c.sql, "((t.state IN (?,?)) AND (NOT ((t.starter COLLATE NOCASE IS NULL) OR (t.name COLLATE NOCASE IS NOT ?))))");
  EXPECT_EQ(c.params, (std::vector<SqlValue>{int64_t{1}, int64_t{2}, std::string("a'b")}));

  c = Filter("START_TIME < '2024-05-01' AND STARTER = CURRENT_USER");
  ASSERT_EQ(c.rc, PVX_OK);
  EXPECT_EQ(c.params,
            (std::vector<SqlValue>{std::string("2024-05-01 00:00:00"), std::string("USER1")}));
}

TEST(FilterTest, LikePatternsUseStarAndQuestionMarkOnly) {
  auto pattern = [](const char* text) {
    Compiled c = Filter(text);
    EXPECT_EQ(c.rc, PVX_OK) << text;
    return c.params.empty() ? std::string("?") : std::get<std::string>(c.params[0]);
  };
  EXPECT_EQ(pattern("DESCRIPTION LIKE 'Pro*'"), "Pro*");
  EXPECT_EQ(pattern("DESCRIPTION LIKE 'a?c'"), "a?c");
  EXPECT_EQ(pattern("DESCRIPTION LIKE '50\\*'"), "50[*]");
  EXPECT_EQ(pattern("DESCRIPTION LIKE '[x]'"), "[[]x]");
  EXPECT_EQ(pattern("DESCRIPTION LIKE '100%_'"), "100*_");  // % as in SQL: any text
  EXPECT_EQ(pattern("DESCRIPTION LIKE '100\\%'"), "100%");
  // A name's pattern meets the upper-cased name.
  EXPECT_EQ(pattern("NAME LIKE 'Pro*'"), "PRO*");
  EXPECT_EQ(Filter("NAME NOT LIKE 'a*'").sql, "(NOT upper(t.name) GLOB ?)");
  EXPECT_EQ(Filter("STATE LIKE 'R*'").rc, PVX_ERROR_INVALID_FILTER);
}

TEST(FilterTest, ValuesMustFitTheirColumn) {
  EXPECT_EQ(Filter("STATE = 'READY'").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("STATE = SLEEPING").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("NAME = 5").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("START_TIME = 'yesterday'").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("START_TIME = '2024-01-01 25:00'").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("STATE = CURRENT_USER").rc, PVX_ERROR_INVALID_COMPARISON_VALUE);
  EXPECT_EQ(Filter("NAME = READY").rc, PVX_ERROR_INVALID_FILTER);  // no enum on text
  EXPECT_EQ(Filter("STATE = 99999999999999999999").rc, PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(Filter("STATE = -4").rc, PVX_OK);
}

TEST(FilterTest, MalformedFiltersAreRefused) {
  for (const char* bad :
       {"NAME", "NAME =", "NAME = 'x", "NAME = 'x' extra", "AND NAME = 'x'", "NOT", "()",
        "(NAME = 'x'", "NAME IN ()", "NAME IN ('a',)", "NAME IN 'a'", "NAME IS 'x'",
        "NAME IS NOT", "NAME NOT = 'x'", "NAME ! 'x'", "NAME = 'x' ;", "NAME = 12abc",
        "NAME = 'x' OR", "\xC3\xA9 = 'x'", "NAME = `x`", "UNKNOWN_COLUMN = 1"})
    EXPECT_EQ(Filter(bad).rc, PVX_ERROR_INVALID_FILTER) << bad;
  EXPECT_EQ(Filter(nullptr).rc, PVX_OK);
  EXPECT_EQ(Filter(nullptr).sql, "");
  EXPECT_EQ(Filter(" \t\n").sql, "");
}

TEST(FilterTest, DeepOrLongFiltersAreRefusedNotCrashed) {
  std::string deep(100000, '(');
  EXPECT_EQ(Filter(deep.c_str()).rc, PVX_ERROR_INVALID_FILTER);
  std::string nots;
  for (int i = 0; i < 5000; ++i) nots += "NOT ";
  nots += "NAME = 'x'";
  EXPECT_EQ(Filter(nots.c_str()).rc, PVX_ERROR_INVALID_FILTER);
  std::string wide = "NAME = 'x'";
  for (int i = 0; i < kMaxFilterConditions; ++i) wide += " OR NAME = 'x'";
  EXPECT_EQ(Filter(wide.c_str()).rc, PVX_ERROR_INVALID_FILTER);
  std::string nested = "NAME = 'x'";
  for (int i = 0; i < kMaxFilterDepth - 2; ++i) nested = "(" + nested + ")";
  EXPECT_EQ(Filter(nested.c_str()).rc, PVX_OK);
}

TEST(FilterTest, SortCriteria) {
  std::string order;
  ASSERT_EQ(SortRc("name desc , STATE", &order), PVX_OK);
  EXPECT_EQ(order, "t.name DESC, t.state ASC");
  EXPECT_EQ(SortRc(nullptr, &order), PVX_OK);
  EXPECT_EQ(order, "");
  for (const char* bad : {"NAME,", ",", "NAME STATE", "NAME DESC ASC", "NAME; DROP", "'NAME'",
                          "GHOST", "NAME DOWN", "(NAME)"})
    EXPECT_EQ(SortRc(bad), PVX_ERROR_INVALID_SORT) << bad;
}

// Random filters generated from the grammar, some of them then damaged:
// every accepted one must prepare and run, with no user text in the SQL.
class FilterGenerator {
 public:
  explicit FilterGenerator(unsigned seed) : rng_(seed) {}

  std::string Expr(int depth) {
    switch (depth > 3 ? 0 : Pick(5)) {
      case 1: return Expr(depth + 1) + " AND " + Expr(depth + 1);
      case 2: return Expr(depth + 1) + " OR " + Expr(depth + 1);
      case 3: return "NOT " + Expr(depth + 1);
      case 4: return "(" + Expr(depth + 1) + ")";
      default: return Condition();
    }
  }

  // Replaces, drops or duplicates one character.
  std::string Damage(std::string s) {
    if (s.empty()) return s;
    size_t at = Pick(static_cast<int>(s.size()));
    const char noise[] = "'();,=<>*?-\\\"x 0";
    switch (Pick(3)) {
      case 0: s[at] = noise[Pick(sizeof noise - 1)]; break;
      case 1: s.erase(at, 1); break;
      default: s.insert(at, 1, s[at]); break;
    }
    return s;
  }

  int Pick(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

 private:
  std::string Condition() {
    static const char* text_cols[] = {"NAME", "STARTER", "description", "Process_Template_Name"};
    static const char* int_values[] = {"READY", "running", "4", "-1", "DELETED"};
    static const char* text_values[] = {"'a'", "'it''s'", "'%_'", "CURRENT_USER", "'\\*x'"};
    static const char* ops[] = {"=", "<>", "!=", "<", "<=", ">", ">="};
    switch (Pick(6)) {
      case 0: return std::string("STATE ") + ops[Pick(7)] + " " + int_values[Pick(5)];
      case 1: return std::string("STATE IN (") + int_values[Pick(5)] + ", " + int_values[Pick(5)] + ")";
      case 2: return std::string(text_cols[Pick(4)]) + (Pick(2) ? " NOT" : "") + " LIKE 'P*o?'";
      case 3: return std::string(text_cols[Pick(4)]) + " IS" + (Pick(2) ? " NOT" : "") + " NULL";
      case 4: return std::string("START_TIME ") + ops[Pick(7)] + " '2024-03-0" + std::to_string(1 + Pick(9)) + "'";
      default: return std::string(text_cols[Pick(4)]) + " " + ops[Pick(7)] + " " + text_values[Pick(5)];
    }
  }
  std::mt19937 rng_;
};

TEST(FilterTest, GeneratedFiltersAreRefusedOrRunnable) {
  std::string error;
  auto store = Store::Open(":memory:", &error);
  ASSERT_TRUE(store) << error;
  FilterGenerator gen(12345);
  int accepted = 0, refused = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string text = gen.Expr(0);
    if (gen.Pick(3) == 0) text = gen.Damage(text);
    CompiledFilter out;
    int32_t rc = CompileFilter(ProcessInstanceKind(), text.c_str(), "U", &out, &error);
    if (rc != PVX_OK) {
      ASSERT_TRUE(rc == PVX_ERROR_INVALID_FILTER || rc == PVX_ERROR_INVALID_COMPARISON_VALUE)
          << text;
      ++refused;
      continue;
    }
    ++accepted;
    ASSERT_EQ(out.sql.find('\''), std::string::npos) << text;
    std::string sql = "SELECT count(*) FROM process_instances t WHERE 1";
    if (!out.sql.empty()) sql += " AND " + out.sql;
    Stmt q(store->db(), sql);
    for (size_t p = 0; p < out.params.size(); ++p) q.Bind(static_cast<int>(p + 1), out.params[p]);
    ASSERT_NO_THROW(q.Step()) << text;
  }
  EXPECT_GT(accepted, 2500);
  EXPECT_GT(refused, 200);
}

TEST(FilterTest, RandomBytesNeverCrashTheCompiler) {
  std::mt19937 rng(777);
  std::string error;
  for (int i = 0; i < 20000; ++i) {
    std::string text(rng() % 40, '\0');
    for (char& c : text) c = static_cast<char>(1 + rng() % 255);
    CompiledFilter out;
    std::string order;
    CompileFilter(ItemKind(), text.c_str(), "U", &out, &error);
    CompileSort(ItemKind(), text.c_str(), &order, &error);
  }
}

}  // namespace
}  // namespace pvxjsim

namespace pvxjsim {
namespace {

TEST(FilterApiNamesTest, EnumerationNamesOfTheApiAreAccepted) {
  CompiledFilter f;
  std::string error;
  ASSERT_EQ(CompileFilter(ProcessInstanceKind(), "STATE = Pvx_PS_Running", "U", &f, &error), PVX_OK)
      << error;
  ASSERT_EQ(f.params.size(), 1u);
  EXPECT_EQ(std::get<int64_t>(f.params[0]), 2);
  CompiledFilter g;
  ASSERT_EQ(CompileFilter(ActivityInstanceKind(), "STATE IN (Pvx_AS_CheckedOut, READY)", "U", &g,
                          &error),
            PVX_OK)
      << error;
  EXPECT_EQ(std::get<int64_t>(g.params[0]), 64);
  CompiledFilter h;
  EXPECT_EQ(CompileFilter(ProcessInstanceKind(), "STATE = Pvx_AS_Running", "U", &h, &error),
            PVX_ERROR_INVALID_COMPARISON_VALUE);  // another enumeration's name
}

TEST(FilterValuesTest, ImpossibleDatesPercentAndMissingValues) {
  CompiledFilter f;
  std::string error;
  EXPECT_EQ(CompileFilter(ProcessInstanceKind(), "START_TIME > '2024-02-30'", "U", &f, &error),
            PVX_ERROR_INVALID_COMPARISON_VALUE);
  CompiledFilter g;
  ASSERT_EQ(CompileFilter(ProcessInstanceKind(), "NAME LIKE 'Cr%'", "U", &g, &error), PVX_OK);
  EXPECT_EQ(std::get<std::string>(g.params[0]), "CR*");

  // Against the store: a template without a role is "different from" any role.
  std::string err;
  auto store = Store::Open(":memory:", &err);
  ASSERT_NE(store, nullptr);
  CompiledFilter h;
  ASSERT_EQ(CompileFilter(ProcessTemplateKind(), "ROLE <> 'Approver'", "U", &h, &error), PVX_OK);
  Stmt q(store->db(), "SELECT count(*) FROM process_templates t WHERE " + h.sql);
  q.Bind(1, h.params[0]);
  ASSERT_TRUE(q.Step());
  EXPECT_EQ(q.Int(0), 4);  // all but CreditRequest, though their role is not set
}

}  // namespace
}  // namespace pvxjsim
