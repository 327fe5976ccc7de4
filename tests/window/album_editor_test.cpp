// What a user of the album editor meets when the album is not as it should
// be, in the real dialog in this process: a picture that cannot be decoded,
// an album whose folder goes while the dialog is open, an empty title. The
// dialog shows every file, says what went wrong in its boxes, and keeps or
// writes exactly what it should: the lists are saved and the album updated
// even when its texts cannot be, and the dialog then stays open. Also what
// a row's button opens in each window, and which albums the collection
// dialogs gather.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/editalbum.h"
#include "app/global.h"
#include "tests/gui_support/gui_env.h"
#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"
#include "vexalib/message.h"

namespace {

namespace fs = std::filesystem;
using pictora::EditAlbumDialog;

// Runs the album editor until it closes: once its rows and thumbnails are
// in, act changes it and OK is pressed; each message box is noted as
// "title: text" and answered; a dialog that stays open after OK is
// cancelled. Also notes the rows as "name:thumbnail or -".
std::string run_editor(const std::string& album_dir, const std::function<void(EditAlbumDialog&)>& act) {
  std::string notes;
  testutil::in_main_loop([&] {
    Gtk::Window parent;
    const fs::path dir(album_dir);
    EditAlbumDialog dialog(parent, pictora::path_t{"", dir.parent_path().string(), dir.filename().string()}, "");
    bool pressed = false;
    sigc::connection poll = Glib::signal_timeout().connect(
        [&] {
          for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
            if (auto* box = dynamic_cast<Gtk::MessageDialog*>(window); box && box->get_mapped()) {
              notes += box->get_title() + ": " + box->property_text().get_value() + "\n";
              box->response(Gtk::RESPONSE_OK);
              return true;
            }
          }
          if (dialog.list.loading() || pressed) return true;
          for (const auto& row : dialog.list.rows) notes += row->name + (row->has_thumbnail ? ":thumbnail\n" : ":-\n");
          act(dialog);
          pressed = true;
          // Outside this callback, which answers the boxes OK opens.
          Glib::signal_idle().connect_once([&] { dialog.response(Gtk::RESPONSE_OK); });
          return true;
        },
        50);
    dialog.run();
    if (dialog.take_refusal()) {
      notes += "stays open\n";
      Glib::signal_idle().connect_once([&] { dialog.response(Gtk::RESPONSE_CANCEL); });
      dialog.run();
    }
    poll.disconnect();
  });
  return notes;
}

