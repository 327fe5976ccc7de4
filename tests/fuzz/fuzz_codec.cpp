// The libjpeg adapter on arbitrary bytes: decoding the whole input, and the
// lossless transform of the input after its first byte, which picks the count.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"

namespace {

// A header can claim 65535 x 65535 pixels in a few bytes; decoding that
// would only measure the memory limit, so larger pictures are skipped.
constexpr uint64_t max_pixels = 4096 * 4096;

bool fill(libgr::jpegdata_t& data, const uint8_t* bytes, size_t size) {
  if (size == 0 || !data.resize(size)) return false;
  std::memcpy(data.begin(), bytes, size);
  return true;
}

bool small_enough(libgr::jpegdata_t& data) {
  libgr::jpeginfo_t info;
  return info.analyze_markers(data) && info.width * info.height <= max_pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  libgr::jpegdata_t whole;
  if (fill(whole, bytes, size) && small_enough(whole)) {
    libgr::jpeginfo_t info;
    libgr::image2d_t img;
    info.decompress(img, whole, 0, false, libgr::color3ub_t{});
  }
  libgr::jpegdata_t rest;
  if (size > 1 && fill(rest, bytes + 1, size - 1) && small_enough(rest)) {
    libgr::jpegdata_t out;
    libgr::transform(bytes[0] % 4, out, rest);
  }
  return 0;
}
