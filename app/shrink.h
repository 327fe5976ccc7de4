// The size levels and the thumbnail of every picture of an album, the hand-off
// of movies to the movie stage, and the loaders that put a picture on screen
// at a suitable level.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/build_context.h"
#include "app/import.h"
#include "app/path.h"
#include "libgr/imagetype.h"
#include "libutils/report.h"

namespace pictora {

// Number of halvings (integer division of both sides by 2) a picture needs
// to fit the shrink_size box; 0 when it fits or cannot be read (which whoever
// reads the picture next reports).
std::uint64_t getshrinklevel(const std::string& jpegfile, const size_limit_t& box);
// The same for the picture `name` of the album's "original" directory.
std::uint64_t getshrinklevel(const path_t& album, const std::string& name, const size_limit_t& box);

// Builds "size0" to "size" L+1 and the thumbnail of one picture. `levels`
// holds the L + 3 directory names "size0" .. "size" L+1, "thumb"; their
// directories must exist. Failures are reported on log.
bool shrinkone(const build_context_t& ctx, const path_t& album, std::vector<std::string>& levels,
               const std::string& name, std::uint64_t L, std::uint64_t rotation, libutils::report_log_t& log);

// Runs the level stage of a new album over its imported files: size levels
// and thumbnails of pictures, conversions and stills of movies, as
// shrinkfiles does.
bool shrink(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
            sigc::signal<void, double>& progress, libutils::report_log_t& log);

// What tells the first build of an album's pictures (shrinkone, shrink) from
// their update (shrinkoneupdate, shrinkupdate): the detail line of each
// report, and the update's selective way.
struct picture_pass_t {
  const char* load_fail;        // the original cannot be loaded
  const char* analyze_fail;     // its markers cannot be read
  const char* link_fail;        // "size0" cannot be made to stand for it
  const char* rotate_fail;      // its lossless turn into "size0" failed
  const char* pixel_load_fail;  // the file to decode cannot be loaded
  const char* decompress_fail;  // it cannot be decoded
  // false, the build: "size0" is made anew, an unturned picture is decoded
  // from its original, the levels of a turned one carry no markers, and
  // only level files and thumbnails that are missing or older than the
  // original are written; the file loop makes "thumb" and writes every
  // level of a picture. true, the update: "size0" is linked again only when
  // it is outdated, an unturned picture whose files are all current is left
  // alone, "size0" is decoded and its markers go into every level, every
  // level of a turned picture is rewritten, the thumbnail always is; the
  // file loop starts an unturned picture at its first missing file and
  // leaves alone one that misses none.
  bool update;
};
extern const picture_pass_t build_pass;
extern const picture_pass_t update_pass;

// The level files from levels[start] on and the thumbnail of one picture
// of shrink level L: "size0" is linked to or turned from original/name
// (rotation quarter turns clockwise, combined with the EXIF orientation),
// the picture is decoded once and halved level by level. `levels` holds
// "size0" .. "size" L+1, "thumb". Runs on worker threads: it reads nothing
// but its arguments and the album's files. A picture that cannot be had is
// reported on log as the original's path and the reason in plain words,
// and left out of the album (it gets no thumbnail, so no page shows it);
// the next update tries it again.
bool shrinkpicture(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                   const std::string& name, std::uint64_t L, std::uint64_t start, std::uint64_t rotation,
                   const picture_pass_t& pass, libutils::report_log_t& log);

// One picked picture of the level stage: its shrink level, level list and
// directories, the level to start at, then shrinkpicture. Runs on worker
// threads, as shrinkpicture.
bool shrinkfile(const build_context_t& ctx, const path_t& album, const files_t& file, const picture_pass_t& pass,
                libutils::report_log_t& log);

// The level stage over files: pictures through shrinkfile, movies through
// the movie stage, others skipped, ctx.jobs files at once on worker
// threads. After each file finishes, ctx hears it and done / n is emitted,
// done counting the files finished so far. The reports of each file come in
// file order whatever the number of jobs. A file that fails does not stop
// the others; false when any failed. A stop asked for through ctx starts no
// further file.
bool shrinkfiles(const build_context_t& ctx, const path_t& album, const std::vector<files_t>& files,
                 sigc::signal<void, double>& progress, const picture_pass_t& pass, libutils::report_log_t& log);

// How often (w, h) must be halved (both sides, integer division) until the
// width is at most x and the height at most y; 0 when it fits. The shrink
// level of pictures and of movies.
std::uint64_t halvings_to_fit(std::uint64_t w, std::uint64_t h, std::uint64_t x, std::uint64_t y);

// The index into a level list of `count` names (the largest level first)
// that suits a widget of the given scale factor and the show_level setting:
// counted back from the end by the scale factor's bit length (0 for 0 and
// below) plus show_level, so that a larger factor or setting picks a larger
// level; 0 when that passes the start. May point at the end of the list.
std::uint64_t scaled_level_index(std::uint64_t count, int scale_factor, std::uint64_t show_level);

// The pictures whose level files the album's "thumb" lists as `names`, in
// that order: the name in "original" each file is the level file of
// (level_name backwards), which is the file's own name but for HEIF
// pictures.
std::vector<std::string> level_pictures(const path_t& album, const std::list<std::string>& names);

// The level list of a picture of shrink level L: "size0" .. "size" L+1, then
// "thumb" (L + 3 names).
std::vector<std::string> picture_levels(std::uint64_t L);

// Display loaders: each fills image and returns whether that worked, with
// the settings given (a copy the caller keeps while a loader thread works)
// and failures on log.
// A ".jpg"/".jpeg" file decoded at full size and turned upright by its EXIF
// orientation.
bool load_jpeg(libgr::image2d_t& image, const std::string& file, const global_t& settings,
               libutils::report_log_t& log);
// load_jpeg of the picture `name` in the album directory `dir`.
bool load_size_jpeg(libgr::image2d_t& image, const path_t& album, const std::string& dir,
                    const std::string& name, const global_t& settings, libutils::report_log_t& log);
// The EXIF thumbnail of a ".jpg"/".jpeg" file, turned upright; without one,
// the picture halved to a quarter of the shrink_size box.
bool load_thumbnail(libgr::image2d_t& image, const std::string& file, const global_t& settings,
                    libutils::report_log_t& log);
// The album's "thumb" file of the picture, else the thumbnail of its "size0"
// or "original" file.
bool load_exifthumbnail_or_thumbdir(libgr::image2d_t& image, const path_t& album, const std::string& name,
                                    const global_t& settings, libutils::report_log_t& log);
// The level of the picture that suits a widget of the given scale factor and
// the show_level setting, as RGB.
bool load_scaled_thumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                           int scale_factor, const global_t& settings, libutils::report_log_t& log);

}  // namespace pictora
