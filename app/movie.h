// Movies of an album: ffmpeg identifies them, converts them into ".mp4"
// copies at every movie level ("movie0" at full size, each further level at
// half the size of the one before, made even) and takes a still of each copy.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/import.h"
#include "app/path.h"
#include "libgr/direction.h"
#include "libgr/imagetype.h"

namespace pictora {

// name with its extension replaced by ".mp4": the converted copy's name.
std::string ffmp4name(const std::string& name);
// name with its extension replaced by ".jpg": the still's name.
std::string ffjpgname(const std::string& name);

// The movie level directories "movie0" .. "movie" L+1 (L + 2 names).
std::vector<std::string> ffmovielevels(std::uint64_t L);

// Reads a report of "ffmpeg -i" (both its output streams): the last
// "Duration" line before the first video stream line gives the duration, the
// video stream line the size and rate. Outputs that the report does not give
// are left unchanged, all of them when it has no video stream line.
void ffreadreport(const std::string& report, libgr::direction2ul_t& size, std::string& duration,
                  std::string& rate);

// Runs ffmpeg on the movie and reads its report: the frame size, the duration
// text (e.g. "00:01:23.45") and the frame-rate text (e.g. " 29.97 fps").
// Leaves every output unchanged when the report has no video stream line.
void ffidentify(const std::string& movie, libgr::direction2ul_t& size, std::string& duration,
                std::string& rate);

// The identifications of one page build: ffmpeg runs once per movie file,
// and a movie asked for again is read from the report kept from that run,
// so that it gives exactly what a new run would. A page build owns one for
// its length; nothing is kept from one build to the next.
class movie_ids_t {
 public:
  // ffidentify of movie.
  void identify(const std::string& movie, libgr::direction2ul_t& size, std::string& duration,
                std::string& rate);

 private:
  std::map<std::string, std::string> reports_;  // by movie path
};

// Identifies album.make(dir, name) into size, duration and rate and returns
// its shrink level against the shrink_size box (0 when it cannot be read).
// The identification goes through ids when one is given.
std::uint64_t getffshrinklevel(const path_t& album, const std::string& dir, const std::string& name,
                               libgr::direction2ul_t& size, std::string& duration,
                               std::string& rate, movie_ids_t* ids = nullptr);

// Converts src into the H.264 movie dst at size (0, 0: as it is). True
// without running anything when dst is current.
bool ffconvertone(const std::string& src, const std::string& dst,
                  const libgr::direction2ul_t& size);

// Writes one frame of the movie as the JPEG still (size (0, 0): the movie's
// own). True without running anything when still is current.
bool ffsavethumbnail(const std::string& movie, const std::string& still,
                     const libgr::direction2ul_t& size);

// Makes the levels 1 .. L+1 of a movie whose full-size copy mp4name lies in
// levels[0], each converted from the level before at half its size, made
// even, with its still. size is the full size; levels holds L + 2 names.
bool ffshrinkone(const path_t& album, const std::vector<std::string>& levels,
                 const std::string& mp4name, std::uint64_t L,
                 const libgr::direction2ul_t& size);

// The movie stage of one movie `name` of the album's "original" directory:
// creates its level directories, converts it at full size into "movie0"
// with a still, then makes the smaller levels. Current files are kept.
// A failed still is reported on log; false at the first failure.
bool shrinkmovie(const path_t& album, const std::string& name, std::ostream& log);

// The still of a movie at the level that suits a widget of the given scale
// factor and the show_level setting; duration and rate receive the movie's
// texts for a caption.
bool load_scaled_ffthumbnail(libgr::image2d_t& image, const path_t& album,
                             const std::string& name, int scale_factor, std::string& duration,
                             std::string& rate);

}  // namespace pictora
