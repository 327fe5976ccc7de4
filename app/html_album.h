// The generated files of one album: the album page "index.html" with every
// sound, movie and picture and their size links, the thumbnail page
// "list.html", and "txt/count.txt" with the numbers of movies, pictures and
// sounds that the book's index page shows.
#pragma once

#include <sigc++/sigc++.h>

#include "app/build_context.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// Writes index.html, list.html and txt/count.txt of the album, in that order,
// each whole or not at all (write_generated_file), with the settings of ctx.
// progress receives (i + 1) / N after the i-th of the N pictures of the
// album page. An entry whose files cannot be read is reported on log and
// left out of the page; a file that cannot be written is reported and ends
// the work. False after either. Movies that have no converted copy (their
// conversion failed) are left out of the pages.
bool makehtml(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
              libutils::report_log_t& log);

}  // namespace pictora
