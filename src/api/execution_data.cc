// The execution data family: the replies of asynchronous requests and the
// objects they carry.
#include <pvxj/execution_data.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr EnumEntry kReplyKindNames[] = {
    {"Pvx_DART_NotSet", 0},
    {"Pvx_DART_Error", 1},
    {"Pvx_DART_Terminate", 2},
    {"Pvx_DART_ItemDeleted", 1000},
    {"Pvx_DART_ItemUpdated", 1001},
    {"Pvx_DART_Workitem", 1002},
    {"Pvx_DART_ActivityInstanceNotification", 1003},
    {"Pvx_DART_ProcessInstanceNotification", 1004},
    {"Pvx_DART_ExecuteInstanceResponse", 1100},
};
constexpr EnumTable kReplyKinds{kReplyKindNames};

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/execution_data.def"
};

}  // namespace

FAMILY(execution_data_family, "PvxjExecutionData", kPVXJEXECUTIONDATA)

}  // namespace kr::api
