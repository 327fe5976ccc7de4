// The index page of a book: the book's title and comments around a table
// with one row per album or sub-book, newest first, each with its counter,
// a link to its thumbnail page and a link to its page with its title.
#pragma once

#include <ostream>

#include "app/path.h"

namespace pictora {

// Writes index.html of the book directory (book's album part empty) under a
// temporary name renamed into place. Directories marked secret and
// directories without a title file are not listed. False, with the reason
// on log, when the book cannot be listed or the page cannot be written.
bool makehtmlbook(const path_t& book, std::ostream& log);

}  // namespace pictora
