// The marker walker and the EXIF reader over every real camera picture of the
// sample folder: no file may make them read outside its bytes (the sanitizer
// build checks that), and the values the captions use must agree with what
// exiftool reads from the same files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg2.h"
#include "tests/support/test_util.h"

namespace {

using libgr::ExifType::rational_t;

std::vector<std::string> sample_jpegs() {
  std::vector<std::string> files;
  const std::string dir = testutil::samples_dir();
  if (dir.empty()) return files;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (e.is_regular_file() && ext == ".jpg") files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// What the system reads from one file.
struct reading_t {
  bool analyzed = false;
  bool parsed = false;
  libgr::app1_marker_t app1;
};

void read_sample(const std::string& file, reading_t& r) {
  libgr::jpegdata2_t data;
  libgr::jpeginfo2_t info;
  testutil::capture_stderr([&] {
    if (!data.load(file.c_str())) return;
    r.analyzed = info.analyze(data);
    if (!r.analyzed) return;
    libgr::bytes_t payload = info.get_marker(0xFFE1);
    if (payload.empty()) return;
    r.app1.set_app1_buffer(payload);
    r.parsed = r.app1.parse();
  });
}

// One object of exiftool's -json output: tag name to value text, strings
// unescaped, numbers as written.
using json_object_t = std::map<std::string, std::string>;

class json_reader {
 public:
  explicit json_reader(const std::string& text) : s_(text) {}

  // The objects of a top-level array of flat objects.
  bool read_array(std::vector<json_object_t>& out) {
    if (!take('[')) return false;
    while (true) {
      json_object_t obj;
      if (!take('{')) return false;
      while (!peek('}')) {
        std::string key, value;
        if (!read_string(key) || !take(':') || !read_value(value)) return false;
        obj[key] = value;
        if (!take(',')) break;
      }
      if (!take('}')) return false;
      out.push_back(obj);
      if (!take(',')) break;
    }
    return take(']');
  }

 private:
  void skip_space() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool peek(char c) {
    skip_space();
    return i_ < s_.size() && s_[i_] == c;
  }
  bool take(char c) {
    if (!peek(c)) return false;
    ++i_;
    return true;
  }
  bool read_string(std::string& out) {
    if (!take('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c == '\\' && i_ < s_.size()) {
        const char e = s_[i_++];
        switch (e) {
          case 'n': c = '\n'; break;
          case 't': c = '\t'; break;
          case 'r': c = '\r'; break;
          case 'b': c = '\b'; break;
          case 'f': c = '\f'; break;
          case 'u':  // only the control characters of ASCII appear escaped
            c = static_cast<char>(std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16));
            i_ += 4;
            break;
          default: c = e; break;
        }
      }
      out += c;
    }
    return take('"');
  }
  bool read_value(std::string& out) {
    if (peek('"')) return read_string(out);
    while (i_ < s_.size() && s_[i_] != ',' && s_[i_] != '}') out += s_[i_++];
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
    return !out.empty();
  }

  const std::string& s_;
  size_t i_ = 0;
};

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
  return s;
}

// Every window the reader kept lies inside the APP1 payload.
void expect_windows_inside(const libgr::app1_marker_t& app1) {
  const auto& t = app1.tiff_header;
  const unsigned char* lo = app1.buffer.begin();
  const unsigned char* hi = app1.buffer.end();
  for (const libgr::bytes_t* w : {&t.buffer, &t.ifd0, &t.exif_ifd, &t.gps_ifd, &t.makernote_ifd,
                                  &t.olympus3_equipment_ifd, &t.olympus3_camerasettings_ifd,
                                  &t.olympus3_focusinfo_ifd, &t.thumbnail, &t.tag_exif_ifd.MakerNote}) {
    if (w->empty()) continue;
    EXPECT_GE(w->begin(), lo);
    EXPECT_LE(w->end(), hi);
  }
}

