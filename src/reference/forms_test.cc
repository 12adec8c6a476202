// The value forms the syntax reference shows must be forms the section
// readers accept: every alternative of every parameter of every documented
// method is fed to its handler, and none may be refused as an unknown
// keyword (TC0010) or an unknown value (TC0007).
#include "reference/forms.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api/vectors.h"
#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/output.h"
#include "driver/driver.h"
#include "toolmethods/method_params.h"
#include "toolmethods/timing.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

// The alternatives of a form: "[a | b]" gives a and b.
std::vector<std::string> alternatives(std::string form) {
  if (form.size() >= 2 && form.front() == '[' && form.back() == ']') form = form.substr(1, form.size() - 2);
  std::vector<std::string> alts;
  std::size_t pos = 0;
  for (;;) {
    std::size_t bar = form.find(" | ", pos);
    alts.push_back(form.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
    if (bar == std::string::npos) return alts;
    pos = bar + 3;
  }
}

class Files {
 public:
  Files() : dir_(fs::temp_directory_path() / ("kr_forms_" + std::to_string(::getpid()))) {
    fs::create_directories(dir_);
    std::ofstream(dir_ / "in.txt") << "PvxProcessTemplateObjectID\n\nword\n";
  }
  ~Files() { fs::remove_all(dir_); }
  std::string in() const { return "\"" + (dir_ / "in.txt").string() + "\""; }
  std::string out() const { return "\"" + (dir_ / "out.txt").string() + "\""; }

 private:
  fs::path dir_;
};

// A value written in the form `alt`; empty when the test knows no sample,
// which fails the test so that a new form is taught here.
std::string sample(const std::string& alt, const Files& files, bool output_file) {
  if (alt == "i" || alt == "n" || alt == "i+") return "1";
  if (alt == "int" || alt == "short" || alt == "long" || alt == "unsigned long") return "2";
  if (alt == "double") return "2.5";
  if (alt == "value") return "word";
  if (alt == "\"value\"") return "\"two \"\"quoted\"\" words\"";
  if (alt == "\"dt_value\"") return "\"04-16-1998 08:32:59PM\"";
  if (alt == "\"sc_value\"") return "\"NAME DESC\"";
  if (alt == "\"fi_value\"") return "\"NAME LIKE 'A*'\"";
  if (alt == "\"hex_value\"") return "\"0A1B2C\"";
  if (alt == "\"value1;value2;...\"") return "\"a;b;c\"";
  if (alt == "\"<CL-VALUE>\"") return alt;
  if (alt == "\"FileSpec\"") return output_file ? files.out() : files.in();
  if (alt == "NULL" || alt == "DEFAULT" || alt == "TRUE" || alt == "FALSE" || alt == "PVX_OK") return alt;
  // Enumeration names and the words of the tool methods stand for themselves.
  if (alt.starts_with("Pvx_") || alt == "AND" || alt == "RANDOM" || alt == "CurrentLoopCount" ||
      alt.starts_with("LastRetrievedVectorSize") || alt.starts_with("EXEC_") || alt.starts_with("DKP_"))
    return alt;
  return {};
}

struct Outcome {
  std::string result;
  int code;
};

Outcome run(const std::string& input) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  CommandLineSettings settings;
  // Every "<CL-VALUE>" finds its option.
  for (OptionValue* o : {&settings.user, &settings.password, &settings.system, &settings.group, &settings.config,
                         &settings.session})
    o->given = true;
  std::string console;
  Sink err(&console);
  Outcome r;
  r.code = run_test_text(settings, input, &r.result, err);
  return r;
}

bool refused(const std::string& result) {
  return result.find("TC0007") != std::string::npos || result.find("TC0010") != std::string::npos;
}

// One section per alternative of each parameter, the other parameters at
// their first alternative.
struct Param {
  std::string keyword;
  std::vector<std::string> values;
};

