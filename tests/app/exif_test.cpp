// The caption under a picture, from JPEG files written with chosen EXIF tags
// and maker notes, and from real camera files.
#include "app/exif.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"
#include "vexalib/message.h"

namespace {

using namespace std::string_literals;
using pictora::path_t;
using pictora::writeexif;
using testutil::exif_block;
using testutil::makernote_t;
using testutil::tiff_ifd;

// EXIF directory tags the caption reads.
enum : uint16_t {
  tag_make = 0x010F,
  tag_model = 0x0110,
  tag_exposure_time = 0x829A,
  tag_fnumber = 0x829D,
  tag_exposure_program = 0x8822,
  tag_iso = 0x8827,
  tag_sensitivity = 0x8831,
  tag_date = 0x9003,
  tag_bias = 0x9204,
  tag_metering = 0x9207,
  tag_flash = 0x9209,
  tag_focal_length = 0x920A,
  tag_colorspace = 0xA001,
  tag_white_balance = 0xA403,
  tag_focal_35mm = 0xA405,
  tag_contrast = 0xA408,
  tag_saturation = 0xA409,
  tag_sharpness = 0xA40A,
  tag_lens = 0xA434,
};

class CaptionTest : public testing::Test {
 protected:
  void SetUp() override {
    // The caption's own texts, whatever catalogue an earlier test loaded.
    ::setenv("LC_ALL", "C", 1);
    testutil::write_file(dir.path() + "/en.msg", testutil::read_file(PICTORA_SOURCE_DIR "/data/pictora.msg"));
    ASSERT_NE("", vexalib::init_message((dir.path() + "/").c_str(), "en"));
    pictora::initexif(nullptr, nullptr);
    testutil::make_dirs(dir.path() + "/album/original");
  }

  // Writes a picture carrying `exif` and returns its caption; "(false)" when
  // writeexif refuses it.
  std::string caption(const exif_block& exif, bool html = true) {
    testutil::jpeg_options options(16, 16);
    options.app1 = exif.app1_payload();
    return caption_of_jpeg(testutil::make_jpeg(options), html);
  }
  std::string caption_of_jpeg(const std::string& bytes, bool html = true) {
    testutil::write_file(dir.path() + "/album/original/p.jpg", bytes);
    return caption_of_file("p.jpg", html);
  }
  std::string caption_of_file(const std::string& name, bool html = true) {
    std::ostringstream os;
    if (!writeexif(os, album, "original", name, html)) return "(false)" + os.str();
    return os.str();
  }

