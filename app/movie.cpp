#include "app/movie.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <list>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "app/global.h"
#include "app/replacefile.h"
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
// - ffmpeg reads local files only: "-protocol_whitelist file" goes before
//   every input, so that a movie file that is a playlist cannot lead it to
//   the network. A relative path that ffmpeg would take for an option or a
//   protocol gets "./" in front (ffpath).
// - Every run has a time limit (ffidentify_limit, ffconvert_limit); a run
//   past it is stopped with what it started and its movie reported.
// - What "ffmpeg -i" said of an album's file is kept in the album
//   (movie_ids_t), so an unchanged album is updated without running ffmpeg.

namespace pictora {

namespace {

using words_t = std::vector<std::string>;

// The encoder options used when the ffmpeg setting is empty.
constexpr const char* default_ffmpeg_options = "-c:v libx264 -crf 23";

// Time limits in seconds. Reading a movie's header takes ffmpeg a fraction
// of a second even on a loaded machine. A software conversion of a 1080p
// movie runs at about real time on one core of a slow machine; 4K or high
// frame rates take several times longer, so the limit is generous: it is
// there to end runs that would never end, not slow ones.
constexpr double identify_seconds = 10;
constexpr double convert_floor_seconds = 120;
constexpr double convert_seconds_per_second = 30;

// The records' file in the album's "txt" directory, and its first lines.
constexpr const char* facts_file = "movie-facts.tsv";
constexpr const char* facts_head =
    "# What ffmpeg said of this album's movies and their converted copies, so that\r\n"
    "# it is asked once a file. Pictora keeps it up to date; it may be deleted.\r\n"
    "# file\tbytes\tmodified\tsize\tduration\trate\r\n";

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
void read_duration(const std::string& line, movie_facts_t& facts) {
  std::list<std::string> pieces;
  libutils::separate_token(pieces, line, " ");
  for (const auto& piece : pieces) {
    if (!piece.empty() && piece.back() == ',') {
      facts.duration = piece.substr(0, piece.size() - 1);
      facts.has_duration = true;
      return;
    }
  }
}

// Frame size and rate of the video stream line. Commas are counted only
// outside parentheses ("yuv420p(tv, bt709)" holds none that count): the
// size follows the second, the rate the fourth.
void read_video_line(const std::string& line, movie_facts_t& facts) {
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
        // piece that does not split into width and height gives no size.
        std::list<std::string> words;
        libutils::separate_token(words, after, " ");
        for (const auto& word : words) {
          if (word.empty()) continue;
          std::list<std::string> sides;
          libutils::separate_token(sides, word, "x");
          if (sides.size() >= 2) {
            facts.size.x = to_u32(sides.front());
            facts.size.y = to_u32(*std::next(sides.begin()));
            facts.has_size = true;
          }
          break;
        }
      } else if (commas == 4) {
        facts.rate = after.substr(0, after.find(','));
        facts.has_rate = true;
        return;
      }
    }
  }
}

// A path as ffmpeg takes it for a file: a relative path that begins with
// "-" would be read as an option, one whose first component holds a ":" as
// a protocol ("clip:1/a.mov"); "./" in front makes either a plain file.
// Other paths, the usual ones, stay as they are.
std::string ffpath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  if (path[0] == '-' || path.find(':') < path.find('/')) return "./" + path;
  return path;
}

// The words that make ffmpeg read the input that follows from local files
// only, then the input: a movie file holding a playlist might otherwise lead
// it to the network, or to a pipe that never ends.
words_t input_words(const std::string& movie) {
  return {"-protocol_whitelist", "file", "-i", ffpath(movie)};
}

// "N seconds" for reports.
std::string seconds_text(double seconds) {
  std::ostringstream text;
  text << seconds << (seconds == 1 ? " second" : " seconds");
  return text.str();
}

// A positive number of seconds from PICTORA_FFMPEG_SECONDS; 0 without one.
double limit_from_environment() {
  const char* text = std::getenv("PICTORA_FFMPEG_SECONDS");
  if (text == nullptr) return 0;
  char* end = nullptr;
  const double seconds = std::strtod(text, &end);
  return end != text && *end == '\0' && seconds > 0 ? seconds : 0;
}

