// The item family: the entries of worklists of every kind, and their vectors.
#include <pvxj/workitem.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "api/work_family.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr std::span<const Hook> kHooks;

constexpr Row kRows[] = {
#include "api/item.def"
};

}  // namespace

FAMILY(item_family, "PvxjItem", kPVXJITEM, kPVXJITEMVECTOR)

}  // namespace kr::api
