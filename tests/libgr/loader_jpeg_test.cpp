#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "libgr/loader_jpeg.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

using namespace libgr;
using segments_t = std::vector<std::pair<int, std::string>>;

std::string as_string(const bytes_t& b) {
  return std::string(reinterpret_cast<const char*>(b.begin()), b.size());
}

// The APPn/COM segments before the first scan: marker code and payload.
segments_t segments_of(const std::string& jpeg) {
  segments_t out;
  size_t i = 2;
  while (i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
    const int code = static_cast<unsigned char>(jpeg[i + 1]);
    if (code == 0xDA) break;
    const size_t length =
        static_cast<unsigned char>(jpeg[i + 2]) * 256u + static_cast<unsigned char>(jpeg[i + 3]);
    if ((code >= 0xE0 && code <= 0xEF) || code == 0xFE) out.emplace_back(code, jpeg.substr(i + 4, length - 2));
    i += 2 + length;
  }
  return out;
}

// A JPEG written to a file and loaded back, so that reports carry its name.
struct loaded_t {
  testutil::TempDir dir;
  std::string path;
  jpegdata_t data;
  explicit loaded_t(const std::string& bytes, const std::string& name = "pic.jpg")
      : path(dir / name) {
    testutil::write_file(path, bytes);
    EXPECT_TRUE(data.load(path.c_str()));
  }
};

struct decode_result {
  bool ok = false;
  std::string report;
};

decode_result decode(jpeginfo_t& info, image2d_t& img, jpegdata_t& data, unsigned short align = 0,
                     bool border = false, color3ub_t background = {}) {
  decode_result r;
  r.report = testutil::capture_stderr(
      [&] { r.ok = info.decompress(img, data, align, border, background); });
  return r;
}

// Buffer row (height - 1 - y) against libjpeg's own decoding of row y.
void expect_rows_match(const image2d_t& img, const testutil::decoded_t& ref, uint32_t rows,
                       uint32_t frame = 0) {
  const size_t bytes = size_t{ref.width} * ref.components;
  for (uint32_t y = 0; y < rows; ++y) {
    const unsigned char* got = img.row(frame + ref.height - 1 - y) + frame * ref.components;
    ASSERT_EQ(0, std::memcmp(got, ref.row(y), bytes)) << "picture row " << y;
  }
}

struct sampling_case {
  const char* name;
  testutil::jpeg_sampling sampling;
  unsigned width, height;
  e_image_format_t format;
  uint64_t rowsize;
};

class Decode : public testing::TestWithParam<sampling_case> {};

TEST_P(Decode, RowsLandBottomUp) {
  const sampling_case& c = GetParam();
  testutil::jpeg_options o;
  o.width = c.width;
  o.height = c.height;
  o.sampling = c.sampling;
  const std::string jpeg = testutil::make_jpeg(o);
  const testutil::decoded_t ref = testutil::reference_decode(jpeg);
  // The picture's rows differ, so a row order mistake cannot go unnoticed.
  ASSERT_NE(0, std::memcmp(ref.row(0), ref.row(ref.height - 1), ref.width * ref.components));

  loaded_t file(jpeg);
  jpeginfo_t info;
  image2d_t img;
  const decode_result r = decode(info, img, file.data);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.report, "");
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
  EXPECT_EQ(img.width, c.width);
  EXPECT_EQ(img.height, c.height);
  EXPECT_EQ(img.desc, (image_desc_t{c.format, IMAGE_TYPE_UINT, IMAGE_BITS_8}));
  ASSERT_NE(img.store, nullptr);
  EXPECT_EQ(img.store->alignment, 4u);
  EXPECT_EQ(img.rowsize(), c.rowsize);
  EXPECT_EQ(img.size(), c.rowsize * c.height);
  expect_rows_match(img, ref, c.height);
}

