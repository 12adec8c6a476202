// The syntax reference: its fixed parts byte for byte, its headers, and a
// template for every served keyword, agreeing with the catalogue row that
// dispatches it.
#include "reference/syntax.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "api/catalogue.h"
#include "core/class_lookup.h"
#include "core/keywords.h"
#include "core/output.h"
#include "reference/forms.h"
#include "reference/sections.h"
#include "toolmethods/method_params.h"

namespace kr {
namespace {

std::vector<std::string> document() {
  std::string text;
  {
    Sink out(&text);
    write_syntax_reference(out);
  }
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

std::size_t index_of(const std::vector<std::string>& doc, std::string_view line, std::size_t from = 0) {
  auto it = std::find(doc.begin() + static_cast<std::ptrdiff_t>(from), doc.end(), line);
  return static_cast<std::size_t>(it - doc.begin());
}

// The lines from `first` on, as many as `expected` has, must equal it.
void expect_block(const std::vector<std::string>& doc, std::string_view first, const std::vector<std::string>& expected) {
  std::size_t at = index_of(doc, first);
  ASSERT_LT(at, doc.size()) << "missing: " << first;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_LT(at + i, doc.size());
    EXPECT_EQ(doc[at + i], expected[i]) << "line " << i << " after " << first;
  }
}

TEST(SyntaxReference, HeaderBlock) {
  std::vector<std::string> doc = document();
  ASSERT_GT(doc.size(), 7u);
  EXPECT_EQ(doc[0], std::string(76, '='));
  EXPECT_EQ(doc[1], "C API Test Tool for Altaris v340 Windows 9x/NT/2000/XP");
  EXPECT_TRUE(std::regex_match(doc[2], std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] \\d\\d:\\d\\d:\\d\\d \\d{4}")))
      << doc[2];
  EXPECT_EQ(doc[2].size(), 24u);
  EXPECT_TRUE(doc[3].starts_with("Syntax version")) << doc[3];
  EXPECT_EQ(doc[4], std::string(76, '='));
  EXPECT_EQ(doc[5], "");
  EXPECT_EQ(doc[6], "=== GENERAL INFORMATION ================================================");
}

TEST(SyntaxReference, SectionsInOrderAndEveryMainHeaderIs72Long) {
  std::vector<std::string> doc = document();
  std::vector<std::string> mains;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const std::string& l = doc[i];
    if (l == std::string(76, '=')) continue;  // the separator of the header block
    if (l.starts_with("===") || l.starts_with("---Syntax")) {
      EXPECT_EQ(l.size(), 72u) << l;
      ASSERT_LT(i + 1, doc.size());
      EXPECT_EQ(doc[i + 1], "") << "a header is followed by an empty line: " << l;
    }
    if (l.starts_with("===")) mains.push_back(l);
  }
  const std::vector<std::string> fixed = {
      "=== GENERAL INFORMATION ================================================",
      "===RUNNING THE TOOL=====================================================",
      "===TEST CASE SKIP STATEMENTS============================================",
      "===TEST CASE RESTRICTIONS===============================================",
      "===SYNTAX FOR TEST TOOL METHODS=========================================",
      "===SYNTAX FOR TEST RESOURCE METHODS=====================================",
  };
  ASSERT_GT(mains.size(), fixed.size());
  EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), mains.begin()));
  EXPECT_EQ(mains[fixed.size()].rfind("===Syntax for Pvxj", 0), 0u) << mains[fixed.size()];
  EXPECT_EQ(main_header("Syntax for PvxjGlobal APIs"),
            "===Syntax for PvxjGlobal APIs===========================================");
  EXPECT_EQ(sub_header("Syntax for PvxjPoint APIs"),
            "---Syntax for PvxjPoint APIs--------------------------------------------");
}

