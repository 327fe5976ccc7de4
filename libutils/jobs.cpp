#include "libutils/jobs.h"

#include <sched.h>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace libutils {

unsigned usable_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? n : 1;
}

bool run_in_order(std::size_t n, unsigned jobs, report_log_t& log,
                  const std::function<bool(std::size_t i, report_log_t& out)>& work,
                  const std::function<void(std::size_t i, std::size_t done)>& finished) {
  if (jobs <= 1 || n <= 1) {
    for (std::size_t i = 0; i < n; ++i) {
      const bool go_on = work(i, log);
      finished(i, i + 1);
      if (!go_on) return false;
    }
    return true;
  }
  // Each item's reports, made by its worker and appended by this thread
  // once the item is finished: `mutex` hands them over.
  std::vector<std::unique_ptr<report_log_t>> held(n);
  for (auto& item_log : held) item_log = std::make_unique<report_log_t>();
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;                // the next item to start
  std::size_t stop = n;                // the first item that ended the run
  std::size_t running = 0;             // items started and not finished
  std::vector<std::size_t> just_done;  // finished, not yet told
  std::exception_ptr failure;

  const auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (next >= stop) return;
        i = next++;
        ++running;
      }
      bool go_on = false;
      try {
        go_on = work(i, *held[i]);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!failure || i < stop) failure = std::current_exception();
      }
      std::lock_guard<std::mutex> lock(mutex);
      if (!go_on && i < stop) stop = i;
      --running;
      just_done.push_back(i);
      changed.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < jobs && t < n; ++t) threads.emplace_back(worker);

  std::vector<bool> is_done(n, false);
  std::size_t done = 0, written = 0;
  for (;;) {
    std::vector<std::size_t> now;
    std::size_t last;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return !just_done.empty() || (running == 0 && next >= stop); });
      if (just_done.empty()) break;
      now.swap(just_done);
      last = stop;  // items up to the one that ended the run are written
    }
    for (std::size_t i : now) is_done[i] = true;
    for (; written < n && written <= last && is_done[written]; ++written) log.append(*held[written]);
    for (std::size_t i : now) finished(i, ++done);
  }
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
  return stop == n;
}

}  // namespace libutils
