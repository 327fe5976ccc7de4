// Path functions: taking names apart and joining them again, under the
// single-byte "C" locale, under UTF-8, and under a double-byte code page.
#include "libutils/futil.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/libutils/locale_guard.h"
#include "tests/support/test_util.h"

namespace {

using libutils::splitpath_t;

// "夏" and "写真" in UTF-8, and a Latin-1 "é", which is invalid UTF-8.
const std::string natsu = "\xe5\xa4\x8f";
const std::string shashin = "\xe5\x86\x99\xe7\x9c\x9f";
const std::string e_latin1 = "\xe9";

// Every table below must hold whatever the code page: names with UTF-8 bytes
// under "C" and names with invalid bytes under UTF-8 still split at their
// delimiters.
class PathInLocale : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!locale_.ok()) GTEST_SKIP() << "locale " << GetParam() << " not available";
  }
  testutil::CtypeLocale locale_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Locales, PathInLocale, testing::Values("C", "C.UTF-8"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(std::strcmp(info.param, "C") == 0 ? "C" : "Utf8");
                         });

struct name_case_t {
  std::string path;
  std::string base;  // basename
  std::string dir;   // dirname
};

const std::vector<name_case_t> name_cases = {
    {"photo.JPG", "photo", ""},
    {"dir.d/photo", "photo", "dir.d/"},
    {"a/b\\c.d", "c", "a/b\\"},
    {"a\\b.c.jpg", "b.c", "a\\"},
    {"a/b", "b", "a/"},
    {"a\\.profile", "", "a\\"},
    {"c:\\book\\x.jpg", "x", "c:\\book\\"},
    {"c:x.jpg", "c:x", ""},
    {"album/", "", "album/"},
    {"/", "", "/"},
    {"", "", ""},
    {"my book/IMG 0001.jpg", "IMG 0001", "my book/"},
    {shashin + "/" + natsu + ".jpg", natsu, shashin + "/"},
    {"caf" + e_latin1 + "\\" + e_latin1 + "t" + e_latin1 + ".jpg", e_latin1 + "t" + e_latin1,
     "caf" + e_latin1 + "\\"},
};

TEST_P(PathInLocale, BasenameAndDirname) {
  for (const auto& c : name_cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(libutils::basename(c.path), c.base);
    EXPECT_EQ(libutils::basename2(c.path), c.base);
    EXPECT_EQ(libutils::dirname(c.path), c.dir);
    EXPECT_EQ(std::string(libutils::baseptr(c.path.c_str())),
              c.path.substr(c.dir.size()));

    char buf[libutils::max_path];
    EXPECT_EQ(libutils::basename(buf, c.path.c_str(), sizeof buf), c.base.size());
    EXPECT_EQ(std::string(buf), c.base);
    EXPECT_EQ(libutils::dirname(buf, c.path.c_str(), sizeof buf), c.dir.size());
    EXPECT_EQ(std::string(buf), c.dir);
  }
}

