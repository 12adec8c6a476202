// Random sleeps and the wait for input, with the platform's sleep and
// standard input replaced so that nothing here waits.
#include "toolmethods/timing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/run_context.h"
#include "driver/driver.h"

namespace kr {
namespace {

std::vector<uint32_t>* g_slept = nullptr;
void record_sleep(uint32_t ms) { g_slept->push_back(ms); }

// Replaces the platform for one test and puts it back afterwards.
class FakePlatform {
 public:
  FakePlatform() : saved_(timing_platform()) {
    g_slept = &slept;
    timing_platform().sleep_ms = record_sleep;
  }
  ~FakePlatform() {
    timing_platform() = saved_;
    g_slept = nullptr;
  }
  std::vector<uint32_t> slept;

 private:
  TimingPlatform saved_;
};

struct Outcome {
  std::string result, console_text;
  int rc = 0;
};

Outcome run(const std::string& text) {
  CommandLineSettings settings;
  Outcome r;
  Sink console(&r.console_text);
  r.rc = run_test_text(settings, text, &r.result, console);
  return r;
}

std::vector<std::string> lines_starting(const std::string& text, std::string_view prefix) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + at, end - at);
    if (line.substr(0, prefix.size()) == prefix) out.emplace_back(line);
    at = end + 1;
  }
  return out;
}

// Test cases rely on the range and on every run drawing the same sequence.
TEST(Timing, RandomSequenceIsFixedAndInRange) {
  CommandLineSettings settings;
  std::string console_text;
  Sink console(&console_text);
  RunContext a(settings, console), b(settings, console);
  EXPECT_EQ(next_random(a), 41u);
  EXPECT_EQ(next_random(a), 18467u);
  EXPECT_EQ(next_random(a), 6334u);
  for (int i = 0; i < 100000; ++i) ASSERT_LE(next_random(b), 32767u);
}

TEST(Timing, RandomSleepLimits) {
  FakePlatform fake;
  const std::string text =
      "TestTool_Sleep SleepTime_ms RANDOM End\n"                             // 41 * 1000, no limit
      "TestTool_Sleep SleepTime_ms RANDOM RandomUpperLimit 999 End\n"        // below 1000: ignored
      "TestTool_Sleep SleepTime_ms RANDOM RandomUpperLimit 32767001 End\n"   // above the range: ignored
      "TestTool_Sleep SleepTime_ms RANDOM RandomUpperLimit 32767000 End\n"
      "TestTool_Sleep SleepTime_ms RANDOM RandomUpperLimit 5000 End\n"
      "TestTool_Sleep RandomUpperLimit 5000 End\n"                           // a limit alone draws nothing
      "TestTool_Sleep SleepTime_ms RANDOM SleepTime_ms 7 End\n";            // the last time wins
  Outcome r = run(text);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(fake.slept, (std::vector<uint32_t>{41000, 18467000, 6334000, 26500000, 19169000 % 5000, 0, 7}));
  EXPECT_EQ(lines_starting(r.result, "parameter: SleepTime_ms"),
            (std::vector<std::string>{
                "parameter: SleepTime_ms = 41000  (RANDOM;  random range: 1000-32767000 ms)",
                "parameter: SleepTime_ms = 18467000  (RANDOM;  random range: 1000-32767000 ms)",
                "parameter: SleepTime_ms = 6334000  (RANDOM;  random range: 1000-32767000 ms)",
                "parameter: SleepTime_ms = 26500000  (RANDOM;  random range: 1000-32767000 ms)",
                "parameter: SleepTime_ms = 4000  (RANDOM;  random range: 1000-5000 ms)",
                "parameter: SleepTime_ms = 0",
                "parameter: SleepTime_ms = 7",
            }));
  std::vector<uint32_t> first = fake.slept;
  fake.slept.clear();
  run(text);
  EXPECT_EQ(fake.slept, first) << "a second run draws the same times";
}

TEST(Timing, HugeSleepTimesAreRefusedNotWrapped) {
  FakePlatform fake;
  Outcome r = run(
      "TestTool_Sleep SleepTime_ms 4294967295 End\n"
      "TestTool_Sleep SleepTime_ms 4294967296 End\n"
      "TestTool_Sleep SleepTime_ms 99999999999999999999 End\n"
      "TestTool_Sleep SleepTime_ms RANDOM RandomUpperLimit -1000 End\n");
  EXPECT_EQ(fake.slept, (std::vector<uint32_t>{4294967295u, 0, 0, 41000}));
  EXPECT_EQ(lines_starting(r.result, "TC0007").size(), 3u);
  EXPECT_EQ(r.rc, 8);
}

// Each wait takes exactly one line, however long; once the input has ended
// every further wait returns at once.
TEST(Timing, WaitReadsOneWholeLine) {
  FakePlatform fake;
  std::FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  const std::string long_line(200000, 'x');
  std::fputs((long_line + "\nsecond\nthird").c_str(), in);
  std::rewind(in);
  timing_platform().user_input = in;

  run("TestTool_WaitForUserInput End");
  EXPECT_EQ(std::ftell(in), static_cast<long>(long_line.size() + 1));
  run("TestTool_WaitForUserInput End TestTool_WaitForUserInput End");
  EXPECT_TRUE(std::feof(in));
  Outcome r = run("TestTool_WaitForUserInput UserText \"again\" End");
  EXPECT_NE(r.console_text.find("again\n<<< PRESS ENTER >>>\n"), std::string::npos);
  std::fclose(in);
}

}  // namespace
}  // namespace kr
