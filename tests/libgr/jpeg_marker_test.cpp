// The JPEG marker walker and the baseline segment records, over small JPEG
// byte strings built here segment by segment.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "libgr/jpeg_in_bitfields.h"
#include "libgr/loader_jpeg2.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

using namespace libgr;
using namespace std::string_literals;

std::string as_string(const bytes_t& b) {
  return std::string(reinterpret_cast<const char*>(b.begin()), b.size());
}

std::string be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

// A marker segment: code, length, payload.
std::string seg(unsigned code, const std::string& payload) {
  return be16(code) + be16(static_cast<unsigned>(payload.size() + 2)) + payload;
}

const std::string soi = "\xFF\xD8";
const std::string eoi = "\xFF\xD9";

std::string dqt_payload(char pq_tq = 0) {
  std::string p(1, pq_tq);
  for (int k = 0; k < 64; ++k) p += static_cast<char>(k);
  return p;
}

// 16 x 8 pixels, one component per id, each with the given sampling byte.
std::string sof0_payload(const std::string& samplings, char precision = 8) {
  std::string p = std::string(1, precision) + be16(8) + be16(16);
  p += static_cast<char>(samplings.size());
  for (size_t i = 0; i < samplings.size(); ++i) p += std::string{static_cast<char>(i + 1), samplings[i], 0};
  return p;
}

// The standard luminance DC table (12 symbols, code lengths 2 to 9).
const std::string dc_counts = "\0\1\5\1\1\1\1\1\1\0\0\0\0\0\0\0"s;
const std::string dc_symbols = "\0\1\2\3\4\5\6\7\x08\x09\x0A\x0B"s;
const std::string dc_table = "\x00"s + dc_counts + dc_symbols;

// A table of class/id byte tcth with one code of length 1 for each symbol given
// (at most two).
std::string small_table(char tcth, const std::string& symbols) {
  std::string counts(16, '\0');
  counts[0] = static_cast<char>(symbols.size());
  return std::string(1, tcth) + counts + symbols;
}

// One scan over component 1 with tables 0/0 and the given Ss, Se, AhAl.
std::string sos_payload(char ss = 0, char se = 63, char ahal = 0) {
  return "\x01\x01\x00"s + std::string{ss, se, ahal};
}

std::string baseline(const std::string& app1_payload = "Exif\0\0MM\0*"s) {
  return soi + seg(0xFFE1, app1_payload) + seg(0xFFDB, dqt_payload()) +
         seg(0xFFC0, sof0_payload("\x11")) + seg(0xFFC4, dc_table) + seg(0xFFDA, sos_payload()) +
         "\x12\x34" + eoi;
}

// The walk over bytes held in memory, and what it reported.
struct walk_t {
  jpegdata2_t data;
  jpeginfo2_t info;
  bool ok = false;
  std::string report;

  explicit walk_t(const std::string& bytes) {
    data.buffer.resize(bytes.size());
    if (!bytes.empty()) std::memcpy(data.buffer.begin(), bytes.data(), bytes.size());
    report = testutil::capture_stderr([&] { ok = info.analyze(data); });
  }
};

struct walk_case {
  const char* name;
  std::string bytes;
  bool ok;
  const char* report;
};

void PrintTo(const walk_case& c, std::ostream* os) { *os << c.name; }

class Walk : public testing::TestWithParam<walk_case> {};

TEST_P(Walk, ResultAndReport) {
  const walk_case& c = GetParam();
  walk_t w(c.bytes);
  EXPECT_EQ(c.ok, w.ok);
  EXPECT_EQ(c.report, w.report);
}

const std::string app0 = seg(0xFFE0, "JFIF\0\1\1\0\0\1\0\1\0\0"s);

