// The person family and the tool's person dump.
#include <pvxj/date_time.h>
#include <pvxj/person.h>
#include <pvxj/string_vector.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "api/catalogue.h"
#include "api/executor.h"
#include "api/join.h"
#include "api/rows.h"
#include "core/keywords.h"
#include "core/output.h"
#include "core/reader.h"
#include "core/registry.h"
#include "core/run_context.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"
#include "eval/checks.h"

namespace kr::api {
namespace {

// String vector results: the elements in any order against XpValue.
void after_person_list(Call& c) {
  std::string text = sorted_list(join_with_heading(c.ctx, c.object, kJoinReport, Walk::kElements));
  std::string xp = c.xp_given ? sorted_list(c.xp_value) : std::string(kNoExpectedValue);
  check_text(c.ctx, kLabelValue, OptText(text), xp);
}

bool refuse_level_is_null(Call& c) {
  tool_error(c.ctx, TC0010, c.row.keyword);
  return false;
}

// ---- The dump ------------------------------------------------------------------

constexpr std::size_t kDumpBuffer = 4097;
constexpr std::size_t kLabelWidth = 43;

using TextFn = char* (*)(PvxjPerson, char*, uint32_t);
using FlagFn = unsigned char (*)(PvxjPerson);
using VectorFn = PvxjStringVector (*)(PvxjPerson);

struct Dump {
  RunContext& ctx;
  PvxjPerson person;
  std::vector<char> buffer = std::vector<char>(kDumpBuffer);
  bool stopped = false;

