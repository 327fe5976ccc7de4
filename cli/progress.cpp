#include "cli/progress.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace pictora::cli {

namespace {

constexpr unsigned bar_width = 30;
constexpr size_t label_width = 10;
// Long names are cut from the front: their ends tell files apart.
constexpr size_t item_width = 36;
// The time left is told once this many items of a stage are done after
// its first report: a camera card's first pictures say little of the rest.
constexpr size_t items_before_estimate = 2;

}  // namespace

std::string format_bar(const std::string& label, double fraction, size_t done, size_t total,
                       double seconds_left, const std::string& item, unsigned width) {
  if (!(fraction > 0)) fraction = 0;  // also NaN
  if (fraction > 1) fraction = 1;
  const unsigned filled = static_cast<unsigned>(fraction * width);
  std::string line = label;
  if (line.size() < label_width) line.resize(label_width, ' ');
  line += " [" + std::string(filled, '#') + std::string(width - filled, '-') + "] ";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3u%%", static_cast<unsigned>(fraction * 100));
  line += percent;
  if (total > 0) line += "  " + std::to_string(done) + "/" + std::to_string(total);
  if (seconds_left >= 0) {
    // Rounded up to whole seconds, as m:ss or h:mm:ss.
    const unsigned long s = static_cast<unsigned long>(std::ceil(seconds_left));
    char left[40];
    if (s >= 3600)
      std::snprintf(left, sizeof left, "  %lu:%02lu:%02lu left", s / 3600, s / 60 % 60, s % 60);
    else
      std::snprintf(left, sizeof left, "  %lu:%02lu left", s / 60, s % 60);
    line += left;
  }
  if (!item.empty()) {
    line += "  ";
    line += item.size() > item_width ? "..." + item.substr(item.size() - (item_width - 3)) : item;
  }
  return line;
}

progress_bars_t::progress_bars_t(std::ostream& os, bool enabled) : os_(os), enabled_(enabled) {}

progress_bars_t::~progress_bars_t() { end_line(); }

bool progress_bars_t::wanted(bool quiet) { return !quiet && ::isatty(STDERR_FILENO) == 1; }

void progress_bars_t::attach(sigc::signal<void, double>& signal, const std::string& label) {
  signal.connect([this, label](double fraction) { draw(label, fraction); });
}

void progress_bars_t::heading(const std::string& text) {
  if (!enabled_) return;
  end_line();
  os_ << text << "\n" << std::flush;
}

void progress_bars_t::set_item(const std::string& item, size_t done, size_t total) {
  item_ = item;
  done_ = done;
  total_ = total;
}

void progress_bars_t::draw(const std::string& label, double fraction) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (label != open_label_) end_line();
  // A stage begins (again, as for the next album of a book).
  if (open_label_.empty() || done_ <= first_done_) {
    first_done_ = done_;
    first_time_ = now;
  }
  open_label_ = label;
  // The pace of the items done since the stage's first report.
  double left = -1;
  if (done_ >= first_done_ + items_before_estimate && done_ < total_) {
    const std::chrono::duration<double> spent = now - first_time_;
    left = spent.count() / static_cast<double>(done_ - first_done_) * static_cast<double>(total_ - done_);
  }
  // Back to the line start, the bar, and the rest of an older longer line cleared.
  os_ << "\r" << format_bar(label, fraction, done_, total_, left, item_, bar_width) << "\x1b[K" << std::flush;
}

void progress_bars_t::end_line() {
  if (open_label_.empty()) return;
  os_ << "\n" << std::flush;
  open_label_.clear();
}

}  // namespace pictora::cli
