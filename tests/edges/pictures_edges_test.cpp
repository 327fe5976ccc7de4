// The JPEG readers and image operations at their edges: the marker walker,
// the EXIF reader and caption, the libjpeg adapter and the lossless turn over
// damaged copies of pictures and over segments that break one rule each,
// and halving and turning pictures of one row or column. Every reader
// refuses cleanly or reads within the bytes it was given (the sanitizer
// build checks every access).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "app/exif.h"
#include "libgr/imageutil.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg2.h"
#include "libgr/pixel_limit.h"
#include "libgr/transform.h"
#include "tests/pictures/pictures.h"
#include "tests/support/exif_writer.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

using namespace std::string_literals;
using pictures::topdown;
using testutil::decoded_t;
using testutil::exif_block;
using testutil::makernote_t;
using testutil::tiff_ifd;

// Bytes in a block of their own, as a file's mapping holds them.
libgr::bytes_t block_of(const std::string& bytes) {
  libgr::bytes_t b;
  b.resize(bytes.size());
  std::copy(bytes.begin(), bytes.end(), b.begin());
  return b;
}

std::string text_of(const libgr::bytes_t& b) { return std::string(b.begin(), b.end()); }

bool inside(const libgr::bytes_t& part, const libgr::bytes_t& whole) {
  return part.empty() || (part.begin() >= whole.begin() && part.end() <= whole.end());
}

// Reads `copy` as every reader of the program does; decoding and turning
// only when `decode` is set (they take longer).
void read_everything(const std::string& copy, bool decode) {
  libgr::jpegdata2_t walked;
  walked.buffer = block_of(copy);
  libgr::jpeginfo2_t markers;
  libgr::app1_marker_t app1;
  libgr::bytes_t payload;
  if (markers.analyze(walked) && !(payload = markers.get_marker(0xFFE1)).empty()) {
    for (const auto& m : markers.markers) EXPECT_TRUE(inside(m.payload, walked.buffer));
    app1.set_app1_buffer(payload);
  }
  if (!payload.empty() && app1.parse()) {
    const auto& t = app1.tiff_header;
    for (const libgr::bytes_t* w : {&t.buffer, &t.ifd0, &t.exif_ifd, &t.gps_ifd, &t.makernote_ifd, &t.olympus3_equipment_ifd,
                                    &t.olympus3_camerasettings_ifd, &t.olympus3_focusinfo_ifd, &t.thumbnail})
      EXPECT_TRUE(inside(*w, payload));
    std::ostringstream caption;
    pictora::write_caption(caption, t, true);
  }
  if (!decode) return;
  libgr::bytes_t bytes = block_of(copy);
  libgr::jpegdata_t data, turned;
  data.setvector(bytes, "copy.jpg");
  libgr::jpeginfo_t info;
  libgr::image2d_t image;
  libgr::jpeg_issues_t issues;
  const bool decoded = info.decompress(image, data, 0, false, {}),
             turns = libgr::transform(1, turned, data, libgr::default_pixel_limit, issues);
  EXPECT_TRUE(!decoded || image.size() == image.rowsize() * info.height);
  EXPECT_TRUE(!turns || testutil::read_coefficients(text_of(turned)).error.empty());
}

// Cut short at fifty points, and fifty copies with a few bytes changed in
// the first `head` bytes, where the structures lie.
std::vector<std::string> damaged_copies(const std::string& bytes, size_t head, unsigned seed) {
  std::vector<std::string> copies;
  for (size_t k = 0; k < 50; ++k) copies.push_back(bytes.substr(0, bytes.size() * k / 50));
  std::mt19937 random(seed);
  for (int k = 0; k < 50; ++k) {
    std::string copy = bytes;
    for (int n = random() % 4; n >= 0; --n) copy[random() % std::min(head, bytes.size())] = char(random());
    copies.push_back(copy);
  }
  return copies;
}

