#include <gtest/gtest.h>

#include "tests/cli/cli_fixture.h"

namespace pictora {
namespace {

using testutil::read_file;
using testutil::write_file;

std::string crlf(const std::string& lf) {
  std::string out;
  for (char c : lf) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

using ConfigTest = CliTest;

TEST_F(ConfigTest, ShowPrintsTheDefaultsWithoutCreatingAFile) {
  EXPECT_EQ(run({"config", "show"}), 0);
  EXPECT_EQ(out, default_settings());
  EXPECT_EQ(err, "");
  EXPECT_FALSE(testutil::exists(config / "pictora"));
}

TEST_F(ConfigTest, ShowPrintsTheFilesSettings) {
  testutil::make_dirs(config / "pictora");
  write_file(settings_file(), "view_size=3\r\nhtml_header_check=1\r\nhtml_header=<meta charset=\"x\">\r\n");
  EXPECT_EQ(run({"config", "show"}), 0);
  std::string expected = default_settings();
  expected.replace(expected.find("view_size=1"), 11, "view_size=3");
  expected.replace(expected.find("html_header_check=0\n"), 20,
                   "html_header_check=1\nhtml_header=<meta charset=\"x\">\n");
  EXPECT_EQ(out, expected);
  EXPECT_EQ(err, "");
}

TEST_F(ConfigTest, UnknownNamesInTheFileAreReported) {
  testutil::make_dirs(config / "pictora");
  write_file(settings_file(), "From=/x\r\n");
  EXPECT_EQ(run({"config", "show"}), 0);
  EXPECT_EQ(out, default_settings());
  EXPECT_EQ(err, "Unrecognized name: From\n");
}

TEST_F(ConfigTest, PathFollowsTheConfigurationDirectory) {
  EXPECT_EQ(run({"config", "path"}), 0);
  EXPECT_EQ(out, settings_file() + "\n");
  EXPECT_EQ(run({"config", "path"}, {"XDG_CONFIG_HOME="}), 0);
  EXPECT_EQ(out, home / ".config/pictora/pictora.ini\n");
}

TEST_F(ConfigTest, SetCreatesTheFileWithEverySetting) {
  EXPECT_EQ(run({"config", "set", "shrink_size", "800x600"}), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");
  std::string expected = default_settings();
  expected.replace(expected.find("1024,1024"), 9, "800,600");
  EXPECT_EQ(read_file(settings_file()), crlf(expected));

  EXPECT_EQ(run({"config", "set", "html_address", "a=b "}), 0);
  expected.replace(expected.find("html_address="), expected.find("\nhwaccel=") - expected.find("html_address="),
                   "html_address=a=b ");
  EXPECT_EQ(read_file(settings_file()), crlf(expected));
  EXPECT_EQ(run({"config", "show"}), 0);
  EXPECT_EQ(out, expected);
}

TEST_F(ConfigTest, SetStoresNoOneRunOverrides) {
  EXPECT_EQ(run({"--set", "view_size=5", "config", "set", "jpeg_compress", "0x50"}), 0);
  std::string expected = default_settings();
  expected.replace(expected.find("jpeg_compress=100"), 17, "jpeg_compress=80");
  EXPECT_EQ(read_file(settings_file()), crlf(expected));
}

TEST_F(ConfigTest, SetOfAnUnknownNameLeavesTheFileAlone) {
  testutil::make_dirs(config / "pictora");
  write_file(settings_file(), "view_size=3\n");
  EXPECT_EQ(run({"config", "set", "From", "/x"}), 2);
  EXPECT_EQ(err, "pictora-cli: unknown setting: From\n");
  EXPECT_EQ(read_file(settings_file()), "view_size=3\n");

  EXPECT_EQ(run({"config", "set", "Album", "/x"}, {"XDG_CONFIG_HOME=" + (config / "fresh")}), 2);
  EXPECT_FALSE(testutil::exists(config / "fresh"));
}

TEST_F(ConfigTest, SetReportsAFileThatCannotBeWritten) {
  write_file(config / "blocked", "");
  EXPECT_EQ(run({"config", "set", "view_size", "2"}, {"XDG_CONFIG_HOME=" + (config / "blocked")}), 1);
  EXPECT_EQ(err, config / "blocked/pictora/pictora.ini: file write error.\n");
}

}  // namespace
}  // namespace pictora
