// Sessions: logon rules, log-off, session sharing, authorisation, settings,
// the program execution agent and asynchronous replies.
#include <chrono>
#include <cstring>
#include <functional>

#include "agent.h"
#include "session_id.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class LogonTest : public ClientTest {
 protected:
  PvxjExecutionService Fresh() {
    PvxjExecutionService svc = 0;
    EXPECT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_OK);
    return svc;
  }
  int32_t LogonRc(PvxjExecutionService svc, const char* user, const char* pw,
                  int32_t mode = Pvx_SM_Default, int32_t absent = Pvx_SA_NotSet) {
    return PvxjExecutionServiceLogon(svc, user, pw, mode, absent);
  }
  std::string UserOf(PvxjExecutionService svc) {
    char buf[64];
    const char* p = PvxjServiceUserID(svc, buf, sizeof buf);
    return p ? p : "(none)";
  }
  bool Absent(const char* user) {
    Stmt q(store().db(), "SELECT absent FROM persons WHERE user_id=?");
    q.Bind(1, user);
    return q.Step() && q.Int(0);
  }
};

TEST_F(LogonTest, LogonChecksUserPasswordAndModes) {
  PvxjExecutionService svc = Fresh();
  EXPECT_EQ(LogonRc(svc, "NOBODY", "x"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(LogonRc(svc, nullptr, "x"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(LogonRc(svc, "USER1", "wrong"), PVX_ERROR_PASSWORD);
  EXPECT_EQ(LogonRc(svc, "USER1", nullptr), PVX_ERROR_PASSWORD);
  EXPECT_EQ(LogonRc(svc, "USER1", "PW1"), PVX_ERROR_PASSWORD);  // passwords keep case
  EXPECT_EQ(LogonRc(svc, "USER1", "pw1", 3), PVX_ERROR_INVALID_SESSION_MODE);
  EXPECT_EQ(LogonRc(svc, "USER1", "pw1", -1), PVX_ERROR_INVALID_SESSION_MODE);
  EXPECT_EQ(LogonRc(svc, "USER1", "pw1", 0, 3), PVX_ERROR_INVALID_ABSENCE_SPEC);
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 0);
  EXPECT_EQ(LogonRc(svc, "user1", "pw1", Pvx_SM_PresentHere), PVX_OK);  // ids ignore case
  EXPECT_EQ(UserOf(svc), "USER1");
  EXPECT_EQ(LogonRc(svc, "USER2", "pw2"), PVX_ERROR_ALREADY_LOGGED_ON);
  EXPECT_EQ(PvxjExecutionServiceLogoff(svc), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceLogoff(svc), PVX_ERROR_NOT_LOGGED_ON);
  EXPECT_EQ(LogonRc(svc, "USER2", "pw2"), PVX_OK);
  EXPECT_EQ(UserOf(svc), "USER2");
}

TEST_F(LogonTest, EveryServiceCallNeedsALogon) {
  PvxjExecutionService svc = Fresh();
  const uint32_t threshold = 5;
  PvxjPerson person = 0;
  PvxjExecutionData data = 0;
  PvxjWorklist list = 0;
  PvxjProcessTemplateVector templates = 0;
  PvxjWorkitemVector workitems = 0;
  PvxjWorklistVector lists = 0;
  unsigned char correl[PVXJ_CORREL_ID_LENGTH] = {};
  const std::vector<std::pair<const char*, std::function<int32_t()>>> calls = {
      {"Logoff", [&] { return PvxjExecutionServiceLogoff(svc); }},
      {"ForceLogoff", [&] { return PvxjExecutionServiceForceLogoff(svc, "USER2"); }},
      {"SetPersonAbsent", [&] { return PvxjExecutionServiceSetPersonAbsent(svc, nullptr, 1); }},
      {"Refresh", [&] { return PvxjServiceRefresh(svc); }},
      {"SetPassword", [&] { return PvxjServiceSetPassword(svc, "new"); }},
      {"UserSettings", [&] { return PvxjServiceUserSettings(svc, &person); }},
      {"PEAStartUp", [&] { return PvxjExecutionServicePEAStartUp(svc); }},
      {"PEAShutDown", [&] { return PvxjExecutionServicePEAShutDown(svc); }},
      {"ForcePEAShutDown", [&] { return PvxjExecutionServiceForcePEAShutDown(svc, "USER1"); }},
      {"Receive", [&] { return PvxjExecutionServiceReceive(svc, correl, &data, 0); }},
      {"TerminateReceive", [&] { return PvxjExecutionServiceTerminateReceive(svc, nullptr); }},
      {"CreateWorklist",
       [&] {
         return PvxjExecutionServiceCreateWorklist(svc, "L", Pvx_LT_Public, nullptr, nullptr,
                                                   nullptr, nullptr, &threshold, &list);
       }},
      {"QueryProcessTemplates",
       [&] {
         return PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, nullptr, nullptr, &templates);
       }},
      {"QueryWorkitems",
       [&] {
         return PvxjExecutionServiceQueryWorkitems(svc, nullptr, nullptr, nullptr, &workitems);
       }},
      {"QueryWorklists", [&] { return PvxjExecutionServiceQueryWorklists(svc, &lists); }},
  };
  for (const auto& [name, call] : calls) EXPECT_EQ(call(), PVX_ERROR_NOT_LOGGED_ON) << name;
  EXPECT_TRUE(!person && !data && !list && !templates && !workitems && !lists);
  char buf[64];
  EXPECT_EQ(PvxjExecutionServiceSessionID(svc, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjServiceUserID(svc, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjExecutionServicePersistentProcessTemplate(svc, "PT000000000001"), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NOT_LOGGED_ON);
  EXPECT_EQ(PvxjExecutionServicePersistentPerson(svc, nullptr), nullptr);
}

TEST_F(LogonTest, CredentialsCarryUserAndPasswordOrJustThePassword) {
  PvxjExecutionService svc = Fresh();
  auto logon = [&](const char* cred, const char* user) {
    return PvxjExecutionServiceLogonWithCredentials(
        svc, reinterpret_cast<const unsigned char*>(cred), static_cast<uint32_t>(strlen(cred)),
        Pvx_SM_Default, Pvx_SA_NotSet, user);
  };
  EXPECT_EQ(logon("USER1:nope", nullptr), PVX_ERROR_AUTHENTICATION);
  EXPECT_EQ(logon("no colon", nullptr), PVX_ERROR_AUTHENTICATION);
  EXPECT_EQ(logon("GHOST:pw1", nullptr), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(logon("pw2", "USER1"), PVX_ERROR_AUTHENTICATION);
  EXPECT_EQ(logon("USER1:pw1", nullptr), PVX_OK);
  EXPECT_EQ(UserOf(svc), "USER1");
  ASSERT_EQ(PvxjExecutionServiceLogoff(svc), PVX_OK);
  EXPECT_EQ(logon("pw2", "USER2"), PVX_OK);
  EXPECT_EQ(UserOf(svc), "USER2");
  // Only the given length counts, not what follows in memory.
  PvxjExecutionServiceLogoff(svc);
  const unsigned char longer[] = "USER3:pw3EXTRA";
  EXPECT_EQ(PvxjExecutionServiceLogonWithCredentials(svc, longer, 9, 0, 0, nullptr), PVX_OK);
}

TEST_F(LogonTest, PasswordChangeIsKeptInTheStore) {
  PvxjExecutionService svc = Logon("USER2", "pw2");
  EXPECT_EQ(PvxjServiceSetPassword(svc, ""), PVX_ERROR_PASSWORD);
  ASSERT_EQ(PvxjServiceSetPassword(svc, "secret"), PVX_OK);
  PvxjExecutionService other = Fresh();
  EXPECT_EQ(LogonRc(other, "USER2", "pw2"), PVX_ERROR_PASSWORD);
  EXPECT_EQ(LogonRc(other, "USER2", "secret"), PVX_OK);
}

TEST_F(LogonTest, SessionIdentifierLetsAnotherServiceAttach) {
  PvxjExecutionService svc = Logon("USER3", "pw3");
  char sid[64];
  ASSERT_NE(PvxjExecutionServiceSessionID(svc, sid, sizeof sid), nullptr);
  PvxjExecutionService other = Fresh();
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(other, "USER2", sid),
            PVX_ERROR_INVALID_SESSION);  // not USER2's session
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(other, "USER3", "SID999999999999"),
            PVX_ERROR_INVALID_SESSION);
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(other, "USER3", "garbage"),
            PVX_ERROR_INVALID_SESSION);
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(other, "GHOST", sid),
            PVX_ERROR_USERID_UNKNOWN);
  ASSERT_EQ(PvxjExecutionServiceSetSessionContext(other, "USER3", sid), PVX_OK);
  EXPECT_EQ(UserOf(other), "USER3");
  EXPECT_EQ(PvxjExecutionServiceSetSessionContext(other, "USER3", sid),
            PVX_ERROR_ALREADY_LOGGED_ON);
  // Ending the session through one service ends it for the other.
  ASSERT_EQ(PvxjExecutionServiceLogoff(other), PVX_OK);
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 0);
  EXPECT_EQ(PvxjServiceRefresh(svc), PVX_ERROR_NOT_LOGGED_ON);
}

