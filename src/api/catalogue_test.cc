// The catalogue's rows must agree with the keyword table, the class lookup
// and each other; a mistake here would send a section to the wrong handler or
// read a value in the wrong form.
#include "api/catalogue.h"
#include "api/keyword_ids.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/class_lookup.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

TEST(Catalogue, EveryRowIsReachableByItsKeywordAndClass) {
  std::set<int> ids;
  for (const Family* f : families()) {
    for (const Row& r : f->rows) {
      EXPECT_GE(r.id, kFirstApiId);
      EXPECT_LE(r.id, kLastApiId);
      EXPECT_TRUE(ids.insert(r.id).second) << r.keyword;
      EXPECT_EQ(keyword_id(r.keyword), r.id) << r.keyword;
      EXPECT_EQ(keyword_text(r.id), r.keyword);
      EXPECT_EQ(row_for(r.id), &r);
      EXPECT_EQ(family_for_class(class_of(r.keyword)), f) << r.keyword;
      EXPECT_LE(r.params.size(), kMaxParams) << r.keyword;
      EXPECT_NE(r.invoke, nullptr) << r.keyword;
    }
  }
  EXPECT_EQ(row_for(kFirstApiId - 1), nullptr);
  EXPECT_EQ(row_for(kEnd), nullptr);
}

// The keyword table sits below the rows: it has the API keywords once their
// room hands them over, and a table built before that is not kept.
TEST(Catalogue, TheKeywordTableTakesTheApiKeywordsWhenTheyJoin) {
  set_api_keyword_source(nullptr);
  EXPECT_EQ(keyword_id("PvxjServiceIsLoggedOn"), 0);
  EXPECT_EQ(keyword_id("End"), kEnd);
  join_keyword_table();
  EXPECT_EQ(keyword_id("PvxjServiceIsLoggedOn"), kPvxjServiceIsLoggedOn);
  EXPECT_EQ(keyword_text(kPvxjServiceIsLoggedOn), "PvxjServiceIsLoggedOn");
}

// Two reports and the walk's average line are data: every row flagged for
// two reports takes XpRc and gives a value or has a report step, and only
// the work item family ends its walks with the average line.
TEST(Catalogue, TwoReportRowsAndWalkAverages) {
  for (const Family* f : families()) {
    EXPECT_EQ(f->walk_average, f->name == "PvxjWorkitem") << f->name;
    for (const Row& r : f->rows)
      if (r.flags & kRcAndValue)
        EXPECT_TRUE(r.result != Result::kRc && (r.result != Result::kNone || r.report)) << r.keyword;
  }
}

// A keyword is read the same way in every row of its family: the reader
// does not know which method of the family a value belongs to.
TEST(Catalogue, AKeywordHasOneReadingFormPerFamily) {
  auto reading = [](Form f) {
    switch (f) {
      case Form::kIn: case Form::kOut: case Form::kAppend: case Form::kSessionSlot:
      case Form::kOidSlot: case Form::kStreamSlot: case Form::kLong: case Form::kLongBack:
        return 0;  // a signed number
      case Form::kText: case Form::kTextCl: case Form::kTextDefault: case Form::kHex:
      case Form::kFileIn: case Form::kFileOut:
        return 1;  // quoted text
      default:
        return 2 + static_cast<int>(f);
    }
  };
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params) {
        const Param* a = f->accepted(p.keyword);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(reading(a->form), reading(p.form)) << r.keyword << " " << keyword_text(p.keyword);
      }
}

TEST(Catalogue, ParameterKeywordsAreNotSectionKeywords) {
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params) {
      EXPECT_FALSE(keyword_text(p.keyword).empty()) << p.keyword;
      EXPECT_TRUE(p.keyword < kFirstApiId || p.keyword > kLastApiId) << keyword_text(p.keyword);
    }
}

TEST(Catalogue, EnumerationNamesAndUnknownNumbers) {
  const Row* logon = row_for(keyword_id("PvxjExecutionServiceLogon"));
  ASSERT_NE(logon, nullptr);
  const EnumTable* modes = logon->params[static_cast<std::size_t>(param_index(*logon, kSessionMode))].enums;
  ASSERT_NE(modes, nullptr);
  EXPECT_EQ(modes->name_of(2), "Pvx_SM_PresentHere");
  EXPECT_EQ(modes->name_of(7), "???");
}

}  // namespace
}  // namespace kr::api

