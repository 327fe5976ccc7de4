// The EXIF fixture writer is what every EXIF test stands on, so its bytes are
// checked exactly and its pictures are read back by exiftool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

using namespace std::string_literals;
using testutil::tiff_ifd;

struct bytes_case {
  const char* name;
  bool big_endian;
  tiff_ifd ifd;
  uint32_t at;
  std::string expected;
};

class IfdBytes : public testing::TestWithParam<bytes_case> {};

TEST_P(IfdBytes, Layout) {
  const bytes_case& c = GetParam();
  EXPECT_EQ(c.ifd.write(c.big_endian, c.at), c.expected);
}

tiff_ifd orientation6() { return tiff_ifd().short_(0x0112, {6}); }

tiff_ifd with_makernote(bool tiff_relative) {
  return tiff_ifd().makernote({"HDR\0"s, tiff_ifd().ascii(0x010F, "Hello"), tiff_relative});
}

INSTANTIATE_TEST_SUITE_P(
    Entries, IfdBytes,
    testing::Values(
        bytes_case{"short_le", false, orientation6(), 8,
                   "\1\0" "\x12\1\3\0\1\0\0\0\6\0\0\0" "\0\0\0\0"s},
        bytes_case{"short_be", true, orientation6(), 8,
                   "\0\1" "\1\x12\0\3\0\0\0\1\0\6\0\0" "\0\0\0\0"s},
        // Entries are sorted by tag; the rational goes to the data area
        // right after the directory (8 + 2 + 24 + 4 = 38).
        bytes_case{"sorted_with_data", false,
                   tiff_ifd().rational(0x011A, {{72, 1}}).ascii(0x010F, "Abc"), 8,
                   "\2\0" "\x0F\1\2\0\4\0\0\0Abc\0" "\x1A\1\5\0\1\0\0\0\x26\0\0\0" "\0\0\0\0"
                   "\x48\0\0\0\1\0\0\0"s},
        // Odd-length values are padded so that the next one starts even.
        bytes_case{"even_offsets", true,
                   tiff_ifd().ascii(0x010F, "Maker").ascii(0x0110, "Model"), 0,
                   "\0\2" "\1\x0F\0\2\0\0\0\6\0\0\0\x1E" "\1\x10\0\2\0\0\0\6\0\0\0\x24"
                   "\0\0\0\0" "Maker\0" "Model\0"s},
        bytes_case{"sub_ifd_after_data", false,
                   tiff_ifd().sub_ifd(0x8769, orientation6()).srational_(0x9204, {{-1, 3}}), 8,
                   "\2\0" "\x69\x87\4\0\1\0\0\0\x2E\0\0\0" "\x04\x92\x0A\0\1\0\0\0\x26\0\0\0"
                   "\0\0\0\0" "\xFF\xFF\xFF\xFF\3\0\0\0"
                   "\1\0" "\x12\1\3\0\1\0\0\0\6\0\0\0" "\0\0\0\0"s},
        // The maker note (28 bytes at 26) holds its own directory after its
        // header; the text's offset counts from the maker note (22) or from
        // the point the enclosing directory's offsets count from (26 + 22).
        bytes_case{"makernote_relative", false, with_makernote(false), 8,
                   "\1\0" "\x7C\x92\7\0\x1C\0\0\0\x1A\0\0\0" "\0\0\0\0"
                   "HDR\0" "\1\0" "\x0F\1\2\0\6\0\0\0\x16\0\0\0" "\0\0\0\0" "Hello\0"s},
        bytes_case{"makernote_tiff_relative", false, with_makernote(true), 8,
                   "\1\0" "\x7C\x92\7\0\x1C\0\0\0\x1A\0\0\0" "\0\0\0\0"
                   "HDR\0" "\1\0" "\x0F\1\2\0\6\0\0\0\x30\0\0\0" "\0\0\0\0" "Hello\0"s},
        bytes_case{"raw_and_fixed_fields", false,
                   tiff_ifd().raw(0x0112, testutil::TIFF_LONG, 1, "\6\0\0\0"s)
                       .offset_field(0x8825, testutil::TIFF_LONG, 1, 0x12345678),
                   8,
                   "\2\0" "\x12\1\4\0\1\0\0\0\6\0\0\0" "\x25\x88\4\0\1\0\0\0\x78\x56\x34\x12"
                   "\0\0\0\0"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExifBlock, HeaderAndDirectoryChain) {
  testutil::exif_block b;
  b.big_endian = true;
  b.ifd0.short_(0x0112, {3});
  b.thumbnail = "\xFF\xD8\xFF\xD9"s;
  const std::string app1 = b.app1_payload();
  const std::string expected =
      "Exif\0\0"
      "MM\0\x2A\0\0\0\x08"
      "\0\1" "\1\x12\0\3\0\0\0\1\0\3\0\0" "\0\0\0\x1A"  // next directory at 26
      "\0\2" "\2\1\0\4\0\0\0\1\0\0\0\x38" "\2\2\0\4\0\0\0\1\0\0\0\4" "\0\0\0\0"
      "\xFF\xD8\xFF\xD9"s;
  EXPECT_EQ(app1, expected);

  b.magic = 43;
  EXPECT_EQ(b.tiff().substr(0, 4), "MM\0\x2B"s);
}

bool have_exiftool() { return testutil::run_program({"exiftool", "-ver"}, nullptr, nullptr) == 0; }

std::string exiftool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"exiftool"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string out, err;
  EXPECT_EQ(testutil::run_program(argv, &out, &err), 0) << err;
  return out;
}

void expect_lines(const std::string& text, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
  EXPECT_EQ(text.find("Warning"), std::string::npos) << text;
}

class CameraExif : public testing::TestWithParam<bool> {};

TEST_P(CameraExif, ExiftoolReadsEveryTag) {
  if (!have_exiftool()) GTEST_SKIP() << "exiftool is not installed";
  testutil::camera_settings camera;
  camera.big_endian = GetParam();
  camera.orientation = 6;
  camera.thumbnail = testutil::make_jpeg({32, 24});
  testutil::exif_block exif = testutil::camera_exif(camera);
  exif.gps.byte(0x0000, {2, 3, 0, 0}).ascii(0x0001, "N").rational(0x0002, {{35, 1}, {30, 1}, {0, 1}});
  testutil::jpeg_options o;
  o.app1 = exif.app1_payload();
  testutil::TempDir dir;
  const std::string path = dir / "camera.jpg";
  testutil::write_jpeg(path, o);

  expect_lines(exiftool({"-n", "-json", path}),
               {camera.big_endian ? R"("ExifByteOrder": "MM",)" : R"("ExifByteOrder": "II",)",
                R"("Make": "Pictora",)", R"("Model": "Test Camera",)", R"("Orientation": 6,)",
                R"("XResolution": 72,)", R"("ResolutionUnit": 2,)",
                R"("ModifyDate": "2024:05:01 10:20:30",)", R"("ExposureTime": 0.008,)",
                R"("FNumber": 2.8,)", R"("ISO": 200,)", R"("ExifVersion": "0230",)",
                R"("DateTimeOriginal": "2024:05:01 10:20:30",)",
                R"("ExposureCompensation": -0.3333333333,)", R"("FocalLength": 50,)",
                R"("ColorSpace": 1,)", R"("GPSVersionID": "2 3 0 0",)", R"("GPSLatitudeRef": "N",)",
                R"("GPSLatitude": 35.5,)", R"("Compression": 6,)",
                "\"ThumbnailLength\": " + std::to_string(camera.thumbnail.size()) + ","});
  EXPECT_TRUE(exiftool({"-b", "-ThumbnailImage", path}) == camera.thumbnail);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, CameraExif, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "motorola" : "intel"; });