TEST_F(LogonTest, CopiesShareTheSessionAndCompareEqual) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjExecutionService copy = 0, other = Logon("USER1", "pw1");
  ASSERT_EQ(PvxjExecutionServiceCopy(svc, &copy), PVX_OK);
  EXPECT_NE(copy, svc);
  EXPECT_EQ(PvxjExecutionServiceEqual(svc, copy), 1);
  EXPECT_EQ(PvxjExecutionServiceEqual(svc, other), 0);
  ASSERT_EQ(PvxjExecutionServiceLogoff(copy), PVX_OK);
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 0);
  EXPECT_EQ(PvxjServiceIsLoggedOn(other), 1);
}

TEST_F(LogonTest, ForcedLogoffOfOthersNeedsAnAdministrator) {
  PvxjExecutionService victim = Logon("USER2", "pw2");
  PvxjExecutionService user = Logon("USER1", "pw1");
  PvxjExecutionService admin = Logon("ADMIN", "password");
  EXPECT_EQ(PvxjExecutionServiceForceLogoff(user, "USER2"), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjServiceIsLoggedOn(victim), 1);
  EXPECT_EQ(PvxjExecutionServiceForceLogoff(admin, "GHOST"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjExecutionServiceForceLogoff(admin, nullptr), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjExecutionServiceForceLogoff(admin, "user2"), PVX_OK);
  EXPECT_EQ(PvxjServiceIsLoggedOn(victim), 0);
  EXPECT_EQ(PvxjServiceSetPassword(victim, "x"), PVX_ERROR_NOT_LOGGED_ON);
  // A user may end their own sessions, including the calling one.
  EXPECT_EQ(PvxjExecutionServiceForceLogoff(user, "USER1"), PVX_OK);
  EXPECT_EQ(PvxjServiceIsLoggedOn(user), 0);
}

TEST_F(LogonTest, AbsenceIsSetBySelfManagerOrAdministratorAndResetAtLogon) {
  PvxjExecutionService clerk = Logon("USER2", "pw2");
  PvxjExecutionService manager = Logon("USER1", "pw1");
  EXPECT_EQ(PvxjExecutionServiceSetPersonAbsent(clerk, "USER3", 1), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjExecutionServiceSetPersonAbsent(clerk, "GHOST", 1), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjExecutionServiceSetPersonAbsent(manager, "USER3", 1), PVX_OK);
  EXPECT_TRUE(Absent("USER3"));
  EXPECT_EQ(PvxjExecutionServiceSetPersonAbsent(clerk, nullptr, 1), PVX_OK);
  EXPECT_TRUE(Absent("USER2"));
  PvxjExecutionService again = Fresh();
  ASSERT_EQ(LogonRc(again, "USER3", "pw3", Pvx_SM_Default, Pvx_SA_Leave), PVX_OK);
  EXPECT_TRUE(Absent("USER3"));
  PvxjExecutionServiceLogoff(again);
  ASSERT_EQ(LogonRc(again, "USER3", "pw3", Pvx_SM_Default, Pvx_SA_Reset), PVX_OK);
  EXPECT_FALSE(Absent("USER3"));
}

TEST_F(LogonTest, TimeoutAndReconnectCountBelongToEachService) {
  PvxjExecutionService a = Fresh(), b = Fresh();
  PvxjServiceSetTimeout(a, 1234);
  PvxjServiceSetReconnectCount(a, 9);
  EXPECT_EQ(PvxjServiceTimeout(a), 1234);
  EXPECT_EQ(PvxjServiceReconnectCount(a), 9);
  EXPECT_NE(PvxjServiceTimeout(b), 1234);
  EXPECT_NE(PvxjServiceReconnectCount(b), 9);
}

TEST_F(LogonTest, ServiceForAnotherSystemCannotLogOn) {
  char buf[64];
  PvxjExecutionService def = Fresh();
  EXPECT_STREQ(PvxjServiceSystemName(def, buf, sizeof buf), "PVXSYS");
  EXPECT_STREQ(PvxjServiceSystemGroupName(def, buf, sizeof buf), "PVXGRP");
  PvxjExecutionService other = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocateForSystem("ELSEWHERE", nullptr, &other), PVX_OK);
  EXPECT_STREQ(PvxjServiceSystemName(other, buf, sizeof buf), "ELSEWHERE");
  EXPECT_EQ(LogonRc(other, "USER1", "pw1"), PVX_ERROR_COMMUNICATION);
  PvxjExecutionService group = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocateForGroup("pvxgrp", &group), PVX_OK);
  EXPECT_EQ(LogonRc(group, "USER1", "pw1"), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceAllocate(nullptr), PVX_ERROR_INVALID_RESULT_HANDLE);
}

