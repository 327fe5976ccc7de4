#include "app/update.h"

#include <iostream>

#include "app/html_album.h"
#include "app/html_zoom.h"
#include "app/movie.h"
#include "app/progress.h"
#include "app/shrink.h"
#include "libgr/loader_jpeg.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"

namespace pictora {
namespace {

// Ends a build or update: one line on log, false.
bool fail(std::ostream& log, const char* text) {
  libutils::error();
  log << text << std::endl;
  return false;
}

void report(const std::string& path, const char* text) {
  libutils::error();
  std::cerr << path << text << std::endl;
}

// Whether any of the files levels[0 .. L+2] of the picture is missing or
// older than its original.
bool any_level_outdated(const path_t& album, const std::vector<std::string>& levels,
                        const std::string& name, const std::string& orig) {
  for (const std::string& level : levels) {
    std::string target;
    album.make(target, level, name);
    if (libutils::need_update(orig, target)) return true;
  }
  return false;
}

// The index in levels of the first file of the picture that does not exist
// (a link whose target is gone counts as missing); levels.size() when all
// do. A newer original alone does not count: only a missing file starts a
// rebuild without a rotation.
std::size_t first_missing_level(const path_t& album, const std::vector<std::string>& levels,
                                const std::string& name) {
  std::size_t j = 0;
  for (; j < levels.size(); ++j) {
    std::string target;
    album.make(target, levels[j], name);
    if (!is_exist(target)) break;
  }
  return j;
}

// The level stage of an existing album: missing picture levels, pictures to
// be turned, and the movie stage, whose current files are kept. It has no
// log of its own, so the stages report on the standard error stream and
// updatealbum adds its one line. The "thumb" directory is deliberately not
// created: it exists from the album's first build, and an album that lost it
// fails at the first thumbnail with that thumbnail's report.
bool shrinkupdate(const path_t& album, const std::vector<files_t>& files,
                  sigc::signal<void, double>& progress) {
  const std::size_t n = files.size();
  for (std::size_t i = 0; i < n; ++i) {
    const files_t& file = files[i];
    if (ispicture(file.name)) {
      const std::uint64_t L = getshrinklevel(album, file.name);
      std::vector<std::string> levels = picture_levels(L);
      for (std::uint64_t k = 0; k <= L + 1; ++k) make_album_dir(album, levels[k]);
      if (file.rotation == 0) {
        const std::size_t j = first_missing_level(album, levels, file.name);
        if (j < levels.size() && !shrinkoneupdate(levels, album, file.name, L, j, 0)) return false;
      } else if (!shrinkoneupdate(levels, album, file.name, L, 0, file.rotation)) {
        return false;
      }
    } else if (ismovie(file.name)) {
      if (!shrinkmovie(album, file.name, std::cerr)) return false;
    }
    emit_progress(progress, i + 1, n, file.name);
  }
  return true;
}

// The page stages that a build and an update share, in order.
bool makepages(const path_t& album, sigc::signal<void, double>& html_progress,
               sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!makehtml(album, html_progress, log)) return fail(log, "makehtml() fail.");
  if (!makehtmlzoom(album, zoom_progress)) return fail(log, "makehtmlzoom() fail.");
  if (!makehtmlffzoom(album, zoom_progress)) return fail(log, "makehtmlffzoom() fail.");
  return true;
}

// An album without a directory name would put its files into the book.
bool has_album_name(const path_t& album, std::ostream& log) {
  if (!album.album.empty()) return true;
  libutils::error();
  log << album.album << ": album directory is empty." << std::endl;
  return false;
}

}  // namespace

bool makealbumwithrotate(const std::string& srcdir, const std::vector<files_t>& files,
                         const path_t& album, sigc::signal<void, double>& copy_progress,
                         sigc::signal<void, double>& shrink_progress,
                         sigc::signal<void, double>& html_progress,
                         sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!has_album_name(album, log)) return false;
  if (!copyfiles(srcdir, files, album, copy_progress)) return fail(log, "copyfiles() fail.");
  if (!shrink(album, files, shrink_progress, log)) return fail(log, "shrink() fail.");
  return makepages(album, html_progress, zoom_progress, log);
}

bool updatealbum(const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& /*first_progress*/,
                 sigc::signal<void, double>& shrink_progress,
                 sigc::signal<void, double>& html_progress,
                 sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!has_album_name(album, log)) return false;
  if (!shrinkupdate(album, files, shrink_progress)) return fail(log, "shrinkupdate() fail.");
  // The pages show comments and classifications the user may have changed,
  // so they are always written anew.
  return makepages(album, html_progress, zoom_progress, log);
}

bool shrinkoneupdate(std::vector<std::string>& levels, const path_t& album,
                     const std::string& name, std::uint64_t L, std::uint64_t start,
                     std::uint64_t rotation) {
  std::ostream& log = std::cerr;
  std::string orig;
  album.make(orig, "original", name);
  libgr::jpegdata_t data;
  if (!data.load(orig.c_str())) {
    report(name, ": shrinkoneupdate() jpegdata load fail.");
    return false;
  }
  libgr::jpeginfo_t info;
  if (!info.analyze_markers(data)) {
    report(name, ": shrinkoneupdate() analyze_markers fail.");
    return false;
  }
  const picture_exif_t exif(info);
  const unsigned long long turns = exif.upright(rotation);

  // A rotation is always made again from the original, so that repeated
  // updates give the same picture instead of adding up turns.
  std::string s0;
  album.make(s0, levels[0], name);
  if (rotation == 0) {
    if (libutils::need_update(orig, s0) && !copyjpeg(orig, s0, size0_linktarget(name))) {
      report(name, ": copyjpeg() fail.");
      return false;
    }
    if (!any_level_outdated(album, levels, name, orig)) return true;
  } else if (!rotatejpeg(orig, s0, turns)) {
    report(name, ": rotatejpeg() fail.");
    return false;
  }

  // The one decode; the smaller levels come from halving. The markers of
  // "size0" go into every level: the original's EXIF block when it stands
  // for the original, what the lossless turn kept when it is turned.
  if (!data.load(s0.c_str())) {
    report(name, ": shrinkoneupdate() jpegdata load fail.");
    return false;
  }
  libgr::image2d_t image;
  libgr::jpeginfo_t pixels;
  if (!pixels.decompress(image, data, 0, false, libgr::color3ub_t())) {
    report(name, ": shrinkoneupdate() decompress fail.");
    return false;
  }
  // With a rotation every level is written, "size0" too: it is then encoded
  // from its own pixels after the lossless turn.
  if (!writelevels(album, levels, name, L, start, rotation != 0, image, pixels.markers, log))
    return false;
  // The thumbnail is always written. An EXIF thumbnail is turned in memory
  // before its one write (the same file that turning the written file would
  // give), so an interrupted run never leaves an unturned thumbnail behind;
  // a thumbnail that cannot be turned is reported and kept as it is.
  std::string thumb;
  album.make(thumb, levels[L + 2], name);
  return writethumbnail(thumb, exif, turns, image, log);
}

}  // namespace pictora
