// String and integer vectors: lists the caller builds, and the lists of
// texts the client hands out (roles, categories, message parameters).
#ifndef PVXJSIM_STRING_VECTOR_H
#define PVXJSIM_STRING_VECTOR_H

#include <cstdint>
#include <string>
#include <vector>

#include "handles.h"

namespace pvxjsim {

struct StringVectorObject : Object {
  std::vector<std::string> items;
  size_t cursor = 0;
};

struct IntVectorObject : Object {
  std::vector<int32_t> items;
  size_t cursor = 0;
};

// A new string vector holding items, registered in *out. Caller holds the
// client lock. Returns a return code.
int32_t NewStringVector(std::vector<std::string> items, HandleSlot out);

// The elements of a live string vector; nullptr for any other handle.
// Caller holds the client lock.
const std::vector<std::string>* StringsOf(HandleRef handle);

}  // namespace pvxjsim

#endif
