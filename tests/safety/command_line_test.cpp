// The command line as a user mistypes it: every wrong command line ends
// with exit status 2 and says why, before anything is written; and the
// progress a build draws on a terminal.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <regex>

#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"

namespace safety {
namespace {

TEST(CommandLine, MistakesExitWithTwoAndTheReasonAndWriteNothing) {
  user_t user;
  testutil::make_dirs(user / "cwd/empty");
  testutil::make_dirs(user / "cwd/book/old/original");
  testutil::make_dirs(user / "cwd/cam");
  testutil::write_jpeg(user / "cwd/cam/a.jpg", {32, 32});
  // An album's own files, also reached through links.
  testutil::write_jpeg(user / "cwd/book/old/original/a.jpg", {32, 32});
  std::filesystem::create_symlink("book/old", user / "cwd/link");
  std::filesystem::create_symlink("../book/old/original/a.jpg", user / "cwd/cam/in.jpg");
  // And through a bind mount of its "original", where the tests may mount.
  testutil::make_dirs(user / "cwd/mnt");
  const bool bound = testutil::run_program({"mount", "--bind", user / "cwd/book/old/original", user / "cwd/mnt"}, nullptr, nullptr) == 0;
  const std::shared_ptr<void> unmount(nullptr, [&](void*) { bound && testutil::run_program({"umount", user / "cwd/mnt"}, nullptr, nullptr); });
  const auto before = snapshot(user.home.path());
  const struct {
    std::vector<std::string> args;
    const char* reason;  // the first line
    const char* usage;   // the start of the second line
    bool bind = false;   // needs the bind mount
  } mistakes[] = {
      {{}, "no command given", "Usage: pictora-cli [--quiet]"},
      {{"frobnicate"}, "unknown command: frobnicate", "Usage: pictora-cli [--quiet]"},
      {{"--bogus", "config", "show"}, "unknown option: --bogus", "Usage: pictora-cli [--quiet]"},
      {{"--set"}, "--set needs KEY=VALUE", "Usage: pictora-cli [--quiet]"},
      {{"--set", "From=/x", "config", "set", "album", "/y"}, "unknown setting: From", ""},
      {{"config", "frob"}, "unknown action: frob", "Usage: pictora-cli config show"},
      {{"config", "set", "album"}, "wrong number of arguments for config set", "Usage: pictora-cli config show"},
      {{"jpeg", "rotate", "-1", "cam/a.jpg", "b.jpg"}, "not a count: -1", "Usage: pictora-cli jpeg info FILE"},
      {{"jpeg", "info"}, "wrong number of arguments for jpeg info", "Usage: pictora-cli jpeg info FILE"},
      {{"jpeg", "turn"}, "unknown action: turn", "Usage: pictora-cli jpeg info FILE"},
      {{"exif", "a.jpg", "b.jpg"}, "exif needs one FILE", "Usage: pictora-cli exif [--html] FILE"},
      {{"update"}, "update needs one directory", "Usage: pictora-cli update DIR"},
      {{"best-book", "book", "nice"}, "unknown KIND: nice", "Usage: pictora-cli best-book DIR KIND"},
      {{"mark", "book/new", "a.jpg", "--nice"}, "unknown change: --nice", "Usage: pictora-cli mark ALBUM_DIR"},
      {{"remove", "book/new", "a.jpg"}, "remove needs --to DIR, the folder the originals go to",
       "Usage: pictora-cli remove ALBUM_DIR"},
      {{"update", "book", "--jobs", "65"}, "--jobs needs a number from 1 to 64: 65", "Usage: pictora-cli update DIR"},
      {{"best-book", "book", "good", "--jobs"}, "--jobs needs a number from 1 to 64", "Usage: pictora-cli best-book"},
      {{"make-album", "cam"}, "make-album needs SRC_DIR and ALBUM_DIR", "Usage: pictora-cli make-album"},
      {{"make-album", "cam", "book/new", "--title", "T", "--pick", "a.jpg:45"},
       "--pick needs NAME or NAME:DEGREES (0, 90, 180, 270): a.jpg:45", "Usage: pictora-cli make-album"},
      {{"make-album", "cam", "book/new", "--title", "T", "--frob"}, "unknown option: --frob", "Usage: pictora-cli make-album"},
      // Refused in the words of the album creation dialog.
      {{"make-album", "cam", "book/new", "--title", ""}, "The title is empty.", ""},
      {{"make-album", "empty", "book/new", "--title", "T"}, "No picture is selected.", ""},
      {{"make-album", "missing", "book/new", "--title", "T"}, "missing: the camera folder cannot be read: No such file or directory", ""},
      // Importing an album's own originals again would delete them.
      {{"make-album", "book/old/original", "book/old", "--title", "T", "--force"},
       "book/old/original: lies in the album book/old itself; import from another folder.", ""},
      {{"make-album", "link/original", "book/old", "--title", "T", "--force"},
       "link/original: lies in the album book/old itself; import from another folder.", ""},
      {{"make-album", "cam", "book/old", "--title", "T", "--force", "--pick", "in.jpg"},
       "cam/in.jpg: lies in the album book/old itself; import from another folder.", ""},
      {{"make-album", "mnt", "book/old", "--title", "T", "--force"},
       "mnt: lies in the album book/old itself; import from another folder.", "", true},
      {{"make-album", "cam", "book/old", "--title", "T"}, "The album folder already exists. Continue?",
       "pictora-cli: "},
  };
  for (const auto& m : mistakes) {
    SCOPED_TRACE(m.reason);
    if (m.bind && !bound && (std::cout << "skipped, no bind mount here\n")) continue;
    const result_t r = user.run(m.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    const std::string start = std::string("pictora-cli: ") + m.reason + "\n" + m.usage;
    EXPECT_EQ(r.err.substr(0, start.size()), start);
    EXPECT_EQ(difference(before, snapshot(user.home.path())), "");
  }
  // Asking for help anywhere after a command shows its usage and runs nothing.
  const std::string overview = user.run({"--help"}).out;
  for (const std::string command :
       {"config", "albums", "jpeg", "exif", "make-album", "add", "texts", "comment", "mark", "remove", "update",
        "book-page", "best", "best-book"}) {
    const result_t r = user.run({command, "cam", "book/new", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: pictora-cli " + command + " ", 0), 0u) << r.out;
    EXPECT_NE(overview.find("\n  " + command + " "), std::string::npos) << command;
  }
  EXPECT_EQ(difference(before, snapshot(user.home.path())), "");
}

TEST(CommandLine, ProgressIsDrawnOnATerminalOnly) {
  user_t user;
  testutil::make_dirs(user / "cam");
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) testutil::write_jpeg(user / "cam/" + name, {32, 32});
  const std::string cli = testutil::cli_path(), album = user / "book/album";
  std::string terminal;
  testutil::run_program({"script", "-qec",
                         cli + " make-album " + user / "cam " + album + " --title T && " + cli + " update " + album +
                             " && echo QUIET && " + cli + " --quiet update " + album,
                         "/dev/null"},
                        &terminal, nullptr, user.environment());
  // One line a stage, redrawn in place, counting the files done and naming
  // the last; the time left once a few are done.
  for (const char* stage : {"copy", "shrink", "page", "zoom"}) {
    const std::regex bar(std::string("\r") + stage + " +\\[#{30}\\] 100%  4/4  [a-d]\\.jpg\x1b\\[K\r\n");
    EXPECT_TRUE(std::regex_search(terminal, bar)) << stage << ": " << terminal;
    const std::regex left(std::string("\r") + stage + " +\\[[#-]{30}\\]  75%  3/4  0:0\\d left  [a-d]\\.jpg\x1b");
    EXPECT_TRUE(std::regex_search(terminal, left)) << stage << ": " << terminal;
  }
  EXPECT_NE(terminal.find("\n" + album + "\r\n\rshrink "), std::string::npos) << terminal;  // update names the album
  ASSERT_NE(terminal.find("QUIET"), std::string::npos);
  EXPECT_EQ(terminal.find('[', terminal.find("QUIET")), std::string::npos) << terminal;
}

}  // namespace
}  // namespace safety
