#include "app/shrink.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "app/global.h"
#include "libgr/transform.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::capture_stderr;
using testutil::decoded_t;
using testutil::read_file;
using testutil::TempDir;
using testutil::write_file;

decoded_t decode(const std::string& path) { return testutil::reference_decode(read_file(path)); }

// An image2d_t (bottom-up rows) as a top-down decoded_t.
decoded_t as_decoded(const libgr::image2d_t& image) {
  decoded_t out;
  out.width = image.width;
  out.height = image.height;
  out.components = libgr::format_components(image.desc.format);
  for (uint32_t y = 0; y < image.height; ++y) {
    const unsigned char* row = image.row(image.height - 1 - y);
    out.pixels.insert(out.pixels.end(), row, row + size_t{image.width} * out.components);
  }
  return out;
}

// Restores the settings a test changes.
class SettingsGuard {
 public:
  SettingsGuard() : saved_(g_global) {}
  ~SettingsGuard() { g_global = saved_; }

 private:
  global_t saved_;
};

// An album "book/day" with its "original" folder, a 64 x 64 shrink box, and
// the shrink stage with its progress and log collected.
class ShrinkTest : public ::testing::Test {
 protected:
  ShrinkTest() : album{base.path(), "book", "day"} {
    testutil::make_dirs(at("original"));
    g_global.shrink_size = {64, 64};
    progress.connect([this](double f) { emitted.push_back(f); });
  }
  std::string at(const std::string& rel) const { return base / ("book/day/" + rel); }
  void put(const std::string& name, const testutil::jpeg_options& o) {
    testutil::write_jpeg(at("original/" + name), o);
  }
  bool run(const std::vector<files_t>& files) {
    log.str("");
    return shrink(album, files, progress, log);
  }
  // The "size" k directories that exist.
  unsigned size_levels() const {
    unsigned k = 0;
    while (testutil::exists(at("size" + std::to_string(k)))) ++k;
    return k;
  }

  SettingsGuard settings;
  TempDir base;
  path_t album;
  sigc::signal<void, double> progress;
  std::vector<double> emitted;
  std::ostringstream log;
};