TEST_F(LogonTest, UserSettingsAndPersistentPersonNameTheUser) {
  PvxjExecutionService svc = Logon("USER4", "pw4");
  PvxjPerson me = 0;
  ASSERT_EQ(PvxjServiceUserSettings(svc, &me), PVX_OK);
  EXPECT_NE(me, nullptr);
  EXPECT_NE(PvxjExecutionServicePersistentPerson(svc, nullptr), nullptr);
  EXPECT_NE(PvxjExecutionServicePersistentPerson(svc, "admin"), nullptr);
  EXPECT_EQ(PvxjExecutionServicePersistentPerson(svc, "GHOST"), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjPersonDeallocate(&me), PVX_OK);
}

TEST_F(LogonTest, AgentStartsOncePerUserAndOnlyAdministratorsStopOthers) {
  PvxjExecutionService user1 = Logon("USER1", "pw1");
  PvxjExecutionService user2 = Logon("USER2", "pw2");
  PvxjExecutionService admin = Logon("ADMIN", "password");
  EXPECT_EQ(PvxjExecutionServicePEAShutDown(user1), PVX_ERROR_PEA_NOT_RUNNING);
  ASSERT_EQ(PvxjExecutionServicePEAStartUp(user1), PVX_OK);
  EXPECT_EQ(PvxjExecutionServicePEAStartUp(user1), PVX_ERROR_ALREADY_STARTED);
  EXPECT_EQ(PvxjExecutionServiceForcePEAShutDown(user2, "USER1"), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(PvxjExecutionServiceForcePEAShutDown(admin, "GHOST"), PVX_ERROR_USERID_UNKNOWN);
  EXPECT_EQ(PvxjExecutionServiceForcePEAShutDown(admin, "USER1"), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceForcePEAShutDown(admin, "USER1"), PVX_ERROR_PEA_NOT_RUNNING);
  ASSERT_EQ(PvxjExecutionServicePEAStartUp(user1), PVX_OK);
  EXPECT_EQ(PvxjExecutionServicePEAShutDown(user1), PVX_OK);
}

TEST_F(LogonTest, PassthroughTakesOverTheSessionOfAProgramExecution) {
  PvxjExecutionService user = Logon("USER2", "pw2");
  std::string program_id;
  {
    WriteTx tx(store());
    Stmt q(store().db(), "SELECT id FROM sessions ORDER BY id DESC LIMIT 1");
    q.Step();
    program_id = RecordProgramExecution(store(), PersonIdOf(store(), "USER2"), q.Int(0), std::nullopt);
    tx.Commit();
  }
  PvxjExecutionService program = 0;
  ASSERT_EQ(PvxjExecutionServiceAllocate(&program), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(program, program_id.c_str()),
            PVX_ERROR_PEA_NOT_RUNNING);
  ASSERT_EQ(PvxjExecutionServicePEAStartUp(user), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(program, "PX999"),
            PVX_ERROR_INVALID_PROGRAMID);
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(program, nullptr),
            PVX_ERROR_INVALID_PROGRAMID);
  ::unsetenv(kProgramIdVariable);
  EXPECT_EQ(PvxjExecutionServicePassthrough(program), PVX_ERROR_INVALID_PROGRAMID);
  ::setenv(kProgramIdVariable, program_id.c_str(), 1);
  EXPECT_EQ(PvxjExecutionServicePassthrough(program), PVX_OK);
  ::unsetenv(kProgramIdVariable);
  EXPECT_EQ(UserOf(program), "USER2");
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(program, program_id.c_str()),
            PVX_ERROR_ALREADY_LOGGED_ON);
  // Once the user's session has ended there is nothing to take over.
  PvxjExecutionServiceLogoff(user);
  PvxjExecutionService late = 0;
  PvxjExecutionServiceAllocate(&late);
  EXPECT_EQ(PvxjExecutionServiceRemotePassthrough(late, program_id.c_str()),
            PVX_ERROR_INVALID_SESSION);
}

