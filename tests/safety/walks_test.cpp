// Walks of a book tree that meet links to directories: to the book itself,
// back up the tree, to a sibling, out of the book, chains of them. Every
// walk (the album listing, update, book pages, both kinds of collection)
// takes each directory once, under the name it meets first, and never
// writes outside the book it was given.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <utility>

#include "tests/safety/user.h"
#include "tests/support/make_jpeg.h"

namespace safety {
namespace {

namespace fs = std::filesystem;

// The names in the rows of a book page, each followed by a blank.
std::string page_rows(const std::string& page) {
  static const std::regex row("\t<tr><td>([^<]*)<td>");
  const std::string text = testutil::read_file(page);
  std::string names;
  for (std::sregex_iterator it(text.begin(), text.end(), row), end; it != end; ++it) names += (*it)[1].str() + " ";
  return names;
}

TEST(Walks, EachDirectoryOnceAndNothingOutsideTheBook) {
  const struct {
    const char* shape;
    std::vector<std::pair<std::string, std::string>> links;  // a link below the home, its target
    const char* collections = "+1\n+2\n";  // the picture counts of `best book` and `best-book book good`
    const char* albums = "2021a\nsub/x\n";  // `albums book`
    const char* rows = "sub 2021a | x ";  // the rows of the pages of book and book/sub after `update book`
  } cases[] = {
      {"self", {{"book/self", "."}}},
      {"parent", {{"book/sub/up", ".."}}},
      // Met before the directories they lead to (descending order).
      {"sibling", {{"book/zz", "sub"}, {"book/a-link", "2021a"}}, "+1\n+2\n", "a-link\nzz/x\n", "zz a-link | x "},
      // book2 lies beside the book, and its name begins with the book's.
      {"outside", {{"book/out", "../book2"}, {"book/o-link", "../book2/o"}}},
      {"chain", {{"book/k1", "sub/k2"}, {"book/sub/k2", "../../book2/o"}, {"book/sub/k3", "../k4"}, {"book/k4", "sub"}}},
      {"collection", {{"book/_Best", "../book2"}, {"book/_GoodBook", "../book2/o"}}, "refused\nrefused\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shape);
    user_t user;
    const std::string camera = user / "camera", book = user / "book";
    testutil::make_dirs(camera);
    testutil::write_jpeg(camera + "/p.jpg", {64, 48});
    for (const char* album : {"book/2021a", "book/sub/x", "book2/o"}) {
      ASSERT_EQ(user.run({"make-album", camera, user / album, "--title", album}).status, 0);
      testutil::write_file(user / album + "/txt/good.txt", "p.jpg\r\n");
    }
    for (const char* dir : {"book/txt", "book/sub/txt"}) {
      testutil::make_dirs(user / dir);
      testutil::write_file(user / dir + "/head.txt", "T\r\nT\r\n");
    }
    for (const auto& [link, target] : c.links) fs::create_symlink(target, user / link);
    const auto outside = snapshot(user / "book2");

    // A walk that goes round in circles is stopped.
    const auto run = [&](words_t args) {
      args.insert(args.begin(), {"60", testutil::cli_path()});
      return user.run(args, {}, "timeout");
    };
    const result_t albums = run({"albums", book});
    EXPECT_EQ(albums.out, c.albums);
    EXPECT_EQ(albums.status, 0);
    EXPECT_EQ(run({"update", book}).status, 0);
    EXPECT_EQ(page_rows(book + "/index.html") + "| " + page_rows(book + "/sub/index.html"), c.rows);
    const auto count = [&](const words_t& command, const std::string& dir) -> std::string {
      if (run(command).status != 0) return "refused\n";
      return testutil::read_file(book + "/" + dir + "/txt/count.txt");
    };
    const std::string collections =
        count({"best", book}, "_Best") + count({"best-book", book, "good"}, "_GoodBook");
    EXPECT_EQ(collections, c.collections);
    EXPECT_EQ(difference(outside, snapshot(user / "book2")), "");
  }
}

}  // namespace
}  // namespace safety