// ffmpeg picks the output format from the file's extension, so the
// temporary file keeps target's.
std::string reserve_temp(const std::string& target) {
  const char* dot = std::strrchr(libutils::baseptr(target.c_str()), '.');
  return libutils::create_temp_beside(target, dot != nullptr ? dot : "");
}

// How a run of ffmpeg that makes a file went.
struct ffrun_t {
  bool done = false;       // the file is in place
  bool timed_out = false;  // stopped at its time limit
  bool stopped = false;    // stopped because the user asked
  std::string log;         // ffmpeg's own
};

// Runs the ffmpeg command argv, whose last word is its output file target,
// for at most `limit` seconds: ffmpeg writes a temporary file that then
// replaces target, so an interrupted run never leaves a file that would
// count as current; a stop asked through `stop` (when not null) ends it at
// once. The command is shown on log first (on standard error with
// echo_on_standard_error). A file that cannot be put in place is reported
// here; ffmpeg's failures are left to the caller (report_failed_run).
ffrun_t run_ffmpeg_into(words_t argv, const std::string& target, double limit, bool echo_on_standard_error,
                        const std::atomic<bool>* stop, libutils::report_log_t& log) {
  ffrun_t run;
  const std::string temp = reserve_temp(target);
  if (temp.empty()) {
    libutils::fail(log, target, ": cannot create a temporary file beside it", errno);
    return run;
  }
  argv.back() = ffpath(temp);
  libutils::show_command(log, libutils::command_line(argv), echo_on_standard_error);
  const int status = libutils::run_process(argv, &run.log, limit, stop);
  run.timed_out = status == libutils::process_timed_out;
  run.stopped = status == libutils::process_stopped;
  // ffmpeg may end with 0 although it could not finish its file (a full
  // disk when it writes the index at the end); its log tells.
  const bool failed = status != 0 || run.log.find("Error writing trailer") != std::string::npos ||
                      run.log.find("Error closing file") != std::string::npos;
  if (!failed) {
    if (std::rename(temp.c_str(), target.c_str()) == 0) {
      run.done = true;
      return run;
    }
    libutils::fail(log, temp, ": cannot be renamed to " + target, errno);
    run.log.clear();  // ffmpeg did its part
  }
  ::unlink(temp.c_str());
  return run;
}

// What ffmpeg's log says went wrong: its lines that name an error or a
// missing or refused thing, joined by "; ", or its last line when none
// does. Its banner and its statistics say nothing about the fault.
std::string ffmpeg_verdict(const std::string& ffmpeg_log) {
  static const std::regex fault("error|invalid|fail|not found|too large|denied|no such|unrecognized|unknown",
                                std::regex::icase);
  std::string verdict, last;
  std::istringstream lines(ffmpeg_log);
  for (std::string line; std::getline(lines, line);) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    last = line;
    if (std::regex_search(line, fault)) verdict += (verdict.empty() ? "" : "; ") + line;
  }
  return verdict.empty() ? last : verdict;
}

// Reports a run that did not make target from the movie `source`: one
// stopped at its limit, or one that ffmpeg failed, with ffmpeg's verdict
// as the detail. False.
bool report_failed_run(const ffrun_t& run, const std::string& source, const std::string& target,
                       double limit, libutils::report_log_t& log) {
  if (run.stopped) return false;  // the user's stop is no fault of the movie
  const std::string detail = ffmpeg_verdict(run.log);
  if (run.timed_out)
    return libutils::fail(log, source,
                          ": ffmpeg did not finish within " + seconds_text(limit) +
                              " and was stopped; the movie seems broken, " + target + " is not made.",
                          0, detail);
  return libutils::fail(log, source, ": ffmpeg cannot make " + target + " of it; the movie seems broken", 0, detail);
}

