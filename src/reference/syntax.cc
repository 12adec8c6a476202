#include "reference/syntax.h"

#include "driver/output.h"

namespace kr {

// The full reference is produced from the API catalogue once the families
// exist; until then the file says so rather than listing half a language.
void write_syntax_reference(Sink& out) {
  out.line("");
  out.line("Syntax reference of kestrun1: not yet available in this version.");
  out.line("");
}

}  // namespace kr
