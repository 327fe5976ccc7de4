#include "app/movie.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <list>

#include "app/global.h"
#include "app/shrink.h"
#include "libgr/imageutil.h"
#include "libgr/loader_jpeg.h"
#include "libutils/common.h"
#include "libutils/dirutil.h"
#include "libutils/futil.h"
#include "libutils/platform_posix.h"
#include "libutils/process.h"
#include "libutils/strutil.h"

// ffmpeg runs from an argument vector, never through a shell, so that no
// file name can act as shell code; the hwaccel and ffmpeg settings are split
// into words as a shell would split them. Each command is still echoed with
// its line end, in a form a POSIX shell would run unchanged (the
// identification with "2>&1", since both its streams are read). What ffmpeg
// does inside, its encoders and every option not named here are left to
// ffmpeg: only the command words below are ours, issued in this order. Our
// own choices around them:
// - ffmpeg reads no standard input (it would take key presses from a
//   terminal), and its output file is a temporary name beside the target
//   that keeps the target's extension, renamed into place on success and
//   removed on failure; echoed commands show that temporary name.
// - ffmpeg's log is kept, not passed through, and shown with the reports
//   when a conversion fails; ffmpeg ends when this process ends.
// - A quiet front end shows no commands.
// - " -resize WxH" goes before the input even without hwaccel options, as
//   the command is designed; software decoders ignore it with a warning.
// - A report line's end (CR, LF) is no part of the texts read from it.
// - A size piece that does not split at "x" into two numbers leaves the
//   size as it was.

