#include "app/progress.h"

#include <cmath>
#include <cstdio>

namespace pictora {

namespace {

// The time left is told once this many items of a stage are done after its
// first report: a camera card's first pictures say little of the rest.
constexpr size_t items_before_estimate = 2;

}  // namespace

void stage_pace_t::report(size_t done, size_t total, bool new_stage, std::chrono::steady_clock::time_point now) {
  if (new_stage || done <= first_done_) {
    first_done_ = done;
    first_time_ = now;
  }
  done_ = done;
  total_ = total;
  last_time_ = now;
}

std::string stage_pace_t::text() const {
  if (total_ == 0) return std::string();
  std::string text = std::to_string(done_) + "/" + std::to_string(total_);
  if (done_ >= first_done_ + items_before_estimate && done_ < total_) {
    const std::chrono::duration<double> spent = last_time_ - first_time_;
    const double left = spent.count() / static_cast<double>(done_ - first_done_) * static_cast<double>(total_ - done_);
    // Rounded up to whole seconds.
    const unsigned long s = static_cast<unsigned long>(std::ceil(left));
    char buf[40];
    if (s >= 3600)
      std::snprintf(buf, sizeof buf, "  %lu:%02lu:%02lu left", s / 3600, s / 60 % 60, s % 60);
    else
      std::snprintf(buf, sizeof buf, "  %lu:%02lu left", s / 60, s % 60);
    text += buf;
  }
  return text;
}

}  // namespace pictora
