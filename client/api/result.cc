// The result object of the calling thread, error objects and the global
// configuration functions.
#include <algorithm>
#include <cctype>

#include <pvxj/error.h>
#include <pvxj/global.h>
#include <pvxj/result.h>

#include "client.h"
#include "error.h"
#include "message.h"
#include "string_vector.h"

namespace pvxjsim {

int32_t NewError(int32_t rc, std::vector<std::string> params, HandleSlot out) {
  if (!out) return PVX_ERROR_INVALID_RESULT_HANDLE;
  auto e = std::make_unique<ErrorObject>();
  e->rc = rc;
  e->params = std::move(params);
  return AddHandle(Cls::Error, std::move(e), out);
}

}  // namespace pvxjsim

using namespace pvxjsim;

namespace {

// The thread's result object holds the thread's result as it was when the
// object was last asked for, so the calls that read it do not change it.
struct ResultObject : Object {
  const ThreadResult* owner = nullptr;
  ThreadResult snapshot;
};

ThreadResult* FindResult(HandleRef handle) {
  // A thread's result object serves that thread only.
  auto* r = Client::Get().handles.Get<ResultObject>(handle, Cls::Result);
  return r && r->owner == &CurrentResult() ? &r->snapshot : nullptr;
}

// The result functions read the thread's result and must not replace it, so
// they take the lock without the API boundary.
template <class R, class Fn>
R Reading(R fallback, Fn&& fn) {
  try {
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    return fn();
  } catch (const std::exception&) {
    return fallback;
  }
}

struct GlobalState {
  bool connected = false;
  std::string configuration;  // "" = the default
};

GlobalState& Global() {
  static GlobalState g;
  return g;
}

// Configuration names: letters, digits, '_' and '-', at most 32 of them.
bool ValidConfiguration(const std::string& id) {
  if (id.size() > 32) return false;
  return std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-'; });
}

}  // namespace

extern "C" {

int32_t PvxjGlobalConnect(void) {
  return Guarded([&]() -> int32_t {
    Store* store = Client::Get().store();
    if (!store) {
      SetLastResult(PVX_ERROR_COMMUNICATION, Client::Get().StoreOpenError());
      return PVX_ERROR_COMMUNICATION;
    }
    Global().connected = true;
    return PVX_OK;
  });
}

int32_t PvxjGlobalDisconnect(void) {
  return Guarded([&]() -> int32_t {
    // Later calls open the store again; sessions live in the store, not here.
    Client::Get().CloseStore();
    Global().connected = false;
    return PVX_OK;
  });
}

int32_t PvxjGlobalSetConfigurationID(const char* configurationId) {
  return Guarded([&]() -> int32_t {
    std::string id = configurationId ? configurationId : "";
    if (!ValidConfiguration(id)) {
      SetLastResult(PVX_ERROR_INVALID_CONFIGURATION_ID, id);
      return PVX_ERROR_INVALID_CONFIGURATION_ID;
    }
    // A connected client keeps the configuration it connected with.
    if (Global().connected) return PVX_ERROR_NOT_ALLOWED;
    Global().configuration = id;
    return PVX_OK;
  });
}

char* PvxjGlobalConfigurationID(char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t*) -> char* {
    if (Global().configuration.empty()) return nullptr;
    return CopyOut(Global().configuration, buffer, bufferLength);
  });
}

PvxjResult PvxjResultObjectOfCurrentThread(void) {
  return Reading<HandleRef>(0, [&]() -> uint32_t {
    thread_local uint32_t handle = 0;
    if (ThreadResult* r = FindResult(handle)) {
      *r = CurrentResult();
      return handle;
    }
    auto r = std::make_unique<ResultObject>();
    r->owner = &CurrentResult();
    r->snapshot = CurrentResult();
    handle = Client::Get().handles.Add(Cls::Result, std::move(r));
    return handle;
  });
}

int32_t PvxjResultRc(PvxjResult result) {
  return Reading<int32_t>(PVX_ERROR_INVALID_HANDLE, [&]() -> int32_t {
    ThreadResult* r = FindResult(result);
    return r ? r->rc : PVX_ERROR_INVALID_HANDLE;
  });
}

