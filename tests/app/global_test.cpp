#include "app/global.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>

#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::TempDir;

// Sets (or with nullopt unsets) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::string settings_text(const char* eol = "\r\n") {
  std::ostringstream os;
  writeini(os, eol);
  return os.str();
}

std::string text_of(const global_t& g) {
  const global_t kept = g_global;
  g_global = g;
  std::string text = settings_text();
  g_global = kept;
  return text;
}

// Each test starts from the defaults and leaves g_global as it found it.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_global;
    g_global = global_t();
  }
  void TearDown() override { g_global = saved_; }

  // Loads an INI file of the given bytes; returns what loading wrote to
  // standard error.
  std::string load(const std::string& bytes) {
    testutil::write_file(dir_ / "pictora.ini", bytes);
    bool ok = false;
    std::string err = testutil::capture_stderr([&] { ok = loadini(dir_.path() + "/", "pictora"); });
    EXPECT_TRUE(ok);
    return err;
  }

  TempDir dir_;

 private:
  global_t saved_;
};

TEST(SettingsDefaults, EveryFieldHasItsDefault) {
  TempDir home;
  ScopedEnv h("HOME", home.path());
  ScopedEnv u("USER", "pictora-test-nobody");  // no camera card is mounted for this user
  ScopedEnv l("LC_ALL", "C");
  const global_t g;
  EXPECT_EQ(g.from, home.path() + "/Pictures");
  EXPECT_EQ(g.album, home.path() + "/book");
  EXPECT_EQ(g.shrink_size.x, 1024u);
  EXPECT_EQ(g.shrink_size.y, 1024u);
  EXPECT_EQ(g.jpeg_compress, 100u);
  EXPECT_EQ(g.horizontal_items, 4u);
  EXPECT_EQ(g.show_level, 1u);
  EXPECT_EQ(g.view_size, 1u);
  EXPECT_FALSE(g.html_header_check);
  EXPECT_EQ(g.html_header, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">");
  EXPECT_EQ(g.html_address, "(C) <a href=\"mailto:someone@example.com\">Your Name</a>, All Rights Reserved.");
  EXPECT_EQ(g.hwaccel, "");
  EXPECT_EQ(g.ffmpeg, "-c:v libx264 -crf 23");
  EXPECT_EQ(g.movie, "xdg-open");
  EXPECT_EQ(g.play_size_x, 3840u);
  EXPECT_EQ(g.play_size_y, 2160u);
  EXPECT_TRUE(g.movie_thumbnail_retina);
  EXPECT_EQ(g.vexaview,
            "pictora-view -resizetype 2 -window_ratio_of_image 0.5 -image_ratio_of_window 1 -g +0+32");
}

TEST(SettingsDefaults, PageCharsetFollowsTheLocaleName) {
  const std::pair<const char*, const char*> cases[] = {
      {"ja_JP.SJIS", "shift_jis"},   {"ja_JP.shiftjis", "shift_jis"}, {"ja-JP", "shift_jis"},
      {"ja_jp.sjis", "UTF-8"},       {"ja_JP.SJIS ", "UTF-8"},        {"ja_JP.eucJP", "euc-jp"},
      {"JA_jp.EUCJP", "euc-jp"},     {"ja_JP.eucJP@x", "UTF-8"},      {"ja_JP.UTF-8", "UTF-8"},
      {"en_US.ISO-8859-1", "UTF-8"}, {"", "UTF-8"},
  };
  for (const auto& [locale, charset] : cases) EXPECT_EQ(locale_charset(locale), charset) << locale;
}

TEST(SettingsFile, NameIsDirectoryPlusStemOfName) {
  EXPECT_EQ(inifile("/etc/x/", "pictora"), "/etc/x/pictora.ini");
  EXPECT_EQ(inifile("/etc/x/", "/usr/bin/pictora.exe"), "/etc/x/pictora.ini");
  EXPECT_EQ(inifile("cfg", "pictora"), "cfgpictora.ini");
}

