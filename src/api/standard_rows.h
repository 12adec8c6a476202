// The standard rows of a class of include/pvxj/classes.def, written in a
// family's row file as API_DEALLOCATE(ProcessTemplate) and the like. They
// expand to the row macros in force where the row file is included.
#ifndef KR_API_STANDARD_ROWS_H
#define KR_API_STANDARD_ROWS_H

// Pvxj<C>Deallocate: C's handle i; the slot's address; RC; slot cleared on 0.
#define API_DEALLOCATE(C) \
  API_CALL(Pvxj##C##Deallocate, Pvxj##C##Deallocate, kRc, kDealloc, (kArgReceiverSlot), in(k##C##Hdl))
// Pvxj<C>VectorDeallocate: the same for the vector of C.
#define API_VECTOR_DEALLOCATE(C) \
  API_CALL(Pvxj##C##VectorDeallocate, Pvxj##C##VectorDeallocate, kRc, kDealloc, (kArgReceiverSlot), in(k##C##VectorHdl))
// Pvxj<C>VectorSize: the vector i; unsigned long, kept as the last retrieved vector size.
#define API_VECTOR_SIZE(C) API_ROW(Pvxj##C##VectorSize, kULong, kVectorSize, in(k##C##VectorHdl))
// Pvxj<C>VectorFirstElement, ...NextElement: the vector i; the element, which
// the function returns, registered under n (no report).
#define API_VECTOR_FIRST_ELEMENT(C) \
  API_ROW(Pvxj##C##VectorFirstElement, kObject, 0, in(k##C##VectorHdl), out(k##C##Hdl))
#define API_VECTOR_NEXT_ELEMENT(C) \
  API_ROW(Pvxj##C##VectorNextElement, kObject, 0, in(k##C##VectorHdl), out(k##C##Hdl))

// Pvxj<C>VectorFirstNamedElement: performed by the tool, which walks the
// vector i comparing each element's name with NameKw's text and registers
// the first that equals it under n (status report, not-found line).
#define API_VECTOR_FIRST_NAMED_ELEMENT(C, NameKw)                                                   \
  API_TOOL(Pvxj##C##VectorFirstNamedElement, first_named_element, kNone, 0, in(k##C##VectorHdl), \
           text(NameKw), out(k##C##Hdl))

#endif
