// The reader's hot path: splitting a test case into tokens, and the
// result-file writer every section goes through.
#include <benchmark/benchmark.h>

#include <string>

#include "core/output.h"
#include "core/reader.h"

namespace {

std::string sample_file() {
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += "PvxjExecutionServiceLogon\r\n  ExecutionServiceHdl 1\r\n  UserID \"ADMIN\"\r\n";
    text += "  XpRc PVX_OK\r\nEnd\r\n/* comment " + std::to_string(i) + " */\n";
  }
  return text;
}

void BM_ReaderTokens(benchmark::State& state) {
  const std::string text = sample_file();
  std::size_t tokens = 0;
  for (auto _ : state) {
    kr::Input in(text);
    for (std::string_view t = in.token(); !t.empty(); t = in.token()) ++tokens;
    benchmark::DoNotOptimize(tokens);
  }
  state.SetItemsProcessed(static_cast<int64_t>(tokens));
}
BENCHMARK(BM_ReaderTokens)->Unit(benchmark::kMillisecond);

void BM_SinkLines(benchmark::State& state) {
  std::FILE* devnull = std::fopen("/dev/null", "w");
  kr::Sink out(devnull, true);
  int64_t lines = 0;
  for (auto _ : state) {
    out.write("parameter:  ");
    out.write("ExecutionServiceHdl");
    out.write(" = ");
    out.line("1");
    ++lines;
  }
  state.SetItemsProcessed(lines);
}
BENCHMARK(BM_SinkLines);

}  // namespace
