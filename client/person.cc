// Person objects: every property is read from the server's person row when
// asked, so changes made through any session or process are seen at once.
#include <optional>

#include "client.h"
#include "clock.h"
#include "date_time.h"
#include "string_vector.h"

using namespace pvxjsim;

namespace {

// The person object of a handle and the store, checked as every person
// function needs: a live person of a logged-on session whose row still exists.
struct PersonCtx {
  RowObject* obj = nullptr;
  Store* store = nullptr;
};

int32_t Resolve(uint32_t handle, PersonCtx* p) {
  p->obj = Client::Get().handles.Get<RowObject>(handle, Cls::Person);
  if (!p->obj || !p->obj->service) return PVX_ERROR_INVALID_HANDLE;
  if (int32_t rc = RequireSession(*p->obj->service, &p->store)) return rc;
  Stmt q(p->store->db(), "SELECT 1 FROM persons WHERE id=?");
  q.Bind(1, p->obj->id);
  return q.Step() ? PVX_OK : PVX_ERROR_DOES_NOT_EXIST;
}

// One column of the person row. The column names come from the tables below,
// never from a caller.
std::optional<std::string> Column(const PersonCtx& p, const char* column) {
  Stmt q(p.store->db(), std::string("SELECT ") + column + " FROM persons WHERE id=?");
  q.Bind(1, p.obj->id);
  if (!q.Step()) return std::nullopt;
  return q.OptText(0);
}

int64_t Number(const PersonCtx& p, const char* expression) {
  Stmt q(p.store->db(), std::string("SELECT ") + expression + " FROM persons WHERE id=?");
  q.Bind(1, p.obj->id);
  return q.Step() ? q.Int(0) : 0;
}

std::vector<std::string> Texts(const PersonCtx& p, const char* sql) {
  Stmt q(p.store->db(), sql);
  q.Bind(1, p.obj->id);
  std::vector<std::string> out;
  while (q.Step()) out.push_back(q.Text(0));
  return out;
}

char* Text(uint32_t person, const char* column, char* buffer, uint32_t length, const char* origin) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return nullptr;
    std::optional<std::string> v = Column(p, column);
    return v ? CopyOut(*v, buffer, length) : nullptr;
  }, origin);
}

unsigned char Flag(uint32_t person, const char* expression, const char* origin) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    return Number(p, expression) != 0;
  }, origin);
}

PvxjStringVector Vector(uint32_t person, const char* sql, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    uint32_t v = 0;
    *rc = NewStringVector(Texts(p, sql), &v);
    return v;
  }, origin);
}

// Who may change a person's absence and substitute: the person, the
// person's manager or an administrator.
bool MayChange(const PersonCtx& p) {
  const ServiceState& svc = *p.obj->service;
  if (svc.person_id == p.obj->id || IsAdministrator(*p.store, svc)) return true;
  std::optional<std::string> manager = Column(p, "manager");
  return manager && PersonIdOf(*p.store, manager->c_str()) == svc.person_id;
}

// A person sees the work item count of itself and of the persons it manages;
// administrators see every count.
bool MaySeeWork(const PersonCtx& p) { return MayChange(p); }

constexpr const char* kWorkitems = "(SELECT COUNT(*) FROM items WHERE owner_id=persons.id AND kind=1)";

}  // namespace

