// Pages for every name the file system allows: a book whose album, sub-book
// and pictures are named with the characters that break links or make
// markup (space, '#', '?', '%', '"', tab, line feed, '\', bytes that are no
// UTF-8, a comma, markup itself), built by the real pictora-cli in the
// classic style and then updated into the responsive one. In both, no link,
// picture source or srcset candidate of any page misses its file, and no
// name becomes markup.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/book/book_cli.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace {

const char* const s_odd_names[] = {
    "IMG 0003 copy.jpg", "a#b.jpg",     "why?.jpg",         "50%41 off.jpg", "say \"cheese\".jpg",
    "tab\there.jpg",     "new\nline.jpg", "back\\slash.jpg", "bad\xff\xfe.jpg", "one,two.jpg",
    "<img src=x onerror=alert(9)>.jpg",
};
const char* const s_odd_album = "2024-07-01 <b>odd</b> #1 ?&%\"\\\t";
const char* const s_odd_book = "trips, \"far\" #2";

class OddNames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    work_ = new testutil::TempDir;
    build_error_ = new std::string(build());
  }
  static void TearDownTestSuite() {
    delete work_;
    delete build_error_;
  }
  void SetUp() override { ASSERT_EQ(*build_error_, ""); }

  static std::string book() { return *work_ / "book"; }

  // Small pictures in a small shrink box, so that each has two zoom pages.
  static std::string build() {
    const std::string camera = *work_ / "camera", b = book();
    testutil::make_dirs(camera);
    unsigned seed = 0;
    std::vector<std::string> make = {"make-album", camera, b + "/" + s_odd_album, "--title", "Odd"};
    for (const char* name : s_odd_names) {
      testutil::jpeg_options o(320, 240);
      o.seed = ++seed;
      testutil::write_jpeg(camera + "/" + name, o);
    }
    const std::string list = std::string(s_odd_names[0]) + "\r\n" + s_odd_names[1] + "\r\n" + s_odd_names[10] + "\r\n";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"config", "set", "shrink_size", "100x100"},
             make,
             {"make-album", camera, b + "/" + s_odd_book + "/x #3", "--title", "X", "--pick", s_odd_names[6]},
         }) {
      if (std::string e = booktest::run_cli(*work_, args); !e.empty()) return e;
    }
    testutil::write_file(b + "/" + s_odd_album + "/txt/best.txt", list);
    testutil::write_file(b + "/" + s_odd_book + "/txt/head.txt", "Far\r\nFar\r\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"update", b}, {"best", b}, {"best-book", b, "best"}}) {
      if (std::string e = booktest::run_cli(*work_, args); !e.empty()) return e;
    }
    return "";
  }

  static testutil::TempDir* work_;
  static std::string* build_error_;
};

testutil::TempDir* OddNames::work_ = nullptr;
std::string* OddNames::build_error_ = nullptr;

TEST_F(OddNames, EveryLinkOfEveryPageReachesItsFileInBothStyles) {
  for (const char* style : {"classic", "responsive"}) {
    SCOPED_TRACE(style);
    ASSERT_EQ(booktest::run_cli(*work_, {"--set", std::string("page_style=") + style, "update", book()}), "");
    const std::vector<std::string> pages = booktest::pages_below(book());
    // The album and list pages, 2 zoom pages a picture, the collections,
    // the book and sub-book pages.
    EXPECT_GE(pages.size(), 2 * std::size(s_odd_names) + 4);
    EXPECT_EQ(booktest::broken_links(book(), pages), std::vector<std::string>{});
  }
}

}  // namespace
