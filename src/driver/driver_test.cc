#include "driver/driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "core/cmdline.h"
#include "core/output.h"

namespace kr {
namespace {

// A test case that is no regular file (here a pipe) has no size to read ahead
// of time; it is read to its end like any other, within the bound.
TEST(Driver, TestCaseFromAPipeRuns) {
  char tmpl[] = "/tmp/kr-driver-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const std::string fifo = dir + "/case.dat";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&] {
    std::ofstream out(fifo, std::ios::binary);
    out << "/* from a pipe */\nTestTool_CommentToOutput Comment \"piped\" End\n";
  });
  CommandLineSettings s;
  s.program = "kestrun1";
  s.test_case_name = "case";
  s.input_file = fifo;
  s.result_file = dir + "/case.log";
  std::string console;
  Sink err(&console);
  const int code = run_test_case(s, err);
  writer.join();
  EXPECT_EQ(code, 0) << console;
  std::ifstream in(s.result_file);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("piped"), std::string::npos) << log;
  std::filesystem::remove_all(dir);
}

TEST(Driver, ResultFileThatRefusesDataFailsTheRun) {
  CommandLineSettings s;
  s.program = "kestrun1";
  s.test_case_name = "case";
  char tmpl[] = "/tmp/kr-driver-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  s.input_file = std::string(tmpl) + "/case.dat";
  std::ofstream(s.input_file) << "/* nothing */\n";
  s.result_file = "/dev/full";
  std::string console;
  Sink err(&console);
  EXPECT_EQ(run_test_case(s, err), 1);
  EXPECT_NE(console.find("Can not write file:  /dev/full  (No space left on device)"), std::string::npos) << console;
  std::filesystem::remove_all(tmpl);
}

}  // namespace
}  // namespace kr
