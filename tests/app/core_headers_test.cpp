// The core (everything but the window units) must build without GTK:
// pictora-cli and the core's tests run where no GTK is installed or shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> window_units() {
  std::istringstream words(PICTORA_WINDOW_UNITS);
  std::set<std::string> units;
  for (std::string unit; words >> unit;) units.insert(unit);
  return units;
}

// "file:line: text" for every include of a GTK-family header (gtkmm, gdkmm,
// gtk, gdk) in the .h/.cpp files of folder, leaving out the files whose
// stem is in exempt.
std::vector<std::string> gtk_includes(const std::string& folder, const std::set<std::string>& exempt) {
  static const std::regex gtk_include(R"(^\s*#\s*include\s*[<"](gtkmm|gdkmm|gtk|gdk)[-./0-9a-z]*[>"/])");
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const fs::path& p = entry.path();
    if (p.extension() != ".h" && p.extension() != ".cpp") continue;
    if (exempt.count(p.stem().string()) != 0) continue;
    std::ifstream in(p);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      if (std::regex_search(line, gtk_include)) found.push_back(p.string() + ":" + std::to_string(number) + ": " + line);
    }
  }
  return found;
}

TEST(CoreHeaders, NoCoreSourceIncludesGtk) {
  const std::string top = PICTORA_SOURCE_DIR;
  for (const char* folder : {"libgr", "libutils", "vexalib"})
    EXPECT_EQ(gtk_includes(top + "/" + folder, {}), std::vector<std::string>{}) << folder;
  EXPECT_EQ(gtk_includes(top + "/app", window_units()), std::vector<std::string>{});
}

TEST(CoreHeaders, WindowUnitsAreKnown) {
  const std::set<std::string> units = window_units();
  for (const char* unit : {"progwin", "cairobutton", "external", "menu_win", "main"}) EXPECT_EQ(units.count(unit), 1u) << unit;
  EXPECT_EQ(units.count("launch"), 0u);
  EXPECT_EQ(units.count("global"), 0u);
}

// The check itself: what it must catch, and what it must let pass.
TEST(CoreHeaders, CheckFindsEveryGtkFamilyInclude) {
  testutil::TempDir dir;
  testutil::write_file(dir / "a.h",
                       "#include <gtkmm.h>\n"
                       "#include <glibmm/ustring.h>\n"
                       "  #  include <gdkmm/pixbuf.h>\n"
                       "#include \"gtk/gtk.h\"\n"
                       "#include <gdk/gdk.h>\n"
                       "#include <sigc++/sigc++.h>\n"
                       "// #include <gtkmm.h> in a comment\n"
                       "#include <gtkmm-3.0/gtkmm/button.h>\n");
  testutil::write_file(dir / "win.cpp", "#include <gtkmm.h>\n");
  testutil::write_file(dir / "notes.txt", "#include <gtkmm.h>\n");
  const std::vector<std::string> found = gtk_includes(dir.path(), {"win"});
  const std::vector<std::string> expected{
      dir / "a.h:1: #include <gtkmm.h>", dir / "a.h:3:   #  include <gdkmm/pixbuf.h>",
      dir / "a.h:4: #include \"gtk/gtk.h\"", dir / "a.h:5: #include <gdk/gdk.h>",
      dir / "a.h:8: #include <gtkmm-3.0/gtkmm/button.h>"};
  EXPECT_EQ(found, expected);
}

}  // namespace
