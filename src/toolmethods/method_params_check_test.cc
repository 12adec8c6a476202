// The signature table against the handlers: every parameter it lists is one
// the handler takes, a word it does not list is refused, and the methods it
// leaves out are the ones the handlers answer with TC0006.
#include "toolmethods/method_params.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/output.h"
#include "driver/driver.h"
#include "toolmethods/timing.h"

namespace kr {
namespace {

void no_sleep(uint32_t) {}

std::string run(const std::string& input) {
  TimingPlatform saved = timing_platform();
  std::FILE* in = std::tmpfile();
  timing_platform() = {no_sleep, in};
  CommandLineSettings settings;
  std::string result, console;
  Sink err(&console);
  run_test_text(settings, input, &result, err);
  timing_platform() = saved;
  std::fclose(in);
  return result;
}

std::string sample(const ToolParam& p) {
  switch (p.value) {
    case ToolValue::kBool: return "TRUE";
    case ToolValue::kAnd: return "AND";
    case ToolValue::kText: return "\"x\"";
    case ToolValue::kOptions: return "\"SECTION\"";
    case ToolValue::kLoopCount: return "1";
    case ToolValue::kReturnCode: return "1";
    case ToolValue::kSleepTime: return "0";
    case ToolValue::kMilliseconds: return "1000";
    case ToolValue::kHandleType: return "ProcessInstanceHdl";
    case ToolValue::kHandleNumber: return "1";
    case ToolValue::kWord: return "x";
  }
  return "";
}

TEST(ToolSignatures, EveryListedParameterIsTakenAndOthersAreRefused) {
  for (const ToolMethod& m : tool_methods()) {
    if (!m.carried_out) continue;
    const std::string kw(keyword_text(m.keyword));
    if (!m.has_end) {
      EXPECT_TRUE(m.params.empty()) << kw;
      EXPECT_EQ(run(kw).find("TC0006"), std::string::npos) << kw;
      continue;
    }
    for (const ToolParam& p : m.params) {
      const std::string r = run(kw + " " + std::string(keyword_text(p.keyword)) + " " + sample(p) + " End");
      EXPECT_EQ(r.find("TC0010"), std::string::npos) << kw << " " << keyword_text(p.keyword) << "\n" << r;
      EXPECT_EQ(r.find("TC0007"), std::string::npos) << kw << " " << keyword_text(p.keyword) << "\n" << r;
    }
    EXPECT_NE(run(kw + " NoSuchParameter 1 End").find("TC0010"), std::string::npos) << kw;
  }
}

TEST(ToolSignatures, KeywordsLeftOutAreTheOnesNotServed) {
  std::size_t count = 0;
  const KeywordEntry* table = keyword_table(&count);
  int served = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view t = table[i].text;
    if (t.rfind("TestTool_", 0) != 0 && t.rfind("TestResource_", 0) != 0) continue;
    const ToolMethod* m = tool_method(table[i].id);
    const bool listed = m && m->carried_out;
    served += listed;
    const std::string r = run(std::string(t) + " End");
    EXPECT_EQ(r.find("TC0006") == std::string::npos, listed) << t;
  }
  int carried_out = 0;
  for (const ToolMethod& m : tool_methods()) carried_out += m.carried_out;
  EXPECT_EQ(served, carried_out);
}

TEST(ToolSignatures, RequiredParametersAreReportedMissingByTheHandlers) {
  for (const ToolMethod& m : tool_methods()) {
    if (!m.carried_out) continue;
    for (const ToolParam& p : m.params) {
      if (p.required) {
        EXPECT_NE(run(std::string(keyword_text(m.keyword)) + " End").find("TC0008"), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace kr
