// Program templates and program data: their common data, implementations,
// containers and stream form, and running a program template directly.
//
// Both are record objects in the stream form of program data (layout in
// program_data.h); a program template may add "$validFrom" (the store's time
// text of the process template version it was had through) and, where the
// definition sets them, "$inAccess", "$outAccess" and
// "$structuresFromActivity" (long 0/1).
#include <cstring>

#include <pvxj/program_template.h>

#include "agent.h"
#include "attributes.h"
#include "client.h"
#include "container.h"
#include "implementation.h"
#include "program_data.h"
#include "program_run.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

unsigned char Flag(bool b) { return b ? 1 : 0; }

// What the getters read from a program record.
struct ProgramView {
  std::optional<std::string> description, icon, in_structure, out_structure, valid_from;
  std::optional<bool> in_access, out_access, from_activity;  // as the definition sets them
  bool unattended = false, trusted = false;
  int32_t execution_mode = 0, execution_user = 0;
  std::vector<Implementation> implementations;
  Record in, out;
};

ProgramView ViewOf(const Record& r) {
  ProgramView v;
  v.in.kind = RecordKind::kReadOnlyContainer;
  v.out.kind = RecordKind::kReadWriteContainer;
  auto text = [](const FieldValue& f) -> std::optional<std::string> {
    if (auto* s = std::get_if<std::string>(&f)) return *s;
    return std::nullopt;
  };
  auto number = [](const FieldValue& f) -> int32_t {
    if (auto* n = std::get_if<int32_t>(&f)) return *n;
    return 0;
  };
  static const std::string kImpl = "$implementation[";
  for (const Field& f : r.fields) {
    const std::string& n = f.name;
    if (n == "$description") v.description = text(f.value);
    else if (n == "$icon") v.icon = text(f.value);
    else if (n == "$unattended") v.unattended = number(f.value) != 0;
    else if (n == "$trusted") v.trusted = number(f.value) != 0;
    else if (n == "$executionMode") v.execution_mode = number(f.value);
    else if (n == "$executionUser") v.execution_user = number(f.value);
    else if (n == "$inStructure") v.in_structure = text(f.value);
    else if (n == "$outStructure") v.out_structure = text(f.value);
    else if (n == "$validFrom") v.valid_from = text(f.value);
    else if (n == "$inAccess") v.in_access = number(f.value) != 0;
    else if (n == "$outAccess") v.out_access = number(f.value) != 0;
    else if (n == "$structuresFromActivity") v.from_activity = number(f.value) != 0;
    else if (n.rfind("$in.", 0) == 0) v.in.fields.push_back({n.substr(4), f.value});
    else if (n.rfind("$out.", 0) == 0) v.out.fields.push_back({n.substr(5), f.value});
    else if (n.rfind(kImpl, 0) == 0) {
      size_t close = n.find("].", kImpl.size());
      if (close == std::string::npos) continue;
      std::string key = n.substr(close + 2);
      // Records are checked when they are made: each implementation starts
      // with its platform.
      if (key == "platform") {
        v.implementations.push_back({number(f.value), 0, {}});
      } else if (!v.implementations.empty()) {
        if (key == "kind") v.implementations.back().kind = number(f.value);
        else v.implementations.back().options.emplace_back(key, f.value);
      }
    }
  }
  v.in.type_name = v.in_structure.value_or("");
  v.out.type_name = v.out_structure.value_or("");
  return v;
}

// A program template, or (where the getter accepts both) program data.
RecordObject* FindProgram(HandleRef handle, bool data_too) {
  auto& h = Client::Get().handles;
  if (auto* o = h.Get<RecordObject>(handle, Cls::ProgramTemplate)) return o;
  if (data_too) return h.Get<RecordObject>(handle, Cls::ProgramData);
  return nullptr;
}

template <class R, class Fn>
R ReadProgram(HandleRef handle, Cls cls, bool data_too, R fallback, Fn&& fn,
              const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RecordObject* o = cls == Cls::ProgramData ? Client::Get().handles.Get<RecordObject>(handle, cls)
                                              : FindProgram(handle, data_too);
    if (!o) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return fallback;
    }
    return fn(ViewOf(o->record), o, rc);
  }, origin);
}

