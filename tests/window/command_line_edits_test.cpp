// The command line edits an album as the album editor does: the same
// requests made through pictora-cli in one book and through the real
// dialog in another leave both books the same, byte for byte, page time
// stamps aside (the command line also writes the book's index page, which
// the editor leaves to the book editor).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/editalbum.h"
#include "app/editbook.h"
#include "tests/gui_support/gui_env.h"
#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"
#include "vexalib/message.h"

namespace {

using pictora::EditAlbumDialog;
using pictora::picture_row_t;

// Opens the album editor on album_dir, lets act change it once its rows
// are in, and presses OK.
void edit_in_window(const std::string& book, const std::function<void(EditAlbumDialog&)>& act) {
  testutil::in_main_loop([&] {
    Gtk::Window parent;
    EditAlbumDialog dialog(parent, pictora::path_t{"", book, "Day"}, "");
    bool pressed = false;
    sigc::connection poll = Glib::signal_timeout().connect(
        [&] {
          if (dialog.list.loading() || pressed) return true;
          act(dialog);
          pressed = true;
          Glib::signal_idle().connect_once([&] { dialog.response(Gtk::RESPONSE_OK); });
          return true;
        },
        50);
    dialog.run();
    poll.disconnect();
  });
}

picture_row_t& row(EditAlbumDialog& d, const std::string& name) {
  for (const auto& r : d.list.rows)
    if (r && r->name == name) return *r;
  throw std::runtime_error("no row " + name);
}

std::map<std::string, std::string> book_without_index(const std::string& book) {
  std::map<std::string, std::string> entries = safety::snapshot(book);
  entries.erase("index.html");
  return entries;
}

TEST(CommandLineEdits, LeaveTheAlbumTheEditorLeaves) {
  testutil::start_gui();
  testutil::load_catalogue();
  safety::user_t home;
  const std::string camera = home / "camera", by_cli = home / "cli/book", by_window = home / "window/book";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/P1.JPG", {320, 240});
  testutil::write_jpeg(camera + "/P2.JPG", {240, 320});
  testutil::write_jpeg(camera + "/P3.JPG", {200, 200});
  for (const std::string& book : {by_cli, by_window}) {
    const safety::result_t made =
        home.run({"--quiet", "make-album", camera, book + "/Day", "--title", "Day", "--head", "Morning", "--last", "End"});
    ASSERT_EQ(made.status, 0) << made.err;
  }

  // Each request on top of the ones before, both ways.
  const struct {
    const char* what;
    std::vector<safety::words_t> commands;  // ALBUM stands for the album
    std::function<void(EditAlbumDialog&)> act;
  } cases[] = {
      {"new texts, secret",
       {{"texts", "ALBUM", "--title", "A day out", "--head", "By the sea\nall day", "--secret"}},
       [](EditAlbumDialog& d) {
         d.texts.title_entry.set_text("A day out");
         d.texts.head_text.set_text("By the sea\nall day");
         d.texts.secret_check.set_active(true);
       }},
      {"the texts kept, public again",
       {{"texts", "ALBUM", "--public"}},
       [](EditAlbumDialog& d) { d.texts.secret_check.set_active(false); }},
      {"a comment",
       {{"comment", "ALBUM", "P2.JPG", "Sunset over the bay"}},
       [](EditAlbumDialog& d) { row(d, "P2.JPG").comment_view.set_text("Sunset over the bay"); }},
      {"a flag on a failed picture and on normal ones",
       {{"mark", "ALBUM", "P1.JPG", "--fail", "--print"},
        {"mark", "ALBUM", "P2.JPG", "--best", "--upload"},
        {"mark", "ALBUM", "P3.JPG", "--apply"}},
       [](EditAlbumDialog& d) {
         row(d, "P1.JPG").fail.set_active(true);
         row(d, "P1.JPG").flags[3].set_active(true);
         row(d, "P2.JPG").flags[0].set_active(true);
         row(d, "P2.JPG").flags[4].set_active(true);
         row(d, "P3.JPG").flags[1].set_active(true);
       }},
      {"a flag cleared, normal and fail",
       {{"mark", "ALBUM", "P2.JPG", "--no-best"}, {"mark", "ALBUM", "P3.JPG", "P1.JPG", "--normal"}},
       [](EditAlbumDialog& d) {
         row(d, "P2.JPG").flags[0].set_active(false);
         row(d, "P3.JPG").normal.set_active(true);
         row(d, "P1.JPG").normal.set_active(true);
       }},
      {"the comment of a good picture deleted",
       {{"comment", "ALBUM", "P2.JPG", ""}},
       [](EditAlbumDialog& d) { row(d, "P2.JPG").comment_view.set_text(""); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (safety::words_t words : c.commands) {
      for (std::string& word : words)
        if (word == "ALBUM") word = by_cli + "/Day";
      words.insert(words.begin(), "--quiet");
      const safety::result_t r = home.run(words);
      EXPECT_EQ(r.status, 0) << r.err;
    }
    edit_in_window(by_window, c.act);
    EXPECT_EQ(safety::difference(book_without_index(by_window), book_without_index(by_cli)), "");
  }
}

// A book's texts and secret mark set from the command line leave the book
// the book editor's OK leaves, its index page and collections included.
TEST(CommandLineEdits, LeaveTheBookTheBookEditorLeaves) {
  testutil::start_gui();
  testutil::load_catalogue();
  safety::user_t home;
  const std::string camera = home / "camera", by_cli = home / "cli/book", by_window = home / "window/book";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/P1.JPG", {320, 240});
  for (const std::string& book : {by_cli, by_window}) {
    const safety::result_t made = home.run({"--quiet", "make-album", camera, book + "/Day", "--title", "Day"});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  const safety::result_t r = home.run(
      {"--quiet", "texts", by_cli, "--title", "Our year", "--head", "Walks\nand trips", "--last", "The end", "--secret"});
  ASSERT_EQ(r.status, 0) << r.err;
  testutil::in_main_loop([&] {
    Gtk::Window parent;
    pictora::EditBookDialog editor(parent, pictora::path_t{"", by_window, ""}, "", "pictora");
    bool pressed = false;
    sigc::connection poll = Glib::signal_timeout().connect(
        [&] {
          if (pressed || !editor.get_mapped()) return true;
          editor.texts.title_entry.set_text("Our year");
          editor.texts.head_text.set_text("Walks\nand trips");
          editor.texts.last_text.set_text("The end");
          editor.texts.secret_check.set_active(true);
          pressed = true;
          Glib::signal_idle().connect_once([&] { editor.response(Gtk::RESPONSE_OK); });
          return true;
        },
        50);
    editor.run();
    poll.disconnect();
  });
  EXPECT_EQ(safety::difference(safety::snapshot(by_window), safety::snapshot(by_cli)), "");
}

}  // namespace
