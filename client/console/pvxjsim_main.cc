// pvxjsim: administers the simulated workflow client's store.
#include <iostream>

#include "admin.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return pvxjsim::RunAdmin(args, std::cout, std::cerr);
}
