#include "app/update.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "app/global.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"
#include "tests/support/page_check.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

namespace fs = std::filesystem;
using testutil::capture_stderr;
using testutil::decoded_t;
using testutil::exists;
using testutil::read_file;
using testutil::write_file;

decoded_t decode(const std::string& path) { return testutil::reference_decode(read_file(path)); }

// The camera's 48 x 32 thumbnail of "a.jpg", byte for byte.
const std::string& exif_thumbnail() {
  static const std::string bytes = testutil::make_jpeg({48, 32});
  return bytes;
}

// A camera folder and an album "book/day" built from it with a 64 x 48
// shrink box: "a.jpg" 208 x 160 with EXIF and a thumbnail (level 2), "b.jpg"
// 100 x 60 without EXIF (level 1), and a movie "m.mp4" when asked. The four
// progress signals record what they carry.
class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testutil::load_english_catalogue();
    saved_ = g_global;
    g_global.shrink_size = {64, 48};
    g_global.play_size_x = 64;
    g_global.play_size_y = 48;
    album = {base / "books", "book", "day"};
    testutil::make_dirs(base / "card");
    testutil::make_dirs(at("txt"));
    testutil::camera_settings camera;
    camera.thumbnail = exif_thumbnail();
    testutil::jpeg_options a(208, 160);
    a.app1 = testutil::camera_exif(camera).app1_payload();
    testutil::write_jpeg(card("a.jpg"), a);
    testutil::write_jpeg(card("b.jpg"), {100, 60});
    for (size_t i = 0; i < 4; ++i)
      signals[i].connect([this, i](double f) { emitted[i].push_back(f); });
  }
  void TearDown() override { g_global = saved_; }

  std::string card(const std::string& name) const { return base / ("card/" + name); }
  std::string at(const std::string& rel) const { return base / ("books/book/day/" + rel); }
  void add_movie() { testutil::write_movie(card("m.mp4"), {160, 120}); }

  bool build(const std::vector<files_t>& files) {
    return run([&] {
      return makealbumwithrotate(base / "card", files, album, signals[0], signals[1], signals[2],
                                 signals[3], log);
    });
  }
  bool update(const std::vector<files_t>& files) {
    return run([&] {
      return updatealbum(album, files, signals[0], signals[1], signals[2], signals[3], log);
    });
  }
  template <typename Fn>
  bool run(Fn fn) {
    log.str("");
    for (auto& e : emitted) e.clear();
    bool ok = false;
    err = capture_stderr([&] { ok = fn(); });
    return ok;
  }

  // Every file of the level and thumbnail folders.
  std::map<std::string, testutil::file_state_t> pictures() const {
    std::map<std::string, testutil::file_state_t> all;
    for (const auto& entry : fs::directory_iterator(at(""))) {
      const std::string dir = entry.path().filename().string();
      if (dir.rfind("size", 0) != 0 && dir.rfind("movie", 0) != 0 && dir != "thumb") continue;
      for (const auto& file : testutil::folder_state(entry.path().string()))
        all[dir + "/" + file.first] = file.second;
    }
    return all;
  }

  testutil::TempDir base;
  path_t album;
  sigc::signal<void, double> signals[4];
  std::vector<double> emitted[4];
  std::ostringstream log;
  std::string err;

 private:
  global_t saved_;
};

void expect_size(const std::string& path, unsigned width, unsigned height) {
  const decoded_t d = decode(path);
  EXPECT_EQ(d.width, width) << path;
  EXPECT_EQ(d.height, height) << path;
}

