// Schema of the store. Tables for families that are not served yet are
// created now, so a store made today keeps working when they are.
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
  description TEXT);

CREATE TABLE organizations(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  manager TEXT,
  parent TEXT);

CREATE TABLE persons(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  user_id TEXT NOT NULL UNIQUE COLLATE NOCASE,
  password TEXT NOT NULL,
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
  absent INTEGER NOT NULL DEFAULT 0);

CREATE TABLE person_roles(
  person_id INTEGER NOT NULL REFERENCES persons(id) ON DELETE CASCADE,
  role_id INTEGER NOT NULL REFERENCES roles(id) ON DELETE CASCADE,
  PRIMARY KEY(person_id, role_id));

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

CREATE TABLE programs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE,
  description TEXT,
  executable TEXT,
  platform INTEGER NOT NULL DEFAULT 0,
  in_container TEXT,
  out_container TEXT,
  unattended INTEGER NOT NULL DEFAULT 0);

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
  icon TEXT,
  valid_from TEXT NOT NULL,
  created TEXT NOT NULL,
  modified TEXT NOT NULL,
  UNIQUE(name, valid_from));

CREATE TABLE activities(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  template_id INTEGER NOT NULL REFERENCES process_templates(id) ON DELETE CASCADE,
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
  start_condition TEXT,
  exit_condition TEXT,
  manual_start INTEGER NOT NULL DEFAULT 0,
  manual_exit INTEGER NOT NULL DEFAULT 0,
  priority INTEGER NOT NULL DEFAULT 0,
  UNIQUE(template_id, name));

CREATE TABLE control_connectors(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  template_id INTEGER NOT NULL REFERENCES process_templates(id) ON DELETE CASCADE,
  from_activity INTEGER NOT NULL REFERENCES activities(id) ON DELETE CASCADE,
  to_activity INTEGER NOT NULL REFERENCES activities(id) ON DELETE CASCADE,
  condition TEXT);

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
  top_level_id INTEGER,
  system_name TEXT,
  system_group TEXT,
  created TEXT NOT NULL,
  started TEXT,
  ended TEXT,
  last_state_change TEXT,
  modified TEXT,
  suspended TEXT,
  suspension_expiry TEXT);

CREATE TABLE activity_instances(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  process_instance_id INTEGER NOT NULL REFERENCES process_instances(id) ON DELETE CASCADE,
  activity_id INTEGER NOT NULL REFERENCES activities(id),
  name TEXT NOT NULL,
  state INTEGER NOT NULL,
  priority INTEGER NOT NULL DEFAULT 0,
  starter TEXT,
  error_reason TEXT,
  created TEXT NOT NULL,
  activated TEXT,
  started TEXT,
  ended TEXT,
  last_state_change TEXT,
  modified TEXT);

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
)sql";

}  // namespace pvxjsim

#endif
