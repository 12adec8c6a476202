// Implementation data, its vector, and the EXE, DLL and external options.
// Each option getter reads the option under its definition key (the keys of
// program_data.cc); an option the definition leaves out reads as null.
#include <pvxj/implementation_data.h>

#include "client.h"
#include "implementation.h"

using namespace pvxjsim;

namespace pvxjsim {

int32_t NewImplementationVector(const std::vector<Implementation>& impls,
                                PvxjImplementationDataVector* out) {
  auto v = std::make_unique<ImplementationVectorObject>();
  v->items = impls;
  return AddHandle(Cls::ImplementationDataVector, std::move(v), out);
}

}  // namespace pvxjsim

namespace {

unsigned char Flag(bool b) { return b ? 1 : 0; }

const FieldValue* Option(const Implementation& impl, const char* key) {
  for (const auto& [k, v] : impl.options)
    if (k == key) return &v;
  return nullptr;
}

// Reads an implementation (cls ImplementationData) or its options (the
// options class, which only an implementation of that kind hands out).
template <class R, class Fn>
R Read(HandleRef handle, Cls cls, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    auto* o = Client::Get().handles.Get<ImplementationObject>(handle, cls);
    if (!o) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return fallback;
    }
    return fn(o->impl);
  }, origin);
}

char* Text(HandleRef handle, Cls cls, const char* key, char* buffer, uint32_t length,
           const char* origin) {
  return Read<char*>(handle, cls, nullptr, [&](const Implementation& impl) -> char* {
    const FieldValue* v = Option(impl, key);
    const std::string* s = v ? std::get_if<std::string>(v) : nullptr;
    if (!s) return nullptr;
    return CopyOut(*s, buffer, length);
  }, origin);
}

unsigned char IsNull(HandleRef handle, Cls cls, const char* key, const char* origin) {
  return Read<unsigned char>(handle, cls, 1, [&](const Implementation& impl) {
    return Flag(Option(impl, key) == nullptr);
  }, origin);
}

// A flag or number option; `absent` when the definition leaves it out.
int32_t Number(HandleRef handle, Cls cls, const char* key, int32_t absent, const char* origin) {
  return Read<int32_t>(handle, cls, absent, [&](const Implementation& impl) {
    const FieldValue* v = Option(impl, key);
    const int32_t* n = v ? std::get_if<int32_t>(v) : nullptr;
    return n ? *n : absent;
  }, origin);
}

unsigned char Bool(HandleRef handle, Cls cls, const char* key, bool absent, const char* origin) {
  return Flag(Number(handle, cls, key, absent ? 1 : 0, origin) != 0);
}

int32_t CopyOf(HandleRef handle, Cls cls, HandleSlot copy, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<ImplementationObject>(handle, cls);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto c = std::make_unique<ImplementationObject>();
    c->impl = o->impl;
    return AddHandle(cls, std::move(c), copy);
  }, origin);
}

int32_t Options(HandleRef handle, int64_t kind, Cls cls, HandleSlot options, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<ImplementationObject>(handle, Cls::ImplementationData);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!options) return PVX_ERROR_INVALID_RESULT_HANDLE;
    if (o->impl.kind != kind) return PVX_ERROR_INVALID_IMPLEMENTATION_TYPE;
    auto c = std::make_unique<ImplementationObject>();
    c->impl = o->impl;
    return AddHandle(cls, std::move(c), options);
  }, origin);
}

HandleRef Element(HandleRef vector, bool first, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<ImplementationVectorObject>(vector, Cls::ImplementationDataVector);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    if (first) v->cursor = 0;
    if (v->cursor >= v->items.size()) {
      *rc = PVX_ERROR_NO_MORE_DATA;
      return 0;
    }
    auto e = std::make_unique<ImplementationObject>();
    e->impl = v->items[v->cursor++];
    uint32_t handle = 0;
    *rc = AddHandle(Cls::ImplementationData, std::move(e), &handle);
    return handle;
  }, origin);
}

constexpr Cls kData = Cls::ImplementationData;
constexpr Cls kDll = Cls::DllOptions;
constexpr Cls kExe = Cls::ExeOptions;
constexpr Cls kExt = Cls::ExternalOptions;

}  // namespace

