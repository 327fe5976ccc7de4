// The marker walker, the EXIF reader and the caption on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "app/exif.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  libgr::jpegdata2_t data;
  if (size == 0 || !data.buffer.resize(size)) return 0;
  std::memcpy(data.buffer.begin(), bytes, size);
  libgr::jpeginfo2_t info;
  info.analyze(data);
  libgr::bytes_t payload = info.get_exif();
  libgr::app1_marker_t app1;
  app1.set_app1_buffer(payload);
  if (app1.parse()) {
    std::ostringstream caption;
    pictora::write_caption(caption, app1.tiff_header, true);
  }
  return 0;
}
