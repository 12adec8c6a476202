#pragma once
// String vectors as one line of text: the elements joined with ";" into a
// text of limited size, ending in ";..." where the next element would not fit.
#include <cstddef>
#include <string>

#include "pvxj/base.h"

namespace kr {
struct RunContext;
}

namespace kr::api {

// Which functions walk the vector: the plain element functions or those of
// result parameter vectors.
enum class Walk { kElements, kResultParms };

// The value texts of the Value reports and of the person dump.
inline constexpr std::size_t kJoinReport = 512;
inline constexpr std::size_t kJoinDump = 4097;

// With the object names heading and the size line written first.
std::string join_with_heading(RunContext& ctx, PvxjStringVector vector, std::size_t capacity, Walk walk);

// Followed by " (vector size = N)"; an empty vector gives "(vector size = 0)".
std::string join_with_size(PvxjStringVector vector, std::size_t capacity);

}  // namespace kr::api
