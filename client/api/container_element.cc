// Container elements and their vectors: one member of a container (a leaf,
// an array or a structure) with the container's values as they were when it
// was handed out.
#include <cstring>

#include <pvxj/container.h>

#include "client.h"
#include "container_element.h"

namespace pvxjsim {

uint32_t ValueLength(const FieldValue& v) {
  if (auto* s = std::get_if<std::string>(&v)) return static_cast<uint32_t>(s->size());
  if (auto* b = std::get_if<std::vector<uint8_t>>(&v)) return static_cast<uint32_t>(b->size());
  return 0;
}

// Text into the caller's buffer: what fits, PVX_ERROR_BUFFER when not all did.
int32_t TextOut(int32_t rc, const FieldValue& v, char* buffer, uint32_t length) {
  if (rc) return rc;
  const std::string& s = std::get<std::string>(v);
  if (!CopyOut(s, buffer, length)) return PVX_ERROR_BUFFER;
  return s.size() + 1 > length ? PVX_ERROR_BUFFER : PVX_OK;
}

int32_t BytesOut(int32_t rc, const FieldValue& v, unsigned char* buffer, uint32_t length) {
  if (rc) return rc;
  const auto& b = std::get<std::vector<uint8_t>>(v);
  if (!buffer && !b.empty()) return PVX_ERROR_BUFFER;
  size_t n = std::min<size_t>(b.size(), length);
  if (n) std::memcpy(buffer, b.data(), n);
  return b.size() > length ? PVX_ERROR_BUFFER : PVX_OK;
}

int32_t AddElementVector(std::shared_ptr<const Record> record, std::vector<Node> nodes, HandleSlot out) {
  auto v = std::make_unique<ElementVectorObject>();
  v->record = std::move(record);
  v->nodes = std::move(nodes);
  return AddHandle(Cls::ContainerElementVector, std::move(v), out);
}

int32_t AddElement(std::shared_ptr<const Record> record, Node node, HandleSlot out) {
  auto e = std::make_unique<ElementObject>();
  e->record = std::move(record);
  e->node = std::move(node);
  return AddHandle(Cls::ContainerElement, std::move(e), out);
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

ElementObject* FindElement(HandleRef handle) {
  return Client::Get().handles.Get<ElementObject>(handle, Cls::ContainerElement);
}

char* Text(HandleRef handle, char* buffer, uint32_t length, std::string Node::*field, const char* origin) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    ElementObject* e = FindElement(handle);
    if (!e) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    return CopyOut(e->node.*field, buffer, length);
  }, origin);
}

template <class R, class Fn>
R Query(HandleRef handle, Fn&& fn, const char* origin) {
  return GuardedValue<R>(R{}, [&](int32_t* rc) -> R {
    ElementObject* e = FindElement(handle);
    if (!e) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return R{};
    }
    Store* store = Client::Get().store();
    if (!store) {
      *rc = PVX_ERROR_COMMUNICATION;
      return R{};
    }
    return fn(*e, *store, rc);
  }, origin);
}

// which: 0 leaves, 1 members of a structure, 2 elements of an array.
HandleRef Vector(HandleRef handle, int which, const char* origin) {
  return Query<uint32_t>(handle, [&](ElementObject& e, Store& store, int32_t* rc) -> uint32_t {
    std::vector<Node> nodes;
    if (which == 0) {
      if (!CollectLeaves(store, {e.node}, &nodes)) {
        *rc = PVX_ERROR_INVALID_CONTAINER;
        return 0;
      }
    } else if ((which == 1 && e.node.IsStruct()) || (which == 2 && e.node.IsArray())) {
      nodes = Children(store, e.node);
    } else {
      *rc = PVX_ERROR_WRONG_KIND;
      return 0;
    }
    uint32_t out = 0;
    *rc = AddElementVector(e.record, std::move(nodes), &out);
    return out;
  }, origin);
}

// The value of the element itself (index 0) or of element `index` of the
// array it is.
int32_t Read(HandleRef handle, bool array, uint32_t index, LeafType type, FieldValue* v, const char* origin) {
  return Guarded([&]() -> int32_t {
    ElementObject* e = FindElement(handle);
    if (!e) return PVX_ERROR_INVALID_HANDLE;
    Store* store = Client::Get().store();
    if (!store) return PVX_ERROR_COMMUNICATION;
    if (array && !e->node.IsArray()) return PVX_ERROR_WRONG_KIND;
    if (!array && !e->node.IsLeaf()) return PVX_ERROR_WRONG_KIND;
    Schema schema;
    if (!LoadContainerSchema(*store, e->record->type_name, &schema)) return PVX_ERROR_INVALID_CONTAINER;
    const std::string name = array ? ArrayMemberName(e->node.full.c_str(), index) : e->node.full;
    return ReadMember(schema, *e->record, name.c_str(), type, v);
  }, origin);
}