INSTANTIATE_TEST_SUITE_P(
    Files, Walk,
    testing::Values(
        walk_case{"SevenBytes", soi + "\xFF\xE0\0\3\0"s, false, "too few size of JPEG.\n"},
        walk_case{"Png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, false, "not JPEG data.\n"},
        walk_case{"Baseline", baseline(), true, ""},
        walk_case{"EndsAfterLastSegmentWithoutEoi", soi + app0 + seg(0xFFDB, dqt_payload()), true, ""},
        walk_case{"EoiAtTheEnd", soi + app0 + eoi, true, ""},
        walk_case{"BytesAfterEoi", soi + app0 + eoi + "\0\0"s, false, ""},
        walk_case{"EmptySegmentAtTheEnd", soi + app0 + seg(0xFFFE, ""), true, ""},
        walk_case{"OneStrayByteAtTheEnd", soi + app0 + "\xFF", true, ""},
        walk_case{"MarkerWithoutLength", soi + app0 + "\xFF\xE1\x00"s, false, "broken JPEG data.\n"},
        walk_case{"SegmentRunsPastTheEnd", soi + app0 + "\xFF\xE1\x00\x10xx"s, false,
                  "broken JPEG data.\n"},
        walk_case{"LengthBelowTwo", soi + app0 + "\xFF\xE1\x00\x01\0\0"s, false, "broken JPEG data.\n"},
        walk_case{"UnknownCodesAreOnlyListed", soi + seg(0xFFC2, "??") + seg(0x1234, "") + eoi, true, ""},
        walk_case{"ProgressiveFirstScan",
                  soi + seg(0xFFC4, dc_table) + seg(0xFFDA, sos_payload(0, 0, 0)) + "\x12" + eoi,
                  false, "constant value illegal. ss=0, se=0, ah=0, al=0\nsos_marker.parse() fail.\n"},
        walk_case{"ProgressiveRefinementScan", soi + seg(0xFFDA, sos_payload(1, 5, 0x21)), false,
                  "constant value illegal. ss=1, se=5, ah=2, al=1\nsos_marker.parse() fail.\n"},
        walk_case{"ScanHeaderTooShort", soi + seg(0xFFDA, "\x01\x01\x00"s) + eoi, false,
                  "broken JPEG data.\nsos_marker.parse() fail.\n"},
        walk_case{"ScanHeaderSizeNotOfItsCount", soi + seg(0xFFDA, "\x02\x01\x00\x00\x3F\x00"s) + eoi,
                  false, "broken JPEG data.\nsos_marker.parse() fail.\n"},
        walk_case{"ScanHeaderLongerThanItsCount", soi + seg(0xFFDA, sos_payload() + "\0"s) + eoi, false,
                  "broken JPEG data.\nsos_marker.parse() fail.\n"},
        walk_case{"ScanDcTableTwo", soi + seg(0xFFDA, "\x01\x01\x20\x00\x3F\x00"s), false,
                  "invalid JPEG data.\nsos_marker.parse() fail.\n"},
        walk_case{"ScanAcTableTwo", soi + seg(0xFFDA, "\x01\x01\x02\x00\x3F\x00"s), false,
                  "invalid JPEG data.\nsos_marker.parse() fail.\n"},
        walk_case{"DqtEightBitTableWithPqOne", soi + seg(0xFFDB, dqt_payload(0x10)) + eoi, false,
                  "not support JPEG data. DQT pq=1\n"},
        walk_case{"DqtSixteenBitTable", soi + seg(0xFFDB, "\x10"s + std::string(128, '\1')) + eoi,
                  false, "broken JPEG data.\n"},
        walk_case{"DqtTableIdFour", soi + seg(0xFFDB, dqt_payload(0x04)) + eoi, false,
                  "invalid JPEG data.\n"},
        walk_case{"DqtEmpty", soi + seg(0xFFDB, "") + eoi, false, "broken JPEG data.\n"},
        walk_case{"DqtFiveTables", soi + seg(0xFFDB, dqt_payload(0) + dqt_payload(1) + dqt_payload(2) +
                                                  dqt_payload(3) + dqt_payload(0)),
                  false, "broken JPEG data.\n"},
        walk_case{"DqtFourTables", soi + seg(0xFFDB, dqt_payload(0) + dqt_payload(1) + dqt_payload(2) +
                                                  dqt_payload(3)),
                  true, ""},
        walk_case{"TwelveBitFrame", soi + seg(0xFFC0, sof0_payload("\x11", 12)) + eoi, false,
                  "not support JPEG data. sample_precision=12\n"},
        walk_case{"FrameShorterThanItsComponents",
                  soi + seg(0xFFC0, sof0_payload("\x22\x11\x11").substr(0, 6 + 3 * 2)) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"FrameHeaderCut", soi + seg(0xFFC0, "\x08\0\x08\0"s) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"SamplingFactorZero", soi + seg(0xFFC0, sof0_payload("\x22\x10")) + eoi, false,
                  "invalid JPEG data.\n"},
        walk_case{"SamplingFactorNotADivisor", soi + seg(0xFFC0, sof0_payload("\x33\x22")) + eoi, false,
                  "invalid JPEG data.\n"},
        walk_case{"HuffmanIdTwo", soi + seg(0xFFC4, small_table(0x02, "\x01")) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"HuffmanClassTwo", soi + seg(0xFFC4, small_table(0x20, "\x01")) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"HuffmanCountsCut", soi + seg(0xFFC4, dc_table.substr(0, 10)) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"HuffmanSymbolsCut", soi + seg(0xFFC4, dc_table.substr(0, 20)) + eoi, false,
                  "broken JPEG data.\n"},
        walk_case{"HuffmanMoreThan255Symbols",
                  soi + seg(0xFFC4, "\x10"s + std::string(14, '\0') + "\x80\x80"s + std::string(256, '\1')) +
                      eoi,
                  false, "broken JPEG data.\n"},
        walk_case{"HuffmanRunWithoutBits", soi + seg(0xFFC4, small_table(0x10, "\x00\x10"s)) + eoi,
                  false, "huffman table error: run_length=1, data_bits=0\n"},
        walk_case{"HuffmanRunOf14WithoutBits", soi + seg(0xFFC4, small_table(0x10, "\xE0"s)) + eoi,
                  false, "huffman table error: run_length=14, data_bits=0\n"},
        walk_case{"HuffmanEobAndZrl", soi + seg(0xFFC4, small_table(0x11, "\x00\xF0"s)) + eoi, true, ""},
        walk_case{"SevenHuffmanTables",
                  soi + seg(0xFFC4, dc_table + dc_table + dc_table + dc_table + dc_table + dc_table +
                                        dc_table) +
                      eoi,
                  true, ""},
        walk_case{"EightHuffmanTables",
                  soi + seg(0xFFC4, dc_table + dc_table + dc_table + dc_table + dc_table + dc_table +
                                        dc_table + dc_table) +
                      eoi,
                  false, "broken JPEG data.\n"},
        walk_case{"RestartIntervalOfThreeBytesIsIgnored", soi + seg(0xFFDD, "\0\4\0"s) + eoi, true,
                  "broken JPEG data.\n"}),
    [](const testing::TestParamInfo<walk_case>& info) { return std::string(info.param.name); });

TEST(Walk, ListsEverySegmentAndTheScanData) {
  walk_t w(baseline());
  ASSERT_TRUE(w.ok);
  std::vector<unsigned short> codes;
  for (const auto& m : w.info.markers) codes.push_back(m.code);
  EXPECT_EQ((std::vector<unsigned short>{0xFFE1, 0xFFDB, 0xFFC0, 0xFFC4, 0xFFDA, 0}), codes);
  EXPECT_EQ("\x12\x34\xFF\xD9", as_string(w.info.scan_data));
  EXPECT_EQ("\x12\x34\xFF\xD9", as_string(w.info.get_marker(0)));
  EXPECT_EQ(sos_payload(), as_string(w.info.get_marker(0xFFDA)));
}

TEST(Walk, GetMarkerGivesTheFirstSegmentOfACode) {
  walk_t w(soi + seg(0xFFE1, "Exif\0\0first"s) + seg(0xFFE1, "http://ns.adobe.com/") + eoi);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ("Exif\0\0first"s, as_string(w.info.get_marker(0xFFE1)));
  EXPECT_TRUE(w.info.get_marker(0xFFE2).empty());
}

TEST(Walk, AnalyzeStartsAfresh) {
  walk_t first(baseline());
  walk_t second(soi + app0 + eoi);
  ASSERT_TRUE(first.ok);
  testutil::capture_stderr([&] { EXPECT_TRUE(first.info.analyze(second.data)); });
  EXPECT_EQ(1u, first.info.markers.size());
  EXPECT_TRUE(first.info.get_marker(0xFFE1).empty());
  EXPECT_EQ(0, first.info.sof0_marker.number_of_components);
  EXPECT_TRUE(first.info.scan_data.empty());
}

TEST(Walk, ClearEmptiesListAndRecords) {
  walk_t w(baseline());
  ASSERT_TRUE(w.ok);
  w.info.clear();
  EXPECT_TRUE(w.info.markers.empty());
  EXPECT_TRUE(w.info.sof0_marker.components.empty());
  EXPECT_TRUE(w.info.dht_marker.huffman[0].codes.empty());
  EXPECT_TRUE(w.info.sos_marker.components.empty());
  EXPECT_EQ(0, w.info.dqt_marker.tables[0][63]);
}

TEST(Records, FrameHeader) {
  walk_t w(soi + seg(0xFFC0, sof0_payload("\x22\x11\x12")) + eoi);
  ASSERT_TRUE(w.ok);
  const sof0_marker_t& f = w.info.sof0_marker;
  EXPECT_EQ(8, f.sample_precision);
  EXPECT_EQ(8, f.number_of_lines);
  EXPECT_EQ(16, f.samples_per_line);
  ASSERT_EQ(3, f.number_of_components);
  ASSERT_EQ(3u, f.components.size());
  EXPECT_EQ(3, f.components[2].component_identifier);
  EXPECT_EQ(1, f.components[2].horizontal_sampling_factor);
  EXPECT_EQ(2, f.components[2].vertical_sampling_factor);
  EXPECT_EQ(2, f.max_horizontal_factor);
  EXPECT_EQ(2, f.max_vertical_factor);
}

TEST(Records, QuantisationTablesInNaturalOrder) {
  // Two tables whose k-th value in file (zig-zag) order is k, and k + 100.
  std::string second = dqt_payload(3);
  for (size_t k = 1; k < second.size(); ++k) second[k] = static_cast<char>(second[k] + 100);
  walk_t w(soi + seg(0xFFDB, dqt_payload(1) + second) + eoi);
  ASSERT_TRUE(w.ok);
  const dqt_marker_t& q = w.info.dqt_marker;
  EXPECT_EQ(2, q.table_count);
  // Natural index -> zig-zag position, along the first rows and the end.
  const struct { int natural, zigzag; } cells[] = {
      {0, 0}, {1, 1}, {8, 2}, {16, 3}, {9, 4}, {2, 5}, {3, 6}, {10, 7}, {24, 9},
      {7, 28}, {56, 35}, {15, 42}, {55, 61}, {62, 62}, {63, 63}};
  for (const auto& c : cells) {
    EXPECT_EQ(c.zigzag, q.tables[1][c.natural]) << c.natural;
    EXPECT_EQ(c.zigzag + 100, q.tables[3][c.natural]) << c.natural;
  }
  EXPECT_EQ(0, q.tables[0][63]);
}

TEST(Records, CanonicalHuffmanCodes) {
  walk_t w(soi + seg(0xFFC4, dc_table + small_table(0x11, "\x23\xF0")) + eoi);
  ASSERT_TRUE(w.ok);
  const dht_marker_t& d = w.info.dht_marker;
  EXPECT_EQ(2, d.table_index);
  EXPECT_EQ(0, d.tables[0].table_class);
  EXPECT_EQ(1, d.tables[1].table_class);
  EXPECT_EQ(1, d.tables[1].identifier);
  const huffman_t& dc = d.huffman[0];
  EXPECT_EQ(0, std::memcmp(dc.counts, dc_counts.data(), 16));
  const unsigned short expected[] = {0, 2, 3, 4, 5, 6, 14, 30, 62, 126, 254, 510};
  ASSERT_EQ(12u, dc.codes.size());
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(expected[i], dc.codes[i].code) << i;
    EXPECT_EQ(i, dc.codes[i].data_bits) << i;
    EXPECT_EQ(0, dc.codes[i].run_length) << i;
  }
  const huffman_t& ac1 = d.huffman[3];
  ASSERT_EQ(2u, ac1.codes.size());
  EXPECT_EQ(0, ac1.codes[0].code);
  EXPECT_EQ(2, ac1.codes[0].run_length);
  EXPECT_EQ(3, ac1.codes[0].data_bits);
  EXPECT_EQ(1, ac1.codes[1].code);
  EXPECT_EQ(15, ac1.codes[1].run_length);
  EXPECT_EQ(0, ac1.codes[1].data_bits);
  EXPECT_TRUE(d.huffman[1].codes.empty());
}

