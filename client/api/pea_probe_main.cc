// A program for the agent to start in the tests: it passes through to the
// session of the program execution that started it and writes what the PEA
// functions say to the file named by its argument.
#include <pvxj/pvxj.h>

#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ofstream out(argv[1]);
  PvxjExecutionService svc = 0, second = 0;
  if (PvxjExecutionServiceAllocate(&svc) != PVX_OK ||
      PvxjExecutionServiceAllocate(&second) != PVX_OK)
    return 3;
  char buf[64];
  auto text = [](const char* t) { return std::string(t ? t : "-"); };
  out << "passthrough " << PvxjExecutionServicePassthrough(svc) << "\n";
  out << "logged on " << int(PvxjServiceIsLoggedOn(svc)) << "\n";
  out << "service user " << text(PvxjServiceUserID(svc, buf, sizeof buf)) << "\n";
  std::string program = text(PvxjPEAProgramID(buf, sizeof buf));
  out << "program " << program.substr(0, 2) << "\n";
  out << "pea user " << text(PvxjPEAUserID(buf, sizeof buf)) << "\n";
  out << "context " << text(PvxjPEAProcessContext(buf, sizeof buf)) << "\n";
  out << "activity "
      << text(PvxjPEAPersistentOidOfActivityInstance(buf, sizeof buf)).substr(0, 2) << "\n";
  out << "remote user " << text(PvxjPEARemoteUserID(program.c_str(), buf, sizeof buf)) << "\n";
  out << "remote passthrough "
      << PvxjExecutionServiceRemotePassthrough(second, program.c_str()) << "\n";
  return 0;
}