TEST(SyntaxReference, GeneralInformationHeadingsInOrder) {
  std::vector<std::string> doc = document();
  std::size_t at = 0;
  for (std::string_view h : {"TEST_CASE_BODY", "FUNCTION_TEMPLATE", "COMMENT", "HANDLE MANAGEMENT",
                             "RETURN CODES AND EVALUATION", "KEYWORD ABBREVIATIONS", "PARAMETER ABBREVIATIONS",
                             "LOOPS", "IF, THEN, ELSE", "DLL VERSIONS"}) {
    std::size_t next = index_of(doc, h, at);
    ASSERT_LT(next, doc.size()) << "heading missing or out of order: " << h;
    at = next + 1;
  }
  EXPECT_LT(at, index_of(doc, "===RUNNING THE TOOL====================================================="));
  expect_block(doc, "TEST_CASE_BODY", {"TEST_CASE_BODY", "", "  TEST_CASE_BODY = [ FUNCTION_TEMPLATE | COMMENT ]+"});
  // The two rules of an IF expression, as the checks state them.
  std::size_t rule = 0;
  for (std::size_t i = 0; i < doc.size(); ++i)
    if (doc[i].ends_with("(AcRc == XpRc)       -> true/false,")) rule = i;
  ASSERT_GT(rule, 0u);
  EXPECT_TRUE(doc[rule + 1].ends_with("(AcValue == XpValue) -> true/false.")) << doc[rule + 1];
}

TEST(SyntaxReference, HandleTable) {
  std::vector<std::string> doc = document();
  const std::vector<std::string> table = {
      "  Table 1 : Valid user-defined handle values (external representation)",
      "",
      "   ActivityInstanceHdl                    1-49",
      "   ActivityInstanceVectorHdl              1-49",
      "   ActivityInstanceListHdl                1-49",
      "   ActivityInstanceListVectorHdl          1-49",
      "   ActivityInstanceNotificationHdl        1-49",
      "   ActivityInstanceNotificationVectorHdl  1-49",
      "   BlockInstanceMonitorHdl                1-49",
      "   ContainerElementHdl                    1-49",
      "   ContainerElementVectorHdl              1-49",
      "   ControlConnectorInstanceHdl            1-49",
      "   ControlConnectorInstanceVectorHdl      1-49",
      "   DateTimeHdl                            1-49",
      "   DllOptionsHdl                          1-49",
      "   ErrorHdl                               1-49",
      "   ExeOptionsHdl                          1-49",
      "   ExecutionDataHdl                       1-49",
      "   ExecutionServiceHdl                    1-49",
      "   ExternalOptionsHdl                     1-49",
      "   ImplementationDataHdl                  1-49",
      "   ImplementationDataVectorHdl            1-49",
      "   InstanceMonitorHdl                     1-49",
      "   IntVectorHdl                           1-49",
      "   ItemHdl                                1-49",
      "   ItemVectorHdl                          1-49",
      "   PersonHdl                              1-49",
      "   PointHdl                               1-49",
      "   PointVectorHdl                         1-49",
      "   ProcessInstanceHdl                     1-49",
      "   ProcessInstanceListHdl                 1-49",
      "   ProcessInstanceListVectorHdl           1-49",
      "   ProcessInstanceMonitorHdl              1-49",
      "   ProcessInstanceNotificationHdl         1-49",
      "   ProcessInstanceNotificationVectorHdl   1-49",
      "   ProcessInstanceVectorHdl               1-49",
      "   ProcessTemplateHdl                     1-49",
      "   ProcessTemplateListHdl                 1-49",
      "   ProcessTemplateListVectorHdl           1-49",
      "   ProcessTemplateVectorHdl               1-49",
      "   ProgramTemplateHdl                     1-49",
      "   ProgramDataHdl                         1-49",
      "   ReadOnlyContainerHdl                   1-49",
      "   ReadWriteContainerHdl                  1-49",
      "   ResultHdl                              1-49",
      "   StringVectorHdl                        1-49",
      "   SymbolLayoutHandle                     1-49",
      "   WorkitemHdl                            1-49",
      "   WorkitemVectorHdl                      1-49",
      "   WorklistHdl                            1-49",
      "   WorklistVectorHdl                      1-49",
      "   CorrelId(Hdl)                          1-49",
      "   PersistentOidHdl                       1-49",
      "   SessionIdHdl                           1-49",
      "   StreamHdl                              1-49",
      "",
  };
  ASSERT_EQ(table.size(), 53u + 3u);
  expect_block(doc, table[0], table);
}