std::string sections(const std::string& keyword, const std::vector<Param>& params, bool has_end) {
  std::string text;
  auto section = [&](std::size_t vary, std::size_t alt) {
    text += keyword + "\n";
    for (std::size_t k = 0; k < params.size(); ++k)
      text += "  " + params[k].keyword + " " + params[k].values[k == vary ? alt : 0] + "\n";
    if (has_end) text += "End\n";
  };
  section(params.size(), 0);
  for (std::size_t k = 0; k < params.size(); ++k)
    for (std::size_t a = 1; a < params[k].values.size(); ++a) section(k, a);
  return text;
}

TEST(ReferenceForms, EveryApiValueFormIsReadWithoutRefusal) {
  Files files;
  int documented = 0;
  for (const api::Family* f : api::families())
    for (const api::Row& row : f->rows) {
      if (left_out_of_reference(row.keyword)) continue;
      ++documented;
      std::vector<Param> params;
      for (const api::Param& p : row.params) {
        if (p.synonym) continue;
        Param q{std::string(keyword_text(p.keyword)), {}};
        for (const std::string& alt : alternatives(reference_form(p))) {
          std::string v = sample(alt, files, p.form == api::Form::kFileOut);
          EXPECT_FALSE(v.empty()) << row.keyword << ": no sample for the form " << alt;
          q.values.push_back(v);
        }
        params.push_back(q);
      }
      for (const Expectation& x : expectations(row)) {
        Param q{std::string(x.keyword), {}};
        for (const std::string& alt : alternatives(x.form)) q.values.push_back(sample(alt, files, false));
        params.push_back(q);
      }
      std::string text = sections(std::string(row.keyword), params, true);
      // The ALL form, where the template offers it.
      const api::VectorOps* v =
          row.params.empty() ? nullptr : api::vector_ops_for_element(row.params[0].keyword);
      if ((row.flags & api::kVectorForm) && v) {
        std::vector<Param> all = params;
        all[0] = {std::string(keyword_text(v->vector_type)), {"1"}};
        text += sections(std::string(row.keyword), all, true);
      }
      Outcome r = run(text);
      EXPECT_FALSE(refused(r.result)) << text << "\n---\n" << r.result;
      // The sections were read and echoed, not refused wholesale.
      if (!row.params.empty()) {
        // Identifier slots are echoed under the keyword the registry files them under.
        const std::string echoed = params[0].keyword == "PersistentOidHdl" ? "PersistentOid" : params[0].keyword;
        EXPECT_NE(r.result.find("parameter:  " + echoed + " = "), std::string::npos) << r.result;
      }
    }
  EXPECT_GT(documented, 0);
}

TEST(ReferenceForms, EveryToolMethodFormIsReadWithoutRefusal) {
  Files files;
  // Neither sleep nor wait for a person: the platform is replaced for the test.
  TimingPlatform saved = timing_platform();
  timing_platform().sleep_ms = [](uint32_t) {};
  std::FILE* input = std::tmpfile();
  ASSERT_NE(input, nullptr);
  std::fputs("\n\n\n\n\n\n\n\n", input);
  std::rewind(input);
  timing_platform().user_input = input;

  for (const ToolMethod& m : tool_methods()) {
    std::vector<Param> params;
    for (const ToolParam& p : m.params) {
      Param q{std::string(keyword_text(p.keyword)), {}};
      for (const std::string& alt : alternatives(std::string(p.form))) {
        std::string v = p.keyword == kHdlTypeOrigin || p.keyword == kHdlTypeNew ? "ProcessInstanceHdl"
                                                                                 : sample(alt, files, false);
        EXPECT_FALSE(v.empty()) << keyword_text(m.keyword) << ": no sample for the form " << alt;
        q.values.push_back(v);
      }
      params.push_back(q);
    }
    const std::string keyword(keyword_text(m.keyword));
    std::string text = sections(keyword, params, m.has_end);
    // A loop or IF that a section opens is closed, so that the run ends tidily.
    if (m.keyword == kTestTool_LoopStart) text += "TestTool_JumpToLoopStart\n";
    if (m.keyword == kTestTool_If) text += "TestTool_Then TestTool_EndIf\n";
    Outcome r = run(text);
    EXPECT_FALSE(refused(r.result)) << text << "\n---\n" << r.result;
    // The methods documented for another platform are known but not carried out.
    if (!m.carried_out) EXPECT_NE(r.result.find("TC0006"), std::string::npos) << r.result;
    else EXPECT_EQ(r.result.find("TC0006"), std::string::npos) << r.result;
  }
  timing_platform() = saved;
  std::fclose(input);
}

