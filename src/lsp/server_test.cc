#include "lsp/server.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "check/checker.h"
#include "lsp/framing.h"
#include "lsp/model.h"

namespace kr::lsp {
namespace {

using json = nlohmann::json;

const char kCase[] =
    "/* a logon\n"
    "   and a query */\n"
    "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
    "PvxjExecutionServiceLogon\n"
    "   ExecutionServiceHdl 1\n"
    "   UserID \"<CL-VALUE>\"\n"
    "   XpRc PVX_OK\n"
    "End\n"
    "PvxjExecutionServiceLogoff ExecutionServiceHdl 2 XpRc PVX_OK End\n"
    "NoSuchMethod End\n";

class Session : public ::testing::Test {
 protected:
  // Sends one message; returns what came back, parsed.
  std::vector<json> send(const json& m) {
    std::vector<json> out;
    for (const std::string& s : server.handle(m.dump())) out.push_back(json::parse(s));
    return out;
  }
  json request(const std::string& method, json params) {
    const int id = ++next_id;
    std::vector<json> r = send({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}});
    EXPECT_EQ(r.size(), 1u) << method;
    if (r.empty()) return nullptr;
    EXPECT_EQ(r[0]["id"], id);
    return r[0];
  }
  std::vector<json> notify(const std::string& method, json params) {
    return send({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
  }
  json at(int line, int ch) {
    return {{"textDocument", {{"uri", "file:///t.dat"}}}, {"position", {{"line", line}, {"character", ch}}}};
  }
  void start(bool snippets = false) {
    json caps = json::object();
    if (snippets) caps["textDocument"]["completion"]["completionItem"]["snippetSupport"] = true;
    const json r = request("initialize", {{"processId", nullptr}, {"capabilities", caps}});
    ASSERT_TRUE(r.contains("result"));
    notify("initialized", json::object());
    const std::vector<json> d = notify(
        "textDocument/didOpen",
        {{"textDocument", {{"uri", "file:///t.dat"}, {"languageId", "kestrun"}, {"version", 1}, {"text", kCase}}}});
    ASSERT_EQ(d.size(), 1u);
    diagnostics = d[0];
  }
  static std::vector<std::string> labels(const json& completion) {
    std::vector<std::string> l;
    for (const json& i : completion["result"]["items"]) l.push_back(i["label"]);
    return l;
  }
  static bool has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
  }

  Server server;
  int next_id = 0;
  json diagnostics;
};

TEST_F(Session, InitializeAnnouncesWhatTheServerAnswers) {
  const json r = request("initialize", {{"capabilities", json::object()}});
  const json& caps = r["result"]["capabilities"];
  EXPECT_EQ(caps["positionEncoding"], "utf-16");
  EXPECT_EQ(caps["textDocumentSync"]["change"], 2);
  for (const char* p : {"hoverProvider", "definitionProvider", "documentSymbolProvider", "foldingRangeProvider"})
    EXPECT_EQ(caps[p], true) << p;
  EXPECT_EQ(r["result"]["serverInfo"]["name"], "kestrun1");
  // A second initialize is refused.
  EXPECT_EQ(request("initialize", {{"capabilities", json::object()}})["error"]["code"], -32600);
}

TEST_F(Session, DiagnosticsAreTheChecksFindings) {
  start();
  const std::vector<check::Finding> expected = check::check_text(kCase);
  const json& d = diagnostics["params"]["diagnostics"];
  EXPECT_EQ(diagnostics["method"], "textDocument/publishDiagnostics");
  EXPECT_EQ(diagnostics["params"]["version"], 1);
  ASSERT_EQ(d.size(), expected.size());
  ASSERT_FALSE(expected.empty());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(d[i]["message"], expected[i].message);
    EXPECT_EQ(d[i]["range"]["start"]["line"], expected[i].line - 1);
    EXPECT_EQ(d[i]["range"]["start"]["character"], expected[i].column - 1);
    EXPECT_EQ(d[i]["severity"], expected[i].severity == check::Severity::kError ? 1 : 2);
  }
  // The unknown method: TC0006 on line 10, the whole word underlined.
  const json& last = d.back();
  EXPECT_EQ(last["code"], "TC0006");
  EXPECT_EQ(last["range"]["start"]["line"], 9);
  EXPECT_EQ(last["range"]["end"]["character"], 12);
  // The handle used before any section creates it is a warning at its number.
  bool warned = false;
  for (const json& x : d)
    if (x["severity"] == 2 && x["range"]["start"]["line"] == 8) warned = true;
  EXPECT_TRUE(warned);
}

TEST_F(Session, ChangesAreAppliedAndRechecked) {
  start();
  // Replace "NoSuchMethod" on line 10 by a comment: the TC0006 goes away.
  std::vector<json> r = notify(
      "textDocument/didChange",
      {{"textDocument", {{"uri", "file:///t.dat"}, {"version", 2}}},
       {"contentChanges",
        {{{"range", {{"start", {{"line", 9}, {"character", 0}}}, {"end", {{"line", 9}, {"character", 12}}}}},
          {"text", "/* gone */"}}}}});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]["params"]["version"], 2);
  for (const json& x : r[0]["params"]["diagnostics"]) EXPECT_NE(x.value("code", ""), "TC0006");
  // A whole-text change.
  r = notify("textDocument/didChange", {{"textDocument", {{"uri", "file:///t.dat"}, {"version", 3}}},
                                        {"contentChanges", {{{"text", "Bogus End\n"}}}}});
  ASSERT_EQ(r[0]["params"]["diagnostics"].size(), 1u);
  EXPECT_EQ(r[0]["params"]["diagnostics"][0]["code"], "TC0006");
}

