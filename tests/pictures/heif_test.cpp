// Phone pictures: HEIC files made here by heif-enc from JPEG files with
// EXIF blocks, imported by `pictora-cli make-album`. Their levels are
// compared with heif-convert's decode of the card file, their captions with
// exiftool's reading of it, their originals with the card's bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "app/global.h"
#include "app/shrink.h"
#include "tests/pictures/pictures.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

using testutil::decoded_t;

uint32_t get32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}
void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (24 - 8 * i));
}
// The offset of the first box of `type` among the boxes from `at` to `end`.
size_t find_box(const std::string& f, size_t at, size_t end, const char* type) {
  while (at + 8 <= end && f.compare(at + 4, 4, type) != 0) at += get32(f, at);
  EXPECT_LT(at + 8, end) << type;
  return at;
}

// The HEIF file f with an `irot` property of `ccw` quarter turns
// anticlockwise on its picture, as phones write it: heif-enc writes none.
// Assumes heif-enc's layout (one item with properties, 32-bit offsets in
// iloc version 0, the item data after the meta box).
std::string with_rotation(std::string f, uint8_t ccw) {
  const size_t meta = find_box(f, 0, f.size(), "meta");
  const size_t meta_end = meta + get32(f, meta);
  const size_t iloc = find_box(f, meta + 12, meta_end, "iloc");
  const size_t iprp = find_box(f, meta + 12, meta_end, "iprp");
  const size_t ipco = find_box(f, iprp + 8, iprp + get32(f, iprp), "ipco");
  const size_t ipma = find_box(f, iprp + 8, iprp + get32(f, iprp), "ipma");
  uint8_t properties = 0;
  for (size_t at = ipco + 8; at < ipco + get32(f, ipco); at += get32(f, at)) ++properties;
  // The new property's association (essential) ends the item's list.
  const size_t count = ipma + 12 + 4 + 2;
  f.insert(count + 1 + uint8_t(f[count]), 1, char(0x80 | (properties + 1)));
  ++f[count];
  put32(f, ipma, get32(f, ipma) + 1);
  f.insert(ipco + get32(f, ipco), std::string("\0\0\0\x09irot", 8) + char(ccw));
  for (size_t box : {ipco, iprp, meta}) put32(f, box, get32(f, box) + (box == ipco ? 9 : 10));
  // Each item's base offset moves with the data after the grown meta box.
  EXPECT_EQ(0x44, uint8_t(f[iloc + 12])) << "iloc with 32-bit offsets";
  size_t item = iloc + 16;
  for (unsigned n = uint8_t(f[iloc + 14]) << 8 | uint8_t(f[iloc + 15]); n-- > 0;) {
    put32(f, item + 4, get32(f, item + 4) + 10);
    item += 10 + 8 * (uint8_t(f[item + 8]) << 8 | uint8_t(f[item + 9]));
  }
  return f;
}

std::string run_ok(const std::vector<std::string>& argv) {
  std::string out, err;
  EXPECT_EQ(0, testutil::run_program(argv, &out, &err)) << argv[0] << ": " << err;
  return out;
}

decoded_t decode(const std::string& path) { return testutil::reference_decode(testutil::read_file(path)); }

// Two JPEG encodings of the same pixels (the reference one by heif-convert).
void expect_same_picture(const decoded_t& expected, const decoded_t& got) {
  ASSERT_EQ(expected.width, got.width);
  ASSERT_EQ(expected.height, got.height);
  EXPECT_LE(testutil::mean_difference(expected, got), 2.0);
}

