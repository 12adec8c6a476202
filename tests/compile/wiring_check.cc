// Rows that must not compile: each CASE is one mistake the row machinery
// catches at compile time. CASEs 0 and 13 are correct rows, so that a failure
// of the others is known to come from the check and not from this file.
#include "api/catalogue.h"
#include "api/rows.h"
#include "pvxj/pvxj.h"

namespace kr::api {

#if CASE == 7
constexpr Hook kHooks[] = {{kPvxjExecutionServiceLogon, nullptr, nullptr}};
#else
constexpr std::span<const Hook> kHooks{};
#endif
constexpr EnumEntry kModeNames[] = {{"Pvx_TA_NotSet", 0}};
constexpr EnumTable kModes{kModeNames};

constexpr Row kRow[] = {
#if CASE == 0  // correct
    API_ROW(PvxjExecutionServiceCopy, kRc, 0, in(kExecutionServiceHdl), out(kExecutionServiceHdl2))
#elif CASE == 1  // a number where the function takes text
    API_ROW(PvxjExecutionServiceLogon, kRc, 0, in(kExecutionServiceHdl), text(kUserID), long_(kPassword),
            long_(kSessionMode), long_(kAbsentIndicator))
#elif CASE == 2  // a registered handle where the function takes the slot to fill
    API_ROW(PvxjExecutionServiceCopy, kRc, 0, in(kExecutionServiceHdl), in(kExecutionServiceHdl2))
#elif CASE == 3  // an output slot where the function takes a handle by value
    API_ROW(PvxjExecutionServiceEqual, kBool, 0, in(kExecutionServiceHdl), out(kExecutionServiceHdl2))
#elif CASE == 4  // one argument too few
    API_ROW(PvxjExecutionServiceCopy, kRc, 0, in(kExecutionServiceHdl))
#elif CASE == 5  // an argument named by a keyword the row does not have
    API_CALL(PvxjExecutionServiceCopy, PvxjExecutionServiceCopy, kRc, 0, (kExecutionServiceHdl, kPersonHdl),
             in(kExecutionServiceHdl), out(kExecutionServiceHdl2))
#elif CASE == 6  // a result kind the function does not return
    API_ROW_FN(PvxjExecutionServiceIsLoggedOn, PvxjServiceIsLoggedOn, kRc, 0, in(kExecutionServiceHdl))
#elif CASE == 7  // a hook left behind: its keyword has no row here
    API_ROW(PvxjExecutionServiceCopy, kRc, 0, in(kExecutionServiceHdl), out(kExecutionServiceHdl2))
#elif CASE == 8  // an enumeration result from a function that returns text
    API_ROW_ENUM(PvxjProcessTemplateName, PvxjProcessTemplateName, kModes, 0, in(kProcessTemplateHdl),
                 ulong_(kBufferLength))
#elif CASE == 9  // a template getter given an instance handle
    API_ROW(PvxjProcessTemplateName, kText, 0, in(kProcessInstanceHdl), ulong_(kBufferLength))
#elif CASE == 10  // a template row calling the instance function of the same shape
    API_ROW_FN(PvxjProcessTemplateName, PvxjProcessInstanceName, kText, 0, in(kProcessTemplateHdl),
               ulong_(kBufferLength))
#elif CASE == 11  // the copy of a template stored in an instance slot
    API_ROW(PvxjProcessTemplateCopy, kRc, 0, in(kProcessTemplateHdl), out(kProcessInstanceHdl))
#elif CASE == 12  // a vector's element returned into a slot of another class
    API_ROW(PvxjProcessTemplateVectorFirstElement, kObject, 0, in(kProcessTemplateVectorHdl), out(kProcessInstanceHdl))
#elif CASE == 13  // correct: a stored list's handle goes to the persistent-list function
    API_ROW_FN(PvxjProcessTemplateListDelete, PvxjPersistentListDelete, kRc, 0, in(kProcessTemplateListHdl))
#elif CASE == 14  // a stored list function given a handle that is no list
    API_ROW_FN(PvxjProcessTemplateListDelete, PvxjPersistentListDelete, kRc, 0, in(kProcessTemplateHdl))
#endif
};
static_assert(hooks_have_rows(kRow, kHooks), "every hook names a row");

void use(Call& c) { kRow[0].invoke(c); }

}  // namespace kr::api
