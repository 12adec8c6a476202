// Fuzz target for the stream reader: any bytes either parse into a record
// that writes back to the same bytes, or are refused; through the API they
// give an object or 0 with PVX_ERROR_INVALID_STREAM-family codes. Never a
// crash, an overread or a leak.
#include <pvxj/pvxj.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz.h"
#include "record.h"

namespace {

PvxjExecutionService Session() {
  static PvxjExecutionService service = [] {
    ::setenv("PVXJSIM_DB", ":memory:", 1);
    PvxjExecutionService s = 0;
    if (PvxjExecutionServiceAllocate(&s) != PVX_OK) std::abort();
    if (PvxjExecutionServiceLogon(s, "USER1", "pw1", Pvx_SM_Default, Pvx_SA_NotSet) != PVX_OK)
      std::abort();
    return s;
  }();
  return service;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pvxjsim::Record record;
  std::string error;
  if (pvxjsim::ParseRecord(data, size, &record, &error)) {
    std::vector<uint8_t> again = pvxjsim::SerializeRecord(record);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
  }
  if (size > UINT32_MAX) return 0;
  PvxjExecutionService s = Session();
  auto n = static_cast<uint32_t>(size);
  if (PvxjReadWriteContainer c = PvxjExecutionServiceReadWriteContainerFromStream(s, data, n))
    PvxjReadWriteContainerDeallocate(&c);
  if (PvxjReadOnlyContainer c = PvxjExecutionServiceReadOnlyContainerFromStream(s, data, n))
    PvxjReadOnlyContainerDeallocate(&c);
  if (PvxjProgramData p = PvxjExecutionServiceProgramDataFromStream(s, data, n))
    PvxjProgramDataDeallocate(&p);
  if (PvxjProgramTemplate p = PvxjExecutionServiceProgramTemplateFromStream(s, data, n))
    PvxjProgramTemplateDeallocate(&p);
  return 0;
}
