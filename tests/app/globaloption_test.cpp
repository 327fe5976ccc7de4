#include "app/globaloption.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/global.h"
#include "tests/gui_support/gui_env.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace {

using pictora::g_global;
using pictora::global_t;
using pictora::GlobalOptionDialog;
using testutil::TempDir;

std::string settings_text() {
  std::ostringstream os;
  pictora::writeini(os);
  return os.str();
}

// Settings that differ from the defaults in every field.
global_t edited_settings(const std::string& base) {
  global_t g;
  g.from = base + "/card/DCIM";
  g.album = base + "/books";
  g.shrink_size = {1600, 1200};
  g.jpeg_compress = 85;
  g.horizontal_items = 6;
  g.show_level = 2;
  g.view_size = 3;
  g.html_header_check = true;
  g.html_header = "<meta name=\"robots\" content=\"noindex\">";
  g.html_address = "(C) Ann Example";
  g.hwaccel = "-hwaccel vaapi";
  g.ffmpeg = "-c:v libx265 -crf 28";
  g.movie = "mpv --fs";
  g.play_size_x = 1920;
  g.play_size_y = 1080;
  g.movie_thumbnail_retina = false;
  g.vexaview = "pictora-view -g +0+0";
  return g;
}

// Runs the dialog as its opener does, with `act` done once it runs; returns
// its answer.
int run_with(GlobalOptionDialog& dialog, const std::function<void()>& act) {
  Glib::signal_idle().connect_once(act);
  return dialog.run();
}

Gtk::Button& response_button(GlobalOptionDialog& dialog, int response) {
  Gtk::Widget* widget = dialog.get_widget_for_response(response);
  EXPECT_NE(widget, nullptr) << "response " << response;
  return dynamic_cast<Gtk::Button&>(*widget);
}

class GlobalOptionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The folder chooser keeps its state in GSettings; none of it may
    // outlive the test.
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    testutil::load_english_catalogue();
    testutil::start_gui();
  }

  void SetUp() override {
    saved_ = g_global;
    // Nothing of this test may reach the user's settings: the settings
    // folder is inside a scratch folder, and does not exist yet.
    ::setenv("XDG_CONFIG_HOME", (tmp / "config").c_str(), 1);
    g_global = edited_settings(tmp.path());
  }
  void TearDown() override {
    g_global = saved_;
    std::setlocale(LC_ALL, "C");
  }

  std::string ini_path() const { return tmp / "config/pictora/pictora.ini"; }

  TempDir tmp;
  Gtk::Window parent;

 private:
  global_t saved_;
};

TEST_F(GlobalOptionTest, EveryWidgetShowsItsSetting) {
  GlobalOptionDialog dialog(parent, "/usr/bin/", "pictora");
  const std::string base = tmp.path();
  struct Text {
    const char* name;
    Gtk::Entry& entry;
    std::string shown;
  };
  const Text texts[] = {
      {"from", dialog.from_entry, base + "/card/DCIM"},
      {"album", dialog.album_entry, base + "/books"},
      {"html_header", dialog.header_entry, "<meta name=\"robots\" content=\"noindex\">"},
      {"html_address", dialog.address_entry, "(C) Ann Example"},
      {"hwaccel", dialog.hwaccel_entry, "-hwaccel vaapi"},
      {"ffmpeg", dialog.ffmpeg_entry, "-c:v libx265 -crf 28"},
      {"movie", dialog.movie_entry, "mpv --fs"},
      {"vexaview", dialog.vexaview_entry, "pictora-view -g +0+0"},
  };
  for (const Text& t : texts) EXPECT_EQ(t.entry.get_text(), t.shown) << t.name;

  struct Number {
    const char* name;
    Gtk::SpinButton& spin;
    double value;
    const char* text;
  };
  const Number numbers[] = {
      {"shrink_size x", dialog.shrink_x_spin, 1600, "1600"},
      {"shrink_size y", dialog.shrink_y_spin, 1200, "1200"},
      {"jpeg_compress", dialog.compress_spin, 85, "85"},
      {"horizontal_items", dialog.items_spin, 6, "6"},
      {"show_level", dialog.show_level_spin, 2, "2"},
      {"view_size", dialog.view_size_spin, 3, "3"},
      {"play_size_x", dialog.play_x_spin, 1920, "1920"},
      {"play_size_y", dialog.play_y_spin, 1080, "1080"},
  };
  for (const Number& n : numbers) {
    EXPECT_EQ(n.spin.get_value(), n.value) << n.name;
    EXPECT_EQ(n.spin.get_text(), n.text) << n.name;
  }
  EXPECT_TRUE(dialog.header_check.get_active());
  EXPECT_FALSE(dialog.retina_check.get_active());
}

