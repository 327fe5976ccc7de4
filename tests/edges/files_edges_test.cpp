// Files, directories, paths and strings at their edges: empty, missing and
// unreadable files through the file buffers and the views into them,
// listings with hidden entries and links, rebuild decisions by whole
// seconds, copies that keep their times, fresh temporary names, and names
// taken apart with both separators, empty parts and in several code pages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <filesystem>

#include "libgr/loader_jpeg.h"
#include "libgr/loader_jpeg2.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"
#include "tests/support/test_util.h"

namespace {

using namespace std::string_literals;
using names_t = std::list<std::string>;

TEST(FileBuffers, EmptyMissingAndUnreadableFilesAndViewsAtTheirBounds) {
  testutil::TempDir dir;
  testutil::write_file(dir / "empty.jpg", "");
  testutil::make_dirs(dir / "folder.jpg");
  for (const std::string& file : {dir / "empty.jpg", dir / "missing.jpg", dir / "folder.jpg"}) {
    libgr::jpegdata2_t walked;
    libgr::jpegdata_t data;
    libgr::jpeginfo_t decoder;
    libgr::image2d_t image;
    const bool loads = file == dir / "empty.jpg";
    testutil::capture_stderr([&] {
      EXPECT_EQ(loads, walked.load(file.c_str()) && data.load(file.c_str())) << file;
      EXPECT_FALSE(libgr::jpeginfo2_t().analyze(walked) || decoder.decompress(image, data, 0, false, {}));
    });
    EXPECT_TRUE(walked.buffer.empty() && data.empty());
    EXPECT_EQ(loads ? 1u : 0u, data.holders());
  }
  // A view into a block: never past the block's end, alive after the block's
  // first holder lets go, its bytes kept when resized, empty by a window of 0.
  libgr::bytes_t whole, view;
  ASSERT_TRUE(whole.resize(100));
  for (size_t i = 0; i < 100; ++i) whole[i] = static_cast<unsigned char>(i);
  for (const auto& [start, length, first, count] : {std::tuple{10ull, 100ull, 10u, 90u}, {150ull, 10ull, 100u, 0u},
                                                    {~0ull, ~0ull, 100u, 0u}}) {
    view.setwindow(whole, start, length);
    EXPECT_EQ(whole.begin() + first, view.begin());
    EXPECT_EQ(count, view.size());
  }
  view.setwindow(whole, 10, 10);
  whole.clear();
  ASSERT_TRUE(view.resize(12));
  EXPECT_EQ("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\0\0"s, std::string(view.begin(), view.end()));
  whole.setwindow(view, 4, 0);
  EXPECT_TRUE(whole.empty());
}

void set_mtime(const std::string& path, time_t sec, long nsec) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {sec, nsec}};
  ASSERT_EQ(0, ::utimensat(AT_FDCWD, path.c_str(), times, 0)) << path;
}

