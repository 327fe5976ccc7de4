// The size levels of an album built by `pictora-cli make-album`, and
// `pictora-cli jpeg halve`: every level holds the full-size picture halved
// once per level (2 x 2 means, truncated; an odd last column and top row
// dropped), encoded once, with no loss beyond that encoding.
#include <gtest/gtest.h>

#include <sstream>

#include "app/global.h"
#include "app/update.h"

#include "tests/pictures/pictures.h"
#include "tests/support/exif_writer.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

using testutil::decoded_t;
using testutil::jpeg_sampling;

decoded_t decode(const std::string& path) { return testutil::reference_decode(testutil::read_file(path)); }

// How far a picture encoded once at the default quality (100) may be from
// the pixels it was made of: gray keeps every value within one step; colour
// pictures are written with halved chroma, which their mean brightness
// notices little (most on the smallest thumbnails).
void expect_encoded_from(const decoded_t& pixels, const decoded_t& encoded) {
  ASSERT_EQ(pixels.width, encoded.width);
  ASSERT_EQ(pixels.height, encoded.height);
  EXPECT_LE(pixels.components == 1 ? testutil::max_difference(pixels, encoded) : testutil::mean_difference(pixels, encoded),
            1.0);
}

TEST(Levels, EveryLevelIsTheFullSizeHalvedOncePerLevel) {
  const struct {
    const char* pick;  // --pick NAME[:DEGREES]
    unsigned width, height;
    jpeg_sampling sampling;
    unsigned levels;  // "size1" .. "size" levels, then "thumb"
    bool segments = false;  // EXIF, a comment and a profile
  } cases[] = {{"wide.jpg", 200, 150, jpeg_sampling::yuv420, 3}, {"odd.jpg", 97, 61, jpeg_sampling::yuv444, 2, true},
               {"gray.jpg", 131, 35, jpeg_sampling::gray, 3},    {"strip.jpg", 259, 40, jpeg_sampling::yuv422, 3},
               {"turned.jpg:90", 97, 61, jpeg_sampling::yuv420, 2},
               // A side of one pixel halves to one pixel.
               {"dot.jpg", 1, 1, jpeg_sampling::yuv420, 1},       {"speck.jpg", 3, 3, jpeg_sampling::gray, 1},
               {"line.jpg", 1024, 3, jpeg_sampling::yuv444, 5}};
  testutil::TempDir camera, base;
  std::vector<std::string> args = {"--set", "shrink_size=64x64", "make-album", camera.path(), base / "day", "--title", "D"};
  for (const auto& c : cases) {
    testutil::jpeg_options o(c.width, c.height);
    o.sampling = c.sampling;
    if (c.segments) o.app1 = testutil::camera_exif({}).app1_payload(), o.segments = {{0xFE, "comment"}, {0xE2, "profile"}};
    testutil::write_jpeg(camera / std::string(c.pick).substr(0, std::string(c.pick).find(':')), o);
    args.insert(args.end(), {"--pick", c.pick});
  }
  const pictures::cli_result r = pictures::run_cli(args);
  ASSERT_EQ(0, r.status) << r.err;
  for (const auto& c : cases) {
    const std::string name = std::string(c.pick).substr(0, std::string(c.pick).find(':'));
    SCOPED_TRACE(name);
    // "size0" is the original, or its lossless turn: the pixels the levels come from.
    const decoded_t full = decode(base / "day/size0/" + name);
    ASSERT_EQ(name == "turned.jpg" ? c.height : c.width, full.width);
    for (unsigned k = 1; k <= c.levels + 1; ++k) {
      const std::string dir = k <= c.levels ? "size" + std::to_string(k) : "thumb";
      SCOPED_TRACE(dir);
      expect_encoded_from(pictures::halved(full, k), decode(base / "day/" + dir + "/" + name));
    }
    EXPECT_FALSE(testutil::exists(base / "day/size" + std::to_string(c.levels + 1) + "/" + name));

    // `jpeg halve` of the same picture, with libjpeg's own JFIF header and then every segment of the source.
    ASSERT_EQ("", pictures::run_cli({"jpeg", "halve", camera / name, base / "half.jpg"}).err);
    expect_encoded_from(pictures::halved(decode(camera / name), 1), decode(base / "half.jpg"));
    std::vector<int> markers = testutil::read_coefficients(testutil::read_file(camera / name)).markers;
    markers.insert(markers.begin(), 0xE0);
    EXPECT_EQ(markers, testutil::read_coefficients(testutil::read_file(base / "half.jpg")).markers);
  }
}

}  // namespace

namespace {

// A turn asked for on an update (the album editor's) is made from the
// original each time: the levels equal those of an album built turned,
// however often the update runs, and however the picture was built before.
TEST(Levels, ATurnOnUpdateIsMadeFromTheOriginalEveryTime) {
  const pictora::global_t saved = pictora::g_global;
  pictora::g_global.shrink_size = {64, 64};
  testutil::TempDir camera, base;
  testutil::camera_settings settings;
  settings.orientation = 6;
  settings.thumbnail = testutil::make_jpeg({40, 30});
  testutil::jpeg_options o(200, 150);
  o.app1 = testutil::camera_exif(settings).app1_payload();
  testutil::write_jpeg(camera / "a.jpg", o);
  for (const char* album : {"plain", "turned"}) {
    const std::string pick = std::string("a.jpg") + (album == std::string("turned") ? ":180" : "");
    ASSERT_EQ(0, pictures::run_cli({"--set", "shrink_size=64x64", "make-album", camera.path(), base / album, "--title",
                                    "D", "--pick", pick}).status);
  }
  const pictora::path_t plain{base.path(), "", "plain"};
  for (int run = 0; run < 2; ++run) {
    sigc::signal<void, double> progress;
    libutils::report_log_t log;
    pictora::global_t settings;
    settings.shrink_size = {64, 64};
    const pictora::build_context_t ctx(settings);
    ASSERT_TRUE(pictora::updatealbum(ctx, plain, {{"a.jpg", 2}}, progress, progress, progress, progress, log))
        << log.text();
  }
  // The same pixels; the update encodes "size0" again from its own pixels
  // after the lossless turn.
  for (const char* level : {"size0", "size1", "size2", "size3", "thumb"}) {
    SCOPED_TRACE(level);
    const std::string relative = std::string("/") + level + "/a.jpg";
    const decoded_t updated = decode(base / "plain" + relative), built = decode(base / "turned" + relative);
    if (level == std::string("size0"))
      expect_encoded_from(built, updated);
    else
      EXPECT_EQ(0u, testutil::max_difference(built, updated));
  }
  pictora::g_global = saved;
}

}  // namespace
