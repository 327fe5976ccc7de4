// Camera files named like shell commands are built, updated, shown and
// played like any other: each name stays one argument of the programs
// started, the commands shown can be pasted into a shell, and nothing runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <regex>

#include "app/global.h"
#include "app/launch.h"
#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace safety {
namespace {

namespace fs = std::filesystem;

const std::string movie_a = "a\"$(touch x)\".mp4", picture_b = "b';touch y;'.jpg", movie_c = "c`touch z`'s.mov",
                  picture_d = "d e\nf.jpg";

// How the recorders below log a call: each argument in brackets, then a
// line end.
const std::string log_call = "printf '[%s]' \"$@\"; echo";
std::string call(const words_t& words) {
  std::string line;
  for (const std::string& word : words) line += "[" + word + "]";
  return line + "\n";
}

class ShellNames : public ::testing::Test {
 protected:
  void SetUp() override {
    testutil::make_dirs(bin);
    testutil::make_dirs(camera);
    testutil::write_movie(camera + "/" + movie_a, testutil::movie_options(160, 120));
    fs::copy_file(camera + "/" + movie_a, camera + "/" + movie_c);
    testutil::write_jpeg(camera + "/" + picture_b, {64, 48});
    testutil::write_jpeg(camera + "/" + picture_d, {48, 64});
    user.path_prefix = bin;
  }

  // The program bin/name, which logs its calls into name.args, marks
  // name.done, and then runs `then`.
  std::string recorder(const std::string& name, const std::string& then = "") {
    const std::string log = user / (name + ".args");
    write_script(bin + "/" + name, "{ " + log_call + "; } >> '" + log + "'\n: > '" + log + ".done'\n" + then);
    return log;
  }

  user_t user;
  const std::string bin = user / "bin";
  const std::string camera = user / "camera";
};

TEST_F(ShellNames, BuildAndUpdatePassEachNameAsOneArgument) {
  std::string real_ffmpeg;
  testutil::run_program({"sh", "-c", "command -v ffmpeg"}, &real_ffmpeg, nullptr);
  real_ffmpeg.pop_back();
  const std::string log = recorder("ffmpeg", "exec '" + real_ffmpeg + "' \"$@\"\n");
  const std::string album = user / "book/album";
  // The encoder options are split into words as a shell splits them. One
  // job, so that the log has the calls in the order they are shown.
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--set", "shrink_size=100,100", "--set",
                               "ffmpeg=-c:v libx264 -metadata 'title=$(touch w) x'"});
    args.insert(args.end(), {"--jobs", "1"});
    return user.run(args);
  };
  const result_t build = run({"make-album", camera, album, "--title", "x"});
  ASSERT_EQ(build.status, 0) << build.err;
  fs::remove_all(album + "/movie1");
  fs::remove_all(album + "/size1");
  const result_t update = run({"update", album});
  ASSERT_EQ(update.status, 0) << update.err;

  EXPECT_TRUE(fs::is_empty(user / "cwd"));  // no w, x, y or z
  for (const std::string& name : {movie_a, picture_b, movie_c, picture_d})
    EXPECT_EQ(testutil::read_file(album + "/original/" + name), testutil::read_file(camera + "/" + name)) << name;
  for (const std::string& made : {"movie1/" + movie_a, "size1/" + picture_b, "size1/" + picture_d})
    EXPECT_TRUE(fs::is_regular_file(album + "/" + made)) << made;
  const std::string recorded = testutil::read_file(log);
  EXPECT_NE(recorded.find("[title=$(touch w) x]"), std::string::npos) << recorded;

  // The commands shown on standard output (all but the stills'), run by a
  // shell whose ffmpeg only logs, are the commands that ran.
  testutil::TempDir elsewhere;
  std::string replayed;
  testutil::run_program({"env", "-C", elsewhere.path(), "sh", "-c", "ffmpeg() { " + log_call + "; }\n" + build.out + update.out},
                        &replayed, nullptr);
  EXPECT_EQ(replayed, std::regex_replace(recorded, std::regex(".*\\[image2\\].*\n"), ""));
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
}

