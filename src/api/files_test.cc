#include "api/files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kr::api {
namespace {

FILE* text_file(const std::string& bytes) {
  FILE* f = tmpfile();
  fwrite(bytes.data(), 1, bytes.size(), f);
  rewind(f);
  return f;
}

TEST(Files, WordsAreBoundedAndSkipWhiteSpace) {
  FILE* f = text_file("  Tag\n" + std::string(kMaxFileWord, 'w') + " " + std::string(kMaxFileWord + 1, 'x') + " last");
  std::string word;
  ASSERT_TRUE(read_word(f, &word));
  EXPECT_EQ(word, "Tag");
  ASSERT_TRUE(read_word(f, &word));
  EXPECT_EQ(word.size(), kMaxFileWord);
  EXPECT_FALSE(read_word(f, &word));
  EXPECT_TRUE(word.empty());
  fclose(f);
}

TEST(Files, EndlessDeviceStopsAtTheBound) {
  FILE* f = fopen("/dev/zero", "rb");
  ASSERT_NE(f, nullptr);
  std::string word;
  EXPECT_FALSE(read_word(f, &word));
  fclose(f);
}

TEST(Files, DirectoryIsNoInputFile) {
  EXPECT_EQ(open_input_file("/tmp"), nullptr);
  EXPECT_EQ(open_input_file("/no/such/file"), nullptr);
  FILE* f = open_input_file("/dev/null");
  ASSERT_NE(f, nullptr);
  std::string word = "x";
  EXPECT_TRUE(read_word(f, &word));
  EXPECT_EQ(word, "");
  fclose(f);
}

}  // namespace
}  // namespace kr::api