  testutil::TempDir dir;
  path_t album{dir.path(), "", "album"};
};

// An EXIF block with a camera and the given settings directory; the
// caption's settings line is then its third line.
exif_block camera(const tiff_ifd& settings, const std::string& make = "NIKON CORPORATION") {
  exif_block b;
  b.ifd0.ascii(tag_make, make).ascii(tag_model, "D750");
  b.exif = settings;
  return b;
}

// Line n of text, counted from 0, without its line end; "" past the end.
std::string line(const std::string& text, int n) {
  std::istringstream in(text);
  std::string l;
  for (int i = 0; i <= n; ++i) {
    if (!std::getline(in, l)) return "";
  }
  return l;
}

TEST_F(CaptionTest, WholeCaptionOfATypicalPicture) {
  tiff_ifd s;
  s.ascii(tag_date, "2024:05:01 10:20:30")
      .short_(tag_exposure_program, {2})
      .rational(tag_focal_length, {{12, 1}})
      .short_(tag_focal_35mm, {24})
      .rational(tag_fnumber, {{40, 10}})
      .rational(tag_exposure_time, {{1, 250}})
      .short_(tag_iso, {200})
      .short_(tag_metering, {5})
      .short_(tag_white_balance, {1})
      .short_(tag_sharpness, {2})
      .short_(tag_saturation, {1})
      .short_(tag_contrast, {0})
      .short_(tag_colorspace, {1})
      .ascii(tag_lens, "12-40mm F2.8  ");
  EXPECT_EQ(
      "\t2024:05:01 10:20:30\n"
      "\t<br>NIKON CORPORATION, D750\n"
      "\t<br>12-40mm F2.8\n"
      "\t<br>P, f=12mm(24mm), f/4.0, 1/250sec, iso200, [ESP]\n"
      "\t<br>Manual WB, Shp Hard, Sat Low, Ctr Normal, sRGB\n",
      caption(camera(s)));
  EXPECT_EQ(
      "\t2024:05:01 10:20:30\n"
      "\tNIKON CORPORATION, D750\n"
      "\t12-40mm F2.8\n"
      "\tP, f=12mm(24mm), f/4.0, 1/250sec, iso200, [ESP]\n"
      "\tManual WB, Shp Hard, Sat Low, Ctr Normal, sRGB\n",
      caption(camera(s), false));
}

TEST_F(CaptionTest, SettingsLine) {
  using r = tiff_ifd::urational;
  using sr = tiff_ifd::srational;
  struct case_t {
    const char* label;
    std::function<void(tiff_ifd&)> tags;
    const char* line;
  };
  const case_t cases[] = {
      {"nothing", [](tiff_ifd&) {}, "\t<br>"},
      {"program out of table", [](tiff_ifd& s) { s.short_(tag_exposure_program, {9}); }, "\t<br>U"},
      {"manual program", [](tiff_ifd& s) { s.short_(tag_exposure_program, {1}); }, "\t<br>M"},
      {"fractional focal length", [](tiff_ifd& s) { s.rational(tag_focal_length, {r{58, 10}}); },
       "\t<br>, f=5.8mm"},
      {"f-number of whole value", [](tiff_ifd& s) { s.rational(tag_fnumber, {r{9, 1}}); }, "\t<br>, f/9.0"},
      {"time reduced to 1/d", [](tiff_ifd& s) { s.rational(tag_exposure_time, {r{10, 2500}}); },
       "\t<br>, 1/250sec"},
      {"whole seconds", [](tiff_ifd& s) { s.rational(tag_exposure_time, {r{30, 1}}); }, "\t<br>, 30sec"},
      {"fraction after an f-number",
       [](tiff_ifd& s) { s.rational(tag_fnumber, {r{28, 10}}).rational(tag_exposure_time, {r{5, 2}}); },
       "\t<br>, f/2.8, 2.5sec"},
      {"fraction without an f-number", [](tiff_ifd& s) { s.rational(tag_exposure_time, {r{5, 2}}); },
       "\t<br>, 2.5sec"},
      {"two-digit denominator", [](tiff_ifd& s) { s.rational(tag_exposure_time, {r{13, 10}}); },
       "\t<br>, 1.30sec"},
      {"zero over zero time", [](tiff_ifd& s) { s.rational(tag_exposure_time, {r{0, 0}}); }, "\t<br>"},
      {"iso", [](tiff_ifd& s) { s.short_(tag_iso, {1600}); }, "\t<br>, iso1600"},
      {"iso beyond 16 bits",
       [](tiff_ifd& s) { s.short_(tag_iso, {65535}).long_(tag_sensitivity, {102400}); },
       "\t<br>, iso102400"},
      {"iso 65535 alone", [](tiff_ifd& s) { s.short_(tag_iso, {65535}); }, "\t<br>, iso65535"},
      {"sensitivity without 65535",
       [](tiff_ifd& s) { s.short_(tag_iso, {400}).long_(tag_sensitivity, {800}); }, "\t<br>, iso400"},
      {"metering out of table", [](tiff_ifd& s) { s.short_(tag_metering, {255}); }, "\t<br>, [Unk]"},
      {"spot metering", [](tiff_ifd& s) { s.short_(tag_metering, {3}); }, "\t<br>, [SPT]"},
      {"bias 0/3", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{0, 3}}); }, "\t<br>"},
      {"bias 0/0", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{0, 0}}); }, "\t<br>"},
      {"bias 2/6", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{2, 6}}); }, "\t<br>, +1/3 EV"},
      {"bias -1/3", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{-1, 3}}); }, "\t<br>, -1/3 EV"},
      {"bias -6/3", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{-6, 3}}); }, "\t<br>, -2 EV"},
      {"bias 3/3", [](tiff_ifd& s) { s.srational_(tag_bias, {sr{3, 3}}); }, "\t<br>, +1 EV"},
      {"flash not fired", [](tiff_ifd& s) { s.short_(tag_flash, {0x10}); }, "\t<br>"},
      {"flash auto", [](tiff_ifd& s) { s.short_(tag_flash, {0x19}); }, "\t<br>, Flash/Auto"},
      {"flash every part", [](tiff_ifd& s) { s.short_(tag_flash, {0x4f}); },
       "\t<br>, Flash/Return Detected/Compulsory/Red-Eye Reduce"},
      {"flash return not detected", [](tiff_ifd& s) { s.short_(tag_flash, {0x15}); },
       "\t<br>, Flash/Return Not Detected/Compulsory"},
      {"flash without function", [](tiff_ifd& s) { s.short_(tag_flash, {0x21}); },
       "\t<br>, Flash/No Flash Function"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    tiff_ifd s;
    c.tags(s);
    EXPECT_EQ(c.line, line(caption(camera(s)), 1));
  }
}

