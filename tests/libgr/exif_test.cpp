// The EXIF reader over APP1 payloads built in the tests: the TIFF header, the
// directories and their checks, and the maker notes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "libgr/jpeg_marker.h"
#include "tests/support/exif_writer.h"
#include "tests/support/test_util.h"

namespace {

using namespace libgr;
using namespace std::string_literals;
using testutil::exif_block;
using testutil::makernote_t;
using testutil::tiff_ifd;
using header_t = app1_marker_t::tiff_header_t;

std::string as_string(const bytes_t& b) {
  return std::string(reinterpret_cast<const char*>(b.begin()), b.size());
}

// Little-endian pieces for directories written byte by byte.
std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string entry(unsigned tag, unsigned type, uint32_t count, uint32_t value) {
  return le16(tag) + le16(type) + le32(count) + le32(value);
}
// A little-endian TIFF whose 0th IFD (at offset 8) declares `count` entries
// and holds the given entry bytes, followed by `tail`.
std::string tiff_le(unsigned count, const std::string& entries, const std::string& tail = le32(0)) {
  return "II*\0"s + le32(8) + le16(count) + entries + tail;
}
const std::string exif_id = "Exif\0\0"s;

// An APP1 payload parsed, and what the reader reported. As in a file, more
// bytes follow the payload in its block (`after`), which the reader must not
// take for part of it.
struct read_t {
  app1_marker_t app1;
  bool ok = false;
  std::string report;

