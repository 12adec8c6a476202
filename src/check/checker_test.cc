// The syntax check on small test cases: where each finding stands, what it
// leaves alone, and that no input can bring it down.
#include "check/checker.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/output.h"

namespace kr::check {
namespace {

const std::string kLogon =
    "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End\n"
    "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"A\" Password \"p\" XpRc PVX_OK End\n";

// "LINE:COLUMN: error|warning: message" per finding.
std::vector<std::string> check(const std::string& text) {
  std::vector<std::string> out;
  for (const Finding& f : check_text(text))
    out.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) +
                  (f.severity == Severity::kError ? ": error: " : ": warning: ") + f.message);
  return out;
}

bool has(const std::vector<std::string>& findings, const std::string& part) {
  for (const std::string& f : findings)
    if (f.find(part) != std::string::npos) return true;
  return false;
}

TEST(Check, CleanFilesHaveNoFinding) {
  EXPECT_TRUE(check(kLogon).empty());
  EXPECT_TRUE(check("/* only a comment */").empty());
  EXPECT_TRUE(check(kLogon + "<NOT_C> PvxjNoSuchThing Bogus 1 End </NOT_C>\n").empty());
  // Parameters in any order, keywords in any case, values over lines.
  EXPECT_TRUE(check(kLogon + "pvxjexecutionservicelogoff\n  xprc PVX_OK\n  EXECUTIONSERVICEHDL\n 1\nend").empty());
  // Nothing after the end mark is read.
  EXPECT_TRUE(check(kLogon + "\x1A PvxjBogus").empty());
}

TEST(Check, FindingsPointAtTheOffendingToken) {
  auto f = check(kLogon + "PvxjExecutionServiceLogoff\n  ExecutionServiceHdl 1\n  Xprc PVX_ok\nEnd\n");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].substr(0, 9), "5:8: erro");
  f = check("\t\tTestTool_Bogus End");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].substr(0, 4), "1:3:");
}

TEST(Check, AMissingEndIsNamedAtTheNextSection) {
  auto f = check(kLogon +
                 "PvxjExecutionServiceRefresh ExecutionServiceHdl 1\n"
                 "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 End\n");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(has(f, "4:1: error: 'End' of PvxjExecutionServiceRefresh missing before 'PvxjExecutionServiceLogoff'"));
  f = check(kLogon + "PvxjExecutionServiceRefresh ExecutionServiceHdl 1");
  EXPECT_TRUE(has(f, "3:1: error: section not closed by 'End'"));
}

TEST(Check, HandlesMustBeCreatedBeforeUseAndStayInRange) {
  auto f = check(
      "PvxjExecutionServiceRefresh ExecutionServiceHdl 3 End\n"
      "PvxjExecutionServiceRefresh ExecutionServiceHdl 3 End\n");
  ASSERT_EQ(f.size(), 1u);  // one warning per handle
  EXPECT_TRUE(has(f, "1:49: warning: ExecutionServiceHdl 3 is used before"));
  // A second keyword of the same table counts as the same handle.
  EXPECT_TRUE(check(kLogon + "PvxjExecutionServiceCopy ExecutionServiceHdl 1 ExecutionServiceHdl2 2 End\n"
                             "PvxjExecutionServiceRefresh ExecutionServiceHdl 2 End\n")
                  .empty());
  f = check(kLogon + "PvxjExecutionServiceRefresh End\n");
  EXPECT_TRUE(has(f, "without ExecutionServiceHdl: handle 0 is out of the handle range 1-49 [TC0015]"));
  f = check(kLogon + "PvxjExecutionServiceRefresh ExecutionServiceHdl 0 End\n");
  EXPECT_TRUE(has(f, "ExecutionServiceHdl 0 is out of the handle range"));
  f = check(kLogon + "PvxjExecutionServiceRefresh ExecutionServiceHdl 1x End\n");
  EXPECT_TRUE(has(f, "the run reads 'x' as the next keyword"));
  f = check(kLogon + "PvxjExecutionServiceRefresh ExecutionServiceHdl 99999999999 End\n");
  EXPECT_TRUE(has(f, "does not fit its type [TC0007]"));
}

