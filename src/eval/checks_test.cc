#include "eval/checks.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

#include <string>

#include "core/cmdline.h"
#include "core/run_context.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  Fixture() { ctx.cur = "End"; }
  // The lines after the block's header line.
  std::string body() const { return result.substr(result.find('\n') + 1); }
};

TEST(Checks, ReturnCodesCompareByNameWithCase) {
  Fixture f;
  check_rc(f.ctx, 0, "PVX_OK");
  EXPECT_EQ(f.result,
            "..........RC Report.........................................................\n"
            "AcRc = PVX_OK = 0\nXpRc = PVX_OK\n+++OK+++\n");
  EXPECT_FALSE(f.ctx.error_flag);

  Fixture lower;
  check_rc(lower.ctx, 0, "pvx_ok");
  EXPECT_EQ(lower.body(), "AcRc = PVX_OK = 0\nXpRc = pvx_ok\n+++ERROR+++\n");
  EXPECT_TRUE(lower.ctx.error_flag);

  // A code without a name is ???; only ??? matches it, never the number.
  Fixture unnamed;
  check_rc(unnamed.ctx, 803, "803");
  check_rc(unnamed.ctx, 803, "???");
  EXPECT_NE(unnamed.result.find("AcRc = ??? = 803\nXpRc = 803\n+++ERROR+++\n"), std::string::npos);
  EXPECT_NE(unnamed.result.find("XpRc = ???\n+++OK+++\n"), std::string::npos);
}

