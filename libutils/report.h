// What the program has to tell its user, as it travels from the core up to a
// front end. The core never writes to a standard stream: every failure,
// every file left out and every outside command it runs becomes a report_t
// on the report_log_t it was given, and the front end shows it (the command
// line prints it, the window puts it in its error box).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <set>
#include <tuple>
#include <vector>

#include "libutils/common.h"

namespace libutils {

struct report_t {
  enum kind_t {
    failure,      // something was not done; the command fails
    warning,      // something was left out or ignored, the rest was done
    command,      // an outside command as it starts (shown on standard output)
    command_err,  // the same, shown on standard error
  };
  kind_t kind = failure;
  std::string subject;  // the file, directory or stage concerned; may be empty
  std::string text;     // what happened, in plain words, after the subject
  int error = 0;        // the system's error number behind it, 0 for none
  std::string detail;   // a second line for those who look closer; may be empty

  // "subject" + text, then ": " and the system's text for error when there
  // is one: the line a user reads first.
  std::string line() const;
  // line() and the detail on an indented line after it, each ended by a
  // line feed: how a front end prints the report.
  std::string lines() const;
};

// The reports of one piece of work, in the order they came. Not shared
// between threads: work done on several threads gives each item a log of
// its own, which the calling thread appends in item order (run_in_order).
class report_log_t {
 public:
  using listener_t = std::function<void(const report_t&)>;

  report_log_t() = default;
  // Each report is also handed to listener as it comes (a front end that
  // prints as the work goes on).
  explicit report_log_t(listener_t listener) : listener_(std::move(listener)) {}
  report_log_t(const report_log_t&) = delete;
  report_log_t& operator=(const report_log_t&) = delete;

  // Keeps report unless the same report (kind, subject, text and error) is
  // here already: a list read by every page of its album, say, reports its
  // fault once.
  void add(report_t report);
  // Appends what other holds, in order, and empties it.
  void append(report_log_t& other);

  const std::vector<report_t>& reports() const { return reports_; }
  bool empty() const { return reports_.empty(); }
  // Whether a failure was reported.
  bool failed() const;
  // Every report's line (and detail line) but the commands', one a line:
  // the text of an error box, or what a test compares.
  std::string text() const;

 private:
  std::vector<report_t> reports_;
  std::set<std::tuple<int, std::string, std::string, int>> seen_;
  listener_t listener_;
};

// Reports a failure: error(), then a failure report of subject and text on
// log. Always false, so that a failing function can end with
// `return libutils::fail(...)`.
bool fail(report_log_t& log, std::string_view subject, std::string_view text, int error = 0,
          std::string_view detail = {});
// Reports what was left out or ignored while the work went on; nothing
// fails because of it.
void warn(report_log_t& log, std::string_view subject, std::string_view text, int error = 0,
          std::string_view detail = {});
// Shows the outside command that is about to run.
void show_command(report_log_t& log, std::string_view line, bool on_standard_error = false);

}  // namespace libutils