TEST(GetShrinkLevel, CountsHalvingsUntilThePictureFitsTheBox) {
  SettingsGuard settings;
  TempDir dir;
  const struct {
    unsigned w, h;
    size_limit_t box;
    std::uint64_t level;
  } cases[] = {
      {1024, 768, {1024, 1024}, 0}, {1025, 100, {1024, 1024}, 1}, {2049, 8, {1024, 1024}, 1},
      {4100, 8, {1024, 1024}, 3},   {8, 2049, {1024, 1024}, 1},   {64, 48, {64, 48}, 0},
      {65, 48, {64, 48}, 1},        {64, 49, {64, 48}, 1},        {64, 98, {64, 48}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    g_global.shrink_size = c.box;
    testutil::write_jpeg(dir / "a.jpg", {c.w, c.h});
    EXPECT_EQ(getshrinklevel(dir / "a.jpg"), c.level);
  }
}

TEST(GetShrinkLevel, AnUnreadablePictureIsReportedAndGivesZero) {
  TempDir dir;
  write_file(dir / "garbage.jpg", "this is no JPEG file");
  const struct {
    std::string file;
    std::string report;
  } cases[] = {
      {dir / "missing.jpg", dir / "missing.jpg" + ": getshrinklevel() jpegdata load fail.\n"},
      {dir / "garbage.jpg", dir / "garbage.jpg" + ": getshrinklevel() analyze_markers fail.\n"},
  };
  for (const auto& c : cases) {
    std::uint64_t level = 99;
    const std::string err = capture_stderr([&] { level = getshrinklevel(c.file); });
    EXPECT_EQ(level, 0u);
    ASSERT_GE(err.size(), c.report.size()) << err;
    EXPECT_EQ(err.substr(err.size() - c.report.size()), c.report) << err;
  }
}

TEST_F(ShrinkTest, TheAlbumFormReadsTheOriginal) {
  put("a.jpg", {200, 20});
  EXPECT_EQ(getshrinklevel(album, "a.jpg"), 2u);
}

TEST_F(ShrinkTest, EachLevelIsThePreviousHalvedAndSize0LinksToTheOriginal) {
  const struct {
    unsigned w, h;
    testutil::jpeg_sampling sampling;
    unsigned level;
  } cases[] = {
      {64, 48, testutil::jpeg_sampling::yuv420, 0},  {33, 17, testutil::jpeg_sampling::yuv444, 0},
      {65, 20, testutil::jpeg_sampling::yuv420, 1},  {200, 150, testutil::jpeg_sampling::yuv420, 2},
      {130, 33, testutil::jpeg_sampling::gray, 2},   {259, 16, testutil::jpeg_sampling::yuv422, 2},
  };
  std::vector<files_t> files;
  for (size_t i = 0; i < std::size(cases); ++i) {
    testutil::jpeg_options o(cases[i].w, cases[i].h);
    o.sampling = cases[i].sampling;
    const std::string name = "p" + std::to_string(i) + ".jpg";
    put(name, o);
    files.push_back({name, 0});
  }
  const auto originals = testutil::folder_state(at("original"));

  ASSERT_TRUE(run(files)) << log.str();
  EXPECT_EQ(log.str(), "");
  EXPECT_EQ(size_levels(), 4u);  // the deepest pictures reach "size3"

  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    const std::string name = files[i].name;
    SCOPED_TRACE(name);
    char target[64] = {};
    ASSERT_GT(::readlink(at("size0/" + name).c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), "../original/" + name);

    decoded_t previous = decode(at("original/" + name));
    for (unsigned k = 1; k <= c.level + 1; ++k) {
      const decoded_t level = decode(at("size" + std::to_string(k) + "/" + name));
      EXPECT_EQ(level.width, previous.width / 2) << "size" << k;
      EXPECT_EQ(level.height, previous.height / 2) << "size" << k;
      if (k == 1) {  // the halved pixels, only changed by one more encoding
        EXPECT_LE(testutil::mean_difference(level, testutil::halve_reference(previous)), 2.0);
      }
      previous = level;
    }
    EXPECT_FALSE(testutil::exists(at("size" + std::to_string(c.level + 2) + "/" + name)));
    // No EXIF thumbnail: the thumbnail is the last level halved once more.
    const decoded_t thumb = decode(at("thumb/" + name));
    EXPECT_EQ(thumb.width, previous.width / 2);
    EXPECT_EQ(thumb.height, previous.height / 2);
  }
  EXPECT_EQ(testutil::folder_state(at("original")), originals);
  ASSERT_EQ(emitted.size(), std::size(cases));
  EXPECT_DOUBLE_EQ(emitted.back(), 1.0);
}

