// A built book as a reader's browser sees it: every page of the book, its
// album and its collections opens in headless Chromium, every picture loads,
// every movie and sound exists and every local link leads to a file.
// Screenshots of an album page and a best-of page are kept beside the tests.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/cli_fixture.h"
#include "tests/support/browser.h"
#include "tests/support/camera_fixture.h"

namespace pictora {
namespace {

// The path of a file:// URL, without fragment and with %XX decoded; "" for
// any other URL.
std::string local_path(const std::string& url) {
  if (url.compare(0, 7, "file://") != 0) return "";
  std::string path;
  for (size_t i = 7; i < url.size() && url[i] != '#' && url[i] != '?'; ++i) {
    if (url[i] == '%' && i + 2 < url.size()) {
      path += static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      path += url[i];
    }
  }
  return path;
}

class BrowserTest : public CliTest {
 protected:
  void SetUp() override {
    if (!testutil::have_chromium()) GTEST_SKIP() << "chromium is not installed";
    write_camera_folder(camera);
    const std::string album = book + "/2026-05-01 Walk";
    ASSERT_EQ(run({"--quiet", "--set", "shrink_size=400,400", "make-album", camera, album, "--title", "Walk"}), 0)
        << err;
    testutil::write_file(album + "/txt/good.txt", "CLIP0001.MOV\r\nP0000001.JPG\r\nP0000004.JPG\r\nVOICE001.WAV\r\n");
    testutil::write_file(album + "/txt/print.txt", "P0000004.JPG\r\n");
    ASSERT_EQ(run({"--quiet", "--set", "shrink_size=400,400", "update", book}), 0) << err;
    ASSERT_EQ(run({"--quiet", "best", book}), 0) << err;
    ASSERT_EQ(run({"--quiet", "best-book", book, "print"}), 0) << err;
  }

  // Every generated page of the book.
  std::vector<std::string> pages() {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(book)) {
      if (entry.path().extension() == ".html") out.push_back(entry.path().string());
    }
    return out;
  }

  testutil::TempDir work;
  const std::string camera = work / "camera";
  const std::string book = work / "book";
};

TEST_F(BrowserTest, EveryPageLoadsItsPicturesAndLinksToFiles) {
  const std::vector<std::string> all = pages();
  // Book, album and list pages, zoom pages, two collections with two pages each.
  ASSERT_GE(all.size(), 10u);
  std::vector<std::string> lines;
  ASSERT_TRUE(testutil::browser_resources(all, lines)) << (lines.empty() ? "" : lines[0]);
  size_t pages_seen = 0, images = 0, media = 0, links = 0;
  std::string page;
  for (const std::string& line : lines) {
    const size_t space = line.find(' ');
    const std::string kind = line.substr(0, space);
    std::string url = line.substr(space + 1);
    if (kind == "page") {
      page = url;
      ++pages_seen;
      continue;
    }
    if (kind == "img") {
      const size_t second = url.find(' ');
      EXPECT_NE(url.substr(0, second), "0") << "not loaded: " << url.substr(second + 1) << " on " << page;
      url = url.substr(second + 1);
      ++images;
    } else {
      ++(kind == "media" ? media : links);
    }
    // Only the way up from the book itself leaves the tree that was built.
    const std::string path = local_path(url);
    if (!path.empty() && path.compare(0, book.size(), book) == 0) {
      EXPECT_TRUE(testutil::exists(path)) << kind << " to a missing file: " << url << " on " << page;
    }
  }
  EXPECT_EQ(pages_seen, all.size());
  // The pages really were inspected.
  EXPECT_GT(images, 20u);
  EXPECT_GT(media, 3u);
  EXPECT_GT(links, 20u);
}

TEST_F(BrowserTest, ScreenshotsOfAnAlbumAndABestOfPage) {
  const std::string artefacts = PICTORA_BINARY_DIR "/test-artefacts";
  testutil::make_dirs(artefacts);
  const std::pair<std::string, std::string> shots[] = {
      {book + "/2026-05-01 Walk/index.html", artefacts + "/album-page.png"},
      {book + "/_Best/index.html", artefacts + "/best-page.png"},
  };
  for (const auto& [page, png] : shots) {
    std::filesystem::remove(png);
    ASSERT_TRUE(testutil::browser_screenshot(page, png, 1024, 1400)) << page;
    EXPECT_EQ(testutil::read_file(png).substr(1, 3), "PNG");
  }
}

}  // namespace
}  // namespace pictora
