// Process-wide state of the client and the helpers every API function uses:
// the handle table, the store (opened on first use), the lock that makes the
// API safe to call from several threads, and the objects handles name.
#ifndef PVXJSIM_CLIENT_H
#define PVXJSIM_CLIENT_H

#include <pvxj/base.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "handles.h"
#include "record.h"
#include "store.h"

namespace pvxjsim {

// One logon session as this process sees it. Copies of a service handle share
// it, so logging off through one is seen through all.
struct ServiceState {
  std::string system;        // requested at allocation, "" = default
  std::string system_group;  // likewise
  int64_t session_id = 0;    // row in sessions; 0 when logged off
  int64_t person_id = 0;
  std::string user_id;
  int32_t timeout_ms = 30000;
  int32_t reconnect_count = 3;
};

struct ServiceObject : Object {
  std::shared_ptr<ServiceState> state;
};

// Kinds of stored list, as kept in persistent_lists.kind.
enum class ListKind : int { kWorklist = 1, kProcessTemplate = 2, kProcessInstance = 3,
                            kActivityInstance = 4 };

// An object that stands for a row of the store (template, instance, item,
// list, person, monitor). The name is the one read when the object was made,
// as a client-side copy; the row id is how later calls find it again.
struct RowObject : Object {
  int64_t id = 0;
  std::string name;
  std::shared_ptr<ServiceState> service;
};

struct ElementRef {
  int64_t id;
  std::string name;
};

// A vector of query results. First/Next hand out element handles of class
// element; the vector keeps its own copy of what it holds.
struct VectorObject : Object {
  Cls element = Cls::kNone;
  std::vector<ElementRef> elements;
  size_t cursor = 0;
  std::shared_ptr<ServiceState> service;
};

// Containers, program data and program templates made from streams.
struct RecordObject : Object {
  Record record;
  int32_t ccsid = 1208;  // the code page texts are handed out in (PvxjContainerSetStringCcsid)
  // The session a program template was had through: its programs run there.
  std::shared_ptr<ServiceState> service;
};

// A reply taken from the session's queue by Receive.
struct ExecutionDataObject : Object {
  int32_t kind = 0;
  std::array<uint8_t, PVXJ_CORREL_ID_LENGTH> correl{};
  std::optional<std::string> user_context;
  std::string ref;  // persistent identifier of the carried object, if any
  std::shared_ptr<ServiceState> service;  // the receiving session
};

class Client {
 public:
  static Client& Get();

  std::recursive_mutex mu;
  HandleTable handles;

  // The store, opened (and seeded when new) on first use from
  // DefaultStorePath(). nullptr when it cannot be opened; StoreOpenError()
  // then says why. A failed open is retried on the next call.
  Store* store();
  const std::string& StoreOpenError() const { return open_error_; }

  // Checkpoints and closes the store (done at process exit); the next call
  // opens it again. A store file that could not be written back is reported
  // on standard error at exit, and CloseError() says why until the next
  // close.
  void CloseStore();
  const std::string& CloseError() const { return close_error_; }

  // Forgets every handle and closes the store, so that the next call opens
  // the store named by the environment again. For tests.
  void ResetForTesting();

  // Makes the store each later open takes instead of the one the environment
  // names (nullptr: the environment again). For fuzzing, which wants a fresh
  // copy of a seeded store per input without seeding each one.
  void SetStoreFactoryForTesting(std::function<std::unique_ptr<Store>()> factory);

 private:
  std::function<std::unique_ptr<Store>()> factory_;
  std::unique_ptr<Store> store_;
  std::string open_error_;
  std::string close_error_;
};

// Result of the last API call on this thread: its return code, the function
// it came from and the parameters of its message (message.h holds the texts;
// the message number is the return code). A message given here becomes the
// first parameter.
void SetLastResult(int32_t rc, std::string message = {});
int32_t LastResultCode();
const std::string& LastResultMessage();  // the first parameter, "" for none

struct ThreadResult {
  int32_t rc = PVX_OK;
  std::string origin;
  std::vector<std::string> params;
};
ThreadResult& CurrentResult();

// The API boundary: every call starts with an OK result naming the function
// and ends with its return code (a message set on the way is kept).
void BeginCall(const char* origin);
void EndCall(int32_t rc);

// Runs fn under the client lock and turns store failures and exhaustion into
// return codes. fn returns an int32_t return code. The origin of the thread's
// result is the calling function.
template <class Fn>
int32_t Guarded(Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  int32_t rc;
  try {
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    BeginCall(origin);
    rc = fn();
    EndCall(rc);
  } catch (const StoreError& e) {
    rc = PVX_ERROR_COMMUNICATION;
    SetLastResult(rc, e.what());
  } catch (const std::bad_alloc&) {
    rc = PVX_ERROR_RESOURCE;
    SetLastResult(rc, "out of memory");
  } catch (const std::exception& e) {
    rc = PVX_ERROR_INTERNAL;
    SetLastResult(rc, e.what());
  }
  return rc;
}

// For functions that return a value instead of a return code: fn gets an
// int32_t* for the return code and returns the value; fallback is returned
// when it throws.
template <class R, class Fn>
R GuardedValue(R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  try {
    std::lock_guard<std::recursive_mutex> lock(Client::Get().mu);
    BeginCall(origin);
    int32_t rc = PVX_OK;
    R value = fn(&rc);
    EndCall(rc);
    return value;
  } catch (const StoreError& e) {
    SetLastResult(PVX_ERROR_COMMUNICATION, e.what());
  } catch (const std::bad_alloc&) {
    SetLastResult(PVX_ERROR_RESOURCE, "out of memory");
  } catch (const std::exception& e) {
    SetLastResult(PVX_ERROR_INTERNAL, e.what());
  }
  return fallback;
}

// Copies text into a caller's buffer, truncated to fit; nullptr when the
// buffer cannot hold even the terminator.
char* CopyOut(const std::string& text, char* buffer, uint32_t length);

// Registers obj under a new handle of class cls and stores it in *out.
// (Handles go to the internals as the API got them: HandleRef and HandleSlot
// take a typed handle, or its address, of any class.)
int32_t AddHandle(Cls cls, std::unique_ptr<Object> obj, HandleSlot out);

// Looks up a service handle; nullptr when it is not a live service.
ServiceState* FindService(HandleRef handle);
ServiceObject* FindServiceObject(HandleRef handle);

// Hands query results to the caller: a new vector in *slot, or, when *slot
// already holds a vector of class vector_cls, the elements added to it.
// PVX_ERROR_INVALID_HANDLE when *slot holds anything else.
int32_t DeliverVector(Cls vector_cls, Cls element_cls, std::vector<ElementRef> elements,
                      const std::shared_ptr<ServiceState>& service, HandleSlot slot);

// Checks *slot before a query runs, with the rule of DeliverVector.
int32_t CheckVectorSlot(Cls vector_cls, HandleSlot slot);

// Checks that the service is logged on and that its session still exists in
// the store (another process may have ended it). On success *store is set.
int32_t RequireSession(ServiceState& svc, Store** store);

// Before a service takes over an existing session: the store must be open
// and the service not logged on yet. On success *store is set.
int32_t RequireNoSession(ServiceState& svc, Store** store);

// Makes svc the session's service: passthrough into a session that exists.
int32_t AttachToSession(Store& store, ServiceState& svc, int64_t session);

// Whether the logged-on user of svc is an administrator.
bool IsAdministrator(Store& store, const ServiceState& svc);

// Id of a person by user identifier (case-insensitive); 0 when unknown.
int64_t PersonIdOf(Store& store, const char* user_id);

}  // namespace pvxjsim

#endif
