// Helpers shared by the JPEG marker walker and the EXIF reader.
#pragma once

#include <iostream>
#include <sstream>

#include "libutils/common.h"

namespace libgr {

// One failure line on standard error (libutils::fail), its text made of
// parts as a stream writes them.
template <typename... Parts>
void report_error(const Parts&... parts) {
  std::ostringstream text;
  (text << ... << parts);
  libutils::fail(std::cerr, "", text.str());
}

// JPEG numbers are big-endian.
inline unsigned short get_be16(const unsigned char* p) {
  return static_cast<unsigned short>(p[0] << 8 | p[1]);
}

}  // namespace libgr
