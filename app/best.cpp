#include "app/best.h"

#include <fstream>

#include "app/replacefile.h"
#include "libutils/strutil.h"

namespace pictora {

bool best_t::load(const path_t& p, const std::string& name) {
  p.make(path, "txt", name);
  entries.clear();
  has_entries = false;  // it describes the latest load only
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  std::string line;
  while (std::getline(in, line)) {
    libutils::chop2(line);
    if (line.empty()) continue;
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