// Sends standard error elsewhere while it lives: the damaged copies below
// make thousands of reports.
class quiet_stderr {
 public:
  quiet_stderr() : old_(std::cerr.rdbuf(sink_.rdbuf())) {}
  ~quiet_stderr() { std::cerr.rdbuf(old_); }

 private:
  std::ostringstream sink_;
  std::streambuf* old_;
};

libgr::bytes_t block_of(const std::string& bytes) {
  libgr::bytes_t b;
  b.resize(bytes.size());
  std::memcpy(b.begin(), bytes.data(), bytes.size());
  return b;
}

// Copies of `bytes` cut short at fifty points, and fifty with a few bytes
// changed at random in the first `head` bytes, where the structures lie.
std::vector<std::string> damaged_copies(const std::string& bytes, size_t head, unsigned seed) {
  std::vector<std::string> copies;
  for (size_t k = 0; k < 50; ++k) copies.push_back(bytes.substr(0, bytes.size() * k / 50));
  std::mt19937 random(seed);
  head = std::min(head, bytes.size());
  for (int k = 0; k < 50 && head > 0; ++k) {
    std::string copy = bytes;
    for (int n = random() % 4; n >= 0; --n) copy[random() % head] = static_cast<char>(random());
    copies.push_back(copy);
  }
  return copies;
}

TEST(ExifSamples, DamagedCopiesAreReadWithinTheirBytes) {
  const std::vector<std::string> files = sample_jpegs();
  if (files.empty()) GTEST_SKIP() << "no sample pictures in " << PICTORA_SAMPLES_DIR;
  quiet_stderr quiet;
  unsigned seed = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    reading_t r;
    read_sample(file, r);
    // The walk ends at the first scan; a file cut after its headers is just
    // one more damaged copy.
    const std::string jpeg = testutil::read_file(file).substr(0, 128 * 1024);
    for (const std::string& copy : damaged_copies(jpeg, 4096, ++seed)) {
      libgr::jpegdata2_t data;
      data.buffer = block_of(copy);
      libgr::jpeginfo2_t info;
      if (copy.size() > 0 && !info.analyze(data)) continue;
      for (const auto& m : info.markers) {
        EXPECT_GE(m.payload.begin(), data.buffer.begin());
        EXPECT_LE(m.payload.end(), data.buffer.end());
      }
    }
    if (!r.parsed) continue;
    const libgr::bytes_t& payload = r.app1.buffer;
    const std::string app1(reinterpret_cast<const char*>(payload.begin()), payload.size());
    for (const std::string& copy : damaged_copies(app1, 2048, ++seed)) {
      // The payload is followed by more bytes in its block, as in a file.
      libgr::bytes_t block = block_of(copy + "trailing bytes");
      libgr::bytes_t window;
      window.setwindow(block, 0, copy.size());
      libgr::app1_marker_t damaged;
      damaged.set_app1_buffer(window);
      if (damaged.parse()) expect_windows_inside(damaged);
    }
  }
}

TEST(ExifSamples, EveryFileIsWalkedAndReadWithinItsBytes) {
  const std::vector<std::string> files = sample_jpegs();
  if (files.empty()) GTEST_SKIP() << "no sample pictures in " << PICTORA_SAMPLES_DIR;
  size_t analyzed = 0, parsed = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    reading_t r;
    read_sample(file, r);
    analyzed += r.analyzed;
    parsed += r.parsed;
    if (r.parsed) expect_windows_inside(r.app1);
  }
  std::cout << files.size() << " sample pictures, " << analyzed << " analysed, " << parsed
            << " with EXIF data read\n";
  // The plain camera pictures of the folder are baseline files with EXIF.
  EXPECT_GE(parsed, files.size() / 2);
}

const char* const s_tags[] = {"-IFD0:Make",         "-IFD0:Model",         "-ExifIFD:DateTimeOriginal",
                              "-ExifIFD:ExposureTime", "-ExifIFD:FNumber",   "-ExifIFD:ISO",
                              "-ExifIFD:FocalLength",  "-IFD0:Orientation",  "-IFD1:ThumbnailLength"};

