// Bringing picked camera files into an album, and the file-level tools that
// put a full-size copy of each picture into "size0": lossless quarter turns,
// and links instead of copies when no turn is needed. Also the holder of a
// temporary working directory.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/build_context.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// The kinds of files an album keeps in "original", by the ending of the
// name in any case: pictures ".jpg", ".jpeg" and the HEIF pictures of
// is_heif; movies ".avi", ".mov", ".mpg", ".mp4"; sounds ".wav", ".mp3",
// ".m4a".
bool ispicture(const std::string& name);
// HEIF pictures, what phones save: ".heic", ".heif", ".hif".
bool is_heif(const std::string& name);
// The name of a picture's files in its level directories ("size0" ...,
// "thumb"), which are JPEG files: a JPEG picture's own name; for a HEIF
// picture its stem and ".jpg" (IMG_0001.HEIC: IMG_0001.jpg), so that the
// web copies are served as the JPEG files they are. Two pictures whose
// level files would share a name share their stem, which picks_apart
// refuses anyway.
std::string level_name(const std::string& name);
// For a file that is a picture by its ending but one the program does not
// read (".png", ".webp", a camera's raw file, ...): its kind in capitals
// ("PNG", "CR2"); "" for any other file. Such a file is imported as a side
// file into "txt", as any other, and the import says so.
std::string unread_picture_kind(const std::string& name);
bool ismovie(const std::string& name);
bool is_audio(const std::string& name);

// One picked source file.
struct files_t {
  std::string name;            // file name inside the source folder, no directory
  std::uint64_t rotation = 0;  // clockwise quarter turns the user asked for, 0 to 3
};

// The comment files (stem plus ".txt" or ".TXT") of every picture, movie
// and sound in the album's "original" and among `files`: names in "txt"
// that belong to the album's files.
std::set<std::string> own_text_names(const path_t& album, const std::vector<files_t>& files);

// Where copyfiles puts the picked file `name`: album/original/name for a
// picture, movie or sound; album/txt/name for any other file, or
// album/txt/from-card/name when that name is the album's own there: one
// of is_own_text, a comment file of own_texts (see own_text_names), or a
// temporary name such as a killed run leaves (the next run deletes those).
// A card file thus never takes the place of an album's text.
std::string import_target(const path_t& album, const std::string& name, const std::set<std::string>& own_texts);

// The picked files that can be imported: an entry of srcdir that is no
// regular file (a pipe, a device, a directory; links are followed) is
// reported on log and left out, as a warning from a camera folder (where it
// is no picture of the user's) or as a failure of an album's "original"
// (whose album then lacks it). A missing file stays, for the import to
// report.
std::vector<files_t> regular_files(const std::string& srcdir, const std::vector<files_t>& files,
                                   libutils::report_log_t& log,
                                   libutils::report_t::kind_t as = libutils::report_t::warning);

// Whether the folder srcdir and the picked files in it lie outside the
// album's directory. Folders and files are told by device and inode, so no
// spelling of a path gets around it: a link, "..", a bind mount of one of
// the album's folders. Importing from inside the album would replace its
// originals by themselves, deleting them; so that is refused with a report
// on log, before anything is touched.
bool source_outside_album(const std::string& srcdir, const std::vector<files_t>& files,
                          const path_t& album, libutils::report_log_t& log);

// Whether every picked file gets pages and copies of its own in the album.
// Two pictures of one stem (x.jpg, x.JPG) would share their zoom pages
// html/x_N.html, two movies of one stem (y.MOV, y.mp4) their copies
// movieN/y.mp4 and their pages, and a picture named after a movie's pages
// (z_1.jpg or z_2.jpg beside z.mov) its pages with the movie's. The files
// already in the album's "original" count too, but for those picked again,
// which are replaced. A picture, movie and sound of one stem share only the
// comment file, so they may stand side by side. Also refused: a new
// picture, movie or sound whose comment file is already in "txt" although
// the album has no file of that stem (a side file of an earlier import
// would become its comment). Every such pair is reported on log with both
// files.
bool picks_apart(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
                 libutils::report_log_t& log);
// Whether the files of an album's "original" have pages and copies of their
// own, by the rules of picks_apart; each pair that shares them (an album
// built before they were refused) is reported on log.
bool originals_apart(const path_t& album, const std::vector<files_t>& files, libutils::report_log_t& log);

// An album's directory held by one build or update. A new album is claimed
// by creating its directory (of two builds at once exactly one succeeds);
// an existing one, which the user chose to build into, is taken over. Either
// way it is then locked until the claim goes, so that no other build or
// update works in it meanwhile.
class album_claim_t {
 public:
  enum result_t { claimed, exists, busy, failed };

  album_claim_t() = default;
  ~album_claim_t();
  album_claim_t(const album_claim_t&) = delete;
  album_claim_t& operator=(const album_claim_t&) = delete;

  // Claims the album for a build, making its book's folders where missing:
  // exists when the directory is there and replace does not hold, busy
  // when another build or update holds it, failed when it cannot be made
  // or opened (reported on log).
  result_t claim(const path_t& album, bool replace, libutils::report_log_t& log);
  // Locks an existing album for an update; false when another holds it.
  // (A directory that cannot be opened is left to the update to report.)
  bool lock(const path_t& album);

 private:
  int handle_ = -1;
};

// Copies every file of `files` from srcdir into the album: pictures, movies
// and sounds into "original", anything else into "txt", replacing what is
// there and keeping the source's modification time; a picture the program
// cannot read (unread_picture_kind) is named on log as a warning, so that
// its user knows why it is not among the album's pictures. After the i-th file,
// ctx hears it and progress gets (i + 1) / n. A file that cannot be copied
// is reported on log, its name added to not_copied, and the others are
// copied all the same; false then.
bool copyfiles(const build_context_t& ctx, const std::string& srcdir, const std::vector<files_t>& files,
               const path_t& album, sigc::signal<void, double>& progress, libutils::report_log_t& log,
               std::set<std::string>& not_copied);

// Writes dst as src turned `code` quarter turns clockwise (0 copies the
// coefficients unchanged) without recompressing; a picture of more pixels
// than max_pixels is refused. dst may be src. Failures go to log.
bool rotatejpeg(const std::string& src, const std::string& dst, unsigned long long code, uint64_t max_pixels,
                libutils::report_log_t& log);

// Makes dst stand for src: a symbolic link to linktarget, else a hard link to
// src, else a byte copy of src. Only when none can be made is the failure of
// each reported on log.
bool copyjpeg(const std::string& src, const std::string& dst, const std::string& linktarget,
              libutils::report_log_t& log);

// Create one link named `link`, replacing whatever is there; a failure is
// reported on log.
bool symlinkone(const std::string& target, const std::string& link, libutils::report_log_t& log);
bool hardlinkone(const std::string& existing, const std::string& link, libutils::report_log_t& log);

// Whether the path exists; a single trailing "/" is ignored.
bool is_exist(const std::string& path);

// A temporary working directory, removed with everything in it by destroy()
// or the destructor.
class temp_t {
 public:
  temp_t() = default;
  ~temp_t();
  temp_t(const temp_t&) = delete;
  temp_t& operator=(const temp_t&) = delete;

  // Makes a new directory named after `name` under the temporary root; true
  // at once when this object already owns one.
  bool init(const std::string& name, libutils::report_log_t& log);
  // Removes the owned directory; does nothing when none is owned.
  void destroy();

  // The directory made by init(); meaningful while owned() is true.
  const std::string& path() const { return path_; }
  bool owned() const { return owned_; }

 private:
  std::string path_;
  bool owned_ = false;
};

}  // namespace pictora
