#include "app/html_file.h"

#include <cerrno>
#include <cstring>

#include "app/replacefile.h"
#include "libutils/common.h"

namespace pictora {

bool write_generated_file(const std::string& path, const char* open_error, std::ostream& log,
                          const std::function<bool(std::ostream&)>& body) {
  replacefile_t file(path);
  if (!file.is_open()) {
    const int err = errno;
    return libutils::fail(log, path, std::string(open_error) + std::strerror(err));
  }
  const bool written = body(file.stream());
  if (!file.commit()) return libutils::fail(log, path, ": write error.");
  return written;
}

void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds) {
  if (movies != 0) os << movies;
  os << '+' << pictures;
  if (sounds != 0) os << '+' << sounds;
  os << '\n';
}

}  // namespace pictora
