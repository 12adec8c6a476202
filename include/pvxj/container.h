/*
 * pvxj/container.h - data containers and their elements. Included by
 * pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply; the deallocate functions are declared
 * there.
 *
 * Members are addressed by qualified names: structure members joined with
 * ".", array elements as "Name[i]" with i counted from 1. An array element
 * is also named on its own as "[i]", and "Name.[i]" means "Name[i]".
 *
 * Functions that return a value instead of a return code leave the code in
 * the result object of the calling thread (PvxjResultObjectOfCurrentThread).
 */
#ifndef PVXJ_CONTAINER_H
#define PVXJ_CONTAINER_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The PvxjContainer... functions read a read-only or a read-write container
 * alike (PvxjContainer, pvxj/pvxj.h). */

/* Known code pages for PvxjContainerSetStringCcsid: 37, 273, 437, 500, 819,
 * 850, 923, 1047, 1200, 1208, 1252. */

/* ------------------------------------------------------------------------ */
/* Reading a container                                                      */
/* ------------------------------------------------------------------------ */

char* PvxjContainerType(PvxjContainer container, char* buffer, uint32_t bufferLength);
/* Leaves without the predefined members; all leaves; top-level members. */
uint32_t PvxjContainerLeafCount(PvxjContainer container);
uint32_t PvxjContainerAllLeafCount(PvxjContainer container);
uint32_t PvxjContainerMemberCount(PvxjContainer container);
PvxjContainerElementVector PvxjContainerLeaves(PvxjContainer container);
PvxjContainerElementVector PvxjContainerAllLeaves(PvxjContainer container);
PvxjContainerElementVector PvxjContainerStructMembers(PvxjContainer container);
int32_t PvxjContainerGetElement(PvxjContainer container, const char* qualifiedName,
                                PvxjContainerElement* element);

/* Values. A member that exists but was never written gives
 * PVX_ERROR_MEMBER_NOT_SET; a text or binary buffer too small for the value
 * gets what fits and PVX_ERROR_BUFFER. */
int32_t PvxjContainerStringLength(PvxjContainer container, const char* qualifiedName,
                                  uint32_t* length);
int32_t PvxjContainerBinaryLength(PvxjContainer container, const char* qualifiedName,
                                  uint32_t* length);
int32_t PvxjContainerStringValue(PvxjContainer container, const char* qualifiedName,
                                 char* buffer, uint32_t bufferLength);
int32_t PvxjContainerLongValue(PvxjContainer container, const char* qualifiedName,
                               int32_t* value);
int32_t PvxjContainerFloatValue(PvxjContainer container, const char* qualifiedName,
                                double* value);
int32_t PvxjContainerBinaryValue(PvxjContainer container, const char* qualifiedName,
                                 unsigned char* buffer, uint32_t bufferLength);
int32_t PvxjContainerArrayStringLength(PvxjContainer container, const char* qualifiedName,
                                       uint32_t index, uint32_t* length);
int32_t PvxjContainerArrayBinaryLength(PvxjContainer container, const char* qualifiedName,
                                       uint32_t index, uint32_t* length);
int32_t PvxjContainerArrayStringValue(PvxjContainer container, const char* qualifiedName,
                                      uint32_t index, char* buffer, uint32_t bufferLength);
int32_t PvxjContainerArrayLongValue(PvxjContainer container, const char* qualifiedName,
                                    uint32_t index, int32_t* value);
int32_t PvxjContainerArrayFloatValue(PvxjContainer container, const char* qualifiedName,
                                     uint32_t index, double* value);
int32_t PvxjContainerArrayBinaryValue(PvxjContainer container, const char* qualifiedName,
                                      uint32_t index, unsigned char* buffer,
                                      uint32_t bufferLength);

/* The stream form (read back by PvxjExecutionService...ContainerFromStream):
 * its length, and the stream written into a buffer of at least that length
 * (0 when the buffer is missing or too small). */
uint32_t PvxjContainerStreamLength(PvxjContainer container);
unsigned char PvxjContainerAsStream(PvxjContainer container, unsigned char* buffer,
                                    uint32_t bufferLength);
/* PVX_ERROR_INVALID_CODE_PAGE for a code page not in the list above. */
int32_t PvxjContainerSetStringCcsid(PvxjContainer container, int32_t ccsid);

/* ------------------------------------------------------------------------ */
/* Writing a read-write container                                           */
/* ------------------------------------------------------------------------ */

int32_t PvxjReadWriteContainerSetStringValue(PvxjReadWriteContainer container,
                                             const char* qualifiedName, const char* value);
int32_t PvxjReadWriteContainerSetLongValue(PvxjReadWriteContainer container,
                                           const char* qualifiedName, int32_t value);
int32_t PvxjReadWriteContainerSetFloatValue(PvxjReadWriteContainer container,
                                            const char* qualifiedName, double value);
int32_t PvxjReadWriteContainerSetBinaryValue(PvxjReadWriteContainer container,
                                             const char* qualifiedName,
                                             const unsigned char* value, uint32_t length);
int32_t PvxjReadWriteContainerSetArrayStringValue(PvxjReadWriteContainer container,
                                                  const char* qualifiedName, uint32_t index,
                                                  const char* value);
int32_t PvxjReadWriteContainerSetArrayLongValue(PvxjReadWriteContainer container,
                                                const char* qualifiedName, uint32_t index,
                                                int32_t value);
int32_t PvxjReadWriteContainerSetArrayFloatValue(PvxjReadWriteContainer container,
                                                 const char* qualifiedName, uint32_t index,
                                                 double value);