TEST_F(ShrinkTest, RotationsCombineWithTheExifOrientation) {
  g_global.shrink_size = {32, 32};  // 48 x 32 needs one halving
  testutil::jpeg_options thumb_options(32, 16);
  thumb_options.seed = 7;
  const std::string exif_thumbnail = testutil::make_jpeg(thumb_options);
  const decoded_t thumb_pixels = testutil::reference_decode(exif_thumbnail);
  // The lossless turns of the thumbnail, by number of quarter turns.
  write_file(base / "thumbnail.jpg", exif_thumbnail);
  libgr::jpegdata_t thumbnail_data;
  ASSERT_TRUE(thumbnail_data.load((base / "thumbnail.jpg").c_str()));
  std::string turned_thumbnail[4];
  for (unsigned t = 1; t < 4; ++t) {
    libgr::jpegdata_t out;
    ASSERT_TRUE(libgr::transform(t, out, thumbnail_data));
    turned_thumbnail[t].assign(out.begin(), out.end());
  }
  const unsigned orientations[] = {1, 6, 3, 8};
  const unsigned extra_turns[] = {0, 1, 2, 3};  // what each orientation adds

  std::vector<files_t> files;
  std::map<std::string, std::string> app1_of;
  for (unsigned oi = 0; oi < 4; ++oi)
    for (unsigned rotation = 0; rotation < 4; ++rotation) {
      testutil::camera_settings camera;
      camera.orientation = static_cast<uint16_t>(orientations[oi]);
      camera.thumbnail = exif_thumbnail;
      testutil::jpeg_options o(48, 32);
      o.app1 = testutil::camera_exif(camera).app1_payload();
      const std::string name =
          "o" + std::to_string(orientations[oi]) + "r" + std::to_string(rotation) + ".jpg";
      put(name, o);
      app1_of[name] = o.app1;
      files.push_back({name, rotation});
    }
  const auto originals = testutil::folder_state(at("original"));
  ASSERT_TRUE(run(files)) << log.str();
  EXPECT_EQ(testutil::folder_state(at("original")), originals);

  size_t i = 0;
  for (unsigned oi = 0; oi < 4; ++oi)
    for (unsigned rotation = 0; rotation < 4; ++rotation, ++i) {
      const std::string& name = files[i].name;
      SCOPED_TRACE(name);
      const unsigned turns = (rotation + extra_turns[oi]) % 4;
      const decoded_t original = decode(at("original/" + name));
      const std::string s1 = read_file(at("size1/" + name));
      struct stat st;
      ASSERT_EQ(::lstat(at("size0/" + name).c_str(), &st), 0);
      if (rotation == 0) {
        // The EXIF orientation stays in charge: nothing is turned, and the
        // levels keep the EXIF block.
        EXPECT_TRUE(S_ISLNK(st.st_mode));
        EXPECT_EQ(testutil::max_difference(decode(at("size0/" + name)), original), 0u);
        EXPECT_NE(s1.find(app1_of[name]), std::string::npos);
      } else {
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_LE(testutil::max_difference(decode(at("size0/" + name)),
                                           testutil::rotate_reference(original, turns)),
                  6u);
        EXPECT_EQ(s1.find("Exif"), std::string::npos);
      }
      const decoded_t size1 = testutil::reference_decode(s1);
      EXPECT_EQ(size1.width, rotation != 0 && turns % 2 ? 16u : 24u);
      EXPECT_EQ(size1.height, rotation != 0 && turns % 2 ? 24u : 16u);
      // The EXIF thumbnail is taken byte for byte and turned upright.
      const std::string thumb = read_file(at("thumb/" + name));
      if (turns == 0) {
        EXPECT_EQ(thumb, exif_thumbnail);
      } else {
        EXPECT_EQ(thumb, turned_thumbnail[turns]);
        EXPECT_LE(testutil::max_difference(testutil::reference_decode(thumb),
                                           testutil::rotate_reference(thumb_pixels, turns)),
                  6u);
      }
    }
}

TEST_F(ShrinkTest, AnExifThumbnailThatCannotBeTurnedIsKeptAsItIs) {
  testutil::camera_settings camera;
  camera.orientation = 6;
  camera.thumbnail = "not a JPEG thumbnail";
  testutil::jpeg_options o(40, 30);
  o.app1 = testutil::camera_exif(camera).app1_payload();
  put("a.jpg", o);
  bool ok = false;
  const std::string err = capture_stderr([&] { ok = run({{"a.jpg", 0}}); });
  EXPECT_TRUE(ok) << log.str();
  EXPECT_NE(err.find(at("thumb/a.jpg") + ": transform() fail.\n"), std::string::npos) << err;
  EXPECT_EQ(read_file(at("thumb/a.jpg")), camera.thumbnail);
}

