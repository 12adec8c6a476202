// Checking a work item out with its program data, cancelling and checking
// in, and the program data stream: round trip and what a damaged one gives.
#include "program_data.h"

#include "client.h"
#include "container.h"
#include "engine.h"
#include "seed.h"
#include "store.h"
#include "test_support.h"

namespace pvxjsim {
namespace {

class ProgramDataTest : public ClientTest {
 protected:
  void SetUp() override {
    ClientTest::SetUp();
    std::string error;
    WriteTx tx(store());
    ASSERT_TRUE(LoadSystemDefinition(store(), R"({
      "dataStructures": [
        { "name": "Part", "members": [ { "name": "Code", "type": "STRING" },
                                       { "name": "Qty", "type": "LONG", "arraySize": 2 } ] },
        { "name": "Order", "members": [ { "name": "Item", "type": "Part" },
                                        { "name": "Price", "type": "FLOAT" },
                                        { "name": "Note", "type": "STRING" } ] },
        { "name": "Reply", "members": [ { "name": "Note", "type": "STRING" },
                                        { "name": "Ok", "type": "LONG" } ] } ],
      "programs": [ { "name": "Pack", "description": "packs an order", "icon": "box.ico",
        "inContainer": "Order", "outContainer": "Reply", "trusted": true,
        "executionMode": "Safe", "executionUser": "Starter",
        "implementations": [
          { "platform": "WindowsNT", "kind": "dll", "path": "pack.dll", "entryPoint": "Run",
            "fenced": true },
          { "platform": "Solaris", "kind": "exe", "path": "/opt/pack", "parameters": "-v",
            "windowStyle": "Minimized", "timeout": 30 } ] } ],
      "processTemplates": [ { "name": "Packing", "inContainer": "Order", "outContainer": "Order",
        "activities": [ { "name": "PackIt", "program": "Pack", "inContainer": "Order",
                          "outContainer": "Reply", "staff": { "persons": ["USER2"] } } ] } ] })",
                                     &error))
        << error;
    Schema schema;
    ASSERT_TRUE(LoadSchema(store(), "Order", &schema));
    Record in;
    in.type_name = "Order";
    ASSERT_EQ(SetMemberFromText(schema, &in, "Item.Code", "A-7"), PVX_OK);
    ASSERT_EQ(SetMemberFromText(schema, &in, "Item.Qty[2]", "3"), PVX_OK);
    ASSERT_EQ(SetMemberFromText(schema, &in, "Note", "fragile"), PVX_OK);
    int64_t pi = 0;
    ASSERT_EQ(CreateInstance(store(), "Packing", "", "USER2", &pi), PVX_OK);
    ASSERT_EQ(StartInstance(store(), pi, "USER2", &in), PVX_OK);
    tx.Commit();
    Stmt q(store().db(), "SELECT id, owner_id, activity_instance_id FROM items WHERE kind=1");
    ASSERT_TRUE(q.Step());
    item_ = q.Int(0);
    owner_ = q.Int(1);
    ai_ = q.Int(2);
  }

  int32_t CheckOut(int32_t requested, int64_t platform, ProgramData* d = nullptr,
                   int64_t person = 0) {
    WriteTx tx(store());
    int32_t rc = CheckOutWorkitem(store(), item_, person ? person : owner_, requested, platform, d);
    tx.Commit();
    return rc;
  }

  std::string ItemState() {
    Stmt q(store().db(), "SELECT i.state, a.state FROM items i JOIN activity_instances a "
                         "ON a.id = i.activity_instance_id WHERE i.id=?");
    q.Bind(1, item_);
    if (!q.Step()) return "gone";
    return std::to_string(q.Int(0)) + " " + ActivityStateName(q.Int(1));
  }

  int64_t item_ = 0, owner_ = 0, ai_ = 0;
};

