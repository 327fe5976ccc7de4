// Broken and hostile files through every command that reads pictures: each
// ends with its exit status and a report naming the file, never with a
// crash or a hang, and an album or book build goes on with the other files
// where it goes on at all.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "tests/safety/user.h"
#include "tests/support/exif_writer.h"
#include "tests/support/make_jpeg.h"

namespace safety {
namespace {

namespace fs = std::filesystem;

enum outcome_t {
  ok,
  fails,          // exit status 1, a report line names the file
  refused,        // exit status 2, a line names the file: nothing else to import
};

// A local address that listens and never answers: where a playlist's
// address on the network leads here. Whether anything came knocking.
class listener_t {
 public:
  listener_t() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(fd_, 8) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
      port_ = ntohs(address.sin_port);
  }
  ~listener_t() { ::close(fd_); }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/segment.ts"; }
  bool knocked() const {
    const int connection = ::accept(fd_, nullptr, nullptr);
    if (connection >= 0) ::close(connection);
    return connection >= 0;
  }

 private:
  int fd_;
  unsigned port_ = 0;
};
const listener_t s_network;

// A movie file that is a live playlist (one without an end), whose one
// segment is `segment`: ffmpeg would wait for that segment, and then for
// the playlist to grow, for ever.
void write_playlist(const std::string& path, const std::string& segment) {
  testutil::write_file(path, "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + segment + "\n");
}

struct hostile_t {
  const char* name;
  std::function<void(const std::string& path)> write;
  // update of the book holding it, make-album, make-album turning it, exif,
  // jpeg info, jpeg halve, jpeg rotate
  outcome_t expected[7];
};

const hostile_t hostile_files[] = {
    {"truncated.jpg", [](const std::string& p) {
       testutil::jpeg_options o(64, 48);
       o.app1 = testutil::camera_exif({}).app1_payload();
       const std::string whole = testutil::make_jpeg(o);
       const size_t scan = whole.find("\xff\xda");  // cut half way through the picture data
       testutil::write_file(p, whole.substr(0, scan + (whole.size() - scan) / 2));
     }, {ok, ok, fails, ok, ok, fails, fails}},
    {"garbage-exif.jpg", [](const std::string& p) {
       testutil::jpeg_options o(64, 48);
       o.app1 = std::string("Exif\0\0II*\0\x08\0\0\0\xff\xff", 16);  // 65535 entries follow
       for (unsigned i = 0; i < 200; ++i) o.app1 += static_cast<char>(i * 37 + 11);
       testutil::write_jpeg(p, o);
     }, {ok, ok, ok, fails, ok, ok, ok}},
    {"bomb.jpg", [](const std::string& p) {  // a frame header claiming one pixel more than 2^28
       std::string jpeg = testutil::make_jpeg({16, 16});
       jpeg.replace(jpeg.find("\xff\xc0") + 5, 4, "\x40\x01\x40\x01");
       testutil::write_file(p, jpeg);
     }, {fails, fails, fails, fails, ok, fails, fails}},
    {"empty.jpg", [](const std::string& p) { testutil::write_file(p, ""); },
     {fails, fails, fails, fails, fails, fails, fails}},
    // A phone picture whose boxes end early.
    {"cut.HEIC", [](const std::string& p) {
       testutil::write_file(p, std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic\0\0\1\0meta\0\0\0\0", 32));
     }, {fails, fails, fails, fails, fails, fails, fails}},
    {"not-a-movie.mp4", [](const std::string& p) { testutil::write_file(p, "not a movie\n"); },
     {fails, fails, fails, fails, fails, fails, fails}},
    // Stopped at the limit of ffmpeg's time (made small below), reading
    // local files only.
    {"pipe-playlist.MOV", [](const std::string& p) {
       const std::string pipe = fs::path(p).parent_path().parent_path() / "segment.ts";
       if (!fs::exists(pipe)) ::mkfifo(pipe.c_str(), 0600);
       write_playlist(p, pipe);
     }, {fails, fails, fails, fails, fails, fails, fails}},
    {"network-playlist.MOV", [](const std::string& p) { write_playlist(p, s_network.url()); },
     {fails, fails, fails, fails, fails, fails, fails}},
    // Skipped by the import with a line naming it, as a pipe or a device is.
    {"directory.jpg", [](const std::string& p) { testutil::make_dirs(p); },
     {ok, ok, refused, fails, fails, fails, fails}},
    {"absent.jpg", [](const std::string&) {}, {ok, fails, fails, fails, fails, fails, fails}},
};

TEST(HostileFiles, EveryCommandReportsTheFileAndTheOthersAreStillBuilt) {
  for (const hostile_t& h : hostile_files) {
    SCOPED_TRACE(h.name);
    user_t user;
    const std::string camera = user / "camera", book = user / "book";
    testutil::make_dirs(camera);
    testutil::write_jpeg(camera + "/good.jpg", {64, 48});
    // Two albums of the good picture; the hostile file is then put into
    // the first, and the second has lost its levels and pages.
    const std::vector<std::string> seconds = {"PICTORA_FFMPEG_SECONDS=3"};
    for (const char* album : {"/a", "/b"})
      ASSERT_EQ(user.run({"--quiet", "make-album", camera, book + album, "--title", "T"}, seconds).status, 0);
    h.write(book + "/a/original/" + h.name);
    for (const char* lost : {"/b/size0", "/b/size1", "/b/thumb/good.jpg", "/b/index.html"}) fs::remove_all(book + lost);
    h.write(camera + "/" + h.name);

    const std::string file = camera + "/" + h.name, out = user / "out.jpg";
    const std::vector<std::string> commands[] = {
        {"update", book},
        {"make-album", camera, book + "/new", "--title", "T", "--pick", h.name, "--pick", "good.jpg"},
        {"make-album", camera, book + "/turned", "--title", "T", "--pick", h.name + std::string(":90")},
        {"exif", file},
        {"jpeg", "info", file},
        {"jpeg", "halve", file, out},
        {"jpeg", "rotate", "1", file, out},
    };
    for (size_t i = 0; i < std::size(commands); ++i) {
      SCOPED_TRACE(commands[i][0] + " " + commands[i][1]);
      std::vector<std::string> args = {"--quiet"};
      args.insert(args.end(), commands[i].begin(), commands[i].end());
      const result_t r = user.run(args, seconds);
      EXPECT_EQ(r.status, h.expected[i] == ok ? 0 : h.expected[i] == refused ? 2 : 1) << r.err;
      EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
      if (h.expected[i] == fails || h.expected[i] == refused) {
        // The first line names the file and the reason in plain words; the
        // program's own terms (function names) come after it, if at all.
        const std::string first = r.err.substr(0, r.err.find('\n'));
        EXPECT_NE(first.find(h.name), std::string::npos) << r.err;
        EXPECT_EQ(first.find("()"), std::string::npos) << r.err;
      }
    }
    // What the update and the build go on with: the other album, and the
    // other picture, the pages and the book's page of a build that took the
    // file in.
    const std::string built[] = {"/b/thumb/good.jpg", "/b/index.html", "/new/thumb/good.jpg", "/new/index.html"};
    const bool taken_in = h.expected[1] == ok || fs::exists(book + "/new/original/" + h.name);
    for (size_t k = 0; k < (taken_in ? 4 : 2); ++k) EXPECT_TRUE(fs::is_regular_file(book + built[k])) << built[k];
    if (taken_in) {
      EXPECT_NE(testutil::read_file(book + "/index.html").find("\"new/index.html\""), std::string::npos);
    }
    // A broken picture replaced by a good one is taken in by the next update.
    if (h.expected[0] == fails && fs::path(h.name).extension() == ".jpg") {
      testutil::write_jpeg(book + "/a/original/" + h.name, {64, 48});
      const result_t again = user.run({"--quiet", "update", book + "/a"}, seconds);
      EXPECT_EQ(again.status, 0) << again.err;
      EXPECT_NE(testutil::read_file(book + "/a/index.html").find("size0/" + std::string(h.name)), std::string::npos);
    }
  }
  EXPECT_FALSE(s_network.knocked());
}

}  // namespace
}  // namespace safety

namespace safety {
namespace {

// A folder standing where a page, a counter or a level must be written (what
// a full or read-only disk does to a write, and what root's tests can
// arrange): the run ends with status 1 and a report naming that file, and
// the folder is left as it was.
TEST(HostileFiles, AFileThatCannotBeWrittenIsReportedByName) {
  const struct {
    const char* obstacle;  // below the book
    std::vector<std::string> command;  // "BOOK" stands for the book, "CAMERA" for the camera folder
  } cases[] = {
      {"a/index.html", {"update", "BOOK/a"}},
      {"a/txt/count.txt", {"update", "BOOK/a"}},
      {"a/html/good_1.html", {"update", "BOOK/a"}},
      {"a/size1/good.jpg", {"make-album", "CAMERA", "BOOK/a", "--title", "T", "--force"}},
      {"a/original/good.jpg", {"make-album", "CAMERA", "BOOK/a", "--title", "T", "--force"}},
      {"a/.pictora-build", {"make-album", "CAMERA", "BOOK/a", "--title", "T", "--force"}},
      {"index.html", {"book-page", "BOOK"}},
      {"_Best/index.html", {"best", "BOOK"}},
      {"_PrintBook/list.html", {"best-book", "BOOK", "print"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.obstacle);
    user_t user;
    const std::string camera = user / "camera", book = user / "book";
    testutil::make_dirs(camera);
    testutil::write_jpeg(camera + "/good.jpg", {1100, 48});
    ASSERT_EQ(user.run({"--quiet", "make-album", camera, book + "/a", "--title", "T"}).status, 0);
    testutil::write_file(book + "/a/txt/print.txt", "good.jpg\r\n");
    fs::remove(book + "/" + c.obstacle);
    testutil::make_dirs(book + "/" + c.obstacle + "/kept");
    // Older than the picture, so that a level there is due to be written.
    fs::last_write_time(book + "/" + c.obstacle, fs::last_write_time(camera + "/good.jpg") - std::chrono::hours(1));
    std::vector<std::string> args = {"--quiet"};
    for (const std::string& word : c.command)
      args.push_back(word == "CAMERA" ? camera : word.substr(0, 4) == "BOOK" ? book + word.substr(4) : word);
    const result_t r = user.run(args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(book + "/" + c.obstacle), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_directory(book + "/" + c.obstacle + "/kept"));
  }
}

}  // namespace
}  // namespace safety

namespace safety {
namespace {

// A disk that fills while an update writes the pages (a file size limit
// stands in for it): no page is replaced by a cut one. Each keeps its old
// bytes, its temporary file goes, and the run names it and ends with 1.
TEST(HostileFiles, APageCutByAFullDiskLeavesTheOldPage) {
  user_t user;
  const std::string camera = user / "camera", album = user / "book/a";
  testutil::make_dirs(camera);
  testutil::write_jpeg(camera + "/good.jpg", {1100, 48});
  ASSERT_EQ(user.run({"--quiet", "make-album", camera, album, "--title", "T"}).status, 0);
  for (const char* page : {"/index.html", "/list.html"})
    testutil::write_file(album + page, testutil::read_file(album + page) + "<!-- as published -->\n");
  const std::string index = testutil::read_file(album + "/index.html"), list = testutil::read_file(album + "/list.html");
  const result_t r = user.run({"-c", "trap '' XFSZ; exec prlimit --fsize=200 \"$@\"", "sh", testutil::cli_path(),
                               "--quiet", "update", album},
                              {}, "sh");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(album + "/index.html: cannot be written: File too large\n"), std::string::npos) << r.err;
  EXPECT_EQ(testutil::read_file(album + "/index.html"), index);
  EXPECT_EQ(testutil::read_file(album + "/list.html"), list);
  for (const auto& entry : fs::recursive_directory_iterator(album))
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace safety
