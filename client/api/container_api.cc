// The container functions: typed reads of either container class, writes of
// a read-write container, the stream form, copies and conversions, and the
// containers of a program's own activity.
#include <cstdlib>
#include <cstring>
#include <map>

#include <pvxj/container.h>

#include "agent.h"
#include "client.h"
#include "container_element.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

RecordObject* FindContainer(HandleRef handle) {
  HandleTable& h = Client::Get().handles;
  if (auto* c = h.Get<RecordObject>(handle, Cls::ReadWriteContainer)) return c;
  return h.Get<RecordObject>(handle, Cls::ReadOnlyContainer);
}

// The container and its schema; a code when either is missing.
int32_t Open(HandleRef handle, RecordObject** c, Schema* schema, Store** store_out = nullptr) {
  *c = FindContainer(handle);
  if (!*c) return PVX_ERROR_INVALID_HANDLE;
  Store* store = Client::Get().store();
  if (!store) return PVX_ERROR_COMMUNICATION;
  if (store_out) *store_out = store;
  if (schema && !LoadContainerSchema(*store, (*c)->record.type_name, schema)) return PVX_ERROR_INVALID_CONTAINER;
  return PVX_OK;
}

int32_t Read(HandleRef handle, const std::string* name, const char* raw, LeafType type, FieldValue* v,
             const char* origin) {
  return Guarded([&]() -> int32_t {
    RecordObject* c;
    Schema schema;
    if (int32_t rc = Open(handle, &c, &schema)) return rc;
    return ReadMember(schema, c->record, name ? name->c_str() : raw, type, v);
  }, origin);
}

int32_t Length(HandleRef handle, const std::string* name, const char* raw, LeafType type, uint32_t* length,
               const char* origin) {
  FieldValue v;
  int32_t rc = Read(handle, name, raw, type, &v, origin);
  if (rc == PVX_OK && length) *length = ValueLength(v);
  return rc;
}

int32_t Write(HandleRef handle, const std::string* name, const char* raw, LeafType type, FieldValue v,
              const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(handle, Cls::ReadWriteContainer);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    Store* store = Client::Get().store();
    if (!store) return PVX_ERROR_COMMUNICATION;
    Schema schema;
    if (!LoadContainerSchema(*store, c->record.type_name, &schema)) return PVX_ERROR_INVALID_CONTAINER;
    return WriteMember(schema, &c->record, name ? name->c_str() : raw, type, std::move(v));
  }, origin);
}

std::vector<uint8_t> Bytes(const unsigned char* value, uint32_t length) {
  return value ? std::vector<uint8_t>(value, value + length) : std::vector<uint8_t>();
}

uint32_t Count(HandleRef handle, int which, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    RecordObject* c;
    Store* store;
    if ((*rc = Open(handle, &c, nullptr, &store))) return 0;
    std::vector<Node> top = TopNodes(*store, c->record, which == 1);
    if (which == 2) return static_cast<uint32_t>(top.size());
    std::vector<Node> leaves;
    if (!CollectLeaves(*store, top, &leaves)) {
      *rc = PVX_ERROR_INVALID_CONTAINER;
      return 0;
    }
    return static_cast<uint32_t>(leaves.size());
  }, origin);
}

// which: 0 leaves, 1 all leaves (the predefined first), 2 top-level members.
HandleRef Vector(HandleRef handle, int which, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    RecordObject* c;
    Store* store;
    if ((*rc = Open(handle, &c, nullptr, &store))) return 0;
    std::vector<Node> nodes;
    if (which == 2) {
      nodes = TopNodes(*store, c->record, false);
    } else {
      std::vector<Node> top;
      if (which == 1)
        for (const MemberDef& m : PredefinedMembers(HasRc(c->record))) top.push_back({m.name, m.name, m.type, 0});
      for (Node& n : TopNodes(*store, c->record, false)) top.push_back(std::move(n));
      if (!CollectLeaves(*store, top, &nodes)) {
        *rc = PVX_ERROR_INVALID_CONTAINER;
        return 0;
      }
    }
    uint32_t out = 0;
    *rc = AddElementVector(std::make_shared<const Record>(c->record), std::move(nodes), &out);
    return out;
  }, origin);
}

