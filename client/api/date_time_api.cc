// The date-time functions of the C API over the server's calendar and clock.
#include <string>

#include <pvxj/date_time.h>

#include "client.h"
#include "clock.h"
#include "date_time.h"

using namespace pvxjsim;

extern "C" {

PvxjDateTime PvxjDateTimeCurrentTime(void) {
  return GuardedValue<PvxjDateTime>(PvxjDateTime{}, [&](int32_t* rc) -> PvxjDateTime {
    Store* store = Client::Get().store();
    if (!store) {
      *rc = PVX_ERROR_COMMUNICATION;
      SetLastResult(*rc, Client::Get().StoreOpenError());
      return PvxjDateTime{};
    }
    return DateTimeFromSeconds(ClockSeconds(*store));
  });
}

char* PvxjDateTimeAsString(PvxjDateTime value, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    std::string text = DateTimeText(value);
    if (text.empty()) {
      *rc = PVX_ERROR_INVALID_TIME;
      return nullptr;
    }
    return CopyOut(text, buffer, bufferLength);
  });
}

unsigned char PvxjDateTimeIsValid(PvxjDateTime value) {
  return GuardedValue<unsigned char>(0, [&](int32_t*) -> unsigned char { return ValidDateTime(value) ? 1 : 0; });
}

}  // extern "C"
