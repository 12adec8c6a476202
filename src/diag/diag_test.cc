// The reporter's consequences and the return-code table.
#include <gtest/gtest.h>

#include "core/test_context.h"

#include <set>
#include <sstream>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  using TestContext::TestContext;
  const std::string& console = console_text;
};

TEST(Reporter, AbandonSkipsThroughEndAndWritesTheBreakLineTwice) {
  Fixture f("a b End next");
  f.ctx.cur = "Keyword";
  tool_error(f.ctx, TC0010, "Bogus");
  EXPECT_EQ(f.result,
            "..........Report............................................................\n"
            "TC0010  TC ERROR:  Unknown keyword or parameter:  Bogus\n"
            "Function BREAK, due to error(s):  +++ERROR+++\n");
  EXPECT_EQ(f.console, "\nTC0010  TC ERROR:  Unknown keyword or parameter:  Bogus\n"
                       "Function BREAK, due to error(s):  +++ERROR+++\n");
  EXPECT_EQ(f.ctx.in.token(), "next");
  EXPECT_TRUE(f.ctx.error_flag);
  EXPECT_FALSE(f.ctx.break_flag);
}

TEST(Reporter, NothingIsSkippedWhenTheCurrentTokenIsEnd) {
  Fixture f("next");
  f.ctx.cur = "end";
  tool_error(f.ctx, TC0008, "Comment");
  EXPECT_EQ(f.ctx.in.token(), "next");
}

TEST(Reporter, ReportOnlyStopAndSecondLines) {
  Fixture f("x End");
  tool_error(f.ctx, TC0021, "UserID");
  EXPECT_EQ(f.ctx.in.pos(), 0u);  // nothing skipped
  EXPECT_EQ(f.result.find("Function BREAK"), std::string::npos);

  Fixture g("");
  tool_error(g.ctx, TC0022);
  EXPECT_TRUE(g.ctx.break_flag);
  EXPECT_NE(g.result.find("not found\n+++ERROR+++\n"), std::string::npos);

  Fixture h("End");
  tool_error(h.ctx, TC0018);
  EXPECT_NE(h.result.find("TC0018  TC ERROR:  Length of BINARY data is not specified.\n"
                          "        TC ERROR:  ==> Invoke Pvxj...BinaryLength() API before.\n"),
            std::string::npos);

  Fixture u("End");
  tool_error(u.ctx, 4242);
  EXPECT_NE(u.result.find("TC1000  TC ERROR:  Unknown Error with enumeration value: 4242"), std::string::npos);
}

TEST(Reporter, AHugeRefusedTokenIsShownByItsStart) {
  Fixture f("End");
  tool_error(f.ctx, TC0010, std::string(5000, 'k'));
  EXPECT_NE(f.result.find("Unknown keyword or parameter:  " + std::string(1024, 'k') + "...\n"), std::string::npos);
  EXPECT_LT(f.result.size(), 1300u);
}

TEST(Reporter, FatalErrorsThrowAndConsoleOnlyMessagesStayOffTheResultFile) {
  Fixture f("");
  EXPECT_THROW(tool_error(f.ctx, TC0004), FatalExit);
  EXPECT_EQ(f.result, "..........Report............................................................\n");
  EXPECT_NE(f.console.find("TC0004  TC ERROR:  ============ Can not open output file"), std::string::npos);

  Fixture g("");
  try {
    tool_error(g.ctx, TC0023);
    FAIL();
  } catch (const FatalExit& e) {
    EXPECT_EQ(e.code, 1);
  }
  EXPECT_TRUE(g.ctx.break_flag);
  EXPECT_NE(g.result.find("Out of resources\n+++ERROR+++\n"), std::string::npos);
}

