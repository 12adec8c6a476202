// The deallocate function of every class that has one. Freeing only drops the
// client's object: the server-side state (a session, a stored list) stays.
#include "client.h"

using namespace pvxjsim;

namespace {

int32_t Deallocate(HandleSlot handle, Cls cls,
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    if (!handle || !Client::Get().handles.Remove(handle.get(), cls)) return PVX_ERROR_INVALID_HANDLE;
    handle.set(0);
    return PVX_OK;
  }, origin);
}

}  // namespace

extern "C" {

#define PVXJ_CLASS(name, Tag, Seconds, Vector, Element, Walk, NameFn, dealloc, ...) PVXJ_DEALLOCATE_##dealloc(name)
#define PVXJ_DEALLOCATE_0(name)
#define PVXJ_DEALLOCATE_1(name)                       \
  int32_t Pvxj##name##Deallocate(Pvxj##name* handle) { \
    return Deallocate(handle, Cls::name);             \
  }
#include "pvxj/classes.def"
#undef PVXJ_DEALLOCATE_1
#undef PVXJ_DEALLOCATE_0
#undef PVXJ_CLASS

}  // extern "C"
