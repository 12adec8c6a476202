#pragma once
// The long options ("--check", "--junit", "--lines", "--version", "--help"):
// additions beside the fixed command line. They are taken out of the
// arguments first, so that what is left is read exactly as before; an
// argument that is not one of them stays where it is.
#include <string>
#include <string_view>
#include <vector>

namespace kr {

class Sink;

struct LongOptions {
  bool check = false;              // --check FILE...: the syntax check
  std::vector<std::string> files;  // the files to check
  bool version = false;            // --version
  bool help = false;               // --help: the fixed help and these options
  std::string junit_file;          // --junit FILE: JUnit results beside the run
  bool lines = false;              // --lines: locations on the console's tool errors
  std::string record_file;         // --record FILE: the test case with the expectations the run saw
  bool record_all = false;         // --record-all: replace the expectations it has too
  bool record_volatile = false;    // --record-volatile: also times and identifiers
  bool lsp = false;                // --lsp: the language server on standard input and output
  std::string error;               // a message for a wrong long-option command line
};

// Removes the long options from `args` (args[0], the program, stays).
LongOptions take_long_options(std::vector<std::string>* args);

// The lines --help adds after the fixed help text.
void write_long_option_help(Sink& out);

// "kestrun1 v340": the program's name and version.
std::string_view version_line();

}  // namespace kr
