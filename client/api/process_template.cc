// Process templates: their properties, deletion by version, input
// containers, the creation and execution of instances, program templates and
// persistent identifiers; and process template lists.
#include <strings.h>

#include <pvxj/execution_service.h>
#include <pvxj/process_template.h>

#include "agent.h"
#include "attributes.h"
#include "client.h"
#include "clock.h"
#include "container.h"
#include "engine.h"
#include "persistent_list.h"
#include "program_data.h"
#include "program_run.h"
#include "query_source.h"
#include "session_id.h"

using namespace pvxjsim;

namespace {

// Longest process context an instance keeps.
constexpr size_t kMaxProcessContext = 4096;

unsigned char Flag(bool b) { return b ? 1 : 0; }

// A given system or system group must name this server's: another one
// cannot be reached.
bool Reachable(Store& store, const char* group, const char* system) {
  auto same = [](const char* requested, const std::string& actual) {
    return !requested || !*requested || strcasecmp(requested, actual.c_str()) == 0;
  };
  return same(group, store.Meta("system_group_name")) && same(system, store.Meta("system_name"));
}

enum class Mode { kCreate, kStart, kSuspend, kExecute };

struct CreateRequest {
  const char* name = nullptr;
  const char* group = nullptr;
  const char* system = nullptr;
  HandleRef in_container = 0;
  bool keep_name = false;
  bool with_context = false;
  const char* context = nullptr;
  Mode mode = Mode::kCreate;
};

// What an instance creation made.
struct Created {
  int64_t instance = 0;
  bool finished = false;
  std::shared_ptr<ServiceState> service;
};

// Creates (and per mode starts) an instance of the template's version. The
// caller holds the client lock.
int32_t CreateFrom(HandleRef tmpl, const CreateRequest& r, Created* out) {
  RowObject* row;
  Store* store;
  if (int32_t rc = FindStoredRow(tmpl, Cls::ProcessTemplate, &row, &store)) return rc;
  if (!Reachable(*store, r.group, r.system)) return PVX_ERROR_COMMUNICATION;
  if (r.with_context && r.context && std::strlen(r.context) > kMaxProcessContext)
    return PVX_ERROR_INVALID_PROCESS_CONTEXT;
  const Record* input = nullptr;
  if (r.in_container) {
    auto* c = Client::Get().handles.Get<RecordObject>(r.in_container, Cls::ReadWriteContainer);
    if (!c) return PVX_ERROR_INVALID_HANDLE;
    Stmt q(store->db(), "SELECT in_container FROM process_templates WHERE id=?");
    q.Bind(1, row->id);
    q.Step();
    if (q.IsNull(0) || q.Text(0) != c->record.type_name) return PVX_ERROR_INVALID_CONTAINER;
    input = &c->record;
  }
  WriteTx tx(*store);
  CheckDeadlines(*store);
  int64_t pi = 0;
  const ServiceState& svc = *row->service;
  if (int32_t rc = CreateInstanceOfVersion(*store, row->id, r.name ? r.name : "", svc.user_id,
                                           !r.keep_name, &pi))
    return rc;
  if (r.with_context) {
    Stmt u(store->db(), "UPDATE process_instances SET context=? WHERE id=?");
    u.Bind(1, r.context).Bind(2, pi).Run();
  }
  if (r.mode != Mode::kCreate) {
    if (int32_t rc = StartInstance(*store, pi, svc.user_id, input, r.mode == Mode::kSuspend))
      return rc;  // the transaction is rolled back: no half-made instance stays
  }
  Stmt st(store->db(), "SELECT state FROM process_instances WHERE id=?");
  st.Bind(1, pi);
  st.Step();
  out->finished = st.Int(0) == kPsFinished;
  tx.Commit();
  out->instance = pi;
  out->service = row->service;
  return PVX_OK;
}

// Most program runs one execution waits for: a block that repeats could
// otherwise keep it forever.
constexpr int kMaxAgentRuns = 100;

// The agent runs the work items of unattended programs in the instance (and
// its sub-processes) until none is left that it can run. Holds no
// transaction: a started program may use the store itself. True when the
// instance has ended.
bool RunUnattended(Store& store, int64_t pi) {
  std::vector<int64_t> failed;
  for (int runs = 0; runs < kMaxAgentRuns; ++runs) {
    std::string sql =
        "SELECT i.id, i.owner_id FROM items i "
        "JOIN activity_instances a ON a.id = i.activity_instance_id "
        "JOIN activities d ON d.id = a.activity_id JOIN programs p ON p.name = d.program "
        "JOIN process_instances x ON x.id = i.process_instance_id "
        "WHERE i.kind = 1 AND i.state = 1 AND p.unattended = 1 AND x.top_level_id = ?";
    for (int64_t f : failed) sql += " AND i.id <> " + std::to_string(f);
    Stmt q(store.db(), sql + " ORDER BY i.id LIMIT 1");
    q.Bind(1, pi);
    if (!q.Step()) break;
    ExecuteRequest r;
    r.item_id = q.Int(0);
    r.person_id = q.Int(1);
    q.Step();
    int32_t program_rc = 0;
    if (ExecuteWorkitem(store, r, &program_rc) != PVX_OK) failed.push_back(r.item_id);
  }
  Stmt st(store.db(), "SELECT state FROM process_instances WHERE id=?");
  st.Bind(1, pi);
  return st.Step() && st.Int(0) == kPsFinished;
}

int32_t AddInstance(const Created& c, HandleSlot out) {
  auto obj = std::make_unique<RowObject>();
  obj->id = c.instance;
  obj->service = c.service;
  Store* store = Client::Get().store();
  Stmt q(store->db(), "SELECT name FROM process_instances WHERE id=?");
  q.Bind(1, c.instance);
  if (q.Step()) obj->name = q.Text(0);
  return AddHandle(Cls::ProcessInstance, std::move(obj), out);
}

int32_t CreateCall(PvxjProcessTemplate tmpl, const CreateRequest& r, PvxjProcessInstance* instance,
                   const char* origin) {
  return Guarded([&]() -> int32_t {
    if (!instance) {
      RowObject* row;
      Store* store;
      if (int32_t rc = FindRow(tmpl, Cls::ProcessTemplate, &row, &store)) return rc;
      return PVX_ERROR_INVALID_RESULT_HANDLE;
    }
    Created c;
    if (int32_t rc = CreateFrom(tmpl, r, &c)) return rc;
    return AddInstance(c, instance);
  }, origin);
}

// Runs an instance to its end. One that needs people (or waits in error)
// runs on and gives PVX_ERROR_TIMEOUT: it does not end within the call.
int32_t ExecuteCall(PvxjProcessTemplate tmpl, CreateRequest r, PvxjProcessInstance* instance,
                    PvxjReadOnlyContainer* out_container, const char* origin) {
  r.mode = Mode::kExecute;
  return Guarded([&]() -> int32_t {
    if (!instance || !out_container) {
      RowObject* row;
      Store* store;
      if (int32_t rc = FindRow(tmpl, Cls::ProcessTemplate, &row, &store)) return rc;
      return PVX_ERROR_INVALID_RESULT_HANDLE;
    }
    Created c;
    if (int32_t rc = CreateFrom(tmpl, r, &c)) return rc;
    Store* store = Client::Get().store();
    if (!c.finished) c.finished = RunUnattended(*store, c.instance);
    if (int32_t rc = AddInstance(c, instance)) return rc;
    if (!c.finished) return PVX_ERROR_TIMEOUT;
    auto obj = std::make_unique<RecordObject>();
    if (auto rec = LoadContainer(*store, "PI", c.instance, "out")) obj->record = *rec;
    obj->record.kind = RecordKind::kReadOnlyContainer;
    return AddHandle(Cls::ReadOnlyContainer, std::move(obj), out_container);
  }, origin);
}

// The asynchronous form: the same run, answered by a reply on the caller's
// session that carries the instance. The correlation identifier is made
// from the instance's row, so it is the same on every fresh store.
int32_t ExecuteAsyncCall(PvxjProcessTemplate tmpl, CreateRequest r, unsigned char* correl_id,
                         const char* user_context, const char* origin) {
  r.mode = Mode::kExecute;
  return Guarded([&]() -> int32_t {
    Created c;
    if (int32_t rc = CreateFrom(tmpl, r, &c)) return rc;
    CorrelId id = MakeCorrelId(c.instance);
    if (correl_id) std::memcpy(correl_id, id.data(), id.size());
    Store* store = Client::Get().store();
    if (!c.finished) c.finished = RunUnattended(*store, c.instance);
    if (!c.finished) return PVX_ERROR_TIMEOUT;
    WriteTx tx(*store);
    std::optional<std::string> context;
    if (user_context) context = user_context;
    PostReply(*store, c.service->session_id, id, kReplyExecution, context,
              FormatOid(oid_tag::kProcessInstance, c.instance));
    tx.Commit();
    return PVX_OK;
  }, origin);
}

int32_t NewInContainer(PvxjProcessTemplate tmpl, PvxjReadWriteContainer* container, bool initial,
                       const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(tmpl, Cls::ProcessTemplate, &row, &store)) return rc;
    if (!container) return PVX_ERROR_INVALID_RESULT_HANDLE;
    Stmt q(store->db(), "SELECT in_container FROM process_templates WHERE id=?");
    q.Bind(1, row->id);
    q.Step();
    Schema schema;
    if (q.IsNull(0) || !LoadSchema(*store, q.Text(0), &schema)) return PVX_ERROR_INVALID_CONTAINER;
    auto obj = std::make_unique<RecordObject>();
    obj->record.kind = RecordKind::kReadWriteContainer;
    obj->record.type_name = schema.structure;
    if (initial) {
      // Every leaf holds the initial value of its type.
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
    return AddHandle(Cls::ReadWriteContainer, std::move(obj), container);
  }, origin);
}

