#include "api/files.h"

#include <sys/stat.h>

#include <cctype>

namespace kr::api {

FILE* open_input_file(const std::string& name) {
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return nullptr;
  struct stat st;
  if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    fclose(f);
    return nullptr;
  }
  return f;
}

bool read_word(FILE* f, std::string* word) {
  word->clear();
  if (!f) return true;
  int c;
  while ((c = fgetc(f)) != EOF && std::isspace(c)) {}
  while (c != EOF && !std::isspace(c)) {
    if (word->size() == kMaxFileWord) {
      word->clear();
      return false;
    }
    word->push_back(static_cast<char>(c));
    c = fgetc(f);
  }
  return true;
}

std::size_t read_bytes(FILE* f, std::size_t length, std::vector<unsigned char>* out) {
  out->assign(length, 0);
  if (!f || length == 0) return 0;
  return fread(out->data(), 1, length, f);
}

}  // namespace kr::api
