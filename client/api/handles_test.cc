#include "handles.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace pvxjsim {
namespace {

struct Thing : Object {
  explicit Thing(int v) : value(v) {}
  int value;
};

TEST(HandleTableTest, LiveHandleFindsItsObjectOnlyUnderItsOwnClass) {
  HandleTable t;
  uint32_t h = t.Add(Cls::ProcessTemplate, std::make_unique<Thing>(7));
  ASSERT_NE(h, 0u);
  EXPECT_EQ(t.Get<Thing>(h, Cls::ProcessTemplate)->value, 7);
  EXPECT_EQ(t.ClassOf(h), Cls::ProcessTemplate);
  EXPECT_EQ(t.Find(h, Cls::ProcessInstance), nullptr);
  EXPECT_FALSE(t.Remove(h, Cls::ProcessInstance));
  EXPECT_NE(t.Find(h, Cls::ProcessTemplate), nullptr);  // wrong-class remove did nothing
}

TEST(HandleTableTest, ZeroUnknownAndForgedHandlesAreRefused) {
  HandleTable t;
  uint32_t h = t.Add(Cls::Item, std::make_unique<Thing>(1));
  EXPECT_EQ(t.Find(0, Cls::Item), nullptr);
  EXPECT_EQ(t.ClassOf(0), Cls::kNone);
  EXPECT_EQ(t.Find(h + 1, Cls::Item), nullptr);         // slot never issued
  EXPECT_EQ(t.Find(h ^ (1u << 16), Cls::Item), nullptr);  // other generation
  EXPECT_EQ(t.Find(0xFFFFFFFFu, Cls::Item), nullptr);
  EXPECT_EQ(t.ClassOf(0xFFFFFFFFu), Cls::kNone);  // tag beyond the classes
}

TEST(HandleTableTest, FreedHandleStaysInvalidAfterItsSlotIsReused) {
  HandleTable t;
  uint32_t first = t.Add(Cls::Worklist, std::make_unique<Thing>(1));
  ASSERT_TRUE(t.Remove(first, Cls::Worklist));
  EXPECT_EQ(t.Find(first, Cls::Worklist), nullptr);
  EXPECT_FALSE(t.Remove(first, Cls::Worklist));  // double free refused
  uint32_t second = t.Add(Cls::Worklist, std::make_unique<Thing>(2));
  EXPECT_NE(second, first);
  EXPECT_EQ(second & 0xFFFFu, first & 0xFFFFu);  // same slot, new generation
  EXPECT_EQ(t.Find(first, Cls::Worklist), nullptr);
  EXPECT_EQ(t.Get<Thing>(second, Cls::Worklist)->value, 2);
}

TEST(HandleTableTest, GenerationsWrapWithoutEverMakingZero) {
  HandleTable t;
  t.SetSlotLimitForTesting(1);
  uint32_t h = 0;
  for (int i = 0; i < 3000; ++i) {
    h = t.Add(Cls::Error, std::make_unique<Thing>(i));
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(t.Remove(h, Cls::Error));
  }
}

TEST(HandleTableTest, SameCallsGiveSameHandleValues) {
  auto run = [] {
    HandleTable t;
    std::vector<uint32_t> out;
    uint32_t a = t.Add(Cls::ExecutionService, std::make_unique<Thing>(0));
    uint32_t b = t.Add(Cls::ProcessTemplate, std::make_unique<Thing>(0));
    t.Remove(a, Cls::ExecutionService);
    uint32_t c = t.Add(Cls::ExecutionService, std::make_unique<Thing>(0));
    out = {a, b, c};
    return out;
  };
  EXPECT_EQ(run(), run());
}

TEST(HandleTableTest, FullClassRefusesNewHandlesButOthersStillWork) {
  HandleTable t;
  t.SetSlotLimitForTesting(2);
  EXPECT_NE(t.Add(Cls::Point, std::make_unique<Thing>(1)), 0u);
  EXPECT_NE(t.Add(Cls::Point, std::make_unique<Thing>(2)), 0u);
  EXPECT_EQ(t.Add(Cls::Point, std::make_unique<Thing>(3)), 0u);
  EXPECT_NE(t.Add(Cls::PointVector, std::make_unique<Thing>(4)), 0u);
  EXPECT_EQ(t.LiveCount(Cls::Point), 2u);
}

// --- typed handles -------------------------------------------------------------

// The internals take a typed handle of any class as its 32-bit value, and
// fill a caller's typed handle variable or a 32-bit one alike.
TEST(HandleTableTest, TypedHandlesAreTheirValues) {
  HandleTable t;
  uint32_t h = t.Add(Cls::ProcessTemplate, std::make_unique<Thing>(7));
  PvxjProcessTemplate typed = HandleRef(h);
  EXPECT_EQ(HandleRef(typed).value(), h);
  EXPECT_EQ(t.Get<Thing>(typed, Cls::ProcessTemplate)->value, 7);
  EXPECT_EQ(t.ClassOf(typed), Cls::ProcessTemplate);
  // A stored list's handle seen as the persistent list it also is.
  uint32_t l = t.Add(Cls::Worklist, std::make_unique<Thing>(8));
  PvxjPersistentList list = ToHandle<PvxjWorklist>(l);
  EXPECT_EQ(t.ClassOf(list), Cls::Worklist);

  PvxjProcessTemplate out = nullptr;
  uint32_t plain = 0;
  HandleSlot(&out).set(h);
  HandleSlot(&plain).set(h);
  EXPECT_EQ(out, typed);
  EXPECT_EQ(plain, h);
  EXPECT_EQ(HandleSlot(&out).get(), h);
  EXPECT_FALSE(HandleSlot(nullptr));
  HandleSlot(nullptr).set(h);  // nowhere to write: nothing happens
  EXPECT_TRUE(t.Remove(typed, Cls::ProcessTemplate));
  EXPECT_EQ(t.Find(typed, Cls::ProcessTemplate), nullptr);
}

static_assert(sizeof(PvxjProcessTemplate) == sizeof(void*), "handles are pointer-sized");
static_assert(!std::is_convertible_v<PvxjProcessTemplate, PvxjProcessInstance>, "classes do not mix");
static_assert(std::is_convertible_v<PvxjWorkitem, PvxjItem> && std::is_convertible_v<PvxjWorklist, PvxjPersistentList>,
              "work items are items, worklists stored lists");
static_assert(!std::is_convertible_v<PvxjItem, PvxjWorkitem> && !std::is_convertible_v<uint32_t, PvxjItem>,
              "no way back without the client");

// --- through the API ---------------------------------------------------------

class ApiHandleTest : public ClientTest {};

template <class H>
void ExpectRefusesBadHandles(const char* name, int32_t (*deallocate)(H*), HandleRef foreign) {
  H h = nullptr;
  EXPECT_EQ(deallocate(&h), PVX_ERROR_INVALID_HANDLE) << name;
  h = HandleRef(0x0BADF00D);
  EXPECT_EQ(deallocate(&h), PVX_ERROR_INVALID_HANDLE) << name;
  EXPECT_EQ(HandleRef(h).value(), 0x0BADF00Du) << name;
  EXPECT_EQ(deallocate(nullptr), PVX_ERROR_INVALID_HANDLE) << name;
  if (foreign) {
    h = foreign;
    EXPECT_EQ(deallocate(&h), PVX_ERROR_INVALID_HANDLE) << name;
    EXPECT_EQ(HandleRef(h).value(), foreign.value()) << name;
  }
}

TEST_F(ApiHandleTest, EveryDeallocateRefusesZeroAndForeignHandles) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
#define PVXJ_CLASS(name, Tag, Seconds, Vector, Element, Walk, NameFn, dealloc, ...) PVXJ_CHECK_##dealloc(name)
#define PVXJ_CHECK_0(name)
#define PVXJ_CHECK_1(name)                                  \
  ExpectRefusesBadHandles(#name, Pvxj##name##Deallocate, \
                          Cls::name == Cls::ExecutionService ? 0 : svc);
#include "pvxj/classes.def"
#undef PVXJ_CHECK_1
#undef PVXJ_CHECK_0
#undef PVXJ_CLASS
  // The service survived every wrong-class attempt.
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 1);
}

