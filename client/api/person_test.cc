// Persons: properties read from the store, absence and substitute changes
// that persist and are checked, the lists and the logon block.
#include "clock.h"
#include "string_vector.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class PersonTest : public ClientTest {
 protected:
  PvxjPerson Me(PvxjExecutionService svc) {
    PvxjPerson p = 0;
    EXPECT_EQ(PvxjServiceUserSettings(svc, &p), PVX_OK);
    return p;
  }
  std::string Text(char* (*fn)(PvxjPerson, char*, uint32_t), PvxjPerson p) {
    char buf[128];
    const char* got = fn(p, buf, sizeof buf);
    return got ? got : "(null)";
  }
  std::vector<std::string> List(PvxjStringVector (*fn)(PvxjPerson), PvxjPerson p) {
    PvxjStringVector v = fn(p);
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    const std::vector<std::string>* items = StringsOf(v);
    return items ? *items : std::vector<std::string>{"(no vector)"};
  }
};

TEST_F(PersonTest, PropertiesComeFromThePersonRow) {
  PvxjPerson p = Me(Logon("USER2", "pw2"));
  EXPECT_EQ(Text(PvxjPersonUserID, p), "USER2");
  EXPECT_EQ(Text(PvxjPersonFirstName, p), "Carl");
  EXPECT_EQ(Text(PvxjPersonMiddleName, p), "J.");
  EXPECT_EQ(Text(PvxjPersonManager, p), "USER1");
  EXPECT_EQ(Text(PvxjPersonSubstitute, p), "USER3");
  EXPECT_EQ(Text(PvxjPersonSystemName, p), "PVXSYS");
  EXPECT_EQ(Text(PvxjPersonDescription, p), "(null)");
  EXPECT_EQ(PvxjPersonDescriptionIsNull(p), 1);
  EXPECT_EQ(PvxjPersonMiddleNameIsNull(p), 0);
  EXPECT_EQ(PvxjPersonLevel(p), 2u);
  EXPECT_EQ(PvxjPersonIsManager(p), 0);
  EXPECT_EQ(PvxjPersonIsComplete(p), 1);
  Stmt(store().db(), "UPDATE persons SET personnel_id='E-17', auth_staff_definition=1 WHERE user_id='USER2'").Run();
  EXPECT_EQ(Text(PvxjPersonPersonID, p), "E-17");
  EXPECT_EQ(PvxjPersonPersonIDIsNull(p), 0);
  EXPECT_EQ(PvxjPersonIsAuthorizedForStaffDefinition(p), 1);
}

TEST_F(PersonTest, ListsFollowRolesOrganizationsSubstitutesAndAuthorizations) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjPerson me = Me(svc);
  EXPECT_EQ(List(PvxjPersonNamesOfRoles, me), (std::vector<std::string>{"Approver", "Manager"}));
  EXPECT_EQ(List(PvxjPersonNamesOfManagedOrganizations, me), (std::vector<std::string>{"Sales", "Finance"}));
  EXPECT_EQ(List(PvxjPersonPersonsToStandInFor, me), std::vector<std::string>{});
  PvxjPerson user3 = PvxjExecutionServicePersistentPerson(svc, "USER3");
  ASSERT_NE(user3, nullptr);
  // USER3 stands in for USER2 and for the absent USER5.
  EXPECT_EQ(List(PvxjPersonPersonsToStandInFor, user3), (std::vector<std::string>{"USER2", "USER5"}));
  Stmt(store().db(),
       "INSERT INTO person_authorizations(person_id, authorized_for) SELECT id, 'USER3' FROM persons "
       "WHERE user_id='USER1'").Run();
  Stmt(store().db(),
       "INSERT INTO person_categories(person_id, category, as_admin) SELECT id, 'Finance', 1 FROM persons "
       "WHERE user_id='USER1'").Run();
  EXPECT_EQ(List(PvxjPersonPersonsAuthorizedFor, me), std::vector<std::string>{"USER3"});
  EXPECT_EQ(List(PvxjPersonPersonsAuthorizedForMe, user3), std::vector<std::string>{"USER1"});
  EXPECT_EQ(List(PvxjPersonCategoriesAuthorizedForAsAdmin, me), std::vector<std::string>{"Finance"});
  EXPECT_EQ(PvxjPersonIsAdminForCategory(me, "Finance"), 1);
  EXPECT_EQ(PvxjPersonIsAdminForCategory(me, "Sales"), 0);
}

