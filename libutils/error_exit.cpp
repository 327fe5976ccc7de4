#include "libutils/error_exit.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace libutils {

void ErrorExit(const char* what) {
  const int code = errno;
  std::fprintf(stderr, "%s failed with error %d: %s\n", what, code, std::strerror(code));
  std::fflush(stderr);
  std::exit(code != 0 ? code : 1);
}

}  // namespace libutils