int32_t CopyRow(HandleRef handle, Cls cls, HandleSlot copy, const char* origin) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindRow(handle, cls, &row, &store)) return rc;
    if (!copy) return PVX_ERROR_INVALID_RESULT_HANDLE;
    auto obj = std::make_unique<RowObject>(*row);
    return AddHandle(cls, std::move(obj), copy);
  }, origin);
}

unsigned char EqualRows(HandleRef a, HandleRef b, Cls cls, const char* origin) {
  return GuardedValue<unsigned char>(0, [&](int32_t* rc) -> unsigned char {
    auto& handles = Client::Get().handles;
    auto* x = handles.Get<RowObject>(a, cls);
    auto* y = handles.Get<RowObject>(b, cls);
    if (!x || !y) {
      *rc = PVX_ERROR_INVALID_HANDLE;
      return 0;
    }
    return Flag(x->id == y->id);
  }, origin);
}

}  // namespace

extern "C" {

// --- process templates ------------------------------------------------------

int32_t PvxjProcessTemplateCopy(PvxjProcessTemplate processTemplate, PvxjProcessTemplate* copy) {
  return CopyRow(processTemplate, Cls::ProcessTemplate, copy, __func__);
}

unsigned char PvxjProcessTemplateEqual(PvxjProcessTemplate processTemplate,
                                       PvxjProcessTemplate other) {
  return EqualRows(processTemplate, other, Cls::ProcessTemplate, __func__);
}

int32_t PvxjProcessTemplateRefresh(PvxjProcessTemplate processTemplate) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(processTemplate, Cls::ProcessTemplate, &row, &store)) return rc;
    Stmt q(store->db(), "SELECT name FROM process_templates WHERE id=?");
    q.Bind(1, row->id);
    if (q.Step()) row->name = q.Text(0);
    return PVX_OK;
  });
}

