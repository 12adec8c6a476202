// The system definition loader: the input is the JSON text, loaded into a
// fresh in-memory copy of the seeded store. Every input ends in success or an
// error message.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "seed.h"
#include "store.h"
#include "fuzz.h"
#include "seeded_store.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  std::unique_ptr<pvxjsim::Store> store = fuzz::seeded_store();
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!pvxjsim::LoadSystemDefinition(*store, text, &error) && error.empty()) {
    fprintf(stderr, "a refused definition without a message\n");
    std::abort();
  }
  return 0;
}