TEST(Checks, MissingExpectationsWriteTheBlockButNoVerdict) {
  Fixture f;
  check_rc(f.ctx, 1, kNoExpectedRc);
  check_text(f.ctx, kLabelValue, "abc", kNoExpectedValue);
  check_like(f.ctx, kLabelValue, "abc", kNoExpectedValue);
  check_long(f.ctx, kLabelValue, 5, kNoExpectedSigned);
  check_int(f.ctx, kLabelSize, -5, kNoExpectedSigned);
  check_unsigned(f.ctx, kLabelValue, 5, kNoExpectedUnsigned);
  check_double(f.ctx, kLabelValue, 0.5, kNoExpectedDouble);
  const std::string v = std::string(kValueReportLine) + "\n";
  EXPECT_EQ(f.result, std::string(kRcReportLine) + "\nAcRc = PVX_ERROR = 1\nXpRc = Expected RC missing\n" +
                          v + "AcValue = \"abc\"\nXpValue = Expected value missing\n" +
                          v + "AcLikeValue = \"abc\"\nXpLikeValue = Expected value missing\n" +
                          v + "AcValue = 5\nXpValue = Expected value missing\n" +
                          v + "AcSize = -5\nXpSize = Expected value missing\n" +
                          v + "AcValue = 5\nXpValue = Expected value missing\n" +
                          v + "AcValue = 0.5\nXpValue = Expected value missing\n");
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(Checks, TextComparesWithoutCaseAndShowsWordsUnquoted) {
  Fixture f;
  check_text(f.ctx, kLabelValue, "ABC", "abc");
  EXPECT_EQ(f.body(), "AcValue = \"ABC\"\nXpValue = \"abc\"\n+++OK+++\n");

  Fixture null;
  check_text(null.ctx, kLabelValue, static_cast<const char*>(nullptr), "null");
  EXPECT_EQ(null.body(), "AcValue = NULL\nXpValue = null\n+++OK+++\n");

  Fixture boolean;
  check_bool(boolean.ctx, kLabelValue, true, "TRUE");
  check_bool(boolean.ctx, kLabelValue, false, "TRUE");
  EXPECT_NE(boolean.result.find("AcValue = true\nXpValue = TRUE\n+++OK+++\n"), std::string::npos);
  EXPECT_NE(boolean.result.find("AcValue = false\nXpValue = TRUE\n+++ERROR+++\n"), std::string::npos);

  // A present text never equals the missing one, even when it reads NULL.
  Fixture text_vs_null;
  check_text(text_vs_null.ctx, kLabelValue, "", "NULL");
  check_text(text_vs_null.ctx, kLabelValue, OptText(), "abc");
  EXPECT_EQ(text_vs_null.result.find("+++OK+++"), std::string::npos);
  EXPECT_TRUE(text_vs_null.ctx.error_flag);
}

TEST(Checks, LikeIsACaseSensitivePrefix) {
  Fixture f;
  check_like(f.ctx, kLabelValue, "Process_1", "Proc");
  EXPECT_EQ(f.body(), "AcLikeValue = \"Process_1\"\nXpLikeValue = \"Proc\"\n+++OK+++\n");
  EXPECT_FALSE(f.ctx.error_flag);
  for (const char* actual : {"MyProcess", "process_1", "Pro"}) {
    Fixture g;
    check_like(g.ctx, kLabelValue, actual, "Proc");
    EXPECT_TRUE(g.ctx.error_flag) << actual;
  }
  Fixture null;
  check_like(null.ctx, kLabelValue, OptText(), "Null");
  EXPECT_NE(null.result.find("+++OK+++"), std::string::npos);
}

TEST(Checks, NumbersInDecimalAndTheirSentinelsPerType) {
  Fixture f;
  check_long(f.ctx, kLabelValue, -2147483647 - 1, -2147483647 - 1);
  check_unsigned(f.ctx, kLabelSize, 4294967295u, 4294967295u);
  check_int(f.ctx, kLabelValue, 3, 4);
  EXPECT_NE(f.result.find("AcValue = -2147483648\nXpValue = -2147483648\n+++OK+++"), std::string::npos);
  EXPECT_NE(f.result.find("AcSize = 4294967295\nXpSize = 4294967295\n+++OK+++"), std::string::npos);
  EXPECT_NE(f.result.find("AcValue = 3\nXpValue = 4\n+++ERROR+++"), std::string::npos);
  // One type's sentinel is an ordinary value for another.
  Fixture g;
  check_unsigned(g.ctx, kLabelValue, 1, static_cast<uint32_t>(-999999));
  EXPECT_NE(g.result.find("XpValue = 4293967297\n+++ERROR+++"), std::string::npos);
}

TEST(Checks, DoublesMatchWithinARelativeToleranceAndPrintFifteenDigits) {
  struct Case {
    double actual, expected;
    bool match;
  } cases[] = {
      {2.5000000000001, 2.5, true}, {2.5001, 2.5, false}, {-3.0, -3.0, true},
      {-3.000000000001, -3.0, true}, {-3.00000000001, -3.0, false},
      {1e-300, 0.0, false},  {0.0, 0.0, true}, {1e20 + 1e7, 1e20, true},
  };
  for (const Case& c : cases) {
    Fixture f;
    check_double(f.ctx, kLabelValue, c.actual, c.expected);
    EXPECT_EQ(f.ctx.error_flag, !c.match) << c.actual << " vs " << c.expected;
  }
  Fixture f;
  check_double(f.ctx, kLabelValue, 1.0 / 3.0, 2.5);
  EXPECT_EQ(f.body(), "AcValue = 0.333333333333333\nXpValue = 2.5\n+++ERROR+++\n");
}

// The verdict and expression lines of a result, in order.
std::string outcome_lines(const std::string& result) {
  std::string r;
  for (std::size_t start = 0, end; (end = result.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = result.substr(start, end - start);
    if (line.find("expression") != std::string::npos || line.rfind("+++", 0) == 0) r += line + "\n";
  }
  return r;
}

TEST(Checks, InIfModeChecksFeedTheExpressionInsteadOfTheVerdict) {
  Fixture f;
  f.ctx.ifs.if_mode = true;
  f.ctx.ifs.if_value = true;
  check_rc(f.ctx, 0, "PVX_OK");
  EXPECT_TRUE(f.ctx.ifs.api_expr_seen);
  check_long(f.ctx, kLabelValue, 1, 2);
  check_rc(f.ctx, 0, "PVX_OK");     // a later pass cannot make it true again
  check_rc(f.ctx, 0, kNoExpectedRc);  // takes no part
  EXPECT_EQ(outcome_lines(f.result),
            "API expression is TRUE;  IF expression is TRUE\n"
            "API expression is FALSE;  IF expression is FALSE\n"
            "API expression is TRUE;  IF expression is FALSE\n");
  EXPECT_FALSE(f.ctx.ifs.if_value);
  EXPECT_FALSE(f.ctx.error_flag);  // a failed check in IF mode is no error
}

TEST(Checks, BinaryValuesAreDumpedAndComparedOverTheGivenLength) {
  const unsigned char actual[] = {0x41, 0x42, 0x0A, 0x00};
  const std::string rows = "   41 42 0A 00 " + std::string(41, ' ') + "AB..\n";
  const std::string head = std::string(kValueReportLine) +
                           "\nThe length of the BINARY data was specified by a previous\n"
                           "Pvxj...BinaryLength() API and is:  4 byte.\n";
  Fixture f;
  check_binary(f.ctx, kLabelValue, 4, actual, std::string("AB\n\0", 4));
  EXPECT_EQ(f.result, head + "AcValue = \n" + rows + "XpValue = \n" + rows + "+++OK+++\n");

  // An expected block shorter than the length is its zero-filled buffer.
  Fixture shorter;
  check_binary(shorter.ctx, kLabelValue, 4, actual, "AB\n");
  EXPECT_NE(shorter.result.find("+++OK+++"), std::string::npos);

  Fixture differs;
  check_binary(differs.ctx, kLabelValue, 4, actual, "AB\nX");
  EXPECT_TRUE(differs.ctx.error_flag);

  Fixture null;
  check_binary(null.ctx, kLabelValue, 4, nullptr, "NULL");
  EXPECT_NE(null.result.find("AcValue = NULL\nXpValue = \n   4E 55 4C 4C "), std::string::npos);
  EXPECT_NE(null.result.find("+++OK+++"), std::string::npos);
  Fixture null_vs_bytes;
  check_binary(null_vs_bytes.ctx, kLabelValue, 2, nullptr, "AB");
  EXPECT_TRUE(null_vs_bytes.ctx.error_flag);

  Fixture missing;
  check_binary(missing.ctx, kLabelValue, 4, actual, kNoExpectedValue);
  EXPECT_EQ(missing.result, head + "AcValue = \n" + rows + "XpValue = Expected value missing\n");
  EXPECT_FALSE(missing.ctx.error_flag);
}

TEST(Checks, BinaryWithoutALengthIsToolErrorTC0018) {
  Fixture f;
  check_binary(f.ctx, kLabelValue, 0, nullptr, "00");
  EXPECT_EQ(f.result, std::string(kValueReportLine) + "\n" +
                          "..........Report............................................................\n"
                          "TC0018  TC ERROR:  Length of BINARY data is not specified.\n"
                          "        TC ERROR:  ==> Invoke Pvxj...BinaryLength() API before.\n"
                          "Function BREAK, due to error(s):  +++ERROR+++\n");
  EXPECT_TRUE(f.ctx.error_flag);
}

}  // namespace
}  // namespace kr
