// The pvxjsim command: creates, resets, loads and shows stores.
#ifndef PVXJSIM_ADMIN_H
#define PVXJSIM_ADMIN_H

#include <ostream>
#include <string>
#include <vector>

namespace pvxjsim {

// Runs one command line (without the program name). Returns the exit code:
// 0 done, 1 the store or the input is wrong, 2 bad usage.
int RunAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pvxjsim

#endif
