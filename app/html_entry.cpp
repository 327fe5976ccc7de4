#include "app/html_entry.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <list>

#include "app/exif.h"
#include "app/global.h"
#include "app/html_page.h"
#include "app/html_text.h"
#include "app/movie.h"
#include "app/shrink.h"
#include "libgr/loader_jpeg.h"
#include "libutils/common.h"
#include "libutils/futil.h"

namespace pictora {

namespace {

const char* const s_frame_open = "<table align=left border=5><td>";
const char* const s_frame_close = "</table>";

// A file's size in kilobytes, a started kilobyte counting as a whole one;
// false with errno set when the file cannot be queried.
bool kilobytes(const std::string& path, unsigned long long& k) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  const unsigned long long bytes = static_cast<unsigned long long>(st.st_size);
  k = bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
  return true;
}

// Reports the failure that errno names for path on log; false.
bool errno_failure(libutils::report_log_t& log, const std::string& path) {
  return libutils::fail(log, path, ": cannot be read for the page", errno);
}

const char* frame_open(const entry_t& e) { return e.marked ? s_frame_open : ""; }
const char* frame_close(const entry_t& e) { return e.marked ? s_frame_close : ""; }

void write_size_link(std::ostream& os, const std::string& href, const char* label, uint64_t width,
                     uint64_t height, unsigned long long k) {
  os << "<a href=\"" << url_path(href) << "\">" << label << width << 'x' << height << " (" << k << "k)</a>";
}

}  // namespace

std::string movie_thumb_target(const entry_t& e) {
  const std::string full = "movie0/" + ffmp4name(e.name);
  if (e.level == 0) return full;
  const uint64_t m = std::min(
      halvings_to_fit(e.size.x, e.size.y, e.settings->play_size_x, e.settings->play_size_y), e.level);
  if (m == 0) return full;
  const std::string stem = libutils::basename(e.name);
  return "html/" + (e.settings->movie_thumbnail_retina ? zoom_pages(stem, "_2_", m - 1, 1)[0]
                                                    : zoom_pages(stem, "_1_", m, 1)[0]);
}

namespace {

// A thumbnail page's line of a picture or movie: its thumbnail src, in
// the srcset as 1x the image x1 and as 2x the image x2, leading to target.
void write_thumb_line(std::ostream& os, const std::string& target, const std::string& src, const std::string& x1,
                      const std::string& x2, const char* border) {
  os << "<a href=\"" << url_path(target) << "\"><IMG SRC=\"" << url_path(src) << "\" SRCSET=\""
     << url_path(x1, url_context_t::srcset) << " 1x," << url_path(x2, url_context_t::srcset) << " 2x\"" << border
     << "></a>\n";
}

void write_entry_line(std::ostream& os, const entry_t& e) {
  os << "\t<li>" << html_text(e.prefix + e.name) << e.note << '\n';
}

void write_comment(std::ostream& os, const entry_t& e, libutils::report_log_t& log) {
  std::list<std::string> lines = photo_comment_lines(*e.album, e.name, log);
  writephotocomment(os, lines, 1);
}

}  // namespace

bool writelink(std::ostream& os, const path_t& album, const std::string& prefix,
               const std::vector<std::string>& sizes, const std::vector<std::string>& zooms,
               const std::string& name, libutils::report_log_t& log) {
  const uint64_t n = sizes.size() - 3;
  for (uint64_t i = 0; i < n; ++i) {
    std::string path;
    album.make(path, sizes[i], name);
    libgr::jpegdata_t data;
    if (!data.load(path.c_str())) return errno_failure(log, path);
    libgr::jpeginfo_t info;
    if (!info.analyze_markers(data))
      return libutils::fail(log, path, ": " + info.issues.reason, 0, info.issues.detail());
    unsigned long long k = 0;
    if (!kilobytes(path, k)) return errno_failure(log, path);
    const std::string target = i == 0 ? sizes[0] + "/" + name : "html/" + zooms[i - 1];
    os << "\t<br>";
    write_size_link(os, prefix + target, "", info.width, info.height, k);
    os << '\n';
  }
  return true;
}

bool writefflink(std::ostream& os, const path_t& album, const std::string& prefix,
                 const std::vector<std::string>& movies, const std::vector<std::string>& zooms1,
                 const std::vector<std::string>& zooms2, const std::string& name,
                 std::string& info1, std::string& info2, const size_limit_t& box,
                 libutils::report_log_t& log, movie_ids_t* ids) {
  movie_ids_t own;
  movie_ids_t& known = ids != nullptr ? *ids : own;
  libgr::direction2ul_t size;
  const uint64_t n = getffshrinklevel(album, "original", name, size, info1, info2, box, log, &known);
  std::string path;
  album.make(path, "original", name);
  unsigned long long k = 0;
  if (!kilobytes(path, k)) return errno_failure(log, path);
  os << "\t<br>";
  write_size_link(os, prefix + "original/" + name, "", size.x, size.y, k);
  os << '\n';
  const std::string mp4name = ffmp4name(name);
  for (uint64_t i = 0; i < n; ++i) {
    known.identify(album, movies[i], mp4name, size, info1, info2, log);
    album.make(path, movies[i], mp4name);
    if (!kilobytes(path, k)) return errno_failure(log, path);
    const std::string target = i == 0 ? movies[0] + "/" + mp4name : "html/" + zooms1[i - 1];
    os << "\t<br>";
    write_size_link(os, prefix + target, "", size.x, size.y, k);
    os << ' ';
    write_size_link(os, prefix + "html/" + zooms2[i], "Retina", size.x, size.y, k);
    os << '\n';
  }
  return true;
}

