// Writing one generated file (a page or a counter file) so that readers see
// the old or the new contents, never a half-written file.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

#include "libutils/report.h"

namespace pictora {

// Whether the plain file at path holds text already, the generation time of
// a page's foot not counted: such a page is left as it is, so that an update
// of an unchanged album writes no page (and a copy of the book on a web
// server has nothing to fetch).
bool same_on_disk(const std::string& path, const std::string& text);

// Writes the file at path through body, unless it holds what body writes
// already (same_on_disk), under a temporary name renamed into place. When
// body fails, or its stream does (a full disk, say), nothing replaces the
// file: a page is whole or not written, and the failure names it on log.
// Runs on worker threads: it touches nothing but path and its temporary.
bool write_generated_file(const std::string& path, libutils::report_log_t& log,
                          const std::function<bool(std::ostream&)>& body);

// The counter line of an album or collection: the movies (left out when
// there are none), "+" and the pictures, "+" and the sounds (left out when
// there are none), and a line end: "+25", "3+25+2".
void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds);

}  // namespace pictora
