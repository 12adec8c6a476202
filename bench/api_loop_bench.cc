// The API loop against its floor. BM_ApiSectionLoop runs a test case whose
// loop makes three API sections a pass (a logon check, a sorted template query
// with the object names report, the vector's deallocation) through the whole
// tool, result file included. BM_ApiDirectFloor makes the same client calls
// directly and writes the same result bytes, section by section, flushed
// before each call as the tool flushes. The tool should cost no more than the
// floor: compare the two sections/s rates. Each run logs on once (the password
// check is costly), so the rates at 10,000 passes are the ones to compare.
#include <benchmark/benchmark.h>
#include <pvxj/pvxj.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "client.h"
#include "core/cmdline.h"
#include "core/output.h"
#include "driver/driver.h"

namespace {

constexpr int kSectionsPerPass = 3;

std::string api_case(int passes) {
  return "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 XpRc PVX_OK End\n"
         "PvxjExecutionServiceLogon ExecutionServiceHdl 1 UserID \"ADMIN\" Password \"password\" XpRc PVX_OK End\n"
         "TestTool_LoopStart NoOfLoops " +
         std::to_string(passes) +
         " End\n"
         "  PvxjExecutionServiceIsLoggedOn ExecutionServiceHdl 1 XpValue TRUE End\n"
         "  PvxjExecutionServiceQueryProcessTemplates ExecutionServiceHdl 1 Filter NULL SortCriteria \"NAME ASC\"\n"
         "    Threshold NULL ProcessTemplateVectorHdl 1 ShowAllObjectNames TRUE XpRc PVX_OK End\n"
         "  PvxjProcessTemplateVectorDeallocate ProcessTemplateVectorHdl 1 XpRc PVX_OK End\n"
         "TestTool_JumpToLoopStart\n"
         "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n";
}

struct Files {
  std::string dir, input, result;
  Files() {
    char tmpl[] = "/tmp/kestrun-api-bench-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    dir = tmpl;
    input = dir + "/api.dat";
    result = dir + "/api.log";
  }
  ~Files() {
    std::remove(input.c_str());
    std::remove(result.c_str());
    rmdir(dir.c_str());
  }
};

std::string read_file(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int run_tool(const Files& f, int passes) {
  {
    std::ofstream out(f.input, std::ios::binary);
    out << api_case(passes);
  }
  kr::CommandLineSettings settings;
  settings.input_file = f.input;
  settings.result_file = f.result;
  std::string console_text;
  kr::Sink console(&console_text);
  return kr::run_test_case(settings, console);
}

void BM_ApiSectionLoop(benchmark::State& state) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  pvxjsim::Client::Get().ResetForTesting();
  Files f;
  const int passes = static_cast<int>(state.range(0));
  for (auto _ : state)
    if (run_tool(f, passes) != 0) state.SkipWithError("the run did not end normally");
  state.SetItemsProcessed(state.iterations() * passes * kSectionsPerPass);
}
BENCHMARK(BM_ApiSectionLoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The bytes one pass writes, cut where each API section begins: what the
// tool wrote for a one-pass run, between the loop's start and its end.
struct PassBytes {
  std::string section[kSectionsPerPass];
};

PassBytes pass_bytes(const Files& f) {
  if (run_tool(f, 1) != 0) std::abort();
  const std::string log = read_file(f.result);
  const std::size_t from = log.find("TestTool_LoopStart");
  const std::size_t query = log.find("PvxjExecutionServiceQueryProcessTemplates\n", from);
  const std::size_t dealloc = log.find("PvxjProcessTemplateVectorDeallocate\n", query);
  const std::size_t jump = log.find("TestTool_JumpToLoopStart", dealloc);
  const std::size_t to = log.find("PvxjExecutionServiceLogoff\n", jump);
  if (from == std::string::npos || to == std::string::npos) std::abort();
  return {{log.substr(from, query - from), log.substr(query, dealloc - query), log.substr(dealloc, to - dealloc)}};
}

void BM_ApiDirectFloor(benchmark::State& state) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  pvxjsim::Client::Get().ResetForTesting();
  Files f;
  const PassBytes bytes = pass_bytes(f);
  auto put = [](FILE* out, const std::string& s) {
    fwrite(s.data(), 1, s.size(), out);
    fflush(out);  // the tool flushes before each call
  };
  const int passes = static_cast<int>(state.range(0));
  char name[256];
  for (auto _ : state) {
    FILE* out = fopen(f.result.c_str(), "w");
    PvxjExecutionService svc = 0;
    PvxjExecutionServiceAllocate(&svc);
    if (PvxjExecutionServiceLogon(svc, "ADMIN", "password", 0, 0) != PVX_OK) std::abort();
    for (int pass = 0; pass < passes; ++pass) {
      put(out, bytes.section[0]);
      benchmark::DoNotOptimize(PvxjServiceIsLoggedOn(svc));
      put(out, bytes.section[1]);
      PvxjProcessTemplateVector v = 0;
      PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, "NAME ASC", nullptr, &v);
      const uint32_t size = PvxjProcessTemplateVectorSize(v);
      for (uint32_t i = 0; i < size; ++i) {
        PvxjProcessTemplate t = i == 0 ? PvxjProcessTemplateVectorFirstElement(v) : PvxjProcessTemplateVectorNextElement(v);
        name[0] = '\0';
        benchmark::DoNotOptimize(PvxjProcessTemplateName(t, name, sizeof name));
        PvxjProcessTemplateDeallocate(&t);
      }
      put(out, bytes.section[2]);
      PvxjProcessTemplateVectorDeallocate(&v);
    }
    PvxjExecutionServiceLogoff(svc);
    PvxjExecutionServiceDeallocate(&svc);
    fclose(out);
  }
  state.SetItemsProcessed(state.iterations() * passes * kSectionsPerPass);
}
BENCHMARK(BM_ApiDirectFloor)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
