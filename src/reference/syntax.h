#pragma once

namespace kr {

class Sink;

// The syntax reference of the test case language.
void write_syntax_reference(Sink& out);

}  // namespace kr
