// Person objects: every property is read from the server's person row when
// asked, so changes made through any session or process are seen at once.
// Plain properties are rows of the attribute table (attributes.def).
#include <optional>

#include <pvxj/person.h>

#include "attributes.h"
#include "client.h"
#include "string_vector.h"

using namespace pvxjsim;

namespace {

// One attribute of the person row; nullopt for NULL or a row that is gone.
std::optional<std::string> Column(Store& store, const RowObject& row, Attr attr) {
  Stmt q(store.db(), AttrSelect(attr));
  q.Bind(1, row.id);
  if (!q.Step()) return std::nullopt;
  return q.OptText(0);
}

int64_t Number(Store& store, const RowObject& row, Attr attr) {
  Stmt q(store.db(), AttrSelect(attr));
  q.Bind(1, row.id);
  return q.Step() ? q.Int(0) : 0;
}

PvxjStringVector Vector(HandleRef person, const char* sql, const char* origin) {
  return WithStoredRow<HandleRef>(person, Cls::Person, 0, [&](Store& store, RowObject& row, int32_t* rc) {
    Stmt q(store.db(), sql);
    q.Bind(1, row.id);
    std::vector<std::string> texts;
    while (q.Step()) texts.push_back(q.Text(0));
    uint32_t v = 0;
    *rc = NewStringVector(std::move(texts), &v);
    return v;
  }, origin);
}

// Who may change a person's absence and substitute: the person, the
// person's manager or an administrator.
bool MayChange(Store& store, const RowObject& row) {
  const ServiceState& svc = *row.service;
  if (svc.person_id == row.id || IsAdministrator(store, svc)) return true;
  std::optional<std::string> manager = Column(store, row, Attr::Person_Manager);
  return manager && PersonIdOf(store, manager->c_str()) == svc.person_id;
}

// A person sees the work item count of itself and of the persons it manages;
// administrators see every count.
bool MaySeeWork(Store& store, const RowObject& row) { return MayChange(store, row); }

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
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(person, Cls::Person, &row, &store)) return rc;
    row->name = Column(*store, *row, Attr::Person_UserID).value_or(row->name);
    return PVX_OK;
  });
}

int32_t PvxjPersonSetAbsence(PvxjPerson person, unsigned char absence) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(person, Cls::Person, &row, &store)) return rc;
    if (!MayChange(*store, *row)) return PVX_ERROR_NOT_AUTHORIZED;
    WriteTx tx(*store);
    Stmt u(store->db(), "UPDATE persons SET absent=? WHERE id=?");
    u.Bind(1, absence ? 1 : 0).Bind(2, row->id).Run();
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjPersonSetSubstitute(PvxjPerson person, const char* substitute) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(person, Cls::Person, &row, &store)) return rc;
    if (!MayChange(*store, *row)) return PVX_ERROR_NOT_AUTHORIZED;
    std::optional<std::string> name;
    if (substitute) {
      Stmt q(store->db(), "SELECT id, user_id FROM persons WHERE user_id=?");
      q.Bind(1, substitute);
      if (!q.Step()) {
        SetLastResult(PVX_ERROR_USERID_UNKNOWN, substitute);
        return PVX_ERROR_USERID_UNKNOWN;
      }
      if (q.Int(0) == row->id) {
        SetLastResult(PVX_ERROR_INVALID_USER, substitute);
        return PVX_ERROR_INVALID_USER;
      }
      name = q.Text(1);
    }
    WriteTx tx(*store);
    Stmt u(store->db(), "UPDATE persons SET substitute=? WHERE id=?");
    u.Bind(1, name).Bind(2, row->id).Run();
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
  return WithStoredRow<unsigned char>(person, Cls::Person, 0, [&](Store& store, RowObject& row, int32_t*) {
    if (Number(store, row, Attr::Person_IsAuthorizedForAllCategoriesAsAdmin)) return true;
    if (!category) return false;
    Stmt q(store.db(), "SELECT 1 FROM person_categories WHERE person_id=? AND category=? AND as_admin=1");
    q.Bind(1, row.id).Bind(2, category);
    return q.Step();
  });
}

