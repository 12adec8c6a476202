#include "api/files.h"

#include <cctype>

namespace kr::api {

void read_word(FILE* f, std::string* word) {
  word->clear();
  if (!f) return;
  int c;
  while ((c = fgetc(f)) != EOF && std::isspace(c)) {}
  while (c != EOF && !std::isspace(c)) {
    word->push_back(static_cast<char>(c));
    c = fgetc(f);
  }
}

std::size_t read_bytes(FILE* f, std::size_t length, std::vector<unsigned char>* out) {
  out->assign(length, 0);
  if (!f || length == 0) return 0;
  return fread(out->data(), 1, length, f);
}

}  // namespace kr::api
