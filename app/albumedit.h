// What the album editor and the collection dialogs decide and write, kept
// apart from their windows: the marks and flags of an album's pictures and
// how one implies another, the pictures of the good-picks and best-book
// collections, what a row of a book list opens, and the saving of what the
// user edited followed by the pages that must follow. Nothing here needs a
// display; the long steps take a batch_progress_t and run on a thread of
// their own while the progress window shows their bars.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/batchupdate.h"
#include "app/build_context.h"
#include "app/bookedit.h"
#include "app/import.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// A picture's mark in its album: in "good.txt", in "fail.txt", or neither.
enum class mark_t { good, normal, fail };

// The five flags a picture can carry, in the order the dialogs show them.
extern const e_bestname_t s_flag_kinds[5];

// One album's marks and flags as the album editor edits them. Nothing is
// written before save().
struct album_marks_t {
  path_t album;
  best_t good, fail;  // the lists as their files hold them
  album_t record;     // the five flags

  // Loads the good and fail lists and the album record; missing list files
  // are empty lists, what cannot be read is reported on log.
  void load(const path_t& p, libutils::report_log_t& log);
  mark_t mark(const std::string& name) const;
  // Good adds the name to the good list; normal and fail take every flag
  // away; fail puts the name into the fail list.
  void set_mark(const std::string& name, mark_t mark);
  bool flag(const std::string& name, e_bestname_t kind) const { return record.holds(kind, name); }
  // A flag makes the picture good; taking one away leaves the mark.
  void set_flag(const std::string& name, e_bestname_t kind, bool on);
};

// Adds name to, or takes it from, list; marks the list modified when it changed.
void set_entry(best_t& list, const std::string& name, bool on);

// A picture's comment as loaded and as the user left it.
struct comment_edit_t {
  album_t* album = nullptr;  // the picture's album (collections show several)
  std::string name;
  std::string loaded, now;
};

// A title, head and closing comment and the secret mark as typed.
struct texts_edit_t {
  std::string title, head, last;
  bool secret = false;
};

// The texts and secret mark of an album, book or collection as its editors
// show them before the user types: the files' texts as read.
texts_edit_t load_texts(const path_t& dir, libutils::report_log_t& log);

// Every file of the album's "original" with no turn, in listing order: what
// the album editor brings up to date when the user turned nothing.
std::vector<files_t> album_files(const path_t& album, libutils::report_log_t& log);

// Saves what the album editor shows: the flags and the good list (when one
// of them was written, the book's "_Best" collection is made if missing and
// best_page is set), the fail list, the album's texts, each changed comment
// (a changed comment of a good picture sets best_page too) and the secret
// mark. An empty title leaves the texts and comments unsaved, a text that
// cannot be saved the comments after it; the lists before and the secret
// mark after are saved all the same. False with why filled (no title; a
// text that could not be saved) when the texts and comments were not all
// saved.
bool save_album_edit(album_marks_t& marks, const texts_edit_t& texts, const std::vector<comment_edit_t>& comments,
                     bool& best_page, refusal_t& why);

// Brings the edited album up to date for files (every file of "original"
// with the turn the user picked; stage signals 1 to 4), then, with
// best_page, the book's "_Best" page (signals 5 and 6), with ctx. The
// "_Best" collection itself is never updated as an album. Failures are
// reported on log; false when the update failed or was stopped.
bool update_edited_album(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                         bool best_page, batch_progress_t& progress, libutils::report_log_t& log);

// The album editor's OK without a window: save_album_edit, then, whatever
// became of the texts, update_edited_album over every file of "original"
// with no turn, then the index page of the album's book (which shows its
// title). False with why filled when the texts or comments were not saved;
// false with the reports on log when the update failed.
bool edit_album(const build_context_t& ctx, album_marks_t& marks, const texts_edit_t& texts,
                const std::vector<comment_edit_t>& comments, batch_progress_t& progress, refusal_t& why,
                libutils::report_log_t& log);

// Takes the files `names` out of the album. Each original is moved, never
// copied over and never deleted, into the folder `to` (made when missing);
// its comment goes, it leaves every list, its movie copies and stills and
// its zoom pages go; then the album is updated (which takes the levels and
// thumbnail of a picture whose original is gone) with its "_Best" page
// when it was good, and its book's index page. Refused, nothing touched,
// with why naming the reason: a name that is no file of "original", a file
// of that name already in `to`, `to` inside the album, another build
// working in the album. A move that fails is reported on log and that file
// stays in the album.
bool remove_from_album(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& names,
                       const std::string& to, batch_progress_t& progress, refusal_t& why,
                       libutils::report_log_t& log);

// The pictures a collection dialog shows: the albums' records and one entry
// per picture, in the collection's order.
struct collection_t {
  path_t collection;  // the "_Best" or best-book directory
  bool goodpicks = true;
  e_bestname_t kind = bestname_good;
  std::list<album_t> albums;
  struct entry_t {
    album_t* album;
    std::string name;
  };
  std::vector<entry_t> entries;
};

// "_Best": the good pictures of every album directly in the collection's
// book (newest album first, names ascending). A best book: the pictures of
// its list over every album of the tree below the book, in the order of its
// page. False when the book cannot be listed. What cannot be read is
// reported on log.
bool load_goodpicks(collection_t& out, const path_t& collection, libutils::report_log_t& log);
bool load_bestbook(collection_t& out, const path_t& collection, e_bestname_t kind, libutils::report_log_t& log);

// Saves a collection's own texts and the changed comments of its pictures
// (their albums then count as changed), then its secret mark, as
// save_album_edit does: false with why filled when the title is empty or a
// text cannot be saved, the secret mark saved all the same.
bool save_collection_texts(collection_t& c, const texts_edit_t& texts, const std::vector<comment_edit_t>& comments,
                           refusal_t& why);
// Saves the albums whose lists or comments changed and writes their pages
// again (signals 3 and 4), then the collection's page (5 and 6), with ctx.
// Failures are reported on log; false then.
bool update_collection(const build_context_t& ctx, collection_t& c, batch_progress_t& progress,
                       libutils::report_log_t& log);

// What the item button of a row named name in the book directory book_dir
// opens; each window that lists rows decides in its own way.
enum class row_dialog_t { goodpicks, bestbook, album, book };
enum class row_opener_t {
  // "_Best" and the seven best books by name; any other row is an album
  // when it has an "original" folder, else a book.
  main_window,
  // An album when the row has an "original" folder; else "_Best", a best
  // book for any other name beginning with "_", or a book.
  book_viewer,
  // "_Best", a best book for any other name beginning with "_"; else an
  // album when the row has a "thumb" folder, or a book.
  book_editor,
};
row_dialog_t row_dialog(const std::string& book_dir, const std::string& name, row_opener_t opener);

}  // namespace pictora