// The flags, both ways, and whether the header can be edited.
TEST_F(GlobalOptionTest, CheckBoxesFollowTheirSettings) {
  for (const bool on : {false, true}) {
    g_global.html_header_check = on;
    g_global.movie_thumbnail_retina = on;
    GlobalOptionDialog dialog(parent, "/usr/bin/", "pictora");
    EXPECT_EQ(dialog.header_check.get_active(), on);
    EXPECT_EQ(dialog.retina_check.get_active(), on);
    EXPECT_EQ(dialog.header_entry.get_editable(), on);
    EXPECT_EQ(dialog.header_entry.get_can_focus(), on);
    EXPECT_EQ(dialog.header_entry.get_text(), "<meta name=\"robots\" content=\"noindex\">");
  }
}

// read_from_global on an open dialog puts back what the settings hold.
TEST_F(GlobalOptionTest, ReadingAgainDropsTheEdits) {
  GlobalOptionDialog dialog(parent, "/usr/bin/", "pictora");
  dialog.movie_entry.set_text("vlc");
  dialog.compress_spin.set_value(10);
  dialog.header_check.set_active(false);
  dialog.read_from_global();
  EXPECT_EQ(dialog.movie_entry.get_text(), "mpv --fs");
  EXPECT_EQ(dialog.compress_spin.get_value(), 85);
  EXPECT_TRUE(dialog.header_check.get_active());
  EXPECT_TRUE(dialog.header_entry.get_editable());
}

TEST_F(GlobalOptionTest, IsAModalChildWithTheSettingsTitleAndOkAndCancel) {
  GlobalOptionDialog dialog(parent, "/usr/bin/", "pictora");
  EXPECT_EQ(dialog.get_title(), "Settings");
  EXPECT_TRUE(dialog.get_modal());
  EXPECT_EQ(dialog.get_transient_for(), &parent);
  struct Answer {
    int response;
    const char* stock;
  };
  for (const Answer& a : {Answer{Gtk::RESPONSE_OK, "gtk-ok"}, Answer{Gtk::RESPONSE_CANCEL, "gtk-cancel"}}) {
    Gtk::Button& button = response_button(dialog, a.response);
    EXPECT_EQ(button.get_label(), a.stock);
    EXPECT_TRUE(button.get_use_stock());
    EXPECT_TRUE(button.get_visible());
  }
  EXPECT_EQ(dialog.get_action_area()->get_children().size(), 2u);
}

// The rows, top to bottom, and what stands in each, left to right.
TEST_F(GlobalOptionTest, RowsHoldTheirWidgetsInOrder) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  using Widgets = std::vector<Gtk::Widget*>;
  struct Row {
    Gtk::HBox& box;
    Widgets widgets;
  };
  const Row rows[] = {
      {d.from_box, {&d.from_label, &d.from_entry, &d.from_button}},
      {d.album_box, {&d.album_label, &d.album_entry, &d.album_button}},
      {d.shrink_box, {&d.shrink_label, &d.shrink_x_spin, &d.shrink_y_spin}},
      {d.numbers_box,
       {&d.compress_label, &d.compress_spin, &d.items_label, &d.items_spin, &d.show_level_label,
        &d.show_level_spin, &d.view_size_label, &d.view_size_spin}},
      {d.header_box, {&d.header_label, &d.header_check, &d.header_entry}},
      {d.address_box, {&d.address_label, &d.address_entry}},
      {d.movie_box,
       {&d.hwaccel_label, &d.hwaccel_entry, &d.ffmpeg_label, &d.ffmpeg_entry, &d.movie_label, &d.movie_entry,
        &d.play_size_label, &d.play_x_spin, &d.play_y_spin, &d.retina_check}},
      {d.vexaview_box, {&d.vexaview_label, &d.vexaview_entry}},
  };
  const Widgets content = d.get_content_area()->get_children();
  ASSERT_GE(content.size(), 8u);  // the dialog's button box follows them
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(content[i], &rows[i].box) << "row " << i + 1;
    EXPECT_EQ(rows[i].box.get_children(), rows[i].widgets) << "row " << i + 1;
    for (Gtk::Widget* widget : rows[i].widgets) EXPECT_TRUE(widget->get_visible()) << "row " << i + 1;
  }
}

