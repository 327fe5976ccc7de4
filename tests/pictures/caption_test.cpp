// The caption under a picture (`pictora-cli exif`): on the real camera
// pictures its values are those exiftool reads, and its whole text is kept in
// expected/sample-captions.txt; written EXIF blocks reach the number formats
// and maker notes that no sample has.
//
// PICTORA_UPDATE_EXPECTED=1 rewrites the expected file from the program's
// output; read the difference before committing it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <map>
#include <regex>
#include <sstream>

#include "app/exif.h"
#include "tests/pictures/pictures.h"
#include "tests/support/exif_writer.h"
#include "tests/support/test_util.h"

namespace {

using namespace std::string_literals;
using testutil::exif_block;
using testutil::makernote_t;
using testutil::tiff_ifd;

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == sep) parts.emplace_back();
    else parts.back().push_back(c);
  }
  return parts;
}

// exiftool's reading of each file, by tag; "" when absent. Make and Model
// come from the 0th directory, the others from the EXIF directory; tags
// ending in # are read as plain numbers.
using reading_t = std::map<std::string, std::string>;
const char* const s_tags[] = {"Make", "Model", "DateTimeOriginal", "LensModel", "ExposureProgram", "FocalLength#",
                              "FocalLengthIn35mmFormat#", "FNumber#", "ExposureTime#", "ISO#", "MeteringMode#",
                              "ExposureCompensation#", "Flash#", "WhiteBalance", "Sharpness", "Saturation",
                              "Contrast", "ColorSpace"};

std::map<std::string, reading_t> exiftool_readings(const std::vector<std::string>& files) {
  std::vector<std::string> argv = {"exiftool", "-T", "-f", "-FilePath"};
  for (const char* tag : s_tags) argv.push_back((argv.size() < 6 ? "-IFD0:"s : "-ExifIFD:"s) + tag);
  argv.insert(argv.end(), files.begin(), files.end());
  std::string out;
  EXPECT_EQ(0, testutil::run_program(argv, &out, nullptr));
  std::map<std::string, reading_t> readings;
  for (const std::string& line : split(out, '\n')) {
    const std::vector<std::string> columns = split(line, '\t');
    for (size_t i = 1; i < columns.size() && columns.size() == std::size(s_tags) + 1; ++i) {
      std::string tag = s_tags[i - 1], value = columns[i] == "-" ? "" : columns[i];
      if (tag.back() == '#') tag.pop_back();
      readings[columns[0]][tag] = value.erase(value.find_last_not_of(' ') + 1);
    }
  }
  return readings;
}

// A text that fills its whole field without a closing zero loses its last
// byte in the caption; exiftool shows all of them.
bool same_text(const std::string& ours, const std::string& theirs) {
  return ours == theirs || (!theirs.empty() && ours == theirs.substr(0, theirs.size() - 1));
}

// A number as the caption shows it (a fraction, a whole number or decimals)
// is the exact value within half a unit of its last decimal.
void expect_shows(const std::string& text, const std::string& exact) {
  const size_t slash = text.find('/'), point = text.find('.');
  double value = std::stod(text), tolerance = 1e-6 * std::abs(value);
  if (slash != std::string::npos) value /= std::stod(text.substr(slash + 1));
  if (point != std::string::npos) tolerance += 0.5 * std::pow(10.0, -double(text.size() - point - 1));
  EXPECT_NEAR(std::stod(exact), value, tolerance) << text;
}

// The settings line, each part in its place: program, focal length (35 mm
// equivalent), f-number, time, ISO, metering, bias, flash.
const std::regex s_settings(R"((\w)?(?:, f=([\d.]+)mm(?:\((\d+)mm\))?)?(?:, f/([\d.]+))?(?:, ([\d./]+)sec)?)"
                            R"((?:, iso(\d+))?(, \[\w+\])?(?:, ([-+][\d/]+) EV)?(, Flash[^,]*)?)");

