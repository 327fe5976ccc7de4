#include "app/html_zoom.h"

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "app/album.h"
#include "app/exif.h"
#include "app/html_file.h"
#include "app/html_page.h"
#include "app/movie.h"
#include "app/progress.h"
#include "app/replacefile.h"
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

// Writes html/page of the album: the page start, the entry line, body, the
// foot; under a temporary name renamed into place, unless the page is on
// disk already (same_on_disk). False, reported on the standard error stream,
// when the page cannot be written.
bool write_zoom_page(const path_t& album, const std::string& page, const std::string& entry,
                     const std::function<void(std::ostream&)>& body) {
  std::string path;
  album.make(path, "html", page);
  std::ostringstream os;
  write_page_start(os, nullptr);
  os << "\t<li>" << entry << "\n"
     << "\t<br clear=all>\n";
  body(os);
  write_page_foot(os);
  if (same_on_disk(path, os.str())) return true;
  replacefile_t file(path);
  if (file.is_open()) {
    file.stream() << os.str();
    if (file.commit()) return true;
  }
  return libutils::fail(std::cerr, path, ": write open error.");
}

}  // namespace

bool makehtmlzoom(const path_t& album, sigc::signal<void, double>& progress) {
  std::list<std::string> listed;
  if (!prepare(album, "thumb", listed)) return true;
  const std::vector<std::string> names(listed.begin(), listed.end());
  album_t record;
  record.load(album);
  // The pictures' pages are written build_jobs() pictures at a time. A page
  // that cannot be written ends its picture's pages; the other pictures
  // still get theirs, so that the pages are the same for any number of jobs.
  std::vector<char> failed(names.size(), 0);
  libutils::run_in_order(
      names.size(), build_jobs(), std::cerr,
      [&](size_t i, std::ostream&) {
        const std::string& name = names[i];
        const uint64_t n = getshrinklevel(album, name);
        const std::vector<std::string> sizes = picture_levels(n);
        const std::vector<std::string> zooms = zoom_pages(libutils::basename(name), "_", 1, n);
        const std::string entry = name + zoom_note(record, name);
        // Every page of the picture shows the same comment and caption.
        std::ostringstream shown;
        if (n >= 1) {
          std::list<std::string> comment = photo_comment_lines(album, name);
          writephotocomment(shown, comment, 1);
          shown << "\t<br clear=all>\n";
          writeexif(shown, album, "original", name, true);
        }
        for (uint64_t k = 1; k <= n; ++k) {
          // A click leads one level larger: the full-size file from level 1.
          const std::string target = k == 1 ? "../" + sizes[0] + "/" + name : zooms[k - 2];
          const bool written = write_zoom_page(album, zooms[k - 1], entry, [&](std::ostream& os) {
            os << "<a href=\"" << target << "\"><IMG SRC=\"../" << sizes[k] << '/' << name << "\" SRCSET=\"../"
               << sizes[k] << '/' << name << " 1x,../" << sizes[k - 1] << '/' << name
               << " 2x\" ALIGN=\"left\"></a>\n"
               << shown.str();
          });
          if (!written) {
            failed[i] = 1;
            break;
          }
        }
        return true;
      },
      [&](size_t i, size_t done) { emit_progress(progress, done, names.size(), names[i]); });
  return std::find(failed.begin(), failed.end(), 1) == failed.end();
}

bool makehtmlffzoom(const path_t& album, sigc::signal<void, double>& progress) {
  std::list<std::string> names;
  if (!prepare(album, "original", names)) return true;
  album_t record;
  record.load(album);
  movie_ids_t ids;
  size_t i = 0;
  for (const std::string& name : names) {
    if (ismovie(name)) {
      const std::string mp4name = ffmp4name(name);
      const std::string stem = libutils::basename(name);
      const std::string entry = mp4name + zoom_note(record, name);
      libgr::direction2ul_t size;
      std::string duration, rate;
      const uint64_t n = getffshrinklevel(album, "original", name, size, duration, rate, &ids);
      const std::string info = "\t" + duration + ", " + rate + "\n";
      for (uint64_t k = 1; k <= n; ++k) {
        const bool written =
            write_zoom_page(album, zoom_pages(stem, "_1_", k, 1)[0], entry, [&](std::ostream& os) {
              os << "\t<video controls>\n"
                 << "\t<source src=\"../movie" << k << '/' << mp4name << "\">\n"
                 << "\t</video>\t<br clear=all>\n"
                 << info << "\t<p>\n";
            });
        if (!written) return false;
      }
      // Each retina page plays level k in the box of level k+1.
      for (uint64_t k = 0; k < n; ++k) {
        const bool written =
            write_zoom_page(album, zoom_pages(stem, "_2_", k, 1)[0], entry, [&](std::ostream& os) {
              os << "\t<video controls  width=\"" << halved(size.x, k + 1) << "px\" height=\""
                 << halved(size.y, k + 1) << "px\" src=\"../movie" << k << '/' << mp4name << "\">\n"
                 << "\t</video>\n"
                 << "\t<br clear=all>\n"
                 << info;
            });
        if (!written) return false;
      }
    }
    emit_progress(progress, ++i, names.size(), name);
  }
  return true;
}

}  // namespace pictora
