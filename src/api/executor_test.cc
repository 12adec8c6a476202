// Whole runs of API sections, in-process against a private simulated store.
#include "api/executor.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "api/catalogue.h"
#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/test_context.h"
#include "driver/driver.h"

namespace kr::api {
namespace {

struct Outcome {
  int code;
  std::string result, console;
};

Outcome run(const std::string& input) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  CommandLineSettings settings;
  Outcome r;
  Sink console(&r.console);
  r.code = run_test_text(settings, input, &r.result, console);
  return r;
}

TEST(Executor, EchoFollowsTheMethodsOrderAndALaterValueWins) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon AbsentIndicator 2 Password \"x\" UserID \"ADMIN\" Password \"password\"\n"
      "  ExecutionServiceHdl 1 XpRc PVX_OK End\n");
  EXPECT_EQ(r.code, 0) << r.result;
  EXPECT_NE(r.result.find("PvxjExecutionServiceLogon\n"
                          "parameter:  ExecutionServiceHdl = 1\n"
                          "parameter:  UserID = ADMIN\n"
                          "parameter:  Password = password\n"
                          "parameter:  SessionMode = Pvx_SM_Default = 0\n"
                          "parameter:  AbsentIndicator = 2 = 2\n"),
            std::string::npos)
      << r.result;
}

TEST(Executor, EnumerationNumbersAndTheFailureValue) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceCreateWorklist ExecutionServiceHdl 1 ListName \"w\" PersistentListType 2 WorklistHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 SessionMode -1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 SessionMode 0 End\n");
  EXPECT_NE(r.result.find("PersistentListType = 2 = 2"), std::string::npos);
  EXPECT_NE(r.result.find("Invalid enumeration parameter keyword:  -1"), std::string::npos);
  EXPECT_NE(r.result.find("SessionMode = 0 = 0"), std::string::npos);
}

TEST(Executor, SlotClearedOnlyWhenDeallocateSucceeds) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceDeallocate ExecutionServiceHdl 1 XpRc PVX_OK End\n"
      "PvxjExecutionServiceDeallocate ExecutionServiceHdl 1 XpRc PVX_ERROR_INVALID_HANDLE End\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 2 End\n");
  EXPECT_EQ(r.code, 0) << r.result;
  // Only slot 2 is left for the clean-up.
  EXPECT_NE(r.result.find("PvxjExecutionServiceDeallocate( 2 ) ended with RC = 0"), std::string::npos);
  EXPECT_EQ(r.result.find("PvxjExecutionServiceDeallocate( 1 )"), std::string::npos);
}

TEST(Executor, ResultBuffersAreBoundedAndZeroIsOutOfResources) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" End\n"
      "PvxjExecutionServiceUserID ExecutionServiceHdl 1 BufferLength 3 End\n"
      "PvxjExecutionServiceUserID ExecutionServiceHdl 1 BufferLength 0 End\n"
      "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 End\n");
  EXPECT_EQ(r.code, 1);  // TC0023 ends the process
  EXPECT_NE(r.result.find("TC0023  TC ERROR:  Out of resources"), std::string::npos);
  EXPECT_EQ(r.result.find("PvxjExecutionServiceLogoff"), std::string::npos);
}

TEST(Executor, ANulByteEndsATextAsTheApiSeesIt) {
  using namespace std::string_literals;
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\0tail\" Password \"password\" XpRc PVX_OK End\n"
      "PvxjExecutionServiceUserID ExecutionServiceHdl 1 BufferLength 64 XpValue \"ADMIN\0x\" End\n"s);
  EXPECT_EQ(r.code, 0) << r.result;
  EXPECT_NE(r.result.find("parameter:  UserID = ADMIN\n"), std::string::npos) << r.result;
  EXPECT_NE(r.result.find("XpValue = \"ADMIN\"\n"), std::string::npos) << r.result;
  EXPECT_EQ(r.result.find('\0'), std::string::npos);
}

