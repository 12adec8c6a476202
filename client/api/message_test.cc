// Messages, the thread's result object and error objects.
#include "error.h"
#include "message.h"
#include "string_vector.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

using Strings = std::vector<std::string>;

TEST(MessageTest, ParametersArePutInByPosition) {
  EXPECT_EQ(FormatMessage("%2 before %1, 100%%", {"a", "b"}), "b before a, 100%");
  EXPECT_EQ(FormatMessage("missing: %3.", {"a"}), "missing: . (a)");
  EXPECT_EQ(FormatMessage("none", {}), "none");
  EXPECT_EQ(FormatMessage("trailing %", {}), "trailing %");
  EXPECT_FALSE(ResultMessage(PVX_OK, {"x"}).has_value());
  EXPECT_EQ(*ResultMessage(PVX_ERROR_INVALID_FILTER, {"unknown column AGE"}),
            "PVX0125E The filter is not valid: unknown column AGE.");
  // A code without a text of its own still says which it was.
  EXPECT_EQ(*ResultMessage(12345, {}), "PVX9999E The function ended with return code 12345.");
}

class ResultTest : public ClientTest {
 protected:
  std::string Text(PvxjResult r, char* (*fn)(PvxjResult, char*, uint32_t)) {
    char buf[256];
    const char* got = fn(r, buf, sizeof buf);
    return got ? got : "(null)";
  }
  Strings Params(PvxjStringVector v) {
    Strings out;
    char buf[256];
    for (const char* e = PvxjStringVectorFirstResultParmElement(v, buf, sizeof buf); e;
         e = PvxjStringVectorNextResultParmElement(v, buf, sizeof buf))
      out.push_back(e);
    return out;
  }
};

TEST_F(ResultTest, EveryCallSetsTheResultAndARefusedFilterSaysWhy) {
  PvxjExecutionService svc = Logon("ADMIN", "password");
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc, "NOSUCH = 1", nullptr, nullptr, &v),
            PVX_ERROR_INVALID_FILTER);
  PvxjResult r = PvxjResultObjectOfCurrentThread();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(PvxjResultRc(r), PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(Text(r, PvxjResultOrigin), "PvxjExecutionServiceQueryProcessTemplates");
  EXPECT_NE(Text(r, PvxjResultMessageText).find("unknown column NOSUCH"), std::string::npos);
  // Reading the result (and walking its parameters) leaves it as it was.
  EXPECT_EQ(Params(PvxjResultParameters(r)).size(), 1u);
  EXPECT_EQ(PvxjResultRc(r), PVX_ERROR_INVALID_FILTER);
  // The next call's result is seen once the object is asked for again: same handle.
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 1);
  EXPECT_EQ(PvxjResultObjectOfCurrentThread(), r);
  EXPECT_EQ(PvxjResultRc(r), PVX_OK);
  EXPECT_EQ(Text(r, PvxjResultOrigin), "PvxjServiceIsLoggedOn");
  EXPECT_EQ(Text(r, PvxjResultMessageText), "(null)");
}

TEST_F(ResultTest, SetResultKeepsTheParameterOrder) {
  PvxjStringVector params = 0;
  ASSERT_EQ(PvxjStringVectorAllocate(&params), PVX_OK);
  PvxjStringVectorAddElement(params, "b");
  PvxjStringVectorAddElement(params, "a");
  PvxjResultSetResult(PVX_ERROR_DOES_NOT_EXIST, "prog.c", 7, "run", params);
  PvxjResult r = PvxjResultObjectOfCurrentThread();
  EXPECT_EQ(PvxjResultRc(r), PVX_ERROR_DOES_NOT_EXIST);
  EXPECT_EQ(Text(r, PvxjResultOrigin), "run (prog.c:7)");
  EXPECT_EQ(Params(PvxjResultParameters(r)), (Strings{"b", "a"}));
  EXPECT_EQ(Text(r, PvxjResultMessageText), "PVX0118E The object does not exist. b (a)");
  EXPECT_EQ(PvxjResultRc(r + 1), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(ResultTest, ErrorsCopyCompareAsSetsAndFree) {
  PvxjError a = 0, b = 0, copy = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    ASSERT_EQ(NewError(PVX_ERROR_INVALID_FILTER, {"x", "y"}, &a), PVX_OK);
    ASSERT_EQ(NewError(PVX_ERROR_INVALID_FILTER, {"y", "x"}, &b), PVX_OK);
  }
  EXPECT_EQ(PvxjErrorRc(a), PVX_ERROR_INVALID_FILTER);
  EXPECT_EQ(PvxjErrorEqual(a, b), 1);
  ASSERT_EQ(PvxjErrorCopy(a, &copy), PVX_OK);
  EXPECT_EQ(PvxjErrorEqual(copy, a), 1);
  char buf[128];
  EXPECT_STREQ(PvxjErrorMessageText(a, buf, sizeof buf), "PVX0125E The filter is not valid: x. (y)");
  PvxjStringVector params = PvxjErrorParameters(b);
  EXPECT_EQ(PvxjStringVectorSize(params), 2u);
  EXPECT_EQ(PvxjErrorDeallocate(&copy), PVX_OK);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(PvxjErrorRc(copy), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjErrorEqual(a, copy), 0);
}

TEST_F(ResultTest, MessageTextTakesItsParametersFromAVector) {
  PvxjStringVector params = 0;
  ASSERT_EQ(PvxjStringVectorAllocate(&params), PVX_OK);
  PvxjStringVectorAddElement(params, "CFG 1");
  char buf[64];
  EXPECT_STREQ(PvxjMessageText(PVX_ERROR_INVALID_CONFIGURATION_ID, params, buf, sizeof buf),
               "PVX1022E The configuration ID CFG 1 is not valid.");
  EXPECT_STREQ(PvxjMessageText(PVX_ERROR_NOT_LOGGED_ON, 0, buf, 12), "PVX0106E Th");
  EXPECT_EQ(PvxjMessageText(4242, 0, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_MESSAGE_CATALOG);
  EXPECT_EQ(PvxjMessageText(PVX_ERROR, params + 1, buf, sizeof buf), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(ResultTest, ConfigurationIsChosenBeforeConnecting) {
  char buf[64];
  EXPECT_EQ(PvxjGlobalConfigurationID(buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjGlobalSetConfigurationID("bad name"), PVX_ERROR_INVALID_CONFIGURATION_ID);
  EXPECT_EQ(PvxjGlobalSetConfigurationID("TEST_1"), PVX_OK);
  EXPECT_STREQ(PvxjGlobalConfigurationID(buf, sizeof buf), "TEST_1");
  EXPECT_EQ(PvxjGlobalConnect(), PVX_OK);
  EXPECT_EQ(PvxjGlobalSetConfigurationID("OTHER"), PVX_ERROR_NOT_ALLOWED);
  EXPECT_EQ(PvxjGlobalDisconnect(), PVX_OK);
  EXPECT_EQ(PvxjGlobalSetConfigurationID(nullptr), PVX_OK);
  EXPECT_EQ(PvxjGlobalConfigurationID(buf, sizeof buf), nullptr);
}

}  // namespace
}  // namespace pvxjsim