char* TextOf(HandleRef handle, Cls cls, bool data_too, bool icon, char* buffer, uint32_t length,
             const char* origin) {
  return ReadProgram<char*>(handle, cls, data_too, nullptr,
      [&](const ProgramView& v, RecordObject*, int32_t* rc) -> char* {
        const auto& t = icon ? v.icon : v.description;
        if (!t) return nullptr;
        if (!buffer || length == 0) {
          *rc = PVX_ERROR_BUFFER;
          return nullptr;
        }
        return CopyOut(*t, buffer, length);
      }, origin);
}

int32_t CopyProgram(HandleRef handle, Cls cls, HandleSlot copy, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(handle, cls);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto c = std::make_unique<RecordObject>();
    c->record = o->record;
    c->service = o->service;
    return AddHandle(cls, std::move(c), copy);
  }, origin);
}

unsigned char EqualPrograms(HandleRef a, HandleRef b, Cls cls, const char* origin) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto& h = Client::Get().handles;
    auto* x = h.Get<RecordObject>(a, cls);
    auto* y = h.Get<RecordObject>(b, cls);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return Flag(x->record == y->record);
  }, origin);
}

int32_t Implementations(HandleRef handle, Cls cls, PvxjImplementationDataVector* vector,
                        const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(handle, cls);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!vector) return PVX_ERROR_INVALID_RESULT_HANDLE;
    return NewImplementationVector(ViewOf(o->record).implementations, vector);
  }, origin);
}

uint32_t StreamLength(HandleRef handle, Cls cls, const char* origin) {
  return GuardedValue<uint32_t>(0, [&](int32_t* rc) -> uint32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(handle, cls);
    if (!o) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return static_cast<uint32_t>(SerializeRecord(o->record).size());
  }, origin);
}

int32_t AsStream(HandleRef handle, Cls cls, unsigned char* buffer, uint32_t length,
                 const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(handle, cls);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    std::vector<uint8_t> bytes = SerializeRecord(o->record);
    if (!buffer || length < bytes.size()) {
      SetLastResult(PVX_ERROR_BUFFER, "the stream needs " + std::to_string(bytes.size()) + " bytes");
      return PVX_ERROR_BUFFER;
    }
    std::memcpy(buffer, bytes.data(), bytes.size());
    return PVX_OK;
  }, origin);
}

Record Blank(const std::optional<std::string>& structure) {
  Record r;
  r.kind = RecordKind::kReadWriteContainer;
  r.type_name = structure.value_or("");
  return r;
}

// A new container of a structure: with the values the program data holds,
// or (values null) with every leaf at the initial value of its type.
int32_t NewContainer(Store& store, const std::optional<std::string>& structure, Cls cls,
                     RecordKind kind, const Record* values, HandleSlot out) {
  if (!structure) return PVX_ERROR_INVALID_CONTAINER;
  Schema schema;
  if (!LoadSchema(store, *structure, &schema)) return PVX_ERROR_INVALID_CONTAINER;
  auto obj = std::make_unique<RecordObject>();
  obj->record = Blank(structure);
  if (values) {
    CopyMatching(*values, schema, &obj->record);
  } else {
    for (const auto& [member, type] : schema.leaves) {
      FieldValue v;
      switch (type) {
        case LeafType::kString: v = std::string(); break;
        case LeafType::kLong: v = int32_t{0}; break;
        case LeafType::kFloat: v = 0.0; break;
        case LeafType::kBinary: v = std::vector<uint8_t>(); break;
      }
      SetMember(schema, &obj->record, member, v);
    }
  }
  obj->record.kind = kind;
  return AddHandle(cls, std::move(obj), out);
}

