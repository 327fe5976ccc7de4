// The golden sample book: a small book tree that the real pictora-cli builds
// from camera folders made here, the way a user builds one, compared whole
// against the files kept in tests/book/expected/:
//
//   expected/book/...    every page and every text file of the book, with
//                        only the generation time masked
//   expected/layout.txt  every other file: pixel size, link target, EXIF
//                        block, where a thumbnail or turned copy came from
//
// After an intended change of the output, rewrite them with
//   PICTORA_UPDATE_EXPECTED=1 build/tests/book_test
// and read the difference (git diff tests/book/expected) before committing:
// the expected files say what the program writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/book/book_cli.h"
#include "tests/support/browser.h"
#include "tests/support/exif_writer.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"
#include "tests/support/picture_check.h"
#include "tests/support/test_util.h"

namespace {

namespace fs = std::filesystem;

const std::string s_expected = PICTORA_SOURCE_DIR "/tests/book/expected";
const char* const s_walk = "2024-05-01 Walk";

bool updating_expected() {
  const char* v = std::getenv("PICTORA_UPDATE_EXPECTED");
  return v && std::string(v) == "1";
}

// page with its "HTML Generated: <time> (<zone>)" line made
// "HTML Generated: TIME (ZONE)" when the time is there and the zone is this
// process's standard-time zone; any other page stays as it is, so that it
// differs from the expected one.
std::string without_time(const std::string& page) {
  static const std::string lead = "\nHTML Generated: ";
  const size_t start = page.find(lead), end = page.find('\n', start + 1);
  if (start == std::string::npos || end == std::string::npos) return page;
  tzset();
  const std::string zone = std::string(" (") + tzname[0] + ")";
  const std::string line = page.substr(start + lead.size(), end - start - lead.size());
  if (line.size() <= zone.size() || line.compare(line.size() - zone.size(), zone.size(), zone) != 0) return page;
  return page.substr(0, start) + lead + "TIME (ZONE)" + page.substr(end);
}

// One picture of a camera folder.
struct shot_t {
  const char* name;
  unsigned width, height;
  bool exif, thumbnail, gray;
  uint16_t orientation;
};

// Three camera pictures with thumbnails, two of them upright only by their
// orientation (one also turned by the user), a strip one pixel too wide, one
// that just fits the default box, and a gray one with EXIF but no thumbnail.
const shot_t s_walk_shots[] = {
    {"big.jpg", 4000, 3000, true, true, false, 1},
    {"portrait.jpg", 1600, 1200, true, true, false, 6},
    {"turned one.jpg", 1600, 1200, true, true, false, 6},
    {"wide.jpg", 1025, 100, false, false, false, 0},
    {"exact.jpg", 1024, 768, false, false, false, 0},
    {"gray.jpg", 640, 480, true, false, true, 1},
};
const shot_t s_trip_shots[] = {
    {"IMG_0001.JPG", 1200, 900, true, false, false, 1},
    {"IMG_0002.JPG", 800, 600, false, false, false, 0},
};

std::string size_text(unsigned width, unsigned height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

bool has_ending(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Pages and the files of "txt" directories are compared as text; every
// other file is described in the layout.
bool is_text(const std::string& relative) {
  return has_ending(relative, ".html") || ("/" + relative).find("/txt/") != std::string::npos;
}

// Every file below dir by its relative path, in byte order.
std::set<std::string> files_below(const std::string& dir) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_directory() || entry.is_symlink())
      files.insert(entry.path().lexically_relative(dir).string());
  }
  return files;
}

// The keys whose values differ between a and b, or that only one holds.
template <typename Map>
std::vector<std::string> differing(const Map& a, const Map& b) {
  std::vector<std::string> out;
  for (const auto& [key, value] : a) {
    const auto it = b.find(key);
    if (it == b.end() || !(it->second == value)) out.push_back(key);
  }
  for (const auto& [key, value] : b) {
    if (!a.count(key)) out.push_back(key);
  }
  return out;
}

// The path of a file:// URL, %XX decoded, without fragment; "" for others.
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