  void line(std::string_view label, std::string_view value) {
    std::string l = "   ";
    l.append(label).append(":");
    if (l.size() < kLabelWidth) l.append(kLabelWidth - l.size(), ' ');
    l.append(value);
    ctx.out.line(l);
  }
  void text(std::string_view label, TextFn fn) {
    std::fill(buffer.begin(), buffer.end(), '\0');
    const char* got = fn(person, buffer.data(), static_cast<uint32_t>(buffer.size()));
    line(label, got ? std::string_view(got, strnlen(got, buffer.size())) : std::string_view("NULL"));
  }
  void flag(std::string_view label, FlagFn fn) { line(label, fn(person) ? "true" : "false"); }
  void failed(std::string_view function, int32_t rc) {
    ctx.out.line(std::string(function) + " returns " + std::string(rc_name(static_cast<uint32_t>(rc))));
    ctx.error_flag = true;
    stopped = true;
  }
  void vector(std::string_view label, VectorFn fn) {
    if (stopped) return;
    ApiHandle* work = ctx.reg.working_slot(kStringVectorHdl);
    using Slot = SlotProxy<PvxjStringVector>;
    if (int32_t rc = PvxjStringVectorAllocate(Slot(work))) return failed("PvxjStringVectorAllocate", rc);
    // The property comes as a vector of its own: free the one allocated
    // rather than lose it in the working slot.
    PvxjStringVectorDeallocate(Slot(work));
    *work = from_api(fn(person));
    line(label, join_with_size(AnyHandle(*work), kDumpBuffer));
    if (int32_t rc = PvxjStringVectorDeallocate(Slot(work))) return failed("PvxjStringVectorDeallocate", rc);
    *work = 0;
  }
};

bool dump_person(Call& c) {
  if (!echo_param(c, 0)) return false;
  RunContext& ctx = c.ctx;
  Dump d{ctx, c.h(0)};
  ctx.out.line(kValueReportLine);
  ctx.out.line("Person Data:");
  d.text("UserID", PvxjPersonUserID);
  d.text("PersonID", PvxjPersonPersonID);
  d.flag("PersonIDIsNull", PvxjPersonPersonIDIsNull);
  d.text("FirstName", PvxjPersonFirstName);
  d.flag("FirstNameIsNull", PvxjPersonFirstNameIsNull);
  d.text("MiddleName", PvxjPersonMiddleName);
  d.flag("MiddleNameIsNull", PvxjPersonMiddleNameIsNull);
  d.text("LastName", PvxjPersonLastName);
  d.flag("LastNameIsNull", PvxjPersonLastNameIsNull);
  d.text("Description", PvxjPersonDescription);
  d.flag("DescriptionIsNull", PvxjPersonDescriptionIsNull);
  d.line("Level", std::to_string(PvxjPersonLevel(d.person)));
  d.text("Phone", PvxjPersonPhone);
  d.flag("PhoneIsNull", PvxjPersonPhoneIsNull);
  d.text("SecondPhone", PvxjPersonSecondPhone);
  d.flag("SecondPhoneIsNull", PvxjPersonSecondPhoneIsNull);
  d.text("Manager", PvxjPersonManager);
  d.flag("ManagerIsNull", PvxjPersonManagerIsNull);
  d.text("OrganizationName", PvxjPersonOrganizationName);
  d.flag("OrganizationNameIsNull", PvxjPersonOrganizationNameIsNull);
  d.text("SystemName", PvxjPersonSystemName);
  d.text("LockHolder", PvxjPersonLockHolder);
  d.flag("LockHolderIsNull", PvxjPersonLockHolderIsNull);
  d.text("Substitute", PvxjPersonSubstitute);
  d.flag("SubstituteIsNull", PvxjPersonSubstituteIsNull);
  d.flag("IsAbsent", PvxjPersonIsAbsent);
  d.flag("IsAdministrator", PvxjPersonIsAdministrator);
  d.flag("IsAuthorizedForAuthorizationDefinition", PvxjPersonIsAuthorizedForAuthorizationDefinition);
  d.flag("IsAuthorizedForAllCategories", PvxjPersonIsAuthorizedForAllCategories);
  d.flag("IsAuthorizedForAllCategoriesAsAdmin", PvxjPersonIsAuthorizedForAllCategoriesAsAdmin);
  d.flag("IsAuthorizedForAllPersons", PvxjPersonIsAuthorizedForAllPersons);
  d.flag("IsAuthorizedForOperationAdministration", PvxjPersonIsAuthorizedForOperationAdministration);
  d.flag("IsAuthorizedForProcessDefinition", PvxjPersonIsAuthorizedForProcessDefinition);
  d.flag("IsAuthorizedForStaffDefinition", PvxjPersonIsAuthorizedForStaffDefinition);
  d.flag("IsAuthorizedForTopologyDefinition", PvxjPersonIsAuthorizedForTopologyDefinition);
  d.flag("IsManager", PvxjPersonIsManager);
  d.flag("IsResetAbsence", PvxjPersonIsResetAbsence);
  d.vector("CategoriesAuthorizedFor", PvxjPersonCategoriesAuthorizedFor);
  d.vector("CategoriesAuthorizedForAsAdmin", PvxjPersonCategoriesAuthorizedForAsAdmin);
  d.vector("NamesOfManagedOrganizations", PvxjPersonNamesOfManagedOrganizations);
  d.vector("NamesOfRoles", PvxjPersonNamesOfRoles);
  d.vector("NamesOfRolesToCoordinate", PvxjPersonNamesOfRolesToCoordinate);
  d.vector("PersonsAuthorizedFor", PvxjPersonPersonsAuthorizedFor);
  d.vector("PersonsAuthorizedForMe", PvxjPersonPersonsAuthorizedForMe);
  d.vector("PersonsToStandInFor", PvxjPersonPersonsToStandInFor);
  if (d.stopped) return false;
  d.flag("IsComplete", PvxjPersonIsComplete);
  ctx.reg.set_date_time(0, PvxjPersonLogonBlockedTime(d.person));
  const DateTimeSlot* work = ctx.reg.date_time(0);
  if (work->value.year != 0) {
    char text[256] = {};
    const char* got = PvxjDateTimeAsString(work->value, text, sizeof text);
    d.line("LogonBlockedTime", got ? got : "NULL");
  } else {
    d.line("LogonBlockedTime", "NULL");
  }
  ctx.reg.clear(kDateTimeHdl, 0);
  return false;  // the dump is its own report: no call and no verdict follow
}

constexpr Hook kHooks[] = {
    {kPvxjPersonCategoriesAuthorizedFor, nullptr, after_person_list},
    {kPvxjPersonCategoriesAuthorizedForAsAdmin, nullptr, after_person_list},
    {kPvxjPersonNamesOfManagedOrganizations, nullptr, after_person_list},
    {kPvxjPersonNamesOfRoles, nullptr, after_person_list},
    {kPvxjPersonNamesOfRolesToCoordinate, nullptr, after_person_list},
    {kPvxjPersonPersonsAuthorizedFor, nullptr, after_person_list},
    {kPvxjPersonPersonsAuthorizedForMe, nullptr, after_person_list},
    {kPvxjPersonPersonsToStandInFor, nullptr, after_person_list},
    {kPvxjPersonLevelIsNull, refuse_level_is_null},
    {kPvxjPerson_DUMP_ALL, dump_person},
};

constexpr Row kRows[] = {
#include "api/person.def"
};
static_assert(ids_follow(kRows));
static_assert(hooks_have_rows(kRows, kHooks), "every hook of a family names one of its rows");
constexpr int kClasses[] = {kPVXJPERSON};
constexpr Family kFamily{"PvxjPerson", kClasses, kRows, true};

}  // namespace

const Family& person_family() { return kFamily; }

}  // namespace kr::api
