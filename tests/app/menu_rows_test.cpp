// The main window's list, read from an album base, and what a row's viewer
// button hands to the picture viewer.
#include "app/menu_rows.h"

#include <gtest/gtest.h>

#include <list>
#include <string>

#include "app/global.h"
#include "tests/support/base_fixture.h"

namespace {

using pictora::g_global;
using pictora::menu_listing_t;
using pictora::menu_row_t;

struct ExpectedRow {
  std::string name;
  bool is_album;
  bool has_viewer;
  std::string count;
  std::string title;
  std::string comment;
};

TEST(MenuRowsTest, ListsCommentedDirectoriesInDescendingOrder) {
  testutil::base_fixture base;
  menu_listing_t listing;
  const std::string err = testutil::capture_stderr([&] { EXPECT_TRUE(pictora::read_menu_listing(base.base(), listing)); });
  // "scans" has no comment files: reported and left out.
  EXPECT_NE(err.find(base.path("scans/txt")), std::string::npos) << err;

  EXPECT_EQ(listing.title, "Family pictures");
  EXPECT_EQ(listing.head, "All our trips\r\nsince 2020\r\n");
  EXPECT_EQ(listing.last, "The end\r\n");
  const ExpectedRow expected[] = {
      {"_PrintBook", false, true, "2", "To print", ""},
      {"_Odd", false, true, "", "Odd collection", ""},
      {"_GoodBook", false, true, "30", "Good ones", "Good picks"},
      {"_Best", false, true, "12", "Best of all", ""},
      {"2024-05 Walk", true, true, "7", "A walk", "First line\nsecond line"},
      {"2023 Trips", false, false, "", "Trips of 2023", "Only one line"},
      {"2022-01 Snow", true, true, "", "Snow", ""},
  };
  ASSERT_EQ(listing.rows.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const menu_row_t& row = listing.rows[i];
    const ExpectedRow& e = expected[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(row.name, e.name);
    EXPECT_EQ(row.path, base.path(e.name));
    EXPECT_EQ(row.is_album, e.is_album);
    EXPECT_EQ(row.has_viewer(), e.has_viewer);
    EXPECT_EQ(row.count, e.count);
    EXPECT_EQ(row.title, e.title);
    EXPECT_EQ(row.comment, e.comment);
  }
}

TEST(MenuRowsTest, BookCountFileIsNotRead) {
  testutil::base_fixture base;
  base.add_file("2023 Trips/txt/count.txt", "99\r\n");
  menu_listing_t listing;
  testutil::capture_stderr([&] { pictora::read_menu_listing(base.base(), listing); });
  ASSERT_EQ(listing.rows[5].name, "2023 Trips");
  EXPECT_EQ(listing.rows[5].count, "");
}

TEST(MenuRowsTest, UnlistableBaseGivesNoRows) {
  testutil::TempDir dir;
  menu_listing_t listing;
  listing.rows.resize(2);
  testutil::capture_stderr([&] { EXPECT_FALSE(pictora::read_menu_listing(dir / "missing", listing)); });
  EXPECT_TRUE(listing.rows.empty());
  EXPECT_EQ(listing.title, "");
}

class RowViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { g_global.view_size = 3; }
  void TearDown() override { g_global = pictora::global_t(); }

  // "-C" view directory and "-@" list file of the directory relative.
  std::list<std::string> pair(const std::string& relative, const std::string& list) const {
    return {"-C" + base.path(relative + "/size3"), "-@" + base.path(relative + "/txt/" + list)};
  }
  static std::list<std::string> join(std::initializer_list<std::list<std::string>> parts) {
    std::list<std::string> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  }

  testutil::base_fixture base;
};

TEST_F(RowViewerTest, ArgumentsByRow) {
  base.add_file("2024-05 Walk/size3/P1.JPG", "jpeg");
  struct Case {
    std::string row;
    std::list<std::string> expected;
  };
  const Case cases[] = {
      // An album with its view-size directory: that directory alone.
      {"2024-05 Walk", {base.path("2024-05 Walk/size3")}},
      // The best-of collection: the good picks of every top-level directory
      // but the collections, in descending order, whether or not they exist.
      {"_Best", join({pair("scans", "good.txt"), pair("2024-05 Walk", "good.txt"), pair("2023 Trips", "good.txt"),
                      pair("2022-01 Snow", "good.txt")})},
      // A best book: the albums of the whole tree that have its list, by
      // album name.
      {"_PrintBook", join({pair("2023 Trips/2023-08 Sea", "print.txt"), pair("2024-05 Walk", "print.txt")})},
      {"_GoodBook", pair("2024-05 Walk", "good.txt")},
      // Any other name collects the best lists.
      {"_Odd", pair("2023 Trips/2023-08 Sea", "best.txt")},
      // An album without a view-size directory is treated like "_Odd".
      {"2022-01 Snow", pair("2023 Trips/2023-08 Sea", "best.txt")},
  };
  for (const Case& c : cases) {
    std::list<std::string> args;
    testutil::capture_stderr([&] { args = pictora::row_viewer_arguments(base.base(), c.row); });
    EXPECT_EQ(args, c.expected) << c.row;
  }
}

TEST_F(RowViewerTest, ViewSizeSettingNamesTheDirectory) {
  g_global.view_size = 10;
  base.add_file("_Best/size10/x.jpg", "jpeg");
  EXPECT_EQ(pictora::row_viewer_arguments(base.base(), "_Best"), std::list<std::string>{base.path("_Best/size10")});
}

}  // namespace
