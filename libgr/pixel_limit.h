// The largest picture that the JPEG codec decodes or turns, in pixels
// (width x height). A frame header may claim up to 65535 x 65535 pixels in a
// few hundred bytes; the codec refuses a picture above the limit before it
// takes any memory for it, so that a forged or broken file cannot exhaust
// the machine.
#pragma once

#include <cstdint>

namespace libgr {

// 256 megapixels: more than any camera makes, far less than a forged frame
// header can claim. Each reader is given the limit in force (the settings'
// max_pixels); this is the one it has until then.
constexpr std::uint64_t default_pixel_limit = std::uint64_t{1} << 28;

}  // namespace libgr