int32_t PvxjProcessTemplateDelete(PvxjProcessTemplate processTemplate, unsigned char pastVersions,
                                  unsigned char currentVersion, unsigned char futureVersions) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(processTemplate, Cls::ProcessTemplate, &row, &store)) return rc;
    {
      Stmt auth(store->db(), "SELECT is_admin OR auth_process_definition FROM persons WHERE id=?");
      auth.Bind(1, row->service->person_id);
      if (!auth.Step() || auth.Int(0) == 0) return PVX_ERROR_NOT_AUTHORIZED;
    }
    std::string now = ClockNow(*store);
    WriteTx tx(*store);
    std::string name;
    {
      Stmt q(store->db(), "SELECT name FROM process_templates WHERE id=?");
      q.Bind(1, row->id);
      q.Step();
      name = q.Text(0);
    }
    // The version in force now is the newest one whose valid-from has come;
    // past versions are older ones, future versions not yet valid.
    std::optional<std::string> current_from;
    {
      Stmt q(store->db(), "SELECT max(valid_from) FROM process_templates "
                          "WHERE name=? AND valid_from<=?");
      q.Bind(1, std::string_view(name)).Bind(2, std::string_view(now));
      if (q.Step()) current_from = q.OptText(0);
    }
    std::vector<int64_t> doomed;
    {
      Stmt q(store->db(), "SELECT id, valid_from FROM process_templates WHERE name=? ORDER BY id");
      q.Bind(1, std::string_view(name));
      while (q.Step()) {
        std::string from = q.Text(1);
        bool future = from > now;
        bool current = !future && current_from && from == *current_from;
        bool past = !future && !current;
        if ((past && pastVersions) || (current && currentVersion) || (future && futureVersions))
          doomed.push_back(q.Int(0));
      }
    }
    // A version that instances were made from stays: they still need it.
    for (int64_t id : doomed) {
      Stmt used(store->db(), "SELECT 1 FROM process_instances WHERE template_id=? LIMIT 1");
      used.Bind(1, id);
      if (used.Step()) return PVX_ERROR_NOT_EMPTY;
    }
    for (int64_t id : doomed) {
      Stmt del(store->db(), "DELETE FROM process_templates WHERE id=?");
      del.Bind(1, id).Run();
    }
    tx.Commit();
    return PVX_OK;
  });
}