  explicit read_t(const std::string& payload, const std::string& after = std::string(16, 'A')) {
    parse(payload, after);
  }
  void parse(const std::string& payload, const std::string& after = std::string(16, 'A')) {
    const std::string block = payload + after;
    bytes_t file, buffer;
    file.resize(block.size());
    std::memcpy(file.begin(), block.data(), block.size());
    buffer.setwindow(file, 0, payload.size());
    app1.set_app1_buffer(buffer);
    report = testutil::capture_stderr([&] { ok = app1.parse(); });
  }
  const header_t& tiff() const { return app1.tiff_header; }
};

template <typename T>
std::vector<T> v(std::initializer_list<T> values) {
  return values;
}

// ----- The 0th and EXIF directories, in both byte orders.

class ByteOrder : public testing::TestWithParam<bool> {};

TEST_P(ByteOrder, KeepsEveryTagOfTheZerothAndExifDirectories) {
  exif_block b;
  b.big_endian = GetParam();
  b.ifd0.ascii(0x010E, "a lake")
      .ascii(0x010F, "Pictora")
      .ascii(0x0110, "Test Camera")
      .short_(0x0112, {6})
      .rational(0x011A, {{300, 1}})
      .rational(0x011B, {{72, 2}})
      .short_(0x0128, {2})
      .ascii(0x0131, "fw 1.0")
      .ascii(0x0132, "2024:05:01 10:20:30")
      .short_(0x0213, {2})
      .long_(0x0100, {640});  // ImageWidth is not kept
  b.exif.rational(0x829A, {{10, 2500}})
      .rational(0x829D, {{28, 10}})
      .short_(0x8822, {2})
      .short_(0x8827, {65535})
      .long_(0x8831, {102400})
      .long_(0x8833, {3200})
      .ascii(0x9003, "2024:05:01 10:20:31")
      .ascii(0x9004, "2024:05:01 10:20:32")
      .rational(0x9202, {{297, 100}})
      .srational_(0x9204, {{-1, 3}})
      .rational(0x9205, {{2, 1}})
      .short_(0x9207, {5})
      .short_(0x9209, {0x19})
      .rational(0x920A, {{12, 1}})
      .undefined(0x927C, "maker note")
      .short_(0xA001, {1})
      .short_(0xA403, {1})
      .short_(0xA405, {24})
      .short_(0xA408, {2})
      .short_(0xA409, {1})
      .short_(0xA40A, {0})
      .ascii(0xA434, "12mm F2");
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ("", r.report);
  EXPECT_EQ(!GetParam(), r.tiff().is_intel());
  EXPECT_EQ(GetParam(), r.tiff().is_motorola());

  const ExifType::tag_0th_ifd& z = r.tiff().tag_0th_ifd;
  EXPECT_EQ("a lake\0"s, z.ImageDescription);
  EXPECT_EQ("Pictora\0"s, z.Make);
  EXPECT_EQ("Test Camera\0"s, z.Model);
  EXPECT_EQ(v<unsigned short>({6}), z.Orientation);
  ASSERT_EQ(1u, z.XResolution.size());
  EXPECT_EQ(300u, z.XResolution[0].numerator);
  EXPECT_EQ(1u, z.XResolution[0].denominator);
  ASSERT_EQ(1u, z.YResolution.size());
  EXPECT_EQ(72u, z.YResolution[0].numerator);
  EXPECT_EQ(2u, z.YResolution[0].denominator);
  EXPECT_EQ(v<unsigned short>({2}), z.ResolutionUnit);
  EXPECT_EQ("fw 1.0\0"s, z.Software);
  EXPECT_EQ("2024:05:01 10:20:30\0"s, z.DateTime);
  EXPECT_EQ(v<unsigned short>({2}), z.YCbCrPositioning);
  EXPECT_EQ(1u, z.ExifIFDPointer.size());
  EXPECT_TRUE(z.GPSInfoIFDPointer.empty());
  EXPECT_TRUE(z.ImageWidth.empty());

  const ExifType::tag_exif_ifd& e = r.tiff().tag_exif_ifd;
  ASSERT_EQ(1u, e.ExposureTime.size());
  EXPECT_EQ(10u, e.ExposureTime[0].numerator);
  EXPECT_EQ(2500u, e.ExposureTime[0].denominator);
  ASSERT_EQ(1u, e.FNumber.size());
  EXPECT_EQ(28u, e.FNumber[0].numerator);
  EXPECT_EQ(v<unsigned short>({2}), e.ExposureProgram);
  EXPECT_EQ(v<unsigned short>({65535}), e.ISOSpeedRatings);
  EXPECT_EQ(v<uint32_t>({102400}), e.StandardOutputSensitivity);
  EXPECT_EQ(v<uint32_t>({3200}), e.ISOSpeed);
  EXPECT_EQ("2024:05:01 10:20:31\0"s, e.DateTimeOriginal);
  EXPECT_EQ("2024:05:01 10:20:32\0"s, e.DateTimeDigitized);
  ASSERT_EQ(1u, e.ApertureValue.size());
  EXPECT_EQ(297u, e.ApertureValue[0].numerator);
  ASSERT_EQ(1u, e.ExposureBiasValue.size());
  EXPECT_EQ(-1, e.ExposureBiasValue[0].numerator);
  EXPECT_EQ(3, e.ExposureBiasValue[0].denominator);
  ASSERT_EQ(1u, e.MaxApertureValue.size());
  EXPECT_EQ(2u, e.MaxApertureValue[0].numerator);
  EXPECT_EQ(v<unsigned short>({5}), e.MeteringMode);
  EXPECT_EQ(v<unsigned short>({0x19}), e.Flash);
  ASSERT_EQ(1u, e.FocalLength.size());
  EXPECT_EQ(12u, e.FocalLength[0].numerator);
  EXPECT_EQ("maker note", as_string(e.MakerNote));
  EXPECT_EQ(v<unsigned short>({1}), e.ColorSpace);
  EXPECT_EQ(v<unsigned short>({1}), e.WhiteBalance);
  EXPECT_EQ(v<unsigned short>({24}), e.FocalLengthIn35mmFilm);
  EXPECT_EQ(v<unsigned short>({2}), e.Contrast);
  EXPECT_EQ(v<unsigned short>({1}), e.Saturation);
  EXPECT_EQ(v<unsigned short>({0}), e.Sharpness);
  EXPECT_EQ("12mm F2\0"s, e.LensModel);
}

INSTANTIATE_TEST_SUITE_P(IntelAndMotorola, ByteOrder, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                           return std::string(i.param ? "Motorola" : "Intel");
                         });

// ----- Values whose size is not the accepted one are skipped.

struct skipped_case {
  const char* name;
  std::function<void(exif_block&)> build;
  std::function<bool(const header_t&)> field_empty;
};

void PrintTo(const skipped_case& c, std::ostream* os) { *os << c.name; }

class Skipped : public testing::TestWithParam<skipped_case> {};

