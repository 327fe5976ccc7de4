#include "app/html_book.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <list>
#include <sstream>

#include "app/global.h"
#include "libutils/dirutil.h"
#include "tests/support/book_fixture.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::without_time;

const std::string page_foot =
    "<p><center><a href=\"../index.html\">UP</a></center>\n"
    "<hr>\n"
    "\t<address>books@example.org</address>\n"
    "<!-- hhmts start -->\n"
    "HTML Generated: TIME (ZONE)\n"
    "<!-- hhmts end -->\n"
    "</BODY>\n"
    "</HTML>\n";

class BookPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testutil::load_english_catalogue();
    saved_ = g_global;
    g_global.html_header = "<meta charset=\"UTF-8\">";
    g_global.html_address = "books@example.org";
  }
  void TearDown() override { g_global = saved_; }

  // A book title line pair with the given head comment.
  void title_file(const std::string& dir, const std::string& text) {
    fx_.add_file(dir + "/txt/head.txt", text);
  }

  bool make() {
    std::ostringstream log;
    const bool ok = makehtmlbook(fx_.book(), log);
    log_ = log.str();
    return ok;
  }

  testutil::book_fixture fx_;
  std::string log_;

 private:
  global_t saved_;
};

// Albums named by dates, a secret album, a sub-book, a collection, a
// directory without a title file, an album whose title file has no comment
// line, and albums with and without counter and thumbnail page.
TEST_F(BookPageTest, ListsAlbumsAndBooksNewestFirstWithCountsLinksAndFirstCommentLine) {
  fx_.set_comment(".", "My <b>book</b>", "Intro\r\n", "Bye\r\n");
  title_file("2021-05-01", "May\r\nMay\r\nSea <i>blue</i>\r\nsand\r\n");
  fx_.add_file("2021-05-01/txt/count.txt", "3+2+1\r\nignored\r\n");
  fx_.add_file("2021-05-01/list.html", "");
  title_file("2021-12-24", "Xmas\r\nXmas\r\n");
  fx_.add_file("2021-12-24/txt/count.txt", "+4 \t\r\n");
  title_file("2020-01-01", "Old\r\nOld\r\nfirst");  // no counter file
  fx_.add_file("2020-01-01/list.html", "");
  title_file("hidden", "Hidden\r\nHidden\r\nsecret\r\n");
  fx_.add_file("hidden/txt/secret.txt", "");
  fx_.add_file("hidden/txt/count.txt", "+9\r\n");
  fx_.add_file("hidden/list.html", "");
  title_file("trips", "Trips\r\nTrips\r\n\r\n");  // an empty first comment line
  title_file("_Best", "book Selection\r\nbook Selection\r\n");
  testutil::make_dirs(fx_.path("plain/original"));

  ASSERT_TRUE(make()) << log_;
  EXPECT_EQ(log_, "");
  EXPECT_EQ(without_time(read_file(fx_.path("index.html"))),
            "<HTML>\n"
            "<HEAD>\n"
            "\t<meta charset=\"UTF-8\">\n"
            "\t<title>My <b>book</b></title>\n"
            "</HEAD>\n"
            "\n"
            "<BODY>\n"
            "\t<CENTER><h1>My <b>book</b></h1></CENTER>\n"
            "<br>Intro\n"
            "\n"
            "<p><table>\n"
            "\t<tr><th>Name<th>Count<th>Pictures<th>Title<th>Comment\n"
            "\t<tr><td>trips<td><td><td><a href=\"trips/index.html\">Trips</a><td>\n"
            "\t<tr><td>_Best<td><td><td><a href=\"_Best/index.html\">book Selection</a>\n"
            "\t<tr><td>2021-12-24<td>+4<td><td><a href=\"2021-12-24/index.html\">Xmas</a>\n"
            "\t<tr><td>2021-05-01<td>3+2+1<td><a href=\"2021-05-01/list.html\">Pictures</a> "
            "<td><a href=\"2021-05-01/index.html\">May</a><td>Sea <i>blue</i>\n"
            "\t<tr><td>2020-01-01<td><td><a href=\"2020-01-01/list.html\">Pictures</a> "
            "<td><a href=\"2020-01-01/index.html\">Old</a><td>first\n"
            "</table>\n"
            "<br>Bye\n" +
                page_foot);
}

// The head comment is followed by a line end, so text ends in an empty line
// and a closing paragraph mark ends its line.
TEST_F(BookPageTest, HeadCommentEndsWithOneLineEndBeforeTheTable) {
  g_global.html_header = "";
  g_global.html_address = "";
  struct head_case {
    std::string head;
    std::string expected;
  };
  const head_case cases[] = {
      {"", "\n<p><table>\n"},
      {"a\r\nb\r\n", "<br>a\n<br>b\n\n<p><table>\n"},
      {"a\r\n\r\n", "<br>a\n<p>\n<p><table>\n"},
  };
  for (const head_case& c : cases) {
    fx_.set_comment(".", "T", c.head, "");
    ASSERT_TRUE(make()) << log_;
    EXPECT_EQ(without_time(read_file(fx_.path("index.html"))),
              "<HTML>\n<HEAD>\n\t<title>T</title>\n</HEAD>\n\n<BODY>\n\t<CENTER><h1>T</h1></CENTER>\n" +
                  c.expected + "\t<tr><th>Name<th>Count<th>Pictures<th>Title<th>Comment\n</table>\n" +
                  "<p><center><a href=\"../index.html\">UP</a></center>\n<hr>\n<!-- hhmts start -->\n"
                  "HTML Generated: TIME (ZONE)\n<!-- hhmts end -->\n</BODY>\n</HTML>\n")
        << c.head;
  }
}

TEST_F(BookPageTest, BookThatCannotBeListedIsReportedAndGetsNoPage) {
  const path_t missing{fx_.book().base, "nothing", ""};
  std::ostringstream log;
  EXPECT_FALSE(makehtmlbook(missing, log));
  std::string dir;
  missing.make(dir);
  EXPECT_EQ(log.str(), dir + ": getdirs() fail.\n");
  EXPECT_FALSE(testutil::exists(dir + "/index.html"));
}

// The page is replaced, never written through a link that stands in its
// place, and no temporary file stays behind.
TEST_F(BookPageTest, PageReplacesALinkAndLeavesNoTemporaryFile) {
  fx_.add_file("elsewhere.html", "keep");
  ASSERT_EQ(::symlink(fx_.path("elsewhere.html").c_str(), fx_.path("index.html").c_str()), 0);
  ASSERT_TRUE(make()) << log_;
  EXPECT_EQ(read_file(fx_.path("elsewhere.html")), "keep");
  EXPECT_EQ(read_file(fx_.path("index.html")).compare(0, 7, "<HTML>\n"), 0);
  std::list<std::string> files;
  libutils::getfiles(files, fx_.path("").c_str());
  EXPECT_EQ(files, (std::list<std::string>{"elsewhere.html", "index.html"}));
}

}  // namespace
}  // namespace pictora
