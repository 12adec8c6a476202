// The result, error and message families. Parameters come back as a string
// vector that is compared as one joined text: in vector order for results,
// as a sorted list for errors.
#include <pvxj/error.h>
#include <pvxj/message.h>
#include <pvxj/result.h>

#include "api/catalogue.h"
#include "api/join.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/reader.h"
#include "core/run_context.h"
#include "eval/checks.h"

namespace kr::api {
namespace {

std::string_view expected(const Call& c) { return c.xp_given ? std::string_view(c.xp_value) : kNoExpectedValue; }

void after_result_parameters(Call& c) {
  std::string text = join_with_heading(c.ctx, c.object, kJoinReport, Walk::kResultParms);
  check_text(c.ctx, kLabelValue, OptText(text), expected(c));
}

void after_error_parameters(Call& c) {
  std::string text = sorted_list(join_with_heading(c.ctx, c.object, kJoinReport, Walk::kElements));
  std::string xp = c.xp_given ? sorted_list(c.xp_value) : std::string(kNoExpectedValue);
  check_text(c.ctx, kLabelValue, OptText(text), xp);
}

constexpr Hook kHooks[] = {
    {kPvxjResultParameters, nullptr, after_result_parameters},
    {kPvxjErrorParameters, nullptr, after_error_parameters},
};

constexpr Row kResultRows[] = {
#include "api/result.def"
};
static_assert(ids_follow(kResultRows));
constexpr int kResultClasses[] = {kPVXJRESULT};
constexpr Family kResult{"PvxjResult", kResultClasses, kResultRows, true};

constexpr Row kErrorRows[] = {
#include "api/error.def"
};
static_assert(ids_follow(kErrorRows));
constexpr int kErrorClasses[] = {kPVXJERROR};
constexpr Family kError{"PvxjError", kErrorClasses, kErrorRows, true};

constexpr Row kMessageRows[] = {
#include "api/message.def"
};
static_assert(ids_follow(kMessageRows));
constexpr int kMessageClasses[] = {kPVXJMESSAGE};
constexpr Family kMessage{"PvxjMessage", kMessageClasses, kMessageRows};

}  // namespace

const Family& result_family() { return kResult; }
const Family& error_family() { return kError; }
const Family& message_family() { return kMessage; }

}  // namespace kr::api
