#include "app/html_best.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <list>
#include <regex>
#include <sstream>
#include <vector>

#include "app/exif.h"
#include "app/global.h"
#include "app/html_book.h"
#include "app/html_zoom.h"
#include "app/movie.h"
#include "libutils/dirutil.h"
#include "tests/support/album_fixture.h"
#include "tests/support/book_fixture.h"
#include "tests/support/browser.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::without_time;

const std::string s_frame = "<table align=left border=5><td>";
const std::string s_unframe = "</table>";

std::string page_head(const std::string& title, const std::string& comment) {
  return "<HTML>\n<HEAD>\n\t<meta charset=\"UTF-8\">\n\t<title>" + title + "</title>\n</HEAD>\n\n<BODY>\n" +
         "\t<CENTER><h1>" + title + "</h1></CENTER>\n" + comment + "<p>\n";
}

std::string page_foot(const std::string& comment) {
  return comment +
         "<p><center><a href=\"../index.html\">UP</a></center>\n"
         "<hr>\n"
         "\t<address>best@example.org</address>\n"
         "<!-- hhmts start -->\n"
         "HTML Generated: TIME (ZONE)\n"
         "<!-- hhmts end -->\n"
         "</BODY>\n"
         "</HTML>\n";
}

// The album page block of a picture at shrink level 0 behind prefix p.
std::string level0_entry(const std::string& p, const std::string& name, const std::string& note,
                         bool framed) {
  return "\t<li>" + p + name + note + "\n\t<br>" + (framed ? s_frame : "") + "<IMG SRC=\"" + p + "size0/" +
         name + "\" ALIGN=\"left\">" + (framed ? s_unframe : "") + "\n\t<br clear=all>\n\t<p>\n\n";
}

// The thumbnail page line of a picture at shrink level 0 behind prefix p.
std::string level0_thumb(const std::string& p, const std::string& name, bool border) {
  return "<a href=\"" + p + "size0/" + name + "\"><IMG SRC=\"" + p + "thumb/" + name + "\" SRCSET=\"" + p +
         "size1/" + name + " 1x," + p + "size0/" + name + " 2x\"" + (border ? "border=2" : "") + "></a>\n";
}

class BestPageTest : public ::testing::Test {
 protected:
  // First, so that the fixtures below are made under these settings.
  testutil::page_settings_t settings_{"best@example.org"};
  void SetUp() override { testutil::load_english_catalogue(); }

  // Runs make with two progress signals; their reports go to index_ and
  // list_, the standard error stream to err_.
  template <typename Make>
  bool run(Make&& make) {
    sigc::signal<void, double> index, list;
    index.connect([this](double f) { index_.push_back(f); });
    list.connect([this](double f) { list_.push_back(f); });
    bool ok = false;
    err_ = testutil::capture_stderr([&] { ok = make(index, list); });
    return ok;
  }
  bool make_best() {
    return run([this](sigc::signal<void, double>& i, sigc::signal<void, double>& l) {
      return makebesthtml(fx_.book(), i, l);
    });
  }
  bool make_book(e_bestname_t kind) {
    return run([this, kind](sigc::signal<void, double>& i, sigc::signal<void, double>& l) {
      return makebestbookhtml(fx_.book(), kind, i, l);
    });
  }

  // A level-0 picture in album fixture a, listed in the given lists.
  static void small_picture(testutil::album_fixture& a, const std::string& name) {
    a.add_picture(name, 64, 48, 0, false);
  }

  testutil::book_fixture fx_;
  std::vector<double> index_, list_;
  std::string err_;
};

