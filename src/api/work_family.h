#pragma once
// What the item, work item and activity instance families share: their
// enumeration tables and the steps where they depart from the template.
#include "api/catalogue.h"

namespace kr::api {

// Item state: bit values; 2048 has no name here (it has one for activities).
inline constexpr EnumEntry kItemStateNames[] = {
    {"Pvx_IS_NotSet", 0},        {"Pvx_IS_Ready", 1},        {"Pvx_IS_Running", 2},
    {"Pvx_IS_Finished", 4},      {"Pvx_IS_Terminated", 8},   {"Pvx_IS_Suspended", 16},
    {"Pvx_IS_Disabled", 32},     {"Pvx_IS_CheckedOut", 64},  {"Pvx_IS_InError", 128},
    {"Pvx_IS_Executed", 256},    {"Pvx_IS_Planning", 512},   {"Pvx_IS_ForceFinished", 1024},
    {"Pvx_IS_Deleted", 4096},    {"Pvx_IS_Terminating", 8192}, {"Pvx_IS_Suspending", 16384},
    {"Pvx_IS_Expired", 32768}};
inline constexpr EnumTable kItemStates{kItemStateNames};

inline constexpr EnumEntry kActivityStateNames[] = {
    {"Pvx_AS_NotSet", 0},        {"Pvx_AS_Ready", 1},        {"Pvx_AS_Running", 2},
    {"Pvx_AS_Finished", 4},      {"Pvx_AS_Terminated", 8},   {"Pvx_AS_Suspended", 16},
    {"Pvx_AS_Inactive", 32},     {"Pvx_AS_CheckedOut", 64},  {"Pvx_AS_InError", 128},
    {"Pvx_AS_Executed", 256},    {"Pvx_AS_Planning", 512},   {"Pvx_AS_ForceFinished", 1024},
    {"Pvx_AS_Skipped", 2048},    {"Pvx_AS_Deleted", 4096},   {"Pvx_AS_Terminating", 8192},
    {"Pvx_AS_Suspending", 16384}, {"Pvx_AS_Expired", 32768}};
inline constexpr EnumTable kActivityStates{kActivityStateNames};

// No entry for 2.
inline constexpr EnumEntry kItemKindNames[] = {{"Pvx_IT_NotSet", 0},
                                               {"Pvx_IT_Workitem", 1},
                                               {"Pvx_IT_ProcessInstanceNotification", 3},
                                               {"Pvx_IT_FirstActivityInstanceNotification", 4},
                                               {"Pvx_IT_SecondActivityInstanceNotification", 5}};
inline constexpr EnumTable kItemKinds{kItemKindNames};

inline constexpr EnumEntry kReceivedAsNames[] = {{"Pvx_IR_NotSet", 0},    {"Pvx_IR_Normal", 1},
                                                 {"Pvx_IR_Substitute", 2}, {"Pvx_IR_ProcessAdministrator", 3},
                                                 {"Pvx_IR_SystemAdministrator", 4}, {"Pvx_IR_ByTransfer", 5}};
inline constexpr EnumTable kReceivedAs{kReceivedAsNames};

// A bundle has no entry: its value shows as "???".
inline constexpr EnumEntry kActivityKindNames[] = {
    {"Pvx_AT_NotSet", 0}, {"Pvx_AT_Process", 1}, {"Pvx_AT_Program", 2}, {"Pvx_AT_Block", 16}};
inline constexpr EnumTable kActivityKinds{kActivityKindNames};

inline constexpr EnumEntry kNotificationStateNames[] = {{"Pvx_AE_NotSet", 0},
                                                        {"Pvx_AE_NoNotification", 1},
                                                        {"Pvx_AE_FirstNotification", 4},
                                                        {"Pvx_AE_SecondNotification", 5}};
inline constexpr EnumTable kNotificationStates{kNotificationStateNames};

// The state of the process instance an item or activity belongs to.
inline constexpr EnumEntry kWorkProcessStateNames[] = {
    {"Pvx_PS_NotSet", 0},      {"Pvx_PS_Ready", 1},       {"Pvx_PS_Running", 2},
    {"Pvx_PS_Finished", 4},    {"Pvx_PS_Terminated", 8},  {"Pvx_PS_Suspended", 16},
    {"Pvx_PS_Terminating", 32}, {"Pvx_PS_Suspending", 64}, {"Pvx_PS_Deleted", 128}};
inline constexpr EnumTable kWorkProcessStates{kWorkProcessStateNames};

// Input enumerations of the check-out: -1 ends its section without a call.
inline constexpr EnumEntry kRequestedDataNames[] = {{"Pvx_WS_NotSet", 0},
                                                    {"Pvx_WS_CommonDataOnly", 1},
                                                    {"Pvx_WS_SpecifiedDefinitions", 2},
                                                    {"Pvx_WS_AllDefinitions", 4}};
inline constexpr EnumTable kRequestedDataKinds{kRequestedDataNames, EnumInput::kMinusOneEnds};
inline constexpr EnumEntry kPlatformNames[] = {{"Pvx_DP_NotSet", 0},    {"Pvx_DP_Quill", 1},
                                               {"Pvx_DP_Borix", 2},     {"Pvx_DP_HPUX", 3},
                                               {"Pvx_DP_Windows95", 4}, {"Pvx_DP_WindowsNT", 5},
                                               {"Pvx_DP_Vantor", 6},    {"Pvx_DP_Solaris", 7}};
inline constexpr EnumTable kPlatforms{kPlatformNames, EnumInput::kMinusOneEnds};

// A string vector result: registered, its elements joined and compared with
// XpValue as sorted lists, so their order does not matter.
void after_string_list(Call& c);

}  // namespace kr::api
