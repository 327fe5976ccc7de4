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
