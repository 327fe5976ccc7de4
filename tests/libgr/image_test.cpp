#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "libgr/imagedesc.h"
#include "libgr/imagetype.h"

namespace {

using namespace libgr;

struct layout_case {
  e_image_format_t format;
  e_image_bits_t bits;
  uint32_t width;
  uint32_t rowlength;  // window row length, 0 = the width
  uint32_t alignment;  // of the store record; ~0u = no record
  uint64_t rowbyte;
  uint64_t rowsize;
};

class RowLayout : public testing::TestWithParam<layout_case> {};

TEST_P(RowLayout, BytesPerRow) {
  const layout_case& c = GetParam();
  image_store_t store;
  store.alignment = c.alignment;
  image2d_t img;
  img.desc = image_desc_t{c.format, IMAGE_TYPE_UINT, c.bits};
  img.width = c.width;
  img.window.rowlength = c.rowlength;
  img.store = c.alignment == ~0u ? nullptr : &store;
  EXPECT_EQ(img.rowbyte(), c.rowbyte);
  EXPECT_EQ(img.rowsize(), c.rowsize);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RowLayout,
    testing::Values(layout_case{IMAGE_FORMAT_RGB, IMAGE_BITS_8, 5, 0, ~0u, 15, 16},
                    layout_case{IMAGE_FORMAT_RGB, IMAGE_BITS_8, 4, 0, ~0u, 12, 12},
                    layout_case{IMAGE_FORMAT_GRAYSCALE, IMAGE_BITS_1, 9, 0, ~0u, 2, 4},
                    layout_case{IMAGE_FORMAT_GRAYSCALE, IMAGE_BITS_4, 3, 0, ~0u, 2, 4},
                    layout_case{IMAGE_FORMAT_RGBA, IMAGE_BITS_8, 3, 0, ~0u, 12, 12},
                    layout_case{IMAGE_FORMAT_RGB, IMAGE_BITS_R5G6B5, 3, 0, ~0u, 6, 8},
                    layout_case{IMAGE_FORMAT_GRAYSCALE_ALPHA, IMAGE_BITS_16, 3, 0, ~0u, 12, 12},
                    layout_case{IMAGE_FORMAT_GRAYSCALE, IMAGE_BITS_8, 5, 0, 1, 5, 5},
                    layout_case{IMAGE_FORMAT_GRAYSCALE, IMAGE_BITS_8, 5, 0, 8, 5, 8},
                    layout_case{IMAGE_FORMAT_GRAYSCALE, IMAGE_BITS_8, 5, 0, 0, 5, 8},
                    // The row length, not the width, sets the buffer's rows.
                    layout_case{IMAGE_FORMAT_RGB, IMAGE_BITS_8, 2, 7, ~0u, 6, 24},
                    layout_case{IMAGE_FORMAT_MAX, IMAGE_BITS_8, 5, 0, ~0u, 0, 0}));

TEST(ImageDesc, PixelBits) {
  struct {
    image_desc_t desc;
    uint32_t bits;
  } cases[] = {
      {{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8}, 24},
      {{IMAGE_FORMAT_YCbCr422, IMAGE_TYPE_UINT, IMAGE_BITS_8}, 16},
      {{IMAGE_FORMAT_BGRA, IMAGE_TYPE_FLOAT, IMAGE_BITS_32}, 128},
      {{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, IMAGE_BITS_12}, 12},
      {{IMAGE_FORMAT_RGBA, IMAGE_TYPE_UINT, IMAGE_BITS_R10G10B10A2}, 32},
      {{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_R3G3B2}, 8},
      {{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_MAX}, 0},
  };
  for (const auto& c : cases) {
    std::ostringstream name;
    name << c.desc.format << " " << c.desc.bits;
    EXPECT_EQ(c.desc.getPixelBits(), c.bits) << name.str();
  }
}

TEST(ImageDesc, EqualityComparesAllThreeFields) {
  const image_desc_t a{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  EXPECT_EQ(a, (image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8}));
  EXPECT_NE(a, (image_desc_t{IMAGE_FORMAT_BGR, IMAGE_TYPE_UINT, IMAGE_BITS_8}));
  EXPECT_NE(a, (image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_SINT, IMAGE_BITS_8}));
  EXPECT_NE(a, (image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_16}));
}

