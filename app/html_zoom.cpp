#include "app/html_zoom.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/exif.h"
#include "app/html_file.h"
#include "app/html_page.h"
#include "app/html_style.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "libgr/direction.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/jobs.h"

namespace pictora {

namespace {

// Creates the album's "html" directory (an existing one is fine) and lists
// the album directory dir; false when dir cannot be listed.
bool prepare(const path_t& album, const char* dir, std::list<std::string>& names) {
  std::string path;
  album.make(path, "html");
  ::mkdir(path.c_str(), 0777);  // other failures show when the first page is opened
  album.make(path, dir);
  return libutils::getfiles(names, path.c_str());
}

// The note of a zoom page; only good files carry one, and never the fail
// label. Loading the record puts every classified file into good, so this is
// the album page's note for every classified file.
std::string zoom_note(const album_t& record, const std::string& name) {
  return record.good(name) ? classification_note(record, name, false) : std::string();
}

// Writes html/page of the album from what body writes (write_generated_file).
bool write_zoom_page(const path_t& album, const std::string& page, libutils::report_log_t& log,
                     const std::function<void(std::ostream&)>& body) {
  std::string path;
  album.make(path, "html", page);
  return write_generated_file(path, log, [&](std::ostream& os) {
    body(os);
    return true;
  });
}

// The page of picture i's level k that a neighbour's page leads to: the
// same level, or the neighbour's largest when it has fewer; "" when the
// neighbour has no zoom page.
std::string neighbour_page(const std::vector<std::string>& names, const std::vector<uint64_t>& levels, size_t i,
                           uint64_t k) {
  if (levels[i] == 0) return "";
  return zoom_pages(libutils::basename(names[i]), "_", std::min(k, levels[i]), 1)[0];
}

}  // namespace

bool makehtmlzoom(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
                  libutils::report_log_t& log) {
  std::list<std::string> listed;
  if (!prepare(album, "thumb", listed)) return true;
  const std::vector<std::string> names = level_pictures(album, listed);
  album_t record;
  record.load(album, log);
  // The levels first: each page leads to the pictures before and after it.
  std::vector<uint64_t> levels(names.size(), 0);
  libutils::run_in_order(
      names.size(), ctx.jobs, log,
      [&](size_t i, libutils::report_log_t&) {
        levels[i] = getshrinklevel(album, names[i], ctx.settings.shrink_size);
        return true;
      },
      [](size_t, size_t) {});
  const std::unique_ptr<page_style_t> style_ptr = make_page_style(ctx);
  const page_style_t& style = *style_ptr;
  // The pictures' pages are written ctx.jobs pictures at a time. A page
  // that cannot be written ends its picture's pages; the other pictures
  // still get theirs, so that the pages are the same for any number of jobs.
  std::vector<char> failed(names.size(), 0);
  libutils::run_in_order(
      names.size(), ctx.jobs, log,
      [&](size_t i, libutils::report_log_t& out) {
        picture_zoom_t z;
        z.album = &album;
        z.name = names[i];
        z.n = levels[i];
        z.sizes = picture_levels(z.n);
        z.zooms = zoom_pages(libutils::basename(z.name), "_", 1, z.n);
        z.note = zoom_note(record, z.name);
        // Every page of the picture shows the same comment and caption.
        if (z.n >= 1) {
          z.comment = photo_comment_lines(album, z.name, out);
          std::ostringstream caption;
          writeexif(caption, album, "original", z.name, true, out);
          z.caption = caption.str();
        }
        // The neighbours that have zoom pages: a picture that fits the
        // shrink box already has none.
        size_t before = i, after = i + 1;
        while (before > 0 && levels[before - 1] == 0) --before;
        while (after < names.size() && levels[after] == 0) ++after;
        for (uint64_t k = 1; k <= z.n; ++k) {
          z.k = k;
          z.previous = before > 0 ? neighbour_page(names, levels, before - 1, k) : "";
          z.previous_name = before > 0 ? names[before - 1] : "";
          z.next = after < names.size() ? neighbour_page(names, levels, after, k) : "";
          z.next_name = after < names.size() ? names[after] : "";
          if (!write_zoom_page(album, z.zooms[k - 1], out, [&](std::ostream& os) { style.picture_zoom(os, z); })) {
            failed[i] = 1;
            break;
          }
        }
        return true;
      },
      [&](size_t i, size_t done) { ctx.item_finished(progress, done, names.size(), names[i]); });
  return std::find(failed.begin(), failed.end(), 1) == failed.end();
}

bool makehtmlffzoom(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
                    libutils::report_log_t& log) {
  std::list<std::string> names;
  if (!prepare(album, "original", names)) return true;
  album_t record;
  record.load(album, log);
  const std::unique_ptr<page_style_t> style_ptr = make_page_style(ctx);
  const page_style_t& style = *style_ptr;
  movie_ids_t ids;
  size_t i = 0;
  for (const std::string& name : names) {
    if (ismovie(name) && movie_converted(album, name)) {
      movie_zoom_t z;
      z.name = name;
      z.mp4name = ffmp4name(name);
      z.note = zoom_note(record, name);
      const std::string stem = libutils::basename(name);
      libgr::direction2ul_t size;
      std::string duration, rate;
      const uint64_t n = getffshrinklevel(album, "original", name, size, duration, rate, ctx.settings.shrink_size, log, &ids);
      z.width = size.x;
      z.height = size.y;
      z.info = duration + ", " + rate;
      // The plain pages of levels 1 ... n, then the retina pages, each of
      // which plays level k in the box of level k+1.
      for (const bool retina : {false, true}) {
        z.retina = retina;
        for (uint64_t k = retina ? 0 : 1; k < (retina ? n : n + 1); ++k) {
          z.k = k;
          const std::string page = zoom_pages(stem, retina ? "_2_" : "_1_", k, 1)[0];
          if (!write_zoom_page(album, page, log, [&](std::ostream& os) { style.movie_zoom(os, z); })) return false;
        }
      }
    }
    ctx.item_finished(progress, ++i, names.size(), name);
  }
  return true;
}

}  // namespace pictora
