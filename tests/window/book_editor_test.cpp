// What the book editor refuses, in its real dialogs in this process: the
// album creation dialog filled and confirmed, the removal confirmed twice,
// each message box read and answered as a user would. Every refusal shows
// its box and leaves the book as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/editbook.h"
#include "app/global.h"
#include "app/makealbum.h"
#include "app/progwin.h"
#include "app/album.h"
#include "tests/gui_support/gui_env.h"
#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"
#include "tests/support/test_util.h"
#include "vexalib/message.h"

namespace {

namespace fs = std::filesystem;
using pictora::MakeAlbumDialog;

// Runs fn in the main loop, answering what opens meanwhile: each message box
// is noted as "title: text" and answered OK when it asks to remove, `yes`
// to the question whether to go on; the album creation dialog, once its thumbnails are in, gets
// fill and OK the first time, Cancel after.
std::string answering(const std::function<void()>& fn, const std::function<void(MakeAlbumDialog&)>& fill,
                      bool yes) {
  std::string boxes;
  bool filled = false;
  sigc::connection poll = Glib::signal_timeout().connect(
      [&] {
        MakeAlbumDialog* album = nullptr;
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
          if (!window->get_mapped()) continue;
          if (auto* box = dynamic_cast<Gtk::MessageDialog*>(window)) {
            boxes += box->get_title() + ": " + box->property_text().get_value() + "\n";
            if (box->get_title().find("Remove (") == 0)
              box->response(Gtk::RESPONSE_OK);
            else
              box->response(yes ? Gtk::RESPONSE_YES : Gtk::RESPONSE_NO);
            return true;
          }
          if (auto* dialog = dynamic_cast<MakeAlbumDialog*>(window)) album = dialog;
        }
        if (album == nullptr || album->loading()) return true;
        if (!filled) fill(*album);
        album->response(filled ? Gtk::RESPONSE_CANCEL : Gtk::RESPONSE_OK);
        filled = true;
        return true;
      },
      50);
  testutil::in_main_loop(fn);
  poll.disconnect();
  return boxes;
}

// Makes file one that cannot be unlinked; the reason remove reports.
std::string lock(const std::string& file) {
  std::string out, err;
  if (::geteuid() != 0) {
    fs::permissions(fs::path(file).parent_path(), fs::perms::owner_write, fs::perm_options::remove);
    return fs::path(file).parent_path().string() + ": Permission denied";
  }
  return testutil::run_program({"chattr", "+i", file}, &out, &err) == 0 ? file + ": Operation not permitted" : "";
}

void unlock(const std::string& file) {
  std::string out, err;
  fs::permissions(fs::path(file).parent_path(), fs::perms::owner_all, fs::perm_options::add);
  if (::geteuid() == 0) testutil::run_program({"chattr", "-i", file}, &out, &err);
}