int32_t PvxjProcessTemplateInContainer(PvxjProcessTemplate processTemplate,
                                       PvxjReadWriteContainer* container) {
  return NewInContainer(processTemplate, container, false, __func__);
}

int32_t PvxjProcessTemplateInitialInContainer(PvxjProcessTemplate processTemplate,
                                              PvxjReadWriteContainer* container) {
  return NewInContainer(processTemplate, container, true, __func__);
}

int32_t PvxjProcessTemplateCreateInstance(PvxjProcessTemplate processTemplate,
                                          const char* instanceName, const char* systemGroup,
                                          const char* system, unsigned char keepName,
                                          PvxjProcessInstance* instance) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.mode = Mode::kCreate;
  return CreateCall(processTemplate, r, instance, __func__);
}

int32_t PvxjProcessTemplateCreateAndStartInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer, r.mode = Mode::kStart;
  return CreateCall(processTemplate, r, instance, __func__);
}

int32_t PvxjProcessTemplateCreateAndStartInstanceWithContext(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, PvxjProcessInstance* instance) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer, r.mode = Mode::kStart;
  r.with_context = true, r.context = processContext;
  return CreateCall(processTemplate, r, instance, __func__);
}

int32_t PvxjProcessTemplateCreateAndSuspendInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer, r.mode = Mode::kSuspend;
  return CreateCall(processTemplate, r, instance, __func__);
}

int32_t PvxjProcessTemplateExecuteProcessInstance(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    PvxjProcessInstance* instance, PvxjReadOnlyContainer* outContainer) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer;
  return ExecuteCall(processTemplate, r, instance, outContainer, __func__);
}

int32_t PvxjProcessTemplateExecuteProcessInstanceWithContext(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, PvxjProcessInstance* instance,
    PvxjReadOnlyContainer* outContainer) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer, r.with_context = true, r.context = processContext;
  return ExecuteCall(processTemplate, r, instance, outContainer, __func__);
}