TEST(Records, HuffmanTablesOfEarlierSegmentsStay) {
  walk_t w(soi + seg(0xFFC4, dc_table) + seg(0xFFC4, small_table(0x10, "\x01")) + eoi);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(1, w.info.dht_marker.table_index);
  EXPECT_EQ(12u, w.info.dht_marker.huffman[0].codes.size());
  EXPECT_EQ(1u, w.info.dht_marker.huffman[2].codes.size());
}

TEST(Records, HuffmanSymbolsReadOverStuffedZeros) {
  // Symbols 0xFF then 0x00: the zero after 0xFF is stuffing, so the table's
  // second symbol is the byte after it.
  std::string counts(16, '\0');
  counts[0] = 2;
  walk_t w(soi + seg(0xFFC4, "\x11"s + counts + "\xFF\x00\x01"s) + eoi);
  ASSERT_TRUE(w.ok);
  const huffman_t& h = w.info.dht_marker.huffman[3];
  ASSERT_EQ(2u, h.codes.size());
  EXPECT_EQ(15, h.codes[0].run_length);
  EXPECT_EQ(15, h.codes[0].data_bits);
  EXPECT_EQ(0, h.codes[1].run_length);
  EXPECT_EQ(1, h.codes[1].data_bits);
}

TEST(Records, RestartIntervalAndScanHeader) {
  walk_t w(soi + seg(0xFFDD, "\x01\x02") + seg(0xFFC4, dc_table) +
           seg(0xFFDA, "\x02\x01\x00\x02\x11\x00\x3F\x00"s) + "\xAB");
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(0x0102, w.info.dri_marker.restart_interval);
  const sos_marker_t& s = w.info.sos_marker;
  ASSERT_EQ(2, s.number_of_components);
  EXPECT_EQ(2, s.components[1].component_selector);
  EXPECT_EQ(1, s.components[1].dc_table_selector);
  EXPECT_EQ(1, s.components[1].ac_table_selector);
  EXPECT_EQ(63, s.se);
  EXPECT_EQ(&w.info.dht_marker, s.dht_marker);
  EXPECT_EQ("\xAB", as_string(w.info.scan_data));
}

