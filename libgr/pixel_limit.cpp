#include "libgr/pixel_limit.h"

namespace libgr {

namespace {

std::uint64_t default_limit() { return default_pixel_limit; }

}  // namespace

std::uint64_t (*pixel_limit)() = default_limit;

}  // namespace libgr
