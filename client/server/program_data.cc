// Program data: read from the store for a check-out, and to and from its
// stream form.
#include "program_data.h"

#include <pvxj/base.h>

#include <cstdlib>

#include "container.h"
#include "container_tree.h"
#include "store.h"

namespace pvxjsim {
namespace {

constexpr const char* kPlatformNames[] = {"NotSet",    "Quill",  "Borix",  "HPUX",
                                          "Windows95", "WindowsNT", "Vantor", "Solaris"};

// An implementation option: its definition key, its column, and whether the
// value is text (else a number: flag, count or enumeration).
struct Option {
  const char* key;
  const char* column;
  bool text;
};
constexpr Option kOptions[] = {
    {"path", "path", true},
    {"parameters", "parameters", true},
    {"workingDirectory", "working_directory", true},
    {"environment", "environment", true},
    {"inheritEnvironment", "inherit_environment", false},
    {"windowStyle", "window_style", false},
    {"runInXTerm", "run_in_xterm", false},
    {"startInForeground", "start_in_foreground", false},
    {"automaticClose", "automatic_close", false},
    {"inUse", "in_use", false},
    {"timeout", "timeout", false},
    {"entryPoint", "entry_point", true},
    {"fenced", "fenced", false},
    {"keepLoaded", "keep_loaded", false},
    {"serviceName", "service_name", true},
    {"serviceType", "service_type", true},
    {"invocationType", "invocation_type", true},
    {"executableName", "executable_name", true},
    {"executableType", "executable_type", true},
    {"timeoutPeriod", "timeout_period", false},
    {"timeoutInterval", "timeout_interval", false},
    {"mappingType", "mapping_type", true},
    {"forwardMappingFormat", "forward_mapping_format", true},
    {"forwardMappingParameters", "forward_mapping_parameters", true},
    {"backwardMappingFormat", "backward_mapping_format", true},
    {"backwardMappingParameters", "backward_mapping_parameters", true},
    {"codePage", "code_page", false},
    {"localUser", "local_user", false},
    {"mappingRoutineCall", "mapping_routine_call", false},
    {"securityRoutineCall", "security_routine_call", false},
};

const Option* FindOption(const std::string& key) {
  for (const Option& o : kOptions)
    if (key == o.key) return &o;
  return nullptr;
}

std::string ImplementationSql() {
  std::string sql = "SELECT platform, kind";
  for (const Option& o : kOptions) sql += std::string(", ") + o.column;
  return sql + " FROM program_implementations WHERE program_id=?";
}

FieldValue OptionalText(const std::optional<std::string>& text) {
  if (text) return *text;
  return std::monostate{};
}

// The program's implementations, all or the one for a platform.
void ReadImplementations(Store& store, int64_t program_id, std::optional<int64_t> platform,
                         std::vector<Implementation>* out) {
  std::string sql = ImplementationSql();
  if (platform) sql += " AND platform=?";
  Stmt m(store.db(), sql + " ORDER BY platform");
  m.Bind(1, program_id);
  if (platform) m.Bind(2, *platform);
  while (m.Step()) {
    Implementation impl;
    impl.platform = m.Int(0);
    impl.kind = m.Int(1);
    int col = 2;
    for (const Option& o : kOptions) {
      if (!m.IsNull(col)) {
        if (o.text)
          impl.options.emplace_back(o.key, m.Text(col));
        else
          impl.options.emplace_back(o.key, static_cast<int32_t>(m.Int(col)));
      }
      ++col;
    }
    out->push_back(std::move(impl));
  }
}

// "$implementation[K].KEY" -> K and KEY; false for any other shape.
bool SplitImplementationField(const std::string& name, size_t* index, std::string* key) {
  static const std::string kPrefix = "$implementation[";
  if (name.rfind(kPrefix, 0) != 0) return false;
  size_t close = name.find("].", kPrefix.size());
  if (close == std::string::npos || close == kPrefix.size() || close - kPrefix.size() > 4)
    return false;
  size_t k = 0;
  for (size_t i = kPrefix.size(); i < close; ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    k = k * 10 + static_cast<size_t>(name[i] - '0');
  }
  if (k == 0) return false;
  *index = k;
  *key = name.substr(close + 2);
  return true;
}

// The program's common data from the first eight columns of a query (id,
// name, description, icon, unattended, trusted, execution mode and user);
// gives the program's row id.
int64_t ReadCommonData(Stmt& q, ProgramData* d) {
  d->program = q.Text(1);
  d->description = q.OptText(2);
  d->icon = q.OptText(3);
  d->unattended = q.Int(4) != 0;
  d->trusted = q.Int(5) != 0;
  d->execution_mode = q.Int(6);
  d->execution_user = q.Int(7);
  return q.Int(0);
}

}  // namespace

const char* PlatformName(int64_t platform) {
  if (platform < 0 || platform > kLastPlatform) return "???";
  return kPlatformNames[platform];
}

std::optional<int64_t> PlatformByName(const std::string& name) {
  for (int64_t p = 0; p <= kLastPlatform; ++p)
    if (name == kPlatformNames[p]) return p;
  if (name.empty() || name.size() > 2) return std::nullopt;
  char* end = nullptr;
  long v = std::strtol(name.c_str(), &end, 10);
  if (*end || v < 0 || v > kLastPlatform) return std::nullopt;
  return v;
}

int32_t ReadProgramData(Store& store, int64_t ai, int32_t requested, int64_t platform,
                        ProgramData* out) {
  if (requested != kCommonDataOnly && requested != kSpecifiedDefinitions &&
      requested != kAllDefinitions)
    return PVX_ERROR_INVALID_SPECIFICATION;
  if (requested == kSpecifiedDefinitions && (platform < 0 || platform > kLastPlatform))
    return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  Stmt q(store.db(),
         "SELECT pr.id, pr.name, pr.description, pr.icon, pr.unattended, pr.trusted, "
         "pr.execution_mode, pr.execution_user, d.in_container, d.out_container "
         "FROM activity_instances a JOIN activities d ON d.id = a.activity_id "
         "JOIN programs pr ON pr.name = d.program WHERE a.id=?");
  q.Bind(1, ai);
  // Only a program activity has program data.
  if (!q.Step()) return PVX_ERROR_CHECKOUT_NOT_POSSIBLE;
  ProgramData d;
  int64_t program_id = ReadCommonData(q, &d);
  std::optional<std::string> in_name = q.OptText(8), out_name = q.OptText(9);
  q.Step();
  if (requested != kCommonDataOnly) {
    ReadImplementations(store, program_id,
                        requested == kSpecifiedDefinitions ? std::optional<int64_t>(platform)
                                                           : std::nullopt,
                        &d.implementations);
    if (requested == kSpecifiedDefinitions && d.implementations.empty())
      return PVX_ERROR_NO_PROGRAM_FOR_PLATFORM;
  }
  d.in.kind = RecordKind::kReadOnlyContainer;
  d.out.kind = RecordKind::kReadWriteContainer;
  if (in_name) {
    d.in.type_name = *in_name;
    if (auto in = LoadContainer(store, "AI", ai, "in")) d.in.fields = in->fields;
  }
  if (out_name) {
    // The program starts from its input, as when the agent runs it.
    d.out.type_name = *out_name;
    Schema schema;
    if (LoadSchema(store, *out_name, &schema)) CopyMatching(d.in, schema, &d.out);
  }
  *out = std::move(d);
  return PVX_OK;
}

int32_t ReadProgramTemplate(Store& store, const std::string& program, ProgramData* out) {
  Stmt q(store.db(), "SELECT id, name, description, icon, unattended, trusted, execution_mode, "
                     "execution_user, in_container, out_container FROM programs WHERE name=?");
  q.Bind(1, std::string_view(program));
  if (!q.Step()) return PVX_ERROR_PROGRAM_UNDEFINED;
  ProgramData d;
  int64_t program_id = ReadCommonData(q, &d);
  d.in.type_name = q.OptText(8).value_or("");
  d.out.type_name = q.OptText(9).value_or("");
  q.Step();
  ReadImplementations(store, program_id, std::nullopt, &d.implementations);
  *out = std::move(d);
  return PVX_OK;
}

Record ProgramDataRecord(const ProgramData& d) {
  Record r;
  r.kind = RecordKind::kProgramData;
  r.type_name = d.program;
  auto add = [&](std::string name, FieldValue v) { r.fields.push_back({std::move(name), std::move(v)}); };
  add("$description", OptionalText(d.description));
  add("$icon", OptionalText(d.icon));
  add("$unattended", static_cast<int32_t>(d.unattended));
  add("$trusted", static_cast<int32_t>(d.trusted));
  add("$executionMode", static_cast<int32_t>(d.execution_mode));
  add("$executionUser", static_cast<int32_t>(d.execution_user));
  add("$inStructure", d.in.type_name.empty() ? FieldValue{} : FieldValue{d.in.type_name});
  add("$outStructure", d.out.type_name.empty() ? FieldValue{} : FieldValue{d.out.type_name});
  for (size_t k = 0; k < d.implementations.size(); ++k) {
    const Implementation& impl = d.implementations[k];
    std::string prefix = "$implementation[" + std::to_string(k + 1) + "].";
    add(prefix + "platform", static_cast<int32_t>(impl.platform));
    add(prefix + "kind", static_cast<int32_t>(impl.kind));
    for (const auto& [key, value] : impl.options) add(prefix + key, value);
  }
  for (const Field& f : d.in.fields) add("$in." + f.name, f.value);
  for (const Field& f : d.out.fields) add("$out." + f.name, f.value);
  return r;
}

int32_t ProgramDataFromRecord(Store& store, const Record& r, ProgramData* out,
                              std::string* error) {
  auto refuse = [&](std::string why) {
    *error = std::move(why);
    return PVX_ERROR_INVALID_STREAM;
  };
  if (r.kind != RecordKind::kProgramData) return refuse("stream holds another kind of object");
  Stmt q(store.db(), "SELECT 1 FROM programs WHERE name=?");
  q.Bind(1, std::string_view(r.type_name));
  if (!q.Step()) return PVX_ERROR_PROGRAM_UNDEFINED;
  q.Step();
  ProgramData d;
  d.program = r.type_name;
  // The common data first: the containers' structures must be known before
  // their members can be checked.
  auto number = [](const FieldValue& v, int64_t* n) {
    if (auto* l = std::get_if<int32_t>(&v)) return *n = *l, true;
    return false;
  };
  auto text_or_null = [](const FieldValue& v, std::optional<std::string>* t) {
    if (std::holds_alternative<std::monostate>(v)) return t->reset(), true;
    if (auto* s = std::get_if<std::string>(&v)) return *t = *s, true;
    return false;
  };
  std::optional<std::string> in_name, out_name;
  static const char* const kCommon[] = {"$description", "$icon",        "$unattended",
                                        "$trusted",     "$executionMode", "$executionUser",
                                        "$inStructure", "$outStructure"};
  std::vector<bool> seen(std::size(kCommon), false);
  for (const Field& f : r.fields) {
    for (size_t i = 0; i < std::size(kCommon); ++i) {
      if (f.name != kCommon[i]) continue;
      if (seen[i]) return refuse("field \"" + f.name + "\" given twice");
      seen[i] = true;
      int64_t n = 0;
      bool ok;
      switch (i) {
        case 0: ok = text_or_null(f.value, &d.description); break;
        case 1: ok = text_or_null(f.value, &d.icon); break;
        case 2: ok = number(f.value, &n) && (n == 0 || n == 1); d.unattended = n; break;
        case 3: ok = number(f.value, &n) && (n == 0 || n == 1); d.trusted = n; break;
        case 4: ok = number(f.value, &d.execution_mode); break;
        case 5: ok = number(f.value, &d.execution_user); break;
        case 6: ok = text_or_null(f.value, &in_name); break;
        default: ok = text_or_null(f.value, &out_name); break;
      }
      if (!ok) return refuse("field \"" + f.name + "\" has a value of another type");
    }
  }
  for (size_t i = 0; i < seen.size(); ++i)
    if (!seen[i]) return refuse(std::string("field \"") + kCommon[i] + "\" is missing");
  Schema in_schema, out_schema;
  if (in_name && !LoadContainerSchema(store, *in_name, &in_schema)) return PVX_ERROR_INVALID_CONTAINER;
  if (out_name && !LoadContainerSchema(store, *out_name, &out_schema)) return PVX_ERROR_INVALID_CONTAINER;
  d.in.kind = RecordKind::kReadOnlyContainer;
  d.out.kind = RecordKind::kReadWriteContainer;
  d.in.type_name = in_name.value_or("");
  d.out.type_name = out_name.value_or("");
  for (const Field& f : r.fields) {
    if (f.name.empty() || f.name[0] != '$')
      return refuse("field \"" + f.name + "\" is not program data");
    bool common = false;
    for (const char* c : kCommon) common = common || f.name == c;
    if (common) continue;
    size_t k = 0;
    std::string key;
    if (SplitImplementationField(f.name, &k, &key)) {
      // Implementations come in order, each starting with its platform.
      if (key == "platform") {
        int64_t p = 0;
        if (k != d.implementations.size() + 1) return refuse("implementation " + std::to_string(k) + " out of order");
        if (!number(f.value, &p) || p < 0 || p > kLastPlatform)
          return refuse("field \"" + f.name + "\" is not a platform");
        for (const Implementation& other : d.implementations)
          if (other.platform == p) return refuse("two implementations for one platform");
        d.implementations.push_back({p, 0, {}});
        continue;
      }
      if (k != d.implementations.size() || k == 0)
        return refuse("field \"" + f.name + "\" before its implementation's platform");
      Implementation& impl = d.implementations.back();
      if (key == "kind") {
        if (!number(f.value, &impl.kind) ||
            (impl.kind != kImplExe && impl.kind != kImplDll && impl.kind != kImplExternal))
          return refuse("field \"" + f.name + "\" is not an implementation kind");
        continue;
      }
      const Option* o = FindOption(key);
      if (!o) return refuse("field \"" + f.name + "\" is not an implementation option");
      bool typed = o->text ? std::holds_alternative<std::string>(f.value)
                           : std::holds_alternative<int32_t>(f.value);
      if (!typed) return refuse("field \"" + f.name + "\" has a value of another type");
      for (const auto& [have, v] : impl.options)
        if (have == key) return refuse("field \"" + f.name + "\" given twice");
      impl.options.emplace_back(key, f.value);
      continue;
    }
    bool in = f.name.rfind("$in.", 0) == 0, outm = f.name.rfind("$out.", 0) == 0;
    if (!in && !outm) return refuse("field \"" + f.name + "\" is not program data");
    std::string member = f.name.substr(in ? 4 : 5);
    const std::optional<std::string>& structure = in ? in_name : out_name;
    if (!structure) return refuse("member \"" + member + "\" of a container that is not there");
    if (int32_t rc = SetMember(in ? in_schema : out_schema, in ? &d.in : &d.out, member, f.value))
      return refuse("member \"" + member + "\" " +
                    (rc == PVX_ERROR_MEMBER_NOT_FOUND ? "is not in structure " + *structure
                                                      : "has a value of another type"));
  }
  for (const Implementation& impl : d.implementations)
    if (impl.kind == 0) return refuse("an implementation without its kind");
  *out = std::move(d);
  return PVX_OK;
}

}  // namespace pvxjsim
