#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace pictora::cli {

namespace {

constexpr unsigned bar_width = 30;
constexpr size_t label_width = 10;
// Long names are cut from the front: their ends tell files apart.
constexpr size_t item_width = 36;
}  // namespace

std::string format_bar(const std::string& label, double fraction, const std::string& pace, const std::string& item,
                       unsigned width) {
  if (!(fraction > 0)) fraction = 0;  // also NaN
  if (fraction > 1) fraction = 1;
  const unsigned filled = static_cast<unsigned>(fraction * width);
  std::string line = label;
  if (line.size() < label_width) line.resize(label_width, ' ');
  line += " [" + std::string(filled, '#') + std::string(width - filled, '-') + "] ";
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3u%%", static_cast<unsigned>(fraction * 100));
  line += percent;
  if (!pace.empty()) line += "  " + pace;
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
  const bool new_stage = label != open_label_;
  if (new_stage) end_line();
  open_label_ = label;
  pace_.report(done_, total_, new_stage);
  // Back to the line start, the bar, and the rest of an older longer line cleared.
  os_ << "\r" << format_bar(label, fraction, pace_.text(), item_, bar_width) << "\x1b[K" << std::flush;
}

void progress_bars_t::end_line() {
  if (open_label_.empty()) return;
  os_ << "\n" << std::flush;
  open_label_.clear();
}

}  // namespace pictora::cli
