// The main window over a prepared album base: its rows, their widgets and
// places, the command buttons, the list's height limit and the viewer
// button of each kind of row.
#include "app/menu_win.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/global.h"
#include "libutils/process.h"
#include "tests/gui_support/gui_env.h"
#include "tests/support/base_fixture.h"
#include "tests/support/test_util.h"

namespace {

using pictora::g_global;
using pictora::MenuWindow;

const std::string program = PICTORA_BINARY_DIR "/app/pictora";

struct attach_t {
  guint left, right, top, bottom;
  bool operator==(const attach_t& o) const {
    return left == o.left && right == o.right && top == o.top && bottom == o.bottom;
  }
};

attach_t attach_of(Gtk::Table& table, Gtk::Widget& widget) {
  attach_t a{};
  gtk_container_child_get(GTK_CONTAINER(table.gobj()), widget.gobj(), "left-attach", &a.left, "right-attach",
                          &a.right, "top-attach", &a.top, "bottom-attach", &a.bottom, nullptr);
  return a;
}

class MenuWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }

  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (config / "").c_str(), 1);
    testutil::make_dirs(config / "pictora");
    // A viewer that records its arguments, one a line.
    const std::string viewer = config / "viewer";
    testutil::write_file(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + libutils::shell_quote(args_file) + ".tmp && mv " +
                                     libutils::shell_quote(args_file) + ".tmp " + libutils::shell_quote(args_file) + "\n");
    ::chmod(viewer.c_str(), 0755);
    settings = "album=/nowhere\r\nview_size=3\r\nvexaview=" + viewer + " --slides\r\n";
    testutil::write_file(config / "pictora/pictora.ini", settings);
  }
  void TearDown() override { g_global = pictora::global_t(); }

  // The window as "pictora /cards BASE" opens it.
  std::unique_ptr<MenuWindow> open(const std::string& base) {
    args = {program, "/cards", base};
    argv.clear();
    for (std::string& arg : args) argv.push_back(arg.data());
    std::unique_ptr<MenuWindow> window;
    testutil::capture_stderr([&] { window = std::make_unique<MenuWindow>(3, argv.data()); });
    return window;
  }
  MenuWindow::item_t& row(MenuWindow& window, const std::string& name) {
    for (auto& item : window.items) {
      if (item->name == name) return *item;
    }
    ADD_FAILURE() << "no row " << name;
    return *window.items.front();
  }
  std::vector<std::string> viewer_arguments(MenuWindow& window, const std::string& name) {
    ::unlink(args_file.c_str());
    row(window, name).vexaview_button.clicked();
    std::vector<std::string> lines;
    std::string text = testutil::wait_for_file(args_file);
    for (size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1)) lines.push_back(text.substr(0, at));
    return lines;
  }

  testutil::TempDir config;
  const std::string args_file = config / "viewer.args";
  std::string settings;
  testutil::base_fixture base;
  std::vector<std::string> args;
  std::vector<char*> argv;
};

