#pragma once
// Small readers for the files that sections name.
#include <cstdio>
#include <string>
#include <vector>

namespace kr::api {

// The longest word an identifier, session or program file can give: every
// identifier the API hands out is far shorter, and /dev/zero must not grow
// without end.
inline constexpr std::size_t kMaxFileWord = 4096;

// Opens an input file for reading; null when it cannot be opened or is a
// directory (which would read as empty text, so an empty identifier).
FILE* open_input_file(const std::string& name);

// The next white-space delimited word of a file into `word`; empty at the end.
// False when the word runs past kMaxFileWord bytes (`word` is then empty).
bool read_word(FILE* f, std::string* word);

// Up to `length` bytes into `out` (resized to `length`, zero-filled); returns
// how many bytes the file had.
std::size_t read_bytes(FILE* f, std::size_t length, std::vector<unsigned char>* out);

}  // namespace kr::api
