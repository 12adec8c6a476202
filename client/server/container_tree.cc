#include "container_tree.h"

#include <pvxj/base.h>

#include <algorithm>
#include <cstdlib>

#include "store.h"

namespace pvxjsim {

namespace {

const std::vector<MemberDef>& ProcessInfo() {
  static const std::vector<MemberDef> k = {
      {"Role", "STRING"}, {"Organization", "STRING"}, {"ProcessAdministrator", "STRING"}, {"Duration", "LONG"}};
  return k;
}

const std::vector<MemberDef>& ActivityInfo() {
  static const std::vector<MemberDef> k = {
      {"MembersOfRoles", "STRING"}, {"CoordinatorOfRole", "STRING"}, {"Organization", "STRING"},
      {"OrganizationType", "LONG"}, {"LowerLevel", "LONG"},         {"UpperLevel", "LONG"},
      {"People", "STRING"},         {"PersonToNotify", "STRING"},    {"Duration", "LONG"},
      {"Duration2", "LONG"},        {"Priority", "LONG"}};
  return k;
}

Node Child(const Node* parent, const MemberDef& m) {
  Node n;
  n.name = m.name;
  n.full = parent ? parent->full + "." + m.name : m.name;
  n.type = m.type;
  n.array = m.array;
  return n;
}

// "Name" and the index of "Name[i]" (0 when the segment has none, -1 when
// its index is not a number from 1).
std::pair<std::string, int64_t> Segment(const std::string& seg) {
  size_t open = seg.find('[');
  if (open == std::string::npos) return {seg, 0};
  if (seg.back() != ']' || open + 2 >= seg.size()) return {seg, -1};
  std::string digits = seg.substr(open + 1, seg.size() - open - 2);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
    return {seg, -1};
  int64_t i = std::atoll(digits.c_str());
  return {seg.substr(0, open), i >= 1 ? i : -1};
}

}  // namespace

std::vector<MemberDef> MembersOf(Store& store, const std::string& structure) {
  if (structure == kProcessInfoType) return ProcessInfo();
  if (structure == kActivityInfoType) return ActivityInfo();
  std::vector<MemberDef> out;
  Stmt q(store.db(), "SELECT m.name, m.type, m.array_size FROM data_members m "
                     "JOIN data_structures s ON s.id = m.structure_id WHERE s.name=? "
                     "ORDER BY m.position");
  q.Bind(1, std::string_view(structure));
  while (q.Step()) out.push_back({q.Text(0), q.Text(1), q.Int(2)});
  return out;
}

std::vector<MemberDef> PredefinedMembers(bool with_rc) {
  std::vector<MemberDef> out = {{"_ACTIVITY", "STRING"}, {"_PROCESS", "STRING"}, {"_PROCESS_MODEL", "STRING"}};
  if (with_rc) out.push_back({"_RC", "LONG"});
  out.push_back({"_PROCESS_INFO", kProcessInfoType});
  out.push_back({"_ACTIVITY_INFO", kActivityInfoType});
  return out;
}

bool IsPredefined(const std::string& name) {
  for (const MemberDef& m : PredefinedMembers(true))
    if (name == m.name || name.rfind(m.name + ".", 0) == 0) return true;
  return false;
}

bool HasRc(const Record& record) {
  for (const Field& f : record.fields)
    if (f.name == "_RC") return true;
  return false;
}

void AddRc(Record* record) {
  if (!HasRc(*record)) record->fields.push_back({"_RC", std::monostate{}});
}

bool LoadContainerSchema(Store& store, const std::string& structure, Schema* out) {
  if (!LoadSchema(store, structure, out)) return false;
  for (const MemberDef& m : PredefinedMembers(true)) {
    if (auto leaf = LeafTypeOf(m.type)) {
      out->leaves[m.name] = *leaf;
      continue;
    }
    for (const MemberDef& c : MembersOf(store, m.type)) out->leaves[m.name + "." + c.name] = *LeafTypeOf(c.type);
  }
  return true;
}

std::string NormalName(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '.' && i + 1 < name.size() && name[i + 1] == '[' && i > 0) continue;
    out += name[i];
  }
  return out;
}

