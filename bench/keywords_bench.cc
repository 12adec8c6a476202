// Keyword lookup: the hashed table against the documented linear scan.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/class_lookup.h"
#include "core/keywords.h"

namespace {

std::vector<std::string> sample_words() {
  // A mix a test case reads: parameter keywords, End, handle keywords, misses.
  return {"End", "XpRc", "ExecutionServiceHdl", "UserID", "Password", "SessionMode", "Comment",
          "TestTool_CommentToOutput", "ProcessInstanceHdl", "ShowAllObjectNames", "XpValue",
          "NoSuchKeyword", "end", "PERSISTENTOIDHDL", "Year", "BufferLength"};
}

void BM_KeywordHash(benchmark::State& state) {
  auto words = sample_words();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kr::keyword_id(words[i++ % words.size()]));
}
BENCHMARK(BM_KeywordHash);

void BM_KeywordLinear(benchmark::State& state) {
  auto words = sample_words();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kr::keyword_id_linear(words[i++ % words.size()]));
}
BENCHMARK(BM_KeywordLinear);

void BM_ClassLookup(benchmark::State& state) {
  std::vector<std::string> words = {"PvxjExecutionServiceLogon", "TestTool_CommentToOutput",
                                    "PvxjWorkitemStart", "/*", "End", "PvxjSymbolLayoutName"};
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(kr::class_of(words[i++ % words.size()]));
}
BENCHMARK(BM_ClassLookup);

}  // namespace
