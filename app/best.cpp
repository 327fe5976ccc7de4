#include "app/best.h"

#include <sstream>

#include "app/replacefile.h"
#include "libutils/dirutil.h"
#include "libutils/strutil.h"

namespace pictora {

bool is_file_name(const std::string& entry) {
  return entry != "." && entry != ".." && entry.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool best_t::load(const path_t& p, const std::string& name, libutils::report_log_t& log) {
  p.make(path, "txt", name);
  entries.clear();
  has_entries = false;  // it describes the latest load only
  std::string text;
  if (!libutils::read_text_file(path, text, log)) return false;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    libutils::chop2(line);
    if (line.empty()) continue;
    // Followed as it stands, a path would have the pages and collections
    // read and link files outside the album.
    if (!is_file_name(line)) {
      libutils::warn(log, path, ": " + line + ": not a file name of the album, line ignored.");
      continue;
    }
    entries.insert(line);
    has_entries = true;
  }
  modified = false;
  return true;
}

bool best_t::save() {
  if (!modified) return false;
  replacefile_t file(path);
  if (!file.is_open()) return false;
  for (const std::string& name : entries) file.stream() << name << "\r\n";
  if (!file.commit()) return false;
  modified = false;
  return true;
}

}  // namespace pictora