// The conversion command of src into dst at size, with the hwaccel
// setting's words or without them (the software path).
words_t conversion(const global_t& settings, const std::string& src, const std::string& dst,
                   const libgr::direction2ul_t& size, bool hwaccel) {
  words_t argv = {"ffmpeg", "-y"};
  if (hwaccel) append(argv, libutils::split_words(settings.hwaccel));
  if (is_unknown(size)) {
    append(argv, input_words(src));  // the movie as it is, ffmpeg's own choice of encoder
  } else {
    const std::string s = size_text(size);
    append(argv, {"-resize", s});
    append(argv, input_words(src));
    // Without hardware options the scaling is done by the output side.
    if (!hwaccel) append(argv, {"-s", s});
    append(argv, libutils::split_words(settings.ffmpeg.empty() ? default_ffmpeg_options : settings.ffmpeg));
  }
  argv.push_back(dst);
  return argv;
}

// Whether the conversion whose log is `log` wrote a movie of `size` ((0, 0):
// any), as its output stream line says; true when the log does not say.
bool scaled_as_asked(const std::string& log, const libgr::direction2ul_t& size) {
  const size_t output = log.find("Output #0");
  if (is_unknown(size) || output == std::string::npos) return true;
  const movie_facts_t written = ffreadreport(log.substr(output));
  return !written.has_size || (written.size.x == size.x && written.size.y == size.y);
}

// Set once a conversion with the hwaccel setting's words failed, or made a
// copy of the wrong size, and then worked without them: the machine lacks
// the accelerator named, and the rest of the run converts without it.
std::mutex s_hwaccel_mutex;
bool s_hwaccel_absent = false;

// The still of a converted movie at the movie's own size; a failure is
// reported on log.
bool save_still(const std::string& movie, const std::string& still, libutils::report_log_t& log) {
  return ffsavethumbnail(movie, still, libgr::direction2ul_t(), log);
}

// A file in the state stat gave.
using file_key_t = std::tuple<std::string, std::uint64_t, std::int64_t, std::int64_t>;
file_key_t key_of(const std::string& path, const libutils::platform::file_info_t& info) {
  return file_key_t(path, info.size, info.mtime.sec, info.mtime.nsec);
}

// The files ffmpeg gave no answer about in time: not asked again by this
// process until they change, so that one broken movie costs one time limit
// for all the stages of a build, not one for each.
std::mutex s_silent_mutex;
std::set<file_key_t> s_silent;

// Asks "ffmpeg -i" about movie, a regular file in the state info, after
// echoing the command; reads its report into facts. timed_out when ffmpeg
// gave none within its limit.
ffanswer_t ask_ffmpeg(const std::string& movie, const libutils::platform::file_info_t& info,
                      movie_facts_t& facts, libutils::report_log_t& log) {
  const file_key_t key = key_of(movie, info);
  {
    std::lock_guard<std::mutex> lock(s_silent_mutex);
    if (s_silent.count(key) != 0) return ffanswer_t::timed_out;
  }
  words_t argv = {"ffmpeg"};
  append(argv, input_words(movie));
  // Both output streams are read, as "2>&1" would give them.
  libutils::show_command(log, libutils::command_line(argv) + " 2>&1");
  std::string report;
  // ffmpeg fails without an output file; the report counts.
  if (libutils::run_process(argv, &report, ffidentify_limit()) == libutils::process_timed_out) {
    std::lock_guard<std::mutex> lock(s_silent_mutex);
    s_silent.insert(key);
    return ffanswer_t::timed_out;
  }
  facts = ffreadreport(report);
  return ffanswer_t::answered;
}

// Loads a still at full size as RGB.
bool load_still(libgr::image2d_t& image, const std::string& file, const global_t& settings,
                libutils::report_log_t& log) {
  libgr::jpegdata_t data;
  if (!data.load(file.c_str())) return libutils::fail(log, file, ": cannot be read", errno, "load movie still fail.");
  libgr::jpeginfo_t info;
  info.max_pixels = settings.max_pixels;
  libgr::image2d_t decoded;
  if (!info.decompress(decoded, data, 0, false, libgr::color3ub_t()))
    return libutils::fail(log, file, ": cannot be decoded", 0, "movie still decompress fail. " + info.issues.detail());
  return libgr::grayscale2rgb(image, decoded);
}