TEST_F(GlobalOptionTest, LabelsShowTheirMessagesAtTheirWidths) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  struct Label {
    Gtk::Label& label;
    const char* text;
    int width_chars;
  };
  const Label labels[] = {
      {d.from_label, "Source Folder", 20},   {d.album_label, "Album Folder", 20},
      {d.shrink_label, "Picture Size", 20},  {d.compress_label, "JPEG Quality", 20},
      {d.items_label, "Items per Row", 20},  {d.show_level_label, "Show Level", 20},
      {d.view_size_label, "View Size", 20},  {d.header_label, "HTML Header", 20},
      {d.address_label, "HTML Address", 20}, {d.hwaccel_label, "HW Acceleration", 20},
      {d.ffmpeg_label, "ffmpeg", -1},        {d.movie_label, "Movie Player", 10},
      {d.play_size_label, "Play Size", 10},  {d.vexaview_label, "Picture Viewer", 20},
  };
  for (const Label& l : labels) {
    EXPECT_EQ(l.label.get_text(), l.text);
    EXPECT_EQ(l.label.get_width_chars(), l.width_chars) << l.text;
  }
  struct Button {
    Gtk::Button& button;
    const char* text;
  };
  const Button buttons[] = {{d.from_button, "Browse..."},
                            {d.album_button, "Browse..."},
                            {d.header_check, "Keep Header"},
                            {d.retina_check, "Retina Movies"}};
  for (const Button& b : buttons) EXPECT_EQ(b.button.get_label(), b.text);
}

TEST_F(GlobalOptionTest, EntriesHaveTheirWidths) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  struct Entry {
    const char* name;
    Gtk::Entry& entry;
    int width_chars;
  };
  const Entry entries[] = {
      {"from", d.from_entry, 100},      {"album", d.album_entry, 100},    {"html_header", d.header_entry, 100},
      {"html_address", d.address_entry, 100}, {"hwaccel", d.hwaccel_entry, -1}, {"ffmpeg", d.ffmpeg_entry, 20},
      {"movie", d.movie_entry, 50},     {"vexaview", d.vexaview_entry, -1},
  };
  for (const Entry& e : entries) EXPECT_EQ(e.entry.get_width_chars(), e.width_chars) << e.name;
}

TEST_F(GlobalOptionTest, NumbersHaveTheirRangesStepsAndWidths) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  struct Spin {
    const char* name;
    Gtk::SpinButton& spin;
    double lower, upper, page;
    int width_chars;
  };
  const Spin spins[] = {
      {"shrink_size x", d.shrink_x_spin, 0, 32768, 128, -1},
      {"shrink_size y", d.shrink_y_spin, 0, 32768, 128, -1},
      {"jpeg_compress", d.compress_spin, 0, 100, 10, 3},
      {"horizontal_items", d.items_spin, 1, 100, 10, 2},
      {"show_level", d.show_level_spin, 0, 100, 10, 2},
      {"view_size", d.view_size_spin, 0, 100, 10, 2},
      {"play_size_x", d.play_x_spin, 1, 9999, 10, 4},
      {"play_size_y", d.play_y_spin, 1, 9999, 10, 4},
  };
  for (const Spin& s : spins) {
    double lower = -1, upper = -1, step = -1, page = -1;
    s.spin.get_range(lower, upper);
    s.spin.get_increments(step, page);
    EXPECT_EQ(lower, s.lower) << s.name;
    EXPECT_EQ(upper, s.upper) << s.name;
    EXPECT_EQ(step, 1) << s.name;
    EXPECT_EQ(page, s.page) << s.name;
    EXPECT_EQ(s.spin.get_digits(), 0u) << s.name;
    EXPECT_EQ(s.spin.get_width_chars(), s.width_chars) << s.name;
  }
}

