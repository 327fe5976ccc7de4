// What an album publishes: the copies written for the web carry no GPS
// position unless the keep_location setting keeps it (read with exiftool on
// camera pictures that have one), and the pages follow the album when the
// user deletes a picture or makes a collection.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/book/book_cli.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

namespace fs = std::filesystem;

const std::string s_gps_samples = PICTORA_SAMPLES_DIR "/jpg/gps";

// The files below the album's level and thumbnail folders whose GPS
// position exiftool reads, as "folder/name".
std::vector<std::string> files_with_position(const std::string& album) {
  std::vector<std::string> argv = {"exiftool", "-q", "-q", "-if", "$GPSLatitude", "-p", "$Directory/$FileName"};
  for (const auto& entry : fs::directory_iterator(album)) {
    const std::string name = entry.path().filename();
    if (name.rfind("size", 0) == 0 || name == "thumb" || name.rfind("movie", 0) == 0) argv.push_back(entry.path());
  }
  std::string out;
  testutil::run_program(argv, &out, nullptr);
  std::vector<std::string> files;
  for (size_t at = 0; at < out.size();) {
    const size_t end = out.find('\n', at);
    files.push_back(fs::path(out.substr(at, end - at)).lexically_relative(album).string());
    at = end == std::string::npos ? out.size() : end + 1;
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Built with one setting, updated with another: the levels, thumbnails and
// the full size the pages link to hold the position only while the setting
// keeps it; the originals are never changed, and a turned picture never has
// it.
TEST(WebCopies, HoldTheGpsPositionOnlyWhenTheSettingKeepsIt) {
  if (!testutil::exists(s_gps_samples)) GTEST_SKIP() << s_gps_samples << " is absent";
  const struct {
    const char* build;   // keep_location of the build
    const char* update;  // of the update that follows, "" for none
    bool kept;
  } cases[] = {
      {"0", "", false},
      {"1", "", true},
      {"1", "0", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("build ") + c.build + ", update " + c.update);
    testutil::TempDir work;
    const std::string album = work / "book/2024-08-01 Drive";
    ASSERT_EQ(booktest::run_cli(work, {"--set", "shrink_size=200x200", "--set", std::string("keep_location=") + c.build,
                                       "make-album", s_gps_samples, album, "--title", "Drive", "--pick",
                                       "DSCN0010.jpg", "--pick", "DSCN0012.jpg", "--pick", "DSCN0021.jpg:90"}),
              "");
    if (*c.update) {
      ASSERT_EQ(booktest::run_cli(work, {"--set", "shrink_size=200x200", "--set",
                                         std::string("keep_location=") + c.update, "update", album}),
                "");
    }
    const std::vector<std::string> unturned = {"size0/DSCN0010.jpg", "size0/DSCN0012.jpg", "size1/DSCN0010.jpg",
                                               "size1/DSCN0012.jpg", "size2/DSCN0010.jpg", "size2/DSCN0012.jpg",
                                               "size3/DSCN0010.jpg", "size3/DSCN0012.jpg"};
    EXPECT_EQ(files_with_position(album), c.kept ? unturned : std::vector<std::string>{});
    for (const char* name : {"DSCN0010.jpg", "DSCN0012.jpg", "DSCN0021.jpg"})
      EXPECT_EQ(testutil::read_file(album + "/original/" + name), testutil::read_file(s_gps_samples + "/" + name));
    // The caption is the original's, whatever the copies hold.
    std::string page;
    ASSERT_TRUE(testutil::exists(album + "/index.html"));
    page = testutil::read_file(album + "/index.html");
    EXPECT_NE(page.find("NIKON, COOLPIX P6000"), std::string::npos);
  }
}

// The position however a file holds it: a GPS directory in an EXIF block
// of either byte order, an XMP packet that repeats it. Without the setting
// no web copy holds it and the rest of the EXIF block stays (exiftool reads
// the camera's make from every level); with it, every level does, so the
// fixture's position is one exiftool reads.
TEST(WebCopies, LeaveThePositionOutWhereverTheFileHoldsIt) {
  testutil::exif_block gps_le, gps_be, plain;
  for (testutil::exif_block* block : {&gps_le, &gps_be, &plain}) {
    block->ifd0.ascii(0x010F, "Pictora").ascii(0x0110, "Test Camera");
    block->exif.rational(0x829D, {{28, 10}});
  }
  for (testutil::exif_block* block : {&gps_le, &gps_be})
    block->gps.ascii(0x0001, "N").rational(0x0002, {{43, 1}, {28, 1}, {281, 100}}).ascii(0x0003, "E").rational(
        0x0004, {{11, 1}, {52, 1}, {3, 1}});
  gps_be.big_endian = true;
  const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/", 29) +
                          "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-"
                          "syntax-ns#\"><rdf:Description xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
                          "exif:GPSLatitude=\"43,28.0468N\" exif:GPSLongitude=\"11,52.05E\"/></rdf:RDF></x:xmpmeta>";
  const struct {
    const char* name;
    const testutil::exif_block* exif;
    bool with_xmp;
  } files[] = {
      {"intel.jpg", &gps_le, false},
      {"motorola.jpg", &gps_be, false},
      {"xmp.jpg", &plain, true},
  };
  for (const auto& f : files) {
    for (const char* keep : {"0", "1"}) {
      SCOPED_TRACE(std::string(f.name) + ", keep_location=" + keep);
      testutil::TempDir work;
      testutil::jpeg_options o(320, 240);
      o.app1 = f.exif->app1_payload();
      if (f.with_xmp) o.segments.emplace_back(0xE1, xmp);
      testutil::make_dirs(work / "camera");
      testutil::write_jpeg(work / ("camera/" + std::string(f.name)), o);
      const std::string album = work / "book/a";
      ASSERT_EQ(booktest::run_cli(work, {"--set", "shrink_size=100x100", "--set", std::string("keep_location=") + keep,
                                         "make-album", work / "camera", album, "--title", "A"}),
                "");
      std::vector<std::string> levels;
      for (const char* dir : {"size0/", "size1/", "size2/", "size3/"}) levels.push_back(dir + std::string(f.name));
      EXPECT_EQ(files_with_position(album), *keep == '1' ? levels : std::vector<std::string>{});
      for (const std::string& level : levels) {
        std::string make;
        testutil::run_program({"exiftool", "-s3", "-Make", album + "/" + level}, &make, nullptr);
        EXPECT_EQ(make, "Pictora\n") << level;
      }
    }
  }
}

// A picture whose original the user deleted leaves the album page, the
// thumbnail page and the collections at the next update, and its levels and
// zoom pages go; a collection, once made, is on the book's index page at
// once.
TEST(PagesFollowTheAlbum, ADeletedPictureGoesAndACollectionIsListed) {
  testutil::TempDir work;
  const std::string camera = work / "camera", book = work / "book", album = book + "/2024-09-01 Park";
  testutil::make_dirs(camera);
  unsigned seed = 0;
  for (const char* name : {"DSCN0041.jpg", "DSCN0042.jpg", "DSCN0043.jpg"}) {
    testutil::jpeg_options o(320, 240);
    o.seed = ++seed;
    testutil::write_jpeg(camera + "/" + name, o);
  }
  ASSERT_EQ(booktest::run_cli(work, {"config", "set", "shrink_size", "100x100"}), "");
  ASSERT_EQ(booktest::run_cli(work, {"make-album", camera, album, "--title", "Park"}), "");
  testutil::write_file(album + "/txt/best.txt", "DSCN0042.jpg\r\n");
  // The order of the README.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"update", book}, {"best", book}, {"best-book", book, "best"}})
    ASSERT_EQ(booktest::run_cli(work, args), "");
  const std::string index = testutil::read_file(book + "/index.html");
  for (const char* collection : {"_Best/index.html", "_BestBook/index.html"})
    EXPECT_NE(index.find(collection), std::string::npos) << collection;

  fs::remove(album + "/original/DSCN0042.jpg");
  ASSERT_EQ(booktest::run_cli(work, {"update", book}), "");
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(album)) {
    const std::string name = entry.path().filename();
    if (name.find("DSCN0042") != std::string::npos) left.push_back(entry.path().lexically_relative(album));
  }
  EXPECT_EQ(left, std::vector<std::string>{});
  const std::vector<std::string> pages = booktest::pages_below(book);
  for (const std::string& page : pages)
    EXPECT_EQ(testutil::read_file(page).find("DSCN0042"), std::string::npos) << page;
  EXPECT_EQ(booktest::broken_links(book, pages), std::vector<std::string>{});
}

}  // namespace
