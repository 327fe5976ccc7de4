// Updating a whole book tree: which directories are visited in which order,
// what each kind of directory gets, and how album failures are collected.
#include "app/batchupdate.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/update.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/test_util.h"

namespace pictora {
namespace {

class BatchUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    testutil::make_dirs(camera);
    testutil::write_jpeg(camera + "/a.jpg", testutil::jpeg_options(64, 48));
    make_album(book, "2026-01-01");
    make_album(book + "/trips", "2026-02-01");
    for (const char* dir : {"/txt", "/_Best", "/_PrintBook", "/trips/txt"}) testutil::make_dirs(book + dir);
    progress.begin_directory = [this](const std::string& dir) { visited.push_back(dir); };
  }

  void make_album(const std::string& in, const std::string& name) {
    testutil::make_dirs(in + "/" + name);
    sigc::signal<void, double> s;
    std::ostringstream log;
    ASSERT_TRUE(savecommenttxt(path_t{"", in, name}, name, "", "", log)) << log.str();
    ASSERT_TRUE(makealbumwithrotate(camera, {files_t{"a.jpg", 0}}, path_t{"", in, name}, s, s, s, s, log))
        << log.str();
  }

  testutil::TempDir dir;
  const std::string camera = dir / "camera";
  const std::string book = dir / "book";
  batch_progress_t progress;
  std::vector<std::string> visited;
};

TEST_F(BatchUpdateTest, VisitsEveryDirectoryInAscendingOrder) {
  std::ostringstream log;
  update_all(path_t{"", book, ""}, log, progress);
  EXPECT_EQ(log.str(), "");
  EXPECT_EQ(visited, (std::vector<std::string>{book + "/2026-01-01", book + "/_Best", book + "/_PrintBook",
                                               book + "/trips", book + "/trips/2026-02-01",
                                               book + "/trips/txt", book + "/txt"}));
  for (const char* page : {"/_Best/index.html", "/_PrintBook/index.html", "/trips/index.html",
                           "/trips/2026-02-01/index.html", "/2026-01-01/index.html"})
    EXPECT_TRUE(testutil::exists(book + page)) << page;
  // The book's own page is the caller's part.
  EXPECT_FALSE(testutil::exists(book + "/index.html"));
}

TEST_F(BatchUpdateTest, AlbumFailuresAreCollectedAndTheWalkGoesOn) {
  testutil::write_file(book + "/2026-01-01/original/b.jpg", "broken");
  std::ostringstream log;
  std::string report = testutil::capture_stderr([&] { update_all(path_t{"", book, ""}, log, progress); });
  EXPECT_NE(log.str().find(book + "/2026-01-01: updatealbum() fail.\n"), std::string::npos) << log.str();
  EXPECT_NE(report.find("b.jpg"), std::string::npos) << report;
  EXPECT_EQ(visited.size(), 7u);
  EXPECT_TRUE(testutil::exists(book + "/trips/2026-02-01/index.html"));
}

TEST_F(BatchUpdateTest, OneAlbumOrCollectionAlone) {
  std::ostringstream log;
  update_all(path_t{"", book + "/trips", "2026-02-01"}, log, progress);
  EXPECT_EQ(visited, (std::vector<std::string>{book + "/trips/2026-02-01"}));
  visited.clear();
  EXPECT_TRUE(batchupdate(path_t{"", book, "_PrintBook"}, log, progress));
  EXPECT_EQ(visited, (std::vector<std::string>{book + "/_PrintBook"}));
  EXPECT_TRUE(batchupdate(path_t{"", book, ""}, log, progress));
  EXPECT_EQ(visited.size(), 1u);  // a path without album part is left alone
  EXPECT_EQ(log.str(), "");
}

TEST(CollectionKind, ByDirectoryName) {
  const std::pair<const char*, e_bestname_t> cases[] = {
      {"_FailBook", bestname_fail},     {"_GoodBook", bestname_good},     {"_BestBook", bestname_best},
      {"_ApplyBook", bestname_apply},   {"_SubmitBook", bestname_submit}, {"_PrintBook", bestname_print},
      {"_UploadBook", bestname_upload}, {"_Other", bestname_best},        {"_printbook", bestname_best},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(collection_kind(name), kind) << name;
}

}  // namespace
}  // namespace pictora