TEST(BookEditor, RefusalsShowTheirBoxAndLeaveTheBookAsItWas) {
  testutil::start_gui();
  testutil::load_catalogue();
  testutil::TempDir home;
  const std::string camera = home / "camera", base = home / "book", old = base + "/2023-01 Old";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/P1.JPG", {320, 240});
  testutil::write_jpeg(camera + "/P2.JPG", {240, 320});
  const std::string twins = home / "twins";  // two pictures that would share their pages
  for (const char* picture : {"/x.jpg", "/x.JPG"}) testutil::make_dirs(twins), testutil::write_jpeg(twins + picture, {320, 240});
  testutil::make_dirs(base + "/txt");
  testutil::write_file(base + "/txt/head.txt", "Our pictures\r\nOur pictures\r\n");
  std::string out, err;
  ASSERT_EQ(testutil::run_program({testutil::cli_path(), "--quiet", "make-album", camera, old, "--title", "Old"}, &out,
                                  &err, {"XDG_CONFIG_HOME=" + home / "config"}),
            0)
      << err;
  pictora::g_global.from = camera;
  pictora::g_global.album = base;

  auto name = [](const char* album, const char* title) {
    return [album, title](MakeAlbumDialog& d) {
      d.target_entry.set_text(album);
      d.texts.title_entry.set_text(title);
    };
  };
  const struct {
    const char* what;
    std::function<void(MakeAlbumDialog&)> fill;  // null: remove the old album instead
    std::string boxes;
    std::string from = "";  // the camera folder, when not the camera
  } cases[] = {
      {"nothing picked", [](MakeAlbumDialog& d) { d.button_invert(); }, "Error: No picture is selected.\n"},
      {"no title", name("2024 New", ""), "Error: The title is empty.\n"},
      {"an existing album, not replaced", name("2023-01 Old", "Again"),
       "Pictora: The album folder already exists. Continue?\n"},
      {"a path separator", name("Trips/2024 New", "New"),
       "Error: No album name is given.\nTrips/2024 New: not a name of one directory.\n"},
      {"the album's own originals, replacing it", name("2023-01 Old", "Again"),
       "Pictora: The album folder already exists. Continue?\nError: Building the album or the book page failed.\n" +
           old + "/original: lies in the album " + old + " itself; import from another folder.\n",
       old + "/original"},
      {"two pictures of one page", name("2024 New", "New"), "Error: Building the album or the book page failed.\n" + twins + "/x.JPG and " +
       twins + "/x.jpg: both become html/x_N.html, and one of them would be lost from the pages; leave one out or rename it.\n", twins},
      {"a folder that cannot be removed", nullptr,
       "Remove (1/2): Remove\n" + old + "\nRemove (2/2): Remove\n" + old + "\nError: Remove\n"},
  };
  const std::string locked = old + "/original/P2.JPG";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string reason = c.fill ? "" : lock(locked);
    if (!c.fill && reason.empty()) {
      std::cout << "skipped: no file can be made that root cannot remove here (chattr +i failed)\n";
      continue;
    }
    pictora::g_global.from = c.from.empty() ? camera : c.from;
    const auto before = safety::snapshot(base);
    Gtk::Window parent;
    std::string boxes;
    {
      pictora::EditBookDialog editor(parent, pictora::path_t{"", base, ""}, "", "pictora");
      boxes = answering([&] { c.fill ? editor.response(1) : editor.button_remove(0); }, c.fill, !c.from.empty());
    }
    if (!c.fill) unlock(locked);
    EXPECT_EQ(boxes, c.boxes + (reason.empty() ? "" : reason + "\n"));
    EXPECT_EQ(safety::difference(before, safety::snapshot(base)), "");
  }
}

// OK with an empty title shows its box and leaves the editor open as the
// user left it; a title then and OK writes the comments typed before the box.
TEST(BookEditor, AnErrorBoxKeepsWhatWasTyped) {
  testutil::start_gui();
  testutil::load_catalogue();
  testutil::TempDir home;
  const pictora::path_t book{"", home / "book", ""};
  testutil::make_dirs(home / "book/txt");
  testutil::write_file(home / "book/txt/head.txt", "Our pictures\r\nOur pictures\r\n");
  std::string seen;
  int step = 0;
  sigc::connection poll = Glib::signal_timeout().connect(
      [&] {
        pictora::EditBookDialog* editor = nullptr;
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
          if (!window->get_mapped()) continue;
          if (auto* box = dynamic_cast<Gtk::MessageDialog*>(window)) {
            seen += box->get_title() + ": " + box->property_text().get_value() + "\n";
            box->response(Gtk::RESPONSE_OK);
            return true;
          }
          // Not while the book is being saved.
          if (dynamic_cast<pictora::ProgWin*>(window) != nullptr) return true;
          if (auto* dialog = dynamic_cast<pictora::EditBookDialog*>(window)) editor = dialog;
        }
        // The second step once the box of the first has come and gone.
        if (editor == nullptr || step > 1 || (step == 1 && seen.empty())) return true;
        pictora::texts_panel_t& texts = editor->texts;
        if (step++ == 0) {
          texts.title_entry.set_text("");
          texts.head_text.set_text("Typed head");
          texts.last_text.set_text("Typed last");
        } else {
          const pictora::texts_edit_t typed = texts.read();
          seen += "again: " + typed.title + "|" + typed.head + "|" + typed.last + "\n";
          texts.title_entry.set_text("Ours");
        }
        Glib::signal_idle().connect_once([editor] { editor->response(Gtk::RESPONSE_OK); });
        return true;
      },
      50);
  Gtk::Window parent;
  testutil::in_main_loop([&] { pictora::edit_book(parent, book, "", "pictora"); });
  poll.disconnect();
  EXPECT_EQ(seen, "Error: The title is empty.\nagain: |Typed head|Typed last\n");
  std::string title, head, last;
  libutils::report_log_t log;
  ASSERT_TRUE(pictora::loadcommenttxt(book, title, head, last, log));
  EXPECT_EQ(title + "|" + head + "|" + last, "Ours|Typed head\r\n|Typed last\r\n");
}

}  // namespace

