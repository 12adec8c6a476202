// Schema of the store (version 4, see kSchemaVersion). Tables for families
// that are not served yet are created now, so a store made today keeps
// working when they are.
#ifndef PVXJSIM_SCHEMA_SQL_H
#define PVXJSIM_SCHEMA_SQL_H

namespace pvxjsim {

inline constexpr const char* kSchemaSql = R"sql(
CREATE TABLE meta(
  key TEXT PRIMARY KEY,
  value TEXT NOT NULL);

CREATE TABLE roles(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  description TEXT,
  coordinator TEXT COLLATE NOCASE);

CREATE TABLE organizations(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  manager TEXT COLLATE NOCASE,
  parent TEXT);

-- Passwords are kept only as crypt(3) hashes (yescrypt, salted).
CREATE TABLE persons(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  user_id TEXT NOT NULL UNIQUE COLLATE NOCASE,
  password_hash TEXT NOT NULL,
  first_name TEXT,
  middle_name TEXT,
  last_name TEXT,
  description TEXT,
  phone TEXT,
  second_phone TEXT,
  organization TEXT,
  manager TEXT COLLATE NOCASE,
  substitute TEXT COLLATE NOCASE,
  level INTEGER NOT NULL DEFAULT 0,
  is_admin INTEGER NOT NULL DEFAULT 0,
  absent INTEGER NOT NULL DEFAULT 0,
  reset_absence INTEGER NOT NULL DEFAULT 0,
  lock_holder TEXT,
  logon_blocked_until TEXT,
  auth_process_definition INTEGER NOT NULL DEFAULT 0,
  auth_operation_admin INTEGER NOT NULL DEFAULT 0,
  auth_staff_definition INTEGER NOT NULL DEFAULT 0,
  auth_topology_definition INTEGER NOT NULL DEFAULT 0,
  auth_authorization_definition INTEGER NOT NULL DEFAULT 0,
  auth_all_categories INTEGER NOT NULL DEFAULT 0,
  auth_all_categories_admin INTEGER NOT NULL DEFAULT 0,
  auth_all_persons INTEGER NOT NULL DEFAULT 0,
  personnel_id TEXT);

CREATE TABLE person_roles(
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  role_id INTEGER NOT NULL REFERENCES roles(id) ON DELETE CASCADE,
  PRIMARY KEY(person_id, role_id));
CREATE INDEX person_roles_role ON person_roles(role_id);

-- Categories a person may work with; as_admin: administers them too.
CREATE TABLE person_categories(
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  category TEXT NOT NULL,
  as_admin INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(person_id, category, as_admin));

-- person_id may act for (see the work of) authorized_for.
CREATE TABLE person_authorizations(
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  authorized_for TEXT NOT NULL COLLATE NOCASE,
  PRIMARY KEY(person_id, authorized_for));

CREATE TABLE sessions(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  mode INTEGER NOT NULL,
  started TEXT NOT NULL,
  pid INTEGER);

CREATE TABLE peas(
  person_id INTEGER PRIMARY KEY REFERENCES persons(id) ON DELETE CASCADE,
  session_id INTEGER,
  started TEXT NOT NULL);

CREATE TABLE data_structures(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  description TEXT);

CREATE TABLE data_members(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  structure_id INTEGER NOT NULL REFERENCES data_structures(id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  name TEXT NOT NULL,
  type TEXT NOT NULL,
  array_size INTEGER NOT NULL DEFAULT 0,
  description TEXT,
  UNIQUE(structure_id, name));

-- executable and platform name the first implementation, for the lists that
-- show one.
CREATE TABLE programs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  description TEXT,
  executable TEXT,
  platform INTEGER NOT NULL DEFAULT 0,
  in_container TEXT,
  out_container TEXT,
  unattended INTEGER NOT NULL DEFAULT 0,
  execution_mode INTEGER NOT NULL DEFAULT 1,
  execution_user INTEGER NOT NULL DEFAULT 1,
  trusted INTEGER NOT NULL DEFAULT 0,
  icon TEXT,
  simulate TEXT,
  in_access INTEGER,
  out_access INTEGER,
  structures_from_activity INTEGER);

-- One implementation per platform. kind: 1 EXE, 2 DLL, 4 external. The
-- columns of the other kinds stay NULL.
CREATE TABLE program_implementations(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  program_id INTEGER NOT NULL REFERENCES programs(id) ON DELETE CASCADE,
  platform INTEGER NOT NULL,
  kind INTEGER NOT NULL,
  path TEXT,
  parameters TEXT,
  working_directory TEXT,
  environment TEXT,
  inherit_environment INTEGER,
  window_style INTEGER,
  run_in_xterm INTEGER,
  start_in_foreground INTEGER,
  automatic_close INTEGER,
  in_use INTEGER,
  timeout INTEGER,
  entry_point TEXT,
  fenced INTEGER,
  keep_loaded INTEGER,
  service_name TEXT,
  service_type TEXT,
  invocation_type TEXT,
  executable_name TEXT,
  executable_type TEXT,
  timeout_period INTEGER,
  timeout_interval INTEGER,
  mapping_type TEXT,
  forward_mapping_format TEXT,
  forward_mapping_parameters TEXT,
  backward_mapping_format TEXT,
  backward_mapping_parameters TEXT,
  code_page INTEGER,
  local_user INTEGER,
  mapping_routine_call INTEGER,
  security_routine_call INTEGER,
  UNIQUE(program_id, platform));

CREATE TABLE process_templates(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL,
  description TEXT,
  category TEXT,
  documentation TEXT,
  organization TEXT,
  role_name TEXT,
  process_admin TEXT,
  audit_mode INTEGER NOT NULL DEFAULT 0,
  in_container TEXT,
  out_container TEXT,
  global_container TEXT,
  icon TEXT,
  notify_seconds INTEGER,
  notify_person TEXT,
  expiry_seconds INTEGER,
  valid_from TEXT NOT NULL,
  created TEXT NOT NULL,
  modified TEXT NOT NULL,
  UNIQUE(name, valid_from));

-- Activities of a template; those inside a block name it in block_id.
-- kind: 1 process, 2 program, 16 block. start_rule: 0 all incoming, 1 any.
CREATE TABLE activities(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  template_id INTEGER NOT NULL REFERENCES process_templates(id) ON DELETE CASCADE,
  block_id INTEGER REFERENCES activities(id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  name TEXT NOT NULL,
  kind INTEGER NOT NULL,
  description TEXT,
  category TEXT,
  documentation TEXT,
  program TEXT,
  subprocess TEXT,
  in_container TEXT,
  out_container TEXT,
  staff_roles TEXT,
  staff_persons TEXT,
  staff_organization TEXT,
  staff_manager_of_starter INTEGER NOT NULL DEFAULT 0,
  staff_starter INTEGER NOT NULL DEFAULT 0,
  staff_level_min INTEGER,
  staff_level_max INTEGER,
  start_rule INTEGER NOT NULL DEFAULT 0,
  start_condition TEXT,
  exit_condition TEXT,
  manual_start INTEGER NOT NULL DEFAULT 0,
  manual_exit INTEGER NOT NULL DEFAULT 0,
  priority INTEGER NOT NULL DEFAULT 0,
  notify_seconds INTEGER,
  notify2_seconds INTEGER,
  expiry_seconds INTEGER,
  support_tools TEXT,
  layout_x INTEGER NOT NULL DEFAULT 0,
  layout_y INTEGER NOT NULL DEFAULT 0,
  layout_name_x INTEGER NOT NULL DEFAULT 0,
  layout_name_y INTEGER NOT NULL DEFAULT 40,
  UNIQUE(template_id, name));
CREATE INDEX activities_block ON activities(block_id);

-- kind: 1 condition, 2 otherwise. bend_points: "x,y;x,y".
CREATE TABLE control_connectors(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  template_id INTEGER NOT NULL REFERENCES process_templates(id) ON DELETE CASCADE,
  from_activity INTEGER NOT NULL REFERENCES activities(id) ON DELETE CASCADE,
  to_activity INTEGER NOT NULL REFERENCES activities(id) ON DELETE CASCADE,
  condition TEXT,
  kind INTEGER NOT NULL DEFAULT 1,
  name TEXT,
  bend_points TEXT);
CREATE INDEX control_connectors_from ON control_connectors(from_activity);
CREATE INDEX control_connectors_to ON control_connectors(to_activity);

CREATE TABLE process_instances(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  template_id INTEGER NOT NULL REFERENCES process_templates(id),
  name TEXT NOT NULL,
  state INTEGER NOT NULL,
  description TEXT,
  category TEXT,
  starter TEXT,
  creator TEXT,
  process_admin TEXT,
  context TEXT,
  parent_id INTEGER REFERENCES process_instances(id),
  parent_activity_instance_id INTEGER,
  top_level_id INTEGER,
  system_name TEXT,
  system_group TEXT,
  created TEXT NOT NULL,
  started TEXT,
  ended TEXT,
  last_state_change TEXT,
  modified TEXT,
  suspended TEXT,
  suspension_expiry TEXT,
  notify_at TEXT,
  expire_at TEXT,
  deadline_state INTEGER NOT NULL DEFAULT 0,
  next_deadline TEXT);
CREATE INDEX process_instances_deadline ON process_instances(next_deadline)
  WHERE next_deadline IS NOT NULL;
CREATE INDEX process_instances_state ON process_instances(state);
CREATE INDEX process_instances_name ON process_instances(name);
CREATE INDEX process_instances_parent ON process_instances(parent_activity_instance_id);
CREATE INDEX process_instances_template ON process_instances(template_id);

-- block_instance_id: the block activity instance this one runs inside.
-- next_deadline: the earliest of notify_at, notify2_at, expire_at still due.
-- deadline_state counts the deadlines already passed (1 first notification,
-- 2 second, 3 expired).
CREATE TABLE activity_instances(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  process_instance_id INTEGER NOT NULL REFERENCES process_instances(id) ON DELETE CASCADE,
  activity_id INTEGER NOT NULL REFERENCES activities(id),
  block_instance_id INTEGER REFERENCES activity_instances(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  kind INTEGER NOT NULL DEFAULT 2,
  state INTEGER NOT NULL,
  priority INTEGER NOT NULL DEFAULT 0,
  iteration INTEGER NOT NULL DEFAULT 1,
  starter TEXT,
  error_reason TEXT,
  exit_condition_result INTEGER,
  return_code INTEGER,
  on_hold_until TEXT,
  created TEXT NOT NULL,
  activated TEXT,
  started TEXT,
  ended TEXT,
  last_state_change TEXT,
  modified TEXT,
  notify_at TEXT,
  notify2_at TEXT,
  expire_at TEXT,
  deadline_state INTEGER NOT NULL DEFAULT 0,
  next_deadline TEXT);
CREATE INDEX activity_instances_process ON activity_instances(process_instance_id, activity_id);
-- Partial, so the planner never picks it for "block_instance_id IS ?", which
-- at the top level matches every activity of every instance.
CREATE INDEX activity_instances_block ON activity_instances(block_instance_id)
  WHERE block_instance_id IS NOT NULL;
-- next_deadline: the earliest deadline not yet passed, so that checking
-- deadlines costs the same however many instances there are.
CREATE INDEX activity_instances_deadline ON activity_instances(next_deadline)
  WHERE next_deadline IS NOT NULL;

-- state: 1 true, 0 false, 2 not evaluated.
CREATE TABLE connector_instances(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  process_instance_id INTEGER NOT NULL REFERENCES process_instances(id) ON DELETE CASCADE,
  connector_id INTEGER NOT NULL REFERENCES control_connectors(id),
  block_instance_id INTEGER,
  state INTEGER NOT NULL DEFAULT 2);
CREATE INDEX connector_instances_process ON connector_instances(process_instance_id, connector_id);

CREATE TABLE items(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  kind INTEGER NOT NULL,
  owner_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  process_instance_id INTEGER REFERENCES process_instances(id) ON DELETE CASCADE,
  activity_instance_id INTEGER REFERENCES activity_instances(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  state INTEGER NOT NULL,
  received_as INTEGER NOT NULL DEFAULT 1,
  priority INTEGER NOT NULL DEFAULT 0,
  description TEXT,
  category TEXT,
  created TEXT NOT NULL,
  received TEXT,
  started TEXT,
  ended TEXT,
  on_hold TEXT,
  modified TEXT);
-- Priority and name too, in a worklist's usual order (highest priority
-- first, then by name): its usual query (state, a lowest priority) then
-- reads this index alone and stops at its threshold, without sorting.
CREATE INDEX items_owner ON items(owner_id, kind, state, priority DESC, name);
CREATE INDEX items_activity ON items(activity_instance_id);
CREATE INDEX items_process ON items(process_instance_id);

-- Container values: owner_kind 'PI' (process instance, roles in/out/global)
-- or 'AI' (activity instance, roles in/out). data is the record's stream.
CREATE TABLE container_values(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  owner_kind TEXT NOT NULL,
  owner_id INTEGER NOT NULL,
  role TEXT NOT NULL,
  structure TEXT NOT NULL,
  data BLOB,
  UNIQUE(owner_kind, owner_id, role));

CREATE TABLE persistent_lists(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  kind INTEGER NOT NULL,
  name TEXT NOT NULL,
  list_type INTEGER NOT NULL,
  owner TEXT COLLATE NOCASE,
  owner_scope TEXT NOT NULL COLLATE NOCASE,
  description TEXT,
  filter TEXT,
  sort_criteria TEXT,
  threshold INTEGER,
  created_by TEXT NOT NULL,
  created TEXT NOT NULL,
  UNIQUE(kind, owner_scope, name));

CREATE TABLE program_executions(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  program_id TEXT NOT NULL UNIQUE,
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  session_id INTEGER REFERENCES sessions(id) ON DELETE SET NULL,
  activity_instance_id INTEGER REFERENCES activity_instances(id) ON DELETE CASCADE,
  started TEXT NOT NULL);

CREATE TABLE replies(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  session_id INTEGER NOT NULL REFERENCES sessions(id) ON DELETE CASCADE,
  correl BLOB NOT NULL,
  kind INTEGER NOT NULL,
  user_context TEXT,
  ref TEXT,
  created TEXT NOT NULL);
CREATE INDEX replies_session ON replies(session_id, id);
)sql";

// Indexes for what a query or stored list can filter on, so that a filter
// costs about the same however many instances the store holds. Names (the
// columns filters compare without regard to case) are indexed COLLATE
// NOCASE, as the filter compares them; items are always the owner's, so
// theirs lead with the owner. Version 3 added them: a version 2 store gets
// them when it is opened (hence IF NOT EXISTS), after kUpgradeFrom2Sql.

inline constexpr const char* kQueryIndexesSql = R"sql(
CREATE INDEX IF NOT EXISTS process_templates_name_nocase ON process_templates(name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_templates_description ON process_templates(description);
CREATE INDEX IF NOT EXISTS process_templates_category ON process_templates(category);
CREATE INDEX IF NOT EXISTS process_templates_documentation ON process_templates(documentation);
CREATE INDEX IF NOT EXISTS process_templates_organization ON process_templates(organization);
CREATE INDEX IF NOT EXISTS process_templates_role ON process_templates(role_name);
CREATE INDEX IF NOT EXISTS process_templates_admin
  ON process_templates(process_admin COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_templates_audit ON process_templates(audit_mode);
CREATE INDEX IF NOT EXISTS process_templates_in ON process_templates(in_container);
CREATE INDEX IF NOT EXISTS process_templates_out ON process_templates(out_container);
CREATE INDEX IF NOT EXISTS process_templates_valid ON process_templates(valid_from);
CREATE INDEX IF NOT EXISTS process_templates_created ON process_templates(created);
CREATE INDEX IF NOT EXISTS process_templates_modified ON process_templates(modified);

CREATE INDEX IF NOT EXISTS process_instances_name_nocase
  ON process_instances(name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_description ON process_instances(description);
CREATE INDEX IF NOT EXISTS process_instances_category ON process_instances(category);
CREATE INDEX IF NOT EXISTS process_instances_starter
  ON process_instances(starter COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_creator
  ON process_instances(creator COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_admin
  ON process_instances(process_admin COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_parent_id ON process_instances(parent_id);
CREATE INDEX IF NOT EXISTS process_instances_top_level ON process_instances(top_level_id);
CREATE INDEX IF NOT EXISTS process_instances_system
  ON process_instances(system_name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_system_group
  ON process_instances(system_group COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS process_instances_created ON process_instances(created);
CREATE INDEX IF NOT EXISTS process_instances_started ON process_instances(started);
CREATE INDEX IF NOT EXISTS process_instances_ended ON process_instances(ended);
CREATE INDEX IF NOT EXISTS process_instances_state_change
  ON process_instances(last_state_change);
CREATE INDEX IF NOT EXISTS process_instances_modified ON process_instances(modified);

CREATE INDEX IF NOT EXISTS activities_kind ON activities(kind);
CREATE INDEX IF NOT EXISTS activities_description ON activities(description);

CREATE INDEX IF NOT EXISTS activity_instances_name_nocase
  ON activity_instances(name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS activity_instances_state ON activity_instances(state);
CREATE INDEX IF NOT EXISTS activity_instances_priority ON activity_instances(priority);
CREATE INDEX IF NOT EXISTS activity_instances_starter
  ON activity_instances(starter COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS activity_instances_activity ON activity_instances(activity_id);
CREATE INDEX IF NOT EXISTS activity_instances_created ON activity_instances(created);
CREATE INDEX IF NOT EXISTS activity_instances_activated ON activity_instances(activated);
CREATE INDEX IF NOT EXISTS activity_instances_started ON activity_instances(started);
CREATE INDEX IF NOT EXISTS activity_instances_ended ON activity_instances(ended);
CREATE INDEX IF NOT EXISTS activity_instances_state_change
  ON activity_instances(last_state_change);
CREATE INDEX IF NOT EXISTS activity_instances_modified ON activity_instances(modified);

CREATE INDEX IF NOT EXISTS items_owner_name ON items(owner_id, name COLLATE NOCASE);
CREATE INDEX IF NOT EXISTS items_owner_state ON items(owner_id, state);
CREATE INDEX IF NOT EXISTS items_owner_received_as ON items(owner_id, received_as);
CREATE INDEX IF NOT EXISTS items_owner_priority ON items(owner_id, priority);
CREATE INDEX IF NOT EXISTS items_owner_description ON items(owner_id, description);
CREATE INDEX IF NOT EXISTS items_owner_category ON items(owner_id, category);
CREATE INDEX IF NOT EXISTS items_owner_created ON items(owner_id, created);
CREATE INDEX IF NOT EXISTS items_owner_received ON items(owner_id, received);
CREATE INDEX IF NOT EXISTS items_owner_started ON items(owner_id, started);
CREATE INDEX IF NOT EXISTS items_owner_ended ON items(owner_id, ended);
CREATE INDEX IF NOT EXISTS items_owner_on_hold ON items(owner_id, on_hold);
CREATE INDEX IF NOT EXISTS items_owner_modified ON items(owner_id, modified);
)sql";

// What else version 3 changed in a version 2 store: the owner's index of
// items also holds the priority and the name.
inline constexpr const char* kUpgradeFrom2Sql = R"sql(
DROP INDEX items_owner;
CREATE INDEX items_owner ON items(owner_id, kind, state, priority DESC, name);
)sql";

// Version 4 added where an activity's name label stands. A store of an
// earlier version gets the columns when it is opened, each label where a new
// store puts one that its definition does not place: under the symbol.
inline constexpr const char* kLayoutNameColumns[][2] = {
    {"layout_name_x", "layout_x"}, {"layout_name_y", "layout_y + 40"}};

// The columns version 4 added (a program's container access and where its
// structures come from; the mapping, code page and user options of external
// implementations), added to an older store where it lacks them.
struct AddedColumn {
  const char* table;
  const char* column;
  const char* type;
};
inline constexpr AddedColumn kAddedInVersion4[] = {
    {"programs", "in_access", "INTEGER"},
    {"programs", "out_access", "INTEGER"},
    {"programs", "structures_from_activity", "INTEGER"},
    {"program_implementations", "mapping_type", "TEXT"},
    {"program_implementations", "forward_mapping_format", "TEXT"},
    {"program_implementations", "forward_mapping_parameters", "TEXT"},
    {"program_implementations", "backward_mapping_format", "TEXT"},
    {"program_implementations", "backward_mapping_parameters", "TEXT"},
    {"program_implementations", "code_page", "INTEGER"},
    {"program_implementations", "local_user", "INTEGER"},
    {"program_implementations", "mapping_routine_call", "INTEGER"},
    {"program_implementations", "security_routine_call", "INTEGER"},
};

}  // namespace pvxjsim

#endif