template <typename E>
std::string printed(E v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

TEST(ImageDesc, PrintedNames) {
  EXPECT_EQ(printed(IMAGE_FORMAT_GRAYSCALE), "IMAGE_FORMAT_GRAYSCALE");
  EXPECT_EQ(printed(IMAGE_FORMAT_YCbCr), "IMAGE_FORMAT_YCbCr");
  EXPECT_EQ(printed(IMAGE_FORMAT_INDEX), "IMAGE_FORMAT_INDEX");
  EXPECT_EQ(printed(IMAGE_FORMAT_MAX), "IMAGE_FORMAT_MAX");
  EXPECT_EQ(printed(static_cast<e_image_format_t>(19)), "unknown: 19");
}

image2d_t gray8(uint32_t w, uint32_t h) {
  image2d_t img;
  img.desc = image_desc_t{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.width = w;
  img.height = h;
  return img;
}

TEST(Image2d, DefaultIsEmpty) {
  const image2d_t img;
  EXPECT_TRUE(img.empty());
  EXPECT_EQ(img.desc, image_desc_t{});
  EXPECT_EQ(img.desc.format, IMAGE_FORMAT_GRAYSCALE);
  EXPECT_EQ(img.store, nullptr);
  EXPECT_EQ(img.width, 0u);
  EXPECT_EQ(img.height, 0u);
  EXPECT_EQ(img.flag, 0);
  EXPECT_EQ(img.palette.count, 0u);
}

TEST(Image2d, AllocateSizesRowsAndSkippedRows) {
  image2d_t img = gray8(5, 3);
  img.window.skiprows = 2;
  ASSERT_TRUE(img.allocate());
  EXPECT_EQ(img.size(), 5u * 8u);
  for (unsigned char b : img) EXPECT_EQ(b, 0);
}

TEST(Image2d, AllocateEmptyImage) {
  image2d_t img = gray8(0, 0);
  EXPECT_TRUE(img.allocate());
  EXPECT_EQ(img.size(), 0u);
}

TEST(Image2d, ReallocateKeepsVisibleBytesAndLeavesCopiesAlone) {
  image2d_t img = gray8(4, 2);
  ASSERT_TRUE(img.allocate());
  for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<unsigned char>(i + 1);
  const image2d_t before = img;
  img.height = 3;
  ASSERT_TRUE(img.allocate());
  ASSERT_EQ(img.size(), 12u);
  const unsigned char expected[12] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(img.begin(), expected, 12));
  img[0] = 99;
  EXPECT_EQ(before[0], 1) << "allocate() must make a new block";
}

TEST(Image2d, CopiesSharePixelsAndOutliveClear) {
  image2d_t a = gray8(2, 2);
  a.window.skippixels = 1;
  ASSERT_TRUE(a.allocate());
  image2d_t b = a;
  a[1] = 42;
  EXPECT_EQ(b[1], 42);
  EXPECT_EQ(b.window.skippixels, 1u);
  a.clear();
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(a.width, 0u);
  EXPECT_EQ(a.height, 0u);
  EXPECT_EQ(a.desc.format, IMAGE_FORMAT_GRAYSCALE);  // only pixels and size go
  ASSERT_EQ(b.size(), 8u);
  EXPECT_EQ(b[1], 42);
}

TEST(Image2d, RowHonoursTheWindow) {
  image2d_t img;
  img.desc = image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.width = 2;
  img.height = 2;
  img.window = image_window2d_t{4, 1, 1};  // rows of 4 pixels = 12 bytes
  ASSERT_TRUE(img.allocate());
  EXPECT_EQ(img.size(), 36u);
  EXPECT_EQ(img.row(0) - img.begin(), 12 + 3);
  EXPECT_EQ(img.row(1) - img.begin(), 24 + 3);
}

}  // namespace
