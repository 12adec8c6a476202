/* Compiled as C: the header must stay plain C. */
#include <pvxj/pvxj.h>

int pvxj_header_compiles_as_c(void) {
  PvxjExecutionService service = 0;
  PvxjDateTime when = {2024, 1, 2, 3, 4, 5};
  unsigned char correl[PVXJ_CORREL_ID_LENGTH] = {0};
  (void)correl;
  return PVX_ERROR_INVALID_HANDLE + (int)service + when.second +
         (int)sizeof(PvxjDateTime) + Pvx_LT_Private + Pvx_TA_Filter;
}