TEST(Check, ValuesFollowTheirForms) {
  auto f = check(kLogon +
                 "PvxjExecutionServiceLogon ExecutionServiceHdl 1 SessionMode 7 AbsentIndicator pvx_sa_reset End\n");
  EXPECT_TRUE(f.empty());  // numbers and names without case are taken
  f = check(kLogon + "PvxjExecutionServiceLogon ExecutionServiceHdl 1 SessionMode -1 End\n");
  EXPECT_TRUE(has(f, "unknown enumeration value '-1'"));
  f = check(kLogon + "PvxjExecutionServiceLogon ExecutionServiceHdl 1 Password null End\n");
  EXPECT_TRUE(has(f, "Password expects quoted text, NULL or DEFAULT, not 'null' [TC0020]"));
  f = check(kLogon + "PvxjExecutionServiceLogon ExecutionServiceHdl 1 Password End\n");
  EXPECT_TRUE(has(f, "value of Password missing [TC0020]"));
  f = check(kLogon + "PvxjExecutionServiceIsLoggedOn ExecutionServiceHdl 1 XpValue YES End\n");
  EXPECT_TRUE(has(f, "expects TRUE or FALSE, not 'YES': the check cannot pass"));
  // Families with one parameter set read the other expectation and ignore it;
  // the execution service family refuses it.
  f = check("PvxjGlobalConnect XpValue \"a b\" XpRc PVX_OK End\n"
            "PvxjGlobalConfigurationID BufferLength 9 XpRc PVX_OK XpValue NULL End\n");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_TRUE(has(f, "1:19: warning: PvxjGlobalConnect returns a return code: XpValue is not evaluated"));
  EXPECT_TRUE(has(f, "2:42: warning: PvxjGlobalConfigurationID returns a value: XpRc is not evaluated"));
  f = check(kLogon + "PvxjExecutionServiceIsLoggedOn ExecutionServiceHdl 1 XpRc PVX_OK End\n");
  EXPECT_TRUE(has(f, "'XpRc' does not apply to PvxjExecutionServiceIsLoggedOn"));
  f = check(kLogon +
            "PvxjExecutionServiceReceive ExecutionServiceHdl 1 ExecutionDataHdl 1 CorrelId NULL Timeout 5 End\n");
  EXPECT_TRUE(f.empty());
  f = check(kLogon + "PvxjExecutionServiceReceive ExecutionServiceHdl 1 ExecutionDataHdl 1 CorrelId Nix End\n");
  EXPECT_TRUE(has(f, "CorrelId expects a number or NULL, not 'Nix'"));
}

// Date-time results and the person's lists are compared as text; the dump
// compares nothing; date-time fields are 16-bit.
TEST(Check, ExpectationsOfTheSessionFamilies) {
  auto f = check(
      "PvxjDateTimeCurrentTime DateTimeHdl 1 XpValue \"04-16-1998 08:32:59PM\" End\n"
      "PvxjDateTime_SET_VALUE DateTimeHdl 2 Year 65535 Month 0 Day 1 Hour 0 Minute 0 Second 0 XpValue FALSE End\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceUserSettings ExecutionServiceHdl 1 PersonHdl 1 End\n"
      "PvxjPersonLogonBlockedTime PersonHdl 1 DateTimeHdl 3 XpValue NULL End\n"
      "PvxjPersonNamesOfRoles PersonHdl 1 StringVectorHdl 1 XpValue \"Team lead;Approver\" End\n");
  EXPECT_TRUE(f.empty()) << f[0];
  f = check(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceUserSettings ExecutionServiceHdl 1 PersonHdl 1 End\n"
      "PvxjPerson_DUMP_ALL PersonHdl 1 XpValue TRUE End\n");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(has(f, "PvxjPerson_DUMP_ALL returns nothing to compare: XpValue is not evaluated"));
  f = check("PvxjDateTime_SET_VALUE DateTimeHdl 2 Year 65536 End\n");
  EXPECT_TRUE(has(f, "[TC0007]")) << f.size();
}

// The vector and person families take XpRc and XpValue everywhere; the one a
// method does not check is only worth a warning. The date-time family knows
// no XpRc.
TEST(Check, FamiliesTakingBothExpectations) {
  auto f = check(
      "PvxjStringVectorAllocate StringVectorHdl 1 XpValue \"not checked\" XpRc PVX_OK End\n"
      "PvxjStringVectorSize StringVectorHdl 1 XpRc PVX_OK XpValue 0 End\n");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_TRUE(has(f, "1:44: warning: PvxjStringVectorAllocate returns a return code: XpValue is not evaluated"));
  EXPECT_TRUE(has(f, "2:40: warning: PvxjStringVectorSize returns a value: XpRc is not evaluated"));
  f = check("PvxjDateTime_SET_VALUE DateTimeHdl 1 Year 2000 XpRc PVX_OK End\n");
  EXPECT_TRUE(has(f, "'XpRc' does not apply to PvxjDateTime_SET_VALUE")) << f.size();
}

