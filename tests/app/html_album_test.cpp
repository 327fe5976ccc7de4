#include "app/html_album.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "app/exif.h"
#include "app/global.h"
#include "app/html_entry.h"
#include "app/movie.h"
#include "tests/support/album_fixture.h"
#include "tests/support/browser.h"
#include "tests/support/page_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::without_time;

std::string page_head(const std::string& closing) {
  return "<HTML>\n<HEAD>\n\t<meta charset=\"UTF-8\">\n\t<title>Summer "
         "<b>trip</b></title>\n</HEAD>\n\n<BODY>\n"
         "\t<CENTER><h1>Summer <b>trip</b></h1></CENTER>\n"
         "<br>Day one\n"
         "<p>by the sea\n" +
         closing;
}

const std::string page_foot =
    "<br>The end\n"
    "<p><center><a href=\"../index.html\">UP</a></center>\n"
    "<hr>\n"
    "\t<address>pictora@example.org</address>\n"
    "<!-- hhmts start -->\n"
    "HTML Generated: TIME (ZONE)\n"
    "<!-- hhmts end -->\n"
    "</BODY>\n"
    "</HTML>\n";

class PageSettings : public ::testing::Test {
 protected:
  // First, so that the fixtures below are made under these settings.
  testutil::page_settings_t settings_{"pictora@example.org"};
  void SetUp() override { testutil::load_english_catalogue(); }

  // makehtml with its progress reports collected; log text in log_.
  bool make() {
    sigc::signal<void, double> progress;
    progress.connect([this](double f) { progress_.push_back(f); });
    std::ostringstream log;
    const bool ok = makehtml(fx_.album(), progress, log);
    log_ = log.str();
    return ok;
  }

  testutil::album_fixture fx_;
  std::vector<double> progress_;
  std::string log_;
};

// An album with a movie, a sound, three pictures at shrink levels 2, 1 and 0
// (the first and last with EXIF), a thumbnail without source, a file of no
// kind, comments and classification lists.
class AlbumPageTest : public PageSettings {
 protected:
  void SetUp() override {
    PageSettings::SetUp();
    if (!fx_.add_movie("clip.MOV", 128, 96, 1)) GTEST_SKIP() << "ffmpeg cannot make the test movie";
    fx_.add_sound("song.WAV");
    fx_.add_picture("a.jpg", 256, 192, 2, true);
    fx_.add_picture("b.jpg", 128, 96, 1, false);
    fx_.add_picture("c.JPG", 64, 48, 0, true);
    fx_.add_thumbnail_only("d.jpg");
    fx_.add_file("original/readme.doc", "not shown");
    fx_.set_album_comment("Summer <b>trip</b>", "Day one\r\n\r\nby the sea\r\n", "The end\r\n");
    fx_.set_comment("a", "Wave\r\n<i>big</i> one\r\n");
    fx_.set_comment("clip", "Moving\r\n");
    fx_.set_list("best.txt", {"a.jpg"});
    fx_.set_list("print.txt", {"a.jpg"});
    fx_.set_list("upload.txt", {"clip.MOV"});
    fx_.set_list("fail.txt", {"b.jpg"});
    fx_.set_list("good.txt", {"song.WAV", "c.JPG"});
    libgr::direction2ul_t size;
    ffidentify(fx_.path("movie0/clip.mp4"), size, duration_, rate_);
    ASSERT_FALSE(duration_.empty());
  }

  std::string duration_, rate_;
};