TEST(Directories, ListingsRebuildsCopiesAndTemporaryNames) {
  testutil::TempDir dir;
  for (const char* file : {"b.jpg", "A.JPG", ".hidden"}) testutil::write_file(dir / file, "");
  for (const char* sub : {"sub", ".cache", "my album"}) testutil::make_dirs(dir / sub);
  std::filesystem::create_directory_symlink("sub", dir / "link to sub");
  std::filesystem::create_symlink("b.jpg", dir / "link to b");
  std::filesystem::create_symlink("nowhere", dir / "dangling");
  names_t out = {"stale"};
  EXPECT_TRUE(libutils::getdirs(out, dir.path().c_str()));
  EXPECT_EQ((names_t{".cache", "link to sub", "my album", "sub"}), out);
  EXPECT_TRUE(libutils::getfiles(out, (dir.path() + "/").c_str()));
  EXPECT_EQ((names_t{".hidden", "A.JPG", "b.jpg", "dangling", "link to b"}), out);
  for (const std::string& not_a_dir : {dir / "missing", dir / "b.jpg", dir / "dangling"})
    EXPECT_FALSE(libutils::getdirs(out, not_a_dir.c_str()) || libutils::getfiles(out, not_a_dir.c_str()) || !out.empty());

  // Rebuilds by whole seconds of the modification times (0: no such file).
  for (const auto& [source, target, rebuild] : {std::tuple{0l, 0l, false}, {0l, 1000l, false}, {1000l, 0l, true},
                                                {1000l, 1000l, false}, {1001l, 1000l, true}, {999l, 1000l, false}}) {
    std::filesystem::remove(dir / "s.jpg"), std::filesystem::remove(dir / "t.jpg");
    if (source != 0) testutil::write_file(dir / "s.jpg", ""), set_mtime(dir / "s.jpg", source, 999999999);
    if (target != 0) testutil::write_file(dir / "t.jpg", ""), set_mtime(dir / "t.jpg", target, 0);
    EXPECT_EQ(rebuild, libutils::need_update(dir / "s.jpg", dir / "t.jpg")) << source << " " << target;
  }

  std::string big((16u << 20) + 5, '\0');  // more than one chunk of the copy
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  testutil::write_file(dir / "big.jpg", big);
  testutil::write_file(dir / "to.jpg", std::string(20u << 20, 'x'));  // longer: must be cut
  for (const char* name : {"big.jpg", "b.jpg"}) {
    set_mtime(dir / name, 1500000000, 123456789);
    libutils::report_log_t log;
    EXPECT_TRUE(libutils::filecopy((dir / name).c_str(), (dir / "to.jpg").c_str(), log));
    EXPECT_EQ("", log.text());
    EXPECT_TRUE(testutil::read_file(dir / name) == testutil::read_file(dir / "to.jpg")) << name;
    struct stat st {};
    EXPECT_EQ(0, ::stat((dir / "to.jpg").c_str(), &st));
    EXPECT_EQ(123456789, st.st_mtim.tv_nsec);
  }
  for (const auto& [from, to, report] :
       {std::tuple{dir / "b.jpg", dir / "no/to.jpg", dir / "no/to.jpg: cannot be written: No such file or directory\n"},
        {dir / "none", dir / "to.jpg", dir / "none: cannot be read: No such file or directory\n  stat(2) error.\n"},
        {dir / "sub", dir / "to.jpg", dir / "sub: cannot be read: Is a directory\n  4096: ifs read failed.\n"}}) {
    libutils::report_log_t log;
    EXPECT_FALSE(libutils::filecopy(from.c_str(), to.c_str(), log));
    EXPECT_EQ(report, log.text());
  }

  std::string first = dir / "pictora.XXXXXX", second = first, five = dir / "XXXXX";
  ASSERT_TRUE(libutils::mkdtemp(first.data()) && libutils::mkdtemp(second.data()));
  EXPECT_TRUE(first != second && std::filesystem::is_directory(first) && std::filesystem::is_directory(second));
  EXPECT_EQ(nullptr, libutils::mkdtemp(five.data()));
  EXPECT_EQ(EINVAL, errno);
  const std::string a = libutils::create_temp_beside(dir / "a.jpg"), b = libutils::create_temp_beside(dir / "a.jpg", ".mp4");
  EXPECT_TRUE(a.rfind(dir / "a.jpg.tmp", 0) == 0 && b.rfind(dir / "a.jpg.tmp", 0) == 0 && a != b) << a << " " << b;
  EXPECT_TRUE(testutil::read_file(a).empty() && b.substr(b.size() - 4) == ".mp4" && !testutil::exists(dir / "a.jpg"));
  EXPECT_EQ("", libutils::create_temp_beside(dir / "missing/a.jpg"));
  EXPECT_EQ(ENOENT, errno);
}

// Shift_JIS, compiled into a scratch folder: its second bytes include '\'.
class shift_jis {
 public:
  shift_jis() {
    testutil::run_program({"localedef", "-c", "--no-warnings=ascii", "-i", "ja_JP", "-f", "SHIFT_JIS", dir_ / "sjis"}, nullptr,
                          nullptr);
    ::setenv("LOCPATH", dir_.path().c_str(), 1);
  }
  ~shift_jis() { ::unsetenv("LOCPATH"), std::setlocale(LC_CTYPE, "C"); }

 private:
  testutil::TempDir dir_;
};