extern "C" {

int32_t PvxjPersonCopy(PvxjPerson person, PvxjPerson* copy) {
  return Guarded([&]() -> int32_t {
    auto* obj = Client::Get().handles.Get<RowObject>(person, Cls::Person);
    if (!obj) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto c = std::make_unique<RowObject>(*obj);
    return AddHandle(Cls::Person, std::move(c), copy);
  });
}

int32_t PvxjPersonRefresh(PvxjPerson person) {
  return Guarded([&]() -> int32_t {
    PersonCtx p;
    if (int32_t rc = Resolve(person, &p)) return rc;
    p.obj->name = Column(p, "user_id").value_or(p.obj->name);
    return PVX_OK;
  });
}

int32_t PvxjPersonSetAbsence(PvxjPerson person, unsigned char absence) {
  return Guarded([&]() -> int32_t {
    PersonCtx p;
    if (int32_t rc = Resolve(person, &p)) return rc;
    if (!MayChange(p)) return PVX_ERROR_NOT_AUTHORIZED;
    WriteTx tx(*p.store);
    Stmt u(p.store->db(), "UPDATE persons SET absent=? WHERE id=?");
    u.Bind(1, absence ? 1 : 0).Bind(2, p.obj->id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjPersonSetSubstitute(PvxjPerson person, const char* substitute) {
  return Guarded([&]() -> int32_t {
    PersonCtx p;
    if (int32_t rc = Resolve(person, &p)) return rc;
    if (!MayChange(p)) return PVX_ERROR_NOT_AUTHORIZED;
    std::optional<std::string> name;
    if (substitute) {
      Stmt q(p.store->db(), "SELECT id, user_id FROM persons WHERE user_id=?");
      q.Bind(1, substitute);
      if (!q.Step()) {
        SetLastResult(PVX_ERROR_USERID_UNKNOWN, substitute);
        return PVX_ERROR_USERID_UNKNOWN;
      }
      if (q.Int(0) == p.obj->id) {
        SetLastResult(PVX_ERROR_INVALID_USER, substitute);
        return PVX_ERROR_INVALID_USER;
      }
      name = q.Text(1);
    }
    WriteTx tx(*p.store);
    Stmt u(p.store->db(), "UPDATE persons SET substitute=? WHERE id=?");
    u.Bind(1, name).Bind(2, p.obj->id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

unsigned char PvxjPersonEqual(PvxjPerson person, PvxjPerson other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto* a = Client::Get().handles.Get<RowObject>(person, Cls::Person);
    auto* b = Client::Get().handles.Get<RowObject>(other, Cls::Person);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return a->id == b->id;
  });
}

unsigned char PvxjPersonIsAdminForCategory(PvxjPerson person, const char* category) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    if (Number(p, "auth_all_categories_admin")) return 1;
    if (!category) return 0;
    Stmt q(p.store->db(), "SELECT 1 FROM person_categories WHERE person_id=? AND category=? AND as_admin=1");
    q.Bind(1, p.obj->id).Bind(2, category);
    return q.Step();
  });
}

#define PERSON_FLAG(Fn, expression) \
  unsigned char Fn(PvxjPerson person) { return Flag(person, expression, __func__); }
PERSON_FLAG(PvxjPersonIsAbsent, "absent")
PERSON_FLAG(PvxjPersonIsAdministrator, "is_admin")
PERSON_FLAG(PvxjPersonIsAuthorizedForAllCategories, "auth_all_categories")
PERSON_FLAG(PvxjPersonIsAuthorizedForAllCategoriesAsAdmin, "auth_all_categories_admin")
PERSON_FLAG(PvxjPersonIsAuthorizedForAllPersons, "auth_all_persons")
PERSON_FLAG(PvxjPersonIsAuthorizedForAuthorizationDefinition, "auth_authorization_definition")
PERSON_FLAG(PvxjPersonIsAuthorizedForOperationAdministration, "auth_operation_admin")
PERSON_FLAG(PvxjPersonIsAuthorizedForProcessDefinition, "auth_process_definition")
PERSON_FLAG(PvxjPersonIsAuthorizedForStaffDefinition, "auth_staff_definition")
PERSON_FLAG(PvxjPersonIsAuthorizedForTopologyDefinition, "auth_topology_definition")
PERSON_FLAG(PvxjPersonIsComplete,
            "first_name IS NOT NULL AND last_name IS NOT NULL AND organization IS NOT NULL")
PERSON_FLAG(PvxjPersonIsManager, "EXISTS(SELECT 1 FROM organizations o WHERE o.manager=persons.user_id)")
PERSON_FLAG(PvxjPersonIsResetAbsence, "reset_absence")
PERSON_FLAG(PvxjPersonDescriptionIsNull, "description IS NULL")
PERSON_FLAG(PvxjPersonFirstNameIsNull, "first_name IS NULL")
PERSON_FLAG(PvxjPersonLastNameIsNull, "last_name IS NULL")
PERSON_FLAG(PvxjPersonMiddleNameIsNull, "middle_name IS NULL")
PERSON_FLAG(PvxjPersonOrganizationNameIsNull, "organization IS NULL")
PERSON_FLAG(PvxjPersonPersonIDIsNull, "personnel_id IS NULL")
PERSON_FLAG(PvxjPersonPhoneIsNull, "phone IS NULL")
PERSON_FLAG(PvxjPersonSecondPhoneIsNull, "second_phone IS NULL")
PERSON_FLAG(PvxjPersonSubstituteIsNull, "substitute IS NULL")
PERSON_FLAG(PvxjPersonLockHolderIsNull, "lock_holder IS NULL")
PERSON_FLAG(PvxjPersonManagerIsNull, "manager IS NULL")
#undef PERSON_FLAG

unsigned char PvxjPersonWorkitemAmountIsNull(PvxjPerson person) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    return !MaySeeWork(p);
  });
}

#define PERSON_TEXT(Fn, column)                                              \
  char* Fn(PvxjPerson person, char* buffer, uint32_t bufferLength) {         \
    return Text(person, column, buffer, bufferLength, __func__);             \
  }
PERSON_TEXT(PvxjPersonPersonID, "personnel_id")
PERSON_TEXT(PvxjPersonFirstName, "first_name")
PERSON_TEXT(PvxjPersonMiddleName, "middle_name")
PERSON_TEXT(PvxjPersonLastName, "last_name")
PERSON_TEXT(PvxjPersonDescription, "description")
PERSON_TEXT(PvxjPersonPhone, "phone")
PERSON_TEXT(PvxjPersonSecondPhone, "second_phone")
PERSON_TEXT(PvxjPersonManager, "manager")
PERSON_TEXT(PvxjPersonOrganizationName, "organization")
PERSON_TEXT(PvxjPersonSubstitute, "substitute")
PERSON_TEXT(PvxjPersonLockHolder, "lock_holder")
PERSON_TEXT(PvxjPersonSystemName, "(SELECT value FROM meta WHERE key='system_name')")
PERSON_TEXT(PvxjPersonUserID, "user_id")
#undef PERSON_TEXT

uint32_t PvxjPersonLevel(PvxjPerson person) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    return static_cast<uint32_t>(Number(p, "level"));
  });
}