class GoldenBook : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    work_ = new testutil::TempDir;
    thumbnails_ = new std::map<std::string, std::string>;
    build_error_ = new std::string(build());
  }
  static void TearDownTestSuite() {
    delete work_;
    delete thumbnails_;
    delete build_error_;
  }
  void SetUp() override { ASSERT_EQ(*build_error_, ""); }

  static std::string book() { return *work_ / "book"; }
  static std::string camera(const std::string& name) { return *work_ / ("camera/" + name); }
  static std::string trip_camera(const std::string& name) { return *work_ / ("camera2/" + name); }

  static std::string cli(const std::vector<std::string>& args, std::string* out = nullptr,
                         const std::string& path_first = "") {
    return booktest::run_cli(*work_, args, out, path_first);
  }

  // cli(args) with an ffmpeg first on PATH that notes the file each call
  // reads (the word after "-i"), then runs the real one; the files noted are
  // added to `asked`.
  static std::string cli_asking(const std::vector<std::string>& args, std::vector<std::string>& asked) {
    const std::string bin = *work_ / "noting", noted = *work_ / "ffmpeg-inputs";
    testutil::make_dirs(bin);
    testutil::write_file(bin + "/ffmpeg",
                         "#!/bin/sh\nfor a; do [ \"$was\" = -i ] && echo \"$a\" >> '" + noted +
                             "'; was=$a; done\nPATH=${PATH#*:} exec ffmpeg \"$@\"\n");
    fs::permissions(bin + "/ffmpeg", fs::perms::owner_all);
    fs::remove(noted);
    const std::string error = cli(args, nullptr, bin);
    std::istringstream lines(testutil::exists(noted) ? testutil::read_file(noted) : "");
    for (std::string line; std::getline(lines, line);) asked.push_back(line);
    return error;
  }

  static void write_shot(const std::string& dir, const shot_t& shot, unsigned seed) {
    testutil::jpeg_options o(shot.width, shot.height);
    o.seed = seed;
    if (shot.gray) o.sampling = testutil::jpeg_sampling::gray;
    if (shot.exif) {
      testutil::camera_settings settings;
      settings.orientation = shot.orientation;
      if (shot.thumbnail) {
        // Full chroma, so that its quarter turns are exact.
        testutil::jpeg_options t(160, 120);
        t.sampling = testutil::jpeg_sampling::yuv444;
        t.seed = seed;
        settings.thumbnail = (*thumbnails_)[shot.name] = testutil::make_jpeg(t);
      }
      o.app1 = testutil::camera_exif(settings).app1_payload();
    }
    testutil::write_jpeg(dir + "/" + shot.name, o);
  }

  // The camera folders, the albums made from them, lists and comments
  // written as the dialogs write them, then the updates and collections;
  // the walk is built and the book first updated four pictures at a time.
  static std::string build() {
    unsigned seed = 0;
    testutil::make_dirs(camera(""));
    for (const shot_t& shot : s_walk_shots) write_shot(camera(""), shot, ++seed);
    testutil::write_movie(camera("clip.MOV"), testutil::movie_options(1280, 720));
    testutil::write_movie(camera("small clip.mp4"), testutil::movie_options(360, 270));
    testutil::write_sound(camera("voice.wav"));
    testutil::write_file(camera("README.TXT"), "Card of May\r\n");
    testutil::make_dirs(trip_camera(""));
    for (const shot_t& shot : s_trip_shots) write_shot(trip_camera(""), shot, ++seed);

    const std::string b = book(), walk = b + "/" + s_walk;
    std::vector<std::string> make_walk = {"make-album", camera(""), walk, "--title", "Walk <b>by the sea</b>",
                                          "--head", "Morning <i>walk</i>\n\nafternoon swim\n",
                                          "--last", "The end\n\n<b>Bye</b>", "--jobs", "4"};
    for (const char* pick : {"big.jpg", "portrait.jpg", "turned one.jpg:90", "wide.jpg", "exact.jpg",
                             "gray.jpg", "clip.MOV", "small clip.mp4", "voice.wav", "README.TXT"})
      make_walk.insert(make_walk.end(), {"--pick", pick});
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"config", "set", "play_size_x", "640"},
             {"config", "set", "play_size_y", "360"},
             make_walk,
             {"make-album", trip_camera(""), b + "/2024-06-01 Hidden", "--title", "Hidden", "--pick",
              "IMG_0002.JPG", "--secret"},
             {"make-album", trip_camera(""), b + "/trips/x", "--title", "Trip X", "--head", "Far away"},
         }) {
      if (std::string e = cli(args); !e.empty()) return e;
    }
    const std::string walk_txt = std::string(s_walk) + "/txt/";
    const std::pair<std::string, std::string> texts[] = {
        {"txt/head.txt", "My <b>book</b>\r\nMy <b>book</b>\r\nPictures of 2024\r\n\r\nand more\r\n"},
        {"txt/last.txt", "\r\nClosing words\r\n"},
        {"trips/txt/head.txt", "Trips\r\nTrips\r\nJourneys\r\n\r\n"},
        {walk_txt + "good.txt", "clip.MOV\r\nexact.jpg\r\nvoice.wav\r\n"},
        {walk_txt + "best.txt", "big.jpg\r\nturned one.jpg\r\n"},
        {walk_txt + "print.txt", "big.jpg\r\nsmall clip.mp4\r\n"},
        {walk_txt + "fail.txt", "wide.jpg\r\n"},
        {walk_txt + "big.txt", "A <b>big</b> one\r\n\r\n\r\nseen from the hill\r\nat noon\r\n"},
        {walk_txt + "clip.txt", "Waves\r\n"},
        {"2024-06-01 Hidden/txt/best.txt", "IMG_0002.JPG\r\n"},
        {"trips/x/txt/best.txt", "IMG_0001.JPG\r\n"},
        {"trips/x/txt/upload.txt", "IMG_0002.JPG\r\n"},
    };
    testutil::make_dirs(b + "/txt");
    testutil::make_dirs(b + "/trips/txt");
    for (const auto& [relative, bytes] : texts) testutil::write_file(b + "/" + relative, bytes);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"update", b, "--jobs", "4"}, {"best", b}, {"best-book", b, "best"}, {"best-book", b, "print"},
             {"best-book", b, "apply"}, {"update", b}}) {
      if (std::string e = cli(args); !e.empty()) return e;
    }
    return "";
  }

  // The pages and text files with the generation time masked. Every link
  // is relative, so the scratch folder never shows.
  static std::map<std::string, std::string> texts() {
    std::map<std::string, std::string> out;
    for (const std::string& relative : files_below(book())) {
      // What ffmpeg said of the movies, with their files' times: a record
      // the program keeps for itself, not its output.
      if (is_text(relative) && !has_ending(relative, "/txt/movie-facts.tsv"))
        out[relative] = without_time(testutil::read_file(book() + "/" + relative));
    }
    return out;
  }

  // The state of every picture, movie and sound file of the book.
  static std::map<std::string, testutil::file_state_t> media_state() {
    std::map<std::string, testutil::file_state_t> state = testutil::folder_state(book());
    for (auto it = state.begin(); it != state.end();)
      it = is_text(it->first) ? state.erase(it) : std::next(it);
    return state;
  }

  // " = LABEL turned N" when got is source turned N quarters (N = 1 to 3).
  static std::string turned(const std::string& source, const std::string& got, const std::string& label) {
    const testutil::decoded_t a = testutil::reference_decode(source), b = testutil::reference_decode(got);
    for (unsigned turns = 1; turns < 4; ++turns) {
      if (testutil::mean_difference(testutil::rotate_reference(a, turns), b) < 2)
        return " = " + label + " turned " + std::to_string(turns);
    }
    return "";
  }

  // One line of the layout: the file, its pixel or frame size, "gray" for
  // one component, "exif" when it carries an EXIF block, and where it comes
  // from when it is a copy of a camera file, of an EXIF thumbnail or of the
  // original turned.
  static std::string describe(const std::string& relative) {
    const std::string path = book() + "/" + relative;
    if (fs::is_symlink(path)) return relative + " -> " + fs::read_symlink(path).string();
    const fs::path p(relative);
    const std::string name = p.filename(), dir = p.parent_path().filename();
    const std::string bytes = testutil::read_file(path);
    std::string ext = p.extension();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    std::string line = relative;
    if (ext == ".jpg") {
      const testutil::jpeg_coefficients_t c = testutil::read_coefficients(bytes);
      line += " " + size_text(c.width, c.height) + (c.components == 1 ? " gray" : "") + c.error;
      if (std::count(c.markers.begin(), c.markers.end(), 0xE1)) line += " exif";
    } else if (ext == ".mov" || ext == ".mp4") {
      const testutil::frame_size_t s = testutil::movie_frame_size(path);
      line += " " + size_text(s.width, s.height);
    }
    if (dir == "original") {
      const std::string source = testutil::exists(camera(name)) ? camera(name) : trip_camera(name);
      struct stat a = {}, b = {};
      ::stat(source.c_str(), &a);
      ::stat(path.c_str(), &b);
      if (testutil::read_file(source) == bytes && a.st_mtime == b.st_mtime) line += " = camera file";
    } else if (dir == "thumb" && thumbnails_->count(name)) {
      const std::string& thumbnail = thumbnails_->at(name);
      line += bytes == thumbnail ? " = EXIF thumbnail" : turned(thumbnail, bytes, "EXIF thumbnail");
    } else if (dir == "size0") {
      const fs::path original = p.parent_path().parent_path() / "original" / name;
      line += turned(testutil::read_file(book() + "/" + original.string()), bytes, "original");
    }
    return line;
  }

  static std::string layout() {
    std::string out;
    for (const std::string& relative : files_below(book())) {
      if (!is_text(relative)) out += describe(relative) + "\n";
    }
    return out;
  }

  static testutil::TempDir* work_;
  static std::map<std::string, std::string>* thumbnails_;  // the embedded thumbnails by picture name
  static std::string* build_error_;
};

