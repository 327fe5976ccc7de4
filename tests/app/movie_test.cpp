// Movies through the real ffmpeg: reading its report, the movie levels with
// their stills, the exact commands, skipping current files, hostile file
// names, and the still loader of the dialogs.
#include "app/movie.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "app/global.h"
#include "app/shrink.h"
#include "libgr/loader_jpeg.h"
#include "libutils/process.h"
#include "tests/support/make_movie.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::TempDir;
using size2_t = libgr::direction2ul_t;

std::string str(const size2_t& s) { return std::to_string(s.x) + "x" + std::to_string(s.y); }
std::string str(const testutil::frame_size_t& s) {
  return std::to_string(s.width) + "x" + std::to_string(s.height);
}

// Width x height of a JPEG file as its frame header says; "" when unreadable.
std::string jpeg_size(const std::string& file) {
  libgr::jpegdata_t data;
  libgr::jpeginfo_t info;
  if (!data.load(file.c_str()) || !info.analyze_markers(data)) return "";
  return std::to_string(info.width) + "x" + std::to_string(info.height);
}

std::set<std::string> files_in(const std::string& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    names.insert(e.path().filename().string());
  return names;
}

// Every file named `name` below dir.
std::vector<std::string> find_named(const std::string& dir, const std::string& name) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
    if (e.path().filename() == name) found.push_back(e.path().string());
  return found;
}

void set_old_mtime(const std::string& path) {
  struct utimbuf t = {1000000000, 1000000000};
  ASSERT_EQ(::utime(path.c_str(), &t), 0) << path;
}

// What the call writes to standard output.
template <typename Fn>
std::string capture_stdout(Fn&& fn) {
  std::cout.flush();
  testing::internal::CaptureStdout();
  fn();
  std::cout.flush();
  return testing::internal::GetCapturedStdout();
}

// The lines of text that begin with prefix.
std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  return lines;
}

// A path as an echoed command shows it.
std::string q(const std::string& path) { return libutils::shell_quote(path); }

// The temporary name ffmpeg writes `target` under, the first one tried, as
// the echoed command shows it.
std::string temp_of(const std::string& target, const std::string& ext) {
  return q(target + ".tmp" + std::to_string(::getpid()) + "-0" + ext);
}

// Each test starts from the default settings and leaves them as it found them.
class MovieTest : public ::testing::Test {
 protected:
  MovieTest() : album{base.path(), "trip", "day1"} {
    saved_ = g_global;
    g_global = global_t();
    testutil::make_dirs(dir("original"));
  }
  ~MovieTest() override { g_global = saved_; }

  std::string dir(const std::string& sub) const { return base / ("trip/day1/" + sub); }
  std::string file(const std::string& sub, const std::string& name) const {
    return dir(sub) + "/" + name;
  }

  TempDir base;
  path_t album;

 private:
  global_t saved_;
};

// ---------------------------------------------------------------- reports

const char* const report_1080 =
    "ffmpeg version 5.1 Copyright (c) 2000-2022 the FFmpeg developers\n"
    "Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'clip.MOV':\n"
    "  Metadata:\n"
    "    creation_time   : 2023-05-01T10:00:00.000000Z\n"
    "  Duration: 00:01:23.45, start: 0.000000, bitrate: 15342 kb/s\n"
    "  Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709), "
    "1920x1080 [SAR 1:1 DAR 16:9], 15123 kb/s, 29.97 fps, 29.97 tbr, 90k tbn (default)\n"
    "  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 48000 Hz, stereo, fltp\n"
    "At least one output file must be specified\n";