TEST(SettingsFile, DirectoryFollowsXdgConfigHome) {
  {
    ScopedEnv x("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(settings_dir(), "/srv/conf/pictora/");
  }
  ScopedEnv x("XDG_CONFIG_HOME", std::nullopt);
  ScopedEnv h("HOME", "/home/someone");
  EXPECT_EQ(settings_dir(), "/home/someone/.config/pictora/");
}

TEST_F(SettingsTest, NumbersConvertLikeStrtoulInto32Bits) {
  const std::pair<const char*, unsigned long long> cases[] = {
      {"80", 80},          {"0x50", 80},         {"0X50", 80},          {"010", 8},
      {"08", 0},           {"0x", 0},            {"42abc", 42},         {"abc", 0},
      {"", 0},             {" \t7", 7},          {"+9", 9},             {"-1", 4294967295ull},
      {"-5", 4294967291ull}, {"4294967295", 4294967295ull}, {"4294967296", 4294967295ull},
      {"99999999999999999999999", 4294967295ull}, {"-4294967296", 4294967295ull},
  };
  for (const auto& [text, expected] : cases) {
    g_global.jpeg_compress = 12345;
    EXPECT_EQ(load(std::string("jpeg_compress=") + text + "\r\n"), "");
    EXPECT_EQ(g_global.jpeg_compress, expected) << text;
  }
}

TEST_F(SettingsTest, EveryNumberKeySetsItsField) {
  const std::pair<const char*, unsigned long long global_t::*> keys[] = {
      {"jpeg_compress", &global_t::jpeg_compress}, {"horizontal_items", &global_t::horizontal_items},
      {"show_level", &global_t::show_level},       {"view_size", &global_t::view_size},
      {"play_size_x", &global_t::play_size_x},     {"play_size_y", &global_t::play_size_y},
  };
  for (const auto& [key, field] : keys) {
    global_t expected = g_global;
    expected.*field = 77;
    load(std::string(key) + "=77\r\n");
    EXPECT_EQ(g_global.*field, 77u) << key;
    EXPECT_EQ(settings_text(), text_of(expected)) << key << " touched another field";
  }
}

TEST_F(SettingsTest, FlagsAreTrueForNonZeroNumbers) {
  const std::pair<const char*, bool> cases[] = {
      {"1", true}, {"2", true}, {"0x10", true}, {"0", false}, {"0x0", false}, {"yes", false}, {"", false},
  };
  for (const auto& [text, expected] : cases) {
    g_global.html_header_check = !expected;
    g_global.movie_thumbnail_retina = !expected;
    load(std::string("html_header_check=") + text + "\nmovie_thumbnail_retina=" + text + "\n");
    EXPECT_EQ(g_global.html_header_check, expected) << text;
    EXPECT_EQ(g_global.movie_thumbnail_retina, expected) << text;
  }
}

TEST_F(SettingsTest, ShrinkSizeSkipsAnyOneCharacterBetweenTheLimits) {
  struct shrink_case {
    const char* value;
    unsigned long long x, y;
  };
  const shrink_case cases[] = {
      {"800,600", 800, 600}, {"800x600", 800, 600}, {"800 600", 800, 600}, {"0x320,0x258", 800, 600},
      {"x600", 0, 600},      {"800,,600", 800, 0},   {"800", 800, 0},       {"", 0, 0},
  };
  for (const auto& c : cases) {
    g_global.shrink_size = {1, 1};
    load(std::string("shrink_size=") + c.value + "\r\n");
    EXPECT_EQ(g_global.shrink_size.x, c.x) << c.value;
    EXPECT_EQ(g_global.shrink_size.y, c.y) << c.value;
  }
}

TEST_F(SettingsTest, TextsAreStoredUntrimmedWithEveryFurtherEqualsSign) {
  const std::pair<const char*, std::string global_t::*> keys[] = {
      {"from", &global_t::from},       {"album", &global_t::album},       {"html_header", &global_t::html_header},
      {"html_address", &global_t::html_address}, {"hwaccel", &global_t::hwaccel}, {"ffmpeg", &global_t::ffmpeg},
      {"movie", &global_t::movie},     {"vexaview", &global_t::vexaview},
  };
  for (const auto& [key, field] : keys) {
    load(std::string(key) + "= a=b =c \t\r\n");
    EXPECT_EQ(g_global.*field, " a=b =c \t") << key;
    load(std::string(key) + "=\r\n");
    EXPECT_EQ(g_global.*field, "") << key;
  }
}

TEST_F(SettingsTest, UnknownAndObsoleteNames) {
  const std::string defaults = settings_text();
  EXPECT_EQ(load("shrink_level=3\r\n"), "");
  EXPECT_EQ(settings_text(), defaults);

  // Names are case-sensitive; loading goes on after an unknown one.
  EXPECT_EQ(load("From=/mnt/card\r\nalbum=/srv/book\r\n =x\r\nhtml_address =y\r\n"),
            "Unrecognized name: From\n"
            "Unrecognized name:  \n"
            "Unrecognized name: html_address \n");
  EXPECT_NE(g_global.from, "/mnt/card");
  EXPECT_EQ(g_global.album, "/srv/book");
}

TEST_F(SettingsTest, LinesWithoutEqualsSignAndAnyLineEndsAreAccepted) {
  EXPECT_EQ(load("\r\n\nalbum\r\nview_size=3\nshow_level=5\r\r\n\r\nplay_size_x=9"), "");
  EXPECT_EQ(g_global.view_size, 3u);
  EXPECT_EQ(g_global.show_level, 5u);
  EXPECT_EQ(g_global.play_size_x, 9u);  // the last line needs no line end
}

TEST_F(SettingsTest, EmptyFileChangesNothing) {
  const std::string defaults = settings_text();
  EXPECT_EQ(load(""), "");
  EXPECT_EQ(settings_text(), defaults);
}

TEST_F(SettingsTest, MissingFileFailsAndChangesNothing) {
  const std::string defaults = settings_text();
  EXPECT_FALSE(loadini(dir_.path() + "/", "absent"));
  EXPECT_EQ(settings_text(), defaults);
}

TEST_F(SettingsTest, LongLineIsReadWhole) {
  const std::string prefix = "html_address=";
  const std::string value(10000 - prefix.size(), 'a');
  load(prefix + value + "\r\nview_size=2\r\n");
  EXPECT_EQ(g_global.html_address, value);
  EXPECT_EQ(g_global.view_size, 2u);
}

TEST_F(SettingsTest, SetIniValueTellsKnownFromUnknownNames) {
  EXPECT_TRUE(setinivalue("shrink_size", "640x480"));
  EXPECT_EQ(g_global.shrink_size.x, 640u);
  EXPECT_EQ(g_global.shrink_size.y, 480u);
  EXPECT_TRUE(setinivalue("shrink_level", "9"));
  const std::string before = settings_text();
  EXPECT_FALSE(setinivalue("From", "/x"));
  EXPECT_FALSE(setinivalue("", "/x"));
  EXPECT_EQ(settings_text(), before);
}

TEST(SettingsLine, WritesKeyValueAndLineEnd) {
  std::ostringstream os;
  os << std::boolalpha << std::hex;  // the file's format does not depend on the stream's
  writeiniline(os, "a", std::string("x=y "), "\r\n");
  writeiniline(os, "b", true);
  writeiniline(os, "c", false);
  writeiniline(os, "d", 18446744073709551615ull, "\n");
  EXPECT_EQ(os.str(), "a=x=y \r\nb=1\r\nc=0\r\nd=ffffffffffffffff\n");
}

const char* const custom_settings =
    "from=/mnt/card/DCIM\r\n"
    "album=/srv/photo book\r\n"
    "shrink_size=800,600\r\n"
    "jpeg_compress=85\r\n"
    "horizontal_items=6\r\n"
    "show_level=2\r\n"
    "view_size=3\r\n"
    "html_header_check=1\r\n"
    "html_header=<meta charset=\"UTF-8\">\r\n"
    "html_address=(C) Me, x=y\r\n"
    "hwaccel=-hwaccel cuda\r\n"
    "ffmpeg=-c:v libx265\r\n"
    "movie=mpv --fs\r\n"
    "play_size_x=1920\r\n"
    "play_size_y=1080\r\n"
    "movie_thumbnail_retina=0\r\n"
    "vexaview=feh\r\n";

TEST_F(SettingsTest, SaveWritesEveryLineInOrderAndLoadsBack) {
  load(custom_settings);
  saveini(dir_.path() + "/", "other");
  EXPECT_EQ(testutil::read_file(dir_ / "other.ini"), custom_settings);

  g_global = global_t();
  ASSERT_TRUE(loadini(dir_.path() + "/", "other"));
  EXPECT_EQ(settings_text(), custom_settings);
  EXPECT_EQ(settings_text("\n"), [] {
    std::string lf = custom_settings;
    for (size_t at; (at = lf.find('\r')) != std::string::npos;) lf.erase(at, 1);
    return lf;
  }());
}

TEST_F(SettingsTest, HeaderIsKeptOnlyWhenChecked) {
  g_global.html_header = "<meta charset=\"EUC-JP\">";
  saveini(dir_.path() + "/", "pictora");
  const std::string saved = testutil::read_file(dir_ / "pictora.ini");
  EXPECT_NE(saved.find("html_header_check=0\r\nhtml_address="), std::string::npos) << saved;
  EXPECT_EQ(saved.find("html_header="), std::string::npos);

  const std::string header = global_t().html_header;
  g_global = global_t();
  ASSERT_TRUE(loadini(dir_.path() + "/", "pictora"));
  EXPECT_EQ(g_global.html_header, header);
}

TEST_F(SettingsTest, SaveReplacesALinkInsteadOfWritingThroughIt) {
  testutil::write_file(dir_ / "shared.ini", "keep\r\n");
  ASSERT_EQ(::symlink("shared.ini", (dir_ / "pictora.ini").c_str()), 0);
  saveini(dir_.path() + "/", "pictora");
  EXPECT_EQ(testutil::read_file(dir_ / "shared.ini"), "keep\r\n");
  struct stat st;
  ASSERT_EQ(::lstat((dir_ / "pictora.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(testutil::read_file(dir_ / "pictora.ini"), settings_text());
}

TEST_F(SettingsTest, SaveIntoMissingDirectoryFailsQuietly) {
  std::string err = testutil::capture_stderr([&] { saveini(dir_ / "absent/", "pictora"); });
  EXPECT_EQ(err, "");
  EXPECT_FALSE(testutil::exists(dir_ / "absent"));
  EXPECT_FALSE(writeinifile(dir_ / "absent/pictora.ini"));
}

}  // namespace
}  // namespace pictora