TEST_F(Session, CompletesKeywordsParametersAndValues) {
  start(true);
  // At the top level: section keywords with their reference entry, and snippets.
  json c = request("textDocument/completion", at(9, 4));  // "NoSu|chMethod": prefix "NoSu"
  EXPECT_TRUE(c["result"]["items"].empty());
  c = request("textDocument/completion", at(10, 0));
  std::vector<std::string> l = labels(c);
  EXPECT_TRUE(has(l, "PvxjExecutionServiceLogon"));
  EXPECT_TRUE(has(l, "TestTool_If"));
  EXPECT_TRUE(has(l, "PvxjExecutionServiceLogon ... End"));
  for (const json& i : c["result"]["items"])
    if (i["label"] == "PvxjExecutionServiceLogon") {
      EXPECT_NE(i["documentation"]["value"].get<std::string>().find("  UserID "), std::string::npos);
    } else if (i["label"] == "PvxjExecutionServiceLogon ... End") {
      const std::string snippet = i["insertText"];
      EXPECT_EQ(snippet.rfind("PvxjExecutionServiceLogon\n   ExecutionServiceHdl ${1:1}", 0), 0u) << snippet;
      EXPECT_NE(snippet.find("\nEnd$0"), std::string::npos);
    }
  // Inside the logon, on the line of its "End": the parameters not given yet.
  c = request("textDocument/completion", at(7, 0));
  l = labels(c);
  EXPECT_TRUE(has(l, "Password"));
  EXPECT_TRUE(has(l, "End"));
  EXPECT_FALSE(has(l, "UserID"));
  EXPECT_FALSE(has(l, "XpRc"));
  // The value of XpRc: return-code names.
  c = request("textDocument/completion", at(6, 8));
  l = labels(c);
  EXPECT_TRUE(has(l, "PVX_OK"));
  EXPECT_FALSE(has(l, "Password"));
  // A handle number: the ones created above.
  c = request("textDocument/completion", at(4, 23));
  l = labels(c);
  EXPECT_EQ(l, std::vector<std::string>{"1"});
}

TEST_F(Session, HoverDefinitionSymbolsAndFolding) {
  start();
  json h = request("textDocument/hover", at(3, 5));
  EXPECT_NE(h["result"]["contents"]["value"].get<std::string>().find("PvxjExecutionServiceLogon\n"), std::string::npos);
  h = request("textDocument/hover", at(4, 23));
  EXPECT_EQ(h["result"]["contents"]["value"], "ExecutionServiceHdl 1: created by PvxjExecutionServiceAllocate on line 3");
  h = request("textDocument/hover", at(8, 47));
  EXPECT_NE(h["result"]["contents"]["value"].get<std::string>().find("no section above creates it"), std::string::npos);
  EXPECT_EQ(request("textDocument/hover", at(1, 3))["result"], nullptr);

  json d = request("textDocument/definition", at(4, 23));
  EXPECT_EQ(d["result"]["uri"], "file:///t.dat");
  EXPECT_EQ(d["result"]["range"]["start"]["line"], 2);
  EXPECT_EQ(d["result"]["range"]["end"]["character"], 28);
  EXPECT_EQ(request("textDocument/definition", at(8, 47))["result"], nullptr);

  json s = request("textDocument/documentSymbol", {{"textDocument", {{"uri", "file:///t.dat"}}}});
  ASSERT_EQ(s["result"].size(), 3u);
  EXPECT_EQ(s["result"][1]["name"], "PvxjExecutionServiceLogon");
  EXPECT_EQ(s["result"][1]["range"]["end"]["line"], 7);

  json f = request("textDocument/foldingRange", {{"textDocument", {{"uri", "file:///t.dat"}}}});
  ASSERT_EQ(f["result"].size(), 2u);
  EXPECT_EQ(f["result"][0]["startLine"], 3);  // the logon section
  EXPECT_EQ(f["result"][0]["endLine"], 7);
  EXPECT_EQ(f["result"][1]["kind"], "comment");
}

