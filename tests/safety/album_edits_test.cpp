// Changing an album that holds a user's work: pictures added to it keep its
// texts, lists, comments and secret mark; a picture taken out leaves the
// album it would be without that picture and its original whole in the
// folder named, its movie copies gone too; a dry run changes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace safety {
namespace {

namespace fs = std::filesystem;

// A user's album: built with texts and a secret mark, one picture good
// with flags and a comment.
void make_worked_album(const user_t& user, const std::string& camera, const std::string& album) {
  for (const words_t& words :
       {words_t{"make-album", camera, album, "--title", "Day", "--head", "Morning", "--last", "End", "--secret"},
        words_t{"mark", album, "P1.JPG", "--best", "--print"}, words_t{"comment", album, "P1.JPG", "The harbour"}}) {
    words_t args = {"--quiet"};
    args.insert(args.end(), words.begin(), words.end());
    const result_t r = user.run(args);
    ASSERT_EQ(r.status, 0) << r.err;
  }
}

// Every entry below dir with its size and modification time, links as links.
std::string tree_listing(const std::string& dir) {
  std::string out;
  for (auto it = fs::recursive_directory_iterator(dir); it != fs::recursive_directory_iterator(); ++it) {
    struct stat st;
    ::lstat(it->path().c_str(), &st);
    out += it->path().string() + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec) + "\n";
  }
  return out;
}

// The entries without the empty text files (a removal leaves its lists
// behind empty, where an album that never had the picture has none).
std::map<std::string, std::string> without_empty_lists(std::map<std::string, std::string> entries) {
  for (auto it = entries.begin(); it != entries.end();)
    it = it->first.find("txt/") != std::string::npos && it->second.empty() ? entries.erase(it) : std::next(it);
  return entries;
}

TEST(AlbumEdits, AddingPicturesKeepsWhatTheUserDid) {
  user_t user;
  testutil::make_dirs(user / "first");
  testutil::make_dirs(user / "second");
  testutil::make_dirs(user / "all");
  for (const char* name : {"P1.JPG", "P2.JPG"}) {
    testutil::write_jpeg(user / "first/" + name, {320, 240});
    testutil::write_jpeg(user / "all/" + name, {320, 240});
  }
  testutil::write_jpeg(user / "second/P3.JPG", {240, 320});
  testutil::write_jpeg(user / "all/P3.JPG", {240, 320});
  // The same pictures built at once.
  make_worked_album(user, user / "all", user / "whole/book/Day");
  const auto expected = snapshot(user / "whole/book");

  const words_t adds[] = {{"add", user / "second", "ALBUM"}, {"make-album", user / "second", "ALBUM", "--force"}};
  for (const words_t& add : adds) {
    SCOPED_TRACE(add[0]);
    fs::remove_all(user / "twice");
    make_worked_album(user, user / "first", user / "twice/book/Day");
    words_t args = {"--quiet"};
    for (const std::string& word : add) args.push_back(word == "ALBUM" ? user / "twice/book/Day" : word);
    const result_t r = user.run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(difference(expected, snapshot(user / "twice/book")), "");
  }
  // A file that would share the pages of one already in the album, and a
  // folder that is no album, are refused with nothing written.
  testutil::write_jpeg(user / "second/P1.jpg", {64, 64});
  const std::string before = tree_listing(user / "twice");
  for (const std::string& album : {user / "twice/book/Day", user / "twice/book"}) {
    const result_t refused = user.run({"--quiet", "add", user / "second", album});
    EXPECT_EQ(refused.status, 2) << refused.err;
  }
  EXPECT_EQ(tree_listing(user / "twice"), before);
}

TEST(AlbumEdits, RemovingAPictureMovesItsOriginalAndLeavesTheAlbumWithoutIt) {
  user_t user;
  testutil::make_dirs(user / "camera");
  testutil::make_dirs(user / "without");
  for (const char* name : {"P1.JPG", "P2.JPG", "P3.JPG"}) {
    testutil::write_jpeg(user / "camera/" + name, {320, 240});
    if (std::string(name) != "P2.JPG") testutil::write_jpeg(user / "without/" + name, {320, 240});
  }
  testutil::write_movie(user / "camera/M1.mov", testutil::movie_options(160, 120));
  make_worked_album(user, user / "without", user / "expected/book/Day");
  const std::string album = user / "book/Day";
  make_worked_album(user, user / "camera", album);
  // The picture to go is good, flagged and commented, in the pages of
  // "_Best" too.
  for (const words_t& words : {words_t{"mark", album, "P2.JPG", "--upload"}, words_t{"comment", album, "P2.JPG", "Gone"}})
    ASSERT_EQ(user.run(words).status, 0);
  struct stat original;
  ::stat((album + "/original/P2.JPG").c_str(), &original);

  // Refusals first: nothing is touched.
  testutil::make_dirs(user / "full");
  testutil::write_file(user / "full/P2.JPG", "mine");
  const std::string before = tree_listing(user.home.path());
  const words_t refusals[] = {{"remove", album, "P9.JPG", "--to", user / "gone"},
                              {"remove", album, "P2.JPG", "--to", user / "full"},
                              {"remove", album, "P2.JPG", "--to", album + "/thumb/away"},
                              {"remove", album, "P2.JPG"}};
  for (const words_t& words : refusals) {
    const result_t r = user.run(words);
    EXPECT_EQ(r.status, 2) << r.err;
  }
  EXPECT_EQ(tree_listing(user.home.path()), before);

  const result_t r = user.run({"--quiet", "remove", album, "P2.JPG", "M1.mov", "--to", user / "gone"});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* name : {"P2.JPG", "M1.mov"})
    EXPECT_EQ(testutil::read_file(user / "gone/" + name), testutil::read_file(user / "camera/" + name));
  struct stat moved;
  ::stat((user / "gone/P2.JPG").c_str(), &moved);
  EXPECT_EQ(moved.st_mtim.tv_sec, original.st_mtim.tv_sec);
  EXPECT_EQ(difference(without_empty_lists(snapshot(user / "expected/book")), without_empty_lists(snapshot(user / "book"))), "");
}

TEST(AlbumEdits, ADryRunChangesNothing) {
  user_t user;
  testutil::make_dirs(user / "camera");
  testutil::make_dirs(user / "more");
  testutil::write_jpeg(user / "camera/P1.JPG", {320, 240});
  testutil::write_jpeg(user / "more/P2.JPG", {320, 240});
  const std::string album = user / "book/Day";
  ASSERT_EQ(user.run({"--quiet", "make-album", user / "camera", album, "--title", "Day"}).status, 0);
  fs::remove(album + "/thumb/P1.JPG");  // an update has work to do
  const std::string before = tree_listing(user.home.path());
  const struct {
    words_t words;
    const char* says;  // a line the run prints
  } runs[] = {
      {{"make-album", user / "more", user / "book/Night", "--title", "Night"},
       "copy @/more/P2.JPG to @/book/Night/original/P2.JPG\n"},
      {{"add", user / "more", album}, "make the size levels and thumbnail of P2.JPG\n"},
      {{"update", user / "book"}, "make the size levels and thumbnail of P1.JPG\n"},
      {{"update", album}, "write @/book/Day/index.html and @/book/Day/list.html\n"},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.words[0]);
    words_t args = run.words;
    args.push_back("--dry-run");
    const result_t r = user.run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string says = run.says;
    for (size_t at; (at = says.find('@')) != std::string::npos;) says.replace(at, 1, user.home.path());
    EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
    EXPECT_EQ(tree_listing(user.home.path()), before);
  }
}

}  // namespace
}  // namespace safety
