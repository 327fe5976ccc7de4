#include "app/batchupdate.h"

#include <sys/stat.h>

#include <cerrno>
#include <list>
#include <vector>

#include "app/html_book.h"
#include "app/import.h"
#include "app/listing.h"
#include "app/update.h"
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
bool update_entered(const build_context_t& ctx, const path_t& dir, libutils::report_log_t& log,
                    batch_progress_t& progress, walk_t& walk);

// Each subdirectory of the book directory full, in ascending order, that the
// walk enters.
void update_subdirs(const build_context_t& ctx, const std::string& full, std::list<std::string>& names,
                    libutils::report_log_t& log, batch_progress_t& progress, walk_t& walk) {
  for (const std::string& name : names) {
    if (ctx.stopped()) return;
    const path_t sub{"", full, name};
    std::string path;
    sub.make(path);
    if (walk.enter(path)) update_entered(ctx, sub, log, progress, walk);
  }
}

bool update_entered(const build_context_t& ctx, const path_t& dir, libutils::report_log_t& log,
                    batch_progress_t& progress, walk_t& walk) {
  std::string full;
  dir.make(full);
  if (progress.begin_directory) progress.begin_directory(full);
  sigc::signal<void, double>* s = progress.stage;

  // The collections are named by the book that holds them.
  const path_t book{dir.base, dir.book, ""};
  if (dir.album == s_goodpicks_dir) {
    makebesthtml(ctx, book, s[4], s[5], log);
    return true;
  }
  if (dir.album[0] == '_') {
    makebestbookhtml(ctx, book, collection_kind(dir.album), s[4], s[5], log);
    return true;
  }
  std::string original;
  dir.make(original, "original");
  if (!is_directory(original)) {
    if (dir.album == "txt") return true;
    std::list<std::string> names;
    if (!libutils::getdirs(names, full.c_str())) return libutils::fail(log, full, ": cannot be listed", errno);
    update_subdirs(ctx, full, names, log, progress, walk);
    // The index page names its rows by the album part of the path it gets,
    // so the sub-book goes to it as a book of its own.
    return makehtmlbook(ctx, path_t{"", full, ""}, log);
  }

  std::list<std::string> names;
  if (!libutils::getfiles(names, original.c_str()))
    return libutils::fail(log, original, ": cannot be listed", errno);
  std::vector<files_t> files;
  for (const std::string& name : names) files.push_back(files_t{name, 0});
  // A pipe put among the originals would hold the update up for ever.
  files = regular_files(original, files, log, libutils::report_t::failure);
  // Each file that fails is reported by the update itself; the walk goes on.
  updatealbum(ctx, dir, files, s[0], s[1], s[2], s[3], log);
  return true;
}

}  // namespace

bool batchupdate(const build_context_t& ctx, const path_t& dir, libutils::report_log_t& log,
                 batch_progress_t& progress) {
  if (dir.album.empty()) return true;
  std::string full;
  dir.make(full);
  walk_t walk(full);
  return update_entered(ctx, dir, log, progress, walk);
}

void update_all(const build_context_t& ctx, const path_t& path, libutils::report_log_t& log,
                batch_progress_t& progress) {
  if (!path.album.empty()) {
    batchupdate(ctx, path, log, progress);
    return;
  }
  std::string book;
  path.make(book);
  std::list<std::string> names;
  libutils::getdirs(names, book.c_str());  // already ascending
  walk_t walk(book);
  update_subdirs(ctx, book, names, log, progress, walk);
}

}  // namespace pictora
