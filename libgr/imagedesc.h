// Pixel descriptions: the pixel format, the component type and the bit size
// of an image, with their printed names.
#pragma once

#include <cstdint>
#include <ostream>

namespace libgr {

enum e_image_format_t : uint32_t {
  IMAGE_FORMAT_GRAYSCALE = 0,
  IMAGE_FORMAT_GRAYSCALE_ALPHA = 1,
  IMAGE_FORMAT_INTENSITY = 2,
  IMAGE_FORMAT_RED = 3,
  IMAGE_FORMAT_GREEN = 4,
  IMAGE_FORMAT_BLUE = 5,
  IMAGE_FORMAT_ALPHA = 6,
  IMAGE_FORMAT_RG = 7,
  IMAGE_FORMAT_RGB = 8,
  IMAGE_FORMAT_RGBA = 9,
  IMAGE_FORMAT_BGR = 10,
  IMAGE_FORMAT_BGRA = 11,
  IMAGE_FORMAT_DEPTH = 12,
  IMAGE_FORMAT_DEPTH_STENCIL = 13,
  IMAGE_FORMAT_YCbCr = 14,
  IMAGE_FORMAT_YCbCrA = 15,
  IMAGE_FORMAT_YCbCr422 = 16,
  IMAGE_FORMAT_INDEX = 17,
  IMAGE_FORMAT_MAX = 18,
};

enum e_image_type_t : uint32_t {
  IMAGE_TYPE_SINT = 0,
  IMAGE_TYPE_UINT = 1,
  IMAGE_TYPE_FLOAT = 2,
  IMAGE_TYPE_MAX = 3,
};

enum e_image_bits_t : uint32_t {
  IMAGE_BITS_1 = 0,
  IMAGE_BITS_2 = 1,
  IMAGE_BITS_4 = 2,
  IMAGE_BITS_8 = 3,
  IMAGE_BITS_12 = 4,
  IMAGE_BITS_16 = 5,
  IMAGE_BITS_24 = 6,
  IMAGE_BITS_32 = 7,
  IMAGE_BITS_64 = 8,
  // Packed pixels: the size is that of the whole pixel.
  IMAGE_BITS_R3G3B2 = 9,
  IMAGE_BITS_R5G6B5 = 10,
  IMAGE_BITS_R5G5B5A1 = 11,
  IMAGE_BITS_R10G10B10A2 = 12,
  IMAGE_BITS_L6A2 = 13,
  IMAGE_BITS_L12A4 = 14,
  IMAGE_BITS_D24S8 = 15,
  IMAGE_BITS_MAX = 16,
};

// The name of the value ("IMAGE_FORMAT_RGB"), or "unknown: " and the value.
std::ostream& operator<<(std::ostream& os, e_image_format_t v);

// Components per pixel of a format; 0 outside the table.
uint32_t format_components(e_image_format_t format);

struct image_desc_t {
  e_image_format_t format = IMAGE_FORMAT_GRAYSCALE;
  e_image_type_t type = IMAGE_TYPE_SINT;
  e_image_bits_t bits = IMAGE_BITS_1;

  // Bits per component times components, or the packed pixel's size;
  // 0 for values outside the tables.
  uint32_t getPixelBits() const;

  bool operator==(const image_desc_t& o) const {
    return format == o.format && type == o.type && bits == o.bits;
  }
  bool operator!=(const image_desc_t& o) const { return !(*this == o); }
};

}  // namespace libgr