// An album path that ffmpeg would take for an option ("-..."), or whose
// first folder it would take for a protocol ("10:30 ..."), is a path all the
// same: its movie is converted.
TEST_F(ShellNames, AlbumPathsThatLookLikeOptionsOrProtocolsHoldTheirMovies) {
  for (const std::string album : {"-trip", "10:30 walk"}) {
    SCOPED_TRACE(album);
    const result_t r =
        user.run({"--quiet", "--set", "shrink_size=100,100", "make-album", camera, album, "--title", "x", "--pick", movie_a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(testutil::movie_frame_size(user / ("cwd/" + album + "/movie1/" + movie_a)), (testutil::frame_size_t{80, 60}));
  }
}

TEST_F(ShellNames, ViewerBrowserAndPlayerGetEachNameAsOneArgument) {
  // The settings, PATH, BROWSER and working directory are put back after.
  struct restore_t {
    pictora::global_t settings = pictora::g_global;
    std::string path = std::getenv("PATH");
    fs::path cwd = fs::current_path();
    ~restore_t() {
      pictora::g_global = settings;
      ::setenv("PATH", path.c_str(), 1);
      ::unsetenv("BROWSER");
      fs::current_path(cwd);
    }
  } restore;
  fs::current_path(user / "cwd");
  // Only the stubs, the viewer script and the tools the script needs.
  ::setenv("PATH", bin.c_str(), 1);
  for (const char* tool : {"mktemp", "rm"}) fs::create_symlink(fs::path("/bin") / tool, bin + "/" + tool);
  fs::create_symlink(std::string(PICTORA_SOURCE_DIR) + "/data/pictora-view", bin + "/pictora-view");

  const std::string book = user / "book $(touch w)";
  const std::string size1 = book + "/it's; touch v/size1";
  testutil::make_dirs(size1);
  testutil::make_dirs(book + "/it's; touch v/txt");
  for (const std::string& name : {picture_b, picture_d}) testutil::write_file(size1 + "/" + name, "jpeg");
  // A line that is a path names no picture of the album and is left out.
  testutil::write_file(book + "/it's; touch v/txt/good.txt", picture_b + "\r\n../" + picture_b + "\r\n");
  const std::list<std::string> pair = {"-C" + size1, "-@" + book + "/it's; touch v/txt/good.txt"};

  // The viewer's options are split as a shell would split them.
  pictora::g_global.vexaview = "viewer -g '+0 +32' \"a \\\"$b\\\" c\" d\\ e";
  const std::string options = "[-g][+0 +32][a \"$b\" c][d e]";
  pictora::g_global.movie = "player --fs";
  struct launch_t {
    const char* program;  // the stub that is started
    std::function<void()> launch;
    std::string expected;  // its call as logged
  };
  const launch_t launches[] = {
      {"viewer", [&] { pictora::run_vexaview("/prog", pair); }, options + call({*pair.begin(), pair.back()})},
      {"viewer", [&] { pictora::run_vexaview("/prog", size1 + "/" + picture_d); }, options + call({size1 + "/" + picture_d})},
      // The installed viewer script: the first name to xdg-open, or all of
      // them to feh once there is one.
      {"xdg-open", [&] {
         pictora::g_global.vexaview = pictora::global_t().vexaview;
         pictora::run_vexaview("/prog", {size1, *pair.begin(), pair.back()});
       }, call({size1})},
      {"feh", [&] { pictora::run_vexaview("/prog", pair); }, call({size1 + "/" + picture_b})},
      {"player", [&] { pictora::run_movie(size1 + "/" + movie_a); }, call({"--fs", size1 + "/" + movie_a})},
      {"xdg-open", [&] { pictora::run_browser(book); }, call({book + "/index.html"})},
      {"browser", [&] {
         ::setenv("BROWSER", "browser --new-window", 1);
         pictora::run_browser(book);
       }, call({"--new-window", book + "/index.html"})},
  };
  for (const launch_t& l : launches) {
    SCOPED_TRACE(l.program);
    const std::string log = recorder(l.program);
    l.launch();
    testutil::wait_for_file(log + ".done");
    EXPECT_EQ(testutil::read_file(log), l.expected);
    fs::remove(log);
    fs::remove(log + ".done");
  }
  EXPECT_TRUE(fs::is_empty(user / "cwd"));  // no v, w, x, y or z

  // The player runs beside the program: the launch returns while it waits.
  ASSERT_EQ(::mkfifo((user / "go").c_str(), 0600), 0);
  pictora::g_global.movie = "/bin/sh -c 'read line < \"$0\" && : > \"$0.done\"'";
  EXPECT_TRUE(pictora::run_movie(user / "go"));
  EXPECT_FALSE(fs::exists(user / "go.done"));
  testutil::write_file(user / "go", "released\n");
  EXPECT_NE(testutil::wait_for_file(user / "go.done"), "(never written)");
  pictora::g_global.movie = "pictora-no-such-player";
  EXPECT_FALSE(pictora::run_movie(user / "go"));
}

}  // namespace
}  // namespace safety
