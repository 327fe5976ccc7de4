// The window program as its user meets it: the real executable on the tests'
// own X server, driven through the accessibility interface by
// drive_pictora.py, judged by what it shows, what it writes, which programs
// it starts and how it ends. Settings files and expected reports lie in
// data/, with @NAME@ standing for the paths of each run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "tests/gui_support/gui_env.h"
#include "tests/safety/user.h"
#include "tests/support/base_fixture.h"
#include "tests/support/jpeg_coefs.h"
#include "tests/support/make_jpeg.h"
#include "tests/support/make_movie.h"
#include "tests/support/test_util.h"

namespace {

namespace fs = std::filesystem;

const std::string program = PICTORA_BINARY_DIR "/app/pictora";
const std::string here = PICTORA_SOURCE_DIR "/tests/window/";

// data/<name> with every @KEY@ replaced by its value.
std::string data_file(const std::string& name, const std::map<std::string, std::string>& values) {
  std::string text = testutil::read_file(here + "data/" + name);
  for (const auto& [key, value] : values) {
    for (size_t at; (at = text.find("@" + key + "@")) != std::string::npos;) text.replace(at, key.size() + 2, value);
  }
  return text;
}

class PictoraWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testutil::start_gui(); }

  std::string ini() const { return home / "config/pictora/pictora.ini"; }
  // A user of their own: home, settings folder and no camera card.
  // In a sanitizer build the leak checker also counts the font library's
  // cache, which lives as long as the program.
  std::vector<std::string> env(std::vector<std::string> more = {}) const {
    testutil::write_file(home / "leaks.supp", "leak:libfontconfig.so\n");
    more.insert(more.end(), {"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home / "config", "USER=pictora-tester",
                             "LC_ALL=C.UTF-8", "LSAN_OPTIONS=suppressions=" + home / "leaks.supp"});
    return more;
  }
  // Runs the driver's scenario on the command line; the driver's report.
  std::string drive(const std::string& scenario, const std::vector<std::string>& command,
                    const std::vector<std::string>& more_env = {}) {
    std::vector<std::string> argv{"dbus-run-session", "--",    "/usr/bin/python3", here + "drive_pictora.py",
                                  home / "report",    scenario};
    argv.insert(argv.end(), command.begin(), command.end());
    std::string out, err;
    EXPECT_EQ(testutil::run_program(argv, &out, &err, env(more_env)), 0) << out << err;
    return testutil::read_file(home / "report");
  }

  // pictora-cli with args, as this user; it must succeed.
  void cli(std::vector<std::string> args) {
    std::string out, err;
    args.insert(args.begin(), {testutil::cli_path(), "--quiet"});
    EXPECT_EQ(testutil::run_program(args, &out, &err, env()), 0) << err;
  }
  // The window program installed under prefix by `cmake --install`, run
  // from a folder without catalogues.
  std::vector<std::string> installed(const std::string& prefix) {
    std::string out, err;
    EXPECT_EQ(testutil::run_program({"cmake", "--install", PICTORA_BINARY_DIR, "--prefix", prefix}, &out, &err), 0)
        << err;
    return {"env", "-C", home.path(), prefix + "/bin/pictora"};
  }
  // A program in home/bin that notes its name and arguments in home/calls,
  // each call ending with a line ".".
  std::string stub(const std::string& name) {
    const std::string path = home / "bin/" + name;
    testutil::make_dirs(home / "bin");
    testutil::write_file(path, "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" . >> '" + home / "calls" + "'\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }
  // A book folder whose title is "Our pictures" (a head comment in CR LF).
  static void make_book(const std::string& dir) {
    testutil::make_dirs(dir + "/txt");
    testutil::write_file(dir + "/txt/head.txt", "Our pictures\r\nOur pictures\r\n");
  }

  testutil::TempDir home;
};