TEST(Paths, EverySeparatorAndEmptyPartInEveryCodePage) {
  const std::string natsu = "\xe5\xa4\x8f", hyo = "\x95\x5c";  // UTF-8 "summer"; a Shift_JIS kanji ending in '\'
  const struct {
    std::string path, base, dir;
    const char* not_in = "";  // the code page in which the name reads otherwise
  } names[] = {{"photo.JPG", "photo", ""}, {"dir.d/photo", "photo", "dir.d/"}, {"a/b\\c.d", "c", "a/b\\"},
               {"a\\.profile", "", "a\\"},  {"album/", "", "album/"},           {"", "", ""},
               {"c:\\book\\x.y.jpg", "x.y", "c:\\book\\"}, {natsu + "/" + natsu + ".jpg", natsu, natsu + "/"},
               {"caf\xe9\\\xe9t\xe9.jpg", "\xe9t\xe9", "caf\xe9\\", "sjis"},  // Latin-1: not UTF-8, a kanji in Shift_JIS
               {"c:\\" + hyo + "\\" + hyo + ".jpg", hyo, "c:\\" + hyo + "\\", "C.UTF-8"}};
  const struct {
    std::string path, parts;  // drive|dir|name|extension
  } splits[] = {{"c:\\book\\2023\\pic.01.jpg", "c:|\\book\\2023\\|pic.01|.jpg"}, {"a:b:c/d", "a:|b:c/|d|"},
                {"/home/my album/IMG 1.JPG", "|/home/my album/|IMG 1|.JPG"}, {"dir/.profile", "|dir/||.profile"},
                {"x.", "||x|."}, {"", "|||"},
                {"d:/" + std::string(300, 'n') + ".jpg", "d:|/|" + std::string(259, 'n') + "|.jpg"}};  // cut to the part's buffer
  shift_jis sjis;
  for (const char* locale : {"C", "C.UTF-8", "sjis"}) {
    if (std::setlocale(LC_CTYPE, locale) == nullptr) {
      EXPECT_STREQ("sjis", locale);  // a system without the Shift_JIS sources
      continue;
    }
    for (const auto& n : names) {
      if (n.not_in == std::string(locale) || (n.path.find(hyo) != std::string::npos && locale != "sjis"s)) continue;
      SCOPED_TRACE(locale + " "s + n.path);
      EXPECT_EQ(n.base, libutils::basename(n.path));
      EXPECT_EQ(n.base, libutils::basename2(n.path));
      EXPECT_EQ(n.dir, libutils::dirname(n.path));
      EXPECT_EQ(n.path.substr(n.dir.size()), libutils::baseptr(n.path.c_str()));
    }
    for (const auto& sp_case : splits) {
      libutils::splitpath_t sp;
      libutils::split(sp, sp_case.path.c_str());
      EXPECT_EQ(sp_case.parts, std::string(sp.drive) + "|" + sp.dir + "|" + sp.fname + "|" + sp.ext) << locale;
      char joined[4 * libutils::max_path];  // room for four whole parts, as the program gives it
      libutils::concat(joined, (std::strcpy(sp.ext, ".html"), sp));
      EXPECT_EQ(std::string(sp.drive) + sp.dir + sp.fname + ".html", joined);
    }
  }
  EXPECT_EQ("a/b/c/", libutils::deliminvert("a\\b/c\\"));
  for (const auto& [name, ext, sign] : {std::tuple{"IMG.JPG", ".jpg", 0}, {"clip.MoV", ".mov", 0}, {"a", ".jpg", -1},
                                        {"x.jpeg", ".jpg", 1}, {".jpg", ".jpg", 0}})
    EXPECT_EQ(sign, std::min(1, std::max(-1, libutils::extcasecmp(name, ext)))) << name;
}

TEST(Strings, LinesAndTokens) {
  std::string line = "a \t\0\r\n\r\n"s, text = line, ends = "\r\n";
  libutils::chop(line), libutils::chop2(text), libutils::chop(ends);
  EXPECT_EQ("a \t\0"s + "a" + "", line + text + ends);  // line ends only; blanks and zeros too
  names_t tokens = {""};  // added to what the list holds; empty ones kept but the last
  libutils::separate_token(tokens, "a;;b;", ";");
  EXPECT_EQ((names_t{"", "a", "", "b"}), tokens);
  std::pair<std::string, std::string> kv{"k", "v"};
  EXPECT_FALSE(libutils::separate_first_token(kv, "key", '='));
  EXPECT_TRUE(libutils::separate_first_token(kv, "key=a=b", '=') && kv == std::pair("key"s, "a=b"s));
}

}  // namespace
