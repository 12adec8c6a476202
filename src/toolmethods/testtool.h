#pragma once

namespace kr {

struct RunContext;

// Class TESTTOOL: flow control, timing, interaction and external programs.
void testtool_handler(RunContext& ctx);

// Class TESTRESOURCE: the handle registry itself.
void testresource_handler(RunContext& ctx);

}  // namespace kr