TEST_F(CaptionTest, PictureSettingsLineOfStandardValues) {
  struct case_t {
    const char* label;
    std::vector<std::pair<uint16_t, uint16_t>> tags;
    const char* line;
  };
  const case_t cases[] = {
      {"nothing ends in a comma", {}, "\t<br>, "},
      {"uncalibrated", {{tag_colorspace, 65535}}, "\t<br>, Uncalibrated"},
      {"other colour space", {{tag_colorspace, 2}}, "\t<br>, Unknown"},
      {"white balance out of table", {{tag_white_balance, 3}}, "\t<br>Unknown WB, "},
      {"out-of-table settings",
       {{tag_sharpness, 3}, {tag_saturation, 4}, {tag_contrast, 3}},
       "\t<br>, Shp Unknown, Sat Unknown, Ctr Unknown, "},
      {"saturation's own unknown", {{tag_saturation, 3}}, "\t<br>, Sat Unknown, "},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    tiff_ifd s;
    for (const auto& [tag, value] : c.tags) s.short_(tag, {value});
    EXPECT_EQ(c.line, line(caption(camera(s, "Canon")), 2));
  }
}

TEST_F(CaptionTest, CameraAndLensLines) {
  struct case_t {
    const char* label;
    const char* date;
    const char* model;
    const char* lens;
    const char* head;  // the lines before the settings line
  };
  const case_t cases[] = {
      {"all three", "2020:01:02 03:04:05", "E-M1", "Lens", "\t2020:01:02 03:04:05\n\t<br>Maker, E-M1\n\t<br>Lens\n"},
      {"no date: camera line without a break", nullptr, "E-M1", "Lens", "\tMaker, E-M1\n\t<br>Lens\n"},
      {"no model hides the lens", "2020:01:02 03:04:05", nullptr, "Lens", "\t2020:01:02 03:04:05\n"},
      {"padding is cut", "2020:01:02 03:04:05 \t", "E-M1\r\n ", nullptr,
       "\t2020:01:02 03:04:05\n\t<br>Maker, E-M1\n"},
      {"empty after cutting", "  ", "   ", "Lens", ""},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    exif_block b;
    b.ifd0.ascii(tag_make, "Maker");
    if (c.model) b.ifd0.ascii(tag_model, c.model);
    if (c.date) b.exif.ascii(tag_date, c.date);
    if (c.lens) b.exif.ascii(tag_lens, c.lens);
    b.exif.short_(tag_colorspace, {1});
    EXPECT_EQ(std::string(c.head) + "\t<br>\n\t<br>, sRGB\n", caption(b));
  }
}

const std::string om_header = "OM SYSTEM\0\0\0II\4\0"s;