// Every widget edited as a user would, then OK: every setting and the file
// take the edits, and the missing folders are made.
TEST_F(GlobalOptionTest, OkStoresEveryEditAndWritesTheSettingsFile) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  const std::string album = tmp / "photos/2026/books";
  d.from_entry.set_text("/media/ann/CARD/DCIM");
  d.album_entry.set_text(album);
  d.shrink_x_spin.set_value(800);
  d.shrink_y_spin.set_value(600);
  d.compress_spin.set_value(90);
  d.items_spin.set_value(5);
  d.show_level_spin.set_value(0);
  d.view_size_spin.set_text("7");  // typed, not yet taken by the spin
  d.header_entry.set_text("<meta charset=\"UTF-8\">");
  d.address_entry.set_text("(C) Bo");
  d.hwaccel_entry.set_text("");
  d.ffmpeg_entry.set_text("-crf 30");
  d.movie_entry.set_text("vlc");
  d.play_x_spin.set_value(1280);
  d.play_y_spin.set_value(720);
  d.retina_check.set_active(true);
  d.vexaview_entry.set_text("eog");

  EXPECT_EQ(run_with(d, [&] { response_button(d, Gtk::RESPONSE_OK).clicked(); }), Gtk::RESPONSE_OK);

  const std::string expected =
      "from=/media/ann/CARD/DCIM\r\n"
      "album=" + album + "\r\n"
      "shrink_size=800,600\r\n"
      "jpeg_compress=90\r\n"
      "horizontal_items=5\r\n"
      "show_level=0\r\n"
      "view_size=7\r\n"
      "html_header_check=1\r\n"
      "html_header=<meta charset=\"UTF-8\">\r\n"
      "html_address=(C) Bo\r\n"
      "hwaccel=\r\n"
      "ffmpeg=-crf 30\r\n"
      "movie=vlc\r\n"
      "play_size_x=1280\r\n"
      "play_size_y=720\r\n"
      "movie_thumbnail_retina=1\r\n"
      "vexaview=eog\r\n";
  EXPECT_EQ(settings_text(), expected);
  EXPECT_EQ(testutil::read_file(ini_path()), expected);
  EXPECT_TRUE(Glib::file_test(album, Glib::FILE_TEST_IS_DIR));
}

// The file's name comes from the program's name; an existing file is replaced
// and existing folders are fine.
TEST_F(GlobalOptionTest, OkReplacesTheFileNamedAfterTheProgram) {
  testutil::make_dirs(tmp / "config/pictora");
  testutil::make_dirs(g_global.album);
  const std::string path = tmp / "config/pictora/album-tool.ini";
  testutil::write_file(path, "jpeg_compress=1\r\n");
  GlobalOptionDialog d(parent, "/opt/pictora/bin/", "/opt/pictora/bin/album-tool");
  d.compress_spin.set_value(70);
  std::string err = testutil::capture_stderr([&] { d.response(Gtk::RESPONSE_OK); });
  EXPECT_EQ(err, "");
  EXPECT_EQ(g_global.jpeg_compress, 70u);
  EXPECT_EQ(testutil::read_file(path), settings_text());
  EXPECT_FALSE(testutil::exists(ini_path()));
}