TEST(PhonePictures, LevelsCaptionsAndOriginalsAgreeWithTheHeifTools) {
  if (testutil::run_program({"sh", "-c", "command -v heif-enc && command -v heif-convert"}, nullptr, nullptr) != 0)
    GTEST_SKIP() << "needs heif-enc and heif-convert (Debian's libheif-examples)";
  const struct {
    const char* name;
    unsigned width, height;  // of the JPEG it is made from
    uint16_t orientation;    // EXIF orientation of that JPEG
    uint8_t irot;            // quarter turns anticlockwise the HEIF file carries
    bool location;           // a GPS position in its EXIF block
    unsigned upright_width;  // as heif-convert shows it
    bool profile;            // an ICC colour profile (a camera sample's)
  } cases[] = {
      {"IMG_0001.HEIC", 200, 150, 6, 3, true, 150, true},  // a phone's: turned, EXIF saying so too
      {"IMG_0002.heic", 200, 150, 6, 0, false, 200, false},  // its EXIF orientation alone turns nothing
      {"DSC_0003.HIF", 256, 120, 1, 0, true, 256, false},
  };
  testutil::TempDir camera, base, scratch;
  // A real camera's colour profile, which heif-enc carries into the file.
  const std::string sample = testutil::samples_dir().empty() ? "" : testutil::samples_dir() + "/jpg/Nikon_D70.jpg";
  const std::string icc = sample.empty() ? "" : run_ok({"exiftool", "-b", "-ICC_Profile", sample});
  if (icc.empty()) std::cout << "the colour profile is not checked: no camera samples in " PICTORA_SAMPLES_DIR "\n";
  for (const auto& c : cases) {
    testutil::camera_settings settings;
    settings.model = std::string("Phone ") + c.name;
    settings.orientation = c.orientation;
    testutil::exif_block exif = testutil::camera_exif(settings);
    if (c.location) exif.gps.rational(2, {{43, 1}, {28, 1}, {2, 1}}).ascii(1, "N");
    testutil::jpeg_options o(c.width, c.height);
    o.app1 = exif.app1_payload();
    if (c.profile && !icc.empty()) o.segments.push_back({0xE2, std::string("ICC_PROFILE\0\x01\x01", 14) + icc});
    testutil::write_jpeg(scratch / "from.jpg", o);
    run_ok({"heif-enc", "-q", "90", "-o", scratch / "enc.heic", scratch / "from.jpg"});
    const std::string heif = testutil::read_file(scratch / "enc.heic");
    testutil::write_file(camera / c.name, c.irot != 0 ? with_rotation(heif, c.irot) : heif);
  }
  testutil::write_file(camera / "shot.png", "\x89PNG\r\n\x1a\n");
  const std::string album = base / "day";
  pictures::cli_result r =
      pictures::run_cli({"--set", "shrink_size=64x64", "make-album", camera.path(), album, "--title", "D"});
  ASSERT_EQ(0, r.status) << r.err;
  // The picture that cannot be read is named, and kept with the side files.
  EXPECT_NE(std::string::npos, r.err.find("shot.png: a picture the program cannot read (PNG)")) << r.err;
  EXPECT_TRUE(testutil::exists(album + "/txt/shot.png"));
  // An update finds every picture's levels where the build put them.
  r = pictures::run_cli({"--set", "shrink_size=64x64", "update", album});
  ASSERT_EQ(0, r.status) << r.err;

  const std::string pages = testutil::read_file(album + "/index.html");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string card = camera / c.name, original = album + "/original/" + c.name;
    EXPECT_EQ(testutil::read_file(card), testutil::read_file(original));
    run_ok({"heif-convert", "-q", "100", card, scratch / "ref.jpg"});
    const decoded_t upright = decode(scratch / "ref.jpg");
    ASSERT_EQ(c.upright_width, upright.width);
    const std::string stem = std::string(c.name).substr(0, std::string(c.name).find('.'));
    const char* levels[] = {"size0", "size1", "size2", "size3", "thumb"};
    for (unsigned k = 0; k < 5; ++k) {
      SCOPED_TRACE(levels[k]);
      expect_same_picture(pictures::halved(upright, k), decode(album + "/" + levels[k] + "/" + stem + ".jpg"));
    }
    // The web copies carry the camera's EXIF block, upright, and its
    // position only where the original had none.
    const std::string size0 = album + "/size0/" + stem + ".jpg";
    EXPECT_EQ("Phone " + std::string(c.name) + "\n1\n",
              run_ok({"exiftool", "-s3", "-n", "-Model", "-Orientation", size0}));
    EXPECT_EQ(c.location ? "43.4672222222222\n" : "", run_ok({"exiftool", "-s3", "-n", "-GPSLatitude", original}));
    EXPECT_EQ("", run_ok({"exiftool", "-s3", "-GPSLatitude", size0}));
    // And the picture's colour profile, byte for byte.
    EXPECT_EQ(c.profile ? icc : "", run_ok({"exiftool", "-b", "-ICC_Profile", size0}));

    // The caption is that of the HEIF file's EXIF block, on the page too.
    const std::string facts = run_ok({"exiftool", "-s3", "-d", "%Y:%m:%d %H:%M:%S", "-DateTimeOriginal", "-Make",
                                      "-Model", original});
    std::smatch m;
    ASSERT_TRUE(std::regex_match(facts, m, std::regex("(.*)\n(.*)\n(.*)\n")));
    r = pictures::run_cli({"exif", original});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("\t" + m[1].str() + "\n\t" + m[2].str() + ", " + m[3].str() + "\n")) << r.out;
    EXPECT_NE(std::string::npos, pages.find("<br>" + m[2].str() + ", " + m[3].str() + "\n")) << pages;

    // The window's loaders show it upright.
    pictora::global_t settings;
    settings.shrink_size = {64, 64};
    libutils::report_log_t log;
    libgr::image2d_t image;
    ASSERT_TRUE(pictora::load_jpeg(image, original, settings, log)) << log.text();
    expect_same_picture(upright, pictures::topdown(image));
    ASSERT_TRUE(pictora::load_scaled_thumbnail(image, pictora::path_t{base.path(), "", "day"}, c.name, 1, settings, log));
    expect_same_picture(pictures::halved(upright, 3), pictures::topdown(image));
  }
  // Every level a page names is there.
  std::string all = pages;
  for (const auto& page : std::filesystem::directory_iterator(album + "/html")) all += testutil::read_file(page.path());
  const std::regex level_link(R"((?:\.\./)?((?:size\d|thumb)/[^" ,]+))");
  unsigned links = 0;
  for (std::sregex_iterator it(all.begin(), all.end(), level_link), end; it != end; ++it, ++links)
    EXPECT_TRUE(testutil::exists(album + "/" + (*it)[1].str())) << (*it)[1];
  EXPECT_GT(links, 3u * 4);
}

}  // namespace