TEST_P(Skipped, FieldStaysEmpty) {
  exif_block b;
  b.ifd0.ascii(0x010F, "Pictora");
  GetParam().build(b);
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_TRUE(GetParam().field_empty(r.tiff()));
  EXPECT_EQ("Pictora\0"s, r.tiff().tag_0th_ifd.Make);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Skipped,
    testing::Values(
        skipped_case{"OrientationAsLong",
                     [](exif_block& b) { b.ifd0.raw(0x0112, testutil::TIFF_LONG, 1, le32(6)); },
                     [](const header_t& t) { return t.tag_0th_ifd.Orientation.empty(); }},
        skipped_case{"TwoOrientations", [](exif_block& b) { b.ifd0.short_(0x0112, {6, 6}); },
                     [](const header_t& t) { return t.tag_0th_ifd.Orientation.empty(); }},
        skipped_case{"TwoExposureTimes",
                     [](exif_block& b) { b.exif.rational(0x829A, {{1, 2}, {1, 3}}); },
                     [](const header_t& t) { return t.tag_exif_ifd.ExposureTime.empty(); }},
        skipped_case{"IsoAsLong", [](exif_block& b) { b.exif.long_(0x8827, {200}); },
                     [](const header_t& t) { return t.tag_exif_ifd.ISOSpeedRatings.empty(); }},
        skipped_case{"SensitivityAsShort", [](exif_block& b) { b.exif.short_(0x8831, {200}); },
                     [](const header_t& t) { return t.tag_exif_ifd.StandardOutputSensitivity.empty(); }},
        skipped_case{"ExifPointerAsShort",
                     [](exif_block& b) {
                       b.ifd0.short_(0x8769, {8});
                     },
                     [](const header_t& t) { return t.tag_0th_ifd.ExifIFDPointer.empty(); }},
        // A type code above 13 ends the walk: later entries are not read.
        skipped_case{"AfterAnUnknownTypeInTheExifDirectory",
                     [](exif_block& b) {
                       b.exif.raw(0x9000, 14, 1, "").short_(0x9207, {5});
                     },
                     [](const header_t& t) { return t.tag_exif_ifd.MeteringMode.empty(); }},
        skipped_case{"AfterAnUnknownTypeInTheZerothDirectory",
                     [](exif_block& b) {
                       b.ifd0.raw(0x0111, 99, 1, "").short_(0x0112, {6});
                     },
                     [](const header_t& t) { return t.tag_0th_ifd.Orientation.empty(); }}),
    [](const testing::TestParamInfo<skipped_case>& i) { return std::string(i.param.name); });

// ----- Texts: s bytes, cut at the first zero within the first s - 1 bytes.

struct text_case {
  const char* name;
  std::string bytes;
  uint32_t count;
  std::string field;
};

void PrintTo(const text_case& c, std::ostream* os) { *os << c.name; }

class Text : public testing::TestWithParam<text_case> {};

TEST_P(Text, FieldBytes) {
  exif_block b;
  b.ifd0.raw(0x0110, testutil::TIFF_ASCII, GetParam().count, GetParam().bytes);
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(GetParam().field, r.tiff().tag_0th_ifd.Model);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Text,
    testing::Values(text_case{"Terminated", "E-M1\0"s, 5, "E-M1\0"s},
                    text_case{"ZeroInside", "ab\0cd\0"s, 6, "ab\0\0\0\0"s},
                    text_case{"Unterminated", "abcdef"s, 6, "abcde\0"s},
                    text_case{"UnterminatedInEntry", "abc"s, 3, "ab\0"s},
                    text_case{"OneByte", "x"s, 1, "\0"s},
                    text_case{"Empty", ""s, 0, ""s}),
    [](const testing::TestParamInfo<text_case>& i) { return std::string(i.param.name); });

// ----- Rejected blocks and their reports.

// The size of b's TIFF data, for reports that name it.
std::string tiff_size(const exif_block& b) { return std::to_string(b.tiff().size()); }

exif_block with_exif_entry(const std::function<void(tiff_ifd&)>& add) {
  exif_block b;
  b.exif.short_(0x9207, {5});
  add(b.exif);
  return b;
}

struct reject_case {
  const char* name;
  std::string payload;
  bool ok;
  std::string report;
};

void PrintTo(const reject_case& c, std::ostream* os) { *os << c.name; }

class Reject : public testing::TestWithParam<reject_case> {};

TEST_P(Reject, ResultAndReport) {
  read_t r(GetParam().payload);
  EXPECT_EQ(GetParam().ok, r.ok);
  EXPECT_EQ(GetParam().report, r.report);
}

const exif_block exif_offset_over = with_exif_entry([](tiff_ifd& d) { d.offset_field(0x829A, 5, 1, 4000); });
const exif_block unkept_offset_over =
    with_exif_entry([](tiff_ifd& d) { d.offset_field(0x9286, 7, 100, 4000); });
