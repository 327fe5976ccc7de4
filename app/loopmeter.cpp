#include "app/loopmeter.h"

#include <glibmm/main.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace pictora {

namespace {

using clock_type = std::chrono::steady_clock;

// What the main thread has run, in milliseconds.
double cpu_ms() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct meter_t {
  std::ofstream log;
  clock_type::time_point start, last;
  double last_cpu = cpu_ms();

  double ms(clock_type::time_point t) const { return std::chrono::duration<double, std::milli>(t - start).count(); }
};

meter_t* s_meter = nullptr;

}  // namespace

void start_loop_meter() {
  const char* file = std::getenv("PICTORA_LOOP_LOG");
  if (file == nullptr || *file == '\0' || s_meter != nullptr) return;
  s_meter = new meter_t{std::ofstream(file, std::ios::trunc), clock_type::now(), clock_type::now()};
  // High priority: the timer runs as soon as the loop is free, before redraws and idle work.
  Glib::signal_timeout().connect(
      [] {
        const clock_type::time_point now = clock_type::now();
        const double gap = std::chrono::duration<double, std::milli>(now - s_meter->last).count();
        const double cpu = cpu_ms();
        if (gap > 25)
          s_meter->log << "stall " << s_meter->ms(s_meter->last) << " " << gap << " " << cpu - s_meter->last_cpu
                       << std::endl;
        s_meter->last = now;
        s_meter->last_cpu = cpu;
        return true;
      },
      5, Glib::PRIORITY_HIGH);
}

void loop_mark(const std::string& what) {
  if (s_meter != nullptr) s_meter->log << "mark " << s_meter->ms(clock_type::now()) << " " << what << std::endl;
}

}  // namespace pictora
