// The browser, viewer and movie player are started with exactly the
// arguments they are meant to get; no file name runs as shell code.
#include "app/launch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <list>
#include <string>

#include "app/global.h"
#include "libutils/process.h"
#include "tests/support/test_util.h"

namespace {

using pictora::g_global;

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_vexaview = g_global.vexaview;
    saved_movie = g_global.movie;
    const char* browser = std::getenv("BROWSER");
    saved_browser = browser != nullptr ? browser : "";
    had_browser = browser != nullptr;
    saved_path = std::getenv("PATH");
    ::unsetenv("BROWSER");
    testutil::make_dirs(dir / "bin");
    ::setenv("PATH", (dir / "bin:" + saved_path).c_str(), 1);
  }
  void TearDown() override {
    g_global.vexaview = saved_vexaview;
    g_global.movie = saved_movie;
    ::setenv("PATH", saved_path.c_str(), 1);
    if (had_browser)
      ::setenv("BROWSER", saved_browser.c_str(), 1);
    else
      ::unsetenv("BROWSER");
  }

  // A program bin/name that writes its arguments, one a line, into
  // name.args once it has run.
  std::string stub(const std::string& name) {
    const std::string out = libutils::shell_quote(dir / name);
    const std::string path = dir / ("bin/" + name);
    testutil::write_file(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + out + ".tmp && mv " + out + ".tmp " + out +
                                   ".args\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  std::string args_of(const std::string& name) { return testutil::wait_for_file(dir / (name + ".args")); }

  // A movie or picture name that would run commands in a shell.
  std::string nasty() const {
    return dir.path() + "/my \"holiday\" it's $(touch " + dir.path() + "/pwned); touch " + dir.path() +
           "/pwned2 `touch " + dir.path() + "/pwned3`.mp4";
  }
  void expect_no_shell_ran() {
    EXPECT_FALSE(testutil::exists(dir / "pwned"));
    EXPECT_FALSE(testutil::exists(dir / "pwned2"));
    EXPECT_FALSE(testutil::exists(dir / "pwned3"));
  }

  testutil::TempDir dir;
  std::string saved_vexaview, saved_movie, saved_browser, saved_path;
  bool had_browser = false;
};

TEST_F(LaunchTest, ViewerGetsTheSettingsWordsThenEachArgument) {
  struct Case {
    std::string setting_options;
    std::list<std::string> args;
    std::string expected;  // after the options of the setting
  };
  const Case cases[] = {
      {" -resizetype 2 -g +0+32", {}, "-resizetype\n2\n-g\n+0+32\n"},
      {" 'two words' \"x y\"", {"-C/albums/my book/size3", "-@/albums/my book/txt/good.txt"},
       "two words\nx y\n-C/albums/my book/size3\n-@/albums/my book/txt/good.txt\n"},
      {"", {nasty(), "-Cdir"}, nasty() + "\n-Cdir\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting_options);
    const std::string program = stub("viewer");
    g_global.vexaview = libutils::shell_quote(program) + c.setting_options;
    EXPECT_TRUE(pictora::run_vexaview("/prog/dir", c.args));
    EXPECT_EQ(args_of("viewer"), c.expected);
    std::remove((dir / "viewer.args").c_str());
  }
  expect_no_shell_ran();
}

TEST_F(LaunchTest, ViewerWithOneArgument) {
  stub("viewer");
  g_global.vexaview = "viewer -g +0+32";  // found in PATH
  EXPECT_TRUE(pictora::run_vexaview("/prog/dir", nasty()));
  EXPECT_EQ(args_of("viewer"), "-g\n+0+32\n" + nasty() + "\n");
  expect_no_shell_ran();
}

TEST_F(LaunchTest, MoviePlayerGetsTheFileAsItsLastArgument) {
  stub("player");
  g_global.movie = "player --fullscreen";
  EXPECT_TRUE(pictora::run_movie(nasty()));
  EXPECT_EQ(args_of("player"), "--fullscreen\n" + nasty() + "\n");
  expect_no_shell_ran();
}

TEST_F(LaunchTest, ProgramsThatCannotStartGiveFalse) {
  for (const std::string setting : {"", "   ", "pictora-no-such-viewer -g +0+32"}) {
    g_global.vexaview = setting;
    g_global.movie = setting;
    EXPECT_FALSE(pictora::run_vexaview("/prog/dir", "a.jpg")) << "'" << setting << "'";
    EXPECT_FALSE(pictora::run_vexaview("/prog/dir", std::list<std::string>{})) << "'" << setting << "'";
    EXPECT_FALSE(pictora::run_movie("a.mp4")) << "'" << setting << "'";
  }
}

TEST_F(LaunchTest, BrowserOpensTheIndexPageWithXdgOpen) {
  stub("xdg-open");
  pictora::run_browser(dir.path() + "/my book \"$(touch " + dir.path() + "/pwned)\"");
  EXPECT_EQ(args_of("xdg-open"), dir.path() + "/my book \"$(touch " + dir.path() + "/pwned)\"/index.html\n");
  expect_no_shell_ran();
}

TEST_F(LaunchTest, BrowserVariableComesFirst) {
  stub("xdg-open");
  stub("browser");
  ::setenv("BROWSER", "browser --new-window", 1);
  pictora::run_browser("/albums/book");
  EXPECT_EQ(args_of("browser"), "--new-window\n/albums/book/index.html\n");
  EXPECT_FALSE(testutil::exists(dir / "xdg-open.args"));  // tried only when BROWSER cannot start
}

TEST_F(LaunchTest, XdgOpenWhenTheBrowserVariableNamesNoProgram) {
  stub("xdg-open");
  ::setenv("BROWSER", "pictora-no-such-browser", 1);
  pictora::run_browser("/albums/book");
  EXPECT_EQ(args_of("xdg-open"), "/albums/book/index.html\n");
}

TEST_F(LaunchTest, BrowserFailureIsSilent) {
  ::setenv("PATH", (dir / "bin").c_str(), 1);  // no xdg-open anywhere
  const std::string err = testutil::capture_stderr([] { pictora::run_browser("/albums/book"); });
  EXPECT_EQ(err, "");
}

}  // namespace
