// Includes of its own room, the room below and outside src/: allowed.
#include "diag/rc_names.h"
#include "core/keywords.h"
#include "pvxj/pvxj.h"
