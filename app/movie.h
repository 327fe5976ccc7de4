// Movies of an album: ffmpeg identifies them, converts them into ".mp4"
// copies at every movie level ("movie0" at full size, each further level at
// half the size of the one before, made even) and takes a still of each copy.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/build_context.h"
#include "app/import.h"
#include "app/path.h"
#include "libgr/direction.h"
#include "libgr/imagetype.h"
#include "libutils/platform_posix.h"
#include "libutils/report.h"

namespace pictora {

// name with its extension replaced by ".mp4": the converted copy's name.
std::string ffmp4name(const std::string& name);
// name with its extension replaced by ".jpg": the still's name.
std::string ffjpgname(const std::string& name);
// Whether the movie `name` of the album's "original" directory has its
// full-size copy in "movie0": a movie whose conversion failed has none, and
// the pages leave it out.
bool movie_converted(const path_t& album, const std::string& name);

// The movie level directories "movie0" .. "movie" L+1 (L + 2 names).
std::vector<std::string> ffmovielevels(std::uint64_t L);

// What a report of "ffmpeg -i" says of a movie: each part only when the
// report gives it, since a report that lacks a part leaves it as it was.
struct movie_facts_t {
  bool video = false;  // the report has a video stream line; nothing else is read without one
  bool has_size = false;
  libgr::direction2ul_t size;
  bool has_duration = false;
  std::string duration;
  bool has_rate = false;
  std::string rate;

  // Sets the parts it holds.
  void apply(libgr::direction2ul_t& size, std::string& duration, std::string& rate) const;
};

// Reads a report of "ffmpeg -i" (both its output streams): the last
// "Duration" line before the first video stream line gives the duration, the
// video stream line the size and rate.
movie_facts_t ffreadreport(const std::string& report);

// The seconds of a duration text such as "00:01:23.45"; 0 for any other text.
double ffseconds(const std::string& duration);

// Runs ffmpeg on the movie and reads its report: the frame size, the duration
// text (e.g. "00:01:23.45") and the frame-rate text (e.g. " 29.97 fps").
// Leaves every output unchanged when the report has no video stream line, or
// when ffmpeg gave none in time.
void ffidentify(const std::string& movie, libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                libutils::report_log_t& log);

// How the identification of an album's movie file went.
enum class ffanswer_t {
  answered,    // by ffmpeg or by the record of an earlier answer
  not_a_file,  // missing, or no regular file: ffmpeg is not asked
  timed_out,   // ffmpeg gave no answer within its time limit
};

// The identifications of an album's movie files (originals and converted
// copies). ffmpeg is asked about a file once until it changes: what it says
// is kept in the album's "txt/movie-facts.tsv", one line per file, keyed by
// the file's name in the album, its size and its modification time. A
// holder reads that file once, the first time it needs it, and writes it
// back when the holder is let go, if ffmpeg was asked anything meanwhile;
// a record that is missing, damaged or out of date is made anew. Several
// threads may identify through one holder at once.
class movie_ids_t {
 public:
  movie_ids_t() = default;
  movie_ids_t(const movie_ids_t&) = delete;
  movie_ids_t& operator=(const movie_ids_t&) = delete;
  ~movie_ids_t();

  // ffidentify of album.make(dir, name), through the album's records.
  ffanswer_t identify(const path_t& album, const std::string& dir, const std::string& name,
                      libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                      libutils::report_log_t& log);

  // One line of the records: what ffmpeg said of a file in the state given.
  struct record_t {
    std::uint64_t bytes = 0;
    libutils::platform::file_time_t modified;
    movie_facts_t facts;
  };
  struct album_records_t {
    bool loaded = false;
    bool changed = false;                      // ffmpeg was asked: to be written back
    std::map<std::string, record_t> by_file;   // by "dir/name"
  };

 private:
  std::mutex mutex_;
  std::map<std::string, album_records_t> albums_;  // by the album's directory
};

// Identifies album.make(dir, name) into size, duration and rate and returns
// its shrink level against the box (0 when it cannot be read). The
// identification goes through ids, or through a holder of its own when
// none is given; the command it runs is shown on log.
std::uint64_t getffshrinklevel(const path_t& album, const std::string& dir, const std::string& name,
                               libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                               const size_limit_t& box, libutils::report_log_t& log, movie_ids_t* ids = nullptr);

// The time limits of ffmpeg's runs, in seconds, past which a run is
// stopped and its movie reported as broken: an identification may take
// ffidentify_limit(), a conversion or a still of a movie of `seconds`
// seconds ffconvert_limit(seconds), a floor plus a multiple of the length.
// The environment variable PICTORA_FFMPEG_SECONDS, a positive number,
// replaces the identification's limit and the conversions' floor.
double ffidentify_limit();
double ffconvert_limit(double seconds);

// Converts src into the H.264 movie dst at size (0, 0: as it is) with the
// hwaccel and ffmpeg settings of ctx; seconds is the movie's length for the
// time limit (0: unknown). True without running anything when dst is
// current. The command and a failure are reported on log.
bool ffconvertone(const build_context_t& ctx, const std::string& src, const std::string& dst,
                  const libgr::direction2ul_t& size, double seconds, libutils::report_log_t& log);

// Writes one frame of the movie as the JPEG still (size (0, 0): the movie's
// own). True without running anything when still is current. The command
// and a failure are reported on log.
bool ffsavethumbnail(const std::string& movie, const std::string& still, const libgr::direction2ul_t& size,
                     libutils::report_log_t& log);

// Makes the levels 1 .. L+1 of a movie whose full-size copy mp4name lies in
// levels[0], each converted from the level before at half its size, made
// even, with its still. size is the full size and seconds the length;
// levels holds L + 2 names.
bool ffshrinkone(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                 const std::string& mp4name, std::uint64_t L, const libgr::direction2ul_t& size, double seconds,
                 libutils::report_log_t& log);

// The movie stage of one movie `name` of the album's "original" directory:
// creates its level directories, converts it at full size into "movie0"
// with a still, then makes the smaller levels. Current files are kept. A
// movie that is no regular file, or that ffmpeg cannot identify in time, is
// reported and not converted. The identification goes through ids (a holder
// of its own when null). Runs on worker threads: it reads nothing but its
// arguments and the album's files. Reports go to log; false at the first
// failure.
bool shrinkmovie(const build_context_t& ctx, const path_t& album, const std::string& name,
                 libutils::report_log_t& log, movie_ids_t* ids = nullptr);

// The still of a movie at the level that suits a widget of the given scale
// factor and the show_level setting; duration and rate receive the movie's
// texts for a caption.
bool load_scaled_ffthumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                             int scale_factor, std::string& duration, std::string& rate, const global_t& settings,
                             libutils::report_log_t& log);

}  // namespace pictora
