#pragma once
// What a result file says about the stored lists its run created.
#include <set>
#include <sstream>
#include <string>

namespace store_tests {

// Names of the lists whose creation the result file reports as PVX_OK.
inline std::set<std::string> reported_created(const std::string& result) {
  std::set<std::string> names;
  std::istringstream in(result);
  std::string line, section, name;
  while (std::getline(in, line)) {
    if (line.rfind("Pvxj", 0) == 0) {
      section = line;
      name.clear();
    } else if (line.rfind("parameter:  ListName = ", 0) == 0) {
      name = line.substr(23);
    } else if (line.rfind("AcRc = PVX_OK = 0", 0) == 0 && section.rfind("PvxjExecutionServiceCreate", 0) == 0) {
      names.insert(name);
    }
  }
  return names;
}

}  // namespace store_tests
