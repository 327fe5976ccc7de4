// Small pictures with a chosen value in every pixel, for the window tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "libgr/imagetype.h"

namespace testutil {

// An 8-bit picture of format and size whose pixel (x, y), counted from the
// top left, holds pixel(x, y) (as many bytes as the format has components).
// The rows are stored bottom-up, as every image buffer's are.
libgr::image2d_t make_picture(libgr::e_image_format_t format, uint32_t width, uint32_t height,
                              const std::function<std::vector<uint8_t>(uint32_t x, uint32_t y)>& pixel);

}  // namespace testutil
