#pragma once
// The enumerations the notification families report, and their list step.
#include "api/catalogue.h"

namespace kr::api::notes {

inline constexpr EnumEntry kItemKindNames[] = {{"Pvx_IT_NotSet", 0},
                                               {"Pvx_IT_Workitem", 1},
                                               {"Pvx_IT_ProcessInstanceNotification", 3},
                                               {"Pvx_IT_FirstActivityInstanceNotification", 4},
                                               {"Pvx_IT_SecondActivityInstanceNotification", 5}};
inline constexpr EnumTable kItemKinds{kItemKindNames};

inline constexpr EnumEntry kReceivedAsNames[] = {{"Pvx_IR_NotSet", 0},
                                                 {"Pvx_IR_Normal", 1},
                                                 {"Pvx_IR_Substitute", 2},
                                                 {"Pvx_IR_ProcessAdministrator", 3},
                                                 {"Pvx_IR_SystemAdministrator", 4},
                                                 {"Pvx_IR_ByTransfer", 5}};
inline constexpr EnumTable kReceivedAs{kReceivedAsNames};

inline constexpr EnumEntry kInstanceStateNames[] = {
    {"Pvx_PS_NotSet", 0},     {"Pvx_PS_Ready", 1},       {"Pvx_PS_Running", 2},
    {"Pvx_PS_Finished", 4},   {"Pvx_PS_Terminated", 8},  {"Pvx_PS_Suspended", 16},
    {"Pvx_PS_Terminating", 32}, {"Pvx_PS_Suspending", 64}, {"Pvx_PS_Deleted", 128}};
inline constexpr EnumTable kInstanceStates{kInstanceStateNames};

// Item states: bit values; there is no entry for 2048.
inline constexpr EnumEntry kItemStateNames[] = {
    {"Pvx_IS_NotSet", 0},        {"Pvx_IS_Ready", 1},          {"Pvx_IS_Running", 2},
    {"Pvx_IS_Finished", 4},      {"Pvx_IS_Terminated", 8},     {"Pvx_IS_Suspended", 16},
    {"Pvx_IS_Disabled", 32},     {"Pvx_IS_CheckedOut", 64},    {"Pvx_IS_InError", 128},
    {"Pvx_IS_Executed", 256},    {"Pvx_IS_Planning", 512},     {"Pvx_IS_ForceFinished", 1024},
    {"Pvx_IS_Deleted", 4096},    {"Pvx_IS_Terminating", 8192}, {"Pvx_IS_Suspending", 16384},
    {"Pvx_IS_Expired", 32768}};
inline constexpr EnumTable kItemStates{kItemStateNames};

inline constexpr EnumEntry kNotificationStateNames[] = {{"Pvx_AE_NotSet", 0},
                                                        {"Pvx_AE_NoNotification", 1},
                                                        {"Pvx_AE_FirstNotification", 4},
                                                        {"Pvx_AE_SecondNotification", 5}};
inline constexpr EnumTable kNotificationStates{kNotificationStateNames};

inline constexpr EnumEntry kActivityKindNames[] = {
    {"Pvx_AT_NotSet", 0}, {"Pvx_AT_Process", 1}, {"Pvx_AT_Program", 2}, {"Pvx_AT_Block", 16}};
inline constexpr EnumTable kActivityKinds{kActivityKindNames};

// A string vector result: its elements in any order against XpValue.
void after_list(Call& c);

}  // namespace kr::api::notes
