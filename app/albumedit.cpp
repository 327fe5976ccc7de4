#include "app/albumedit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <set>

#include "app/html_album.h"
#include "app/html_book.h"
#include "app/html_page.h"
#include "app/html_best.h"
#include "app/html_zoom.h"
#include "app/listing.h"
#include "app/update.h"
#include "libutils/dirutil.h"
#include "libutils/common.h"
#include "libutils/futil.h"
#include "libutils/strutil.h"

namespace pictora {

namespace {

// The book that holds the album or collection p.
path_t book_holding(const path_t& p) { return book_of(path_t{p.base, p.book, ""}); }

// The texts of dir (none with an empty title), then each changed comment,
// on_saved(edit) after each, up to the first that fails; then dir's secret
// mark whatever became of them.
template <typename Saved>
bool save_texts(const path_t& dir, const texts_edit_t& texts, const std::vector<comment_edit_t>& comments,
                refusal_t& why, Saved on_saved) {
  const bool saved = [&] {
    if (texts.title.empty()) {
      why = refusal_t{vexalib::msg_no_title, "", false};
      return false;
    }
    libutils::report_log_t log;
    const auto refuse = [&] {
      why = refusal_t{vexalib::msg_comments_not_saved, log.text(), false};
      while (!why.detail.empty() && why.detail.back() == '\n') why.detail.pop_back();
      return false;
    };
    if (!savecommenttxt(dir, texts.title, texts.head, texts.last, log)) return refuse();
    for (const comment_edit_t& c : comments) {
      if (c.now == c.loaded) continue;
      std::string album_dir;
      c.album->path.make(album_dir);
      if (!savephotocomment(c.now, album_dir, c.name, log)) return refuse();
      on_saved(c);
    }
    return true;
  }();
  mark_secret(dir, texts.secret);
  return saved;
}

bool is_regular(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Moves the original `from` to `to`: renamed where the file system allows,
// else copied with its time and then unlinked, so the file is never lost.
bool move_original(const std::string& from, const std::string& to, libutils::report_log_t& log) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) return libutils::fail(log, from, ": cannot be moved to " + to, errno);
  namespace fs = std::filesystem;
  std::error_code error;
  fs::copy_file(from, to, fs::copy_options::none, error);
  if (!error) fs::last_write_time(to, fs::last_write_time(from, error), error);
  if (error) {
    fs::remove(to);
    return libutils::fail(log, from, ": cannot be copied to " + to + ": " + error.message());
  }
  if (std::remove(from.c_str()) == 0) return true;
  return libutils::fail(log, from, ": copied to " + to + " but cannot be removed from the album", errno);
}

// The movie copies, stills and zoom pages of the movie `name`, which has
// left "original", and what ffmpeg was asked of the album's movies.
void forget_movie(const path_t& album, const std::string& name) {
  std::string dir, path;
  album.make(dir);
  std::list<std::string> folders;
  libutils::getdirs(folders, dir.c_str());
  const std::string stem = libutils::basename(name);
  uint64_t levels = 0;
  for (const std::string& folder : folders) {
    if (folder.compare(0, 5, "movie") != 0 || folder.size() == 5 ||
        folder.find_first_not_of("0123456789", 5) != std::string::npos)
      continue;
    ++levels;
    for (const char* ending : {".mp4", ".jpg"}) {
      album.make(path, folder, stem + ending);
      std::remove(path.c_str());
    }
  }
  // A level folder the movie alone had goes with it.
  for (const std::string& folder : folders) {
    if (folder.compare(0, 5, "movie") == 0) ::rmdir((dir + path_separator + folder).c_str());
  }
  // What ffmpeg said of the album's movies may be asked again at any time;
  // the record goes rather than keep lines of a file the album lost.
  album.make(path, "txt", "movie-facts.tsv");
  std::remove(path.c_str());
  std::vector<std::string> pages = zoom_pages(stem, "_1_", 1, levels);
  const std::vector<std::string> retina = zoom_pages(stem, "_2_", 0, levels);
  pages.insert(pages.end(), retina.begin(), retina.end());
  for (const std::string& page : pages) {
    album.make(path, "html", page);
    std::remove(path.c_str());
  }
}

// Whether the folder `to`, or the nearest folder above it that exists, lies
// in the album.
bool outside_album(const std::string& to, const path_t& album, libutils::report_log_t& log) {
  std::filesystem::path dir = std::filesystem::absolute(to);
  while (!libutils::exists(dir.string()) && dir.has_parent_path() && dir.parent_path() != dir) dir = dir.parent_path();
  return source_outside_album(dir.string(), {}, album, log);
}

}  // namespace

texts_edit_t load_texts(const path_t& dir, libutils::report_log_t& log) {
  texts_edit_t texts;
  loadcommenttxt(dir, texts.title, texts.head, texts.last, log);
  texts.secret = is_secret(dir);
  return texts;
}

