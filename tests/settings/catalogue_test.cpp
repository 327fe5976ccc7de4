// The message catalogue an installed pictora-cli reads: where it is looked
// for, which language is chosen, and how its bytes become messages, seen
// through message 40, the refusal of an album without pictures.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/settings/settings_run.h"
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
  // An installation: prefix/bin/pictora-cli, prefix/share/pictora/; a
  // locale ja_JP.UTF-8 made from the C locale's data.
  testutil::TempDir prefix, home, locales;
  testutil::make_dirs(prefix / "bin");
  testutil::make_dirs(prefix / "share/pictora");
  fs::copy_file(testutil::cli_path(), prefix / "bin/pictora-cli");
  fs::permissions(prefix / "bin/pictora-cli", fs::perms::owner_all);
  fs::create_directory_symlink("/usr/lib/locale/C.utf8", locales / "ja_JP.UTF-8");
  testutil::make_dirs(prefix / "work/camera");  // the working directory
  const std::string data = std::string(PICTORA_SOURCE_DIR) + "/data/";
  const std::string english = testutil::read_file(data + "pictora.msg");
  const std::string japanese = testutil::read_file(data + "pictora.ja_JP.UTF-8.msg");

  const struct {
    const char* label;
    std::vector<std::pair<std::string, std::string>> files;  // path below prefix, bytes
    const char* locale;
    std::string message;
  } cases[] = {
      {"beside the program", {{"bin/pictora.msg", catalogue("bin")}}, "C", "bin"},
      {"installed", {{"share/pictora/pictora.msg", catalogue("share")}}, "C", "share"},
      {"beside before installed", {{"bin/pictora.msg", catalogue("bin")}, {"share/pictora/pictora.msg", catalogue("share")}}, "C", "bin"},
      {"current directory first", {{"bin/pictora.msg", catalogue("bin")}, {"work/pictora.msg", catalogue("work")}}, "C", "work"},
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
    for (const auto& [path, bytes] : c.files) testutil::write_file(prefix / path, bytes);
    const run_t r = run(home, {"env", "-C", prefix / "work", prefix / "bin/pictora-cli", "make-album", "camera", "album", "--title", "t"},
                        {"LOCPATH=" + locales.path(), "LC_ALL=" + std::string(c.locale)});
    EXPECT_EQ(r.status, 2);
    const std::string missing = c.files.empty() ? prefix / "share/pictora/pictora.msg: can't load message file.\n" : "";
    EXPECT_EQ(r.err, missing + "pictora-cli: " + c.message + "\n");
    for (const auto& file : c.files) fs::remove(prefix / file.first);
  }
  EXPECT_EQ(vexalib::make_title("Album", "Edit"), "Album - Edit");
}

}  // namespace
}  // namespace settings
