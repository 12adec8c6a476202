// Typed container values: a structure's leaves by qualified name
// ("Customer.Name", "Comments[2]", 1-based array elements) and a record of
// values checked against them on every write.
#ifndef PVXJSIM_CONTAINER_H
#define PVXJSIM_CONTAINER_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "record.h"

namespace pvxjsim {

class Store;

enum class LeafType { kString, kLong, kFloat, kBinary };

struct Schema {
  std::string structure;
  std::map<std::string, LeafType> leaves;  // qualified name -> type
};

// The members of a structure in order as (qualified name, type), arrays
// expanded to "Name[1]".. (1-based); empty when the structure is unknown.
std::vector<std::pair<std::string, std::string>> StructureMembers(Store& store, const std::string& structure,
                                                                  const std::string& prefix);

// The most leaves a structure may expand to, each array element counted:
// nested arrays multiply, so without a bound a few hundred bytes of
// definition describe billions of members.
constexpr uint64_t kMaxStructureLeaves = 10000;

// The number of leaves a structure expands to, counted without expanding it
// and capped at kMaxStructureLeaves + 1; 0 when it is unknown or empty.
uint64_t StructureLeafCount(Store& store, const std::string& structure);

// The leaf type a member type names; nullopt for a nested structure.
std::optional<LeafType> LeafTypeOf(const std::string& type);

// The leaves of a structure; false when the structure is unknown or has
// more than kMaxStructureLeaves of them.
bool LoadSchema(Store& store, const std::string& structure, Schema* out);

// Sets one member, converting text to the member's type. Returns PVX_OK,
// PVX_ERROR_MEMBER_NOT_FOUND or PVX_ERROR_WRONG_TYPE (a text that is not a
// number for a LONG or FLOAT member).
int32_t SetMemberFromText(const Schema& schema, Record* record, const std::string& member,
                          const std::string& text);

// Sets one member to a value of the right type (PVX_ERROR_WRONG_TYPE otherwise).
int32_t SetMember(const Schema& schema, Record* record, const std::string& member,
                  const FieldValue& value);

FieldValue GetMember(const Record& record, const std::string& member);

// Copies the members both structures have (same name and type) from one
// record into another.
void CopyMatching(const Record& from, const Schema& to_schema, Record* to);

// A record held in the store for an owner ('PI' instance, 'AI' activity
// instance) and a role ("data", "in", "out").
std::optional<Record> LoadContainer(Store& store, const char* owner_kind, int64_t owner,
                                    const char* role);
void SaveContainer(Store& store, const char* owner_kind, int64_t owner, const char* role,
                   const Record& record);

// A value as text, for the console: numbers in decimal, binary in hex.
std::string ValueText(const FieldValue& value);

}  // namespace pvxjsim

#endif
