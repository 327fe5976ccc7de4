#include "libgr/transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/exif_writer.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

using testutil::jpeg_sampling;

libgr::jpegdata_t as_data(const std::string& bytes, const char* name) {
  libgr::jpegdata_t data;
  EXPECT_TRUE(data.resize(bytes.size()));
  std::memcpy(data.begin(), bytes.data(), bytes.size());
  data.name = name;
  return data;
}

std::string as_string(const libgr::jpegdata_t& data) {
  return data.empty() ? std::string()
                      : std::string(reinterpret_cast<const char*>(data.begin()), data.size());
}

struct run_t {
  bool ok = false;
  std::string report;  // standard error
  std::string jpeg;    // the output's bytes
};

run_t run_transform(unsigned long long count, const std::string& source) {
  const libgr::jpegdata_t in = as_data(source, "source.jpg");
  libgr::jpegdata_t out;
  run_t r;
  r.report = testutil::capture_stderr([&] { r.ok = libgr::transform(count, out, in); });
  r.jpeg = as_string(out);
  return r;
}

// jpegtran's options for the same rotation, keeping no segment of the source.
std::vector<std::string> jpegtran_options(unsigned count) {
  if (count == 0) return {"-copy", "none"};
  return {"-rotate", std::to_string(count * 90), "-copy", "none"};
}

// Empty when both decode to the same pixels.
std::string pixel_difference(const std::string& expected, const std::string& actual) {
  const testutil::decoded_t e = testutil::reference_decode(expected);
  const testutil::decoded_t a = testutil::reference_decode(actual);
  if (e.width != a.width || e.height != a.height || e.components != a.components)
    return "decoded layout differs";
  const auto mismatch = std::mismatch(e.pixels.begin(), e.pixels.end(), a.pixels.begin());
  if (mismatch.first == e.pixels.end()) return "";
  return "first differing sample at byte " + std::to_string(mismatch.first - e.pixels.begin());
}

const char* sampling_name(jpeg_sampling s) {
  switch (s) {
    case jpeg_sampling::yuv420: return "yuv420";
    case jpeg_sampling::yuv422: return "yuv422";
    case jpeg_sampling::yuv444: return "yuv444";
    case jpeg_sampling::gray: return "gray";
    case jpeg_sampling::cmyk: return "cmyk";
  }
  return "";
}

// ---- same result as jpegtran, on generated and camera pictures ----

struct source_case {
  std::string name;
  std::string path;  // a camera picture, or empty for a generated one
  testutil::jpeg_options options;
  bool progressive = false;
  bool missing = false;  // stands for the camera pictures when there are none

  std::string bytes() const {
    if (!path.empty()) return testutil::read_file(path);
    const std::string jpeg = testutil::make_jpeg(options);
    return progressive ? testutil::run_jpegtran({"-progressive"}, jpeg).jpeg : jpeg;
  }
};

struct rotation_case {
  source_case source;
  unsigned count;
};

std::string gtest_name(std::string s) {
  for (char& c : s)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return s;
}

std::vector<rotation_case> rotation_cases() {
  std::vector<source_case> sources;
  // Sides that are whole MCUs, partial ones, and pictures smaller than a block.
  const unsigned sizes[][2] = {{97, 61}, {33, 17}, {17, 33}, {640, 480}, {1, 1}, {16, 8}, {8, 16}};
  for (const auto& size : sizes) {
    for (jpeg_sampling s : {jpeg_sampling::yuv420, jpeg_sampling::yuv422, jpeg_sampling::yuv444,
                            jpeg_sampling::gray, jpeg_sampling::cmyk}) {
      testutil::jpeg_options o(size[0], size[1]);
      o.sampling = s;
      sources.push_back({std::to_string(size[0]) + "x" + std::to_string(size[1]) + "_" +
                             sampling_name(s),
                         "", o});
    }
  }
  source_case progressive{"97x61_yuv420_progressive", "", testutil::jpeg_options(97, 61), true};
  sources.push_back(progressive);

  const std::string samples = testutil::samples_dir();
  std::vector<std::string> paths;
  if (!samples.empty()) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(samples + "/jpg"))
      if (entry.is_regular_file() && entry.path().extension() == ".jpg")
        paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  if (paths.empty()) {
    source_case none{"camera_pictures", "", testutil::jpeg_options()};
    none.missing = true;
    sources.push_back(none);
  }
  for (const std::string& path : paths)
    sources.push_back({path.substr(samples.size() + 5, path.size() - samples.size() - 9), path,
                       testutil::jpeg_options()});

  std::vector<rotation_case> cases;
  for (const source_case& source : sources)
    for (unsigned count = 0; count < 4; ++count) cases.push_back({source, count});
  return cases;
}

