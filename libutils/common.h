// The failure hook and the one way to report a failure: every library
// failure report calls error() just before it writes its line, so one
// breakpoint catches them all.
#pragma once

#include <ostream>
#include <string_view>

namespace libutils {

void error();

// Reports a failure: error(), then one line on os made of subject (the file,
// directory or stage concerned, may be empty) and text, ended and flushed.
// Always false, so that a failing function can end with
// `return libutils::fail(...)`.
bool fail(std::ostream& os, std::string_view subject, std::string_view text);

}  // namespace libutils