TEST_F(PictoraWindow, WithoutSettingsTheDialogComesFirst) {
  struct Case {
    std::string scenario, report, file;  // file: data/<file>, "" when none may be written
  };
  const Case cases[] = {
      {"first-start", "main window before the dialog: False\ntitle: Pictora - Books and Albums\nexit: 0\n",
       "first-start.ini"},
      {"first-cancel", "main window before the dialog: False\nexit: 0\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    fs::remove_all(home / "config");
    fs::remove_all(home / "book");
    EXPECT_EQ(drive(c.scenario, {program}), c.report);
    if (c.file.empty()) {
      EXPECT_FALSE(testutil::exists(home / "config"));
    } else {
      EXPECT_EQ(testutil::read_file(ini()), data_file(c.file, {{"HOME", home.path()}}));
    }
    // OK makes the album folder the settings name; Cancel makes nothing.
    EXPECT_EQ(testutil::exists(home / "book"), !c.file.empty());
  }
}

// The main window over an album base given on the command line: its list
// (longer than the 640 pixels it may take), the viewer buttons of an album
// and of two collections, the browser button, the settings dialog (Cancel,
// then OK with a typed album folder and a source folder picked in the folder
// chooser; the list follows the new album folder at once), and Close.
// Pictures of the window and the dialog are left in the build tree's
// test-artefacts.
TEST_F(PictoraWindow, SessionOverAnAlbumBase) {
  testutil::base_fixture base;
  base.add_file("2024-05 Walk/size3/P1.JPG", "jpeg");
  base.add_file("notes.txt", "a file, not a folder\r\n");
  base.add_file("2023 Trips/txt/count.txt", "9\r\n");  // a book's count is not shown
  base.set_comment("_Odd", "Odd \xE9t\xE9", "");       // not UTF-8: shown with replacement characters
  // More rows than the list shows at once.
  for (int i = 10; i < 40; ++i) {
    const std::string name = "2021-" + std::to_string(i) + " Day";
    base.set_comment(name, "A day out, number " + std::to_string(i), "Morning in the hills\r\nand the way back\r\n");
    base.add_file(name + "/txt/count.txt", std::to_string(i) + "\r\n");
    testutil::make_dirs(base.path(name + "/original"));
  }
  const std::string stubs = home / "bin", calls = home / "calls", album = home / "new/books", from = home / "camera";
  testutil::make_dirs(from);
  for (const char* name : {"viewer", "browser"}) stub(name);
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), data_file("session-start.ini", {{"STUBS", stubs}}));

  const std::string report = drive("session", {program, "/cards", base.base()},
                                   {"SCREENSHOT_DIR=" PICTORA_BINARY_DIR "/test-artefacts", "CALLS=" + calls,
                                    "VIEW_ROWS=2024-05 Walk|_Best|_PrintBook", "BROWSER=" + stubs + "/browser",
                                    "NEW_ALBUM=" + album, "NEW_FROM=" + from, "OSTYPE=linux-gnu"});
  const std::map<std::string, std::string> paths{
      {"BASE", base.base()}, {"STUBS", stubs}, {"NEW", album}, {"FROM", from}};
  EXPECT_EQ(report, data_file("session.txt", paths));
  EXPECT_EQ(testutil::read_file(calls), data_file("session-calls.txt", paths));
  EXPECT_EQ(testutil::read_file(ini()), data_file("session.ini", paths));
  EXPECT_TRUE(fs::is_directory(album));
}