INSTANTIATE_TEST_SUITE_P(
    Samplings, Decode,
    testing::Values(
        sampling_case{"yuv420_odd", testutil::jpeg_sampling::yuv420, 33, 17, IMAGE_FORMAT_RGB, 100},
        sampling_case{"yuv422", testutil::jpeg_sampling::yuv422, 40, 24, IMAGE_FORMAT_RGB, 120},
        sampling_case{"yuv444", testutil::jpeg_sampling::yuv444, 7, 5, IMAGE_FORMAT_RGB, 24},
        sampling_case{"gray_odd", testutil::jpeg_sampling::gray, 21, 9, IMAGE_FORMAT_GRAYSCALE, 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeFrame, BorderAndAlignment) {
  testutil::jpeg_options o;
  o.width = 5;
  o.height = 3;
  o.sampling = testutil::jpeg_sampling::yuv444;
  const std::string jpeg = testutil::make_jpeg(o);
  const testutil::decoded_t ref = testutil::reference_decode(jpeg);
  loaded_t file(jpeg);
  jpeginfo_t info;

  image2d_t framed;
  ASSERT_TRUE(decode(info, framed, file.data, 0, true, color3ub_t{1, 2, 3}).ok);
  EXPECT_EQ(framed.width, 7u);
  EXPECT_EQ(framed.height, 5u);
  std::string frame_row;
  for (int i = 0; i < 7; ++i) frame_row += "\1\2\3";
  for (uint32_t y : {0u, 4u})
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(framed.row(y)), 21), frame_row);
  for (uint32_t y = 1; y < 4; ++y) {
    EXPECT_EQ(0, std::memcmp(framed.row(y), "\1\2\3", 3));
    EXPECT_EQ(0, std::memcmp(framed.row(y) + 18, "\1\2\3", 3));
  }
  expect_rows_match(framed, ref, 3, 1);

  image2d_t square;
  ASSERT_TRUE(decode(info, square, file.data, 4, false).ok);
  EXPECT_EQ(square.width, 8u);
  EXPECT_EQ(square.height, 8u);
  expect_rows_match(square, ref, 3);
  for (uint32_t y = 0; y < 8; ++y) {
    const uint32_t from = y < 3 ? 15 : 0;  // the picture fills the bottom-left corner
    for (uint32_t i = from; i < 24; ++i) EXPECT_EQ(square.row(y)[i], 0) << y << "," << i;
  }
}

TEST(DecodeSegments, KeptInFileOrder) {
  testutil::jpeg_options o;
  o.app1 = testutil::camera_exif({}).app1_payload();
  o.segments = {{0xE2, "ICC_PROFILE\0 icc"}, {0xFE, "a comment"}, {0xE1, "http://ns.adobe.com/xap/1.0/"}};
  const std::string jpeg = testutil::make_jpeg(o);
  loaded_t file(jpeg);
  jpeginfo_t info;
  image2d_t img;
  ASSERT_TRUE(decode(info, img, file.data).ok);

  const segments_t in_file = segments_of(jpeg);
  ASSERT_EQ(in_file.size(), 5u);  // JFIF, EXIF and the three above
  ASSERT_EQ(info.markers.size(), in_file.size());
  for (size_t i = 0; i < in_file.size(); ++i) {
    EXPECT_EQ(info.markers[i].code, in_file[i].first);
    EXPECT_EQ(as_string(info.markers[i].data), in_file[i].second);
  }
  EXPECT_EQ(as_string(info.get_marker(e_marker_app1)), o.app1);
  EXPECT_EQ(as_string(info.get_marker(e_marker_app0)).substr(0, 5), std::string("JFIF\0", 5));
  EXPECT_EQ(as_string(info.get_marker(e_marker_com)), "a comment");
  EXPECT_TRUE(info.get_marker(static_cast<e_marker_num_t>(3)).empty());
  EXPECT_TRUE(info.get_marker(e_marker_max).empty());
  EXPECT_TRUE(info.get_marker(static_cast<e_marker_num_t>(-1)).empty());

  // A second file replaces the list.
  loaded_t plain(testutil::make_jpeg({16, 16}));
  ASSERT_TRUE(decode(info, img, plain.data).ok);
  EXPECT_EQ(info.markers.size(), 1u);
  EXPECT_TRUE(info.get_marker(e_marker_app1).empty());
}

