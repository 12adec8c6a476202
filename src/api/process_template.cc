// The process template family.
#include "api/catalogue.h"
#include "api/rows.h"
#include "driver/keywords.h"

namespace kr::api {
namespace {

constexpr std::span<const Hook> kHooks{};

constexpr Row kRows[] = {
#include "api/process_template.def"
};
static_assert(ids_follow(kRows));

constexpr int kClasses[] = {kPVXJPROCESSTEMPLATE};
constexpr Family kFamily{"PvxjProcessTemplate", kClasses, kRows};

}  // namespace

const Family& process_template_family() { return kFamily; }

}  // namespace kr::api