char* PvxjResultOrigin(PvxjResult result, char* buffer, uint32_t bufferLength) {
  return Reading<char*>(nullptr, [&]() -> char* {
    ThreadResult* r = FindResult(result);
    if (!r || r->origin.empty()) return nullptr;
    return CopyOut(r->origin, buffer, bufferLength);
  });
}

char* PvxjResultMessageText(PvxjResult result, char* buffer, uint32_t bufferLength) {
  return Reading<char*>(nullptr, [&]() -> char* {
    ThreadResult* r = FindResult(result);
    if (!r) return nullptr;
    std::optional<std::string> text = ResultMessage(r->rc, r->params);
    return text ? CopyOut(*text, buffer, bufferLength) : nullptr;
  });
}

PvxjStringVector PvxjResultParameters(PvxjResult result) {
  return Reading<HandleRef>(0, [&]() -> uint32_t {
    ThreadResult* r = FindResult(result);
    uint32_t v = 0;
    if (!r || NewStringVector(r->params, &v) != PVX_OK) return 0;
    return v;
  });
}

void PvxjResultSetResult(int32_t returnCode, const char* file, int32_t line, const char* function,
                         PvxjStringVector parameters) {
  Reading<int>(0, [&]() -> int {
    ThreadResult& r = CurrentResult();
    r.rc = returnCode;
    r.origin = function ? function : "";
    if (file) r.origin += std::string(r.origin.empty() ? "" : " ") + "(" + file + ":" + std::to_string(line) + ")";
    r.params.clear();
    if (const std::vector<std::string>* p = StringsOf(parameters)) r.params = *p;
    return 0;
  });
}

int32_t PvxjErrorRc(PvxjError error) {
  return GuardedValue<int32_t>(PVX_ERROR_INVALID_HANDLE, [&](int32_t* rc) -> int32_t {
    auto* e = Client::Get().handles.Get<ErrorObject>(error, Cls::Error);
    if (!e) *rc = PVX_ERROR_INVALID_HANDLE;
    return e ? e->rc : PVX_ERROR_INVALID_HANDLE;
  });
}

int32_t PvxjErrorCopy(PvxjError error, PvxjError* copy) {
  return Guarded([&]() -> int32_t {
    auto* e = Client::Get().handles.Get<ErrorObject>(error, Cls::Error);
    if (!e) return PVX_ERROR_INVALID_HANDLE;
    return NewError(e->rc, e->params, copy);
  });
}

unsigned char PvxjErrorEqual(PvxjError error, PvxjError other) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto* a = Client::Get().handles.Get<ErrorObject>(error, Cls::Error);
    auto* b = Client::Get().handles.Get<ErrorObject>(other, Cls::Error);
    if (!a || !b) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    // The parameters form a set: their order carries no meaning.
    auto pa = a->params, pb = b->params;
    std::sort(pa.begin(), pa.end());
    std::sort(pb.begin(), pb.end());
    return a->rc == b->rc && pa == pb;
  });
}

char* PvxjErrorMessageText(PvxjError error, char* buffer, uint32_t bufferLength) {
  return GuardedValue<char*>(nullptr, [&](int32_t* rc) -> char* {
    auto* e = Client::Get().handles.Get<ErrorObject>(error, Cls::Error);
    if (!e) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return nullptr;
    }
    std::optional<std::string> text = ResultMessage(e->rc, e->params);
    return text ? CopyOut(*text, buffer, bufferLength) : nullptr;
  });
}

PvxjStringVector PvxjErrorParameters(PvxjError error) {
  return GuardedValue<HandleRef>(0, [&](int32_t* rc) -> uint32_t {
    auto* e = Client::Get().handles.Get<ErrorObject>(error, Cls::Error);
    if (!e) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    uint32_t v = 0;
    *rc = NewStringVector(e->params, &v);
    return v;
  });
}

}  // extern "C"