// The typical request, all in the window: Edit, New Album over a camera
// folder of real pictures, a movie, a sound and a note; some files
// unpicked, one picture turned, the album named, titled and described, OK.
// The album on disk is the one pictora-cli make-album builds from the same
// picks. Then a sub-book is made, an old album is renamed into another
// sub-book, a book is removed through both confirmations, and Update All
// restores the old album's lost thumbnail in its new place. Pictures of
// the three dialogs are left in the build tree's test-artefacts.
TEST_F(PictoraWindow, TheTypicalRequestMakesTheAlbumPictoraCliMakes) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "needs the camera samples of ../shared/testdata/exif-samples";
  const std::string camera = home / "camera", base = home / "book", reference = home / "reference";
  testutil::make_dirs(camera);
  for (const char* sample : {"Canon_40D.jpg", "orientation/landscape_6.jpg", "mobile/jolla.jpg",
                             "Reconyx_HC500_Hyperfire.jpg"})
    fs::copy_file(samples + "/jpg/" + sample, camera + "/" + fs::path(sample).filename().string());
  testutil::write_movie(camera + "/CLIP0001.MOV", testutil::movie_options(320, 240));
  testutil::write_sound(camera + "/VOICE001.WAV");
  testutil::write_file(camera + "/README.TXT", "notes\r\n");
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), "album=" + base + "\r\n");
  for (const std::string& dir : {base, base + "/2022 Attic"}) make_book(dir);
  cli({"make-album", camera, base + "/2023-01 Old", "--pick", "Canon_40D.jpg", "--title", "Old times"});
  fs::remove(base + "/2023-01 Old/thumb/Canon_40D.jpg");

  const std::string name = "2024-05-01 Walk", title = "A walk in May", head = "Morning in the hills\nand the way back",
                    last = "Thanks for looking";
  const std::string report =
      drive("album", {program, camera, base},
            {"SCREENSHOT_DIR=" PICTORA_BINARY_DIR "/test-artefacts", "THUMBNAILS=5",
             "PICKS=CLIP0001.MOV|Canon_40D.jpg|VOICE001.WAV|jolla.jpg|landscape_6.jpg:90", "NAME=" + name,
             "TITLE=" + title, "HEAD=" + head, "LAST=" + last, "SUB_BOOK=2025 Plans|Plans for 2025", "REMOVE=2022 Attic",
             "RENAME=2023-01 Old|Trips/2023-01 Old"});
  EXPECT_EQ(report, data_file("album.txt", {{"BOOK", base}}));

  cli({"make-album", camera, reference + "/" + name, "--pick", "CLIP0001.MOV", "--pick", "Canon_40D.jpg", "--pick",
       "VOICE001.WAV", "--pick", "jolla.jpg", "--pick", "landscape_6.jpg:90", "--title", title, "--head", head,
       "--last", last});
  EXPECT_EQ(safety::difference(safety::snapshot(reference + "/" + name), safety::snapshot(base + "/" + name)), "");
  EXPECT_TRUE(fs::is_regular_file(base + "/Trips/2023-01 Old/thumb/Canon_40D.jpg"));
  EXPECT_FALSE(fs::exists(base + "/2022 Attic"));
  for (const char* page : {"index.html", "Trips/index.html", "Trips/_Best/index.html", "2025 Plans/index.html"})
    EXPECT_TRUE(fs::is_regular_file(base + "/" + page)) << page;
}

