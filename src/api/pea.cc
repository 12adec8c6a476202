// The PEA family: what a program started by the program execution agent
// learns about its activity, for itself or for another program execution.
#include <pvxj/pea.h>

#include <cstdio>
#include <string>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/program_id.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/section.h"

namespace kr::api {
namespace {

// The identifier slot the section fills: echoed under PersistentOid, the
// keyword the registry files the slots under, and store-checked, so that an
// identifier already kept there is reported before it is replaced.
bool echo_oid_out(Call& c, const Value& slot) {
  echo(c.ctx, kPersistentOid, std::to_string(slot.number));
  return store_check(c.ctx, kPersistentOid, slot.number) != 0;
}

// The program identifier in its own forms; PersistentOid standing in for
// PersistentOidHdl.
bool resolve_pea(Call& c) {
  Value& slot = c.param(kPersistentOidHdl);
  const Value& synonym = c.param(kPersistentOid);
  if (!slot.given && synonym.given) {
    slot.given = true;
    slot.number = synonym.number;
  }
  for (std::size_t k = 0; k < c.row.params.size(); ++k) {
    const int kw = c.row.params[k].keyword;
    if (kw == kProgramIdInputFileSpec || kw == kPersistentOid) continue;
    const bool ok = kw == kProgramID         ? echo_program_id(c)
                    : kw == kPersistentOidHdl ? echo_oid_out(c, slot)
                                              : echo_param(c, k);
    if (!ok) return false;
  }
  return true;
}

void after_program_id(Call& c) {
  c.ctx.program_id = c.text ? c.text : "";
  Value& file = c.param(kProgramIdOutputFileSpec);
  if (file.given && file.file) {
    fprintf(file.file.get(), "%s\n", c.text ? c.text : "???");
    finish_output_file(c.ctx, file);
  }
}

constexpr Hook kHooks[] = {
    {kPvxjPEAProgramID, nullptr, after_program_id},
    {kPvxjPEAPersistentOidOfActivityInstance, resolve_pea},
    {kPvxjPEARemoteUserID, resolve_pea},
    {kPvxjPEARemoteProcessContext, resolve_pea},
    {kPvxjPEARemoteProcessContextIsNull, resolve_pea},
    {kPvxjPEARemotePersistentOidOfActivityInstance, resolve_pea},
};

constexpr Row kRows[] = {
#include "api/pea.def"
};
static_assert(ids_follow(kRows));
static_assert(hooks_have_rows(kRows, kHooks), "every hook of a family names one of its rows");
constexpr int kClasses[] = {kPVXJPEA};
constexpr Family kFamily{"PvxjPEA", kClasses, kRows};

}  // namespace

const Family& pea_family() { return kFamily; }

}  // namespace kr::api
