#include "app/import.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::capture_stderr;
using testutil::read_file;
using testutil::TempDir;
using testutil::write_file;

// A camera folder and an album "trip/day1" below a fresh base.
class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : album{base.path(), "trip", "day1"} {
    testutil::make_dirs(camera.path());
    testutil::make_dirs(base / "trip/day1");  // "txt" is made when a side file needs it
    progress.connect([this](double f) { emitted.push_back(f); });
  }
  std::string in_album(const std::string& rel) const { return base / ("trip/day1/" + rel); }

  TempDir camera;
  TempDir base;
  path_t album;
  sigc::signal<void, double> progress;
  std::vector<double> emitted;
};

TEST_F(ImportTest, CopiesMediaIntoOriginalAndOtherFilesIntoTxtKeepingTimes) {
  const std::string jpeg = testutil::make_jpeg({32, 16});
  const struct {
    std::string name;
    std::string bytes;
    std::string dir;
  } cases[] = {
      {"IMG_1.JPG", jpeg, "original"},   {"b.jpeg", jpeg, "original"},
      {"clip.Mp4", "movie", "original"}, {"clip.MOV", "movie", "original"},
      {"old.avi", "avi", "original"},    {"old.mpg", "mpg", "original"},
      {"voice.wav", "wav", "original"},  {"song.mp3", "mp3", "original"},
      {"memo.m4a", "m4a", "original"},   {"notes.txt", "notes", "txt"},
      {"IMG_1.JPG.bak", "x", "txt"},
  };
  std::vector<files_t> files;
  for (const auto& c : cases) {
    write_file(camera / c.name, c.bytes);
    files.push_back({c.name, 0});
  }
  // Sources with a time in the past, so that a copy made now would differ.
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1500000000, 123456789}};
  for (const auto& c : cases) ::utimensat(AT_FDCWD, (camera / c.name).c_str(), times, 0);
  const auto source_before = testutil::folder_state(camera.path());

  ASSERT_TRUE(copyfiles(camera.path(), files, album, progress));

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const testutil::file_state_t copy = testutil::file_state(in_album(c.dir + "/" + c.name));
    EXPECT_EQ(copy.bytes, c.bytes);
    EXPECT_EQ(copy.mtime_ns, int64_t{1500000000} * 1000000000 + 123456789);
  }
  EXPECT_EQ(testutil::folder_state(camera.path()), source_before);
  ASSERT_EQ(emitted.size(), std::size(cases));
  for (size_t i = 0; i < emitted.size(); ++i)
    EXPECT_DOUBLE_EQ(emitted[i], double(i + 1) / double(std::size(cases)));
  // Nothing but the copies is left in the album: no temporary files.
  EXPECT_EQ(testutil::folder_state(in_album("original")).size(), 9u);
  EXPECT_EQ(testutil::folder_state(in_album("txt")).size(), 2u);
}

