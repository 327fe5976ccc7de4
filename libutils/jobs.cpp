#include "libutils/jobs.h"

#include <sched.h>

#include <condition_variable>
#include <exception>
#include <iostream>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace libutils {

namespace {

// What one item wrote, in order: each piece with the stream it was meant for.
struct held_t {
  std::vector<std::pair<std::ostream*, std::string>> pieces;

  void add(std::ostream* to, const char* s, std::streamsize n) {
    if (pieces.empty() || pieces.back().first != to) pieces.emplace_back(to, std::string());
    pieces.back().second.append(s, static_cast<size_t>(n));
  }
  void write_out() {
    for (auto& [to, text] : pieces) to->write(text.data(), static_cast<std::streamsize>(text.size())).flush();
    pieces.clear();
  }
};

// The item the thread is working on; null on a thread that works on none.
thread_local held_t* t_held = nullptr;

// Stands in for a standard stream's buffer while items run: what an item's
// thread writes is held with the item, anything else goes through.
class holding_buf_t : public std::streambuf {
 public:
  explicit holding_buf_t(std::ostream& stream) : stream_(stream), original_(stream.rdbuf(this)) {}
  ~holding_buf_t() override { stream_.rdbuf(original_); }
  holding_buf_t(const holding_buf_t&) = delete;
  holding_buf_t& operator=(const holding_buf_t&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (t_held != nullptr) {
      t_held->add(&stream_, s, n);
      return n;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return original_->sputn(s, n);
  }
  int sync() override {
    if (t_held != nullptr) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    return original_->pubsync();
  }

 private:
  std::ostream& stream_;
  std::streambuf* original_;
  std::mutex mutex_;
};

// The buffer of an item's own log stream: everything is held for `to`.
class log_buf_t : public std::streambuf {
 public:
  explicit log_buf_t(std::ostream& to) : to_(to) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    t_held->add(&to_, &ch, 1);
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    t_held->add(&to_, s, n);
    return n;
  }

 private:
  std::ostream& to_;
};

}  // namespace

unsigned usable_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  const unsigned n = std::thread::hardware_concurrency();
  return n > 0 ? n : 1;
}

bool run_in_order(std::size_t n, unsigned jobs, std::ostream& log,
                  const std::function<bool(std::size_t i, std::ostream& out)>& work,
                  const std::function<void(std::size_t i, std::size_t done)>& finished) {
  if (jobs <= 1 || n <= 1) {
    for (std::size_t i = 0; i < n; ++i) {
      const bool go_on = work(i, log);
      finished(i, i + 1);
      if (!go_on) return false;
    }
    return true;
  }
  const bool log_is_standard = &log == &std::cout || &log == &std::cerr;
  std::vector<held_t> held(n);
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t next = 0;                // the next item to start
  std::size_t stop = n;                // the first item that ended the run
  std::size_t running = 0;             // items started and not finished
  std::vector<std::size_t> just_done;  // finished, not yet told
  std::exception_ptr failure;

  std::cout.flush();
  holding_buf_t out_buf(std::cout), err_buf(std::cerr);
  const auto worker = [&] {
    for (;;) {
      std::size_t i;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (next >= stop) return;
        i = next++;
        ++running;
      }
      t_held = &held[i];
      bool go_on = false;
      try {
        if (log_is_standard) {
          go_on = work(i, log);
        } else {
          log_buf_t buf(log);
          std::ostream item_log(&buf);
          go_on = work(i, item_log);
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!failure || i < stop) failure = std::current_exception();
      }
      t_held = nullptr;
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
    for (; written < n && written <= last && is_done[written]; ++written) held[written].write_out();
    for (std::size_t i : now) finished(i, ++done);
  }
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
  return stop == n;
}

}  // namespace libutils