// One caption, its "<br>"s taken out, against exiftool's reading.
void expect_agrees(const std::string& caption, reading_t tool) {
  std::vector<std::string> lines = split(caption.substr(0, caption.size() - 1), '\n');
  for (std::string& l : lines) {
    l.erase(0, l.compare(0, 5, "\t<br>") == 0 ? 5 : 1);
    // Texts from the file are escaped for the page; exiftool shows them as they are.
    for (const auto& [entity, c] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
      for (size_t at; (at = l.find(entity)) != std::string::npos;) l.replace(at, std::strlen(entity), c);
  }
  size_t at = 0;
  EXPECT_TRUE(tool["DateTimeOriginal"].empty() || same_text(lines.at(at++), tool["DateTimeOriginal"])) << lines[0];
  if (!tool["Model"].empty()) {
    const std::string camera = lines.at(at++);
    bool found = false;
    for (const std::string& make : {tool["Make"], tool["Make"].substr(0, tool["Make"].size() - 1)})
      found |= camera.rfind(make + ", ", 0) == 0 && same_text(camera.substr(make.size() + 2), tool["Model"]);
    EXPECT_TRUE(found) << camera;
    EXPECT_TRUE(tool["LensModel"].empty() || tool["LensModel"] == lines.at(at++)) << lines[at - 1];
  }
  std::smatch m;
  ASSERT_TRUE(at + 1 < lines.size() && std::regex_match(lines[at], m, s_settings)) << caption;
  if (std::strtod(tool["ExposureCompensation"].c_str(), nullptr) == 0) tool["ExposureCompensation"] = "";
  const std::pair<int, const char*> numbers[] = {{2, "FocalLength"}, {3, "FocalLengthIn35mmFormat"}, {4, "FNumber"},
                                                 {5, "ExposureTime"}, {6, "ISO"},  {8, "ExposureCompensation"}};
  for (const auto& [group, tag] : numbers) {
    ASSERT_EQ(tool[tag].empty(), !m[group].matched) << tag;
    if (m[group].matched) expect_shows(m[group], tool[tag]);
  }
  // The program's initial, and only whether there is a metering mode and a flash that fired.
  EXPECT_EQ(std::tolower(tool["ExposureProgram"][0]), std::tolower(m.str(1)[0]));
  EXPECT_EQ(tool["MeteringMode"].empty(), !m[7].matched);
  EXPECT_EQ(std::atoi(tool["Flash"].c_str()) % 2 == 1, m[9].matched);

  // The picture settings end the caption; Olympus cameras show their own
  // maker-note settings in place of the standard ones.
  const std::string& last = lines.back();
  EXPECT_LE(lines.size(), at + 3) << caption;
  std::string expected = tool["WhiteBalance"].empty() ? "" : tool["WhiteBalance"] + " WB";
  for (const auto& [setting, label] : {std::pair{"Sharpness", ", Shp "}, {"Saturation", ", Sat "}, {"Contrast", ", Ctr "}})
    if (!tool[setting].empty()) expected += label + tool[setting];
  if (std::regex_search(tool["Make"], std::regex("^(OLYMPUS|OM Digital)", std::regex::icase)))
    expected = last.substr(0, last.rfind(", "));
  EXPECT_EQ(expected + ", " + tool["ColorSpace"], last);
}

TEST(Caption, CameraPicturesAgreeWithExiftoolAndTheExpectedText) {
  if (testutil::samples_dir().empty()) GTEST_SKIP() << "needs the camera pictures of " << PICTORA_SAMPLES_DIR;
  const std::string dir = std::filesystem::canonical(testutil::samples_dir() + "/jpg").string();
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.path().extension() == ".jpg" || e.path().extension() == ".jpeg") files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  std::map<std::string, reading_t> tool = exiftool_readings(files);
  std::string all;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const pictures::cli_result r = pictures::run_cli({"exif", "--html", file});
    // No caption for damaged files, progressive files (the marker walker
    // reads baseline files only), and Olympus maker notes of the newer
    // layout under an "OLYMPUS" make.
    ASSERT_EQ(r.out.empty() ? 1 : 0, r.status) << r.err;
    all += "== " + file.substr(dir.size() + 1) + "\n" + (r.status == 0 ? r.out : "(no caption)\n");
    if (r.status == 0) expect_agrees(r.out, tool.at(file));
  }
  const std::string expected_file = PICTORA_SOURCE_DIR "/tests/pictures/expected/sample-captions.txt";
  if (std::getenv("PICTORA_UPDATE_EXPECTED") != nullptr) testutil::write_file(expected_file, all);
  EXPECT_EQ(testutil::read_file(expected_file), all);
}

