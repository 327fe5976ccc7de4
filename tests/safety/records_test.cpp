// The texts a user keeps with an album, through the bytes of their files:
// classification lists, title and comments, picture comments, as the
// editors read and write them; and the scratch folder the album creation
// dialog makes its movie stills in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <sstream>

#include "app/album.h"
#include "app/import.h"
#include "tests/support/test_util.h"

namespace {

TEST(AlbumTexts, ListsAndCommentsReadAndWrittenAsTheirFilesSay) {
  testutil::TempDir base;
  const pictora::path_t album{base.path(), "", "day"};
  const std::string txt = base / "day/txt/";
  testutil::make_dirs(txt);
  // Unsorted, doubled, CR LF and LF, padding and an empty line; a best
  // picture missing from good; no print list at all.
  testutil::write_file(txt + "best.txt", "b.jpg\r\na.jpg \r\nb.jpg\n\r\n\t\n");
  testutil::write_file(txt + "good.txt", "c.jpg\r\n");
  for (const char* list : {"apply.txt", "submit.txt", "upload.txt", "fail.txt"}) testutil::write_file(txt + list, "");

  pictora::album_t record;
  libutils::report_log_t log;
  EXPECT_FALSE(record.load(album, log));  // print.txt is missing
  EXPECT_TRUE(record.best("a.jpg") && record.good("b.jpg") && record.isfind("b.jpg"));
  EXPECT_FALSE(record.isfind("c.jpg") || record.print("a.jpg") || record.fail("a.jpg"));
  EXPECT_FALSE(record.save());  // nothing the user changed
  EXPECT_EQ(testutil::read_file(txt + "best.txt"), "b.jpg\r\na.jpg \r\nb.jpg\n\r\n\t\n");
  EXPECT_TRUE(record.good_list.save());  // good took in the best pictures
  EXPECT_EQ(testutil::read_file(txt + "good.txt"), "a.jpg\r\nb.jpg\r\nc.jpg\r\n");
  record.print_list.entries = {"z.jpg", "a.jpg"};
  record.print_list.modified = true;
  EXPECT_TRUE(record.save());
  EXPECT_EQ(testutil::read_file(txt + "print.txt"), "a.jpg\r\nz.jpg\r\n");
  record.changed = true;  // shown on the pages although no list changed
  EXPECT_TRUE(record.save());
  EXPECT_FALSE(record.save());

  const struct {
    std::string title, head, last, head_file, last_file;
  } comments[] = {
      {"T", "x", "", "T\r\nT\r\nx\r\n", ""},
      {"Walk", "a\n\nb\n", "<b>end</b>\r\n", "Walk\r\nWalk\r\na\r\n\r\nb\r\n", "<b>end</b>\r\n"},
  };
  for (const auto& c : comments) {
    ASSERT_TRUE(pictora::savecommenttxt(album, c.title, c.head, c.last, log)) << log.text();
    EXPECT_EQ(testutil::read_file(txt + "head.txt"), c.head_file);
    EXPECT_EQ(testutil::read_file(txt + "last.txt"), c.last_file);
    std::string title, head, last;
    EXPECT_TRUE(pictora::loadcommenttxt(album, title, head, last, log));
    EXPECT_EQ(title + "|" + head + "|" + last, c.title + "|" + c.head_file.substr(2 * c.title.size() + 4) + "|" +
                                                   c.last_file);
  }
  // Upper-case names as older cameras' software wrote them; differing title
  // lines are reported and the first one wins.
  std::remove((txt + "head.txt").c_str());
  std::remove((txt + "last.txt").c_str());
  testutil::write_file(txt + "HEAD.TXT", "Old\r\nOld title\r\nhead");
  testutil::write_file(txt + "LAST.TXT", "last");
  std::string title = "kept", head, last = "kept";
  EXPECT_EQ("", log.text());
  pictora::loadcomment(base / "day/txt", title, head, last, log);
  EXPECT_EQ(title + "|" + head + "|" + last, "Old|head|last");
  EXPECT_EQ(log.text(), txt + "HEAD.TXT: title different.\n");
  std::string none = "kept";  // a folder without texts is no fault
  libutils::report_log_t quiet;
  EXPECT_FALSE(pictora::loadcommenttxt({base.path(), "", "gone"}, none, none, none, quiet));
  EXPECT_EQ("", quiet.text());
  EXPECT_EQ(none, "kept");

  // A picture's comment: every line ended with CR LF; empty deletes it.
  std::string comment;
  ASSERT_TRUE(pictora::savephotocomment("A <b>bold</b>\n\nlast\r\n", base / "day", "IMG 1.JPG", quiet));
  EXPECT_EQ(testutil::read_file(txt + "IMG 1.txt"), "A <b>bold</b>\r\n\r\nlast\r\n");
  EXPECT_TRUE(pictora::loadphotocomment(comment, album, "IMG 1.JPG", quiet));
  EXPECT_EQ(comment, "A <b>bold</b>\r\n\r\nlast\r\n");
  std::list<std::string> lines;
  EXPECT_TRUE(pictora::loadphotocommentlines(lines, album, "IMG 1.JPG", quiet));
  EXPECT_EQ(lines, (std::list<std::string>{"A <b>bold</b>\r", "\r", "last\r"}));
  EXPECT_TRUE(pictora::savephotocomment("", base / "day", "IMG 1.JPG", quiet));
  EXPECT_TRUE(pictora::savephotocomment("", base / "day", "IMG 1.JPG", quiet));
  EXPECT_FALSE(testutil::exists(txt + "IMG 1.txt"));
  EXPECT_FALSE(pictora::loadphotocomment(comment, album, "IMG 1.JPG", quiet));
  EXPECT_EQ("", quiet.text());
  EXPECT_FALSE(pictora::savephotocomment("x", base / "nowhere", "a.jpg", quiet));
  EXPECT_EQ(quiet.text(),
            base / "nowhere/txt/a.txt: cannot be written: No such file or directory\n  write open error.\n");
  // A picture named after a list has no comment, rather than the list.
  libutils::report_log_t refused;
  EXPECT_FALSE(pictora::loadphotocomment(comment, album, "print.jpg", refused));
  EXPECT_FALSE(pictora::savephotocomment("x", base / "day", "print.jpg", refused));
  EXPECT_NE("", refused.text());
  EXPECT_EQ(testutil::read_file(txt + "print.txt"), "a.jpg\r\nz.jpg\r\n");
}

TEST(ScratchFolder, MadeOnceUnderTheTemporaryRootAndRemovedWithItsFiles) {
  testutil::TempDir root;
  const char* saved = std::getenv("TEMP");
  const std::string previous = saved ? saved : "";
  setenv("TEMP", root.path().c_str(), 1);
  std::string made;
  {
    pictora::temp_t temp;
    libutils::report_log_t log;
    ASSERT_TRUE(temp.init("pictora", log));
    made = temp.path();
    EXPECT_TRUE(temp.init("other", log));
    EXPECT_EQ(temp.path(), made);
    EXPECT_EQ(made.rfind(root / "pictora", 0), 0u) << made;
    testutil::write_file(made + "/still.jpg", "x");
  }
  EXPECT_FALSE(testutil::exists(made));
  pictora::temp_t unused;
  unused.destroy();
  setenv("TEMP", (root / "missing/deeper").c_str(), 1);
  pictora::temp_t failing;
  libutils::report_log_t log;
  EXPECT_FALSE(failing.init("pictora", log));
  EXPECT_EQ(log.text(), root / "missing/deeper/pictora.XXXXXX: no temporary folder can be made: No such file or "
                               "directory\n  mkdtemp failed.\n");
  if (saved) setenv("TEMP", previous.c_str(), 1); else unsetenv("TEMP");
}

}  // namespace
