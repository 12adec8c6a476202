// Program templates, their implementations and options, their stream form,
// running them directly and the replies of asynchronous runs.
#include <cstring>
#include <string>
#include <vector>

#include "agent.h"
#include "client.h"
#include "container.h"
#include "seed.h"
#include "program_data.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class ProgramTemplateTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    svc_ = Logon("USER2", "pw2");
    PvxjProcessTemplateVector v = 0;
    ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'CreditRequest'", nullptr, nullptr, &v),
              PVX_OK);
    credit_ = PvxjProcessTemplateVectorFirstElement(v);
    PvxjProcessTemplateVectorDeallocate(&v);
    ASSERT_EQ(PvxjProcessTemplateProgramTemplate(credit_, "AssessRisk", &assess_), PVX_OK);
  }
  template <class H>
  std::string Text(char* (*fn)(H, char*, uint32_t), H h) {
    char buf[256];
    const char* t = fn(h, buf, sizeof buf);
    return t ? t : "(null)";
  }
  Record RecordOf(HandleRef h, Cls cls) {
    auto* o = Client::Get().handles.Get<RecordObject>(h, cls);
    return o ? o->record : Record{};
  }

  PvxjExecutionService svc_ = 0;
  PvxjProcessTemplate credit_ = 0;
  PvxjProgramTemplate assess_ = 0;
};