void PrintTo(const rotation_case& c, std::ostream* os) {
  *os << c.source.name << " turned " << c.count * 90 << " degrees";
}

class SameAsJpegtran : public testing::TestWithParam<rotation_case> {};

TEST_P(SameAsJpegtran, CoefficientsPixelsAndReports) {
  const rotation_case& c = GetParam();
  if (c.source.missing) GTEST_SKIP() << "no camera pictures under " << PICTORA_SAMPLES_DIR;
  const std::string source = c.source.bytes();
  const testutil::jpegtran_result expected =
      testutil::run_jpegtran(jpegtran_options(c.count), source);
  // jpegtran's exit status 2 means "done, with warnings".
  ASSERT_EQ(expected.report.empty() ? 0 : 2, expected.status) << expected.report;

  const run_t actual = run_transform(c.count, source);

  // jpegtran reports exactly the warnings that make the transform fail.
  EXPECT_EQ(expected.report, actual.report);
  EXPECT_EQ(expected.report.empty(), actual.ok);
  EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(expected.jpeg),
                                                 testutil::read_coefficients(actual.jpeg)));
  EXPECT_EQ("", pixel_difference(expected.jpeg, actual.jpeg));
  // Same coefficients through the same writer: the very same file.
  EXPECT_TRUE(expected.jpeg == actual.jpeg);
}

INSTANTIATE_TEST_SUITE_P(Pictures, SameAsJpegtran, testing::ValuesIn(rotation_cases()),
                         [](const testing::TestParamInfo<rotation_case>& info) {
                           return gtest_name(info.param.source.name) + "_rot" +
                                  std::to_string(info.param.count * 90);
                         });

// ---- what the rotated file carries ----

TEST(Transform, CountZeroKeepsCoefficientsAndDropsSegments) {
  testutil::jpeg_options o(97, 61);
  testutil::camera_settings camera;
  camera.orientation = 6;
  o.app1 = testutil::camera_exif(camera).app1_payload();
  o.segments = {{0xE2, "profile"}, {0xFE, "a comment"}};
  const std::string source = testutil::make_jpeg(o);
  const testutil::jpeg_coefficients_t before = testutil::read_coefficients(source);
  ASSERT_EQ((std::vector<int>{0xE0, 0xE1, 0xE2, 0xFE}), before.markers);

  const run_t r = run_transform(0, source);

  EXPECT_TRUE(r.ok);
  EXPECT_EQ("", r.report);
  const testutil::jpeg_coefficients_t after = testutil::read_coefficients(r.jpeg);
  EXPECT_EQ("", testutil::coefficient_difference(before, after));
  // Only libjpeg's own JFIF header; no EXIF, no other APPn, no comment.
  EXPECT_EQ(std::vector<int>{0xE0}, after.markers);
}

struct size_case {
  jpeg_sampling sampling;
  unsigned count;
  unsigned width, height;        // of the output
  int luma_h_samp, luma_v_samp;  // of the output
};

class TransformSize : public testing::TestWithParam<size_case> {};

TEST_P(TransformSize, QuarterTurnsExchangeSidesAndSampling) {
  const size_case& c = GetParam();
  testutil::jpeg_options o(640, 480);
  o.sampling = c.sampling;

  const run_t r = run_transform(c.count, testutil::make_jpeg(o));

  ASSERT_TRUE(r.ok) << r.report;
  const testutil::jpeg_coefficients_t out = testutil::read_coefficients(r.jpeg);
  ASSERT_EQ("", out.error);
  EXPECT_EQ(c.width, out.width);
  EXPECT_EQ(c.height, out.height);
  EXPECT_EQ(c.luma_h_samp, out.components[0].h_samp);
  EXPECT_EQ(c.luma_v_samp, out.components[0].v_samp);
  EXPECT_EQ(0, out.warnings);
}

