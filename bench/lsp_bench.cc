// The language server on a 10,000-section test case: what one keystroke
// costs (an edit, the new diagnostics), and a completion, hover and symbol
// request on the edited file. A keystroke is answered in time when the
// edit and its diagnostics take well under 100 ms.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "lsp/server.h"

namespace {

using json = nlohmann::json;

constexpr int kSections = 10000;

std::string big_case() {
  std::string t = "/* 10,000 sections */\nPvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n";
  for (int i = 1; i < kSections; ++i) {
    if (i % 2)
      t += "PvxjExecutionServiceLogon\n   ExecutionServiceHdl 1\n   UserID \"USER1\"\n   Password \"pw1\"\n"
           "   XpRc PVX_OK\nEnd\n";
    else
      t += "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n";
  }
  return t;
}

struct Open {
  kr::lsp::Server s;
  std::size_t lines = 0;
  Open() {
    s.handle(json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}}.dump());
    const std::string text = big_case();
    for (char c : text) lines += c == '\n';
    s.handle(json{{"jsonrpc", "2.0"},
                  {"method", "textDocument/didOpen"},
                  {"params", {{"textDocument", {{"uri", "b"}, {"version", 1}, {"text", text}}}}}}
                 .dump());
  }
  json at(std::size_t line, std::size_t ch) const {
    return {{"textDocument", {{"uri", "b"}}}, {"position", {{"line", line}, {"character", ch}}}};
  }
};

// One typed character in the middle of the file: the edit and the diagnostics of the whole file.
void BM_Keystroke(benchmark::State& state) {
  Open o;
  int version = 2;
  bool add = true;
  const std::size_t line = o.lines / 2;
  for (auto _ : state) {
    json range = {{"start", {{"line", line}, {"character", 0}}}, {"end", {{"line", line}, {"character", add ? 0 : 1}}}};
    auto out = o.s.handle(json{{"jsonrpc", "2.0"},
                               {"method", "textDocument/didChange"},
                               {"params", {{"textDocument", {{"uri", "b"}, {"version", version++}}},
                                           {"contentChanges", {{{"range", range}, {"text", add ? " " : ""}}}}}}}
                              .dump());
    benchmark::DoNotOptimize(out);
    add = !add;
  }
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond);

void request(benchmark::State& state, const char* method, bool keystroke_first) {
  Open o;
  const std::size_t line = o.lines - 3;  // inside the last logon: "   Password ..."
  int id = 2, version = 2;
  for (auto _ : state) {
    if (keystroke_first) {
      state.PauseTiming();
      // The analysis is redone after every edit: the first request pays for it.
      o.s.handle(json{{"jsonrpc", "2.0"},
                      {"method", "textDocument/didChange"},
                      {"params", {{"textDocument", {{"uri", "b"}, {"version", version++}}},
                                  {"contentChanges", {{{"range", {{"start", {{"line", 0}, {"character", 0}}},
                                                                  {"end", {{"line", 0}, {"character", 0}}}}},
                                                       {"text", ""}}}}}}}
                     .dump());
      state.ResumeTiming();
    }
    auto out = o.s.handle(json{{"jsonrpc", "2.0"}, {"id", id++}, {"method", method}, {"params", o.at(line, 23)}}.dump());
    benchmark::DoNotOptimize(out);
  }
}
void BM_CompletionAfterEdit(benchmark::State& state) { request(state, "textDocument/completion", true); }
void BM_HoverAfterEdit(benchmark::State& state) { request(state, "textDocument/hover", true); }
void BM_Hover(benchmark::State& state) { request(state, "textDocument/hover", false); }
void BM_DocumentSymbol(benchmark::State& state) { request(state, "textDocument/documentSymbol", false); }
BENCHMARK(BM_CompletionAfterEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HoverAfterEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hover)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentSymbol)->Unit(benchmark::kMillisecond);

}  // namespace