TEST_F(ApiHandleTest, DeallocateClearsTheVariableAndLeavesTheHandleStale) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjExecutionService copy = 0;
  ASSERT_EQ(PvxjExecutionServiceCopy(svc, &copy), PVX_OK);
  PvxjExecutionService kept = copy;
  ASSERT_EQ(PvxjExecutionServiceDeallocate(&copy), PVX_OK);
  EXPECT_EQ(copy, nullptr);
  EXPECT_EQ(PvxjExecutionServiceLogoff(kept), PVX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(PvxjServiceIsLoggedOn(kept), 0);
  EXPECT_EQ(PvxjServiceIsLoggedOn(svc), 1);  // the original is untouched
}

TEST_F(ApiHandleTest, GettersGiveTheirNullResultForBadHandles) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  PvxjProcessTemplateVector v = 0;
  ASSERT_EQ(PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, nullptr, nullptr, &v),
            PVX_OK);
  char buf[64];
  // A vector is not a template, a service is not a vector: a C caller can
  // still cast one into the other (HandleRef does so here).
  const HandleRef vector(v), service(svc);
  EXPECT_EQ(PvxjProcessTemplateName(vector, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjProcessTemplateVectorSize(service), 0u);
  EXPECT_EQ(PvxjProcessTemplateVectorFirstElement(service), nullptr);
  EXPECT_EQ(PvxjItemName(0, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjPersistentListName(vector, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjServiceUserID(vector, buf, sizeof buf), nullptr);
  EXPECT_EQ(PvxjServiceTimeout(vector), 0);
  EXPECT_EQ(PvxjExecutionServiceEqual(svc, vector), 0);
  PvxjServiceSetTimeout(vector, 5);  // must simply do nothing
  EXPECT_EQ(PvxjExecutionServiceLogon(vector, "USER1", "pw1", 0, 0), PVX_ERROR_INVALID_HANDLE);
}

TEST_F(ApiHandleTest, HandleValuesRepeatFromRunToRun) {
  auto run = [this] {
    UseStore(":memory:");
    PvxjExecutionService svc = Logon("USER1", "pw1");
    PvxjProcessTemplateVector v = 0;
    PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, nullptr, nullptr, &v);
    PvxjProcessTemplate first = PvxjProcessTemplateVectorFirstElement(v);
    return std::vector<uint32_t>{HandleRef(svc), HandleRef(v), HandleRef(first)};
  };
  EXPECT_EQ(run(), run());
}

TEST_F(ApiHandleTest, TextGettersTruncateToTheBuffer) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  char buf[4] = {'x', 'x', 'x', 'x'};
  ASSERT_EQ(PvxjServiceUserID(svc, buf, 3), buf);
  EXPECT_STREQ(buf, "US");
  EXPECT_EQ(buf[3], 'x');  // nothing written past the given length
  EXPECT_EQ(PvxjServiceUserID(svc, buf, 0), nullptr);
  EXPECT_EQ(PvxjServiceUserID(svc, nullptr, 10), nullptr);
}

}  // namespace
}  // namespace pvxjsim

extern "C" int pvxj_header_compiles_as_c(void);

TEST(CHeaderTest, HeaderIsUsableFromC) {
  EXPECT_EQ(pvxj_header_compiles_as_c(), 130 + 1 + 5 + 12 + 3 + Pvx_TA_Filter);  // a null service counts 1
}
