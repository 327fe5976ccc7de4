// The message catalogue an installed pictora-cli reads: where it is looked
// for, which language is chosen, and how its bytes become messages, seen
// through message 40, the refusal of an album without pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/safety/user.h"
#include "vexalib/message.h"

namespace settings {
namespace {

namespace fs = std::filesystem;

// Messages 0 to 39, then message 40 = text, all ended by eol.
std::string catalogue(const std::string& text, const std::string& eol = "\n") {
  std::string bytes;
  for (int i = 0; i < 40; ++i) bytes += "message " + std::to_string(i) + eol;
  return bytes + text + eol;
}

TEST(Catalogue, LookupOrderLanguageAndBytes) {
  // Installed under the user's home: bin/pictora-cli, share/pictora/; and
  // a locale ja_JP.UTF-8 made from the C locale's data.
  const safety::user_t user;
  testutil::make_dirs(user / "share/pictora");
  testutil::make_dirs(user / "bin");
  fs::copy_file(testutil::cli_path(), user / "bin/pictora-cli");
  testutil::make_dirs(user / "locales");
  fs::create_directory_symlink("/usr/lib/locale/C.utf8", user / "locales/ja_JP.UTF-8");
  testutil::make_dirs(user / "cwd/camera");
  const std::string data = std::string(PICTORA_SOURCE_DIR) + "/data/";
  const std::string english = testutil::read_file(data + "pictora.msg");
  const std::string japanese = testutil::read_file(data + "pictora.ja_JP.UTF-8.msg");

  const struct {
    const char* label;
    std::vector<std::pair<std::string, std::string>> files;  // path in the home, bytes
    const char* locale;
    std::string message;
  } cases[] = {
      {"beside the program", {{"bin/pictora.msg", catalogue("bin")}}, "C", "bin"},
      {"installed", {{"share/pictora/pictora.msg", catalogue("share")}}, "C", "share"},
      {"beside before installed", {{"bin/pictora.msg", catalogue("bin")}, {"share/pictora/pictora.msg", catalogue("share")}}, "C", "bin"},
      {"current directory first", {{"bin/pictora.msg", catalogue("bin")}, {"cwd/pictora.msg", catalogue("cwd")}}, "C", "cwd"},
      {"the locale's before the plain one", {{"bin/pictora.msg", catalogue("bin")}, {"share/pictora/pictora.ja_JP.UTF-8.msg", catalogue("ja")}}, "ja_JP.UTF-8", "ja"},
      {"shipped, English", {{"share/pictora/pictora.msg", english}, {"share/pictora/pictora.ja_JP.UTF-8.msg", japanese}}, "C", "No picture is selected."},
      {"shipped, Japanese", {{"share/pictora/pictora.msg", english}, {"share/pictora/pictora.ja_JP.UTF-8.msg", japanese}}, "ja_JP.UTF-8", "写真が選択されていません。"},
      {"CR LF line ends", {{"bin/pictora.msg", catalogue("crlf", "\r\n")}}, "C", "crlf"},
      {"none", {}, "C", "message not loaded."},
      {"a last line without its end", {{"bin/pictora.msg", catalogue("unended").substr(0, catalogue("unended").size() - 1)}}, "C", "message not loaded."},
      {"CR alone ends no message", {{"bin/pictora.msg", catalogue("cr", "\r")}}, "C", "message not loaded."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    for (const auto& [path, bytes] : c.files) testutil::write_file(user / path, bytes);
    const safety::result_t r = user.run({"make-album", "camera", "album", "--title", "t"},
                                        {"LOCPATH=" + user / "locales", "LC_ALL=" + std::string(c.locale)},
                                        user / "bin/pictora-cli");
    EXPECT_EQ(r.status, 2);
    const std::string missing =
        c.files.empty() ? user / "share/pictora/pictora.msg: no message catalogue found there or beside the program\n"
                                 "  can't load message file.\n"
                        : "";
    EXPECT_EQ(r.err, missing + "pictora-cli: " + c.message + "\n");
    for (const auto& file : c.files) fs::remove(user / file.first);
  }
  EXPECT_EQ(vexalib::make_title("Album", "Edit"), "Album - Edit");
}

// The shipped catalogues hold the same messages, one a line, as the table
// of the documentation lists them.
TEST(Catalogue, ShippedCataloguesAreTheDocumentedOnes) {
  const std::string source = PICTORA_SOURCE_DIR;
  std::istringstream doc(testutil::read_file(source + "/docs/messages.md"));
  std::istringstream english(testutil::read_file(source + "/data/pictora.msg"));
  std::istringstream japanese(testutil::read_file(source + "/data/pictora.ja_JP.UTF-8.msg"));
  const std::regex row(R"re(\| (\d+) \| .* \| "(.*)" \| (.*) \|)re");
  std::string documented, shipped, more;
  std::smatch m;
  for (std::string line; std::getline(doc, line);)
    if (std::regex_match(line, m, row)) documented += m[1].str() + " " + m[2].str() + " | " + m[3].str() + "\n";
  for (std::string e, j; std::getline(english, e) && std::getline(japanese, j);)
    shipped += std::to_string(std::count(shipped.begin(), shipped.end(), '\n')) + " " + e + " | " + j + "\n";
  EXPECT_FALSE(std::getline(english, more) || std::getline(japanese, more));  // as many lines in both
  EXPECT_EQ(shipped, documented);
}

}  // namespace
}  // namespace settings