TEST(FfReadReport, ReadsSizeDurationAndRateAsPrinted) {
  struct case_t {
    const char* what;
    std::string report;
    std::string size, duration, rate;  // "keep": the value before the call
  };
  const std::string keep = "keep";
  const std::vector<case_t> cases = {
      {"camera movie", report_1080, "1920x1080", "00:01:23.45", " 29.97 fps"},
      {"commas inside parentheses do not count",
       "  Duration: 00:00:02.00, start: 0\n"
       "  Stream #0:0: Video: mjpeg (Baseline) (MJPG / 0x47504A4D), yuvj420p(pc, "
       "bt470bg/unknown/unknown), 640x480, 2000 kb/s, 30 fps, 30 tbr\n",
       "640x480", "00:00:02.00", " 30 fps"},
      {"avi without a bit rate: the fourth comma comes before tbr",
       "  Duration: 00:00:01.00, start: 0.000000, bitrate: 1167 kb/s\n"
       "  Stream #0:0: Video: mpeg4 (Simple Profile) (FMP4 / 0x34504D46), yuv420p, 640x480 "
       "[SAR 1:1 DAR 4:3], 5 fps, 5 tbr, 5 tbn\n",
       "640x480", "00:00:01.00", " 5 tbr"},
      {"sound only: nothing is stored",
       "  Duration: 00:00:01.00, start: 0.000000, bitrate: 79 kb/s\n"
       "  Stream #0:0[0x1](und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp\n",
       keep, keep, keep},
      {"not a movie at all", "x.mp4: Invalid data found when processing input\n", keep, keep, keep},
      {"empty report", "", keep, keep, keep},
      {"no fourth comma keeps the rate",
       "  Duration: 00:00:05.00, start: 0\n  Stream #0:0: Video: h264, yuv420p, 1440x1082\n",
       "1440x1082", "00:00:05.00", keep},
      {"no second comma keeps size and rate",
       "  Duration: 00:00:05.00, start: 0\n  Stream #0:0: Video: h264, yuv420p\n", keep,
       "00:00:05.00", keep},
      {"a size that is not WxH is kept",
       "Duration: 1, x\nStream #0:0: Video: h264, yuv420p, unknown size, 3, 25 fps\n", keep,
       "1", " 25 fps"},
      {"the last Duration line before the video line wins; later ones do not count",
       "  Duration: 00:00:01.00, start: 0\n  Duration: N/A, bitrate: N/A\n"
       "  Stream #0:0: Video: h264, yuv420p, 320x240, 5 fps, 5 tbr\n"
       "  Duration: 00:09:09.00, start: 0\n",
       "320x240", "N/A", " 5 tbr"},
      {"Video anywhere after Stream makes the video line",
       "Stream #0:0: Audio: aac, Video-like text\n"
       "Stream #0:1: Video: h264, yuv420p, 100x100, a, c\n",
       keep, keep, keep},
      {"the first video line is read; sizes convert like strtoul",
       "Stream #0:0: Audio: aac, 48000 Hz\n"
       "Stream #0:1: Video: h264, yuv420p, 0x280x210, a, b\r\n"
       "Stream #0:2: Video: h264, yuv420p, 100x100, a, c\n",
       "0x280", keep, " b"},
      {"Video before Stream is no video line",
       "Video: h264, yuv420p, 320x240, a, b Stream\n", keep, keep, keep},
      {"a duration line without a comma piece keeps the duration",
       "Duration: 00:00:03.00\nStream: Video, a, 64x48, c, d\n", "64x48", keep, " d"},
      {"lines are read in pieces of 4,094 characters",
       "Stream #0:0: " + std::string(4094, ' ') + "Video: h264, yuv420p, 320x240, a, b\n", keep,
       keep, keep},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    size2_t size{7, 9};
    std::string duration = keep, rate = keep;
    ffreadreport(c.report, size, duration, rate);
    EXPECT_EQ(str(size), c.size == keep ? "7x9" : c.size);
    EXPECT_EQ(duration, c.duration);
    EXPECT_EQ(rate, c.rate);
  }
}

