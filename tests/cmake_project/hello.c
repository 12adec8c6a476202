/* A program of one's own against the workflow C API: log on and ask who. */
#include <stdio.h>
#include <string.h>

#include "pvxj/pvxj.h"

int main(void) {
  PvxjExecutionService service = 0;
  char user[64];
  int32_t rc = PvxjExecutionServiceAllocate(&service);
  if (rc == PVX_OK) rc = PvxjExecutionServiceLogon(service, "USER2", "pw2", Pvx_SM_Default, Pvx_SA_NotSet);
  if (rc != PVX_OK) {
    fprintf(stderr, "logon failed: %d\n", (int)rc);
    return 1;
  }
  if (!PvxjServiceUserID(service, user, sizeof user) || strcmp(user, "USER2") != 0) {
    fprintf(stderr, "unexpected user\n");
    return 1;
  }
  printf("logged on as %s\n", user);
  PvxjExecutionServiceLogoff(service);
  return PvxjExecutionServiceDeallocate(&service) == PVX_OK ? 0 : 1;
}