TEST(DamagedJpeg, EveryReaderRefusesOrStaysWithinTheBytes) {
  tiff_ifd settings, focus, om, older;
  settings.short_(0x0301, {0, 0x211}).short_(0x0302, {1}).short_(0x0500, {258}).short_(0x0501, {5000}).long_(0x0804, {1, 12});
  focus.short_(0x0209, {1}).short_(0x0300, {2}).short_(0x0301, {3}).short_(0x0303, {4}).short_(0x0304, {5});
  focus.rational(0x0305, {{1, 2}}).short_(0x0308, {6}).short_(0x031B, {7});
  om.sub_ifd(0x2010, tiff_ifd().ascii(0x0203, "Lens")).sub_ifd(0x2020, settings).sub_ifd(0x2050, focus);
  older.short_(0x100B, {1}).rational(0x100C, {{1234, 100}}).short_(0x1015, {2, 6});
  unsigned seed = 0;
  testutil::capture_stderr([&] {
    for (const auto& [make, note] : {std::pair{"OM Digital Solutions", makernote_t("OM SYSTEM\0\0\0II\4\0"s, om)},
                                     {"OLYMPUS", makernote_t("OLYMP\0\1\0"s, older)},
                                     {"RICOH", makernote_t("PENTAX \0II"s, tiff_ifd().short_(0x0019, {1}).short_(0x001A, {2}))}}) {
      testutil::camera_settings camera;
      camera.make = make;
      camera.thumbnail = testutil::make_jpeg({32, 24});
      exif_block b = testutil::camera_exif(camera);
      b.exif.makernote(note);
      testutil::jpeg_options o(40, 30);
      o.app1 = b.app1_payload();
      const std::string jpeg = testutil::make_jpeg(o);
      for (const std::string& copy : damaged_copies(jpeg, jpeg.size(), ++seed)) read_everything(copy, true);
    }
    // The headers of the camera pictures (the walk stops at the first scan).
    if (testutil::samples_dir().empty()) return;
    for (const auto& e : std::filesystem::recursive_directory_iterator(testutil::samples_dir() + "/jpg"))
      if (e.path().extension() == ".jpg")
        for (const std::string& copy : damaged_copies(testutil::read_file(e.path()).substr(0, 128 << 10), 4096, ++seed))
          read_everything(copy, false);
  });
  if (testutil::samples_dir().empty()) GTEST_SKIP() << "the camera pictures of " << PICTORA_SAMPLES_DIR << " were not damaged";
}

std::string be16(unsigned v) { return {char(v >> 8), char(v & 0xFF)}; }
std::string seg(unsigned code, const std::string& payload) { return be16(code) + be16(payload.size() + 2) + payload; }

