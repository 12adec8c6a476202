// Which handler serves which class. Classes without a handler answer every
// keyword with TC0006, as a handler answers a keyword it does not serve.
#include "driver/driver.h"
#include "driver/keywords.h"
#include "toolmethods/testtool.h"

namespace kr {

Handler handler_for_class(int class_id) {
  switch (class_id) {
    case kTESTTOOL: return testtool_handler;
    case kTESTRESOURCE: return testresource_handler;
    default: return nullptr;
  }
}

}  // namespace kr