TEST(Iterator, StepsOverStuffedZerosOnly) {
  const unsigned char bytes[] = {0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD9, 0xFF};
  const unsigned char* end = bytes + sizeof bytes;
  std::vector<int> seen;
  for (jpeg_iterator it(bytes, end); it < end; ++it) seen.push_back(*it);
  EXPECT_EQ((std::vector<int>{0x12, 0xFF, 0x34, 0xFF, 0xD9, 0xFF}), seen);
}

TEST(Load, MissingFileFails) {
  testutil::TempDir dir;
  const std::string path = dir / "none.jpg";
  jpegdata2_t data;
  EXPECT_FALSE(data.load(path.c_str()));
  EXPECT_EQ(path.c_str(), data.filename);
}

TEST(Load, EmptyFileIsTooShort) {
  testutil::TempDir dir;
  const std::string path = dir / "empty.jpg";
  testutil::write_file(path, "");
  jpegdata2_t data;
  ASSERT_TRUE(data.load(path.c_str()));
  jpeginfo2_t info;
  EXPECT_EQ("too few size of JPEG.\n", testutil::capture_stderr([&] { EXPECT_FALSE(info.analyze(data)); }));
}

TEST(Load, PictureWrittenByLibjpeg) {
  testutil::TempDir dir;
  const std::string path = dir / "a.jpg";
  testutil::jpeg_options o(40, 24);
  o.app1 = testutil::camera_exif({}).app1_payload();
  testutil::write_jpeg(path, o);
  jpegdata2_t data;
  ASSERT_TRUE(data.load(path.c_str()));
  EXPECT_EQ(testutil::read_file(path), as_string(data.buffer));
  jpeginfo2_t info;
  EXPECT_EQ("", testutil::capture_stderr([&] { EXPECT_TRUE(info.analyze(data)); }));
  EXPECT_EQ(o.app1, as_string(info.get_marker(0xFFE1)));
  EXPECT_EQ(24, info.sof0_marker.number_of_lines);
  EXPECT_EQ(40, info.sof0_marker.samples_per_line);
  EXPECT_EQ(2, info.sof0_marker.max_horizontal_factor);
  EXPECT_EQ(2, info.sof0_marker.max_vertical_factor);
  for (const huffman_t& h : info.dht_marker.huffman) EXPECT_FALSE(h.codes.empty());
}

}  // namespace
