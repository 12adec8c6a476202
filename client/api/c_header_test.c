/* Compiled as C: the header must stay plain C. */
#include <pvxj/pvxj.h>

int pvxj_header_compiles_as_c(void) {
  PvxjExecutionService service = 0;
  PvxjDateTime when = {2024, 1, 2, 3, 4, 5};
  unsigned char correl[PVXJ_CORREL_ID_LENGTH] = {0};
  (void)correl;
  return PVX_ERROR_INVALID_HANDLE + (service == 0) + when.second +
         (int)sizeof(PvxjDateTime) + Pvx_LT_Private + Pvx_TA_Filter;
}

/* A stored list is passed to the persistent-list functions, a work item to
 * the item functions, through the header's conversions. */
char* pvxj_header_list_name(PvxjWorklist list, char* buffer, uint32_t length) {
  return PvxjPersistentListName(PVXJ_PERSISTENT_LIST(list), buffer, length);
}

char* pvxj_header_item_name(PvxjWorkitem item, char* buffer, uint32_t length) {
  return PvxjItemName(PVXJ_ITEM(item), buffer, length);
}
