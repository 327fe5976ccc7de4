#include "app/html_album.h"

#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/html_entry.h"
#include "app/html_file.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/movie.h"
#include "app/progress.h"
#include "app/shrink.h"
#include "libutils/dirutil.h"
#include "libutils/jobs.h"

namespace pictora {

namespace {

// What the album's pages show, read afresh from its directory.
struct album_contents_t {
  page_texts_t texts;
  std::vector<entry_t> media;     // sounds and movies, in "original" order
  std::vector<entry_t> pictures;  // in "thumb" order
  size_t sounds = 0;
  size_t movies = 0;
  bool entry_left_out = false;  // an entry's files could not be read
};

std::list<std::string> listing(const path_t& album, const char* dir) {
  std::string path;
  album.make(path, dir);
  std::list<std::string> names;
  libutils::getfiles(names, path.c_str());  // a directory that cannot be listed holds nothing
  return names;
}

entry_t make_entry(const build_context_t& ctx, const path_t& album, const album_t& record, media_t kind,
                   const std::string& name) {
  entry_t e;
  e.settings = &ctx.settings;
  e.kind = kind;
  e.album = &album;
  e.name = name;
  e.note = classification_note(record, name, kind == media_t::picture);
  e.marked = record.good(name);
  return e;
}

// The movies' identifications go through ids, which the page build owns.
album_contents_t load_contents(const build_context_t& ctx, const path_t& album, movie_ids_t& ids,
                                libutils::report_log_t& log) {
  album_contents_t c;
  album_t record;
  record.load(album, log);
  std::string head, last;
  loadcommenttxt(album, c.texts.title, head, last, log);
  c.texts.name = album.album;
  c.texts.head = comment_lines(head);
  c.texts.last = comment_lines(last);
  for (const std::string& name : listing(album, "original")) {
    if (is_audio(name)) {
      c.media.push_back(make_entry(ctx, album, record, media_t::audio, name));
      ++c.sounds;
    } else if (ismovie(name) && movie_converted(album, name)) {
      entry_t e = make_entry(ctx, album, record, media_t::movie, name);
      e.ids = &ids;
      e.level = getffshrinklevel(album, "original", name, e.size, e.duration, e.rate, ctx.settings.shrink_size,
                                 log, &ids);
      c.media.push_back(e);
      ++c.movies;
    }
  }
  for (const std::string& name : level_pictures(album, listing(album, "thumb")))
    c.pictures.push_back(make_entry(ctx, album, record, media_t::picture, name));
  // Reading the pictures' headers is most of an unchanged album's time.
  libutils::run_in_order(
      c.pictures.size(), ctx.jobs, log,
      [&](size_t i, libutils::report_log_t&) {
        c.pictures[i].level = getshrinklevel(album, c.pictures[i].name, ctx.settings.shrink_size);
        return true;
      },
      [](size_t, size_t) {});
  return c;
}

bool write_index(const build_context_t& ctx, std::ostream& os, album_contents_t& c,
                 sigc::signal<void, double>& progress, libutils::report_log_t& log) {
  const std::unique_ptr<page_style_t> style_ptr = make_page_style(ctx);
  const page_style_t& style = *style_ptr;
  const page_kind_t kind = page_kind_t::album;
  style.album_head(os, kind, c.texts);
  style.entries_begin(os, kind);
  // An entry whose files cannot be read is reported and left out: one
  // broken file costs that file, not the page.
  size_t index = 0;
  for (entry_t& e : c.media) {
    std::ostringstream block;
    if (style.entry(block, kind, e, index, log))
      os << block.str();
    else
      c.entry_left_out = true;
    ++index;
  }
  // The pictures' blocks are made ctx.jobs at a time and written in order.
  const size_t n = c.pictures.size();
  std::vector<std::string> blocks(n);
  std::vector<char> made(n, 0);
  const size_t first = index;
  libutils::run_in_order(
      n, ctx.jobs, log,
      [&](size_t i, libutils::report_log_t& out) {
        std::ostringstream block;
        made[i] = style.entry(block, kind, c.pictures[i], first + i, out);
        blocks[i] = block.str();
        return true;
      },
      [&](size_t i, size_t done) { ctx.item_finished(progress, done, n, c.pictures[i].name); });
  for (size_t i = 0; i < n; ++i) {
    if (made[i])
      os << blocks[i];
    else
      c.entry_left_out = true;
  }
  style.entries_end(os, kind);
  style.album_foot(os, kind, c.texts);
  return true;
}

bool write_list(const build_context_t& ctx, std::ostream& os, album_contents_t& c, libutils::report_log_t& log) {
  const std::unique_ptr<page_style_t> style_ptr = make_page_style(ctx);
  const page_style_t& style = *style_ptr;
  const page_kind_t kind = page_kind_t::thumbnails;
  style.album_head(os, kind, c.texts);
  style.entries_begin(os, kind);
  size_t index = 0;
  for (const std::vector<entry_t>* entries : {&c.media, &c.pictures}) {
    for (const entry_t& e : *entries) style.thumb(os, kind, e, index++, log);
  }
  style.entries_end(os, kind);
  style.album_foot(os, kind, c.texts);
  return true;
}

}  // namespace

bool makehtml(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
              libutils::report_log_t& log) {
  // Each movie is identified once for both pages.
  movie_ids_t ids;
  album_contents_t c = load_contents(ctx, album, ids, log);
  std::string index, list, count;
  album.make(index, "index.html");
  album.make(list, "list.html");
  album.make(count, "txt", "count.txt");
  return write_generated_file(index, log,
                              [&](std::ostream& os) { return write_index(ctx, os, c, progress, log); }) &&
         write_generated_file(list, log, [&](std::ostream& os) { return write_list(ctx, os, c, log); }) &&
         write_generated_file(count, log,
                              [&](std::ostream& os) {
                                write_counter(os, c.movies, c.pictures.size(), c.sounds);
                                return true;
                              }) &&
         !c.entry_left_out;
}

}  // namespace pictora
