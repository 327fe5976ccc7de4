// The pace of the long stages, as the front ends show it beside their bars.
// (A stage reports each item it has done through its build context,
// app/build_context.h.)
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace pictora {

// The count of a stage's items done and, once a few are done, the time left
// at the pace of the items done since the stage's first report: what the
// terminal bars and the progress window print beside a bar.
class stage_pace_t {
 public:
  // Notes that done of total items are done now. A new stage (as the next
  // album of a book), or a count not above the first one noted, starts the
  // reckoning again.
  void report(size_t done, size_t total, bool new_stage,
              std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
  // "3/500", then "3/500  1:23 left" (m:ss, or h:mm:ss past an hour) once
  // enough items tell the pace; "" while no total is known.
  std::string text() const;

 private:
  size_t first_done_ = 0, done_ = 0, total_ = 0;
  std::chrono::steady_clock::time_point first_time_, last_time_;
};

}  // namespace pictora