// A text value of s bytes keeps at most s - 1 of them, so that its last byte
// is always a zero: a camera that fills all s bytes loses its last character.
void expect_text(const json_object_t& tool, const char* key, const std::string& ours) {
  const auto it = tool.find(key);
  std::string expected = it == tool.end() ? std::string() : it->second;
  if (!ours.empty() && ours.size() == expected.size()) expected.pop_back();
  EXPECT_EQ(trimmed(ours), trimmed(expected)) << key;
}

template <typename Number>
void expect_number(const json_object_t& tool, const char* key, const std::vector<Number>& ours) {
  const auto it = tool.find(key);
  ASSERT_EQ(ours.empty(), it == tool.end()) << key;
  if (!ours.empty()) {
    EXPECT_EQ(std::to_string(ours[0]), it->second) << key;
  }
}

void expect_rational(const json_object_t& tool, const char* key, const std::vector<rational_t>& ours) {
  const auto it = tool.find(key);
  ASSERT_EQ(ours.empty(), it == tool.end()) << key;
  if (ours.empty() || ours[0].denominator == 0) return;
  const double value = double(ours[0].numerator) / ours[0].denominator;
  EXPECT_NEAR(value, std::strtod(it->second.c_str(), nullptr), 1e-6 * std::max(1.0, value)) << key;
}

TEST(ExifSamples, CaptionValuesAgreeWithExiftool) {
  const std::vector<std::string> files = sample_jpegs();
  if (files.empty()) GTEST_SKIP() << "no sample pictures in " << PICTORA_SAMPLES_DIR;
  std::vector<std::string> argv = {"exiftool", "-n", "-json"};
  argv.insert(argv.end(), std::begin(s_tags), std::end(s_tags));
  argv.insert(argv.end(), files.begin(), files.end());
  std::string out, err;
  const int status = testutil::run_program(argv, &out, &err);
  if (status == 127) GTEST_SKIP() << "exiftool is not installed";
  std::vector<json_object_t> objects;
  ASSERT_TRUE(json_reader(out).read_array(objects)) << out;
  std::map<std::string, json_object_t> by_file;
  for (const json_object_t& o : objects) by_file[o.at("SourceFile")] = o;

  size_t compared = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    reading_t r;
    read_sample(file, r);
    if (!r.parsed) continue;
    ASSERT_EQ(1u, by_file.count(file));
    const json_object_t& tool = by_file[file];
    const auto& t = r.app1.tiff_header;
    expect_text(tool, "Make", t.tag_0th_ifd.Make);
    expect_text(tool, "Model", t.tag_0th_ifd.Model);
    expect_text(tool, "DateTimeOriginal", t.tag_exif_ifd.DateTimeOriginal);
    expect_rational(tool, "ExposureTime", t.tag_exif_ifd.ExposureTime);
    expect_rational(tool, "FNumber", t.tag_exif_ifd.FNumber);
    expect_number(tool, "ISO", t.tag_exif_ifd.ISOSpeedRatings);
    expect_rational(tool, "FocalLength", t.tag_exif_ifd.FocalLength);
    expect_number(tool, "Orientation", t.tag_0th_ifd.Orientation);
    // A thumbnail window exists (perhaps empty) when both 1st IFD tags do.
    const bool has_thumbnail = !t.tag_1st_ifd.JPEGInterchangeFormat.empty() &&
                               !t.tag_1st_ifd.JPEGInterchangeFormatLength.empty();
    const std::vector<size_t> thumbnail_length =
        has_thumbnail ? std::vector<size_t>{t.thumbnail.size()} : std::vector<size_t>();
    expect_number(tool, "ThumbnailLength", thumbnail_length);
    ++compared;
  }
  std::cout << compared << " sample pictures compared with exiftool\n";
  EXPECT_GT(compared, 0u);
}

}  // namespace