const uint16_t time_ = 0x829A, iso = 0x8827, bias = 0x9204, flash = 0x9209, contrast = 0xA408, saturation = 0xA409,
               sharpness = 0xA40A;

// The newer Olympus maker note with camera-settings and focus-info directories.
std::function<void(exif_block&)> om(std::function<void(tiff_ifd&, tiff_ifd&)> fill) {
  return [fill](exif_block& b) {
    tiff_ifd settings, focus, main;
    fill(settings, focus);
    b.exif.short_(sharpness, {1}).short_(saturation, {2}).short_(contrast, {1});
    b.exif.makernote(makernote_t("OM SYSTEM\0\0\0II\4\0"s, main.sub_ifd(0x2020, settings).sub_ifd(0x2050, focus)));
  };
}

TEST(Caption, WrittenBlocksReachWhatNoSampleHas) {
  const char* const om_make = "OM Digital Solutions";
  // The camera line (none without a make), then the rest of the caption.
  const struct {
    const char* label;
    std::function<void(exif_block&)> tags;
    const char* rest;
    const char* make = "Nikon";
  } cases[] = {
      {"time reduced to 1/d", [](exif_block& b) { b.exif.rational(time_, {{10, 2500}}); }, "\t, 1/250sec\n\t, \n"},
      {"time 0/0", [](exif_block& b) { b.exif.rational(time_, {{0, 0}}); }, "\t\n\t, \n"},
      {"iso above 16 bits", [](exif_block& b) { b.exif.short_(iso, {65535}).long_(0x8831, {102400}); }, "\t, iso102400\n\t, \n"},
      {"bias reduced", [](exif_block& b) { b.exif.srational_(bias, {{2, 6}}); }, "\t, +1/3 EV\n\t, \n"},
      {"values outside the tables",
       [](exif_block& b) {
         b.exif.short_(0x8822, {9}).short_(0x9207, {255}).short_(0xA403, {3}).short_(sharpness, {3});
         b.exif.short_(saturation, {4}).short_(contrast, {3}).short_(0xA001, {2});
       },
       "\tU, [Unk]\n\tUnknown WB, Shp Unknown, Sat Unknown, Ctr Unknown, Unknown\n"},
      {"flash auto", [](exif_block& b) { b.exif.short_(flash, {0x19}); }, "\t, Flash/Auto\n\t, \n"},
      {"flash without return", [](exif_block& b) { b.exif.short_(flash, {0x15}); },
       "\t, Flash/Return Not Detected/Compulsory\n\t, \n"},
      {"no model hides the lens",
       [](exif_block& b) { b.ifd0.ascii(0x010F, "N"), b.exif.ascii(0x9003, "2024").ascii(0xA434, "L"); },
       "\t2024\n\t\n\t, \n", ""},
      {"one focus mode", om([](tiff_ifd& s, tiff_ifd& f) { s.short_(0x0301, {2}).short_(0x0500, {258}), f.short_(0x0308, {6}); }),
       "\t\n\tContinuous AF(P=6)\n\tOne Touch WB 3, Shp Soft, Sat High, Ctr Low, \n", om_make},
      {"focus bits", om([](tiff_ifd& s, tiff_ifd&) { s.short_(0x0301, {0, 0x211}); }),
       "\t\n\tS-AF/MF/Starry Sky AF\n\t, Shp Soft, Sat High, Ctr Low, \n", "om digital solutions"},
      {"manual focus process", om([](tiff_ifd& s, tiff_ifd& f) { s.short_(0x0302, {0}), f.short_(0x0308, {3}); }),
       "\t\n\tMF(P=3)\n\t, Shp Soft, Sat High, Ctr Low, \n", om_make},
      {"live composite", om([](tiff_ifd& s, tiff_ifd&) { s.long_(0x0804, {1, 12}); }),
       "\t\n\t\n\t, Shp Soft, Sat High, Ctr Low, \n\tLiveComp 12 frames\n", om_make},
      {"older Olympus manual focus", [](exif_block& b) { b.exif.short_(sharpness, {1}).makernote(makernote_t("OLYMP\0\1\0"s,
         tiff_ifd().short_(0x100B, {1}).rational(0x100C, {{1234, 100}}).short_(0x100F, {2}).short_(0x1015, {2, 6})
             .short_(0x1029, {0}))); },
       "\t\n\tMF(P=12)\n\tPreset 5500K, Shp Soft, Ctr High, \n", "OLYMPUS"},
      {"older Olympus other focus", [](exif_block& b) {
         b.exif.makernote(makernote_t("OLYMP\0\1\0"s, tiff_ifd().short_(0x100B, {2}).short_(0x1015, {1, 0})));
       }, "\t\n\tU\n\tAuto WB, \n", "olympus corp."},
      {"Pentax type of Ricoh",
       [](exif_block& b) { b.exif.makernote(makernote_t("PENTAX \0II"s, tiff_ifd().short_(0x000D, {16}).short_(0x0010, {7}))); },
       "\t\n\tAF-S (Focus-priority)(P=7)\n\t, \n", "RICOH IMAGING"},
  };
  testutil::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    exif_block b;
    if (*c.make) b.ifd0.ascii(0x010F, c.make).ascii(0x0110, "X");
    c.tags(b);
    testutil::jpeg_options o(16, 16);
    o.app1 = b.app1_payload();
    testutil::write_jpeg(dir / "p.jpg", o);
    EXPECT_EQ((*c.make ? "\t"s + c.make + ", X\n" : "") + c.rest, pictures::run_cli({"exif", dir / "p.jpg"}).out);
  }
}

