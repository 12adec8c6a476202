// The service family.
#include "api/catalogue.h"
#include "api/rows.h"

namespace kr::api {
namespace {

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/service.def"
};
static_assert(ids_follow(kRows));

constexpr int kClasses[] = {kPVXJSERVICE};
constexpr Family kFamily{"PvxjService", kClasses, kRows};

}  // namespace

const Family& service_family() { return kFamily; }

}  // namespace kr::api
