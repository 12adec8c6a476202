// JUnit results: the escaping that keeps any byte sequence valid XML, and
// whole runs in-process with the file read back.
#include "driver/junit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/cmdline.h"
#include "core/output.h"
#include "driver/driver.h"

namespace kr {
namespace {

const std::string kFFFD = "\xEF\xBF\xBD";

TEST(JunitXml, MarkupIsEscapedAndLineEndsSurviveAttributes) {
  EXPECT_EQ(xml_text("a<b>&\"c\"'", false), "a&lt;b&gt;&amp;&quot;c&quot;&apos;");
  EXPECT_EQ(xml_text("x\ny\tz\r", false), "x\ny\tz&#13;");
  EXPECT_EQ(xml_text("x\ny\tz", true), "x&#10;y&#9;z");
  EXPECT_EQ(xml_text("]]>", false), "]]&gt;");
}

TEST(JunitXml, WhatXmlCannotCarryBecomesTheReplacementCharacter) {
  EXPECT_EQ(xml_text(std::string("a\0b", 3), false), "a" + kFFFD + "b");
  EXPECT_EQ(xml_text("\x01\x1F\x7F", false), kFFFD + kFFFD + "\x7F");
  EXPECT_EQ(xml_text("\xC3\xA9 \xE2\x94\x80 \xF0\x9F\x98\x80", false), "\xC3\xA9 \xE2\x94\x80 \xF0\x9F\x98\x80");
  EXPECT_EQ(xml_text("\xC4\xB3x", false), "\xC4\xB3x");                           // a valid pair stays
  EXPECT_EQ(xml_text("\xB3\xC4", false), kFFFD + kFFFD);                          // code page 437 bytes
  EXPECT_EQ(xml_text("\xC0\xAF", false), kFFFD + kFFFD);                          // overlong
  EXPECT_EQ(xml_text("\xED\xA0\x80", false), kFFFD + kFFFD + kFFFD);              // a surrogate
  EXPECT_EQ(xml_text("\xEF\xBF\xBE", false), kFFFD + kFFFD + kFFFD);              // U+FFFE
  EXPECT_EQ(xml_text("\xF4\x90\x80\x80", false), kFFFD + kFFFD + kFFFD + kFFFD);  // beyond U+10FFFF
  EXPECT_EQ(xml_text("\xE2\x94", false), kFFFD + kFFFD);                          // cut short at the end
}

struct JunitRun {
  int code;
  std::string xml;
};

JunitRun run_with_junit(const std::string& input) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  const std::string file =
      (std::filesystem::temp_directory_path() / ("junit_test_" + std::to_string(::getpid()) + ".xml")).string();
  CommandLineSettings settings;
  settings.input_file = "case.dat";
  settings.junit_file = file;
  std::string result, console;
  Sink err(&console);
  JunitRun r;
  r.code = run_test_text(settings, input, &result, err);
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  r.xml = ss.str();
  std::remove(file.c_str());
  return r;
}

std::size_t count(const std::string& s, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
  return n;
}

TEST(JunitRun, OneCasePerSectionWithFailuresErrorsAndProperties) {
  const JunitRun r = run_with_junit(
      "/* a comment is no test case */\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End\n"
      "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"no\" XpRc PVX_OK End\n"
      "End\n"
      "TestTool_CommentToOutput Bogus 1 End\n"
      "TestTool_LoopStart NoOfLoops 2 End TestTool_JumpToLoopStart\n");
  EXPECT_EQ(r.code, 8);
  EXPECT_EQ(count(r.xml, "<testcase "), 7u);
  EXPECT_NE(r.xml.find("name=\"PvxjExecutionServiceAllocate (line 2)\""), std::string::npos);
  EXPECT_NE(r.xml.find("<failure message=\"..........RC Report"), std::string::npos);
  EXPECT_NE(r.xml.find("XpRc = PVX_OK&#10;+++ERROR+++"), std::string::npos);
  EXPECT_NE(r.xml.find("<error message=\"TC0010  TC ERROR:  Unknown keyword or parameter:  Bogus\" type=\"TC0010\""),
            std::string::npos);
  EXPECT_NE(r.xml.find("name=\"TestTool_LoopStart (line 6, pass 2)\""), std::string::npos);
  EXPECT_NE(r.xml.find("tests=\"7\" failures=\"1\" errors=\"1\""), std::string::npos);
  EXPECT_NE(r.xml.find("<property name=\"verdict\" value=\"ended with error(s)\"/>"), std::string::npos);
  EXPECT_NE(r.xml.find("<property name=\"exit_code\" value=\"8\"/>"), std::string::npos);
}

TEST(JunitRun, WrittenWhenTheRunBreaksOffOrEndsFatally) {
  JunitRun r = run_with_junit("TestTool_CommentToOutput Comment \"a\" End\n/* open /* nested\nTestTool_Bogus End");
  EXPECT_EQ(r.code, 12);
  EXPECT_EQ(count(r.xml, "<testcase "), 2u);  // the section, and the comment that broke the run
  EXPECT_NE(r.xml.find("type=\"TC0022\""), std::string::npos);
  EXPECT_NE(r.xml.find("value=\"break due to error(s)\""), std::string::npos);

  r = run_with_junit(
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "PvxjExecutionServiceSystemName ExecutionServiceHdl 1 BufferLength 0 End\n");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.xml.find("type=\"TC0023\""), std::string::npos);
  EXPECT_NE(r.xml.find("value=\"ended by a fatal tool error\""), std::string::npos);
  EXPECT_NE(r.xml.find("<property name=\"exit_code\" value=\"1\"/>"), std::string::npos);

  r = run_with_junit("TestTool_Terminate\nTestTool_Bogus End\n");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(count(r.xml, "<testcase "), 1u);
  EXPECT_NE(r.xml.find("value=\"ended normally\""), std::string::npos);
}

TEST(JunitRun, HostileBytesStayValidText) {
  std::string comment;
  for (int c = 1; c < 256; ++c)
    if (c != '"') comment.push_back(static_cast<char>(c));
  const JunitRun r = run_with_junit("TestTool_CommentToOutput Comment \"" + comment + "\" Bogus End\n");
  // Nothing below 0x20 but tab and line feed, and no raw byte that starts
  // a broken sequence, reaches the file.
  for (unsigned char c : r.xml) EXPECT_TRUE(c >= 0x20 || c == '\n' || c == '\t') << static_cast<int>(c);
  EXPECT_EQ(r.xml.find("\xFF"), std::string::npos);
  EXPECT_EQ(r.xml.find("<\x01"), std::string::npos);
}

}  // namespace
}  // namespace kr