TEST(LspServer, DocumentationWaitsForResolveWhenTheClientResolves) {
  Server s;
  auto ask = [&](json m) { return json::parse(s.handle(m.dump()).at(0)); };
  json caps;
  caps["textDocument"]["completion"]["completionItem"]["resolveSupport"]["properties"] = {"documentation"};
  const json init = ask({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", caps}}}});
  EXPECT_EQ(init["result"]["capabilities"]["completionProvider"]["resolveProvider"], true);
  s.handle(json{{"jsonrpc", "2.0"}, {"method", "textDocument/didOpen"},
                {"params", {{"textDocument", {{"uri", "u"}, {"text", "PvxjExecutionServiceLogo"}}}}}}.dump());
  const json c = ask({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "textDocument/completion"},
                      {"params", {{"textDocument", {{"uri", "u"}}}, {"position", {{"line", 0}, {"character", 24}}}}}});
  const json& items = c["result"]["items"];
  ASSERT_GE(items.size(), 2u);  // Logon, Logoff, ...
  for (const json& i : items) {
    EXPECT_EQ(i["label"].get<std::string>().rfind("PvxjExecutionServiceLogo", 0), 0u);
    EXPECT_FALSE(i.contains("documentation"));
  }
  const json r = ask({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "completionItem/resolve"}, {"params", items[0]}});
  EXPECT_NE(r["result"]["documentation"]["value"].get<std::string>().find("ExecutionServiceHdl"), std::string::npos);
  EXPECT_EQ(r["result"]["label"], items[0]["label"]);
}

TEST_F(Session, ShutdownThenExit) {
  EXPECT_EQ(request("textDocument/hover", at(0, 0))["error"]["code"], -32002);
  start();
  EXPECT_EQ(request("shutdown", nullptr)["result"], nullptr);
  EXPECT_EQ(request("textDocument/hover", at(0, 0))["error"]["code"], -32600);
  EXPECT_FALSE(server.exited());
  notify("exit", nullptr);
  EXPECT_TRUE(server.exited());
  EXPECT_EQ(server.exit_code(), 0);
}

TEST(LspServer, IfAndLoopBlocksAreSymbolsWithTheirSections) {
  Server s;
  auto send = [&](json m) { return s.handle(m.dump()); };
  send({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}});
  const std::string text =
      "TestTool_If End\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 1 End\n"
      "TestTool_Then\n"
      "TestTool_EndIf\n"
      "TestTool_LoopStart NoOfLoops 2 End\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 2 End\n"
      "TestTool_JumpToLoopStart\n";
  send({{"jsonrpc", "2.0"},
        {"method", "textDocument/didOpen"},
        {"params", {{"textDocument", {{"uri", "u"}, {"version", 1}, {"text", text}}}}}});
  const json r = json::parse(s.handle(json{{"jsonrpc", "2.0"},
                                           {"id", 2},
                                           {"method", "textDocument/documentSymbol"},
                                           {"params", {{"textDocument", {{"uri", "u"}}}}}}
                                          .dump())[0]);
  const json& sym = r["result"];
  ASSERT_EQ(sym.size(), 2u) << sym.dump();
  EXPECT_EQ(sym[0]["name"], "IF");
  EXPECT_EQ(sym[0]["children"].size(), 4u);
  EXPECT_EQ(sym[1]["name"], "LOOP");
  EXPECT_EQ(sym[1]["children"].size(), 3u);
  EXPECT_EQ(sym[1]["range"]["end"]["line"], 6);
}

TEST(LspServer, PositionsCountUtf16UnitsUnlessUtf8IsAgreed) {
  for (const bool utf8 : {false, true}) {
    Server s;
    json caps = json::object();
    if (utf8) caps["general"]["positionEncodings"] = {"utf-8", "utf-16"};
    const json init = json::parse(
        s.handle(json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", caps}}}}
                     .dump())[0]);
    EXPECT_EQ(init["result"]["capabilities"]["positionEncoding"], utf8 ? "utf-8" : "utf-16");
    // "é" is two bytes and one UTF-16 unit; "😀" four bytes and two units.
    const std::string text = "/* \xC3\xA9\xF0\x9F\x98\x80 */ Bogus End\n";
    const json d = json::parse(s.handle(json{{"jsonrpc", "2.0"},
                                             {"method", "textDocument/didOpen"},
                                             {"params", {{"textDocument", {{"uri", "u"}, {"text", text}}}}}}
                                            .dump())[0]);
    EXPECT_EQ(d["params"]["diagnostics"][0]["range"]["start"]["character"], utf8 ? 13 : 10);
  }
}