TEST(AnalyzeMarkers, HeaderOnly) {
  testutil::jpeg_options o;
  o.width = 300;
  o.height = 200;
  o.app1 = testutil::camera_exif({}).app1_payload();
  loaded_t file(testutil::make_jpeg(o));
  jpeginfo_t info;
  bool ok = false;
  EXPECT_EQ(testutil::capture_stderr([&] { ok = info.analyze_markers(file.data); }), "");
  ASSERT_TRUE(ok);
  EXPECT_EQ(info.width, 300u);
  EXPECT_EQ(info.height, 200u);
  ASSERT_EQ(info.markers.size(), 2u);
  EXPECT_EQ(info.markers[0].code, 0xE0);
  EXPECT_EQ(as_string(info.get_marker(e_marker_app1)), o.app1);
}

TEST(DecodeFailure, NotAJpegStopsWithReport) {
  loaded_t file(std::string("GIF89a not a picture"), "bad.jpg");
  const std::string expected = file.path + ": error detected.\n" +
                               "Not a JPEG file: starts with 0x47 0x49\n" + file.path +
                               ": jpeg decompress fail, stop.\n";
  jpeginfo_t info;
  image2d_t img;
  const decode_result r = decode(info, img, file.data);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.report, expected);
  bool ok = true;
  EXPECT_EQ(testutil::capture_stderr([&] { ok = info.analyze_markers(file.data); }), expected);
  EXPECT_FALSE(ok);
}

TEST(DecodeFailure, EmptyDataStops) {
  jpegdata_t empty;  // made in memory: no name in the report
  jpeginfo_t info;
  image2d_t img;
  const decode_result r = decode(info, img, empty);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.report,
            "Premature end of JPEG file\n"
            ": error detected.\n"
            "Not a JPEG file: starts with 0xff 0xd9\n"
            ": jpeg decompress fail, stop.\n");
}

TEST(DecodeFailure, CmykIsRefusedSilently) {
  testutil::jpeg_options o;
  o.sampling = testutil::jpeg_sampling::cmyk;
  loaded_t file(testutil::make_jpeg(o));
  jpeginfo_t info;
  image2d_t img;
  const decode_result r = decode(info, img, file.data);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.report, "");
  EXPECT_TRUE(img.empty());
}

TEST(DecodeFailure, TruncatedPictureKeepsDecodedRowsAndZeroes) {
  testutil::jpeg_options o;
  o.width = 48;
  o.height = 160;  // ten rows of 16-line blocks
  const std::string jpeg = testutil::make_jpeg(o);
  const testutil::decoded_t ref = testutil::reference_decode(jpeg);
  loaded_t file(jpeg.substr(0, jpeg.size() * 2 / 3), "cut.jpg");
  jpeginfo_t info;
  image2d_t img;
  const decode_result r = decode(info, img, file.data);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.report, "Premature end of JPEG file\n" + file.path + ": decompress fail.\n" +
                          file.path + ": error detected.\n" +
                          "Application transferred too few scanlines\n" + file.path +
                          ": jpeg decompress fail, but continue.\n");
  ASSERT_EQ(img.height, 160u);

  // Decoding stops on the row during which the data ran out: the rows above
  // it are exact and everything below it stays zero.
  auto zero_row = [&](uint32_t y) {
    const unsigned char* p = img.row(img.height - 1 - y);
    return std::all_of(p, p + img.rowbyte(), [](unsigned char b) { return b == 0; });
  };
  uint32_t last = 0;
  for (uint32_t y = 0; y < img.height; ++y)
    if (!zero_row(y)) last = y;
  EXPECT_GE(last, 32u);
  EXPECT_LT(last, 160u - 16u);
  expect_rows_match(img, ref, last);
}

