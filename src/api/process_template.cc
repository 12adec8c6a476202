// The process template family: templates, their vectors, the stored
// template lists and their vectors.
#include <pvxj/process_template.h>

#include "api/catalogue.h"
#include "api/enums.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr Hook kHooks[] = {
    {kPvxjProcessTemplatePersistentObject, resolve_persistent_object},
};

constexpr Row kRows[] = {
#include "api/process_template.def"
};

}  // namespace

FAMILY(process_template_family, "PvxjProcessTemplate", kPVXJPROCESSTEMPLATE, kPVXJPROCESSTEMPLATELIST)

}  // namespace kr::api
