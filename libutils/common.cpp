#include "libutils/common.h"

namespace libutils {

void error() {}

bool fail(std::ostream& os, std::string_view subject, std::string_view text) {
  error();
  os << subject << text << std::endl;
  return false;
}

}  // namespace libutils
