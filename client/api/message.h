// The message catalogue: numbered texts with %1 .. %9 parameter places. The
// message of an API result has the number of its return code.
#ifndef PVXJSIM_MESSAGE_H
#define PVXJSIM_MESSAGE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pvxjsim {

// The text of a message number; nullptr for a number the catalogue lacks.
const char* MessageTemplate(uint32_t id);

// Puts the parameters in: %1 .. %9 by position (a missing one is empty), %%
// is one percent sign. Parameters the text has no place for follow in
// parentheses, so nothing a caller was told is lost.
std::string FormatMessage(const char* text, const std::vector<std::string>& params);

// The message of a return code with its parameters; nullopt for PVX_OK. A
// code the catalogue lacks gets the general text with the code.
std::optional<std::string> ResultMessage(int32_t rc, const std::vector<std::string>& params);

}  // namespace pvxjsim

#endif
