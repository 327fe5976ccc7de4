// The pictures the windows show, from an album built by `pictora-cli
// make-album`: which file each loader takes, the level chosen for the
// screen's scale factor and the show_level setting, and the picture turned
// upright by its EXIF orientation.
#include <gtest/gtest.h>

#include <functional>

#include "app/global.h"
#include "app/shrink.h"
#include "tests/pictures/pictures.h"
#include "app/movie.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_movie.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

using namespace std::string_literals;
using libgr::image2d_t;

TEST(DisplayLoaders, PickTheirFileAndTurnItUpright) {
  const pictora::global_t saved = pictora::g_global;
  // 200 x 150 in a box of 64 x 64: "size0" to "size3", then "thumb";
  // pictures reduced from their pixels fit 16 x 16.
  pictora::g_global.shrink_size = {64, 64};
  testutil::TempDir camera, base;
  testutil::write_file(camera / "thumbnail", testutil::make_jpeg({40, 30}));
  for (uint16_t orientation : {3, 6, 8}) {
    testutil::camera_settings settings;
    settings.orientation = orientation;
    settings.thumbnail = testutil::read_file(camera / "thumbnail");
    testutil::jpeg_options o(200, 150);
    o.seed = orientation;
    o.app1 = testutil::camera_exif(settings).app1_payload();
    // As an editing program saves it: an XMP packet in the first APP1 segment.
    if (orientation == 8) o.segments = {{0xE1, o.app1}}, o.app1 = "http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>"s;
    testutil::write_jpeg(camera / ("o" + std::to_string(orientation) + ".jpg"), o);
  }
  testutil::jpeg_options gray(200, 150);
  gray.sampling = testutil::jpeg_sampling::gray;
  testutil::write_jpeg(camera / "gray.jpg", gray);
  testutil::write_movie(camera / "clip.mp4", {200, 150});
  ASSERT_EQ(0, pictures::run_cli({"--set", "shrink_size=64x64", "make-album", camera.path(), base / "day", "--title", "D"})
                   .status);
  const pictora::path_t album{base.path(), "", "day"};
  const std::string day = base / "day/";
  // A picture that lost its thumbnail and a level, and one only in "original".
  ASSERT_EQ(0, std::remove((day + "thumb/gray.jpg").c_str()) + std::remove((day + "size3/gray.jpg").c_str()));
  testutil::write_file(day + "original/late.jpg", testutil::read_file(camera / "o8.jpg"));

  pictora::global_t settings;
  settings.shrink_size = {64, 64};
  libutils::report_log_t log;
  auto file = [&](auto loader, const std::string& path) {
    return [=, &settings, &log](image2d_t& i) { return loader(i, day + path, settings, log); };
  };
  auto thumb = [&](const char* name) {
    return [=, &settings, &log](image2d_t& i) {
      return pictora::load_exifthumbnail_or_thumbdir(i, album, name, settings, log);
    };
  };
  auto scaled = [&](const char* name, unsigned long long show_level, int scale) {
    return [=, &settings, &log](image2d_t& i) {
      return settings.show_level = show_level, pictora::load_scaled_thumbnail(i, album, name, scale, settings, log);
    };
  };
  auto still = [&](const char* name, int scale) {
    return [=, &settings, &log](image2d_t& i) {
      std::string duration, rate;
      return settings.show_level = 1,
             pictora::load_scaled_ffthumbnail(i, album, name, scale, duration, rate, settings, log);
    };
  };
  const struct {
    const char* label;
    std::function<bool(image2d_t&)> load;
    std::string file;  // what the picture must be: this file decoded, halved and turned, perhaps widened to RGB
    unsigned halvings, turns;
    bool rgb = false;
  } cases[] = {
      {"upside down", file(pictora::load_jpeg, "size1/o3.jpg"), day + "size1/o3.jpg", 0, 2},
      {"turned right", file(pictora::load_jpeg, "original/o6.jpg"), day + "original/o6.jpg", 0, 1},
      {"turned left", file(pictora::load_jpeg, "size2/o8.jpg"), day + "size2/o8.jpg", 0, 3},
      {"EXIF thumbnail", file(pictora::load_thumbnail, "original/o6.jpg"), camera / "thumbnail", 0, 1},
      {"reduced picture", file(pictora::load_thumbnail, "original/gray.jpg"), day + "original/gray.jpg", 4, 0},
      {"thumb file", thumb("o6.jpg"), day + "thumb/o6.jpg", 0, 0},
      {"size0 without thumb", thumb("gray.jpg"), day + "size0/gray.jpg", 4, 0},
      {"original only", thumb("late.jpg"), camera / "thumbnail", 0, 3},
      {"normal screen", scaled("o6.jpg", 1, 1), day + "size3/o6.jpg", 0, 1},
      {"double density", scaled("o6.jpg", 1, 2), day + "size2/o6.jpg", 0, 1},
      {"show level 0", scaled("o6.jpg", 0, 1), day + "thumb/o6.jpg", 0, 0},
      {"show level beyond the levels", scaled("o6.jpg", 5, 1), day + "size0/o6.jpg", 0, 1},
      {"gray level as RGB", scaled("gray.jpg", 1, 2), day + "size2/gray.jpg", 0, 0, true},
      {"missing level: the thumbnail", scaled("gray.jpg", 1, 1), day + "size0/gray.jpg", 4, 0, true},
      {"movie still, normal screen", still("clip.mp4", 1), day + "movie3/clip.jpg", 0, 0},
      {"movie still, double density", still("clip.mp4", 2), day + "movie2/clip.jpg", 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    image2d_t image;
    bool ok = false;
    ok = c.load(image);
    ASSERT_TRUE(ok) << log.text();
    testutil::decoded_t expected = testutil::reference_decode(testutil::read_file(c.file));
    expected = testutil::rotate_reference(pictures::halved(expected, c.halvings), c.turns);
    if (c.rgb) {  // every gray value three times
      std::vector<uint8_t> gray = std::move(expected.pixels);
      for (uint8_t v : gray) expected.pixels.insert(expected.pixels.end(), {v, v, v});
      expected.components = 3;
    }
    EXPECT_EQ(0u, testutil::max_difference(expected, pictures::topdown(image)));
  }
  image2d_t image;
  EXPECT_FALSE(pictora::load_jpeg(image, camera / "thumbnail", settings, log));  // not named as a picture
  EXPECT_EQ("width 200\nheight 150\ncomponents 3\norientation 8\nexif-thumbnail " +
                std::to_string(testutil::read_file(camera / "thumbnail").size()) + "\nmarkers e0 e1 e1\n",
            pictures::run_cli({"jpeg", "info", day + "original/o8.jpg"}).out);
  pictora::g_global = saved;
}

}  // namespace