TEST_F(UpdateTest, BuildRunsEveryStageWithItsOwnProgress) {
  add_movie();
  ASSERT_TRUE(build({{"a.jpg", 0}, {"b.jpg", 0}, {"m.mp4", 0}})) << log.str() << err;
  EXPECT_EQ(log.str(), "");
  const std::vector<double> thirds{1.0 / 3, 2.0 / 3, 1.0};
  EXPECT_EQ(emitted[0], thirds);  // copy
  EXPECT_EQ(emitted[1], thirds);  // levels
  EXPECT_EQ(emitted[2], (std::vector<double>{0.5, 1.0}));  // album page: two pictures
  // Picture zoom pages over the two thumbnails, then movie zoom pages over
  // the three originals.
  EXPECT_EQ(emitted[3], (std::vector<double>{0.5, 1.0, 1.0 / 3, 2.0 / 3, 1.0}));

  const struct {
    std::string file;
    unsigned w, h;
  } levels[] = {
      {"size0/a.jpg", 208, 160}, {"size1/a.jpg", 104, 80}, {"size2/a.jpg", 52, 40},
      {"size3/a.jpg", 26, 20},   {"size0/b.jpg", 100, 60}, {"size1/b.jpg", 50, 30},
      {"size2/b.jpg", 25, 15},   {"thumb/b.jpg", 12, 7},
  };
  for (const auto& l : levels) expect_size(at(l.file), l.w, l.h);
  EXPECT_EQ(read_file(at("thumb/a.jpg")), exif_thumbnail());
  EXPECT_TRUE(exists(at("movie0/m.mp4")));
  for (const char* page : {"index.html", "list.html", "txt/count.txt", "html/a_1.html",
                           "html/a_2.html", "html/b_1.html", "html/m_1_1.html"})
    EXPECT_TRUE(exists(at(page))) << page;
}

TEST_F(UpdateTest, UpdateOfACompleteAlbumKeepsEveryPictureAndWritesAllPages) {
  add_movie();
  const std::vector<files_t> files{{"a.jpg", 0}, {"b.jpg", 0}, {"m.mp4", 0}};
  ASSERT_TRUE(build(files)) << log.str() << err;
  const auto before = pictures();
  ASSERT_GT(before.size(), 10u);
  std::vector<std::string> pages{"index.html", "list.html", "txt/count.txt"};
  for (const auto& page : testutil::folder_state(at("html"))) pages.push_back("html/" + page.first);
  for (const auto& page : pages) fs::remove(at(page));
  // A newer original alone does not make its levels outdated for an update.
  fs::last_write_time(at("original/b.jpg"),
                      fs::last_write_time(at("original/b.jpg")) + std::chrono::hours(1));

  ASSERT_TRUE(update(files)) << log.str() << err;
  EXPECT_EQ(log.str(), "");
  EXPECT_TRUE(pictures() == before);
  for (const auto& page : pages) EXPECT_TRUE(exists(at(page))) << page;
  EXPECT_TRUE(emitted[0].empty());
  EXPECT_EQ(emitted[1], (std::vector<double>{1.0 / 3, 2.0 / 3, 1.0}));
  EXPECT_EQ(emitted[2], (std::vector<double>{0.5, 1.0}));
  EXPECT_EQ(emitted[3], (std::vector<double>{0.5, 1.0, 1.0 / 3, 2.0 / 3, 1.0}));
}

