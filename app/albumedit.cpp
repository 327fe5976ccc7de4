#include "app/albumedit.h"

#include <sys/stat.h>

#include <algorithm>
#include <iterator>

#include "app/html_album.h"
#include "app/html_best.h"
#include "app/html_zoom.h"
#include "app/listing.h"
#include "app/update.h"
#include "libutils/dirutil.h"
#include "libutils/common.h"
#include "libutils/futil.h"

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

}  // namespace

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
