#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "libgr/imageutil.h"
#include "tests/support/test_util.h"

namespace {

using namespace libgr;
using bytes = std::vector<unsigned char>;

// An 8-bit image from its rows listed top-down, as a picture is looked at;
// they are stored bottom-up. Padding bytes are filled with 0xEE so that
// results reading them show up.
image2d_t picture(e_image_format_t format, uint32_t width, const std::vector<bytes>& topdown) {
  image2d_t img;
  img.desc = image_desc_t{format, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.width = width;
  img.height = static_cast<uint32_t>(topdown.size());
  EXPECT_TRUE(img.allocate());
  std::memset(img.begin(), 0xEE, img.size());
  for (uint32_t y = 0; y < img.height; ++y) {
    EXPECT_EQ(topdown[y].size(), img.rowbyte());
    std::memcpy(img.row(img.height - 1 - y), topdown[y].data(), img.rowbyte());
  }
  return img;
}

// The visible bytes of each row, top-down.
std::vector<bytes> rows_of(const image2d_t& img) {
  std::vector<bytes> rows;
  for (uint32_t y = img.height; y-- > 0;) rows.emplace_back(img.row(y), img.row(y) + img.rowbyte());
  return rows;
}

TEST(MixOrientation, AddsTheTurnsOfTheOrientation) {
  struct {
    unsigned long long count, orientation, expected;
  } cases[] = {
      {0, 1, 0}, {0, 6, 1}, {0, 3, 2}, {0, 8, 3}, {3, 6, 0}, {1, 8, 0}, {2, 3, 0},
      {2, 8, 1}, {1, 0, 1}, {1, 2, 1}, {3, 4, 3}, {2, 5, 2}, {3, 7, 3},
      {5, 1, 5},  // counts are not reduced when nothing is added
      {5, 6, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mixorientandrightrotatecount(c.count, c.orientation), c.expected)
        << "count " << c.count << " orientation " << c.orientation;
}

// Top-down:  a b c
//            d e f      (RGB, 3 x 2: rows of 9 bytes padded to 12)
const std::vector<bytes> k_abc_def = {{1, 1, 1, 2, 2, 2, 3, 3, 3}, {4, 4, 4, 5, 5, 5, 6, 6, 6}};

struct rotate_case {
  unsigned long long count;
  uint32_t width, height;
  std::vector<bytes> rows;
};

class Rotate : public testing::TestWithParam<rotate_case> {};

TEST_P(Rotate, TurnsClockwise) {
  const rotate_case& c = GetParam();
  const image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  image2d_t dst;
  ASSERT_TRUE(rotate(c.count, dst, src));
  EXPECT_EQ(dst.width, c.width);
  EXPECT_EQ(dst.height, c.height);
  EXPECT_EQ(dst.desc, src.desc);
  EXPECT_EQ(rows_of(dst), c.rows);
  EXPECT_EQ(rows_of(src), k_abc_def);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, Rotate,
    testing::Values(
        // d a / e b / f c: the top-left pixel is the source's bottom-left one.
        rotate_case{1, 2, 3, {{4, 4, 4, 1, 1, 1}, {5, 5, 5, 2, 2, 2}, {6, 6, 6, 3, 3, 3}}},
        rotate_case{2, 3, 2, {{6, 6, 6, 5, 5, 5, 4, 4, 4}, {3, 3, 3, 2, 2, 2, 1, 1, 1}}},
        rotate_case{3, 2, 3, {{3, 3, 3, 6, 6, 6}, {2, 2, 2, 5, 5, 5}, {1, 1, 1, 4, 4, 4}}}));

TEST(RotateCount, ZeroSharesTheSource) {
  const image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  image2d_t dst;
  ASSERT_TRUE(rotate(0, dst, src));
  EXPECT_EQ(dst.begin(), src.begin());
  EXPECT_EQ(dst.width, 3u);
}

TEST(RotateCount, AboveThreeLeavesTheDestination) {
  const image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  image2d_t dst = picture(IMAGE_FORMAT_GRAYSCALE, 2, {{7, 8}});
  const unsigned char* pixels = dst.begin();
  EXPECT_FALSE(rotate(4, dst, src));
  EXPECT_EQ(dst.begin(), pixels);
  EXPECT_EQ(dst.width, 2u);
  EXPECT_EQ(dst.height, 1u);
  EXPECT_EQ(rows_of(dst), (std::vector<bytes>{{7, 8}}));
}

TEST(RotateCount, SubBytePixelsAreNotMoved) {
  image2d_t src;
  src.desc = image_desc_t{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, IMAGE_BITS_1};
  src.width = 9;
  src.height = 2;
  ASSERT_TRUE(src.allocate());
  std::memset(src.begin(), 0xFF, src.size());
  image2d_t dst;
  ASSERT_TRUE(rotate(1, dst, src));
  EXPECT_EQ(dst.width, 2u);
  EXPECT_EQ(dst.height, 9u);
  for (unsigned char b : dst) EXPECT_EQ(b, 0);
}

TEST(RotateCount, ReadsThroughTheSourceWindow) {
  image2d_t src;
  src.desc = image_desc_t{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  src.width = 2;
  src.height = 2;
  src.window = image_window2d_t{4, 1, 1};
  ASSERT_TRUE(src.allocate());  // rows of 4 bytes, 3 of them
  const unsigned char layout[12] = {0, 0, 0, 0, 9, 1, 2, 9, 9, 3, 4, 9};
  std::memcpy(src.begin(), layout, 12);
  image2d_t dst;
  ASSERT_TRUE(rotate(2, dst, src));  // top-down 3 4 / 1 2 turned over
  EXPECT_EQ(rows_of(dst), (std::vector<bytes>{{2, 1}, {4, 3}}));
}

TEST(RotateCount, SameImageAsSourceAndResult) {
  image2d_t img = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  ASSERT_TRUE(rotate(1, img, img));
  EXPECT_EQ(rows_of(img),
            (std::vector<bytes>{{4, 4, 4, 1, 1, 1}, {5, 5, 5, 2, 2, 2}, {6, 6, 6, 3, 3, 3}}));
}

TEST(Flip, ReversesRowsAndZeroesPadding) {
  image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  src.store = &g_store_align4;
  image2d_t dst;
  ASSERT_TRUE(flip(dst, src));
  EXPECT_EQ(dst.width, 3u);
  EXPECT_EQ(dst.height, 2u);
  EXPECT_EQ(dst.store, &g_store_align4);
  // Buffer row 0 now holds the top row.
  EXPECT_EQ(bytes(dst.row(0), dst.row(0) + 12), (bytes{1, 1, 1, 2, 2, 2, 3, 3, 3, 0, 0, 0}));
  EXPECT_EQ(bytes(dst.row(1), dst.row(1) + 12), (bytes{4, 4, 4, 5, 5, 5, 6, 6, 6, 0, 0, 0}));

  image2d_t back;
  ASSERT_TRUE(flip(back, dst));
  EXPECT_EQ(rows_of(back), k_abc_def);
}

TEST(Flip, DropsTheSourceWindow) {
  image2d_t src;
  src.desc = image_desc_t{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  src.width = 2;
  src.height = 2;
  src.window = image_window2d_t{4, 1, 1};
  ASSERT_TRUE(src.allocate());
  const unsigned char layout[12] = {0, 0, 0, 0, 9, 1, 2, 9, 9, 3, 4, 9};
  std::memcpy(src.begin(), layout, 12);
  image2d_t dst;
  ASSERT_TRUE(flip(dst, src));
  EXPECT_EQ(dst.size(), 8u);
  const unsigned char expected[8] = {3, 4, 0, 0, 1, 2, 0, 0};
  EXPECT_EQ(0, std::memcmp(dst.begin(), expected, 8));
}

TEST(Flip, RefusesFlaggedImages) {
  image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  src.flag = 1;
  image2d_t dst;
  EXPECT_FALSE(flip(dst, src));
  EXPECT_TRUE(dst.empty());
}

struct scale_case {
  const char* name;
  e_image_format_t format;
  uint32_t width;
  std::vector<bytes> rows;
  uint32_t out_width;
  std::vector<bytes> out_rows;
};

class Scaledown : public testing::TestWithParam<scale_case> {};

TEST_P(Scaledown, TruncatedMeanOfEachBlock) {
  const scale_case& c = GetParam();
  const image2d_t src = picture(c.format, c.width, c.rows);
  image2d_t dst;
  ASSERT_TRUE(scaledown(dst, src));
  EXPECT_EQ(dst.desc, src.desc);
  EXPECT_EQ(dst.width, c.out_width);
  EXPECT_EQ(dst.height, c.out_rows.size());
  EXPECT_EQ(rows_of(dst), c.out_rows);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Scaledown,
    testing::Values(
        // 5 x 3: the odd last column and the top row are dropped (the bottom
        // two rows of the picture make the one result row).
        scale_case{"rgb_odd",
                   IMAGE_FORMAT_RGB,
                   5,
                   {{90, 90, 90, 90, 90, 90, 90, 90, 90, 90, 90, 90, 90, 90, 90},
                    {1, 10, 255, 2, 20, 255, 4, 0, 0, 8, 0, 0, 77, 77, 77},
                    {2, 30, 255, 2, 40, 254, 16, 0, 0, 32, 0, 3, 77, 77, 77}},
                   2,
                   {{1, 25, 254, 15, 0, 0}}},
        scale_case{"gray",
                   IMAGE_FORMAT_GRAYSCALE,
                   4,
                   {{0, 3, 255, 255}, {1, 0, 255, 255}, {8, 8, 9, 9}, {8, 9, 9, 9}},
                   2,
                   {{1, 255}, {8, 9}}},
        scale_case{"bgra",
                   IMAGE_FORMAT_BGRA,
                   2,
                   {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}},
                   1,
                   {{7, 8, 9, 10}}},
        scale_case{"too_small", IMAGE_FORMAT_BGR, 1, {{1, 2, 3}}, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaledownFormat, UnsupportedFormatsAreReported) {
  struct {
    image_desc_t desc;
    const char* report;
  } cases[] = {
      {{IMAGE_FORMAT_YCbCr, IMAGE_TYPE_UINT, IMAGE_BITS_8},
       "scaledown(): IMAGE_FORMAT_YCbCr: unsupported format.\n"},
      {{IMAGE_FORMAT_RG, IMAGE_TYPE_UINT, IMAGE_BITS_8},
       "scaledown(): IMAGE_FORMAT_RG: unsupported format.\n"},
      // Only one byte a channel is read.
      {{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_16},
       "scaledown(): IMAGE_FORMAT_RGB: unsupported format.\n"},
  };
  for (const auto& c : cases) {
    image2d_t src;
    src.desc = c.desc;
    src.width = 4;
    src.height = 4;
    ASSERT_TRUE(src.allocate());
    image2d_t dst;
    bool ok = true;
    EXPECT_EQ(testutil::capture_stderr([&] { ok = scaledown(dst, src); }), c.report);
    EXPECT_FALSE(ok);
  }
}

TEST(ScaledownFormat, RepeatedHalvingInPlace) {
  image2d_t img = picture(IMAGE_FORMAT_GRAYSCALE, 4,
                          {{10, 20, 30, 40}, {50, 60, 70, 80}, {1, 2, 3, 4}, {5, 6, 7, 8}});
  ASSERT_TRUE(scaledown(img, img));
  EXPECT_EQ(rows_of(img), (std::vector<bytes>{{35, 55}, {3, 5}}));
  ASSERT_TRUE(scaledown(img, img));
  EXPECT_EQ(rows_of(img), (std::vector<bytes>{{24}}));
}

image2d_t gray_bits(e_image_bits_t bits, uint32_t width, const std::vector<bytes>& topdown) {
  image2d_t img;
  img.desc = image_desc_t{IMAGE_FORMAT_GRAYSCALE, IMAGE_TYPE_UINT, bits};
  img.width = width;
  img.height = static_cast<uint32_t>(topdown.size());
  EXPECT_TRUE(img.allocate());
  for (uint32_t y = 0; y < img.height; ++y)
    std::memcpy(img.row(img.height - 1 - y), topdown[y].data(), topdown[y].size());
  return img;
}

struct gray_case {
  e_image_bits_t bits;
  uint32_t width;
  std::vector<bytes> rows;
  std::vector<bytes> rgb;
};

class Grayscale2Rgb : public testing::TestWithParam<gray_case> {};

TEST_P(Grayscale2Rgb, WidensEveryBitSize) {
  const gray_case& c = GetParam();
  const image2d_t src = gray_bits(c.bits, c.width, c.rows);
  image2d_t dst;
  ASSERT_TRUE(grayscale2rgb(dst, src));
  EXPECT_EQ(dst.desc, (image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8}));
  EXPECT_EQ(dst.width, c.width);
  EXPECT_EQ(rows_of(dst), c.rgb);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, Grayscale2Rgb,
    testing::Values(
        gray_case{IMAGE_BITS_8, 3, {{0, 7, 255}, {1, 2, 3}},
                  {{0, 0, 0, 7, 7, 7, 255, 255, 255}, {1, 1, 1, 2, 2, 2, 3, 3, 3}}},
        gray_case{IMAGE_BITS_4, 3, {{0x1F, 0x80}}, {{17, 17, 17, 255, 255, 255, 136, 136, 136}}},
        gray_case{IMAGE_BITS_1, 10, {{0xA0, 0x40}},
                  {{255, 255, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0,
                    0, 0, 0,     0, 0, 0, 0,   0,   0,   0, 0, 0, 255, 255, 255}}}));

TEST(Grayscale2RgbOther, OtherFormatsAreShared) {
  const image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  image2d_t dst;
  ASSERT_TRUE(grayscale2rgb(dst, src));
  EXPECT_EQ(dst.begin(), src.begin());
}

TEST(Grayscale2RgbOther, TwoBitGrayIsRefused) {
  const image2d_t src = gray_bits(IMAGE_BITS_2, 4, {{0xFF}});
  image2d_t dst;
  EXPECT_FALSE(grayscale2rgb(dst, src));
}

TEST(Rgb2Rgba, AddsOpaqueAlpha) {
  const image2d_t src = picture(IMAGE_FORMAT_RGB, 3, k_abc_def);
  image2d_t dst;
  ASSERT_TRUE(rgb2rgba(dst, src));
  EXPECT_EQ(dst.desc, (image_desc_t{IMAGE_FORMAT_RGBA, IMAGE_TYPE_UINT, IMAGE_BITS_8}));
  ASSERT_NE(dst.store, nullptr);
  EXPECT_EQ(dst.store->alignment, 4u);
  EXPECT_EQ(rows_of(dst), (std::vector<bytes>{{1, 1, 1, 255, 2, 2, 2, 255, 3, 3, 3, 255},
                                              {4, 4, 4, 255, 5, 5, 5, 255, 6, 6, 6, 255}}));
}

TEST(Rgb2Rgba, SharesWhatItDoesNotConvert) {
  struct {
    e_image_format_t format;
    e_image_type_t type;
    e_image_bits_t bits;
    unsigned char flag;
    bool result;
  } cases[] = {
      {IMAGE_FORMAT_RGBA, IMAGE_TYPE_SINT, IMAGE_BITS_8, 0, true},
      {IMAGE_FORMAT_RGBA, IMAGE_TYPE_UINT, IMAGE_BITS_8, 1, false},
      {IMAGE_FORMAT_RGB, IMAGE_TYPE_FLOAT, IMAGE_BITS_8, 0, false},
      {IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_16, 0, false},
      {IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8, 1, false},
      {IMAGE_FORMAT_YCbCr, IMAGE_TYPE_UINT, IMAGE_BITS_8, 0, false},
  };
  for (const auto& c : cases) {
    image2d_t src;
    src.desc = image_desc_t{c.format, c.type, c.bits};
    src.width = 2;
    src.height = 2;
    src.flag = c.flag;
    ASSERT_TRUE(src.allocate());
    image2d_t dst;
    EXPECT_EQ(rgb2rgba(dst, src), c.result) << src.desc.format << " " << src.desc.bits;
    EXPECT_EQ(dst.begin(), src.begin());
    EXPECT_EQ(dst.desc, src.desc);
  }
}

}  // namespace
