// A bottom-room header that reaches up into the API rows: refused.
#pragma once
#include "core/output.h"
#include "api/catalogue.h"