std::vector<Node> TopNodes(Store& store, const Record& record, bool predefined) {
  std::vector<Node> out;
  for (const MemberDef& m : MembersOf(store, record.type_name)) out.push_back(Child(nullptr, m));
  if (predefined)
    for (const MemberDef& m : PredefinedMembers(HasRc(record))) out.push_back(Child(nullptr, m));
  return out;
}

std::vector<Node> Children(Store& store, const Node& node) {
  std::vector<Node> out;
  if (node.IsArray()) {
    // A store written before structures were bounded may hold any size.
    if (node.array > static_cast<int64_t>(kMaxStructureLeaves)) return out;
    for (int64_t i = 1; i <= node.array; ++i) {
      Node e;
      e.name = "[" + std::to_string(i) + "]";
      e.full = node.full + e.name;
      e.type = node.type;
      out.push_back(std::move(e));
    }
  } else if (node.IsStruct()) {
    for (const MemberDef& m : MembersOf(store, node.type)) out.push_back(Child(&node, m));
  }
  return out;
}

bool CollectLeaves(Store& store, const std::vector<Node>& nodes, std::vector<Node>* out) {
  for (const Node& n : nodes) {
    if (out->size() > kMaxStructureLeaves) return false;
    if (n.IsArray() && n.array > static_cast<int64_t>(kMaxStructureLeaves)) return false;
    if (n.IsLeaf()) {
      out->push_back(n);
      continue;
    }
    if (!CollectLeaves(store, Children(store, n), out)) return false;
  }
  return out->size() <= kMaxStructureLeaves;
}

std::optional<Node> FindNode(Store& store, const Record& record, const std::string& qualified_name) {
  std::string name = NormalName(qualified_name);
  if (name.empty()) return std::nullopt;
  std::vector<Node> level = TopNodes(store, record, true);
  std::optional<Node> at;
  size_t pos = 0;
  for (int depth = 0; pos <= name.size() && depth < 128; ++depth) {
    size_t dot = name.find('.', pos);
    std::string seg = name.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
    auto [base, index] = Segment(seg);
    if (index < 0) return std::nullopt;
    at.reset();
    for (const Node& n : level)
      if (n.name == base) at = n;
    if (!at) return std::nullopt;
    if (index > 0) {
      if (!at->IsArray() || index > at->array) return std::nullopt;
      at = Children(store, *at)[static_cast<size_t>(index - 1)];
    }
    if (dot == std::string::npos) return at;
    if (!at->IsStruct()) return std::nullopt;
    level = Children(store, *at);
    pos = dot + 1;
  }
  return std::nullopt;
}

int32_t ReadMember(const Schema& schema, const Record& record, const char* qualified_name, LeafType want,
                   FieldValue* value) {
  if (!qualified_name) return PVX_ERROR_MEMBER_NOT_FOUND;
  const std::string name = NormalName(qualified_name);
  if (name == "_RC" && !HasRc(record)) return PVX_ERROR_MEMBER_NOT_FOUND;
  auto it = schema.leaves.find(name);
  if (it == schema.leaves.end()) return PVX_ERROR_MEMBER_NOT_FOUND;
  if (it->second != want) return PVX_ERROR_WRONG_TYPE;
  FieldValue v = GetMember(record, name);
  if (std::holds_alternative<std::monostate>(v)) return PVX_ERROR_MEMBER_NOT_SET;
  // A value stored before the structure was redefined may be of another
  // type than the member now has: it is no value of this member.
  const bool fits = (want == LeafType::kString && std::holds_alternative<std::string>(v)) ||
                    (want == LeafType::kLong && std::holds_alternative<int32_t>(v)) ||
                    (want == LeafType::kFloat && std::holds_alternative<double>(v)) ||
                    (want == LeafType::kBinary && std::holds_alternative<std::vector<uint8_t>>(v));
  if (!fits) return PVX_ERROR_MEMBER_NOT_SET;
  *value = std::move(v);
  return PVX_OK;
}

int32_t WriteMember(const Schema& schema, Record* record, const char* qualified_name, LeafType type,
                    FieldValue value) {
  if (!qualified_name) return PVX_ERROR_MEMBER_NOT_FOUND;
  const std::string name = NormalName(qualified_name);
  if (name == "_RC" && !HasRc(*record)) return PVX_ERROR_MEMBER_NOT_FOUND;
  auto it = schema.leaves.find(name);
  if (it == schema.leaves.end()) return PVX_ERROR_MEMBER_NOT_FOUND;
  if (it->second != type) return PVX_ERROR_WRONG_TYPE;
  if (name == "_ACTIVITY" || name == "_PROCESS" || name == "_PROCESS_MODEL") return PVX_ERROR_MEMBER_CANNOT_BE_SET;
  return SetMember(schema, record, name, value);
}

