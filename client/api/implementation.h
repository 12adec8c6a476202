// Implementation data and the option objects of its three kinds: read-only
// copies of a program's implementations, taken from a program template or
// program data.
#ifndef PVXJSIM_IMPLEMENTATION_H
#define PVXJSIM_IMPLEMENTATION_H

#include <pvxj/base.h>

#include <vector>

#include "handles.h"
#include "program_data.h"

namespace pvxjsim {

// An implementation, or the options of one (DllOptions, ExeOptions,
// ExternalOptions name the same object kind).
struct ImplementationObject : Object {
  Implementation impl;
};

struct ImplementationVectorObject : Object {
  std::vector<Implementation> items;
  size_t cursor = 0;
};

// Registers a new vector of copies of impls in *out. Caller holds the client lock.
int32_t NewImplementationVector(const std::vector<Implementation>& impls,
                                PvxjImplementationDataVector* out);

}  // namespace pvxjsim

#endif
