// The in-memory picture: a two-dimensional pixel buffer with a row layout
// modelled on a graphics pixel store. Rows are stored bottom-up: buffer row 0
// is the bottom row of the picture. Copies share their pixels.
// Only two-dimensional images exist: nothing in the system needs one- or
// three-dimensional ones.
#pragma once

#include <cstdint>

#include "libgr/imagedesc.h"
#include "libutils/alloc_mmap_win.h"
#include "libutils/alloc_new.h"
#include "libutils/ofsvector.h"
#include "libutils/refvector.h"

namespace libgr {

// Pixel-store record; images point at shared records and never own them.
struct image_store_t {
  unsigned char flag = 0;
  uint32_t alignment = 4;  // row alignment in bytes; 0 means 4
};

// The record of every image whose rows are aligned to 4 bytes.
extern const image_store_t g_store_align4;

struct image_window2d_t {
  uint32_t rowlength = 0;   // pixels per buffer row; 0 = the width
  uint32_t skippixels = 0;  // pixels skipped at the start of each row
  uint32_t skiprows = 0;    // rows skipped at the start of the buffer
};

struct color3ub_t {
  unsigned char r = 0, g = 0, b = 0;
};

// Colour table of an indexed image (the system makes none); the three
// vectors always have `count` entries.
struct palette_t {
  uint64_t count = 0;
  libutils::refvector<unsigned short, libutils::alloc_new> red, green, blue;

  void clear();
};

class image2d_t : public libutils::ofsvector<unsigned char, libutils::alloc_mmap_win> {
 public:
  image_desc_t desc;
  const image_store_t* store = nullptr;
  image_window2d_t window;
  uint32_t width = 0;
  uint32_t height = 0;
  unsigned char flag = 0;  // set only by foreign images; the conversions refuse them
  palette_t palette;

  // Replaces the buffer by a zeroed block of (height + skipped rows) x
  // rowsize() bytes that starts with the visible bytes of the old one.
  bool allocate();
  // Releases the pixels and the palette; width and height become 0.
  void clear() override;

  uint32_t rowlength() const { return window.rowlength != 0 ? window.rowlength : width; }
  // Bytes per buffer row, padding included.
  uint64_t rowsize() const;
  // Bytes that `width` pixels occupy, without padding.
  uint64_t rowbyte() const;

  // First byte of pixel (0, y) of buffer row y, the window taken into account.
  unsigned char* row(uint32_t y) { return begin() + row_offset(y); }
  const unsigned char* row(uint32_t y) const { return begin() + row_offset(y); }

 private:
  uint64_t row_offset(uint32_t y) const;
};

}  // namespace libgr
