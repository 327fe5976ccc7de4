// The zoom pages of an album in its "html" directory: one page per
// enlargement level of every picture, each leading one level larger, and per
// movie a plain page for each smaller level and a retina page that plays a
// level in the box of the next smaller one.
#pragma once

#include <sigc++/sigc++.h>

#include "app/build_context.h"
#include "app/path.h"
#include "libutils/report.h"

namespace pictora {

// Writes html/B_k.html for the levels k = 1 ... n of every picture listed in
// "thumb" (B its name without extension, n its shrink level), ctx.jobs
// pictures at a time, with the settings of ctx. progress receives done / N,
// with the picture's name, after each of the N pictures finishes (done of
// them so far). True when done, also when "thumb" cannot be listed; false
// when a page could not be written (reported on log, in picture order; that
// picture's further pages are not written, the other pictures' are).
bool makehtmlzoom(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
                  libutils::report_log_t& log);

// Writes html/B_1_k.html for k = 1 ... n and html/B_2_k.html for
// k = 0 ... n-1 of every converted movie in "original" (n its movie level).
// progress receives (i + 1) / N after the i-th of all N files listed there.
// Results as for makehtmlzoom.
bool makehtmlffzoom(const build_context_t& ctx, const path_t& album, sigc::signal<void, double>& progress,
                    libutils::report_log_t& log);

}  // namespace pictora
