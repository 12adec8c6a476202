// The objects behind container element handles, which the container
// functions hand out and the element functions read.
#ifndef PVXJSIM_CONTAINER_ELEMENT_H
#define PVXJSIM_CONTAINER_ELEMENT_H

#include <memory>
#include <vector>

#include "container_tree.h"
#include "handles.h"

namespace pvxjsim {

// A container element: a node and the values of its container as they were
// when it was handed out.
struct ElementObject : Object {
  std::shared_ptr<const Record> record;
  Node node;
};

struct ElementVectorObject : Object {
  std::shared_ptr<const Record> record;
  std::vector<Node> nodes;
  size_t cursor = 0;
};

// Registers a vector of the nodes; *out gets the handle.
int32_t AddElementVector(std::shared_ptr<const Record> record, std::vector<Node> nodes, HandleSlot out);
int32_t AddElement(std::shared_ptr<const Record> record, Node node, HandleSlot out);

// What the container and element functions share when they hand a value out:
// the length of a text or binary value (0 for a number), and the copy of a
// text or binary value into the caller's buffer (PVX_ERROR_BUFFER when not
// all of it fitted; rc, when not PVX_OK, is returned as it is).
uint32_t ValueLength(const FieldValue& v);
int32_t TextOut(int32_t rc, const FieldValue& v, char* buffer, uint32_t length);
int32_t BytesOut(int32_t rc, const FieldValue& v, unsigned char* buffer, uint32_t length);

}  // namespace pvxjsim

#endif