TEST(MarkerWalker, EachBrokenRuleIsRefusedWithItsReport) {
  const std::string soi = "\xFF\xD8", app0 = seg(0xFFE0, "JFIF\0\1\1\0\0\1\0\1\0\0"s);
  const std::string dqt = std::string(65, '\1'), counts = "\1"s + std::string(15, '\0');
  const struct {
    const char* label;
    std::string bytes;
    const char* report;
    bool ok = false;
  } cases[] = {
      {"seven bytes", soi + "\xFF\xE0\0\3\0"s, "too few size of JPEG.\n"},
      {"not a JPEG", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, "not JPEG data.\n"},
      {"no end marker", soi + app0 + seg(0xFFDB, "\0"s + dqt.substr(1)), "", true},
      {"bytes after the end marker", soi + app0 + "\xFF\xD9\0\0"s, "(refused without a report)"},
      {"segment past the end", soi + app0 + "\xFF\xE1\x00\x10xx"s, "broken JPEG data.\n"},
      {"progressive scan", soi + seg(0xFFDA, "\x01\x01\x00\x00\x00\x01"s),
       "constant value illegal. ss=0, se=0, ah=0, al=1\nsos_marker.parse() fail.\n"},
      {"scan header cut", soi + seg(0xFFDA, "\x01\x01\x00"s), "broken JPEG data.\nsos_marker.parse() fail.\n"},
      {"scan of another count", soi + seg(0xFFDA, "\x02\x01\x00\x00\x3F\x00"s), "broken JPEG data.\nsos_marker.parse() fail.\n"},
      {"restart interval of three bytes: reported only", soi + seg(0xFFDD, "\0\4\0"s), "broken JPEG data.\n", true},
      {"quantisation table 4", soi + seg(0xFFDB, "\x04"s + dqt.substr(1)), "invalid JPEG data.\n"},
      {"eight Huffman tables", soi + seg(0xFFC4, std::string(8 * 17, '\0')), "broken JPEG data.\n"},
      {"16-bit quantisation", soi + seg(0xFFDB, "\x10"s + dqt.substr(1)), "not support JPEG data. DQT pq=1\n"},
      {"12-bit frame", soi + seg(0xFFC0, "\x0C\0\x08\0\x10\x01\x01\x11\0"s), "not support JPEG data. sample_precision=12\n"},
      {"frame header cut", soi + seg(0xFFC0, "\x08\0\x08\0"s), "broken JPEG data.\n"},
      {"frame shorter than its components", soi + seg(0xFFC0, "\x08\0\x08\0\x10\x02\x01\x11\0"s), "broken JPEG data.\n"},
      {"sampling factor 0", soi + seg(0xFFC0, "\x08\0\x08\0\x10\x02\x01\x22\0\x02\x10\0"s), "invalid JPEG data.\n"},
      {"Huffman run without bits", soi + seg(0xFFC4, "\x10"s + counts + "\xE0"),
       "huffman table error: run_length=14, data_bits=0\n"},
  };
  for (const auto& c : cases) {
    libgr::jpegdata2_t data;
    data.buffer = block_of(c.bytes);
    libgr::jpeginfo2_t info;
    const bool ok = info.analyze(data);
    std::string report;
    for (const std::string& complaint : info.complaints) report += complaint + "\n";
    EXPECT_EQ(c.report, report.empty() && !ok ? "(refused without a report)" : report) << c.label;
    EXPECT_EQ(c.ok, ok) << c.label;
  }
}

std::string le16(unsigned v) { return {char(v & 0xFF), char(v >> 8)}; }
std::string le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

