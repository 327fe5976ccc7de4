#include "libgr/imagetype.h"

namespace libgr {

const image_store_t g_store_align4{0, 4};

void palette_t::clear() {
  red.clear();
  green.clear();
  blue.clear();
  count = 0;
}

uint64_t image2d_t::rowsize() const {
  const uint64_t align = store != nullptr && store->alignment != 0 ? store->alignment : 4;
  const uint64_t bytes = (uint64_t{rowlength()} * desc.getPixelBits() + 7) / 8;
  return (bytes + align - 1) / align * align;
}

uint64_t image2d_t::rowbyte() const {
  return (uint64_t{width} * desc.getPixelBits() + 7) / 8;
}

uint64_t image2d_t::row_offset(uint32_t y) const {
  return (uint64_t{y} + window.skiprows) * rowsize() +
         uint64_t{window.skippixels} * desc.getPixelBits() / 8;
}

bool image2d_t::allocate() { return resize((uint64_t{height} + window.skiprows) * rowsize()); }

void image2d_t::clear() {
  ofsvector::clear();
  palette.clear();
  width = 0;
  height = 0;
}

}  // namespace libgr