struct makernote_case {
  const char* name;
  std::string make;
  std::string header;
  int order_mark_at;  // where the header holds "II"/"MM"; -1 for nowhere
  bool tiff_relative;
  tiff_ifd ifd;
  std::vector<std::string> lines;  // expected in `exiftool -a -G1 -n` output
};

class MakerNotes : public testing::TestWithParam<std::tuple<makernote_case, bool>> {};

TEST_P(MakerNotes, ExiftoolReadsTheMakersLayout) {
  if (!have_exiftool()) GTEST_SKIP() << "exiftool is not installed";
  const auto& [c, big_endian] = GetParam();
  testutil::camera_settings camera;
  camera.make = c.make;
  camera.big_endian = big_endian;
  testutil::exif_block exif = testutil::camera_exif(camera);
  std::string header = c.header;
  if (c.order_mark_at >= 0) header.insert(static_cast<size_t>(c.order_mark_at), big_endian ? "MM" : "II");
  exif.exif.makernote({header, c.ifd, c.tiff_relative});
  testutil::jpeg_options o;
  o.app1 = exif.app1_payload();
  testutil::TempDir dir;
  const std::string path = dir / "maker.jpg";
  testutil::write_jpeg(path, o);
  expect_lines(exiftool({"-a", "-G1", "-n", path}), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, MakerNotes,
    testing::Combine(
        testing::Values(
            // Older Olympus: offsets count from the TIFF header.
            makernote_case{"olympus",
                           "OLYMPUS IMAGING CORP.",
                           "OLYMP\0\1\0"s,
                           -1,
                           true,
                           tiff_ifd().long_(0x0200, {0, 1, 0}).rational(0x0204, {{15, 10}})
                               .ascii(0x0207, "D4322XYZ"),
                           {"[Olympus]       Special Mode                    : 0 1 0",
                            "[Olympus]       Digital Zoom                    : 1.5",
                            "[Olympus]       Camera Type                     : D4322XYZ"}},
            // OM SYSTEM: sub-directories at offsets from the maker note's start.
            makernote_case{"om",
                           "OM Digital Solutions",
                           "OM SYSTEM\0\0\0\4\0"s,
                           12,
                           false,
                           tiff_ifd().undefined(0x0000, "0100")
                               .sub_ifd(0x2010, tiff_ifd().ascii(0x0203, "OM 12-40mm F2.8"))
                               .sub_ifd(0x2050, tiff_ifd().short_(0x0209, {3})
                                                    .rational(0x0305, {{1234, 1000}})),
                           {"[Olympus]       Maker Note Version              : 0100",
                            "[Olympus]       Lens Model                      : OM 12-40mm F2.8",
                            "[Olympus]       Focus Distance                  : 1.234"}},
            makernote_case{"pentax",
                           "RICOH IMAGING COMPANY, LTD.",
                           "PENTAX \0"s,
                           8,
                           false,
                           tiff_ifd().short_(0x000D, {3}).long_(0x001D, {5000})
                               .ascii(0x0229, "12345678"),
                           {"[Pentax]        Focus Mode                      : 3",
                            "[Pentax]        Focal Length                    : 50",
                            "[Pentax]        Serial Number                   : 12345678"}}),
        testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_mm" : "_ii");
    });

}  // namespace