TEST_F(ShrinkTest, CurrentFilesAreKeptAndMissingLevelsAreCompleted) {
  put("a.jpg", {200, 150});  // L = 2
  const auto originals = testutil::folder_state(at("original"));
  ASSERT_TRUE(run({{"a.jpg", 0}}));
  const std::vector<std::string> derived = {"size1/a.jpg", "size2/a.jpg", "size3/a.jpg",
                                            "thumb/a.jpg"};
  std::map<std::string, testutil::file_state_t> first;
  for (const auto& f : derived) first[f] = testutil::file_state(at(f));

  ASSERT_TRUE(run({{"a.jpg", 0}}));
  for (const auto& f : derived) EXPECT_EQ(testutil::file_state(at(f)), first[f]) << f;

  ASSERT_EQ(::unlink(at("size2/a.jpg").c_str()), 0);
  ASSERT_TRUE(run({{"a.jpg", 0}}));
  const decoded_t quarter = decode(at("size2/a.jpg"));
  EXPECT_EQ(quarter.width, 50u);
  EXPECT_EQ(quarter.height, 37u);
  EXPECT_EQ(testutil::file_state(at("size1/a.jpg")), first["size1/a.jpg"]);
  EXPECT_EQ(testutil::file_state(at("size3/a.jpg")), first["size3/a.jpg"]);
  EXPECT_EQ(testutil::folder_state(at("original")), originals);
  // Only the pictures themselves: no temporary files left behind.
  EXPECT_EQ(testutil::folder_state(at("")).size(), 6u);
}

