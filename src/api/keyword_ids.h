#pragma once
// The ids of the API keywords, compile-time constants k<keyword> taken from
// the row files in family order: the first row of the first family is 278.
// Every row file is read here, so only what names a keyword id includes it
// (the row files through rows.h): the catalogue's types do not, and a row
// edit recompiles the families and the catalogue, not what reads rows.
#include "api/id_range.h"

namespace kr {

enum ApiKw : int {
  kApiIdsBefore = 277,
#define API_ROW(kw, ...) k##kw,
#define API_ROW_FN(kw, ...) k##kw,
#define API_CALL(kw, ...) k##kw,
#define API_ROW_ENUM(kw, ...) k##kw,
#define API_TOOL(kw, ...) k##kw,
#define API_UNSERVED(kw) k##kw,
#include "api/standard_rows.h"
#include "api/execution_service.def"
#include "api/process_template.def"
#include "api/global.def"
#include "api/service.def"
#include "api/result.def"
#include "api/error.def"
#include "api/message.def"
#include "api/person.def"
#include "api/string_vector.def"
#include "api/int_vector.def"
#include "api/date_time.def"
#include "api/pea.def"
#include "api/process_instance.def"
#include "api/worklist.def"
#include "api/persistent_list.def"
#include "api/container.def"
#include "api/container_element.def"
#include "api/program_template.def"
#include "api/implementation_data.def"
#include "api/execution_data.def"
#include "api/item.def"
#include "api/workitem.def"
#include "api/activity_instance.def"
#include "api/process_instance_notification.def"
#include "api/activity_instance_notification.def"
#include "api/monitor.def"
#undef API_ROW
#undef API_ROW_FN
#undef API_CALL
#undef API_ROW_ENUM
#undef API_TOOL
#undef API_UNSERVED
  kApiIdsEnd
};

namespace api {
static_assert(kApiIdsBefore + 1 == kFirstApiId);
static_assert(kApiIdsEnd - 1 <= kLastApiId, "more API keywords than the keyword table's id range holds");
}  // namespace api

}  // namespace kr
