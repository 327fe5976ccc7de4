#include "app/html_best.h"

#include <sys/stat.h>

#include <cerrno>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/html_entry.h"
#include "app/html_file.h"
#include "app/html_book.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/html_text.h"
#include "app/listing.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "vexalib/message.h"

namespace pictora {

namespace {

// What a collection gathers from each album and how it marks the entries.
struct rules_t {
  e_bestname_t kind;  // the list gathered, walked in name order
  bool whole_tree;    // a best book: its own marks, see marked_on_index
};

// One gathered file. The album page and the thumbnail page mark entries by
// different rules in a best book, so the thumbnail mark is kept apart.
struct gathered_t {
  entry_t entry;  // entry.marked is the album page's frame
  bool bordered = false;
};

struct source_album_t {
  path_t path;
  std::vector<gathered_t> entries;
};

struct collection_t {
  page_texts_t texts;
  std::list<source_album_t> albums;  // a list, so that the entries' album pointers stay valid
  size_t movies = 0;
  size_t pictures = 0;
  size_t sounds = 0;
  movie_ids_t ids;  // each movie is identified once for the whole collection
  bool entry_left_out = false;  // an entry's files could not be read
};

// The kind of a file by its ending; false for files of no kind.
bool media_kind(const std::string& name, media_t& kind) {
  if (is_audio(name)) {
    kind = media_t::audio;
  } else if (ismovie(name)) {
    kind = media_t::movie;
  } else if (ispicture(name)) {
    kind = media_t::picture;
  } else {
    return false;
  }
  return true;
}

// "_Best" frames everything that is more than good. A best book frames what
// a list other than its own holds, since its own list holds every entry.
bool marked_on_index(const rules_t& rules, const album_t& record, const std::string& name) {
  if (!rules.whole_tree) return record.isfind(name);
  for (const list_kind_t& list : s_list_kinds) {
    if (is_classification(list.kind) && list.kind != rules.kind && record.holds(list.kind, name))
      return true;
  }
  return false;
}

// On a best book's thumbnail page the best list never counts, whatever the
// kind, so that "_BestBook" borders only what is meant for use elsewhere.
bool bordered_on_list(const rules_t& rules, const album_t& record, const std::string& name) {
  if (!rules.whole_tree) return record.isfind(name);
  return record.apply(name) || record.submit(name) || record.print(name) || record.upload(name);
}

void gather(const build_context_t& ctx, collection_t& c, const album_t& record, const rules_t& rules,
            libutils::report_log_t& log) {
  c.albums.push_back(source_album_t{record.path, {}});
  source_album_t& album = c.albums.back();
  std::string relative;
  album.path.submake(relative);
  for (const std::string& name : (record.*list_kind(rules.kind).list).entries) {
    gathered_t g;
    entry_t& e = g.entry;
    if (!media_kind(name, e.kind)) continue;
    // A list keeps the names of files the user deleted; the pages show only
    // what is there.
    std::string original;
    album.path.make(original, "original", name);
    if (!libutils::exists(original)) continue;
    if (e.kind == media_t::movie && !movie_converted(album.path, name)) continue;
    e.album = &album.path;
    e.settings = &ctx.settings;
    e.prefix = "../" + relative + "/";
    e.name = name;
    e.marked = marked_on_index(rules, record, name);
    // A best book notes only the entries it frames; "_Best" notes as the
    // album page does.
    if (!rules.whole_tree || e.marked)
      e.note = classification_note(record, name, !rules.whole_tree && e.kind == media_t::picture);
    g.bordered = bordered_on_list(rules, record, name);
    switch (e.kind) {
      case media_t::audio:
        ++c.sounds;
        break;
      case media_t::movie:
        e.ids = &c.ids;
        e.level = getffshrinklevel(album.path, "original", name, e.size, e.duration, e.rate,
                                   ctx.settings.shrink_size, log, &c.ids);
        ++c.movies;
        break;
      case media_t::picture:
        e.level = getshrinklevel(album.path, name, ctx.settings.shrink_size);
        ++c.pictures;
        break;
    }
    album.entries.push_back(g);
  }
}

// Whether the collection directory dir may be written: it does not exist
// yet or it lies inside the book. One that leads out of the book, through a
// link, is reported and left alone.
bool in_book(const walk_t& walk, const path_t& dir, libutils::report_log_t& log) {
  std::string collection;
  dir.make(collection);
  if (!libutils::exists(collection) || walk.inside(collection)) return true;
  return libutils::fail(log, collection, ": leads out of the book, not written.");
}

// Reports a book directory that cannot be listed; false.
bool listing_failure(const std::string& dir, libutils::report_log_t& log) {
  return libutils::fail(log, dir, ": the book's folder cannot be read", errno);
}

// Writes one page of the collection: each album's entries, their
// thumbnails on the thumbnail page.
bool write_page(const build_context_t& ctx, std::ostream& os, collection_t& c, page_kind_t kind,
                sigc::signal<void, double>& progress, libutils::report_log_t& log) {
  const std::unique_ptr<page_style_t> style_ptr = make_page_style(ctx);
  const page_style_t& style = *style_ptr;
  style.album_head(os, kind, c.texts);
  size_t done = 0, index = 0;
  for (source_album_t& album : c.albums) {
    if (!album.entries.empty()) style.entries_begin(os, kind);
    for (gathered_t& g : album.entries) {
      if (kind == page_kind_t::collection) {
        // An entry whose files cannot be read is left out.
        std::ostringstream block;
        if (style.entry(block, kind, g.entry, index++, log))
          os << block.str();
        else
          c.entry_left_out = true;
      } else {
        // A best book borders by a rule of its own on this page.
        entry_t e = g.entry;
        e.marked = g.bordered;
        style.thumb(os, kind, e, index++, log);
      }
    }
    if (!album.entries.empty()) style.entries_end(os, kind);
    ctx.item_finished(progress, ++done, c.albums.size(), album.path.album);
  }
  // The foot's link up leads from the collection to the book's index page.
  style.album_foot(os, kind, c.texts);
  return true;
}

// Loads the collection's comment; an empty title becomes the book's name, a
// space and "Best", and is saved, which creates the collection directory.
void load_comment(collection_t& c, const path_t& book, const path_t& dir, libutils::report_log_t& log) {
  std::string head, last;
  loadcommenttxt(dir, c.texts.title, head, last, log);
  c.texts.name = dir.album;
  if (c.texts.title.empty()) {
    // The last component of the book directory: for a book inside the base
    // that is the last component of its relative path, for the base itself
    // the base directory's name.
    std::string bookdir;
    book.make(bookdir);
    // The title is HTML, the folder's name text.
    c.texts.title = html_text(libutils::folder_name(bookdir)) + " " + vexalib::getmsg(vexalib::msg_selection);
    // A new collection has no directory yet; the save needs one.
    std::string collection;
    dir.make(collection);
    ::mkdir(collection.c_str(), 0777);  // an existing directory is fine; other failures show at the save
    savecommenttxt(dir, c.texts.title, head, last, log);
  }
  c.texts.head = comment_lines(head);
  c.texts.last = comment_lines(last);
}

// Writes the three files of the collection named dirname inside book from
// the albums found below the book directory.
bool write_collection(const build_context_t& ctx, const path_t& book, const char* dirname,
                      const std::list<albumdir_t>& albums, const rules_t& rules,
                      sigc::signal<void, double>& progress_index, sigc::signal<void, double>& progress_list,
                      collection_t& c, libutils::report_log_t& log) {
  std::string bookdir;
  book.make(bookdir);
  std::list<album_t> records;
  load_albums(records, path_t{bookdir, "", ""}, albums, log);
  for (const album_t& record : records) gather(ctx, c, record, rules, log);

  const path_t dir{book.base, book.book, dirname};
  std::string index, list, count;
  dir.make(index, "index.html");
  dir.make(list, "list.html");
  dir.make(count, "txt", "count.txt");
  return write_generated_file(index, log,
                              [&](std::ostream& os) {
                                return write_page(ctx, os, c, page_kind_t::collection, progress_index, log);
                              }) &&
         write_generated_file(list, log,
                              [&](std::ostream& os) {
                                return write_page(ctx, os, c, page_kind_t::collection_thumbnails, progress_list,
                                                  log);
                              }) &&
         write_generated_file(count, log,
                              [&](std::ostream& os) {
                                write_counter(os, c.movies, c.pictures, c.sounds);
                                return true;
                              }) &&
         // The book's index page lists the collection with its title and
         // count, which may be new.
         makehtmlbook(ctx, path_t{book.base, book.book, ""}, log) && !c.entry_left_out;
}

}  // namespace

bool makebesthtml(const build_context_t& ctx, const path_t& book, sigc::signal<void, double>& progress_index,
                  sigc::signal<void, double>& progress_list, libutils::report_log_t& log) {
  std::string bookdir;
  book.make(bookdir);
  walk_t walk(bookdir);
  const path_t dir{book.base, book.book, s_goodpicks_dir};
  if (!in_book(walk, dir, log)) return false;
  collection_t c;
  load_comment(c, book, dir, log);
  std::list<std::string> names;
  if (!libutils::getdirs(names, bookdir.c_str())) return listing_failure(bookdir, log);
  // Only the albums directly in the book, newest first for names that begin
  // with a date; secret albums are gathered too, sub-books have no lists.
  std::list<albumdir_t> albums;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::string album;
    path_t{book.base, book.book, *it}.make(album);
    if (*it != "txt" && (*it)[0] != '_' && walk.enter(album)) albums.emplace_back("", *it);
  }
  const rules_t rules{bestname_good, false};
  return write_collection(ctx, book, s_goodpicks_dir, albums, rules, progress_index, progress_list, c, log);
}

bool makebestbookhtml(const build_context_t& ctx, const path_t& book, e_bestname_t kind,
                      sigc::signal<void, double>& progress_index, sigc::signal<void, double>& progress_list,
                      libutils::report_log_t& log) {
  kind = list_kind(kind).kind;  // any other value is best
  const char* const dirname = list_kind(kind).bestbook;
  // The walk starts at the book directory, so that every album's path is
  // relative to the book and its prefix leads there from the collection.
  std::string bookdir;
  book.make(bookdir);
  const path_t dir{book.base, book.book, dirname};
  if (!in_book(walk_t(bookdir), dir, log)) return false;
  collection_t c;
  load_comment(c, book, dir, log);
  std::list<std::string> names;
  if (!walk_names(names, bookdir)) return listing_failure(bookdir, log);
  std::list<albumdir_t> albums;
  hierar_albums(albums, path_t{bookdir, "", ""}, names);
  sort_albums(albums);
  const rules_t rules{kind, true};
  return write_collection(ctx, book, dirname, albums, rules, progress_index, progress_list, c, log);
}

}  // namespace pictora
