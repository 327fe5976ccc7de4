#include <gtest/gtest.h>

#include "tests/cli/cli_fixture.h"

namespace pictora {
namespace {

using FrontEndTest = CliTest;

TEST_F(FrontEndTest, HelpListsEveryCommand) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(out.rfind("Usage: pictora-cli [--quiet] [--set KEY=VALUE]... COMMAND [ARGS...]\n", 0), 0u) << out;
  EXPECT_NE(out.find("\n  config    show or change the settings\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n  albums    list the albums of a book tree\n"), std::string::npos) << out;
  EXPECT_EQ(err, "");
}

TEST_F(FrontEndTest, CommandHelpGivesItsUsage) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"config", "--help"}, "Usage: pictora-cli config show\n"
                             "       pictora-cli config path\n"
                             "       pictora-cli config set KEY VALUE\n\n"},
      {{"config", "set", "--help"}, "Usage: pictora-cli config show\n"},
      {{"albums", "--help"}, "Usage: pictora-cli albums DIR\n\n"},
  };
  for (const auto& [args, usage] : cases) {
    EXPECT_EQ(run(args), 0) << args[0];
    EXPECT_EQ(out.rfind(usage, 0), 0u) << out;
    EXPECT_EQ(err, "");
  }
  EXPECT_FALSE(testutil::exists(config / "pictora"));
}

TEST_F(FrontEndTest, WrongCommandLinesExitWithUsage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "pictora-cli: no command given\nUsage: pictora-cli"},
      {{"--quiet"}, "pictora-cli: no command given\n"},
      {{"frobnicate"}, "pictora-cli: unknown command: frobnicate\nUsage: pictora-cli"},
      {{"--bogus", "config", "show"}, "pictora-cli: unknown option: --bogus\n"},
      {{"--set"}, "pictora-cli: --set needs KEY=VALUE\n"},
      {{"--set", "album", "config", "show"}, "pictora-cli: --set needs KEY=VALUE\n"},
      {{"--set", "From=/x", "config", "show"}, "pictora-cli: unknown setting: From\n"},
      {{"--set", "=x", "config", "show"}, "pictora-cli: unknown setting: \n"},
      {{"config"}, "pictora-cli: config needs an action\nUsage: pictora-cli config show\n"},
      {{"config", "frob"}, "pictora-cli: unknown action: frob\nUsage: pictora-cli config show\n"},
      {{"config", "show", "x"}, "pictora-cli: wrong number of arguments for config show\n"},
      {{"config", "set", "album"}, "pictora-cli: wrong number of arguments for config set\n"},
      {{"albums"}, "pictora-cli: albums needs one directory\nUsage: pictora-cli albums DIR\n"},
      {{"albums", "a", "b"}, "pictora-cli: albums needs one directory\n"},
  };
  for (const auto& [args, report] : cases) {
    const std::string line = args.empty() ? "" : args[0];
    EXPECT_EQ(run(args), 2) << line;
    EXPECT_EQ(out, "") << line;
    EXPECT_EQ(err.rfind(report, 0), 0u) << err;
  }
}

TEST_F(FrontEndTest, SetOverridesApplyAfterTheFileAsIniLines) {
  testutil::make_dirs(config / "pictora");
  testutil::write_file(settings_file(), "jpeg_compress=90\r\nview_size=4\r\n");
  EXPECT_EQ(run({"--set", "shrink_size=800x600", "--quiet", "--set", "jpeg_compress=0x50", "--set",
                 "html_address=x=y", "--set", "shrink_level=7", "config", "show"}),
            0);
  std::string expected = default_settings();
  expected.replace(expected.find("1024,1024"), 9, "800,600");
  expected.replace(expected.find("jpeg_compress=100"), 17, "jpeg_compress=80");
  expected.replace(expected.find("view_size=1"), 11, "view_size=4");
  expected.replace(expected.find("html_address="), expected.find("\nhwaccel=") - expected.find("html_address="),
                   "html_address=x=y");
  EXPECT_EQ(out, expected);
  EXPECT_EQ(err, "");
  EXPECT_EQ(testutil::read_file(settings_file()), "jpeg_compress=90\r\nview_size=4\r\n");
}

}  // namespace
}  // namespace pictora
