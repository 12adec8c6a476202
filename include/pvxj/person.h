/*
 * pvxj/person.h - persons. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions and
 * types apply.
 */
#ifndef PVXJ_PERSON_H
#define PVXJ_PERSON_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Persons                                                                  */
/* ------------------------------------------------------------------------ */

/* A person object names a person of the server; every property is read from
 * the server when asked, so SetAbsence and SetSubstitute (and changes made in
 * other sessions) are seen at once. Refresh checks that the person still
 * exists. Every function needs the session the object came from. */
int32_t PvxjPersonCopy(PvxjPerson person, PvxjPerson* copy);
int32_t PvxjPersonRefresh(PvxjPerson person);
/* Marks the person absent or present; needs the person, the manager or an
 * administrator. */
int32_t PvxjPersonSetAbsence(PvxjPerson person, unsigned char absence);
/* Names the person's substitute (NULL: none); the substitute must exist. */
int32_t PvxjPersonSetSubstitute(PvxjPerson person, const char* substitute);
unsigned char PvxjPersonEqual(PvxjPerson person, PvxjPerson other);
unsigned char PvxjPersonIsAdminForCategory(PvxjPerson person, const char* category);

unsigned char PvxjPersonIsAbsent(PvxjPerson person);
unsigned char PvxjPersonIsAdministrator(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForAllCategories(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForAllCategoriesAsAdmin(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForAllPersons(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForAuthorizationDefinition(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForOperationAdministration(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForProcessDefinition(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForStaffDefinition(PvxjPerson person);
unsigned char PvxjPersonIsAuthorizedForTopologyDefinition(PvxjPerson person);
/* First name, last name and organization are set. */
unsigned char PvxjPersonIsComplete(PvxjPerson person);
/* The person manages an organization. */
unsigned char PvxjPersonIsManager(PvxjPerson person);
unsigned char PvxjPersonIsResetAbsence(PvxjPerson person);

unsigned char PvxjPersonDescriptionIsNull(PvxjPerson person);
unsigned char PvxjPersonFirstNameIsNull(PvxjPerson person);
unsigned char PvxjPersonLastNameIsNull(PvxjPerson person);
unsigned char PvxjPersonMiddleNameIsNull(PvxjPerson person);
unsigned char PvxjPersonOrganizationNameIsNull(PvxjPerson person);
unsigned char PvxjPersonPersonIDIsNull(PvxjPerson person);
unsigned char PvxjPersonPhoneIsNull(PvxjPerson person);
unsigned char PvxjPersonSecondPhoneIsNull(PvxjPerson person);
unsigned char PvxjPersonSubstituteIsNull(PvxjPerson person);
unsigned char PvxjPersonLockHolderIsNull(PvxjPerson person);
unsigned char PvxjPersonManagerIsNull(PvxjPerson person);
unsigned char PvxjPersonWorkitemAmountIsNull(PvxjPerson person);

/* Text properties; NULL when the property is not set. */
char* PvxjPersonPersonID(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonFirstName(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonMiddleName(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonLastName(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonDescription(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonPhone(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonSecondPhone(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonManager(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonOrganizationName(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonSubstitute(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonLockHolder(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonSystemName(PvxjPerson person, char* buffer, uint32_t bufferLength);
char* PvxjPersonUserID(PvxjPerson person, char* buffer, uint32_t bufferLength);

uint32_t PvxjPersonLevel(PvxjPerson person);
/* Work items the person owns now. */
uint32_t PvxjPersonWorkitemAmount(PvxjPerson person);

/* Each returns a new string vector (0 for an invalid person). */
PvxjStringVector PvxjPersonCategoriesAuthorizedFor(PvxjPerson person);
PvxjStringVector PvxjPersonCategoriesAuthorizedForAsAdmin(PvxjPerson person);
PvxjStringVector PvxjPersonNamesOfManagedOrganizations(PvxjPerson person);
PvxjStringVector PvxjPersonNamesOfRoles(PvxjPerson person);
PvxjStringVector PvxjPersonNamesOfRolesToCoordinate(PvxjPerson person);
/* Persons whose work this person may see, and who may see this person's. */
PvxjStringVector PvxjPersonPersonsAuthorizedFor(PvxjPerson person);
PvxjStringVector PvxjPersonPersonsAuthorizedForMe(PvxjPerson person);
/* Persons that name this person as their substitute. */
PvxjStringVector PvxjPersonPersonsToStandInFor(PvxjPerson person);

/* Until when the person may not log on; a year of 0 when not blocked. */
PvxjDateTime PvxjPersonLogonBlockedTime(PvxjPerson person);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_PERSON_H */
