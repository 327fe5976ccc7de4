// The failure hook: every library failure report calls error() just before it
// writes its line, so one breakpoint catches them all.
#pragma once

namespace libutils {

void error();

}  // namespace libutils
