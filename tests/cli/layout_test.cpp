// The files of a real build with the default settings: every level where it
// belongs, at its pixel size, the full size linked or turned, movie levels
// with their stills, and the counter.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/cli/cli_fixture.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"

namespace pictora {
namespace {

class LayoutTest : public CliTest {
 protected:
  static void SetUpTestSuite() {
    camera_ = new testutil::TempDir;
    book_ = new testutil::TempDir;
    const std::string camera = camera_->path();
    testutil::write_jpeg(camera + "/big.jpg", testutil::jpeg_options(4000, 3000));
    testutil::camera_settings settings;
    settings.thumbnail = testutil::make_jpeg({160, 120});
    thumbnail_ = new std::string(settings.thumbnail);
    testutil::jpeg_options with_exif(4000, 3000);
    with_exif.app1 = testutil::camera_exif(settings).app1_payload();
    testutil::write_jpeg(camera + "/camera.jpg", with_exif);
    testutil::write_jpeg(camera + "/exact.jpg", testutil::jpeg_options(1024, 768));
    testutil::write_jpeg(camera + "/wide.jpg", testutil::jpeg_options(1025, 100));
    testutil::write_jpeg(camera + "/turned.jpg", testutil::jpeg_options(640, 480));
    testutil::write_movie(camera + "/clip.mp4", testutil::movie_options(1280, 720));
    testutil::write_sound(camera + "/voice.wav");
  }
  static void TearDownTestSuite() {
    delete camera_;
    delete book_;
    delete thumbnail_;
  }

  // One build for all the tests of the suite.
  void SetUp() override {
    if (built_) return;
    ASSERT_EQ(run({"--quiet", "make-album", camera_->path(), album(), "--title", "Layout", "--pick", "big.jpg",
                   "--pick", "camera.jpg", "--pick", "exact.jpg", "--pick", "wide.jpg", "--pick",
                   "turned.jpg:90", "--pick", "clip.mp4", "--pick", "voice.wav"}),
              0)
        << err;
    built_ = true;
  }

  static std::string album() { return book_->path() + "/album"; }

  static std::string size_of(const std::string& relative) {
    const testutil::decoded_t d = testutil::reference_decode(testutil::read_file(album() + "/" + relative));
    return std::to_string(d.width) + "x" + std::to_string(d.height);
  }

  static std::string link_of(const std::string& relative) {
    char target[4096];
    const ssize_t n = ::readlink((album() + "/" + relative).c_str(), target, sizeof target);
    return n < 0 ? "(no link)" : std::string(target, static_cast<size_t>(n));
  }

  static testutil::TempDir* camera_;
  static testutil::TempDir* book_;
  static std::string* thumbnail_;
  static bool built_;
};

testutil::TempDir* LayoutTest::camera_ = nullptr;
testutil::TempDir* LayoutTest::book_ = nullptr;
std::string* LayoutTest::thumbnail_ = nullptr;
bool LayoutTest::built_ = false;

TEST_F(LayoutTest, PictureLevelsAtTheirSizes) {
  struct case_t {
    const char* file;
    const char* size;
  };
  const case_t cases[] = {
      {"size0/big.jpg", "4000x3000"},   {"size1/big.jpg", "2000x1500"},  {"size2/big.jpg", "1000x750"},
      {"size3/big.jpg", "500x375"},     {"thumb/big.jpg", "250x187"},    {"size3/camera.jpg", "500x375"},
      {"size0/exact.jpg", "1024x768"},  {"size1/exact.jpg", "512x384"},  {"thumb/exact.jpg", "256x192"},
      {"size1/wide.jpg", "512x50"},     {"size2/wide.jpg", "256x25"},    {"thumb/wide.jpg", "128x12"},
      {"size0/turned.jpg", "480x640"},  {"size1/turned.jpg", "240x320"}, {"thumb/turned.jpg", "120x160"},
      {"movie0/clip.jpg", "1280x720"},  {"movie1/clip.jpg", "640x360"},  {"movie2/clip.jpg", "320x180"},
  };
  for (const case_t& c : cases) EXPECT_EQ(size_of(c.file), c.size) << c.file;
  // No level beyond the last.
  EXPECT_FALSE(testutil::exists(album() + "/size2/exact.jpg"));
  EXPECT_FALSE(testutil::exists(album() + "/size4/big.jpg"));
}

TEST_F(LayoutTest, FullSizeIsALinkUnlessTurned) {
  EXPECT_EQ(link_of("size0/big.jpg"), "../original/big.jpg");
  EXPECT_EQ(link_of("size0/exact.jpg"), "../original/exact.jpg");
  EXPECT_EQ(link_of("size0/turned.jpg"), "(no link)");
  EXPECT_EQ(testutil::read_file(album() + "/thumb/camera.jpg"), *thumbnail_);
}

TEST_F(LayoutTest, MovieLevelsSoundAndCounter) {
  const struct {
    const char* file;
    unsigned width, height;
  } movies[] = {{"movie0/clip.mp4", 1280, 720}, {"movie1/clip.mp4", 640, 360}, {"movie2/clip.mp4", 320, 180}};
  for (const auto& m : movies)
    EXPECT_EQ(testutil::movie_frame_size(album() + "/" + m.file), (testutil::frame_size_t{m.width, m.height}))
        << m.file;
  EXPECT_TRUE(testutil::exists(album() + "/original/voice.wav"));
  EXPECT_FALSE(testutil::exists(album() + "/size0/voice.wav"));
  EXPECT_EQ(testutil::read_file(album() + "/txt/count.txt"), "1+5+1\n");
}

}  // namespace
}  // namespace pictora