TEST_F(AlbumPageTest, AlbumPageShowsEveryEntryWithLinksCommentsAndCaptions) {
  ASSERT_TRUE(make()) << log_;
  const std::string cap_a = fx_.expand("{caption:a.jpg}");
  const std::string cap_c = fx_.expand("{caption:c.JPG}");
  ASSERT_NE(cap_a, "");
  ASSERT_NE(cap_c, "");
  const std::string body = fx_.expand(
      // the movie: source, level 0 with its retina page, the player of level n
      "\t<li>clip.MOV (Upload)\n"
      "\t<br><a href=\"original/clip.MOV\">128x96 ({kb:original/clip.MOV}k)</a>\n"
      "\t<br><a href=\"movie0/clip.mp4\">128x96 ({kb:movie0/clip.mp4}k)</a> "
      "<a href=\"html/clip_2_0.html\">Retina128x96 ({kb:movie0/clip.mp4}k)</a>\n"
      "\t<br>\n"
      "\t{T}<video controls src=\"movie1/clip.mp4\">\n"
      "\t</video>{/T}\n"
      "\t<br>Moving\n"
      "\t<br clear=all>\n"
      "\t{info}\n"
      "\t<p>\n"
      // the sound, good and so framed
      "\t<li>song.WAV\n"
      "\t<br>\n"
      "\t{T}<audio controls src=\"original/song.WAV\">\n"
      "\t</audio>{/T}\t<br clear=all>\n"
      "\t<p>\n"
      // level 2: two size links, shown at size2, a click leads to level 1
      "\t<li>a.jpg (Best, Print)\n"
      "\t<br><a href=\"size0/a.jpg\">256x192 ({kb:size0/a.jpg}k)</a>\n"
      "\t<br><a href=\"html/a_1.html\">128x96 ({kb:size1/a.jpg}k)</a>\n"
      "\t<br>{T}<a href=\"html/a_1.html\"><IMG SRC=\"size2/a.jpg\" SRCSET=\"size2/a.jpg 1x,size1/a.jpg 2x\" "
      "ALIGN=\"left\"></a>{/T}\n"
      "\t<br>Wave\n"
      "\t<br><i>big</i> one\n"
      "\t<br clear=all>\n"
      "{caption:a.jpg}"
      "\t<p>\n"
      "\n"
      // level 1: the picture links straight to the full-size file
      "\t<li>b.jpg (Fail)\n"
      "\t<br><a href=\"size0/b.jpg\">128x96 ({kb:size0/b.jpg}k)</a>\n"
      "\t<br><a href=\"size0/b.jpg\"><IMG SRC=\"size1/b.jpg\" SRCSET=\"size1/b.jpg 1x,size0/b.jpg 2x\" "
      "ALIGN=\"left\"></a>\n"
      "\t<br clear=all>\n"
      "\t<p>\n"
      "\n"
      // level 0: no links, no anchor, no srcset
      "\t<li>c.JPG\n"
      "\t<br>{T}<IMG SRC=\"size0/c.JPG\" ALIGN=\"left\">{/T}\n"
      "\t<br clear=all>\n"
      "{caption:c.JPG}"
      "\t<p>\n"
      "\n"
      // no source picture: level 0, no caption
      "\t<li>d.jpg\n"
      "\t<br><IMG SRC=\"size0/d.jpg\" ALIGN=\"left\">\n"
      "\t<br clear=all>\n"
      "\t<p>\n"
      "\n",
      duration_ + ", " + rate_);
  EXPECT_EQ(without_time(read_file(fx_.path("index.html"))), page_head("<p>\n") + body + page_foot);
  EXPECT_EQ(progress_, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));
  EXPECT_EQ(log_, "");
}

TEST_F(AlbumPageTest, ThumbnailPageAndCounter) {
  ASSERT_TRUE(make()) << log_;
  const std::string body = fx_.expand(
      "<a href=\"html/clip_1_1.html\"><IMG SRC=\"movie2/clip.jpg\" "
      "SRCSET=\"movie2/clip.jpg 1x,movie1/clip.jpg 2x\" border=2></a>\n"
      "{T}<a href=\"original/song.WAV\">song.WAV</a>{/T}\n"
      "<a href=\"html/a_2.html\"><IMG SRC=\"thumb/a.jpg\" SRCSET=\"size3/a.jpg 1x,size2/a.jpg 2x\" "
      "border=2></a>\n"
      "<a href=\"html/b_1.html\"><IMG SRC=\"thumb/b.jpg\" SRCSET=\"size2/b.jpg 1x,size1/b.jpg 2x\"></a>\n"
      "<a href=\"size0/c.JPG\"><IMG SRC=\"thumb/c.JPG\" SRCSET=\"size1/c.JPG 1x,size0/c.JPG 2x\" "
      "border=2></a>\n"
      "<a href=\"size0/d.jpg\"><IMG SRC=\"thumb/d.jpg\" SRCSET=\"size1/d.jpg 1x,size0/d.jpg 2x\"></a>\n");
  EXPECT_EQ(without_time(read_file(fx_.path("list.html"))), page_head("<br>\n\n") + body + page_foot);
  EXPECT_EQ(read_file(fx_.path("txt/count.txt")), "1+4+1\n");
}