unsigned char PvxjPersonIsAbsent(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAbsent); }
unsigned char PvxjPersonIsAdministrator(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAdministrator); }
unsigned char PvxjPersonIsAuthorizedForAllCategories(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForAllCategories); }
unsigned char PvxjPersonIsAuthorizedForAllCategoriesAsAdmin(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForAllCategoriesAsAdmin); }
unsigned char PvxjPersonIsAuthorizedForAllPersons(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForAllPersons); }
unsigned char PvxjPersonIsAuthorizedForAuthorizationDefinition(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForAuthorizationDefinition); }
unsigned char PvxjPersonIsAuthorizedForOperationAdministration(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForOperationAdministration); }
unsigned char PvxjPersonIsAuthorizedForProcessDefinition(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForProcessDefinition); }
unsigned char PvxjPersonIsAuthorizedForStaffDefinition(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForStaffDefinition); }
unsigned char PvxjPersonIsAuthorizedForTopologyDefinition(PvxjPerson p) { return AttrBool(p, Attr::Person_IsAuthorizedForTopologyDefinition); }
unsigned char PvxjPersonIsComplete(PvxjPerson p) { return AttrBool(p, Attr::Person_IsComplete); }
unsigned char PvxjPersonIsManager(PvxjPerson p) { return AttrBool(p, Attr::Person_IsManager); }
unsigned char PvxjPersonIsResetAbsence(PvxjPerson p) { return AttrBool(p, Attr::Person_IsResetAbsence); }

char* PvxjPersonUserID(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_UserID, b, n); }
char* PvxjPersonSystemName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_SystemName, b, n); }
char* PvxjPersonPersonID(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_PersonID, b, n); }
char* PvxjPersonFirstName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_FirstName, b, n); }
char* PvxjPersonMiddleName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_MiddleName, b, n); }
char* PvxjPersonLastName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_LastName, b, n); }
char* PvxjPersonDescription(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_Description, b, n); }
char* PvxjPersonPhone(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_Phone, b, n); }
char* PvxjPersonSecondPhone(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_SecondPhone, b, n); }
char* PvxjPersonManager(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_Manager, b, n); }
char* PvxjPersonOrganizationName(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_OrganizationName, b, n); }
char* PvxjPersonSubstitute(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_Substitute, b, n); }
char* PvxjPersonLockHolder(PvxjPerson p, char* b, uint32_t n) { return AttrText(p, Attr::Person_LockHolder, b, n); }

unsigned char PvxjPersonPersonIDIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_PersonID); }
unsigned char PvxjPersonFirstNameIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_FirstName); }
unsigned char PvxjPersonMiddleNameIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_MiddleName); }
unsigned char PvxjPersonLastNameIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_LastName); }
unsigned char PvxjPersonDescriptionIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_Description); }
unsigned char PvxjPersonPhoneIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_Phone); }
unsigned char PvxjPersonSecondPhoneIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_SecondPhone); }
unsigned char PvxjPersonManagerIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_Manager); }
unsigned char PvxjPersonOrganizationNameIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_OrganizationName); }
unsigned char PvxjPersonSubstituteIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_Substitute); }
unsigned char PvxjPersonLockHolderIsNull(PvxjPerson p) { return AttrIsNull(p, Attr::Person_LockHolder); }

uint32_t PvxjPersonLevel(PvxjPerson p) { return AttrUnsigned(p, Attr::Person_Level); }
PvxjDateTime PvxjPersonLogonBlockedTime(PvxjPerson p) { return AttrTimeAhead(p, Attr::Person_LogonBlockedTime); }

unsigned char PvxjPersonWorkitemAmountIsNull(PvxjPerson person) {
  return WithStoredRow<unsigned char>(person, Cls::Person, 0, [](Store& store, RowObject& row, int32_t*) {
    return !MaySeeWork(store, row);
  });
}

uint32_t PvxjPersonWorkitemAmount(PvxjPerson person) {
  return WithStoredRow<uint32_t>(person, Cls::Person, 0, [](Store& store, RowObject& row, int32_t* rc) {
    if (!MaySeeWork(store, row)) {
      *rc = PVX_ERROR_NOT_AUTHORIZED;
      return 0u;
    }
    return static_cast<uint32_t>(Number(store, row, Attr::Person_WorkitemAmount));
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

}  // extern "C"
