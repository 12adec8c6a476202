// The language server: the input is what a client sends on standard input,
// framing and all. The same bytes are then opened as a test case and every
// request that reads a document is asked at positions across it, so the
// editor-side reading of a file meets any bytes too.
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fuzz.h"
#include "lsp/server.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    std::istringstream in(bytes);
    std::ostringstream out;
    kr::lsp::Server s;
    const int code = s.run(in, out);
    if (code != 0 && code != 1) std::abort();
  }
  using json = nlohmann::json;
  kr::lsp::Server s;
  auto send = [&](const json& m) {
    for (const std::string& r : s.handle(m.dump(-1, ' ', false, json::error_handler_t::replace)))
      if (json::parse(r, nullptr, false).is_discarded()) std::abort();  // every answer is JSON
  };
  send({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"},
        {"params", {{"capabilities", {{"textDocument", {{"completion", {{"completionItem", {{"snippetSupport", true}}}}}}}}}}}});
  send({{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
        {"params", {{"textDocument", {{"uri", "f"}, {"version", 1}, {"text", bytes}}}}}});
  const json doc = {{"uri", "f"}};
  send({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "textDocument/documentSymbol"}, {"params", {{"textDocument", doc}}}});
  send({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "textDocument/foldingRange"}, {"params", {{"textDocument", doc}}}});
  std::size_t lines = 1;
  for (char c : bytes) lines += c == '\n';
  int id = 4;
  for (std::size_t line = 0; line < lines && line < 24; ++line)
    for (std::size_t ch : {0, 3, 20}) {
      const json at = {{"textDocument", doc}, {"position", {{"line", line}, {"character", ch}}}};
      for (const char* m : {"textDocument/completion", "textDocument/hover", "textDocument/definition"}) {
        // A completion lists every keyword: asking it on every fourth line is
        // enough to meet each kind of line and keeps the replay of long files short.
        if (std::string_view(m) == "textDocument/completion" && line % 4 != 0) continue;
        send({{"jsonrpc", "2.0"}, {"id", id++}, {"method", m}, {"params", at}});
      }
    }
  // An edit in the middle, then the questions again at its place.
  send({{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"},
        {"params", {{"textDocument", {{"uri", "f"}, {"version", 2}}},
                    {"contentChanges", {{{"range", {{"start", {{"line", lines / 2}, {"character", 2}}},
                                                    {"end", {{"line", lines / 2 + 1}, {"character", 0}}}}},
                                         {"text", " End\n"}}}}}}});
  send({{"jsonrpc", "2.0"}, {"id", id++}, {"method", "textDocument/completion"},
        {"params", {{"textDocument", doc}, {"position", {{"line", lines / 2}, {"character", 4}}}}}});
  return 0;
}