// The book of the "_Best" tests: two dated albums with good entries (one of
// them secret), an album without lists, a sub-book and an "_" directory
// that both hold a good picture, and the book's own "txt".
class BestOfBookTest : public BestPageTest {
 protected:
  void SetUp() override {
    BestPageTest::SetUp();
    testutil::album_fixture may, june, empty, sub, hidden;
    may.add_picture("a.jpg", 256, 192, 2, false);
    may.add_picture("b.JPEG", 64, 48, 0, true);
    may.add_sound("s.mp3");
    may.add_file("original/notes.txt", "no kind");
    may.set_comment("a", "Wave\r\n");
    may.set_list("good.txt", {"s.mp3", "b.JPEG", "notes.txt"});
    may.set_list("best.txt", {"a.jpg"});
    may.set_list("print.txt", {"a.jpg"});
    may.set_list("fail.txt", {"b.JPEG"});
    june.add_picture("c.jpg", 128, 96, 1, false);
    june.set_list("upload.txt", {"c.jpg"});
    june.add_file("txt/secret.txt", "");
    small_picture(sub, "x.jpg");
    sub.set_list("good.txt", {"x.jpg"});
    small_picture(hidden, "y.jpg");
    hidden.set_list("good.txt", {"y.jpg"});
    fx_.adopt(may, "2021-05-01");
    fx_.adopt(june, "2021-06-01");
    fx_.adopt(empty, "2020-empty");
    fx_.adopt(sub, "trips/x");
    fx_.adopt(hidden, "_Old");
    std::ostringstream caption;
    writeexif(caption, path_t{fx_.book().base, "book", "2021-05-01"}, "original", "b.JPEG", true);
    caption_ = caption.str();
    ASSERT_NE(caption_, "");
  }

  std::string caption_;
};

TEST_F(BestOfBookTest, GathersTheGoodEntriesOfTheBooksAlbumsNewestFirst) {
  fx_.set_comment("_Best", "Best of <i>2021</i>", "Top\r\n", "More\r\n");
  ASSERT_TRUE(make_best()) << err_;
  EXPECT_EQ(err_, "");
  const std::string june = "../2021-06-01/", may = "../2021-05-01/";
  EXPECT_EQ(
      without_time(read_file(fx_.path("_Best/index.html"))),
      page_head("Best of <i>2021</i>", "<br>Top\n") +
          // 2021-06-01, secret but gathered: c.jpg at level 1, only in upload
          "\t<li>" + june + "c.jpg (Upload)\n" + "\t<br><a href=\"" + june + "size0/c.jpg\">128x96 (" +
          fx_.kb("2021-06-01/size0/c.jpg") + "k)</a>\n" + "\t<br>" + s_frame + "<a href=\"" + june +
          "size0/c.jpg\"><IMG SRC=\"" + june + "size1/c.jpg\" SRCSET=\"" + june + "size1/c.jpg 1x," + june +
          "size0/c.jpg 2x\" ALIGN=\"left\"></a>" + s_unframe + "\n\t<br clear=all>\n\t<p>\n\n" + "<hr>\n" +
          // 2021-05-01: a.jpg at level 2, best and print, with a comment
          "\t<li>" + may + "a.jpg (Best, Print)\n" + "\t<br><a href=\"" + may + "size0/a.jpg\">256x192 (" +
          fx_.kb("2021-05-01/size0/a.jpg") + "k)</a>\n" + "\t<br><a href=\"" + may +
          "html/a_1.html\">128x96 (" + fx_.kb("2021-05-01/size1/a.jpg") + "k)</a>\n" + "\t<br>" + s_frame +
          "<a href=\"" + may + "html/a_1.html\"><IMG SRC=\"" + may + "size2/a.jpg\" SRCSET=\"" + may +
          "size2/a.jpg 1x," + may + "size1/a.jpg 2x\" ALIGN=\"left\"></a>" + s_unframe + "\n" +
          "\t<br>Wave\n\t<br clear=all>\n\t<p>\n\n" +
          // b.JPEG: good and failed, with a caption; notes.txt has no kind
          "\t<li>" + may + "b.JPEG (Fail)\n" + "\t<br><IMG SRC=\"" + may +
          "size0/b.JPEG\" ALIGN=\"left\">\n\t<br clear=all>\n" + caption_ + "\t<p>\n\n" +
          // s.mp3: its own closing line, then the closing pair of every entry
          "\t<li>" + may + "s.mp3\n\t<br>\n\t<audio controls src=\"" + may +
          "original/s.mp3\">\n\t</audio>\t<br clear=all>\n\t<p>\n\t<p>\n\n" + "<hr>\n" +
          page_foot("<br>More\n"));
  EXPECT_EQ(without_time(read_file(fx_.path("_Best/list.html"))),
            page_head("Best of <i>2021</i>", "<br>Top\n") + "<a href=\"" + june +
                "html/c_1.html\"><IMG SRC=\"" + june + "thumb/c.jpg\" SRCSET=\"" + june + "size2/c.jpg 1x," +
                june + "size1/c.jpg 2x\"border=2></a>\n" + " | <a href=\"" + may +
                "html/a_2.html\"><IMG SRC=\"" + may + "thumb/a.jpg\" SRCSET=\"" + may + "size3/a.jpg 1x," +
                may + "size2/a.jpg 2x\"border=2></a>\n" + level0_thumb(may, "b.JPEG", false) + "<a href=\"" +
                may + "original/s.mp3\">s.mp3</a>\n" + " | \n" + page_foot("<br>More\n"));
  EXPECT_EQ(read_file(fx_.path("_Best/txt/count.txt")), "+3+1\n");
  // trips, 2021-06-01, 2021-05-01, 2020-empty: one report per album and page.
  const std::vector<double> quarters{0.25, 0.5, 0.75, 1.0};
  EXPECT_EQ(index_, quarters);
  EXPECT_EQ(list_, quarters);
  // A title that is set is kept as it is.
  EXPECT_EQ(read_file(fx_.path("_Best/txt/head.txt")),
            "Best of <i>2021</i>\r\nBest of <i>2021</i>\r\nTop\r\n");
}