namespace kr::api {
namespace {

const Param& param_of(int row_id, int keyword) {
  const Row* r = row_for(row_id);
  return r->params[static_cast<std::size_t>(param_index(*r, keyword))];
}

// The ids are compile-time constants that agree with the keyword table.
static_assert(kPvxjExecutionServiceAllocate == kFirstApiId);
TEST(Catalogue, KeywordIdsAreTheRowConstants) {
  EXPECT_EQ(keyword_id("PvxjExecutionServiceLogon"), kPvxjExecutionServiceLogon);
  EXPECT_EQ(keyword_id("PvxjProcessTemplateVectorSize"), kPvxjProcessTemplateVectorSize);
  EXPECT_EQ(row_for(kPvxjProcessTemplateDeallocate)->keyword, "PvxjProcessTemplateDeallocate");
  EXPECT_EQ(family_of(*row_for(kPvxjProcessTemplateName))->name, "PvxjProcessTemplate");
  EXPECT_EQ(row_for(kApiIdsEnd), nullptr);
}

TEST(Catalogue, DisplayFormsOfTheSyntaxReference) {
  const int query = kPvxjExecutionServiceQueryProcessTemplates;
  EXPECT_EQ(display_form(param_of(query, kExecutionServiceHdl)), "i");
  EXPECT_EQ(display_form(param_of(query, kProcessTemplateVectorHdl)), "n | i+");
  EXPECT_EQ(display_form(param_of(query, kFilter)), "\"fi_value\" | NULL");
  EXPECT_EQ(display_form(param_of(query, kSortCriteria)), "\"sc_value\" | NULL");
  EXPECT_EQ(display_form(param_of(query, kThreshold)), "unsigned long | NULL");
  const ParamDisplay names = display(param_of(query, kShowAllObjectNames));
  EXPECT_EQ(names.keyword, "[ShowAllObjectNames");
  EXPECT_EQ(names.form, "TRUE | FALSE]");
  // Deep takes any word, yet a tester writes it as a flag, and may leave it out.
  const ParamDisplay deep = display(param_of(kPvxjProcessInstanceSuspendUntil, kDeep));
  EXPECT_EQ(deep.keyword, "[Deep");
  EXPECT_EQ(deep.form, "TRUE | FALSE]");

  const int logon = kPvxjExecutionServiceLogon;
  EXPECT_EQ(display_form(param_of(logon, kUserID)), "\"value\" | NULL | \"<CL-VALUE>\"");
  EXPECT_EQ(display_form(param_of(logon, kSessionMode)), "Pvx_SM_Default | Pvx_SM_Present | Pvx_SM_PresentHere");
  EXPECT_EQ(display(param_of(logon, kUserID)).keyword, "UserID");

  const int creds = kPvxjExecutionServiceLogonWithCredentials;
  EXPECT_EQ(display_form(param_of(creds, kUserCredentialsAsByteInHex)), "\"hex_value\" | NULL");
  EXPECT_EQ(display(param_of(creds, kUserCredentialsByteInputFileSpec)).form, "\"FileSpec\"]");
  EXPECT_EQ(display_form(param_of(creds, kCredentialLength)), "unsigned long");
  EXPECT_EQ(display_form(param_of(kPvxjExecutionServiceRemotePassthrough, kProgramID)), "\"value\" | NULL | DEFAULT");
  EXPECT_EQ(display_form(param_of(kPvxjExecutionServiceReceive, kCorrelId)), "i | NULL");
  EXPECT_EQ(display_form(param_of(kPvxjExecutionServiceReceive, kTimeout)), "long");
}

// Every form has a display text; none is left to a default.
TEST(Catalogue, EveryParameterHasADisplayForm) {
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params) {
        const ParamDisplay d = display(p);
        EXPECT_FALSE(d.keyword.empty()) << r.keyword;
        EXPECT_FALSE(d.form.empty()) << r.keyword;
      }
}

}  // namespace
}  // namespace kr::api

