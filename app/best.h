// One classification list of an album: picture file names, one per line, in
// a file of the album's "txt" directory.
#pragma once

#include <set>
#include <string>

#include "app/path.h"

namespace pictora {

class best_t {
 public:
  std::string path;               // the list file, set by load
  std::set<std::string> entries;  // picture file names, ascending byte order
  bool has_entries = false;       // load read at least one name
  bool modified = false;          // entries differ from the file

  // Reads p's "txt"/name into entries; false, entries empty, when the file
  // cannot be opened.
  bool load(const path_t& p, const std::string& name);
  // Writes the file when modified is set; false when nothing was written, and
  // then modified stays set so that a later save tries again.
  bool save();
};

}  // namespace pictora
