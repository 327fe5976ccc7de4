// The picture button and the progress window, which the editors show, in
// windows of their own on the tests' X server, judged by screenshots of what
// they draw. The screenshots stay in the build tree's test-artefacts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/cairobutton.h"
#include "app/progress.h"
#include "app/progwin.h"
#include "app/shrink.h"
#include "tests/gui_support/gui_env.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

// Last: the X11 headers define macros (None, Status) that clash with others.
#include <gdk/gdkx.h>

namespace {

Glib::RefPtr<Gdk::Pixbuf> screenshot(Gtk::Window& window, const std::string& name) {
  return Gdk::Pixbuf::create_from_file(testutil::save_screenshot(window, name));
}

// The RGB bytes of the pixbuf's pixel (x, y).
std::vector<uint8_t> pixel(const Glib::RefPtr<Gdk::Pixbuf>& shot, int x, int y) {
  const guint8* p = shot->get_pixels() + y * shot->get_rowstride() + x * shot->get_n_channels();
  return {p[0], p[1], p[2]};
}

class WindowWidgets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }
  // Whatever a test set, the next one starts on an ordinary display.
  void TearDown() override { gdk_x11_display_set_window_scale(gdk_display_get_default(), 1); }
};

// A camera picture loaded as the dialogs load one, on a button: every pixel
// of the decoded picture lands on one pixel of the screen, centred with the
// offset truncated in logical pixels. On a display of scale factor 2 the
// picture takes half as many logical pixels and keeps all of its own. A
// black-and-white picture shows in its greys.
TEST_F(WindowWidgets, PictureButtonShowsThePictureAtTheDevicesResolution) {
  testutil::TempDir dir;
  struct Case {
    testutil::jpeg_sampling sampling;
    int factor;
    int width, height;            // of the window, logical pixels; 0: as the button asks
    int shot_width, shot_height;  // device pixels
    int x, y;                     // the picture's top left on the screenshot
  };
  const Case cases[] = {
      {testutil::jpeg_sampling::yuv420, 1, 0, 0, 81, 75, 0, 0},
      {testutil::jpeg_sampling::gray, 1, 0, 0, 81, 75, 0, 0},
      // (120 - 81) / 2 = 19.5 and (100 - 75) / 2 = 12.5
      {testutil::jpeg_sampling::yuv420, 1, 120, 100, 120, 100, 19, 12},
      // 40.5 x 37.5 logical pixels: the button asks for 40 x 37
      {testutil::jpeg_sampling::yuv420, 2, 0, 0, 80, 74, 0, 0},
      // (120 - 40.5) / 2 = 39.75 and (100 - 37.5) / 2 = 31.25, times 2
      {testutil::jpeg_sampling::gray, 2, 120, 100, 240, 200, 78, 62},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    testutil::jpeg_options options(81, 75);
    options.sampling = c.sampling;
    const std::string jpeg = testutil::make_jpeg(options);
    testutil::write_file(dir / "P1.jpg", jpeg);
    const testutil::decoded_t picture = testutil::reference_decode(jpeg);
    gdk_x11_display_set_window_scale(gdk_display_get_default(), c.factor);
    Gtk::Window window;
    pictora::CairoButton button;
    if (c.width > 0) window.set_size_request(c.width, c.height);
    window.add(button);
    window.show_all();
    testutil::settle();
    libgr::image2d_t image;
    libutils::report_log_t log;
    ASSERT_TRUE(pictora::load_jpeg(image, dir / "P1.jpg", pictora::global_t(), log));
    button.set(image);
    const auto shot = screenshot(window, "picture-button-" + std::to_string(n++));
    ASSERT_EQ(shot->get_width(), c.shot_width);
    ASSERT_EQ(shot->get_height(), c.shot_height);
    for (int y = 0; y < static_cast<int>(picture.height) && c.y + y < c.shot_height; ++y) {
      for (int x = 0; x < static_cast<int>(picture.width) && c.x + x < c.shot_width; ++x) {
        const uint8_t* p = picture.row(y) + x * picture.components;
        const std::vector<uint8_t> expected =
            picture.components == 1 ? std::vector<uint8_t>{p[0], p[0], p[0]} : std::vector<uint8_t>{p[0], p[1], p[2]};
        ASSERT_EQ(pixel(shot, c.x + x, c.y + y), expected) << x << "," << y;
      }
    }
  }
}

