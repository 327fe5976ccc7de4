// Lossless quarter turns through `pictora-cli jpeg rotate` give the very file
// that `jpegtran -rotate N -copy none` writes. Trimming is off in both: the
// partial blocks at the right and bottom edges stay where they are and the
// picture keeps its full size, so sides that are not whole blocks are
// compared too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/pictures/pictures.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/test_util.h"

namespace {

using testutil::jpeg_sampling;

struct source_t {
  std::string name;
  std::string jpeg;
};

std::vector<source_t> generated_sources() {
  std::vector<source_t> sources;
  const char* names[] = {"4:2:0", "4:2:2", "4:4:4", "gray", "cmyk"};
  const jpeg_sampling samplings[] = {jpeg_sampling::yuv420, jpeg_sampling::yuv422, jpeg_sampling::yuv444,
                                     jpeg_sampling::gray, jpeg_sampling::cmyk};
  const unsigned sizes[][2] = {{64, 48}, {33, 17}, {1, 1}, {17, 300}};
  for (const auto& size : sizes)
    for (size_t s = 0; s < std::size(samplings); ++s) {
      testutil::jpeg_options o(size[0], size[1]);
      o.sampling = samplings[s];
      sources.push_back({std::to_string(size[0]) + "x" + std::to_string(size[1]) + " " + names[s],
                         testutil::make_jpeg(o)});
    }
  const std::string plain = testutil::make_jpeg({33, 17});
  sources.push_back({"33x17 progressive", testutil::run_jpegtran({"-progressive"}, plain).jpeg});
  return sources;
}

void expect_turns_like_jpegtran(const source_t& source) {
  SCOPED_TRACE(source.name);
  testutil::TempDir dir;
  testutil::write_file(dir / "in.jpg", source.jpeg);
  for (unsigned turns = 0; turns < 4; ++turns) {
    SCOPED_TRACE(turns * 90);
    std::vector<std::string> options = {"-copy", "none"};
    if (turns != 0) options.insert(options.begin(), {"-rotate", std::to_string(turns * 90)});
    const testutil::jpegtran_result expected = testutil::run_jpegtran(options, source.jpeg);
    ASSERT_EQ(0, expected.status) << expected.report;

    const pictures::cli_result r = pictures::run_cli({"jpeg", "rotate", std::to_string(turns), dir / "in.jpg",
                                                      dir / "out.jpg"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.err);
    const std::string actual = testutil::read_file(dir / "out.jpg");
    EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(expected.jpeg),
                                                   testutil::read_coefficients(actual)));
    EXPECT_TRUE(expected.jpeg == actual) << "same coefficients, other bytes";
  }
}

TEST(LosslessTurn, EverySamplingAndSizeLikeJpegtran) {
  for (const source_t& source : generated_sources()) expect_turns_like_jpegtran(source);
}

TEST(LosslessTurn, CameraPicturesLikeJpegtran) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "needs the camera pictures of " << PICTORA_SAMPLES_DIR;
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(samples + "/jpg/orientation"))
    if (e.path().extension() == ".jpg") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const std::string& file : files) expect_turns_like_jpegtran({file, testutil::read_file(file)});
}

}  // namespace
