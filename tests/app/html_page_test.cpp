#include "app/html_page.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/global.h"
#include "app/shrink.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using lines_t = std::list<std::string>;

class HtmlPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testutil::load_english_catalogue();
    saved_ = g_global;
  }
  void TearDown() override { g_global = saved_; }

 private:
  global_t saved_;
};

TEST_F(HtmlPageTest, CommentLinesBecomeBreaksAndParagraphs) {
  struct comment_case {
    lines_t lines;
    unsigned long long indent;
    std::string expected;
  };
  const comment_case cases[] = {
      {{"a", "b", "", "c"}, 1, "\t<br>a\n\t<br>b\n\t<p>c\n"},
      {{}, 3, ""},
      {{"", "first"}, 0, "<p>first\n"},
      {{"x", "", "", "y"}, 2, "\t\t<br>x\n\t\t<p>\t\t<p>y\n"},
      {{"x", ""}, 1, "\t<br>x\n\t<p>"},
      {{"<b>bold</b> & \"co\" \xe5\xa4\x8f"}, 0, "<br><b>bold</b> & \"co\" \xe5\xa4\x8f\n"},
  };
  for (const comment_case& c : cases) {
    std::ostringstream os;
    lines_t lines = c.lines;
    writephotocomment(os, lines, c.indent);
    EXPECT_EQ(os.str(), c.expected) << c.expected;
  }
}

TEST_F(HtmlPageTest, CommentTextSplitsAtLineFeedsAndLosesLineEnds) {
  struct split_case {
    std::string text;
    lines_t expected;
  };
  const split_case cases[] = {
      {"a\r\nb\r\n\r\nc\r\n", {"a", "b", "", "c"}},
      {"x\r\r\ny", {"x", "y"}},
      {"\r\nz", {"", "z"}},
      {"", {}},
      {" keep \t\r\n", {" keep \t"}},
  };
  for (const split_case& c : cases) EXPECT_EQ(comment_lines(c.text), c.expected) << c.text;
}

TEST_F(HtmlPageTest, NoteNamesTheClassificationsInFixedOrder) {
  album_t album;
  album.best_list.entries = {"b.jpg", "all.jpg", "bf.jpg"};
  album.apply_list.entries = {"all.jpg"};
  album.submit_list.entries = {"all.jpg"};
  album.print_list.entries = {"all.jpg", "pu.jpg"};
  album.upload_list.entries = {"all.jpg", "pu.jpg"};
  album.fail_list.entries = {"f.jpg", "bf.jpg"};
  album.good_list.entries = {"g.jpg"};
  struct note_case {
    std::string name;
    bool with_fail;
    std::string expected;
  };
  const note_case cases[] = {
      {"b.jpg", true, " (Best)"},
      {"all.jpg", true, " (Best, Apply, Submit, Print, Upload)"},
      {"pu.jpg", false, " (Print, Upload)"},
      {"bf.jpg", true, " (Best)"},
      {"f.jpg", true, " (Fail)"},
      {"f.jpg", false, ""},
      {"g.jpg", true, ""},
      {"none.jpg", true, ""},
  };
  for (const note_case& c : cases) {
    EXPECT_EQ(classification_note(album, c.name, c.with_fail), c.expected) << c.name;
  }
}

TEST_F(HtmlPageTest, LevelAndZoomPageNames) {
  using names = std::vector<std::string>;
  EXPECT_EQ(picture_levels(0), (names{"size0", "size1", "thumb"}));
  EXPECT_EQ(picture_levels(2), (names{"size0", "size1", "size2", "size3", "thumb"}));
  EXPECT_EQ(halved(1920, 1), 960u);
  EXPECT_EQ(halved(1080, 3), 135u);
  EXPECT_EQ(halved(0xffffffffu, 31), 1u);
  EXPECT_EQ(halved(0xffffffffu, 32), 0u);
  EXPECT_EQ(zoom_pages("P1", "_", 1, 2), (names{"P1_1.html", "P1_2.html"}));
  EXPECT_EQ(zoom_pages("m", "_1_", 1, 0), names{});
  EXPECT_EQ(zoom_pages("m", "_2_", 0, 3), (names{"m_2_0.html", "m_2_1.html", "m_2_2.html"}));
}

TEST_F(HtmlPageTest, AlbumHeadAndFootWithAndWithoutOptionalLines) {
  struct page_case {
    std::string header;
    std::string address;
    const char* closing;
    std::string expected;
  };
  const std::string body =
      "\t<CENTER><h1>A <i>trip</i></h1></CENTER>\n"
      "<br>day one\n";
  const std::string foot_end =
      "<!-- hhmts start -->\n"
      "HTML Generated: TIME (ZONE)\n"
      "<!-- hhmts end -->\n"
      "</BODY>\n"
      "</HTML>\n";
  const page_case cases[] = {
      {"<meta charset=\"UTF-8\">", "me@example.org", "<p>\n",
       "<HTML>\n<HEAD>\n\t<meta charset=\"UTF-8\">\n\t<title>A <i>trip</i></title>\n</HEAD>\n\n<BODY>\n" + body +
           "<p>\n" + "<p>closing\n<p><center><a href=\"../index.html\">UP</a></center>\n<hr>\n" +
           "\t<address>me@example.org</address>\n" + foot_end},
      {"", "", "<br>\n\n",
       "<HTML>\n<HEAD>\n\t<title>A <i>trip</i></title>\n</HEAD>\n\n<BODY>\n" + body + "<br>\n\n" +
           "<p>closing\n<p><center><a href=\"../index.html\">UP</a></center>\n<hr>\n" + foot_end},
  };
  for (const page_case& c : cases) {
    g_global.html_header = c.header;
    g_global.html_address = c.address;
    std::ostringstream os;
    lines_t head{"day one"}, last{"", "closing"};
    write_album_head(os, "A <i>trip</i>", head, c.closing);
    write_album_foot(os, last);
    EXPECT_EQ(testutil::without_time(os.str()), c.expected);
  }
}

TEST_F(HtmlPageTest, PageStartWithoutTitle) {
  g_global.html_header = "<meta x>";
  std::ostringstream os;
  write_page_start(os, nullptr);
  EXPECT_EQ(os.str(), "<HTML>\n<HEAD>\n\t<meta x>\n</HEAD>\n\n<BODY>\n");
}

TEST_F(HtmlPageTest, GenerationTimeNamesTheStandardZone) {
  ::setenv("TZ", "PST8PDT", 1);
  tzset();
  std::ostringstream os;
  write_page_foot(os);
  const std::string page = os.str();
  EXPECT_NE(page.find("\nHTML Generated: "), std::string::npos) << page;
  EXPECT_NE(page.find(" (PST)\n<!-- hhmts end -->\n"), std::string::npos) << page;
  ::unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace pictora