extern "C" {

uint32_t PvxjImplementationDataVectorSize(PvxjImplementationDataVector vector) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* v = Client::Get().handles.Get<ImplementationVectorObject>(vector, Cls::ImplementationDataVector);
    if (!v) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(v->items.size());
  });
}

PvxjImplementationData PvxjImplementationDataVectorFirstElement(PvxjImplementationDataVector v) {
  return Element(v, true, __func__);
}

PvxjImplementationData PvxjImplementationDataVectorNextElement(PvxjImplementationDataVector v) {
  return Element(v, false, __func__);
}

int32_t PvxjImplementationDataCopy(PvxjImplementationData d, PvxjImplementationData* copy) {
  return CopyOf(d, kData, copy, __func__);
}

int32_t PvxjImplementationDataKind(PvxjImplementationData d) {
  return Read<int32_t>(d, kData, 0, [](const Implementation& i) { return static_cast<int32_t>(i.kind); });
}

int32_t PvxjImplementationDataPlatform(PvxjImplementationData d) {
  return Read<int32_t>(d, kData, 0, [](const Implementation& i) { return static_cast<int32_t>(i.platform); });
}

char* PvxjImplementationDataCommandLineParameters(PvxjImplementationData d, char* buffer,
                                                  uint32_t length) {
  return Text(d, kData, "parameters", buffer, length, __func__);
}

unsigned char PvxjImplementationDataCommandLineParametersIsNull(PvxjImplementationData d) {
  return IsNull(d, kData, "parameters", __func__);
}

int32_t PvxjImplementationDataDllOptions(PvxjImplementationData d, PvxjDllOptions* options) {
  return Options(d, kImplDll, kDll, options, __func__);
}

int32_t PvxjImplementationDataExeOptions(PvxjImplementationData d, PvxjExeOptions* options) {
  return Options(d, kImplExe, kExe, options, __func__);
}

int32_t PvxjImplementationDataExternalOptions(PvxjImplementationData d,
                                              PvxjExternalOptions* options) {
  return Options(d, kImplExternal, kExt, options, __func__);
}

// --- DLL options --------------------------------------------------------------

int32_t PvxjDllOptionsCopy(PvxjDllOptions o, PvxjDllOptions* copy) { return CopyOf(o, kDll, copy, __func__); }
char* PvxjDllOptionsEntryPointName(PvxjDllOptions o, char* b, uint32_t n) {
  return Text(o, kDll, "entryPoint", b, n, __func__);
}
char* PvxjDllOptionsPathAndFileName(PvxjDllOptions o, char* b, uint32_t n) {
  return Text(o, kDll, "path", b, n, __func__);
}
unsigned char PvxjDllOptionsExecuteFenced(PvxjDllOptions o) { return Bool(o, kDll, "fenced", false, __func__); }
unsigned char PvxjDllOptionsExecuteFencedIsNull(PvxjDllOptions o) { return IsNull(o, kDll, "fenced", __func__); }
unsigned char PvxjDllOptionsKeepLoaded(PvxjDllOptions o) { return Bool(o, kDll, "keepLoaded", false, __func__); }
unsigned char PvxjDllOptionsKeepLoadedIsNull(PvxjDllOptions o) { return IsNull(o, kDll, "keepLoaded", __func__); }

// --- EXE options --------------------------------------------------------------

