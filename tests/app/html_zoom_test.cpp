#include "app/html_zoom.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/global.h"
#include "app/movie.h"
#include "libutils/dirutil.h"
#include "tests/support/album_fixture.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::without_time;

const std::string page_start = "<HTML>\n<HEAD>\n\t<meta charset=\"UTF-8\">\n</HEAD>\n\n<BODY>\n";
const std::string page_foot =
    "<hr>\n"
    "<!-- hhmts start -->\n"
    "HTML Generated: TIME (ZONE)\n"
    "<!-- hhmts end -->\n"
    "</BODY>\n"
    "</HTML>\n";

class ZoomPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testutil::load_english_catalogue();
    saved_ = g_global;
    g_global.shrink_size = {64, 48};
    g_global.html_header = "<meta charset=\"UTF-8\">";
    g_global.html_address = "";
  }
  void TearDown() override { g_global = saved_; }

  // Runs a zoom page function with its progress reports collected.
  bool run(bool (*make)(const path_t&, sigc::signal<void, double>&)) {
    sigc::signal<void, double> progress;
    progress.connect([this](double f) { progress_.push_back(f); });
    return make(fx_.album(), progress);
  }

  std::string page(const std::string& name) const {
    return without_time(read_file(fx_.path("html/" + name)));
  }

  testutil::album_fixture fx_;
  std::vector<double> progress_;

 private:
  global_t saved_;
};

TEST_F(ZoomPageTest, EachPictureLevelLeadsOneLevelLarger) {
  fx_.add_picture("a.jpg", 256, 192, 2, true);
  fx_.add_picture("b.jpg", 128, 96, 1, false);
  fx_.add_picture("c.jpg", 64, 48, 0, true);
  fx_.add_thumbnail_only("d.jpg");
  fx_.set_comment("a", "Wave\r\n\r\nby the sea\r\n");
  fx_.set_list("best.txt", {"a.jpg"});
  fx_.set_list("upload.txt", {"a.jpg"});
  fx_.set_list("fail.txt", {"b.jpg"});
  ASSERT_NE(fx_.expand("{caption:a.jpg}"), "");
  ASSERT_TRUE(run(makehtmlzoom));

  const std::string a_body =
      "\t<br>Wave\n"
      "\t<p>by the sea\n"
      "\t<br clear=all>\n"
      "{caption:a.jpg}";
  EXPECT_EQ(page("a_1.html"), page_start + "\t<li>a.jpg (Best, Upload)\n\t<br clear=all>\n" +
                                  "<a href=\"../size0/a.jpg\"><IMG SRC=\"../size1/a.jpg\" "
                                  "SRCSET=\"../size1/a.jpg 1x,../size0/a.jpg 2x\" ALIGN=\"left\"></a>\n" +
                                  fx_.expand(a_body) + page_foot);
  EXPECT_EQ(page("a_2.html"), page_start + "\t<li>a.jpg (Best, Upload)\n\t<br clear=all>\n" +
                                  "<a href=\"a_1.html\"><IMG SRC=\"../size2/a.jpg\" "
                                  "SRCSET=\"../size2/a.jpg 1x,../size1/a.jpg 2x\" ALIGN=\"left\"></a>\n" +
                                  fx_.expand(a_body) + page_foot);
  // The fail list gives no note on a zoom page.
  EXPECT_EQ(page("b_1.html"), page_start + "\t<li>b.jpg\n\t<br clear=all>\n" +
                                  "<a href=\"../size0/b.jpg\"><IMG SRC=\"../size1/b.jpg\" "
                                  "SRCSET=\"../size1/b.jpg 1x,../size0/b.jpg 2x\" ALIGN=\"left\"></a>\n"
                                  "\t<br clear=all>\n" +
                                  page_foot);
  std::list<std::string> pages;
  ASSERT_TRUE(libutils::getfiles(pages, fx_.path("html").c_str()));
  EXPECT_EQ(pages, (std::list<std::string>{"a_1.html", "a_2.html", "b_1.html"}));
  EXPECT_EQ(progress_, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
}

TEST_F(ZoomPageTest, MoviePlainAndRetinaPages) {
  if (!fx_.add_movie("clip.MOV", 128, 96, 1)) GTEST_SKIP() << "ffmpeg cannot make the test movie";
  fx_.add_sound("song.wav");
  fx_.add_picture("p.jpg", 64, 48, 0, false);
  fx_.set_list("submit.txt", {"clip.MOV"});
  libgr::direction2ul_t size;
  std::string duration, rate;
  ffidentify(fx_.path("original/clip.MOV"), size, duration, rate);
  ASSERT_NE(duration, "");
  const std::string info = "\t" + duration + ", " + rate + "\n";
  ASSERT_TRUE(run(makehtmlffzoom));

  const std::string head = page_start + "\t<li>clip.mp4 (Submit)\n\t<br clear=all>\n";
  EXPECT_EQ(page("clip_1_1.html"), head +
                                       "\t<video controls>\n"
                                       "\t<source src=\"../movie1/clip.mp4\">\n"
                                       "\t</video>\t<br clear=all>\n" +
                                       info + "\t<p>\n" + page_foot);
  EXPECT_EQ(page("clip_2_0.html"),
            head +
                "\t<video controls  width=\"64px\" height=\"48px\" src=\"../movie0/clip.mp4\">\n"
                "\t</video>\n"
                "\t<br clear=all>\n" +
                info + page_foot);
  std::list<std::string> pages;
  ASSERT_TRUE(libutils::getfiles(pages, fx_.path("html").c_str()));
  EXPECT_EQ(pages, (std::list<std::string>{"clip_1_1.html", "clip_2_0.html"}));
  // One report per listed file, movie or not.
  EXPECT_EQ(progress_, (std::vector<double>{1.0 / 3, 2.0 / 3, 1.0}));
}

TEST_F(ZoomPageTest, MissingListingWritesNothingAndSucceeds) {
  std::filesystem::remove_all(fx_.path("thumb"));
  std::filesystem::remove_all(fx_.path("original"));
  EXPECT_TRUE(run(makehtmlzoom));
  EXPECT_TRUE(run(makehtmlffzoom));
  EXPECT_TRUE(std::filesystem::is_empty(fx_.path("html")));
  EXPECT_TRUE(progress_.empty());
}

TEST_F(ZoomPageTest, PageThatCannotBeCreatedIsReported) {
  fx_.add_picture("a.jpg", 256, 192, 2, false);
  fx_.add_file("html", "a file where the directory belongs");
  bool ok = true;
  const std::string err = testutil::capture_stderr([&] { ok = run(makehtmlzoom); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, fx_.path("html/a_1.html") + ": write open error.\n");
  EXPECT_TRUE(progress_.empty());
}

TEST_F(ZoomPageTest, PagesAreReplacedAsAWhole) {
  fx_.add_picture("a.jpg", 128, 96, 1, false);
  testutil::make_dirs(fx_.path("html"));
  fx_.add_file("kept.html", "keep");
  ASSERT_EQ(::symlink(fx_.path("kept.html").c_str(), fx_.path("html/a_1.html").c_str()), 0);
  fx_.add_file("html/a_7.html", "a level that no longer exists");
  ASSERT_TRUE(run(makehtmlzoom));
  EXPECT_EQ(read_file(fx_.path("kept.html")), "keep");
  EXPECT_EQ(page("a_1.html").compare(0, page_start.size(), page_start), 0);
  EXPECT_EQ(read_file(fx_.path("html/a_7.html")), "a level that no longer exists");
}

}  // namespace
}  // namespace pictora
