// The size levels and the thumbnail of every picture of an album, the hand-off
// of movies to the movie stage, and the loaders that put a picture on screen
// at a suitable level.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/import.h"
#include "app/path.h"
#include "libgr/imagetype.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg.h"

namespace pictora {

// Number of halvings (integer division of both sides by 2) a picture needs
// to fit the shrink_size box; 0 when it fits or cannot be read.
std::uint64_t getshrinklevel(const std::string& jpegfile);
// The same for the picture `name` of the album's "original" directory.
std::uint64_t getshrinklevel(const path_t& album, const std::string& name);

// Builds "size0" to "size" L+1 and the thumbnail of one picture. `levels`
// holds the L + 3 directory names "size0" .. "size" L+1, "thumb"; their
// directories must exist. Failures are reported on log.
bool shrinkone(const path_t& album, std::vector<std::string>& levels, const std::string& name,
               std::uint64_t L, std::uint64_t rotation, std::ostream& log);

// The pieces of one picture's level build, shared by the first build of an
// album and its update.

// Whether name ends in ".jpg" or ".jpeg", in any case.
bool ispicture(const std::string& name);
// The level list of a picture of shrink level L: "size0" .. "size" L+1, then
// "thumb" (L + 3 names).
std::vector<std::string> picture_levels(std::uint64_t L);
// Creates album.make(dir); an existing directory is fine.
void make_album_dir(const path_t& album, const std::string& dir);
// Where a "size0" link points to reach original/name: "../original/name".
std::string size0_linktarget(const std::string& name);

// The EXIF block of a picture whose markers have been read. Its thumbnail
// window shares the marker's bytes, so it stays valid after the file goes.
struct picture_exif_t {
  libgr::app1_marker_t app1;
  bool parsed = false;

  explicit picture_exif_t(const libgr::jpeginfo_t& info);
  bool has_thumbnail() const;
  // The quarter turns that show the picture upright after the user's
  // `count`; `count` itself when the block carries no orientation.
  unsigned long long upright(unsigned long long count) const;
};

// Encodes image with `markers` at the configured quality and writes it to
// file under a temporary name renamed into place, replacing a link there
// rather than writing through it. Failures are reported on the standard
// error stream.
bool savejpeg(const std::string& file, libgr::image2d_t& image,
              std::vector<libgr::marker_t>& markers);

// Writes levels[first] .. levels[L+1] of the picture `name` from image, the
// picture at full size: it is halved `first` times, then once after every
// level, so that it ends halved L + 2 times. Each level directory is
// created. A level file is written when `rewrite` is set or when it is
// missing or older than original/name. Failures are reported on log.
bool writelevels(const path_t& album, const std::vector<std::string>& levels,
                 const std::string& name, std::uint64_t L, std::uint64_t first, bool rewrite,
                 libgr::image2d_t& image, std::vector<libgr::marker_t>& markers,
                 std::ostream& log);

// Writes the thumbnail file target: the EXIF thumbnail's bytes turned
// `turns` quarter turns when there is one, else image without markers.
// Failures are reported on log.
bool writethumbnail(const std::string& target, const picture_exif_t& exif,
                    unsigned long long turns, libgr::image2d_t& image, std::ostream& log);

// Runs the level stage of a new album over its imported files: size levels
// and thumbnails of pictures, conversions and stills of movies. Emits
// (i + 1) / n after the i-th file; false at the first file that fails.
bool shrink(const path_t& album, const std::vector<files_t>& files,
            sigc::signal<void, double>& progress, std::ostream& log);

// Display loaders: each fills image and returns whether that worked.
// A ".jpg"/".jpeg" file decoded at full size and turned upright by its EXIF
// orientation.
bool load_jpeg(libgr::image2d_t& image, const std::string& file);
// load_jpeg of the picture `name` in the album directory `dir`.
bool load_size_jpeg(libgr::image2d_t& image, const path_t& album, const std::string& dir,
                    const std::string& name);
// The EXIF thumbnail of a ".jpg"/".jpeg" file, turned upright; without one,
// the picture halved to a quarter of the shrink_size box.
bool load_thumbnail(libgr::image2d_t& image, const std::string& file);
// The album's "thumb" file of the picture, else the thumbnail of its "size0"
// or "original" file.
bool load_exifthumbnail_or_thumbdir(libgr::image2d_t& image, const path_t& album,
                                    const std::string& name);
// The level of the picture that suits a widget of the given scale factor and
// the show_level setting, as RGB.
bool load_scaled_thumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                           int scale_factor);

}  // namespace pictora
