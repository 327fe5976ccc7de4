// The libjpeg adapter on arbitrary bytes: decoding the whole input, and the
// lossless transform of the input after its first byte, which picks the count.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "libgr/loader_jpeg.h"
#include "libgr/transform.h"

namespace {

// A header can claim 65535 x 65535 pixels in a few bytes; the codec refuses
// pictures above its limit, which is lowered here so that a run measures
// the decoder rather than the memory.
constexpr uint64_t small_limit = 4096 * 4096;

bool fill(libgr::jpegdata_t& data, const uint8_t* bytes, size_t size) {
  if (size == 0 || !data.resize(size)) return false;
  std::memcpy(data.begin(), bytes, size);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  libgr::jpegdata_t whole;
  if (fill(whole, bytes, size)) {
    libgr::jpeginfo_t info;
    info.max_pixels = small_limit;
    libgr::image2d_t img;
    info.decompress(img, whole, 0, false, libgr::color3ub_t{});
  }
  libgr::jpegdata_t rest;
  if (size > 1 && fill(rest, bytes + 1, size - 1)) {
    libgr::jpegdata_t out;
    libgr::jpeg_issues_t issues;
    libgr::transform(bytes[0] % 4, out, rest, small_limit, issues);
  }
  return 0;
}
