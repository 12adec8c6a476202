#include "core/cmdline.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/output.h"

namespace kr {
namespace {

struct Parsed {
  Invocation inv;
  std::string out, err;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "kestrun1");
  Parsed p;
  Sink out(&p.out), err(&p.err);
  p.inv = parse_command_line(args, out, err);
  return p;
}

TEST(CommandLine, DefaultExtensionsFollowTheLastDot) {
  auto p = parse({"t1", "r1"});
  ASSERT_EQ(p.inv.mode, Mode::kRun);
  EXPECT_EQ(p.inv.settings.input_file, "t1.dat");
  EXPECT_EQ(p.inv.settings.result_file, "r1.log");
  EXPECT_EQ(p.inv.settings.test_case_name, "t1");
  EXPECT_EQ(parse({"..\\t1", "r"}).inv.settings.input_file, "..\\t1.dat");
  EXPECT_EQ(parse({"t1.txt", "r"}).inv.settings.input_file, "t1.txt");
  EXPECT_EQ(parse({"dir.old\\t1", "r"}).inv.settings.input_file, "dir.old\\t1");
  // This platform's separator counts like the backslash: ./t1 is t1, not a
  // name without extension (and ./t1 ./t1 are not one file).
  auto dotted = parse({"./t1", "../r1"});
  ASSERT_EQ(dotted.inv.mode, Mode::kRun);
  EXPECT_EQ(dotted.inv.settings.input_file, "./t1.dat");
  EXPECT_EQ(dotted.inv.settings.result_file, "../r1.log");
  EXPECT_EQ(dotted.inv.settings.test_case_name, "./t1");
  EXPECT_EQ(parse({"./t1", "./t1"}).inv.mode, Mode::kRun);
  EXPECT_EQ(parse({"dir.old/t1", "r"}).inv.settings.input_file, "dir.old/t1");
  EXPECT_EQ(parse({"t1.", "r"}).inv.settings.input_file, "t1.");
  EXPECT_EQ(parse({"a", "a"}).inv.mode, Mode::kRun);  // a.dat and a.log differ
  auto same = parse({"a.x", "a.x"});
  EXPECT_EQ(same.inv.mode, Mode::kExit);
  EXPECT_EQ(same.inv.exit_code, 4);
}

// A result file that is the test case under another name is refused like the
// same name; different files, or a result file not there yet, are not.
TEST(CommandLine, SameFileUnderAnotherNameIsIdentical) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/kr-cmdline-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const std::string tc = dir + "/t.dat";
  FILE* f = fopen(tc.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fputs("/* */", f);
  fclose(f);
  fs::create_hard_link(tc, dir + "/hard.log");
  fs::create_symlink(tc, dir + "/soft.log");
  for (const std::string& result : {dir + "/hard.log", dir + "/soft.log", dir + "/./t.dat", dir + "//t.dat"}) {
    auto p = parse({"-i", tc, "-o", result});
    EXPECT_EQ(p.inv.mode, Mode::kExit) << result;
    EXPECT_EQ(p.inv.exit_code, 4) << result;
    EXPECT_NE(p.err.find("USAGE ERROR: Input / output file specification is identical"), std::string::npos);
  }
  EXPECT_EQ(parse({"-i", tc, "-o", dir + "/new.log"}).inv.mode, Mode::kRun);
  f = fopen((dir + "/other.log").c_str(), "w");
  fclose(f);
  EXPECT_EQ(parse({"-i", tc, "-o", dir + "/other.log"}).inv.mode, Mode::kRun);
  fs::remove_all(dir);
}

// The names of files a run writes beside the result (--junit): one that
// leads to the test case, the result file or another of them is refused,
// whether the file exists yet or not.
TEST(CommandLine, SideOutputsNeverNameTheRunsFiles) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/kr-cmdline-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const std::string tc = dir + "/t.dat";
  FILE* f = fopen(tc.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  fs::create_directory(dir + "/sub");
  fs::create_symlink("../r.log", dir + "/sub/dangling.xml");
  auto run = [&](std::vector<std::string> side) {
    std::vector<std::string> args = {"kestrun1", "-i", tc, "-o", dir + "/r"};
    Parsed p;
    Sink out(&p.out), err(&p.err);
    p.inv = parse_command_line(args, out, err, side);
    return p;
  };
  for (const std::string& side : {tc, dir + "/./t.dat", dir + "/r.log", dir + "/sub/../r.log", dir + "//r.log",
                                  dir + "/sub/dangling.xml"}) {
    auto p = run({side});
    EXPECT_EQ(p.inv.mode, Mode::kExit) << side;
    EXPECT_EQ(p.inv.exit_code, 4) << side;
    EXPECT_EQ(p.err, "USAGE ERROR: Input / output file specification is identical\n") << side;
  }
  // Two side outputs naming one file (a future --record beside --junit).
  EXPECT_EQ(run({dir + "/a.xml", dir + "/sub/../a.xml"}).inv.mode, Mode::kExit);
  EXPECT_EQ(run({dir + "/a.xml", dir + "/b.xml"}).inv.mode, Mode::kRun);
  EXPECT_FALSE(names_one_file(dir + "/sub/r.log", dir + "/r.log"));
  EXPECT_FALSE(names_one_file(dir + "/none/x", dir + "/none/x.log"));
  EXPECT_TRUE(names_one_file("same", "same"));
  fs::remove_all(dir);
}

TEST(CommandLine, NoOutputSkipsTheIdenticalCheck) {
  auto p = parse({"-i", "NoOutput", "-o", "nooutput"});
  ASSERT_EQ(p.inv.mode, Mode::kRun);
  EXPECT_TRUE(p.inv.settings.no_output);
  EXPECT_EQ(p.inv.settings.result_file, "/dev/null");
  EXPECT_NE(p.err.find("Output File: /dev/null"), std::string::npos);
}

TEST(CommandLine, OptionValuesJoinedSeparateRepeatedAndLong) {
  auto p = parse({"-icase", "-ores", "-u", "joe", "-u", "ann", "-p" + std::string(500, 'x')});
  ASSERT_EQ(p.inv.mode, Mode::kRun);
  EXPECT_EQ(p.inv.settings.input_file, "case.dat");
  EXPECT_EQ(p.inv.settings.user.value, "ann");
  EXPECT_EQ(p.inv.settings.password.value.size(), 500u);  // no 103-character limit
  const OptionValue* u = p.inv.settings.cl_value("userid");
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->value, "ann");
  EXPECT_FALSE(p.inv.settings.cl_value("System")->given);
  EXPECT_EQ(p.inv.settings.cl_value("Comment"), nullptr);
}