TEST(Executor, ThePersistentIdentifierSlotKeywordsAreOneParameter) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServicePersistentWorklist ExecutionServiceHdl 1 PersistentOid 50 PersistentOidHdl 2\n"
      "  WorklistHdl 1 End\n"
      "PvxjExecutionServicePersistentWorklist ExecutionServiceHdl 1 PersistentOidHdl 3 PersistentOid 0\n"
      "  WorklistHdl 2 End\n");
  EXPECT_NE(r.result.find("parameter:  PersistentOid = 2\n            PersistentObjectName = \n"), std::string::npos)
      << r.result;
  EXPECT_NE(r.result.find("parameter:  PersistentOid = 0\n..........Report"), std::string::npos) << r.result;
  EXPECT_EQ(r.result.find("Handle value = 50"), std::string::npos);
}

// Random soups of the family's keywords and values: every run must end with
// a verdict, whatever handles, slots and values the sections name.
TEST(Executor, RandomSectionsAlwaysEndInAVerdict) {
  std::vector<std::string> sections, params;
  for (const Family* f : families()) {
    for (const Row& row : f->rows) sections.emplace_back(row.keyword);
    for (const Row& row : f->rows)
      for (const Param& p : row.params) params.emplace_back(keyword_text(p.keyword));
  }
  params.insert(params.end(), {"XpRc", "XpValue", "XpValueLike", "Bogus", "ProcessTemplateVectorHdl"});
  const std::vector<std::string> values = {"1", "2", "0", "49", "50", "-1", "NULL", "DEFAULT", "TRUE",
                                           "\"ADMIN\"", "\"password\"", "\"<CL-VALUE>\"", "\"NAME = 'x'\"",
                                           "Pvx_SM_Present", "Pvx_LT_Private", "xyz", "PVX_OK", "\"\"",
                                           "4000000000", "99999999999", "\"a\"\"b\"", "\"7G\"", "\"abc"};
  // Sections may name files to write: keep them out of the build folder.
  const std::filesystem::path home = std::filesystem::current_path();
  char dir[] = "/tmp/kestrun_executor_XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  std::filesystem::current_path(dir);
  std::mt19937 rng(99);
  for (int i = 0; i < 150; ++i) {
    std::string input = "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
                        "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" End\n";
    int n = 1 + static_cast<int>(rng() % 12);
    for (int s = 0; s < n; ++s) {
      input += sections[rng() % sections.size()];
      int k = static_cast<int>(rng() % 6);
      for (int j = 0; j < k; ++j) {
        input += " " + params[rng() % params.size()];
        input += " " + values[rng() % values.size()];
      }
      input += rng() % 10 ? " End\n" : "\n";
    }
    Outcome r = run(input);
    EXPECT_TRUE(r.code == 0 || r.code == 1 || r.code == 8 || r.code == 12) << r.code << "\n" << input;
    EXPECT_TRUE(r.code == 1 || r.result.find("====== Test case ") != std::string::npos) << input;
  }
  std::filesystem::current_path(home);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kr::api

namespace kr::api {
namespace {

const char kTemplates[] =
    "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
    "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" End\n"
    "PvxjExecutionServiceQueryProcessTemplates ExecutionServiceHdl 1 ProcessTemplateVectorHdl 1 End\n";

// The tool's own search: the first element whose name is the given one,
// byte for byte; the working element is freed whatever the outcome.
TEST(FirstNamedElement, FoundNotFoundAndCaseSensitive) {
  Outcome r = run(std::string(kTemplates) +
                  "PvxjProcessTemplateVectorFirstNamedElement ProcessTemplateVectorHdl 1 Name \"OrderEntry\"\n"
                  "  ProcessTemplateHdl 2 End\n"
                  "PvxjProcessTemplateName ProcessTemplateHdl 2 BufferLength 64 XpValue \"OrderEntry\" End\n"
                  "PvxjProcessTemplateVectorFirstNamedElement ProcessTemplateVectorHdl 1 Name \"orderentry\"\n"
                  "  ProcessTemplateHdl 3 End\n");
  EXPECT_NE(r.result.find("..........Status Report.....................................................\n"
                          "ProcessTemplateHdl = "),
            std::string::npos);
  EXPECT_NE(r.result.find("AcValue = \"OrderEntry\""), std::string::npos) << r.result;
  EXPECT_NE(r.result.find("ProcessTemplateHdl = 00000000\n"
                          "NO OBJECT WITH THE SPECIFIED NAME FOUND:  +++ERROR+++\n"),
            std::string::npos)
      << r.result;
  EXPECT_NE(r.code, 0);  // the not-found search marks the test case as failed
  // Found: slot 2 holds the element; not found: slot 3 stays empty; the
  // working element is never left for the clean-up.
  EXPECT_NE(r.result.find("PvxjProcessTemplateDeallocate( 2 )"), std::string::npos);
  EXPECT_EQ(r.result.find("PvxjProcessTemplateDeallocate( 3 )"), std::string::npos);
  EXPECT_EQ(r.result.find("PvxjProcessTemplateDeallocate( 0 )"), std::string::npos);
}

TEST(FirstNamedElement, ListVectorsSayList) {
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" End\n"
      "PvxjExecutionServiceQueryProcessTemplateLists ExecutionServiceHdl 1 ProcessTemplateListVectorHdl 1 End\n"
      "PvxjProcessTemplateListVectorFirstNamedElement ProcessTemplateListVectorHdl 1 ListName \"none\"\n"
      "  ProcessTemplateListHdl 1 End\n");
  EXPECT_NE(r.result.find("ProcessTemplateListHdl = 00000000\n"
                          "NO LIST OBJECT WITH THE SPECIFIED NAME FOUND:  +++ERROR+++\n"),
            std::string::npos)
      << r.result;
}

// Known to the keyword table, served by no method: TC0006, no call.
TEST(Unserved, AnsweredAsAnUnknownMethod) {
  Outcome r = run(std::string(kTemplates) +
                  "PvxjProcessTemplateValidFromTimeIsNull ProcessTemplateHdl 1 XpValue TRUE End\n"
                  "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 End\n");
  EXPECT_NE(r.result.find("Unknown API method: PvxjProcessTemplateValidFromTimeIsNull"), std::string::npos)
      << r.result;
  EXPECT_EQ(r.result.find("parameter:  ProcessTemplateHdl = 1"), std::string::npos);
  EXPECT_NE(r.result.find("PvxjExecutionServiceLogoff\n"), std::string::npos);
}

// An empty vector in the receiver-or-vector form: no call, no heading, and
// the working element stays empty.
TEST(VectorForm, EmptyVectorWritesOnlyTheEcho) {
  Outcome r = run(std::string(kTemplates) +
                  "PvxjExecutionServiceQueryProcessTemplates ExecutionServiceHdl 1 Filter \"NAME = 'x'\"\n"
                  "  ProcessTemplateVectorHdl 2 End\n"
                  "PvxjProcessTemplateRefresh ProcessTemplateVectorHdl 2 XpRc PVX_OK End\n"
                  "TestTool_CommentToOutput Comment \"after\" End\n");
  const std::size_t at = r.result.find("PvxjProcessTemplateRefresh\nparameter:  ProcessTemplateVectorHdl = 2\n");
  ASSERT_NE(at, std::string::npos) << r.result;
  EXPECT_EQ(r.result.find("RC Report", at), r.result.find("RC Report", r.result.find("after")));
}

// The work item walk with method timing on ends with the average of its
// calls, which needs a summed time above 0: the clock is made to advance by
// a known step on every read (a call takes one step), or to stand still.
uint32_t ticks = 0;
uint32_t step = 0;
uint32_t stepping_clock() { return ticks += step; }

std::string walk_with_clock(uint32_t ms_per_read) {
  ticks = 1000;
  step = ms_per_read;
  set_tick_source(stepping_clock);
  Outcome r = run(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"USER2\" Password \"pw2\" End\n"
      "PvxjExecutionServiceQueryProcessTemplates ExecutionServiceHdl 1 Filter \"NAME = 'CreditRequest'\"\n"
      "  SortCriteria NULL Threshold NULL ProcessTemplateVectorHdl 1 End\n"
      "PvxjProcessTemplateVectorFirstElement ProcessTemplateVectorHdl 1 ProcessTemplateHdl 1 End\n"
      "PvxjProcessTemplateCreateAndStartInstance ProcessTemplateHdl 1 InstanceName \"A\" SystemGroup NULL\n"
      "  System NULL KeepName TRUE ProcessInstanceHdl 1 End\n"
      "PvxjProcessTemplateCreateAndStartInstance ProcessTemplateHdl 1 InstanceName \"B\" SystemGroup NULL\n"
      "  System NULL KeepName TRUE ProcessInstanceHdl 2 End\n"
      "PvxjProcessTemplateCreateAndStartInstance ProcessTemplateHdl 1 InstanceName \"C\" SystemGroup NULL\n"
      "  System NULL KeepName TRUE ProcessInstanceHdl 3 End\n"
      "PvxjExecutionServiceQueryWorkitems ExecutionServiceHdl 1 Filter NULL SortCriteria NULL Threshold NULL\n"
      "  WorkitemVectorHdl 1 End\n"
      "TestTool_ShowElapseTime ElapseTimeOptions \"METHOD\" End\n"
      "PvxjWorkitemPriority WorkitemVectorHdl 1 End\n"
      "TestTool_CommentToOutput Comment \"after the walk\" End\n");
  set_tick_source(nullptr);
  EXPECT_EQ(r.code, 0) << r.result;
  const std::size_t from = r.result.find("PvxjWorkitemPriority\n");
  const std::size_t to = r.result.find("after the walk");
  EXPECT_NE(from, std::string::npos) << r.result;
  EXPECT_NE(to, std::string::npos) << r.result;
  return from == std::string::npos || to == std::string::npos ? "" : r.result.substr(from, to - from);
}

TEST(VectorForm, TheTimedWorkitemWalkEndsWithTheAverageOfItsCalls) {
  const std::string walk = walk_with_clock(7);
  // Three items, one time line each, then their average.
  std::size_t lines = 0;
  for (std::size_t at = walk.find("---> 7 ms\n"); at != std::string::npos; at = walk.find("---> 7 ms\n", at + 1))
    ++lines;
  EXPECT_EQ(lines, 3u) << walk;
  const std::size_t average = walk.find("---> average: 7 ms\n");
  ASSERT_NE(average, std::string::npos) << walk;
  EXPECT_GT(average, walk.rfind("---> 7 ms\n")) << walk;
}

TEST(VectorForm, AWalkThatTookNoTimeHasNoAverageLine) {
  const std::string walk = walk_with_clock(0);
  EXPECT_NE(walk.find("---> 0 ms\n"), std::string::npos) << walk;
  EXPECT_EQ(walk.find("average"), std::string::npos) << walk;
}

// The input rule of an enumeration table, on its own: a name, a number
// other than 0 and -1 as it is, "0"; -1 ends the section quietly only where
// the table's rule says so, and is TC0012 elsewhere.
TEST(EnumerationInput, TheTablesRuleDecidesWhatMinusOneDoes) {
  static constexpr EnumEntry kNames[] = {{"Pvx_XX_NotSet", 0}, {"Pvx_XX_One", 1}};
  static constexpr EnumTable kPlain{kNames};
  static constexpr EnumTable kEnds{kNames, EnumInput::kMinusOneEnds};
  auto echo_of = [](const EnumTable& table, const char* value, bool* went_on, bool* error) {
    TestContext t;
    const Param params[] = {{kRequestedData, Form::kEnum, &table}};
    const Row row{"PvxjTest", 0, Result::kRc, params, [](Call&) {}};
    Call call(t.ctx, row);
    call.v[0].given = true;
    call.v[0].text = value;
    *went_on = echo_param(call, 0);
    *error = t.ctx.error_flag;
    return t.result;
  };
  bool went_on = false, error = false;
  EXPECT_EQ(echo_of(kEnds, "-1", &went_on, &error), "");
  EXPECT_FALSE(went_on);
  EXPECT_FALSE(error);
  EXPECT_NE(echo_of(kPlain, "-1", &went_on, &error).find("Invalid enumeration parameter keyword:  -1"),
            std::string::npos);
  EXPECT_FALSE(went_on);
  EXPECT_TRUE(error);
  for (const EnumTable* table : {&kPlain, &kEnds}) {
    EXPECT_EQ(echo_of(*table, "pvx_xx_one", &went_on, &error), "parameter:  RequestedData = pvx_xx_one = 1\n");
    EXPECT_TRUE(went_on);
    EXPECT_EQ(echo_of(*table, "7", &went_on, &error), "parameter:  RequestedData = 7 = 7\n");
    EXPECT_EQ(echo_of(*table, "0", &went_on, &error), "parameter:  RequestedData = 0 = 0\n");
    EXPECT_NE(echo_of(*table, "Pvx_XX_Two", &went_on, &error).find("Invalid enumeration parameter keyword:  Pvx_XX_Two"),
              std::string::npos);
    EXPECT_FALSE(went_on);
  }
}

}  // namespace
}  // namespace kr::api
