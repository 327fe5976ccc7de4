// The pictures the windows show, from an album built by `pictora-cli
// make-album`: which file each loader takes, the level chosen for the
// screen's scale factor and the show_level setting, and the picture turned
// upright by its EXIF orientation.
#include <gtest/gtest.h>

#include <functional>

#include "app/global.h"
#include "app/shrink.h"
#include "tests/pictures/pictures.h"
#include "tests/support/exif_writer.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

using testutil::decoded_t;

decoded_t decode(const std::string& path) { return testutil::reference_decode(testutil::read_file(path)); }

struct loader_case {
  const char* label;
  std::function<bool(libgr::image2d_t&)> load;
  std::string file;  // what the picture must be: this file decoded ...
  unsigned turns;    // ... and turned this many quarter turns clockwise
  unsigned halvings = 0;
  bool rgb = false;  // gray widened to RGB
};

TEST(DisplayLoaders, PickTheirFileAndTurnItUpright) {
  const pictora::global_t saved = pictora::g_global;
  // 200 x 150 in a box of 64 x 64: "size0" to "size3", then "thumb"; reduced
  // pictures fit 16 x 16.
  pictora::g_global.shrink_size = {64, 64};
  testutil::TempDir camera, base;
  const std::string exif_thumbnail = testutil::make_jpeg({40, 30});
  for (unsigned orientation : {1, 3, 6, 8}) {
    testutil::camera_settings settings;
    settings.orientation = static_cast<uint16_t>(orientation);
    settings.thumbnail = exif_thumbnail;
    testutil::jpeg_options o(200, 150);
    o.seed = orientation;
    o.app1 = testutil::camera_exif(settings).app1_payload();
    testutil::write_jpeg(camera / ("o" + std::to_string(orientation) + ".jpg"), o);
  }
  testutil::jpeg_options gray(200, 150);
  gray.sampling = testutil::jpeg_sampling::gray;
  testutil::write_jpeg(camera / "gray.jpg", gray);
  const pictures::cli_result r = pictures::run_cli(
      {"--set", "shrink_size=64x64", "make-album", camera.path(), base / "day", "--title", "Day"});
  ASSERT_EQ(0, r.status) << r.err;
  const pictora::path_t album{base.path(), "", "day"};
  const std::string day = base / "day/";
  // A picture that lost its thumbnail and a level, and one only in "original".
  ASSERT_EQ(0, std::remove((day + "thumb/gray.jpg").c_str()));
  ASSERT_EQ(0, std::remove((day + "size3/gray.jpg").c_str()));
  testutil::write_file(day + "original/late.jpg", testutil::read_file(camera / "o8.jpg"));
  testutil::write_file(camera / "thumbnail.jpg", exif_thumbnail);

  using libgr::image2d_t;
  auto scaled = [&](const char* name, unsigned long long show_level, int scale) {
    return [=](image2d_t& image) {
      pictora::g_global.show_level = show_level;
      return pictora::load_scaled_thumbnail(image, album, name, scale);
    };
  };
  const loader_case cases[] = {
      {"upright", [&](image2d_t& i) { return pictora::load_jpeg(i, day + "original/o1.jpg"); }, day + "original/o1.jpg", 0},
      {"upside down", [&](image2d_t& i) { return pictora::load_jpeg(i, day + "size1/o3.jpg"); }, day + "size1/o3.jpg", 2},
      {"turned right", [&](image2d_t& i) { return pictora::load_jpeg(i, day + "original/o6.jpg"); }, day + "original/o6.jpg", 1},
      {"turned left", [&](image2d_t& i) { return pictora::load_jpeg(i, day + "size2/o8.jpg"); }, day + "size2/o8.jpg", 3},
      {"EXIF thumbnail", [&](image2d_t& i) { return pictora::load_thumbnail(i, day + "original/o6.jpg"); },
       camera / "thumbnail.jpg", 1},
      {"reduced picture", [&](image2d_t& i) { return pictora::load_thumbnail(i, day + "original/gray.jpg"); },
       day + "original/gray.jpg", 0, 4},
      {"thumb file", [&](image2d_t& i) { return pictora::load_exifthumbnail_or_thumbdir(i, album, "o6.jpg"); },
       day + "thumb/o6.jpg", 0},
      {"size0 without thumb", [&](image2d_t& i) { return pictora::load_exifthumbnail_or_thumbdir(i, album, "gray.jpg"); },
       day + "size0/gray.jpg", 0, 4},
      {"original only", [&](image2d_t& i) { return pictora::load_exifthumbnail_or_thumbdir(i, album, "late.jpg"); },
       camera / "thumbnail.jpg", 3},
      {"normal screen", scaled("o6.jpg", 1, 1), day + "size3/o6.jpg", 1},
      {"double density", scaled("o6.jpg", 1, 2), day + "size2/o6.jpg", 1},
      {"scale 3", scaled("o6.jpg", 1, 3), day + "size2/o6.jpg", 1},
      {"scale 4", scaled("o6.jpg", 1, 4), day + "size1/o6.jpg", 1},
      {"show level 0", scaled("o6.jpg", 0, 1), day + "thumb/o6.jpg", 0},
      {"show level beyond the levels", scaled("o6.jpg", 5, 1), day + "size0/o6.jpg", 1},
      {"gray level as RGB", scaled("gray.jpg", 1, 2), day + "size2/gray.jpg", 0, 0, true},
      {"missing level: the thumbnail", scaled("gray.jpg", 1, 1), day + "size0/gray.jpg", 0, 4, true},
  };
  for (const loader_case& c : cases) {
    SCOPED_TRACE(c.label);
    libgr::image2d_t image;
    bool ok = false;
    testutil::capture_stderr([&] { ok = c.load(image); });
    ASSERT_TRUE(ok);
    decoded_t expected = testutil::rotate_reference(pictures::halved(decode(c.file), c.halvings), c.turns);
    if (c.rgb) expected = pictures::as_rgb(expected);
    EXPECT_EQ(0u, testutil::max_difference(expected, pictures::topdown(image)));
  }
  libgr::image2d_t image;
  EXPECT_FALSE(pictora::load_jpeg(image, camera / "thumbnail.png"));
  pictora::g_global = saved;
}

}  // namespace
