#include "app/replacefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace pictora {

replacefile_t::replacefile_t(const std::string& path) : path_(path) {
  // O_EXCL keeps two writers of one target apart; the counter only matters
  // after a crash left a temporary file behind.
  const std::string prefix = path + ".tmp" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = prefix + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd >= 0) {
      ::close(fd);
      temp_ = name;
      os_.open(temp_, std::ios::binary | std::ios::trunc);
      return;
    }
    if (errno != EEXIST) return;
  }
}

replacefile_t::~replacefile_t() {
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool replacefile_t::commit() {
  if (!os_.is_open()) return false;
  os_.close();
  if (os_.fail() || std::rename(temp_.c_str(), path_.c_str()) != 0) return false;
  temp_.clear();
  return true;
}

}  // namespace pictora