exif_block with_makernote(const std::string& make, const makernote_t& note) {
  exif_block b;
  b.ifd0.ascii(tag_make, make).ascii(tag_model, "X");
  b.exif.short_(tag_sharpness, {1}).short_(tag_saturation, {2}).short_(tag_contrast, {1});
  b.exif.short_(tag_white_balance, {0}).makernote(note);
  return b;
}

// The newer Olympus maker note with the given camera-settings and focus-info
// directories.
exif_block om_system(const tiff_ifd& settings, const tiff_ifd& focus,
                     const std::string& make = "OM Digital Solutions") {
  tiff_ifd main;
  if (!settings.empty()) main.sub_ifd(0x2020, settings);
  if (!focus.empty()) main.sub_ifd(0x2050, focus);
  return with_makernote(make, makernote_t(om_header, main));
}

TEST_F(CaptionTest, OmSystemFocusAndPictureLines) {
  struct case_t {
    const char* label;
    std::function<void(tiff_ifd& settings, tiff_ifd& focus)> tags;
    const char* focus_line;
    const char* settings_line;
  };
  const case_t cases[] = {
      {"one focus mode with AF point",
       [](tiff_ifd& s, tiff_ifd& f) { s.short_(0x0301, {2}); f.short_(0x0308, {6}); },
       "\t<br>Continuous AF(P=6)", "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"one focus mode out of table", [](tiff_ifd& s, tiff_ifd&) { s.short_(0x0301, {5}); },
       "\t<br>Unknown", "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"focus bits", [](tiff_ifd& s, tiff_ifd& f) { s.short_(0x0301, {0, 0x211}); f.short_(0x0308, {0}); },
       "\t<br>S-AF/MF/Starry Sky AF(P=0)", "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"no focus bits", [](tiff_ifd& s, tiff_ifd&) { s.short_(0x0301, {0, 0x02}); }, "\t<br>",
       "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"focus process 0 is manual", [](tiff_ifd& s, tiff_ifd& f) { s.short_(0x0302, {0}); f.short_(0x0308, {3}); },
       "\t<br>MF(P=3)", "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"focus process 1 is auto", [](tiff_ifd& s, tiff_ifd&) { s.short_(0x0302, {1}); }, "\t<br>AF",
       "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"AF point alone", [](tiff_ifd&, tiff_ifd& f) { f.short_(0x0308, {3}); }, "\t<br>",
       "\t<br>, Shp Soft, Sat High, Ctr Low, "},
      {"white balance", [](tiff_ifd& s, tiff_ifd&) { s.short_(0x0500, {258}); }, "\t<br>",
       "\t<br>One Touch WB 3, Shp Soft, Sat High, Ctr Low, "},
      {"white balance out of table", [](tiff_ifd& s, tiff_ifd&) { s.short_(0x0500, {2}); }, "\t<br>",
       "\t<br>Unknown, Shp Soft, Sat High, Ctr Low, "},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    tiff_ifd settings, focus;
    c.tags(settings, focus);
    const std::string text = caption(om_system(settings, focus));
    EXPECT_EQ(c.focus_line, line(text, 2));
    EXPECT_EQ(c.settings_line, line(text, 3));
    EXPECT_EQ("", line(text, 4));
  }
}

TEST_F(CaptionTest, LiveCompositeFrames) {
  struct case_t {
    const char* make;
    uint32_t kind;
    const char* last_line;
  };
  const case_t cases[] = {
      {"OM Digital Solutions", 1, "\t<br>LiveComp 12 frames"},
      {"OM Digital Solutions", 3, "\t<br>, Shp Soft, Sat High, Ctr Low, "},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.kind);
    tiff_ifd settings;
    settings.long_(0x0804, {c.kind, 12});
    const std::string text = caption(om_system(settings, tiff_ifd()));
    std::string last;
    for (int i = 0; !line(text, i).empty(); ++i) last = line(text, i);
    EXPECT_EQ(c.last_line, last);
  }
}