TEST_F(ProgramDataTest, CheckOutHandsOutTheProgramDataAskedFor) {
  ProgramData d;
  ASSERT_EQ(CheckOut(kSpecifiedDefinitions, 7, &d), PVX_OK);
  EXPECT_EQ(ItemState(), "64 CHECKED_OUT");
  EXPECT_EQ(d.program, "Pack");
  EXPECT_EQ(d.description, "packs an order");
  EXPECT_EQ(d.icon, "box.ico");
  EXPECT_TRUE(d.trusted);
  EXPECT_FALSE(d.unattended);
  EXPECT_EQ(d.execution_mode, 2);
  EXPECT_EQ(d.execution_user, 2);
  ASSERT_EQ(d.implementations.size(), 1u);
  const Implementation& exe = d.implementations[0];
  EXPECT_EQ(exe.platform, 7);
  EXPECT_EQ(exe.kind, kImplExe);
  using Opts = std::vector<std::pair<std::string, FieldValue>>;
  EXPECT_EQ(exe.options, (Opts{{"path", std::string("/opt/pack")},
                               {"parameters", std::string("-v")},
                               {"windowStyle", 3},
                               {"timeout", 30}}));
  // The activity's input as it stood, and the output it starts from.
  EXPECT_EQ(d.in.type_name, "Order");
  EXPECT_EQ(ValueText(GetMember(d.in, "Item.Code")), "A-7");
  EXPECT_EQ(ValueText(GetMember(d.in, "Item.Qty[2]")), "3");
  EXPECT_EQ(d.out.type_name, "Reply");
  EXPECT_EQ(ValueText(GetMember(d.out, "Note")), "fragile");

  // Checked out once: not again, and nobody else may check it in.
  EXPECT_EQ(CheckOut(kAllDefinitions, 0), PVX_ERROR_CHECKOUT_NOT_POSSIBLE);
  WriteTx tx(store());
  Stmt other(store().db(), "SELECT id FROM persons WHERE user_id='USER4'");
  ASSERT_TRUE(other.Step());
  EXPECT_EQ(CheckInWorkitem(store(), item_, other.Int(0), 0, {}), PVX_ERROR_NOT_AUTHORIZED);
  EXPECT_EQ(CheckInWorkitem(store(), item_, owner_, 1, {{"Nope", "x"}}),
            PVX_ERROR_MEMBER_NOT_FOUND);
  EXPECT_EQ(CheckInWorkitem(store(), item_, owner_, 1, {{"Ok", "1"}}), PVX_OK);
  tx.Commit();
  auto out = LoadContainer(store(), "AI", ai_, "out");
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(ValueText(GetMember(*out, "Ok")), "1");
  EXPECT_EQ(ValueText(GetMember(*out, "Note")), "fragile");
}

TEST_F(ProgramDataTest, WhatIsAskedForDecidesTheImplementations) {
  ProgramData d;
  ASSERT_EQ(CheckOut(kCommonDataOnly, 3, &d), PVX_OK);
  EXPECT_TRUE(d.implementations.empty());
  WriteTx tx(store());
  EXPECT_EQ(CancelCheckOutWorkitem(store(), item_, owner_), PVX_OK);
  EXPECT_EQ(CancelCheckOutWorkitem(store(), item_, owner_), PVX_ERROR_WRONG_STATE);
  tx.Commit();
  EXPECT_EQ(ItemState(), "1 READY");

  ASSERT_EQ(CheckOut(kAllDefinitions, 0, &d), PVX_OK);
  ASSERT_EQ(d.implementations.size(), 2u);  // by platform
  EXPECT_EQ(d.implementations[0].platform, 5);
  EXPECT_EQ(d.implementations[0].kind, kImplDll);
  EXPECT_EQ(d.implementations[1].platform, 7);
  WriteTx tx2(store());
  EXPECT_EQ(CancelCheckOutWorkitem(store(), item_, owner_), PVX_OK);
  tx2.Commit();

  // Refusals change nothing.
  for (auto [requested, platform, rc] :
       {std::tuple{kSpecifiedDefinitions, int64_t{3}, PVX_ERROR_NO_PROGRAM_FOR_PLATFORM},
        std::tuple{kSpecifiedDefinitions, int64_t{99}, PVX_ERROR_NO_PROGRAM_FOR_PLATFORM},
        std::tuple{kSpecifiedDefinitions, int64_t{-1}, PVX_ERROR_NO_PROGRAM_FOR_PLATFORM},
        std::tuple{kRequestNotSet, int64_t{7}, PVX_ERROR_INVALID_SPECIFICATION},
        std::tuple{static_cast<RequestedData>(3), int64_t{7}, PVX_ERROR_INVALID_SPECIFICATION}}) {
    EXPECT_EQ(CheckOut(requested, platform), rc) << requested << " " << platform;
    EXPECT_EQ(ItemState(), "1 READY");
  }
}

