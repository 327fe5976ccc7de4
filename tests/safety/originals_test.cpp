// The user's pictures are never written to: the camera folder and every
// album's originals keep their bytes and times through every command, and a
// build or an update killed at any stage is completed by the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/import.h"
#include "tests/safety/user.h"
#include "tests/support/camera_fixture.h"
#include "tests/support/picture_check.h"

namespace safety {
namespace {

namespace fs = std::filesystem;
using args_t = std::vector<std::string>;

class UsersData : public ::testing::Test {
 protected:
  void SetUp() override {
    pictora::write_camera_folder(camera);
    camera_before = testutil::folder_state(camera);
  }

  static args_t with_settings(const args_t& args) {
    args_t all = {"--quiet", "--set", "shrink_size=400,400"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }
  args_t build(const std::string& album, const args_t& more = {}) const {
    args_t args = with_settings({"make-album", camera, album, "--title", "Walk"});
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // How many of the album's originals are the camera's files, with the
  // camera's bytes and modification times.
  size_t originals_as_imported(const std::string& album) const {
    size_t same = 0;
    if (!fs::is_directory(album + "/original")) return 0;
    for (const auto& [name, state] : testutil::folder_state(album + "/original")) {
      const auto source = camera_before.find(name);
      if (source != camera_before.end() && state.bytes == source->second.bytes &&
          state.mtime_ns == source->second.mtime_ns)
        ++same;
    }
    return same;
  }

  user_t user;
  const std::string camera = user / "camera";
  const std::string book = user / "book";
  std::map<std::string, testutil::file_state_t> camera_before;
};

TEST_F(UsersData, NoCommandWritesToTheCameraFolderOrTheOriginals) {
  const args_t commands[] = {
      build(book + "/day1", {"--pick", "P0000001.JPG:90", "--pick", "P0000004.JPG:270", "--pick",
                             "P0000002.JPG:180", "--pick", "CLIP0001.MOV", "--pick", "VOICE001.WAV"}),
      build(book + "/day2"),
      with_settings({"update", book}),
      with_settings({"best", book}),
      with_settings({"best-book", book, "good"}),
      // P0000003.JPG's full size is a link into "original" until it is turned.
      build(book + "/day2", {"--force", "--pick", "P0000003.JPG:90"}),
  };
  for (const args_t& args : commands) {
    SCOPED_TRACE(args[3] + " " + args.back());
    const result_t r = user.run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testutil::folder_state(camera), camera_before);
    EXPECT_EQ(originals_as_imported(book + "/day1"), 5u);
    EXPECT_EQ(originals_as_imported(book + "/day2"), fs::exists(book + "/day2") ? 6u : 0u);
    if (!fs::exists(book + "/day2/txt/good.txt") && fs::exists(book + "/day2/txt")) {
      testutil::write_file(book + "/day1/txt/good.txt", "P0000001.JPG\r\nCLIP0001.MOV\r\n");
      testutil::write_file(book + "/day2/txt/good.txt", "P0000003.JPG\r\nVOICE001.WAV\r\n");
    }
  }
  EXPECT_TRUE(fs::is_symlink(book + "/day2/size0/P0000002.JPG"));
  EXPECT_FALSE(fs::is_symlink(book + "/day2/size0/P0000003.JPG"));
}

TEST_F(UsersData, KilledBuildsAndUpdatesAreCompletedByAPlainUpdate) {
  // Two of the pictures turned as picked; comments and the secret mark. A
  // long recording takes a while to copy.
  testutil::write_file(camera + "/VOICE002.WAV", "");
  fs::resize_file(camera + "/VOICE002.WAV", 24 << 20);
  camera_before = testutil::folder_state(camera);
  const args_t picks = {"--pick", "CLIP0001.MOV", "--pick", "VOICE002.WAV", "--pick", "P0000001.JPG",
                        "--pick", "P0000002.JPG:90", "--pick", "P0000003.JPG", "--pick", "P0000004.JPG:180",
                        "--pick", "README.TXT", "--pick", "VOICE001.WAV", "--head", "Along the river\nand 'back'",
                        "--last", "Home", "--secret"};
  const std::string turned_album = user / "reference/turned";
  ASSERT_EQ(user.run(build(turned_album, picks)).status, 0);
  const auto turned = snapshot(turned_album);

  // Killed as soon as a file appears: in the import, halfway through a copy,
  // while ffmpeg converts the movie (told to loop it for ever) and after it,
  // at a turned picture's full size and within its levels, after a
  // thumbnail, at the pages; by one job or two side by side. ffmpeg ends
  // with the build. The next update, with no turns asked for, finishes the
  // build as it was asked for and removes what the killed run left.
  const struct {
    std::string moment;
    bool busy;
    const char* jobs;
  } moments[] = {{"original/P0000003.JPG", false, "1"}, {"original/VOICE002.WAV.tmpPID-0", false, "1"},
                 {"movie0/CLIP0001.mp4.tmpPID-0.mp4", true, "2"}, {"movie0/CLIP0001.mp4", false, "1"},
                 {"size0/P0000004.JPG", false, "1"}, {"size1/P0000002.JPG", false, "1"},
                 {"thumb/P0000002.JPG", false, "2"}, {"size1/P0000002.JPG", false, "2"},
                 {"index.html", false, "1"}};
  int count = 0;
  for (const auto& [moment, busy, jobs] : moments) {
    SCOPED_TRACE("build killed at " + moment + " with jobs " + jobs);
    const std::string album = user / ("killed/" + std::to_string(++count) + "/album");
    args_t args = build(album, picks);
    args.insert(args.end(), {"--jobs", jobs});
    if (busy) args.insert(args.begin(), {"--set", "ffmpeg=-c:v libx264 -vf loop=loop=-1:size=1"});
    EXPECT_EQ(user.run_killed_when(args, album + "/" + moment, busy), user_t::killed);
    const result_t r = user.run(with_settings({"update", album}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(difference(turned, snapshot(album)), "");
  }

  // Cut in its import with the camera folder gone: the update says that the
  // album is incomplete and how to finish it, and that command does.
  const std::string cut = user / "cut/album";
  // Killed at its first file, with the long recording still to copy.
  ASSERT_EQ(user.run_killed_when(build(cut, picks), cut + "/original/CLIP0001.MOV"), user_t::killed);
  fs::rename(camera, camera + ".away");
  const result_t r = user.run(with_settings({"update", cut}));
  fs::rename(camera + ".away", camera);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(cut + ": the album is incomplete: its build was interrupted, and " + camera), std::string::npos)
      << r.err;
  const size_t command = r.err.find("pictora-cli make-album ");
  ASSERT_NE(command, std::string::npos) << r.err;
  user.path_prefix = user / "bin";
  testutil::make_dirs(user.path_prefix);
  write_script(user / "bin/pictora-cli", "exec '" + testutil::cli_path() + "' --quiet --set shrink_size=400,400 \"$@\"\n");
  const result_t finish = user.run({"-c", r.err.substr(command, r.err.find(" --force\n", command) + 8 - command)}, {}, "sh");
  ASSERT_EQ(finish.status, 0) << finish.err;
  EXPECT_EQ(difference(turned, snapshot(cut)), "");

  const std::string reference_album = user / "reference/album";
  ASSERT_EQ(user.run(build(reference_album)).status, 0);
  const auto reference = snapshot(reference_album);
  for (const std::string moment : {"size1/P0000004.JPG", "movie0/CLIP0001.mp4", "thumb/P0000002.JPG", "index.html"}) {
    SCOPED_TRACE("update killed at " + moment);
    // Everything but the originals and the texts is made again; "thumb"
    // itself stays, as the album's first build made it.
    for (const auto& entry : fs::directory_iterator(reference_album)) {
      const std::string name = entry.path().filename().string();
      if (name != "original" && name != "txt" && name != "thumb") fs::remove_all(entry.path());
    }
    for (const auto& entry : fs::directory_iterator(reference_album + "/thumb")) fs::remove(entry.path());
    ASSERT_EQ(user.run_killed_when(with_settings({"update", reference_album}), reference_album + "/" + moment),
              user_t::killed);
    const result_t again = user.run(with_settings({"update", reference_album}));
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(difference(reference, snapshot(reference_album)), "");
  }
  EXPECT_EQ(testutil::folder_state(camera), camera_before);
}

// Ctrl-C stops a build within moments, also in the middle of a movie
// conversion that would never end by itself, says how to finish, and a
// plain update then gives the album an uninterrupted build gives.
TEST_F(UsersData, ABuildStoppedWithCtrlCIsCompletedByAPlainUpdate) {
  const std::string reference = user / "reference/album", album = user / "stopped/album";
  ASSERT_EQ(user.run(build(reference)).status, 0);
  args_t args = build(album);
  args.insert(args.begin(), {"--set", "ffmpeg=-c:v libx264 -vf loop=loop=-1:size=1"});
  const result_t stopped = user.run_interrupted_when(args, album + "/movie0/CLIP0001.mp4.tmpPID-0.mp4");
  EXPECT_EQ(stopped.status, 130) << stopped.err;
  EXPECT_EQ(stopped.err, "pictora-cli: stopped. What was built is kept; pictora-cli update " + album + " finishes it.\n");
  EXPECT_FALSE(fs::exists(album + "/movie0/CLIP0001.mp4"));
  const result_t r = user.run(with_settings({"update", album}));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(difference(snapshot(reference), snapshot(album)), "");
  EXPECT_EQ(testutil::folder_state(camera), camera_before);
}

TEST_F(UsersData, OneJobAndFourJobsMakeTheSameBookAndReports) {
  // Two pictures cut short among pictures, a turned one, a movie and a
  // sound; then an update of the book that has lost levels and has an
  // empty picture, which fails.
  const std::string whole = testutil::read_file(camera + "/P0000001.JPG");
  testutil::write_file(camera + "/P0000005.JPG", whole.substr(0, whole.size() / 2));
  testutil::write_file(camera + "/P0000007.JPG", whole.substr(0, whole.size() * 3 / 4));
  const args_t picks = {"--pick", "P0000001.JPG", "--pick", "P0000002.JPG:90", "--pick", "P0000005.JPG",
                        "--pick", "P0000003.JPG", "--pick", "CLIP0001.MOV", "--pick", "P0000007.JPG",
                        "--pick", "VOICE001.WAV", "--pick", "P0000004.JPG"};
  std::map<std::string, std::string> trees[2];
  std::string reports[2];
  for (const char* jobs : {"1", "4"}) {
    SCOPED_TRACE(jobs);
    const std::string album = book + "/day";
    args_t args = build(album, picks);
    args.insert(args.end(), {"--jobs", jobs});
    const result_t made = user.run(args);
    EXPECT_EQ(made.status, 0) << made.err;
    for (const char* lost : {"/size1", "/thumb/P0000003.JPG"}) fs::remove_all(album + lost);
    testutil::write_file(album + "/original/P0000006.JPG", "");
    const result_t updated = user.run(with_settings({"update", book, "--jobs", jobs}));
    EXPECT_EQ(updated.status, 1);
    reports[jobs[0] == '4'] = made.err + updated.err;
    trees[jobs[0] == '4'] = snapshot(book);
    fs::rename(book, book + jobs);
  }
  EXPECT_EQ(difference(trees[0], trees[1]), "");
  EXPECT_EQ(reports[0], reports[1]);
  EXPECT_NE(reports[0].find("P0000006.JPG"), std::string::npos) << reports[0];
}

// Pages written side by side by many jobs are each whole: a page ends with
// its closing tag after a complete generation line, every run, and every
// run succeeds. The pages are removed before each run so that all are
// written again.
TEST_F(UsersData, PagesWrittenByManyJobsAreWhole) {
  const std::string picture = testutil::read_file(camera + "/P0000003.JPG");
  for (const auto& entry : fs::directory_iterator(camera)) fs::remove(entry.path());
  for (int i = 0; i < 60; ++i) testutil::write_file(camera + "/IMG_" + std::to_string(1000 + i) + ".JPG", picture);
  const std::string album = book + "/day";
  // Four levels, and so four zoom pages, a picture.
  const args_t small = {"--quiet", "--set", "shrink_size=40,40"};
  args_t make = small;
  make.insert(make.end(), {"make-album", camera, album, "--title", "Many", "--jobs", "8"});
  ASSERT_EQ(user.run(make).status, 0);
  const std::regex whole("\nHTML Generated: [^\n]+ \\([^\n]+\\)\n<!-- hhmts end -->\n</BODY>\n</HTML>\n$");
  for (int run = 0; run < 30; ++run) {
    fs::remove_all(album + "/html");
    fs::create_directory(album + "/html");
    args_t update = small;
    update.insert(update.end(), {"update", album, "--jobs", "8"});
    const result_t r = user.run(update, {"TZ=Europe/Berlin"});
    ASSERT_EQ(r.status, 0) << "run " << run << ": " << r.err;
    size_t pages = 0;
    for (const auto& entry : fs::directory_iterator(album + "/html")) {
      ++pages;
      ASSERT_TRUE(std::regex_search(testutil::read_file(entry.path()), whole)) << "run " << run << ": " << entry.path();
    }
    ASSERT_EQ(pages, 240u);
  }
}

// Where no symbolic link can be made (a link target longer than the system
// takes stands in for a file system without them) the full size is a hard
// link to the original, which keeps its bytes.
TEST(FullSize, IsAHardLinkWhereNoSymbolicLinkCanBeMade) {
  testutil::TempDir album;
  testutil::make_dirs(album / "original");
  testutil::make_dirs(album / "size0");
  testutil::write_file(album / "original/a.jpg", "picture");
  libutils::report_log_t log;
  ASSERT_TRUE(pictora::copyjpeg(album / "original/a.jpg", album / "size0/a.jpg", std::string(5000, 'x'), log));
  EXPECT_EQ("", log.text());
  EXPECT_EQ(fs::hard_link_count(album / "original/a.jpg"), 2u);
  EXPECT_EQ(testutil::read_file(album / "original/a.jpg"), "picture");
}

}  // namespace
}  // namespace safety
