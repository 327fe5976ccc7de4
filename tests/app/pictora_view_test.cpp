// The installed viewer launcher: it turns the directory and list options
// the program passes into file names for the first viewer it finds.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "libutils/process.h"
#include "tests/support/test_util.h"

namespace {

const std::string script = std::string(PICTORA_SOURCE_DIR) + "/data/pictora-view";

class PictoraViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // PATH holds the stub viewers and only the tools the script needs, so
    // that a real viewer of this machine is never found.
    testutil::make_dirs(dir / "bin");
    for (const char* tool : {"mktemp", "rm"}) {
      std::string found;
      ASSERT_EQ(libutils::run_process({"/bin/sh", "-c", std::string("command -v ") + tool}, &found), 0);
      found.pop_back();
      ASSERT_EQ(::symlink(found.c_str(), (dir / "bin/" + tool).c_str()), 0);
    }
    testutil::make_dirs(dir / "a book/day 1/size3");
    testutil::make_dirs(dir / "a book/day 2/size3");
    testutil::write_file(dir / "a book/day 1/good.txt", "IMG_0001.JPG\r\nIMG 0002 it's.JPG\r\n");
    testutil::write_file(dir / "a book/day 2/good.txt", "IMG_0100.JPG\n\nIMG_0101.JPG");
  }

  // A viewer bin/name that records its arguments, one a line.
  void stub(const std::string& name) {
    const std::string path = dir / ("bin/" + name);
    testutil::write_file(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + libutils::shell_quote(dir / "shown") + "\n");
    ::chmod(path.c_str(), 0755);
  }

  int view(const std::vector<std::string>& args, std::string* err) {
    std::vector<std::string> argv{script};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    return testutil::run_program(argv, &out, err, {"PATH=" + dir / "bin"});
  }

  testutil::TempDir dir;
};

TEST_F(PictoraViewTest, ListsBecomeFileNamesInTheirDirectories) {
  stub("feh");
  const std::string day1 = dir / "a book/day 1", day2 = dir / "a book/day 2";
  std::string err;
  // Joined and separate option values, the settings' own viewer options,
  // and a directory given as it is.
  EXPECT_EQ(view({"-resizetype", "2", "-window_ratio_of_image", "0.5", "-C" + day1 + "/size3", "-@" + day1 + "/good.txt",
                  "-C", day2 + "/size3", "-@", day2 + "/good.txt", day1},
                 &err),
            0)
      << err;
  EXPECT_EQ(testutil::read_file(dir / "shown"), day1 + "/size3/IMG_0001.JPG\n" + day1 + "/size3/IMG 0002 it's.JPG\n" +
                                                    day2 + "/size3/IMG_0100.JPG\n" + day2 + "/size3/IMG_0101.JPG\n" +
                                                    day1 + "\n");
}

TEST_F(PictoraViewTest, FehFirstThenEog) {
  const std::string size = dir / "a book/day 1/size3";
  stub("eog");
  std::string err;
  EXPECT_EQ(view({size}, &err), 0) << err;
  EXPECT_EQ(testutil::read_file(dir / "shown"), size + "\n");
  stub("feh");
  ::chmod((dir / "bin/eog").c_str(), 0644);  // eog would now fail to run
  EXPECT_EQ(view({size}, &err), 0) << err;
  EXPECT_EQ(testutil::read_file(dir / "shown"), size + "\n");
}

TEST_F(PictoraViewTest, XdgOpenGetsTheFirstName) {
  stub("xdg-open");
  const std::string day1 = dir / "a book/day 1";
  std::string err;
  EXPECT_EQ(view({"-C" + day1 + "/size3", "-@" + day1 + "/good.txt"}, &err), 0) << err;
  EXPECT_EQ(testutil::read_file(dir / "shown"), day1 + "/size3/IMG_0001.JPG\n");
}

TEST_F(PictoraViewTest, NothingToShowIsAnError) {
  stub("feh");
  std::string err;
  EXPECT_EQ(view({"-resizetype", "2", "-@" + dir / "missing.txt", dir / "no such picture.jpg"}, &err), 1);
  EXPECT_EQ(err, "pictora-view: nothing to show\n");
  EXPECT_FALSE(testutil::exists(dir / "shown"));
}

}  // namespace