// The activity instance of a program execution, by its program identifier
// (this process's own when null); 0 with *rc set when there is none.
int64_t ProgramActivity(const char* program_id, int32_t* rc) {
  std::string id;
  if (program_id) {
    id = program_id;
  } else if (const char* own = std::getenv(kProgramIdVariable); own && *own) {
    id = own;
  } else {
    *rc = PVX_ERROR_INVALID_PROGRAMID;
    return 0;
  }
  Store* store = Client::Get().store();
  if (!store) {
    *rc = PVX_ERROR_COMMUNICATION;
    return 0;
  }
  Stmt q(store->db(), "SELECT activity_instance_id FROM program_executions WHERE program_id=?");
  q.Bind(1, std::string_view(id));
  const bool recorded = q.Step() && !q.IsNull(0);
  // A program's own execution is also known from the agent's environment.
  const char* own = std::getenv(kProgramIdVariable);
  const char* activity = std::getenv("PVXJSIM_ACTIVITY_OID");
  if (!recorded && own && id == own && activity) {
    std::string tag;
    int64_t ai = 0;
    if (ParseOid(activity, &tag, &ai) && tag == oid_tag::kActivityInstance) {
      Stmt a(store->db(), "SELECT 1 FROM activity_instances WHERE id=?");
      a.Bind(1, ai);
      if (a.Step()) return ai;
    }
  }
  if (!recorded) {
    *rc = PVX_ERROR_INVALID_PROGRAMID;
    SetLastResult(*rc, id);
    return 0;
  }
  return q.Int(0);
}

// The structure of an activity's input or output container.
std::string ActivityStructure(Store& store, int64_t ai, const char* role) {
  Stmt q(store.db(), std::string("SELECT COALESCE(a.") + role + "_container, t." + role +
                         "_container) FROM activity_instances i JOIN activities a ON a.id=i.activity_id "
                         "JOIN process_instances p ON p.id=i.process_instance_id "
                         "JOIN process_templates t ON t.id=p.template_id WHERE i.id=?");
  q.Bind(1, ai);
  return q.Step() && !q.IsNull(0) ? q.Text(0) : std::string();
}

int32_t ProgramContainer(const char* program_id, bool remote, bool output, HandleSlot slot, const char* origin) {
  return Guarded([&]() -> int32_t {
    if (!slot) return PVX_ERROR_INVALID_HANDLE;
    if (remote && (!program_id || !*program_id)) return PVX_ERROR_INVALID_PROGRAMID;
    int32_t rc = PVX_OK;
    int64_t ai = ProgramActivity(remote ? program_id : nullptr, &rc);
    if (rc) return rc;
    Store* store = Client::Get().store();
    const char* role = output ? "out" : "in";
    auto obj = std::make_unique<RecordObject>();
    if (auto r = LoadContainer(*store, "AI", ai, role)) {
      obj->record = *r;
    } else {
      obj->record.type_name = ActivityStructure(*store, ai, role);
      if (obj->record.type_name.empty()) return PVX_ERROR_INVALID_CONTAINER;
    }
    obj->record.kind = output ? RecordKind::kReadWriteContainer : RecordKind::kReadOnlyContainer;
    if (output) AddRc(&obj->record);
    return AddHandle(output ? Cls::ReadWriteContainer : Cls::ReadOnlyContainer, std::move(obj), slot);
  }, origin);
}

int32_t SetProgramOut(const char* program_id, bool remote, HandleRef container, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadWriteContainer);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    if (remote && (!program_id || !*program_id)) return PVX_ERROR_INVALID_PROGRAMID;
    int32_t rc = PVX_OK;
    int64_t ai = ProgramActivity(remote ? program_id : nullptr, &rc);
    if (rc) return rc;
    Store* store = Client::Get().store();
    if (c->record.type_name != ActivityStructure(*store, ai, "out")) return PVX_ERROR_UNEXPECTED_CONTAINER;
    SaveContainer(*store, "AI", ai, "out", c->record);
    return PVX_OK;
  }, origin);
}

}  // namespace

extern "C" {

char* PvxjContainerType(PvxjContainer container, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    RecordObject* c = FindContainer(container);
    if (!c) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    return CopyOut(c->record.type_name, buffer, bufferLength);
  });
}

uint32_t PvxjContainerLeafCount(PvxjContainer container) { return Count(container, 0, __func__); }
uint32_t PvxjContainerAllLeafCount(PvxjContainer container) { return Count(container, 1, __func__); }
uint32_t PvxjContainerMemberCount(PvxjContainer container) { return Count(container, 2, __func__); }
PvxjContainerElementVector PvxjContainerLeaves(PvxjContainer container) { return Vector(container, 0, __func__); }
PvxjContainerElementVector PvxjContainerAllLeaves(PvxjContainer container) { return Vector(container, 1, __func__); }
PvxjContainerElementVector PvxjContainerStructMembers(PvxjContainer container) {
  return Vector(container, 2, __func__);
}

int32_t PvxjContainerGetElement(PvxjContainer container, const char* qualifiedName, PvxjContainerElement* element) {
  return Guarded([&]() -> int32_t {
    if (!element) return PVX_ERROR_INVALID_HANDLE;
    RecordObject* c;
    Store* store;
    if (int32_t rc = Open(container, &c, nullptr, &store)) return rc;
    if (!qualifiedName) return PVX_ERROR_MEMBER_NOT_FOUND;
    std::optional<Node> n = FindNode(*store, c->record, qualifiedName);
    if (!n || (n->full == "_RC" && !HasRc(c->record))) return PVX_ERROR_MEMBER_NOT_FOUND;
    return AddElement(std::make_shared<const Record>(c->record), *n, element);
  });
}

