// The filter and sort compiler of the client. The input's first byte picks
// the kind of object; the rest is a filter, and after the first line feed the
// sort criteria. Accepted text is also run as a query over the sample system,
// so that what the compiler lets through is valid SQL with bound values.
#include <pvxj/pvxj.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "filter.h"
#include "query_source.h"
#include "store.h"
#include "fuzz.h"

namespace {

pvxjsim::Store* store() {
  static std::unique_ptr<pvxjsim::Store> s = [] {
    std::string error;
    auto opened = pvxjsim::Store::Open(":memory:", &error);
    if (!opened) {
      fprintf(stderr, "store: %s\n", error.c_str());
      std::abort();
    }
    return opened;
  }();
  return s.get();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  store();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using namespace pvxjsim;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t nl = rest.find('\n');
  const std::string filter = rest.substr(0, nl);
  const std::string sort = nl == std::string::npos ? std::string() : rest.substr(nl + 1);

  ServiceState svc;
  svc.user_id = "ADMIN";
  QuerySource source;
  switch (data[0] % 4) {
    case 0: source = ProcessTemplateSource(); break;
    case 1: source = ProcessInstanceSource(); break;
    case 2: source = ActivityInstanceSource(); break;
    default: source = ItemSource(svc, {}); break;
  }
  CompiledFilter compiled;
  std::string order_by, error;
  const int32_t frc = CompileFilter(*source.kind, filter.c_str(), "ADMIN", &compiled, &error);
  const int32_t src = CompileSort(*source.kind, sort.c_str(), &order_by, &error);
  if (frc != PVX_OK || src != PVX_OK) return 0;
  std::vector<ElementRef> out;
  // Text that compiles must run: a failure here is SQL the compiler got wrong.
  const int32_t qrc = RunQuery(*store(), source, filter.c_str(), sort.c_str(), std::nullopt, "ADMIN", &out);
  if (qrc != PVX_OK) {
    fprintf(stderr, "compiled but did not run (rc %d): filter [%s] sort [%s]\n", qrc, filter.c_str(), sort.c_str());
    std::abort();
  }
  return 0;
}
