#include "client.h"

#include <cstdio>
#include <cstdlib>

namespace pvxjsim {

namespace {

ThreadResult& ThreadResultSlot() {
  thread_local ThreadResult result;
  return result;
}

}  // namespace

Client& Client::Get() {
  // Never destroyed: handles may still be freed from static destructors of
  // the calling program.
  static Client* client = new Client;
  return *client;
}

Store* Client::store() {
  if (!store_) {
    open_error_.clear();
    // A program the agent started uses the store the agent handed it (the
    // agent says so in PVXJSIM_STORE_MUST_EXIST): where that is gone, making
    // a new one would only hide the program's work from everyone.
    const char* handed = std::getenv("PVXJSIM_STORE_MUST_EXIST");
    std::string path = DefaultStorePath();
    bool must_exist = handed && std::string(handed) == "1" && path != ":memory:";
    store_ = factory_    ? factory_()
             : must_exist ? Store::OpenExisting(path, &open_error_)
                          : Store::Open(path, &open_error_);
    // The client object lives on past exit, so nothing else would close the
    // store: without this its data stays in the -wal file.
    static bool registered = [] {
      return std::atexit([] {
        // Another thread may still be inside a call at exit: never wait for
        // it (what it committed is safe in the log anyway).
        Client& c = Get();
        if (c.mu.try_lock()) {
          c.CloseStore();
          // Too late for a return code: the operator at least hears of it.
          if (!c.close_error_.empty()) std::fprintf(stderr, "pvxjsim: %s\n", c.close_error_.c_str());
          c.mu.unlock();
        }
      }) == 0;
    }();
    (void)registered;
  }
  return store_.get();
}

void Client::CloseStore() {
  std::lock_guard<std::recursive_mutex> lock(mu);
  close_error_.clear();
  if (store_) store_->Close(&close_error_);
  store_.reset();
}

void Client::SetStoreFactoryForTesting(std::function<std::unique_ptr<Store>()> factory) {
  std::lock_guard<std::recursive_mutex> lock(mu);
  factory_ = std::move(factory);
  store_.reset();
}

void Client::ResetForTesting() {
  std::lock_guard<std::recursive_mutex> lock(mu);
  handles.Clear();
  CloseStore();
  open_error_.clear();
}

void SetLastResult(int32_t rc, std::string message) {
  ThreadResult& r = ThreadResultSlot();
  r.rc = rc;
  r.params.clear();
  if (!message.empty()) r.params.push_back(std::move(message));
}

int32_t LastResultCode() { return ThreadResultSlot().rc; }

const std::string& LastResultMessage() {
  static const std::string none;
  const ThreadResult& r = ThreadResultSlot();
  return r.params.empty() ? none : r.params.front();
}

ThreadResult& CurrentResult() { return ThreadResultSlot(); }

void BeginCall(const char* origin) {
  ThreadResult& r = ThreadResultSlot();
  r.rc = PVX_OK;
  r.origin = origin ? origin : "";
  r.params.clear();
}

void EndCall(int32_t rc) {
  if (LastResultCode() != rc) SetLastResult(rc);
}

char* CopyOut(const std::string& text, char* buffer, uint32_t length) {
  if (!buffer || length == 0) return nullptr;
  size_t n = text.size() < length - 1 ? text.size() : length - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return buffer;
}

int32_t AddHandle(Cls cls, std::unique_ptr<Object> obj, HandleSlot out) {
  uint32_t h = Client::Get().handles.Add(cls, std::move(obj));
  if (!h) return PVX_ERROR_RESOURCE;
  out.set(h);
  return PVX_OK;
}

ServiceState* FindService(HandleRef handle) {
  auto* obj = Client::Get().handles.Get<ServiceObject>(handle, Cls::ExecutionService);
  return obj ? obj->state.get() : nullptr;
}

int32_t RequireSession(ServiceState& svc, Store** store) {
  if (svc.session_id == 0) return PVX_ERROR_NOT_LOGGED_ON;
  Store* s = Client::Get().store();
  if (!s) return PVX_ERROR_COMMUNICATION;
  // The person must match too: after a reset, row ids start again.
  Stmt q(s->db(), "SELECT 1 FROM sessions WHERE id=? AND person_id=?");
  q.Bind(1, svc.session_id).Bind(2, svc.person_id);
  if (!q.Step()) {
    // Ended elsewhere (forced log-off, another process): forget it here too.
    svc.session_id = 0;
    svc.person_id = 0;
    svc.user_id.clear();
    return PVX_ERROR_NOT_LOGGED_ON;
  }
  *store = s;
  return PVX_OK;
}

int32_t RequireNoSession(ServiceState& svc, Store** store) {
  Store* s = Client::Get().store();
  if (!s) return PVX_ERROR_COMMUNICATION;
  Store* ignored;
  if (RequireSession(svc, &ignored) == PVX_OK) return PVX_ERROR_ALREADY_LOGGED_ON;
  *store = s;
  return PVX_OK;
}

ServiceObject* FindServiceObject(HandleRef handle) {
  return Client::Get().handles.Get<ServiceObject>(handle, Cls::ExecutionService);
}

int32_t CheckVectorSlot(Cls vector_cls, HandleSlot slot) {
  if (!slot) return PVX_ERROR_INVALID_RESULT_HANDLE;
  if (slot.get() && !Client::Get().handles.Find(slot.get(), vector_cls)) return PVX_ERROR_INVALID_HANDLE;
  return PVX_OK;
}

int32_t DeliverVector(Cls vector_cls, Cls element_cls, std::vector<ElementRef> elements,
                      const std::shared_ptr<ServiceState>& service, HandleSlot slot) {
  if (int32_t rc = CheckVectorSlot(vector_cls, slot)) return rc;
  if (slot.get()) {
    auto* v = Client::Get().handles.Get<VectorObject>(slot.get(), vector_cls);
    for (ElementRef& e : elements) v->elements.push_back(std::move(e));
    return PVX_OK;
  }
  auto v = std::make_unique<VectorObject>();
  v->element = element_cls;
  v->elements = std::move(elements);
  v->service = service;
  return AddHandle(vector_cls, std::move(v), slot);
}

bool IsAdministrator(Store& store, const ServiceState& svc) {
  Stmt q(store.db(), "SELECT is_admin FROM persons WHERE id=?");
  q.Bind(1, svc.person_id);
  return q.Step() && q.Int(0) != 0;
}

int64_t PersonIdOf(Store& store, const char* user_id) {
  if (!user_id) return 0;
  Stmt q(store.db(), "SELECT id FROM persons WHERE user_id=?");
  q.Bind(1, user_id);
  return q.Step() ? q.Int(0) : 0;
}

}  // namespace pvxjsim
