#include "tests/gui_support/picture.h"

#include <stdexcept>

namespace testutil {

libgr::image2d_t make_picture(libgr::e_image_format_t format, uint32_t width, uint32_t height,
                              const std::function<std::vector<uint8_t>(uint32_t x, uint32_t y)>& pixel) {
  libgr::image2d_t image;
  image.desc = libgr::image_desc_t{format, libgr::IMAGE_TYPE_UINT, libgr::IMAGE_BITS_8};
  image.store = &libgr::g_store_align4;
  image.width = width;
  image.height = height;
  if (!image.allocate()) throw std::runtime_error("make_picture: allocate failed");
  const uint32_t components = libgr::format_components(format);
  for (uint32_t y = 0; y < height; ++y) {
    unsigned char* row = image.row(height - 1 - y);
    for (uint32_t x = 0; x < width; ++x) {
      const std::vector<uint8_t> value = pixel(x, y);
      if (value.size() != components) throw std::runtime_error("make_picture: wrong pixel size");
      for (uint32_t c = 0; c < components; ++c) row[x * components + c] = value[c];
    }
  }
  return image;
}

}  // namespace testutil
