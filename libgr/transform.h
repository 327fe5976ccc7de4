// Lossless rotation of a JPEG file by clockwise quarter turns.
#pragma once

#include "libgr/loader_jpeg.h"

namespace libgr {

// Writes into `out` the picture of `in` turned `count` quarter turns
// clockwise (0 to 3; 0 re-encodes the coefficients unchanged) without
// decoding it. The new file carries only the segments libjpeg writes by
// itself: the EXIF block, with its orientation, is not carried over.
//
// A count above 3 is reported as "<count>: jpeg transform rightrotate count
// over." and fails; a libjpeg error while reading the source is reported by
// my_error_exit and fails. A source that libjpeg reads only with warnings
// (for example one that ends early) fails as well, though `out` then holds a
// complete file.
bool transform(unsigned long long count, jpegdata_t& out, const jpegdata_t& in);

}  // namespace libgr
