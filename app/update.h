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

// The build an album is in the middle of, kept in the album's hidden file
// ".pictora-build" from before its import until the build has finished: an
// interrupted build is then finished by the album's next update, with the
// turns the user picked, instead of leaving pictures missing or unturned.
struct build_record_t {
  std::string source;          // the camera folder, absolute
  std::vector<files_t> files;  // the picked files with their turns, in order
};

// Records the build of `files` from srcdir into the album, creating its
// "original" directory (which makes it an album); false, reported on log,
// when the record cannot be written.
bool begin_build(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
                 std::ostream& log);
// The album's record of an unfinished build; false when it has none.
bool read_build_record(const path_t& album, build_record_t& record);

// Builds a new album: refuses a source inside the album itself, leaves out
// (and reports) picked entries that are no regular files, records the
// build, copies the files from srcdir into the album, makes the size
// levels, thumbnails and movie conversions, then the album page and the zoom
// pages, and drops the record. Temporary files that killed runs left in the
// album go first. Each stage reports on its own signal; zoom_progress runs
// from 0 to 1 twice (picture zoom pages, then movie zoom pages). The first
// failure is written to log as one line and ends the build with false; the
// record then stays for the next update to finish the build.
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
// Temporary files that killed runs left in the album go first. An album
// holding the record of an unfinished build gets that build finished
// instead: what its import did not bring in is imported (first_progress
// shows it), its picked files are built as the build builds them, turns
// included, the other files of `files` are updated, and the record goes.
// When a file still to be imported cannot be read, the album is reported as
// incomplete, with the command that finishes it, and false is returned.
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