tiff_ifd older_olympus(uint16_t focus_mode, uint16_t wb_code, uint16_t wb_preset) {
  tiff_ifd d;
  d.short_(0x100B, {focus_mode})
      .rational(0x100C, {{1234, 100}})
      .short_(0x100F, {2})
      .short_(0x1015, {wb_code, wb_preset})
      .short_(0x1029, {0});
  return d;
}

TEST_F(CaptionTest, OlderOlympusFocusAndWhiteBalance) {
  struct case_t {
    const char* make;
    uint16_t focus_mode, wb_code, wb_preset;
    const char* focus_line;
    const char* settings_line;
  };
  const case_t cases[] = {
      {"OLYMPUS IMAGING CORP.", 1, 2, 6, "\t<br>MF(P=12)", "\t<br>Preset 5500K, Shp Soft, Ctr High, "},
      {"olympus optical", 0, 1, 6, "\t<br>AF", "\t<br>Auto WB, Shp Soft, Ctr High, "},
      {"OLYMPUS", 2, 2, 9, "\t<br>U", "\t<br>Preset , Shp Soft, Ctr High, "},
      {"OLYMPUS", 1, 3, 6, "\t<br>MF(P=12)", "\t<br>, Shp Soft, Ctr High, "},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.make);
    const std::string text = caption(
        with_makernote(c.make, makernote_t("OLYMP\0\1\0"s, older_olympus(c.focus_mode, c.wb_code, c.wb_preset))));
    EXPECT_EQ(c.focus_line, line(text, 2));
    EXPECT_EQ(c.settings_line, line(text, 3));
  }
}

TEST_F(CaptionTest, PentaxTypeMakerNoteOfRicoh) {
  tiff_ifd d;
  d.short_(0x000D, {16}).short_(0x0010, {7});
  const makernote_t note("PENTAX \0II"s, d);
  const std::string text = caption(with_makernote("RICOH IMAGING COMPANY, LTD.", note));
  EXPECT_EQ("\t<br>AF-S (Focus-priority)(P=7)", line(text, 2));
  EXPECT_EQ("\t<br>Auto WB, Shp Soft, Sat High, Ctr Low, ", line(text, 3));

  tiff_ifd unknown;
  unknown.short_(0x000D, {99});
  EXPECT_EQ("\t<br>Unknown", line(caption(with_makernote("RICOH", makernote_t("PENTAX \0II"s, unknown))), 2));
}

TEST_F(CaptionTest, FocusLineOnlyForMakersWithMakerNotes) {
  struct case_t {
    const char* make;
    int lines;
  };
  const case_t cases[] = {
      {"OM Digital Solutions", 4}, {"om digital", 4}, {"OLYMPUS CORPORATION", 4}, {"Olympus", 4},
      {"RICOH", 4},               {"OLYMPU", 3},     {"OM", 3},                  {"Sony", 3},
      {"Canon", 3},               {"NIKON", 3},      {"", 3},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.make);
    exif_block b;
    if (*c.make) b.ifd0.ascii(tag_make, c.make);
    b.ifd0.ascii(tag_model, "X");
    b.exif.short_(tag_colorspace, {1});
    const std::string text = caption(b);
    int lines = 0;
    for (char ch : text) lines += ch == '\n';
    EXPECT_EQ(c.lines, lines) << text;
  }
}

TEST_F(CaptionTest, NumberFormatOfTheStream) {
  tiff_ifd s;
  s.rational(tag_focal_length, {{58, 10}}).rational(tag_fnumber, {{28, 10}});
  testutil::jpeg_options options(16, 16);
  options.app1 = camera(s).app1_payload();
  testutil::write_file(dir.path() + "/album/original/p.jpg", testutil::make_jpeg(options));

  std::ostringstream os;
  os.setf(std::ios_base::scientific, std::ios_base::floatfield);
  os.precision(3);
  ASSERT_TRUE(writeexif(os, album, "original", "p.jpg", false));
  ASSERT_TRUE(writeexif(os, album, "original", "p.jpg", false));
  os << 1.5;
  const std::string settings = "\t, f=5.8mm, f/2.8\n";
  EXPECT_EQ("\tNIKON CORPORATION, D750\n" + settings + "\t, \n\tNIKON CORPORATION, D750\n" + settings +
                "\t, \n1.500e+00",
            os.str());
}

