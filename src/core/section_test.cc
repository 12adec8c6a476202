// Values read inside a section, driven through whole in-process runs so the
// error paths show exactly what a tester would see.
#include "core/section.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

#include <random>
#include <string>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "driver/driver.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  using TestContext::TestContext;
};

TEST(SectionValues, QuotedTextWithDoubledQuotesAndLineFeeds) {
  Fixture f("\"say \"\"hi\"\"\nthere\" \"\" \"\"\"\"");
  std::string v;
  EXPECT_EQ(read_string(f.ctx, &v), Read::kOk);
  EXPECT_EQ(v, "say \"hi\"\nthere");
  EXPECT_EQ(read_string(f.ctx, &v), Read::kOk);
  EXPECT_EQ(v, "");
  EXPECT_EQ(read_string(f.ctx, &v), Read::kOk);
  EXPECT_EQ(v, "\"");
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(SectionValues, NullAndDefaultNeedACapitalFirstLetter) {
  Fixture f("NULL Null\nDEFAULT Default");
  std::string v;
  EXPECT_EQ(read_string(f.ctx, &v), Read::kNull);
  EXPECT_EQ(v, "NULL");
  EXPECT_EQ(read_string(f.ctx, &v), Read::kNull);
  EXPECT_EQ(v, "Null");
  EXPECT_EQ(read_string(f.ctx, &v), Read::kDefault);
  EXPECT_EQ(read_string(f.ctx, &v), Read::kDefault);
  EXPECT_FALSE(f.ctx.error_flag);

  Fixture g("null End");
  EXPECT_EQ(read_string(g.ctx, &v), Read::kAtEnd);
  EXPECT_TRUE(g.ctx.error_flag);
  EXPECT_NE(g.result.find("TC0020"), std::string::npos);
  Fixture h("Nothing End");
  EXPECT_EQ(read_string(h.ctx, &v), Read::kAtEnd);
}

TEST(SectionValues, UnclosedQuoteKeepsWhatWasReadAndReportsMissingEnd) {
  Fixture f("\"abc\nEnd\n");
  std::string v;
  EXPECT_EQ(read_string(f.ctx, &v), Read::kAtEnd);
  EXPECT_EQ(v, "abc\nEnd\n");
  EXPECT_NE(f.result.find("Keyword \"End\" not found. EOF?"), std::string::npos);
}

TEST(SectionValues, TooLongTextIsRefusedNotCut) {
  Fixture f("\"" + std::string(264, 'x') + "\" End");
  std::string v;
  EXPECT_EQ(read_string(f.ctx, &v), Read::kAbort);
  EXPECT_NE(f.result.find("TC0010"), std::string::npos);
  Fixture g("\"" + std::string(263, 'x') + "\"");
  EXPECT_EQ(read_string(g.ctx, &v), Read::kOk);
  EXPECT_EQ(v.size(), 263u);
}

TEST(SectionValues, NumbersStopAtTheFirstCharacterThatCannotContinueThem) {
  Fixture f(" -12End 4000000000 2.5e3x");
  int32_t i = 0;
  uint32_t u = 0;
  double d = 0;
  EXPECT_EQ(read_i32(f.ctx, &i), Read::kOk);
  EXPECT_EQ(i, -12);
  std::string_view tok;
  ASSERT_TRUE(next_token(f.ctx, &tok));
  EXPECT_EQ(tok, "End");
  EXPECT_EQ(read_u32(f.ctx, &u), Read::kOk);
  EXPECT_EQ(u, 4000000000u);
  EXPECT_EQ(read_double(f.ctx, &d), Read::kOk);
  EXPECT_DOUBLE_EQ(d, 2500.0);
  ASSERT_TRUE(next_token(f.ctx, &tok));
  EXPECT_EQ(tok, "x");
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(SectionValues, MalformedNumbersAreToolErrorsNotADeadInput) {
  for (const char* bad : {"abc End", "-x End", "99999999999 End", "-1 End", "0x10 End", "inf End"}) {
    Fixture f(bad);
    int32_t i = 0;
    uint32_t u = 0;
    double d = 0;
    Read r = (bad[0] == '-' && bad[1] == '1') ? read_u32(f.ctx, &u)
             : (bad[0] == '0' || bad[0] == 'i') ? read_double(f.ctx, &d)
                                                : read_i32(f.ctx, &i);
    EXPECT_EQ(r, Read::kAbort) << bad;
    EXPECT_NE(f.result.find("TC0007  TC ERROR:  Unknown parameter:  "), std::string::npos) << bad;
    EXPECT_NE(f.result.find("Function BREAK"), std::string::npos) << bad;
    EXPECT_TRUE(f.ctx.in.at_end()) << bad;  // the section was skipped through its End
  }
}

TEST(SectionValues, ThirtyTokensFitTheThirtyFirstIsRefused) {
  std::string text;
  for (int i = 0; i < 29; ++i) text += "t ";
  text += "last overflow End";
  Fixture f(text);
  std::string_view tok;
  for (int i = 0; i < 29; ++i) ASSERT_TRUE(next_token(f.ctx, &tok)) << i;
  EXPECT_FALSE(next_token(f.ctx, &tok));
  EXPECT_NE(f.result.find("Unknown keyword or parameter:  last"), std::string::npos);
}

TEST(SectionValues, LeadingNumberReadsLikeAtoi) {
  EXPECT_EQ(leading_number("42abc"), 42);
  EXPECT_EQ(leading_number("-7"), -7);
  EXPECT_EQ(leading_number("abc"), 0);
  EXPECT_EQ(leading_number(""), 0);
  EXPECT_GT(leading_number("99999999999999999999"), 4294967295LL);  // clamps, never overflows
}

// Whole runs over random and hostile bytes: each must end in a verdict.
TEST(SectionValues, AnyBytesEndInAVerdict) {
  std::mt19937 rng(1234);
  const std::string pieces[] = {"TestTool_CommentToOutput", "Comment", "\"", "End", "/*", "*/", "<NOT_C>",
                                "</NOT_C>", "NULL", "ToStandardError", "TRUE", "\x1A", "Pvxj", " ", "\n", "\0"};
  for (int run = 0; run < 300; ++run) {
    std::string input;
    int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) {
      if (rng() % 3 == 0) input.push_back(static_cast<char>(rng() % 256));
      else input += pieces[rng() % std::size(pieces)];
      if (rng() % 2) input.push_back(' ');
    }
    CommandLineSettings s;
    std::string console_text, result;
    Sink console(&console_text);
    int code = run_test_text(s, input, &result, console);
    EXPECT_TRUE(code == 0 || code == 1 || code == 8 || code == 12) << code;
    bool verdict = result.find("====== Test case ") != std::string::npos;
    EXPECT_TRUE(verdict || code == 1) << input;
  }
}

}  // namespace
}  // namespace kr