TEST_F(PersonTest, AbsenceAndSubstitutePersistAndAreChecked) {
  PvxjExecutionService manager = Logon("USER1", "pw1");
  PvxjPerson user4 = PvxjExecutionServicePersistentPerson(manager, "USER4");
  EXPECT_EQ(PvxjPersonSetSubstitute(user4, "ghost"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(LastResultMessage(), "ghost");
  EXPECT_EQ(PvxjPersonSetSubstitute(user4, "user4"), PVX_ERROR_INVALID_USER);
  EXPECT_EQ(PvxjPersonSetSubstitute(user4, "user3"), PVX_OK);
  EXPECT_EQ(PvxjPersonSetAbsence(user4, 1), PVX_OK);
  // Another session, another object: the change is in the store.
  PvxjPerson seen = Me(Logon("USER4", "pw4"));
  EXPECT_EQ(Text(PvxjPersonSubstitute, seen), "USER3");
  EXPECT_EQ(PvxjPersonIsAbsent(seen), 1);
  EXPECT_EQ(PvxjPersonSetSubstitute(user4, nullptr), PVX_OK);
  EXPECT_EQ(PvxjPersonSubstituteIsNull(seen), 1);
  // A clerk may not change a colleague.
  PvxjExecutionService clerk = Logon("USER3", "pw3");
  PvxjPerson colleague = PvxjExecutionServicePersistentPerson(clerk, "USER2");
  EXPECT_EQ(PvxjPersonSetAbsence(colleague, 1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjPersonWorkitemAmountIsNull(colleague), 1);
  EXPECT_EQ(PvxjPersonWorkitemAmount(colleague), 0u);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NOT_AUTHORIZED);
}

TEST_F(PersonTest, LogonBlockCountsOnlyWhileItLasts) {
  PvxjPerson p = Me(Logon("USER2", "pw2"));
  {
    WriteTx tx(store());
    SetClockFixed(store(), 1714550400);  // 2024-05-01 08:00:00
    tx.Commit();
  }
  Stmt(store().db(), "UPDATE persons SET logon_blocked_until='2024-05-01 17:30:00' WHERE user_id='USER2'").Run();
  PvxjDateTime until = PvxjPersonLogonBlockedTime(p);
  EXPECT_EQ(until.year, 2024);
  EXPECT_EQ(until.hour, 17);
  EXPECT_EQ(until.minute, 30);
  {
    WriteTx tx(store());
    ASSERT_TRUE(AdvanceClock(store(), 24 * 3600));
    tx.Commit();
  }
  EXPECT_EQ(PvxjPersonLogonBlockedTime(p).year, 0);
}

TEST_F(PersonTest, StaleDeletedOrLoggedOffPersonsAreRefused) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjPerson p = Me(svc);
  PvxjPerson copy = 0;
  ASSERT_EQ(PvxjPersonCopy(p, &copy), PVX_OK);
  EXPECT_EQ(PvxjPersonEqual(p, copy), 1);
  EXPECT_EQ(PvxjPersonDeallocate(&copy), PVX_OK);
  EXPECT_EQ(PvxjPersonRefresh(copy), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjPersonLevel(copy), 0u);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
  PvxjPerson other = PvxjExecutionServicePersistentPerson(svc, "USER4");
  Stmt(store().db(), "DELETE FROM persons WHERE user_id='USER4'").Run();
  EXPECT_EQ(PvxjPersonRefresh(other), PVX_ERROR_DOES_NOT_EXIST);
  // The table getters refuse a deleted row the same way, under their own name.
  char buf[32];
  EXPECT_EQ(PvxjPersonFirstName(other, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_STREQ(PvxjResultOrigin(PvxjResultObjectOfCurrentThread(), buf, sizeof buf), "PvxjPersonFirstName");
  EXPECT_EQ(PvxjPersonPhoneIsNull(other), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjPersonNamesOfRoles(other), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_DOES_NOT_EXIST);
  ASSERT_EQ(PvxjExecutionServiceLogoff(svc), PVX_OK);
  EXPECT_EQ(PvxjPersonRefresh(p), PVX_ERROR_NOT_LOGGED_ON);
}

}  // namespace
}  // namespace pvxjsim