namespace pictora {

namespace {

using words_t = std::vector<std::string>;

// The encoder options used when the ffmpeg setting is empty.
constexpr const char* default_ffmpeg_options = "-c:v libx264 -crf 23";

// One read of the report as fgets with a 4,095-byte buffer makes it: up to
// and including a line feed, at most 4,094 characters.
constexpr size_t report_read_size = 4094;

void append(words_t& argv, const words_t& more) { argv.insert(argv.end(), more.begin(), more.end()); }

bool is_unknown(const libgr::direction2ul_t& size) { return size.x == 0 && size.y == 0; }

// "WxH" in decimal.
std::string size_text(const libgr::direction2ul_t& size) {
  return std::to_string(size.x) + "x" + std::to_string(size.y);
}

// name with its extension replaced by ext.
std::string replace_extension(const std::string& name, const char* ext) {
  libutils::splitpath_t sp;
  libutils::split(sp, name.c_str());
  std::snprintf(sp.ext, sizeof sp.ext, "%s", ext);
  char out[4 * libutils::max_path];
  libutils::concat(out, sp);
  return out;
}

// Like strtoul with base 0, kept to 32 bits.
std::uint32_t to_u32(const std::string& s) {
  return static_cast<std::uint32_t>(std::strtoul(s.c_str(), nullptr, 0));
}

// The duration of a "Duration" line: its first blank-separated piece that
// ends with a comma, without the comma.
void read_duration(const std::string& line, std::string& duration) {
  std::list<std::string> pieces;
  libutils::separate_token(pieces, line, " ");
  for (const auto& piece : pieces) {
    if (!piece.empty() && piece.back() == ',') {
      duration = piece.substr(0, piece.size() - 1);
      return;
    }
  }
}

// Frame size and rate of the video stream line. Commas are counted only
// outside parentheses ("yuv420p(tv, bt709)" holds none that count): the
// size follows the second, the rate the fourth.
void read_video_line(const std::string& line, libgr::direction2ul_t& size, std::string& rate) {
  std::list<std::string> pieces;
  libutils::separate_token(pieces, line, "()");
  int commas = 0;
  bool outside = false;
  for (const auto& piece : pieces) {
    outside = !outside;
    if (!outside) continue;
    for (size_t at = piece.find(','); at != std::string::npos; at = piece.find(',', at + 1)) {
      ++commas;
      const std::string after = piece.substr(at + 1);
      if (commas == 2) {
        // The first non-empty blank-separated piece, e.g. "1920x1080"; a
        // piece that does not split into width and height leaves size.
        std::list<std::string> words;
        libutils::separate_token(words, after, " ");
        for (const auto& word : words) {
          if (word.empty()) continue;
          std::list<std::string> sides;
          libutils::separate_token(sides, word, "x");
          if (sides.size() >= 2) {
            size.x = to_u32(sides.front());
            size.y = to_u32(*std::next(sides.begin()));
          }
          break;
        }
      } else if (commas == 4) {
        rate = after.substr(0, after.find(','));
        return;
      }
    }
  }
}

// ffmpeg picks the output format from the file's extension, so the
// temporary file keeps target's.
std::string reserve_temp(const std::string& target) {
  const char* dot = std::strrchr(libutils::baseptr(target.c_str()), '.');
  return libutils::create_temp_beside(target, dot != nullptr ? dot : "");
}

// Runs the ffmpeg command argv, whose last word is its output file target:
// ffmpeg writes a temporary file that then replaces target, so an
// interrupted run never leaves a file that would count as current. The
// command is echoed on `echo` first (unless the front end is quiet).
// ffmpeg's own log is kept and shown on the standard error stream, where
// the reports go, only when the conversion fails. True when ffmpeg exits
// with 0 and the file is in place.
bool run_ffmpeg_into(words_t argv, const std::string& target, std::ostream& echo) {
  const std::string temp = reserve_temp(target);
  if (temp.empty()) {
    const int err = errno;
    libutils::fail(std::cerr, target, ": cannot create a temporary file.");
    return libutils::fail_reason(std::cerr, target, err);
  }
  argv.back() = temp;
  if (libutils::echo_commands()) echo << libutils::command_line(argv) << std::endl;
  std::string report;
  // ffmpeg may end with 0 although it could not finish its file (a full
  // disk when it writes the index at the end); its log tells.
  const bool failed = libutils::run_process(argv, &report) != 0 ||
                      report.find("Error writing trailer") != std::string::npos ||
                      report.find("Error closing file") != std::string::npos;
  if (failed) {
    libutils::error();
    if (!report.empty() && report.back() != '\n') report += '\n';
    std::cerr << report << std::flush;
  } else if (std::rename(temp.c_str(), target.c_str()) == 0) {
    return true;
  } else {
    const int err = errno;
    libutils::fail(std::cerr, temp, ": cannot be renamed to " + target + ".");
    libutils::fail_reason(std::cerr, target, err);
  }
  ::unlink(temp.c_str());
  return false;
}

// The still of a converted movie at the movie's own size; a failure is
// reported on log.
bool save_still(const std::string& movie, const std::string& still, std::ostream& log) {
  if (ffsavethumbnail(movie, still, libgr::direction2ul_t())) return true;
  return libutils::fail(log, movie, ": movie thumbnail save failed.");
}

// The report of "ffmpeg -i movie", both its output streams, after echoing
// the command.
std::string run_identification(const std::string& movie) {
  // ffmpeg would wait for ever on a pipe: only files are asked about.
  libutils::platform::file_info_t info;
  if (!libutils::platform::stat_file(movie.c_str(), info) || !info.is_regular) return "";
  const words_t argv = {"ffmpeg", "-i", movie};
  // Both output streams are read, as "2>&1" would give them.
  if (libutils::echo_commands()) std::cout << libutils::command_line(argv) << " 2>&1" << std::endl;
  std::string report;
  libutils::run_process(argv, &report);  // ffmpeg fails without an output file; the report counts
  return report;
}

// Loads a still at full size as RGB.
bool load_still(libgr::image2d_t& image, const std::string& file) {
  libgr::jpegdata_t data;
  if (!data.load(file.c_str())) return libutils::fail(std::cerr, file, ": load movie still fail.");
  libgr::jpeginfo_t info;
  libgr::image2d_t decoded;
  if (!info.decompress(decoded, data, 0, false, libgr::color3ub_t()))
    return libutils::fail(std::cerr, file, ": movie still decompress fail.");
  return libgr::grayscale2rgb(image, decoded);
}

}  // namespace

std::string ffmp4name(const std::string& name) { return replace_extension(name, ".mp4"); }

std::string ffjpgname(const std::string& name) { return replace_extension(name, ".jpg"); }

std::vector<std::string> ffmovielevels(std::uint64_t L) {
  std::vector<std::string> levels;
  for (std::uint64_t k = 0; k <= L + 1; ++k) levels.push_back("movie" + std::to_string(k));
  return levels;
}

void ffreadreport(const std::string& report, libgr::direction2ul_t& size, std::string& duration,
                  std::string& rate) {
  std::string duration_line;
  bool has_duration = false;
  for (size_t at = 0; at < report.size();) {
    const size_t end = report.find('\n', at);
    const size_t len = std::min(end == std::string::npos ? report.size() - at : end + 1 - at,
                                report_read_size);
    std::string line = report.substr(at, len);
    at += len;
    libutils::chop(line);  // the line end belongs to no text read from the line
    if (line.find("Duration") != std::string::npos) {
      duration_line = line;
      has_duration = true;
    }
    const size_t stream = line.find("Stream");
    if (stream != std::string::npos && line.find("Video", stream) != std::string::npos) {
      if (has_duration) read_duration(duration_line, duration);
      read_video_line(line, size, rate);
      return;
    }
  }
}

void ffidentify(const std::string& movie, libgr::direction2ul_t& size, std::string& duration,
                std::string& rate) {
  ffreadreport(run_identification(movie), size, duration, rate);
}

void movie_ids_t::identify(const std::string& movie, libgr::direction2ul_t& size,
                           std::string& duration, std::string& rate) {
  auto known = reports_.find(movie);
  if (known == reports_.end()) known = reports_.emplace(movie, run_identification(movie)).first;
  ffreadreport(known->second, size, duration, rate);
}

std::uint64_t getffshrinklevel(const path_t& album, const std::string& dir, const std::string& name,
                               libgr::direction2ul_t& size, std::string& duration,
                               std::string& rate, movie_ids_t* ids) {
  std::string movie;
  album.make(movie, dir, name);
  if (ids != nullptr)
    ids->identify(movie, size, duration, rate);
  else
    ffidentify(movie, size, duration, rate);
  return halvings_to_fit(size.x, size.y, g_global.shrink_size.x, g_global.shrink_size.y);
}

bool ffconvertone(const std::string& src, const std::string& dst,
                  const libgr::direction2ul_t& size) {
  if (!libutils::need_update(src, dst)) return true;
  words_t argv = {"ffmpeg", "-y"};
  append(argv, libutils::split_words(g_global.hwaccel));
  if (is_unknown(size)) {
    append(argv, {"-i", src, dst});  // the movie as it is, ffmpeg's own choice of encoder
  } else {
    const std::string s = size_text(size);
    append(argv, {"-resize", s, "-i", src});
    // Without hardware options the scaling is done by the output side.
    if (g_global.hwaccel.empty()) append(argv, {"-s", s});
    append(argv, libutils::split_words(g_global.ffmpeg.empty() ? default_ffmpeg_options
                                                               : g_global.ffmpeg));
    argv.push_back(dst);
  }
  return run_ffmpeg_into(argv, dst, std::cout);
}

bool ffsavethumbnail(const std::string& movie, const std::string& still,
                     const libgr::direction2ul_t& size) {
  if (!libutils::need_update(movie, still)) return true;
  words_t argv = {"ffmpeg", "-y", "-i", movie, "-f", "image2", "-update", "true", "-frames:v", "1"};
  if (!is_unknown(size)) append(argv, {"-s", size_text(size)});
  argv.push_back(still);
  return run_ffmpeg_into(argv, still, std::cerr);
}

bool ffshrinkone(const path_t& album, const std::vector<std::string>& levels,
                 const std::string& mp4name, std::uint64_t L,
                 const libgr::direction2ul_t& size) {
  const std::string jpgname = ffjpgname(mp4name);
  std::string src;
  album.make(src, levels[0], mp4name);
  libgr::direction2ul_t half = size;
  for (std::uint64_t k = 1; k <= L + 1; ++k) {
    // H.264 wants even sides.
    half.x = (half.x >> 1) & ~1u;
    half.y = (half.y >> 1) & ~1u;
    std::string dst, still;
    album.make(dst, levels[k], mp4name);
    album.make(still, levels[k], jpgname);
    if (!ffconvertone(src, dst, half) || !save_still(dst, still, std::cerr)) return false;
    src = dst;
  }
  return true;
}

bool shrinkmovie(const path_t& album, const std::string& name, std::ostream& log) {
  libgr::direction2ul_t size;
  std::string duration, rate;
  const std::uint64_t L = getffshrinklevel(album, "original", name, size, duration, rate);
  const std::vector<std::string> levels = ffmovielevels(L);
  for (const auto& level : levels) {
    std::string dir;
    album.make(dir, level);
    libutils::platform::make_directory(dir.c_str());  // an existing one is fine
  }
  const std::string mp4name = ffmp4name(name);
  std::string original, movie0, still0;
  album.make(original, "original", name);
  album.make(movie0, levels[0], mp4name);
  album.make(still0, levels[0], ffjpgname(mp4name));
  if (!ffconvertone(original, movie0, size) || !save_still(movie0, still0, log)) return false;
  return ffshrinkone(album, levels, mp4name, L, size);
}

bool load_scaled_ffthumbnail(libgr::image2d_t& image, const path_t& album,
                             const std::string& name, int scale_factor, std::string& duration,
                             std::string& rate) {
  libgr::direction2ul_t size;
  const std::uint64_t L = getffshrinklevel(album, "original", name, size, duration, rate);
  // Levels "movie0" .. "movie" L+1, then "thumb": the index counts from the
  // end of that list as for pictures. The movie stage keeps no still in
  // "thumb", so an index past the last movie level takes that level.
  const std::uint64_t index =
      std::min<std::uint64_t>(scaled_level_index(L + 3, scale_factor), L + 1);
  std::string still;
  album.make(still, "movie" + std::to_string(index), ffjpgname(name));
  return load_still(image, still);
}

}  // namespace pictora