TEST(ExifReader, EachBrokenRuleIsRefusedWithItsReport) {
  exif_block magic, value_over, thumbnail_over, long_orientation, om_over, pentax_over;
  magic.magic = 43;
  value_over.exif.offset_field(0x829A, 5, 1, 4000);
  thumbnail_over.ifd1.long_(0x0201, {8}).long_(0x0202, {4000});  // starts inside, ends outside
  long_orientation.ifd0.raw(0x0112, 4, 1, "\6\0\0\0"s);
  om_over.ifd0.ascii(0x010F, "OM Digital Solutions");  // a camera-settings directory past the note's end
  om_over.exif.undefined(0x927C, "OM SYSTEM\0\0\0II\4\0"s + le16(1) + le16(0x2020) + le16(4) + le32(1) + le32(4000) + le32(0));
  pentax_over.ifd0.ascii(0x010F, "RICOH");
  pentax_over.exif.makernote(makernote_t("PENTAX \0II"s, tiff_ifd().offset_field(0x000D, 3, 10, 4000).short_(0x0010, {7})));
  const auto tiff_size = [](const exif_block& b) { return std::to_string(b.tiff().size()); };
  const struct {
    const char* label;
    std::string payload;
    bool ok;
    std::string report;
  } cases[] = {
      {"header cut", "Exif\0\0II*\0\x08\0\0"s, false, "too few tiff header size.\n"},
      {"magic", magic.app1_payload(), false, "not tiff(0x00, 0x2a).\n"},
      {"directory count cut", "Exif\0\0II*\0"s + le32(8) + le16(3) + le16(0x0112) + le16(3) + le32(1) + le32(6), false,
       "value over, offset: 22 ifd size: 14\n"},
      {"EXIF directory cut", "Exif\0\0II*\0"s + le32(8) + le16(1) + le16(0x8769) + le16(4) + le32(1) + le32(25) + le32(0), false,
       "exif ifd size exceed: 29 > 26\n"},
      {"maker-note value outside: skipped", pentax_over.app1_payload(), true, "d: [0]: 4000, 20: app1 size: 40 over.\n"},
      {"directory outside", "Exif\0\0II*\0"s + le32(100), false, "value over, offset 100 tiff size: 8\n"},
      {"text ending outside", "Exif\0\0II*\0"s + le32(8) + le16(1) + le16(0x010F) + le16(2) + le32(20) + le32(10) + le32(0), false,
       "value over, offset 10 tiff size: 26\n"},
      {"thumbnail directory cut", "Exif\0\0II*\0"s + le32(8) + le16(0) + le32(14) + le16(2), false, "too few ifd area14 > 2\n"},
      {"EXIF value outside", value_over.app1_payload(), false,
       "offset+size over: 4000, 8, tiff size: " + tiff_size(value_over) + "\n"},
      {"thumbnail outside", thumbnail_over.app1_payload(), false,
       "offset+size over: 8, 4000, tiff size: " + tiff_size(thumbnail_over) + "\n"},
      {"maker-note directory outside", om_over.app1_payload(), false,
       "olympus3 camerasettings ifd: 0: size 2 over than ifd.size(0).\n"},
      {"orientation of the wrong type is skipped", long_orientation.app1_payload(), true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    // As in a file, more bytes follow the payload in its block.
    libgr::bytes_t payload;
    payload.setwindow(block_of(c.payload + std::string(64, 'A')), 0, c.payload.size());
    libgr::app1_marker_t app1;
    app1.set_app1_buffer(payload);
    const bool ok = app1.parse();
    std::string report;
    for (const std::string& complaint : app1.tiff_header.complaints) report += complaint + "\n";
    EXPECT_EQ(c.report, report);
    EXPECT_EQ(c.ok, ok);
    // A skipped value leaves its field empty; the walk goes on after it.
    const auto& t = app1.tiff_header;
    EXPECT_TRUE(!c.ok || (t.tag_0th_ifd.Orientation.empty() && t.tag_pentax5_ifd.FocusMode.empty()));
    EXPECT_EQ(c.payload == pentax_over.app1_payload(), !t.tag_pentax5_ifd.FocusPosition.empty());
  }
}

TEST(JpegAdapter, RefusesCmykAndKeepsTheRowsBeforeACut) {
  testutil::jpeg_options cmyk(16, 16);
  cmyk.sampling = testutil::jpeg_sampling::cmyk;
  const std::string whole = testutil::make_jpeg({48, 160});
  libgr::bytes_t cmyk_bytes = block_of(testutil::make_jpeg(cmyk)), cut_bytes = block_of(whole.substr(0, whole.size() / 2));
  libgr::jpegdata_t cmyk_data, cut, turned;
  cmyk_data.setvector(cmyk_bytes, "cmyk.jpg");
  cut.setvector(cut_bytes, "cut.jpg");
  libgr::jpeginfo_t info;
  libgr::image2d_t image;
  EXPECT_FALSE(info.decompress(image, cmyk_data, 0, false, {}));
  EXPECT_EQ("a picture of 4 components; only colour and grayscale pictures are decoded", info.issues.reason);
  EXPECT_TRUE(info.decompress(image, cut, 0, false, {}));
  EXPECT_FALSE(info.complete);
  EXPECT_EQ("the picture data ends early", info.issues.reason);
  // Exact rows down to the row of blocks where the data ended, zeros below.
  const decoded_t got = topdown(image), ref = testutil::reference_decode(whole);
  const size_t row = got.width * 3;
  unsigned exact = 0, zero_from = got.height;
  while (exact < got.height && std::equal(got.row(exact), got.row(exact) + row, ref.row(exact))) ++exact;
  while (zero_from > 0 && std::count(got.row(zero_from - 1), got.row(zero_from - 1) + row, 0) == long(row)) --zero_from;
  EXPECT_GE(exact, 16u);
  EXPECT_LT(zero_from, got.height);
  EXPECT_LE(zero_from, exact + 16);
  // The turn of the cut picture is written whole but fails.
  libgr::jpeg_issues_t issues;
  EXPECT_FALSE(libgr::transform(1, turned, cut, libgr::default_pixel_limit, issues));
  EXPECT_EQ("the picture data ends early", issues.reason);
  EXPECT_EQ("Premature end of JPEG file", issues.detail());
  EXPECT_EQ(0, testutil::read_coefficients(text_of(turned)).warnings);
}

TEST(ImageOperations, OneRowOneColumnAndOddSizesLikeTheReferences) {
  for (unsigned components : {1u, 3u})
    for (const auto& [width, height] : {std::pair{1u, 1u}, {1u, 6u}, {6u, 1u}, {2u, 2u}, {5u, 3u}, {7u, 4u}}) {
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " of " + std::to_string(components));
      decoded_t p{width, height, components, {}}, rgb{width, height, 3, {}};  // and as grayscale2rgb widens it
      libgr::image2d_t source, result;
      source.desc = {components == 1 ? libgr::IMAGE_FORMAT_GRAYSCALE : libgr::IMAGE_FORMAT_RGB, libgr::IMAGE_TYPE_UINT,
                     libgr::IMAGE_BITS_8};
      source.width = width;
      source.height = height;
      ASSERT_TRUE(source.allocate());  // rows padded to four bytes
      for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
          const auto colour = testutil::pattern_rgb(x, y, width, height);
          p.pixels.insert(p.pixels.end(), colour.begin(), colour.begin() + components);
          rgb.pixels.insert(rgb.pixels.end(), {colour[0], colour[components == 1 ? 0 : 1], colour[components == 1 ? 0 : 2]});
          std::copy(colour.begin(), colour.begin() + components, source.row(height - 1 - y) + x * components);
        }
      ASSERT_TRUE(libgr::scaledown(result, source));
      EXPECT_EQ(0u, testutil::max_difference(testutil::halve_reference(p), topdown(result)));
      for (unsigned turns = 0; turns < 4; ++turns) {
        ASSERT_TRUE(libgr::rotate(turns, result, source));
        EXPECT_EQ(0u, testutil::max_difference(testutil::rotate_reference(p, turns), topdown(result))) << turns;
      }
      ASSERT_TRUE(libgr::grayscale2rgb(result, source));
      EXPECT_EQ(0u, testutil::max_difference(rgb, topdown(result)));
      // Rows in the other order: the picture upside down.
      decoded_t upside_down = p;
      for (unsigned y = 0; y < height; ++y)
        std::copy(p.row(height - 1 - y), p.row(height - 1 - y) + width * components,
                  upside_down.pixels.begin() + y * width * components);
      ASSERT_TRUE(libgr::flip(result, source));
      EXPECT_EQ(0u, testutil::max_difference(upside_down, topdown(result)));
      // An opaque alpha byte after every colour; gray has no RGBA form. The
      // four-byte pixels halve like any others.
      decoded_t rgba{width, height, 4, {}};
      for (size_t i = 0; i < rgb.pixels.size(); i += 3)
        rgba.pixels.insert(rgba.pixels.end(), {rgb.pixels[i], rgb.pixels[i + 1], rgb.pixels[i + 2], 255});
      EXPECT_EQ(components == 3, libgr::rgb2rgba(result, source));
      if (components == 3) {
        EXPECT_EQ(0u, testutil::max_difference(rgba, topdown(result)));
        libgr::image2d_t half;
        ASSERT_TRUE(libgr::scaledown(half, result));
        EXPECT_EQ(0u, testutil::max_difference(testutil::halve_reference(rgba), topdown(half)));
      }
      EXPECT_EQ(0u, testutil::max_difference(p, topdown(source)));  // left as it was
    }
}

}  // namespace

