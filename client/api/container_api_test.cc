// Containers through the C API: streams that round-trip and damaged streams
// refused, members not set until written, array element names, the
// predefined members and _RC, elements as snapshots.
#include <cstring>
#include <vector>

#include "container_tree.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class ContainerApiTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    svc_ = Logon("ADMIN", "password");
    PvxjProcessTemplateVector v = 0;
    ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'CreditRequest'", nullptr, nullptr, &v),
              PVX_OK);
    PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
    PvxjProcessTemplateVectorDeallocate(&v);
    ASSERT_EQ(PvxjProcessTemplateInContainer(t, &c_), PVX_OK);
    credit_ = t;
  }
  std::vector<unsigned char> Stream(PvxjContainer c) {
    std::vector<unsigned char> bytes(PvxjContainerStreamLength(c));
    EXPECT_EQ(PvxjContainerAsStream(c, bytes.data(), static_cast<uint32_t>(bytes.size())), 1);
    return bytes;
  }
  PvxjExecutionService svc_ = 0;
  PvxjReadWriteContainer c_ = 0;
  PvxjProcessTemplate credit_ = 0;
};

TEST_F(ContainerApiTest, StreamsRoundTripAndDamagedStreamsAreRefused) {
  ASSERT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Customer.Name", "Miller"), PVX_OK);
  ASSERT_EQ(PvxjReadWriteContainerSetArrayStringValue(c_, "Comments", 2, "urgent"), PVX_OK);
  std::vector<unsigned char> bytes = Stream(c_);
  // A buffer one byte short gets nothing.
  std::vector<unsigned char> small(bytes.size() - 1);
  EXPECT_EQ(PvxjContainerAsStream(c_, small.data(), static_cast<uint32_t>(small.size())), 0);

  PvxjReadOnlyContainer back =
      PvxjExecutionServiceReadOnlyContainerFromStream(svc_, bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(PvxjReadOnlyContainerEqual(back, c_), 1);
  char text[32] = {};
  EXPECT_EQ(PvxjContainerArrayStringValue(back, "Comments", 2, text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "urgent");
  PvxjReadOnlyContainerDeallocate(&back);

  // Every single flipped byte and every cut is refused, never a crash.
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::vector<unsigned char> bad = bytes;
    bad[i] ^= 0x5A;
    PvxjReadOnlyContainer c =
        PvxjExecutionServiceReadOnlyContainerFromStream(svc_, bad.data(), static_cast<uint32_t>(bad.size()));
    EXPECT_EQ(c, nullptr) << "byte " << i;
    EXPECT_NE(LastResultCode(), PVX_OK);
    EXPECT_EQ(PvxjExecutionServiceReadOnlyContainerFromStream(svc_, bytes.data(), static_cast<uint32_t>(i)), nullptr);
    EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM) << "cut at " << i;
  }
}

