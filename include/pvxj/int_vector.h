/*
 * pvxj/int_vector.h - integer vectors. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions and types apply.
 */
#ifndef PVXJ_INT_VECTOR_H
#define PVXJ_INT_VECTOR_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Integer vectors                                                          */
/* ------------------------------------------------------------------------ */

int32_t PvxjIntVectorAllocate(PvxjIntVector* vector);
uint32_t PvxjIntVectorSize(PvxjIntVector vector);
/* The first / next element; 0 past the end (the thread's result says why). */
int32_t PvxjIntVectorFirstElement(PvxjIntVector vector);
int32_t PvxjIntVectorNextElement(PvxjIntVector vector);
int32_t PvxjIntVectorAddElement(PvxjIntVector vector, int32_t value);
int32_t PvxjIntVectorRemoveElement(PvxjIntVector vector, int32_t value);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_INT_VECTOR_H */
