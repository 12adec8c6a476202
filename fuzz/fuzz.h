#pragma once
// Entry points every fuzz target defines; libFuzzer calls them, and so does
// replay_main.cc, which runs a target over its seed corpus in `make test`.
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
