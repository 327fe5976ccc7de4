// The modal progress window that long operations report into: six bars, each
// following one stage signal of the operation. work() runs the operation on
// a thread of its own, so that the windows stay drawn and answer while it
// runs.
#pragma once

#include <gtkmm.h>

#include <functional>

#include "app/batchupdate.h"

namespace pictora {

// The window's title, in the locale's encoding; dialogs may point it at
// their own text before building a ProgWin or calling clear().
extern const char* default_title;

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
  // becomes the title. When the main loop is asked to quit
  // meanwhile the process ends at once (status 0), as during a report. The
  // caller shows and hides the window. job must not touch widgets.
  bool work(const std::function<bool(batch_progress_t& progress)>& job);
  // Clears the window, shows it while job runs as work() runs it, hides it
  // again and returns job's result.
  bool show_while(const std::function<bool(batch_progress_t& progress)>& job);

  Gtk::ProgressBar bar1, bar2, bar3, bar4, bar5, bar6;
};

}  // namespace pictora
