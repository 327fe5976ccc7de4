// An album's record with its seven classification lists, and the title, head,
// closing and picture comments kept in the "txt" directory of albums and books.
#pragma once

#include <list>
#include <string>

#include "app/best.h"
#include "app/path.h"
#include "libutils/report.h"
#include "vexalib/message.h"

namespace pictora {

// The classification lists of an album, numbered as the best book that
// gathers each over a book tree.
enum e_bestname_t {
  bestname_fail = 0,
  bestname_good = 1,
  bestname_best = 2,
  bestname_apply = 3,
  bestname_submit = 4,
  bestname_print = 5,
  bestname_upload = 6,
};

class album_t {
 public:
  path_t path;
  best_t best_list;    // "best.txt"
  best_t apply_list;   // "apply.txt"
  best_t submit_list;  // "submit.txt"
  best_t print_list;   // "print.txt"
  best_t upload_list;  // "upload.txt"
  best_t good_list;    // "good.txt"
  best_t fail_list;    // "fail.txt"
  bool changed = false;  // something shown on the pages changed

  // Loads all seven lists, then puts into good every name of the other
  // classifications (fail excepted) that good lacks. True only when every list
  // file could be opened; the record is usable either way.
  bool load(const path_t& p, libutils::report_log_t& log);
  // Saves best, apply, submit, print and upload (good and fail belong to the
  // dialogs that edit them). True when one was written or changed was set;
  // callers then regenerate the pages. Clears changed.
  bool save();

  bool best(const std::string& name) const { return has(best_list, name); }
  bool apply(const std::string& name) const { return has(apply_list, name); }
  bool submit(const std::string& name) const { return has(submit_list, name); }
  bool print(const std::string& name) const { return has(print_list, name); }
  bool upload(const std::string& name) const { return has(upload_list, name); }
  bool good(const std::string& name) const { return has(good_list, name); }
  bool fail(const std::string& name) const { return has(fail_list, name); }
  // In best, apply, submit, print or upload.
  bool isfind(const std::string& name) const;
  // In the list of kind.
  bool holds(e_bestname_t kind, const std::string& name) const;

 private:
  static bool has(const best_t& list, const std::string& name) { return list.entries.count(name) != 0; }
};

// One classification list: its kind, the word that names it on the command
// line, its file in an album's "txt" directory, the directory of its best
// book inside a book, the album record's copy of it, and its label (the
// flag's or mark's text, the word of a classification note).
struct list_kind_t {
  e_bestname_t kind;
  const char* word;
  const char* file;
  const char* bestbook;
  best_t album_t::*list;
  vexalib::e_message_t label;
};
// The seven lists in kind order: fail, good, best, apply, submit, print,
// upload. The last five are the classifications, whose pictures are good too.
extern const list_kind_t s_list_kinds[7];
// The entry of kind; any other value is taken as best.
const list_kind_t& list_kind(e_bestname_t kind);
// Whether kind is one of the five classifications, best to upload.
inline bool is_classification(e_bestname_t kind) { return kind >= bestname_best; }
// The kind whose best book directory is name: "_FailBook" fail, ...,
// "_UploadBook" upload; best for any other name.
e_bestname_t collection_kind(const std::string& name);
// The directory inside a book that gathers the good picks of its albums.
extern const char* const s_goodpicks_dir;  // "_Best"

// Reads txtdir's head file (title twice, then the head comment) and closing
// comment file. A file that cannot be opened leaves its outputs as they were.
void loadcomment(const std::string& txtdir, std::string& title, std::string& head, std::string& last,
                 libutils::report_log_t& log);
// loadcomment on p's "txt" directory; false, outputs untouched, when that
// directory cannot be queried.
bool loadcommenttxt(const path_t& p, std::string& title, std::string& head, std::string& last,
                    libutils::report_log_t& log);
// The first line of p's "txt/count.txt" without its line end; "" when the
// file cannot be read.
std::string loadcounttxt(const path_t& p, libutils::report_log_t& log);
// Writes p's head and closing comment files, creating "txt"; failures go to log.
bool savecommenttxt(const path_t& p, const std::string& title, const std::string& head,
                    const std::string& last, libutils::report_log_t& log);

// The folder of an album's "txt" that keeps the card's side files whose
// names the album's own texts take: "from-card".
extern const char* const s_card_files_dir;

// Whether name is one of the texts an album's "txt" holds whatever its
// files: the title and closing comment files, the seven lists, the
// counter, the secret mark, the movies' facts and the folder of the card's
// side files ("from-card"). Such a file is never a picture's comment: a
// picture named best.jpg has none, rather than the best list.
bool is_own_text(const std::string& name);

// Reads the whole comment of a picture (its stem plus ".txt" in p's "txt");
// false, out unchanged, when there is none.
bool loadphotocomment(std::string& out, const path_t& p, const std::string& picture, libutils::report_log_t& log);
// The same, appended to lines one line each.
bool loadphotocommentlines(std::list<std::string>& lines, const path_t& p, const std::string& picture,
                           libutils::report_log_t& log);
// Writes a picture's comment into albumdir's "txt", or deletes the file when
// comment is empty. The "txt" directory must exist. A comment whose file
// would be one of the album's own texts is refused (reported, false).
bool savephotocomment(const std::string& comment, const std::string& albumdir, const std::string& picture,
                      libutils::report_log_t& log);

}  // namespace pictora