// How far each bar of the progress window is filled on a screenshot, as a
// share of the bar's width: the longest run of a row of the bar that differs
// from the screenshot of the empty window.
std::vector<double> filled(pictora::ProgWin& win, const Glib::RefPtr<Gdk::Pixbuf>& empty, const std::string& name) {
  const auto shot = screenshot(win, name);
  std::vector<double> shares;
  for (Gtk::ProgressBar* bar : {&win.bar1, &win.bar2, &win.bar3, &win.bar4, &win.bar5, &win.bar6}) {
    int left = 0, top = 0, widest = 0;
    bar->translate_coordinates(win, 0, 0, left, top);
    for (int y = top; y < top + bar->get_allocated_height(); ++y) {
      int width = 0;
      for (int x = left; x < left + bar->get_allocated_width(); ++x) width += pixel(shot, x, y) != pixel(empty, x, y);
      widest = std::max(widest, width);
    }
    shares.push_back(std::round(100.0 * widest / bar->get_allocated_width()) / 100);
  }
  return shares;
}

// The six bars driven through the stage signals of a job, as the operations
// drive them: each fills its own bar by the fraction sent, a fraction above
// 1 fills it whole, and clear() empties them all.
TEST_F(WindowWidgets, ProgressWindowShowsEachStageOnItsBar) {
  Gtk::Window parent;
  testutil::in_main_loop([&] {
    pictora::ProgWin win(parent);
    const auto empty = screenshot(win, "progress-window-empty");
    libutils::report_log_t log;
    win.work(
        [](const pictora::build_context_t&, pictora::batch_progress_t& progress, libutils::report_log_t&) {
          const double sent[] = {0.1, 0.3, 0.5, 0.7, 0.9, 1.7};
          for (int i = 0; i < 6; ++i) progress.stage[i].emit(sent[i]);
          return true;
        },
        log);
    EXPECT_EQ(filled(win, empty, "progress-window"), (std::vector<double>{0.1, 0.3, 0.5, 0.7, 0.9, 1.0}));
    win.clear();
    EXPECT_EQ(filled(win, empty, "progress-window-cleared"), std::vector<double>(6, 0.0));
  });
}

// A job's bars carry the count of their items and, once a few are done, the
// time left; the next directory starts them afresh.
TEST_F(WindowWidgets, ProgressWindowCountsItemsAndTellsTheTimeLeft) {
  Gtk::Window parent;
  testutil::in_main_loop([&] {
    pictora::ProgWin win(parent);
    libutils::report_log_t log;
    win.work(
        [](const pictora::build_context_t& ctx, pictora::batch_progress_t& progress, libutils::report_log_t&) {
          progress.begin_directory("book/a");
          for (size_t done = 1; done <= 3; ++done) {
            ::usleep(100000);
            ctx.item_finished(progress.stage[1], done, 8, "P.JPG");
          }
          ctx.item_finished(progress.stage[2], 1, 1, "index.html");
          return true;
        },
        log);
    EXPECT_EQ(win.bar1.get_text(), "");
    EXPECT_TRUE(std::regex_match(win.bar2.get_text().raw(), std::regex("3/8  0:0[1-9] left"))) << win.bar2.get_text();
    EXPECT_EQ(win.bar3.get_text(), "1/1");
    win.work(
        [](const pictora::build_context_t&, pictora::batch_progress_t& progress, libutils::report_log_t&) {
          progress.begin_directory("book/b");
          return true;
        },
        log);
    EXPECT_EQ(win.bar2.get_text(), "");
  });
}

// Quitting the program while an operation runs on a thread of its own ends
// it at once.
TEST_F(WindowWidgets, QuittingDuringAnOperationEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Gtk::Window parent;
  EXPECT_EXIT(testutil::in_main_loop([&] {
                pictora::ProgWin win(parent);
                win.show();
                gtk_main_quit();
                libutils::report_log_t log;
                win.work(
                    [](const pictora::build_context_t&, pictora::batch_progress_t&, libutils::report_log_t&) {
                      ::sleep(20);  // far longer than ending the program takes
                      return true;
                    },
                    log);
                std::_Exit(3);  // not reached when the operation ended the program
              }),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
