#include "app/thumbloader.h"

#include <glibmm/main.h>

#include <chrono>

namespace pictora {

namespace {

// No delivery round holds the main loop longer than this.
constexpr std::chrono::milliseconds slice_budget(20);

}  // namespace

thumbnail_loader_t::thumbnail_loader_t(std::vector<job_t> jobs, deliver_t deliver, std::function<void()> idle)
    : jobs_(std::move(jobs)), deliver_(std::move(deliver)), idle_(std::move(idle)) {
  ready_.connect(sigc::mem_fun(*this, &thumbnail_loader_t::take));
  thread_ = std::thread([this] { run(); });
}

thumbnail_loader_t::~thumbnail_loader_t() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    stopping_ = true;
  }
  asked_.notify_one();
  thread_.join();
  more_.disconnect();
}

void thumbnail_loader_t::want(std::vector<size_t> indices) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    for (size_t index : indices)
      if (!busy_ || index != running_) queue_.push_back(index);
  }
  asked_.notify_one();
}

void thumbnail_loader_t::stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  asked_.notify_one();
}

bool thumbnail_loader_t::finished() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return (queue_.empty() || stopping_) && !busy_ && results_.empty();
}

bool thumbnail_loader_t::ended() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return ended_;
}

void thumbnail_loader_t::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    asked_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) break;
    result_t result;
    result.index = queue_.front();
    queue_.pop_front();
    busy_ = true;
    running_ = result.index;
    lock.unlock();
    if (result.index < jobs_.size() && jobs_[result.index]) jobs_[result.index](result);
    lock.lock();
    busy_ = false;
    results_.push_back(std::move(result));
    if (!closing_) ready_.emit();
  }
  ended_ = true;
  // Wakes a main loop that waits for the end, unless nobody is left to hear.
  if (!closing_) ready_.emit();
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
    delivered_ = true;
    deliver_(result);
    if (std::chrono::steady_clock::now() - start > slice_budget) {
      if (!more_.connected()) more_ = Glib::signal_idle().connect([this] { take(); return false; });
      return;
    }
  }
  if (delivered_ && finished() && idle_) {
    delivered_ = false;
    idle_();
  }
}

}  // namespace pictora
