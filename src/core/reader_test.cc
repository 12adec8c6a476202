#include "core/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kr {
namespace {

using namespace std::string_literals;

std::vector<std::string> tokens_of(std::string text) {
  Input in(std::move(text));
  std::vector<std::string> out;
  for (std::string_view t = in.token(); !t.empty(); t = in.token()) out.emplace_back(t);
  return out;
}

TEST(Reader, TokensSplitOnEveryWhiteSpaceKindAndNul) {
  EXPECT_EQ(tokens_of(" a\tb\nc\vd\fe\r\nf\0g  "s), (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}));
  EXPECT_TRUE(tokens_of("").empty());
  EXPECT_TRUE(tokens_of(" \n\t\r\n"s).empty());
  EXPECT_EQ(tokens_of("\xC4\xB3 \x01\x7F"), (std::vector<std::string>{"\xC4\xB3", "\x01\x7F"}));
}

TEST(Reader, EofMarkEndsTheInputOnlyAtTheStartOfAToken) {
  EXPECT_EQ(tokens_of("a b\x1A c \x1A" "d e"), (std::vector<std::string>{"a", "b\x1A", "c", "\x1A" "d"}));
  Input in("x \x1A y");
  in.token();
  EXPECT_EQ(in.token(), "\x1A");
  EXPECT_TRUE(in.at_end());
  EXPECT_EQ(in.token(), "");
}

TEST(Reader, CrLfReadsAsLineFeedAndPositionsSeekBack) {
  Input in("a\r\nb\rc\r\n");
  EXPECT_EQ(in.size(), 6u);  // "a\nb\rc\n"
  EXPECT_EQ(in.token(), "a");
  std::size_t mark = in.pos();
  EXPECT_EQ(in.token(), "b");
  EXPECT_EQ(in.token(), "c");
  in.seek(mark);
  EXPECT_EQ(in.token(), "b");
  in.seek(1000);  // past the end: clamped, never out of bounds
  EXPECT_EQ(in.token(), "");
}

TEST(Reader, SortedListDropsEmptyItemsAndSortsByByte) {
  EXPECT_EQ(sorted_list("b;a;;c;"), "a;b;c");
  EXPECT_EQ(sorted_list("a;b;c"), "a;b;c");
  EXPECT_EQ(sorted_list(";;;"), "");
  EXPECT_EQ(sorted_list(""), "");
  EXPECT_EQ(sorted_list("b;B;a;\xE4;_"), "B;_;a;b;\xE4");  // bytes compare unsigned
}

}  // namespace
}  // namespace kr

namespace kr {
namespace {

TEST(ReaderLines, EveryTokenKnowsItsLineAndColumn) {
  Input in("a bb\r\n\tccc\n\n  d\re");
  std::vector<std::pair<std::size_t, std::size_t>> at;
  for (std::string_view t = in.token(); !t.empty(); t = in.token()) {
    const Input::LineColumn lc = in.line_column(in.token_start());
    at.emplace_back(lc.line, lc.column);
  }
  // CR LF counts as one line end; a lone CR is white space within a line.
  EXPECT_EQ(at, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 1}, {1, 3}, {2, 2}, {4, 3}, {4, 5}}));
}

TEST(ReaderLines, OffsetsPastTheEndAndEmptyInput) {
  Input empty("");
  EXPECT_EQ(empty.line_column(0).line, 1u);
  EXPECT_EQ(empty.line_column(99).column, 1u);
  Input in("x\ny\n");
  EXPECT_EQ(in.line_column(4).line, 3u);  // after the last line feed
  EXPECT_EQ(in.line_text(2), "y");
  EXPECT_EQ(in.next_nonspace(1), 2u);
  EXPECT_EQ(in.next_nonspace(3), 4u);
}

TEST(ReaderLines, SeekingBackKeepsPositionsRight) {
  Input in("one\ntwo three\n");
  in.token();
  const std::size_t mark = in.pos();
  in.token();
  in.token();
  in.seek(mark);
  EXPECT_EQ(in.token(), "two");
  EXPECT_EQ(in.line_column(in.token_start()).line, 2u);
  EXPECT_EQ(in.line_column(in.token_start()).column, 1u);
}

}  // namespace
}  // namespace kr
