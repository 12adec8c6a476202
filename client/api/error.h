// Error objects: a return code with the parameters of its message, handed
// out by the families that report errors as objects (execution data).
#ifndef PVXJSIM_ERROR_H
#define PVXJSIM_ERROR_H

#include <cstdint>
#include <string>
#include <vector>

#include "handles.h"

namespace pvxjsim {

struct ErrorObject : Object {
  int32_t rc = 0;
  std::vector<std::string> params;
};

// Registers a new error object in *out. Caller holds the client lock.
int32_t NewError(int32_t rc, std::vector<std::string> params, HandleSlot out);

}  // namespace pvxjsim

#endif