TEST_F(ProgramTemplateTest, GettersReadTheProgramsDefinition) {
  EXPECT_EQ(Text(PvxjProgramTemplateDescription, assess_), "Scores a request; runs without a person");
  EXPECT_EQ(Text(PvxjProgramTemplateIcon, assess_), "(null)");
  EXPECT_EQ(PvxjProgramTemplateIsUnattended(assess_), 1);
  EXPECT_EQ(PvxjProgramTemplateInContainerAccess(assess_), 1);
  EXPECT_EQ(PvxjProgramTemplateStructuresFromActivity(assess_), 0);
  EXPECT_EQ(PvxjProgramTemplateExecutionMode(assess_), Pvx_GM_Normal);
  PvxjDateTime from = PvxjProgramTemplateValidFromTime(assess_);
  EXPECT_EQ(from.year, 2024);
  EXPECT_EQ(from.month, 1);
  // A short buffer is cut, never overrun.
  char small[6];
  EXPECT_STREQ(PvxjProgramTemplateDescription(assess_, small, sizeof small), "Score");
  // A program template is no program data (a C caller's cast).
  EXPECT_EQ(PvxjProgramDataIsUnattended(ToHandle<PvxjProgramData>(HandleRef(assess_).value())), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(ProgramTemplateTest, ImplementationsAndTheirOptions) {
  PvxjImplementationDataVector v = 0;
  ASSERT_EQ(PvxjProgramTemplateImplementations(assess_, &v), PVX_OK);
  ASSERT_EQ(PvxjImplementationDataVectorSize(v), 2u);
  PvxjImplementationData exe = PvxjImplementationDataVectorFirstElement(v);
  PvxjImplementationData dll = PvxjImplementationDataVectorNextElement(v);
  EXPECT_FALSE(PvxjImplementationDataVectorNextElement(v));
  EXPECT_EQ(PvxjImplementationDataPlatform(exe), Pvx_DP_WindowsNT);  // ordered by platform
  EXPECT_EQ(PvxjImplementationDataKind(exe), Pvx_DT_DLL);
  std::swap(exe, dll);
  EXPECT_EQ(PvxjImplementationDataPlatform(exe), Pvx_DP_Solaris);
  EXPECT_EQ(Text(PvxjImplementationDataCommandLineParameters, exe), "--score");

  PvxjExeOptions eo = 0;
  PvxjDllOptions wrong = 0, d = 0;
  ASSERT_EQ(PvxjImplementationDataExeOptions(exe, &eo), PVX_OK);
  EXPECT_EQ(PvxjImplementationDataDllOptions(exe, &wrong), PVX_ERROR_INVALID_IMPLEMENTATION_TYPE);
  EXPECT_FALSE(wrong);
  EXPECT_EQ(Text(PvxjExeOptionsPathAndFileName, eo), "/opt/credit/assess_risk");
  EXPECT_EQ(PvxjExeOptionsWindowStyle(eo), Pvx_EO_Invisible);
  EXPECT_EQ(PvxjExeOptionsWindowStyleIsNull(eo), 0);
  EXPECT_EQ(PvxjExeOptionsEnvironmentIsNull(eo), 1);
  EXPECT_EQ(PvxjExeOptionsInheritEnvironment(eo), 1);  // not set: the agent passes its own on
  ASSERT_EQ(PvxjImplementationDataDllOptions(dll, &d), PVX_OK);
  EXPECT_EQ(Text(PvxjDllOptionsEntryPointName, d), "AssessRisk");
  EXPECT_EQ(PvxjDllOptionsExecuteFenced(d), 1);
  EXPECT_EQ(PvxjDllOptionsKeepLoadedIsNull(d), 1);
  // Options belong to their own class (a C caller's cast).
  EXPECT_EQ(PvxjExeOptionsRunInXTerm(ToHandle<PvxjExeOptions>(HandleRef(d).value())), 0);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjImplementationDataVectorDeallocate(&v), PVX_OK);
  // The elements outlive their vector.
  EXPECT_EQ(PvxjImplementationDataPlatform(dll), Pvx_DP_WindowsNT);
}

TEST_F(ProgramTemplateTest, StreamRoundTripsAndNeedsItsWholeLength) {
  uint32_t length = PvxjProgramTemplateStreamLength(assess_);
  ASSERT_GT(length, 0u);
  std::vector<unsigned char> bytes(length);
  EXPECT_EQ(PvxjProgramTemplateAsStream(assess_, bytes.data(), length - 1), PVX_ERROR_BUFFER);
  EXPECT_EQ(PvxjProgramTemplateAsStream(assess_, nullptr, 0), PVX_ERROR_BUFFER);
  ASSERT_EQ(PvxjProgramTemplateAsStream(assess_, bytes.data(), length), PVX_OK);
  PvxjProgramTemplate back = PvxjExecutionServiceProgramTemplateFromStream(svc_, bytes.data(), length);
  ASSERT_TRUE(back);
  EXPECT_EQ(PvxjProgramTemplateEqual(back, assess_), 1);
  PvxjProgramTemplate copy = 0;
  ASSERT_EQ(PvxjProgramTemplateCopy(back, &copy), PVX_OK);
  EXPECT_EQ(PvxjProgramTemplateEqual(copy, assess_), 1);
  // What came back runs like the original: it knows its session.
  EXPECT_EQ(PvxjProgramTemplateExecute(copy, 0, 0), PVX_OK);
}

TEST_F(ProgramTemplateTest, ExecuteSetsTheProgramsOutputOnTheOutputContainer) {
  PvxjReadWriteContainer in = 0, out = 0;
  ASSERT_EQ(PvxjProgramTemplateInitialInContainer(assess_, &in), PVX_OK);
  ASSERT_EQ(PvxjProgramTemplateInitialOutContainer(assess_, &out), PVX_OK);
  ASSERT_EQ(PvxjProgramTemplateExecuteWithOptions(assess_, 3, in, out), PVX_OK);
  EXPECT_EQ(GetMember(RecordOf(out, Cls::ReadWriteContainer), "Comments[1]"), FieldValue(std::string("scored")));
  // The input is left alone.
  EXPECT_EQ(GetMember(RecordOf(in, Cls::ReadWriteContainer), "Comments[1]"), FieldValue(std::string()));
  // A container of another structure is refused before anything runs.
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'TravelRequest'", nullptr, nullptr, &v),
            PVX_OK);
  PvxjProcessTemplate travel = PvxjProcessTemplateVectorFirstElement(v);
  PvxjReadWriteContainer other = 0;
  ASSERT_EQ(PvxjProcessTemplateInitialInContainer(travel, &other), PVX_OK);
  EXPECT_EQ(PvxjProgramTemplateExecute(assess_, other, 0), PVX_ERROR_INVALID_CONTAINER);
  EXPECT_EQ(PvxjProgramTemplateExecute(assess_, 0, other), PVX_ERROR_INVALID_CONTAINER);
  PvxjProcessTemplateVectorDeallocate(&v);
  // Without a session there is nobody to run it for.
  ASSERT_EQ(PvxjExecutionServiceLogoff(svc_), PVX_OK);
  EXPECT_EQ(PvxjProgramTemplateExecute(assess_, 0, 0), PVX_ERROR_NOT_LOGGED_ON);
}