TEST(SyntaxReference, RunningTheTool) {
  std::vector<std::string> doc = document();
  expect_block(doc, "  Usage:  kestrun1 <[path]tc fn> <[path]log fn>",
               {"  Usage:  kestrun1 <[path]tc fn> <[path]log fn>", "  or", "  Usage:  kestrun1 <[path]tc fn> NoOutput",
                "  or", "  Usage:  kestrun1 Syntax <FileSpec>", "  or", "  Usage:  kestrun1 ApiRCs <FileSpec>", "  or",
                "  Usage:  kestrun1 ToolRCs <FileSpec>"});
  expect_block(doc, "RETURN VALUES",
               {"RETURN VALUES", "", "  no error                          0", "  usage error                       4",
                "  error                             8", "  severe error                      12",
                "  user defined return code          int"});
}

// Every served keyword but the marked ones stands in exactly one template,
// under the header of its class, with its parameters in echo order and the
// display form of each.
TEST(SyntaxReference, EveryServedKeywordHasItsTemplate) {
  std::vector<std::string> doc = document();
  const std::size_t api_start = index_of(doc, "===SYNTAX FOR TEST RESOURCE METHODS=====================================");
  ASSERT_LT(api_start, doc.size());
  int templates = 0;
  for (const api::Family* f : api::families())
    for (const api::Row& row : f->rows) {
      const std::string keyword(row.keyword);
      const auto count = std::count(doc.begin(), doc.end(), keyword);
      if (left_out_of_reference(row.keyword)) {
        EXPECT_EQ(count, 0) << keyword;
        continue;
      }
      ASSERT_EQ(count, 1) << keyword;
      ++templates;
      std::size_t at = index_of(doc, keyword);
      ASSERT_GT(at, api_start) << keyword;
      // The header above it names its class.
      std::size_t h = at;
      while (h > 0 && !doc[h].starts_with("===Syntax for ") && !doc[h].starts_with("---Syntax for ")) --h;
      const std::string& header = doc[h];
      const std::string cls = header.substr(14, header.find(' ', 14) - 14);
      EXPECT_TRUE(keyword.starts_with(cls)) << keyword << " under " << header;
      EXPECT_EQ(class_of(cls), class_of(row.keyword)) << keyword << " under " << header;
      // Its parameter lines in echo order, then the expectations, then End.
      std::size_t line = at + 1;
      for (const api::Param& p : row.params) {
        if (p.synonym) continue;  // the general section names it
        ASSERT_LT(line, doc.size());
        std::string kw(keyword_text(p.keyword));
        // Left-justified in 34 characters; a longer keyword keeps one blank.
        kw.resize(std::max<std::size_t>(kw.size() + 1, 34), ' ');
        EXPECT_EQ(doc[line].rfind("  " + kw + reference_form(p), 0), 0u) << keyword << ": " << doc[line];
        ++line;
      }
      for (const Expectation& x : expectations(row)) {
        std::string kw(x.keyword);
        kw.resize(34, ' ');
        EXPECT_EQ(doc[line], "  " + kw + x.form) << keyword;
        ++line;
      }
      EXPECT_EQ(doc[line], "End") << keyword;
      EXPECT_EQ(doc[line + 1], "") << keyword;
    }
  EXPECT_GT(templates, 0);

  // And nothing else stands there as a template: every keyword line under an
  // API header is a served keyword.
  for (std::size_t i = api_start; i < doc.size(); ++i) {
    const std::string& l = doc[i];
    if (l.empty() || l == "End" || l[0] == ' ' || l.starts_with("===") || l.starts_with("---")) continue;
    const api::Row* row = api::row_for(keyword_id(l));
    EXPECT_TRUE(row != nullptr || tool_method(keyword_id(l)) != nullptr) << l;
  }
}

