#pragma once
// The program identifier parameter of the remote methods: from a file, the
// identifier the agent gave last (DEFAULT), a text, or NULL.
#include "api/catalogue.h"

namespace kr::api {

// Echoes ProgramIdInputFileSpec or ProgramID and resolves ProgramID's value
// for the call; false when the section ended.
bool echo_program_id(Call& c);

}  // namespace kr::api
