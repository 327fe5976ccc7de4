// pictora-cli exif: the caption of a written picture, plain and for pages.
#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"

namespace pictora {
namespace {

class ExifCliTest : public CliTest {
 protected:
  testutil::TempDir work;
};

TEST_F(ExifCliTest, WritesTheCaption) {
  testutil::jpeg_options o(64, 48);
  o.app1 = testutil::camera_exif(testutil::camera_settings()).app1_payload();
  const std::string file = work / "camera.jpg";
  testutil::write_jpeg(file, o);

  ASSERT_EQ(run({"exif", file}), 0) << err;
  EXPECT_EQ(out,
            "\t2024:05:01 10:20:30\n"
            "\tPictora, Test Camera\n"
            "\t, f=50mm, f/2.8, 1/125sec, iso200, -1/3 EV\n"
            "\t, sRGB\n");
  EXPECT_EQ(err, "");

  ASSERT_EQ(run({"exif", "--html", file}), 0) << err;
  EXPECT_EQ(out,
            "\t2024:05:01 10:20:30\n"
            "\t<br>Pictora, Test Camera\n"
            "\t<br>, f=50mm, f/2.8, 1/125sec, iso200, -1/3 EV\n"
            "\t<br>, sRGB\n");
}

TEST_F(ExifCliTest, FailsSilentlyWithoutExif) {
  const std::string plain = work / "plain.jpg";
  testutil::write_jpeg(plain, testutil::jpeg_options(16, 16));
  EXPECT_EQ(run({"exif", plain}), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(run({"exif", "--html", work / "missing.jpg"}), 1);
  EXPECT_EQ(out, "");
}

TEST_F(ExifCliTest, NeedsExactlyOneFile) {
  EXPECT_EQ(run({"exif"}), 2);
  EXPECT_EQ(run({"exif", "a.jpg", "b.jpg"}), 2);
  EXPECT_NE(err.find("exif needs one FILE"), std::string::npos) << err;
}

}  // namespace
}  // namespace pictora
