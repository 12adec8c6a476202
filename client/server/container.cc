#include "container.h"

#include <pvxj/base.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "store.h"

namespace pvxjsim {

namespace {

bool AddLeaves(Store& store, const std::string& structure, const std::string& prefix,
               Schema* out, int depth) {
  if (depth > 64) return false;
  auto members = StructureMembers(store, structure, prefix);
  if (members.empty()) return false;
  for (const auto& [name, type] : members) {
    if (std::optional<LeafType> leaf = LeafTypeOf(type)) out->leaves[name] = *leaf;
    else if (!AddLeaves(store, type, name + ".", out, depth + 1)) return false;
  }
  return true;
}

// Leaves per structure name; a structure nested deeper than the expansion
// goes counts as too large.
uint64_t CountLeaves(Store& store, const std::string& structure, int depth,
                     std::map<std::string, uint64_t>* memo) {
  constexpr uint64_t kTooMany = kMaxStructureLeaves + 1;
  if (depth > 64) return kTooMany;
  if (auto it = memo->find(structure); it != memo->end()) return it->second;
  // Counted as too large while it is being counted: a structure that
  // contains itself is then never counted twice.
  (*memo)[structure] = kTooMany;
  std::vector<std::pair<std::string, int64_t>> rows;
  {
    Stmt q(store.db(), "SELECT m.type, m.array_size FROM data_members m "
                       "JOIN data_structures s ON s.id = m.structure_id WHERE s.name=?");
    q.Bind(1, std::string_view(structure));
    while (q.Step()) rows.emplace_back(q.Text(0), q.Int(1));
  }
  uint64_t total = 0;
  for (const auto& [type, array] : rows) {
    uint64_t each = LeafTypeOf(type) ? 1 : CountLeaves(store, type, depth + 1, memo);
    uint64_t copies = array > 0 ? std::min(static_cast<uint64_t>(array), kTooMany) : 1;
    // Saturate: both factors are at most kTooMany, so the product cannot wrap.
    total += std::min(each * copies, kTooMany);
    if (total >= kTooMany) {
      total = kTooMany;
      break;
    }
  }
  (*memo)[structure] = total;
  return total;
}

bool Fits(LeafType t, const FieldValue& v) {
  switch (t) {
    case LeafType::kString: return std::holds_alternative<std::string>(v);
    case LeafType::kLong: return std::holds_alternative<int32_t>(v);
    case LeafType::kFloat: return std::holds_alternative<double>(v);
    case LeafType::kBinary: return std::holds_alternative<std::vector<uint8_t>>(v);
  }
  return false;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> StructureMembers(Store& store, const std::string& structure,
                                                                  const std::string& prefix) {
  Stmt q(store.db(), "SELECT m.name, m.type, m.array_size FROM data_members m "
                     "JOIN data_structures s ON s.id = m.structure_id WHERE s.name=? "
                     "ORDER BY m.position");
  q.Bind(1, std::string_view(structure));
  std::vector<std::tuple<std::string, std::string, int64_t>> rows;
  while (q.Step()) rows.emplace_back(q.Text(0), q.Text(1), q.Int(2));
  std::vector<std::pair<std::string, std::string>> members;
  for (const auto& [name, type, array] : rows) {
    if (array)
      for (int64_t k = 1; k <= array; ++k) members.emplace_back(prefix + name + "[" + std::to_string(k) + "]", type);
    else
      members.emplace_back(prefix + name, type);
  }
  return members;
}

uint64_t StructureLeafCount(Store& store, const std::string& structure) {
  std::map<std::string, uint64_t> memo;
  return CountLeaves(store, structure, 0, &memo);
}

std::optional<LeafType> LeafTypeOf(const std::string& type) {
  if (type == "STRING") return LeafType::kString;
  if (type == "LONG") return LeafType::kLong;
  if (type == "FLOAT") return LeafType::kFloat;
  if (type == "BINARY") return LeafType::kBinary;
  return std::nullopt;
}

bool LoadSchema(Store& store, const std::string& structure, Schema* out) {
  out->structure = structure;
  out->leaves.clear();
  if (StructureLeafCount(store, structure) > kMaxStructureLeaves) return false;
  return AddLeaves(store, structure, "", out, 0);
}

int32_t SetMember(const Schema& schema, Record* record, const std::string& member,
                  const FieldValue& value) {
  auto it = schema.leaves.find(member);
  if (it == schema.leaves.end()) return PVX_ERROR_MEMBER_NOT_FOUND;
  if (!std::holds_alternative<std::monostate>(value) && !Fits(it->second, value))
    return PVX_ERROR_WRONG_TYPE;
  for (Field& f : record->fields)
    if (f.name == member) {
      f.value = value;
      return PVX_OK;
    }
  record->fields.push_back({member, value});
  return PVX_OK;
}

int32_t SetMemberFromText(const Schema& schema, Record* record, const std::string& member,
                          const std::string& text) {
  auto it = schema.leaves.find(member);
  if (it == schema.leaves.end()) return PVX_ERROR_MEMBER_NOT_FOUND;
  switch (it->second) {
    case LeafType::kString:
      return SetMember(schema, record, member, text);
    case LeafType::kLong: {
      errno = 0;
      char* end = nullptr;
      long long v = std::strtoll(text.c_str(), &end, 10);
      if (text.empty() || *end || errno || v < INT32_MIN || v > INT32_MAX)
        return PVX_ERROR_WRONG_TYPE;
      return SetMember(schema, record, member, static_cast<int32_t>(v));
    }
    case LeafType::kFloat: {
      errno = 0;
      char* end = nullptr;
      double v = std::strtod(text.c_str(), &end);
      if (text.empty() || *end || errno || !std::isfinite(v)) return PVX_ERROR_WRONG_TYPE;
      return SetMember(schema, record, member, v);
    }
    case LeafType::kBinary: {
      if (text.size() % 2) return PVX_ERROR_WRONG_TYPE;
      std::vector<uint8_t> bytes;
      for (size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        std::string pair = text.substr(i, 2);
        long b = std::strtol(pair.c_str(), &end, 16);
        if (*end) return PVX_ERROR_WRONG_TYPE;
        bytes.push_back(static_cast<uint8_t>(b));
      }
      return SetMember(schema, record, member, bytes);
    }
  }
  return PVX_ERROR_WRONG_TYPE;
}

FieldValue GetMember(const Record& record, const std::string& member) {
  for (const Field& f : record.fields)
    if (f.name == member) return f.value;
  return {};
}

void CopyMatching(const Record& from, const Schema& to_schema, Record* to) {
  for (const Field& f : from.fields) SetMember(to_schema, to, f.name, f.value);
}

std::optional<Record> LoadContainer(Store& store, const char* owner_kind, int64_t owner,
                                    const char* role) {
  Stmt q(store.db(), "SELECT data FROM container_values WHERE owner_kind=? AND owner_id=? "
                     "AND role=?");
  q.Bind(1, owner_kind).Bind(2, owner).Bind(3, role);
  if (!q.Step()) return std::nullopt;
  std::vector<uint8_t> bytes = q.Blob(0);
  Record r;
  std::string error;
  if (!ParseRecord(bytes.data(), bytes.size(), &r, &error))
    throw StoreError(SQLITE_CORRUPT, "damaged container value: " + error);
  return r;
}

void SaveContainer(Store& store, const char* owner_kind, int64_t owner, const char* role,
                   const Record& record) {
  std::vector<uint8_t> bytes = SerializeRecord(record);
  Stmt s(store.db(), "INSERT INTO container_values(owner_kind, owner_id, role, structure, data) "
                     "VALUES(?,?,?,?,?) ON CONFLICT(owner_kind, owner_id, role) DO UPDATE SET "
                     "structure=excluded.structure, data=excluded.data");
  s.Bind(1, owner_kind).Bind(2, owner).Bind(3, role).Bind(4, std::string_view(record.type_name));
  s.BindBlob(5, bytes.data(), bytes.size()).Run();
}

std::string ValueText(const FieldValue& value) {
  if (auto* l = std::get_if<int32_t>(&value)) return std::to_string(*l);
  if (auto* d = std::get_if<double>(&value)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", *d);
    return buf;
  }
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  if (auto* b = std::get_if<std::vector<uint8_t>>(&value)) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t c : *b) {
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
    return out;
  }
  return "";
}

}  // namespace pvxjsim