TEST(LspServer, HostileMessagesGetErrorsNeverACrash) {
  Server s;
  auto code = [&](std::string_view body) {
    const std::vector<std::string> r = s.handle(body);
    if (r.empty()) return 0;
    const json j = json::parse(r[0]);
    return j.contains("error") ? j["error"]["code"].get<int>() : 0;
  };
  EXPECT_EQ(code("{"), -32700);
  EXPECT_EQ(code("\xff\xfe"), -32700);
  EXPECT_EQ(code("[]"), -32600);
  EXPECT_EQ(code(std::string(100000, '[')), -32600);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":[1],"method":"initialize"})"), -32600);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":7}})"), 0);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":2,"method":"textDocument/hover","params":{"textDocument":5}})"), -32602);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":7})"), -32602);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":4,"method":"no/such"})"), -32601);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"u","text":"Pvxj"}}})"), 0);
  // A change past the end of the text is clamped to it.
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"u"},)"
                 R"("contentChanges":[{"range":{"start":{"line":99,"character":99},"end":{"line":0,"character":2}},"text":"x"}]}})"),
            0);
  EXPECT_EQ(code(R"({"jsonrpc":"2.0","id":5,"method":"textDocument/completion","params":{"textDocument":{"uri":"u"},)"
                 R"("position":{"line":-1,"character":3}}})"),
            -32602);
}

TEST(LspFraming, ReaderTakesWhatComesAndSkipsWhatItCannot) {
  std::string big = "Content-Length: " + std::to_string(kMaxBody + 1) + "\r\n\r\n";
  std::istringstream in("garbage without colon\r\n\r\n"
                        "Content-Type: x\r\nContent-Length: 2\r\n\r\n{}"
                        "\n\ncontent-length:  3 \r\n\r\n[1]"
                        "Content-Length: -4\r\n\r\n" +
                        big + std::string(64, 'x') + "Content-Length: 10\r\n\r\nshort");
  MessageReader r(in);
  std::string body;
  EXPECT_EQ(r.next(&body), MessageReader::Got::kMessage);
  EXPECT_EQ(body, "{}");
  EXPECT_EQ(r.next(&body), MessageReader::Got::kMessage);
  EXPECT_EQ(body, "[1]");
  // The negative length is dropped; the oversized body is skipped as far as it goes.
  EXPECT_EQ(r.next(&body), MessageReader::Got::kEnd);
}

TEST(LspServer, RunsOverFramedStreamsUntilExit) {
  std::string in;
  for (const char* m : {R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})",
                        R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})", R"({"jsonrpc":"2.0","method":"exit"})",
                        R"({"jsonrpc":"2.0","id":3,"method":"shutdown"})"}) {
    in += "Content-Length: " + std::to_string(std::string_view(m).size()) + "\r\n\r\n" + m;
  }
  std::istringstream is(in);
  std::ostringstream os;
  Server s;
  EXPECT_EQ(s.run(is, os), 0);
  const std::string out = os.str();
  EXPECT_NE(out.find("\"id\":2,\"jsonrpc\":\"2.0\",\"result\":null"), std::string::npos) << out;
  EXPECT_EQ(out.find("\"id\":3"), std::string::npos);
  // The end of the input without shutdown: exit code 1.
  std::istringstream none("");
  Server t;
  EXPECT_EQ(t.run(none, os), 1);
}

TEST(LspModel, AHalfTypedSectionLeavesTheNextOneIntact) {
  const Model m = analyse(
      "PvxjExecutionServiceLogon ExecutionServiceHdl\n"
      "PvxjExecutionServiceAllocate ExecutionServiceHdl 3 End\n");
  ASSERT_EQ(m.sections.size(), 2u);
  EXPECT_FALSE(m.sections[0].closed);
  EXPECT_FALSE(m.sections[0].params[0].has_value);
  EXPECT_TRUE(m.sections[1].closed);
  ASSERT_EQ(m.handles.size(), 1u);
  EXPECT_TRUE(m.handles[0].create);
  EXPECT_EQ(m.handles[0].number, 3);
}

}  // namespace
}  // namespace kr::lsp