TEST_F(UpdateTest, AMissingLevelIsRewrittenWithTheLaterOutdatedLevelsAndTheThumbnail) {
  const struct {
    const char* title;
    bool size3_outdated;
  } cases[] = {{"size3 current", false}, {"size3 older than the original", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    ASSERT_TRUE(build({{"a.jpg", 0}})) << log.str() << err;
    const auto size1 = testutil::file_state(at("size1/a.jpg"));
    fs::remove(at("size2/a.jpg"));
    fs::remove(at("thumb/a.jpg"));
    write_file(at("thumb/a.jpg"), "an old thumbnail");  // present, yet rewritten
    if (c.size3_outdated)
      fs::last_write_time(at("size3/a.jpg"),
                          fs::last_write_time(at("original/a.jpg")) - std::chrono::hours(1));
    const auto size3 = testutil::file_state(at("size3/a.jpg"));

    ASSERT_TRUE(update({{"a.jpg", 0}})) << log.str() << err;
    EXPECT_TRUE(testutil::file_state(at("size1/a.jpg")) == size1);
    EXPECT_EQ(testutil::file_state(at("size3/a.jpg")) == size3, !c.size3_outdated);
    expect_size(at("size3/a.jpg"), 26, 20);
    // A quarter of the full size, made from the full-size pixels.
    const decoded_t quarter = testutil::halve_reference(
        testutil::halve_reference(decode(at("original/a.jpg"))));
    EXPECT_LT(testutil::mean_difference(decode(at("size2/a.jpg")), quarter), 3.0);
    EXPECT_EQ(read_file(at("thumb/a.jpg")), exif_thumbnail());
    fs::remove_all(at(""));
    testutil::make_dirs(at("txt"));
  }
}

TEST_F(UpdateTest, AMissingThumbnailAloneIsRewritten) {
  // "c.jpg" turns upright by its EXIF orientation 6: its camera thumbnail is
  // written turned a quarter clockwise.
  testutil::camera_settings camera;
  camera.orientation = 6;
  camera.thumbnail = exif_thumbnail();
  testutil::jpeg_options c(80, 40);
  c.app1 = testutil::camera_exif(camera).app1_payload();
  testutil::write_jpeg(card("c.jpg"), c);
  const std::vector<files_t> files{{"a.jpg", 0}, {"b.jpg", 0}, {"c.jpg", 0}};
  ASSERT_TRUE(build(files)) << log.str() << err;
  const decoded_t camera_thumb = testutil::reference_decode(exif_thumbnail());

  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    SCOPED_TRACE(name);
    const std::string thumb = at(std::string("thumb/") + name);
    const std::string written = read_file(thumb);
    fs::remove(thumb);
    auto before = pictures();
    before.erase(std::string("thumb/") + name);

    ASSERT_TRUE(update(files)) << log.str() << err;
    auto after = pictures();
    after.erase(std::string("thumb/") + name);
    EXPECT_TRUE(after == before);
    EXPECT_EQ(read_file(thumb), written);
  }
  EXPECT_EQ(read_file(at("thumb/a.jpg")), exif_thumbnail());
  expect_size(at("thumb/b.jpg"), 12, 7);  // b.jpg's pixels halved three times
  EXPECT_LT(testutil::mean_difference(decode(at("thumb/c.jpg")),
                                      testutil::rotate_reference(camera_thumb, 1)),
            2.0);
}

TEST_F(UpdateTest, ARotationIsMadeFromTheOriginalOnEveryUpdate) {
  const std::vector<files_t> turned{{"a.jpg", 2}};
  ASSERT_TRUE(build(turned)) << log.str() << err;
  const decoded_t upside_down = testutil::rotate_reference(decode(at("original/a.jpg")), 2);
  std::string size0, size1;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(update(turned)) << log.str() << err;
    EXPECT_LT(testutil::mean_difference(decode(at("size0/a.jpg")), upside_down), 3.0);
    // The levels are written afresh from the same pixels each time.
    if (round > 0) {
      EXPECT_EQ(read_file(at("size0/a.jpg")), size0);
      EXPECT_EQ(read_file(at("size1/a.jpg")), size1);
    }
    size0 = read_file(at("size0/a.jpg"));
    size1 = read_file(at("size1/a.jpg"));
  }
  EXPECT_LT(testutil::mean_difference(decode(at("size1/a.jpg")),
                                      testutil::halve_reference(upside_down)),
            3.0);
  // The camera thumbnail turned by the user's two quarters.
  EXPECT_LT(testutil::mean_difference(
                decode(at("thumb/a.jpg")),
                testutil::rotate_reference(testutil::reference_decode(exif_thumbnail()), 2)),
            2.0);
}

