// The window program end to end: the real executable on the tests' own X
// server, driven through the accessibility interface as a user would (see
// data/drive_pictora.py), judged by what it shows, writes and returns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gui_support/gui_env.h"
#include "tests/support/base_fixture.h"
#include "tests/support/test_util.h"

namespace {

const std::string program = PICTORA_BINARY_DIR "/app/pictora";
const std::string driver = PICTORA_SOURCE_DIR "/tests/app/data/drive_pictora.py";

std::string settings_lines(const std::string& from, const std::string& album, const std::string& quality,
                           const std::string& address) {
  return "from=" + from + "\r\nalbum=" + album +
         "\r\n"
         "shrink_size=1024,1024\r\n"
         "jpeg_compress=" +
         quality +
         "\r\n"
         "horizontal_items=4\r\n"
         "show_level=1\r\n"
         "view_size=1\r\n"
         "html_header_check=0\r\n"
         "html_address=" +
         address +
         "\r\n"
         "hwaccel=\r\n"
         "ffmpeg=-c:v libx264 -crf 23\r\n"
         "movie=xdg-open\r\n"
         "play_size_x=3840\r\n"
         "play_size_y=2160\r\n"
         "movie_thumbnail_retina=1\r\n"
         "vexaview=pictora-view -resizetype 2 -window_ratio_of_image 0.5 -image_ratio_of_window 1 -g +0+32\r\n";
}

const std::string default_address = "(C) <a href=\"mailto:someone@example.com\">Your Name</a>, All Rights Reserved.";

class ProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }

  std::string ini() const { return home / "config/pictora/pictora.ini"; }
  std::vector<std::string> env() const {
    return {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home / "config", "LC_ALL=C.UTF-8"};
  }
  // Runs the driver's scenario on the program; its report lines.
  std::string drive(const std::string& scenario, const std::string& executable = program,
                    const std::vector<std::string>& more_env = {}) {
    std::string out, err;
    const std::string report = home / "report";
    std::vector<std::string> environment = env();
    environment.insert(environment.end(), more_env.begin(), more_env.end());
    const int status = testutil::run_program(
        {"dbus-run-session", "--", "/usr/bin/python3", driver, report, scenario, executable}, &out, &err, environment);
    EXPECT_EQ(status, 0) << out << err;
    return testutil::read_file(report);
  }

  testutil::TempDir home;
  testutil::base_fixture base;
};

// Over the sample book of the main job, with pictures of the window and the
// dialog left in the build tree's test-artefacts.
TEST_F(ProgramTest, SettingsAreEditedAndSavedThenCloseEndsTheProgram) {
  testutil::TempDir sample;
  std::string out, err;
  ASSERT_EQ(testutil::run_program(
                {PICTORA_SOURCE_DIR "/scripts/sample-book.sh", sample / "s", PICTORA_BINARY_DIR "/cli/pictora-cli"},
                &out, &err),
            0)
      << err;
  const std::string book = sample / "s/book";
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), settings_lines("/cards", book, "100", default_address));
  EXPECT_EQ(drive("settings", program, {"SCREENSHOT_DIR=" PICTORA_BINARY_DIR "/test-artefacts"}),
            "title: Pictora - Books and Albums\n"
            "dialog: closed\n"
            "exit: 0\n");
  EXPECT_EQ(testutil::read_file(ini()), settings_lines("/cards", book, "85", "(C) A. Tester"));
}

TEST_F(ProgramTest, InstalledProgramFindsItsCatalogue) {
  testutil::TempDir prefix;
  std::string out, err;
  ASSERT_EQ(testutil::run_program({"cmake", "--install", PICTORA_BINARY_DIR, "--prefix", prefix.path()}, &out, &err), 0)
      << err;
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), settings_lines("/cards", base.base(), "100", default_address));
  // The window's title and the dialog's texts come from the installed catalogue.
  EXPECT_EQ(drive("settings", prefix / "bin/pictora"),
            "title: Pictora - Books and Albums\n"
            "dialog: closed\n"
            "exit: 0\n");
}

TEST_F(ProgramTest, FirstStartShowsTheSettingsDialogBeforeTheWindow) {
  EXPECT_EQ(drive("first-start"),
            "main window before OK: False\n"
            "title: Pictora - Books and Albums\n"
            "exit: 0\n");
  // OK saved the defaults and made the album base they name.
  EXPECT_EQ(testutil::read_file(ini()), settings_lines(home / "Pictures", home / "book", "100", default_address));
  EXPECT_TRUE(testutil::exists(home / "book"));
}

TEST_F(ProgramTest, CancelAtFirstStartEndsWithoutSettings) {
  EXPECT_EQ(drive("first-cancel"), "exit: 0\n");
  EXPECT_FALSE(testutil::exists(ini()));
  EXPECT_FALSE(testutil::exists(home / "book"));
}

TEST_F(ProgramTest, WrongCommandLinePrintsUsage) {
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), settings_lines("/cards", base.base(), "100", default_address));
  const std::vector<std::vector<std::string>> command_lines = {
      {"-h"}, {"a"}, {"-h", "from", "to"}, {"a", "b", "c"}};
  for (const auto& args : command_lines) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out, err;
    EXPECT_EQ(testutil::run_program(argv, &out, &err, env()), 0) << args[0] << err;
    EXPECT_EQ(out, "usage: " + program + " [-h] [<from dir> <to dir>]\n") << args[0];
  }
  // The settings file is left as it was.
  EXPECT_EQ(testutil::read_file(ini()), settings_lines("/cards", base.base(), "100", default_address));
}

}  // namespace
