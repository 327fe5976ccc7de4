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
    libutils::error();
    log << path << open_error << std::strerror(err) << std::endl;
    return false;
  }
  const bool written = body(file.stream());
  if (!file.commit()) {
    libutils::error();
    log << path << ": write error." << std::endl;
    return false;
  }
  return written;
}

void write_counter(std::ostream& os, size_t movies, size_t pictures, size_t sounds) {
  if (movies != 0) os << movies;
  os << '+' << pictures;
  if (sounds != 0) os << '+' << sounds;
  os << '\n';
}

}  // namespace pictora