// A day's pictures sorted without leaving the window, at display scale 1
// from the build tree and at scale 2 installed under a prefix: in the album
// editor a failed picture marked good and flagged for print, a good one
// commented (markup and an empty line), one turned by 270 degrees and,
// after Apply, by 270 degrees again; Update All; the collections opened to
// edit and every viewer opened to look, the album viewer's picture, movie
// and sound started. The lists, the comment and the pages hold what the
// user set, the turn is made from the original once, the thumbnails are the
// levels the scale asks for, and the viewer and player get the original,
// the converted movie and the sound. Pictures of every dialog are left in
// the build tree's test-artefacts.
TEST_F(PictoraWindow, SortingADayInTheAlbumEditor) {
  const std::string samples = testutil::samples_dir();
  if (samples.empty()) GTEST_SKIP() << "needs the camera samples of ../shared/testdata/exif-samples";
  for (const char* scale : {"1", "2"}) {
    SCOPED_TRACE(scale);
    const std::string base = home / ("book" + std::string(scale)), camera = home / "camera";
    const std::string album = base + "/2024-05-01 Walk", sea = base + "/2024 Trips/2024-06 Sea";
    fs::remove_all(camera);
    testutil::make_dirs(camera);
    for (const char* sample : {"Canon_40D.jpg", "mobile/jolla.jpg", "Reconyx_HC500_Hyperfire.jpg"})
      fs::copy_file(samples + "/jpg/" + sample, camera + "/" + fs::path(sample).filename().string());
    testutil::write_movie(camera + "/CLIP0001.MOV", testutil::movie_options(320, 240));
    testutil::write_sound(camera + "/VOICE001.WAV");
    testutil::make_dirs(home / "config/pictora");
    testutil::write_file(ini(),
                         "album=" + base + "\r\nmovie=" + stub("player") + "\r\nvexaview=" + stub("viewer") + "\r\n");
    fs::remove(home / "calls");
    for (const std::string& dir : {base, base + "/2024 Trips"}) make_book(dir);
    cli({"make-album", camera, album, "--title", "A walk in May"});
    cli({"make-album", camera, sea, "--pick", "Canon_40D.jpg", "--title", "By the sea"});
    testutil::write_file(album + "/txt/good.txt", "Canon_40D.jpg\r\n");
    testutil::write_file(album + "/txt/fail.txt", "jolla.jpg\r\nGONE.jpg\r\n");  // a name no longer in the album
    cli({"best", base});
    cli({"best-book", base, "print"});

    const std::string comment = "Seen from the <b>hill</b>\n\nat dawn";
    const std::string report =
        drive("sorting", scale == std::string("1") ? std::vector<std::string>{program} : installed(home / "prefix"),
              {"SCREENSHOT_DIR=" PICTORA_BINARY_DIR "/test-artefacts/scale" + std::string(scale), "GDK_SCALE=" + std::string(scale),
               "ALBUM=2024-05-01 Walk", "THUMBNAILS=4", "GOOD=jolla.jpg", "COMMENT=Canon_40D.jpg|" + comment,
               "TURN=Reconyx_HC500_Hyperfire.jpg", "BOOK=2024 Trips", "INNER=2024-06 Sea",
               "PLAY=Canon_40D.jpg|CLIP0001.MOV|VOICE001.WAV", "CALLS=" + home / "calls"});
    EXPECT_EQ(report, data_file("sorting-scale" + std::string(scale) + ".txt", {}));
    // The picture, the converted movie and the sound, each started once.
    EXPECT_EQ(testutil::read_file(home / "calls"), "viewer\n" + album + "/original/Canon_40D.jpg\n.\nplayer\n" + album +
                                                      "/movie0/CLIP0001.mp4\n.\nplayer\n" + album +
                                                      "/original/VOICE001.WAV\n.\n");
    EXPECT_TRUE(fs::is_regular_file(album + "/movie0/CLIP0001.mp4"));

    const std::pair<std::string, std::string> files[] = {
        {"txt/good.txt", "Canon_40D.jpg\r\njolla.jpg\r\n"},
        {"txt/fail.txt", "GONE.jpg\r\n"},
        {"txt/print.txt", "jolla.jpg\r\n"},
        {"txt/Canon_40D.txt", "Seen from the <b>hill</b>\r\n\r\nat dawn\r\n"},
    };
    for (const auto& [file, bytes] : files) EXPECT_EQ(testutil::read_file(album + "/" + file), bytes) << file;
    for (const std::string& page : {album + "/index.html", base + "/_Best/index.html"})
      EXPECT_NE(testutil::read_file(page).find("Seen from the"), std::string::npos) << page;
    EXPECT_NE(testutil::read_file(base + "/_PrintBook/index.html").find("jolla.jpg"), std::string::npos);
    // Turned once from the original (2048 x 1536), never twice.
    const testutil::jpeg_coefficients_t turned =
        testutil::read_coefficients(testutil::read_file(album + "/size0/Reconyx_HC500_Hyperfire.jpg"));
    EXPECT_EQ(std::make_pair(turned.width, turned.height), std::make_pair(1536u, 2048u));
  }
}

