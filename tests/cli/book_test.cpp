// pictora-cli make-album, update, book-page, best and best-book over a real
// camera folder: what they build, what they refuse, and how they report.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/support/camera_fixture.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace pictora {
namespace {

class BookCliTest : public CliTest {
 protected:
  void SetUp() override {
    write_camera_folder(camera);
    testutil::make_dirs(book);
  }

  // make-album of the whole camera folder into book/name with small levels.
  int make_album(const std::string& name, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--set", "shrink_size=400,400", "make-album", camera, book + "/" + name,
                                     "--title", "Title of " + name};
    args.insert(args.end(), more.begin(), more.end());
    return run(args);
  }

  bool is_file(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  testutil::TempDir work;
  const std::string camera = work / "camera";
  const std::string book = work / "book";
};

TEST_F(BookCliTest, MakeAlbumImportsBuildsAndWritesTheBookPage) {
  ASSERT_EQ(make_album("2026-05-01", {"--head", "Head line", "--last", "Last line"}), 0) << err;
  const std::string album = book + "/2026-05-01";
  // Pictures, the movie and the sound go to "original", the rest to "txt".
  for (const char* name : {"P0000001.JPG", "P0000002.JPG", "P0000003.JPG", "P0000004.JPG", "CLIP0001.MOV",
                           "VOICE001.WAV"})
    EXPECT_TRUE(is_file(album + "/original/" + name)) << name;
  EXPECT_TRUE(is_file(album + "/txt/README.TXT"));
  // 1600x1200 against a 400x400 box: two halvings, levels size0 to size3.
  for (const char* level : {"size0", "size1", "size2", "size3", "thumb"})
    EXPECT_TRUE(is_file(album + "/" + level + "/P0000002.JPG")) << level;
  EXPECT_TRUE(is_file(album + "/movie0/CLIP0001.mp4"));
  EXPECT_TRUE(is_file(album + "/index.html"));
  EXPECT_TRUE(is_file(album + "/list.html"));
  EXPECT_EQ(testutil::read_file(album + "/txt/head.txt"), "Title of 2026-05-01\r\nTitle of 2026-05-01\r\nHead line\r\n");
  EXPECT_FALSE(testutil::exists(album + "/txt/secret.txt"));

  const std::string page = testutil::read_file(book + "/index.html");
  EXPECT_NE(page.find("<a href=\"2026-05-01/index.html\">Title of 2026-05-01</a><td>Head line\n"), std::string::npos)
      << page;
  // Standard error is no terminal here: no progress bars.
  EXPECT_EQ(err.find("copy       ["), std::string::npos);
}

TEST_F(BookCliTest, MakeAlbumRefusesInTheCataloguesWords) {
  testutil::make_dirs(work / "empty");
  testutil::make_dirs(book + "/taken");
  struct case_t {
    const char* label;
    std::vector<std::string> args;
    std::string message;
  };
  const case_t cases[] = {
      {"no title", {"make-album", camera, book + "/a"}, "pictora-cli: The title is empty.\n"},
      {"nothing to pick", {"make-album", work / "empty", book + "/a", "--title", "T"},
       "pictora-cli: No picture is selected.\n"},
      {"album exists",
       {"make-album", camera, book + "/taken", "--title", "T"},
       "pictora-cli: The album folder already exists. Continue?\n"
       "pictora-cli: " + book + "/taken: add --force to build into it.\n"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(run(c.args), 2);
    EXPECT_EQ(err, c.message);
    EXPECT_FALSE(testutil::exists(book + "/a"));
    EXPECT_FALSE(testutil::exists(book + "/taken/original"));
  }
  EXPECT_EQ(run({"make-album", camera, book + "/a", "--title", "T", "--pick", "P0000001.JPG:45"}), 2);
  EXPECT_NE(err.find("--pick needs NAME or NAME:DEGREES"), std::string::npos) << err;
}

TEST_F(BookCliTest, PicksWithTurnsAndSecretAlbums) {
  ASSERT_EQ(make_album("hidden", {"--pick", "P0000003.JPG:90", "--pick", "VOICE001.WAV", "--secret"}), 0) << err;
  const std::string album = book + "/hidden";
  EXPECT_TRUE(is_file(album + "/original/P0000003.JPG"));
  EXPECT_FALSE(testutil::exists(album + "/original/P0000001.JPG"));
  EXPECT_TRUE(is_file(album + "/txt/secret.txt"));
  // Turned a quarter: 640x480 becomes 480x640 at full size.
  ASSERT_EQ(run({"jpeg", "info", album + "/size0/P0000003.JPG"}), 0) << err;
  EXPECT_EQ(out.substr(0, out.find("components")), "width 480\nheight 640\n");
  // Secret albums stay out of the book page.
  EXPECT_EQ(testutil::read_file(book + "/index.html").find("hidden"), std::string::npos);
}

TEST_F(BookCliTest, UpdateRebuildsMissingLevelsAndReportsBrokenPictures) {
  ASSERT_EQ(make_album("a"), 0) << err;
  const std::string album = book + "/a";
  const std::string level = album + "/size2/P0000002.JPG";
  const std::string before = testutil::read_file(level);
  std::filesystem::remove(level);

  ASSERT_EQ(run({"--set", "shrink_size=400,400", "update", book}), 0) << err;
  EXPECT_EQ(testutil::read_file(level), before);

  // A picture that cannot be read stops its album's update with its name
  // in the report; once it is replaced the next update completes the album.
  testutil::write_file(album + "/original/P0000009.JPG", "not a picture");
  EXPECT_EQ(run({"--set", "shrink_size=400,400", "update", book}), 1);
  EXPECT_NE(err.find("P0000009.JPG"), std::string::npos) << err;
  EXPECT_NE(err.find(album + ": updatealbum() fail.\n"), std::string::npos) << err;
  testutil::write_jpeg(album + "/original/P0000009.JPG", testutil::jpeg_options(900, 600));
  EXPECT_EQ(run({"--set", "shrink_size=400,400", "update", album}), 0) << err;
  EXPECT_TRUE(is_file(album + "/thumb/P0000009.JPG"));
}

TEST_F(BookCliTest, HostileFileNamesRunNoShellCode) {
  const std::string movie = "a\"$(touch pwned)\";b.mp4";
  const std::string picture = "x $HOME;'y' `id` \xc3\xa9t\xc3\xa9.jpg";
  testutil::write_movie(camera + "/" + movie, testutil::movie_options(160, 120));
  std::filesystem::rename(camera + "/P0000003.JPG", camera + "/" + picture);
  ASSERT_EQ(make_album("names", {"--pick", movie, "--pick", picture}), 0) << err;
  const std::string album = book + "/names";
  EXPECT_TRUE(is_file(album + "/movie0/a\"$(touch pwned)\";b.mp4"));
  EXPECT_TRUE(is_file(album + "/thumb/" + picture));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(work.path()))
    EXPECT_NE(entry.path().filename(), "pwned");
  EXPECT_FALSE(testutil::exists("pwned"));
  EXPECT_NE(testutil::read_file(album + "/index.html").find(picture), std::string::npos);
}

TEST_F(BookCliTest, CollectionsOfABook) {
  ASSERT_EQ(make_album("2026-05-01"), 0) << err;
  testutil::write_file(book + "/2026-05-01/txt/good.txt", "P0000001.JPG\r\nP0000004.JPG\r\n");
  testutil::write_file(book + "/2026-05-01/txt/print.txt", "P0000004.JPG\r\n");

  ASSERT_EQ(run({"best", book}), 0) << err;
  const std::string best = testutil::read_file(book + "/_Best/index.html");
  EXPECT_NE(best.find("../2026-05-01/"), std::string::npos);
  EXPECT_NE(best.find("P0000004.JPG"), std::string::npos);
  EXPECT_EQ(best.find("P0000002.JPG"), std::string::npos);

  ASSERT_EQ(run({"best-book", book, "print"}), 0) << err;
  const std::string print = testutil::read_file(book + "/_PrintBook/index.html");
  EXPECT_NE(print.find("P0000004.JPG"), std::string::npos);
  EXPECT_EQ(print.find("P0000001.JPG"), std::string::npos);

  EXPECT_EQ(run({"best-book", book, "favourite"}), 2);
  EXPECT_NE(err.find("unknown KIND: favourite"), std::string::npos) << err;

  // The book page lists the album, not the collections' own pages.
  ASSERT_EQ(run({"book-page", book}), 0) << err;
  EXPECT_NE(testutil::read_file(book + "/index.html").find("2026-05-01/index.html"), std::string::npos);
}

// The bars appear on a terminal only: run through script(1), which gives the
// command a pseudo-terminal.
TEST_F(BookCliTest, ProgressBarsOnATerminalOnly) {
  if (!testutil::exists("/usr/bin/script")) GTEST_SKIP() << "script(1) is not installed";
  const std::string command = testutil::cli_path() + " --set shrink_size=400,400 make-album " + camera + " " +
                              book + "/a --title T 2>&1 >/dev/null";
  ASSERT_EQ(run_shell_in_terminal(command), 0) << out;
  for (const char* bar : {"copy       [", "shrink     [", "page       [", "zoom       ["})
    EXPECT_NE(out.find(bar), std::string::npos) << bar << "\n" << out;
  // Each bar names the file its stage has just done.
  EXPECT_NE(out.find("] 100%  VOICE001.WAV"), std::string::npos) << out;
  EXPECT_NE(out.find("%  P0000002.JPG"), std::string::npos) << out;

  ASSERT_EQ(run_shell_in_terminal(testutil::cli_path() + " --quiet update " + book + " 2>&1 >/dev/null"), 0);
  EXPECT_EQ(out.find('['), std::string::npos) << out;
}

}  // namespace
}  // namespace pictora