// Where the movie plays on the album page and where its thumbnail leads, by
// the retina setting and the play box (the movie is 128x96 with level 1).
TEST_F(AlbumPageTest, MoviePlayerAndThumbnailTargetFollowRetinaAndPlaySize) {
  struct movie_case {
    bool retina;
    unsigned long long play_x, play_y;
    std::string player;
    std::string target;
  };
  const movie_case cases[] = {
      {false, 64, 48, "<video controls src=\"movie1/clip.mp4\">", "html/clip_1_1.html"},
      {true, 64, 48, "<video controls width=\"64px\" height=\"48px\" src=\"movie0/clip.mp4\">",
       "html/clip_2_0.html"},
      // the source fits the play box: the full-size movie in both modes
      {false, 128, 96, "<video controls src=\"movie1/clip.mp4\">", "movie0/clip.mp4"},
      {true, 200, 200, "<video controls width=\"64px\" height=\"48px\" src=\"movie0/clip.mp4\">",
       "movie0/clip.mp4"},
      // a play box below the shrink box: the smallest level's page
      {false, 16, 12, "<video controls src=\"movie1/clip.mp4\">", "html/clip_1_1.html"},
      {true, 16, 12, "<video controls width=\"64px\" height=\"48px\" src=\"movie0/clip.mp4\">",
       "html/clip_2_0.html"},
  };
  for (const movie_case& c : cases) {
    g_global.movie_thumbnail_retina = c.retina;
    g_global.play_size_x = c.play_x;
    g_global.play_size_y = c.play_y;
    ASSERT_TRUE(make()) << log_;
    const std::string index = read_file(fx_.path("index.html"));
    EXPECT_NE(index.find(fx_.expand("\n\t{T}") + c.player + "\n"), std::string::npos)
        << c.retina << " " << c.play_x << "\n"
        << index;
    const std::string list = read_file(fx_.path("list.html"));
    EXPECT_NE(list.find("\n<a href=\"" + c.target + "\"><IMG SRC=\"movie2/clip.jpg\""), std::string::npos)
        << c.retina << " " << c.play_x << "\n"
        << list;
  }
}

// A movie that already fits the shrink box: only its source link, and the
// thumbnail leads to the full-size copy.
TEST_F(PageSettings, MovieAtLevelZero) {
  if (!fx_.add_movie("m.mp4", 64, 48, 0)) GTEST_SKIP() << "ffmpeg cannot make the test movie";
  struct level0_case {
    bool retina;
    std::string player;
  };
  const level0_case cases[] = {
      {false, "\t<video controls src=\"movie0/m.mp4\">\n"},
      {true, "\t<video controls width=\"32px\" height=\"24px\" src=\"movie0/m.mp4\">\n"},
  };
  for (const level0_case& c : cases) {
    g_global.movie_thumbnail_retina = c.retina;
    ASSERT_TRUE(make()) << log_;
    const std::string index = read_file(fx_.path("index.html"));
    const std::string entry = fx_.expand(
        "\t<li>m.mp4\n"
        "\t<br><a href=\"original/m.mp4\">64x48 ({kb:original/m.mp4}k)</a>\n"
        "\t<br>\n" +
        c.player + "\t</video>\n");
    EXPECT_NE(index.find("<p>\n" + entry), std::string::npos) << index;
    EXPECT_NE(read_file(fx_.path("list.html"))
                  .find("\n<a href=\"movie0/m.mp4\"><IMG SRC=\"movie1/m.jpg\" "
                        "SRCSET=\"movie1/m.jpg 1x,movie0/m.jpg 2x\"></a>\n"),
              std::string::npos);
    EXPECT_EQ(read_file(fx_.path("txt/count.txt")), "1+0\n");
  }
}

