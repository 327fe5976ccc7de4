// pictora-cli exif: the caption the pages print under a picture.
#include <iostream>
#include <sstream>

#include "app/exif.h"
#include "cli/cli.h"
#include "cli/work.h"
#include "libutils/common.h"

namespace pictora::cli {

namespace {

int run_exif(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

extern const command_t exif_command = {
    "exif",
    "print the caption of a picture",
    "Usage: pictora-cli exif [--html] FILE\n"
    "\n"
    "  Writes the caption made from FILE's EXIF block: shooting date, camera\n"
    "  and lens, exposure settings, focus, picture settings, one item a line,\n"
    "  each beginning with a tab. --html puts <br> at the start of the lines\n"
    "  after the first, as on the album pages. Exits 1 and prints nothing when\n"
    "  FILE has no readable EXIF block.\n",
    run_exif,
};

namespace {

int run_exif(context_t& ctx, const std::vector<std::string>& args) {
  bool html = false;
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    if (arg == "--html") {
      html = true;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 1) return usage_error(&exif_command, "exif needs one FILE");
  // The caption is complete or not written at all.
  std::ostringstream caption;
  std::string why;
  libutils::report_log_t log = printing_log(ctx);
  if (!writeexif(caption, path_t{}, "", files[0], html, log, &why)) {
    libutils::fail(log, files[0], ": " + why);
    return exit_failed;
  }
  std::cout << caption.str();
  return exit_ok;
}

}  // namespace

}  // namespace pictora::cli