TEST_F(ImportTest, ReplacesAnExistingTargetAndNeverWritesThroughALink) {
  write_file(camera / "a.jpg", "new bytes");
  testutil::make_dirs(in_album("original"));
  write_file(base / "elsewhere.jpg", "keep me");
  ASSERT_EQ(::symlink((base / "elsewhere.jpg").c_str(), in_album("original/a.jpg").c_str()), 0);
  write_file(camera / "b.jpg", "b new");
  write_file(in_album("original/b.jpg"), "b old, longer than the new one");

  ASSERT_TRUE(copyfiles(camera.path(), {{"a.jpg", 0}, {"b.jpg", 2}}, album, progress));

  EXPECT_EQ(read_file(base / "elsewhere.jpg"), "keep me");
  struct stat st;
  ASSERT_EQ(::lstat(in_album("original/a.jpg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(read_file(in_album("original/a.jpg")), "new bytes");
  EXPECT_EQ(read_file(in_album("original/b.jpg")), "b new");
}

TEST_F(ImportTest, StopsAtTheFirstFileThatCannotBeCopied) {
  write_file(camera / "a.jpg", "a");
  write_file(camera / "c.jpg", "c");
  bool ok = true;
  const std::string err = capture_stderr([&] {
    ok = copyfiles(camera.path(), {{"a.jpg", 0}, {"missing.jpg", 0}, {"c.jpg", 0}}, album,
                   progress);
  });
  EXPECT_FALSE(ok);
  EXPECT_NE(err.find(camera / "missing.jpg" + ": file copy fail.\n"), std::string::npos) << err;
  EXPECT_EQ(read_file(in_album("original/a.jpg")), "a");
  EXPECT_FALSE(testutil::exists(in_album("original/c.jpg")));
  EXPECT_EQ(emitted, std::vector<double>{1.0 / 3});
}

TEST_F(ImportTest, AnEmptyListMakesOriginalAndEmitsNothing) {
  EXPECT_TRUE(copyfiles(camera.path(), {}, album, progress));
  EXPECT_TRUE(std::filesystem::is_directory(in_album("original")));
  EXPECT_TRUE(emitted.empty());
}

// Decoded pixels of a file.
testutil::decoded_t decode(const std::string& path) {
  return testutil::reference_decode(read_file(path));
}

TEST(RotateJpeg, TurnsThePictureLosslesslyByQuarterTurns) {
  TempDir dir;
  testutil::jpeg_options o(48, 32);
  testutil::camera_settings camera;
  camera.orientation = 6;
  o.app1 = testutil::camera_exif(camera).app1_payload();
  testutil::write_jpeg(dir / "src.jpg", o);
  const testutil::decoded_t source = decode(dir / "src.jpg");
  const auto before = testutil::file_state(dir / "src.jpg");

  for (unsigned code = 0; code < 4; ++code) {
    SCOPED_TRACE(code);
    const std::string dst = dir / ("turned" + std::to_string(code) + ".jpg");
    ASSERT_TRUE(rotatejpeg(dir / "src.jpg", dst, code));
    const testutil::decoded_t turned = decode(dst);
    EXPECT_EQ(turned.width, code % 2 ? 32u : 48u);
    EXPECT_EQ(turned.height, code % 2 ? 48u : 32u);
    // Chroma upsampling and the separable inverse DCT round a little
    // differently once the blocks are turned.
    EXPECT_LE(testutil::max_difference(turned, testutil::rotate_reference(source, code)), 6u);
    for (unsigned wrong = 1; wrong < 4; ++wrong)
      EXPECT_GT(testutil::max_difference(turned, testutil::rotate_reference(source, code + wrong)),
                40u);
    // The EXIF block with its orientation does not come along.
    EXPECT_EQ(read_file(dst).find("Exif"), std::string::npos);
  }
  EXPECT_EQ(testutil::file_state(dir / "src.jpg"), before);
}

TEST(RotateJpeg, TurnsAFileInPlaceAndReplacesALinkAtTheTarget) {
  TempDir dir;
  testutil::write_jpeg(dir / "a.jpg", {48, 32});
  testutil::write_jpeg(dir / "keep.jpg", {16, 16});
  const std::string keep = read_file(dir / "keep.jpg");
  ASSERT_EQ(::symlink("keep.jpg", (dir / "link.jpg").c_str()), 0);

  ASSERT_TRUE(rotatejpeg(dir / "a.jpg", dir / "a.jpg", 1));
  ASSERT_TRUE(rotatejpeg(dir / "a.jpg", dir / "link.jpg", 2));

  EXPECT_EQ(decode(dir / "a.jpg").width, 32u);
  EXPECT_EQ(read_file(dir / "keep.jpg"), keep);
  struct stat st;
  ASSERT_EQ(::lstat((dir / "link.jpg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(decode(dir / "link.jpg").height, 48u);
  EXPECT_EQ(testutil::folder_state(dir.path()).size(), 3u);
}

TEST(RotateJpeg, FailuresAreReportedAndLeaveTheTargetAlone) {
  TempDir dir;
  testutil::write_jpeg(dir / "a.jpg", {16, 16});
  write_file(dir / "dst.jpg", "old");
  write_file(dir / "garbage.jpg", "not a picture at all");
  const auto dst_before = testutil::file_state(dir / "dst.jpg");
  const struct {
    std::string src;
    unsigned long long code;
    std::string report;
  } cases[] = {
      {dir / "a.jpg", 4, "4: jpeg transform rightrotate count over.\n" + dir / "a.jpg" +
                             ": transform() fail.\n"},
      {dir / "missing.jpg", 1, dir / "missing.jpg" + ": rotatejpeg() jpegdata load fail.\n"},
      {dir / "garbage.jpg", 1, dir / "garbage.jpg" + ": transform() fail.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.src);
    bool ok = true;
    const std::string err = capture_stderr([&] { ok = rotatejpeg(c.src, dir / "dst.jpg", c.code); });
    EXPECT_FALSE(ok);
    // Lower layers may add their own lines first; ours comes last.
    ASSERT_GE(err.size(), c.report.size()) << err;
    EXPECT_EQ(err.substr(err.size() - c.report.size()), c.report) << err;
    EXPECT_EQ(testutil::file_state(dir / "dst.jpg"), dst_before);
  }
}

struct stat lstat_of(const std::string& path) {
  struct stat st {};
  ::lstat(path.c_str(), &st);
  return st;
}

// An album-like folder: "original/a.jpg" and an empty "size0".
class CopyJpegTest : public ::testing::Test {
 protected:
  CopyJpegTest() {
    testutil::make_dirs(dir / "original");
    testutil::make_dirs(dir / "size0");
    write_file(src, "picture bytes");
  }
  TempDir dir;
  const std::string src = dir / "original/a.jpg";
  const std::string dst = dir / "size0/a.jpg";
};

TEST_F(CopyJpegTest, PrefersARelativeSymbolicLinkIntoOriginal) {
  write_file(dst, "stale");
  ASSERT_TRUE(copyjpeg(src, dst, "../original/a.jpg"));
  char target[256] = {};
  ASSERT_GT(::readlink(dst.c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "../original/a.jpg");
  EXPECT_EQ(read_file(dst), "picture bytes");
  // Backslashes of stored paths become the system's separator.
  ASSERT_TRUE(copyjpeg(src, dst, "..\\original\\a.jpg"));
  std::fill(std::begin(target), std::end(target), 0);
  ASSERT_GT(::readlink(dst.c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "../original/a.jpg");
}

TEST_F(CopyJpegTest, FallsBackToAHardLinkWhenNoSymbolicLinkCanBeMade) {
  // A link target longer than the system accepts makes symlink(2) fail.
  const std::string too_long(5000, 'x');
  bool ok = false;
  const std::string err = capture_stderr([&] { ok = copyjpeg(src, dst, too_long); });
  ASSERT_TRUE(ok);
  EXPECT_EQ(err, too_long + " to " + dst + ": symlink failed." + std::to_string(ENAMETOOLONG) +
                     " " + std::strerror(ENAMETOOLONG) + "\n");
  EXPECT_EQ(lstat_of(dst).st_ino, lstat_of(src).st_ino);
}

TEST_F(CopyJpegTest, EndsWithACopyWhenNeitherLinkWorks) {
  // Hard links cannot cross file systems; /dev/shm is another one here.
  const std::string shm = "/dev/shm";
  if (!std::filesystem::is_directory(shm) || lstat_of(shm).st_dev == lstat_of(dir.path()).st_dev)
    GTEST_SKIP() << "no second file system to copy from";
  const std::string far = shm + "/pictora-copyjpeg-" + std::to_string(::getpid()) + ".jpg";
  write_file(far, "far bytes");
  const std::string too_long(5000, 'x');
  bool ok = false;
  const std::string err = capture_stderr([&] { ok = copyjpeg(far, dst, too_long); });
  ::unlink(far.c_str());
  ASSERT_TRUE(ok);
  EXPECT_NE(err.find(": symlink failed."), std::string::npos) << err;
  EXPECT_NE(err.find(far + " to " + dst + ": hard link fail.\n"), std::string::npos) << err;
  EXPECT_TRUE(S_ISREG(lstat_of(dst).st_mode));
  EXPECT_EQ(read_file(dst), "far bytes");
}

TEST_F(CopyJpegTest, LinksReplaceFilesAndDanglingLinks) {
  ASSERT_EQ(::symlink("nowhere", dst.c_str()), 0);
  ASSERT_TRUE(hardlinkone(src, dst));
  EXPECT_EQ(lstat_of(dst).st_ino, lstat_of(src).st_ino);
  ASSERT_TRUE(symlinkone("../original/a.jpg", dst));
  EXPECT_TRUE(S_ISLNK(lstat_of(dst).st_mode));
  EXPECT_EQ(read_file(src), "picture bytes");
  std::string err = capture_stderr([&] { EXPECT_FALSE(hardlinkone(dir / "none.jpg", dst)); });
  EXPECT_EQ(err, dir / "none.jpg" + " to " + dst + ": hard link fail.\n");
}

TEST(IsExist, IgnoresOneTrailingSlash) {
  TempDir dir;
  testutil::make_dirs(dir / "sub");
  write_file(dir / "file", "x");
  ASSERT_EQ(::symlink("missing", (dir / "dangling").c_str()), 0);
  const struct {
    std::string path;
    bool exists;
  } cases[] = {
      {dir / "sub", true},       {dir / "sub/", true},  {dir / "file", true},
      {dir / "file/", true},     {dir / "none", false}, {dir / "none/", false},
      {dir / "dangling", false}, {"", false},           {"/", true},
  };
  for (const auto& c : cases) EXPECT_EQ(is_exist(c.path), c.exists) << c.path;
}

// Points TEMP at a fresh folder for one test and restores it after.
class TempHolderTest : public ::testing::Test {
 protected:
  TempHolderTest() {
    if (const char* old = std::getenv("TEMP")) saved = old, had = true;
    ::setenv("TEMP", root.path().c_str(), 1);
  }
  ~TempHolderTest() override {
    if (had)
      ::setenv("TEMP", saved.c_str(), 1);
    else
      ::unsetenv("TEMP");
  }
  size_t entries() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(root.path()),
                                             std::filesystem::directory_iterator()));
  }
  TempDir root;
  std::string saved;
  bool had = false;
};

TEST_F(TempHolderTest, InitTwiceMakesOneDirectoryThatDestroyRemoves) {
  temp_t temp;
  EXPECT_FALSE(temp.owned());
  ASSERT_TRUE(temp.init("pictora"));
  const std::string first = temp.path();
  ASSERT_TRUE(temp.init("pictora"));
  EXPECT_EQ(temp.path(), first);
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(first.rfind(root / "pictora.", 0), 0u) << first;
  EXPECT_EQ(first.size(), (root / "pictora.XXXXXX").size());
  write_file(first + "/still.jpg", "x");
  temp.destroy();
  EXPECT_FALSE(temp.owned());
  EXPECT_EQ(entries(), 0u);
  temp.destroy();  // owns nothing: nothing happens
  EXPECT_EQ(entries(), 0u);
}

TEST_F(TempHolderTest, ATemplateNameIsUsedAsItIsAndTheDestructorCleansUp) {
  {
    temp_t temp;
    ASSERT_TRUE(temp.init("workXXXXXX"));
    EXPECT_EQ(temp.path().rfind(root / "work", 0), 0u);
    EXPECT_EQ(temp.path().size(), (root / "workXXXXXX").size());
    EXPECT_TRUE(std::filesystem::is_directory(temp.path()));
  }
  EXPECT_EQ(entries(), 0u);
}

TEST_F(TempHolderTest, AMissingRootIsReported) {
  ::setenv("TEMP", (root / "missing").c_str(), 1);
  temp_t temp;
  bool ok = true;
  const std::string err = capture_stderr([&] { ok = temp.init("pictora"); });
  EXPECT_FALSE(ok);
  EXPECT_FALSE(temp.owned());
  EXPECT_EQ(err, root / "missing/pictora.XXXXXX" + ": mkdtemp failed.\n");
}

}  // namespace
}  // namespace pictora
