// kestrun_gen: writes the editor support files from the keyword table and the
// API catalogue, or checks that the committed copies are current.
//
//   kestrun_gen --write DIR   write every file under DIR
//   kestrun_gen --check DIR   exit 1 and name each file under DIR that differs
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "editor_syntax.h"

#ifndef KESTRUN_VERSION
#define KESTRUN_VERSION "0.0.0"
#endif

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 3 || (std::string(argv[1]) != "--write" && std::string(argv[1]) != "--check")) {
    std::cerr << "usage: kestrun_gen --write DIR | --check DIR\n";
    return 2;
  }
  const bool write = std::string(argv[1]) == "--write";
  const fs::path dir = argv[2];
  int stale = 0;
  for (const kr::editors::File& f : kr::editors::editor_files(kr::editors::collect(), KESTRUN_VERSION)) {
    const fs::path path = dir / f.path;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream old;
    if (in) old << in.rdbuf();
    if (in && old.str() == f.content) continue;
    if (!write) {
      std::cerr << path.string() << ": " << (in ? "stale" : "missing") << "\n";
      ++stale;
      continue;
    }
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << f.content;
    if (!out.flush()) {
      std::cerr << path.string() << ": cannot write\n";
      return 1;
    }
    std::cout << "wrote " << path.string() << "\n";
  }
  if (stale) {
    std::cerr << stale << " editor file(s) out of date: rebuild the target `editors` "
                 "(cmake --build build --target editors) and commit the result\n";
    return 1;
  }
  if (!write) std::cout << "editor files are current\n";
  return 0;
}
