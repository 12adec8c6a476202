// Stored lists of every kind (worklists, process template, process instance
// and activity instance lists): reading one the caller may see, and the
// persistent-list functions of the API.
#ifndef PVXJSIM_PERSISTENT_LIST_H
#define PVXJSIM_PERSISTENT_LIST_H

#include <cstdint>
#include <optional>
#include <string>

#include "client.h"

namespace pvxjsim {

// A stored list as its row holds it.
struct ListRow {
  int64_t kind = 0;  // ListKind
  int32_t type = 0;  // Pvx_LT_
  std::optional<std::string> owner, description, filter, sort;
  std::optional<int64_t> threshold;
  std::string created_by;
};

// The list behind handle (any list class, or only class `only` when given),
// read from the store. PVX_ERROR_INVALID_HANDLE for anything else,
// PVX_ERROR_DOES_NOT_EXIST once it is deleted, PVX_ERROR_NOT_AUTHORIZED for a
// private list of another user (administrators see every list).
int32_t FindVisibleList(HandleRef handle, RowObject** row, Store** store, ListRow* list,
                        Cls only = Cls::kNone);

}  // namespace pvxjsim

#endif
