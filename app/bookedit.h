// What the book editor does to the disk, kept apart from its windows: the
// checks of a new album in the order the user meets them and its making,
// saving a book with its renamed and re-marked rows, making a sub-book and
// removing a row. Nothing here needs a display; the long calls take a
// batch_progress_t and run on a thread of their own while the progress
// window shows their bars.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "app/batchupdate.h"
#include "app/import.h"
#include "app/path.h"
#include "libutils/report.h"
#include "vexalib/message.h"

namespace pictora {

// The book directory of p as a path of its own (base and album empty), the
// form the book's index and best pages are written for.
path_t book_of(const path_t& p);

// Creates dir's "txt/secret.txt" (emptied) when secret holds, else deletes it.
void mark_secret(const path_t& dir, bool secret);
// Whether dir carries that mark.
bool is_secret(const path_t& dir);

// The name a new album gets unless the user types another: the local date
// of `now` as eight digits, year, month, day.
std::string default_album_name(std::time_t now);

// A new album as the album creation dialog describes it.
struct album_request_t {
  std::string source;          // the camera folder the files were picked from
  path_t target;               // base empty, book = the book directory, album = the name typed
  std::string title, head, last;
  std::vector<files_t> files;  // the picked files in listing order with their turns
  bool secret = false;
  bool replace = false;        // the user chose to build into an existing album
};

// The editor's answer to what the user asked for, when it is not a plain
// yes: the catalogue's message and, where it helps, a line naming what is
// wrong. A refusal comes before any work; what goes wrong during the work
// is reported on a report_log_t.
struct refusal_t {
  vexalib::e_message_t message = vexalib::msg_error;
  std::string detail;
  bool question = false;  // the user may go on anyway (an existing album)
  bool untouched = false;  // refused before anything was written

  // The text of the message box: the message, then the detail on a line of its own.
  std::string text() const;
};

// The checks of a new album, in this order: no picked file, no camera
// folder, no album name, a name that is not one directory of the book (a
// path separator, "." or ".."), an existing album directory (a question;
// replace_existing answers it), no title, a camera folder that lies in the
// album itself, picked files that would share pages or copies (with each
// other or with the album's files) or take the album's own texts for their
// comments. True when nothing is refused.
bool check_album(const album_request_t& request, bool replace_existing, refusal_t& why);

// Makes the album, for the window and the command line alike: claims its
// directory (made new, or taken over when request.replace holds; no other
// build or update works in it until this one ends), checks again what the
// import must not do, records the build, writes its comment files and
// secret mark, then builds it (import, size levels, thumbnails, movies,
// pages; the stage signals 1 to 4 of progress) and the index page of its
// book, with ctx (settings, jobs, progress items, stop). False with why
// filled: refused and untouched (the directory exists, or another build
// holds it, or the import checks fail now), or why.message says what failed
// (the comments could not be saved, the build or the book page failed, the
// build was stopped) and the reports are on log. Files left out of the
// album are reported on log as the album is built; the rest is built.
bool make_album(const build_context_t& ctx, const album_request_t& request, batch_progress_t& progress,
                refusal_t& why, libutils::report_log_t& log);

// One row of a book as listed and as the user left it in the editor.
struct row_change_t {
  std::string name;      // the directory as listed
  std::string new_name;  // as typed; a directory part moves the row into that sub-book
  bool was_secret = false;
  bool secret = false;
};

// Renames the row `from` of the book directory to `to`. A sub-book that `to`
// names and that does not exist yet is made first, with its name as its
// title, so that it is listed. A failure is reported on log with the move it
// was. True when renamed.
bool rename_row(const std::string& book_dir, const std::string& from, const std::string& to,
                libutils::report_log_t& log);

// Saves what the editor shows of a book (its comments are saved before):
// each row's secret mark and name, the best and index pages of every
// sub-book a row moved into (in name order), the book's "_Best" (stage
// signals 5 and 6 of progress), the book's own secret mark and its index
// page, with ctx. Failures are reported on log; false only when the index
// page cannot be written.
bool save_book(const build_context_t& ctx, const path_t& book, const std::vector<row_change_t>& rows, bool secret,
               batch_progress_t& progress, libutils::report_log_t& log);

// Makes the sub-book `name` of book (or takes the existing one): its
// directory, comment files, secret mark and index page, then the index page
// of book. Everything that fails is reported on log; false when the
// comment files cannot be written.
bool make_book(const build_context_t& ctx, const path_t& book, const std::string& name, const std::string& title,
               const std::string& head, const std::string& last, bool secret, libutils::report_log_t& log);

// Removes the row `name` of book with everything in it, then writes the
// book's index page. Nothing is removed unless everything can be: false,
// the disk untouched and why naming the first file or directory that
// stands in the way, otherwise. A book page that fails is reported on log.
bool remove_row(const build_context_t& ctx, const path_t& book, const std::string& name, refusal_t& why,
                libutils::report_log_t& log);

}  // namespace pictora
