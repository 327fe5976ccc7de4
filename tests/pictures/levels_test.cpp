// The size levels of an album built by `pictora-cli make-album`, and
// `pictora-cli jpeg halve`: every level holds the full-size picture halved
// once per level (2 x 2 means, truncated; an odd last column and top row
// dropped), encoded once, with no loss beyond that encoding.
#include <gtest/gtest.h>

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
// pictures are written with halved chroma, which the mean brightness
// notices little (most on the smallest thumbnails).
void expect_encoded_from(const decoded_t& pixels, const decoded_t& encoded) {
  ASSERT_EQ(pixels.width, encoded.width);
  ASSERT_EQ(pixels.height, encoded.height);
  if (pixels.components == 1) {
    EXPECT_LE(testutil::max_difference(pixels, encoded), 1u);
  } else {
    EXPECT_LE(testutil::mean_difference(pixels, encoded), 1.0);
  }
}

struct picture_case {
  const char* name;
  unsigned width, height;
  jpeg_sampling sampling;
  const char* pick;  // --pick argument
  unsigned levels;   // "size1" .. "size" levels, then "thumb"
};

TEST(Levels, EveryLevelIsTheFullSizeHalvedOncePerLevel) {
  const picture_case cases[] = {
      {"wide.jpg", 200, 150, jpeg_sampling::yuv420, "wide.jpg", 3},
      {"odd.jpg", 97, 61, jpeg_sampling::yuv444, "odd.jpg", 2},
      {"gray.jpg", 131, 35, jpeg_sampling::gray, "gray.jpg", 3},
      {"strip.jpg", 259, 40, jpeg_sampling::yuv422, "strip.jpg", 3},
      {"turned.jpg", 97, 61, jpeg_sampling::yuv420, "turned.jpg:90", 2},
  };
  testutil::TempDir camera, base;
  std::vector<std::string> args = {"--set", "shrink_size=64x64", "make-album", camera.path(), base / "book/day",
                                   "--title", "Day"};
  for (const picture_case& c : cases) {
    testutil::jpeg_options o(c.width, c.height);
    o.sampling = c.sampling;
    testutil::write_jpeg(camera / c.name, o);
    args.insert(args.end(), {"--pick", c.pick});
  }
  const pictures::cli_result r = pictures::run_cli(args);
  ASSERT_EQ(0, r.status) << r.err;

  for (const picture_case& c : cases) {
    SCOPED_TRACE(c.name);
    // "size0" is the original, or its lossless turn: the pixels the levels come from.
    const decoded_t full = decode(base / "book/day/size0/" + c.name);
    ASSERT_EQ(full.width, std::string(c.pick).find(':') == std::string::npos ? c.width : c.height);
    for (unsigned k = 1; k <= c.levels + 1; ++k) {
      SCOPED_TRACE(k);
      const std::string dir = k <= c.levels ? "size" + std::to_string(k) : "thumb";
      expect_encoded_from(pictures::halved(full, k), decode(base / "book/day/" + dir + "/" + c.name));
    }
    EXPECT_FALSE(testutil::exists(base / "book/day/size" + std::to_string(c.levels + 1) + "/" + c.name));
  }
}

TEST(Levels, HalveKeepsTheSegmentsOfItsSource) {
  testutil::jpeg_options gray(33, 17), camera(97, 61), tiny(3, 3);
  gray.sampling = jpeg_sampling::gray;
  camera.sampling = jpeg_sampling::yuv422;
  camera.app1 = testutil::camera_exif({}).app1_payload();
  camera.segments = {{0xFE, "a comment"}, {0xE2, "a profile"}};
  tiny.sampling = jpeg_sampling::yuv444;
  testutil::TempDir dir;
  for (const testutil::jpeg_options& o : {gray, camera, tiny}) {
    SCOPED_TRACE(std::to_string(o.width) + "x" + std::to_string(o.height));
    testutil::write_jpeg(dir / "in.jpg", o);
    const pictures::cli_result r = pictures::run_cli({"jpeg", "halve", dir / "in.jpg", dir / "out.jpg"});
    ASSERT_EQ(0, r.status) << r.err;
    expect_encoded_from(pictures::halved(decode(dir / "in.jpg"), 1), decode(dir / "out.jpg"));
    // libjpeg's own JFIF header first, then every segment of the source.
    std::vector<int> markers = {0xE0};
    for (int m : testutil::read_coefficients(testutil::read_file(dir / "in.jpg")).markers) markers.push_back(m);
    EXPECT_EQ(markers, testutil::read_coefficients(testutil::read_file(dir / "out.jpg")).markers);
  }
}

}  // namespace