uint32_t PvxjPersonWorkitemAmount(PvxjPerson person) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return 0;
    if (!MaySeeWork(p)) {
      *rc = PVX_ERROR_NOT_AUTHORIZED;
      return 0;
    }
    return static_cast<uint32_t>(Number(p, kWorkitems));
  });
}

#define PERSON_VECTOR(Fn, sql) \
  PvxjStringVector Fn(PvxjPerson person) { return Vector(person, sql, __func__); }
PERSON_VECTOR(PvxjPersonCategoriesAuthorizedFor,
              "SELECT DISTINCT category FROM person_categories WHERE person_id=? ORDER BY category")
PERSON_VECTOR(PvxjPersonCategoriesAuthorizedForAsAdmin,
              "SELECT category FROM person_categories WHERE person_id=? AND as_admin=1 ORDER BY category")
PERSON_VECTOR(PvxjPersonNamesOfManagedOrganizations,
              "SELECT o.name FROM organizations o JOIN persons p ON o.manager=p.user_id WHERE p.id=? ORDER BY o.id")
PERSON_VECTOR(PvxjPersonNamesOfRoles,
              "SELECT r.name FROM roles r JOIN person_roles pr ON pr.role_id=r.id WHERE pr.person_id=? "
              "ORDER BY r.id")
PERSON_VECTOR(PvxjPersonNamesOfRolesToCoordinate,
              "SELECT r.name FROM roles r JOIN persons p ON r.coordinator=p.user_id WHERE p.id=? ORDER BY r.id")
PERSON_VECTOR(PvxjPersonPersonsAuthorizedFor,
              "SELECT authorized_for FROM person_authorizations WHERE person_id=? ORDER BY authorized_for")
PERSON_VECTOR(PvxjPersonPersonsAuthorizedForMe,
              "SELECT o.user_id FROM person_authorizations a JOIN persons o ON o.id=a.person_id "
              "JOIN persons me ON a.authorized_for=me.user_id WHERE me.id=? ORDER BY o.id")
PERSON_VECTOR(PvxjPersonPersonsToStandInFor,
              "SELECT o.user_id FROM persons o JOIN persons me ON o.substitute=me.user_id WHERE me.id=? "
              "ORDER BY o.id")
#undef PERSON_VECTOR

PvxjDateTime PvxjPersonLogonBlockedTime(PvxjPerson person) {
  return GuardedValue<PvxjDateTime>(PvxjDateTime{}, [&](int32_t* rc) -> PvxjDateTime {
    PersonCtx p;
    if ((*rc = Resolve(person, &p))) return PvxjDateTime{};
    std::optional<std::string> until = Column(p, "logon_blocked_until");
    int64_t at = 0;
    // A block that has run out by the server's clock blocks nothing.
    if (!until || !ParseTimeText(*until, &at) || at <= ClockSeconds(*p.store)) return PvxjDateTime{};
    return DateTimeFromSeconds(at);
  });
}

}  // extern "C"