TEST(FfHalvings, HalvesBothSidesUntilTheBoxHoldsThem) {
  struct case_t {
    size2_t size;
    std::uint64_t x, y, halvings;
  };
  const std::vector<case_t> cases = {
      {{1920, 1080}, 1024, 1024, 1}, {{1440, 1082}, 1024, 1024, 1}, {{640, 480}, 1024, 1024, 0},
      {{1024, 1024}, 1024, 1024, 0}, {{1025, 100}, 1024, 1024, 1},  {{3840, 2160}, 1024, 1024, 2},
      {{100, 2049}, 1024, 1024, 1},  {{0, 0}, 1024, 1024, 0},       {{3840, 2160}, 3840, 2160, 0},
      {{3841, 2160}, 3840, 2160, 1}, {{5, 5}, 0, 0, 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(halvings_to_fit(c.size.x, c.size.y, c.x, c.y), c.halvings)
        << str(c.size) << " in " << c.x << "x" << c.y;
}

TEST(MovieNames, ExtensionsAndLevelLists) {
  struct case_t {
    std::string name, mp4, jpg;
    bool movie;
  };
  const std::vector<case_t> cases = {
      {"IMG_0001.MOV", "IMG_0001.mp4", "IMG_0001.jpg", true},
      {"clip.mp4", "clip.mp4", "clip.jpg", true},
      {"a.b.Avi", "a.b.mp4", "a.b.jpg", true},
      {"old.MPG", "old.mp4", "old.jpg", true},
      {"\xe6\x97\xa5\xe6\x9c\xac \"x\".mov", "\xe6\x97\xa5\xe6\x9c\xac \"x\".mp4",
       "\xe6\x97\xa5\xe6\x9c\xac \"x\".jpg", true},
      {"noext", "noext.mp4", "noext.jpg", false},
      {"voice.m4a", "voice.mp4", "voice.jpg", false},
      {"pic.jpg", "pic.mp4", "pic.jpg", false},
      {"movie.mp4.txt", "movie.mp4.mp4", "movie.mp4.jpg", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ffmp4name(c.name), c.mp4);
    EXPECT_EQ(ffjpgname(c.name), c.jpg);
    EXPECT_EQ(ismovie(c.name), c.movie) << c.name;
  }
  EXPECT_EQ(ffmovielevels(0), (std::vector<std::string>{"movie0", "movie1"}));
  EXPECT_EQ(ffmovielevels(2), (std::vector<std::string>{"movie0", "movie1", "movie2", "movie3"}));
}

// ---------------------------------------------------------- identification

TEST_F(MovieTest, IdentifiesGeneratedMovies) {
  struct case_t {
    std::string name;
    unsigned width, height;
    std::string rate;
    std::uint64_t level;
  };
  const std::vector<case_t> cases = {
      {"full.MOV", 1920, 1080, " 5 fps", 1},
      {"odd.mp4", 1440, 1082, " 5 fps", 1},
      {"vga.avi", 640, 480, " 5 tbr", 0},  // no bit rate in the avi stream line
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testutil::write_movie(file("original", c.name), {c.width, c.height});
    size2_t size;
    std::string duration, rate;
    const std::string out = capture_stdout(
        [&] { EXPECT_EQ(getffshrinklevel(album, "original", c.name, size, duration, rate), c.level); });
    EXPECT_EQ(out, "ffmpeg -i " + q(file("original", c.name)) + " 2>&1\n");
    EXPECT_EQ(size.x, c.width);
    EXPECT_EQ(size.y, c.height);
    EXPECT_EQ(duration, "00:00:01.00");
    EXPECT_EQ(rate, c.rate);
  }
  // A smaller box gives more halvings.
  g_global.shrink_size = {320, 320};
  size2_t size;
  std::string duration, rate;
  EXPECT_EQ(getffshrinklevel(album, "original", "vga.avi", size, duration, rate), 1u);
}

TEST_F(MovieTest, SoundsAndMissingFilesLeaveTheOutputs) {
  testutil::write_sound(file("original", "voice.m4a"));
  for (const std::string name : {"voice.m4a", "missing.mp4"}) {
    size2_t size{3, 4};
    std::string duration = "d", rate = "r";
    EXPECT_EQ(getffshrinklevel(album, "original", name, size, duration, rate), 0u) << name;
    EXPECT_EQ(str(size), "3x4");
    EXPECT_EQ(duration, "d");
    EXPECT_EQ(rate, "r");
  }
}

// ------------------------------------------------------------- the stage

// One 1920 x 1080 movie taken through the stage once, with the default
// settings, for the tests that only look at the result.
class FullHdAlbum : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    base_ = new TempDir;
    album_ = path_t{base_->path(), "trip", "day1"};
    testutil::make_dirs(dir("original"));
    testutil::write_movie(file("original", "clip.MOV"), {1920, 1080});
    std::ostringstream log;
    err_ = testutil::capture_stderr(
        [&] { out_ = capture_stdout([&] { ok_ = shrinkmovie(album_, "clip.MOV", log); }); });
    log_ = log.str();
  }
  static void TearDownTestSuite() { delete base_; }

  static std::string dir(const std::string& sub) { return *base_ / ("trip/day1/" + sub); }
  static std::string file(const std::string& sub, const std::string& name) {
    return dir(sub) + "/" + name;
  }

  static TempDir* base_;
  static path_t album_;
  static bool ok_;
  static std::string out_, err_, log_;
};

TempDir* FullHdAlbum::base_ = nullptr;
path_t FullHdAlbum::album_;
bool FullHdAlbum::ok_ = false;
std::string FullHdAlbum::out_, FullHdAlbum::err_, FullHdAlbum::log_;

