// The system definition: users, roles, data structures, programs and process
// templates, loaded from JSON (format in README.md). A new store is seeded with
// the built-in sample system through the same loader.
#ifndef PVXJSIM_SEED_H
#define PVXJSIM_SEED_H

#include <string>

namespace pvxjsim {

class Store;

// Loads a system definition into store, adding objects and replacing those
// of the same name. The caller owns the transaction: on false nothing should
// be committed. *error says what is wrong and where.
bool LoadSystemDefinition(Store& store, const std::string& json_text, std::string* error);

// The store's definitions in the same format: loading the dump into an empty
// store gives the same definitions (passwords as their hashes).
std::string DumpSystemDefinition(Store& store);

// The built-in sample system as JSON text.
const char* SampleSystemDefinition();

// Loads the sample system; throws on failure (which would be a defect).
void SeedSampleSystem(Store& store);

}  // namespace pvxjsim

#endif
