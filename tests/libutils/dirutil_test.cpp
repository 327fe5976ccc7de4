// Directory listings, rebuild decisions, copies with their times and unique
// temporary directories, checked on real files in a scratch folder.
#include "libutils/dirutil.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace {

using testutil::capture_stderr;
using testutil::exists;
using testutil::read_file;
using testutil::write_file;
using names_t = std::list<std::string>;

void set_mtime(const std::string& path, time_t sec, long nsec = 0) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {sec, nsec}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

struct timespec mtime_of(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mtim;
}

struct timespec atime_of(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_atim;
}

bool same_time(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// --- listings ---------------------------------------------------------------

class Listing : public testing::Test {
 protected:
  void SetUp() override {
    write_file(tmp_ / "b.jpg", "b");
    write_file(tmp_ / "A.JPG", "a");
    write_file(tmp_ / ".hidden", "");
    write_file(tmp_ / "~.jpg", "");
    write_file(tmp_ / "\xe9t\xe9.jpg", "");  // a byte above 0x7f sorts after '~'
    testutil::make_dirs(tmp_ / "sub");
    testutil::make_dirs(tmp_ / "Zdir");
    testutil::make_dirs(tmp_ / ".cache");
    testutil::make_dirs(tmp_ / "my album");
    std::filesystem::create_directory_symlink("sub", tmp_ / "link to sub");
    std::filesystem::create_symlink("b.jpg", tmp_ / "link to b");
    std::filesystem::create_symlink("nowhere", tmp_ / "dangling");
  }
  testutil::TempDir tmp_;
};

TEST_F(Listing, DirectoriesAsStatSeesThemSortedByBytes) {
  names_t out{"stale"};
  EXPECT_TRUE(libutils::getdirs(out, tmp_.path().c_str()));
  EXPECT_EQ(out, (names_t{".cache", "Zdir", "link to sub", "my album", "sub"}));
}

TEST_F(Listing, EverythingElseIsAFile) {
  names_t out{"stale"};
  EXPECT_TRUE(libutils::getfiles(out, tmp_.path().c_str()));
  EXPECT_EQ(out, (names_t{".hidden", "A.JPG", "b.jpg", "dangling", "link to b", "~.jpg",
                          "\xe9t\xe9.jpg"}));
}

TEST_F(Listing, TrailingSeparatorAndEmptyDirectory) {
  names_t out;
  EXPECT_TRUE(libutils::getfiles(out, (tmp_.path() + "/").c_str()));
  EXPECT_EQ(out.size(), 7u);
  out = {"stale"};
  EXPECT_TRUE(libutils::getdirs(out, (tmp_ / "sub").c_str()));
  EXPECT_TRUE(out.empty());
  out = {"stale"};
  EXPECT_TRUE(libutils::getfiles(out, (tmp_ / "sub").c_str()));
  EXPECT_TRUE(out.empty());
}

TEST_F(Listing, UnlistableDirectoryFailsWithAnEmptyList) {
  for (const std::string& dir : {tmp_ / "missing", tmp_ / "b.jpg", tmp_ / "dangling"}) {
    SCOPED_TRACE(dir);
    names_t out{"stale"};
    EXPECT_FALSE(libutils::getdirs(out, dir.c_str()));
    EXPECT_TRUE(out.empty());
    out = {"stale"};
    EXPECT_FALSE(libutils::getfiles(out, dir.c_str()));
    EXPECT_TRUE(out.empty());
  }
}

TEST_F(Listing, EmptyNameListsTheCurrentDirectory) {
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(tmp_ / "my album");
  write_file("inside.jpg", "");
  names_t out;
  const bool ok = libutils::getfiles(out, "");
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(ok);
  EXPECT_EQ(out, names_t{"inside.jpg"});
}

// --- need_update ------------------------------------------------------------

TEST(NeedUpdate, ComparesWholeSeconds) {
  struct case_t {
    const char* what;
    bool source, target;  // whether each exists
    time_t source_sec;
    long source_nsec;
    time_t target_sec;
    long target_nsec;
    bool expected;
  };
  const std::vector<case_t> cases = {
      {"both missing", false, false, 0, 0, 0, 0, false},
      {"source missing", false, true, 0, 0, 1000, 0, false},
      {"target missing", true, false, 1000, 0, 0, 0, true},
      {"same second", true, true, 1000, 0, 1000, 0, false},
      {"same second, source later within it", true, true, 1000, 900000000, 1000, 100000000,
       false},
      {"source a second later", true, true, 1001, 0, 1000, 999999999, true},
      {"source older", true, true, 999, 0, 1000, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testutil::TempDir tmp;
    const std::string source = tmp / "IMG 1.jpg";
    const std::string target = tmp / "IMG 1.html";
    if (c.source) {
      write_file(source, "s");
      set_mtime(source, c.source_sec, c.source_nsec);
    }
    if (c.target) {
      write_file(target, "t");
      set_mtime(target, c.target_sec, c.target_nsec);
    }
    EXPECT_EQ(libutils::need_update(source, target), c.expected);
  }
}

// --- filecopy and copydate --------------------------------------------------

class Copy : public testing::Test {
 protected:
  testutil::TempDir tmp_;
  std::string from_ = tmp_ / "from file.bin";
  std::string to_ = tmp_ / "to file.bin";
};

// Bytes that differ with their position, so a chunk written at the wrong
// place or twice shows.
std::string patterned(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 2654435761u) >> 13);
  return s;
}

