// Camera files named like shell commands are built, updated, shown and
// played like any other: each name stays one argument of the programs
// started, the commands shown can be pasted into a shell, and nothing runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "app/global.h"
#include "app/launch.h"
#include "tests/safety/safety_util.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace safety {
namespace {

namespace fs = std::filesystem;
using words_t = std::vector<std::string>;

const std::string movie_a = "a\"$(touch x)\".mp4";
const std::string picture_b = "b';touch y;'.jpg";
const std::string movie_c = "c`touch z`.mov";
const std::string picture_d = "d e\nf.jpg";

// The calls a recorder (below) logged: its words, each ended by NUL, and
// each call ended by byte 1.
std::vector<words_t> calls(const std::string& log) {
  std::vector<words_t> out(1);
  std::string word;
  for (const char c : log) {
    if (c == '\1') out.emplace_back();
    if (c == '\0') out.back().push_back(word);
    if (c == '\0' || c == '\1') word.clear();
    else word += c;
  }
  out.pop_back();
  return out;
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

  // The program bin/name, which logs its arguments for calls() into
  // name.args, marks name.done, and then runs `then`.
  std::string recorder(const std::string& name, const std::string& then = "") {
    const std::string log = user / (name + ".args");
    write_script(bin + "/" + name, "printf '%s\\0' \"$@\" >> '" + log + "'\nprintf '\\001' >> '" + log +
                                       "'\n: > '" + log + ".done'\n" + then);
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
  const result_t build = user.run({"--quiet", "--set", "shrink_size=100,100", "make-album", camera, album, "--title", "x"});
  ASSERT_EQ(build.status, 0) << build.err;
  fs::remove_all(album + "/movie1");
  fs::remove_all(album + "/size1");
  const result_t update = user.run({"--quiet", "--set", "shrink_size=100,100", "update", album});
  ASSERT_EQ(update.status, 0) << update.err;

  EXPECT_TRUE(fs::is_empty(user / "cwd"));  // no x, y or z
  for (const std::string& name : {movie_a, picture_b, movie_c, picture_d})
    EXPECT_EQ(testutil::read_file(album + "/original/" + name), testutil::read_file(camera + "/" + name)) << name;
  for (const std::string& made : {std::string("movie1/a\"$(touch x)\".mp4"), std::string("movie1/c`touch z`.jpg"), "size1/" + picture_b,
                                  "size1/" + picture_d, "thumb/" + picture_d})
    EXPECT_TRUE(fs::is_regular_file(album + "/" + made)) << made;

  // ffmpeg read each movie and each level it made from one whole name.
  const std::vector<words_t> recorded = calls(testutil::read_file(log));
  std::set<std::string> inputs;
  for (const words_t& call : recorded)
    for (size_t i = 0; i + 1 < call.size(); ++i)
      if (call[i] == "-i") inputs.insert(call[i + 1]);
  for (const std::string& input : inputs) EXPECT_TRUE(fs::is_regular_file(input)) << input;
  EXPECT_EQ(inputs.count(album + "/original/" + movie_a) + inputs.count(album + "/original/" + movie_c), 2u);

  // The commands shown on standard output (all but the stills'), run by a
  // shell whose ffmpeg only logs, are the commands that ran.
  testutil::TempDir elsewhere;
  std::string replayed;
  testutil::run_program({"env", "-C", elsewhere.path(), "sh", "-c",
                         "ffmpeg() { printf '%s\\0' \"$@\"; printf '\\001'; }\n" + build.out + update.out},
                        &replayed, nullptr);
  std::vector<words_t> shown;
  for (const words_t& call : recorded)
    if (std::find(call.begin(), call.end(), "image2") == call.end()) shown.push_back(call);
  EXPECT_EQ(calls(replayed), shown);
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
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
  testutil::write_file(book + "/it's; touch v/txt/good.txt", picture_b + "\r\n");
  const std::list<std::string> pair = {"-C" + size1, "-@" + book + "/it's; touch v/txt/good.txt"};

  struct launch_t {
    const char* program;  // the stub that is started
    std::function<void()> launch;
    words_t expected;
  };
  const launch_t launches[] = {
      {"viewer", [&] { pictora::run_vexaview("/prog", pair); }, {"-g", "+0+32", *pair.begin(), pair.back()}},
      {"viewer", [&] { pictora::run_vexaview("/prog", size1 + "/" + picture_d); }, {"-g", "+0+32", size1 + "/" + picture_d}},
      {"feh", [&] {
         pictora::g_global.vexaview = pictora::global_t().vexaview;  // the installed viewer script
         pictora::run_vexaview("/prog", pair);
       }, {size1 + "/" + picture_b}},
      {"player", [&] { pictora::run_movie(size1 + "/" + movie_a); }, {"--fs", size1 + "/" + movie_a}},
      {"xdg-open", [&] { pictora::run_browser(book); }, {book + "/index.html"}},
      {"browser", [&] {
         ::setenv("BROWSER", "browser --new-window", 1);
         pictora::run_browser(book);
       }, {"--new-window", book + "/index.html"}},
  };
  pictora::g_global.vexaview = "viewer -g +0+32";
  pictora::g_global.movie = "player --fs";
  for (const launch_t& l : launches) {
    SCOPED_TRACE(l.program);
    const std::string log = recorder(l.program);
    l.launch();
    testutil::wait_for_file(log + ".done");
    EXPECT_EQ(calls(testutil::read_file(log)), std::vector<words_t>{l.expected});
    fs::remove(log);
    fs::remove(log + ".done");
  }
  EXPECT_TRUE(fs::is_empty(user / "cwd"));  // no v, w, x, y or z
}

}  // namespace
}  // namespace safety