int32_t PvxjProcessTemplateExecuteProcessInstanceAsync(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    unsigned char* correlId, const char* userContext) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer;
  return ExecuteAsyncCall(processTemplate, r, correlId, userContext, __func__);
}

int32_t PvxjProcessTemplateExecuteProcessInstanceWithContextAsync(
    PvxjProcessTemplate processTemplate, const char* instanceName, const char* systemGroup,
    const char* system, PvxjReadWriteContainer inContainer, unsigned char keepName,
    const char* processContext, unsigned char* correlId, const char* userContext) {
  CreateRequest r;
  r.name = instanceName, r.group = systemGroup, r.system = system, r.keep_name = keepName;
  r.in_container = inContainer, r.with_context = true, r.context = processContext;
  return ExecuteAsyncCall(processTemplate, r, correlId, userContext, __func__);
}

int32_t PvxjProcessTemplateProgramTemplate(PvxjProcessTemplate processTemplate,
                                           const char* programName,
                                           PvxjProgramTemplate* programTemplate) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindStoredRow(processTemplate, Cls::ProcessTemplate, &row, &store)) return rc;
    if (!programTemplate) return PVX_ERROR_INVALID_RESULT_HANDLE;
    if (!programName) return PVX_ERROR_PROGRAM_UNDEFINED;
    // Only a program that one of the template's activities runs.
    Stmt used(store->db(), "SELECT 1 FROM activities WHERE template_id=? AND program=?");
    used.Bind(1, row->id).Bind(2, programName);
    if (!used.Step()) return PVX_ERROR_PROGRAM_UNDEFINED;
    ProgramData data;
    if (int32_t rc = ReadProgramTemplate(*store, programName, &data)) return rc;
    auto obj = std::make_unique<RecordObject>();
    obj->record = ProgramDataRecord(data);
    obj->record.kind = RecordKind::kProgramTemplate;
    // The program, as this template version runs it, is in force from the
    // version's valid-from time.
    Stmt from(store->db(), "SELECT valid_from FROM process_templates WHERE id=?");
    from.Bind(1, row->id);
    if (from.Step()) obj->record.fields.push_back({"$validFrom", from.Text(0)});
    // What the definition says of the program's containers, where it says it.
    Stmt flags(store->db(), "SELECT in_access, out_access, structures_from_activity FROM programs "
                            "WHERE name=?");
    flags.Bind(1, programName);
    if (flags.Step()) {
      const char* names[] = {"$inAccess", "$outAccess", "$structuresFromActivity"};
      for (int k = 0; k < 3; ++k)
        if (!flags.IsNull(k)) obj->record.fields.push_back({names[k], static_cast<int32_t>(flags.Int(k))});
    }
    obj->service = row->service;
    return AddHandle(Cls::ProgramTemplate, std::move(obj), programTemplate);
  });
}

char* PvxjProcessTemplatePersistentOid(PvxjProcessTemplate processTemplate, char* buffer,
                                       uint32_t bufferLength) {
  return WithStoredRow<char*>(processTemplate, Cls::ProcessTemplate, nullptr,
                              [&](Store&, RowObject& row, int32_t*) -> char* {
    return CopyOut(FormatOid(oid_tag::kProcessTemplate, row.id), buffer, bufferLength);
  });
}

int32_t PvxjProcessTemplatePersistentObject(PvxjExecutionService service, const char* oid,
                                            PvxjProcessTemplate* processTemplate) {
  // The execution service's restore does the work and leaves its return code
  // as the thread's result; this form hands both to the caller.
  PvxjProcessTemplate t = PvxjExecutionServicePersistentProcessTemplate(service, oid);
  if (processTemplate) *processTemplate = t;
  return LastResultCode();
}

int32_t PvxjProcessTemplateAuditMode(PvxjProcessTemplate processTemplate) {
  return AttrNumber(processTemplate, Attr::ProcessTemplate_AuditMode);
}