TEST_F(Copy, LargeFileInChunksWithItsTime) {
  const std::string data = patterned(40u << 20);  // 16 + 16 + 8 MiB
  write_file(from_, data);
  set_mtime(from_, 1500000000, 123456789);
  write_file(to_, std::string(50u << 20, 'x'));  // longer: must be truncated
  bool ok = false;
  EXPECT_EQ(capture_stderr([&] { ok = libutils::filecopy(from_.c_str(), to_.c_str()); }), "");
  EXPECT_TRUE(ok);
  EXPECT_TRUE(read_file(to_) == data) << "copy differs from the source";
  EXPECT_TRUE(same_time(mtime_of(to_), mtime_of(from_)));
}

TEST_F(Copy, EmptyFile) {
  write_file(from_, "");
  set_mtime(from_, 1000);
  EXPECT_TRUE(libutils::filecopy(from_.c_str(), to_.c_str()));
  EXPECT_TRUE(exists(to_));
  EXPECT_EQ(read_file(to_), "");
  EXPECT_EQ(mtime_of(to_).tv_sec, 1000);
}

TEST_F(Copy, ReportLines) {
  struct case_t {
    const char* what;
    std::string from, to;
    std::string report;
  };
  testutil::make_dirs(tmp_ / "a dir");
  write_file(from_, "data");
  struct stat dir_stat {};
  ASSERT_EQ(::stat((tmp_ / "a dir").c_str(), &dir_stat), 0);
  const std::string dir_size = std::to_string(dir_stat.st_size);
  const std::vector<case_t> cases = {
      {"missing source", tmp_ / "missing", to_, tmp_ / "missing: stat(2) error.\n"},
      {"target folder missing", from_, tmp_ / "no/to", tmp_ / "no/to: No such file or directory\n"},
      // A directory opens but reads nothing of the size stat gives it.
      {"source is a directory", tmp_ / "a dir", to_,
       tmp_ / "a dir: " + dir_size + ": ifs read failed.\n" + tmp_ / "a dir: ifs failed.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool ok = true;
    EXPECT_EQ(capture_stderr([&] { ok = libutils::filecopy(c.from.c_str(), c.to.c_str()); }),
              c.report);
    EXPECT_FALSE(ok);
  }
  EXPECT_FALSE(exists(tmp_ / "missing"));
}

// filecopy with the process's file size limit lowered, for a child process.
bool copy_under_size_limit(const std::string& from, const std::string& to, rlim_t limit) {
  const struct rlimit lim = {limit, limit};
  ::setrlimit(RLIMIT_FSIZE, &lim);
  std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  return libutils::filecopy(from.c_str(), to.c_str());
}

TEST_F(Copy, WriteFailureKeepsThePartialTargetWithTheSourcesTime) {
  write_file(from_, patterned(2u << 20));
  set_mtime(from_, 1400000000, 5);
  // In a child: a file size limit of 1 MiB makes the write fail half-way.
  EXPECT_EXIT(std::exit(copy_under_size_limit(from_, to_, 1u << 20) ? 0 : 1),
              testing::ExitedWithCode(1), testing::Eq(to_ + ": ofs failed.\n"));
  EXPECT_EQ(read_file(to_), patterned(1u << 20));
  EXPECT_TRUE(same_time(mtime_of(to_), mtime_of(from_)));
}

TEST_F(Copy, CopydateSetsOnlyTheModificationTime) {
  write_file(from_, "f");
  write_file(to_, "t");
  set_mtime(from_, 1300000000, 42);
  const struct timespec to_atime = atime_of(to_);
  EXPECT_EQ(capture_stderr([&] { EXPECT_TRUE(libutils::copydate(from_.c_str(), to_.c_str())); }),
            "");
  EXPECT_TRUE(same_time(mtime_of(to_), mtime_of(from_)));
  EXPECT_TRUE(same_time(atime_of(to_), to_atime));
  EXPECT_EQ(read_file(to_), "t");
}

TEST_F(Copy, CopydateMakesAMissingTargetEmpty) {
  write_file(from_, "f");
  set_mtime(from_, 1300000000);
  EXPECT_TRUE(libutils::copydate(from_.c_str(), to_.c_str()));
  EXPECT_EQ(read_file(to_), "");
  EXPECT_EQ(mtime_of(to_).tv_sec, 1300000000);
}

TEST_F(Copy, CopydateReports) {
  write_file(from_, "f");
  write_file(to_, "t");
  set_mtime(to_, 1200000000);
  testutil::make_dirs(tmp_ / "a dir");
  struct case_t {
    const char* what;
    std::string from, to, report;
  };
  const std::vector<case_t> cases = {
      {"missing source is not created", tmp_ / "missing", to_,
       tmp_ / "missing: from createfile failed.\n"},
      {"target folder missing", from_, tmp_ / "no/to", tmp_ / "no/to: to createfile failed.\n"},
      {"target is a directory", from_, tmp_ / "a dir", tmp_ / "a dir: to createfile failed.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool ok = true;
    EXPECT_EQ(capture_stderr([&] { ok = libutils::copydate(c.from.c_str(), c.to.c_str()); }),
              c.report);
    EXPECT_FALSE(ok);
  }
  EXPECT_FALSE(exists(tmp_ / "missing"));
  EXPECT_EQ(mtime_of(to_).tv_sec, 1200000000);
}

// --- mkdtemp ----------------------------------------------------------------

const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

std::string suffix_of(uint64_t value) {
  std::string s;
  for (int i = 0; i < 6; ++i, value /= 62) s += letters[value % 62];
  return s;
}

uint64_t value_of(const std::string& suffix) {
  uint64_t v = 0;
  for (size_t i = suffix.size(); i-- > 0;) v = v * 62 + letters.find(suffix[i]);
  return v;
}

std::string make_temp(const std::string& templ) {
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  const char* r = libutils::mkdtemp(buf.data());
  EXPECT_EQ(r, buf.data());
  return r != nullptr ? std::string(r) : std::string();
}

TEST(Mkdtemp, RejectsTemplatesWithoutSixTrailingXs) {
  testutil::TempDir tmp;
  for (const std::string& t : {tmp / "XXXXX", tmp / "bookXXXXXXy", std::string("XXXXX"),
                               std::string("")}) {
    SCOPED_TRACE(t);
    std::vector<char> buf(t.begin(), t.end());
    buf.push_back('\0');
    errno = 0;
    EXPECT_EQ(libutils::mkdtemp(buf.data()), nullptr);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(std::string(buf.data()), t);
  }
}

TEST(Mkdtemp, MakesDistinctDirectoriesAndKeepsErrno) {
  testutil::TempDir tmp;
  const std::string templ = tmp / "pictora.XXXXXX";
  const mode_t old_mask = ::umask(022);
  errno = 1234;
  const std::string first = make_temp(templ);
  EXPECT_EQ(errno, 1234);
  const std::string second = make_temp(templ);
  ::umask(old_mask);

  EXPECT_NE(first, second);
  for (const std::string& made : {first, second}) {
    SCOPED_TRACE(made);
    ASSERT_EQ(made.size(), templ.size());
    EXPECT_EQ(made.substr(0, made.size() - 6), templ.substr(0, templ.size() - 6));
    EXPECT_EQ(made.find_first_not_of(letters, made.size() - 6), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0755u);
  }
}

TEST(Mkdtemp, OtherFailuresKeepTheirErrno) {
  testutil::TempDir tmp;
  std::string t = tmp / "missing/XXXXXX";
  errno = 0;
  EXPECT_EQ(libutils::mkdtemp(t.data()), nullptr);
  EXPECT_EQ(errno, ENOENT);
}

// The names follow one counter: each call adds the process id XOR the
// shifted time seed, and each name already taken adds 7777.
TEST(Mkdtemp, StepsPastTakenNames) {
  testutil::TempDir tmp;
  const std::string templ = tmp / "t-XXXXXX";
  const std::string prefix = templ.substr(0, templ.size() - 6);
  const uint64_t pid = static_cast<uint64_t>(::getpid());
  for (int attempt = 0; attempt < 5; ++attempt) {
    const std::string first = make_temp(templ);
    const uint64_t value = value_of(first.substr(prefix.size()));
    const time_t now = std::time(nullptr);
    const uint32_t seed =
        static_cast<uint32_t>(now) ^ (static_cast<uint32_t>(pid) << 16);
    const uint64_t next = value + (pid ^ (static_cast<uint64_t>(seed) << 8));
    testutil::make_dirs(prefix + suffix_of(next));
    testutil::make_dirs(prefix + suffix_of(next + 7777));
    const std::string second = make_temp(templ);
    const int seed_now = libutils::TimeToSeed();
    if (std::time(nullptr) != now) continue;  // the seed changed under us
    EXPECT_EQ(seed_now, static_cast<int>(seed));
    EXPECT_EQ(second, prefix + suffix_of(next + 2 * 7777));
    return;
  }
  FAIL() << "the clock kept crossing a second";
}

TEST(CreateTempBeside, MakesFreshEmptyFilesBesideTheTarget) {
  testutil::TempDir tmp;
  const std::string target = tmp / "a.jpg";
  const std::string prefix = target + ".tmp" + std::to_string(::getpid()) + "-";
  const std::string first = libutils::create_temp_beside(target);
  const std::string second = libutils::create_temp_beside(target, ".mp4");
  ASSERT_EQ(first.compare(0, prefix.size(), prefix), 0) << first;
  ASSERT_EQ(second.compare(0, prefix.size(), prefix), 0) << second;
  EXPECT_NE(first, second);
  EXPECT_EQ(second.substr(second.size() - 4), ".mp4");
  EXPECT_EQ(testutil::read_file(first), "");
  EXPECT_TRUE(testutil::exists(second));
  EXPECT_FALSE(testutil::exists(target));

  errno = 0;
  EXPECT_EQ(libutils::create_temp_beside(tmp / "missing/a.jpg"), "");
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
