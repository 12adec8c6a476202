// String vectors and integer vectors.
#include <pvxj/int_vector.h>
#include <pvxj/string_vector.h>

#include "string_vector.h"

#include <algorithm>

#include "client.h"

namespace pvxjsim {

int32_t NewStringVector(std::vector<std::string> items, HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  auto v = std::make_unique<StringVectorObject>();
  v->items = std::move(items);
  return AddHandle(Cls::StringVector, std::move(v), out);
}

const std::vector<std::string>* StringsOf(HandleRef handle) {
  auto* v = Client::Get().handles.Get<StringVectorObject>(handle, Cls::StringVector);
  return v ? &v->items : nullptr;
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

template <class V>
V* Find(HandleRef handle, Cls cls, int32_t* rc) {
  auto* v = Client::Get().handles.Get<V>(handle, cls);
  if (!v) *rc = PVX_ERROR_INVALID_HANDLE;
  return v;
}

template <class V>
int32_t Allocate(Cls cls, HandleSlot out, const char* origin) {
  return Guarded([&]() -> int32_t {
    if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return AddHandle(cls, std::make_unique<V>(), out);
  }, origin);
}

template <class V>
uint32_t Size(HandleRef handle, Cls cls, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    V* v = Find<V>(handle, cls, rc);
    return v ? static_cast<uint32_t>(v->items.size()) : 0;
  }, origin);
}

// First (restart) or next element; null past the end.
char* Text(HandleRef handle, bool restart, char* buffer, uint32_t length, const char* origin) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    auto* v = Find<StringVectorObject>(handle, Cls::StringVector, rc);
    if (!v) return nullptr;
    if (restart) v->cursor = 0;
    if (v->cursor >= v->items.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return nullptr;
    }
    if (!buffer || length == 0) {
      *rc = PVX_ERROR_BUFFER;
      return nullptr;
    }
    return CopyOut(v->items[v->cursor++], buffer, length);
  }, origin);
}

int32_t Number(HandleRef handle, bool restart, const char* origin) {
  return GuardedValue<int32_t>(0, [&](int32_t* rc) -> int32_t {
    auto* v = Find<IntVectorObject>(handle, Cls::IntVector, rc);
    if (!v) return 0;
    if (restart) v->cursor = 0;
    if (v->cursor >= v->items.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return 0;
    }
    return v->items[v->cursor++];
  }, origin);
}

// Removes the first element equal to value, keeping the walk on the element
// it would have given next.
template <class V, class T>
int32_t Remove(V& v, const T& value) {
  auto it = std::find(v.items.begin(), v.items.end(), value);
  if (it == v.items.end()) return PVX_ERROR_DOES_NOT_EXIST;
  size_t at = static_cast<size_t>(it - v.items.begin());
  v.items.erase(it);
  if (at < v.cursor) --v.cursor;
  return PVX_OK;
}

}  // namespace

extern "C" {

int32_t PvxjStringVectorAllocate(PvxjStringVector* vector) {
  return Allocate<StringVectorObject>(Cls::StringVector, vector, __func__);
}

uint32_t PvxjStringVectorSize(PvxjStringVector vector) {
  return Size<StringVectorObject>(vector, Cls::StringVector, __func__);
}

char* PvxjStringVectorFirstElement(PvxjStringVector vector, char* buffer, uint32_t bufferLength) {
  return Text(vector, true, buffer, bufferLength, __func__);
}

char* PvxjStringVectorNextElement(PvxjStringVector vector, char* buffer, uint32_t bufferLength) {
  return Text(vector, false, buffer, bufferLength, __func__);
}

int32_t PvxjStringVectorAddElement(PvxjStringVector vector, const char* value) {
  return Guarded([&]() -> int32_t {
    int32_t rc = PVX_OK;
    auto* v = Find<StringVectorObject>(vector, Cls::StringVector, &rc);
    if (!v) return rc;
    if (!value) return PVX_ERROR_FORMAT;
    v->items.emplace_back(value);
    return PVX_OK;
  });
}

int32_t PvxjStringVectorRemoveElement(PvxjStringVector vector, const char* value) {
  return Guarded([&]() -> int32_t {
    int32_t rc = PVX_OK;
    auto* v = Find<StringVectorObject>(vector, Cls::StringVector, &rc);
    if (!v) return rc;
    if (!value) return PVX_ERROR_FORMAT;
    return Remove(*v, std::string(value));
  });
}

int32_t PvxjStringVectorResultParmDeallocate(PvxjStringVector* vector) {
  return Guarded([&]() -> int32_t {
    if (!vector || !Client::Get().handles.Remove(*vector, Cls::StringVector)) return PVX_ERROR_INVALID_HANDLE;
    *vector = 0;
    return PVX_OK;
  });
}

uint32_t PvxjStringVectorResultParmSize(PvxjStringVector vector) {
  return Size<StringVectorObject>(vector, Cls::StringVector, __func__);
}

char* PvxjStringVectorFirstResultParmElement(PvxjStringVector vector, char* buffer,
                                             uint32_t bufferLength) {
  return Text(vector, true, buffer, bufferLength, __func__);
}

char* PvxjStringVectorNextResultParmElement(PvxjStringVector vector, char* buffer,
                                            uint32_t bufferLength) {
  return Text(vector, false, buffer, bufferLength, __func__);
}

int32_t PvxjIntVectorAllocate(PvxjIntVector* vector) {
  return Allocate<IntVectorObject>(Cls::IntVector, vector, __func__);
}

uint32_t PvxjIntVectorSize(PvxjIntVector vector) {
  return Size<IntVectorObject>(vector, Cls::IntVector, __func__);
}

int32_t PvxjIntVectorFirstElement(PvxjIntVector vector) { return Number(vector, true, __func__); }

int32_t PvxjIntVectorNextElement(PvxjIntVector vector) { return Number(vector, false, __func__); }

int32_t PvxjIntVectorAddElement(PvxjIntVector vector, int32_t value) {
  return Guarded([&]() -> int32_t {
    int32_t rc = PVX_OK;
    auto* v = Find<IntVectorObject>(vector, Cls::IntVector, &rc);
    if (!v) return rc;
    v->items.push_back(value);
    return PVX_OK;
  });
}

int32_t PvxjIntVectorRemoveElement(PvxjIntVector vector, int32_t value) {
  return Guarded([&]() -> int32_t {
    int32_t rc = PVX_OK;
    auto* v = Find<IntVectorObject>(vector, Cls::IntVector, &rc);
    if (!v) return rc;
    return Remove(*v, value);
  });
}

}  // extern "C"
