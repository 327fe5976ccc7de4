// The core and the command line never include a GTK header, directly or
// through another header, so that pictora-cli and the core build and run
// where GTK is missing. Judged from the headers the compiler reported for
// every object of the last build (Ninja's dependency log).
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_util.h"

namespace {

TEST(Core, IsBuiltWithoutGtkHeaders) {
  std::string out, err;
  ASSERT_EQ(testutil::run_program({"ninja", "-C", PICTORA_BINARY_DIR, "-t", "deps"}, &out, &err), 0)
      << "the build tree is not a Ninja one: " << err;
  const std::regex window_object(R"(^(tests/|app/CMakeFiles/pictora(_gui)?\.dir/))");
  const std::regex gtk_header(R"(/(gtk|gdk)[-a-z]*-[0-9])");
  std::istringstream lines(out);
  std::string object;
  int core_objects = 0;
  std::vector<std::string> found;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] != ' ') {
      object = std::regex_search(line, window_object) ? "" : line.substr(0, line.find(':'));
      core_objects += !object.empty();
    } else if (!object.empty() && std::regex_search(line, gtk_header)) {
      found.push_back(object + " includes" + line);
      object.clear();
    }
  }
  EXPECT_GT(core_objects, 40);
  EXPECT_EQ(found, std::vector<std::string>{});
}

}  // namespace
