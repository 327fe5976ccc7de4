// Building a new album from picked camera files and bringing an existing
// album up to date: the stages of import, size levels and thumbnails, movie
// conversions, album page and zoom pages, run in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/build_context.h"
#include "app/import.h"
#include "app/path.h"
#include "libutils/report.h"

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
                 libutils::report_log_t& log);
// The album's record of an unfinished build; false when it has none.
bool read_build_record(const path_t& album, build_record_t& record, libutils::report_log_t& log);

// Builds a new album: refuses a source inside the album itself, leaves out
// (and reports) picked entries that are no regular files, records the
// build, copies the files from srcdir into the album, makes the size
// levels, thumbnails and movie conversions, then the album page and the zoom
// pages, and drops the record. Temporary files that killed runs left in the
// album go first. Each stage reports on its own signal; zoom_progress runs
// from 0 to 1 twice (picture zoom pages, then movie zoom pages).
//
// One file that cannot be had costs that file only: a file that cannot be
// copied, a picture or movie that cannot be read is reported on log and
// left out, every other file is built and the pages are written without
// it; the result is then false. Every update tries such a picture or movie
// again (it has no levels); a file that could not be copied keeps the
// record, so that the next update imports it. A stop asked for through ctx
// ends the build once the import is done, at the next picture or page
// stage, with false and the record kept: the next update completes the
// album.
bool makealbumwithrotate(const build_context_t& ctx, const std::string& srcdir, const std::vector<files_t>& files,
                         const path_t& album, sigc::signal<void, double>& copy_progress,
                         sigc::signal<void, double>& shrink_progress, sigc::signal<void, double>& html_progress,
                         sigc::signal<void, double>& zoom_progress, libutils::report_log_t& log);

// Brings the album up to date for `files` (its pictures and movies with the
// rotations the user chose): writes the missing picture levels, turns again
// from the original every picture with a rotation, runs the movie stage
// (which keeps current files) and regenerates all pages. first_progress is
// accepted for symmetry with makealbumwithrotate and never emitted.
// Temporary files that killed runs left in the album go first, and so does
// what is left of pictures whose original the user deleted. An album
// holding the record of an unfinished build gets that build finished
// instead: what its import did not bring in is imported (first_progress
// shows it), its picked files are built as the build builds them, turns
// included, the other files of `files` are updated, and the record goes.
// When a file still to be imported cannot be read, the album is reported as
// incomplete, with the command that finishes it, and false is returned.
// Files that cannot be had and stops are taken as by makealbumwithrotate.
bool updatealbum(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& first_progress, sigc::signal<void, double>& shrink_progress,
                 sigc::signal<void, double>& html_progress, sigc::signal<void, double>& zoom_progress,
                 libutils::report_log_t& log);

// Rewrites the picture `name` of the album from level `start` on. `levels`
// holds "size0" .. "size" L+1, "thumb". rotation 0: writes only the level
// files that are missing or older than the original; otherwise "size0" is
// turned losslessly from the original by rotation (combined with the EXIF
// orientation) and every level is re-encoded from it. The thumbnail is
// always rewritten. Failures are reported on log.
bool shrinkoneupdate(const build_context_t& ctx, std::vector<std::string>& levels, const path_t& album,
                     const std::string& name, std::uint64_t L, std::uint64_t start, std::uint64_t rotation,
                     libutils::report_log_t& log);

}  // namespace pictora
