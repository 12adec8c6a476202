// Deadlines are checked by the engine (CheckDeadlines in engine.h).
#ifndef PVXJSIM_DEADLINES_H
#define PVXJSIM_DEADLINES_H
#include "engine.h"
#endif
