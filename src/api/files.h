#pragma once
// Small readers for the files that sections name.
#include <cstdio>
#include <string>
#include <vector>

namespace kr::api {

// The next white-space delimited word of a file, of any length; empty at the end.
void read_word(FILE* f, std::string* word);

// Up to `length` bytes into `out` (resized to `length`, zero-filled); returns
// how many bytes the file had.
std::size_t read_bytes(FILE* f, std::size_t length, std::vector<unsigned char>* out);

}  // namespace kr::api
