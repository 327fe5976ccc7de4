#include "libutils/report.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace libutils {

std::string report_t::line() const {
  std::string out = subject;
  out += text;
  if (error != 0) {
    out += ": ";
    out += std::strerror(error);
  }
  return out;
}

std::string report_t::lines() const {
  std::string out = line() + "\n";
  if (!detail.empty()) out += "  " + detail + "\n";
  return out;
}

void report_log_t::add(report_t report) {
  if (report.kind != report_t::command && report.kind != report_t::command_err &&
      !seen_.emplace(report.kind, report.subject, report.text, report.error).second)
    return;
  if (listener_) listener_(report);
  reports_.push_back(std::move(report));
}

void report_log_t::append(report_log_t& other) {
  for (report_t& report : other.reports_) add(std::move(report));
  other.reports_.clear();
  other.seen_.clear();
}

bool report_log_t::failed() const {
  return std::any_of(reports_.begin(), reports_.end(),
                     [](const report_t& r) { return r.kind == report_t::failure; });
}

std::string report_log_t::text() const {
  std::string out;
  for (const report_t& report : reports_) {
    if (report.kind == report_t::command || report.kind == report_t::command_err) continue;
    out += report.lines();
  }
  return out;
}

bool fail(report_log_t& log, std::string_view subject, std::string_view text, int error_number,
          std::string_view detail) {
  error();
  log.add(report_t{report_t::failure, std::string(subject), std::string(text), error_number,
                   std::string(detail)});
  return false;
}

void warn(report_log_t& log, std::string_view subject, std::string_view text, int error_number,
          std::string_view detail) {
  log.add(report_t{report_t::warning, std::string(subject), std::string(text), error_number, std::string(detail)});
}

void show_command(report_log_t& log, std::string_view line, bool on_standard_error) {
  log.add(report_t{on_standard_error ? report_t::command_err : report_t::command, {},
                   std::string(line), 0, {}});
}

}  // namespace libutils
