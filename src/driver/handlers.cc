// Which handler serves which class. Classes without a handler answer every
// keyword with TC0006, as a handler answers a keyword it does not serve.
#include "api/catalogue.h"
#include "api/executor.h"
#include "core/keywords.h"
#include "driver/driver.h"
#include "toolmethods/testtool.h"

namespace kr {

Handler handler_for_class(int class_id) {
  switch (class_id) {
    case kTESTTOOL: return testtool_handler;
    case kTESTRESOURCE: return testresource_handler;
    default: return api::family_for_class(class_id) ? api::api_handler : nullptr;
  }
}

}  // namespace kr