testutil::TempDir* GoldenBook::work_ = nullptr;
std::map<std::string, std::string>* GoldenBook::thumbnails_ = nullptr;
std::string* GoldenBook::build_error_ = nullptr;

TEST_F(GoldenBook, EveryPageAndTextFileIsAsExpected) {
  const std::map<std::string, std::string> actual = texts();
  const std::string dir = s_expected + "/book";
  if (updating_expected()) {
    fs::remove_all(dir);
    for (const auto& [relative, text] : actual) {
      testutil::make_dirs(fs::path(dir + "/" + relative).parent_path());
      testutil::write_file(dir + "/" + relative, text);
    }
    GTEST_SKIP() << "rewrote " << dir;
  }
  std::map<std::string, std::string> expected;
  for (const std::string& relative : files_below(dir))
    expected[relative] = testutil::read_file(dir + "/" + relative);
  EXPECT_EQ(differing(actual, expected), std::vector<std::string>{});
  for (const auto& [relative, text] : actual) {
    if (expected.count(relative)) {
      EXPECT_EQ(text, expected[relative]) << relative;
    }
  }
}

TEST_F(GoldenBook, EveryOtherFileHasItsSizeLinkAndSource) {
  const std::string file = s_expected + "/layout.txt";
  if (updating_expected()) {
    testutil::write_file(file, layout());
    GTEST_SKIP() << "rewrote " << file;
  }
  EXPECT_EQ(layout(), testutil::read_file(file));
}

