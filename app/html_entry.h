// The entries of the album-style pages: one block per sound, movie or
// picture on the album page, one line per file on the thumbnail page, and the
// size links of pictures and movies. The album's own pages and the best-of
// collections write the same entries; a collection puts the way from its own
// directory to the album in front of every link, source and shown name.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/global.h"
#include "app/movie.h"
#include "app/path.h"
#include "libgr/direction.h"

namespace pictora {

enum class media_t { audio, movie, picture };

// One file of an album as a page shows it.
struct entry_t {
  media_t kind = media_t::picture;
  const path_t* album = nullptr;  // the album that holds the file
  std::string prefix;             // way from the page to the album ("" on the album's own pages)
  std::string name;               // the file's name
  std::string note;               // classification note, " (...)" or ""
  bool marked = false;            // framed on the album page, bordered on the thumbnail page
  uint64_t level = 0;             // shrink level of a picture, movie level of a movie
  libgr::direction2ul_t size;     // a movie's source frame size
  std::string duration;           // a movie's identification texts, updated by its size links
  std::string rate;
  movie_ids_t* ids = nullptr;     // the page build's identifications of movies
  const global_t* settings = nullptr;  // the page build's settings
};

// The size links of a picture of shrink level n, whose level list `sizes`
// holds n + 3 names: one line per level 0 ... n-1 with the level's pixel
// size and kilobytes, leading to the level's file (level 0) or its zoom
// page. Failures, naming the level file, go to log; false then.
bool writelink(std::ostream& os, const path_t& album, const std::string& prefix,
               const std::vector<std::string>& sizes, const std::vector<std::string>& zooms,
               const std::string& name, libutils::report_log_t& log);

// The size links of a movie: its source file, then per level 0 ... n-1 the
// level's movie (level 0) or plain zoom page and its retina zoom page, each
// with the level's frame size and kilobytes. info1 and info2 receive the
// duration and rate texts of the last level identified; box is the shrink
// box. A file that cannot be queried is reported on log; false then. The
// identifications go through ids when one is given.
bool writefflink(std::ostream& os, const path_t& album, const std::string& prefix,
                 const std::vector<std::string>& movies, const std::vector<std::string>& zooms1,
                 const std::vector<std::string>& zooms2, const std::string& name,
                 std::string& info1, std::string& info2, const size_limit_t& box,
                 libutils::report_log_t& log, movie_ids_t* ids = nullptr);

// The sound's block on the album page.
void write_audio_entry(std::ostream& os, const entry_t& e);
// The movie's block on the album page: size links, the player, its comment,
// duration and rate. False when the size links fail; e's texts are updated
// by them.
bool write_movie_entry(std::ostream& os, entry_t& e, libutils::report_log_t& log);
// The picture's block on the album page: size links, the picture at the
// level that fits the shrink box, its comment and EXIF caption. False when
// the size links fail.
bool write_picture_entry(std::ostream& os, const entry_t& e, libutils::report_log_t& log);

// The block of e's kind on the album page; false when its size links fail.
// What cannot be read goes to log. Runs on worker threads.
bool write_entry(std::ostream& os, entry_t& e, libutils::report_log_t& log);

// Where a movie's thumbnail leads: the page of the level that fits the play
// box, or the full-size movie when that is the source's own size. The pages
// exist for levels 1 ... n only (plain) and 0 ... n-1 (retina), so two cases
// have no page to name: a source that already fits the play box links to
// the full-size movie in either mode, and a play box smaller than the shrink
// box links to the page of the smallest level, n.
std::string movie_thumb_target(const entry_t& e);

// The thumbnail page lines; `border` is the attribute text written after the
// srcset of a marked entry.
void write_audio_thumb(std::ostream& os, const entry_t& e);
void write_movie_thumb(std::ostream& os, const entry_t& e, const char* border);
void write_picture_thumb(std::ostream& os, const entry_t& e, const char* border);
// The line of e's kind.
void write_thumb(std::ostream& os, const entry_t& e, const char* border);

}  // namespace pictora
