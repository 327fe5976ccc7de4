// Writing one generated file (a page or a counter file) so that readers see
// the old or the new contents, never a half-written file.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace pictora {

// Writes the file at path through body under a temporary name and renames it
// into place. It is renamed into place also when body fails, so that the
// file holds what was written up to the failure; the result is then false.
// A file that cannot be created is reported on log as its path, open_error
// (such as ": open error, ") and the system's text for errno.
bool write_generated_file(const std::string& path, const char* open_error, std::ostream& log,
                          const std::function<bool(std::ostream&)>& body);

// The counter line of an album or collection: the movies (left out when
// there are none), "+" and the pictures, "+" and the sounds (left out when
// there are none), and a line end: "+25", "3+25+2".
void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds);

}  // namespace pictora