// Every dialog on a laptop's screen and a desktop's, at display scales 1
// and 2 (2560 x 1440 at scale 2 is a 1280 x 720 screen in logical pixels),
// with the openbox window manager and without one, measured once its
// pictures are in: within the screen at the size it opened at, its buttons
// in view (data/geometry.txt). On the way, New Book takes a sub-book's texts
// when its name is typed and Enter makes it again with them (its files
// keep their bytes), and the collections name the albums of two pictures
// of one name.
TEST_F(PictoraWindow, EveryDialogFitsTheScreen) {
  const std::string base = home / "book", camera = home / "camera", trips = base + "/trips";
  testutil::make_dirs(camera);
  for (int i = 1; i <= 6; ++i) {
    testutil::jpeg_options picture(i % 2 ? 2048 : 1536, i % 2 ? 1536 : 2048);
    picture.seed = static_cast<unsigned>(i);
    testutil::write_jpeg(camera + "/P" + std::to_string(i) + ".JPG", picture);
  }
  testutil::write_sound(camera + "/VOICE001.WAV");
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), "album=" + base + "\r\n");
  make_book(base);
  testutil::make_dirs(trips + "/txt");
  testutil::write_file(trips + "/txt/head.txt", "Trips abroad\r\nTrips abroad\r\nFar away\r\n");
  testutil::write_file(trips + "/txt/secret.txt", "");
  cli({"make-album", camera, base + "/2024-05-01 Walk", "--title", "A walk"});
  for (const std::string& album : {base + "/2024-05-02 Hill", trips + "/2024-06 Sea"}) {
    cli({"make-album", camera, album, "--pick", "P1.JPG", "--title", "The same name"});
    testutil::write_file(album + "/txt/good.txt", "P1.JPG\r\n");
    testutil::write_file(album + "/txt/print.txt", "P1.JPG\r\n");
  }
  testutil::write_file(base + "/2024-05-01 Walk/txt/good.txt", "P1.JPG\r\nP2.JPG\r\n");
  cli({"best", base});
  cli({"best-book", base, "print"});
  const std::string trips_head = testutil::read_file(trips + "/txt/head.txt");

  const struct {
    int width, height, scale;
    bool window_manager;
  } screens[] = {
      {1280, 720, 1, false}, {1280, 720, 1, true}, {2560, 1440, 2, true}, {3840, 2160, 2, false},
  };
  for (const auto& s : screens) {
    const std::string screen = std::to_string(s.width / s.scale) + "x" + std::to_string(s.height / s.scale);
    const std::string what = screen + (s.scale > 1 ? " at scale 2" : "") + (s.window_manager ? " with openbox" : "");
    SCOPED_TRACE(what);
    const testutil::x_server_t x(s.width, s.height, s.window_manager);
    const std::string report =
        drive("geometry", {program, camera, base},
              {"DISPLAY=" + x.display(), "GDK_SCALE=" + std::to_string(s.scale), "SCREEN=" + screen,
               "SCREENSHOT_DIR=" PICTORA_BINARY_DIR "/test-artefacts/" + what, "ALBUM=2024-05-01 Walk",
               "BOOK=trips", "THUMBNAILS=6"});
    EXPECT_EQ(report, data_file("geometry.txt", {}));
    EXPECT_EQ(testutil::read_file(trips + "/txt/head.txt"), trips_head);
    EXPECT_TRUE(fs::exists(trips + "/txt/secret.txt"));
  }
}

TEST_F(PictoraWindow, WrongCommandLinePrintsUsage) {
  testutil::make_dirs(home / "config/pictora");
  testutil::write_file(ini(), "album=" + home / "book" + "\r\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-h"}, {"a"}, {"-h", "to"}, {"-h", "from", "to"}, {"a", "b", "c"}}) {
    std::vector<std::string> argv{"timeout", "60", program};  // a window that opened would wait for its user
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out, err;
    EXPECT_EQ(testutil::run_program(argv, &out, &err, env()), 0) << args[0] << err;
    EXPECT_EQ(out, "usage: " + program + " [-h] [<from dir> <to dir>]\n") << args[0];
  }
  EXPECT_EQ(testutil::read_file(ini()), "album=" + home / "book" + "\r\n");
}

bool executable(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IXOTH);
}