int32_t PvxjContainerStringLength(PvxjContainer container, const char* qualifiedName, uint32_t* length) {
  return Length(container, nullptr, qualifiedName, LeafType::kString, length, __func__);
}
int32_t PvxjContainerBinaryLength(PvxjContainer container, const char* qualifiedName, uint32_t* length) {
  return Length(container, nullptr, qualifiedName, LeafType::kBinary, length, __func__);
}
int32_t PvxjContainerStringValue(PvxjContainer container, const char* qualifiedName, char* buffer,
                                 uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(container, nullptr, qualifiedName, LeafType::kString, &v, __func__);
  return TextOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerLongValue(PvxjContainer container, const char* qualifiedName, int32_t* value) {
  FieldValue v;
  int32_t rc = Read(container, nullptr, qualifiedName, LeafType::kLong, &v, __func__);
  if (!rc && value) *value = std::get<int32_t>(v);
  return rc;
}
int32_t PvxjContainerFloatValue(PvxjContainer container, const char* qualifiedName, double* value) {
  FieldValue v;
  int32_t rc = Read(container, nullptr, qualifiedName, LeafType::kFloat, &v, __func__);
  if (!rc && value) *value = std::get<double>(v);
  return rc;
}
int32_t PvxjContainerBinaryValue(PvxjContainer container, const char* qualifiedName, unsigned char* buffer,
                                 uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(container, nullptr, qualifiedName, LeafType::kBinary, &v, __func__);
  return BytesOut(rc, v, buffer, bufferLength);
}

int32_t PvxjContainerArrayStringLength(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                       uint32_t* length) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Length(container, &name, nullptr, LeafType::kString, length, __func__);
}
int32_t PvxjContainerArrayBinaryLength(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                       uint32_t* length) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Length(container, &name, nullptr, LeafType::kBinary, length, __func__);
}
int32_t PvxjContainerArrayStringValue(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                      char* buffer, uint32_t bufferLength) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  FieldValue v;
  int32_t rc = Read(container, &name, nullptr, LeafType::kString, &v, __func__);
  return TextOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerArrayLongValue(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                    int32_t* value) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  FieldValue v;
  int32_t rc = Read(container, &name, nullptr, LeafType::kLong, &v, __func__);
  if (!rc && value) *value = std::get<int32_t>(v);
  return rc;
}
int32_t PvxjContainerArrayFloatValue(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                     double* value) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  FieldValue v;
  int32_t rc = Read(container, &name, nullptr, LeafType::kFloat, &v, __func__);
  if (!rc && value) *value = std::get<double>(v);
  return rc;
}
int32_t PvxjContainerArrayBinaryValue(PvxjContainer container, const char* qualifiedName, uint32_t index,
                                      unsigned char* buffer, uint32_t bufferLength) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  FieldValue v;
  int32_t rc = Read(container, &name, nullptr, LeafType::kBinary, &v, __func__);
  return BytesOut(rc, v, buffer, bufferLength);
}

uint32_t PvxjContainerStreamLength(PvxjContainer container) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    RecordObject* c = FindContainer(container);
    if (!c) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(SerializeRecord(c->record).size());
  });
}

unsigned char PvxjContainerAsStream(PvxjContainer container, unsigned char* buffer, uint32_t bufferLength) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    RecordObject* c = FindContainer(container);
    if (!c) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    std::vector<uint8_t> bytes = SerializeRecord(c->record);
    if (!buffer || bytes.size() > bufferLength) {
      *rc = PVX_ERROR_BUFFER;
      return 0;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    return 1;
  });
}

int32_t PvxjContainerSetStringCcsid(PvxjContainer container, int32_t ccsid) {
  return Guarded([&]() -> int32_t {
    RecordObject* c = FindContainer(container);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    if (!KnownCodePage(ccsid)) return PVX_ERROR_INVALID_CODE_PAGE;
    c->ccsid = ccsid;
    return PVX_OK;
  });
}

int32_t PvxjReadWriteContainerSetStringValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                             const char* value) {
  return Write(container, nullptr, qualifiedName, LeafType::kString,
               value ? FieldValue(std::string(value)) : FieldValue(), __func__);
}
int32_t PvxjReadWriteContainerSetLongValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                           int32_t value) {
  return Write(container, nullptr, qualifiedName, LeafType::kLong, value, __func__);
}
int32_t PvxjReadWriteContainerSetFloatValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                            double value) {
  return Write(container, nullptr, qualifiedName, LeafType::kFloat, value, __func__);
}
int32_t PvxjReadWriteContainerSetBinaryValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                             const unsigned char* value, uint32_t length) {
  return Write(container, nullptr, qualifiedName, LeafType::kBinary, Bytes(value, length), __func__);
}
int32_t PvxjReadWriteContainerSetArrayStringValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                                  uint32_t index, const char* value) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Write(container, &name, nullptr, LeafType::kString,
               value ? FieldValue(std::string(value)) : FieldValue(), __func__);
}
int32_t PvxjReadWriteContainerSetArrayLongValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                                uint32_t index, int32_t value) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Write(container, &name, nullptr, LeafType::kLong, value, __func__);
}
int32_t PvxjReadWriteContainerSetArrayFloatValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                                 uint32_t index, double value) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Write(container, &name, nullptr, LeafType::kFloat, value, __func__);
}
int32_t PvxjReadWriteContainerSetArrayBinaryValue(PvxjReadWriteContainer container, const char* qualifiedName,
                                                  uint32_t index, const unsigned char* value, uint32_t length) {
  const std::string name = ArrayMemberName(qualifiedName, index);
  return Write(container, &name, nullptr, LeafType::kBinary, Bytes(value, length), __func__);
}

int32_t PvxjReadOnlyContainerCopy(PvxjReadOnlyContainer container, PvxjReadOnlyContainer* copy) {
  return Guarded([&]() -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadOnlyContainer);
    if (!c || !copy) return PVX_ERROR_INVALID_HANDLE;
    return AddHandle(Cls::ReadOnlyContainer, std::make_unique<RecordObject>(*c), copy);
  });
}

int32_t PvxjReadWriteContainerCopy(PvxjReadWriteContainer container, PvxjReadWriteContainer* copy) {
  return Guarded([&]() -> int32_t {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadWriteContainer);
    if (!c || !copy) return PVX_ERROR_INVALID_HANDLE;
    return AddHandle(Cls::ReadWriteContainer, std::make_unique<RecordObject>(*c), copy);
  });
}

unsigned char PvxjReadOnlyContainerEqual(PvxjContainer container, PvxjContainer other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    RecordObject* a = FindContainer(container);
    RecordObject* b = FindContainer(other);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    if (a->record.type_name != b->record.type_name || HasRc(a->record) != HasRc(b->record)) return 0;
    // The same values whatever order they were written in; an unset member
    // equals one never written.
    auto values = [](const Record& r) {
      std::map<std::string, FieldValue> m;
      for (const Field& f : r.fields)
        if (!std::holds_alternative<std::monostate>(f.value)) m[f.name] = f.value;
      return m;
    };
    return values(a->record) == values(b->record);
  });
}

PvxjReadWriteContainer PvxjReadOnlyContainerAsReadWriteContainer(PvxjReadOnlyContainer container) {
  return GuardedValue<HandleRef>(0, [&](int32_t* rc) -> HandleRef {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadOnlyContainer);
    if (!c) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    auto obj = std::make_unique<RecordObject>(*c);
    obj->record.kind = RecordKind::kReadWriteContainer;
    uint32_t out = 0;
    *rc = AddHandle(Cls::ReadWriteContainer, std::move(obj), &out);
    return out;
  });
}

PvxjReadOnlyContainer PvxjReadWriteContainerAsReadOnlyContainer(PvxjReadWriteContainer container) {
  return GuardedValue<HandleRef>(0, [&](int32_t* rc) -> HandleRef {
    auto* c = Client::Get().handles.Get<RecordObject>(container, Cls::ReadWriteContainer);
    if (!c) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    auto obj = std::make_unique<RecordObject>(*c);
    obj->record.kind = RecordKind::kReadOnlyContainer;
    uint32_t out = 0;
    *rc = AddHandle(Cls::ReadOnlyContainer, std::move(obj), &out);
    return out;
  });
}

int32_t PvxjContainerInContainer(PvxjReadOnlyContainer* container) {
  return ProgramContainer(nullptr, false, false, container, __func__);
}
int32_t PvxjContainerOutContainer(PvxjReadWriteContainer* container) {
  return ProgramContainer(nullptr, false, true, container, __func__);
}
int32_t PvxjContainerRemoteInContainer(const char* programId, PvxjReadOnlyContainer* container) {
  return ProgramContainer(programId, true, false, container, __func__);
}
int32_t PvxjContainerRemoteOutContainer(const char* programId, PvxjReadWriteContainer* container) {
  return ProgramContainer(programId, true, true, container, __func__);
}
int32_t PvxjContainerSetOutContainer(PvxjReadWriteContainer container) {
  return SetProgramOut(nullptr, false, container, __func__);
}
int32_t PvxjContainerSetRemoteOutContainer(const char* programId, PvxjReadWriteContainer container) {
  return SetProgramOut(programId, true, container, __func__);
}

}  // extern "C"
