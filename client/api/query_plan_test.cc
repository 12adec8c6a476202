// Query plans: every attribute a query or stored list can filter on is found
// through an index, so that a filter costs about the same however many
// instances the store holds; and a store of the version before the indexes
// gets them when it is opened.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "engine.h"
#include "query_source.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

std::vector<std::string> Plan(Store& store, const std::string& sql) {
  std::vector<std::string> lines;
  Stmt q(store.db(), "EXPLAIN QUERY PLAN " + sql);
  while (q.Step()) lines.push_back(q.Text(3));
  return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// A plain comparison of the column with a value of its type.
std::string EqualsFilter(const ColumnDef& col) {
  std::string value = col.type == ColumnType::kText   ? "'x'"
                      : col.type == ColumnType::kTime ? "'2024-01-01'"
                      : col.enums                     ? col.enums[0].name
                                                      : "1";
  return std::string(col.name) + " = " + value;
}

QuerySource Items() {
  QuerySource src{&ItemKind(), "items", "t.owner_id = ?", {}};
  src.params.emplace_back(std::in_place_type<int64_t>, int64_t{1});
  return src;
}

TEST(QueryPlanTest, EveryFilterableAttributeIsFoundThroughAnIndex) {
  std::string error;
  auto store = Store::Open(":memory:", &error);
  ASSERT_NE(store, nullptr) << error;
  for (const QuerySource& source : {ProcessTemplateSource(), ProcessInstanceSource(),
                                    ActivityInstanceSource(), Items()}) {
    for (const ColumnDef& col : source.kind->columns) {
      for (const std::string& filter :
           {EqualsFilter(col), EqualsFilter(col) + " AND STATE IS NOT NULL"}) {
        // Templates have no state.
        if (filter.find(" AND ") != std::string::npos &&
            source.table == std::string("process_templates"))
          continue;
        CompiledFilter cf;
        ASSERT_EQ(CompileFilter(*source.kind, filter.c_str(), "U", &cf, &error), PVX_OK) << error;
        const std::vector<std::string> plan = Plan(*store, QuerySql(source, cf, "", true));
        const std::string shown = source.table + std::string(": ") + filter + "\n" + Joined(plan);
        for (const std::string& line : plan) {
          // No table is read through from end to end.
          EXPECT_NE(line.rfind("SCAN ", 0), 0u) << shown;
          // An item filter narrows the owner's items by its own column too.
          if (source.table == std::string("items") && std::string_view(col.name) != "OWNER")
            EXPECT_EQ(line.find("USING INDEX items_owner (owner_id=?)"), std::string::npos)
                << shown;
        }
      }
    }
  }
}

// The case-insensitive name comparison is the one most used; its plan is
// spelled out so that a change of collation cannot quietly undo it.
TEST(QueryPlanTest, NameFiltersUseTheCaseInsensitiveNameIndexes) {
  std::string error;
  auto store = Store::Open(":memory:", &error);
  ASSERT_NE(store, nullptr) << error;
  CompiledFilter cf;
  ASSERT_EQ(CompileFilter(ProcessInstanceKind(), "NAME = 'credit#1'", "U", &cf, &error), PVX_OK);
  std::string plan = Joined(Plan(*store, QuerySql(ProcessInstanceSource(), cf, "", false)));
  EXPECT_NE(plan.find("SEARCH t USING INDEX process_instances_name_nocase"), std::string::npos)
      << plan;
  // The binary index on the name is no help to that comparison: without
  // its own index the filter reads every instance.
  {
    WriteTx tx(*store);
    store->Exec("DROP INDEX process_instances_name_nocase");
    // Another text, so that no statement prepared before the drop is reused.
    plan = Joined(Plan(*store, QuerySql(ProcessInstanceSource(), cf, "", false) + " "));
    EXPECT_EQ(plan.rfind("SCAN t", 0), 0u) << plan;
  }  // rolled back

  // A LIKE pattern with a fixed beginning is found through the index too.
  ASSERT_EQ(CompileFilter(ProcessInstanceKind(), "NAME LIKE 'Cred%'", "U", &cf, &error), PVX_OK);
  plan = Joined(Plan(*store, QuerySql(ProcessInstanceSource(), cf, "", false)));
  EXPECT_NE(plan.find("SEARCH t USING INDEX process_instances_name_nocase (name>? AND name<?)"),
            std::string::npos)
      << plan;

  ASSERT_EQ(CompileFilter(ActivityInstanceKind(), "PROCESS_INSTANCE_NAME IN ('a', 'b')", "U", &cf,
                          &error),
            PVX_OK);
  plan = Joined(Plan(*store, QuerySql(ActivityInstanceSource(), cf, "", false)));
  EXPECT_NE(plan.find("SEARCH t USING INDEX activity_instances_process"), std::string::npos)
      << plan;
  EXPECT_NE(plan.find("INDEX process_instances_name_nocase"), std::string::npos) << plan;

  // Under NOT a row without a parent must stay unknown, as before: the row's
  // own look-up is kept there.
  ASSERT_EQ(CompileFilter(ProcessInstanceKind(), "NOT PARENT_NAME = 'p'", "U", &cf, &error),
            PVX_OK);
  EXPECT_EQ(cf.sql.find(" IN ("), std::string::npos) << cf.sql;
}

// The looked-up attributes find the same rows as before they were matched
// in their own table, without regard to case, and under NOT a row without
// the other object is still left out.
TEST(QueryPlanTest, LookedUpAttributesFindTheSameRows) {
  std::string error;
  auto store = Store::Open(":memory:", &error);
  ASSERT_NE(store, nullptr) << error;
  int64_t escalation = 0, request = 0;
  {
    WriteTx tx(*store);
    ASSERT_EQ(CreateInstance(*store, "CreditEscalation", "Esc", "USER2", &escalation), PVX_OK);
    ASSERT_EQ(StartInstance(*store, escalation, "USER2", nullptr), PVX_OK);
    ASSERT_EQ(CreateInstance(*store, "CreditRequest", "Req", "USER2", &request), PVX_OK);
    ASSERT_EQ(StartInstance(*store, request, "USER2", nullptr), PVX_OK);
    tx.Commit();
  }
  auto names = [&](const QuerySource& source, const char* filter) {
    std::vector<ElementRef> found;
    EXPECT_EQ(RunQuery(*store, source, filter, "NAME", std::nullopt, "USER2", &found), PVX_OK)
        << filter;
    std::vector<std::string> out;
    for (const ElementRef& e : found) out.push_back(e.name);
    return out;
  };
  using V = std::vector<std::string>;
  const QuerySource pis = ProcessInstanceSource();
  EXPECT_EQ(names(pis, "PARENT_NAME = 'esc'"), V{"Esc.FirstOpinion"});
  EXPECT_EQ(names(pis, "TOP_LEVEL_NAME IN ('ESC') AND NAME <> 'Esc'"), V{"Esc.FirstOpinion"});
  EXPECT_EQ(names(pis, "PARENT_NAME LIKE 'E%'"), V{"Esc.FirstOpinion"});
  // A pattern's fixed beginning bounds the name, without regard to case,
  // and the pattern still decides.
  EXPECT_EQ(names(pis, "NAME LIKE 'esc%'"), (V{"Esc", "Esc.FirstOpinion"}));
  EXPECT_EQ(names(pis, "NAME LIKE 'ES?.F%N'"), V{"Esc.FirstOpinion"});
  EXPECT_EQ(names(pis, "NAME LIKE 'Es'"), V{});
  EXPECT_EQ(names(pis, "NOT NAME LIKE 'E%' AND NAME NOT LIKE 'x%'"), V{"Req"});
  EXPECT_EQ(names(pis, "PROCESS_TEMPLATE_NAME = 'creditrequest'"), (V{"Esc.FirstOpinion", "Req"}));
  EXPECT_EQ(names(pis, "NOT PARENT_NAME = 'nobody'"), V{"Esc.FirstOpinion"});
  EXPECT_EQ(names(pis, "PARENT_NAME <> 'nobody'"), (V{"Esc", "Esc.FirstOpinion", "Req"}));
  EXPECT_EQ(names(pis, "PARENT_NAME = 'nobody'"), V{});

  std::vector<ElementRef> mine;
  ASSERT_EQ(RunQuery(*store, ActivityInstanceSource(), "PROCESS_INSTANCE_NAME = 'REQ'", nullptr,
                     std::nullopt, "USER2", &mine),
            PVX_OK);
  ASSERT_FALSE(mine.empty());
  for (const ElementRef& e : mine) {
    Stmt q(store->db(), "SELECT process_instance_id FROM activity_instances WHERE id=?");
    q.Bind(1, e.id);
    ASSERT_TRUE(q.Step());
    EXPECT_EQ(q.Int(0), request) << e.name;
  }
  EXPECT_EQ(names(ActivityInstanceSource(), "KIND = PROCESS"), V{"FirstOpinion"});
}

TEST(QueryPlanTest, AStoreOfTheVersionBeforeGetsTheIndexesWhenOpened) {
  TempDir dir;
  const std::string path = dir.File("old.db");
  std::string error;
  {
    auto store = Store::Open(path, &error);
    ASSERT_NE(store, nullptr) << error;
    store->Exec("DROP INDEX process_instances_name_nocase; DROP INDEX items_owner_name; "
                "PRAGMA user_version=2");
  }
  auto store = Store::OpenExisting(path, &error);
  ASSERT_NE(store, nullptr) << error;
  Stmt v(store->db(), "PRAGMA user_version");
  ASSERT_TRUE(v.Step());
  EXPECT_EQ(v.Int(0), kSchemaVersion);
  Stmt n(store->db(), "SELECT count(*) FROM sqlite_master WHERE type='index' AND name IN "
                      "('process_instances_name_nocase', 'items_owner_name')");
  ASSERT_TRUE(n.Step());
  EXPECT_EQ(n.Int(0), 2);
}

}  // namespace
}  // namespace pvxjsim