TEST_F(GlobalOptionTest, HeaderCheckDecidesWhetherTheHeaderIsEditableAndKept) {
  const std::string header = "<meta name=\"robots\" content=\"noindex\">";
  struct Case {
    bool from, to;
    const char* lines;  // the header lines of the file
  };
  const Case cases[] = {
      {true, false, "html_header_check=0\r\n"},
      {false, true, "html_header_check=1\r\nhtml_header=<meta name=\"robots\" content=\"noindex\">\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    g_global.html_header_check = c.from;
    std::remove(ini_path().c_str());
    GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
    d.header_check.set_active(c.to);
    EXPECT_EQ(d.header_entry.get_editable(), c.to);
    EXPECT_EQ(d.header_entry.get_can_focus(), c.to);
    EXPECT_EQ(d.header_entry.get_text(), header);
    d.response(Gtk::RESPONSE_OK);
    EXPECT_EQ(g_global.html_header_check, c.to);
    EXPECT_EQ(g_global.html_header, header);
    const std::string file = testutil::read_file(ini_path());
    const std::string before = "view_size=3\r\n", after = "html_address=";
    const size_t start = file.find(before), end = file.find(after);
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(file.substr(start + before.size(), end - start - before.size()), c.lines);
  }
}

// Cancel and closing the window drop every edit: no setting changes and no
// file or folder is made.
TEST_F(GlobalOptionTest, CancelAndCloseLeaveSettingsAndFilesAlone) {
  struct Case {
    const char* name;
    int response;
    std::function<void(GlobalOptionDialog&)> answer;
  };
  const Case cases[] = {
      {"cancel", Gtk::RESPONSE_CANCEL,
       [](GlobalOptionDialog& d) { response_button(d, Gtk::RESPONSE_CANCEL).clicked(); }},
      {"close", Gtk::RESPONSE_DELETE_EVENT, [](GlobalOptionDialog& d) { d.close(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string before = settings_text();
    const std::string header = g_global.html_header;
    GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
    d.album_entry.set_text(tmp / "elsewhere/books");
    d.compress_spin.set_value(10);
    d.header_check.set_active(false);
    d.header_entry.set_text("<meta x>");
    d.retina_check.set_active(true);
    EXPECT_EQ(run_with(d, [&] { c.answer(d); }), c.response);
    EXPECT_EQ(settings_text(), before);
    EXPECT_EQ(g_global.html_header, header);
    EXPECT_FALSE(testutil::exists(tmp / "config"));
    EXPECT_FALSE(testutil::exists(tmp / "elsewhere"));
  }
}

TEST_F(GlobalOptionTest, AFolderThatCannotBeMadeIsReported) {
  testutil::write_file(tmp / "plain", "not a folder");
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  const std::string album = tmp / "plain/books";
  d.album_entry.set_text(album);
  const std::string err = testutil::capture_stderr([&] { d.write_to_global(); });
  EXPECT_EQ(err, album + ": cannot create the folder, Not a directory\n");
  EXPECT_EQ(g_global.album, album);
}

// Texts reach the widgets as UTF-8 and the settings in the locale's encoding.
TEST_F(GlobalOptionTest, TextsConvertBetweenTheLocaleAndTheWidgets) {
  struct Case {
    const char* locale;
    std::string setting;  // read into the entry
    std::string shown;
    std::string typed;  // written back from the entry
    std::string stored;
  };
  const Case cases[] = {
      {"C.UTF-8", "\xE5\x86\x99\xE7\x9C\x9F", "\xE5\x86\x99\xE7\x9C\x9F", "\xE5\x86\x99\xE7\x9C\x9F 2",
       "\xE5\x86\x99\xE7\x9C\x9F 2"},
      // Bytes that are not UTF-8 show as replacement characters, and
      // characters ASCII cannot hold are stored as '?'.
      {"C.UTF-8", "a\xFF", "a\xEF\xBF\xBD", "b", "b"},
      {"C", "movie", "movie", "\xE5\x86\x99\xE7\x9C\x9F", "??"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ASSERT_NE(std::setlocale(LC_ALL, c.locale), nullptr);
    g_global.movie = c.setting;
    g_global.album = tmp / c.setting;  // the album folder is made with the same name
    GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
    EXPECT_EQ(d.movie_entry.get_text().raw(), c.shown);
    d.movie_entry.set_text(c.typed);
    d.album_entry.set_text((tmp / c.typed));
    d.write_to_global();
    EXPECT_EQ(g_global.movie, c.stored);
    EXPECT_EQ(g_global.album, tmp / c.stored);
    EXPECT_TRUE(Glib::file_test(tmp / c.stored, Glib::FILE_TEST_IS_DIR));
  }
}

// The open folder chooser, once the dialog has started it.
Gtk::FileChooserDialog* open_chooser() {
  for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
    if (auto* chooser = dynamic_cast<Gtk::FileChooserDialog*>(window)) {
      if (chooser->get_visible()) return chooser;
    }
  }
  return nullptr;
}

// Each browse button opens a folder chooser over the dialog, titled after its
// row and opened at the entry's folder; OK puts the folder the user went to
// into the entry, Cancel keeps the entry's text.
TEST_F(GlobalOptionTest, BrowseButtonsChooseAFolder) {
  testutil::make_dirs(tmp / "start/picked");
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  struct Case {
    const char* title;
    Gtk::Button& button;
    Gtk::Entry& entry;
    int response;
    std::string result;
  };
  const Case cases[] = {
      {"Source Folder", d.from_button, d.from_entry, Gtk::RESPONSE_OK, tmp / "start/picked"},
      {"Source Folder", d.from_button, d.from_entry, Gtk::RESPONSE_CANCEL, tmp / "start"},
      {"Album Folder", d.album_button, d.album_entry, Gtk::RESPONSE_OK, tmp / "start/picked"},
      {"Album Folder", d.album_button, d.album_entry, Gtk::RESPONSE_CANCEL, tmp / "start"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title) + " " + std::to_string(c.response));
    c.entry.set_text(tmp / "start");
    bool seen = false;
    Glib::signal_idle().connect_once([&] {
      Gtk::FileChooserDialog* chooser = open_chooser();
      ASSERT_NE(chooser, nullptr);
      seen = true;
      EXPECT_EQ(chooser->get_title(), c.title);
      ASSERT_EQ(chooser->get_action(), Gtk::FILE_CHOOSER_ACTION_SELECT_FOLDER);
      EXPECT_EQ(chooser->get_transient_for(), &d);
      EXPECT_EQ(chooser->get_current_folder(), tmp / "start");
      for (const int response : {Gtk::RESPONSE_OK, Gtk::RESPONSE_CANCEL})
        EXPECT_NE(chooser->get_widget_for_response(response), nullptr) << response;
      // The user goes into the sub-folder; the chooser loads it before it
      // answers with it.
      chooser->set_current_folder(tmp / "start/picked");
      for (int events = 0; events < 1000 && chooser->get_filename() != tmp / "start/picked"; ++events)
        gtk_main_iteration_do(true);
      chooser->response(c.response);
    });
    c.button.clicked();
    EXPECT_TRUE(seen);
    EXPECT_EQ(c.entry.get_text(), c.result);
    EXPECT_EQ(open_chooser(), nullptr);
  }
}

// The dialog as the user sees it, left in the build tree for a look: every
// label gets the room its text asks for, and the dialog fits the tests'
// 1920 x 1080 screen (with the entries' set widths it is about 1500 pixels
// wide, more than a 1024-pixel screen has).
TEST_F(GlobalOptionTest, ShownDialogShowsEveryLabelWhole) {
  GlobalOptionDialog d(parent, "/usr/bin/", "pictora");
  EXPECT_FALSE(testutil::save_screenshot(d, "settings-dialog").empty());
  EXPECT_LE(d.get_window()->get_width(), d.get_screen()->get_width());
  EXPECT_LE(d.get_window()->get_height(), d.get_screen()->get_height());
  // No label is given less room than its text asks for.
  for (Gtk::Label* label : {&d.from_label, &d.album_label, &d.shrink_label, &d.compress_label, &d.items_label,
                            &d.show_level_label, &d.view_size_label, &d.header_label, &d.address_label,
                            &d.hwaccel_label, &d.ffmpeg_label, &d.movie_label, &d.play_size_label,
                            &d.vexaview_label}) {
    int minimum = 0, natural = 0;
    label->get_preferred_width(minimum, natural);
    EXPECT_GE(label->get_allocated_width(), natural) << label->get_text();
  }
}

}  // namespace
