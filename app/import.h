// Bringing picked camera files into an album, and the file-level tools that
// put a full-size copy of each picture into "size0": lossless quarter turns,
// and links instead of copies when no turn is needed. Also the holder of a
// temporary working directory.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "app/path.h"

namespace pictora {

// The kinds of files an album keeps in "original", by the ending of the
// name in any case: pictures ".jpg", ".jpeg"; movies ".avi", ".mov", ".mpg",
// ".mp4"; sounds ".wav", ".mp3", ".m4a".
bool ispicture(const std::string& name);
bool ismovie(const std::string& name);
bool is_audio(const std::string& name);

// One picked source file.
struct files_t {
  std::string name;            // file name inside the source folder, no directory
  std::uint64_t rotation = 0;  // clockwise quarter turns the user asked for, 0 to 3
};

// Where copyfiles puts the picked file `name`: album/original/name for a
// picture, movie or sound, album/txt/name for anything else.
std::string import_target(const path_t& album, const std::string& name);

// The picked files that can be imported: an entry of srcdir that is no
// regular file (a pipe, a device, a directory; links are followed) is
// reported on log and left out. A missing file stays, for the import to
// report.
std::vector<files_t> regular_files(const std::string& srcdir, const std::vector<files_t>& files,
                                   std::ostream& log);

// Whether the folder srcdir and the picked files in it lie outside the
// album's directory, links resolved. Importing from inside the album would
// replace its originals by themselves, deleting them; so that is refused
// with a report on log, before anything is touched.
bool source_outside_album(const std::string& srcdir, const std::vector<files_t>& files,
                          const path_t& album, std::ostream& log);

// Copies every file of `files` from srcdir into the album: pictures, movies
// and sounds into "original", anything else into "txt", replacing what is
// there and keeping the source's modification time. Emits (i + 1) / n after
// the i-th file. Stops with false at the first file that cannot be copied.
bool copyfiles(const std::string& srcdir, const std::vector<files_t>& files, const path_t& album,
               sigc::signal<void, double>& progress);

// Writes dst as src turned `code` quarter turns clockwise (0 copies the
// coefficients unchanged) without recompressing. dst may be src.
bool rotatejpeg(const std::string& src, const std::string& dst, unsigned long long code);

// Makes dst stand for src: a symbolic link to linktarget, else a hard link to
// src, else a byte copy of src.
bool copyjpeg(const std::string& src, const std::string& dst, const std::string& linktarget);

// Create one link named `link`, replacing whatever is there.
bool symlinkone(const std::string& target, const std::string& link);
bool hardlinkone(const std::string& existing, const std::string& link);

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
  bool init(const std::string& name);
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