int32_t ContainerOf(HandleRef handle, Cls cls, bool in, bool initial, Cls container_cls,
                    HandleSlot container, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(handle, cls);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!container) return PVX_ERROR_INVALID_RESULT_HANDLE;
    Store* store = Client::Get().store();
    if (!store) return PVX_ERROR_COMMUNICATION;
    ProgramView v = ViewOf(o->record);
    const Record* values = initial ? nullptr : (in ? &v.in : &v.out);
    return NewContainer(*store, in ? v.in_structure : v.out_structure, container_cls,
                        container_cls == Cls::ReadOnlyContainer ? RecordKind::kReadOnlyContainer
                                                                : RecordKind::kReadWriteContainer,
                        values, container);
  }, origin);
}

// A read-write container given to an execution: 0 for none, else one of the
// structure the program wants.
int32_t ExecutionContainer(HandleRef handle, const std::optional<std::string>& structure,
                           RecordObject** out) {
  *out = nullptr;
  if (!handle) return PVX_OK;
  auto* c = Client::Get().handles.Get<RecordObject>(handle, Cls::ReadWriteContainer);
  if (!c) return PVX_ERROR_INVALID_HANDLE;
  if (!structure || c->record.type_name != *structure) return PVX_ERROR_INVALID_CONTAINER;
  *out = c;
  return PVX_OK;
}

// A request's own correlation identifier: made from the program execution's
// row, marked apart from the identifiers of instance executions.
CorrelId ProgramCorrelId(int64_t row) {
  CorrelId id = MakeCorrelId(row);
  id[12] = 'P';
  id[13] = 'X';
  return id;
}

int32_t Execute(HandleRef tmpl, HandleRef in_handle, HandleRef out_handle, bool async,
                unsigned char* correl_id, const char* user_context, const char* origin) {
  return Guarded([&]() -> int32_t {
    auto* o = Client::Get().handles.Get<RecordObject>(tmpl, Cls::ProgramTemplate);
    if (!o) return PVX_ERROR_INVALID_HANDLE;
    if (!o->service) return PVX_ERROR_NOT_LOGGED_ON;
    Store* store;
    if (int32_t rc = RequireSession(*o->service, &store)) return rc;
    ProgramView v = ViewOf(o->record);
    RecordObject *in_obj, *out_obj;
    if (int32_t rc = ExecutionContainer(in_handle, v.in_structure, &in_obj)) return rc;
    if (int32_t rc = ExecutionContainer(out_handle, v.out_structure, &out_obj)) return rc;
    Record in = in_obj ? in_obj->record : Blank(v.in_structure);
    // The program starts from the output container it is given, else from
    // its input, as an activity's program does.
    Record out = out_obj ? out_obj->record : Blank(v.out_structure);
    if (!out_obj && v.out_structure) {
      Schema schema;
      if (LoadSchema(*store, *v.out_structure, &schema)) CopyMatching(in, schema, &out);
    }
    ProgramRequest r;
    r.program = o->record.type_name;
    r.person_id = o->service->person_id;
    r.user_id = o->service->user_id;
    r.session_id = o->service->session_id;
    std::string detail;
    r.detail = &detail;
    int32_t program_rc = 0;
    int64_t row = 0;
    int32_t rc = ExecuteProgram(*store, r, in, &out, &program_rc, &row);
    if (!async) {
      if (rc) {
        if (!detail.empty()) SetLastResult(rc, detail);
        return rc;
      }
      if (out_obj) {
        RecordKind kind = out_obj->record.kind;
        out_obj->record = out;
        out_obj->record.kind = kind;
      }
      return PVX_OK;
    }
    // Asynchronously the outcome is the reply: the output container, or the
    // error that kept the program from running.
    if (!row) {
      // Nothing was recorded: the request still gets an identifier of its own.
      WriteTx tx(*store);
      RecordProgramExecution(*store, r.person_id, r.session_id, std::nullopt);
      row = store->LastInsertId();
      tx.Commit();
    }
    CorrelId id = ProgramCorrelId(row);
    if (correl_id) std::memcpy(correl_id, id.data(), id.size());
    std::optional<std::string> context;
    if (user_context) context = user_context;
    WriteTx tx(*store);
    if (rc == PVX_OK) {
      out.kind = RecordKind::kReadOnlyContainer;
      SaveContainer(*store, "PX", row, "out", out);
      PostReply(*store, *r.session_id, id, kReplyExecution, context, FormatOid("PX", row));
    } else {
      PostReply(*store, *r.session_id, id, kReplyError, context,
                std::to_string(rc) + ":" + detail);
    }
    tx.Commit();
    if (out_obj && rc == PVX_OK) {
      RecordKind kind = out_obj->record.kind;
      out_obj->record = out;
      out_obj->record.kind = kind;
    }
    return PVX_OK;
  }, origin);
}

}  // namespace