// Keywords of families still to come find their headers too.
TEST(SyntaxReference, HeaderOfAKeyword) {
  EXPECT_EQ(api_section_of("PvxjProcessTemplateListVectorFirstNamedElement"), "PvxjProcessTemplateListVector");
  EXPECT_EQ(api_section_of("PvxjProcessInstanceNotificationTime"), "PvxjProcessInstance");
  EXPECT_EQ(api_section_of("PvxjProcessInstanceNotificationVectorSize"), "PvxjProcessInstanceNotificationVector");
  EXPECT_EQ(api_section_of("PvxjProcessInstanceMonitorDeallocate"), "PvxjProcessInstanceMonitor");
  EXPECT_EQ(api_section_of("PvxjContainerElementVectorSize"), "PvxjContainerElementVector");
  EXPECT_EQ(api_section_of("PvxjContainer_DUMP_ALL"), "PvxjContainer");
  EXPECT_EQ(api_section_of("PvxjPEAProgramID"), "PvxjPEA");
  EXPECT_EQ(api_section_of("PvxjExeOptionsPathAndFileName"), "PvxjExeOptions");
  EXPECT_EQ(api_section_of("PvxjItemListDeallocate"), "PvxjItem");
  EXPECT_EQ(api_section_of("TestTool_Sleep"), "");
  EXPECT_EQ(api_section_title("PvxjMessage"), "Syntax for PvxjMessage API");
  EXPECT_EQ(api_section_title("PvxjPoint"), "Syntax for PvxjPoint APIs");
  EXPECT_EQ(api_section_title("ProcessMonitor"), "Syntax for ProcessMonitor APIs");
}

TEST(SyntaxReference, TheReceiverMayBeItsVectorWhereTheRowAllowsIt) {
  const api::Row* name = api::row_for(keyword_id("PvxjProcessTemplateName"));
  ASSERT_NE(name, nullptr);
  std::vector<std::string> t = api_template(*name);
  ASSERT_GE(t.size(), 2u);
  EXPECT_EQ(t[1], "  ProcessTemplateHdl                i | ProcessTemplateVectorHdl i (ALL)");
  const api::Row* oid = api::row_for(keyword_id("PvxjProcessTemplatePersistentOid"));
  ASSERT_NE(oid, nullptr);
  EXPECT_EQ(api_template(*oid)[1], "  ProcessTemplateHdl                i");
}

// Keywords the table knows and no method serves are not in the reference.
TEST(SyntaxReference, UnservedKeywordsAreLeftOut) {
  EXPECT_TRUE(left_out_of_reference("PvxjProcessTemplateValidFromTimeIsNull"));
  EXPECT_TRUE(left_out_of_reference("PvxjProcessTemplateExecuteProcessInstance2"));
  EXPECT_FALSE(left_out_of_reference("PvxjProcessTemplateValidFromTime"));
}

TEST(SyntaxReference, ExampleTemplate) {
  const api::Row* logon = api::row_for(keyword_id("PvxjExecutionServiceLogon"));
  ASSERT_NE(logon, nullptr);
  EXPECT_EQ(api_template(*logon), (std::vector<std::string>{
                                      "PvxjExecutionServiceLogon",
                                      "  ExecutionServiceHdl               i",
                                      "  UserID                            \"value\" | NULL | \"<CL-VALUE>\"",
                                      "  Password                          \"value\" | NULL | \"<CL-VALUE>\"",
                                      "  SessionMode                       Pvx_SM_Default | Pvx_SM_Present | Pvx_SM_PresentHere",
                                      "  AbsentIndicator                   Pvx_SA_NotSet | Pvx_SA_Reset | Pvx_SA_Leave",
                                      "  XpRc                              PVX_OK",
                                      "End",
                                  }));
}

