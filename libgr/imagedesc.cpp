#include "libgr/imagedesc.h"

#include <iterator>

namespace libgr {

namespace {

const char* const s_format_names[] = {
    "IMAGE_FORMAT_GRAYSCALE", "IMAGE_FORMAT_GRAYSCALE_ALPHA", "IMAGE_FORMAT_INTENSITY",
    "IMAGE_FORMAT_RED",       "IMAGE_FORMAT_GREEN",           "IMAGE_FORMAT_BLUE",
    "IMAGE_FORMAT_ALPHA",     "IMAGE_FORMAT_RG",              "IMAGE_FORMAT_RGB",
    "IMAGE_FORMAT_RGBA",      "IMAGE_FORMAT_BGR",             "IMAGE_FORMAT_BGRA",
    "IMAGE_FORMAT_DEPTH",     "IMAGE_FORMAT_DEPTH_STENCIL",   "IMAGE_FORMAT_YCbCr",
    "IMAGE_FORMAT_YCbCrA",    "IMAGE_FORMAT_YCbCr422",        "IMAGE_FORMAT_INDEX",
    "IMAGE_FORMAT_MAX",
};

const uint32_t s_format_components[] = {1, 2, 1, 1, 1, 1, 1, 2, 3, 4, 3, 4, 1, 2, 3, 4, 2, 1};

// Bits per component up to IMAGE_BITS_64, then bits per packed pixel.
const uint32_t s_bits_sizes[] = {1, 2, 4, 8, 12, 16, 24, 32, 64, 8, 16, 16, 32, 8, 16, 32};

template <size_t N>
std::ostream& print_name(std::ostream& os, const char* const (&names)[N], uint32_t v) {
  if (v < N) return os << names[v];
  return os << "unknown: " << v;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, e_image_format_t v) {
  return print_name(os, s_format_names, v);
}

uint32_t format_components(e_image_format_t format) {
  return format < std::size(s_format_components) ? s_format_components[format] : 0;
}

uint32_t image_desc_t::getPixelBits() const {
  if (bits >= std::size(s_bits_sizes)) return 0;
  if (bits >= IMAGE_BITS_R3G3B2) return s_bits_sizes[bits];
  return s_bits_sizes[bits] * format_components(format);
}

}  // namespace libgr
