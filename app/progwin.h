// The modal progress window that long operations report into: six bars, each
// following one stage signal of the operation. work() runs the operation on
// a thread of its own, so that the windows stay drawn and answer while it
// runs.
#pragma once

#include <gtkmm.h>

#include <functional>

#include "app/batchupdate.h"
#include "app/build_context.h"
#include "libutils/report.h"
#include "vexalib/message.h"

namespace pictora {

// The window's title, in the locale's encoding; dialogs may point it at
// their own text before building a ProgWin or calling clear().
extern const char* default_title;

// A job run under the progress window: it works with ctx (the settings as
// they were when it began; Cancel asks it to stop), reports its stages on
// progress and what went wrong on log. It runs on a thread of its own and
// must not touch widgets.
using progress_job_t =
    std::function<bool(const build_context_t& ctx, batch_progress_t& progress, libutils::report_log_t& log)>;

class ProgWin : public Gtk::Dialog {
 public:
  explicit ProgWin(Gtk::Window& parent);

  // Title back to default_title, every bar back to 0.
  void clear();

  // Runs job on a thread of its own and returns its result, while the main
  // loop keeps running here: the windows redraw and answer, and bar N
  // follows stage signal N of the progress job reports on (emitted on its
  // thread, shown from the main loop), with the count of its items done and
  // the time left written on it; a directory job begins clears the bars and
  // becomes the title. Cancel, or closing the window, asks the job to stop
  // at its next item; stopped() then tells so. The job's reports go to log.
  // When the main loop is asked to quit meanwhile the process ends at once
  // (status 0), as during a report. The caller shows and hides the window.
  bool work(const progress_job_t& job, libutils::report_log_t& log);
  // Clears the window, shows it while job runs as work() runs it, hides it
  // again and returns job's result.
  bool show_while(const progress_job_t& job, libutils::report_log_t& log);
  // Whether the user stopped the last job.
  bool stopped() const { return stopped_; }

  Gtk::ProgressBar bar1, bar2, bar3, bar4, bar5, bar6;

 private:
  bool stopped_ = false;
};

// After a job: tells the user that it was stopped, and how the rest is
// done, or shows what went wrong (heading, then each report in plain words
// with its detail) in an error box over parent. Nothing when the job went
// through without a report.
void show_job_reports(Gtk::Window& parent, vexalib::e_message_t heading, const ProgWin& progress,
                      const libutils::report_log_t& log);

}  // namespace pictora