TEST_F(FullHdAlbum, ThreeLevelsWithStillsFromTheseCommands) {
  EXPECT_TRUE(ok_);
  EXPECT_EQ(log_, "");
  const std::string orig = file("original", "clip.MOV");
  const std::string m0 = file("movie0", "clip.mp4"), m1 = file("movie1", "clip.mp4"),
                    m2 = file("movie2", "clip.mp4");
  EXPECT_EQ(out_, "ffmpeg -i " + q(orig) + " 2>&1\n" +
                      "ffmpeg -y -resize 1920x1080 -i " + q(orig) +
                      " -s 1920x1080 -c:v libx264 -crf 23 " + temp_of(m0, ".mp4") + "\n" +
                      "ffmpeg -y -resize 960x540 -i " + q(m0) + " -s 960x540 -c:v libx264 -crf 23 " +
                      temp_of(m1, ".mp4") + "\n" +
                      "ffmpeg -y -resize 480x270 -i " + q(m1) + " -s 480x270 -c:v libx264 -crf 23 " +
                      temp_of(m2, ".mp4") + "\n");
  const std::string still_command = "ffmpeg -y -i ";
  const std::string still_options = " -f image2 -update true -frames:v 1 ";
  EXPECT_EQ(lines_starting(err_, still_command),
            (std::vector<std::string>{
                still_command + q(m0) + still_options + temp_of(file("movie0", "clip.jpg"), ".jpg"),
                still_command + q(m1) + still_options + temp_of(file("movie1", "clip.jpg"), ".jpg"),
                still_command + q(m2) + still_options + temp_of(file("movie2", "clip.jpg"), ".jpg"),
            }));

  const std::vector<std::string> sizes = {"1920x1080", "960x540", "480x270"};
  for (size_t k = 0; k < sizes.size(); ++k) {
    const std::string level = "movie" + std::to_string(k);
    SCOPED_TRACE(level);
    EXPECT_EQ(files_in(dir(level)), (std::set<std::string>{"clip.mp4", "clip.jpg"}));
    EXPECT_EQ(str(testutil::movie_frame_size(file(level, "clip.mp4"))), sizes[k]);
    EXPECT_EQ(jpeg_size(file(level, "clip.jpg")), sizes[k]);
  }
  EXPECT_FALSE(testutil::exists(dir("movie3")));
}

TEST_F(MovieTest, OddHalvesAreMadeEven) {
  testutil::movie_options big(1440, 1082);
  big.rate = 2;
  testutil::write_movie(file("original", "odd.mp4"), big);
  std::ostringstream log;
  EXPECT_TRUE(shrinkmovie(album, "odd.mp4", log));
  EXPECT_EQ(str(testutil::movie_frame_size(file("movie0", "odd.mp4"))), "1440x1082");
  EXPECT_EQ(str(testutil::movie_frame_size(file("movie1", "odd.mp4"))), "720x540");
  EXPECT_EQ(str(testutil::movie_frame_size(file("movie2", "odd.mp4"))), "360x270");
  EXPECT_EQ(jpeg_size(file("movie1", "odd.jpg")), "720x540");
  // The original stays as it was.
  EXPECT_EQ(str(testutil::movie_frame_size(file("original", "odd.mp4"))), "1440x1082");
}

TEST_F(MovieTest, SettingsEnterTheSmallerCopiesOnly) {
  testutil::write_movie(file("original", "vga.avi"), {640, 480});
  g_global.hwaccel = "-hwaccel none";
  g_global.ffmpeg = "-c:v libx264 -preset 'ultrafast' -crf 30";
  std::ostringstream log;
  const std::string out =
      capture_stdout([&] { EXPECT_TRUE(shrinkmovie(album, "vga.avi", log)); });
  const std::string m0 = file("movie0", "vga.mp4"), m1 = file("movie1", "vga.mp4");
  EXPECT_EQ(lines_starting(out, "ffmpeg -y"),
            (std::vector<std::string>{
                "ffmpeg -y -hwaccel none -resize 640x480 -i " + q(file("original", "vga.avi")) +
                    " -c:v libx264 -preset ultrafast -crf 30 " + temp_of(m0, ".mp4"),
                "ffmpeg -y -hwaccel none -resize 320x240 -i " + q(m0) +
                    " -c:v libx264 -preset ultrafast -crf 30 " + temp_of(m1, ".mp4"),
            }));
  EXPECT_EQ(files_in(dir("movie1")), (std::set<std::string>{"vga.mp4", "vga.jpg"}));
}

