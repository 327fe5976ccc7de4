// Interrupting a build or an update at any moment (SIGKILL) and running the
// next one gives the same files as a build that was never interrupted, and
// the camera folder and the album's originals are never written to.
#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/support/camera_fixture.h"

namespace pictora {
namespace {

using files_t = std::map<std::string, std::string>;

class SafetyTest : public CliTest {
 protected:
  void SetUp() override {
    write_camera_folder(camera);
    camera_before = album_files(camera);
    // The reference: one uninterrupted build, timed to choose kill points.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(run(make_album_args(work / "reference/album")), 0) << err;
    build_ms = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    reference = album_files(work / "reference/album");
  }

  std::vector<std::string> make_album_args(const std::string& album, bool force = false) {
    std::vector<std::string> args = {"--quiet", "--set", "shrink_size=400,400", "make-album", camera, album,
                                     "--title", "Walk"};
    if (force) args.push_back("--force");
    return args;
  }

  // Runs pictora-cli with args and kills it after ms milliseconds.
  bool killed_after(const std::vector<std::string>& args, unsigned ms) {
    std::vector<std::string> argv = {testutil::cli_path()};
    argv.insert(argv.end(), args.begin(), args.end());
    return testutil::run_program_killed_after(argv, scratch_env(), ms);
  }

  // Whether every file of the camera folder arrived in the album's
  // "original" with its bytes.
  bool import_complete(const std::string& album) {
    const files_t imported = album_files(album + "/original");
    for (const auto& [name, bytes] : camera_before) {
      if (name == "README.TXT") continue;
      const auto it = imported.find(name);
      if (it == imported.end() || it->second != bytes) return false;
    }
    return true;
  }

  // The differences between the album's files and the reference's, by name.
  std::string difference(const std::string& album) {
    const files_t actual = album_files(album);
    std::string out;
    for (const auto& [name, bytes] : reference) {
      const auto it = actual.find(name);
      if (it == actual.end()) {
        out += "missing " + name + "\n";
      } else if (it->second != bytes) {
        out += "differs " + name + "\n";
      }
    }
    for (const auto& entry : actual)
      if (reference.count(entry.first) == 0) out += "extra " + entry.first + "\n";
    return out;
  }

  testutil::TempDir work;
  const std::string camera = work / "camera";
  files_t camera_before;
  files_t reference;
  unsigned build_ms = 0;
};

TEST_F(SafetyTest, KilledBuildIsCompletedByTheNextRun) {
  for (unsigned step = 1; step <= 5; ++step) {
    const unsigned ms = build_ms * step / 6;
    SCOPED_TRACE("killed after " + std::to_string(ms) + " ms");
    const std::string album = work / ("run" + std::to_string(step) + "/album");
    testutil::make_dirs(work / ("run" + std::to_string(step)));
    killed_after(make_album_args(album), ms);
    // A cut import is redone from the camera folder; after it the album
    // only needs an update.
    if (import_complete(album)) {
      ASSERT_EQ(run({"--quiet", "--set", "shrink_size=400,400", "update", album}), 0) << err;
    } else {
      ASSERT_EQ(run(make_album_args(album, true)), 0) << err;
    }
    EXPECT_EQ(difference(album), "");
    EXPECT_EQ(album_files(camera), camera_before);
  }
}

TEST_F(SafetyTest, KilledUpdateIsCompletedByTheNextUpdate) {
  const std::string album = work / "reference/album";
  const files_t originals = album_files(album + "/original");
  for (unsigned step = 1; step <= 4; ++step) {
    // Throw away every derived picture so the update has all of them to do;
    // "thumb" itself stays, as the album's first build made it.
    for (const auto& entry : std::filesystem::directory_iterator(album)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("size", 0) == 0) std::filesystem::remove_all(entry.path());
    }
    for (const auto& entry : std::filesystem::directory_iterator(album + "/thumb"))
      std::filesystem::remove(entry.path());
    const unsigned ms = build_ms * step / 6;
    SCOPED_TRACE("killed after " + std::to_string(ms) + " ms");
    killed_after({"--quiet", "--set", "shrink_size=400,400", "update", album}, ms);
    ASSERT_EQ(run({"--quiet", "--set", "shrink_size=400,400", "update", album}), 0) << err;
    EXPECT_EQ(difference(album), "");
    EXPECT_EQ(album_files(album + "/original"), originals);
  }
}

}  // namespace
}  // namespace pictora
