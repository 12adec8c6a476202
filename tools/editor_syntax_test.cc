#include "editor_syntax.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>

namespace kr::editors {
namespace {

bool has(const std::vector<std::string>& words, const std::string& w) {
  return std::find(words.begin(), words.end(), w) != words.end();
}

const Vocabulary& vocabulary() {
  static const Vocabulary v = collect();
  return v;
}

TEST(EditorVocabulary, SortsEveryWordIntoItsGroup) {
  const Vocabulary& v = vocabulary();
  EXPECT_TRUE(has(v.sections, "PvxjExecutionServiceLogon"));
  EXPECT_TRUE(has(v.sections, "PvxjProcessTemplateVectorSize"));
  EXPECT_TRUE(has(v.sections, "TestTool_LoopStart"));
  EXPECT_TRUE(has(v.sections, "TestResource_DumpHandles"));
  EXPECT_TRUE(has(v.parameters, "XpRc"));
  EXPECT_TRUE(has(v.parameters, "NoOfLoops"));
  EXPECT_TRUE(has(v.handles, "ExecutionServiceHdl"));
  EXPECT_TRUE(has(v.handles, "ReadWriteContainerHdl3"));
  EXPECT_TRUE(has(v.values, "TRUE"));
  EXPECT_TRUE(has(v.values, "LastRetrievedVectorSize"));
  EXPECT_TRUE(has(v.enums, "Pvx_SM_Present"));
  EXPECT_TRUE(has(v.return_codes, "PVX_OK"));
  EXPECT_TRUE(has(v.return_codes, "PVX_ERROR_NOT_UNIQUE"));
  EXPECT_TRUE(has(v.skip_tags, "<NOT_C>"));
  EXPECT_TRUE(has(v.skip_tags, "</NOT_C>"));
  EXPECT_EQ(v.return_codes.front(), "PVX_OK");  // value order, as the table
}

TEST(EditorVocabulary, LeavesOutClassKeywordsCommentMarksAndRetiredIds) {
  const Vocabulary& v = vocabulary();
  for (const auto* group : {&v.sections, &v.parameters, &v.handles, &v.values, &v.enums}) {
    EXPECT_FALSE(has(*group, "PVXJWORKITEM"));
    EXPECT_FALSE(has(*group, "TESTTOOL"));
    EXPECT_FALSE(has(*group, "AGENT."));
    EXPECT_FALSE(has(*group, "End"));
    EXPECT_FALSE(has(*group, "/*"));
    EXPECT_FALSE(has(*group, ""));
  }
  EXPECT_FALSE(has(v.skip_tags, "<"));
}

TEST(EditorVocabulary, GroupsDoNotOverlap) {
  const Vocabulary& v = vocabulary();
  for (const std::string& w : v.sections) {
    EXPECT_FALSE(has(v.parameters, w)) << w;
    EXPECT_FALSE(has(v.handles, w)) << w;
  }
  for (const std::string& w : v.parameters) EXPECT_FALSE(has(v.handles, w)) << w;
}

TEST(EditorVocabulary, SectionPrefixesCoverEverySection) {
  const Vocabulary& v = vocabulary();
  EXPECT_TRUE(has(v.section_prefixes, "TestTool_"));
  EXPECT_TRUE(has(v.section_prefixes, "TestResource_"));
  for (const std::string& s : v.sections)
    EXPECT_TRUE(std::any_of(v.section_prefixes.begin(), v.section_prefixes.end(),
                            [&](const std::string& p) { return s.rfind(p, 0) == 0; }))
        << s;
}

// The grammar's word patterns in std::regex: (?i) becomes the icase flag.
std::regex compile(std::string pattern) {
  auto flags = std::regex::ECMAScript;
  if (pattern.rfind("(?i)", 0) == 0) {
    pattern.erase(0, 4);
    flags |= std::regex::icase;
  }
  return std::regex(pattern, flags);
}

TEST(TextMateGrammar, WordPatternsMatchWholeWordsWithTheRightCase) {
  const Vocabulary& v = vocabulary();
  std::regex section = compile(word_pattern(v.sections, false));
  EXPECT_TRUE(std::regex_match("PvxjExecutionServiceLogon", section));
  EXPECT_TRUE(std::regex_match("pvxjexecutionservicelogon", section));
  EXPECT_FALSE(std::regex_search("PvxjExecutionServiceLogonX", section));
  EXPECT_FALSE(std::regex_search("XPvxjExecutionServiceLogon", section));
  std::regex rc = compile(word_pattern(v.return_codes, true));
  EXPECT_TRUE(std::regex_match("PVX_ERROR_NOT_UNIQUE", rc));
  EXPECT_FALSE(std::regex_search("pvx_ok", rc));  // return-code names keep their case
  EXPECT_FALSE(std::regex_search("PVX_ERROR_NOT_UNIQUEX", rc));
}

TEST(TextMateGrammar, IsValidJsonWithEveryRuleInTheRepository) {
  for (const File& f : editor_files(vocabulary(), "1.2.3")) {
    if (f.path.find(".json") == std::string::npos) continue;
    nlohmann::json j = nlohmann::json::parse(f.content);  // throws on a fault
    if (f.path.find("tmLanguage") == std::string::npos) continue;
    EXPECT_EQ(j["scopeName"], "source.kestrun");
    for (const auto& inc : j["patterns"]) {
      std::string name = inc["include"].get<std::string>().substr(1);
      EXPECT_TRUE(j["repository"].contains(name)) << name;
    }
  }
}

TEST(EditorFiles, VimSyntaxNamesEveryGroupItLinks) {
  std::string vim;
  for (const File& f : editor_files(vocabulary(), "1.2.3"))
    if (f.path == "vim/syntax/kestrun.vim") vim = f.content;
  ASSERT_FALSE(vim.empty());
  std::regex link("hi def link (\\w+) ");
  for (auto it = std::sregex_iterator(vim.begin(), vim.end(), link); it != std::sregex_iterator(); ++it) {
    const std::string group = (*it)[1];
    EXPECT_TRUE(std::regex_search(vim, std::regex("syn (keyword|match|region) " + group + " "))) << group;
  }
}

TEST(EditorFiles, BothEditorsStartTheLanguageServer) {
  std::string package, extension, nvim;
  for (const File& f : editor_files(vocabulary(), "1.2.3")) {
    if (f.path == "vscode/package.json") package = f.content;
    if (f.path == "vscode/extension.js") extension = f.content;
    if (f.path == "vim/ftplugin/kestrun.lua") nvim = f.content;
  }
  const nlohmann::json p = nlohmann::json::parse(package);
  EXPECT_EQ(p["main"], "./extension.js");
  EXPECT_EQ(p["activationEvents"][0], "onLanguage:kestrun");
  EXPECT_EQ(p["contributes"]["configuration"]["properties"]["kestrun1.server.path"]["default"], "kestrun1");
  EXPECT_NE(extension.find("args: ['--lsp']"), std::string::npos);
  EXPECT_NE(extension.find("language: 'kestrun'"), std::string::npos);
  EXPECT_NE(nvim.find("{ 'kestrun1', '--lsp' }"), std::string::npos);
  EXPECT_NE(nvim.find("vim.lsp.start("), std::string::npos);
  EXPECT_NE(nvim.find("vim.lsp.start_client("), std::string::npos);  // Neovim 0.7
}

}  // namespace
}  // namespace kr::editors