extern "C" {

// --- program templates ------------------------------------------------------

int32_t PvxjProgramTemplateCopy(PvxjProgramTemplate t, PvxjProgramTemplate* copy) {
  return CopyProgram(t, Cls::ProgramTemplate, copy, __func__);
}

unsigned char PvxjProgramTemplateEqual(PvxjProgramTemplate t, PvxjProgramTemplate other) {
  return EqualPrograms(t, other, Cls::ProgramTemplate, __func__);
}

int32_t PvxjProgramTemplateExecute(PvxjProgramTemplate t, PvxjReadWriteContainer in,
                                   PvxjReadWriteContainer out) {
  return Execute(t, in, out, false, nullptr, nullptr, __func__);
}

int32_t PvxjProgramTemplateExecuteWithOptions(PvxjProgramTemplate t, int32_t /*priority*/,
                                              PvxjReadWriteContainer in,
                                              PvxjReadWriteContainer out) {
  return Execute(t, in, out, false, nullptr, nullptr, __func__);
}

int32_t PvxjProgramTemplateExecuteAsync(PvxjProgramTemplate t, PvxjReadWriteContainer in,
                                        PvxjReadWriteContainer out, unsigned char* correlId,
                                        const char* userContext) {
  return Execute(t, in, out, true, correlId, userContext, __func__);
}

int32_t PvxjProgramTemplateExecuteWithOptionsAsync(PvxjProgramTemplate t, int32_t /*priority*/,
                                                   PvxjReadWriteContainer in,
                                                   PvxjReadWriteContainer out,
                                                   unsigned char* correlId,
                                                   const char* userContext) {
  return Execute(t, in, out, true, correlId, userContext, __func__);
}

int32_t PvxjProgramTemplateImplementations(PvxjProgramTemplate t,
                                           PvxjImplementationDataVector* vector) {
  return Implementations(t, Cls::ProgramTemplate, vector, __func__);
}

int32_t PvxjProgramTemplateInitialInContainer(PvxjProgramTemplate t,
                                              PvxjReadWriteContainer* container) {
  return ContainerOf(t, Cls::ProgramTemplate, true, true, Cls::ReadWriteContainer, container,
                     __func__);
}

int32_t PvxjProgramTemplateInitialOutContainer(PvxjProgramTemplate t,
                                               PvxjReadWriteContainer* container) {
  return ContainerOf(t, Cls::ProgramTemplate, false, true, Cls::ReadWriteContainer, container,
                     __func__);
}

PvxjDateTime PvxjProgramTemplateValidFromTime(PvxjProgramTemplate t) {
  return ReadProgram<PvxjDateTime>(t, Cls::ProgramTemplate, false, PvxjDateTime{},
      [](const ProgramView& v, RecordObject*, int32_t*) {
        return v.valid_from ? DateTimeFromText(*v.valid_from) : PvxjDateTime{};
      });
}

int32_t PvxjProgramTemplateExecutionMode(PvxjProgramTemplate t) {
  return ReadProgram<int32_t>(t, Cls::ProgramTemplate, true, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) { return v.execution_mode; });
}

int32_t PvxjProgramTemplateExecutionUser(PvxjProgramTemplate t) {
  return ReadProgram<int32_t>(t, Cls::ProgramTemplate, true, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) { return v.execution_user; });
}

unsigned char PvxjProgramTemplateProgramTrusted(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, true, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) { return Flag(v.trusted); });
}

