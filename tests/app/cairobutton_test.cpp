#include "app/cairobutton.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/gui_support/gui_env.h"
#include "tests/gui_support/picture.h"

// Last: the X11 headers define macros (None, Status) that clash with others.
#include <gdk/gdkx.h>

namespace {

const uint32_t background = 0xff102030;  // what the surface holds before drawing

// What widget draws when it is width x height logical pixels, as 0xAARRGGBB
// values, row by row from the top. With factor 2 the surface has twice as
// many pixels each way, as on a high-resolution display.
std::vector<std::vector<uint32_t>> draw_widget(Gtk::Widget& widget, int width, int height, int factor = 1) {
  widget.size_allocate(Gtk::Allocation(0, 0, width, height));
  width *= factor;
  height *= factor;
  const auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, width, height);
  cairo_surface_set_device_scale(surface->cobj(), factor, factor);
  const auto context = Cairo::Context::create(surface);
  context->set_source_rgb(0x10 / 255.0, 0x20 / 255.0, 0x30 / 255.0);
  context->paint();
  gtk_widget_draw(widget.gobj(), context->cobj());
  surface->flush();
  std::vector<std::vector<uint32_t>> pixels(height, std::vector<uint32_t>(width));
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(surface->get_data() + y * surface->get_stride());
    for (int x = 0; x < width; ++x) pixels[y][x] = row[x];
  }
  return pixels;
}

// Pumps events until the window is shown and laid out.
void show(Gtk::Window& window) {
  window.show_all();
  testutil::settle();
}

class CairoButtonTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }

  void SetUp() override {
    window.add(button);
    show(window);
  }

  std::vector<std::vector<uint32_t>> draw(int width, int height) { return draw_widget(button, width, height); }

  Gtk::OffscreenWindow window;
  pictora::CairoButton button;
};

// Picture pixel (x, y) from the top left: red x * 7, green y * 9, blue 200.
libgr::image2d_t picture(uint32_t width, uint32_t height) {
  return testutil::make_picture(libgr::IMAGE_FORMAT_RGB, width, height, [](uint32_t x, uint32_t y) {
    return std::vector<uint8_t>{static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 9), 200};
  });
}

uint32_t picture_pixel(uint32_t x, uint32_t y) { return 0xff0000c8u | (x * 7) << 16 | (y * 9) << 8; }

TEST_F(CairoButtonTest, DrawsNothingBeforeAPictureIsSet) {
  const auto pixels = draw(24, 16);
  for (const auto& row : pixels)
    for (uint32_t p : row) ASSERT_EQ(p, background);
}

TEST_F(CairoButtonTest, SetRequestsThePictureSize) {
  libgr::image2d_t image = picture(5, 3);
  button.set(image);
  int width = 0, height = 0;
  button.get_size_request(width, height);
  EXPECT_EQ(width, 5);
  EXPECT_EQ(height, 3);
}

// The picture is centred with its offset truncated, and cropped on both
// sides, never scaled, when it is larger than the button.
TEST_F(CairoButtonTest, PaintsThePictureCentred) {
  struct Case {
    uint32_t picture_width, picture_height;
    int button_width, button_height;
    int x, y;  // where the picture's top left lands
  };
  const Case cases[] = {
      {16, 8, 40, 24, 12, 8},    // room on every side
      {16, 9, 39, 24, 11, 7},    // 11.5 and 7.5 truncated
      {24, 12, 24, 12, 0, 0},    // just fits
      {32, 12, 24, 12, -4, 0},   // wider than the button
      {24, 27, 24, 12, 0, -7},   // taller: -7.5 truncated towards 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.picture_width << "x" << c.picture_height << " in " << c.button_width << "x"
                                    << c.button_height);
    libgr::image2d_t image = picture(c.picture_width, c.picture_height);
    button.set(image);
    const auto pixels = draw(c.button_width, c.button_height);
    for (int y = 0; y < c.button_height; ++y) {
      for (int x = 0; x < c.button_width; ++x) {
        const int px = x - c.x, py = y - c.y;
        const bool inside = px >= 0 && py >= 0 && px < static_cast<int>(c.picture_width) &&
                            py < static_cast<int>(c.picture_height);
        EXPECT_EQ(pixels[y][x], inside ? picture_pixel(px, py) : background) << "at " << x << "," << y;
      }
    }
  }
}

// At scale factor 2 the picture asks for half its size in logical pixels and
// is painted with every one of its pixels on a device pixel.
TEST_F(CairoButtonTest, KeepsThePicturesPixelsOnAHighResolutionDisplay) {
  // The display's scale, as GDK_SCALE=2 sets it, for this test only.
  struct ScaleTwo {
    ScaleTwo() { gdk_x11_display_set_window_scale(gdk_display_get_default(), 2); }
    ~ScaleTwo() { gdk_x11_display_set_window_scale(gdk_display_get_default(), 1); }
  } scale_two;
  Gtk::Window scaled_window;  // an X window: offscreen ones keep factor 1
  pictora::CairoButton scaled;
  scaled_window.add(scaled);
  show(scaled_window);
  ASSERT_EQ(scaled.get_scale_factor(), 2);

  libgr::image2d_t image = picture(33, 17);
  scaled.set(image);
  int width = 0, height = 0;
  scaled.get_size_request(width, height);
  EXPECT_EQ(width, 16);  // 16.5 truncated
  EXPECT_EQ(height, 8);
  // Offsets trunc((40 - 16.5) / 2) = 11 and trunc((24 - 8.5) / 2) = 7
  // logical pixels, 22 and 14 device pixels.
  const auto pixels = draw_widget(scaled, 40, 24, 2);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 80; ++x) {
      const int px = x - 22, py = y - 14;
      const bool inside = px >= 0 && py >= 0 && px < 33 && py < 17;
      EXPECT_EQ(pixels[y][x], inside ? picture_pixel(px, py) : background) << "at " << x << "," << y;
    }
  }
}

TEST_F(CairoButtonTest, SetAgainShowsTheNewPicture) {
  libgr::image2d_t first = picture(16, 16);
  button.set(first);
  libgr::image2d_t second = testutil::make_picture(libgr::IMAGE_FORMAT_GRAYSCALE, 8, 8, [](uint32_t, uint32_t) {
    return std::vector<uint8_t>{77};
  });
  button.set(second);
  const auto pixels = draw(24, 16);  // the new picture's corners: (8, 4) and (15, 11)
  EXPECT_EQ(pixels[3][8], background);
  EXPECT_EQ(pixels[4][7], background);
  EXPECT_EQ(pixels[4][8], 0xff4d4d4du);
  EXPECT_EQ(pixels[11][15], 0xff4d4d4du);
  EXPECT_EQ(pixels[12][15], background);
  EXPECT_EQ(pixels[11][16], background);
}

}  // namespace