TEST_F(UpdateTest, AnEmptyAlbumNameIsReportedAndNothingIsMade) {
  fs::remove_all(base / "books");
  album.album = "";
  const std::vector<files_t> files{{"a.jpg", 0}};
  const auto card_before = testutil::folder_state(base / "card");
  const struct {
    const char* title;
    std::function<bool()> call;
  } cases[] = {
      {"build", [&] { return build(files); }},
      {"update", [&] { return update(files); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_FALSE(c.call());
    EXPECT_EQ(log.str(), ": album directory is empty.\n");
    for (const auto& e : emitted) EXPECT_TRUE(e.empty());
    EXPECT_FALSE(exists(base / "books"));
    EXPECT_TRUE(testutil::folder_state(base / "card") == card_before);
  }
}

TEST_F(UpdateTest, OriginalsAreNeverWritten) {
  add_movie();
  const auto card_before = testutil::folder_state(base / "card");
  std::vector<files_t> files{{"a.jpg", 0}, {"b.jpg", 0}, {"m.mp4", 0}};
  ASSERT_TRUE(build(files)) << log.str() << err;
  EXPECT_TRUE(testutil::folder_state(base / "card") == card_before);
  const auto originals = testutil::folder_state(at("original"));
  ASSERT_EQ(originals.size(), 3u);

  // A full update, then both pictures turned (their "size0" was a link into
  // "original"), then a run that fails on a thumbnail it cannot write.
  ASSERT_TRUE(update(files)) << log.str() << err;
  EXPECT_TRUE(testutil::folder_state(at("original")) == originals);
  files[0].rotation = 1;
  files[1].rotation = 3;
  ASSERT_TRUE(update(files)) << log.str() << err;
  EXPECT_TRUE(testutil::folder_state(at("original")) == originals);
  expect_size(at("size0/a.jpg"), 160, 208);
  fs::remove_all(at("thumb"));
  write_file(at("thumb"), "a file where the thumbnail folder belongs");
  files[0].rotation = 0;
  EXPECT_FALSE(update(files));
  EXPECT_EQ(log.str(), "shrinkupdate() fail.\n");
  EXPECT_NE(err.find(at("thumb/a.jpg") + ": thumbnail save fail, Not a directory\n"),
            std::string::npos)
      << err;
  EXPECT_TRUE(testutil::folder_state(at("original")) == originals);
}

TEST_F(UpdateTest, AnUnreadablePictureStopsTheBuildAndALaterUpdateCompletesTheAlbum) {
  write_file(card("bad.jpg"), "\xFF\xD8 no picture here");
  const std::vector<files_t> files{{"a.jpg", 0}, {"bad.jpg", 0}, {"b.jpg", 0}};
  EXPECT_FALSE(build(files));
  EXPECT_EQ(log.str(),
            "bad.jpg: shrinkone() original analyze_markers fail.\n"
            "shinkone() fail.\n"
            "shrink() fail.\n");
  EXPECT_EQ(emitted[1], (std::vector<double>{1.0 / 3}));
  EXPECT_TRUE(emitted[2].empty());
  EXPECT_TRUE(exists(at("size3/a.jpg")));
  EXPECT_FALSE(exists(at("size0/b.jpg")));
  EXPECT_FALSE(exists(at("index.html")));

  // Still unreadable: the update stops at the same picture.
  EXPECT_FALSE(update(files));
  EXPECT_EQ(log.str(), "shrinkupdate() fail.\n");
  EXPECT_NE(err.find("bad.jpg: shrinkoneupdate() analyze_markers fail.\n"), std::string::npos)
      << err;
  EXPECT_TRUE(emitted[2].empty());

  // Replaced by a readable picture, the next update makes what is missing.
  testutil::write_jpeg(at("original/bad.jpg"), {130, 40});
  ASSERT_TRUE(update(files)) << log.str() << err;
  EXPECT_EQ(log.str(), "");
  for (const char* file : {"size0/bad.jpg", "size1/bad.jpg", "size2/bad.jpg", "thumb/bad.jpg",
                           "size0/b.jpg", "size2/b.jpg", "thumb/b.jpg", "index.html",
                           "html/bad_1.html"})
    EXPECT_TRUE(exists(at(file))) << file;
  expect_size(at("size2/bad.jpg"), 32, 10);
}

TEST_F(UpdateTest, AMissingMovieLevelIsConvertedAgain) {
  add_movie();
  const std::vector<files_t> files{{"m.mp4", 0}};
  ASSERT_TRUE(build(files)) << log.str() << err;
  const auto movie0 = testutil::folder_state(at("movie0"));
  ASSERT_FALSE(movie0.empty());
  fs::remove(at("movie1/m.mp4"));
  ASSERT_TRUE(update(files)) << log.str() << err;
  EXPECT_TRUE(testutil::folder_state(at("movie0")) == movie0);
  EXPECT_EQ(testutil::movie_frame_size(at("movie1/m.mp4")), (testutil::frame_size_t{80, 60}));
}

}  // namespace
}  // namespace pictora
