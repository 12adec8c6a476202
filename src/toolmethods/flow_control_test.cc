// Flow-control paths that the golden cases flow_*.dat cannot reach easily:
// IF states at the end of the input, loop counts from a vector size, the
// count reader, and hostile input.
#include "toolmethods/flow_control.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

#include <cstdint>
#include <random>
#include <string>

#include "core/cmdline.h"
#include "core/keywords.h"
#include "core/run_context.h"
#include "driver/driver.h"
#include "toolmethods/testtool.h"
#include "toolmethods/timing.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  using TestContext::TestContext;
  // Reads the next top-level keyword and runs it, as the driver does.
  void step() {
    ctx.keyword_start = ctx.in.pos();
    std::string_view tok = ctx.in.token();
    ctx.keyword.assign(tok);
    ctx.cur.assign(tok);
    ctx.keyword_id = keyword_id(tok);
    ctx.slot_index = 0;
    testtool_handler(ctx);
  }
  // What a check does with its outcome between TestTool_If and TestTool_Then.
  void api_expression(bool match) {
    ASSERT_TRUE(ctx.ifs.if_mode);
    ctx.ifs.api_expr_seen = true;
    if (!match) ctx.ifs.if_value = false;
  }
  std::string rest() {
    std::string r;
    for (std::string_view t; !(t = ctx.in.token()).empty();) r.append(t).append(" ");
    return r;
  }
};

TEST(FlowControl, ElseWithoutEndIfAfterTrueBranchKeepsTheState) {
  Fixture f("TestTool_If End TestTool_Then TestTool_Else TestTool_CommentToOutput End");
  f.step();
  f.api_expression(true);
  f.step();
  f.step();  // Else: the skip runs off the end
  EXPECT_NE(f.result.find("TC0024  TC ERROR:  If statement: ENDIF not found.\n+++ERROR+++\n"), std::string::npos);
  EXPECT_TRUE(f.ctx.ifs.if_open);
  EXPECT_TRUE(f.ctx.ifs.then_open);
  EXPECT_TRUE(f.ctx.error_flag);
}

TEST(FlowControl, SkipsStopAtAnEndOfFileMark) {
  Fixture f("TestTool_If End TestTool_Then a b \x1A TestTool_EndIf");
  f.step();
  f.step();  // no expression: FALSE, skip to Else/EndIf meets the mark first
  EXPECT_NE(f.result.find("If statement: ELSE or ENDIF not found."), std::string::npos);
  EXPECT_EQ(f.rest(), "");
}

TEST(FlowControl, LoopCountFromTheLastVectorSize) {
  struct Case {
    uint32_t size;
    const char* word;
    const char* suffix;
  } cases[] = {
      {1, "LastRetrievedVectorSizeMinus1", " [planned: 0 (if(VectorSize>0) VectorSize-1)] [actual: 0]"},
      {4, "lastretrievedvectorsizeminus1", " [planned: 3 (if(VectorSize>0) VectorSize-1)] [actual: 1]"},
      {4, "LastRetrievedVectorSize", " [planned: 4 (VectorSize)] [actual: 1]"},
  };
  for (const Case& c : cases) {
    Fixture f(std::string("TestTool_LoopStart NoOfLoops ") + c.word + " End");
    f.ctx.reg.last_vector_size = c.size;
    f.step();
    EXPECT_EQ(f.result.substr(0, f.result.find('\n')), std::string("TestTool_LoopStart") + c.suffix)
        << c.size << " " << c.word;
    EXPECT_FALSE(f.ctx.error_flag);
  }
}

TEST(FlowControl, LeadingCount) {
  struct Case {
    const char* text;
    Count kind;
    int64_t value;
  } cases[] = {
      {"+17", Count::kNumber, 17},
      {"17abc", Count::kNumber, 17},
      {"4294967295", Count::kNumber, 4294967295},
      {"4294967296", Count::kOutOfRange, 0},
      {"99999999999999999999999999", Count::kOutOfRange, 0},
      {"-1", Count::kOutOfRange, 0},
      {"-0", Count::kNumber, 0},
      {"", Count::kNotNumber, 0},
      {"+", Count::kNotNumber, 0},
      {" 5", Count::kNotNumber, 0},
  };
  for (const Case& c : cases) {
    int64_t v = -1;
    EXPECT_EQ(leading_count(c.text, 0, 4294967295, &v), c.kind) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  int64_t v = 0;
  EXPECT_EQ(leading_count("-2147483648", INT32_MIN, INT32_MAX, &v), Count::kNumber);
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_EQ(leading_count("2147483648", INT32_MIN, INT32_MAX, &v), Count::kOutOfRange);
}

TEST(FlowControl, RandomToolMethodSoupsAlwaysEnd) {
  const char* words[] = {
      "TestTool_If", "TestTool_Then", "TestTool_Else", "TestTool_EndIf", "TestTool_LoopStart",
      "TestTool_JumpToLoopStart", "TestTool_LoopBreak", "TestTool_SetReturnCode", "TestTool_Sleep",
      "TestTool_ShowElapseTime", "TestTool_WaitForUserInput", "TestTool_CommentToOutput", "TestTool_DosExecPgm",
      "End", "End", "End", "NoOfLoops", "3", "0", "-1", "abc", "LastRetrievedVectorSizeMinus1",
      "ExpressionOperator", "AND", "ToStandardError", "TRUE", "maybe", "UserDefinedReturnCode",
      "CurrentLoopCount", "SleepTime_ms", "RANDOM", "RandomUpperLimit", "1000", "Comment", "UserText",
      "ElapseTimeOptions", "\"section printapiname testcase\"", "\"a \"\"b\"\"\"", "\"", "NULL", "/*", "*/",
      "<NOT_C>", "</NOT_C>", "\x1A", "<long>"};
  const std::string long_word(300, 'w');
  std::vector<std::string> vocab(std::begin(words), std::end(words));
  vocab.back() = long_word;

  TimingPlatform saved = timing_platform();
  timing_platform().sleep_ms = [](uint32_t) {};
  std::FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  timing_platform().user_input = in;

  std::mt19937 rng(12345);
  CommandLineSettings settings;
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int n = 1 + static_cast<int>(rng() % 60);
    for (int i = 0; i < n; ++i) text.append(vocab[rng() % vocab.size()]).append(rng() % 4 ? " " : "\n");
    std::string console_text, result;
    Sink console(&console_text);
    const int rc = run_test_text(settings, text, &result, console);
    ASSERT_TRUE(rc == 8 || rc == 12 || (rc >= -1 && rc <= 3)) << rc << "\n" << text;
  }
  timing_platform() = saved;
  std::fclose(in);
}

}  // namespace
}  // namespace kr