TEST_F(ShrinkTest, ALinkAtALevelIsReplacedNotWrittenThrough) {
  put("a.jpg", {100, 20});
  testutil::make_dirs(at("size1"));
  write_file(base / "outside.jpg", "outside");
  ASSERT_EQ(::symlink((base / "outside.jpg").c_str(), at("size1/a.jpg").c_str()), 0);
  // An old link target is older than the original, so the level is rebuilt.
  const struct timespec old_time[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
  ::utimensat(AT_FDCWD, at("size1/a.jpg").c_str(), old_time, AT_SYMLINK_NOFOLLOW);
  ::utimensat(AT_FDCWD, (base / "outside.jpg").c_str(), old_time, 0);
  ASSERT_TRUE(run({{"a.jpg", 0}}));
  EXPECT_EQ(read_file(base / "outside.jpg"), "outside");
  EXPECT_EQ(decode(at("size1/a.jpg")).width, 50u);
}

TEST_F(ShrinkTest, APictureThatCannotBeReadStopsTheStage) {
  put("good.jpg", {40, 30});
  const std::string whole = testutil::make_jpeg({40, 30});
  const struct {
    std::string name;
    std::string bytes;
    std::string log;
    std::string err;
  } cases[] = {
      {"bad.jpg", "garbage, not a picture",
       "bad.jpg: shrinkone() original analyze_markers fail.\nshinkone() fail.\n",
       ": getshrinklevel() analyze_markers fail.\n"},
      {"cut.jpg", whole.substr(0, 40),
       "cut.jpg: shrinkone() original analyze_markers fail.\nshinkone() fail.\n",
       ": getshrinklevel() analyze_markers fail.\n"},
      {"gone.jpg", "", "gone.jpg: shrinkone() original jpegdata load fail.\nshinkone() fail.\n",
       ": getshrinklevel() jpegdata load fail.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.bytes.empty()) write_file(at("original/" + c.name), c.bytes);
    emitted.clear();
    bool ok = true;
    const std::string err =
        capture_stderr([&] { ok = run({{"good.jpg", 0}, {c.name, 0}, {"later.jpg", 0}}); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(log.str(), c.log);
    EXPECT_NE(err.find(at("original/" + c.name) + c.err), std::string::npos) << err;
    EXPECT_EQ(emitted, std::vector<double>{1.0 / 3});
    EXPECT_TRUE(testutil::exists(at("thumb/good.jpg")));
    EXPECT_FALSE(testutil::exists(at("thumb/" + c.name)));
  }
}

TEST_F(ShrinkTest, AStripTooThinForItsLevelsFailsInsteadOfEndingTheProgram) {
  put("strip.jpg", {300, 3});  // L = 3: heights 1, 0, ...
  bool ok = true;
  const std::string err = capture_stderr([&] { ok = run({{"strip.jpg", 0}}); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, at("size2/strip.jpg") + ": svjinfo compress() fail.\n");
  EXPECT_EQ(log.str(), at("size2/strip.jpg") + ": savejpeg fail.\nshinkone() fail.\n");
  EXPECT_EQ(decode(at("size1/strip.jpg")).height, 1u);
}

TEST_F(ShrinkTest, FilesOtherThanPicturesAndMoviesAreLeftAlone) {
  put("a.JPEG", {20, 20});
  write_file(at("original/voice.wav"), "wav");
  write_file(at("original/notes.txt"), "notes");
  ASSERT_TRUE(run({{"voice.wav", 0}, {"a.JPEG", 0}, {"notes.txt", 0}}));
  EXPECT_EQ(emitted, (std::vector<double>{1.0 / 3, 2.0 / 3, 1.0}));
  EXPECT_TRUE(testutil::exists(at("thumb/a.JPEG")));
  EXPECT_EQ(testutil::folder_state(at("thumb")).size(), 1u);
  EXPECT_EQ(testutil::folder_state(at("size1")).size(), 1u);
}

TEST_F(ShrinkTest, MoviesGetTheirLevelsAndStillsInTurnWithPictures) {
  g_global.shrink_size = {160, 160};  // 320 x 240 needs one halving
  testutil::write_movie(at("original/clip.MOV"), {320, 240});
  put("a.jpg", {40, 30});
  bool ok = false;
  testutil::capture_stderr([&] { ok = run({{"clip.MOV", 0}, {"a.jpg", 0}}); });  // ffmpeg's chatter
  ASSERT_TRUE(ok) << log.str();
  EXPECT_EQ(emitted, (std::vector<double>{0.5, 1.0}));
  const struct {
    std::string file;
    unsigned width, height;
  } movies[] = {{"movie0/clip.mp4", 320, 240},
                {"movie1/clip.mp4", 160, 120},
                {"movie2/clip.mp4", 80, 60}};
  for (const auto& m : movies) {
    EXPECT_EQ(testutil::movie_frame_size(at(m.file)), (testutil::frame_size_t{m.width, m.height}))
        << m.file;
    const std::string still = m.file.substr(0, m.file.size() - 4) + ".jpg";
    EXPECT_EQ(decode(at(still)).width, m.width) << still;
  }
  EXPECT_FALSE(testutil::exists(at("movie3")));
  EXPECT_TRUE(testutil::exists(at("thumb/a.jpg")));
}

TEST_F(ShrinkTest, AMovieThatCannotBeConvertedStopsTheStage) {
  write_file(at("original/broken.mp4"), "no movie in here");
  put("a.jpg", {40, 30});
  bool ok = true;
  testutil::capture_stderr([&] { ok = run({{"broken.mp4", 0}, {"a.jpg", 0}}); });
  EXPECT_FALSE(ok);
  EXPECT_TRUE(emitted.empty());
  EXPECT_FALSE(testutil::exists(at("movie0/broken.mp4")));
  EXPECT_FALSE(testutil::exists(at("thumb/a.jpg")));
}

TEST(LoadJpeg, TurnsThePictureUprightByItsOrientation) {
  TempDir dir;
  const struct {
    uint16_t orientation;
    unsigned turns;
  } cases[] = {{0, 0}, {1, 0}, {6, 1}, {3, 2}, {8, 3}, {5, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    testutil::camera_settings camera;
    camera.orientation = c.orientation;
    testutil::jpeg_options o(40, 24);
    o.app1 = testutil::camera_exif(camera).app1_payload();
    testutil::write_jpeg(dir / "a.jpg", o);
    libgr::image2d_t image;
    ASSERT_TRUE(load_jpeg(image, dir / "a.jpg"));
    EXPECT_EQ(testutil::max_difference(as_decoded(image),
                                       testutil::rotate_reference(decode(dir / "a.jpg"), c.turns)),
              0u);
  }
}

TEST(LoadJpeg, RefusesOtherNamesSilentlyAndReportsBadFiles) {
  TempDir dir;
  testutil::write_jpeg(dir / "a.png", {8, 8});
  write_file(dir / "bad.jpg", "garbage");
  libgr::image2d_t image;
  std::string err = capture_stderr([&] { EXPECT_FALSE(load_jpeg(image, dir / "a.png")); });
  EXPECT_EQ(err, "");
  err = capture_stderr([&] { EXPECT_FALSE(load_jpeg(image, dir / "missing.jpg")); });
  EXPECT_NE(err.find(dir / "missing.jpg" + ": load_jpeg() jpegdata load fail.\n"), std::string::npos)
      << err;
  err = capture_stderr([&] { EXPECT_FALSE(load_jpeg(image, dir / "bad.jpg")); });
  EXPECT_NE(err.find(dir / "bad.jpg" + ": load_jpeg() decompress fail.\n"), std::string::npos)
      << err;
}

TEST(LoadThumbnail, UsesTheTurnedExifThumbnailElseAReducedPicture) {
  SettingsGuard settings;
  g_global.shrink_size = {64, 64};  // reduced pictures fit 16 x 16
  TempDir dir;
  testutil::jpeg_options small(32, 16);
  small.seed = 3;
  const std::string exif_thumbnail = testutil::make_jpeg(small);
  testutil::camera_settings camera;
  camera.orientation = 6;
  camera.thumbnail = exif_thumbnail;
  testutil::jpeg_options with(100, 40);
  with.app1 = testutil::camera_exif(camera).app1_payload();
  testutil::write_jpeg(dir / "with.jpg", with);
  camera.thumbnail.clear();
  testutil::jpeg_options without(100, 40);
  without.app1 = testutil::camera_exif(camera).app1_payload();
  testutil::write_jpeg(dir / "without.jpg", without);

  libgr::image2d_t image;
  ASSERT_TRUE(load_thumbnail(image, dir / "with.jpg"));
  EXPECT_EQ(testutil::max_difference(
                as_decoded(image),
                testutil::rotate_reference(testutil::reference_decode(exif_thumbnail), 1)),
            0u);
  ASSERT_TRUE(load_thumbnail(image, dir / "without.jpg"));
  EXPECT_EQ(image.width, 12u);  // 100, 50, 25, 12: not turned
  EXPECT_EQ(image.height, 5u);
  EXPECT_FALSE(load_thumbnail(image, dir / "with.txt"));
}

TEST_F(ShrinkTest, ThumbnailLookupPrefersThumbThenSize0ThenOriginal) {
  g_global.shrink_size = {1024, 1024};  // reduced pictures fit 256 x 256
  put("a.jpg", {8, 8});
  testutil::make_dirs(at("size0"));
  testutil::make_dirs(at("thumb"));
  testutil::write_jpeg(at("size0/a.jpg"), {16, 16});
  testutil::write_jpeg(at("thumb/a.jpg"), {24, 24});
  libgr::image2d_t image;
  ASSERT_TRUE(load_exifthumbnail_or_thumbdir(image, album, "a.jpg"));
  EXPECT_EQ(image.width, 24u);
  ::unlink(at("thumb/a.jpg").c_str());
  ASSERT_TRUE(load_exifthumbnail_or_thumbdir(image, album, "a.jpg"));
  EXPECT_EQ(image.width, 16u);
  ::unlink(at("size0/a.jpg").c_str());
  ASSERT_TRUE(load_exifthumbnail_or_thumbdir(image, album, "a.jpg"));
  EXPECT_EQ(image.width, 8u);
}

TEST_F(ShrinkTest, ScaledThumbnailPicksTheLevelForTheScreen) {
  testutil::jpeg_options o(200, 150);  // L = 2: 200, 100, 50, 25, thumbnail 12
  o.sampling = testutil::jpeg_sampling::gray;
  put("a.jpg", o);
  ASSERT_TRUE(run({{"a.jpg", 0}}));
  const struct {
    unsigned long long show_level;
    int scale;
    unsigned width;
  } cases[] = {
      {1, 1, 25},  {1, 2, 50}, {1, 3, 50}, {1, 4, 100}, {1, 0, 12},
      {0, 0, 12},  {0, 1, 12}, {5, 1, 200}, {1, -1, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.show_level) + " " + std::to_string(c.scale));
    g_global.show_level = c.show_level;
    libgr::image2d_t image;
    EXPECT_TRUE(load_scaled_thumbnail(image, album, "a.jpg", c.scale));
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.desc.format, libgr::IMAGE_FORMAT_RGB);
  }
  // A missing level falls back to the thumbnail.
  g_global.show_level = 1;
  ::unlink(at("size3/a.jpg").c_str());
  libgr::image2d_t image;
  const std::string err =
      capture_stderr([&] { EXPECT_TRUE(load_scaled_thumbnail(image, album, "a.jpg", 1)); });
  EXPECT_NE(err.find(at("size3/a.jpg") + ": load_jpeg() jpegdata load fail.\n"), std::string::npos)
      << err;
  EXPECT_EQ(image.width, 12u);
}

TEST(ShrinkSamples, CameraPicturesGetEveryLevel) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "camera samples not found";
  SettingsGuard settings;
  g_global.shrink_size = {32, 32};
  const struct {
    std::string folder;
    std::string name;
    std::uint64_t rotation;
    bool exif_thumbnail;     // carries one, copied byte for byte when not turned
    bool turned_sideways;    // "size0" has width and height swapped
    std::uint64_t level;
  } cases[] = {
      {"jpg", "Canon_40D.jpg", 0, true, false, 2},  // 100 x 68
      {"jpg", "Nikon_D70.jpg", 0, true, false, 2},
      {"jpg", "Pentax_K10D.jpg", 2, true, false, 2},
      {"jpg", "Olympus_C8080WZ.jpg", 3, true, true, 2},
      {"jpg/orientation", "landscape_6.jpg", 0, false, false, 5},  // 450 x 600
      {"jpg/orientation", "portrait_8.jpg", 2, false, true, 5},
  };
  TempDir base;
  testutil::make_dirs(base / "day");
  const path_t album{base.path(), "", "day"};
  sigc::signal<void, double> progress;
  std::ostringstream log;
  std::vector<files_t> files;
  std::map<std::string, testutil::file_state_t> before;
  for (const auto& c : cases) {
    const std::string source = samples + "/" + c.folder + "/" + c.name;
    before[c.name] = testutil::file_state(source);
    ASSERT_TRUE(copyfiles(samples + "/" + c.folder, {{c.name, c.rotation}}, album, progress));
    files.push_back({c.name, c.rotation});
  }
  ASSERT_TRUE(shrink(album, files, progress, log)) << log.str();

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(testutil::file_state(samples + "/" + c.folder + "/" + c.name), before[c.name]);
    const std::string original = read_file(base / ("day/original/" + c.name));
    EXPECT_EQ(original, before[c.name].bytes);
    const decoded_t full = testutil::reference_decode(original);
    decoded_t previous = decode(base / ("day/size0/" + c.name));
    EXPECT_EQ(previous.width, c.turned_sideways ? full.height : full.width);
    const std::uint64_t L = getshrinklevel(album, c.name);
    EXPECT_EQ(L, c.level);
    for (std::uint64_t k = 1; k <= L + 1; ++k) {
      const decoded_t level = decode(base / ("day/size" + std::to_string(k) + "/" + c.name));
      EXPECT_EQ(level.width, previous.width / 2);
      EXPECT_EQ(level.height, previous.height / 2);
      previous = level;
    }
    const std::string thumb = read_file(base / ("day/thumb/" + c.name));
    if (c.exif_thumbnail && c.rotation == 0) {
      ASSERT_GT(thumb.size(), 100u);
      EXPECT_NE(original.find(thumb), std::string::npos) << "not the embedded thumbnail";
    } else if (!c.exif_thumbnail) {
      EXPECT_EQ(testutil::reference_decode(thumb).width, previous.width / 2);
    } else {
      EXPECT_GT(testutil::reference_decode(thumb).width, 0u);
    }
  }
}

}  // namespace
}  // namespace pictora