TEST_F(MovieTest, CurrentFilesAreNotMadeAgain) {
  testutil::write_movie(file("original", "clip.mp4"), {640, 480});
  set_old_mtime(file("original", "clip.mp4"));
  std::ostringstream log;
  ASSERT_TRUE(shrinkmovie(album, "clip.mp4", log));
  struct stat before;
  ASSERT_EQ(::stat(file("movie1", "clip.mp4").c_str(), &before), 0);

  std::string out;
  std::string err = testutil::capture_stderr(
      [&] { out = capture_stdout([&] { EXPECT_TRUE(shrinkmovie(album, "clip.mp4", log)); }); });
  EXPECT_EQ(out, "ffmpeg -i " + q(file("original", "clip.mp4")) + " 2>&1\n");
  EXPECT_EQ(lines_starting(err, "ffmpeg -y"), std::vector<std::string>{});
  struct stat after;
  ASSERT_EQ(::stat(file("movie1", "clip.mp4").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);

  // A missing still is the only file made again; a stale still that is a
  // link is replaced by a file, and what it pointed at stays untouched.
  ASSERT_EQ(::unlink(file("movie1", "clip.jpg").c_str()), 0);
  testutil::write_file(base / "outside.jpg", "outside");
  set_old_mtime(base / "outside.jpg");
  ASSERT_EQ(::unlink(file("movie0", "clip.jpg").c_str()), 0);
  ASSERT_EQ(::symlink((base / "outside.jpg").c_str(), file("movie0", "clip.jpg").c_str()), 0);
  err = testutil::capture_stderr(
      [&] { out = capture_stdout([&] { EXPECT_TRUE(shrinkmovie(album, "clip.mp4", log)); }); });
  EXPECT_EQ(lines_starting(out, "ffmpeg -y"), std::vector<std::string>{});
  EXPECT_EQ(lines_starting(err, "ffmpeg -y").size(), 2u);
  EXPECT_EQ(jpeg_size(file("movie1", "clip.jpg")), "320x240");
  EXPECT_EQ(jpeg_size(file("movie0", "clip.jpg")), "640x480");
  EXPECT_FALSE(std::filesystem::is_symlink(file("movie0", "clip.jpg")));
  EXPECT_EQ(testutil::read_file(base / "outside.jpg"), "outside");
  EXPECT_EQ(log.str(), "");
}

TEST_F(MovieTest, HostileNamesAreConvertedLikeAnyOther) {
  const std::vector<std::string> names = {
      "a\"$(touch pwned)\";b.mp4",
      "it's `touch pwned` $HOME; \xc3\xbc\xe6\x97\xa5 x.MOV",
  };
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    testutil::write_movie(file("original", name), {320, 240});
    std::ostringstream log;
    EXPECT_TRUE(shrinkmovie(album, name, log));
    EXPECT_EQ(log.str(), "");
    const std::string mp4 = ffmp4name(name), jpg = ffjpgname(name);
    for (const std::string level : {"movie0", "movie1"})
      EXPECT_EQ(files_in(dir(level)).count(mp4) + files_in(dir(level)).count(jpg), 2u) << level;
    EXPECT_EQ(str(testutil::movie_frame_size(file("movie1", mp4))), "160x120");
  }
  EXPECT_EQ(find_named(base.path(), "pwned"), std::vector<std::string>{});
  EXPECT_FALSE(testutil::exists("pwned"));
}

TEST_F(MovieTest, AFileFfmpegCannotReadStopsTheStageWithoutLeftovers) {
  testutil::write_file(file("original", "broken.mp4"), "not a movie");
  std::ostringstream log;
  std::string out;
  testutil::capture_stderr(
      [&] { out = capture_stdout([&] { EXPECT_FALSE(shrinkmovie(album, "broken.mp4", log)); }); });
  // Unidentified: level 0, full-size conversion in the short form.
  EXPECT_EQ(lines_starting(out, "ffmpeg -y"),
            (std::vector<std::string>{"ffmpeg -y -i " + q(file("original", "broken.mp4")) + " " +
                                      temp_of(file("movie0", "broken.mp4"), ".mp4")}));
  EXPECT_EQ(log.str(), "");
  EXPECT_EQ(files_in(dir("movie0")), std::set<std::string>{});
  EXPECT_TRUE(std::filesystem::is_directory(dir("movie1")));
}