TEST_F(BestOfBookTest, EveryLinkAndImageOfTheCollectionReachesAFileInTheBrowser) {
  if (!testutil::have_chromium()) GTEST_SKIP() << "chromium is not installed";
  sigc::signal<void, double> ignored;
  for (const char* album : {"2021-05-01", "2021-06-01"}) {
    ASSERT_TRUE(makehtmlzoom(path_t{fx_.book().base, "book", album}, ignored));
  }
  std::ostringstream log;
  ASSERT_TRUE(makehtmlbook(fx_.book(), log)) << log.str();
  ASSERT_TRUE(make_best()) << err_;
  const std::pair<const char*, const char*> pages[] = {
      {"_Best/index.html", "<img src=\"../2021-05-01/size2/a.jpg\" srcset=\"../2021-05-01/size2/a.jpg 1x,"},
      {"_Best/list.html", "<img src=\"../2021-06-01/thumb/c.jpg\" srcset=\"../2021-06-01/size2/c.jpg 1x,"},
  };
  for (const auto& [page, element] : pages) {
    std::string dom;
    ASSERT_TRUE(testutil::browser_dom(fx_.path(page), dom)) << dom;
    // Attribute values as the browser parsed them; of a srcset, each URL.
    const std::regex attribute("(src|href|srcset)=\"([^\"]*)\"");
    std::vector<std::string> urls;
    for (std::sregex_iterator it(dom.begin(), dom.end(), attribute), end; it != end; ++it) {
      std::istringstream candidates((*it)[2].str());
      for (std::string candidate; std::getline(candidates, candidate, ',');) {
        urls.push_back(candidate.substr(0, candidate.find(' ')));
      }
    }
    EXPECT_GE(urls.size(), 8u) << page << "\n" << dom;
    for (const std::string& url : urls) {
      EXPECT_TRUE(testutil::exists(fx_.path("_Best/" + url))) << page << ": " << url;
    }
    EXPECT_NE(dom.find(element), std::string::npos) << page << "\n" << dom;
  }
}

TEST_F(BestPageTest, BookWithoutGoodEntriesGetsHeadFootAndTheDefaultTitleSaved) {
  testutil::album_fixture plain;
  small_picture(plain, "p.jpg");
  fx_.adopt(plain, "2022");
  ASSERT_TRUE(make_best()) << err_;
  const std::string title = "book Selection";
  EXPECT_EQ(without_time(read_file(fx_.path("_Best/index.html"))), page_head(title, "") + page_foot(""));
  EXPECT_EQ(without_time(read_file(fx_.path("_Best/list.html"))),
            page_head(title, "") + "\n" + page_foot(""));
  EXPECT_EQ(read_file(fx_.path("_Best/txt/count.txt")), "+0\n");
  EXPECT_EQ(read_file(fx_.path("_Best/txt/head.txt")), title + "\r\n" + title + "\r\n");
  EXPECT_EQ(read_file(fx_.path("_Best/txt/last.txt")), "");
  // Written under temporary names, none of which stays behind.
  std::list<std::string> files;
  libutils::getfiles(files, fx_.path("_Best").c_str());
  EXPECT_EQ(files, (std::list<std::string>{"index.html", "list.html"}));
  EXPECT_EQ(index_, std::vector<double>{1.0});
  EXPECT_EQ(list_, std::vector<double>{1.0});
}