TEST_F(ProgramTemplateTest, AsyncRunsLeaveTheOutputOrTheErrorAsReply) {
  unsigned char ok_id[PVXJ_CORREL_ID_LENGTH] = {0}, bad_id[PVXJ_CORREL_ID_LENGTH] = {0};
  ASSERT_EQ(PvxjProgramTemplateExecuteAsync(assess_, 0, 0, ok_id, "ctx"), PVX_OK);
  PvxjProgramTemplate collect = 0;
  ASSERT_EQ(PvxjProcessTemplateProgramTemplate(credit_, "CollectData", &collect), PVX_OK);
  // Its executable cannot be started: the error comes as the reply.
  ASSERT_EQ(PvxjProgramTemplateExecuteWithOptionsAsync(collect, 1, 0, 0, bad_id, nullptr), PVX_OK);
  EXPECT_NE(std::memcmp(ok_id, bad_id, sizeof ok_id), 0);
  EXPECT_EQ(std::memcmp(ok_id + 12, "PX", 2), 0);

  PvxjExecutionData bad = 0, ok = 0;
  ASSERT_EQ(PvxjExecutionServiceReceive(svc_, bad_id, &bad, 0), PVX_OK);
  EXPECT_EQ(PvxjExecutionDataKind(bad), Pvx_DART_Error);
  EXPECT_EQ(PvxjExecutionDataIsError(bad), 1);
  EXPECT_EQ(PvxjExecutionDataUserContextIsNull(bad), 1);
  PvxjError err = PvxjExecutionDataErrorFromData(bad);
  ASSERT_TRUE(err);
  EXPECT_EQ(PvxjErrorRc(err), PVX_ERROR_PROGRAM_EXECUTION);
  EXPECT_FALSE(PvxjExecutionDataReadOnlyContainerFromData(bad));
  EXPECT_EQ(LastResultCode(), PVX_ERROR_WRONG_KIND);

  ASSERT_EQ(PvxjExecutionServiceReceive(svc_, ok_id, &ok, 0), PVX_OK);
  EXPECT_EQ(PvxjExecutionDataKind(ok), Pvx_DART_ExecuteInstanceResponse);
  EXPECT_EQ(Text(PvxjExecutionDataUserContext, ok), "ctx");
  EXPECT_EQ(Text(PvxjExecutionDataPersistentOid, ok).substr(0, 2), "PX");
  PvxjReadOnlyContainer out = PvxjExecutionDataReadOnlyContainerFromData(ok);
  ASSERT_TRUE(out);
  EXPECT_EQ(GetMember(RecordOf(out, Cls::ReadOnlyContainer), "Comments[1]"), FieldValue(std::string("scored")));
  EXPECT_FALSE(PvxjExecutionDataWorkitemFromData(ok));
  EXPECT_FALSE(PvxjExecutionDataErrorFromData(ok));
  PvxjExecutionData copy = 0;
  ASSERT_EQ(PvxjExecutionDataCopy(ok, &copy), PVX_OK);
  EXPECT_EQ(PvxjExecutionDataKind(copy), Pvx_DART_ExecuteInstanceResponse);
}

TEST_F(ProgramTemplateTest, ReplyKindsOfInstancesAndTermination) {
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'CreditCheck'", nullptr, nullptr, &v),
            PVX_OK);
  PvxjProcessTemplate check = PvxjProcessTemplateVectorFirstElement(v);
  PvxjProcessTemplateVectorDeallocate(&v);
  ASSERT_EQ(PvxjProcessTemplateExecuteProcessInstanceAsync(check, "R1", nullptr, nullptr, 0, 1, nullptr, nullptr),
            PVX_OK);
  ASSERT_EQ(PvxjExecutionServiceTerminateReceive(svc_, nullptr), PVX_OK);
  PvxjExecutionData first = 0, second = 0;
  // In order: the instance's reply, then the termination.
  ASSERT_EQ(PvxjExecutionServiceReceive(svc_, nullptr, &first, 0), PVX_OK);
  ASSERT_EQ(PvxjExecutionServiceReceive(svc_, nullptr, &second, 0), PVX_OK);
  EXPECT_EQ(PvxjExecutionDataKind(first), Pvx_DART_ExecuteInstanceResponse);
  EXPECT_TRUE(PvxjExecutionDataProcessInstanceFromData(first));
  EXPECT_TRUE(PvxjExecutionDataReadOnlyContainerFromData(first));
  EXPECT_EQ(PvxjExecutionDataKind(second), Pvx_DART_Terminate);
  EXPECT_EQ(PvxjExecutionDataIsError(second), 0);
  char buf[64];
  EXPECT_EQ(PvxjExecutionDataPersistentOid(second, buf, sizeof buf), nullptr);
  EXPECT_FALSE(PvxjExecutionDataProcessInstanceFromData(second));
}

