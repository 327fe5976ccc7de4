// The failure hook: every failure report calls error() first, so one
// breakpoint catches them all (libutils/report.h).
#pragma once

namespace libutils {

void error();

}  // namespace libutils
