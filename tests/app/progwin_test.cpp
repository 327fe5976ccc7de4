#include "app/progwin.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/gui_support/gui_env.h"

namespace {

using pictora::ProgWin;

class ProgWinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }

  static std::array<double, 6> fractions(ProgWin& win) {
    return {win.bar1.get_fraction(), win.bar2.get_fraction(), win.bar3.get_fraction(),
            win.bar4.get_fraction(), win.bar5.get_fraction(), win.bar6.get_fraction()};
  }
  static sigc::signal<void, double>& signal(ProgWin& win, int n) {
    sigc::signal<void, double>* signals[] = {&win.signal1, &win.signal2, &win.signal3,
                                             &win.signal4, &win.signal5, &win.signal6};
    return *signals[n];
  }

  Gtk::Window parent;
};

TEST_F(ProgWinTest, IsAModalChildTitledWithTheDefaultTitle) {
  ProgWin win(parent);
  EXPECT_EQ(win.get_title(), "progress window");
  EXPECT_TRUE(win.get_modal());
  EXPECT_EQ(win.get_transient_for(), &parent);
  int width = 0, height = 0;
  win.get_size_request(width, height);
  EXPECT_EQ(width, 600);
  EXPECT_EQ(height, 100);
  const std::vector<Gtk::Widget*> children = win.get_content_area()->get_children();
  const std::vector<Gtk::Widget*> bars{&win.bar1, &win.bar2, &win.bar3, &win.bar4, &win.bar5, &win.bar6};
  ASSERT_GE(children.size(), bars.size());  // the dialog's button box follows them
  EXPECT_EQ(std::vector<Gtk::Widget*>(children.begin(), children.begin() + 6), bars);
  for (Gtk::Widget* bar : bars) EXPECT_TRUE(bar->get_visible());
}

TEST_F(ProgWinTest, EachSignalDrivesItsOwnBar) {
  struct Case {
    double sent;
    double shown;
  };
  const Case cases[] = {{0.25, 0.25}, {1.0, 1.0}, {1.7, 1.0}, {0.0, 0.0}};
  testutil::in_main_loop([&] {
    ProgWin win(parent);
    win.show();
    for (int n = 0; n < 6; ++n) {
      for (const Case& c : cases) {
        const std::array<double, 6> before = fractions(win);
        signal(win, n).emit(c.sent);
        std::array<double, 6> expected = before;
        expected[n] = c.shown;
        EXPECT_EQ(fractions(win), expected) << "signal " << n + 1 << " sent " << c.sent;
      }
      signal(win, n).emit(0.5);  // left half full while the next bars are driven
    }
    EXPECT_EQ(fractions(win), (std::array<double, 6>{0.5, 0.5, 0.5, 0.5, 0.5, 0.5}));
  });
}

TEST_F(ProgWinTest, ClearEmptiesEveryBarAndRestoresTheTitle) {
  testutil::in_main_loop([&] {
    ProgWin win(parent);
    win.show();
    win.setProgress1(0.1);
    win.setProgress2(0.2);
    win.setProgress3(1.7);
    win.setProgress4(0.4);
    win.setProgress5(0.5);
    win.setProgress6(1.0);
    EXPECT_EQ(fractions(win), (std::array<double, 6>{0.1, 0.2, 1.0, 0.4, 0.5, 1.0}));
    win.set_title("Making an album");
    win.clear();
    EXPECT_EQ(win.get_title(), "progress window");
    EXPECT_EQ(fractions(win), (std::array<double, 6>{0, 0, 0, 0, 0, 0}));
  });
}

TEST_F(ProgWinTest, TitleFollowsTheDefaultTitle) {
  const char* const saved = pictora::default_title;
  testutil::in_main_loop([&] {
    pictora::default_title = "Fortschritt";
    ProgWin win(parent);
    EXPECT_EQ(win.get_title(), "Fortschritt");
    pictora::default_title = "Fortschritt 2";
    win.clear();
    EXPECT_EQ(win.get_title(), "Fortschritt 2");
  });
  pictora::default_title = saved;
}

// Quitting while an operation reports progress ends the program at once.
TEST_F(ProgWinTest, QuittingTheMainLoopDuringAReportEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(testutil::in_main_loop([&] {
                ProgWin win(parent);
                win.show();
                gtk_main_quit();
                win.setProgress1(0.5);
                std::_Exit(3);  // not reached when the report ended the process
              }),
              ::testing::ExitedWithCode(0), "");
}

// Without a quit request, the pumping returns to the operation.
TEST_F(ProgWinTest, ReportsReturnWhileTheMainLoopRuns) {
  bool returned = false;
  testutil::in_main_loop([&] {
    ProgWin win(parent);
    win.show();
    win.setProgress1(0.5);
    win.Iteration();
    returned = true;
  });
  EXPECT_TRUE(returned);
}

}  // namespace