TEST_P(PathInLocale, SplitAndConcat) {
  struct case_t {
    std::string path, drive, dir, fname, ext;
  };
  const std::vector<case_t> cases = {
      {"c:\\book\\2023\\pic.01.jpg", "c:", "\\book\\2023\\", "pic.01", ".jpg"},
      {"pic", "", "", "pic", ""},
      {"\\dir.x\\pic", "", "\\dir.x\\", "pic", ""},
      {"/home/u/my album/IMG 1.JPG", "", "/home/u/my album/", "IMG 1", ".JPG"},
      {"dir/.profile", "", "dir/", "", ".profile"},
      {"a:b:c/d", "a:", "b:c/", "d", ""},
      {"e:", "e:", "", "", ""},
      {"x.", "", "", "x", "."},
      {"", "", "", "", ""},
      {shashin + "\\" + natsu + ".mp4", "", shashin + "\\", natsu, ".mp4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    splitpath_t sp;
    std::memset(&sp, 'z', sizeof sp);  // every field must be written, NUL included
    libutils::split(sp, c.path.c_str());
    EXPECT_EQ(std::string(sp.drive), c.drive);
    EXPECT_EQ(std::string(sp.dir), c.dir);
    EXPECT_EQ(std::string(sp.fname), c.fname);
    EXPECT_EQ(std::string(sp.ext), c.ext);
    char joined[libutils::max_path];
    libutils::concat(joined, sp);
    EXPECT_EQ(std::string(joined), c.path);
  }
}

TEST_P(PathInLocale, ChangingOneFieldThenJoining) {
  splitpath_t sp;
  libutils::split(sp, "/book/2023/pic.JPG");
  std::strcpy(sp.ext, ".html");
  char out[libutils::max_path];
  libutils::concat(out, sp);
  EXPECT_STREQ(out, "/book/2023/pic.html");
}

TEST_P(PathInLocale, DelimiterConversion) {
  const std::string mixed = "a/b\\" + natsu + "/c";
  EXPECT_EQ(libutils::delimconvert(mixed), "a\\b\\" + natsu + "\\c");
  EXPECT_EQ(libutils::deliminvert(mixed), "a/b/" + natsu + "/c");
}

TEST(Path, LongFieldsAreCutToTheirBuffers) {
  testutil::CtypeLocale c("C");
  const std::string long_name(300, 'n');
  splitpath_t sp;
  libutils::split(sp, ("d:/" + long_name + ".jpg").c_str());
  EXPECT_EQ(std::string(sp.fname), long_name.substr(0, 259));
  EXPECT_STREQ(sp.ext, ".jpg");
  libutils::split(sp, (long_name + "/x").c_str());
  EXPECT_EQ(std::string(sp.dir), long_name.substr(0, 259));
  EXPECT_STREQ(sp.fname, "x");
}

TEST(Path, CutsNeverSplitACharacter) {
  testutil::CtypeLocale utf8("C.UTF-8");
  if (!utf8.ok()) GTEST_SKIP() << "no UTF-8 locale";
  std::string long_name;
  for (int i = 0; i < 100; ++i) long_name += natsu;  // 300 bytes
  splitpath_t sp;
  libutils::split(sp, long_name.c_str());
  EXPECT_EQ(std::string(sp.fname), long_name.substr(0, 258));  // 86 whole characters

  const std::string path = "x/" + natsu + natsu + ".jpg";
  char buf[8];
  // Room for 7 bytes: the second character (bytes 3-5) fits, ".jpg" would not.
  EXPECT_EQ(libutils::basename(buf, path.c_str(), 5), 3u);
  EXPECT_EQ(std::string(buf), natsu);
  EXPECT_EQ(libutils::basename(buf, path.c_str(), 7), 6u);
  EXPECT_EQ(std::string(buf), natsu + natsu);
  EXPECT_EQ(libutils::dirname(buf, path.c_str(), 2), 1u);
  EXPECT_STREQ(buf, "x");
  buf[0] = '#';
  EXPECT_EQ(libutils::dirname(buf, path.c_str(), 0), 0u);
  EXPECT_EQ(buf[0], '#');
}

// In Shift_JIS the trail byte of many kanji is 0x5C, the byte of '\'. Such a
// byte must not be taken for a delimiter.
TEST(Path, ShiftJisTrailByteIsNoDelimiter) {
  testutil::ShiftJisLocale sjis;
  if (!sjis.ok()) GTEST_SKIP() << "cannot build a Shift_JIS locale here";
  const std::string hyo = "\x95\x5c";  // a kanji whose trail byte is '\'
  const std::string path = "c:\\" + hyo + "\\" + hyo + ".jpg";
  EXPECT_EQ(libutils::basename(path), hyo);
  EXPECT_EQ(libutils::dirname(path), "c:\\" + hyo + "\\");
  EXPECT_EQ(libutils::dirname(hyo), "");
  EXPECT_EQ(libutils::baseptr(path.c_str()), path.c_str() + 6);
  EXPECT_EQ(libutils::deliminvert(path), "c:/" + hyo + "/" + hyo + ".jpg");
  splitpath_t sp;
  libutils::split(sp, path.c_str());
  EXPECT_STREQ(sp.drive, "c:");
  EXPECT_EQ(std::string(sp.dir), "\\" + hyo + "\\");
  EXPECT_EQ(std::string(sp.fname), hyo);
  EXPECT_STREQ(sp.ext, ".jpg");
  // A lone '\' still separates, although the code page decodes it as a yen sign.
  EXPECT_EQ(libutils::basename("a\\b.jpg"), "b");
}

TEST(Path, ExtensionComparison) {
  struct case_t {
    std::string s;
    const char* ext;
    int sign;  // of the result
  };
  const std::vector<case_t> cases = {
      {"IMG.JPG", ".jpg", 0},   {"a", ".jpg", -1},        {"x.mp4", ".MP4", 0},
      {"x.jpeg", ".jpg", 1},    {"x.jpa", ".jpg", -1},    {".jpg", ".jpg", 0},
      {"", "", 0},              {"clip.MoV", ".mov", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.s + " vs " + c.ext);
    const int r = libutils::extcasecmp(c.s, c.ext);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
  EXPECT_EQ(libutils::extcasecmp("a", ".jpg"), -1);
  // The buffer form looks at len bytes only.
  EXPECT_EQ(libutils::extcasecmp("p.JPG.txt", 5, ".jpg"), 0);
  EXPECT_EQ(libutils::extcasecmp("p.JPG", 3, ".jpg"), -1);
}

// Restores the current directory and PATH after a test changed them.
class SearchPath : public testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::filesystem::current_path();
    const char* path = std::getenv("PATH");
    had_path_ = path != nullptr;
    if (had_path_) path_ = path;
    std::filesystem::current_path(tmp_.path());
  }
  void TearDown() override {
    std::filesystem::current_path(cwd_);
    if (had_path_) {
      ::setenv("PATH", path_.c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
  }
  testutil::TempDir tmp_;

 private:
  std::filesystem::path cwd_;
  bool had_path_ = false;
  std::string path_;
};

TEST_F(SearchPath, FindsTheNameItselfFirst) {
  testutil::write_file(tmp_ / "pictora.msg", "x");
  EXPECT_EQ(libutils::searchpath("pictora.msg", "/usr/bin/pictora"), "pictora.msg");
  EXPECT_EQ(libutils::searchpath(tmp_ / "pictora.msg", nullptr), tmp_ / "pictora.msg");
}

TEST_F(SearchPath, TriesPathInOrderThenTheProgramsDirectory) {
  testutil::make_dirs(tmp_ / "bin1");
  testutil::make_dirs(tmp_ / "bin2");
  testutil::make_dirs(tmp_ / "prog");
  ::setenv("PATH", (tmp_ / "none:" + tmp_.path() + "/bin1:" + tmp_.path() + "/bin2").c_str(), 1);
  const std::string exe = tmp_ / "prog/pictora";

  testutil::write_file(tmp_ / "prog/a.msg", "x");
  EXPECT_EQ(libutils::searchpath("a.msg", exe.c_str()), tmp_ / "prog//a.msg");
  EXPECT_EQ(libutils::searchpath("a.msg", nullptr), "a.msg");

  testutil::write_file(tmp_ / "bin2/a.msg", "x");
  EXPECT_EQ(libutils::searchpath("a.msg", exe.c_str()), tmp_ / "bin2/a.msg");

  testutil::write_file(tmp_ / "bin1/a.msg", "x");
  EXPECT_EQ(libutils::searchpath("a.msg", exe.c_str()), tmp_ / "bin1/a.msg");

  ::unsetenv("PATH");
  EXPECT_EQ(libutils::searchpath("a.msg", exe.c_str()), tmp_ / "prog//a.msg");
  EXPECT_EQ(libutils::searchpath("b.msg", exe.c_str()), "b.msg");
}

TEST_F(SearchPath, CurrentDirectory) {
  EXPECT_EQ(libutils::getcwd(), std::filesystem::current_path().string());
}

}  // namespace