const exif_block huge_count = with_exif_entry([](tiff_ifd& d) { d.offset_field(0x9286, 4, 0xFFFFFFFF, 16); });
const exif_block float_offset_over =
    with_exif_entry([](tiff_ifd& d) { d.offset_field(0x9286, 11, 100, 4000); });
const exif_block thumbnail_over = [] {
  exif_block b;
  b.ifd0.short_(0x0112, {1});
  b.ifd1.long_(0x0201, {4000}).long_(0x0202, {10});
  return b;
}();
const exif_block magic_43 = [] {
  exif_block b;
  b.magic = 43;
  b.ifd0.short_(0x0112, {6});
  return b;
}();

// A 0th IFD of one entry: 26 bytes of TIFF data.
std::string one_entry(unsigned tag, unsigned type, uint32_t count, uint32_t value) {
  return exif_id + tiff_le(1, entry(tag, type, count, value));
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Reject,
    testing::Values(
        reject_case{"Empty", "", false, ""},
        reject_case{"NotExif", "JFIF\0\1\1\0"s, false, ""},
        reject_case{"ExifWithoutZero", "ExifII*\0"s + le32(8), false, ""},
        reject_case{"ShortTiffHeader", exif_id + "II*\0\x08\0\0"s, false, "too few tiff header size.\n"},
        reject_case{"UnknownByteOrder", exif_id + "IM*\0"s + le32(8), false,
                    "byteorder mark not recognized.\n"},
        reject_case{"Magic43", magic_43.app1_payload(), false, "not tiff(0x00, 0x2a).\n"},
        reject_case{"ZerothIfdOutside", exif_id + "II*\0"s + le32(100), false,
                    "value over, offset 100 tiff size: 8\n"},
        reject_case{"ZerothIfdCountCut", exif_id + tiff_le(3, entry(0x0112, 3, 1, 6), ""), false,
                    "value over, offset: 22 ifd size: 14\n"},
        reject_case{"ZerothValueOutside", one_entry(0x010F, 2, 20, 4000), false,
                    "value over, offset 4000 tiff size: 26\n"},
        reject_case{"ZerothValueEndsOutside", one_entry(0x010F, 2, 20, 10), false,
                    "value over, offset 10 tiff size: 26\n"},
        reject_case{"ExifPointerAtTheEnd", one_entry(0x8769, 4, 1, 26), false,
                    "exif_ifd_offset size exceed: 26 > 26\n"},
        reject_case{"ExifCountCut", one_entry(0x8769, 4, 1, 25), false,
                    "exif ifd size exceed: 29 > 26\n"},
        reject_case{"ExifIfdTooLong", one_entry(0x8769, 4, 1, 0), false,
                    "exif ifd size exceed: 225136 > 26\n"},
        reject_case{"GpsIfdTooLong", one_entry(0x8825, 4, 1, 0), false,
                    "gps_ifd size exceed: 225136 > 26\n"},
        reject_case{"GpsIfdOutsideIsOnlyRecorded", one_entry(0x8825, 4, 1, 4000), true, ""},
        reject_case{"ExifValueOutside", exif_offset_over.app1_payload(), false,
                    "offset+size over: 4000, 8, tiff size: " + tiff_size(exif_offset_over) + "\n"},
        reject_case{"UnkeptExifValueOutside", unkept_offset_over.app1_payload(), false,
                    "offset+size over: 4000, 100, tiff size: " + tiff_size(unkept_offset_over) + "\n"},
        reject_case{"CountTimesSizeBeyond32Bits", huge_count.app1_payload(), false,
                    "offset+size over: 16, 17179869180, tiff size: " + tiff_size(huge_count) + "\n"},
        reject_case{"FloatValuesCountNoBytes", float_offset_over.app1_payload(), true, ""},
        reject_case{"ThumbnailOutside", thumbnail_over.app1_payload(), false,
                    "offset+size over: 4000, 10, tiff size: " + tiff_size(thumbnail_over) + "\n"},
        reject_case{"FirstIfdOutsideHasNoEntries",
                    exif_id + tiff_le(1, entry(0x0112, 3, 1, 6), le32(4000)), true, ""}),
    [](const testing::TestParamInfo<reject_case>& i) { return std::string(i.param.name); });

