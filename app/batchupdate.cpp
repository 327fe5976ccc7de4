#include "app/batchupdate.h"

#include <sys/stat.h>

#include <list>
#include <vector>

#include "app/html_book.h"
#include "app/import.h"
#include "app/listing.h"
#include "app/update.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"

namespace pictora {

namespace {

bool is_directory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

namespace {

// Brings dir, entered by walk, up to date (see batchupdate).
bool update_entered(const path_t& dir, std::ostream& log, batch_progress_t& progress, walk_t& walk);

// Each subdirectory of the book directory full, in ascending order, that the
// walk enters.
void update_subdirs(const std::string& full, std::list<std::string>& names, std::ostream& log,
                    batch_progress_t& progress, walk_t& walk) {
  for (const std::string& name : names) {
    const path_t sub{"", full, name};
    std::string path;
    sub.make(path);
    if (walk.enter(path)) update_entered(sub, log, progress, walk);
  }
}

bool update_entered(const path_t& dir, std::ostream& log, batch_progress_t& progress, walk_t& walk) {
  std::string full;
  dir.make(full);
  if (progress.begin_directory) progress.begin_directory(full);
  sigc::signal<void, double>* s = progress.stage;

  // The collections are named by the book that holds them.
  const path_t book{dir.base, dir.book, ""};
  if (dir.album == s_goodpicks_dir) {
    makebesthtml(book, s[4], s[5]);
    return true;
  }
  if (dir.album[0] == '_') {
    makebestbookhtml(book, collection_kind(dir.album), s[4], s[5]);
    return true;
  }
  std::string original;
  dir.make(original, "original");
  if (!is_directory(original)) {
    if (dir.album == "txt") return true;
    std::list<std::string> names;
    if (!libutils::getdirs(names, full.c_str())) return false;
    update_subdirs(full, names, log, progress, walk);
    // The index page names its rows by the album part of the path it gets,
    // so the sub-book goes to it as a book of its own.
    return makehtmlbook(path_t{"", full, ""}, log);
  }

  std::list<std::string> names;
  if (!libutils::getfiles(names, original.c_str())) return false;
  std::vector<files_t> files;
  for (const std::string& name : names) files.push_back(files_t{name, 0});
  // A pipe put among the originals would hold the update up for ever.
  files = regular_files(original, files, log);
  if (!updatealbum(dir, files, s[0], s[1], s[2], s[3], log))
    libutils::fail(log, full, ": updatealbum() fail.");
  return true;
}

}  // namespace

bool batchupdate(const path_t& dir, std::ostream& log, batch_progress_t& progress) {
  if (dir.album.empty()) return true;
  std::string full;
  dir.make(full);
  walk_t walk(full);
  return update_entered(dir, log, progress, walk);
}

void update_all(const path_t& path, std::ostream& log, batch_progress_t& progress) {
  if (!path.album.empty()) {
    batchupdate(path, log, progress);
    return;
  }
  std::string book;
  path.make(book);
  std::list<std::string> names;
  libutils::getdirs(names, book.c_str());  // already ascending
  walk_t walk(book);
  update_subdirs(book, names, log, progress, walk);
}

}  // namespace pictora
