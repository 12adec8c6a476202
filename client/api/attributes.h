// The client attribute layer: generic getters over the attribute table
// (attributes.def), so that a plain API getter is one line.
//
// How to add a getter, e.g. PvxjPersonPhone:
//   1. attributes.def:  PVXJ_ATTR(Person, Phone, "t.phone", Text, 1)
//   2. in the family's file, one line per function:
//        char* PvxjPersonPhone(PvxjPerson p, char* b, uint32_t n) {
//          return AttrText(p, Attr::Person_Phone, b, n); }
//        unsigned char PvxjPersonPhoneIsNull(PvxjPerson p) {
//          return AttrIsNull(p, Attr::Person_Phone); }
//   Booleans use AttrBool, numbers AttrNumber (or AttrUnsigned), date-times
//   AttrDateTime. Each one finds the handle's object (PVX_ERROR_INVALID_HANDLE
//   for a wrong or stale one), requires its session (PVX_ERROR_NOT_LOGGED_ON),
//   reads the row under the client lock (PVX_ERROR_DOES_NOT_EXIST when it is
//   gone) and leaves the return code as the thread's result.
//
// Getters that are not a column (vectors, objects, computed texts) use
// WithRow for the same preamble (WithStoredRow when the row must still
// exist; FindStoredRow for functions that return a return code) and write
// the rest by hand, reading single columns through AttrSelect.
#ifndef PVXJSIM_ATTRIBUTES_H
#define PVXJSIM_ATTRIBUTES_H

#include <pvxj/base.h>

#include <cstdint>
#include <string>

#include "client.h"

namespace pvxjsim {

enum class AttrType { Text, Bool, Number, DateTime };

enum class Attr : uint16_t {
#define PVXJ_ATTR(cls, name, sql, type, nullable) cls##_##name,
#include "attributes.def"
#undef PVXJ_ATTR
  kCount
};

struct AttrDef {
  Cls cls;
  const char* name;
  const char* sql;
  AttrType type;
  bool nullable;
};

const AttrDef& AttrInfo(Attr attr);

// The table behind a class's row objects ("persons" for Cls::Person), or
// nullptr when the class has none.
const char* TableOf(Cls cls);

char* AttrText(HandleRef handle, Attr attr, char* buffer, uint32_t length, const char* origin = __builtin_FUNCTION());
unsigned char AttrBool(HandleRef handle, Attr attr, const char* origin = __builtin_FUNCTION());
int32_t AttrNumber(HandleRef handle, Attr attr, const char* origin = __builtin_FUNCTION());
uint32_t AttrUnsigned(HandleRef handle, Attr attr, const char* origin = __builtin_FUNCTION());
// Fills *value (year 0 when not set); returns the return code.
int32_t AttrDateTime(HandleRef handle, Attr attr, PvxjDateTime* value, const char* origin = __builtin_FUNCTION());
unsigned char AttrIsNull(HandleRef handle, Attr attr, const char* origin = __builtin_FUNCTION());

// The getters take the calling API function's name as the origin of the
// thread's result, so a one-line getter reports under its own name.

// A date-time that counts only while it lies ahead of the server's clock (a
// logon block that has run out blocks nothing); year 0 otherwise.
PvxjDateTime AttrTimeAhead(HandleRef handle, Attr attr, const char* origin = __builtin_FUNCTION());

// The attribute's statement: its value in column 0 for the row id bound as
// parameter 1. For hand-written functions that need a column of the table.
const std::string& AttrSelect(Attr attr);

// The session preamble every getter shares: the live row object of class cls
// behind handle and the store of its logged-on session. A return code.
int32_t FindRow(HandleRef handle, Cls cls, RowObject** row, Store** store);
// FindRow, and the object's row must still be in the store
// (PVX_ERROR_DOES_NOT_EXIST once it is deleted).
int32_t FindStoredRow(HandleRef handle, Cls cls, RowObject** row, Store** store);

// FindRow under the client lock: fn(Store&, RowObject&, int32_t* rc) returns
// the value; fallback is returned (and *rc kept) on failure.
template <class R, class Fn>
R WithRow(HandleRef handle, Cls cls, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RowObject* row;
    Store* store;
    if ((*rc = FindRow(handle, cls, &row, &store))) return fallback;
    return fn(*store, *row, rc);
  }, origin);
}

// WithRow for an object whose row must still exist (FindStoredRow).
template <class R, class Fn>
R WithStoredRow(HandleRef handle, Cls cls, R fallback, Fn&& fn, const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RowObject* row;
    Store* store;
    if ((*rc = FindStoredRow(handle, cls, &row, &store))) return fallback;
    return fn(*store, *row, rc);
  }, origin);
}

// "YYYY-MM-DD HH:MM:SS" to a date-time value; year 0 for anything else.
PvxjDateTime DateTimeFromText(const std::string& text);

}  // namespace pvxjsim

#endif
