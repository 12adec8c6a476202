// A test may run whole test cases through the driver: allowed.
#include "driver/driver.h"
#include "core/test_context.h"