TEST_F(ProgramDataTest, StreamRoundTripsAndTheClientTakesIt) {
  ProgramData d;
  ASSERT_EQ(CheckOut(kAllDefinitions, 0, &d), PVX_OK);
  std::vector<uint8_t> bytes = SerializeRecord(ProgramDataRecord(d));
  Record parsed;
  std::string error;
  ASSERT_TRUE(ParseRecord(bytes.data(), bytes.size(), &parsed, &error)) << error;
  ProgramData back;
  ASSERT_EQ(ProgramDataFromRecord(store(), parsed, &back, &error), PVX_OK) << error;
  EXPECT_EQ(back, d);

  PvxjExecutionService svc = Logon("USER2", "pw2");
  PvxjProgramData data = PvxjExecutionServiceProgramDataFromStream(
      svc, bytes.data(), static_cast<uint32_t>(bytes.size()));
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(LastResultCode(), PVX_OK);
}

// Each damage to an otherwise good record, and what it gives.
TEST_F(ProgramDataTest, DamagedProgramDataIsRefusedWithTheReason) {
  ProgramData d;
  ASSERT_EQ(CheckOut(kAllDefinitions, 0, &d), PVX_OK);
  const Record good = ProgramDataRecord(d);
  auto with = [&](auto change) {
    Record r = good;
    change(r);
    return r;
  };
  auto field = [](Record& r, const std::string& name) -> Field& {
    for (Field& f : r.fields)
      if (f.name == name) return f;
    ADD_FAILURE() << name;
    return r.fields[0];
  };
  struct Case {
    Record record;
    int32_t rc;
    const char* reason;
  } cases[] = {
      {with([](Record& r) { r.type_name = "Unknown"; }), PVX_ERROR_PROGRAM_UNDEFINED, ""},
      {with([&](Record& r) { field(r, "$inStructure").value = std::string("Nope"); }),
       PVX_ERROR_INVALID_CONTAINER, ""},
      {with([](Record& r) { r.fields.push_back({"Note", std::string("x")}); }),
       PVX_ERROR_INVALID_STREAM, "is not program data"},
      {with([](Record& r) { r.fields.push_back({"$in.Nope", std::string("x")}); }),
       PVX_ERROR_INVALID_STREAM, "is not in structure Order"},
      {with([](Record& r) { r.fields.push_back({"$out.Ok", std::string("x")}); }),
       PVX_ERROR_INVALID_STREAM, "another type"},
      {with([&](Record& r) { field(r, "$trusted").value = 2; }), PVX_ERROR_INVALID_STREAM,
       "another type"},
      {with([&](Record& r) { r.fields.erase(r.fields.begin()); }), PVX_ERROR_INVALID_STREAM,
       "\"$description\" is missing"},
      {with([](Record& r) { r.fields.push_back({"$implementation[9].platform", 1}); }),
       PVX_ERROR_INVALID_STREAM, "out of order"},
      {with([](Record& r) { r.fields.push_back({"$implementation[2].color", 1}); }),
       PVX_ERROR_INVALID_STREAM, "not an implementation option"},
      {with([](Record& r) { r.fields.push_back({"$implementation[2].path", 1}); }),
       PVX_ERROR_INVALID_STREAM, "another type"},
      {with([](Record& r) { r.fields.push_back({"$implementation[3].platform", 7}); }),
       PVX_ERROR_INVALID_STREAM, "two implementations"},
      {with([](Record& r) { r.fields.push_back({"$implementation[x].kind", 1}); }),
       PVX_ERROR_INVALID_STREAM, "is not program data"},
      {with([](Record& r) { r.kind = RecordKind::kProgramTemplate; }), PVX_ERROR_INVALID_STREAM,
       "another kind"},
  };
  for (const Case& c : cases) {
    ProgramData out;
    std::string error;
    EXPECT_EQ(ProgramDataFromRecord(store(), c.record, &out, &error), c.rc) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  // Through the client, the reason is the result's message.
  PvxjExecutionService svc = Logon("USER2", "pw2");
  std::vector<uint8_t> bytes = SerializeRecord(cases[3].record);
  EXPECT_EQ(PvxjExecutionServiceProgramDataFromStream(svc, bytes.data(),
                                                      static_cast<uint32_t>(bytes.size())),
            nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM);
  EXPECT_NE(LastResultMessage().find("Nope"), std::string::npos);
}

}  // namespace
}  // namespace pvxjsim