TEST_F(BestPageTest, GoodMovieIsShownWithItsSizeLinksPlayerAndThumbnail) {
  testutil::album_fixture album;
  if (!album.add_movie("clip.MOV", 128, 96, 1)) GTEST_SKIP() << "ffmpeg cannot make the test movie";
  album.set_comment("clip", "Moving\r\n");
  album.set_list("best.txt", {"clip.MOV"});
  fx_.adopt(album, "m");
  fx_.set_comment("_Best", "Films", "", "");
  libgr::direction2ul_t size;
  std::string duration, rate;
  ffidentify(fx_.path("m/movie0/clip.mp4"), size, duration, rate);
  ASSERT_FALSE(duration.empty());
  ASSERT_TRUE(make_best()) << err_;
  const std::string p = "../m/";
  EXPECT_EQ(without_time(read_file(fx_.path("_Best/index.html"))),
            page_head("Films", "") + "\t<li>" + p + "clip.MOV (Best)\n" + "\t<br><a href=\"" + p +
                "original/clip.MOV\">128x96 (" + fx_.kb("m/original/clip.MOV") + "k)</a>\n" +
                "\t<br><a href=\"" + p + "movie0/clip.mp4\">128x96 (" + fx_.kb("m/movie0/clip.mp4") +
                "k)</a> <a href=\"" + p + "html/clip_2_0.html\">Retina128x96 (" +
                fx_.kb("m/movie0/clip.mp4") + "k)</a>\n" + "\t<br>\n" + "\t" + s_frame +
                "<video controls src=\"" + p + "movie1/clip.mp4\">\n" + "\t</video>" + s_unframe + "\n" +
                "\t<br>Moving\n" + "\t<br clear=all>\n" + "\t" + duration + ", " + rate + "\n" +
                "\t<p>\n\t<p>\n\n<hr>\n" + page_foot(""));
  EXPECT_EQ(without_time(read_file(fx_.path("_Best/list.html"))),
            page_head("Films", "") + "<a href=\"" + p + "html/clip_1_1.html\"><IMG SRC=\"" + p +
                "movie2/clip.jpg\" SRCSET=\"" + p + "movie2/clip.jpg 1x," + p +
                "movie1/clip.jpg 2x\"border=2></a>\n" + " | \n" + page_foot(""));
  EXPECT_EQ(read_file(fx_.path("_Best/txt/count.txt")), "1+0\n");
}

// A level file that cannot be read ends the collection: the album page stays
// as far as written, the later files are not written.
TEST_F(BestPageTest, BrokenLevelFileEndsTheCollection) {
  testutil::album_fixture album;
  album.add_picture("a.jpg", 256, 192, 2, false);
  album.set_list("good.txt", {"a.jpg"});
  album.add_file("size1/a.jpg", "not a jpeg");
  fx_.adopt(album, "a");
  EXPECT_FALSE(make_best());
  EXPECT_NE(err_.find(fx_.path("a/size1/a.jpg") + ": jpeg analyze_markers() failed.\n"), std::string::npos)
      << err_;
  const std::string index = read_file(fx_.path("_Best/index.html"));
  const std::string tail =
      "\t<li>../a/a.jpg\n\t<br><a href=\"../a/size0/a.jpg\">256x192 (" + fx_.kb("a/size0/a.jpg") + "k)</a>\n";
  ASSERT_GE(index.size(), tail.size());
  EXPECT_EQ(index.substr(index.size() - tail.size()), tail);
  EXPECT_FALSE(testutil::exists(fx_.path("_Best/list.html")));
  EXPECT_FALSE(testutil::exists(fx_.path("_Best/txt/count.txt")));
}

