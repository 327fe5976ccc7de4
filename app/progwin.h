// The modal progress window that long operations report into: six bars, each
// driven by its own progress signal. Every report redraws its bar and pumps
// pending events; work() runs an operation on a thread of its own instead,
// so that the windows stay drawn and answer between two reports as well.
#pragma once

#include <gtkmm.h>

#include <sigc++/sigc++.h>

#include <functional>

#include "app/batchupdate.h"

namespace pictora {

// The window's title, in the locale's encoding; dialogs may point it at
// their own text before building a ProgWin or calling clear().
extern const char* default_title;

class ProgWin : public Gtk::Dialog {
 public:
  explicit ProgWin(Gtk::Window& parent);

  // Bar N shows the fraction last sent to setProgressN; values above 1.0
  // show a full bar.
  void setProgress1(double value);
  void setProgress2(double value);
  void setProgress3(double value);
  void setProgress4(double value);
  void setProgress5(double value);
  void setProgress6(double value);

  // Runs the main loop until no event is pending; ends the process (status 0)
  // when the main loop was asked to quit meanwhile.
  void Iteration();

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
  // Handed to the pipeline and page functions; signal N drives bar N.
  sigc::signal<void, double> signal1, signal2, signal3, signal4, signal5, signal6;

 private:
  void set_bar(Gtk::ProgressBar& bar, double value);
};

}  // namespace pictora
