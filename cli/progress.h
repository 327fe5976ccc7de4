// Progress of long commands on a terminal: one bar per stage on standard
// error, redrawn in place while the stage reports, with the count of items
// done, the time left once a few are done, and the item just done.
#pragma once

#include <sigc++/sigc++.h>

#include <cstddef>
#include <ostream>
#include <string>

#include "app/progress.h"

namespace pictora::cli {

class progress_bars_t {
 public:
  // Draws nothing unless enabled (a terminal, and no --quiet).
  progress_bars_t(std::ostream& os, bool enabled);
  // Ends the line of the last stage.
  ~progress_bars_t();
  progress_bars_t(const progress_bars_t&) = delete;
  progress_bars_t& operator=(const progress_bars_t&) = delete;

  // Shows the fractions that signal carries (0 to 1, larger values as full)
  // as the bar of `label`. The object must outlive the connection.
  void attach(sigc::signal<void, double>& signal, const std::string& label);
  // A line of its own above the bars that follow, e.g. the directory now
  // being updated.
  void heading(const std::string& text);
  // The item just done and the count of the stage's items done of total,
  // shown in the next bar drawn.
  void set_item(const std::string& item, size_t done, size_t total);
  // Ends the open bar line, so that a line printed next stands on its own.
  void end_line();

  // Whether the bars are drawn at all.
  static bool wanted(bool quiet);

 private:
  void draw(const std::string& label, double fraction);

  std::ostream& os_;
  bool enabled_;
  std::string open_label_;  // the stage whose line is open, "" when none
  std::string item_;
  size_t done_ = 0, total_ = 0;
  stage_pace_t pace_;
};

// One bar line without its carriage return: the label padded to a column,
// the bar of `width` cells, the percentage, the pace (the count and the time
// left, see stage_pace_t) and the item.
std::string format_bar(const std::string& label, double fraction, const std::string& pace, const std::string& item,
                       unsigned width);

}  // namespace pictora::cli
