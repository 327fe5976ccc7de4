// What `cmake --install` puts under a prefix: the programs, the catalogues,
// the desktop entry and the icon, and that the installed pictora-cli reads
// the catalogue installed beside it.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace pictora {
namespace {

namespace fs = std::filesystem;

const std::string source_dir = PICTORA_SOURCE_DIR;

// One installation per test program: every test reads it, none changes it.
class InstallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    prefix_ = std::make_unique<testutil::TempDir>();
    std::string out, err;
    install_status_ = testutil::run_program({"cmake", "--install", PICTORA_BINARY_DIR, "--prefix", prefix_->path()},
                                            &out, &err);
    install_report_ = out + err;
  }
  static void TearDownTestSuite() { prefix_.reset(); }

  void SetUp() override { ASSERT_EQ(install_status_, 0) << install_report_; }

  static std::string installed(const std::string& relative) { return *prefix_ / relative; }

  static std::unique_ptr<testutil::TempDir> prefix_;
  static int install_status_;
  static std::string install_report_;
};

std::unique_ptr<testutil::TempDir> InstallTest::prefix_;
int InstallTest::install_status_ = -1;
std::string InstallTest::install_report_;

bool is_executable_file(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR) && (st.st_mode & S_IXOTH);
}

// The width and height in a PNG's header chunk; 0x0 for anything else.
std::pair<unsigned, unsigned> png_size(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
    return {0, 0};
  auto word = [&](size_t at) {
    unsigned value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return {word(16), word(20)};
}

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> desktop_entry(const std::string& text) {
  std::map<std::string, std::string> keys;
  bool in_group = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line[0] == '[') {
      in_group = line == "[Desktop Entry]";
    } else if (in_group && !line.empty() && line[0] != '#') {
      const size_t eq = line.find('=');
      if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
  }
  return keys;
}

// Every program lands in <prefix>/bin and can be run from there. The window
// program is built only where app/main.cpp exists.
class InstalledProgramTest : public InstallTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(InstalledProgramTest, IsAnExecutableInBin) {
  const std::string path = installed(std::string("bin/") + GetParam());
  EXPECT_TRUE(is_executable_file(path)) << path << " is missing or not executable";
}

INSTANTIATE_TEST_SUITE_P(Programs, InstalledProgramTest, ::testing::Values("pictora", "pictora-cli", "pictora-view"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST_F(InstallTest, CataloguesAreTheSourceFiles) {
  std::set<std::string> sources, copies;
  for (const auto& entry : fs::directory_iterator(source_dir + "/data"))
    if (entry.path().extension() == ".msg") sources.insert(entry.path().filename().string());
  for (const auto& entry : fs::directory_iterator(installed("share/pictora")))
    copies.insert(entry.path().filename().string());
  EXPECT_EQ(copies, sources);
  EXPECT_EQ(sources.count("pictora.msg"), 1u);
  for (const std::string& name : sources) {
    EXPECT_EQ(testutil::read_file(installed("share/pictora/" + name)),
              testutil::read_file(source_dir + "/data/" + name))
        << name;
  }
}

TEST_F(InstallTest, DesktopEntryAndIconsAreInTheirPlaces) {
  const struct {
    const char* source;
    const char* target;
    unsigned png_side;  // the side of a square PNG; 0 for other files
  } files[] = {
      {"pictora.desktop", "share/applications/pictora.desktop", 0},
      {"icons/pictora.svg", "share/icons/hicolor/scalable/apps/pictora.svg", 0},
      {"icons/48x48/pictora.png", "share/icons/hicolor/48x48/apps/pictora.png", 48},
      {"icons/128x128/pictora.png", "share/icons/hicolor/128x128/apps/pictora.png", 128},
  };
  for (const auto& file : files) {
    ASSERT_TRUE(testutil::exists(installed(file.target))) << file.target;
    const std::string bytes = testutil::read_file(installed(file.target));
    EXPECT_EQ(bytes, testutil::read_file(source_dir + "/data/" + file.source)) << file.target;
    if (file.png_side) {
      EXPECT_EQ(png_size(bytes), std::make_pair(file.png_side, file.png_side)) << file.target;
    }
  }
}

TEST_F(InstallTest, DesktopEntryPassesValidation) {
  std::string out, err;
  const int status =
      testutil::run_program({"desktop-file-validate", installed("share/applications/pictora.desktop")}, &out, &err);
  ASSERT_NE(status, 127) << "desktop-file-validate is missing: scripts/deps.sh --tests installs it";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out + err, "");
}

TEST_F(InstallTest, DesktopEntryStartsThePictoraWindowWithItsIcon) {
  const auto keys = desktop_entry(testutil::read_file(installed("share/applications/pictora.desktop")));
  const std::pair<const char*, const char*> expected[] = {
      {"Type", "Application"},
      {"Name", "Pictora"},
      {"GenericName", "Photo Album Builder"},
      {"Exec", "pictora"},
      {"Icon", "pictora"},
      {"Terminal", "false"},
      {"Categories", "Graphics;Photography;GTK;"},
  };
  for (const auto& [key, value] : expected) {
    const auto found = keys.find(key);
    ASSERT_NE(found, keys.end()) << key;
    EXPECT_EQ(found->second, value) << key;
  }
  EXPECT_NE(keys.count("Comment"), 0u);
  // Icon names a theme icon, found under every size the theme is given.
  const std::string icon = keys.at("Icon");
  for (const std::string& place : {"scalable/apps/" + icon + ".svg", "48x48/apps/" + icon + ".png",
                                   "128x128/apps/" + icon + ".png"})
    EXPECT_TRUE(testutil::exists(installed("share/icons/hicolor/" + place))) << place;
}

// The installed pictora-cli, run from an empty folder with an empty
// configuration, takes its texts from <prefix>/share/pictora: the refusal of
// an empty camera folder is a catalogue message.
TEST_F(InstallTest, InstalledCliReadsTheInstalledCatalogue) {
  testutil::TempDir home;
  testutil::make_dirs(home / "camera");
  testutil::make_dirs(home / "work");
  std::string out, err;
  const int status = testutil::run_program(
      {"env", "-C", home / "work", installed("bin/pictora-cli"), "make-album", home / "camera",
       home / "book/2026-05-01 Walk", "--title", "A walk"},
      &out, &err, {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + (home / "config"), "LC_ALL=C", "LANG=C"});
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "pictora-cli: No picture is selected.\n");
  EXPECT_FALSE(testutil::exists(home / "book"));
  EXPECT_FALSE(testutil::exists(home / "config"));
}

}  // namespace
}  // namespace pictora
