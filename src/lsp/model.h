#pragma once
// What an editor needs to know of a test case file while it is being typed:
// where each section, parameter and value stands, which handles the sections
// create and use, and where comments and IF and loop blocks begin and end.
// Mistakes are the syntax check's business; this reading only has to be
// forgiving, so that a half-typed section does not hide the rest of the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kr::lsp {

struct Span {
  std::size_t at = 0, end = 0;  // byte offsets, end excluded
};

struct ParamUse {
  int keyword = 0;  // keyword id, 0 for an unknown word
  Span word;
  bool has_value = false;
  Span value;  // a quoted value with its quotes
};

struct Section {
  int keyword = 0;
  bool tool = false;  // TestTool_ / TestResource_
  Span word;
  Span whole;  // from the keyword to the end of its "End" (or where the section stops)
  bool closed = false;
  std::vector<ParamUse> params;
};

// A handle number that a section creates or uses.
struct HandleEvent {
  std::pair<int, int> key;  // handle table (or keyword) and number
  int keyword = 0;          // the handle keyword as given
  int32_t number = 0;
  std::size_t section = 0;  // index into Model::sections
  Span value;               // where the number stands
  bool create = false;
};

struct Block {
  enum Kind { kIf, kLoop, kComment, kSkip } kind;
  Span whole;
  std::size_t first_section = 0, end_section = 0;  // sections inside: [first, end)
};

struct Model {
  std::vector<Section> sections;  // in file order
  std::vector<HandleEvent> handles;
  std::vector<Block> blocks;  // comments, skip blocks, IF and loop blocks, by start
};

Model analyse(std::string_view text);

// The key under which a handle keyword's numbers are registered: keywords
// that share a table share numbers.
std::pair<int, int> handle_key(int keyword, int32_t number);

// Whether a parameter keyword of an API method names a handle it uses (i),
// creates (n) or appends to (n | i+); 0 when it names none of these.
enum class HandleRole { kNone, kUse, kCreate };
HandleRole api_handle_role(int method, int param);

}  // namespace kr::lsp
