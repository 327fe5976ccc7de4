// What the album creation dialog shows of a camera folder: its files in
// listing order with their kinds, the picture each one gets on its button,
// and the quarter turns its angle stands for. Nothing here needs a display,
// and load_source_thumbnail runs on a thread of its own while the dialog
// stays responsive (see its comment).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/global.h"
#include "app/import.h"
#include "libgr/direction.h"
#include "libgr/imagetype.h"

namespace pictora {

// How a file of the camera folder is shown: pictures and movies with a
// picture, sounds as a small empty button, anything else as a plain button.
enum class source_kind_t { picture, movie, sound, other };

struct source_file_t {
  std::string name;
  source_kind_t kind = source_kind_t::other;
};

// The files of dir in listing order (ascending bytes). False, out empty,
// when dir is empty text (no folder given) or cannot be listed.
bool list_source(const std::string& dir, std::vector<source_file_t>& out);

// The size a movie's still is taken at: the frame halved (both sides) until
// it fits the shrink box, then a quarter of that.
libgr::direction2ul_t movie_still_size(const libgr::direction2ul_t& frame, const size_limit_t& box);

// The picture of a picture or a movie of dir: a picture's EXIF thumbnail or
// its reduced decode (load_thumbnail), a movie's still taken by ffmpeg into
// temp (made on first use with prog_name, the still removed once read),
// with the sizes of settings. False for sounds, other files and anything
// that cannot be read; the reason goes to log.
//
// Safe on a thread of its own beside the main loop and beside a build: it
// touches only its arguments (settings read only), libjpeg through
// objects of its own, ffmpeg through run_process (close-on-exec pipes) and
// files inside temp. The image it fills holds the only reference to its
// pixels, so it may be handed to another thread once the call returns.
bool load_source_thumbnail(libgr::image2d_t& image, const std::string& dir, const source_file_t& file,
                           temp_t& temp, const std::string& prog_name, const global_t& settings,
                           libutils::report_log_t& log);

// The quarter turns of an angle of the dialog: 0, 90, 180 and 270 give 0 to
// 3; any other value is reported on log as "name: angle: not 90/180/270."
// and gives 0.
std::uint64_t angle_code(int angle, const std::string& name, libutils::report_log_t& log);

}  // namespace pictora
