// Runs a fuzz target once over each file given (directories: every regular
// file in them, in name order), without mutation, so that the targets build
// and pass with any compiler and never rot.
//
//   fuzz_X_replay [--ext=.dat] PATH...
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  std::string ext;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--ext=", 0) == 0) {
      ext = a.substr(6);
      continue;
    }
    fs::path p = fs::absolute(a);
    if (fs::is_directory(p)) {
      std::vector<fs::path> in_dir;
      for (const auto& e : fs::directory_iterator(p))
        if (e.is_regular_file() && (ext.empty() || e.path().extension() == ext)) in_dir.push_back(e.path());
      std::sort(in_dir.begin(), in_dir.end());
      files.insert(files.end(), in_dir.begin(), in_dir.end());
    } else {
      files.push_back(p);
    }
  }
  // Paths are absolute by now: a target may change the working folder.
  LLVMFuzzerInitialize(&argc, &argv);
  if (files.empty()) {
    fprintf(stderr, "replay: no input files\n");
    return 2;
  }
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      fprintf(stderr, "replay: cannot read %s\n", f.c_str());
      return 2;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  printf("%zu inputs replayed\n", files.size());
  return 0;
}