// ---- the records file: one line a file, fields separated by tabs ----
//
//   original/MVI_0001.MOV  8123456  1714550400.123456789  1920x1080  "00:00:12.50"  " 29.97 fps"
//
// The file's name in the album, its size in bytes, its modification time in
// seconds since 1970 with nanoseconds, then what ffmpeg said: the frame size
// and the duration and rate texts in double quotes (the rate's leading blank
// is part of it), each "-" when the report did not give it. A backslash,
// tab, carriage return or line feed in a name or text is written \\, \t, \r
// or \n. Lines beginning with "#" are comments.

std::string escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

bool unescape(const std::string& text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    const char* const codes = "\\trn";
    const char* const chars = "\\\t\r\n";
    const char* code = std::strchr(codes, text[i]);
    if (code == nullptr || *code == '\0') return false;
    out += chars[code - codes];
  }
  return true;
}

std::string quoted_or_dash(bool has, const std::string& text) {
  return has ? "\"" + escape(text) + "\"" : "-";
}

bool read_quoted_or_dash(const std::string& field, bool& has, std::string& text) {
  has = field != "-";
  if (!has) return true;
  return field.size() >= 2 && field.front() == '"' && field.back() == '"' &&
         unescape(field.substr(1, field.size() - 2), text);
}

// A whole field of 1 to 19 decimal digits.
bool read_decimal(const std::string& field, std::uint64_t& value) {
  if (field.empty() || field.size() > 19 || field.find_first_not_of("0123456789") != std::string::npos)
    return false;
  value = std::strtoull(field.c_str(), nullptr, 10);
  return true;
}

bool read_side(const std::string& field, std::uint32_t& side) {
  std::uint64_t value = 0;
  if (!read_decimal(field, value) || value > UINT32_MAX) return false;
  side = static_cast<std::uint32_t>(value);
  return true;
}

// "SECONDS.NANOSECONDS", the seconds perhaps negative, nine digits after the dot.
bool read_time(const std::string& field, libutils::platform::file_time_t& t) {
  const size_t dot = field.find('.');
  const bool negative = !field.empty() && field[0] == '-';
  std::uint64_t sec = 0, nsec = 0;
  if (dot == std::string::npos || field.size() - dot - 1 != 9 ||
      !read_decimal(field.substr(negative ? 1 : 0, dot - (negative ? 1 : 0)), sec) ||
      !read_decimal(field.substr(dot + 1), nsec))
    return false;
  t.sec = negative ? -static_cast<std::int64_t>(sec) : static_cast<std::int64_t>(sec);
  t.nsec = static_cast<std::int64_t>(nsec);
  return true;
}

std::string record_line(const std::string& file, const movie_ids_t::record_t& r) {
  char nanoseconds[16];
  std::snprintf(nanoseconds, sizeof nanoseconds, "%09lld", static_cast<long long>(r.modified.nsec));
  const movie_facts_t& f = r.facts;
  return escape(file) + '\t' + std::to_string(r.bytes) + '\t' + std::to_string(r.modified.sec) + '.' +
         nanoseconds + '\t' + (f.has_size ? size_text(f.size) : "-") + '\t' +
         quoted_or_dash(f.has_duration, f.duration) + '\t' + quoted_or_dash(f.has_rate, f.rate) +
         "\r\n";
}

// One line into file and r; false for a line that is not a whole record.
bool read_record(const std::string& line, std::string& file, movie_ids_t::record_t& r) {
  std::vector<std::string> fields;
  for (size_t at = 0;;) {
    const size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab - at));
    if (tab == std::string::npos) break;
    at = tab + 1;
  }
  if (fields.size() != 6 || !unescape(fields[0], file) || !read_decimal(fields[1], r.bytes) ||
      !read_time(fields[2], r.modified))
    return false;
  movie_facts_t& f = r.facts;
  f.video = true;
  f.has_size = fields[3] != "-";
  const size_t x = fields[3].find('x');
  if (f.has_size && (x == std::string::npos || !read_side(fields[3].substr(0, x), f.size.x) ||
                     !read_side(fields[3].substr(x + 1), f.size.y)))
    return false;
  return read_quoted_or_dash(fields[4], f.has_duration, f.duration) &&
         read_quoted_or_dash(fields[5], f.has_rate, f.rate);
}