namespace kr::api {
namespace {

// The values whose unreadable spelling ends a section without its call: what
// setters and create methods store. Listed in full, so that a new row that
// stores something shows up here and is looked at.
TEST(Catalogue, ValuesStoredBySettersAndCreatorsAreKnown) {
  std::set<std::string> got;
  for (const Family* f : families())
    for (const Row& r : f->rows)
      for (const Param& p : r.params)
        if (writes_to_server(r, p)) got.insert(std::string(r.keyword) + " " + std::string(keyword_text(p.keyword)));
  std::set<std::string> want;
  for (const char* list : {"PvxjExecutionServiceCreateActivityInstanceList", "PvxjExecutionServiceCreateProcessInstanceList",
                           "PvxjExecutionServiceCreateProcessTemplateList", "PvxjExecutionServiceCreateWorklist"})
    for (const char* p : {"ListName", "PersistentListType", "Owner", "Description", "Filter", "SortCriteria", "Threshold"})
      want.insert(std::string(list) + " " + p);
  for (const char* s : {"PvxjExecutionServiceSetPassword Password", "PvxjExecutionServiceSetPersonAbsent Absence",
                        "PvxjExecutionServiceSetPersonAbsent UserID", "PvxjExecutionServiceSetSessionContext UserID",
                        "PvxjExecutionServiceSetSessionContext SessionID", "PvxjExecutionServiceSetReconnectCount Count",
                        "PvxjExecutionServiceSetTimeout Timeout", "PvxjGlobalSetConfigurationID ConfigurationID",
                        "PvxjServiceSetPassword Password", "PvxjServiceSetReconnectCount Count",
                        "PvxjServiceSetTimeout Timeout", "PvxjResultSetResult ReturnCode", "PvxjResultSetResult File",
                        "PvxjResultSetResult Line", "PvxjResultSetResult Function", "PvxjPersonSetAbsence Absence",
                        "PvxjPersonSetSubstitute Substitute"})
    want.insert(s);
  // A new instance's name, place and context.
  for (const char* create : {"PvxjProcessTemplateCreateInstance", "PvxjProcessTemplateCreateAndStartInstance",
                             "PvxjProcessTemplateCreateAndSuspendInstance",
                             "PvxjProcessTemplateCreateAndStartInstanceWithContext"})
    for (const char* p : {"InstanceName", "SystemGroup", "System", "KeepName"}) want.insert(std::string(create) + " " + p);
  want.insert("PvxjProcessTemplateCreateAndStartInstanceWithContext ProcessContext");
  // A stored list's settings, through the list class's own setters.
  for (const char* s : {"PvxjProcessTemplateListSetDescription Description", "PvxjProcessTemplateListSetThreshold Threshold",
                        "PvxjProcessTemplateListSetFilter Filter", "PvxjProcessTemplateListSetSortCriteria SortCriteria"})
    want.insert(s);
  for (const char* cls : {"PvxjProcessInstanceList", "PvxjWorklist", "PvxjPersistentList"})
    for (const char* s : {"SetDescription Description", "SetThreshold Threshold", "SetFilter Filter",
                          "SetSortCriteria SortCriteria"})
      want.insert(std::string(cls) + s);
  // An instance's own settings.
  for (const char* s : {"PvxjProcessInstanceSetDescription Description", "PvxjProcessInstanceSetName InstanceName",
                        "PvxjProcessInstanceSetProcessAdmin UserID"})
    want.insert(s);
  // Container members by qualified name, the code page, a program's output.
  for (const char* type : {"String", "Long", "Float", "Binary"}) {
    const std::string value = std::string(type) + "Value";
    for (const char* array : {"", "Array"}) {
      const std::string m = std::string("PvxjReadWriteContainerSet") + array + value;
      want.insert(m + " QualifiedName");
      want.insert(m + " " + value);
      if (*array) want.insert(m + " ArrayIndex");
      if (value == "BinaryValue") want.insert(m + " DataLength");
    }
  }
  for (const char* s : {"PvxjContainerSetStringCcsid CCSID", "PvxjReadOnlyContainerSetStringCcsid CCSID",
                        "PvxjReadWriteContainerSetStringCcsid CCSID", "PvxjContainerSetRemoteOutContainer ProgramID"})
    want.insert(s);
  // Items, work items and activity instances, and activity instance lists.
  for (const char* s : {"PvxjItemSetDescription Description", "PvxjItemSetName ItemName",
                        "PvxjWorkitemSetDescription Description", "PvxjWorkitemSetName WorkitemName",
                        "PvxjActivityInstanceSetDescription Description", "PvxjActivityInstanceCreateWorkitem UserID",
                        "PvxjActivityInstanceListSetDescription Description",
                        "PvxjActivityInstanceListSetThreshold Threshold", "PvxjActivityInstanceListSetFilter Filter",
                        "PvxjActivityInstanceListSetSortCriteria SortCriteria"})
    want.insert(s);
  // A notification's description and name, through the item functions.
  for (const char* s : {"PvxjProcessInstanceNotificationSetDescription Description",
                        "PvxjProcessInstanceNotificationSetName ProcessInstanceNotificationName",
                        "PvxjActivityInstanceNotificationSetDescription Description",
                        "PvxjActivityInstanceNotificationSetName ActivityInstanceNotificationName"})
    want.insert(s);
  for (const std::string& s : got) EXPECT_TRUE(want.count(s)) << "stores, not listed: " << s;
  for (const std::string& s : want) EXPECT_TRUE(got.count(s)) << "listed, does not store: " << s;
}

TEST(Catalogue, OnlyTheVerbAfterTheClassMakesASetter) {
  // "Reset" inside a question, "Settings" of a getter: not setters.
  EXPECT_FALSE(row_writes(*row_for(kPvxjPersonIsResetAbsence)));
  EXPECT_FALSE(row_writes(*row_for(kPvxjServiceUserSettings)));
  EXPECT_FALSE(row_writes(*row_for(kPvxjPersonSubstitute)));
  EXPECT_TRUE(row_writes(*row_for(kPvxjPersonSetSubstitute)));
  // A setter's handles are not values the tester spells.
  const Row& set = *row_for(kPvxjPersonSetSubstitute);
  EXPECT_FALSE(writes_to_server(set, set.params[0]));
}

// The inventory: every API keyword of the family tables, each either served
// by a row (answered TC0006 where the row says it is unserved) or still
// waiting for its family. A row nobody listed, a listed keyword whose row was
// forgotten, and a pending keyword that has landed all fail here, not in a run.
struct Listed {
  std::string_view keyword;
  bool pending;
};
constexpr Listed kInventory[] = {
#define SERVED(kw) {#kw, false},
#define PENDING(kw) {#kw, true},
#include "api/inventory.def"
#undef SERVED
#undef PENDING
};

TEST(Inventory, EveryListedKeywordIsServedOrPending) {
  std::set<std::string_view> listed;
  for (const Listed& l : kInventory) {
    EXPECT_TRUE(listed.insert(l.keyword).second) << l.keyword << " is listed twice";
    const Row* row = row_for(keyword_id(l.keyword));
    if (l.pending)
      EXPECT_EQ(row, nullptr) << l.keyword << " has a row now: list it as SERVED";
    else
      EXPECT_NE(row, nullptr) << l.keyword << " is listed as SERVED but no row serves it";
  }
  for (const Family* f : families())
    for (const Row& r : f->rows)
      EXPECT_TRUE(listed.count(r.keyword)) << r.keyword << " has a row but is not in api/inventory.def";
}

TEST(Inventory, UnservedRowsAnswerTC0006AndCallNothing) {
  const Row* r = row_for(kPvxjProcessTemplateValidFromTimeIsNull);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->flags & kUnserved);
  EXPECT_TRUE(r->params.empty());
  for (int id : {kPvxjProcessTemplateExecuteProcessInstance2, kPvxjProcessTemplateInitialOutContainer,
                 kPvxjProcessTemplateIsTerminatedOnError})
    EXPECT_TRUE(row_for(id)->flags & kUnserved) << keyword_text(id);
}

}  // namespace
}  // namespace kr::api
