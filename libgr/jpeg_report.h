// One failure line of the JPEG and EXIF readers on standard error, after the
// error() hook.
#pragma once

#include <iostream>

#include "libutils/common.h"

namespace libgr {

template <typename... Parts>
void report_error(const Parts&... parts) {
  libutils::error();
  (std::cerr << ... << parts) << std::endl;
}

}  // namespace libgr