// The records of the file at path into by_file; lines that are no whole
// records are left out, and so is everything when it is no regular file.
void read_records(const std::string& path, std::map<std::string, movie_ids_t::record_t>& by_file) {
  libutils::platform::file_info_t info;
  if (!libutils::platform::stat_file(path.c_str(), info) || !info.is_regular) return;
  std::ifstream in(path, std::ios::binary);
  std::string line, file;
  while (std::getline(in, line)) {
    libutils::chop(line);
    movie_ids_t::record_t r;
    if (!line.empty() && line[0] != '#' && read_record(line, file, r)) by_file[file] = r;
  }
}

bool matches(const movie_ids_t::record_t& r, const libutils::platform::file_info_t& info) {
  return info.is_regular && r.bytes == info.size && r.modified.sec == info.mtime.sec &&
         r.modified.nsec == info.mtime.nsec;
}

// Saving is one at a time within the process, so that two holders of one
// album in two threads add up rather than replace each other's records.
std::mutex s_save_mutex;

// Writes the album's records file: ours merged with what the file holds now
// (another process may have added records since it was read), each kept
// only while its file is as recorded. Nothing is reported: the records are
// made again when they cannot be kept.
void save_records(const std::string& album_dir,
                  const std::map<std::string, movie_ids_t::record_t>& ours) {
  std::string txt = album_dir, path;
  pathjoin(txt, "txt");
  libutils::platform::make_directory(txt.c_str());  // an existing one is fine
  path = txt;
  pathjoin(path, facts_file);
  std::lock_guard<std::mutex> lock(s_save_mutex);
  std::map<std::string, movie_ids_t::record_t> all;
  read_records(path, all);
  for (const auto& [file, record] : ours) all[file] = record;
  replacefile_t out(path);
  if (!out.is_open()) return;
  out.stream() << facts_head;
  for (const auto& [file, record] : all) {
    std::string movie = album_dir;
    pathjoin(movie, file);
    libutils::platform::file_info_t info;
    if (libutils::platform::stat_file(movie.c_str(), info) && matches(record, info))
      out.stream() << record_line(file, record);
  }
  out.commit();
}

}  // namespace

std::string ffmp4name(const std::string& name) { return replace_extension(name, ".mp4"); }

std::string ffjpgname(const std::string& name) { return replace_extension(name, ".jpg"); }

std::vector<std::string> ffmovielevels(std::uint64_t L) {
  std::vector<std::string> levels;
  for (std::uint64_t k = 0; k <= L + 1; ++k) levels.push_back("movie" + std::to_string(k));
  return levels;
}

bool movie_converted(const path_t& album, const std::string& name) {
  std::string path;
  album.make(path, "movie0", ffmp4name(name));
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void movie_facts_t::apply(libgr::direction2ul_t& size_out, std::string& duration_out,
                          std::string& rate_out) const {
  if (has_size) size_out = size;
  if (has_duration) duration_out = duration;
  if (has_rate) rate_out = rate;
}

movie_facts_t ffreadreport(const std::string& report) {
  movie_facts_t facts;
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
      facts.video = true;
      if (has_duration) read_duration(duration_line, facts);
      read_video_line(line, facts);
      break;
    }
  }
  return facts;
}

double ffseconds(const std::string& duration) {
  unsigned hours = 0, minutes = 0;
  double seconds = 0;
  char end = 0;
  if (std::sscanf(duration.c_str(), "%u:%u:%lf%c", &hours, &minutes, &seconds, &end) != 3) return 0;
  return hours * 3600.0 + minutes * 60.0 + seconds;
}

double ffidentify_limit() {
  const double set = limit_from_environment();
  return set > 0 ? set : identify_seconds;
}

double ffconvert_limit(double seconds) {
  const double set = limit_from_environment();
  return (set > 0 ? set : convert_floor_seconds) + convert_seconds_per_second * seconds;
}