int32_t PvxjExeOptionsCopy(PvxjExeOptions o, PvxjExeOptions* copy) { return CopyOf(o, kExe, copy, __func__); }
char* PvxjExeOptionsEnvironment(PvxjExeOptions o, char* b, uint32_t n) {
  return Text(o, kExe, "environment", b, n, __func__);
}
char* PvxjExeOptionsPathAndFileName(PvxjExeOptions o, char* b, uint32_t n) {
  return Text(o, kExe, "path", b, n, __func__);
}
char* PvxjExeOptionsWorkingDirectoryName(PvxjExeOptions o, char* b, uint32_t n) {
  return Text(o, kExe, "workingDirectory", b, n, __func__);
}
unsigned char PvxjExeOptionsEnvironmentIsNull(PvxjExeOptions o) { return IsNull(o, kExe, "environment", __func__); }
// The agent passes its environment on unless the definition says not to.
unsigned char PvxjExeOptionsInheritEnvironment(PvxjExeOptions o) {
  return Bool(o, kExe, "inheritEnvironment", true, __func__);
}
unsigned char PvxjExeOptionsAutomaticClose(PvxjExeOptions o) { return Bool(o, kExe, "automaticClose", false, __func__); }
unsigned char PvxjExeOptionsAutomaticCloseIsNull(PvxjExeOptions o) { return IsNull(o, kExe, "automaticClose", __func__); }
unsigned char PvxjExeOptionsRunInXTerm(PvxjExeOptions o) { return Bool(o, kExe, "runInXTerm", false, __func__); }
unsigned char PvxjExeOptionsRunInXTermIsNull(PvxjExeOptions o) { return IsNull(o, kExe, "runInXTerm", __func__); }
unsigned char PvxjExeOptionsStartInForeGround(PvxjExeOptions o) {
  return Bool(o, kExe, "startInForeground", false, __func__);
}
unsigned char PvxjExeOptionsStartInForeGroundIsNull(PvxjExeOptions o) {
  return IsNull(o, kExe, "startInForeground", __func__);
}
unsigned char PvxjExeOptionsWindowStyleIsNull(PvxjExeOptions o) { return IsNull(o, kExe, "windowStyle", __func__); }
unsigned char PvxjExeOptionsWorkingDirectoryNameIsNull(PvxjExeOptions o) {
  return IsNull(o, kExe, "workingDirectory", __func__);
}
int32_t PvxjExeOptionsWindowStyle(PvxjExeOptions o) { return Number(o, kExe, "windowStyle", 0, __func__); }

// --- external options ---------------------------------------------------------

int32_t PvxjExternalOptionsCopy(PvxjExternalOptions o, PvxjExternalOptions* copy) {
  return CopyOf(o, kExt, copy, __func__);
}
#define EXT_TEXT(fn, key) \
  char* PvxjExternalOptions##fn(PvxjExternalOptions o, char* b, uint32_t n) { return Text(o, kExt, key, b, n, __func__); }
#define EXT_NULL(fn, key) \
  unsigned char PvxjExternalOptions##fn(PvxjExternalOptions o) { return IsNull(o, kExt, key, __func__); }
#define EXT_BOOL(fn, key) \
  unsigned char PvxjExternalOptions##fn(PvxjExternalOptions o) { return Bool(o, kExt, key, false, __func__); }
EXT_TEXT(BackwardMappingFormat, "backwardMappingFormat")
EXT_TEXT(BackwardMappingParameters, "backwardMappingParameters")
EXT_TEXT(ExecutableName, "executableName")
EXT_TEXT(ExecutableType, "executableType")
EXT_TEXT(ForwardMappingFormat, "forwardMappingFormat")
EXT_TEXT(ForwardMappingParameters, "forwardMappingParameters")
EXT_TEXT(InvocationType, "invocationType")
EXT_TEXT(MappingType, "mappingType")
EXT_TEXT(ServiceName, "serviceName")
EXT_TEXT(ServiceType, "serviceType")
EXT_NULL(BackwardMappingFormatIsNull, "backwardMappingFormat")
EXT_NULL(BackwardMappingParametersIsNull, "backwardMappingParameters")
EXT_NULL(CodePageIsNull, "codePage")
EXT_NULL(ForwardMappingFormatIsNull, "forwardMappingFormat")
EXT_NULL(ForwardMappingParametersIsNull, "forwardMappingParameters")
EXT_NULL(MappingTypeIsNull, "mappingType")
EXT_NULL(TimeoutIntervalIsNull, "timeoutInterval")
EXT_BOOL(IsLocalUser, "localUser")
EXT_BOOL(IsMappingRoutineCall, "mappingRoutineCall")
EXT_BOOL(IsSecurityRoutineCall, "securityRoutineCall")
#undef EXT_TEXT
#undef EXT_NULL
#undef EXT_BOOL
int32_t PvxjExternalOptionsCodePage(PvxjExternalOptions o) { return Number(o, kExt, "codePage", 0, __func__); }
int32_t PvxjExternalOptionsTimeoutInterval(PvxjExternalOptions o) {
  return Number(o, kExt, "timeoutInterval", 0, __func__);
}
int32_t PvxjExternalOptionsTimeoutPeriod(PvxjExternalOptions o) {
  return Number(o, kExt, "timeoutPeriod", 0, __func__);
}

}  // extern "C"