// The collection's "txt" is a plain file: no title can be saved and the
// counter file cannot be created, while both pages are written.
TEST_F(BestPageTest, CounterFileThatCannotBeCreatedIsReported) {
  fx_.add_file("_Best/txt", "in the way");
  EXPECT_FALSE(make_best());
  EXPECT_NE(err_.find(fx_.path("_Best/txt/count.txt") + ": open error, Not a directory\n"), std::string::npos)
      << err_;
  EXPECT_TRUE(testutil::exists(fx_.path("_Best/index.html")));
  EXPECT_TRUE(testutil::exists(fx_.path("_Best/list.html")));
}

TEST_F(BestPageTest, BookThatCannotBeListedWritesNoPage) {
  const path_t missing{fx_.book().base, "nothing", ""};
  std::string dir;
  missing.make(dir);
  for (int kind = -1; kind <= bestname_upload; ++kind) {
    const bool ok = run([&](sigc::signal<void, double>& i, sigc::signal<void, double>& l) {
      return kind < 0 ? makebesthtml(missing, i, l) : makebestbookhtml(missing, e_bestname_t(kind), i, l);
    });
    EXPECT_FALSE(ok) << kind;
    EXPECT_NE(err_.find(dir + ": getdirs() fail.\n"), std::string::npos) << err_;
  }
  EXPECT_FALSE(testutil::exists(dir));
}

