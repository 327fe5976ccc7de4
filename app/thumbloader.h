// Pictures for a list of buttons, made on a thread of their own in list
// order and handed to the main loop a few per round, so that a dialog shows
// at once and answers while they come, however many there are.
#pragma once

#include <glibmm/dispatcher.h>
#include <sigc++/sigc++.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "libgr/imagetype.h"

namespace pictora {

class thumbnail_loader_t {
 public:
  // What one job makes: the picture (loaded false when there is none) and
  // a text to show beside it.
  struct result_t {
    size_t index = 0;
    libgr::image2d_t image;
    bool loaded = false;
    std::string info;
  };
  // Runs on the loader's thread: it must touch no widget.
  using job_t = std::function<void(result_t& result)>;
  using deliver_t = std::function<void(result_t& result)>;

  // Starts making jobs[i] for i in order; deliver gets each result on the
  // main loop, done runs there once all are delivered.
  thumbnail_loader_t(std::vector<job_t> jobs, deliver_t deliver, std::function<void()> done = nullptr);
  // Lets the job under way finish and runs no more.
  ~thumbnail_loader_t();

  // Whether every result has been delivered.
  bool finished();
  // Runs no more jobs after the one under way.
  void stop() { stopping_ = true; }
  // Whether the thread has run its last job.
  bool ended();

 private:
  void run(std::vector<job_t> jobs);
  void take();

  deliver_t deliver_;
  std::function<void()> done_;
  std::mutex mutex_;
  std::deque<result_t> results_;
  bool ended_ = false;
  std::atomic<bool> stopping_{false};
  Glib::Dispatcher ready_;
  sigc::connection more_;
  std::thread thread_;
};

}  // namespace pictora
