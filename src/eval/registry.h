#pragma once
// The handle registry: per handle type, 50 slots mapping the test case's
// handle numbers (1 to 49) to the objects and values the tool holds.
#include <cstdint>

namespace kr {

class HandleRegistry {
 public:
  void reset() { *this = HandleRegistry{}; }

  bool cleanup_disabled = false;
  uint32_t last_vector_size = 0;
};

}  // namespace kr
