// An album's record with its seven classification lists, and the title, head,
// closing and picture comments kept in the "txt" directory of albums and books.
#pragma once

#include <list>
#include <ostream>
#include <string>

#include "app/best.h"
#include "app/path.h"

namespace pictora {

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
  bool load(const path_t& p);
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

 private:
  static bool has(const best_t& list, const std::string& name) { return list.entries.count(name) != 0; }
};

// Reads txtdir's head file (title twice, then the head comment) and closing
// comment file. A file that cannot be opened leaves its outputs as they were.
void loadcomment(const std::string& txtdir, std::string& title, std::string& head, std::string& last);
// loadcomment on p's "txt" directory; false, outputs untouched, when that
// directory cannot be queried.
bool loadcommenttxt(const path_t& p, std::string& title, std::string& head, std::string& last);
// The first line of p's "txt/count.txt" without its line end; "" when the
// file cannot be read.
std::string loadcounttxt(const path_t& p);
// Writes p's head and closing comment files, creating "txt"; failures go to log.
bool savecommenttxt(const path_t& p, const std::string& title, const std::string& head,
                    const std::string& last, std::ostream& log);

// Reads the whole comment of a picture (its stem plus ".txt" in p's "txt");
// false, out unchanged, when there is none.
bool loadphotocomment(std::string& out, const path_t& p, const std::string& picture);
// The same, appended to lines one line each.
bool loadphotocommentlines(std::list<std::string>& lines, const path_t& p, const std::string& picture);
// Writes a picture's comment into albumdir's "txt", or deletes the file when
// comment is empty. The "txt" directory must exist.
bool savephotocomment(const std::string& comment, const std::string& albumdir, const std::string& picture);

}  // namespace pictora