TEST_F(CaptionTest, FilesWithoutCaption) {
  exif_block broken = camera(tiff_ifd());
  broken.magic = 43;
  testutil::jpeg_options no_exif(16, 16);
  testutil::jpeg_options bad_exif(16, 16);
  bad_exif.app1 = broken.app1_payload();
  testutil::jpeg_options not_exif(16, 16);
  not_exif.app1 = "http://ns.adobe.com/xap/1.0/\0<x/>"s;
  const std::string good = testutil::make_jpeg(no_exif);
  struct case_t {
    const char* label;
    std::string bytes;
  };
  const case_t cases[] = {
      {"no APP1", good},
      {"EXIF that does not parse", testutil::make_jpeg(bad_exif)},
      {"XMP instead of EXIF", testutil::make_jpeg(not_exif)},
      {"not a JPEG", "GIF89a"},
      {"empty", ""},
      {"cut short", testutil::make_jpeg(bad_exif).substr(0, 100)},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.label);
    std::string result;
    testutil::capture_stderr([&] { result = caption_of_jpeg(c.bytes); });
    EXPECT_EQ("(false)", result);
  }
  EXPECT_EQ("(false)", caption_of_file("missing.jpg"));
}

TEST_F(CaptionTest, MeteringNamesFollowTheCatalogue) {
  const std::string catalogue = testutil::read_file(PICTORA_SOURCE_DIR "/data/pictora.ja_JP.UTF-8.msg");
  testutil::write_file(dir.path() + "/ja.msg", catalogue);
  ASSERT_NE("", vexalib::init_message((dir.path() + "/").c_str(), "ja"));
  pictora::initexif(nullptr, nullptr);
  const char* expected[] = {"[Unk]", "[AVE]", "[中央重点]", "[スポット]", "[MUL]", "[ESP]", "[PAR]", "[OTH]"};
  for (uint16_t mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE(mode);
    tiff_ifd s;
    s.short_(tag_metering, {mode});
    EXPECT_EQ("\t<br>, "s + expected[mode], line(caption(camera(s)), 1));
  }
}

TEST(Gcd, EuclidOnThirtyTwoBitValues) {
  struct case_t {
    unsigned long a, b, gcd;
  };
  const case_t cases[] = {{10, 2500, 10}, {2500, 10, 10}, {7, 0, 7}, {0, 7, 7}, {0, 0, 0},
                          {4294967295UL, 65537, 65537}, {13, 10, 1}};
  for (const case_t& c : cases) EXPECT_EQ(c.gcd, pictora::gcd(c.a, c.b)) << c.a << " " << c.b;
}

// Real camera files; their values were checked against exiftool.
TEST_F(CaptionTest, CameraFiles) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "camera samples not found";
  struct case_t {
    const char* file;
    const char* caption;
  };
  const case_t cases[] = {
      {"Canon_40D.jpg",
       "\t2008:05:30 15:56:01\n\t<br>Canon, Canon EOS 40D\n"
       "\t<br>M, f=135mm, f/7.1, 1/160sec, iso100, [ESP], Flash/Compulsory\n\t<br>Auto WB, sRGB\n"},
      {"Nikon_D70.jpg",
       "\t2008:03:15 09:52:01\n\t<br>NIKON CORPORATION, NIKON D70\n"
       "\t<br>M, f=100mm(150mm), f/9.0, 1/200sec, iso200, [AVG], -1 EV\n\t<br>, sRGB\n"},
  };
  for (const case_t& c : cases) {
    SCOPED_TRACE(c.file);
    std::ostringstream os;
    ASSERT_TRUE(writeexif(os, path_t{samples + "/jpg", "", ""}, "", c.file, true));
    EXPECT_EQ(c.caption, os.str());
  }
}

}  // namespace
