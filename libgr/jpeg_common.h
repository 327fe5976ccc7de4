// Helpers shared by the JPEG marker walker and the EXIF reader.
#pragma once

#include <iostream>

#include "libutils/common.h"

namespace libgr {

// One failure line on standard error, after the error() hook.
template <typename... Parts>
void report_error(const Parts&... parts) {
  libutils::error();
  (std::cerr << ... << parts) << std::endl;
}

// JPEG numbers are big-endian.
inline unsigned short get_be16(const unsigned char* p) {
  return static_cast<unsigned short>(p[0] << 8 | p[1]);
}

}  // namespace libgr
