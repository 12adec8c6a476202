// The process monitor family: instance monitors, process and block instance
// monitors, control connector instances, symbol layouts and points.
#include <pvxj/monitor.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr EnumEntry kConnectorKindNames[] = {
    {"Pvx_CT_NotSet", 0}, {"Pvx_CT_Condition", 1}, {"Pvx_CT_Otherwise", 2}};
constexpr EnumTable kConnectorKinds{kConnectorKindNames};

// 0 is false here; the not-set value is 3.
constexpr EnumEntry kConnectorStateNames[] = {
    {"Pvx_CS_False", 0}, {"Pvx_CS_True", 1}, {"Pvx_CS_NotEvaluated", 2}, {"Pvx_CS_NotSet", 3}};
constexpr EnumTable kConnectorStates{kConnectorStateNames};

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/monitor.def"
};

}  // namespace

FAMILY(monitor_family, "ProcessMonitor", kPVXJINSTANCEMONITOR, kPVXJPROCESSINSTANCEMONITOR,
       kPVXJBLOCKINSTANCEMONITOR, kPVXJCONTROLCONNECTORINSTANCE, kPVXJCONTROLCONNECTORINSTANCEVECTOR,
       kPVXJSYMBOLLAYOUT, kPVXJPOINT, kPVXJPOINTVECTOR)

}  // namespace kr::api