TEST_F(ProgramTemplateTest, ProgramDataGettersAndContainers) {
  // Program data as a check-out hands it out: common data, the implementation
  // asked for, and the activity's containers with their values.
  ProgramData d;
  ASSERT_EQ(ReadProgramTemplate(store(), "AssessRisk", &d), PVX_OK);
  d.implementations.resize(1);
  d.in.kind = RecordKind::kReadOnlyContainer;
  d.in.fields.push_back({"Amount", 12000.0});
  PvxjProgramData data = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    auto obj = std::make_unique<RecordObject>();
    obj->record = ProgramDataRecord(d);
    ASSERT_EQ(AddHandle(Cls::ProgramData, std::move(obj), &data), PVX_OK);
  }
  EXPECT_EQ(Text(PvxjProgramDataDescription, data), "Scores a request; runs without a person");
  EXPECT_EQ(PvxjProgramDataDescriptionIsNull(data), 0);
  EXPECT_EQ(PvxjProgramDataIsUnattended(data), 1);
  // The template's functions take program data too.
  EXPECT_EQ(PvxjProgramTemplateExecutionMode(data), Pvx_GM_Normal);
  EXPECT_EQ(PvxjProgramTemplateExecutionUser(data), Pvx_GU_Agent);
  EXPECT_EQ(PvxjProgramTemplateProgramTrusted(data), 0);
  PvxjImplementationDataVector v = 0;
  ASSERT_EQ(PvxjProgramDataImplementations(data, &v), PVX_OK);
  EXPECT_EQ(PvxjImplementationDataVectorSize(v), 1u);
  PvxjReadOnlyContainer in = 0;
  PvxjReadWriteContainer out = 0;
  ASSERT_EQ(PvxjProgramDataInContainer(data, &in), PVX_OK);
  ASSERT_EQ(PvxjProgramDataOutContainer(data, &out), PVX_OK);
  EXPECT_EQ(GetMember(RecordOf(in, Cls::ReadOnlyContainer), "Amount"), FieldValue(12000.0));
  EXPECT_EQ(RecordOf(out, Cls::ReadWriteContainer).type_name, "CreditData");
  // The stream form rebuilds equal program data.
  uint32_t length = PvxjProgramDataStreamLength(data);
  std::vector<unsigned char> bytes(length);
  ASSERT_EQ(PvxjProgramDataAsStream(data, bytes.data(), length), PVX_OK);
  PvxjProgramData back = PvxjExecutionServiceProgramDataFromStream(svc_, bytes.data(), length);
  ASSERT_TRUE(back);
  EXPECT_EQ(PvxjProgramDataEqual(back, data), 1);
  PvxjProgramData copy = 0;
  ASSERT_EQ(PvxjProgramDataCopy(data, &copy), PVX_OK);
  EXPECT_EQ(PvxjProgramDataEqual(copy, back), 1);
  // Program data is no program template.
  EXPECT_EQ(PvxjProgramTemplateStreamLength(data), 0u);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(ProgramTemplateTest, ExternalOptionsAndContainerAccessComeFromTheDefinition) {
  {
    std::string error;
    WriteTx tx(store());
    ASSERT_TRUE(LoadSystemDefinition(store(), R"({
      "programs": [ { "name": "Remote",
        "implementations": [ { "platform": "Vantor", "kind": "external", "serviceName": "SVC1",
          "serviceType": "CICS", "invocationType": "EXCI", "executableName": "REMPROG",
          "timeoutPeriod": "TimeInterval", "timeoutInterval": 45, "mappingType": "XML",
          "forwardMappingFormat": "fmt1", "codePage": 1208, "mappingRoutineCall": true } ],
        "structuresFromActivity": true, "inContainerAccess": true } ],
      "processTemplates": [ { "name": "RemoteRun",
        "activities": [ { "name": "Call", "program": "Remote", "staff": { "persons": ["USER2"] } } ] } ] })",
                                     &error))
        << error;
    tx.Commit();
  }
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc_, "NAME = 'RemoteRun'", nullptr, nullptr, &v), PVX_OK);
  PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v);
  PvxjProgramTemplate remote = 0;
  ASSERT_EQ(PvxjProcessTemplateProgramTemplate(t, "Remote", &remote), PVX_OK);
  // As the definition sets them; left out, read from the structures.
  EXPECT_EQ(PvxjProgramTemplateStructuresFromActivity(remote), 1);
  EXPECT_EQ(PvxjProgramTemplateInContainerAccess(remote), 1);
  EXPECT_EQ(PvxjProgramTemplateOutContainerAccess(remote), 0);
  PvxjReadWriteContainer none = 0;
  EXPECT_EQ(PvxjProgramTemplateInitialInContainer(remote, &none), PVX_ERROR_INVALID_CONTAINER);
  PvxjImplementationDataVector impls = 0;
  ASSERT_EQ(PvxjProgramTemplateImplementations(remote, &impls), PVX_OK);
  PvxjImplementationData impl = PvxjImplementationDataVectorFirstElement(impls);
  EXPECT_EQ(PvxjImplementationDataKind(impl), Pvx_DT_External);
  PvxjExternalOptions x = 0;
  ASSERT_EQ(PvxjImplementationDataExternalOptions(impl, &x), PVX_OK);
  EXPECT_EQ(Text(PvxjExternalOptionsServiceName, x), "SVC1");
  EXPECT_EQ(Text(PvxjExternalOptionsServiceType, x), "CICS");
  EXPECT_EQ(Text(PvxjExternalOptionsInvocationType, x), "EXCI");
  EXPECT_EQ(Text(PvxjExternalOptionsExecutableName, x), "REMPROG");
  EXPECT_EQ(PvxjExternalOptionsTimeoutPeriod(x), Pvx_EX_TimeInterval);
  EXPECT_EQ(PvxjExternalOptionsTimeoutInterval(x), 45);
  EXPECT_EQ(PvxjExternalOptionsTimeoutIntervalIsNull(x), 0);
  EXPECT_EQ(Text(PvxjExternalOptionsMappingType, x), "XML");
  EXPECT_EQ(Text(PvxjExternalOptionsForwardMappingFormat, x), "fmt1");
  EXPECT_EQ(PvxjExternalOptionsForwardMappingParametersIsNull(x), 1);
  EXPECT_EQ(Text(PvxjExternalOptionsBackwardMappingFormat, x), "(null)");
  EXPECT_EQ(PvxjExternalOptionsCodePage(x), 1208);
  EXPECT_EQ(PvxjExternalOptionsCodePageIsNull(x), 0);
  EXPECT_EQ(PvxjExternalOptionsIsMappingRoutineCall(x), 1);
  EXPECT_EQ(PvxjExternalOptionsIsLocalUser(x), 0);
  // Nothing runs here: there is no EXE implementation for this platform.
  EXPECT_EQ(PvxjProgramTemplateExecute(remote, 0, 0), PVX_ERROR_NO_PROGRAM_FOR_PLATFORM);
}

TEST_F(ProgramTemplateTest, OnlyExternalImplementationsTakeMappingOptions) {
  std::string error;
  WriteTx tx(store());
  EXPECT_FALSE(LoadSystemDefinition(store(), R"({ "programs": [ { "name": "P",
    "implementations": [ { "platform": "Solaris", "kind": "exe", "path": "/bin/true",
      "codePage": 1208 } ] } ] })",
                                    &error));
  EXPECT_NE(error.find("codePage: only an external implementation has it"), std::string::npos) << error;
}

}  // namespace
}  // namespace pvxjsim
