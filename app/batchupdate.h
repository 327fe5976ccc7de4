// Bringing a whole book tree up to date: every album's levels and pages,
// every sub-book's index page and every best-of collection, one directory
// after another. The book editor's "update all" and `pictora-cli update`
// both run it.
#pragma once

#include <sigc++/sigc++.h>

#include <functional>
#include <string>

#include "app/build_context.h"
#include "app/html_best.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// What a batch update reports through: the six stage signals (1 to 4 the
// album stages of updatealbum, 5 and 6 the best-of pages) and a hook called
// when work on a directory begins, with its full path (a progress window
// clears its bars and shows the path as its title).
struct batch_progress_t {
  sigc::signal<void, double> stage[6];
  std::function<void(const std::string& directory)> begin_directory;
};

// Brings dir up to date, recursively: "_Best" gets its best-of page, other
// names beginning with "_" their best book, a sub-book every entry and then
// its index page, an album its levels and pages from every file of
// "original" (rotation 0). A path without album part is left alone. One
// walk of dir (see walk_t): each directory is updated once and nothing
// outside dir is entered. Failures are collected on log and do not stop the
// walk; false only when a directory cannot be listed or a sub-book's index
// page fails. A stop asked for through ctx enters no further directory.
bool batchupdate(const build_context_t& ctx, const path_t& dir, libutils::report_log_t& log,
                 batch_progress_t& progress);

// The "update all" of a book or album path: for a book (empty album part)
// each of its sub-directories in ascending order, in one walk of the book,
// else the path itself.
void update_all(const build_context_t& ctx, const path_t& path, libutils::report_log_t& log,
                batch_progress_t& progress);

}  // namespace pictora