class ReceiveTest : public LogonTest {
 protected:
  int64_t Session(PvxjExecutionService svc) {
    char sid[64];
    PvxjExecutionServiceSessionID(svc, sid, sizeof sid);
    return ParseSessionId(sid);
  }
  void Post(PvxjExecutionService svc, const CorrelId& id, int32_t kind) {
    WriteTx tx(store());
    PostReply(store(), Session(svc), id, kind, std::string("ctx"), "WI000000000001");
    tx.Commit();
  }
};

TEST_F(ReceiveTest, NothingPendingTimesOutWithoutWaitingLong) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjExecutionData data = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, nullptr, &data, 50), PVX_ERROR_TIMEOUT);
  EXPECT_EQ(data, nullptr);
  // A day-long timeout is capped.
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, nullptr, &data, 86400000), PVX_ERROR_TIMEOUT);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(50));
  EXPECT_LT(waited, std::chrono::milliseconds(kMaxReceiveWaitMs + 1500));
}

TEST_F(ReceiveTest, RepliesAreTakenOnceAndByCorrelationIdentifier) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjExecutionService other = Logon("USER2", "pw2");
  CorrelId a = MakeCorrelId(1), b = MakeCorrelId(2);
  Post(svc, a, 1002);
  Post(svc, b, 1002);
  PvxjExecutionData data = 0;
  // Another session's queue is its own.
  EXPECT_EQ(PvxjExecutionServiceReceive(other, nullptr, &data, 0), PVX_ERROR_TIMEOUT);
  unsigned char want[PVXJ_CORREL_ID_LENGTH];
  std::memcpy(want, b.data(), b.size());
  ASSERT_EQ(PvxjExecutionServiceReceive(svc, want, &data, 0), PVX_OK);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, want, &data, 0), PVX_ERROR_TIMEOUT);
  unsigned char any[PVXJ_CORREL_ID_LENGTH] = {};
  ASSERT_EQ(PvxjExecutionServiceReceive(svc, any, &data, 0), PVX_OK);
  EXPECT_EQ(std::memcmp(any, a.data(), a.size()), 0);  // filled in with what came
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, any, &data, 0), PVX_ERROR_TIMEOUT);
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, nullptr, nullptr, 0),
            PVX_ERROR_INVALID_RESULT_HANDLE);
  EXPECT_EQ(PvxjExecutionDataDeallocate(&data), PVX_OK);
}

TEST_F(ReceiveTest, TerminateReceiveEndsAWaitForAnyRequest) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  ASSERT_EQ(PvxjExecutionServiceTerminateReceive(svc, nullptr), PVX_OK);
  CorrelId c = MakeCorrelId(7);
  unsigned char want[PVXJ_CORREL_ID_LENGTH];
  std::memcpy(want, c.data(), c.size());
  PvxjExecutionData data = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(PvxjExecutionServiceReceive(svc, want, &data, 1000), PVX_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_NE(data, nullptr);
}

}  // namespace
}  // namespace pvxjsim
