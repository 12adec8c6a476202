#pragma once
// How to walk each kind of vector the API returns: its size, its elements,
// their names and how to free them, with handles as the registry keeps them.
#include <cstdint>

#include "api/handle_types.h"

namespace kr::api {

struct VectorOps {
  int vector_type;   // keyword id of the vector handle keyword
  int element_type;  // keyword id of the element handle keyword (its working slot)
  uint32_t (*size)(PvxjHandle vector);
  PvxjHandle (*first)(PvxjHandle vector);
  PvxjHandle (*next)(PvxjHandle vector);
  char* (*name)(PvxjHandle element, char* buffer, uint32_t length);
  int32_t (*deallocate)(PvxjHandle* element);
};

// Null for a type that is not a vector the catalogue walks.
const VectorOps* vector_ops(int vector_type);
// The vector whose elements have the given handle type; null when none.
const VectorOps* vector_ops_for_element(int element_type);

}  // namespace kr::api
