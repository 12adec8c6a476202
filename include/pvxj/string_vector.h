/*
 * pvxj/string_vector.h - string vectors. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions and types apply.
 */
#ifndef PVXJ_STRING_VECTOR_H
#define PVXJ_STRING_VECTOR_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* String vectors                                                           */
/* ------------------------------------------------------------------------ */

int32_t PvxjStringVectorAllocate(PvxjStringVector* vector);
uint32_t PvxjStringVectorSize(PvxjStringVector vector);
/* The first / next element copied into buffer; NULL past the end. */
char* PvxjStringVectorFirstElement(PvxjStringVector vector, char* buffer, uint32_t bufferLength);
char* PvxjStringVectorNextElement(PvxjStringVector vector, char* buffer, uint32_t bufferLength);
int32_t PvxjStringVectorAddElement(PvxjStringVector vector, const char* value);
/* Removes the first element equal to value; PVX_ERROR_DOES_NOT_EXIST when none is. */
int32_t PvxjStringVectorRemoveElement(PvxjStringVector vector, const char* value);
/* The same for vectors of message parameters (PvxjResultParameters). */
int32_t PvxjStringVectorResultParmDeallocate(PvxjStringVector* vector);
uint32_t PvxjStringVectorResultParmSize(PvxjStringVector vector);
char* PvxjStringVectorFirstResultParmElement(PvxjStringVector vector, char* buffer,
                                             uint32_t bufferLength);
char* PvxjStringVectorNextResultParmElement(PvxjStringVector vector, char* buffer,
                                            uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_STRING_VECTOR_H */
