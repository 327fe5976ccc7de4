// One classification list of an album: picture file names, one per line, in
// a file of the album's "txt" directory.
#pragma once

#include <set>
#include <string>

#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// Whether an entry read from a list can name a file of its album: no
// separator, not "." or "..", no NUL byte.
bool is_file_name(const std::string& entry);

class best_t {
 public:
  std::string path;               // the list file, set by load
  std::set<std::string> entries;  // picture file names, ascending byte order
  bool has_entries = false;       // load read at least one name
  bool modified = false;          // entries differ from the file

  // Reads p's "txt"/name into entries; false, entries empty, when the file
  // cannot be read (or is no regular file). An entry is a file name in its
  // album, never a path: a line with a separator, "." or ".." is left out,
  // with a warning naming the file and the line, and is gone from the file
  // once the list is saved.
  bool load(const path_t& p, const std::string& name, libutils::report_log_t& log);
  // Writes the file when modified is set; false when nothing was written, and
  // then modified stays set so that a later save tries again.
  bool save();
};

}  // namespace pictora
