#include <pvxj/string_vector.h>

#include "api/join.h"

#include <cstring>

#include "core/output.h"
#include "core/run_context.h"

namespace kr::api {
namespace {

struct Functions {
  uint32_t (*size)(PvxjStringVector);
  char* (*first)(PvxjStringVector, char*, uint32_t);
  char* (*next)(PvxjStringVector, char*, uint32_t);
};

constexpr Functions kElements{PvxjStringVectorSize, PvxjStringVectorFirstElement, PvxjStringVectorNextElement};
constexpr Functions kResultParms{PvxjStringVectorResultParmSize, PvxjStringVectorFirstResultParmElement,
                                 PvxjStringVectorNextResultParmElement};

// An element as a 256-byte field holds it.
std::string fetch(char* (*fn)(PvxjStringVector, char*, uint32_t), PvxjStringVector vector) {
  char element[256] = {};
  const char* got = fn(vector, element, sizeof element);
  return got ? std::string(got, strnlen(got, sizeof element)) : std::string();
}

std::string join(const Functions& f, PvxjStringVector vector, uint32_t size, std::size_t capacity) {
  std::string text;
  if (size == 0) return text;
  text = fetch(f.first, vector);
  if (text.size() >= capacity) text.resize(capacity ? capacity - 1 : 0);
  for (uint32_t i = 1; i < size; ++i) {
    text += ';';
    std::string element = fetch(f.next, vector);
    if (capacity <= text.size() + element.size() + 1) {
      text += "...";
      break;
    }
    text += element;
  }
  return text;
}

}  // namespace

std::string join_with_heading(RunContext& ctx, PvxjStringVector vector, std::size_t capacity, Walk walk) {
  const Functions& f = walk == Walk::kElements ? kElements : kResultParms;
  const uint32_t size = f.size(vector);
  ctx.out.line("..........Object Names Report...............................................");
  ctx.out.write("vector size = ");
  ctx.out.write_u32(size);
  ctx.out.end_line();
  return join(f, vector, size, capacity);
}

std::string join_with_size(PvxjStringVector vector, std::size_t capacity) {
  const uint32_t size = kElements.size(vector);
  std::string text = join(kElements, vector, size, capacity);
  if (size == 0) return "(vector size = 0)";
  return text + " (vector size = " + std::to_string(size) + ")";
}

}  // namespace kr::api