std::vector<files_t> album_files(const path_t& album, libutils::report_log_t& log) {
  std::string original;
  album.make(original, "original");
  std::list<std::string> names;
  libutils::getfiles(names, original.c_str());
  std::vector<files_t> files;
  for (const std::string& name : names) files.push_back(files_t{name, 0});
  return regular_files(original, files, log, libutils::report_t::failure);
}

const e_bestname_t s_flag_kinds[5] = {bestname_best, bestname_apply, bestname_submit, bestname_print,
                                      bestname_upload};

void set_entry(best_t& list, const std::string& name, bool on) {
  const bool had = list.entries.count(name) != 0;
  if (had == on) return;
  if (on) {
    list.entries.insert(name);
  } else {
    list.entries.erase(name);
  }
  list.modified = true;
}

void album_marks_t::load(const path_t& p, libutils::report_log_t& log) {
  album = p;
  good.load(p, list_kind(bestname_good).file, log);
  fail.load(p, list_kind(bestname_fail).file, log);
  record.load(p, log);
}

mark_t album_marks_t::mark(const std::string& name) const {
  if (good.entries.count(name) != 0) return mark_t::good;
  return fail.entries.count(name) != 0 ? mark_t::fail : mark_t::normal;
}

void album_marks_t::set_mark(const std::string& name, mark_t mark) {
  set_entry(good, name, mark == mark_t::good);
  set_entry(fail, name, mark == mark_t::fail);
  if (mark == mark_t::good) return;
  for (e_bestname_t kind : s_flag_kinds) set_flag(name, kind, false);
}

void album_marks_t::set_flag(const std::string& name, e_bestname_t kind, bool on) {
  set_entry(record.*list_kind(kind).list, name, on);
  if (on) set_mark(name, mark_t::good);
}

bool save_album_edit(album_marks_t& marks, const texts_edit_t& texts, const std::vector<comment_edit_t>& comments,
                     bool& best_page, refusal_t& why) {
  best_page = false;
  // The lists live in "txt", which an album made elsewhere may lack.
  std::string txt;
  marks.album.make(txt, "txt");
  ::mkdir(txt.c_str(), 0777);
  const bool flags_written = marks.record.save();
  if (marks.good.save() || flags_written) {
    const path_t book = book_holding(marks.album);
    std::string dir;
    path_t{book.base, book.book, s_goodpicks_dir}.make(dir);
    ::mkdir(dir.c_str(), 0777);  // existing directories are fine
    ::mkdir((dir + path_separator + "txt").c_str(), 0777);
    best_page = true;
  }
  marks.fail.save();
  return save_texts(marks.album, texts, comments, why, [&](const comment_edit_t& c) {
    if (marks.good.entries.count(c.name) != 0) best_page = true;
  });
}

bool update_edited_album(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                         bool best_page, batch_progress_t& progress, libutils::report_log_t& log) {
  if (album.album == s_goodpicks_dir) return true;
  sigc::signal<void, double>* s = progress.stage;
  if (!updatealbum(ctx, album, files, s[0], s[1], s[2], s[3], log)) return false;
  return !best_page || makebesthtml(ctx, book_holding(album), s[4], s[5], log);
}

bool edit_album(const build_context_t& ctx, album_marks_t& marks, const texts_edit_t& texts,
                const std::vector<comment_edit_t>& comments, batch_progress_t& progress, refusal_t& why,
                libutils::report_log_t& log) {
  bool best_page = false;
  const bool saved = save_album_edit(marks, texts, comments, best_page, why);
  const bool updated = update_edited_album(ctx, marks.album, album_files(marks.album, log), best_page, progress, log);
  const bool listed = ctx.stopped() || makehtmlbook(ctx, book_holding(marks.album), log);
  return saved && updated && listed;
}

