// String and integer vectors, and the PEA functions inside and outside a
// program started by the agent.
#include <cstdlib>

#include "agent.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

TEST(StringVectorTest, WalkAddRemoveAndFree) {
  PvxjStringVector v = 0;
  ASSERT_EQ(PvxjStringVectorAllocate(&v), PVX_OK);
  char buf[8];
  EXPECT_EQ(PvxjStringVectorFirstElement(v, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NO_MORE_DATA);
  for (const char* s : {"one", "two", "three", "two"}) ASSERT_EQ(PvxjStringVectorAddElement(v, s), PVX_OK);
  EXPECT_EQ(PvxjStringVectorAddElement(v, nullptr), PVX_ERROR_FORMAT);
  EXPECT_EQ(PvxjStringVectorSize(v), 4u);
  EXPECT_STREQ(PvxjStringVectorFirstElement(v, buf, sizeof buf), "one");
  // Removing an element behind the walk keeps it on the element it would give next.
  EXPECT_EQ(PvxjStringVectorRemoveElement(v, "one"), PVX_OK);
  EXPECT_STREQ(PvxjStringVectorNextElement(v, buf, sizeof buf), "two");
  EXPECT_EQ(PvxjStringVectorRemoveElement(v, "two"), PVX_OK);  // the first of the two
  EXPECT_STREQ(PvxjStringVectorNextElement(v, buf, sizeof buf), "three");
  EXPECT_STREQ(PvxjStringVectorNextElement(v, buf, 3), "tw");
  EXPECT_EQ(PvxjStringVectorNextElement(v, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjStringVectorRemoveElement(v, "one"), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjStringVectorResultParmSize(v), 2u);
  EXPECT_EQ(PvxjStringVectorResultParmDeallocate(&v), PVX_OK);
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(PvxjStringVectorSize(v), 0u);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjStringVectorAllocate(nullptr), PVX_ERROR_INVALID_RESULT_HANDLE);
}

TEST(IntVectorTest, WalkAddRemoveAndFree) {
  PvxjIntVector v = 0;
  ASSERT_EQ(PvxjIntVectorAllocate(&v), PVX_OK);
  for (int32_t n : {5, -3, INT32_MIN}) ASSERT_EQ(PvxjIntVectorAddElement(v, n), PVX_OK);
  EXPECT_EQ(PvxjIntVectorSize(v), 3u);
  EXPECT_EQ(PvxjIntVectorFirstElement(v), 5);
  EXPECT_EQ(PvxjIntVectorNextElement(v), -3);
  EXPECT_EQ(PvxjIntVectorRemoveElement(v, 7), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(PvxjIntVectorRemoveElement(v, -3), PVX_OK);
  EXPECT_EQ(PvxjIntVectorNextElement(v), INT32_MIN);
  EXPECT_EQ(PvxjIntVectorNextElement(v), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NO_MORE_DATA);
  // A string vector handle is no integer vector.
  PvxjStringVector s = 0;
  ASSERT_EQ(PvxjStringVectorAllocate(&s), PVX_OK);
  EXPECT_EQ(PvxjIntVectorAddElement(HandleRef(s), 1), PVX_ERROR_INVALID_HANDLE);  // cast as C could
  EXPECT_EQ(PvxjIntVectorDeallocate(&v), PVX_OK);
  EXPECT_EQ(PvxjStringVectorDeallocate(&s), PVX_OK);
}

class PeaTest : public ClientTest {
 protected:
  void TearDown() override {
    for (const char* n : {kProgramIdVariable, "PVXJSIM_PEA_USER", "PVXJSIM_PROCESS_CONTEXT", "PVXJSIM_ACTIVITY_OID"})
      ::unsetenv(n);
    ClientTest::TearDown();
  }
  std::string Text(char* got) { return got ? got : "(null)"; }
};

TEST_F(PeaTest, OutsideAProgramThereIsNoText) {
  char buf[64];
  EXPECT_EQ(PvxjPEAProgramID(buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjPEAUserID(buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjPEAPersistentOidOfActivityInstance(buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjPEAProcessContextIsNull(), 1);
  EXPECT_EQ(PvxjPEARemoteUserID("PX0000000001", buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_PROGRAMID);
  EXPECT_EQ(PvxjPEARemoteUserID(nullptr, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjPEARemoteProcessContextIsNull(""), 1);
}

TEST_F(PeaTest, AStartedProgramLearnsItsExecution) {
  Logon("USER2", "pw2");
  std::string program_id;
  {
    WriteTx tx(store());
    Stmt q(store().db(), "SELECT person_id, id FROM sessions ORDER BY id DESC LIMIT 1");
    ASSERT_TRUE(q.Step());
    program_id = RecordProgramExecution(store(), q.Int(0), q.Int(1), std::nullopt);
    tx.Commit();
  }
  char buf[64];
  // Another program's execution is found in the store.
  EXPECT_EQ(Text(PvxjPEARemoteUserID(program_id.c_str(), buf, sizeof buf)), "USER2");
  EXPECT_EQ(PvxjPEARemoteProcessContextIsNull(program_id.c_str()), 1);
  // Its own: the agent's environment completes what the store knows.
  ::setenv(kProgramIdVariable, program_id.c_str(), 1);
  ::setenv("PVXJSIM_PROCESS_CONTEXT", "ctx 9", 1);
  ::setenv("PVXJSIM_ACTIVITY_OID", "AI0000000003", 1);
  EXPECT_EQ(Text(PvxjPEAProgramID(buf, sizeof buf)), program_id);
  EXPECT_EQ(Text(PvxjPEAUserID(buf, sizeof buf)), "USER2");
  EXPECT_EQ(Text(PvxjPEAProcessContext(buf, sizeof buf)), "ctx 9");
  EXPECT_EQ(PvxjPEAProcessContextIsNull(), 0);
  EXPECT_EQ(Text(PvxjPEAPersistentOidOfActivityInstance(buf, sizeof buf)), "AI0000000003");
  EXPECT_EQ(Text(PvxjPEARemoteProcessContext(program_id.c_str(), buf, sizeof buf)), "ctx 9");
  ::setenv("PVXJSIM_PEA_USER", "USER3", 1);
  EXPECT_EQ(Text(PvxjPEAUserID(buf, sizeof buf)), "USER3");
}

}  // namespace
}  // namespace pvxjsim