// libjpeg writing the same rows into its own memory destination.
std::string reference_encode(const image2d_t& img, J_COLOR_SPACE space, int components,
                             int quality) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = img.width;
  cinfo.image_height = img.height;
  cinfo.in_color_space = space;
  cinfo.input_components = components;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(img.row(img.height - 1 - cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

image2d_t noise_image(e_image_format_t format, uint32_t w, uint32_t h) {
  image2d_t img;
  img.desc = image_desc_t{format, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.width = w;
  img.height = h;
  EXPECT_TRUE(img.allocate());
  std::mt19937 random(7);
  for (unsigned char& b : img) b = static_cast<unsigned char>(random());
  return img;
}

TEST(Encode, LargeOutputEndsAtTheEncodedLength) {
  const image2d_t img = noise_image(IMAGE_FORMAT_RGB, 1500, 1000);
  jpeginfo_t info;
  jpegdata_t out;
  ASSERT_TRUE(info.compress(out, img, 100, true));
  const std::string expected = reference_encode(img, JCS_RGB, 3, 100);
  ASSERT_GT(expected.size(), 2u * 1024 * 1024);  // the buffer grew twice
  ASSERT_EQ(out.size(), expected.size());
  EXPECT_TRUE(as_string(out) == expected);
  EXPECT_EQ(out.name, nullptr);
}

TEST(Encode, EveryEncodableDescription) {
  struct {
    e_image_format_t format;
    J_COLOR_SPACE space;
    int components;
  } cases[] = {{IMAGE_FORMAT_RGB, JCS_RGB, 3},
               {IMAGE_FORMAT_YCbCr, JCS_YCbCr, 3},
               {IMAGE_FORMAT_GRAYSCALE, JCS_GRAYSCALE, 1}};
  for (const auto& c : cases) {
    const image2d_t img = noise_image(c.format, 37, 11);  // rows padded to 4 bytes
    jpeginfo_t info;
    jpegdata_t out;
    ASSERT_TRUE(info.compress(out, img, 80, true)) << img.desc.format;
    EXPECT_TRUE(as_string(out) == reference_encode(img, c.space, c.components, 80))
        << img.desc.format;
  }
}

TEST(Encode, RefusesOtherDescriptions) {
  const image_desc_t refused[] = {{IMAGE_FORMAT_RGBA, IMAGE_TYPE_UINT, IMAGE_BITS_8},
                                  {IMAGE_FORMAT_BGR, IMAGE_TYPE_UINT, IMAGE_BITS_8},
                                  {IMAGE_FORMAT_RGB, IMAGE_TYPE_SINT, IMAGE_BITS_8},
                                  {IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_16}};
  for (const image_desc_t& desc : refused) {
    image2d_t img;
    img.desc = desc;
    img.width = 8;
    img.height = 8;
    ASSERT_TRUE(img.allocate());
    jpeginfo_t info;
    jpegdata_t out;
    ASSERT_TRUE(out.resize(10));
    bool ok = true;
    EXPECT_EQ(testutil::capture_stderr([&] { ok = info.compress(out, img, 90, true); }), "");
    EXPECT_FALSE(ok) << desc.format << " " << desc.type << " " << desc.bits;
    EXPECT_TRUE(out.empty());
  }
}

TEST(Encode, WritesTheSegmentsOfTheFileLastRead) {
  testutil::camera_settings camera;
  camera.orientation = 6;
  testutil::jpeg_options o;
  o.width = 120;
  o.height = 80;
  o.app1 = testutil::camera_exif(camera).app1_payload();
  o.segments = {{0xFE, "comment"}, {0xE2, "second app"}};
  const std::string source = testutil::make_jpeg(o);
  loaded_t file(source);
  jpeginfo_t info;
  image2d_t img;
  ASSERT_TRUE(decode(info, img, file.data).ok);

  jpegdata_t out;
  ASSERT_TRUE(info.compress(out, img, 90, true));
  const segments_t written = segments_of(as_string(out));
  const segments_t kept = segments_of(source);
  // libjpeg's own JFIF header first, then the source's segments in order.
  ASSERT_EQ(written.size(), kept.size() + 1);
  EXPECT_EQ(written[0].first, 0xE0);
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(written[i + 1], kept[i]) << i;

  const testutil::decoded_t again = testutil::reference_decode(as_string(out));
  EXPECT_EQ(again.width, 120u);
  EXPECT_EQ(again.height, 80u);
}

TEST(JpegData, LoadKeepsTheNameOnSuccessOnly) {
  loaded_t file(std::string("\xFF\xD8\xFF\xD9", 4));
  EXPECT_EQ(file.data.name, file.path.c_str());
  EXPECT_EQ(file.data.size(), 4u);
  const std::string missing = file.dir / "missing.jpg";
  jpegdata_t other;
  EXPECT_FALSE(other.load(missing.c_str()));
  EXPECT_EQ(other.name, nullptr);
  EXPECT_TRUE(other.empty());
}

TEST(JpegData, SetvectorShares) {
  bytes_t bytes;
  ASSERT_TRUE(bytes.resize(3));
  jpegdata_t data;
  data.setvector(bytes, "memory.jpg");
  bytes[1] = 9;
  EXPECT_EQ(data[1], 9);
  EXPECT_STREQ(data.name, "memory.jpg");
}

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(JpegData, SaveReplacesFilesAndLinks) {
  testutil::TempDir dir;
  bytes_t bytes;
  ASSERT_TRUE(bytes.resize(5));
  std::memcpy(bytes.begin(), "\xFF\xD8" "abc", 5);
  jpegdata_t data;
  data.setvector(bytes, nullptr);

  const std::string original = dir / "original.jpg";
  testutil::write_file(original, "ORIGINAL");
  const std::string symlinked = dir / "sym.jpg";
  const std::string hardlinked = dir / "hard.jpg";
  ASSERT_EQ(0, ::symlink("original.jpg", symlinked.c_str()));
  ASSERT_EQ(0, ::link(original.c_str(), hardlinked.c_str()));
  const std::string plain = dir / "plain.jpg";
  testutil::write_file(plain, "a longer file than the new one");

  for (const std::string& target : {symlinked, hardlinked, plain}) {
    ASSERT_TRUE(data.save(target.c_str())) << target;
    EXPECT_EQ(data.name, target.c_str());
    EXPECT_EQ(testutil::read_file(target), std::string("\xFF\xD8" "abc", 5));
    struct stat st;
    ASSERT_EQ(0, ::lstat(target.c_str(), &st));
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_nlink, 1u);
  }
  EXPECT_EQ(testutil::read_file(original), "ORIGINAL");
  EXPECT_EQ(names_in(dir.path()),
            (std::vector<std::string>{"hard.jpg", "original.jpg", "plain.jpg", "sym.jpg"}));
}

TEST(JpegData, SaveFailsWithoutReport) {
  testutil::TempDir dir;
  jpegdata_t data;
  ASSERT_TRUE(data.resize(3));
  const std::string in_missing_dir = dir / "no/such/dir.jpg";
  const std::string onto_dir = dir.path();
  for (const std::string& target : {in_missing_dir, onto_dir}) {
    bool ok = true;
    EXPECT_EQ(testutil::capture_stderr([&] { ok = data.save(target.c_str()); }), "");
    EXPECT_FALSE(ok) << target;
    EXPECT_EQ(data.name, nullptr);
  }
  EXPECT_TRUE(names_in(dir.path()).empty());
}

TEST(CameraSamples, App1IsExif) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "no camera samples";
  int decoded = 0;
  for (const auto& e : std::filesystem::directory_iterator(samples + "/jpg")) {
    if (e.path().extension() != ".jpg") continue;
    jpegdata_t data;
    const std::string path = e.path().string();
    ASSERT_TRUE(data.load(path.c_str()));
    jpeginfo_t info;
    image2d_t img;
    const decode_result r = decode(info, img, data);
    if (!r.ok) continue;  // the odd CMYK or broken sample
    ++decoded;
    EXPECT_EQ(img.width, info.width) << path;
    EXPECT_EQ(img.height, info.height) << path;
    const std::string app1 = as_string(info.get_marker(e_marker_app1));
    if (!app1.empty()) {
      EXPECT_EQ(app1.substr(0, 6), std::string("Exif\0\0", 6)) << path;
    }
    EXPECT_TRUE(info.get_marker(e_marker_max).empty());
  }
  EXPECT_GT(decoded, 10);
}

}  // namespace