int32_t PvxjReadWriteContainerSetArrayBinaryValue(PvxjReadWriteContainer container,
                                                  const char* qualifiedName, uint32_t index,
                                                  const unsigned char* value, uint32_t length);

/* ------------------------------------------------------------------------ */
/* Container objects                                                        */
/* ------------------------------------------------------------------------ */

int32_t PvxjReadOnlyContainerCopy(PvxjReadOnlyContainer container, PvxjReadOnlyContainer* copy);
int32_t PvxjReadWriteContainerCopy(PvxjReadWriteContainer container,
                                   PvxjReadWriteContainer* copy);
/* 1 when both hold the same structure with the same values; either class. */
unsigned char PvxjReadOnlyContainerEqual(PvxjContainer container, PvxjContainer other);
PvxjReadWriteContainer PvxjReadOnlyContainerAsReadWriteContainer(PvxjReadOnlyContainer container);
PvxjReadOnlyContainer PvxjReadWriteContainerAsReadOnlyContainer(PvxjReadWriteContainer container);

/* ------------------------------------------------------------------------ */
/* The containers of a program's activity                                   */
/* ------------------------------------------------------------------------ */

/* Inside a program the agent started: its own activity's containers. The
 * Remote... forms name the program execution by its program identifier. */
int32_t PvxjContainerInContainer(PvxjReadOnlyContainer* container);
int32_t PvxjContainerOutContainer(PvxjReadWriteContainer* container);
int32_t PvxjContainerRemoteInContainer(const char* programId, PvxjReadOnlyContainer* container);
int32_t PvxjContainerRemoteOutContainer(const char* programId, PvxjReadWriteContainer* container);
int32_t PvxjContainerSetOutContainer(PvxjReadWriteContainer container);
int32_t PvxjContainerSetRemoteOutContainer(const char* programId, PvxjReadWriteContainer container);

/* ------------------------------------------------------------------------ */
/* Container elements                                                       */
/* ------------------------------------------------------------------------ */

/* An element shows the container's values as they were when the element was
 * handed out. */
int32_t PvxjContainerElementCopy(PvxjContainerElement element, PvxjContainerElement* copy);
unsigned char PvxjContainerElementEqual(PvxjContainerElement element, PvxjContainerElement other);
/* STRING, LONG, FLOAT, BINARY or the structure's name; for an array, the
 * type of its elements. */
char* PvxjContainerElementType(PvxjContainerElement element, char* buffer, uint32_t bufferLength);
char* PvxjContainerElementName(PvxjContainerElement element, char* buffer, uint32_t bufferLength);
char* PvxjContainerElementFullName(PvxjContainerElement element, char* buffer,
                                   uint32_t bufferLength);
uint32_t PvxjContainerElementLeafCount(PvxjContainerElement element);
uint32_t PvxjContainerElementMemberCount(PvxjContainerElement element);
/* The number of elements of an array, 1 for any other element. */
uint32_t PvxjContainerElementCardinality(PvxjContainerElement element);
unsigned char PvxjContainerElementIsArray(PvxjContainerElement element);
unsigned char PvxjContainerElementIsLeaf(PvxjContainerElement element);
unsigned char PvxjContainerElementIsStruct(PvxjContainerElement element);
PvxjContainerElementVector PvxjContainerElementLeaves(PvxjContainerElement element);
PvxjContainerElementVector PvxjContainerElementStructMembers(PvxjContainerElement element);
PvxjContainerElementVector PvxjContainerElementArrayElements(PvxjContainerElement element);
int32_t PvxjContainerElementGetElement(PvxjContainerElement element, const char* qualifiedName,
                                       PvxjContainerElement* found);
int32_t PvxjContainerElementStringLength(PvxjContainerElement element, uint32_t* length);
int32_t PvxjContainerElementBinaryLength(PvxjContainerElement element, uint32_t* length);
int32_t PvxjContainerElementStringValue(PvxjContainerElement element, char* buffer,
                                        uint32_t bufferLength);
int32_t PvxjContainerElementBinaryValue(PvxjContainerElement element, unsigned char* buffer,
                                        uint32_t bufferLength);
int32_t PvxjContainerElementLongValue(PvxjContainerElement element, int32_t* value);
int32_t PvxjContainerElementFloatValue(PvxjContainerElement element, double* value);
int32_t PvxjContainerElementArrayStringLength(PvxjContainerElement element, uint32_t index,
                                              uint32_t* length);
int32_t PvxjContainerElementArrayBinaryLength(PvxjContainerElement element, uint32_t index,
                                              uint32_t* length);
int32_t PvxjContainerElementArrayStringValue(PvxjContainerElement element, uint32_t index,
                                             char* buffer, uint32_t bufferLength);
int32_t PvxjContainerElementArrayBinaryValue(PvxjContainerElement element, uint32_t index,
                                             unsigned char* buffer, uint32_t bufferLength);
int32_t PvxjContainerElementArrayLongValue(PvxjContainerElement element, uint32_t index,
                                           int32_t* value);
int32_t PvxjContainerElementArrayFloatValue(PvxjContainerElement element, uint32_t index,
                                            double* value);

uint32_t PvxjContainerElementVectorSize(PvxjContainerElementVector vector);
/* 0 past the end (PVX_ERROR_NO_MORE_DATA). */
PvxjContainerElement PvxjContainerElementVectorFirstElement(PvxjContainerElementVector vector);
PvxjContainerElement PvxjContainerElementVectorNextElement(PvxjContainerElementVector vector);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_CONTAINER_H */
