#include "app/replacefile.h"

#include <unistd.h>

#include <cstdio>

#include "libutils/dirutil.h"

namespace pictora {

replacefile_t::replacefile_t(const std::string& path) : path_(path) {
  temp_ = libutils::create_temp_beside(path);
  if (!temp_.empty()) os_.open(temp_, std::ios::binary | std::ios::trunc);
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
