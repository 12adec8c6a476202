// The operator console's commands over the running server (start, items,
// finish, show instance), and how it writes texts from the store.
#ifndef PVXJSIM_CONSOLE_H
#define PVXJSIM_CONSOLE_H

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace pvxjsim {

class Store;

// Text for a terminal: control characters (and DEL) as \xNN, backslash as
// \\, so a name in a definition cannot send escape sequences.
std::string Escaped(const std::string& text);

// words[0] is start, items, finish or show (with "instance NAME"). Returns
// the exit code: 0 done, 1 refused (message on err), 2 bad usage.
int RunRuntimeCommand(Store& store, const std::vector<std::string>& words,
                      const std::vector<std::pair<std::string, std::string>>& options, bool json,
                      std::ostream& out, std::ostream& err);

}  // namespace pvxjsim

#endif