TEST_F(MovieTest, AStillThatCannotBePutInPlaceIsReported) {
  testutil::write_movie(file("original", "clip.mp4"), {320, 240});
  // A directory where the still belongs, old enough to need an update.
  testutil::make_dirs(file("movie0", "clip.jpg"));
  set_old_mtime(file("movie0", "clip.jpg"));
  std::ostringstream log;
  testutil::capture_stderr([&] { EXPECT_FALSE(shrinkmovie(album, "clip.mp4", log)); });
  EXPECT_EQ(log.str(), file("movie0", "clip.mp4") + ": movie thumbnail save failed.\n");
  EXPECT_EQ(files_in(dir("movie0")), (std::set<std::string>{"clip.mp4", "clip.jpg"}));
  EXPECT_EQ(files_in(dir("movie1")), std::set<std::string>{});

  // In a smaller level the report goes to standard error.
  ASSERT_EQ(::rmdir(file("movie0", "clip.jpg").c_str()), 0);
  testutil::make_dirs(file("movie1", "clip.jpg"));
  set_old_mtime(file("movie1", "clip.jpg"));
  std::ostringstream log2;
  const std::string err =
      testutil::capture_stderr([&] { EXPECT_FALSE(shrinkmovie(album, "clip.mp4", log2)); });
  EXPECT_EQ(log2.str(), "");
  EXPECT_NE(err.find(file("movie1", "clip.mp4") + ": movie thumbnail save failed.\n"),
            std::string::npos);
}

TEST_F(MovieTest, StillAtAChosenSize) {
  testutil::write_movie(file("original", "clip.avi"), {640, 480});
  const std::string still = base / "still.jpg";
  const std::string err = testutil::capture_stderr(
      [&] { EXPECT_TRUE(ffsavethumbnail(file("original", "clip.avi"), still, {160, 90})); });
  EXPECT_EQ(lines_starting(err, "ffmpeg -y"),
            std::vector<std::string>{"ffmpeg -y -i " + q(file("original", "clip.avi")) +
                                     " -f image2 -update true -frames:v 1 -s 160x90 " +
                                     temp_of(still, ".jpg")});
  EXPECT_EQ(jpeg_size(still), "160x90");
  // A missing movie makes nothing and counts as done, as a current still does.
  EXPECT_TRUE(ffsavethumbnail(base / "missing.avi", base / "none.jpg", {}));
  EXPECT_FALSE(testutil::exists(base / "none.jpg"));
}

// ------------------------------------------------------------ the loader

TEST_F(FullHdAlbum, LoaderPicksTheLevelForTheScreen) {
  const global_t saved = g_global;
  struct case_t {
    unsigned long long show_level;
    int scale;
    std::string size;
  };
  const std::vector<case_t> cases = {
      {1, 1, "480x270"},     // movie2
      {1, 2, "960x540"},     // movie1
      {1, 4, "1920x1080"},   // movie0
      {1, 64, "1920x1080"},  // before the first level: movie0
      {2, 1, "960x540"},
      {0, 1, "480x270"},  // "thumb" holds no movie still: the smallest level
      {0, 0, "480x270"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.show_level) + " " + std::to_string(c.scale));
    g_global.show_level = c.show_level;
    libgr::image2d_t image;
    std::string duration, rate;
    EXPECT_TRUE(load_scaled_ffthumbnail(image, album_, "clip.MOV", c.scale, duration, rate));
    EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height), c.size);
    EXPECT_EQ(image.desc.format, libgr::IMAGE_FORMAT_RGB);
    EXPECT_EQ(duration, "00:00:01.00");
    EXPECT_EQ(rate, " 5 fps");
  }
  g_global = saved;
}

TEST_F(MovieTest, LoaderFailsWithoutTheStill) {
  testutil::write_movie(file("original", "clip.mp4"), {320, 240});
  libgr::image2d_t image;
  std::string duration, rate;
  const std::string err = testutil::capture_stderr(
      [&] { EXPECT_FALSE(load_scaled_ffthumbnail(image, album, "clip.mp4", 1, duration, rate)); });
  EXPECT_NE(err.find(file("movie1", "clip.jpg") + ": "), std::string::npos);
  EXPECT_EQ(rate, " 5 fps");
}

}  // namespace
}  // namespace pictora
