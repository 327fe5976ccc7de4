// pictora-cli jpeg: info, rotate and halve on written pictures.
#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"

namespace pictora {
namespace {

class JpegCliTest : public CliTest {
 protected:
  // A picture with EXIF orientation 6 and a 160x120 embedded thumbnail.
  std::string camera_picture(unsigned width, unsigned height) {
    testutil::camera_settings settings;
    settings.orientation = 6;
    settings.thumbnail = testutil::make_jpeg({160, 120});
    thumbnail_size = settings.thumbnail.size();
    testutil::jpeg_options o(width, height);
    o.app1 = testutil::camera_exif(settings).app1_payload();
    o.segments = {{0xFE, "made by the tests"}};
    const std::string path = work / "camera.jpg";
    testutil::write_jpeg(path, o);
    return path;
  }

  testutil::TempDir work;
  size_t thumbnail_size = 0;
};

TEST_F(JpegCliTest, InfoListsSizeOrientationThumbnailAndSegments) {
  const std::string file = camera_picture(640, 480);
  ASSERT_EQ(run({"jpeg", "info", file}), 0) << err;
  EXPECT_EQ(out, "width 640\nheight 480\ncomponents 3\norientation 6\nexif-thumbnail " +
                     std::to_string(thumbnail_size) + "\nmarkers e0 e1 fe\n");
  EXPECT_EQ(err, "");

  const std::string gray = work / "gray.jpg";
  testutil::jpeg_options o(33, 17);
  o.sampling = testutil::jpeg_sampling::gray;
  o.jfif = false;
  testutil::write_jpeg(gray, o);
  ASSERT_EQ(run({"jpeg", "info", gray}), 0) << err;
  EXPECT_EQ(out, "width 33\nheight 17\ncomponents 1\nexif-thumbnail 0\nmarkers\n");
}

TEST_F(JpegCliTest, RotateTurnsByQuarterTurnsAndRefusesLargerCounts) {
  const std::string file = camera_picture(640, 480);
  const std::string turned = work / "turned.jpg";
  ASSERT_EQ(run({"jpeg", "rotate", "1", file, turned}), 0) << err;
  ASSERT_EQ(run({"jpeg", "info", turned}), 0) << err;
  // The EXIF block is not carried over by the transform.
  EXPECT_EQ(out, "width 480\nheight 640\ncomponents 3\nexif-thumbnail 0\nmarkers e0\n");

  const std::string none = work / "none.jpg";
  EXPECT_EQ(run({"jpeg", "rotate", "4", file, none}), 1);
  EXPECT_EQ(err, "4: jpeg transform rightrotate count over.\n");
  EXPECT_FALSE(testutil::exists(none));
}

TEST_F(JpegCliTest, HalveRoundsDownAndKeepsTheSegments) {
  const std::string file = camera_picture(641, 481);
  const std::string half = work / "half.jpg";
  ASSERT_EQ(run({"jpeg", "halve", file, half}), 0) << err;
  const testutil::decoded_t decoded = testutil::reference_decode(testutil::read_file(half));
  EXPECT_EQ(decoded.width, 320u);
  EXPECT_EQ(decoded.height, 240u);
  ASSERT_EQ(run({"jpeg", "info", half}), 0) << err;
  EXPECT_EQ(out, "width 320\nheight 240\ncomponents 3\norientation 6\nexif-thumbnail " +
                     std::to_string(thumbnail_size) + "\nmarkers e0 e0 e1 fe\n");
}

TEST_F(JpegCliTest, MissingFilesAndWrongArgumentsFail) {
  const std::string missing = work / "missing.jpg";
  EXPECT_EQ(run({"jpeg", "info", missing}), 1);
  EXPECT_EQ(err, missing + ": jpegdata load fail.\n");
  EXPECT_EQ(run({"jpeg", "halve", missing, work / "out.jpg"}), 1);
  EXPECT_EQ(run({"jpeg", "rotate", "1", missing, work / "out.jpg"}), 1);
  EXPECT_FALSE(testutil::exists(work / "out.jpg"));

  EXPECT_EQ(run({"jpeg", "info"}), 2);
  EXPECT_EQ(run({"jpeg", "rotate", "x", missing, missing}), 2);
  EXPECT_EQ(run({"jpeg", "turn"}), 2);
}

}  // namespace
}  // namespace pictora