char* PvxjProgramTemplateDescription(PvxjProgramTemplate t, char* buffer, uint32_t length) {
  return TextOf(t, Cls::ProgramTemplate, false, false, buffer, length, __func__);
}

char* PvxjProgramTemplateIcon(PvxjProgramTemplate t, char* buffer, uint32_t length) {
  return TextOf(t, Cls::ProgramTemplate, false, true, buffer, length, __func__);
}

unsigned char PvxjProgramTemplateDescriptionIsNull(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, false, 1,
      [](const ProgramView& v, RecordObject*, int32_t*) { return Flag(!v.description); });
}

unsigned char PvxjProgramTemplateInContainerAccess(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, false, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) {
        return Flag(v.in_access.value_or(v.in_structure.has_value()));
      });
}

unsigned char PvxjProgramTemplateOutContainerAccess(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, false, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) {
        return Flag(v.out_access.value_or(v.out_structure.has_value()));
      });
}

unsigned char PvxjProgramTemplateIsUnattended(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, false, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) { return Flag(v.unattended); });
}

unsigned char PvxjProgramTemplateStructuresFromActivity(PvxjProgramTemplate t) {
  return ReadProgram<unsigned char>(t, Cls::ProgramTemplate, false, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) {
        return Flag(v.from_activity.value_or(!v.in_structure && !v.out_structure));
      });
}

uint32_t PvxjProgramTemplateStreamLength(PvxjProgramTemplate t) {
  return StreamLength(t, Cls::ProgramTemplate, __func__);
}

int32_t PvxjProgramTemplateAsStream(PvxjProgramTemplate t, unsigned char* buffer,
                                    uint32_t length) {
  return AsStream(t, Cls::ProgramTemplate, buffer, length, __func__);
}

// --- program data -----------------------------------------------------------

int32_t PvxjProgramDataCopy(PvxjProgramData d, PvxjProgramData* copy) {
  return CopyProgram(d, Cls::ProgramData, copy, __func__);
}

unsigned char PvxjProgramDataEqual(PvxjProgramData d, PvxjProgramData other) {
  return EqualPrograms(d, other, Cls::ProgramData, __func__);
}

char* PvxjProgramDataDescription(PvxjProgramData d, char* buffer, uint32_t length) {
  return TextOf(d, Cls::ProgramData, false, false, buffer, length, __func__);
}

char* PvxjProgramDataIcon(PvxjProgramData d, char* buffer, uint32_t length) {
  return TextOf(d, Cls::ProgramData, false, true, buffer, length, __func__);
}

unsigned char PvxjProgramDataDescriptionIsNull(PvxjProgramData d) {
  return ReadProgram<unsigned char>(d, Cls::ProgramData, false, 1,
      [](const ProgramView& v, RecordObject*, int32_t*) { return Flag(!v.description); });
}

unsigned char PvxjProgramDataIsUnattended(PvxjProgramData d) {
  return ReadProgram<unsigned char>(d, Cls::ProgramData, false, 0,
      [](const ProgramView& v, RecordObject*, int32_t*) { return Flag(v.unattended); });
}

int32_t PvxjProgramDataImplementations(PvxjProgramData d, PvxjImplementationDataVector* vector) {
  return Implementations(d, Cls::ProgramData, vector, __func__);
}

int32_t PvxjProgramDataInContainer(PvxjProgramData d, PvxjReadOnlyContainer* container) {
  return ContainerOf(d, Cls::ProgramData, true, false, Cls::ReadOnlyContainer, container, __func__);
}

int32_t PvxjProgramDataOutContainer(PvxjProgramData d, PvxjReadWriteContainer* container) {
  return ContainerOf(d, Cls::ProgramData, false, false, Cls::ReadWriteContainer, container,
                     __func__);
}

uint32_t PvxjProgramDataStreamLength(PvxjProgramData d) {
  return StreamLength(d, Cls::ProgramData, __func__);
}

int32_t PvxjProgramDataAsStream(PvxjProgramData d, unsigned char* buffer, uint32_t length) {
  return AsStream(d, Cls::ProgramData, buffer, length, __func__);
}

}  // extern "C"