// The identifier slot a PEA method fills is of the form n, its synonym is
// not a parameter of its own, and the person dump expects nothing.
TEST(SyntaxReference, FilledSlotsSynonymsAndTheDump) {
  const api::Row* oid = api::row_for(keyword_id("PvxjPEAPersistentOidOfActivityInstance"));
  const api::Row* dump = api::row_for(keyword_id("PvxjPerson_DUMP_ALL"));
  const api::Row* set = api::row_for(keyword_id("PvxjDateTime_SET_VALUE"));
  ASSERT_TRUE(oid && dump && set);
  EXPECT_EQ(api_template(*oid), (std::vector<std::string>{
                                    "PvxjPEAPersistentOidOfActivityInstance",
                                    "  PersistentOidHdl                  n",
                                    "  PersistentOidOutputFileSpec       [\"FileSpec\"]",
                                    "  BufferLength                      unsigned long",
                                    "  XpValue                           \"value\" | NULL",
                                    "End",
                                }));
  EXPECT_EQ(api_template(*dump),
            (std::vector<std::string>{"PvxjPerson_DUMP_ALL", "  PersonHdl                         i", "End"}));
  ASSERT_GE(api_template(*set).size(), 3u);
  EXPECT_EQ(api_template(*set)[2], "  Year                              short");
}

TEST(SyntaxReference, ToolMethodsFromTheirParameterRows) {
  std::vector<std::string> doc = document();
  const std::size_t tools = index_of(doc, "===SYNTAX FOR TEST TOOL METHODS=========================================");
  const std::size_t quill = index_of(doc, "/* The following methods are for Quill only */");
  const std::size_t resources = index_of(doc, "===SYNTAX FOR TEST RESOURCE METHODS=====================================");
  ASSERT_LT(tools, quill);
  ASSERT_LT(quill, resources);
  ASSERT_LT(resources, doc.size());
  for (const ToolMethod& m : tool_methods()) {
    const std::string keyword(keyword_text(m.keyword));
    ASSERT_EQ(std::count(doc.begin(), doc.end(), keyword), 1) << keyword;
    const std::size_t at = index_of(doc, keyword);
    if (keyword.starts_with("TestResource_")) EXPECT_GT(at, resources) << keyword;
    else if (!m.carried_out) EXPECT_TRUE(at > quill && at < resources) << keyword;
    else EXPECT_TRUE(at > tools && at < quill) << keyword;
    const std::vector<std::string> t = tool_template(m);
    for (std::size_t i = 0; i < t.size(); ++i) EXPECT_EQ(doc[at + i], t[i]) << keyword;
    EXPECT_EQ(doc[at + t.size()], "");
  }
  expect_block(doc, "TestTool_Sleep",
               {"TestTool_Sleep", "  SleepTime_ms                      unsigned long | RANDOM",
                "  RandomUpperLimit                  [unsigned long]", "  UserText                          [\"value\"]",
                "  Beep                              [TRUE | FALSE]", "End"});
  EXPECT_LT(index_of(doc, "  On this platform the range is: 1000-32767000 ms"), doc.size());
  // Methods without End stand alone.
  expect_block(doc, "TestTool_Then", {"TestTool_Then", ""});
}

// Every tool method keyword of the vocabulary is either documented from its
// row or one of the program-starting methods that are not carried out.
TEST(SyntaxReference, EveryToolMethodKeywordIsAccountedFor) {
  for (int id = kTestTool_Cmd_ASYNC; id <= kTestResource_TreatHandleAsHandleOfOtherType; ++id) {
    const std::string_view kw = keyword_text(id);
    if (!kw.starts_with("TestTool_") && !kw.starts_with("TestResource_")) continue;
    const bool program = kw.starts_with("TestTool_Cmd_") || kw.starts_with("TestTool_DosExecPgm_");
    EXPECT_TRUE(tool_method(id) != nullptr || program) << kw;
  }
}

}  // namespace
}  // namespace kr