TEST(Check, IfAndLoopStructure) {
  EXPECT_TRUE(has(check("TestTool_If End\nTestTool_Then\nTestTool_EndIf\n"), "1:1: error: no API section") ||
              has(check("TestTool_If End\nTestTool_Then\nTestTool_EndIf\n"), "2:1: error: no API section"));
  // A section without an expectation does not feed the IF.
  auto f = check(kLogon +
                 "TestTool_If End PvxjExecutionServiceRefresh ExecutionServiceHdl 1 End TestTool_Then TestTool_EndIf");
  EXPECT_TRUE(has(f, "no API section with XpRc or XpValue"));
  f = check("TestTool_LoopStart NoOfLoops 2 End\nTestTool_LoopStart NoOfLoops 2 End\nTestTool_JumpToLoopStart\n");
  EXPECT_TRUE(has(f, "2:1: error: TestTool_LoopStart inside a loop"));
  // A loop of no pass is skipped as the run skips it: nothing in it is checked.
  EXPECT_TRUE(check("TestTool_LoopStart NoOfLoops 0 End\n  TestTool_Bogus End\nTestTool_JumpToLoopStart\n").empty());
  EXPECT_FALSE(check("TestTool_LoopStart NoOfLoops 1 End\n  TestTool_Bogus End\nTestTool_JumpToLoopStart\n").empty());
  // Nothing after an unconditional Terminate is read; inside an IF it may not run.
  f = check("TestTool_Terminate\nTestTool_Bogus End\n");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(has(f, "2:1: warning: never run"));
  EXPECT_TRUE(has(check(kLogon + "TestTool_If End PvxjExecutionServiceRefresh ExecutionServiceHdl 1 XpRc PVX_OK End "
                                 "TestTool_Then TestTool_Terminate TestTool_EndIf TestTool_Bogus End"),
                  "unknown API method or tool method 'TestTool_Bogus'"));
}

TEST(Check, CommentsAndQuotes) {
  auto f = check("/* a\n  b /* c */\nTestTool_Bogus End");
  ASSERT_EQ(f.size(), 1u);  // the run breaks off there: nothing after it counts
  EXPECT_TRUE(has(f, "2:5: error: '/*' inside a comment"));
  f = check("TestTool_CommentToOutput Comment \"a\nTestTool_CommentToOutput Comment \"b\" End");
  EXPECT_TRUE(has(f, "1:34: warning: quoted value of Comment runs on over 'TestTool_CommentToOutput'"));
  // Doubled quotes stay inside the value.
  EXPECT_TRUE(check("TestTool_CommentToOutput Comment \"say \"\"End\"\"\" End").empty());
}

TEST(Check, TheLimitsOfASection) {
  std::string many = "TestTool_CommentToOutput";
  for (int i = 0; i < 14; ++i) many += " Comment \"x\"";
  EXPECT_TRUE(check(many + " End").empty());  // 30 tokens with End
  EXPECT_TRUE(has(check(many + " Comment \"x\" End"), "more than 30 tokens"));
  EXPECT_TRUE(has(check(std::string(260, 'P') + " End"), "keyword longer than 259"));
  EXPECT_TRUE(has(check("TestTool_CommentToOutput Comment \"" + std::string(1024, 'x') + "\" End"),
                  "longer than 1023 characters"));
  EXPECT_TRUE(has(check(""), "1:1: error: the file holds no token [TC0005]"));
}

TEST(Check, AnyBytesGiveFindingsNeverACrash) {
  std::mt19937 rng(7);
  const std::vector<std::string> words = {"PvxjExecutionServiceLogon",
                                          "ExecutionServiceHdl",
                                          "End",
                                          "\"",
                                          "/*",
                                          "*/",
                                          "TestTool_If",
                                          "TestTool_LoopStart",
                                          "NoOfLoops",
                                          "0",
                                          "<NOT_C>",
                                          "XpRc",
                                          "UserID",
                                          "\x1A",
                                          "\n",
                                          "\xFF\x00",
                                          "TestTool_Then",
                                          "99"};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) {
      if (rng() % 5 == 0)
        text.push_back(static_cast<char>(rng() % 256));
      else
        text += words[rng() % words.size()];
      text.push_back(rng() % 3 ? ' ' : '\n');
    }
    for (const Finding& f : check_text(text)) {
      EXPECT_GE(f.line, 1u);
      EXPECT_GE(f.column, 1u);
      EXPECT_FALSE(f.message.empty());
    }
  }
}

TEST(Check, FilesSummaryAndExitCode) {
  std::string out;
  Sink sink(&out);
  EXPECT_EQ(check_files({"/nonexistent/x"}, sink), 8);
  EXPECT_EQ(out,
            "/nonexistent/x.dat:1:1: error: cannot open the test case file [TC0001]\n"
            "1 file checked: 1 error, 0 warnings\n");
}

}  // namespace
}  // namespace kr::check

namespace kr::check {
namespace {

// A file of nothing but mistakes: the findings stop at their bound, said so
// at the place the check stopped, instead of growing with the file.
TEST(Checker, FindingsStopAtTheirBound) {
  std::string text;
  for (std::size_t i = 0; i < kMaxFindings + 50; ++i) text += "Bogus End\n";
  const std::vector<Finding> f = check_text(text);
  ASSERT_EQ(f.size(), kMaxFindings + 1);
  EXPECT_EQ(f.back().severity, Severity::kWarning);
  EXPECT_EQ(f.back().line, kMaxFindings + 1);
  EXPECT_EQ(f.back().message, "more than 10000 findings: the rest of the file is not checked");
  EXPECT_EQ(check_text("Bogus End\nBogus End\n").size(), 2u);
}

}  // namespace
}  // namespace kr::check