TEST(ZerothIfd, NextIfdOffsetIsReadOnlyInsideTheTiffData) {
  // No next-IFD offset after the entries; the bytes after the payload would
  // point back at this directory and its thumbnail tags.
  const std::string payload =
      exif_id + tiff_le(2, entry(0x0201, 4, 1, 0) + entry(0x0202, 4, 1, 4), "");
  read_t r(payload, le32(8));
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_TRUE(r.tiff().tag_1st_ifd.JPEGInterchangeFormat.empty());
  EXPECT_TRUE(r.tiff().thumbnail.empty());
}

TEST(ZerothIfd, ByteOrderOfTheBlockReadsTheOrientation) {
  // The same directory in both byte orders, written byte by byte.
  read_t intel(one_entry(0x0112, 3, 1, 6));
  const std::string motorola =
      exif_id + "MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0"s;
  read_t big(motorola);
  ASSERT_TRUE(intel.ok && big.ok) << intel.report << big.report;
  EXPECT_EQ(v<unsigned short>({6}), intel.tiff().tag_0th_ifd.Orientation);
  EXPECT_EQ(v<unsigned short>({6}), big.tiff().tag_0th_ifd.Orientation);
}

// ----- GPS, thumbnail, clearing.

TEST(GpsIfd, IsLocatedButNotRead) {
  exif_block b;
  b.ifd0.ascii(0x010F, "Pictora");
  b.gps.byte(0x0000, {2, 3, 0, 0}).ascii(0x0001, "N").rational(0x0002, {{35, 1}, {40, 1}, {0, 1}});
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(1u, r.tiff().tag_0th_ifd.GPSInfoIFDPointer.size());
  const bytes_t& gps = r.tiff().gps_ifd;
  ASSERT_EQ(12u * 3 + 4, gps.size());
  EXPECT_EQ(le16(3), as_string(gps).substr(0, 2));
  EXPECT_EQ("Pictora\0"s, r.tiff().tag_0th_ifd.Make);
}

TEST(FirstIfd, ThumbnailWindow) {
  exif_block b;
  b.ifd0.short_(0x0112, {3});
  b.thumbnail = "\xFF\xD8 small picture \xFF\xD9";
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ(b.thumbnail, as_string(r.tiff().thumbnail));
  EXPECT_EQ(v<uint32_t>({static_cast<uint32_t>(b.thumbnail.size())}),
            r.tiff().tag_1st_ifd.JPEGInterchangeFormatLength);
  EXPECT_TRUE(r.tiff().tag_1st_ifd.Orientation.empty());
}

TEST(FirstIfd, OnlyTheThumbnailTagsAreKept) {
  exif_block b;
  b.ifd0.short_(0x0112, {3});
  b.ifd1.short_(0x0112, {8}).ascii(0x010F, "thumbnail maker");
  read_t r(b.app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_TRUE(r.tiff().tag_1st_ifd.Orientation.empty());
  EXPECT_TRUE(r.tiff().tag_1st_ifd.Make.empty());
  EXPECT_EQ(v<unsigned short>({3}), r.tiff().tag_0th_ifd.Orientation);
  EXPECT_TRUE(r.tiff().thumbnail.empty());
}

TEST(App1, ParsingAgainForgetsEarlierValues) {
  testutil::camera_settings s;
  s.orientation = 6;
  s.thumbnail = "\xFF\xD8\xFF\xD9";
  read_t r(testutil::camera_exif(s).app1_payload());
  ASSERT_TRUE(r.ok);
  exif_block plain;
  plain.ifd0.ascii(0x0110, "other");
  r.parse(plain.app1_payload());
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.tiff().tag_0th_ifd.Orientation.empty());
  EXPECT_TRUE(r.tiff().tag_0th_ifd.Make.empty());
  EXPECT_TRUE(r.tiff().tag_exif_ifd.ExposureTime.empty());
  EXPECT_TRUE(r.tiff().tag_1st_ifd.JPEGInterchangeFormat.empty());
  EXPECT_TRUE(r.tiff().thumbnail.empty());
  EXPECT_TRUE(r.tiff().exif_ifd.empty());
}

