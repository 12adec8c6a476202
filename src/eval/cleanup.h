#pragma once

namespace kr {

struct RunContext;

// Frees what the registry still holds at the end of a run, in the fixed
// order, and records each call in the result file.
void run_cleanup(RunContext& ctx);

}  // namespace kr