std::string ArrayMemberName(const char* qualified_name, uint32_t index) {
  return std::string(qualified_name ? qualified_name : "") + "[" + std::to_string(index) + "]";
}

bool KnownCodePage(int32_t ccsid) {
  static const int32_t kPages[] = {37, 273, 437, 500, 819, 850, 923, 1047, 1200, 1208, 1252};
  return std::find(std::begin(kPages), std::end(kPages), ccsid) != std::end(kPages);
}

}  // namespace pvxjsim

namespace pvxjsim {

namespace {

// A text the definition leaves empty is no value.
void SetIf(Record* r, const std::string& name, const std::optional<std::string>& text) {
  if (!text || text->empty()) return;
  for (Field& f : r->fields)
    if (f.name == name) {
      f.value = *text;
      return;
    }
  r->fields.push_back({name, *text});
}

void SetIf(Record* r, const std::string& name, std::optional<int64_t> n) {
  if (!n || *n < INT32_MIN || *n > INT32_MAX) return;
  for (Field& f : r->fields)
    if (f.name == name) {
      f.value = static_cast<int32_t>(*n);
      return;
    }
  r->fields.push_back({name, static_cast<int32_t>(*n)});
}

std::optional<int64_t> OptInt(Stmt& q, int col) {
  if (q.IsNull(col)) return std::nullopt;
  return q.Int(col);
}

}  // namespace

void FillPredefined(Store& store, int64_t pi, std::optional<int64_t> ai, Record* record) {
  {
    Stmt q(store.db(), "SELECT i.name, t.name, t.role_name, t.organization, t.process_admin, t.notify_seconds "
                       "FROM process_instances i JOIN process_templates t ON t.id=i.template_id WHERE i.id=?");
    q.Bind(1, pi);
    if (q.Step()) {
      SetIf(record, "_PROCESS", q.OptText(0));
      SetIf(record, "_PROCESS_MODEL", q.OptText(1));
      SetIf(record, "_PROCESS_INFO.Role", q.OptText(2));
      SetIf(record, "_PROCESS_INFO.Organization", q.OptText(3));
      SetIf(record, "_PROCESS_INFO.ProcessAdministrator", q.OptText(4));
      SetIf(record, "_PROCESS_INFO.Duration", OptInt(q, 5));
    }
  }
  if (!ai) return;
  Stmt q(store.db(), "SELECT a.name, a.staff_roles, a.staff_organization, a.staff_level_min, a.staff_level_max, "
                     "a.staff_persons, t.notify_person, a.notify_seconds, a.notify2_seconds, a.priority "
                     "FROM activity_instances i JOIN activities a ON a.id=i.activity_id "
                     "JOIN process_templates t ON t.id=a.template_id WHERE i.id=?");
  q.Bind(1, *ai);
  if (!q.Step()) return;
  SetIf(record, "_ACTIVITY", q.OptText(0));
  SetIf(record, "_ACTIVITY_INFO.MembersOfRoles", q.OptText(1));
  SetIf(record, "_ACTIVITY_INFO.Organization", q.OptText(2));
  SetIf(record, "_ACTIVITY_INFO.LowerLevel", OptInt(q, 3));
  SetIf(record, "_ACTIVITY_INFO.UpperLevel", OptInt(q, 4));
  SetIf(record, "_ACTIVITY_INFO.People", q.OptText(5));
  SetIf(record, "_ACTIVITY_INFO.PersonToNotify", q.OptText(6));
  SetIf(record, "_ACTIVITY_INFO.Duration", OptInt(q, 7));
  SetIf(record, "_ACTIVITY_INFO.Duration2", OptInt(q, 8));
  SetIf(record, "_ACTIVITY_INFO.Priority", OptInt(q, 9));
}

void SetRc(Record* record, int32_t rc) {
  for (Field& f : record->fields)
    if (f.name == "_RC") f.value = rc;
}

}  // namespace pvxjsim