void ffidentify(const std::string& movie, libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                libutils::report_log_t& log) {
  // ffmpeg would wait for ever on a pipe: only files are asked about.
  libutils::platform::file_info_t info;
  movie_facts_t facts;
  if (libutils::platform::stat_file(movie.c_str(), info) && info.is_regular &&
      ask_ffmpeg(movie, info, facts, log) == ffanswer_t::answered)
    facts.apply(size, duration, rate);
}

movie_ids_t::~movie_ids_t() {
  for (const auto& [album_dir, records] : albums_) {
    if (records.changed) save_records(album_dir, records.by_file);
  }
}

ffanswer_t movie_ids_t::identify(const path_t& album, const std::string& dir, const std::string& name,
                                 libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                                 libutils::report_log_t& log) {
  std::string album_dir, movie;
  album.make(album_dir);
  album.make(movie, dir, name);
  // ffmpeg would wait for ever on a pipe: only files are asked about.
  libutils::platform::file_info_t info;
  if (!libutils::platform::stat_file(movie.c_str(), info) || !info.is_regular)
    return ffanswer_t::not_a_file;
  const std::string file = dir + "/" + name;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    album_records_t& records = albums_[album_dir];
    if (!records.loaded) {
      std::string path;
      album.make(path, "txt", facts_file);
      read_records(path, records.by_file);
      records.loaded = true;
    }
    const auto known = records.by_file.find(file);
    if (known != records.by_file.end() && matches(known->second, info)) {
      known->second.facts.apply(size, duration, rate);
      return ffanswer_t::answered;
    }
  }
  // ffmpeg runs outside the lock: other threads identify meanwhile.
  record_t record;
  const ffanswer_t answer = ask_ffmpeg(movie, info, record.facts, log);
  if (answer != ffanswer_t::answered) return answer;
  record.facts.apply(size, duration, rate);
  // A report without a video stream is not kept: ffmpeg may have failed
  // for a reason of the moment, and the movie is tried again next time.
  if (!record.facts.video) return answer;
  record.bytes = info.size;
  record.modified = info.mtime;
  std::lock_guard<std::mutex> lock(mutex_);
  album_records_t& records = albums_[album_dir];
  records.by_file[file] = record;
  records.changed = true;
  return answer;
}

std::uint64_t getffshrinklevel(const path_t& album, const std::string& dir, const std::string& name,
                               libgr::direction2ul_t& size, std::string& duration, std::string& rate,
                               const size_limit_t& box, libutils::report_log_t& log, movie_ids_t* ids) {
  movie_ids_t own;
  (ids != nullptr ? *ids : own).identify(album, dir, name, size, duration, rate, log);
  return halvings_to_fit(size.x, size.y, box.x, box.y);
}

bool ffconvertone(const build_context_t& ctx, const std::string& src, const std::string& dst,
                  const libgr::direction2ul_t& size, double seconds, libutils::report_log_t& log) {
  if (!libutils::need_update(src, dst)) return true;
  const double limit = ffconvert_limit(seconds);
  bool hwaccel = !ctx.settings.hwaccel.empty();
  if (hwaccel) {
    std::lock_guard<std::mutex> lock(s_hwaccel_mutex);
    hwaccel = !s_hwaccel_absent;
  }
  // The first try's failure is no fault while the software path works.
  libutils::report_log_t tried;
  ffrun_t run = run_ffmpeg_into(conversion(ctx.settings, src, dst, size, hwaccel), dst, limit, false,
                                &ctx.stop_requested, hwaccel ? tried : log);
  if (!hwaccel || run.timed_out || run.stopped) {
    log.append(tried);
    return run.done || report_failed_run(run, src, dst, limit, log);
  }
  if (run.done && scaled_as_asked(run.log, size)) {
    log.append(tried);
    return true;
  }
  // Without the accelerator named, ffmpeg fails, or decodes in software,
  // which leaves "-resize" unused and the copy at full size: the software
  // path tells.
  for (const libutils::report_t& report : tried.reports())
    if (report.kind != libutils::report_t::failure) log.add(report);
  if (run.done) std::remove(dst.c_str());
  run = run_ffmpeg_into(conversion(ctx.settings, src, dst, size, false), dst, limit, false, &ctx.stop_requested,
                        log);
  if (!run.done) return report_failed_run(run, src, dst, limit, log);
  std::lock_guard<std::mutex> lock(s_hwaccel_mutex);
  if (!s_hwaccel_absent)
    libutils::warn(log, "hwaccel \"" + ctx.settings.hwaccel + "\"",
                   ": ffmpeg cannot use this acceleration here; movies are converted without it.");
  s_hwaccel_absent = true;
  return true;
}

