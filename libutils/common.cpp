#include "libutils/common.h"

namespace libutils {

void error() {}

}  // namespace libutils
