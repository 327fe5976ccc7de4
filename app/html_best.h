// The best-of collections of a book. "_Best" gathers the good pictures,
// movies and sounds of the albums directly in the book; a best book gathers
// one classification list over every album of the whole book tree. Each
// collection is a directory inside the book with an album-style page
// "index.html", a thumbnail page "list.html" and "txt/count.txt"; the pages
// link into the albums, nothing is copied.
#pragma once

#include <sigc++/sigc++.h>

#include "app/album.h"
#include "app/build_context.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// Writes "_Best" of the book (album part empty) from the albums directly in
// it, secret ones included, newest first: index.html, list.html and
// txt/count.txt, in that order, each under a temporary name renamed into
// place, after giving the collection the title made of the book directory's
// name, a space and message 5 when it has none. Entries more than good are
// framed on the album page and bordered on the thumbnail page.
// progress_index and progress_list receive (a + 1) / A after the a-th of the
// A albums of each page. An entry whose files cannot be read is reported and
// left out. False when the book cannot be listed, a file cannot be written
// or an entry was left out; the reasons go to log. The pages are written
// with the settings of ctx, and the book's index page after them.
bool makebesthtml(const build_context_t& ctx, const path_t& book, sigc::signal<void, double>& progress_index,
                  sigc::signal<void, double>& progress_list, libutils::report_log_t& log);

// The same for kind's best book over every album at and below the book that
// is not marked secret, ordered by album name (albums of one name in the
// order the walk finds them). The book is named by base and book part, so
// that a path with an empty base and the book's full directory as book part
// names it as well; the album part must be empty. An entry is framed and
// noted on the album page when a list other than the gathered one holds it
// (of best, apply, submit, print, upload), and bordered on the thumbnail
// page when apply, submit, print or upload holds it.
bool makebestbookhtml(const build_context_t& ctx, const path_t& book, e_bestname_t kind,
                      sigc::signal<void, double>& progress_index, sigc::signal<void, double>& progress_list,
                      libutils::report_log_t& log);

}  // namespace pictora