bool ffsavethumbnail(const std::string& movie, const std::string& still, const libgr::direction2ul_t& size,
                     libutils::report_log_t& log) {
  if (!libutils::need_update(movie, still)) return true;
  words_t argv = {"ffmpeg", "-y"};
  append(argv, input_words(movie));
  append(argv, {"-f", "image2", "-update", "true", "-frames:v", "1"});
  if (!is_unknown(size)) append(argv, {"-s", size_text(size)});
  argv.push_back(still);
  const double limit = ffconvert_limit(0);
  const ffrun_t run = run_ffmpeg_into(argv, still, limit, true, nullptr, log);
  return run.done || report_failed_run(run, movie, still, limit, log);
}

bool ffshrinkone(const build_context_t& ctx, const path_t& album, const std::vector<std::string>& levels,
                 const std::string& mp4name, std::uint64_t L, const libgr::direction2ul_t& size, double seconds,
                 libutils::report_log_t& log) {
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
    if (!ffconvertone(ctx, src, dst, half, seconds, log) || !save_still(dst, still, log)) return false;
    src = dst;
  }
  return true;
}

bool shrinkmovie(const build_context_t& ctx, const path_t& album, const std::string& name,
                 libutils::report_log_t& log, movie_ids_t* ids) {
  libgr::direction2ul_t size;
  std::string duration, rate, original;
  album.make(original, "original", name);
  movie_ids_t own;
  switch ((ids != nullptr ? *ids : own).identify(album, "original", name, size, duration, rate, log)) {
    case ffanswer_t::answered:
      break;
    case ffanswer_t::not_a_file:
      return libutils::fail(log, original, ": not a regular file, not converted.");
    case ffanswer_t::timed_out:
      return libutils::fail(log, original,
                            ": ffmpeg did not read it within " + seconds_text(ffidentify_limit()) +
                                " and was stopped; the movie seems broken, not converted.");
  }
  const std::uint64_t L = halvings_to_fit(size.x, size.y, ctx.settings.shrink_size.x, ctx.settings.shrink_size.y);
  const std::vector<std::string> levels = ffmovielevels(L);
  for (const auto& level : levels) {
    std::string dir;
    album.make(dir, level);
    libutils::platform::make_directory(dir.c_str());  // an existing one is fine
  }
  const std::string mp4name = ffmp4name(name);
  std::string movie0, still0;
  album.make(movie0, levels[0], mp4name);
  album.make(still0, levels[0], ffjpgname(mp4name));
  const double seconds = ffseconds(duration);
  if (!ffconvertone(ctx, original, movie0, size, seconds, log) || !save_still(movie0, still0, log)) return false;
  return ffshrinkone(ctx, album, levels, mp4name, L, size, seconds, log);
}

bool load_scaled_ffthumbnail(libgr::image2d_t& image, const path_t& album, const std::string& name,
                             int scale_factor, std::string& duration, std::string& rate, const global_t& settings,
                             libutils::report_log_t& log) {
  libgr::direction2ul_t size;
  const std::uint64_t L = getffshrinklevel(album, "original", name, size, duration, rate, settings.shrink_size, log);
  // Levels "movie0" .. "movie" L+1, then "thumb": the index counts from the
  // end of that list as for pictures. The movie stage keeps no still in
  // "thumb", so an index past the last movie level takes that level.
  const std::uint64_t index =
      std::min<std::uint64_t>(scaled_level_index(L + 3, scale_factor, settings.show_level), L + 1);
  std::string still;
  album.make(still, "movie" + std::to_string(index), ffjpgname(name));
  return load_still(image, still, settings, log);
}

}  // namespace pictora
