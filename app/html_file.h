// Writing one generated file (a page or a counter file) so that readers see
// the old or the new contents, never a half-written file.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

namespace pictora {

// Whether the plain file at path holds text already, the generation time of
// a page's foot not counted: such a page is left as it is, so that an update
// of an unchanged album writes no page (and a copy of the book on a web
// server has nothing to fetch).
bool same_on_disk(const std::string& path, const std::string& text);

// Writes the file at path through body, unless it holds what body writes
// already (same_on_disk), under a temporary name renamed into place. It is
// written also when body fails, so that the file holds what was written up
// to the failure; the result is then false. A file that cannot be created
// is reported on log as its path, open_error (such as ": open error, ") and
// the system's text for errno.
bool write_generated_file(const std::string& path, const char* open_error, std::ostream& log,
                          const std::function<bool(std::ostream&)>& body);

// The counter line of an album or collection: the movies (left out when
// there are none), "+" and the pictures, "+" and the sounds (left out when
// there are none), and a line end: "+25", "3+25+2".
void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds);

}  // namespace pictora