TEST_F(PageSettings, EmptyAlbumHasHeadAndFootOnlyAndCountsZero) {
  g_global.html_header = "";
  g_global.html_address = "";
  ASSERT_TRUE(make()) << log_;
  const std::string foot =
      "<p><center><a href=\"../index.html\">UP</a></center>\n<hr>\n<!-- hhmts start -->\n"
      "HTML Generated: TIME (ZONE)\n<!-- hhmts end -->\n</BODY>\n</HTML>\n";
  const std::string head =
      "<HTML>\n<HEAD>\n\t<title></title>\n</HEAD>\n\n<BODY>\n\t<CENTER><h1></h1></CENTER>\n";
  EXPECT_EQ(without_time(read_file(fx_.path("index.html"))), head + "<p>\n" + foot);
  EXPECT_EQ(without_time(read_file(fx_.path("list.html"))), head + "<br>\n\n" + foot);
  EXPECT_EQ(read_file(fx_.path("txt/count.txt")), "+0\n");
  EXPECT_TRUE(progress_.empty());
}

TEST_F(PageSettings, CounterLeavesOutMissingMoviesAndSounds) {
  struct count_case {
    std::vector<std::string> sounds;
    unsigned pictures;
    std::string expected;
  };
  const count_case cases[] = {
      {{}, 3, "+3\n"},
      {{"x.mp3", "y.m4a", "z.wav"}, 1, "+1+3\n"},
  };
  for (const count_case& c : cases) {
    testutil::album_fixture fx;
    for (const std::string& s : c.sounds) fx.add_sound(s);
    for (unsigned i = 0; i < c.pictures; ++i) fx.add_thumbnail_only("p" + std::to_string(i) + ".jpg");
    sigc::signal<void, double> progress;
    std::ostringstream log;
    ASSERT_TRUE(makehtml(fx.album(), progress, log)) << log.str();
    EXPECT_EQ(read_file(fx.path("txt/count.txt")), c.expected);
  }
}

// A level file that cannot be read ends the album page at that picture; the
// page keeps what was written and the later files are not written.
TEST_F(PageSettings, BrokenLevelFileEndsTheAlbumPage) {
  struct broken_case {
    std::string level_bytes;  // written over size1/a.jpg; none: the file is removed
    bool remove;
    std::string report;
  };
  const broken_case cases[] = {
      {"", true, ": No such file or directory\n"},
      {"not a jpeg", false, ": jpeg analyze_markers() failed.\n"},
  };
  for (const broken_case& c : cases) {
    testutil::album_fixture fx;
    fx.add_picture("a.jpg", 256, 192, 2, false);
    fx.add_picture("b.jpg", 128, 96, 1, false);
    if (c.remove) {
      ASSERT_EQ(::unlink(fx.path("size1/a.jpg").c_str()), 0);
    } else {
      fx.add_file("size1/a.jpg", c.level_bytes);
    }
    sigc::signal<void, double> progress;
    std::ostringstream log;
    testutil::capture_stderr([&] { EXPECT_FALSE(makehtml(fx.album(), progress, log)); });
    EXPECT_EQ(log.str(), fx.path("size1/a.jpg") + c.report);
    const std::string index = read_file(fx.path("index.html"));
    const std::string tail =
        fx.expand("\t<li>a.jpg\n\t<br><a href=\"size0/a.jpg\">256x192 ({kb:size0/a.jpg}k)</a>\n");
    ASSERT_GE(index.size(), tail.size());
    EXPECT_EQ(index.substr(index.size() - tail.size()), tail);
    EXPECT_FALSE(testutil::exists(fx.path("list.html")));
    EXPECT_FALSE(testutil::exists(fx.path("txt/count.txt")));
  }
}

TEST_F(PageSettings, CounterFileThatCannotBeOpenedIsReported) {
  testutil::album_fixture fx;
  fx.add_sound("s.wav");
  std::filesystem::remove_all(fx.path("txt"));
  sigc::signal<void, double> progress;
  std::ostringstream log;
  testutil::capture_stderr([&] { EXPECT_FALSE(makehtml(fx.album(), progress, log)); });
  EXPECT_EQ(log.str(), fx.path("txt/count.txt") + ": open error, No such file or directory\n");
  EXPECT_TRUE(testutil::exists(fx.path("index.html")));
  EXPECT_TRUE(testutil::exists(fx.path("list.html")));
}