TEST(BestBookDir, EachKindHasItsDirectoryAndOtherValuesMeanBest) {
  const std::pair<int, const char*> cases[] = {
      {0, "_FailBook"},  {1, "_GoodBook"},   {2, "_BestBook"}, {3, "_ApplyBook"}, {4, "_SubmitBook"},
      {5, "_PrintBook"}, {6, "_UploadBook"}, {7, "_BestBook"}, {-1, "_BestBook"},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(list_kind(e_bestname_t(c.first)).bestbook, c.second) << c.first;
}

// A tree for the best books: an album in the book, two albums named day1 in
// the sub-books trips and other, an album x in trips, and a secret album
// and a secret sub-book whose entries never appear.
class BestBookTest : public BestPageTest {
 protected:
  void SetUp() override {
    BestPageTest::SetUp();
    testutil::album_fixture b, day1, day1b, x, secret_album, secret_sub;
    for (const char* name : {"p.jpg", "q.jpg", "r.jpg"}) small_picture(b, name);
    b.set_list("best.txt", {"p.jpg", "q.jpg"});
    b.set_list("print.txt", {"q.jpg"});
    b.set_list("apply.txt", {"r.jpg"});
    small_picture(day1, "d.jpg");
    day1.set_list("best.txt", {"d.jpg"});
    small_picture(day1b, "e.jpg");
    day1b.set_list("best.txt", {"e.jpg"});
    day1b.set_list("apply.txt", {"e.jpg"});
    small_picture(x, "x.jpg");
    x.set_list("best.txt", {"x.jpg"});
    x.set_list("upload.txt", {"x.jpg"});
    for (testutil::album_fixture* hidden : {&secret_album, &secret_sub}) {
      small_picture(*hidden, "s.jpg");
      hidden->set_list("best.txt", {"s.jpg"});
      hidden->set_list("apply.txt", {"s.jpg"});
      hidden->set_list("upload.txt", {"s.jpg"});
    }
    secret_album.add_file("txt/secret.txt", "");
    fx_.adopt(b, "2021b");
    fx_.adopt(day1, "trips/day1");
    fx_.adopt(day1b, "other/day1");
    fx_.adopt(x, "trips/x");
    fx_.adopt(secret_album, "2021a");
    fx_.adopt(secret_sub, "secret/y");
    fx_.add_file("secret/txt/secret.txt", "");
    fx_.set_comment("trips", "Trips", "", "");
    testutil::make_dirs(fx_.path("_Best/original"));
  }
};

TEST_F(BestBookTest, CollectsOneListOverTheWholeTreeByAlbumName) {
  struct kind_case {
    e_bestname_t kind;
    std::string dir;
    std::string index;  // the entries of index.html
    std::string list;   // the lines of list.html
    std::string count;
  };
  const std::string b = "../2021b/", t = "../trips/day1/", o = "../other/day1/", x = "../trips/x/";
  const kind_case cases[] = {
      // Only what a further list holds is framed and noted; best never
      // borders on the thumbnail page.
      {bestname_best, "_BestBook",
       level0_entry(b, "p.jpg", "", false) + level0_entry(b, "q.jpg", " (Best, Print)", true) + "<hr>\n" +
           level0_entry(t, "d.jpg", "", false) + "<hr>\n" + level0_entry(o, "e.jpg", " (Best, Apply)", true) +
           "<hr>\n" + level0_entry(x, "x.jpg", " (Best, Upload)", true) + "<hr>\n",
       level0_thumb(b, "p.jpg", false) + level0_thumb(b, "q.jpg", true) + " | " +
           level0_thumb(t, "d.jpg", false) + " | " + level0_thumb(o, "e.jpg", true) + " | " +
           level0_thumb(x, "x.jpg", true) + " | \n",
       "+5\n"},
      // Every apply entry is bordered, only those in a further list framed.
      {bestname_apply, "_ApplyBook",
       level0_entry(b, "r.jpg", "", false) + "<hr>\n" + level0_entry(o, "e.jpg", " (Best, Apply)", true) +
           "<hr>\n",
       level0_thumb(b, "r.jpg", true) + " | " + level0_thumb(o, "e.jpg", true) + " | \n", "+2\n"},
      // Good holds everything of the other lists, fail holds nothing here.
      {bestname_good, "_GoodBook",
       level0_entry(b, "p.jpg", " (Best)", true) + level0_entry(b, "q.jpg", " (Best, Print)", true) +
           level0_entry(b, "r.jpg", " (Apply)", true) + "<hr>\n" + level0_entry(t, "d.jpg", " (Best)", true) +
           "<hr>\n" + level0_entry(o, "e.jpg", " (Best, Apply)", true) + "<hr>\n" +
           level0_entry(x, "x.jpg", " (Best, Upload)", true) + "<hr>\n",
       level0_thumb(b, "p.jpg", false) + level0_thumb(b, "q.jpg", true) + level0_thumb(b, "r.jpg", true) +
           " | " + level0_thumb(t, "d.jpg", false) + " | " + level0_thumb(o, "e.jpg", true) + " | " +
           level0_thumb(x, "x.jpg", true) + " | \n",
       "+6\n"},
      {bestname_fail, "_FailBook", "", "\n", "+0\n"},
  };
  for (const kind_case& c : cases) {
    index_.clear();
    list_.clear();
    ASSERT_TRUE(make_book(c.kind)) << err_;
    const std::string title = "book Selection";
    EXPECT_EQ(without_time(read_file(fx_.path(c.dir + "/index.html"))),
              page_head(title, "") + c.index + page_foot(""))
        << c.dir;
    EXPECT_EQ(without_time(read_file(fx_.path(c.dir + "/list.html"))),
              page_head(title, "") + c.list + page_foot(""))
        << c.dir;
    EXPECT_EQ(read_file(fx_.path(c.dir + "/txt/count.txt")), c.count) << c.dir;
    // 2021b, trips/day1, other/day1, trips/x.
    const std::vector<double> quarters{0.25, 0.5, 0.75, 1.0};
    EXPECT_EQ(index_, quarters) << c.dir;
    EXPECT_EQ(list_, quarters) << c.dir;
  }
}

TEST_F(BestBookTest, UploadBookWithoutUploadEntriesHasHeadAndFootOnly) {
  std::filesystem::remove(fx_.path("trips/x/txt/upload.txt"));
  ASSERT_TRUE(make_book(bestname_upload)) << err_;
  const std::string title = "book Selection";
  EXPECT_EQ(without_time(read_file(fx_.path("_UploadBook/index.html"))),
            page_head(title, "") + page_foot(""));
  EXPECT_EQ(without_time(read_file(fx_.path("_UploadBook/list.html"))),
            page_head(title, "") + "\n" + page_foot(""));
  EXPECT_EQ(read_file(fx_.path("_UploadBook/txt/count.txt")), "+0\n");
}

}  // namespace
}  // namespace pictora
