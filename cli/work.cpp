#include "cli/work.h"

#include <csignal>
#include <iostream>

#include "app/global.h"
#include "libutils/process.h"

namespace pictora::cli {

namespace {

// The stop flag of the work under way, for the signal handler. An atomic
// bool is lock-free here, so setting it is safe in a handler.
std::atomic<bool>* s_stop = nullptr;

extern "C" void on_interrupt(int) {
  if (s_stop) s_stop->store(true);
  // The next Ctrl-C ends the program as usual.
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

void print_report(const libutils::report_t& report, bool quiet, progress_bars_t* bars) {
  const bool command = report.kind == libutils::report_t::command || report.kind == libutils::report_t::command_err;
  if (command && quiet) return;
  if (bars) bars->end_line();
  std::ostream& os = report.kind == libutils::report_t::command ? std::cout : std::cerr;
  os << report.lines() << std::flush;
}

libutils::report_log_t printing_log(const context_t& ctx, progress_bars_t* bars) {
  const bool quiet = ctx.quiet;
  return libutils::report_log_t([quiet, bars](const libutils::report_t& r) { print_report(r, quiet, bars); });
}

work_t::work_t(const context_t& cli, unsigned jobs)
    : build(g_global, jobs),
      bars(std::cerr, progress_bars_t::wanted(cli.quiet)),
      log(printing_log(cli, &bars)) {
  build.item_done = [this](const std::string& item, size_t done, size_t total) { bars.set_item(item, done, total); };
  s_stop = &build.stop_requested;
  // A run that was told to ignore Ctrl-C (started in the background by a
  // script, under nohup) goes on ignoring it.
  if (std::signal(SIGINT, on_interrupt) == SIG_IGN) std::signal(SIGINT, SIG_IGN);
}

work_t::~work_t() {
  if (std::signal(SIGINT, SIG_DFL) == SIG_IGN) std::signal(SIGINT, SIG_IGN);
  s_stop = nullptr;
}

int work_t::status(bool ok, const std::string& dir) {
  bars.end_line();
  if (build.stopped()) {
    std::cerr << "pictora-cli: stopped. What was built is kept; " << libutils::command_line({"pictora-cli", "update", dir})
              << " finishes it.\n";
    return exit_stopped;
  }
  return ok && !log.failed() ? exit_ok : exit_failed;
}

}  // namespace pictora::cli