namespace {

// Cancel in the progress window, pressed while a movie is being converted
// (by an ffmpeg told to loop for ever), stops the build: the box says so
// and how to finish, and a plain update then gives the album that an
// uninterrupted build of the same pictures gives.
TEST(BookEditor, CancelStopsABuildThatAnUpdateCompletes) {
  testutil::start_gui();
  testutil::load_catalogue();
  safety::user_t home;
  const std::string camera = home / "camera", base = home / "book", album = base + "/2024 Walk";
  testutil::make_dirs(camera);
  testutil::make_dirs(base + "/txt");
  testutil::write_jpeg(camera + "/P1.JPG", {320, 240});
  testutil::write_movie(camera + "/CLIP.MOV", testutil::movie_options(160, 120));
  testutil::write_jpeg(camera + "/P2.JPG", {240, 320});
  const safety::result_t reference =
      home.run({"--quiet", "make-album", camera, home / "reference/2024 Walk", "--title", "Walk"});
  ASSERT_EQ(reference.status, 0) << reference.err;
  const pictora::global_t saved = pictora::g_global;
  pictora::g_global.from = camera;
  pictora::g_global.album = base;
  pictora::g_global.ffmpeg = "-c:v libx264 -vf loop=loop=-1:size=1";
  const auto converting = [&] {
    std::error_code none;
    for (const auto& entry : fs::directory_iterator(album + "/movie0", none))
      if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
    return false;
  };
  std::string boxes;
  bool filled = false, cancelled = false;
  sigc::connection poll = Glib::signal_timeout().connect(
      [&] {
        for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
          if (!window->get_mapped()) continue;
          if (auto* box = dynamic_cast<Gtk::MessageDialog*>(window)) {
            boxes += box->get_title() + ": " + box->property_text().get_value() + "\n";
            box->response(Gtk::RESPONSE_OK);
            return true;
          }
          if (auto* progress = dynamic_cast<pictora::ProgWin*>(window); progress && !cancelled && converting()) {
            progress->response(Gtk::RESPONSE_CANCEL);
            cancelled = true;
          }
          auto* dialog = dynamic_cast<MakeAlbumDialog*>(window);
          if (dialog && !filled && !dialog->loading()) {
            dialog->target_entry.set_text("2024 Walk");
            dialog->texts.title_entry.set_text("Walk");
            dialog->response(Gtk::RESPONSE_OK);
            filled = true;
          }
        }
        return true;
      },
      50);
  Gtk::Window parent;
  {
    pictora::EditBookDialog editor(parent, pictora::path_t{"", base, ""}, "", "pictora");
    testutil::in_main_loop([&] { editor.response(1); });
  }
  poll.disconnect();
  pictora::g_global = saved;
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(boxes, "Error: " + std::string(vexalib::getmsg(vexalib::msg_stopped)) + "\n");
  const safety::result_t update = home.run({"--quiet", "update", album});
  EXPECT_EQ(update.status, 0) << update.err;
  EXPECT_EQ(safety::difference(safety::snapshot(home / "reference/2024 Walk"), safety::snapshot(album)), "");
}

}  // namespace
