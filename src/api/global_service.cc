// The global family (the client's configuration) and the service family (the
// base-class methods of an execution service).
#include <pvxj/execution_service.h>
#include <pvxj/global.h>

#include "api/catalogue.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr std::span<const Hook> kHooks{};

constexpr Row kGlobalRows[] = {
#include "api/global.def"
};
static_assert(ids_follow(kGlobalRows));
constexpr int kGlobalClasses[] = {kPVXJGLOBAL};
constexpr Family kGlobal{"PvxjGlobal", kGlobalClasses, kGlobalRows, true};

constexpr Row kServiceRows[] = {
#include "api/service.def"
};
static_assert(ids_follow(kServiceRows));
constexpr int kServiceClasses[] = {kPVXJSERVICE};
constexpr Family kService{"PvxjService", kServiceClasses, kServiceRows, true};

}  // namespace

const Family& global_family() { return kGlobal; }
const Family& service_family() { return kService; }

}  // namespace kr::api