unsigned char PvxjProcessTemplateIsComplete(PvxjProcessTemplate processTemplate) {
  return AttrBool(processTemplate, Attr::ProcessTemplate_IsComplete);
}

unsigned char PvxjProcessTemplateInContainerNeeded(PvxjProcessTemplate processTemplate) {
  return AttrBool(processTemplate, Attr::ProcessTemplate_InContainerNeeded);
}

#define PVXJ_TEMPLATE_TEXT(Name)                                                           \
  char* PvxjProcessTemplate##Name(PvxjProcessTemplate t, char* buffer, uint32_t length) {  \
    return AttrText(t, Attr::ProcessTemplate_##Name, buffer, length);                      \
  }
#define PVXJ_TEMPLATE_NULLABLE(Name)                                   \
  PVXJ_TEMPLATE_TEXT(Name)                                             \
  unsigned char PvxjProcessTemplate##Name##IsNull(PvxjProcessTemplate t) { \
    return AttrIsNull(t, Attr::ProcessTemplate_##Name);                \
  }
PVXJ_TEMPLATE_NULLABLE(Category)
PVXJ_TEMPLATE_NULLABLE(Description)
PVXJ_TEMPLATE_NULLABLE(Documentation)
PVXJ_TEMPLATE_NULLABLE(OrganizationName)
PVXJ_TEMPLATE_NULLABLE(ProcessAdmin)
PVXJ_TEMPLATE_NULLABLE(RoleName)
PVXJ_TEMPLATE_TEXT(Icon)
PVXJ_TEMPLATE_TEXT(InContainerName)
PVXJ_TEMPLATE_TEXT(OutContainerName)
#undef PVXJ_TEMPLATE_NULLABLE
#undef PVXJ_TEMPLATE_TEXT

PvxjDateTime PvxjProcessTemplateCreationTime(PvxjProcessTemplate processTemplate) {
  PvxjDateTime v{};
  AttrDateTime(processTemplate, Attr::ProcessTemplate_CreationTime, &v);
  return v;
}

PvxjDateTime PvxjProcessTemplateLastModificationTime(PvxjProcessTemplate processTemplate) {
  PvxjDateTime v{};
  AttrDateTime(processTemplate, Attr::ProcessTemplate_LastModificationTime, &v);
  return v;
}

PvxjDateTime PvxjProcessTemplateValidFromTime(PvxjProcessTemplate processTemplate) {
  PvxjDateTime v{};
  AttrDateTime(processTemplate, Attr::ProcessTemplate_ValidFromTime, &v);
  return v;
}

// --- process template lists -------------------------------------------------

int32_t PvxjProcessTemplateListCopy(PvxjProcessTemplateList list, PvxjProcessTemplateList* copy) {
  return CopyRow(list, Cls::ProcessTemplateList, copy, __func__);
}

unsigned char PvxjProcessTemplateListEqual(PvxjProcessTemplateList list,
                                           PvxjProcessTemplateList other) {
  return EqualRows(list, other, Cls::ProcessTemplateList, __func__);
}

int32_t PvxjProcessTemplateListQueryProcessTemplates(PvxjProcessTemplateList list,
                                                     PvxjProcessTemplateVector* vector) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    ListRow l;
    if (int32_t rc = FindVisibleList(list, &row, &store, &l, Cls::ProcessTemplateList)) return rc;
    if (int32_t rc = CheckVectorSlot(Cls::ProcessTemplateVector, vector)) return rc;
    std::vector<ElementRef> found;
    if (int32_t rc = RunQuery(*store, ProcessTemplateSource(),
                              l.filter ? l.filter->c_str() : nullptr,
                              l.sort ? l.sort->c_str() : nullptr, l.threshold,
                              row->service->user_id, &found))
      return rc;
    return DeliverVector(Cls::ProcessTemplateVector, Cls::ProcessTemplate, std::move(found),
                         row->service, vector);
  });
}

}  // extern "C"