// What `cmake --install` puts under a prefix, and that the installed programs
// find their catalogue there: the installed window program reads its dialog's
// title from it, the installed pictora-cli its refusal of an empty camera
// folder.
TEST_F(PictoraWindow, InstalledUnderAnyPrefix) {
  testutil::TempDir prefix;
  const std::vector<std::string> window_program = installed(prefix.path());
  for (const char* name : {"pictora", "pictora-cli", "pictora-view"})
    EXPECT_TRUE(executable(prefix / "bin/" + name)) << name;

  std::map<std::string, std::string> copies{{"pictora.desktop", "applications/pictora.desktop"},
                                            {"icons/pictora.svg", "icons/hicolor/scalable/apps/pictora.svg"},
                                            {"icons/48x48/pictora.png", "icons/hicolor/48x48/apps/pictora.png"},
                                            {"icons/128x128/pictora.png", "icons/hicolor/128x128/apps/pictora.png"},
                                            {"pictora.metainfo.xml", "metainfo/pictora.metainfo.xml"},
                                            {"pictora-cli.bash-completion", "bash-completion/completions/pictora-cli"}};
  std::set<std::string> catalogues, in_prefix;
  for (const auto& entry : fs::directory_iterator(PICTORA_SOURCE_DIR "/data"))
    if (entry.path().extension() == ".msg") catalogues.insert(entry.path().filename());
  for (const auto& entry : fs::directory_iterator(prefix / "share/pictora")) in_prefix.insert(entry.path().filename());
  EXPECT_EQ(in_prefix, catalogues);
  for (const std::string& name : catalogues) copies[name] = "pictora/" + name;
  for (const auto& [source, target] : copies) {
    EXPECT_EQ(testutil::read_file(prefix / "share/" + target),
              testutil::read_file(PICTORA_SOURCE_DIR "/data/" + source))
        << target;
  }

  std::string out, err;
  EXPECT_EQ(testutil::run_program({"desktop-file-validate", prefix / "share/applications/pictora.desktop"}, &out, &err),
            0)
      << out << err;
  EXPECT_EQ(out + err, "");
  // The AppStream data with the desktop entry and icon it names. Its id is
  // the entry's, which is no reverse domain name (docs/porting.md).
  EXPECT_EQ(testutil::run_program({"appstreamcli", "validate-tree", "--no-net",
                                   "--override=cid-desktopapp-is-not-rdns=info", prefix.path()},
                                  &out, &err),
            0)
      << out << err;
  // Its newest release is the version the programs print.
  testutil::run_program({prefix / "bin/pictora", "--version"}, &out, &err);
  const std::string number = out.substr(out.find(' ') + 1);  // with its line end
  EXPECT_NE(testutil::read_file(prefix / "share/metainfo/pictora.metainfo.xml")
                .find("<release version=\"" + number.substr(0, number.size() - 1) + "\""),
            std::string::npos)
      << out;

  // The manual pages render without a warning and name the version and
  // the usage that the programs print, every command's included; the
  // programs print them without a display or settings.
  for (const std::string name : {"pictora", "pictora-cli"}) {
    std::string page, version, help;
    EXPECT_EQ(testutil::run_program({"man", "--warnings", "-l", prefix / "share/man/man1/" + name + ".1.gz"}, &page,
                                    &err, {"LC_ALL=C", "MANWIDTH=100"}),
              0);
    EXPECT_EQ(err, "") << name;
    testutil::run_program({prefix / "bin/" + name, "--version"}, &version, &err);
    EXPECT_NE(page.find(version.substr(0, version.find('\n'))), std::string::npos) << name << page;
    std::vector<std::vector<std::string>> helps{{"--help"}};
    if (name == "pictora-cli")
      for (size_t i = 0; i < pictora::cli::command_count; ++i) helps.push_back({pictora::cli::commands[i]->name, "--help"});
    for (std::vector<std::string> args : helps) {
      args.insert(args.begin(), name);
      EXPECT_EQ(testutil::run_program(args, &help, &err, env({"PATH=" + prefix / "bin", "DISPLAY=", "WAYLAND_DISPLAY="})),
                0)
          << err;
      const std::string usage = help.substr(0, help.find('\n'));
      EXPECT_NE(page.find(usage.substr(usage.find(name))), std::string::npos) << usage;
    }
  }

  // Run from a folder without catalogues; the dialog is found by its title.
  EXPECT_EQ(drive("first-cancel", window_program),
            "main window before the dialog: False\nexit: 0\n");
  testutil::make_dirs(home / "camera");
  EXPECT_EQ(testutil::run_program({"env", "-C", home.path(), prefix / "bin/pictora-cli", "make-album", home / "camera",
                                   home / "book/2026 Walk", "--title", "A walk"},
                                  &out, &err, env()),
            2);
  EXPECT_EQ(err, "pictora-cli: No picture is selected.\n");
}

// Every file, with its mode, and every link under root, by its path below it.
std::map<std::string, std::string> tree(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_directory() && !entry.is_symlink()) continue;
    const std::string path = fs::relative(entry.path(), root);
    files[path] = entry.is_symlink() ? "link" : executable(entry.path()) ? "program" : "file";
  }
  return files;
}

