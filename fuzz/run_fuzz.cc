// A whole run in-process: the input is the test case file. Each input gets a
// fresh in-memory copy of the seeded store and a fresh client, so inputs are
// independent; sleeps return at once and waits for input read an empty
// console.
//
// After a run that was not ended by a fatal tool error, no API object may be
// left: the clean-up at the end of the run frees everything registered,
// unless the test case kept objects on purpose.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <cstdlib>
#include <string>

#include "client.h"
#include "core/cmdline.h"
#include "core/output.h"
#include "driver/driver.h"
#include "fuzz.h"
#include "sandbox.h"
#include "seeded_store.h"
#include "toolmethods/timing.h"

namespace {

void no_sleep(uint32_t) {}

kr::OptionValue given(const char* v) { return kr::OptionValue{v, true}; }

// Objects the clean-up is meant to free and did not. The classes it leaves
// alone on purpose (the thread's result object, block monitors) don't count.
size_t live_objects() {
  size_t n = 0;
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, Dealloc, Copy, Equal, Oid, \
                   Cleanup)                                                                      \
  if (Cleanup != 0) n += pvxjsim::Client::Get().handles.LiveCount(pvxjsim::Cls::Name);
#include <pvxj/classes.def>
#undef PVXJ_CLASS
  return n;
}

bool contains_nocase(std::string_view text, std::string_view word) {
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
  return it != text.end();
}

// The tester can lose objects on purpose: by switching the clean-up off, by
// storing a new object over a registered one (the registry never deallocates
// what it is about to lose, and an ...Allocate into a vector slot makes a new
// vector whatever the slot held; a second handle keyword such as
// ExecutionServiceHdl2 is not even checked), or by re-filing a handle under
// another type (which switches the clean-up off).
bool objects_kept_on_purpose(std::string_view input, const std::string& result) {
  for (const char* kept : {"Automatic cleanup of the allocated resources is disabled.", "will be overwritten with a new object",
                           "will be changed by adding new data"})
    if (result.find(kept) != std::string::npos) return true;
  for (const char* word : {"hdl2", "hdl3"})
    if (contains_nocase(input, word)) return true;
  for (size_t at = result.find(") ended with RC = "); at != std::string::npos;
       at = result.find(") ended with RC = ", at + 1)) {
    const size_t digit = at + 18;
    if (digit < result.size() && result[digit] != '0') return true;
  }
  return false;
}

// A loop of millions of passes is what its test case asks for, not a hang;
// the fuzzer leaves inputs that plan more than a thousand passes alone.
bool plans_long_loop(std::string_view text) {
  static constexpr std::string_view kKey = "noofloops";
  for (size_t i = 0; i + kKey.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < kKey.size() && std::tolower(static_cast<unsigned char>(text[i + k])) == kKey[k]) ++k;
    if (k < kKey.size()) continue;
    size_t j = i + k;
    while (j < text.size() && (std::isspace(static_cast<unsigned char>(text[j])) || text[j] == '\0')) ++j;
    if (j < text.size() && text[j] == '-') return true;
    if (j < text.size() && text[j] == '+') ++j;
    uint64_t n = 0;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])) && n <= 1000) n = n * 10 + (text[j++] - '0');
    if (n > 1000) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::enter_sandbox();
  setenv("PVXJSIM_DB", ":memory:", 1);
  // Each input gets its own copy of a store seeded once.
  pvxjsim::Client::Get().SetStoreFactoryForTesting(fuzz::seeded_store);
  kr::timing_platform().sleep_ms = no_sleep;
  kr::timing_platform().user_input = fuzz::empty_input();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (plans_long_loop(text)) return 0;
  kr::CommandLineSettings s;
  s.program = "kestrun1";
  s.test_case = given("fuzz");
  s.result = given("fuzz");
  s.user = given("ADMIN");
  s.password = given("password");
  s.system = given("SYSTEM");
  s.group = given("GROUP");
  s.config = given("CONFIG");
  s.session = given("SID000000000001");
  s.test_case_name = "fuzz";
  s.input_file = "fuzz.dat";
  s.result_file = "fuzz.log";

  pvxjsim::Client::Get().ResetForTesting();
  std::string result, console;
  kr::Sink err(&console);
  fuzz::Confined confined;
  const int code = kr::run_test_text(s, std::string(text), &result, err);
  if (code != 1 && live_objects() != 0 && !objects_kept_on_purpose(text, result)) {
    fprintf(stderr, "%zu API objects left after a run that ended with %d:\n%s\n", live_objects(), code,
            result.c_str());
    std::abort();
  }
  pvxjsim::Client::Get().ResetForTesting();
  return 0;
}