TEST(AlbumEditor, FaultsAreReportedAndTheRestWorks) {
  testutil::start_gui();
  testutil::load_catalogue();
  safety::user_t home;
  const std::string camera = home / "camera", album = home / "book/2024-05 Day";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/P1.JPG", {320, 240});
  testutil::write_jpeg(camera + "/P2.JPG", {240, 320});

  auto good = [](const char* name) {
    return [name](EditAlbumDialog& d) {
      for (const auto& row : d.list.rows)
        if (row->name == name) row->good.set_active(true);
    };
  };
  const struct {
    const char* what;
    std::function<void()> damage;
    std::function<void(EditAlbumDialog&)> act;
    std::string notes;
    std::string good_list;  // what txt/good.txt holds afterwards ("-": no file, no album)
  } cases[] = {
      {"a picture that cannot be decoded",
       [&] {
         for (const auto& level : fs::directory_iterator(album))
           if (level.is_directory()) fs::remove(level.path() / "P2.JPG");
         testutil::write_file(album + "/original/P2.JPG", "not a picture");
       },
       good("P1.JPG"),
       "P1.JPG:thumbnail\nP2.JPG:-\nError: Building the album or the book page failed.\n\n@ALBUM@/original/P2.JPG: not a "
       "JPEG picture, left out of the album\n  shrinkoneupdate() analyze_markers fail. error detected.; Not a JPEG file: "
       "starts with 0x6e 0x6f; jpeg decompress fail, stop.\n\n",
       "P1.JPG\r\n"},
      {"the album's folder gone while the dialog is open", nullptr,
       [&](EditAlbumDialog& d) {
         good("P1.JPG")(d);
         fs::remove_all(album);
       },
       "P1.JPG:thumbnail\nP2.JPG:thumbnail\nError: The comments could not be saved.\n@ALBUM@/txt/head.txt: cannot be "
       "written: No such file or directory\n  file open fail.\nError: Building the album or the book page failed.\n\n"
       "@ALBUM@: the album's folder cannot be opened; it was not updated: No such file or directory\n\nstays open\n",
       "-"},
      {"an empty title", nullptr,
       [&](EditAlbumDialog& d) {
         good("P1.JPG")(d);
         d.texts.title_entry.set_text("");
       },
       "P1.JPG:thumbnail\nP2.JPG:thumbnail\nError: The title is empty.\nstays open\n", "P1.JPG\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(home / "book");
    const safety::result_t made = home.run({"--quiet", "make-album", camera, album, "--title", "Day"});
    ASSERT_EQ(made.status, 0) << made.err;
    if (c.damage) c.damage();
    const std::string notes = run_editor(album, c.act);
    std::string expected = c.notes;
    for (size_t at; (at = expected.find("@ALBUM@")) != std::string::npos;) expected.replace(at, 7, album);
    EXPECT_EQ(notes, expected);
    EXPECT_EQ(fs::exists(album), c.good_list != "-");
    if (c.good_list != "-") {
      EXPECT_EQ(testutil::read_file(album + "/txt/good.txt"), c.good_list);
    }
  }
}

// An album longer than the screen: the rows far below the view wait until
// the user scrolls to them, then come with their thumbnails, and a mark set
// there is saved like any other; rows scrolled far away let their pictures
// go and have them again when they come back.
TEST(AlbumEditor, ALongAlbumBuildsItsRowsAsTheyComeIntoView) {
  testutil::start_gui();
  testutil::load_catalogue();
  safety::user_t home;
  const std::string camera = home / "camera", album = home / "book/Day";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/P001.JPG", {64, 48});
  const safety::result_t made = home.run({"--quiet", "make-album", camera, album, "--title", "Day"});
  ASSERT_EQ(made.status, 0) << made.err;
  constexpr int files = 300;
  for (const auto& level : fs::directory_iterator(album))
    for (int i = 2; level.is_directory() && fs::exists(level.path() / "P001.JPG") && i <= files; ++i)
      fs::create_hard_link(level.path() / "P001.JPG", level.path() / ("P" + std::to_string(1000 + i).substr(1) + ".JPG"));

  size_t built_at_first = 0;
  bool first_kept_at_end = true, back = false;
  int ticks = 0;
  testutil::in_main_loop([&] {
    Gtk::Window parent;
    EditAlbumDialog dialog(parent, pictora::path_t{"", home / "book", "Day"}, "");
    sigc::connection poll = Glib::signal_timeout().connect(
        [&] {
          // A minute at most, then the dialog is cancelled.
          if (++ticks > 1200) dialog.response(Gtk::RESPONSE_CANCEL);
          if (ticks > 1200 || dialog.list.loading()) return ticks <= 1200;
          auto& rows = dialog.list.rows;
          auto view = dialog.list.vertical();
          if (built_at_first == 0) {
            for (const auto& row : rows) built_at_first += row != nullptr;
            view->set_value(view->get_upper() - view->get_page_size());
          } else if (!back && rows.back() && rows.back()->has_thumbnail) {
            rows.back()->good.set_active(true);
            first_kept_at_end = rows.front()->has_thumbnail;
            view->set_value(0);
            back = true;
          } else if (back && rows.front()->has_thumbnail) {
            Glib::signal_idle().connect_once([&] { dialog.response(Gtk::RESPONSE_OK); });
            return false;
          }
          return true;
        },
        50);
    dialog.run();
    poll.disconnect();
  });
  EXPECT_GT(built_at_first, 0u);
  EXPECT_LT(built_at_first, static_cast<size_t>(files / 2));
  EXPECT_FALSE(first_kept_at_end);
  EXPECT_TRUE(back);
  EXPECT_EQ(testutil::read_file(album + "/txt/good.txt"), "P300.JPG\r\n");
}

// What a row's button opens depends on the window that lists the row: the
// main window knows the collections by their names, the book viewer looks
// for an album's originals first, the book editor takes every "_" row for a
// collection and an album by its thumbnails.
TEST(RowButtons, EachWindowOpensWhatItsRowsAre) {
  using pictora::row_dialog_t;
  using pictora::row_opener_t;
  testutil::TempDir book;
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {"_Best", {}}, {"_PrintBook", {}}, {"_Odd", {}}, {"_Shot", {"original", "thumb"}},
      {"Day", {"original", "thumb"}}, {"Half", {"thumb"}}, {"Trips", {"txt"}}};
  std::string seen;
  for (const auto& [name, folders] : rows) {
    testutil::make_dirs(book / name);
    for (const std::string& folder : folders) testutil::make_dirs(book / name + "/" + folder);
    seen += name;
    for (row_opener_t opener : {row_opener_t::main_window, row_opener_t::book_viewer, row_opener_t::book_editor}) {
      const char* names[] = {"goodpicks", "bestbook", "album", "book"};
      seen += std::string(" ") + names[static_cast<int>(pictora::row_dialog(book.path(), name, opener))];
    }
    seen += "\n";
  }
  EXPECT_EQ(seen,
            "_Best goodpicks goodpicks goodpicks\n"
            "_PrintBook bestbook bestbook bestbook\n"
            "_Odd book bestbook bestbook\n"
            "_Shot album album bestbook\n"
            "Day album album album\n"
            "Half book book album\n"
            "Trips book book book\n");
}

// The collection dialogs gather the albums of the book's own folders, also
// one marked secret there; below them the walk leaves secret albums and
// books out. "_Best" takes the albums directly in the book only.
TEST(Collections, GatherTheBooksFoldersAndLeaveSecretOnesBelowThemOut) {
  testutil::TempDir book;
  const std::pair<std::string, std::string> lists[] = {
      {"B Open", "P2.JPG"}, {"A Hidden", "P1.JPG"}, {"C Trips/D Hidden", "P3.JPG"}, {"C Trips/E Sea", "P4.JPG"}};
  for (const auto& [album, name] : lists) {
    for (const char* folder : {"/original", "/txt"}) testutil::make_dirs(book / album + folder);
    for (const char* list : {"/txt/print.txt", "/txt/good.txt"}) testutil::write_file(book / album + list, name + "\r\n");
  }
  for (const char* secret : {"A Hidden", "C Trips/D Hidden"}) testutil::write_file(book / secret + "/txt/secret.txt", "");
  std::string seen;
  for (const bool goodpicks : {false, true}) {
    pictora::collection_t c;
    const pictora::path_t path{"", book.path(), goodpicks ? "_Best" : "_PrintBook"};
    libutils::report_log_t log;
    ASSERT_TRUE(goodpicks ? pictora::load_goodpicks(c, path, log)
                          : pictora::load_bestbook(c, path, pictora::bestname_print, log));
    for (const auto& e : c.entries) seen += e.album->path.album + "/" + e.name + " ";
    seen += "\n";
  }
  EXPECT_EQ(seen, "A Hidden/P1.JPG B Open/P2.JPG E Sea/P4.JPG \nB Open/P2.JPG A Hidden/P1.JPG \n");
}

}  // namespace
