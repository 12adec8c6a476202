#include "api/program_id.h"

#include <string>

#include "api/executor.h"
#include "api/files.h"
#include "core/keywords.h"
#include "core/run_context.h"
#include "core/section.h"

namespace kr::api {

bool echo_program_id(Call& c) {
  RunContext& ctx = c.ctx;
  Value& pid = c.param(kProgramID);
  if (c.given(kProgramIdInputFileSpec)) {
    int k = param_index(c.row, kProgramIdInputFileSpec);
    if (k < 0 || !echo_param(c, static_cast<std::size_t>(k))) return false;
    std::string word;
    if (!file_word(c, kProgramIdInputFileSpec, &word)) return false;
    echo_derived(ctx, kProgramID, word);
    pid = Value{};
    pid.given = true;
    pid.text = word;
    return true;
  }
  if (!pid.given || pid.null) {
    echo(ctx, kProgramID, "NULL");
    return true;
  }
  if (pid.is_default) {
    pid.text = ctx.program_id;
    echo(ctx, kProgramID, pid.text + "\"  (DEFAULT)");
  } else {
    echo(ctx, kProgramID, pid.text + "\"  (externaly definded value)");
  }
  return true;
}

}  // namespace kr::api
