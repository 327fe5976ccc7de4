// Progress of the long stages. After each of its items a stage reports
// through emit_progress: a front end that shows the item as well (a terminal
// bar, a window) hears its name and the count of items done first, then the
// stage's signal carries the fraction done.
#pragma once

#include <sigc++/sigc++.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace pictora {

// Emits done / total on progress, after handing item, done and total to the
// listener.
void emit_progress(sigc::signal<void, double>& progress, size_t done, size_t total, const std::string& item);

// Who hears the items; an empty function for nobody. One listener for the
// whole process, as there is one front end.
using progress_item_listener_t = std::function<void(const std::string& item, size_t done, size_t total)>;
void set_progress_item_listener(progress_item_listener_t listener);

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