INSTANTIATE_TEST_SUITE_P(Cases, TransformSize,
                         testing::Values(size_case{jpeg_sampling::yuv420, 0, 640, 480, 2, 2},
                                         size_case{jpeg_sampling::yuv420, 1, 480, 640, 2, 2},
                                         size_case{jpeg_sampling::yuv420, 2, 640, 480, 2, 2},
                                         size_case{jpeg_sampling::yuv420, 3, 480, 640, 2, 2},
                                         size_case{jpeg_sampling::yuv422, 0, 640, 480, 2, 1},
                                         size_case{jpeg_sampling::yuv422, 1, 480, 640, 1, 2},
                                         size_case{jpeg_sampling::yuv422, 2, 640, 480, 2, 1},
                                         size_case{jpeg_sampling::yuv422, 3, 480, 640, 1, 2},
                                         size_case{jpeg_sampling::gray, 1, 480, 640, 1, 1}));

// ---- failures ----

class TransformCountOver : public testing::TestWithParam<unsigned long long> {};

TEST_P(TransformCountOver, IsRefusedWithReport) {
  const run_t r = run_transform(GetParam(), testutil::make_jpeg({64, 48}));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(std::to_string(GetParam()) + ": jpeg transform rightrotate count over.\n", r.report);
  EXPECT_EQ("", r.jpeg);
}

INSTANTIATE_TEST_SUITE_P(Counts, TransformCountOver,
                         testing::Values(4ULL, 5ULL, 1000ULL, ULLONG_MAX));

TEST(Transform, TruncatedSourceFailsWithCompleteOutput) {
  const std::string whole = testutil::make_jpeg({640, 480});
  const std::string cut = whole.substr(0, whole.size() * 3 / 5);

  const run_t r = run_transform(1, cut);

  EXPECT_FALSE(r.ok);
  EXPECT_EQ("Premature end of JPEG file\n", r.report);
  const testutil::jpeg_coefficients_t out = testutil::read_coefficients(r.jpeg);
  ASSERT_EQ("", out.error);
  EXPECT_EQ(0, out.warnings);
  EXPECT_EQ(480u, out.width);
  EXPECT_EQ(640u, out.height);
  const testutil::jpegtran_result expected = testutil::run_jpegtran(jpegtran_options(1), cut);
  EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(expected.jpeg), out));
}

// A picture whose quantisation table 0 is defined again, with other values,
// after the scan that used it: it decodes, but its tables cannot be copied.
std::string table_redefined_after_scan() {
  std::string jpeg = testutil::make_jpeg({64, 48});
  const std::string dqt = std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
  return jpeg.insert(jpeg.size() - 2, dqt);
}

struct broken_case {
  const char* name;
  std::string bytes;
  const char* report;
};

class TransformBrokenSource : public testing::TestWithParam<broken_case> {};

TEST_P(TransformBrokenSource, FailsWithLibjpegReport) {
  const run_t r = run_transform(1, GetParam().bytes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(GetParam().report, r.report);
  EXPECT_EQ("", r.jpeg);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransformBrokenSource,
    testing::Values(
        broken_case{"NotJpeg", "GIF89a....",
                    "source.jpg: error detected.\nNot a JPEG file: starts with 0x47 0x49\n"},
        broken_case{"Empty", "",
                    "Premature end of JPEG file\n"
                    "source.jpg: error detected.\nNot a JPEG file: starts with 0xff 0xd9\n"},
        broken_case{"HeaderOnly", testutil::make_jpeg({64, 48}).substr(0, 20),
                    "Premature end of JPEG file\n"
                    "source.jpg: error detected.\nJPEG datastream contains no image\n"},
        broken_case{"TableRedefinedAfterScan", table_redefined_after_scan(),
                    "source.jpg: error detected.\n"
                    "Cannot transcode due to multiple use of quantization table 0\n"}),
    [](const testing::TestParamInfo<broken_case>& info) { return info.param.name; });

}  // namespace
