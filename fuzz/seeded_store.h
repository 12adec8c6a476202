#pragma once
// A fresh in-memory store holding the sample system, for one fuzz input.
// Seeding takes most of a second's worth of work (the sample system's JSON,
// its password hashes); a copy of a store seeded once takes a millisecond,
// so the fuzzer spends its time on the input.
#include <memory>

#include "store.h"

namespace fuzz {

std::unique_ptr<pvxjsim::Store> seeded_store();

}  // namespace fuzz