bool remove_from_album(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& names,
                       const std::string& to, batch_progress_t& progress, refusal_t& why,
                       libutils::report_log_t& log) {
  std::string dir;
  album.make(dir);
  why = refusal_t{vexalib::msg_build_failed, "", false, true};
  std::vector<std::pair<std::string, std::string>> moves;  // original, its place in `to`
  for (const std::string& name : names) {
    std::string original;
    album.make(original, "original", name);
    const std::string target = to + path_separator + name;
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == ".." ||
        !is_regular(original)) {
      why.detail = original + ": no file of the album; nothing was moved.";
    } else if (libutils::exists(target)) {
      why.detail = target + ": a file of that name is there already; nothing was moved.";
    }
    if (!why.detail.empty()) return false;
    moves.emplace_back(original, target);
  }
  libutils::report_log_t inside;
  if (!outside_album(to, album, inside)) {
    why.detail = to + ": lies in the album " + dir + " itself; name a folder outside it.";
    return false;
  }
  album_marks_t marks;
  {
    album_claim_t claim;
    if (!claim.lock(album)) {
      why.detail = dir + ": another build or update is working in this album; nothing was moved.";
      return false;
    }
    std::error_code error;
    std::filesystem::create_directories(to, error);
    if (error) {
      why.detail = to + ": the folder cannot be made: " + error.message();
      return false;
    }
    why.untouched = false;
    marks.load(album, log);
    for (const auto& [original, target] : moves) {
      const std::string name = libutils::folder_name(original);
      if (!move_original(original, target, log)) continue;
      marks.set_mark(name, mark_t::normal);
      if (ismovie(name)) forget_movie(album, name);
    }
  }
  // A comment belongs to every file of its stem: it goes with the last.
  std::set<std::string> stems;
  for (const files_t& file : album_files(album, log)) stems.insert(libutils::basename(file.name));
  for (const std::string& name : names)
    if (stems.count(libutils::basename(name)) == 0) savephotocomment("", dir, name, log);
  bool best_page = false;
  const bool saved = save_album_edit(marks, load_texts(album, log), {}, best_page, why);
  const bool updated = update_edited_album(ctx, album, album_files(album, log), best_page, progress, log);
  const bool listed = ctx.stopped() || makehtmlbook(ctx, book_holding(album), log);
  return saved && updated && listed && !log.failed();
}

bool load_goodpicks(collection_t& out, const path_t& collection, libutils::report_log_t& log) {
  out = collection_t{};
  out.collection = collection;
  std::string book_dir;
  path_t{collection.base, collection.book, ""}.make(book_dir);
  std::list<std::string> names;
  if (!collection_names(names, book_dir)) return false;
  for (const std::string& name : names) {
    out.albums.emplace_back();
    out.albums.back().load(path_t{"", book_dir, name}, log);
  }
  for (album_t& album : out.albums) {
    for (const std::string& name : album.good_list.entries) out.entries.push_back({&album, name});
  }
  return true;
}

bool load_bestbook(collection_t& out, const path_t& collection, e_bestname_t kind, libutils::report_log_t& log) {
  out = collection_t{};
  out.collection = collection;
  out.goodpicks = false;
  out.kind = list_kind(kind).kind;
  std::string book_dir;
  path_t{collection.base, collection.book, ""}.make(book_dir);
  std::list<std::string> names;
  if (!collection_names(names, book_dir)) return false;
  std::list<albumdir_t> albums;
  hierar_albums(albums, path_t{book_dir, "", ""}, names);
  sort_albums(albums);
  load_albums(out.albums, path_t{book_dir, "", ""}, albums, log);
  for (album_t& album : out.albums) {
    for (const std::string& name : (album.*list_kind(out.kind).list).entries) out.entries.push_back({&album, name});
  }
  return true;
}

bool save_collection_texts(collection_t& c, const texts_edit_t& texts, const std::vector<comment_edit_t>& comments,
                           refusal_t& why) {
  return save_texts(c.collection, texts, comments, why, [](const comment_edit_t& edit) { edit.album->changed = true; });
}

bool update_collection(const build_context_t& ctx, collection_t& c, batch_progress_t& progress,
                       libutils::report_log_t& log) {
  sigc::signal<void, double>* s = progress.stage;
  bool pages = true;
  // What the user changed is saved whatever happens; a stop skips pages.
  for (album_t& album : c.albums) {
    if (!album.save() || ctx.stopped()) continue;
    pages = makehtml(ctx, album.path, s[2], log) && pages;
    pages = makehtmlzoom(ctx, album.path, s[3], log) && pages;
    pages = makehtmlffzoom(ctx, album.path, s[3], log) && pages;
  }
  if (ctx.stopped()) return false;
  const path_t book = book_holding(c.collection);
  const bool collection = c.goodpicks ? makebesthtml(ctx, book, s[4], s[5], log)
                                      : makebestbookhtml(ctx, book, c.kind, s[4], s[5], log);
  return pages && collection;
}

row_dialog_t row_dialog(const std::string& book_dir, const std::string& name, row_opener_t opener) {
  const auto holds = [&](const char* folder) {
    const std::string marker = book_dir + path_separator + name + path_separator + folder;
    struct stat st;
    return ::stat(marker.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  };
  if (opener == row_opener_t::book_viewer && holds("original")) return row_dialog_t::album;
  bool collection = !name.empty() && name[0] == '_';
  if (opener == row_opener_t::main_window) {
    collection = name == s_goodpicks_dir || std::any_of(std::begin(s_list_kinds), std::end(s_list_kinds),
                                                        [&](const list_kind_t& l) { return name == l.bestbook; });
  }
  if (collection) return name == s_goodpicks_dir ? row_dialog_t::goodpicks : row_dialog_t::bestbook;
  return holds(opener == row_opener_t::book_editor ? "thumb" : "original") ? row_dialog_t::album : row_dialog_t::book;
}

}  // namespace pictora
