#include "app/external.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui_support/gui_env.h"
#include "tests/gui_support/picture.h"

namespace {

// Pixbufs need the GTK wrappers set up, as in the program.
class ConvertToPixbuf : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }
};

using libgr::e_image_format_t;

// Every pixel differs from its neighbours in each component, so a mirrored,
// shifted or mis-strided picture cannot match.
std::vector<uint8_t> value(e_image_format_t format, uint32_t x, uint32_t y) {
  const uint8_t v = static_cast<uint8_t>(16 * y + x);
  switch (format) {
    case libgr::IMAGE_FORMAT_GRAYSCALE: return {v};
    case libgr::IMAGE_FORMAT_RGB: return {v, static_cast<uint8_t>(v + 100), static_cast<uint8_t>(v + 200)};
    default: return {v, static_cast<uint8_t>(v + 100), static_cast<uint8_t>(v + 200), static_cast<uint8_t>(255 - v)};
  }
}

// The bytes of the pixbuf's pixel (x, y), counted from the top left.
std::vector<uint8_t> pixbuf_pixel(const Glib::RefPtr<Gdk::Pixbuf>& pixbuf, int x, int y) {
  const guint8* p = pixbuf->get_pixels() + y * pixbuf->get_rowstride() + x * pixbuf->get_n_channels();
  return std::vector<uint8_t>(p, p + pixbuf->get_n_channels());
}

TEST_F(ConvertToPixbuf, KeepsEveryPixelTopDown) {
  struct Case {
    e_image_format_t format;
    uint32_t width, height;
    bool alpha;
  };
  // Widths 3 and 5 leave padding at the end of each buffer row.
  const Case cases[] = {{libgr::IMAGE_FORMAT_GRAYSCALE, 5, 3, false},
                        {libgr::IMAGE_FORMAT_RGB, 3, 4, false},
                        {libgr::IMAGE_FORMAT_RGBA, 3, 2, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const libgr::image2d_t image =
        testutil::make_picture(c.format, c.width, c.height, [&](uint32_t x, uint32_t y) { return value(c.format, x, y); });
    const Glib::RefPtr<Gdk::Pixbuf> pixbuf = pictora::convert_to_pixbuf(image);
    ASSERT_TRUE(pixbuf);
    EXPECT_EQ(pixbuf->get_width(), static_cast<int>(c.width));
    EXPECT_EQ(pixbuf->get_height(), static_cast<int>(c.height));
    EXPECT_EQ(pixbuf->get_has_alpha(), c.alpha);
    EXPECT_EQ(pixbuf->get_bits_per_sample(), 8);
    for (uint32_t y = 0; y < c.height; ++y) {
      for (uint32_t x = 0; x < c.width; ++x) {
        std::vector<uint8_t> expected = value(c.format, x, y);
        if (c.format == libgr::IMAGE_FORMAT_GRAYSCALE) expected = {expected[0], expected[0], expected[0]};
        EXPECT_EQ(pixbuf_pixel(pixbuf, x, y), expected) << "pixel " << x << "," << y;
      }
    }
  }
}

TEST_F(ConvertToPixbuf, OwnsItsPixels) {
  libgr::image2d_t image =
      testutil::make_picture(libgr::IMAGE_FORMAT_RGB, 2, 2, [](uint32_t x, uint32_t y) { return value(libgr::IMAGE_FORMAT_RGB, x, y); });
  const Glib::RefPtr<Gdk::Pixbuf> pixbuf = pictora::convert_to_pixbuf(image);
  image.row(1)[0] = 99;  // top left, red
  image.clear();
  ASSERT_TRUE(pixbuf);
  EXPECT_EQ(pixbuf_pixel(pixbuf, 0, 0), value(libgr::IMAGE_FORMAT_RGB, 0, 0));
}

TEST_F(ConvertToPixbuf, EmptyOrUnknownPicturesGiveNoPixbuf) {
  EXPECT_FALSE(pictora::convert_to_pixbuf(libgr::image2d_t{}));
  const libgr::image2d_t bgr = testutil::make_picture(libgr::IMAGE_FORMAT_BGR, 2, 2, [](uint32_t, uint32_t) {
    return std::vector<uint8_t>{1, 2, 3};
  });
  EXPECT_FALSE(pictora::convert_to_pixbuf(bgr));
}

}  // namespace
