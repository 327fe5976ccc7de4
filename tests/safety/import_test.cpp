// What a build meets in a camera folder and how it tells its failures: a
// pipe is skipped, names as long as a name may be are built like any other,
// cards as they come give the albums a user expects, two builds of one
// album never mix, a file that does not fit is named with the system's
// reason, ffmpeg's log is shown only when ffmpeg failed, a missing
// accelerator costs one line, and a quiet build says nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <thread>
#include <utility>

#include "app/import.h"
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

// Cards as they come and the book each leaves, file by file below the book:
// "=NAME" the bytes of the card's NAME, "!" nothing there, "+RE" / "-RE" a
// file that holds / does not hold RE. A card's pictures and movies are
// real; its other files hold their own names. Every run is quiet, so
// standard error holds only the refusals and warnings expected, whole, the
// folders named as given, ../card and ../book.
TEST(Import, CardsGiveTheAlbumsAUserExpects) {
  const char* const make_a = R"(pictora make-album "$CARD" "$BOOK/a" --title T)";
  const std::string skipped = ": not a regular file, skipped\\.\n", ignored = ": not a file name of the album, line ignored\\.\n";
  const struct {
    const char* what;
    std::vector<std::string> card;
    std::string before, command;  // shell commands: pictora runs pictora-cli, $CARD and $BOOK are the folders
    int status;
    std::string err;  // a pattern
    std::vector<std::pair<std::string, std::string>> book;
  } cases[] = {
      {"a dotted album beside its stem, updated", {"P1.JPG", "P2.JPG"}, R"(pictora make-album "$CARD" "$BOOK/2026.05" --title T --pick P1.JPG)",
       R"(pictora make-album "$CARD" "$BOOK/2026.05.01 Trip" --title T --force --pick P2.JPG &&
          printf 'New\nNew\n' > "$BOOK/2026.05.01 Trip/txt/head.txt" && pictora update "$BOOK/2026.05.01 Trip")", 0, "",
       {{"2026.05/original/P2.JPG", "!"}, {"2026.05.01 Trip/original/P2.JPG", "=P2.JPG"}, {"index.html", "+\"2026.05.01 Trip/"},
        {"2026.05.01 Trip/index.html", "+New"}}},
      {"three dots and two", {"P1.JPG"}, R"(pictora make-album "$CARD" "$BOOK/..." --title T)",
       R"(pictora make-album "$CARD" "$BOOK/.." --title T --force)", 2,
       "pictora-cli: No album name is given.\npictora-cli: ..: not a name of one directory.\n",
       {{".../original/P1.JPG", "=P1.JPG"}, {"original", "!"}}},
      {"the album's own texts on the card, a still and its movie",
       {"P1.JPG", "P1.MOV", "head.txt", "secret.txt", "best.txt", "P1.txt", "notes.txt"}, "", make_a, 0, "",
       {{"a/txt/head.txt", "+^T\r\nT\r\n$"}, {"a/txt/from-card/head.txt", "=head.txt"}, {"a/txt/from-card/secret.txt", "=secret.txt"},
        {"a/txt/from-card/best.txt", "=best.txt"}, {"a/txt/from-card/P1.txt", "=P1.txt"}, {"a/txt/notes.txt", "=notes.txt"},
        {"index.html", "+\"a/"}, {"a/index.html", "-card's"}, {"a/html/P1_1.html", "+size1/P1.JPG"}, {"a/movie0/P1.mp4", "+."}}},
      {"pictures and movies that would share their pages", {"w.jpg", "w.HEIC", "x.jpg", "x.JPG", "y.MOV", "y.mp4", "z.mov", "z_1.jpg"},
       "", make_a, 2,
       "pictora-cli: ../card/w.HEIC and ../card/w.jpg: both become html/w_N.html, .*\n"
       "pictora-cli: ../card/x.JPG and ../card/x.jpg: both become html/x_N.html, and one of them would be lost from the pages; leave "
       "one out or rename it.\n.*../card/y.MOV and ../card/y.mp4: both become movieN/y.mp4, .*\n.*../card/z.mov and ../card/z_1.jpg: both "
       "become html/z_1_N.html, .*\n", {{"a", "!"}}},
      {"a new picture against the album's", {"x.jpg", "x.JPG", "n.jpg"},
       std::string(make_a) + R"( --pick x.jpg && echo left > "$BOOK/a/txt/n.txt")", std::string(make_a) + " --force --pick x.JPG --pick n.jpg",
       2, "pictora-cli: ../book/a/original/x.jpg and ../card/x.JPG: both become html/x_N.html, .*\npictora-cli: ../book/a/txt/n.txt and "
       "../card/n.jpg: the text already in the album would become the comment of .*\n", {{"a/original/x.JPG", "!"}, {"a/original/n.jpg", "!"}}},
      {"an album built with two pictures of one page", {"x.jpg", "x.JPG"},
       std::string(make_a) + R"( --pick x.jpg && cp "$CARD/x.JPG" "$BOOK/a/original")", R"(pictora update "$BOOK/a")", 1,
       "../book/a/original/x.JPG and ../book/a/original/x.jpg: both become html/x_N.html, so one of them is missing from the pages; "
       "rename one of them in original.\n", {{"a/index.html", "+size1/x\\.JPG"}}},
      {"list lines that leave the album", {"good.jpg", "x.jpg"},
       std::string(make_a) + R"( --pick good.jpg && pictora make-album "$CARD" "$BOOK/b" --title T --pick x.jpg --secret &&
          printf '%s\r\n' good.jpg ../../b/original/x.jpg .. 'size1\..\..\b\original\x.jpg' > "$BOOK/a/txt/best.txt")",
       R"(pictora best-book "$BOOK" best)", 0, "../book/a/txt/best.txt: \\.\\./\\.\\./b/original/x\\.jpg" + ignored +
           "../book/a/txt/best.txt: \\.\\." + ignored + "../book/a/txt/best.txt: size1.*x\\.jpg" + ignored,
       {{"_BestBook/index.html", "+good\\.jpg"}, {"_BestBook/index.html", "-x\\.jpg"}}},
      {"an album another process holds", {"P1.JPG", "P2.JPG"}, std::string(make_a) + " --pick P1.JPG",
       std::string(R"(exec 9< "$BOOK/a" && flock 9 && )") + make_a + R"( --force --pick P2.JPG || s=$?
          pictora update "$BOOK/a" || exit $((s * 10 + $?)))", 21,
       "pictora-cli: ../book/a: another build or update is working in this album; nothing was copied.\n../book/a: another build or "
       "update is working in this album; it was not updated.\n", {{"a/original/P2.JPG", "!"}}},
      // Nobody writes to the pipes, and the device never ends.
      {"pipes and devices where texts are read", {"P1.JPG"}, std::string(make_a) + R"( && cd "$BOOK" &&
          mkdir -p sub/txt txt ../config/pictora && echo S > sub/txt/head.txt && echo S >> sub/txt/head.txt &&
          rm a/txt/head.txt a/txt/last.txt && ln -s /dev/zero a/txt/last.txt && mkfifo ../config/pictora/pictora.ini \
          a/.pictora-build a/txt/head.txt a/txt/best.txt a/txt/P1.txt txt/head.txt sub/txt/count.txt)",
       R"(pictora update "$BOOK")", 0,
       ".*/config/pictora/pictora\\.ini" + skipped + "../book/a/\\.pictora-build" + skipped + "../book/a/txt/best\\.txt" + skipped +
           "../book/a/txt/head\\.txt" + skipped + "../book/a/txt/last\\.txt" + skipped + "../book/a/txt/P1\\.txt" + skipped +
           "../book/txt/head\\.txt" + skipped + "../book/sub/txt/count\\.txt" + skipped, {{"a/index.html", "+P1"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    user_t user;
    const std::string card = user / "card", book = user / "book";
    testutil::make_dirs(card);
    for (const std::string& name : c.card)
      pictora::ismovie(name)     ? testutil::write_movie(card + "/" + name, testutil::movie_options(64, 48))
      : pictora::ispicture(name) ? testutil::write_jpeg(card + "/" + name, {64 + static_cast<unsigned>(name.size()), 48})
                                 : testutil::write_file(card + "/" + name, "the card's " + name + "\r\n");
    const auto run = [&](const std::string& script) {  // from the user's working folder, home/cwd
      return user.run({"60", "sh", "-c", "set -e; pictora() { \"$0\" --quiet --set shrink_size=40,40 \"$@\"; }; " + script,
                       testutil::cli_path()}, {"CARD=../card", "BOOK=../book"}, "timeout");
    };
    ASSERT_EQ(run(c.before).status, 0);
    const result_t r = run(c.command);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << r.err;
    for (const auto& [file, expected] : c.book) {
      const std::string bytes = fs::exists(book + "/" + file) ? testutil::read_file(book + "/" + file) : "!";
      if (expected[0] == '+' || expected[0] == '-')
        EXPECT_EQ(std::regex_search(bytes, std::regex(expected.substr(1))), expected[0] == '+') << file << ": " << bytes;
      else
        EXPECT_EQ(bytes, expected[0] == '=' ? testutil::read_file(card + "/" + expected.substr(1)) : expected) << file;
    }
  }
}

