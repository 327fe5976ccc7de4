#include "libgr/transupp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/jpeg_coefs.h"
#include "tests/support/make_jpeg.h"

namespace {

using namespace libgr;
using testutil::jpeg_sampling;

struct applied_t {
  bool accepted = false;  // the workspace request succeeded
  std::string jpeg;
};

// The whole transformation sequence over libjpeg's own memory source and
// destination. libjpeg's standard error handling: the sources are valid.
applied_t apply(const std::string& source, JXFORM_CODE transform, bool trim, bool perfect) {
  jpeg_decompress_struct src;
  jpeg_compress_struct dst;
  jpeg_error_mgr src_err;
  jpeg_error_mgr dst_err;
  src.err = jpeg_std_error(&src_err);
  dst.err = jpeg_std_error(&dst_err);
  jpeg_create_decompress(&src);
  jpeg_create_compress(&dst);
  jpeg_mem_src(&src, reinterpret_cast<const unsigned char*>(source.data()),
               static_cast<unsigned long>(source.size()));
  jpeg_read_header(&src, TRUE);

  jpeg_transform_info info;
  info.transform = transform;
  info.trim = trim;
  info.perfect = perfect;
  applied_t result;
  result.accepted = jtransform_request_workspace(&src, &info);
  if (result.accepted) {
    jvirt_barray_ptr* src_arrays = jpeg_read_coefficients(&src);
    jpeg_copy_critical_parameters(&src, &dst);
    jvirt_barray_ptr* dst_arrays = jtransform_adjust_parameters(&src, &dst, src_arrays, &info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&dst, &buffer, &size);
    jpeg_write_coefficients(&dst, dst_arrays);
    jtransform_execute_transform(&src, &dst, src_arrays, &info);
    jpeg_finish_compress(&dst);
    result.jpeg.assign(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    jpeg_finish_decompress(&src);
  }
  jpeg_destroy_compress(&dst);
  jpeg_destroy_decompress(&src);
  return result;
}

std::string rotate_option(JXFORM_CODE transform) {
  switch (transform) {
    case JXFORM_ROT_90: return "90";
    case JXFORM_ROT_180: return "180";
    case JXFORM_ROT_270: return "270";
    case JXFORM_NONE: break;
  }
  return "";
}

std::vector<std::string> jpegtran_options(JXFORM_CODE transform, const char* extra) {
  std::vector<std::string> options{"-copy", "none"};
  if (transform != JXFORM_NONE) {
    options.push_back("-rotate");
    options.push_back(rotate_option(transform));
  }
  if (extra != nullptr) options.push_back(extra);
  return options;
}

// A single-component picture that declares 2x2 sampling, which decoders treat
// as one block per MCU; the transform writes it back as 1x1.
std::string gray_2x2(unsigned width, unsigned height) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 1;
  cinfo.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  cinfo.comp_info[0].h_samp_factor = 2;
  cinfo.comp_info[0].v_samp_factor = 2;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(width);
  while (cinfo.next_scanline < height) {
    for (unsigned x = 0; x < width; ++x)
      row[x] = testutil::pattern_rgb(x, cinfo.next_scanline, width, height)[0];
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

// ---- jtransform_perfect_transform ----

struct perfect_case {
  JDIMENSION width, height;
  int mcu_width, mcu_height;
  JXFORM_CODE transform;
  bool perfect;
};

class PerfectTransform : public testing::TestWithParam<perfect_case> {};

TEST_P(PerfectTransform, OnlyMirroredSidesMustBeWholeMcus) {
  const perfect_case& c = GetParam();
  EXPECT_EQ(c.perfect, jtransform_perfect_transform(c.width, c.height, c.mcu_width, c.mcu_height,
                                                    c.transform));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PerfectTransform,
    testing::Values(perfect_case{97, 61, 16, 16, JXFORM_NONE, true},
                    perfect_case{640, 480, 16, 16, JXFORM_ROT_90, true},
                    perfect_case{97, 64, 16, 16, JXFORM_ROT_90, true},
                    perfect_case{96, 61, 16, 16, JXFORM_ROT_90, false},
                    perfect_case{96, 61, 16, 16, JXFORM_ROT_270, true},
                    perfect_case{97, 64, 16, 16, JXFORM_ROT_270, false},
                    perfect_case{96, 64, 16, 16, JXFORM_ROT_180, true},
                    perfect_case{96, 60, 16, 8, JXFORM_ROT_180, false},
                    perfect_case{96, 56, 16, 8, JXFORM_ROT_180, true},
                    perfect_case{97, 64, 16, 8, JXFORM_ROT_180, false}));

// ---- trim_right_edge and trim_bottom_edge ----

struct trim_case {
  JDIMENSION full;
  int imcu;
  JDIMENSION trimmed;  // the output side afterwards; it starts at 1000
};

class TrimEdge : public testing::TestWithParam<trim_case> {};

TEST_P(TrimEdge, CutsToWholeImcusUnlessNoneIsLeft) {
  const trim_case& c = GetParam();
  jpeg_transform_info info;
  info.iMCU_sample_width = info.iMCU_sample_height = c.imcu;
  info.output_width = info.output_height = 1000;
  trim_right_edge(&info, c.full);
  EXPECT_EQ(c.trimmed, info.output_width);
  EXPECT_EQ(1000u, info.output_height);
  info.output_width = 1000;
  trim_bottom_edge(&info, c.full);
  EXPECT_EQ(c.trimmed, info.output_height);
  EXPECT_EQ(1000u, info.output_width);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimEdge,
                         testing::Values(trim_case{97, 16, 96}, trim_case{96, 16, 96},
                                         trim_case{17, 8, 16}, trim_case{16, 16, 16},
                                         trim_case{15, 16, 1000}, trim_case{1, 8, 1000}));

// ---- the sequence against jpegtran's options ----

// How partial iMCUs on a mirrored edge are dealt with.
enum class edge_option { trim, perfect };

struct option_case {
  unsigned width, height;
  jpeg_sampling sampling;
  JXFORM_CODE transform;
  edge_option edge;
};

void PrintTo(const option_case& c, std::ostream* os) {
  *os << c.width << "x" << c.height << " sampling " << static_cast<int>(c.sampling) << " transform "
      << c.transform << (c.edge == edge_option::trim ? " trimmed" : " perfect");
}

std::vector<option_case> option_cases() {
  std::vector<option_case> cases;
  const unsigned sizes[][2] = {{97, 61}, {33, 17}, {48, 32}, {8, 8}, {16, 8}};
  for (const auto& size : sizes)
    for (jpeg_sampling s : {jpeg_sampling::yuv420, jpeg_sampling::yuv422, jpeg_sampling::gray})
      for (JXFORM_CODE t : {JXFORM_NONE, JXFORM_ROT_90, JXFORM_ROT_180, JXFORM_ROT_270})
        for (edge_option e : {edge_option::trim, edge_option::perfect})
          cases.push_back({size[0], size[1], s, t, e});
  return cases;
}

class OptionsLikeJpegtran : public testing::TestWithParam<option_case> {};

TEST_P(OptionsLikeJpegtran, SameAcceptanceAndCoefficients) {
  const option_case& c = GetParam();
  testutil::jpeg_options o(c.width, c.height);
  o.sampling = c.sampling;
  const std::string source = testutil::make_jpeg(o);
  const bool trim = c.edge == edge_option::trim;
  const testutil::jpegtran_result expected =
      testutil::run_jpegtran(jpegtran_options(c.transform, trim ? "-trim" : "-perfect"), source);

  const applied_t actual = apply(source, c.transform, trim, !trim);

  EXPECT_EQ(expected.status == 0, actual.accepted) << expected.report;
  if (expected.status == 0 && actual.accepted) {
    EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(expected.jpeg),
                                                   testutil::read_coefficients(actual.jpeg)));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OptionsLikeJpegtran, testing::ValuesIn(option_cases()));

struct trimmed_size_case {
  unsigned width, height;
  jpeg_sampling sampling;
  JXFORM_CODE transform;
  unsigned out_width, out_height;
};

class TrimmedSize : public testing::TestWithParam<trimmed_size_case> {};

TEST_P(TrimmedSize, OnlyMirroredSidesLosePartialImcus) {
  const trimmed_size_case& c = GetParam();
  testutil::jpeg_options o(c.width, c.height);
  o.sampling = c.sampling;

  const applied_t r = apply(testutil::make_jpeg(o), c.transform, true, false);

  ASSERT_TRUE(r.accepted);
  const testutil::jpeg_coefficients_t out = testutil::read_coefficients(r.jpeg);
  EXPECT_EQ(c.out_width, out.width);
  EXPECT_EQ(c.out_height, out.height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimmedSize,
    testing::Values(trimmed_size_case{97, 61, jpeg_sampling::yuv420, JXFORM_NONE, 97, 61},
                    trimmed_size_case{97, 61, jpeg_sampling::yuv420, JXFORM_ROT_90, 48, 97},
                    trimmed_size_case{97, 61, jpeg_sampling::yuv420, JXFORM_ROT_180, 96, 48},
                    trimmed_size_case{97, 61, jpeg_sampling::yuv420, JXFORM_ROT_270, 61, 96},
                    trimmed_size_case{97, 61, jpeg_sampling::yuv422, JXFORM_ROT_90, 56, 97},
                    trimmed_size_case{33, 17, jpeg_sampling::gray, JXFORM_ROT_90, 16, 33},
                    trimmed_size_case{8, 8, jpeg_sampling::yuv420, JXFORM_ROT_180, 8, 8}));

TEST(Transupp, PerfectRefusesBeforeReadingCoefficients) {
  testutil::jpeg_options o(97, 61);
  const applied_t r = apply(testutil::make_jpeg(o), JXFORM_ROT_90, false, true);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ("", r.jpeg);
}

// ---- a single component with sampling factors other than 1x1 ----

class SingleComponent2x2 : public testing::TestWithParam<JXFORM_CODE> {};

TEST_P(SingleComponent2x2, WrittenAs1x1LikeJpegtran) {
  const std::string source = gray_2x2(37, 21);
  ASSERT_EQ(2, testutil::read_coefficients(source).components[0].h_samp);
  const testutil::jpegtran_result expected =
      testutil::run_jpegtran(jpegtran_options(GetParam(), nullptr), source);

  const applied_t actual = apply(source, GetParam(), false, false);

  ASSERT_TRUE(actual.accepted);
  const testutil::jpeg_coefficients_t out = testutil::read_coefficients(actual.jpeg);
  EXPECT_EQ("", testutil::coefficient_difference(testutil::read_coefficients(expected.jpeg), out));
  ASSERT_EQ(1u, out.components.size());
  EXPECT_EQ(1, out.components[0].h_samp);
  EXPECT_EQ(1, out.components[0].v_samp);
}

INSTANTIATE_TEST_SUITE_P(Transforms, SingleComponent2x2,
                         testing::Values(JXFORM_NONE, JXFORM_ROT_90, JXFORM_ROT_180,
                                         JXFORM_ROT_270));

}  // namespace
