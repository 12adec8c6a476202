// What the item, work item and activity instance functions share: finding
// the row behind a handle of any item class, and reading one SQL expression
// over the row and the instance, activity and template around it.
#ifndef PVXJSIM_WORK_OBJECTS_H
#define PVXJSIM_WORK_OBJECTS_H

#include <pvxj/base.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "attributes.h"
#include "client.h"

namespace pvxjsim {

// Every class whose handles name a row of items.
inline constexpr std::initializer_list<Cls> kItemClasses = {
    Cls::Item, Cls::Workitem, Cls::ActivityInstanceNotification, Cls::ProcessInstanceNotification};
inline constexpr std::initializer_list<Cls> kWorkitemOnly = {Cls::Workitem};
inline constexpr std::initializer_list<Cls> kActivityOnly = {Cls::ActivityInstance};

// The row object behind a handle of one of classes, with its session's store
// (stored: its row must still exist). A return code.
int32_t FindWorkRow(HandleRef handle, std::initializer_list<Cls> classes, bool stored, RowObject** row,
                    Store** store, Cls* cls = nullptr);

// Runs fn(Store&, RowObject&, int32_t* rc) under the client lock for a
// stored row of one of classes; fallback on failure.
template <class R, class Fn>
R WithWorkRow(HandleRef handle, std::initializer_list<Cls> classes, R fallback, Fn&& fn,
              const char* origin = __builtin_FUNCTION()) {
  return GuardedValue<R>(fallback, [&](int32_t* rc) -> R {
    RowObject* row;
    Store* store;
    if ((*rc = FindWorkRow(handle, classes, true, &row, &store))) return fallback;
    return fn(*store, *row, rc);
  }, origin);
}

// Runs fn() -> return code under the client lock for a stored row.
template <class Fn>
int32_t WorkCall(HandleRef handle, std::initializer_list<Cls> classes, Fn&& fn,
                 const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    RowObject* row;
    Store* store;
    if (int32_t rc = FindWorkRow(handle, classes, true, &row, &store)) return rc;
    return fn(*store, *row);
  }, origin);
}

// One value of an item's (aliases: t the item, p its instance, pt the
// template, a the activity instance, d the activity) or an activity
// instance's (a, d, p, pt) row. nullopt when it is NULL.
enum class Over { kItem, kActivity };
std::optional<std::string> ReadText(Store& store, Over over, int64_t id, const std::string& expr);
std::optional<int64_t> ReadNumber(Store& store, Over over, int64_t id, const std::string& expr);

// The getters, one line each in the family files.
char* WorkText(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr, char* buffer,
               uint32_t length, const char* origin = __builtin_FUNCTION());
int32_t WorkNumber(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                   const char* origin = __builtin_FUNCTION());
unsigned char WorkFlag(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                       const char* origin = __builtin_FUNCTION());
unsigned char WorkIsNull(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                         const char* origin = __builtin_FUNCTION());
PvxjDateTime WorkTime(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                      const char* origin = __builtin_FUNCTION());

// A list held as "a;b;c" (or NULL: empty) as a new string vector.
PvxjStringVector WorkList(HandleRef handle, std::initializer_list<Cls> classes, Over over, const char* expr,
                          const char* origin = __builtin_FUNCTION());

// The persons (user ids, sorted) the activity's staff assignment names.
std::vector<std::string> ResolvedStaff(Store& store, int64_t activity_instance_id);

// "YYYY-MM-DD HH:MM:SS" of a date-time value; "" when it is not valid.
std::string StoreTimeText(const PvxjDateTime& v);

// A registered object for a row.
int32_t AddRowObject(Cls cls, int64_t id, const std::string& name, const std::shared_ptr<ServiceState>& service,
                     HandleSlot out);

// A container as the output of an activity: the record of a read-write
// (preferred) or read-only container handle; nullopt for neither, and
// *rc PVX_ERROR_INVALID_HANDLE for a handle that is not live.
std::optional<Record> GivenContainer(HandleRef read_only, HandleRef read_write, int32_t* rc);

// The activity's in or out container as a new container handle.
int32_t ActivityContainer(Store& store, int64_t activity_instance_id, const char* role, Cls cls, HandleSlot out);

// Sets the activity's output from a container of its output structure.
int32_t StoreActivityOutput(Store& store, int64_t activity_instance_id, const Record& record);

// Force finish (item: the work item it goes through, 0 for none) and force
// restart with an optional container: read-write preferred, else read-only,
// else none. The container must be of the activity's output (finish) or
// input (restart) structure.
int32_t ForceFinishWith(Store& store, int64_t ai, HandleRef read_only, HandleRef read_write, int64_t item);
int32_t ForceRestartWith(Store& store, int64_t ai, HandleRef read_only, HandleRef read_write);

}  // namespace pvxjsim

#endif