// The table is the handlers' gate: a keyword of another method is refused.
TEST(ReferenceForms, ToolMethodsRefuseParametersOfOtherMethods) {
  Outcome r = run("TestTool_CommentToOutput UserText \"x\" End\n");
  EXPECT_NE(r.result.find("TC0010"), std::string::npos) << r.result;
  r = run("TestTool_LoopStart SleepTime_ms 5 End\n");
  EXPECT_NE(r.result.find("TC0010"), std::string::npos) << r.result;
  r = run("TestTool_ShowDiffTime ElapseTimeOptions \"Method\" End\n");
  EXPECT_FALSE(refused(r.result)) << r.result;
  EXPECT_NE(r.result.find("\nElapseTimeOptions = METHOD"), std::string::npos) << r.result;
}

api::Param param(int keyword, api::Form form, bool optional = false, const api::EnumTable* enums = nullptr) {
  api::Param p{};
  p.keyword = keyword;
  p.form = form;
  p.optional = optional;
  p.enums = enums;
  return p;
}

TEST(ReferenceForms, DisplayForms) {
  using api::Form;
  static const api::EnumEntry kModes[] = {{"Pvx_SM_Default", 0}, {"Pvx_SM_Present", 1}};
  const api::EnumTable modes{kModes};
  EXPECT_EQ(reference_form(param(kExecutionServiceHdl, Form::kIn)), "i");
  EXPECT_EQ(reference_form(param(kExecutionServiceHdl, Form::kOut)), "n");
  EXPECT_EQ(reference_form(param(kProcessTemplateVectorHdl, Form::kAppend)), "n | i+");
  EXPECT_EQ(reference_form(param(kUserID, Form::kTextCl)), "\"value\" | NULL | \"<CL-VALUE>\"");
  api::Param filter = param(kFilter, Form::kText);
  filter.display = api::Display::kFilter;
  EXPECT_EQ(reference_form(filter), "\"fi_value\" | NULL");
  api::Param sort = param(kSortCriteria, Form::kText);
  sort.display = api::Display::kSortCriteria;
  EXPECT_EQ(reference_form(sort), "\"sc_value\" | NULL");
  EXPECT_EQ(reference_form(param(kSessionMode, Form::kEnum, false, &modes)), "Pvx_SM_Default | Pvx_SM_Present");
  EXPECT_EQ(reference_form(param(kShowAllObjectNames, Form::kBool, true)), "[TRUE | FALSE]");
  EXPECT_EQ(reference_form(param(kThreshold, Form::kULongOrNull)), "unsigned long | NULL");
  EXPECT_EQ(reference_form(param(kBufferLength, Form::kULong)), "unsigned long");
  EXPECT_EQ(reference_form(param(kYear, Form::kUShort)), "short");
  api::Param slot = param(kPersistentOidHdl, Form::kOidSlot);
  EXPECT_EQ(reference_form(slot), "i");
  slot.display = api::Display::kResultSlot;
  EXPECT_EQ(reference_form(slot), "n");
}

TEST(ReferenceForms, LeftOutKeywords) {
  EXPECT_TRUE(left_out_of_reference("PvxjWorklistOwner"));
  EXPECT_TRUE(left_out_of_reference("PvxjIntVectorSize"));
  EXPECT_FALSE(left_out_of_reference("PvxjWorklistName"));
  EXPECT_FALSE(left_out_of_reference("PvxjStringVectorSize"));
}

}  // namespace
}  // namespace kr