TEST(Caption, CaptionsOfOnePageShareOneNumberFormat) {
  exif_block b;
  b.ifd0.ascii(0x010F, "N").ascii(0x0110, "X");
  b.exif.rational(0x920A, {{58, 10}}).rational(0x829D, {{28, 10}}).rational(time_, {{13, 10}});
  testutil::TempDir dir;
  testutil::jpeg_options o(16, 16);
  o.app1 = b.app1_payload();
  testutil::write_jpeg(dir / "p.jpg", o);
  std::ostringstream page;
  page << std::scientific << std::setprecision(3);
  libutils::report_log_t log;
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(pictora::writeexif(page, pictora::path_t{dir.path(), "", ""}, "", "p.jpg", false, log));
  page << 1.5;  // the page's own format is given back
  EXPECT_EQ("\tN, X\n\t, f=5.8mm, f/2.8, 1.30sec\n\t, \n\tN, X\n\t, f=5.8mm, f/2.8, 1.30sec\n\t, \n1.500e+00", page.str());
}

}  // namespace

namespace {

// The texts inside a picture file are whoever made it, not the user: on a
// page they make no markup.
TEST(Caption, TextsFromThePictureMakeNoMarkupOnAPage) {
  exif_block b;
  b.ifd0.ascii(0x010F, "<script>").ascii(0x0110, "\"&'");
  b.exif.ascii(0x9003, "<b>").ascii(0xA434, "</p>");
  testutil::TempDir camera, book;
  testutil::jpeg_options o(16, 16);
  o.app1 = b.app1_payload();
  testutil::write_jpeg(camera / "p.jpg", o);
  const std::string page = "\t&lt;b&gt;\n\t<br>&lt;script&gt;, &quot;&amp;'\n\t<br>&lt;/p&gt;\n";
  EXPECT_EQ(page + "\t<br>\n\t<br>, \n", pictures::run_cli({"exif", "--html", camera / "p.jpg"}).out);
  ASSERT_EQ(0, pictures::run_cli({"--quiet", "make-album", camera.path(), book / "a", "--title", "T"}).status);
  const std::string album = testutil::read_file(book / "a/index.html");
  EXPECT_NE(std::string::npos, album.find(page)) << album;
  EXPECT_EQ(std::string::npos, album.find("<script>")) << album;
}

}  // namespace