TEST_F(PageSettings, PagesReplaceLinksInsteadOfWritingThroughThem) {
  testutil::album_fixture fx;
  fx.add_file("elsewhere.html", "keep");
  ASSERT_EQ(::symlink(fx.path("elsewhere.html").c_str(), fx.path("index.html").c_str()), 0);
  sigc::signal<void, double> progress;
  std::ostringstream log;
  testutil::capture_stderr([&] { EXPECT_TRUE(makehtml(fx.album(), progress, log)); });
  EXPECT_EQ(read_file(fx.path("elsewhere.html")), "keep");
  EXPECT_NE(read_file(fx.path("index.html")).find("<HTML>"), std::string::npos);
}

// The best-of pages write the same entries behind the way to the album.
TEST_F(PageSettings, EntriesPutThePrefixBeforeEveryLinkAndSource) {
  testutil::album_fixture fx;
  fx.add_picture("a.jpg", 256, 192, 2, false);
  fx.add_sound("s.mp3");
  entry_t picture;
  picture.album = &fx.album();
  picture.prefix = "../album/";
  picture.name = "a.jpg";
  picture.note = " (Best)";
  picture.marked = true;
  picture.level = 2;
  std::ostringstream os, log;
  ASSERT_TRUE(write_entry(os, picture, log)) << log.str();
  write_thumb(os, picture, "border=2");
  entry_t sound = picture;
  sound.kind = media_t::audio;
  sound.name = "s.mp3";
  sound.note = "";
  sound.marked = false;
  ASSERT_TRUE(write_entry(os, sound, log));
  write_thumb(os, sound, "border=2");
  EXPECT_EQ(os.str(),
            fx.expand("\t<li>../album/a.jpg (Best)\n"
                      "\t<br><a href=\"../album/size0/a.jpg\">256x192 ({kb:size0/a.jpg}k)</a>\n"
                      "\t<br><a href=\"../album/html/a_1.html\">128x96 ({kb:size1/a.jpg}k)</a>\n"
                      "\t<br>{T}<a href=\"../album/html/a_1.html\"><IMG SRC=\"../album/size2/a.jpg\" "
                      "SRCSET=\"../album/size2/a.jpg 1x,../album/size1/a.jpg 2x\" ALIGN=\"left\"></a>{/T}\n"
                      "\t<br clear=all>\n"
                      "\t<p>\n"
                      "\n"
                      "<a href=\"../album/html/a_2.html\"><IMG SRC=\"../album/thumb/a.jpg\" "
                      "SRCSET=\"../album/size3/a.jpg 1x,../album/size2/a.jpg 2x\"border=2></a>\n"
                      "\t<li>../album/s.mp3\n"
                      "\t<br>\n"
                      "\t<audio controls src=\"../album/original/s.mp3\">\n"
                      "\t</audio>\t<br clear=all>\n"
                      "\t<p>\n"
                      "<a href=\"../album/original/s.mp3\">s.mp3</a>\n"));
}

// The album page as a browser sees it.
TEST_F(AlbumPageTest, BrowserFindsTheImagesAndLinks) {
  if (!testutil::have_chromium()) GTEST_SKIP() << "chromium is not installed";
  ASSERT_TRUE(make()) << log_;
  std::string dom;
  ASSERT_TRUE(testutil::browser_dom(fx_.path("index.html"), dom)) << dom;
  const std::string expected_elements[] = {
      "<title>Summer &lt;b&gt;trip&lt;/b&gt;</title>",  // title text is not markup
      "<h1>Summer <b>trip</b></h1>",
      "<a href=\"html/a_1.html\"><img src=\"size2/a.jpg\" srcset=\"size2/a.jpg 1x,size1/a.jpg 2x\" "
      "align=\"left\"></a>",
      "<a href=\"size0/b.jpg\"><img src=\"size1/b.jpg\" srcset=\"size1/b.jpg 1x,size0/b.jpg 2x\" "
      "align=\"left\">",
      "<img src=\"size0/c.JPG\" align=\"left\">",
      "<video controls=\"\" src=\"movie1/clip.mp4\">",
      "<audio controls=\"\" src=\"original/song.WAV\">",
      "<a href=\"html/clip_2_0.html\">Retina128x96",
      "<a href=\"../index.html\">UP</a>",
      "<address>pictora@example.org</address>",
  };
  for (const std::string& element : expected_elements) {
    EXPECT_NE(dom.find(element), std::string::npos) << element << "\n" << dom;
  }
}

}  // namespace
}  // namespace pictora
