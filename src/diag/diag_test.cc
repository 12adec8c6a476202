// The reporter's consequences and the return-code table.
#include <gtest/gtest.h>

#include "driver/test_context.h"

#include <set>
#include <sstream>

#include "diag/rc_names.h"
#include "diag/tool_errors.h"
#include "driver/cmdline.h"
#include "driver/output.h"
#include "driver/run_context.h"

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
