#include "libgr/loader_jpeg2.h"

#include "libgr/jpeg_common.h"
#include "libgr/loader_jpeg.h"
#include "libutils/platform_posix.h"

namespace libgr {

namespace {

constexpr unsigned short code_soi = 0xFFD8;
constexpr unsigned short code_eoi = 0xFFD9;
constexpr unsigned short code_sof0 = 0xFFC0;
constexpr unsigned short code_dht = 0xFFC4;
constexpr unsigned short code_dqt = 0xFFDB;
constexpr unsigned short code_dri = 0xFFDD;
constexpr unsigned short code_sos = 0xFFDA;

}  // namespace

bool jpegdata2_t::load(const char* name) {
  filename = name;
  libutils::platform::file_info_t info;
  if (!libutils::platform::stat_file(name, info)) return false;
  return buffer.load(0, name, libutils::e_prot_readonly, 0, false, nullptr);
}

bool jpeginfo2_t::analyze(jpegdata2_t& data) {
  clear();
  const bytes_t& file = data.buffer;
  const size_t size = file.size();
  if (size < 8) {
    report_error("too few size of JPEG.");
    return false;
  }
  if (get_be16(file.begin()) != code_soi) {
    report_error("not JPEG data.");
    return false;
  }
  const unsigned char* const base = file.begin();
  size_t p = 2;
  while (p + 2 < size) {
    const unsigned short code = get_be16(base + p);
    // Bytes after the end-of-image marker make the file suspect.
    if (code == code_eoi) return p + 2 == size;
    if (p + 4 > size) {
      report_error("broken JPEG data.");
      return false;
    }
    const size_t length = get_be16(base + p + 2);
    if (length < 2 || p + 2 + length > size) {
      report_error("broken JPEG data.");
      return false;
    }
    bytes_t payload;
    payload.setwindow(file, p + 4, length - 2);
    markers.push_back({code, payload});
    switch (code) {
      case code_sof0:
        sof0_marker.set_sof0_buffer(payload);
        if (!sof0_marker.parse()) return false;
        break;
      case code_dht:
        dht_marker.set_dht_buffer(payload);
        if (!dht_marker.parse()) return false;
        break;
      case code_dqt:
        dqt_marker.set_dqt_buffer(payload);
        if (!dqt_marker.parse()) return false;
        break;
      case code_dri:
        // A bad restart interval only matters to a decoder, which reads it itself.
        dri_marker.set_dri_buffer(payload);
        dri_marker.parse();
        break;
      case code_sos:
        sos_marker.set_sos_buffer(payload);
        sos_marker.set_dht_marker(&dht_marker);
        if (!sos_marker.parse()) {
          report_error("sos_marker.parse() fail.");
          return false;
        }
        scan_data.setwindow(file, p + 2 + length, size - (p + 2 + length));
        markers.push_back({0, scan_data});
        return true;
      default:
        break;
    }
    p += 2 + length;
  }
  return true;
}

bytes_t jpeginfo2_t::get_marker(unsigned short code) const {
  for (const marker_t& m : markers) {
    if (m.code == code) return m.payload;
  }
  return bytes_t();
}

bytes_t jpeginfo2_t::get_exif() const {
  for (const marker_t& m : markers) {
    if (m.code == 0xFFE1 && is_exif_payload(m.payload)) return m.payload;
  }
  return bytes_t();
}

void jpeginfo2_t::clear() {
  markers.clear();
  sof0_marker.clear();
  dqt_marker.clear();
  dht_marker.clear();
  dri_marker.clear();
  sos_marker.clear();
  scan_data.clear();
}

}  // namespace libgr