TEST_F(MenuWindowTest, ShowsTheBaseAndOneRowPerCommentedDirectory) {
  auto window = open(base.base());
  EXPECT_EQ(window->get_title(), "Pictora - Books and Albums");
  EXPECT_EQ(window->title_label.get_text(), "Family pictures");
  EXPECT_EQ(window->head_text.get_buffer()->get_text(), "All our trips\r\nsince 2020\r\n");
  EXPECT_EQ(window->last_text.get_buffer()->get_text(), "The end\r\n");
  EXPECT_FALSE(window->head_text.get_editable());
  EXPECT_FALSE(window->last_text.get_editable());

  struct Expected {
    std::string name;
    std::string button;  // "" : no viewer button in the table
    std::string item;
    std::string count, title, comment;
  };
  const Expected expected[] = {
      {"_PrintBook", "Viewer", "Pictures", "2", "To print", ""},
      {"_Odd", "Viewer", "Pictures", "", "Odd collection", ""},
      {"_GoodBook", "Viewer", "Pictures", "30", "Good ones", "Good picks"},
      {"_Best", "Viewer", "Pictures", "12", "Best of all", ""},
      {"2024-05 Walk", "Viewer", "Pictures", "7", "A walk", "First line\nsecond line"},
      {"2023 Trips", "", "View", "", "Trips of 2023", "Only one line"},
      {"2022-01 Snow", "Viewer", "Pictures", "", "Snow", ""},
  };
  ASSERT_EQ(window->items.size(), std::size(expected));
  for (guint i = 0; i < std::size(expected); ++i) {
    MenuWindow::item_t& item = *window->items[i];
    const Expected& e = expected[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(item.name, e.name);
    EXPECT_EQ(item.path, base.path(e.name));
    EXPECT_EQ(item.name_label.get_text(), e.name);
    EXPECT_EQ(item.name_label.get_width_chars(), static_cast<int>(e.name.size()));
    EXPECT_TRUE(item.name_label.get_selectable());
    EXPECT_EQ(item.item_button.get_label(), e.item);
    EXPECT_EQ(item.count_label.get_text(), e.count);
    EXPECT_EQ(item.title_label.get_text(), e.title);
    EXPECT_TRUE(item.title_label.get_selectable());
    EXPECT_EQ(item.comment_label.get_text(), e.comment);
    EXPECT_TRUE(item.comment_label.get_selectable());
    EXPECT_EQ(item.comment_label.get_xalign(), 0.0f);

    // Seven columns, the second left empty; row i spans i..i+1.
    EXPECT_EQ(attach_of(window->table, item.name_label), (attach_t{0, 1, i, i + 1}));
    EXPECT_EQ(attach_of(window->table, item.item_button), (attach_t{2, 3, i, i + 1}));
    EXPECT_EQ(attach_of(window->table, item.count_label), (attach_t{4, 5, i, i + 1}));
    EXPECT_EQ(attach_of(window->table, item.title_label), (attach_t{5, 6, i, i + 1}));
    EXPECT_EQ(attach_of(window->table, item.comment_label), (attach_t{6, 7, i, i + 1}));
    if (e.button.empty()) {
      EXPECT_EQ(item.vexaview_button.get_parent(), nullptr);
    } else {
      EXPECT_EQ(item.vexaview_button.get_label(), e.button);
      EXPECT_EQ(attach_of(window->table, item.vexaview_button), (attach_t{3, 4, i, i + 1}));
    }
  }
  EXPECT_EQ(window->table.get_children().size(), 6 * 6 + 5u);
}

TEST_F(MenuWindowTest, CommandLineDirectoriesHoldForThisRunOnly) {
  auto window = open(base.base());
  EXPECT_EQ(g_global.from, "/cards");
  EXPECT_EQ(g_global.album, base.base());
  EXPECT_EQ(window->base_dir, base.base() + "/");
  EXPECT_EQ(g_global.view_size, 3u);  // the rest comes from the settings file
  EXPECT_EQ(testutil::read_file(config / "pictora/pictora.ini"), settings);
}

TEST_F(MenuWindowTest, RebuildingFollowsTheAlbumSetting) {
  auto window = open(base.base());
  testutil::TempDir other;
  testutil::make_dirs(other / "Solo/txt");
  testutil::write_file(other / "Solo/txt/head.txt", "Solo\r\nSolo\r\n");
  g_global.album = other.path();
  EXPECT_TRUE(window->make_items());
  ASSERT_EQ(window->items.size(), 1u);
  EXPECT_EQ(window->items[0]->name, "Solo");
  EXPECT_EQ(window->title_label.get_text(), "");

  g_global.album = other / "missing";
  testutil::capture_stderr([&] { EXPECT_FALSE(window->make_items()); });
  EXPECT_TRUE(window->items.empty());
  EXPECT_TRUE(window->table.get_children().empty());
}

TEST_F(MenuWindowTest, CommandButtonsReadBrowserSettingsEditCloseAtTheRightEdge) {
  auto window = open(base.base());
  testutil::in_main_loop([&] {
    window->show();
    testutil::settle();
    const std::vector<Gtk::Button*> buttons{&window->browser_button, &window->setting_button, &window->edit_button,
                                            &window->close_button};
    const char* const labels[] = {"Browser", "Settings", "Edit", "Close"};
    for (size_t i = 0; i < buttons.size(); ++i) {
      EXPECT_EQ(buttons[i]->get_label(), labels[i]);
      if (i > 0) {
        EXPECT_EQ(buttons[i]->get_allocation().get_x(),
                  buttons[i - 1]->get_allocation().get_x() + buttons[i - 1]->get_allocation().get_width());
      }
    }
    const Gtk::Allocation close = window->close_button.get_allocation();
    EXPECT_EQ(close.get_x() + close.get_width(), window->button_box.get_allocation().get_x() +
                                                     window->button_box.get_allocation().get_width());
  });
}

TEST_F(MenuWindowTest, ListGrowsWithItsRowsUpTo640Pixels) {
  struct Case {
    int extra_rows;
    bool scrolls;
  };
  for (const Case c : {Case{0, false}, Case{60, true}}) {
    for (int i = 0; i < c.extra_rows; ++i) {
      const std::string name = "2021-" + std::to_string(100 + i) + " Day";
      base.set_comment(name, "Day " + std::to_string(i), "A day\r\n");
      testutil::make_dirs(base.path(name + "/original"));
    }
    auto window = open(base.base());
    testutil::in_main_loop([&] {
      window->show();
      testutil::settle();
      int width = 0, height = 0;
      window->scrolled.get_size_request(width, height);
      const Gtk::Allocation table = window->table.get_allocation();
      if (c.scrolls) {
        EXPECT_EQ(height, 640);
        EXPECT_GT(table.get_height(), 640);
      } else {
        EXPECT_EQ(height, table.get_height());
        EXPECT_LT(height, 640);
      }
      EXPECT_EQ(width, table.get_width());
      EXPECT_LE(width, window->get_screen()->get_width());
    });
  }
}

TEST_F(MenuWindowTest, ViewerButtonHandsTheRowsPicturesToTheViewer) {
  base.add_file("2024-05 Walk/size3/P1.JPG", "jpeg");
  auto window = open(base.base());
  struct Case {
    std::string row;
    std::vector<std::string> expected;  // after the setting's own words
  };
  const Case cases[] = {
      {"2024-05 Walk", {base.path("2024-05 Walk/size3")}},
      {"_Best",
       {"-C" + base.path("scans/size3"), "-@" + base.path("scans/txt/good.txt"), "-C" + base.path("2024-05 Walk/size3"),
        "-@" + base.path("2024-05 Walk/txt/good.txt"), "-C" + base.path("2023 Trips/size3"),
        "-@" + base.path("2023 Trips/txt/good.txt"), "-C" + base.path("2022-01 Snow/size3"),
        "-@" + base.path("2022-01 Snow/txt/good.txt")}},
      {"_PrintBook",
       {"-C" + base.path("2023 Trips/2023-08 Sea/size3"), "-@" + base.path("2023 Trips/2023-08 Sea/txt/print.txt"),
        "-C" + base.path("2024-05 Walk/size3"), "-@" + base.path("2024-05 Walk/txt/print.txt")}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected{"--slides"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(viewer_arguments(*window, c.row), expected) << c.row;
  }
}

TEST_F(MenuWindowTest, BrowserButtonOpensTheBasePage) {
  auto window = open(base.base());
  const char* browser = std::getenv("BROWSER");
  const std::string saved = browser != nullptr ? browser : "";
  ::setenv("BROWSER", (config / "viewer").c_str(), 1);
  ::unlink(args_file.c_str());
  window->browser_button.clicked();
  EXPECT_EQ(testutil::wait_for_file(args_file), base.path("index.html") + "\n");
  if (browser != nullptr)
    ::setenv("BROWSER", saved.c_str(), 1);
  else
    ::unsetenv("BROWSER");
}

TEST_F(MenuWindowTest, ScreenshotOverASampleBook) {
  for (int i = 0; i < 30; ++i) {
    const std::string name = "2021-" + std::to_string(100 + i) + " Day";
    base.set_comment(name, "A day out, part " + std::to_string(i), "Morning in the hills\r\nand the way back\r\n");
    testutil::make_dirs(base.path(name + "/original"));
    base.add_file(name + "/txt/count.txt", std::to_string(10 + i) + "\r\n");
  }
  auto window = open(base.base());
  testutil::in_main_loop([&] {
    const std::string shot = testutil::save_screenshot(*window, "main-window");
    EXPECT_FALSE(shot.empty());
    int width = 0, height = 0;
    window->get_size(width, height);
    EXPECT_LE(width, window->get_screen()->get_width());
    EXPECT_LE(height, window->get_screen()->get_height());
  });
}

}  // namespace
