// Working on several items at once with the output of one job: items run on
// a few threads, each reporting into a log of its own, and the calling
// thread appends those logs in item order, so that a run reports the same
// lines in the same order whatever the number of threads.
#pragma once

#include <cstddef>
#include <functional>

#include "libutils/report.h"

namespace libutils {

// The processors this process may run on (its affinity mask), at least 1.
unsigned usable_processors();

// Runs work(i, out) for every i below n, on up to `jobs` threads at once,
// and after each item, on the calling thread, calls finished(i, done), done
// being the number of items finished so far (items finish in any order).
// An item whose work returns false ends the run as it would with one job:
// no item after it is started, and what one already under way reports is
// dropped. Returns false when an item ended the run.
//
// With one job (or one item) everything runs on the calling thread and out
// is log itself. Otherwise work runs on worker threads, each item with an
// `out` of its own, and the calling thread only waits, appends each item's
// reports to log once every item before it has been appended, and calls
// finished. work must touch nothing another item changes; what it shares
// with the calling thread it only reads. All threads have ended on return.
// An exception thrown by work ends the run like false and is thrown again
// here.
bool run_in_order(std::size_t n, unsigned jobs, report_log_t& log,
                  const std::function<bool(std::size_t i, report_log_t& out)>& work,
                  const std::function<void(std::size_t i, std::size_t done)>& finished);

}  // namespace libutils
