// Streams: the serialisation itself and the execution service functions that
// rebuild objects from it.
#include "record.h"

#include <random>

#include "test_support.h"

namespace pvxjsim {
namespace {

Record SampleContainer() {
  Record r;
  r.kind = RecordKind::kReadWriteContainer;
  r.type_name = "CreditData";
  r.fields = {{"Customer.Name", std::string("Jo \"Q\" Public")},
              {"Customer.Number", int32_t{-42}},
              {"Amount", 12500.75},
              {"Comments", FieldValue{}},
              {"Label", std::vector<uint8_t>{0, 1, 0xFF}},
              {"Currency", std::string()}};
  return r;
}

TEST(RecordTest, RoundTripKeepsEveryFieldType) {
  Record in = SampleContainer();
  std::vector<uint8_t> bytes = SerializeRecord(in);
  Record out;
  std::string error;
  ASSERT_TRUE(ParseRecord(bytes.data(), bytes.size(), &out, &error)) << error;
  EXPECT_EQ(out, in);
}

TEST(RecordTest, EveryTruncationAndEveryFlippedByteIsRefused) {
  std::vector<uint8_t> bytes = SerializeRecord(SampleContainer());
  Record out;
  std::string error;
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(ParseRecord(bytes.data(), n, &out, &error)) << n;
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::vector<uint8_t> bad = bytes;
    bad[i] ^= 0x40;
    EXPECT_FALSE(ParseRecord(bad.data(), bad.size(), &out, &error)) << i;
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(ParseRecord(longer.data(), longer.size(), &out, &error));
  EXPECT_FALSE(ParseRecord(nullptr, 100, &out, &error));
}

// A stream with a valid checksum but lying lengths must not be trusted.
TEST(RecordTest, ConsistentChecksumDoesNotHideLyingLengths) {
  auto seal = [](std::vector<uint8_t> b) {
    uint32_t h = 2166136261u;
    for (uint8_t c : b) {
      h ^= c;
      h *= 16777619u;
    }
    for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(h >> (8 * k)));
    return b;
  };
  std::vector<uint8_t> huge_count = {'P', 'V', 'X', 'S', 1, 4, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  std::vector<uint8_t> huge_text = {'P', 'V', 'X', 'S', 1, 4, 0, 0, 1, 0, 0, 0,
                                    1,   0,   'a', 3,   0xFF, 0xFF, 0xFF, 0x7F};
  Record out;
  std::string error;
  for (const auto& body : {huge_count, huge_text}) {
    std::vector<uint8_t> s = seal(body);
    EXPECT_FALSE(ParseRecord(s.data(), s.size(), &out, &error));
  }
  std::mt19937 rng(99);
  for (int i = 0; i < 5000; ++i) {
    std::vector<uint8_t> body = {'P', 'V', 'X', 'S', 1};
    size_t n = rng() % 48;
    for (size_t k = 0; k < n; ++k) body.push_back(static_cast<uint8_t>(rng()));
    std::vector<uint8_t> s = seal(body);
    ParseRecord(s.data(), s.size(), &out, &error);  // must simply not crash
  }
}

class FromStreamTest : public ClientTest {};

// A container whose members all belong to CreditData.
Record ValidContainer() {
  Record r;
  r.kind = RecordKind::kReadWriteContainer;
  r.type_name = "CreditData";
  r.fields = {{"Customer.Name", std::string("Jo \"Q\" Public")},
              {"Customer.Number", int32_t{-42}},
              {"Amount", 12500.75},
              {"Comments[2]", FieldValue{}},
              {"Currency", std::string()}};
  return r;
}

TEST_F(FromStreamTest, MembersAreCheckedAgainstTheStructure) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  Record unknown = ValidContainer();
  unknown.fields.push_back({"Label", std::vector<uint8_t>{1}});  // OrderData's, not CreditData's
  Record wrong_type = ValidContainer();
  wrong_type.fields[2].value = std::string("lots");  // Amount is FLOAT
  Record whole_array = ValidContainer();
  whole_array.fields.push_back({"Comments", FieldValue{}});  // not a leaf
  for (const Record& r : {unknown, wrong_type, whole_array}) {
    std::vector<uint8_t> s = SerializeRecord(r);
    EXPECT_EQ(PvxjExecutionServiceReadWriteContainerFromStream(svc, s.data(),
                                                               static_cast<uint32_t>(s.size())),
              nullptr);
    EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM);
  }
}

TEST_F(FromStreamTest, StreamsOfThisClientRebuildObjects) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  std::vector<uint8_t> c = SerializeRecord(ValidContainer());
  uint32_t len = static_cast<uint32_t>(c.size());
  PvxjReadOnlyContainer ro = PvxjExecutionServiceReadOnlyContainerFromStream(svc, c.data(), len);
  ASSERT_NE(ro, nullptr);
  auto* obj = Client::Get().handles.Get<RecordObject>(ro, Cls::ReadOnlyContainer);
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->record.fields, ValidContainer().fields);
  EXPECT_NE(PvxjExecutionServiceReadWriteContainerFromStream(svc, c.data(), len), nullptr);

  Record program;
  program.kind = RecordKind::kProgramTemplate;
  program.type_name = "AssessRisk";
  program.fields = {{"Executable", std::string("assess_risk")}};
  std::vector<uint8_t> p = SerializeRecord(program);
  uint32_t plen = static_cast<uint32_t>(p.size());
  EXPECT_NE(PvxjExecutionServiceProgramTemplateFromStream(svc, p.data(), plen), nullptr);
  // A program template is not program data, nor a container.
  EXPECT_EQ(PvxjExecutionServiceProgramDataFromStream(svc, p.data(), plen), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM);
  EXPECT_EQ(PvxjExecutionServiceReadOnlyContainerFromStream(svc, p.data(), plen), nullptr);
}

TEST_F(FromStreamTest, ForeignOrUnknownStreamsGiveNoObject) {
  PvxjExecutionService svc = Logon("USER1", "pw1");
  const unsigned char junk[] = "definitely not a stream";
  EXPECT_EQ(PvxjExecutionServiceReadWriteContainerFromStream(svc, junk, sizeof junk), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM);
  EXPECT_EQ(PvxjExecutionServiceReadWriteContainerFromStream(svc, nullptr, 20), nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_STREAM);
  std::vector<uint8_t> c = SerializeRecord(SampleContainer());
  EXPECT_EQ(PvxjExecutionServiceReadWriteContainerFromStream(svc, c.data(), 10), nullptr);
  Record unknown = SampleContainer();
  unknown.type_name = "NoSuchStructure";
  std::vector<uint8_t> u = SerializeRecord(unknown);
  EXPECT_EQ(PvxjExecutionServiceReadWriteContainerFromStream(svc, u.data(),
                                                             static_cast<uint32_t>(u.size())),
            nullptr);
  EXPECT_EQ(LastResultCode(), PVX_ERROR_INVALID_CONTAINER);
}

}  // namespace
}  // namespace pvxjsim
