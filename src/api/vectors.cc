#include "api/vectors.h"

#include "api/handle_types.h"
#include "core/keywords.h"
// The walk names elements of every class, whose name functions are spread
// over the family headers.
#include "pvxj/pvxj.h"

namespace kr::api {
namespace {

// The walked vectors of the class table.
#define WALK_0(Name, Element, NameFn)
#define WALK_1(Name, Element, NameFn)                                                            \
  {k##Name##Hdl, k##Element##Hdl, ByValue<Pvxj##Name##Size>::call, ByValue<Pvxj##Name##FirstElement>::call, \
   ByValue<Pvxj##Name##NextElement>::call, ByValue<Pvxj##NameFn>::call, BySlot<Pvxj##Element##Deallocate>::call},
const VectorOps kVectors[] = {
#define PVXJ_CLASS(Name, Tag, Seconds, Vector, Element, Walk, NameFn, ...) WALK_##Walk(Name, Element, NameFn)
#include "pvxj/classes.def"
#undef PVXJ_CLASS
};
#undef WALK_0
#undef WALK_1

}  // namespace

const VectorOps* vector_ops_for_element(int element_type) {
  for (const VectorOps& v : kVectors)
    if (v.element_type == element_type) return &v;
  return nullptr;
}

const VectorOps* vector_ops(int vector_type) {
  for (const VectorOps& v : kVectors)
    if (v.vector_type == vector_type) return &v;
  return nullptr;
}

}  // namespace kr::api
