#include "libgr/imageutil.h"

#include <cstring>

#include "libutils/common.h"

namespace libgr {

// Every operation below first takes a sharing copy of its source: when dst
// and src are the same image, clearing or reallocating dst must not take the
// source pixels away while they are still being read.

unsigned long long mixorientandrightrotatecount(unsigned long long count,
                                                unsigned long long orientation) {
  switch (orientation) {
    case 6:
      return (count + 1) % 4;
    case 3:
      return (count + 2) % 4;
    case 8:
      return (count + 3) % 4;
    default:
      return count;
  }
}

bool rotate(unsigned long long count, image2d_t& dst, const image2d_t& src) {
  if (count == 0) {
    dst = src;
    return true;
  }
  if (count > 3) return false;
  const image2d_t s = src;
  const uint32_t w = s.width;
  const uint32_t h = s.height;
  dst.clear();
  dst.desc = s.desc;
  dst.width = count == 2 ? w : h;
  dst.height = count == 2 ? h : w;
  if (!dst.allocate()) return false;

  const uint32_t bytes = s.desc.getPixelBits() / 8;
  if (bytes == 0) return true;
  unsigned char* const out = dst.row(0);
  const uint64_t out_rowsize = dst.rowsize();
  for (uint32_t y = 0; y < h; ++y) {
    const unsigned char* in = s.row(y);
    for (uint32_t x = 0; x < w; ++x) {
      // Buffer rows are bottom-up in both images.
      uint32_t row, col;
      if (count == 1) {
        row = w - 1 - x;
        col = y;
      } else if (count == 2) {
        row = h - 1 - y;
        col = w - 1 - x;
      } else {
        row = x;
        col = h - 1 - y;
      }
      std::memcpy(out + row * out_rowsize + uint64_t{col} * bytes, in + uint64_t{x} * bytes, bytes);
    }
  }
  return true;
}

bool flip(image2d_t& dst, const image2d_t& src) {
  if (src.flag != 0) return false;
  const image2d_t s = src;
  dst.desc = s.desc;
  dst.width = s.width;
  dst.height = s.height;
  dst.store = s.store;
  dst.window = image_window2d_t{};
  dst.flag = 0;
  if (!dst.allocate()) return false;

  const uint64_t used = s.rowbyte();
  const uint64_t padding = dst.rowsize() - used;
  for (uint32_t r = 0; r < s.height; ++r) {
    unsigned char* out = dst.row(r);
    std::memcpy(out, s.row(s.height - 1 - r), used);
    std::memset(out + used, 0, padding);
  }
  return true;
}

namespace {

// Channels of the formats that scaledown handles; 0 for the others.
uint32_t scaledown_channels(const image_desc_t& desc) {
  // Only one byte per channel is read; other bit sizes would be walked past
  // their rows, so they count as unsupported too.
  if (desc.bits != IMAGE_BITS_8) return 0;
  switch (desc.format) {
    case IMAGE_FORMAT_GRAYSCALE:
      return 1;
    case IMAGE_FORMAT_RGB:
    case IMAGE_FORMAT_BGR:
      return 3;
    case IMAGE_FORMAT_RGBA:
    case IMAGE_FORMAT_BGRA:
      return 4;
    default:
      return 0;
  }
}

// One row of halves from the buffer rows a and b, C bytes a pixel. The
// channel count is a constant here, so that the inner loop is four loads, an
// add and a shift a byte; this loop is a large share of an album build.
template <uint32_t C>
void halve_row(const unsigned char* a, const unsigned char* b, unsigned char* out, uint32_t out_width) {
  for (const unsigned char* const end = out + uint64_t{out_width} * C; out != end; out += C) {
    for (uint32_t c = 0; c < C; ++c) out[c] = static_cast<unsigned char>((a[c] + a[c + C] + b[c] + b[c + C]) >> 2);
    a += 2 * C;
    b += 2 * C;
  }
}

// The rows of a picture, bottom-up, each `rowsize` bytes after the one before.
struct rows_t {
  unsigned char* first;
  uint64_t rowsize;
  uint32_t width, height;
  unsigned char* row(uint32_t y) const { return first + y * rowsize; }
};

// Halves src into dst, C bytes a pixel. dst may lie over src's own bytes
// when it starts at src's first row and its rows are no longer: each byte of
// the half is written where a byte already read was (half row y ends before
// source row 2y begins to be read past it).
template <uint32_t C>
void halve_rows(const rows_t& dst, const rows_t& src) {
  for (uint32_t y = 0; y < dst.height; ++y) {
    const unsigned char* a = src.row(2 * y);
    const unsigned char* b = src.height == 1 ? a : src.row(2 * y + 1);
    unsigned char* out = dst.row(y);
    if (src.width == 1) {
      // One column stands for both of each block.
      for (uint32_t c = 0; c < C; ++c) out[c] = static_cast<unsigned char>((2 * a[c] + 2 * b[c]) >> 2);
    } else {
      halve_row<C>(a, b, out, dst.width);
    }
  }
}

bool halve_rows(const rows_t& dst, const rows_t& src, const image_desc_t& desc) {
  switch (scaledown_channels(desc)) {
    case 1:
      halve_rows<1>(dst, src);
      return true;
    case 3:
      halve_rows<3>(dst, src);
      return true;
    case 4:
      halve_rows<4>(dst, src);
      return true;
    default:
      libutils::error();
      return false;  // a pixel format no decoder gives
  }
}

// A side of one pixel stays one pixel: its one column (row) stands for both
// of each 2 x 2 block, so a 1 x 2n picture halves to 1 x n, each pixel the
// mean of two, and 1 x 1 stays as it is. A picture therefore never halves to
// nothing, however thin.
uint32_t half_side(uint32_t side) { return side == 1 ? 1 : side / 2; }

}  // namespace

bool scaledown(image2d_t& dst, const image2d_t& src) {
  const image2d_t s = src;
  dst.clear();
  dst.desc = s.desc;
  dst.width = half_side(s.width);
  dst.height = half_side(s.height);
  dst.flag = 0;
  if (!dst.allocate()) {
    libutils::error();
    return false;
  }
  const image2d_t& source = s;
  return halve_rows({dst.row(0), dst.rowsize(), dst.width, dst.height},
                    {const_cast<unsigned char*>(source.row(0)), s.rowsize(), s.width, s.height}, s.desc);
}

bool halve(image2d_t& image) {
  if (image.holders() != 1 || image.flag != 0 || image.window.rowlength != 0 ||
      image.window.skippixels != 0 || image.window.skiprows != 0 || scaledown_channels(image.desc) == 0) {
    image2d_t half;
    if (!scaledown(half, image)) return false;
    image = half;
    return true;
  }
  const rows_t src{image.row(0), image.rowsize(), image.width, image.height};
  image.width = half_side(image.width);
  image.height = half_side(image.height);
  return halve_rows({image.row(0), image.rowsize(), image.width, image.height}, src, image.desc);
}

bool grayscale2rgb(image2d_t& dst, const image2d_t& src) {
  if (src.desc.format != IMAGE_FORMAT_GRAYSCALE) {
    dst = src;
    return true;
  }
  const image2d_t s = src;
  dst.clear();
  dst.desc = image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  dst.width = s.width;
  dst.height = s.height;
  dst.flag = 0;
  if (!dst.allocate()) return false;

  unsigned char (*gray)(const unsigned char* row, uint32_t x);
  switch (s.desc.bits) {
    case IMAGE_BITS_8:
      gray = [](const unsigned char* row, uint32_t x) { return row[x]; };
      break;
    case IMAGE_BITS_4:  // two pixels a byte, high nibble first
      gray = [](const unsigned char* row, uint32_t x) {
        const unsigned nibble = (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0f;
        return static_cast<unsigned char>(nibble * 17);
      };
      break;
    case IMAGE_BITS_1:  // eight pixels a byte, most significant bit first
      gray = [](const unsigned char* row, uint32_t x) {
        return static_cast<unsigned char>((row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0);
      };
      break;
    default:
      return false;
  }
  for (uint32_t y = 0; y < s.height; ++y) {
    const unsigned char* in = s.row(y);
    unsigned char* out = dst.row(y);
    for (uint32_t x = 0; x < s.width; ++x) {
      const unsigned char g = gray(in, x);
      out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = g;
    }
  }
  return true;
}

bool rgb2rgba(image2d_t& dst, const image2d_t& src) {
  const bool plain = (src.desc.type == IMAGE_TYPE_SINT || src.desc.type == IMAGE_TYPE_UINT) &&
                     src.desc.bits == IMAGE_BITS_8 && src.flag == 0;
  if (!plain || src.desc.format != IMAGE_FORMAT_RGB) {
    dst = src;
    return plain && src.desc.format == IMAGE_FORMAT_RGBA;
  }
  const image2d_t s = src;
  dst.clear();
  dst.desc = image_desc_t{IMAGE_FORMAT_RGBA, s.desc.type, s.desc.bits};
  dst.width = s.width;
  dst.height = s.height;
  dst.flag = 0;
  dst.store = &g_store_align4;
  if (!dst.allocate()) return false;

  for (uint32_t y = 0; y < s.height; ++y) {
    const unsigned char* in = s.row(y);
    unsigned char* out = dst.row(y);
    for (uint32_t x = 0; x < s.width; ++x) {
      std::memcpy(out + 4 * x, in + 3 * x, 3);
      out[4 * x + 3] = 255;
    }
  }
  return true;
}

}  // namespace libgr
