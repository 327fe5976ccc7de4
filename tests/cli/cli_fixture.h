// Runs the built pictora-cli with its settings and home in scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace pictora {

class CliTest : public ::testing::Test {
 protected:
  // Runs pictora-cli with args; out and err receive what it wrote. env
  // entries ("NAME=value") take precedence over the scratch defaults.
  int run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::vector<std::string> argv = {testutil::cli_path()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> all_env = scratch_env();
    all_env.insert(all_env.end(), env.begin(), env.end());  // set later, so they win
    return testutil::run_program(argv, &out, &err, all_env);
  }

  // Runs a shell command line on a pseudo-terminal (script(1)); out receives
  // what the terminal showed.
  int run_shell_in_terminal(const std::string& command) {
    return testutil::run_program({"script", "-qec", command, "/dev/null"}, &out, &err, scratch_env());
  }

  std::vector<std::string> scratch_env() const {
    return {"HOME=" + home.path(), "USER=pictora-test-nobody", "LC_ALL=C", "XDG_CONFIG_HOME=" + config.path()};
  }

  std::string settings_file() const { return config / "pictora/pictora.ini"; }

  // The settings of a run with no settings file, one line each.
  std::string default_settings() const {
    return "from=" + home.path() + "/Pictures\n" + "album=" + home.path() + "/book\n" +
           "shrink_size=1024,1024\n"
           "jpeg_compress=100\n"
           "horizontal_items=4\n"
           "show_level=1\n"
           "view_size=1\n"
           "html_header_check=0\n"
           "html_address=(C) <a href=\"mailto:someone@example.com\">Your Name</a>, All Rights Reserved.\n"
           "hwaccel=\n"
           "ffmpeg=-c:v libx264 -crf 23\n"
           "movie=xdg-open\n"
           "play_size_x=3840\n"
           "play_size_y=2160\n"
           "movie_thumbnail_retina=1\n"
           "vexaview=pictora-view -resizetype 2 -window_ratio_of_image 0.5 -image_ratio_of_window 1 -g +0+32\n";
  }

  testutil::TempDir config;
  testutil::TempDir home;
  std::string out;
  std::string err;
};

}  // namespace pictora