TEST(CommandLine, ScanErrorsComeBeforeHelp) {
  auto p = parse({"-h", "-bogus"});
  EXPECT_EQ(p.inv.exit_code, 4);
  EXPECT_EQ(p.err, "Unknown option: -bogus\n");
  EXPECT_TRUE(p.out.empty());
  auto h = parse({"-hx", "-i"});  // -i has no value: the scan fails first
  EXPECT_EQ(h.err, "Missing argument: -i ???\n");
  auto ok = parse({"-help"});
  EXPECT_EQ(ok.inv.exit_code, 0);
  EXPECT_EQ(ok.out.substr(0, 7), "Usage:\n");
}

TEST(CommandLine, OptionsAreCaseSensitiveAndStrayWordsUnknown) {
  EXPECT_EQ(parse({"-I", "x"}).err, "Unknown option: -I\n");
  EXPECT_EQ(parse({"-i", "x", "stray"}).err, "Unknown option: stray\n");
  EXPECT_EQ(parse({"-"}).err, "Unknown option: -\n");
}

TEST(CommandLine, ReferenceOptionsWinInTheirOrder) {
  auto p = parse({"-a", "a.txt", "-r", "r.txt", "-i", "c", "-o", "o"});
  EXPECT_EQ(p.inv.mode, Mode::kToolRcs);
  EXPECT_EQ(p.inv.reference_file, "r.txt");
  EXPECT_EQ(p.inv.redirect_label, "Tool RCs will be");
  auto q = parse({"APIRCS", "x.txt"});
  EXPECT_EQ(q.inv.mode, Mode::kApiRcs);
  EXPECT_EQ(q.inv.redirect_label, "APIRCS");
  EXPECT_EQ(parse({"ToolRCs2", "x"}).inv.mode, Mode::kToolRcs2);
}

TEST(CommandLine, DumpListsGivenOptionsInItsOwnOrder) {
  auto p = parse({"-d", "-e", "S", "-i", "c", "-u", "joe", "-o", "o", "-g", "G", "-s", "Y"});
  EXPECT_EQ(p.err.substr(0, p.err.find("Input File")),
            "Command Line Arguments:\n-i=c (TestCase)\n-o=o (Result)\n-u=joe (UserID)\n"
            "-g=G (SystemGroup)\n-s=Y (System)\n-e=S (SessionID)\n-d\n\n");
}

}  // namespace
}  // namespace kr
