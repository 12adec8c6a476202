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

}  // namespace pvxjsim

#endif
