// Records: the data of containers, program data and program templates, and
// their stream form.
//
// Stream layout (integers little-endian):
//   "PVXS"  u8 version (1)  u8 kind  u16+bytes type name  u32 field count
//   per field: u16+bytes name, u8 tag (0 null, 1 long, 2 float, 3 text,
//              4 binary), then i32 | f64 | u32+bytes | u32+bytes
//   u32 FNV-1a checksum of everything before it
// A stream must be exactly this long; anything else is refused.
#ifndef PVXJSIM_RECORD_H
#define PVXJSIM_RECORD_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace pvxjsim {

enum class RecordKind : uint8_t {
  kProgramData = 1,
  kProgramTemplate = 2,
  kReadOnlyContainer = 3,
  kReadWriteContainer = 4,
};

using FieldValue =
    std::variant<std::monostate, int32_t, double, std::string, std::vector<uint8_t>>;

struct Field {
  std::string name;  // member path, e.g. "Customer.Name"
  FieldValue value;
  bool operator==(const Field&) const = default;
};

struct Record {
  RecordKind kind = RecordKind::kReadWriteContainer;
  std::string type_name;  // data structure or program name
  std::vector<Field> fields;
  bool operator==(const Record&) const = default;
};

std::vector<uint8_t> SerializeRecord(const Record& record);

// Parses a stream; false (with *error) for anything SerializeRecord could not
// have produced.
bool ParseRecord(const uint8_t* data, size_t size, Record* out, std::string* error);

}  // namespace pvxjsim

#endif