// Every catalogue entry, written out here byte for byte: the message line a
// tester sees, and what happens after it. A caller's text "T" is appended
// where the message takes one.
TEST(Reporter, EveryCodeHasItsMessageAndConsequence) {
  enum Cls { kAbandon, kReport, kStop, kFatal };
  struct Case {
    int code;
    const char* line;
    Cls cls;
    const char* second = nullptr;  // TC0018, TC0019
    bool console_only = false;     // TC0002, TC0004
    bool error_mark = false;       // "+++ERROR+++" after the message
    bool sets_break = false;
  };
  const Case cases[] = {
      {TC0001, "TC0001  TC ERROR:  Can not open input file:  T", kFatal},
      {TC0002, "TC0002  TC ERROR:  ============ Can not open output file ======================================T",
       kFatal, nullptr, true},
      {TC0003, "TC0003  TC ERROR:  Can not open input file:  T", kFatal},
      {TC0004, "TC0004  TC ERROR:  ============ Can not open output file ======================================T",
       kFatal, nullptr, true},
      {TC0005, "TC0005  TC ERROR:  Input file emptyT", kFatal, nullptr, false, true, true},
      {TC0006, "TC0006  TC ERROR:  Unknown API method: T", kAbandon},
      {TC0007, "TC0007  TC ERROR:  Unknown parameter:  T", kAbandon},
      {TC0008, "TC0008  TC ERROR:  Missing parameter:  T", kAbandon},
      {TC0009, "TC0009  TC ERROR:  Invalid parameter combinationT", kAbandon},
      {TC0010, "TC0010  TC ERROR:  Unknown keyword or parameter:  T", kAbandon},
      {TC0011, "TC0011  TC ERROR:  Invalid handle:  T", kAbandon},
      {TC0012, "TC0012  TC ERROR:  Invalid enumeration parameter keyword:  T", kAbandon},
      {TC0013, "TC0013  TC ERROR:  Invalid PID indexT", kFatal, nullptr, false, true},
      {TC0014, "TC0014  TC ERROR:  Invalid or missing FlagT", kFatal},
      {TC0015, "TC0015  TC ERROR:  Handle out of limit: T", kAbandon},
      {TC0016, "TC0016  TC ERROR:  Parameter \"ALL\" (...VectorHdl) is invalid in this contextT", kAbandon},
      {TC0017, "TC0017  TC ERROR:  Invalid object: T", kAbandon},
      {TC0018, "TC0018  TC ERROR:  Length of BINARY data is not specified.T", kAbandon,
       "        TC ERROR:  ==> Invoke Pvxj...BinaryLength() API before."},
      {TC0019, "TC0019  TC ERROR:  Length of BINARY data is not specified.T", kAbandon,
       "        TC ERROR:  ==> Specify parameter \"DataLength\" first."},
      {TC0020, "TC0020  TC ERROR:  A delimiter '\"' (double quote) of a parameter string is missingT", kAbandon},
      {TC0021, "TC0021  TC ERROR:  Missing command line parameter:  T", kReport},
      {TC0022, "TC0022  TC ERROR:  Comment END \"*/\" not foundT", kStop, nullptr, false, true, true},
      {TC0023, "TC0023  TC ERROR:  Out of resourcesT", kFatal, nullptr, false, true, true},
      {TC0024, "TC0024  TC ERROR:  If statement: T", kReport, nullptr, false, true},
      {TC0031, "TC0031  TC ERROR:  Hex string ends with a half byte.T", kAbandon},
      {TC0032, "TC0032  TC ERROR:  Hex string contains a unkown char: T", kAbandon},
      {100099, "TC1000  TC ERROR:  Unknown Error with enumeration value: 100099", kAbandon},
  };
  const std::string report = "..........Report............................................................\n";
  const std::string brk = "Function BREAK, due to error(s):  +++ERROR+++\n";
  const std::string verdict = "====== Test case break due to error(s) === +++ERROR+++ =====================\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Fixture f("rest of section End next");
    f.ctx.cur = "Keyword";
    std::string lines = std::string(c.line) + "\n";
    if (c.second) lines += std::string(c.second) + "\n";
    bool threw = false;
    try {
      tool_error(f.ctx, c.code, "T");
    } catch (const FatalExit& e) {
      threw = true;
      EXPECT_EQ(e.code, 1);
    }
    EXPECT_EQ(threw, c.cls == kFatal);
    EXPECT_TRUE(f.ctx.error_flag);
    EXPECT_EQ(f.ctx.break_flag, c.sets_break);

    std::string want_result = report + (c.console_only ? "" : lines) + (c.error_mark ? "+++ERROR+++\n" : "");
    std::string want_console = "\n" + lines;
    switch (c.cls) {
      case kAbandon:
        want_result += brk;
        want_console += brk;
        EXPECT_EQ(f.ctx.in.token(), "next");
        break;
      case kReport:
      case kStop:
        EXPECT_EQ(f.ctx.in.pos(), 0u);  // nothing of the section is skipped
        break;
      case kFatal:
        if (c.code == TC0005) {
          want_result += verdict;
          want_console += verdict;
        }
        break;
    }
    EXPECT_EQ(f.result, want_result);
    EXPECT_EQ(f.console, want_console);
  }
}

TEST(RcNames, LookupBothWays) {
  EXPECT_EQ(rc_name(0), "PVX_OK");
  EXPECT_EQ(rc_name(1101), "PVX_ERROR_XML_NO_ALTARIS_DOCUMENT");
  EXPECT_EQ(rc_name(32204), "PVX_ERROR_EXIT_ERROR");
  for (uint32_t v : {2u, 803u, 99999u, 0xFFFFFFFFu}) EXPECT_EQ(rc_name(v), "???");
  uint32_t v = 7;
  EXPECT_TRUE(rc_value("PVX_ERROR_NOT_LOGGED_ON", &v));
  EXPECT_EQ(v, 106u);
  EXPECT_FALSE(rc_value("pvx_ok", &v));
}

// Every line of the reference file maps back to its value through the same table.
TEST(RcNames, ApiRcsFileRoundTrips) {
  std::string text;
  Sink out(&text);
  write_api_rcs(out);
  std::istringstream in(text);
  std::string line;
  std::set<std::string> names;
  int rows = 0;
  while (std::getline(in, line)) {
    auto colon = line.find(" : ");
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, line.find(' '));
    uint32_t v = 0;
    ASSERT_TRUE(rc_value(name, &v)) << name;
    EXPECT_EQ(std::to_string(v), line.substr(colon + 3));
    EXPECT_EQ(colon, 43u);
    names.insert(name);
    ++rows;
  }
  EXPECT_EQ(rows, 131);
  EXPECT_EQ(names.size(), 131u);
}

}  // namespace
}  // namespace kr