namespace {

// A picture of more pixels than the limit is refused by name before any
// memory is taken for it, by the decoder and the lossless turn alike; one at
// the limit is read.
TEST(JpegAdapter, PicturesAboveThePixelLimitAreRefusedBeforeDecoding) {
  for (const auto& [width, height] : {std::pair{24u, 16u}, {16u, 24u}, {25u, 16u}, {16u, 25u}}) {
    libgr::bytes_t bytes = block_of(testutil::make_jpeg({width, height}));
    libgr::jpegdata_t data, turned;
    data.setvector(bytes, "p.jpg");
    libgr::image2d_t image;
    libgr::jpeginfo_t info;
    info.max_pixels = 24 * 16;
    libgr::jpeg_issues_t issues;
    info.decompress(image, data, 0, false, {});
    libgr::transform(1, turned, data, 24 * 16, issues);
    const std::string refusal =
        std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the limit of 384 (max_pixels)";
    EXPECT_EQ(width * height > 384 ? refusal + refusal : "", info.issues.reason + issues.reason);
    EXPECT_EQ(width * height <= 384, !image.empty() && !turned.empty());
  }
}

long peak_memory_kb() {
  const std::string status = testutil::read_file("/proc/self/status");
  return std::stol(status.substr(status.find("VmHWM:") + 6));
}

// 200,000 comment segments (1.2 MB): all are kept and written into a new
// picture, each without a block of its own (the peak memory grows by a few
// megabytes, not by a page a segment), in time linear in their number.
TEST(JpegAdapter, ManySegmentsAreAllKeptWithoutABlockEach) {
  testutil::jpeg_options o(16, 16);
  o.segments.assign(200000, {0xFE, "ab"});
  libgr::bytes_t bytes = block_of(testutil::make_jpeg(o));
  libgr::jpegdata_t data, out;
  data.setvector(bytes, "p.jpg");
  libgr::jpeginfo_t info;
  libgr::image2d_t image;
  const long before = peak_memory_kb();
  ASSERT_TRUE(info.decompress(image, data, 0, false, {}));
  EXPECT_LT(peak_memory_kb() - before, 64 << 10);
  ASSERT_TRUE(info.compress(out, image, 90, true));
  libgr::jpegdata2_t written;  // the marker walker counts them
  written.buffer = out;
  libgr::jpeginfo2_t walk;
  walk.analyze(written);
  EXPECT_EQ(200000, std::count_if(walk.markers.begin(), walk.markers.end(), [](const auto& m) { return m.code == 0xFFFE; }));
}

// On the command line a failure names the file and why, in plain words on
// the first line (the hostile-file table checks the names of every
// command), and writes nothing; a page build names a picture whose
// EXIF block it cannot read.
TEST(CommandLine, EveryFailureNamesTheFileAndWhy) {
  testutil::TempDir dir;
  testutil::make_dirs(dir / "folder.jpg");
  testutil::jpeg_options cmyk(16, 16), garbage(16, 16);
  cmyk.sampling = testutil::jpeg_sampling::cmyk;
  testutil::write_jpeg(dir / "cmyk.jpg", cmyk);
  testutil::make_dirs(dir / "camera");
  garbage.app1 = "Exif\0\0II*\0\x08\0\0\0\xff\xff"s + std::string(200, '\x7f');  // 65535 entries declared
  testutil::write_jpeg(dir / "camera/garbage.jpg", garbage);
  const struct {
    std::vector<std::string> args;  // after pictora-cli; "D" stands for the folder
    int status;
    std::string line;  // of the standard error, after the folder
  } cases[] = {
      {{"exif", "D/absent.jpg"}, 1, "/absent.jpg: No such file or directory\n"},
      {{"jpeg", "info", "D/folder.jpg"}, 1, "/folder.jpg: cannot be read: Is a directory\n"},
      {{"jpeg", "halve", "D/cmyk.jpg", "D/out.jpg"}, 1,
       "/cmyk.jpg: a picture of 4 components; only colour and grayscale pictures are decoded, nothing written\n"},
      {{"--quiet", "make-album", "D/camera", "D/book/a", "--title", "T"}, 0,
       "/book/a/original/garbage.jpg: EXIF block not read, no caption.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(a[0] == 'D' ? dir.path() + a.substr(1) : a);
    const pictures::cli_result r = pictures::run_cli(args);
    EXPECT_EQ(c.status, r.status);
    EXPECT_NE(std::string::npos, ("\n" + r.err).find("\n" + dir.path() + c.line)) << r.err;
    EXPECT_FALSE(testutil::exists(dir / "out.jpg"));
  }
}

}  // namespace
