// The index page of a book: the book's title and comments around a table
// with one row per album or sub-book, newest first, each with its counter,
// a link to its thumbnail page and a link to its page with its title.
#pragma once

#include "app/build_context.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// Writes index.html of the book directory (book's album part empty) under a
// temporary name renamed into place. Directories marked secret and
// directories without a title file are not listed. False, with the reason
// on log, when the book cannot be listed or the page cannot be written.
// The page is written with the settings of ctx.
bool makehtmlbook(const build_context_t& ctx, const path_t& book, libutils::report_log_t& log);

}  // namespace pictora
