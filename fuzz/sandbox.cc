#include "sandbox.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace fuzz {
namespace {

bool confined = false;

std::string& folder() {
  static std::string dir;
  return dir;
}

// The working folder the process started in: libFuzzer writes crash inputs
// below it, from a signal handler in the middle of a run.
std::string& home() {
  static std::string dir;
  return dir;
}

bool under_home(const char* name) {
  return !home().empty() && std::strncmp(name, home().c_str(), home().size()) == 0 && !std::strstr(name, "/..");
}

void remove_folder() {
  std::error_code ec;
  if (!folder().empty()) std::filesystem::remove_all(folder(), ec);
}

}  // namespace

void enter_sandbox() {
  if (!folder().empty()) return;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) home() = std::string(cwd) + "/";
  char tmpl[] = "/tmp/kestrun-fuzz-XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) {
    perror("fuzz sandbox");
    std::abort();
  }
  folder() = tmpl;
  std::atexit(remove_folder);
}

Confined::Confined() { confined = true; }
Confined::~Confined() { confined = false; }

}  // namespace fuzz

extern "C" FILE* __real_fopen(const char* name, const char* mode);

std::FILE* fuzz::empty_input() {
  static std::FILE* f = __real_fopen("/dev/null", "r");
  return f;
}

// The fuzz executables are linked with --wrap=fopen: every fopen of the tool
// and the client comes here. A name with a '/' (absolute, "..", a device) is
// refused as a missing file would be, unless it lies below the folder the
// process started in (libFuzzer's crash files); everything written goes to
// one file, so random names do not pile up in the folder.
extern "C" FILE* __wrap_fopen(const char* name, const char* mode) {
  if (!fuzz::confined || (name && fuzz::under_home(name))) return __real_fopen(name, mode);
  if (!name || std::strchr(name, '/') || !*name) {
    errno = ENOENT;
    return nullptr;
  }
  const bool writes = std::strpbrk(mode, "wa+") != nullptr;
  return __real_fopen(writes ? "written.out" : name, mode);
}
