#pragma once
// Enumerations that more than one family reads or reports.
#include "api/catalogue.h"

namespace kr::api {

// The type of a stored list: given to the list-creating methods, reported by
// every list family's type getter. 3 has no neighbour 2.
inline constexpr EnumEntry kListTypeNames[] = {{"Pvx_LT_NotSet", 0}, {"Pvx_LT_Public", 1}, {"Pvx_LT_Private", 3}};
inline constexpr EnumTable kListTypes{kListTypeNames};

// The audit mode of a template, reported for templates and their instances.
inline constexpr EnumEntry kAuditModeNames[] = {
    {"Pvx_TA_NotSet", 0}, {"Pvx_TA_NoAudit", 1}, {"Pvx_TA_Condensed", 2}, {"Pvx_TA_Full", 3}, {"Pvx_TA_Filter", 4}};
inline constexpr EnumTable kAuditModes{kAuditModeNames};

// The state of a process instance, reported by the instance family and for
// the owning instance by the families of its activities, items and
// notifications. Bit values, named by exact value: 6 is "???".
inline constexpr EnumEntry kInstanceStateNames[] = {
    {"Pvx_PS_NotSet", 0},      {"Pvx_PS_Ready", 1},       {"Pvx_PS_Running", 2},
    {"Pvx_PS_Finished", 4},    {"Pvx_PS_Terminated", 8},  {"Pvx_PS_Suspended", 16},
    {"Pvx_PS_Terminating", 32}, {"Pvx_PS_Suspending", 64}, {"Pvx_PS_Deleted", 128}};
inline constexpr EnumTable kInstanceStates{kInstanceStateNames};

}  // namespace kr::api
