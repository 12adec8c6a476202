// The string vector and integer vector families.
#include <pvxj/int_vector.h>
#include <pvxj/string_vector.h>

#include "api/catalogue.h"
#include "api/rows.h"
#include "core/keywords.h"

namespace kr::api {
namespace {

constexpr std::span<const Hook> kHooks{};

constexpr Row kStringRows[] = {
#include "api/string_vector.def"
};
static_assert(ids_follow(kStringRows));
constexpr int kStringClasses[] = {kPVXJSTRINGVECTOR};
constexpr Family kStringVector{"PvxjStringVector", kStringClasses, kStringRows, true};

constexpr Row kIntRows[] = {
#include "api/int_vector.def"
};
static_assert(ids_follow(kIntRows));
constexpr int kIntClasses[] = {kPVXJINTVECTOR};
constexpr Family kIntVector{"PvxjIntVector", kIntClasses, kIntRows, true};

}  // namespace

const Family& string_vector_family() { return kStringVector; }
const Family& int_vector_family() { return kIntVector; }

}  // namespace kr::api
