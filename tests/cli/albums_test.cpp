#include <gtest/gtest.h>

#include "tests/cli/cli_fixture.h"

namespace pictora {
namespace {

using AlbumsTest = CliTest;

TEST_F(AlbumsTest, ListsTheAlbumsOfATreeByName) {
  testutil::TempDir tree;
  for (const char* dir : {"2021a/original", "2021b/original", "trips/x/original", "trips/day/original",
                          "other/day/original", "2021b/size0/original", "_Best/original", "txt/original",
                          "hidden/original", "hidden/txt", "trips/empty"})
    testutil::make_dirs(tree / dir);
  testutil::write_file(tree / "hidden/txt/secret.txt", "");

  EXPECT_EQ(run({"albums", tree.path()}), 0);
  EXPECT_EQ(out, "2021a\n2021b\ntrips/day\nother/day\ntrips/x\n");
  EXPECT_EQ(err, "");
}

TEST_F(AlbumsTest, EmptyBookHasNoAlbums) {
  testutil::TempDir tree;
  EXPECT_EQ(run({"--quiet", "albums", tree.path()}), 0);
  EXPECT_EQ(out, "");
}

TEST_F(AlbumsTest, UnlistableDirectoryFails) {
  const std::string missing = home / "missing";
  EXPECT_EQ(run({"albums", missing}), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, missing + ": cannot list the directory.\n");
}

}  // namespace
}  // namespace pictora
