// The settings file through its bytes: what `config set` writes, how each
// line is read back, the defaults and where the file lives.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>

#include "app/global.h"
#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace settings {
namespace {

using safety::user_t;

namespace fs = std::filesystem;
using lines_t = std::vector<std::string>;

// The settings file of a fresh home, each line ended by `eol`, with the
// line of each key in `changed` ("key=value", any further lines after it)
// replaced.
std::string settings_text(const user_t& user, const lines_t& changed = {}, const char* eol = "\r\n") {
  std::string text = "\n" + testutil::read_file(std::string(PICTORA_SOURCE_DIR) + "/tests/settings/default-settings.ini");
  text = std::regex_replace(text, std::regex("\\{HOME\\}"), user.home.path());
  for (const std::string& line : changed) {
    const size_t at = text.find("\n" + line.substr(0, line.find('=') + 1)) + 1;
    text.replace(at, text.find('\r', at) - at, line);
  }
  return std::regex_replace(text.substr(1), std::regex("\r\n"), eol);
}

TEST(SettingsFile, ConfigSetWritesEverySettingAndTheFileReadsBack) {
  const struct {
    std::optional<std::string> before;  // the file's bytes, none without a file
    lines_t args;
    lines_t changed;  // the lines that differ from the defaults afterwards
    const char* err;
  } cases[] = {
      {std::nullopt, {"config", "set", "shrink_size", "800x600"}, {"shrink_size=800,600"}, ""},
      // LF line ends, an unknown name, an empty line, a line without "=",
      // an old name that is no longer used.
      {"view_size=3\nFrom=/x\n\nno equals sign\nshrink_level=7\n", {"config", "set", "html_address", " a=b "},
       {"view_size=3", "html_address= a=b "}, "Unrecognized name: From\n"},
      // One-run overrides are not stored; the header is, when checked.
      {"html_header_check=1\r\nhtml_header=<meta charset=\"x\">\r\njpeg_compress=90\r\n",
       {"--set", "view_size=5", "config", "set", "jpeg_compress", "0x50"},
       {"html_header_check=1\r\nhtml_header=<meta charset=\"x\">", "jpeg_compress=80"}, ""},
      {"html_header=<meta charset=\"x\">\r\nplay_size_x=1920", {"config", "set", "movie", "mpv --fs"},
       {"movie=mpv --fs", "play_size_x=1920"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    user_t user;
    const std::string file = user / "config/pictora/pictora.ini";
    if (c.before) {
      testutil::make_dirs(user / "config/pictora");
      testutil::write_file(file, *c.before);
    }
    const safety::result_t set = user.run(c.args);
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.err.substr(0, std::string(c.err).size()), c.err);
    EXPECT_EQ(testutil::read_file(file), settings_text(user, c.changed));
    const safety::result_t show = user.run({"config", "show"});
    EXPECT_EQ(show.out, settings_text(user, c.changed, "\n"));
    EXPECT_EQ(show.err, "");
  }
}

// A settings file of binary bytes (a disk error, a file saved over it) is
// one line naming it, not a line for each of its lines; the defaults hold.
TEST(SettingsFile, AFileOfBinaryBytesIsOneLine) {
  user_t user;
  const std::string file = user / "config/pictora/pictora.ini";
  testutil::make_dirs(user / "config/pictora");
  std::string bytes;
  for (unsigned i = 0; i < 20000; ++i) bytes += static_cast<char>((i * 7919u) >> 3);
  testutil::write_file(file, bytes);
  const safety::result_t show = user.run({"config", "show"});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(show.err, file + ": not a settings file (it holds bytes that are no text); not read.\n");
  EXPECT_EQ(show.out, settings_text(user, {}, "\n"));
  EXPECT_EQ(testutil::read_file(file), bytes);
}

// A value is read alike from `--set`, `config set` and the file; one that
// no build can use is refused by the first two (exit status 2, nothing
// stored) and skipped by the file, each time with the reason.
TEST(SettingsFile, EachValueIsReadAlikeFromTheFileAndFromSet) {
  const struct {
    const char* line;
    lines_t changed;          // the lines that differ from the defaults afterwards
    const char* why_not = "";  // the reason it is refused
  } cases[] = {
      {"jpeg_compress=0x50", {"jpeg_compress=80"}},
      {"jpeg_compress=010", {"jpeg_compress=8"}},
      {"jpeg_compress=12abc", {"jpeg_compress=12"}},
      {"jpeg_compress=0", {"jpeg_compress=0"}},
      {"jpeg_compress=101", {}, "must be from 0 to 100"},
      {"jpeg_compress=-1", {}, "is negative"},
      {"jpeg_compress=99999999999", {}, "is larger than 4294967295"},
      {"play_size_x=abc", {}, "is not a number"},
      {"play_size_y=1", {}, "must be at least 2"},
      {"max_pixels=0", {}, "must be at least 1"},
      {"horizontal_items=0", {}, "must be at least 1"},
      {"shrink_size=0x320,600", {"shrink_size=800,600"}},
      {"shrink_size=7x7", {"shrink_size=7,7"}},
      {"shrink_size=1x1", {}, "width must be at least 7"},
      {"shrink_size=", {}, "width is not a number"},
      {"shrink_size=4294967296x1", {}, "width is larger than 4294967295"},
      {"shrink_size=800x6", {}, "height must be at least 7"},
      {"shrink_size=800", {}, "needs a width and a height"},
      {"movie_thumbnail_retina=yes", {}, "is not a number"},
      {"html_header_check=2", {"html_header_check=1\r\nhtml_header=<meta http-equiv=\"Content-Type\" "
                               "content=\"text/html; charset=UTF-8\">"}},
      {"vexaview= feh  -F =x", {"vexaview= feh  -F =x"}},
      {"html_address=a\rb", {}, "holds a line break"},
      {"html_address=x\r\nalba=/etc", {}, "holds a line break"},  // not a line of a file
      {"max_pixels=1000", {"max_pixels=1000"}},
      {"page_style=responsive", {"page_style=responsive"}},
      {"page_style=Responsive", {}, "must be classic or responsive"},
      {"keep_location=1", {"keep_location=1"}},
      {"shrink_level=3", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    user_t user;
    const std::string line = c.line, key = line.substr(0, line.find('=')), file = user / "config/pictora/pictora.ini";
    const std::string expected = settings_text(user, c.changed, "\n"), refused = *c.why_not ? key + ": " + c.why_not : "";
    const safety::result_t set = user.run({"--set", line, "config", "show"});
    EXPECT_EQ(set.out, refused.empty() ? expected : "");
    EXPECT_EQ(set.err, refused.empty() ? "" : "pictora-cli: " + refused + "\n");
    EXPECT_EQ(set.status, refused.empty() ? 0 : 2);
    EXPECT_EQ(user.run({"config", "set", key, line.substr(key.size() + 1)}).status, refused.empty() ? 0 : 2);
    EXPECT_EQ(testutil::exists(file) ? testutil::read_file(file) : "", refused.empty() ? settings_text(user, c.changed) : "");
    if (line.find('\n') != std::string::npos) continue;
    testutil::make_dirs(user / "config/pictora");
    testutil::write_file(file, line + "\r\n");
    const safety::result_t read = user.run({"config", "show"});
    EXPECT_EQ(read.out, expected);
    EXPECT_EQ(read.err, refused.empty() ? "" : file + ":1: " + refused + ", line skipped.\n");
  }
}

// The smallest boxes accepted still build every level: a picture one pixel
// larger than the shrink box ends in a thumbnail of one pixel, a movie in
// levels down to two pixels, which the smallest play box fits.
TEST(SettingsFile, TheSmallestBoxesBuildEveryLevel) {
  user_t user;
  const std::string camera = user / "camera", album = user / "book/a";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/p.jpg", {8, 8});
  testutil::write_movie(camera + "/m.mp4", {16, 16});
  const safety::result_t built = user.run({"--set", "shrink_size=7,7", "--set", "play_size_x=2", "--set",
                                           "play_size_y=2", "make-album", camera, album, "--title", "T"});
  EXPECT_EQ(built.status, 0) << built.err;
  const testutil::decoded_t thumb = testutil::reference_decode(testutil::read_file(album + "/thumb/p.jpg"));
  EXPECT_EQ(std::to_string(thumb.width) + "x" + std::to_string(thumb.height), "1x1");
  EXPECT_EQ(testutil::movie_frame_size(album + "/movie3/m.mp4"), (testutil::frame_size_t{2, 2}));
}

TEST(SettingsFile, DefaultsAndThePlaceOfTheFile) {
  user_t user;
  const safety::result_t show = user.run({"config", "show"});
  EXPECT_EQ(show.out, settings_text(user, {}, "\n"));
  EXPECT_EQ(show.err, "");
  EXPECT_EQ(user.run({"config", "path"}).out, user / "config/pictora/pictora.ini\n");
  EXPECT_EQ(user.run({"config", "path"}, {"XDG_CONFIG_HOME="}).out, user / ".config/pictora/pictora.ini\n");
  EXPECT_FALSE(fs::exists(user / "config"));  // reading never creates it

  // A link in the file's place is replaced, not written through.
  testutil::make_dirs(user / "config/pictora");
  testutil::write_file(user / "shared.ini", "view_size=3\r\n");
  fs::create_symlink(user / "shared.ini", user / "config/pictora/pictora.ini");
  EXPECT_EQ(user.run({"config", "set", "view_size", "4"}).status, 0);
  EXPECT_EQ(testutil::read_file(user / "shared.ini"), "view_size=3\r\n");
  EXPECT_EQ(testutil::read_file(user / "config/pictora/pictora.ini"), settings_text(user, {"view_size=4"}));
  EXPECT_FALSE(fs::is_symlink(user / "config/pictora/pictora.ini"));

  fs::remove_all(user / "config");
  testutil::write_file(user / "config", "a file where the folder should be");
  const safety::result_t blocked = user.run({"config", "set", "view_size", "2"});
  EXPECT_EQ(blocked.status, 1);
  EXPECT_EQ(blocked.err, user / "config/pictora/pictora.ini: cannot be written: Not a directory\n");
}

TEST(SettingsFile, PageCharsetFollowsTheLocale) {
  const std::pair<const char*, const char*> cases[] = {
      {"ja_JP.SJIS", "shift_jis"}, {"ja_JP.shiftjis", "shift_jis"}, {"ja-JP", "shift_jis"}, {"ja_JP.sjis", "UTF-8"},
      {"JA_jp.EUCJP", "euc-jp"},   {"ja_JP.UTF-8", "UTF-8"},        {"", "UTF-8"},
  };
  for (const auto& [locale, charset] : cases) EXPECT_EQ(pictora::locale_charset(locale), charset) << locale;
}

}  // namespace
}  // namespace settings
