// Lossless quarter turns through `pictora-cli jpeg rotate` give the very file
// that `jpegtran -rotate N -copy none` writes. Trimming is off in both: the
// partial blocks at the right and bottom edges stay where they are and the
// picture keeps its full size, so sides that are not whole blocks are
// compared too.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/pictures/pictures.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/test_util.h"

namespace {

using testutil::jpeg_sampling;

TEST(LosslessTurn, EverySamplingAndSizeAndTheCameraPicturesLikeJpegtran) {
  std::vector<std::pair<std::string, std::string>> sources;  // name, bytes
  for (const auto& size : {std::pair{64u, 48u}, {33u, 17u}, {1u, 1u}, {17u, 300u}})
    for (jpeg_sampling s : {jpeg_sampling::yuv420, jpeg_sampling::yuv422, jpeg_sampling::yuv444, jpeg_sampling::gray,
                            jpeg_sampling::cmyk}) {
      testutil::jpeg_options o(size.first, size.second);
      o.sampling = s;
      sources.emplace_back(std::to_string(o.width) + "x" + std::to_string(o.height) + " sampling " +
                               std::to_string(int(s)), testutil::make_jpeg(o));
    }
  sources.emplace_back("progressive", testutil::run_jpegtran({"-progressive"}, testutil::make_jpeg({33, 17})).jpeg);
  if (!testutil::samples_dir().empty()) {
    for (const auto& e : std::filesystem::directory_iterator(testutil::samples_dir() + "/jpg/orientation"))
      if (e.path().extension() == ".jpg") sources.emplace_back(e.path(), testutil::read_file(e.path()));
  }
  testutil::TempDir dir;
  for (const auto& [name, jpeg] : sources) {
    testutil::write_file(dir / "in.jpg", jpeg);
    for (unsigned turns = 0; turns < 4; ++turns) {
      SCOPED_TRACE(name + " turned " + std::to_string(turns * 90));
      std::vector<std::string> options = {"-copy", "none"};
      if (turns != 0) options.insert(options.begin(), {"-rotate", std::to_string(turns * 90)});
      const testutil::jpegtran_result expected = testutil::run_jpegtran(options, jpeg);
      ASSERT_EQ(0, expected.status) << expected.report;
      const pictures::cli_result r =
          pictures::run_cli({"jpeg", "rotate", std::to_string(turns), dir / "in.jpg", dir / "out.jpg"});
      ASSERT_EQ("", r.err);
      const std::string actual = testutil::read_file(dir / "out.jpg");
      EXPECT_TRUE(expected.jpeg == actual);
    }
  }
  EXPECT_EQ(dir / "in.jpg: no such turn, not turned, nothing written\n  4: jpeg transform rightrotate count over.\n",
            pictures::run_cli({"jpeg", "rotate", "4", dir / "in.jpg", dir / "out.jpg"}).err);
  if (testutil::samples_dir().empty()) GTEST_SKIP() << "the camera pictures of " << PICTORA_SAMPLES_DIR << " were not turned";
}

}  // namespace
