#include "app/album.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <sstream>

#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::TempDir;
using testutil::write_file;

using names = std::set<std::string>;

ino_t inode(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// An album directory "trip/day1" below a fresh base, with its "txt".
class AlbumDirTest : public ::testing::Test {
 protected:
  AlbumDirTest() : p{base.path(), "trip", "day1"} {
    testutil::make_dirs(txt(""));
  }
  std::string txt(const std::string& file) const { return base / ("trip/day1/txt/" + file); }

  TempDir base;
  path_t p;
};

using ListTest = AlbumDirTest;

TEST_F(ListTest, ReadsOneNamePerLineInByteOrder) {
  struct list_case {
    std::string bytes;
    names expected;
  };
  const list_case cases[] = {
      {"b.jpg\r\na.jpg\r\nb.jpg\r\n\r\n", {"a.jpg", "b.jpg"}},
      {"b.jpg\na.jpg\r\nc.jpg", {"a.jpg", "b.jpg", "c.jpg"}},
      {std::string("x.jpg \t\0\r\n\t \r\n", 13), {"x.jpg"}},
      {" y.jpg\r\n", {" y.jpg"}},  // only the end of a line is trimmed
      {"IMG 0001.JPG\r\n\xe5\xa4\x8f.jpg\r\nZ.jpg\r\n", {"IMG 0001.JPG", "Z.jpg", "\xe5\xa4\x8f.jpg"}},
      {"", {}},
      {"\r\n \r\n\t\n", {}},
  };
  for (const auto& c : cases) {
    write_file(txt("best.txt"), c.bytes);
    best_t list;
    list.entries = {"stale.jpg"};
    list.modified = true;
    EXPECT_TRUE(list.load(p, "best.txt"));
    EXPECT_EQ(list.path, base.path() + "/trip/day1/txt/best.txt");
    EXPECT_EQ(list.entries, c.expected) << c.bytes;
    EXPECT_EQ(list.has_entries, !c.expected.empty()) << c.bytes;
    EXPECT_FALSE(list.modified);
  }
}

TEST_F(ListTest, MissingFileGivesAnEmptyList) {
  best_t list;
  list.entries = {"stale.jpg"};
  EXPECT_FALSE(list.load(p, "print.txt"));
  EXPECT_EQ(list.path, txt("print.txt"));
  EXPECT_TRUE(list.entries.empty());
  EXPECT_FALSE(list.has_entries);
}

TEST_F(ListTest, SavesOnlyWhenModifiedInByteOrderWithCrLf) {
  write_file(txt("good.txt"), "b.jpg\r\na.jpg\nb.jpg\r\n\r\n");
  best_t list;
  ASSERT_TRUE(list.load(p, "good.txt"));
  EXPECT_FALSE(list.save());
  EXPECT_EQ(read_file(txt("good.txt")), "b.jpg\r\na.jpg\nb.jpg\r\n\r\n");

  list.entries.insert("\xe5\xa4\x8f 1.jpg");
  list.entries.insert("B.jpg");
  list.modified = true;
  EXPECT_TRUE(list.save());
  EXPECT_FALSE(list.modified);
  EXPECT_EQ(read_file(txt("good.txt")), "B.jpg\r\na.jpg\r\nb.jpg\r\n\xe5\xa4\x8f 1.jpg\r\n");

  list.entries.clear();
  list.modified = true;
  EXPECT_TRUE(list.save());
  EXPECT_EQ(read_file(txt("good.txt")), "");
}

TEST_F(ListTest, FailedSaveKeepsModifiedForTheNextTry) {
  best_t list;
  list.load(path_t{base.path(), "absent", ""}, "best.txt");
  list.entries = {"a.jpg"};
  list.modified = true;
  EXPECT_FALSE(list.save());
  EXPECT_TRUE(list.modified);
  EXPECT_FALSE(testutil::exists(base / "absent"));
}

using AlbumTest = AlbumDirTest;

TEST_F(AlbumTest, ClassifiedPicturesAreAddedToGood) {
  write_file(txt("best.txt"), "x.jpg\r\n");
  write_file(txt("apply.txt"), "a.jpg\r\n");
  write_file(txt("submit.txt"), "");
  write_file(txt("print.txt"), "y.jpg\r\nx.jpg\r\n");
  write_file(txt("upload.txt"), "u.jpg\r\n");
  write_file(txt("good.txt"), "a.jpg\r\n");
  write_file(txt("fail.txt"), "z.jpg\r\n");
  album_t album;
  album.changed = true;
  EXPECT_TRUE(album.load(p));
  std::string dir;
  album.path.make(dir);
  EXPECT_EQ(dir, base.path() + "/trip/day1");
  EXPECT_FALSE(album.changed);
  EXPECT_EQ(album.good_list.entries, (names{"a.jpg", "u.jpg", "x.jpg", "y.jpg"}));
  EXPECT_TRUE(album.good_list.modified);
  EXPECT_EQ(album.fail_list.entries, names{"z.jpg"});
  EXPECT_FALSE(album.best_list.modified);

  EXPECT_TRUE(album.good_list.save());
  EXPECT_EQ(read_file(txt("good.txt")), "a.jpg\r\nu.jpg\r\nx.jpg\r\ny.jpg\r\n");
}

TEST_F(AlbumTest, GoodStaysUnmodifiedWhenItHasEverything) {
  write_file(txt("best.txt"), "x.jpg\r\n");
  write_file(txt("good.txt"), "x.jpg\r\n");
  album_t album;
  EXPECT_FALSE(album.load(p));  // five list files are missing
  EXPECT_FALSE(album.good_list.modified);
}

TEST_F(AlbumTest, MissingListsLoadEmpty) {
  album_t album;
  EXPECT_FALSE(album.load(path_t{base.path(), "", "nothing"}));
  for (const best_t* list : {&album.best_list, &album.apply_list, &album.submit_list, &album.print_list,
                             &album.upload_list, &album.good_list, &album.fail_list}) {
    EXPECT_TRUE(list->entries.empty());
    EXPECT_FALSE(list->modified);
  }
}

TEST_F(AlbumTest, MembershipTests) {
  write_file(txt("best.txt"), "b.jpg\r\n");
  write_file(txt("apply.txt"), "a.jpg\r\n");
  write_file(txt("submit.txt"), "s.jpg\r\n");
  write_file(txt("print.txt"), "p.jpg\r\n");
  write_file(txt("upload.txt"), "u.jpg\r\n");
  write_file(txt("good.txt"), "g.jpg\r\n");
  write_file(txt("fail.txt"), "f.jpg\r\n");
  album_t album;
  ASSERT_TRUE(album.load(p));
  // Columns: best apply submit print upload good fail isfind.
  const std::pair<const char*, std::vector<bool>> cases[] = {
      {"b.jpg", {1, 0, 0, 0, 0, 1, 0, 1}}, {"a.jpg", {0, 1, 0, 0, 0, 1, 0, 1}},
      {"s.jpg", {0, 0, 1, 0, 0, 1, 0, 1}}, {"p.jpg", {0, 0, 0, 1, 0, 1, 0, 1}},
      {"u.jpg", {0, 0, 0, 0, 1, 1, 0, 1}}, {"g.jpg", {0, 0, 0, 0, 0, 1, 0, 0}},
      {"f.jpg", {0, 0, 0, 0, 0, 0, 1, 0}}, {"B.jpg", {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& [name, in] : cases) {
    const std::vector<bool> got = {album.best(name),   album.apply(name), album.submit(name),
                                   album.print(name),  album.upload(name), album.good(name),
                                   album.fail(name),   album.isfind(name)};
    EXPECT_EQ(got, in) << name;
  }
}

TEST_F(AlbumTest, SaveWithNothingChangedTouchesNoFile) {
  write_file(txt("best.txt"), "x.jpg\r\n");
  album_t album;
  album.load(p);
  const ino_t before = inode(txt("best.txt"));
  EXPECT_FALSE(album.save());
  EXPECT_EQ(inode(txt("best.txt")), before);
  for (const char* file : {"apply.txt", "submit.txt", "print.txt", "upload.txt", "good.txt", "fail.txt"})
    EXPECT_FALSE(testutil::exists(txt(file))) << file;
}

TEST_F(AlbumTest, SaveWritesTheFiveClassificationsOnly) {
  write_file(txt("best.txt"), "x.jpg\r\n");
  album_t album;
  album.load(p);
  ASSERT_TRUE(album.good_list.modified);  // x.jpg was added
  album.upload_list.entries.insert("y.jpg");
  album.upload_list.modified = true;
  album.fail_list.modified = true;
  EXPECT_TRUE(album.save());
  EXPECT_EQ(read_file(txt("upload.txt")), "y.jpg\r\n");
  EXPECT_FALSE(testutil::exists(txt("good.txt")));
  EXPECT_FALSE(testutil::exists(txt("fail.txt")));
  EXPECT_FALSE(album.save());
}

TEST_F(AlbumTest, SaveReportsAChangeEvenWithoutWriting) {
  album_t album;
  album.load(p);
  album.changed = true;
  EXPECT_TRUE(album.save());
  EXPECT_FALSE(album.changed);
  EXPECT_FALSE(album.save());
  EXPECT_FALSE(testutil::exists(txt("best.txt")));
}

using CommentTest = AlbumDirTest;

TEST_F(CommentTest, HeadFileGivesTitleTwiceThenTheHeadComment) {
  struct head_case {
    std::string bytes;
    std::string title, head;  // expected, starting from "old" and "old head"
    std::string report;       // after the file's path
  };
  const head_case cases[] = {
      {"T\r\nT\r\nhello\r\n\r\nworld\r\n", "T", "hello\r\n\r\nworld\r\n", ""},
      {"T\nT\nx", "T", "x", ""},
      {"A\r\nB\r\nx\r\n", "A", "x\r\n", ": title different.\nA\r\nB\r\n"},
      {"T", "T", "", ": title different.\nT\n\n"},
      {"T\r\n", "T", "", ": title different.\nT\r\n\n"},
      {"T\r\nT\r\n", "T", "", ""},
      {"", "old", "", ""},
      {"\r\n\r\nx", "", "x", ""},  // a line end alone is a title, an empty one
      {"\n\nx", "old", "x", ""},
  };
  for (const auto& c : cases) {
    write_file(txt("head.txt"), c.bytes);
    std::string title = "old", head = "old head", last = "old last";
    const std::string err = testutil::capture_stderr([&] { loadcomment(txt(""), title, head, last); });
    EXPECT_EQ(title, c.title) << c.bytes;
    EXPECT_EQ(head, c.head) << c.bytes;
    EXPECT_EQ(last, "old last");
    EXPECT_EQ(err, c.report.empty() ? "" : txt("") + "/head.txt" + c.report) << c.bytes;
  }
}

TEST_F(CommentTest, UpperCaseNamesAreTheFallback) {
  write_file(txt("HEAD.TXT"), "U\r\nU\r\nupper");
  write_file(txt("LAST.TXT"), "LAST");
  std::string title, head, last;
  loadcomment(txt(""), title, head, last);
  EXPECT_EQ(title, "U");
  EXPECT_EQ(head, "upper");
  EXPECT_EQ(last, "LAST");

  write_file(txt("head.txt"), "l\r\nl\r\nlower");
  write_file(txt("last.txt"), "a\r\n\r\nb");
  loadcomment(txt(""), title, head, last);
  EXPECT_EQ(title, "l");
  EXPECT_EQ(head, "lower");
  EXPECT_EQ(last, "a\r\n\r\nb");
}

TEST_F(CommentTest, MissingFilesLeaveTheTextsAlone) {
  std::string title = "t", head = "h", last = "l";
  std::string err = testutil::capture_stderr([&] { EXPECT_TRUE(loadcommenttxt(p, title, head, last)); });
  EXPECT_EQ(err, "");
  EXPECT_EQ(title + head + last, "thl");
}

TEST_F(CommentTest, MissingTxtDirectoryIsReported) {
  const path_t none{base.path(), "trip", "none"};
  std::string title = "t", head = "h", last = "l";
  std::string err = testutil::capture_stderr([&] { EXPECT_FALSE(loadcommenttxt(none, title, head, last)); });
  EXPECT_EQ(err, base.path() + "/trip/none/txt: stat fail, No such file or directory\n");
  EXPECT_EQ(title + head + last, "thl");
}

TEST_F(CommentTest, SavedCommentsHaveCrLfLinesAndTheTitleTwice) {
  struct save_case {
    std::string title, head, last;
    std::string head_file, last_file;
  };
  const save_case cases[] = {
      {"T", "x", "", "T\r\nT\r\nx\r\n", ""},
      {"T", "a\n", "b", "T\r\nT\r\na\r\n", "b\r\n"},         // no extra empty line
      {"T", "a\n\nb", "\n", "T\r\nT\r\na\r\n\r\nb\r\n", "\r\n"},  // the empty middle line stays
      {"T", "a\r\nb\r\r\n", "", "T\r\nT\r\na\r\nb\r\n", ""},
      {"", "", "", "\r\n\r\n", ""},
      {"\xe5\xa4\x8f trip", "\xe6\xb5\xb7", "", "\xe5\xa4\x8f trip\r\n\xe5\xa4\x8f trip\r\n\xe6\xb5\xb7\r\n", ""},
  };
  const path_t book{base.path(), "new book", ""};
  testutil::make_dirs(base / "new book");  // without "txt"
  for (const auto& c : cases) {
    std::ostringstream log;
    EXPECT_TRUE(savecommenttxt(book, c.title, c.head, c.last, log));
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(read_file(base / "new book/txt/head.txt"), c.head_file) << c.head;
    EXPECT_EQ(read_file(base / "new book/txt/last.txt"), c.last_file) << c.last;
  }
}

TEST_F(CommentTest, SavedCommentsLoadBack) {
  std::ostringstream log;
  ASSERT_TRUE(savecommenttxt(p, "Summer", "first\nsecond\n", "bye", log));
  std::string title, head, last;
  std::string err = testutil::capture_stderr([&] { EXPECT_TRUE(loadcommenttxt(p, title, head, last)); });
  EXPECT_EQ(err, "");
  EXPECT_EQ(title, "Summer");
  EXPECT_EQ(head, "first\r\nsecond\r\n");
  EXPECT_EQ(last, "bye\r\n");
}

TEST_F(CommentTest, UnwritableCommentIsLogged) {
  write_file(base / "flat", "");
  const path_t blocked{base.path(), "", "flat"};  // "txt" cannot be made below a file
  std::ostringstream log;
  std::string err = testutil::capture_stderr([&] { EXPECT_FALSE(savecommenttxt(blocked, "T", "", "", log)); });
  EXPECT_EQ(err, "");
  EXPECT_EQ(log.str(), base.path() + "/flat/txt/head.txt: file open fail, Not a directory\n");
}

using PhotoCommentTest = AlbumDirTest;

TEST_F(PhotoCommentTest, CommentFileIsNamedAfterThePicturesStem) {
  const std::pair<const char*, const char*> cases[] = {
      {"IMG_0001.JPG", "IMG_0001.txt"},
      {"my photo.jpeg", "my photo.txt"},
      {"\xe5\xa4\x8f\xe3\x81\xae\xe6\xb5\xb7.jpg", "\xe5\xa4\x8f\xe3\x81\xae\xe6\xb5\xb7.txt"},
      {"clip.2021.mp4", "clip.2021.txt"},
  };
  std::string dir;
  p.make(dir);
  for (const auto& [picture, file] : cases) {
    EXPECT_TRUE(savephotocomment("one\ntwo\r\n\nthree", dir, picture));
    EXPECT_EQ(read_file(txt(file)), "one\r\ntwo\r\n\r\nthree\r\n") << picture;
    std::string out;
    EXPECT_TRUE(loadphotocomment(out, p, picture));
    EXPECT_EQ(out, "one\r\ntwo\r\n\r\nthree\r\n");
    EXPECT_TRUE(savephotocomment("", dir, picture));
    EXPECT_FALSE(testutil::exists(txt(file))) << picture;
  }
}

TEST_F(PhotoCommentTest, ReadsTheUpperCaseNameAndKeepsBytes) {
  write_file(txt("A.TXT"), "upper\r\nend");
  std::string out = "old";
  EXPECT_TRUE(loadphotocomment(out, p, "A.JPG"));
  EXPECT_EQ(out, "upper\r\nend");

  std::list<std::string> lines = {"kept"};
  EXPECT_TRUE(loadphotocommentlines(lines, p, "A.JPG"));
  EXPECT_EQ(lines, (std::list<std::string>{"kept", "upper\r", "end"}));
}

TEST_F(PhotoCommentTest, MissingCommentLeavesOutputsAlone) {
  std::string out = "old";
  EXPECT_FALSE(loadphotocomment(out, p, "none.jpg"));
  EXPECT_EQ(out, "old");
  std::list<std::string> lines = {"kept"};
  EXPECT_FALSE(loadphotocommentlines(lines, p, "none.jpg"));
  EXPECT_EQ(lines, std::list<std::string>{"kept"});
}

TEST_F(PhotoCommentTest, RemovingAnAbsentCommentSucceeds) {
  std::string dir;
  p.make(dir);
  EXPECT_TRUE(savephotocomment("", dir, "none.jpg"));
}

TEST_F(PhotoCommentTest, MissingTxtDirectoryIsReported) {
  const std::string dir = base / "trip/none";
  bool ok = true;
  std::string err = testutil::capture_stderr([&] { ok = savephotocomment("x", dir, "a.jpg"); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, dir + "/txt/a.txt: write open error, No such file or directory\n");
  EXPECT_FALSE(testutil::exists(dir));
}

}  // namespace
}  // namespace pictora
