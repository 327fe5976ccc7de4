// Working on several items at once with the output of one job: items run on
// a few threads, and what each writes to the standard streams or to its log
// is held back and written out in item order, so that a run shows the same
// lines in the same order whatever the number of threads.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>

namespace libutils {

// The processors this process may run on (its affinity mask), at least 1.
unsigned usable_processors();

// Runs work(i, out) for every i below n, on up to `jobs` threads at once,
// and after each item, on the calling thread, calls finished(i, done), done
// being the number of items finished so far (items finish in any order).
// An item whose work returns false ends the run as it would with one job:
// no item after it is started, and nothing that one already under way
// writes is written out. Returns false when an item ended the run.
//
// With one job (or one item) everything runs on the calling thread, out is
// log itself and nothing is held. Otherwise the calling thread only waits,
// writes and calls finished; `out` is log when log is std::cout or std::cerr,
// else a stream of the item's own; and what an item writes to out,
// std::cout and std::cerr is held until every item before it has been
// written out, then written to where it was meant, in the order it was
// written. Standard streams must not be given other buffers meanwhile.
// All threads have ended on return. An exception thrown by work ends the
// run like false and is thrown again here.
bool run_in_order(std::size_t n, unsigned jobs, std::ostream& log,
                  const std::function<bool(std::size_t i, std::ostream& out)>& work,
                  const std::function<void(std::size_t i, std::size_t done)>& finished);

}  // namespace libutils
