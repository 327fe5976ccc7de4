// The marker walker and the EXIF reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  libgr::jpegdata2_t data;
  if (size == 0 || !data.buffer.resize(size)) return 0;
  std::memcpy(data.buffer.begin(), bytes, size);
  libgr::jpeginfo2_t info;
  info.analyze(data);
  libgr::bytes_t payload = info.get_marker(0xFFE1);
  libgr::app1_marker_t app1;
  app1.set_app1_buffer(payload);
  app1.parse();
  return 0;
}