TEST(App1, ClearReleasesEverything) {
  testutil::camera_settings s;
  s.thumbnail = "\xFF\xD8\xFF\xD9";
  read_t r(testutil::camera_exif(s).app1_payload());
  ASSERT_TRUE(r.ok);
  r.app1.clear();
  EXPECT_TRUE(r.app1.buffer.empty());
  EXPECT_TRUE(r.tiff().buffer.empty());
  EXPECT_TRUE(r.tiff().byteorder == nullptr);
  EXPECT_TRUE(r.tiff().ifd0.empty());
  EXPECT_TRUE(r.tiff().thumbnail.empty());
  EXPECT_TRUE(r.tiff().tag_0th_ifd.Model.empty());
  EXPECT_TRUE(r.tiff().tag_exif_ifd.FNumber.empty());
  EXPECT_FALSE(r.app1.is_exif());
}

// ----- Maker notes.

exif_block with_makernote(const std::string& make, const std::string& note_bytes) {
  exif_block b;
  b.ifd0.ascii(0x010F, make);
  b.exif.short_(0x9207, {5}).undefined(0x927C, note_bytes);
  return b;
}

exif_block with_makernote(const std::string& make, const makernote_t& note) {
  exif_block b;
  b.ifd0.ascii(0x010F, make);
  b.exif.short_(0x9207, {5}).makernote(note);
  return b;
}

tiff_ifd older_olympus() {
  tiff_ifd d;
  d.short_(0x100B, {1})
      .rational(0x100C, {{1234, 100}})
      .short_(0x100F, {2})
      .short_(0x1015, {2, 6})
      .short_(0x1029, {0})
      .short_(0x1000, {7});
  return d;
}

void expect_older_olympus(const ExifType::tag_olympus_ifd& o) {
  EXPECT_EQ(v<unsigned short>({1}), o.FocusMode);
  ASSERT_EQ(1u, o.ManualFocusDistance.size());
  EXPECT_EQ(1234u, o.ManualFocusDistance[0].numerator);
  EXPECT_EQ(100u, o.ManualFocusDistance[0].denominator);
  EXPECT_EQ(v<unsigned short>({2}), o.Sharpness);
  EXPECT_EQ(v<unsigned short>({2, 6}), o.WB_Mode);
  EXPECT_EQ(v<unsigned short>({0}), o.Contrast);
}

struct olympus_case {
  const char* name;
  const char* make;
  std::string header;
};

void PrintTo(const olympus_case& c, std::ostream* os) { *os << c.name; }

class OlderOlympus : public testing::TestWithParam<olympus_case> {};