// The Debian package: what `cmake --install` puts under /usr, its programs
// stripped but working, the version the programs print, and the packages
// they need to run, to convert movies and to start the browser and viewers.
TEST_F(PictoraWindow, DebianPackageHoldsTheInstalledTree) {
  testutil::TempDir work, prefix;
  installed(prefix / "usr");
  std::string out, err;
  ASSERT_EQ(testutil::run_program({"cpack", "-G", "DEB", "--config", PICTORA_BINARY_DIR "/CPackConfig.cmake", "-B",
                                   work.path()},
                                  &out, &err),
            0)
      << out << err;
  std::vector<std::string> debs;
  for (const auto& entry : fs::directory_iterator(work.path()))
    if (entry.path().extension() == ".deb") debs.push_back(entry.path());
  ASSERT_EQ(debs.size(), 1u);
  ASSERT_EQ(testutil::run_program({"dpkg-deb", "-x", debs[0], work / "root"}, &out, &err), 0) << err;
  EXPECT_EQ(tree(work / "root"), tree(prefix.path()));
  std::string version, architecture;
  EXPECT_EQ(testutil::run_program({work / "root/usr/bin/pictora-cli", "--version"}, &version, &err), 0);
  testutil::run_program({"dpkg", "--print-architecture"}, &architecture, &err);

  std::map<std::string, std::string> fields;
  testutil::run_program({"dpkg-deb", "-f", debs[0]}, &out, &err);
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (line.find(": ") != std::string::npos) fields[line.substr(0, line.find(": "))] = line.substr(line.find(": ") + 2);
  EXPECT_EQ(fields["Package"], "pictora");
  EXPECT_EQ("pictora-cli " + fields["Version"] + "\n", version);
  EXPECT_EQ(fields["Architecture"] + "\n", architecture);
  EXPECT_EQ(fields["Section"], "graphics");
  std::set<std::string> depends;
  std::istringstream names(fields["Depends"]);
  for (std::string name; std::getline(names >> std::ws, name, ',');) depends.insert(name.substr(0, name.find(' ')));
  for (const char* name : {"libgtkmm-3.0-1v5", "libjpeg62-turbo", "ffmpeg", "xdg-utils"})
    EXPECT_EQ(depends.count(name), 1u) << name << " in " << fields["Depends"];
  EXPECT_EQ(fields["Recommends"], "feh | eog");
}

// Completion in bash, as bash loads it for the installed pictora-cli: the
// commands are those of the program, a command's options and sub-commands
// those of its usage; file names are left to bash.
TEST_F(PictoraWindow, BashCompletesCommandsAndOptions) {
  testutil::TempDir prefix;
  installed(prefix.path());
  std::set<std::string> commands;
  for (size_t i = 0; i < pictora::cli::command_count; ++i) commands.insert(pictora::cli::commands[i]->name);
  struct Case {
    std::vector<std::string> words;  // after pictora-cli, the last one being completed
    std::set<std::string> offered;
  };
  const Case cases[] = {
      {{""}, commands},
      // --set's value as bash splits it at the "=".
      {{"--quiet", "--set", "jpeg_compress", "=", "90", "b"}, {"best", "best-book", "book-page"}},
      {{"--"}, {"--help", "--quiet", "--set", "--version"}},
      {{"make-album", "camera", "book/2026 Walk", "--"},
       {"--dry-run", "--force", "--head", "--help", "--jobs", "--last", "--pick", "--public", "--secret", "--title"}},
      {{"mark", "book/Day", "P1.JPG", "--no"}, {"--no-apply", "--no-best", "--no-print", "--no-submit", "--no-upload", "--normal"}},
      {{"jpeg", ""}, {"halve", "info", "rotate"}},
      {{"jpeg", "info", ""}, {}},
      {{"--set", "jpeg_compress", "="}, {}},
  };
  const std::string script = R"(source "$0"
function=$(complete -p pictora-cli | sed -E 's/.* -F ([^ ]+) .*/\1/')
COMP_WORDS=(pictora-cli "$@")
COMP_CWORD=$#
"$function"
printf '%s\n' "${COMPREPLY[@]}")";
  for (const Case& c : cases) {
    std::vector<std::string> argv{"bash", "--norc", "-c", script, prefix / "share/bash-completion/completions/pictora-cli"};
    argv.insert(argv.end(), c.words.begin(), c.words.end());
    std::string out, err;
    EXPECT_EQ(testutil::run_program(argv, &out, &err, {"PATH=" + prefix / "bin:/usr/bin:/bin"}), 0) << err;
    EXPECT_EQ(err, "");
    std::set<std::string> offered;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
      if (!line.empty()) offered.insert(line);
    EXPECT_EQ(offered, c.offered) << c.words.back();
  }
}

}  // namespace
