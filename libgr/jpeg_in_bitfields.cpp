#include "libgr/jpeg_in_bitfields.h"

namespace libgr {

jpeg_iterator& jpeg_iterator::operator++() {
  const bool stuffed = p_ + 1 < end_ && p_[0] == 0xFF && p_[1] == 0x00;
  p_ += stuffed ? 2 : 1;
  return *this;
}

}  // namespace libgr
