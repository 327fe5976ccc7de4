// What a build meets in a camera folder and how it tells its failures: a
// pipe is skipped, names as long as a name may be are built like any other,
// a file that does not fit is named with the system's reason, ffmpeg's log
// is shown only when ffmpeg failed, a missing accelerator costs one line,
// and a quiet build says nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>

#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace safety {
namespace {

namespace fs = std::filesystem;

TEST(Import, SkipsPipesAndBuildsTheLongestNames) {
  user_t user;
  const std::string camera = user / "camera", album = user / "book/album";
  testutil::make_dirs(camera);
  testutil::make_dirs(user / "book/txt");
  const std::string picture = std::string(251, 'p') + ".jpg", movie = std::string(251, 'm') + ".mov";
  testutil::write_jpeg(camera + "/" + picture, {640, 480});
  testutil::write_movie(camera + "/" + movie, testutil::movie_options(320, 240));
  ASSERT_EQ(::mkfifo((camera + "/pipe.jpg").c_str(), 0600), 0);  // nobody ever writes to it

  for (const words_t& args : {words_t{"make-album", camera, album, "--title", "T"}, words_t{"update", album}}) {
    SCOPED_TRACE(args[0]);
    words_t argv = {"120", testutil::cli_path(), "--quiet", "--set", "shrink_size=400,400"};
    argv.insert(argv.end(), args.begin(), args.end());
    const result_t r = user.run(argv, {}, "timeout");
    EXPECT_EQ(r.status, args[0] == "update" ? 1 : 0) << r.err;  // a pipe among the originals is a fault
    const std::string pipes = args[0] == "update" ? album + "/original" : camera;
    EXPECT_EQ(r.err, pipes + "/pipe.jpg: not a regular file, skipped.\n" +
                         (args[0] == "update" ? pipes + "/pipe.mp4: not a regular file, skipped.\n" : ""));
    // Pipes put among the album's own originals.
    for (const char* pipe : {"/original/pipe.jpg", "/original/pipe.mp4"}) ::mkfifo((album + pipe).c_str(), 0600);
  }
  for (const std::string& name : {picture, movie})
    EXPECT_EQ(testutil::read_file(album + "/original/" + name), testutil::read_file(camera + "/" + name));
  const std::string mp4 = std::string(251, 'm') + ".mp4", still = std::string(251, 'm') + ".jpg";
  for (const std::string& made : {"size2/" + picture, "thumb/" + picture, "movie1/" + mp4, "movie1/" + still})
    EXPECT_GT(fs::file_size(album + "/" + made), 0u) << made;
}

// Every build runs quiet, under a limit on the size of the files it may
// write (the limit stands in for a full disk and is made ignorable, so the
// program sees its writes fail): nothing on standard output, and on
// standard error nothing or the failure with its file and reason.
TEST(Import, AFailureCarriesItsFileAndTheSystemsReason) {
  enum limit_t { none, half_the_original, just_over_the_original };
  const struct {
    const char* what;
    bool movie;  // else a picture
    words_t settings;
    limit_t limit;
    int status;
    const char* err;  // a pattern found in standard error
  } cases[] = {
      {"a quiet build", true, {}, none, 0, "^$"},
      // A machine without the accelerator named: converted without it, with
      // one line that names the setting; so with one that ffmpeg replaces by
      // its software decoder, which would leave the smaller copy unscaled.
      {"an absent accelerator", true, {"--set", "hwaccel=-hwaccel vaapi"}, none, 0, "^[^\n]*-hwaccel vaapi[^\n]*\n$"},
      {"no accelerator to pick", true, {"--set", "hwaccel=-hwaccel auto"}, none, 0, "^[^\n]*-hwaccel auto[^\n]*\n$"},
      {"a copy", false, {}, half_the_original, 1,
       R"(original/big\.jpg\.tmp[0-9]+-0: ofs failed\.\n\S*original/big\.jpg\.tmp[0-9]+-0: File too large\n\S*/big\.jpg: file copy fail\.\n)"},
      {"a level", false, {"--set", "jpeg_compress=100"}, just_over_the_original, 1,
       R"(size1/big\.jpgsvjdata save\(\) fail\.\n\S*size1/big\.jpg: File too large\n)"},
      // ffmpeg's own report, lossless, of a movie that was made lossy.
      {"a conversion", true, {"--set", "ffmpeg=-c:v libx264 -qp 0"}, just_over_the_original, 1,
       R"(ffmpeg version[\s\S]*movie0/big\.mp4\.tmp[0-9]+-0\.mp4: File too large)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    user_t user;
    const std::string camera = user / "camera", book = user / "book";
    testutil::make_dirs(camera);
    testutil::make_dirs(book + "/txt");
    const std::string original = camera + (c.movie ? "/big.mov" : "/big.jpg");
    if (c.movie)
      testutil::write_movie(original, testutil::movie_options(640, 480));
    else  // sharp enough to stay detailed at the lowest quality, and so grow when written at the highest
      ASSERT_EQ(testutil::run_program({"ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=2000x2000",
                                       "-frames:v", "1", "-q:v", "31", original}, nullptr, nullptr), 0);
    if (c.what == std::string("a quiet build")) testutil::write_jpeg(camera + "/small.jpg", {64, 48});
    const uintmax_t size = fs::file_size(original);
    const std::string limit = c.limit == none ? "unlimited" : std::to_string(c.limit == half_the_original ? size / 2 : size + 4096);
    words_t argv = {"-c", "trap '' XFSZ; exec prlimit --fsize=" + limit + " \"$@\"", "sh", testutil::cli_path(), "--quiet"};
    argv.insert(argv.end(), c.settings.begin(), c.settings.end());
    argv.insert(argv.end(), {"make-album", camera, book + "/album", "--title", "T"});
    const result_t r = user.run(argv, {}, "sh");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(std::regex_search(r.err, std::regex(c.err))) << r.err;
  }
}

}  // namespace
}  // namespace safety