int32_t Length(HandleRef handle, bool array, uint32_t index, LeafType type, uint32_t* length, const char* origin) {
  FieldValue v;
  int32_t rc = Read(handle, array, index, type, &v, origin);
  if (rc == PVX_OK && length) *length = ValueLength(v);
  return rc;
}

HandleRef Walk(HandleRef vector, bool restart, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<ElementVectorObject>(vector, Cls::ContainerElementVector);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    if (restart) v->cursor = 0;
    if (v->cursor >= v->nodes.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return 0;
    }
    uint32_t out = 0;
    if ((*rc = AddElement(v->record, v->nodes[v->cursor], &out))) return 0;
    ++v->cursor;
    return out;
  }, origin);
}

}  // namespace

extern "C" {

int32_t PvxjContainerElementCopy(PvxjContainerElement element, PvxjContainerElement* copy) {
  return Guarded([&]() -> int32_t {
    ElementObject* e = FindElement(element);
    if (!e || !copy) return PVX_ERROR_INVALID_HANDLE;
    return AddElement(e->record, e->node, copy);
  });
}

unsigned char PvxjContainerElementEqual(PvxjContainerElement element, PvxjContainerElement other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    ElementObject* a = FindElement(element);
    ElementObject* b = FindElement(other);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    // The same member of the same container contents.
    return a->node.full == b->node.full && *a->record == *b->record;
  });
}

char* PvxjContainerElementType(PvxjContainerElement element, char* buffer, uint32_t bufferLength) {
  return Text(element, buffer, bufferLength, &Node::type, __func__);
}
char* PvxjContainerElementName(PvxjContainerElement element, char* buffer, uint32_t bufferLength) {
  return Text(element, buffer, bufferLength, &Node::name, __func__);
}
char* PvxjContainerElementFullName(PvxjContainerElement element, char* buffer, uint32_t bufferLength) {
  return Text(element, buffer, bufferLength, &Node::full, __func__);
}

uint32_t PvxjContainerElementLeafCount(PvxjContainerElement element) {
  return Query<uint32_t>(element, [](ElementObject& e, Store& store, int32_t* rc) -> uint32_t {
    std::vector<Node> leaves;
    if (!CollectLeaves(store, {e.node}, &leaves)) *rc = PVX_ERROR_INVALID_CONTAINER;
    return static_cast<uint32_t>(leaves.size());
  }, __func__);
}

uint32_t PvxjContainerElementMemberCount(PvxjContainerElement element) {
  return Query<uint32_t>(element, [](ElementObject& e, Store& store, int32_t*) -> uint32_t {
    return e.node.IsStruct() ? static_cast<uint32_t>(Children(store, e.node).size()) : 0;
  }, __func__);
}

uint32_t PvxjContainerElementCardinality(PvxjContainerElement element) {
  return Query<uint32_t>(element, [](ElementObject& e, Store&, int32_t*) -> uint32_t {
    return e.node.IsArray() ? static_cast<uint32_t>(e.node.array) : 1;
  }, __func__);
}

unsigned char PvxjContainerElementIsArray(PvxjContainerElement element) {
  return Query<unsigned char>(element, [](ElementObject& e, Store&, int32_t*) -> unsigned char {
    return e.node.IsArray();
  }, __func__);
}
unsigned char PvxjContainerElementIsLeaf(PvxjContainerElement element) {
  return Query<unsigned char>(element, [](ElementObject& e, Store&, int32_t*) -> unsigned char {
    return e.node.IsLeaf();
  }, __func__);
}
unsigned char PvxjContainerElementIsStruct(PvxjContainerElement element) {
  return Query<unsigned char>(element, [](ElementObject& e, Store&, int32_t*) -> unsigned char {
    return e.node.IsStruct();
  }, __func__);
}