// The albums of the tree as the best books walk it: secret ones and
// collections left out, sub-books searched, ordered by album name.
TEST_F(GoldenBook, AlbumsOfTheTreeByName) {
  std::string out;
  ASSERT_EQ(cli({"albums", book()}, &out), "");
  EXPECT_EQ(out, std::string(s_walk) + "\ntrips/x\n");
}

// Updating with nothing changed, the book, one album or one collection,
// writes no picture, movie or still, gives the same pages and asks ffmpeg
// nothing; so does writing the sub-book's index page on its own.
TEST_F(GoldenBook, UpdateOfACurrentBookRewritesNoPicture) {
  const auto media = media_state();
  const auto pages = texts();
  std::vector<std::string> asked;
  for (const std::string& dir : {book(), book() + "/" + s_walk, book() + "/_Best"})
    ASSERT_EQ(cli_asking({"update", dir}, asked), "");
  ASSERT_EQ(cli_asking({"book-page", book() + "/trips"}, asked), "");
  EXPECT_EQ(differing(media_state(), media), std::vector<std::string>{});
  EXPECT_EQ(differing(texts(), pages), std::vector<std::string>{});
  EXPECT_EQ(asked, std::vector<std::string>{});
}

// What ffmpeg said of the movies is kept in the album; records that are
// lost, damaged or no longer fit their file are made again by the next
// update, which asks about those files only and writes the same pages. The
// records then read as before, and the update after asks nothing.
TEST_F(GoldenBook, MovieRecordsThatDoNotFitTheirFilesAreMadeAgain) {
  const std::string walk = book() + "/" + s_walk, records = walk + "/txt/movie-facts.tsv";
  const std::string kept = testutil::read_file(records);
  const auto pages = texts();
  // kept with field `field` (0 is the name) of the clip's line replaced.
  const auto clip_field = [&](int field, const std::string& value) {
    size_t at = kept.find("\noriginal/clip.MOV\t") + 1;
    for (int i = 0; i < field; ++i) at = kept.find('\t', at) + 1;
    return kept.substr(0, at) + value + kept.substr(kept.find('\t', at));
  };
  const std::vector<std::string> every = {walk + "/movie0/clip.mp4", walk + "/original/clip.MOV",
                                          walk + "/original/small clip.mp4"};
  const struct {
    const char* what;
    std::function<void()> damage;
    std::vector<std::string> asked;
  } cases[] = {
      {"lost", [&] { fs::remove(records); }, every},
      {"garbage", [&] { testutil::write_file(records, std::string("\0\xff\t9\r\noriginal/clip.MOV\t1\r\n", 21)); }, every},
      {"cut short", [&] { testutil::write_file(records, kept.substr(0, kept.size() - 4)); },
       {walk + "/original/small clip.mp4"}},
      {"another size", [&] { testutil::write_file(records, clip_field(1, "1")); }, {walk + "/original/clip.MOV"}},
      {"another time", [&] { testutil::write_file(records, clip_field(2, "1.000000000")); },
       {walk + "/original/clip.MOV"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.damage();
    std::vector<std::string> asked;
    ASSERT_EQ(cli_asking({"update", walk}, asked), "");
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(differing(texts(), pages), std::vector<std::string>{});
    EXPECT_EQ(testutil::read_file(records), kept);
    asked.clear();
    ASSERT_EQ(cli_asking({"update", walk}, asked), "");
    EXPECT_EQ(asked, std::vector<std::string>{});
  }
}

// Deleting a picture level, a thumbnail and a movie level: the update
// writes them again with the same bytes, and what is made from them: the
// thumbnail of the picture whose level it rebuilt, the movie level's still
// and the smaller movie level with its still.
TEST_F(GoldenBook, UpdateRestoresDeletedLevelsByteForByte) {
  const auto before = media_state();
  const std::string walk = std::string(s_walk) + "/";
  for (const char* file : {"size2/big.jpg", "thumb/exact.jpg", "movie1/clip.mp4"})
    fs::remove(book() + "/" + walk + file);
  ASSERT_EQ(cli({"update", book()}), "");
  const auto after = media_state();
  std::vector<std::string> rewritten;
  for (const char* file : {"movie1/clip.jpg", "movie1/clip.mp4", "movie2/clip.jpg", "movie2/clip.mp4",
                           "size2/big.jpg", "thumb/big.jpg", "thumb/exact.jpg"})
    rewritten.push_back(walk + file);
  EXPECT_EQ(differing(after, before), rewritten);
  for (const auto& [relative, state] : before)
    EXPECT_TRUE(after.count(relative) && after.at(relative).bytes == state.bytes) << relative;
}

// The album page, a zoom page and a collection across sub-books as the
// browser shows them: every picture loads, every link and movie leads to a
// file. Screenshots go to build/test-artefacts/.
TEST_F(GoldenBook, PagesOpenInTheBrowserWithoutBrokenPicturesOrLinks) {
  if (!testutil::have_chromium()) GTEST_SKIP() << "chromium is not installed";
  const std::string walk = book() + "/" + s_walk;
  const std::vector<std::string> pages = {walk + "/index.html", walk + "/html/big_2.html",
                                          book() + "/_BestBook/index.html"};
  std::vector<std::string> lines;
  ASSERT_TRUE(testutil::browser_resources(pages, lines)) << (lines.empty() ? "" : lines[0]);
  std::vector<std::string> broken;
  std::map<std::string, unsigned> seen;
  std::string page;
  for (const std::string& line : lines) {
    const std::string kind = line.substr(0, line.find(' '));
    std::string url = line.substr(kind.size() + 1);
    ++seen[kind];
    if (kind == "page") page = url;
    if (kind == "img") {
      if (url.compare(0, 2, "0 ") == 0) broken.push_back(line + " on " + page);
      url = url.substr(url.find(' ') + 1);
    }
    const std::string path = local_path(url);
    if (kind != "page" && !path.empty() && !testutil::exists(path)) broken.push_back(line + " on " + page);
  }
  EXPECT_EQ(broken, std::vector<std::string>{});
  EXPECT_EQ(seen["page"], pages.size());
  EXPECT_GE(seen["img"], 9u);
  EXPECT_GE(seen["media"], 3u);
  EXPECT_GE(seen["link"], 15u);

  const std::string artefacts = PICTORA_BINARY_DIR "/test-artefacts";
  testutil::make_dirs(artefacts);
  EXPECT_TRUE(testutil::browser_screenshot(pages[0], artefacts + "/golden-album.png", 1024, 1400));
  EXPECT_TRUE(testutil::browser_screenshot(pages[2], artefacts + "/golden-best.png", 1024, 1400));
}

// Every href, src and srcset candidate of every page reaches its file,
// names with spaces included.
TEST_F(GoldenBook, EveryLinkOfEveryPageReachesItsFile) {
  EXPECT_EQ(booktest::broken_links(book(), booktest::pages_below(book())), std::vector<std::string>{});
}

// A copy of the book updated into the responsive style, as a visitor's
// browser shows it on a phone (390 x 844, three device pixels to the CSS
// pixel), on a desktop (1280 x 900) and at the narrowest and widest screens
// it is made for (320 and 2560 pixels wide): no page scrolls sideways, every
// image loads, axe-core finds nothing serious or critical, and ArrowRight
// on a zoom page leads to the next picture's. Every link of every page
// reaches its file. Screenshots of the album page at each size go to
// build/test-artefacts/.
TEST_F(GoldenBook, ResponsivePagesWorkOnAPhoneAndADesktop) {
  testutil::TempDir copy;
  const std::string b = copy / "book", walk = b + "/" + s_walk;
  ASSERT_EQ(testutil::run_program({"cp", "-a", book(), b}, nullptr, nullptr), 0);
  ASSERT_EQ(booktest::run_cli(copy, {"--set", "page_style=responsive", "update", b}), "");
  EXPECT_EQ(booktest::broken_links(b, booktest::pages_below(b)), std::vector<std::string>{});
  if (!testutil::have_chromium()) GTEST_SKIP() << "chromium is not installed";
  ASSERT_TRUE(testutil::exists(testutil::axe_script())) << "run scripts/deps.sh --tests for axe-core";
  const std::vector<std::string> pages = {walk + "/index.html", walk + "/list.html", walk + "/html/big_2.html",
                                          walk + "/html/clip_1_1.html", b + "/index.html", b + "/_Best/index.html",
                                          b + "/_BestBook/list.html"};
  const struct {
    unsigned width, height, scale;
  } screens[] = {{390, 844, 3}, {1280, 900, 1}, {320, 640, 2}, {2560, 1440, 1}};
  const std::string artefacts = PICTORA_BINARY_DIR "/test-artefacts";
  testutil::make_dirs(artefacts);
  for (const auto& screen : screens) {
    SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height));
    std::vector<std::string> lines;
    ASSERT_TRUE(testutil::browser_visit(pages, screen.width, screen.height, screen.scale, testutil::axe_script(), lines))
        << (lines.empty() ? "" : lines[0]);
    std::vector<std::string> faults;
    std::map<std::string, unsigned> seen;
    for (const std::string& line : lines) {
      std::istringstream words(line);
      std::string kind, a, b2, c;
      words >> kind >> a >> b2 >> c;
      ++seen[kind];
      const bool sideways = kind == "scroll" && std::stoul(a) > std::stoul(b2);
      const bool serious = kind == "axe" && (a == "serious" || a == "critical");
      if (sideways || serious || (kind == "img" && a == "broken") || (kind == "key" && b2 != c) || kind == "error")
        faults.push_back(line);
    }
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_EQ(seen["page"], pages.size()) << (lines.empty() ? "" : lines[0]);
    EXPECT_GE(seen["img"], 20u);
    EXPECT_EQ(seen["key"], 1u);
    // What the browser met, for people to read.
    std::string report;
    for (const std::string& line : lines) report += line + "\n";
    testutil::write_file(artefacts + "/responsive-visit-" + std::to_string(screen.width) + ".txt", report);
    const std::string png = artefacts + "/responsive-album-" + std::to_string(screen.width) + ".png";
    EXPECT_TRUE(testutil::browser_screenshot(pages[0], png, screen.width, screen.height));
  }
}

}  // namespace
