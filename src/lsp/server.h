#pragma once
// kestrun1 --lsp: a language server for test case files over standard input
// and output. Diagnostics come from the syntax check (check_text), so an
// editor shows what --check prints, at the same line and column.
#include <cstdint>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kr::lsp {

struct Document;

class Server {
 public:
  Server();
  ~Server();

  // Reads messages until "exit" or the end of the input. Returns 0 when the
  // client asked for shutdown before exit, 1 otherwise.
  int run(std::istream& in, std::ostream& out);

  // One message body in; the bodies of the messages it causes, in order.
  std::vector<std::string> handle(std::string_view body);

  bool exited() const { return exited_; }
  int exit_code() const { return shutdown_ ? 0 : 1; }

 private:
  struct Out;
  void dispatch(const void* message, Out& out);

  std::map<std::string, std::unique_ptr<Document>> docs_;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
  bool utf8_ = false;     // positions count bytes; otherwise UTF-16 code units
  bool snippets_ = false; // the client takes snippet completions
  bool resolve_ = false;  // the client asks for a completion's documentation when it shows it
};

// --lsp: serves standard input and output.
int serve_stdio();

}  // namespace kr::lsp
