// What the main window and the book editor list: the books, albums and
// collection directories inside a book (the main window's is the album
// base), read from disk, and what the viewer button of a row hands to the
// picture viewer. Kept apart from the windows so that the listing needs no
// display.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "libutils/report.h"

namespace pictora {

// One listed directory of the album base.
struct menu_row_t {
  bool is_album = false;  // it has an "original" subdirectory
  std::string path;       // full path of the directory
  std::string name;       // directory name
  std::string count;      // first line of txt/count.txt (albums and collections only)
  std::string title;      // title from its comment files
  std::string comment;    // first two lines of its head comment
  bool secret = false;    // it has txt/secret.txt

  // Albums and directories named "_..." (the collections) can be shown in
  // the picture viewer and carry a count; books cannot.
  bool has_viewer() const { return is_album || (!name.empty() && name[0] == '_'); }
};

struct menu_listing_t {
  std::string title, head, last;  // the comments of the album base itself
  std::vector<menu_row_t> rows;   // descending order of name
};

// The comments of the book directory base and one row per subdirectory that
// has comment files ("txt" itself excepted). False when base cannot be
// listed; the book's comments are read all the same. What cannot be read
// is reported on log.
bool read_menu_listing(const std::string& base, menu_listing_t& out, libutils::report_log_t& log);

// The arguments that the picture viewer gets for row `name` of base: the
// row's view-size directory alone when it exists; otherwise "-C" directory
// and "-@" list-file pairs: for "_Best", the good picks of every top-level
// directory; for the other rows the list that the row's name collects
// ("_PrintBook": print.txt, ... , any other name: best.txt) of every album of
// the tree that has one. A list that cannot be read is reported on log and
// left out.
std::list<std::string> row_viewer_arguments(const std::string& base, const std::string& name,
                                            libutils::report_log_t& log);

}  // namespace pictora
