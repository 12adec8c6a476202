// The long options come off the arguments; everything else stays in place
// for the fixed command line.
#include "core/long_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kr {
namespace {

using Args = std::vector<std::string>;

TEST(LongOptions, TakenOutWhereverTheyStand) {
  Args a = {"kestrun1", "--junit", "r.xml", "case", "--lines", "res"};
  LongOptions lo = take_long_options(&a);
  EXPECT_EQ(a, (Args{"kestrun1", "case", "res"}));
  EXPECT_EQ(lo.junit_file, "r.xml");
  EXPECT_TRUE(lo.lines);
  EXPECT_TRUE(lo.error.empty());

  a = {"kestrun1", "-i", "x", "--junit=out/r.xml", "-o", "y"};
  lo = take_long_options(&a);
  EXPECT_EQ(a, (Args{"kestrun1", "-i", "x", "-o", "y"}));
  EXPECT_EQ(lo.junit_file, "out/r.xml");
}

TEST(LongOptions, UnknownOnesStayForTheFixedParserToRefuse) {
  Args a = {"kestrun1", "--bogus", "-h"};
  const LongOptions lo = take_long_options(&a);
  EXPECT_EQ(a, (Args{"kestrun1", "--bogus", "-h"}));
  EXPECT_TRUE(lo.error.empty());
  Args none = {"kestrun1"};
  EXPECT_TRUE(take_long_options(&none).error.empty());
  Args empty;
  EXPECT_TRUE(take_long_options(&empty).error.empty());
}

TEST(LongOptions, JunitNeedsAFile) {
  for (Args a : {Args{"kestrun1", "--junit"}, Args{"kestrun1", "--junit", "-i"}, Args{"kestrun1", "--junit="}}) {
    EXPECT_EQ(take_long_options(&a).error, "Missing argument: --junit ???");
  }
}

TEST(LongOptions, CheckTakesFilesOnly) {
  Args a = {"kestrun1", "--check", "a.dat", "b"};
  LongOptions lo = take_long_options(&a);
  EXPECT_TRUE(lo.check);
  EXPECT_EQ(lo.files, (Args{"a.dat", "b"}));
  EXPECT_TRUE(lo.error.empty());

  a = {"kestrun1", "--check"};
  EXPECT_FALSE(take_long_options(&a).error.empty());
  a = {"kestrun1", "--check", "a.dat", "-i", "x"};
  EXPECT_NE(take_long_options(&a).error.find("Unknown option: -i"), std::string::npos);
  a = {"kestrun1", "--check", "a.dat", "--junit", "r.xml"};
  EXPECT_FALSE(take_long_options(&a).error.empty());
  a = {"kestrun1", "--check", "--version"};
  lo = take_long_options(&a);
  EXPECT_TRUE(lo.error.empty());
  EXPECT_TRUE(lo.version);
}

}  // namespace
}  // namespace kr
