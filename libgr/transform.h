// Lossless rotation of a JPEG file by clockwise quarter turns.
#pragma once

#include "libgr/loader_jpeg.h"

namespace libgr {

// Writes into `out` the picture of `in` turned `count` quarter turns
// clockwise (0 to 3; 0 re-encodes the coefficients unchanged) without
// decoding it. The new file carries only the segments libjpeg writes by
// itself: the EXIF block, with its orientation, is not carried over.
//
// A count above 3, a picture of more pixels than max_pixels and a libjpeg
// error while reading the source fail, with the reason in issues. A source
// that libjpeg reads only with warnings (for example one that ends early)
// fails as well, though `out` then holds a complete file.
bool transform(unsigned long long count, jpegdata_t& out, const jpegdata_t& in, uint64_t max_pixels,
               jpeg_issues_t& issues);

}  // namespace libgr
