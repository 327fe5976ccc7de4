#include "app/update.h"

#include <iostream>

#include "app/html_album.h"
#include "app/html_zoom.h"
#include "app/shrink.h"
#include "libutils/common.h"

namespace pictora {
namespace {

// The level stage of an existing album. It has no log of its own, so the
// stages report on the standard error stream and updatealbum adds its one
// line.
bool shrinkupdate(const path_t& album, const std::vector<files_t>& files,
                  sigc::signal<void, double>& progress) {
  return shrinkfiles(album, files, progress, update_pass, std::cerr);
}

// The page stages that a build and an update share, in order.
bool makepages(const path_t& album, sigc::signal<void, double>& html_progress,
               sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!makehtml(album, html_progress, log)) return libutils::fail(log, "", "makehtml() fail.");
  if (!makehtmlzoom(album, zoom_progress)) return libutils::fail(log, "", "makehtmlzoom() fail.");
  if (!makehtmlffzoom(album, zoom_progress))
    return libutils::fail(log, "", "makehtmlffzoom() fail.");
  return true;
}

// An album without a directory name would put its files into the book.
bool has_album_name(const path_t& album, std::ostream& log) {
  if (!album.album.empty()) return true;
  return libutils::fail(log, album.album, ": album directory is empty.");
}

}  // namespace

bool makealbumwithrotate(const std::string& srcdir, const std::vector<files_t>& files,
                         const path_t& album, sigc::signal<void, double>& copy_progress,
                         sigc::signal<void, double>& shrink_progress,
                         sigc::signal<void, double>& html_progress,
                         sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!has_album_name(album, log)) return false;
  if (!copyfiles(srcdir, files, album, copy_progress))
    return libutils::fail(log, "", "copyfiles() fail.");
  if (!shrink(album, files, shrink_progress, log)) return libutils::fail(log, "", "shrink() fail.");
  return makepages(album, html_progress, zoom_progress, log);
}

bool updatealbum(const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& /*first_progress*/,
                 sigc::signal<void, double>& shrink_progress,
                 sigc::signal<void, double>& html_progress,
                 sigc::signal<void, double>& zoom_progress, std::ostream& log) {
  if (!has_album_name(album, log)) return false;
  if (!shrinkupdate(album, files, shrink_progress))
    return libutils::fail(log, "", "shrinkupdate() fail.");
  // The pages show comments and classifications the user may have changed,
  // so they are always written anew.
  return makepages(album, html_progress, zoom_progress, log);
}

bool shrinkoneupdate(std::vector<std::string>& levels, const path_t& album,
                     const std::string& name, std::uint64_t L, std::uint64_t start,
                     std::uint64_t rotation) {
  return shrinkpicture(album, levels, name, L, start, rotation, update_pass, std::cerr);
}

}  // namespace pictora