// Two builds of one new album started at the same moment (each spins until
// a file appears), whose first directory made is held up by strace so that
// both have looked for the album before either makes it: one builds, the
// other is refused before it copies anything, and the album holds one card
// whole.
TEST(Import, OneBuildOfAnAlbumAtATime) {
  user_t user;
  testutil::make_dirs(user / "card");
  for (const char* name : {"/P1.JPG", "/P2.JPG", "/P3.JPG"}) testutil::write_jpeg(user / "card" + name, {64, 48});
  const words_t picks[2] = {{"--pick", "P1.JPG", "--pick", "P2.JPG"}, {"--pick", "P3.JPG"}};
  for (int round = 0; round < 5; ++round) {
    const std::string album = user / ("book/" + std::to_string(round)), go = user / ("go" + std::to_string(round));
    result_t r[2];
    const auto build = [&](int k) {  // the leak checker does not run traced
      words_t args = {"-c", "until [ -e \"$0\" ]; do :; done; exec \"$@\"", go, "strace", "-f", "-o", "/dev/null", "--seccomp-bpf",
                      "-e", "trace=mkdir", "-e", "inject=mkdir:delay_enter=300000:when=1", testutil::cli_path(), "--quiet",
                      "make-album", user / "card", album, "--title", "T"};
      args.insert(args.end(), picks[k].begin(), picks[k].end());
      r[k] = user.run(args, {"ASAN_OPTIONS=detect_leaks=0:abort_on_error=1"}, "sh");
    };
    std::thread first(build, 0), second(build, 1);
    ::usleep(100000);
    testutil::write_file(go, "");
    first.join(), second.join();
    const int won = r[0].status == 0 ? 0 : 1;
    EXPECT_EQ(r[won].status + r[1 - won].status, 2) << round << r[won].err;
    EXPECT_EQ(r[1 - won].err, "pictora-cli: The album folder already exists. Continue?\npictora-cli: " + album +
                                  ": add --force to build into it.\n");
    EXPECT_EQ(snapshot(album + "/original").size(), picks[won].size() / 2);  // the winner's picks alone
  }
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
      // The file and the reason first, then the detail; nothing else.
      {"a copy", false, {}, half_the_original, 1,
       R"(^\S*camera/big\.jpg: cannot be copied into the album: File too large\n  \S*original/big\.jpg\.tmp[0-9]+-0: )"
       R"(cannot be written: File too large\n[^\n]*failed\.\n$)"},
      {"a level", false, {"--set", "jpeg_compress=100"}, just_over_the_original, 1,
       R"(^\S*size1/big\.jpg: cannot be written: File too large\n  svjdata save\(\) fail\.\n[^\n]*failed\.\n$)"},
      // ffmpeg's own words on a movie that was made lossy.
      {"a conversion", true, {"--set", "ffmpeg=-c:v libx264 -qp 0"}, just_over_the_original, 1,
       R"(^\S*big\.mov: ffmpeg cannot make \S*movie0/big\.mp4 of it; the movie seems broken\n  [^\n]*File too large)"},
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
