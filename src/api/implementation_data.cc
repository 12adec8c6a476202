// The implementation data family: a program's implementations, their vector
// with the tool's own search by platform, and the options of the EXE, DLL
// and external kinds.
#include <pvxj/implementation_data.h>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/registry.h"
#include "core/run_context.h"

namespace kr::api {
namespace {

constexpr EnumEntry kImplementationKindNames[] = {
    {"Pvx_DT_NotSet", 0}, {"Pvx_DT_EXE", 1}, {"Pvx_DT_DLL", 2}, {"Pvx_DT_External", 4}};
constexpr EnumTable kImplementationKinds{kImplementationKindNames};
constexpr EnumEntry kPlatformNames[] = {
    {"Pvx_DP_NotSet", 0},    {"Pvx_DP_Quill", 1},     {"Pvx_DP_Borix", 2},  {"Pvx_DP_HPUX", 3},
    {"Pvx_DP_Windows95", 4}, {"Pvx_DP_WindowsNT", 5}, {"Pvx_DP_Vantor", 6}, {"Pvx_DP_Solaris", 7}};
constexpr EnumTable kPlatforms{kPlatformNames};
constexpr EnumEntry kWindowStyleNames[] = {{"Pvx_EO_NotSet", 0},    {"Pvx_EO_Visible", 1},
                                           {"Pvx_EO_Invisible", 2}, {"Pvx_EO_Minimized", 3},
                                           {"Pvx_EO_Maximized", 4}};
constexpr EnumTable kWindowStyles{kWindowStyleNames};
constexpr EnumEntry kTimeoutPeriodNames[] = {
    {"Pvx_EX_NotSet", 0}, {"Pvx_EX_TimeInterval", 1}, {"Pvx_EX_Forever", 2}, {"Pvx_EX_Never", 3}};
constexpr EnumTable kTimeoutPeriods{kTimeoutPeriodNames};

// The first implementation of the wanted platform, walked with the working
// element and registered under n; the list wording of the not-found line.
void specified_platform_element(Call& c) {
  RunContext& ctx = c.ctx;
  PvxjHandle* slot = c.slot(2);
  if (slot) *slot = 0;
  const int32_t want = c.n(1);
  if (slot) {
    const PvxjImplementationDataVector vec = c.h(0);
    using Element = SlotProxy<PvxjImplementationData>;
    const uint32_t size = PvxjImplementationDataVectorSize(vec);
    PvxjHandle* work = ctx.reg.working_slot(kImplementationDataHdl);
    if (*work) PvxjImplementationDataDeallocate(Element(work));
    *work = 0;
    *work = from_api(PvxjImplementationDataVectorFirstElement(vec));
    for (uint32_t i = 0; i < size && *work; ++i) {
      if (PvxjImplementationDataPlatform(to_api<PvxjImplementationData>(*work)) == want) {
        *slot = *work;  // registered now: the walk no longer owns it
        *work = 0;
        break;
      }
      PvxjImplementationDataDeallocate(Element(work));
      *work = 0;
      if (i + 1 < size) *work = from_api(PvxjImplementationDataVectorNextElement(vec));
    }
    if (*work) PvxjImplementationDataDeallocate(Element(work));
    *work = 0;
  }
  status_report(ctx, kImplementationDataHdl, slot ? *slot : 0);
  if (!slot || !*slot) {
    ctx.out.write("NO LIST OBJECT WITH THE SPECIFIED NAME FOUND:  ");
    ctx.out.line("+++ERROR+++");
    ctx.error_flag = true;
  }
}

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/implementation_data.def"
};

}  // namespace

FAMILY(implementation_data_family, "PvxjImplementationData", kPVXJIMPLEMENTATIONDATA,
       kPVXJIMPLEMENTATIONDATAVECTOR, kPVXJDLLOPTIONS, kPVXJEXEOPTIONS, kPVXJEXTERNALOPTIONS)

}  // namespace kr::api
