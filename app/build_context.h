// What one piece of work (a build, an update, the pages of a collection) is
// done with: the settings as they were when it began, how many pictures it
// works on at once, the zone name of its pages' feet, where its progress
// goes and whether the user asked it to stop. A front end makes one and
// hands it down; every stage, and every worker thread a stage starts, reads
// these instead of anything global, so that a change of the settings, or
// another thread's clock, never reaches work under way.
#pragma once

#include <sigc++/sigc++.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "app/global.h"

namespace pictora {

// How many pictures a build works on at most at once.
constexpr unsigned max_build_jobs = 64;

struct build_context_t {
  // Takes the settings and the zone name now, on the calling thread; jobs 0
  // means the processors the process may use, up to max_build_jobs.
  explicit build_context_t(const global_t& settings, unsigned jobs = 0);
  build_context_t(const build_context_t&) = delete;
  build_context_t& operator=(const build_context_t&) = delete;

  const global_t settings;
  const unsigned jobs;
  // The standard-time zone name the pages' feet show. Read once here:
  // reading it while another thread turns a time into local time can see
  // it half changed.
  const std::string page_zone;

  // Hears each item a stage has just done, with the count of the stage's
  // items done and their total (a terminal bar, a progress window). Called
  // on the thread that runs the stage, never on a worker. Empty for nobody.
  std::function<void(const std::string& item, std::size_t done, std::size_t total)> item_done;

  // After a stage's item: hands it to item_done, then emits done / total on
  // the stage's signal.
  void item_finished(sigc::signal<void, double>& stage, std::size_t done, std::size_t total,
                     const std::string& item) const;

  // Set by a front end, from any thread, when the user stops the work; the
  // stages look at it between items and end at the next one.
  std::atomic<bool> stop_requested{false};
  bool stopped() const { return stop_requested.load(std::memory_order_relaxed); }
};

}  // namespace pictora
