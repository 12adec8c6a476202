#include "eval/hex.h"

#include <gtest/gtest.h>

#include "core/test_context.h"

#include <random>
#include <string>
#include <vector>

#include "core/cmdline.h"
#include "core/run_context.h"
#include "core/tool_errors.h"

namespace kr {
namespace {

struct Fixture : TestContext {
  Fixture() { ctx.cur = "End"; }
};

std::string dump(const std::string& bytes) {
  std::string s;
  Sink out(&s);
  out.write("AcValue = ");
  hex_dump(out, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
  return s;
}

TEST(Hex, DigitsOfEitherCaseAndNothingElse) {
  EXPECT_EQ(hex_digit_value('0'), 0);
  EXPECT_EQ(hex_digit_value('9'), 9);
  EXPECT_EQ(hex_digit_value('a'), 10);
  EXPECT_EQ(hex_digit_value('F'), 15);
  for (char c : std::string("gG/:@`x \0\xff", 10)) EXPECT_EQ(hex_digit_value(c), -1) << int(c);
}

TEST(Hex, ParsesPairsHighNibbleFirst) {
  Fixture f;
  std::vector<unsigned char> out{1, 2, 3};
  EXPECT_EQ(parse_hex(f.ctx, "0aFf", &out), 0);
  EXPECT_EQ(out, (std::vector<unsigned char>{0x0A, 0xFF}));
  EXPECT_EQ(parse_hex(f.ctx, "", &out), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(f.result, "");
  EXPECT_FALSE(f.ctx.error_flag);
}

TEST(Hex, OddLengthAndUnknownCharactersAreToolErrors) {
  {
    Fixture f;
    f.ctx.out.write("parameter:  BinaryValue = ABC");
    std::vector<unsigned char> out;
    EXPECT_EQ(parse_hex(f.ctx, "ABC", &out), TC0031);
    // The current line is ended before the report.
    EXPECT_EQ(f.result.substr(0, f.result.find("Function BREAK")),
              "parameter:  BinaryValue = ABC\n"
              "..........Report............................................................\n"
              "TC0031  TC ERROR:  Hex string ends with a half byte.\n");
    EXPECT_TRUE(f.ctx.error_flag);
  }
  // The offending character alone, whichever half of the pair it is.
  for (const char* bad : {"AG", "GA", "0A0BGZ"}) {
    Fixture f;
    std::vector<unsigned char> out;
    EXPECT_EQ(parse_hex(f.ctx, bad, &out), TC0032) << bad;
    EXPECT_NE(f.result.find("TC0032  TC ERROR:  Hex string contains a unkown char: G\n"), std::string::npos) << bad;
    EXPECT_NE(f.console_text.find("TC0032"), std::string::npos);
  }
  Fixture f;
  std::vector<unsigned char> out;
  parse_hex(f.ctx, "0A0BZZ", &out);
  EXPECT_EQ(out, (std::vector<unsigned char>{0x0A, 0x0B, 0}));  // bytes before the error stay
}

// Random strings against a plain reading of the rule: an even string of hex
// digits parses, anything else is exactly one of the two tool errors.
TEST(Hex, RandomStringsParseOrFailCleanly) {
  std::mt19937 rng(99);
  const std::string alphabet = "0123456789abcdefABCDEFgG \x01\xff";
  for (int i = 0; i < 2000; ++i) {
    std::string hex(rng() % 12, ' ');
    for (char& c : hex) c = alphabet[rng() % alphabet.size()];
    bool valid = hex.size() % 2 == 0;
    for (char c : hex) valid = valid && hex_digit_value(c) >= 0;
    Fixture f;
    std::vector<unsigned char> out;
    int rc = parse_hex(f.ctx, hex, &out);
    if (valid) {
      ASSERT_EQ(rc, 0) << hex;
      for (std::size_t k = 0; k < out.size(); ++k)
        ASSERT_EQ(out[k], hex_digit_value(hex[2 * k]) * 16 + hex_digit_value(hex[2 * k + 1]));
    } else {
      ASSERT_EQ(rc, hex.size() % 2 ? TC0031 : TC0032) << hex;
      ASSERT_TRUE(f.ctx.error_flag);
    }
    EXPECT_EQ(out.size(), hex.size() / 2);
  }
}

TEST(Hex, DumpOfAShortRowPadsTheCharacterColumn) {
  EXPECT_EQ(dump("AB\n"), "AcValue = \n   41 42 0A " + std::string(44, ' ') + "AB.\n");
}

TEST(Hex, DumpOfSixteenBytesIsOneRowAndNoEmptyRowAfterIt) {
  EXPECT_EQ(dump("0123456789ABCDEF"),
            "AcValue = \n   30 31 32 33 34 35 36 37   38 39 41 42 43 44 45 46    0123456789ABCDEF\n");
}

TEST(Hex, DumpOfSeventeenBytesStartsASecondRow) {
  EXPECT_EQ(dump("0123456789ABCDEF\x7f"),
            "AcValue = \n   30 31 32 33 34 35 36 37   38 39 41 42 43 44 45 46    0123456789ABCDEF\n"
            "   7F " + std::string(50, ' ') + ".\n");
}

// Whatever the length, every row's characters begin in the same column and
// every byte outside 0x20..0x7E shows as a dot.
TEST(Hex, CharacterColumnLinesUpForEveryLength) {
  for (int n = 1; n <= 40; ++n) {
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<char>(i % 3 == 0 ? 0x80 + i : 'a' + i % 26));
    std::string s = dump(bytes);
    s.erase(0, s.find('\n') + 1);
    std::string chars;
    std::size_t start = 0, rows = 0;
    while (start < s.size()) {
      std::size_t end = s.find('\n', start);
      ASSERT_NE(end, std::string::npos);
      std::string row = s.substr(start, end - start);
      ASSERT_GT(row.size(), 56u) << n;
      EXPECT_EQ(row.substr(53, 3), "   ") << n;
      chars += row.substr(56);
      start = end + 1;
      ++rows;
    }
    EXPECT_EQ(rows, static_cast<std::size_t>((n + 15) / 16)) << n;
    for (int i = 0; i < n; ++i) EXPECT_EQ(chars[i], i % 3 == 0 ? '.' : bytes[i]) << n;
  }
}

}  // namespace
}  // namespace kr
