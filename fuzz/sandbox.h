#pragma once
// Keeps fuzzed test cases from touching the machine: they run in a fresh
// temporary folder, and the files they name are confined to it.
#include <cstdio>

namespace fuzz {

// Creates a temporary folder, makes it the working folder and removes it at
// exit. Call once, from LLVMFuzzerInitialize.
void enter_sandbox();

// While one lives, every fopen of the tool and the client is confined to
// the folder (see sandbox.cc); libFuzzer's own files are not.
struct Confined {
  Confined();
  ~Confined();
};

// An input stream that is always at its end, for the waits for user input.
std::FILE* empty_input();

}  // namespace fuzz
