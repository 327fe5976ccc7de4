// A command's run of the core: the build context made from the settings as
// the command line left them, the report log that prints each report as it
// comes, the progress bars, and Ctrl-C as the user's way to stop.
#pragma once

#include <string>

#include "app/build_context.h"
#include "cli/cli.h"
#include "cli/progress.h"
#include "libutils/report.h"

namespace pictora::cli {

// The exit status of a run the user stopped with Ctrl-C.
constexpr int exit_stopped = 130;

// Prints a report as the command line shows it: an outside command on
// standard output (standard error for one that says so) unless quiet, a
// warning or failure on standard error, its detail on an indented line
// after it. An open bar line is ended first.
void print_report(const libutils::report_t& report, bool quiet, progress_bars_t* bars = nullptr);

// A log that prints its reports as they come (print_report).
libutils::report_log_t printing_log(const context_t& ctx, progress_bars_t* bars = nullptr);

// One piece of work of a command, on the main thread. While it lives,
// Ctrl-C asks the work to stop at its next item (a second Ctrl-C ends the
// program at once).
class work_t {
 public:
  // jobs 0: as many as the processors allow.
  work_t(const context_t& cli, unsigned jobs);
  ~work_t();
  work_t(const work_t&) = delete;
  work_t& operator=(const work_t&) = delete;

  build_context_t build;
  progress_bars_t bars;
  libutils::report_log_t log;

  // The exit status of the work: stopped (with a line saying how the album
  // or book at dir is finished), failed when ok is false or a failure was
  // reported, else ok.
  int status(bool ok, const std::string& dir);
};

}  // namespace pictora::cli
