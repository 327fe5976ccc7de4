// Building a new album from picked camera files and bringing an existing
// album up to date: the stages of import, size levels and thumbnails, movie
// conversions, album page and zoom pages, run in order and stopped at the
// first failure.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/import.h"
#include "app/path.h"

namespace pictora {

// Builds a new album: copies `files` from srcdir into it, makes the size
// levels, thumbnails and movie conversions, then the album page and the zoom
// pages. Each stage reports on its own signal; zoom_progress runs from 0 to 1
// twice (picture zoom pages, then movie zoom pages). The first failure is
// written to log as one line and ends the build with false.
bool makealbumwithrotate(const std::string& srcdir, const std::vector<files_t>& files,
                         const path_t& album, sigc::signal<void, double>& copy_progress,
                         sigc::signal<void, double>& shrink_progress,
                         sigc::signal<void, double>& html_progress,
                         sigc::signal<void, double>& zoom_progress, std::ostream& log);

// Brings the album up to date for `files` (its pictures and movies with the
// rotations the user chose): writes the missing picture levels, turns again
// from the original every picture with a rotation, runs the movie stage
// (which keeps current files) and regenerates all pages. first_progress is
// accepted for symmetry with makealbumwithrotate and never emitted.
bool updatealbum(const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& first_progress,
                 sigc::signal<void, double>& shrink_progress,
                 sigc::signal<void, double>& html_progress,
                 sigc::signal<void, double>& zoom_progress, std::ostream& log);

// Rewrites the picture `name` of the album from level `start` on. `levels`
// holds "size0" .. "size" L+1, "thumb". rotation 0: writes only the level
// files that are missing or older than the original; otherwise "size0" is
// turned losslessly from the original by rotation (combined with the EXIF
// orientation) and every level is re-encoded from it. The thumbnail is
// always rewritten. Failures are reported on the standard error stream.
bool shrinkoneupdate(std::vector<std::string>& levels, const path_t& album,
                     const std::string& name, std::uint64_t L, std::uint64_t start,
                     std::uint64_t rotation);

}  // namespace pictora