void write_audio_entry(std::ostream& os, const entry_t& e) {
  write_entry_line(os, e);
  os << "\t<br>\n"
     << '\t' << frame_open(e) << "<audio controls src=\"" << url_path(e.prefix + "original/" + e.name) << "\">\n"
     << "\t</audio>" << frame_close(e) << "\t<br clear=all>\n"
     << "\t<p>\n";
}

bool write_picture_entry(std::ostream& os, const entry_t& e, libutils::report_log_t& log) {
  const uint64_t n = e.level;
  const std::vector<std::string> sizes = picture_levels(n);
  const std::vector<std::string> zooms = zoom_pages(libutils::basename(e.name), "_", 1, n);
  write_entry_line(os, e);
  if (!writelink(os, *e.album, e.prefix, sizes, zooms, level_name(e.name), log)) return false;
  // The page shows level n, the one that fits the shrink box, offers level
  // n-1 to double-density screens, and a click leads one level larger.
  os << "\t<br>" << frame_open(e);
  const std::string file = level_name(e.name);
  if (n >= 1) {
    const std::string target = n == 1 ? sizes[0] + "/" + file : "html/" + zooms[n - 2];
    os << "<a href=\"" << url_path(e.prefix + target) << "\">";
  }
  const std::string shown = e.prefix + sizes[n] + '/' + file;
  os << "<IMG SRC=\"" << url_path(shown);
  if (n >= 1)
    os << "\" SRCSET=\"" << url_path(shown, url_context_t::srcset) << " 1x,"
       << url_path(e.prefix + sizes[n - 1] + '/' + file, url_context_t::srcset) << " 2x";
  os << "\" ALIGN=\"left\">" << (n >= 1 ? "</a>" : "") << frame_close(e) << '\n';
  write_comment(os, e, log);
  os << "\t<br clear=all>\n";
  writeexif(os, *e.album, "original", e.name, true, log);
  os << "\t<p>\n" << '\n';
  return true;
}

void write_audio_thumb(std::ostream& os, const entry_t& e) {
  os << frame_open(e) << "<a href=\"" << url_path(e.prefix + "original/" + e.name) << "\">" << html_text(e.name) << "</a>"
     << frame_close(e) << '\n';
}

bool write_movie_entry(std::ostream& os, entry_t& e, libutils::report_log_t& log) {
  const uint64_t n = e.level;
  const std::string stem = libutils::basename(e.name);
  const std::vector<std::string> movies = ffmovielevels(n + 1);  // "movie0" to "movie" n+2
  write_entry_line(os, e);
  if (!writefflink(os, *e.album, e.prefix, movies, zoom_pages(stem, "_1_", 1, n),
                   zoom_pages(stem, "_2_", 0, n), e.name, e.duration, e.rate, e.settings->shrink_size, log,
                   e.ids)) {
    return false;
  }
  os << "\t<br>\n" << '\t' << frame_open(e) << "<video controls";
  std::string dir = movies[n];
  if (e.settings->movie_thumbnail_retina) {
    // The next larger level plays in the box of the level that fits.
    const uint64_t box = n >= 1 ? n : 1;
    os << " width=\"" << halved(e.size.x, box) << "px\" height=\"" << halved(e.size.y, box) << "px\"";
    dir = movies[n >= 1 ? n - 1 : 0];
  }
  os << " src=\"" << url_path(e.prefix + dir + '/' + ffmp4name(e.name)) << "\">\n"
     << "\t</video>" << frame_close(e) << '\n';
  write_comment(os, e, log);
  os << "\t<br clear=all>\n" << '\t' << html_text(e.duration + ", " + e.rate) << '\n' << "\t<p>\n";
  return true;
}

void write_movie_thumb(std::ostream& os, const entry_t& e, const char* border) {
  const uint64_t n = e.level;
  const std::vector<std::string> movies = ffmovielevels(n + 1);
  const std::string jpgname = ffjpgname(e.name);
  const std::string& p = e.prefix;
  // The image source names the 1x still, level n+1, the smallest still the
  // movie stage makes; the level beyond it does not exist.
  const std::string still = p + movies[n + 1] + '/' + jpgname;
  write_thumb_line(os, p + movie_thumb_target(e), still, still, p + movies[n] + '/' + jpgname,
                   e.marked ? border : "");
}

void write_picture_thumb(std::ostream& os, const entry_t& e, const char* border) {
  const uint64_t n = e.level;
  const std::vector<std::string> sizes = picture_levels(n);
  const std::string file = level_name(e.name);
  const std::string target =
      n == 0 ? sizes[0] + "/" + file : "html/" + zoom_pages(libutils::basename(e.name), "_", n, 1)[0];
  const std::string& p = e.prefix;
  write_thumb_line(os, p + target, p + sizes[n + 2] + '/' + file, p + sizes[n + 1] + '/' + file,
                   p + sizes[n] + '/' + file, e.marked ? border : "");
}

bool write_entry(std::ostream& os, entry_t& e, libutils::report_log_t& log) {
  switch (e.kind) {
    case media_t::audio:
      write_audio_entry(os, e);
      return true;
    case media_t::movie:
      return write_movie_entry(os, e, log);
    case media_t::picture:
      break;
  }
  return write_picture_entry(os, e, log);
}

void write_thumb(std::ostream& os, const entry_t& e, const char* border) {
  switch (e.kind) {
    case media_t::audio:
      write_audio_thumb(os, e);
      return;
    case media_t::movie:
      write_movie_thumb(os, e, border);
      return;
    case media_t::picture:
      break;
  }
  write_picture_thumb(os, e, border);
}

}  // namespace pictora
