// The generated files of one album: the album page "index.html" with every
// sound, movie and picture and their size links, the thumbnail page
// "list.html", and "txt/count.txt" with the numbers of movies, pictures and
// sounds that the book's index page shows.
#pragma once

#include <sigc++/sigc++.h>

#include <ostream>

#include "app/path.h"

namespace pictora {

// Writes index.html, list.html and txt/count.txt of the album, in that order,
// each under a temporary name renamed into place. progress receives
// (i + 1) / N after the i-th of the N pictures of the album page. False at
// the first file that cannot be written or entry whose size links fail, with
// the reason on log; the files written before stay, and the album page keeps
// the entries written before the failing one.
bool makehtml(const path_t& album, sigc::signal<void, double>& progress, std::ostream& log);

}  // namespace pictora
