#include "app/listing.h"

#include <gtest/gtest.h>

#include "tests/support/test_util.h"

namespace pictora {
namespace {

using testutil::make_dirs;
using testutil::TempDir;
using testutil::write_file;

using found_t = std::list<albumdir_t>;

// A book tree in a fresh directory, made from directory paths; a path ending
// in "/original" makes an album.
class ListingTest : public ::testing::Test {
 protected:
  void make(std::initializer_list<const char*> dirs) {
    for (const char* d : dirs) make_dirs(root / d);
  }
  void mark_secret(const std::string& dir) {
    make_dirs(root / (dir + "/txt"));
    write_file(root / (dir + "/txt/secret.txt"), "");
  }
  // Walks the root as the best books do.
  found_t walk() {
    std::list<std::string> names;
    EXPECT_TRUE(walk_names(names, root.path()));
    found_t out;
    hierar_albums(out, path_t{root.path(), "", ""}, names);
    return out;
  }

  TempDir root;
};

TEST_F(ListingTest, WalksDepthFirstInDescendingOrderThenSortsByAlbumName) {
  make({"2021a/original", "2021b/original", "trips/x/original", "txt"});
  std::list<std::string> names;
  ASSERT_TRUE(walk_names(names, root.path()));
  EXPECT_EQ(names, (std::list<std::string>{"trips", "2021b", "2021a"}));

  found_t found;
  hierar_albums(found, path_t{root.path(), "", ""}, names);
  EXPECT_EQ(found, (found_t{{"trips", "x"}, {"", "2021b"}, {"", "2021a"}}));
  sort_albums(found);
  EXPECT_EQ(found, (found_t{{"", "2021a"}, {"", "2021b"}, {"trips", "x"}}));
}

TEST_F(ListingTest, AlbumSubdirectoriesAreNeverWalked) {
  make({"day/original", "day/size0/inner/original", "day/zzz/original"});
  EXPECT_EQ(walk(), (found_t{{"", "day"}}));
}

TEST_F(ListingTest, CollectionsAndTxtAreSkippedAtEveryLevel) {
  make({"_Best/original", "_BestBook/original", "txt/original", "book/_GoodBook/original",
        "book/txt/original", "book/a/original"});
  EXPECT_EQ(walk(), (found_t{{"book", "a"}}));
}

TEST_F(ListingTest, SecretBooksAndAlbumsAreLeftOut) {
  make({"open/original", "hidden/original", "book/inner/original", "book/shown/original",
        "secretbook/sub/deep/original"});
  mark_secret("hidden");
  mark_secret("book/inner");
  mark_secret("secretbook");
  EXPECT_EQ(walk(), (found_t{{"", "open"}, {"book", "shown"}}));
}

TEST_F(ListingTest, SameAlbumNameInTwoBooksKeepsWalkOrder) {
  make({"b1/day1/original", "b2/day1/original", "b2/day0/original", "b1/day2/original"});
  found_t found = walk();
  EXPECT_EQ(found, (found_t{{"b2", "day1"}, {"b2", "day0"}, {"b1", "day2"}, {"b1", "day1"}}));
  sort_albums(found);
  EXPECT_EQ(found, (found_t{{"b2", "day0"}, {"b2", "day1"}, {"b1", "day1"}, {"b1", "day2"}}));
}

TEST_F(ListingTest, NestedBooksJoinTheirNames) {
  make({"a/b/c/original", "a/b/d/e/original", "a/empty"});
  EXPECT_EQ(walk(), (found_t{{"a/b/d", "e"}, {"a/b", "c"}}));
}

TEST_F(ListingTest, UnlistableNamesYieldNothing) {
  make({"real/original"});
  std::list<std::string> names = {"missing", "real"};
  found_t found;
  hierar_albums(found, path_t{root.path(), "", ""}, names);
  EXPECT_EQ(found, (found_t{{"", "real"}}));

  std::list<std::string> none = {"kept"};
  EXPECT_FALSE(walk_names(none, root / "missing"));
  EXPECT_EQ(none, std::list<std::string>{"kept"});
}

TEST(AlbumOrder, ComparesAlbumNamesAsUnsignedBytes) {
  const std::tuple<albumdir_t, albumdir_t, bool> cases[] = {
      {{"z", "a"}, {"a", "b"}, true},       {{"a", "b"}, {"z", "a"}, false},
      {{"a", "day"}, {"b", "day"}, false},  {{"b", "day"}, {"a", "day"}, false},
      {{"", "day"}, {"", "day1"}, true},    {{"", "day1"}, {"", "day"}, false},
      {{"", "Z"}, {"", "a"}, true},         {{"", "z"}, {"", "\xe5"}, true},
      {{"", "\xe5"}, {"", "z"}, false},     {{"", ""}, {"", "a"}, true},
  };
  for (const auto& [a, b, before] : cases)
    EXPECT_EQ(albumdirs_compare(a, b), before) << a.second << " < " << b.second;
}

TEST_F(ListingTest, LoadsOneRecordPerAlbumBelowTheBase) {
  make({"trips/x/txt", "2021a/txt"});
  write_file(root / "trips/x/txt/best.txt", "b.jpg\r\n");
  const path_t parent{root.path(), "", ""};
  std::list<album_t> albums;
  load_albums(albums, parent, found_t{{"trips", "x"}, {"", "2021a"}, {"", "gone"}});
  ASSERT_EQ(albums.size(), 3u);
  auto it = albums.begin();
  std::string dir;
  it->path.make(dir);
  EXPECT_EQ(dir, root / "trips/x");
  EXPECT_EQ(it->good_list.entries, std::set<std::string>{"b.jpg"});
  (++it)->path.make(dir);
  EXPECT_EQ(dir, root / "2021a");
  (++it)->path.make(dir);
  EXPECT_EQ(dir, root / "gone");
  EXPECT_TRUE(it->best_list.entries.empty());
  EXPECT_TRUE(it->good_list.entries.empty());
}

}  // namespace
}  // namespace pictora
