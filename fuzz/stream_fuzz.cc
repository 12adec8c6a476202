// Fuzz target for the stream reader: any bytes either parse into a record
// that writes back to the same bytes, or are refused; through the API they
// give an object or 0 with PVX_ERROR_INVALID_STREAM-family codes. Never a
// crash, an overread or a leak.
#include <pvxj/pvxj.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

// The stream's own checksum over all but its last four bytes, put in their
// place: mutations almost never keep a checksum right by chance, and without
// one the parser behind it is never reached.
std::vector<uint8_t> with_checksum(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  if (size < 4) return bytes;
  uint32_t h = 2166136261u;  // FNV-1a, as record.cc writes it
  for (size_t i = 0; i + 4 < size; ++i) {
    h ^= bytes[i];
    h *= 16777619u;
  }
  for (int i = 0; i < 4; ++i) bytes[size - 4 + i] = static_cast<uint8_t>(h >> (8 * i));
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* raw, size_t raw_size) {
  pvxjsim::Record record;
  std::string error;
  // The input as it is reaches the checksum test; then with its checksum
  // made right, everything behind it.
  (void)pvxjsim::ParseRecord(raw, raw_size, &record, &error);
  const std::vector<uint8_t> bytes = with_checksum(raw, raw_size);
  const uint8_t* data = bytes.data();
  const size_t size = bytes.size();
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
