// A middle room that reaches up into the driver: refused.
#include "driver/driver.h"
#include "eval/checks.h"
