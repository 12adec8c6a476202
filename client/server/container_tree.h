// The member tree of a container as the API walks it: structures, arrays and
// leaves, the predefined members every container has, and the typed reads
// and writes by qualified name that the container and element functions
// share.
#ifndef PVXJSIM_CONTAINER_TREE_H
#define PVXJSIM_CONTAINER_TREE_H

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "container.h"
#include "record.h"

namespace pvxjsim {

class Store;

// One member of a structure as defined: its name, its type (a simple type
// or a structure's name) and its array size (0 for a single member).
struct MemberDef {
  std::string name;
  std::string type;
  int64_t array = 0;
};

// The predefined structures' type names.
inline constexpr const char* kProcessInfoType = "_PROCESS_INFO";
inline constexpr const char* kActivityInfoType = "_ACTIVITY_INFO";

// The members of a structure in definition order; the predefined structures
// have their fixed members.
std::vector<MemberDef> MembersOf(Store& store, const std::string& structure);

// The predefined top-level members of a container: _ACTIVITY, _PROCESS,
// _PROCESS_MODEL, _RC (only in a container that has it), _PROCESS_INFO and
// _ACTIVITY_INFO.
std::vector<MemberDef> PredefinedMembers(bool with_rc);

// Whether a qualified name is a predefined member or lies inside one.
bool IsPredefined(const std::string& qualified_name);

// An output container carries the member _RC (kept as a field, null until it
// is set); an input container has no such member.
bool HasRc(const Record& record);
void AddRc(Record* record);

// The structure's leaves and the predefined ones; false when the structure
// is unknown or too large (LoadSchema).
bool LoadContainerSchema(Store& store, const std::string& structure, Schema* out);

// "A.[2]" is "A[2]": an array element's own name joined to its array's.
std::string NormalName(const std::string& qualified_name);

// A node of the tree: a leaf, an array (array > 0) or a structure.
struct Node {
  std::string name;  // its own name; "[i]" for an array element
  std::string full;  // the qualified name from the container's top
  std::string type;  // simple type or structure; an array's element type
  int64_t array = 0;
  bool IsLeaf() const { return array == 0 && LeafTypeOf(type).has_value(); }
  bool IsArray() const { return array > 0; }
  bool IsStruct() const { return array == 0 && !LeafTypeOf(type).has_value(); }
};

// The top-level nodes of a container: its structure's members, then (with
// predefined) the predefined members.
std::vector<Node> TopNodes(Store& store, const Record& record, bool predefined);
// The members of a structure node or the elements of an array node.
std::vector<Node> Children(Store& store, const Node& node);
// Every leaf below the given nodes, in tree order; stops (false) past
// kMaxStructureLeaves.
bool CollectLeaves(Store& store, const std::vector<Node>& nodes, std::vector<Node>* out);
// The node a qualified name names, from the top of the container.
std::optional<Node> FindNode(Store& store, const Record& record, const std::string& qualified_name);

// Typed reads: PVX_OK, PVX_ERROR_MEMBER_NOT_FOUND, PVX_ERROR_WRONG_TYPE or
// PVX_ERROR_MEMBER_NOT_SET. *value is left alone unless PVX_OK.
int32_t ReadMember(const Schema& schema, const Record& record, const char* qualified_name,
                   LeafType want, FieldValue* value);
// A typed write; PVX_ERROR_MEMBER_CANNOT_BE_SET for the members the server
// fills (_ACTIVITY, _PROCESS, _PROCESS_MODEL).
int32_t WriteMember(const Schema& schema, Record* record, const char* qualified_name,
                    LeafType type, FieldValue value);

// "Name[index]" for the array functions.
std::string ArrayMemberName(const char* qualified_name, uint32_t index);

// The predefined members the server fills from the definition: those of the
// process, and with an activity instance, those of the activity.
void FillPredefined(Store& store, int64_t pi, std::optional<int64_t> ai, Record* record);
// The program's return code in an output container's _RC.
void SetRc(Record* record, int32_t rc);

// The known code pages of PvxjContainerSetStringCcsid.
bool KnownCodePage(int32_t ccsid);

}  // namespace pvxjsim

#endif