PvxjContainerElementVector PvxjContainerElementLeaves(PvxjContainerElement element) {
  return Vector(element, 0, __func__);
}
PvxjContainerElementVector PvxjContainerElementStructMembers(PvxjContainerElement element) {
  return Vector(element, 1, __func__);
}
PvxjContainerElementVector PvxjContainerElementArrayElements(PvxjContainerElement element) {
  return Vector(element, 2, __func__);
}

int32_t PvxjContainerElementGetElement(PvxjContainerElement element, const char* qualifiedName,
                                       PvxjContainerElement* found) {
  return Guarded([&]() -> int32_t {
    ElementObject* e = FindElement(element);
    if (!e || !found) return PVX_ERROR_INVALID_HANDLE;
    Store* store = Client::Get().store();
    if (!store) return PVX_ERROR_COMMUNICATION;
    if (!qualifiedName || e->node.IsLeaf()) return PVX_ERROR_MEMBER_NOT_FOUND;
    std::string name = e->node.full + (qualifiedName[0] == '[' ? "" : ".") + qualifiedName;
    std::optional<Node> n = FindNode(*store, *e->record, name);
    if (!n) return PVX_ERROR_MEMBER_NOT_FOUND;
    return AddElement(e->record, *n, found);
  });
}

int32_t PvxjContainerElementStringLength(PvxjContainerElement element, uint32_t* length) {
  return Length(element, false, 0, LeafType::kString, length, __func__);
}
int32_t PvxjContainerElementBinaryLength(PvxjContainerElement element, uint32_t* length) {
  return Length(element, false, 0, LeafType::kBinary, length, __func__);
}
int32_t PvxjContainerElementStringValue(PvxjContainerElement element, char* buffer, uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(element, false, 0, LeafType::kString, &v, __func__);
  return TextOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerElementBinaryValue(PvxjContainerElement element, unsigned char* buffer,
                                        uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(element, false, 0, LeafType::kBinary, &v, __func__);
  return BytesOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerElementLongValue(PvxjContainerElement element, int32_t* value) {
  FieldValue v;
  int32_t rc = Read(element, false, 0, LeafType::kLong, &v, __func__);
  if (!rc && value) *value = std::get<int32_t>(v);
  return rc;
}
int32_t PvxjContainerElementFloatValue(PvxjContainerElement element, double* value) {
  FieldValue v;
  int32_t rc = Read(element, false, 0, LeafType::kFloat, &v, __func__);
  if (!rc && value) *value = std::get<double>(v);
  return rc;
}
int32_t PvxjContainerElementArrayStringLength(PvxjContainerElement element, uint32_t index, uint32_t* length) {
  return Length(element, true, index, LeafType::kString, length, __func__);
}
int32_t PvxjContainerElementArrayBinaryLength(PvxjContainerElement element, uint32_t index, uint32_t* length) {
  return Length(element, true, index, LeafType::kBinary, length, __func__);
}
int32_t PvxjContainerElementArrayStringValue(PvxjContainerElement element, uint32_t index, char* buffer,
                                             uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(element, true, index, LeafType::kString, &v, __func__);
  return TextOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerElementArrayBinaryValue(PvxjContainerElement element, uint32_t index, unsigned char* buffer,
                                             uint32_t bufferLength) {
  FieldValue v;
  int32_t rc = Read(element, true, index, LeafType::kBinary, &v, __func__);
  return BytesOut(rc, v, buffer, bufferLength);
}
int32_t PvxjContainerElementArrayLongValue(PvxjContainerElement element, uint32_t index, int32_t* value) {
  FieldValue v;
  int32_t rc = Read(element, true, index, LeafType::kLong, &v, __func__);
  if (!rc && value) *value = std::get<int32_t>(v);
  return rc;
}
int32_t PvxjContainerElementArrayFloatValue(PvxjContainerElement element, uint32_t index, double* value) {
  FieldValue v;
  int32_t rc = Read(element, true, index, LeafType::kFloat, &v, __func__);
  if (!rc && value) *value = std::get<double>(v);
  return rc;
}

uint32_t PvxjContainerElementVectorSize(PvxjContainerElementVector vector) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<ElementVectorObject>(vector, Cls::ContainerElementVector);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(v->nodes.size());
  });
}
PvxjContainerElement PvxjContainerElementVectorFirstElement(PvxjContainerElementVector vector) {
  return Walk(vector, true, __func__);
}
PvxjContainerElement PvxjContainerElementVectorNextElement(PvxjContainerElementVector vector) {
  return Walk(vector, false, __func__);
}

}  // extern "C"
