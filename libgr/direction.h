// A frame size as a width and height pair.
#pragma once

#include <cstdint>

namespace libgr {

// Width then height. (0, 0) stands for a size that is unknown, or for one
// that an operation leaves as it is.
struct direction2ul_t {
  std::uint32_t x = 0;  // width
  std::uint32_t y = 0;  // height
};

}  // namespace libgr
