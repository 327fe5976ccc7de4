#include "app/thumbloader.h"

#include <glibmm/main.h>

#include <chrono>

namespace pictora {

namespace {

// No delivery round holds the main loop longer than this.
constexpr std::chrono::milliseconds slice_budget(20);

}  // namespace

thumbnail_loader_t::thumbnail_loader_t(std::vector<job_t> jobs, deliver_t deliver, std::function<void()> done)
    : deliver_(std::move(deliver)), done_(std::move(done)) {
  ready_.connect(sigc::mem_fun(*this, &thumbnail_loader_t::take));
  thread_ = std::thread([this, jobs = std::move(jobs)]() mutable { run(std::move(jobs)); });
}

thumbnail_loader_t::~thumbnail_loader_t() {
  stopping_ = true;
  thread_.join();
  more_.disconnect();
}

bool thumbnail_loader_t::finished() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ended_ && results_.empty();
}

bool thumbnail_loader_t::ended() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

void thumbnail_loader_t::run(std::vector<job_t> jobs) {
  for (size_t i = 0; i < jobs.size() && !stopping_; ++i) {
    result_t result;
    result.index = i;
    if (jobs[i]) jobs[i](result);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      results_.push_back(std::move(result));
    }
    ready_.emit();
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
  }
  ready_.emit();
}

void thumbnail_loader_t::take() {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    result_t result;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (results_.empty()) break;
      result = std::move(results_.front());
      results_.pop_front();
    }
    deliver_(result);
    if (std::chrono::steady_clock::now() - start > slice_budget) {
      if (!more_.connected()) more_ = Glib::signal_idle().connect([this] { take(); return false; });
      return;
    }
  }
  if (finished() && done_) {
    done_();
    done_ = nullptr;
  }
}

}  // namespace pictora
