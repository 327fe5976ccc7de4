// pictora-cli albums: the albums of a book tree.
#include <cerrno>
#include <iostream>

#include "app/listing.h"
#include "cli/cli.h"
#include "cli/work.h"
#include "libutils/common.h"

namespace pictora::cli {

static_assert(path_separator == '/', "the listing joins the components of a path with '/'");

namespace {

int run_albums(context_t& ctx, const std::vector<std::string>& args);

}  // namespace

extern const command_t albums_command = {
    "albums",
    "list the albums of a book tree",
    "Usage: pictora-cli albums DIR\n"
    "\n"
    "Lists every album at and below the book directory DIR, one a line, as its\n"
    "path relative to DIR, in the order of the best books: by album name, and\n"
    "albums of the same name in walk order. Directories named \"txt\" or\n"
    "beginning with \"_\" and secret books and albums are left out.\n",
    run_albums,
};

namespace {

int run_albums(context_t& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return usage_error(&albums_command, "albums needs one directory");
  const std::string& dir = args[0];
  std::list<std::string> names;
  if (!walk_names(names, dir)) {
    libutils::report_log_t log = printing_log(ctx);
    libutils::fail(log, dir, ": the folder cannot be read", errno);
    return exit_failed;
  }
  std::list<albumdir_t> albums;
  hierar_albums(albums, path_t{dir, "", ""}, names);
  sort_albums(albums);
  for (const albumdir_t& album : albums) {
    std::string relative;
    path_t{"", album.first, album.second}.submake(relative);
    std::cout << relative << "\n";
  }
  return exit_ok;
}

}  // namespace

}  // namespace pictora::cli
