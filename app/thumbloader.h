// Pictures for a list of buttons, made on a thread of their own and handed
// to the main loop a few per round, so that a dialog shows at once and
// answers while they come, however many there are. The thread makes only
// the pictures it is asked for, in the order asked: a list that shows a few
// of many rows at a time asks for those, and again when the user scrolls.
#pragma once

#include <glibmm/dispatcher.h>
#include <sigc++/sigc++.h>

#include <condition_variable>
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

  // Starts the thread, idle until want(); deliver gets each result on the
  // main loop, idle runs there each time every result asked for has been
  // delivered.
  thumbnail_loader_t(std::vector<job_t> jobs, deliver_t deliver, std::function<void()> idle = nullptr);
  // Lets the job under way finish and runs no more.
  ~thumbnail_loader_t();

  // Makes jobs[i] for the indices in order, in place of those asked for
  // before and not begun. A job runs again when asked again after its
  // result went out, never twice at once.
  void want(std::vector<size_t> indices);
  // Whether every result asked for has been delivered.
  bool finished();
  // Runs no more jobs after the one under way.
  void stop();
  // Whether the thread has run its last job.
  bool ended();

 private:
  void run();
  void take();

  const std::vector<job_t> jobs_;
  deliver_t deliver_;
  std::function<void()> idle_;
  std::mutex mutex_;
  std::condition_variable asked_;
  std::deque<size_t> queue_;  // asked for, not begun
  bool busy_ = false;         // a job under way
  size_t running_ = 0;        // its index
  std::deque<result_t> results_;
  bool ended_ = false;
  bool stopping_ = false;
  bool closing_ = false;  // being destroyed: the main loop hears no more
  bool delivered_ = false;  // results went out since idle last ran
  Glib::Dispatcher ready_;
  sigc::connection more_;
  std::thread thread_;
};

}  // namespace pictora