TEST_P(OlderOlympus, ReadsTheMakerNote) {
  read_t r(with_makernote(GetParam().make, makernote_t(GetParam().header, older_olympus())).app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ("", r.report);
  expect_older_olympus(r.tiff().tag_olympus_ifd);
  EXPECT_EQ(v<unsigned short>({5}), r.tiff().tag_exif_ifd.MeteringMode);
}

INSTANTIATE_TEST_SUITE_P(
    Makes, OlderOlympus,
    testing::Values(olympus_case{"HeaderedLowerCaseMake", "olympus imaging corp.", "OLYMP\0\1\0"s},
                    olympus_case{"HeaderedUpperCaseMake", "OLYMPUS OPTICAL CO.,LTD", "OLYMP\0\2\0"s},
                    olympus_case{"BareDirectory", "Olympus", ""}),
    [](const testing::TestParamInfo<olympus_case>& i) { return std::string(i.param.name); });

TEST(MakerNote, OtherMakersAreNotRead) {
  for (const char* make : {"PENTAX Corporation", "Canon", "OLYMPU", ""}) {
    SCOPED_TRACE(make);
    read_t r(with_makernote(make, makernote_t("OLYMP\0\1\0"s, older_olympus())).app1_payload());
    ASSERT_TRUE(r.ok) << r.report;
    EXPECT_TRUE(r.tiff().tag_olympus_ifd.FocusMode.empty());
    EXPECT_TRUE(r.tiff().makernote_ifd.empty());
    EXPECT_FALSE(r.tiff().tag_exif_ifd.MakerNote.empty());
  }
}

TEST(MakerNote, PentaxTypeOfRicoh) {
  tiff_ifd d;
  d.short_(0x000D, {16}).short_(0x0010, {7}).short_(0x0019, {2}).short_(0x001A, {1}).short_(0x0005, {1});
  const makernote_t note("PENTAX \0II"s, d);
  read_t r(with_makernote("RICOH IMAGING COMPANY, LTD.", note).app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  const ExifType::tag_pentax5_ifd& p = r.tiff().tag_pentax5_ifd;
  EXPECT_EQ(v<unsigned short>({16}), p.FocusMode);
  EXPECT_EQ(v<unsigned short>({7}), p.FocusPosition);
  EXPECT_EQ(v<unsigned short>({2}), p.WhiteBalance);
  EXPECT_EQ(v<unsigned short>({1}), p.WhiteBalanceMode);

  read_t pentax(with_makernote("PENTAX", note).app1_payload());
  ASSERT_TRUE(pentax.ok) << pentax.report;
  EXPECT_TRUE(pentax.tiff().tag_pentax5_ifd.FocusMode.empty());
}

TEST(MakerNote, OmSystemWithItsSubDirectories) {
  tiff_ifd equipment, settings, focus, main;
  equipment.ascii(0x0203, "M.12-40mm F2.8").ascii(0x0201, "lens serial");
  settings.short_(0x0301, {0, 0x11})
      .short_(0x0302, {1})
      .short_(0x0500, {16})
      .short_(0x0501, {5300})
      .long_(0x0804, {1, 12});
  focus.short_(0x0209, {1})
      .short_(0x0300, {2})
      .short_(0x0301, {3})
      .short_(0x0303, {4})
      .short_(0x0304, {5})
      .rational(0x0305, {{123, 100}})
      .short_(0x0308, {6})
      .short_(0x031B, {7});
  main.sub_ifd(0x2010, equipment).sub_ifd(0x2020, settings).sub_ifd(0x2050, focus);
  read_t r(with_makernote("OM DIGITAL SOLUTIONS", makernote_t("OM SYSTEM\0\0\0II\4\0"s, main)).app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_EQ("", r.report);
  EXPECT_EQ("M.12-40mm F2.8\0"s, r.tiff().tag_olympus3_equipment_ifd.LensModel);
  const ExifType::tag_olympus3_camerasettings_ifd& c = r.tiff().tag_olympus3_camerasettings_ifd;
  EXPECT_EQ(v<unsigned short>({0, 0x11}), c.FocusMode);
  EXPECT_EQ(v<unsigned short>({1}), c.FocusProcess);
  EXPECT_EQ(v<unsigned short>({16}), c.WhiteBalance2);
  EXPECT_EQ(v<unsigned short>({5300}), c.WhiteBalanceTemperature);
  ASSERT_EQ(1u, c.StackedImage.size());
  EXPECT_EQ(1u, c.StackedImage[0].numerator);
  EXPECT_EQ(12u, c.StackedImage[0].denominator);
  const ExifType::tag_olympus3_focusinfo_ifd& f = r.tiff().tag_olympus3_focusinfo_ifd;
  EXPECT_EQ(v<unsigned short>({1}), f.AutoFocus);
  EXPECT_EQ(v<unsigned short>({2}), f.ZoomStepCount);
  EXPECT_EQ(v<unsigned short>({3}), f.FocusStepCount);
  EXPECT_EQ(v<unsigned short>({4}), f.FocusStepInfinity);
  EXPECT_EQ(v<unsigned short>({5}), f.FocusStepNear);
  ASSERT_EQ(1u, f.FocusDistance.size());
  EXPECT_EQ(123u, f.FocusDistance[0].numerator);
  EXPECT_EQ(v<unsigned short>({6}), f.AFPoint);
  EXPECT_EQ(v<unsigned short>({7}), f.ContinuousFocusMode);
  EXPECT_FALSE(r.tiff().olympus3_camerasettings_ifd.empty());
}

TEST(MakerNote, OmSystemFocusModeOfThreeValuesIsSkipped) {
  tiff_ifd settings, main;
  settings.short_(0x0301, {0, 1, 2}).short_(0x0500, {1});
  main.sub_ifd(0x2020, settings);
  read_t r(with_makernote("OM Digital Solutions", makernote_t("OM SYSTEM\0\0\0II\4\0"s, main)).app1_payload());
  ASSERT_TRUE(r.ok) << r.report;
  EXPECT_TRUE(r.tiff().tag_olympus3_camerasettings_ifd.FocusMode.empty());
  EXPECT_EQ(v<unsigned short>({1}), r.tiff().tag_olympus3_camerasettings_ifd.WhiteBalance2);
  EXPECT_TRUE(r.tiff().olympus3_equipment_ifd.empty());
}

const std::string om_header = "OM SYSTEM\0\0\0II\4\0"s;
const std::string pentax_header = "PENTAX \0II"s;

const exif_block pentax_value_outside = with_makernote(
    "RICOH", pentax_header + le16(2) + entry(0x000D, 3, 1, 3) + entry(0x001A, 3, 10, 5000));

INSTANTIATE_TEST_SUITE_P(
    MakerNotes, Reject,
    testing::Values(
        reject_case{"OlympusHeaderWithoutEntries",
                    with_makernote("OLYMPUS", "OLYMP\0\1\0"s + le16(0) + le32(0)).app1_payload(), false, ""},
        reject_case{"OlympusHeaderedIfdLongerThanTheNote",
                    with_makernote("OLYMPUS", "OLYMP\0\1\0"s + le16(2) + entry(0x100B, 3, 1, 1)).app1_payload(),
                    false, ""},
        reject_case{"OlympusNewerHeader",
                    with_makernote("OLYMPUS", "OLYMPUS\0II\3\0"s + le16(1) + entry(0x100B, 3, 1, 1))
                        .app1_payload(),
                    false, ""},
        reject_case{"OlympusIfdCutByTheNote",
                    with_makernote("OLYMPUS", "OLYMP\0\1\0"s + le16(2) + entry(0x100B, 3, 1, 1) + "xxxxxxxxxx")
                        .app1_payload(),
                    false, "olympus ifd: 2: size 26 over than ifd.size(24).\n"},
        reject_case{"OlympusBareIfdTooLong",
                    with_makernote("OLYMPUS", le16(50) + "0123456789").app1_payload(), false,
                    "olympus ifd: 50: size 602 over than ifd.size(12).\n"},
        reject_case{"OlympusValueOutsideIsSkippedQuietly",
                    with_makernote("OLYMPUS", le16(1) + entry(0x100C, 5, 1, 5000)).app1_payload(), true, ""},
        reject_case{"OmSystemIfdTooLong",
                    with_makernote("OM Digital Solutions", om_header + le16(5) + "0123456789ab")
                        .app1_payload(),
                    false, "olympus3 ifd: 5: size 62 over than ifd.size(14).\n"},
        reject_case{"OmSystemNoteTooShortForACount",
                    with_makernote("OM Digital Solutions", om_header + "\1").app1_payload(), false,
                    "olympus3 ifd: 0: size 2 over than ifd.size(1).\n"},
        reject_case{"OmSystemSubIfdOutside",
                    with_makernote("OM Digital Solutions", om_header + le16(1) + entry(0x2010, 4, 1, 5000))
                        .app1_payload(),
                    false, "olympus3 equipment ifd: 0: size 2 over than ifd.size(0).\n"},
        reject_case{"OmSystemCameraSettingsCut",
                    with_makernote("OM Digital Solutions", om_header + le16(1) + entry(0x2020, 4, 1, 30) +
                                                               le16(3) + entry(0x0500, 3, 1, 1))
                        .app1_payload(),
                    false, "olympus3 camerasettings ifd: 3: size 38 over than ifd.size(14).\n"},
        reject_case{"OmSystemFocusInfoValueOutside",
                    with_makernote("OM Digital Solutions", om_header + le16(1) + entry(0x2050, 4, 1, 30) +
                                                               le16(1) + entry(0x0305, 5, 1, 900))
                        .app1_payload(),
                    true, "305: [0]: 900, 8: app1 size: 44 over.\n"},
        reject_case{"PentaxValueOutsideIsSkipped", pentax_value_outside.app1_payload(), true,
                    "1a: [1]: 5000, 20: app1 size: 36 over.\n"},
        reject_case{"PentaxUnknownType",
                    with_makernote("RICOH", pentax_header + le16(1) + entry(0x000D, 14, 1, 3)).app1_payload(),
                    false, ""},
        reject_case{"PentaxIfdTooLong",
                    with_makernote("RICOH", pentax_header + le16(4) + entry(0x000D, 3, 1, 3)).app1_payload(),
                    false, "pentax5 ifd: 4: size 50 over than ifd.size(14).\n"}),
    [](const testing::TestParamInfo<reject_case>& i) { return std::string(i.param.name); });

TEST(MakerNote, EntriesAfterASkippedOneAreRead) {
  read_t r(pentax_value_outside.app1_payload());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(v<unsigned short>({3}), r.tiff().tag_pentax5_ifd.FocusMode);
  EXPECT_TRUE(r.tiff().tag_pentax5_ifd.WhiteBalanceMode.empty());
}

}  // namespace