TEST_F(ContainerApiTest, MembersAreNotSetUntilWrittenAndArraysCountFromOne) {
  int32_t n = 7;
  EXPECT_EQ(PvxjContainerLongValue(c_, "Approved", &n), PVX_ERROR_MEMBER_NOT_SET);
  EXPECT_EQ(n, 7);
  EXPECT_EQ(PvxjContainerLongValue(c_, "Missing", &n), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(PvxjContainerLongValue(c_, "Amount", &n), PVX_ERROR_WRONG_TYPE);
  EXPECT_EQ(PvxjReadWriteContainerSetArrayStringValue(c_, "Comments", 0, "x"), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(PvxjReadWriteContainerSetArrayStringValue(c_, "Comments", 4, "x"), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(PvxjReadWriteContainerSetArrayStringValue(c_, "Comments", 3, "x"), PVX_OK);
  // The name the structure copy builds for an array element.
  uint32_t length = 0;
  EXPECT_EQ(PvxjContainerStringLength(c_, "Comments.[3]", &length), PVX_OK);
  EXPECT_EQ(length, 1u);
  // Setting NULL makes the member not set again.
  EXPECT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Comments[3]", nullptr), PVX_OK);
  EXPECT_EQ(PvxjContainerStringLength(c_, "Comments[3]", &length), PVX_ERROR_MEMBER_NOT_SET);
  // A read-only container cannot be written: C++ refuses it at compile time,
  // the client when a C caller casts one.
  PvxjReadOnlyContainer ro = PvxjReadWriteContainerAsReadOnlyContainer(c_);
  const auto cast = ToHandle<PvxjReadWriteContainer>(HandleRef(ro).value());
  EXPECT_EQ(PvxjReadWriteContainerSetLongValue(cast, "Approved", 1), PVX_ERROR_INVALID_HANDLE);
  PvxjReadOnlyContainerDeallocate(&ro);
}

TEST_F(ContainerApiTest, PredefinedMembersAndRc) {
  EXPECT_EQ(PvxjContainerLeafCount(c_), 9u);
  // Three fixed members without _RC, four of the process, eleven of the activity.
  EXPECT_EQ(PvxjContainerAllLeafCount(c_), 9u + 3 + 4 + 11);
  int32_t rc = 0;
  EXPECT_EQ(PvxjContainerLongValue(c_, "_RC", &rc), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(PvxjContainerLongValue(c_, "_ACTIVITY_INFO.Priority", &rc), PVX_ERROR_MEMBER_NOT_SET);
  EXPECT_EQ(PvxjReadWriteContainerSetStringValue(c_, "_PROCESS_MODEL", "x"), PVX_ERROR_MEMBER_CANNOT_BE_SET);
  EXPECT_EQ(PvxjReadWriteContainerSetLongValue(c_, "_ACTIVITY_INFO.Priority", 3), PVX_OK);
  PvxjContainerElement e = 0;
  ASSERT_EQ(PvxjContainerGetElement(c_, "_ACTIVITY_INFO", &e), PVX_OK);
  EXPECT_EQ(PvxjContainerElementIsStruct(e), 1);
  EXPECT_EQ(PvxjContainerElementMemberCount(e), 11u);
  PvxjContainerElementDeallocate(&e);
  EXPECT_EQ(PvxjContainerGetElement(c_, "_RC", &e), PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(PvxjContainerSetStringCcsid(c_, 819), PVX_OK);
  EXPECT_EQ(PvxjContainerSetStringCcsid(c_, 12345), PVX_ERROR_INVALID_CODE_PAGE);
}

TEST_F(ContainerApiTest, ElementsShowTheValuesOfWhenTheyWereHandedOut) {
  ASSERT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Customer.Name", "old"), PVX_OK);
  PvxjContainerElement e = 0;
  ASSERT_EQ(PvxjContainerGetElement(c_, "Customer.Name", &e), PVX_OK);
  ASSERT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Customer.Name", "new"), PVX_OK);
  char text[16] = {};
  EXPECT_EQ(PvxjContainerElementStringValue(e, text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "old");
  PvxjContainerElementDeallocate(&e);

  PvxjContainerElementVector v = PvxjContainerLeaves(c_);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(PvxjContainerElementVectorSize(v), 9u);
  PvxjContainerElement first = PvxjContainerElementVectorFirstElement(v);
  char name[64] = {};
  EXPECT_STREQ(PvxjContainerElementFullName(first, name, sizeof name), "Customer.Name");
  PvxjContainerElementDeallocate(&first);
  for (int i = 1; i < 9; ++i) {
    PvxjContainerElement x = PvxjContainerElementVectorNextElement(v);
    EXPECT_NE(x, nullptr);
    PvxjContainerElementDeallocate(&x);
  }
  EXPECT_EQ(PvxjContainerElementVectorNextElement(v), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_NO_MORE_DATA);
  PvxjContainerElementVectorDeallocate(&v);
}

TEST_F(ContainerApiTest, AProgramReadsAndWritesItsActivitysContainersByProgramIdentifier) {
  ASSERT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Customer.Name", "Miller"), PVX_OK);
  PvxjProcessInstance pi = 0;
  ASSERT_EQ(PvxjProcessTemplateCreateAndStartInstance(credit_, "P1", nullptr, nullptr, c_, 0, &pi), PVX_OK);
  int64_t ai = 0;
  {
    Stmt q(store().db(), "SELECT i.id FROM activity_instances i JOIN activities a ON a.id=i.activity_id "
                         "WHERE a.name='CollectData'");
    ASSERT_TRUE(q.Step());
    ai = q.Int(0);
    Stmt s(store().db(), "INSERT INTO program_executions(program_id, person_id, activity_instance_id, started) "
                         "VALUES('PRG1', 1, ?, '2024-01-01 00:00:00')");
    s.Bind(1, ai).Run();
  }
  PvxjReadOnlyContainer in = 0;
  EXPECT_EQ(PvxjContainerRemoteInContainer("NOPE", &in), PVX_ERROR_INVALID_PROGRAMID);
  ASSERT_EQ(PvxjContainerRemoteInContainer("PRG1", &in), PVX_OK);
  char text[64] = {};
  EXPECT_EQ(PvxjContainerStringValue(in, "Customer.Name", text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "Miller");
  // The engine filled the predefined members from the definition.
  EXPECT_EQ(PvxjContainerStringValue(in, "_ACTIVITY", text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "CollectData");
  EXPECT_EQ(PvxjContainerStringValue(in, "_PROCESS", text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "P1");
  EXPECT_EQ(PvxjContainerStringValue(in, "_PROCESS_INFO.Role", text, sizeof text), PVX_OK);
  EXPECT_STREQ(text, "Approver");
  int32_t rc = 0;
  EXPECT_EQ(PvxjContainerLongValue(in, "_RC", &rc), PVX_ERROR_MEMBER_NOT_FOUND);

  PvxjReadWriteContainer out = 0;
  ASSERT_EQ(PvxjContainerRemoteOutContainer("PRG1", &out), PVX_OK);
  EXPECT_EQ(PvxjContainerLongValue(out, "_RC", &rc), PVX_ERROR_MEMBER_NOT_SET);
  ASSERT_EQ(PvxjReadWriteContainerSetLongValue(out, "Approved", 1), PVX_OK);
  ASSERT_EQ(PvxjReadWriteContainerSetLongValue(out, "_RC", 4), PVX_OK);
  EXPECT_EQ(PvxjContainerSetRemoteOutContainer("PRG1", out), PVX_OK);
  PvxjReadWriteContainer again = 0;
  ASSERT_EQ(PvxjContainerRemoteOutContainer("PRG1", &again), PVX_OK);
  EXPECT_EQ(PvxjContainerLongValue(again, "Approved", &rc), PVX_OK);
  EXPECT_EQ(rc, 1);
  // Outside a started program there is no own execution.
  EXPECT_EQ(PvxjContainerInContainer(&in), PVX_ERROR_INVALID_PROGRAMID);
}

// A structure redefined while a container holds its values: a value of the
// member's former type is no value of it, never a fault.
TEST_F(ContainerApiTest, AValueOfAMembersFormerTypeReadsAsNotSet) {
  ASSERT_EQ(PvxjReadWriteContainerSetStringValue(c_, "Customer.Name", "Miller"), PVX_OK);
  store().Exec("UPDATE data_members SET type='LONG' WHERE name='Name'");
  int32_t n = 7;
  EXPECT_EQ(PvxjContainerLongValue(c_, "Customer.Name", &n), PVX_ERROR_MEMBER_NOT_SET);
  EXPECT_EQ(n, 7);
  uint32_t length = 0;
  EXPECT_EQ(PvxjContainerStringLength(c_, "Customer.Name", &length), PVX_ERROR_WRONG_TYPE);
}

}  // namespace
}  // namespace pvxjsim
