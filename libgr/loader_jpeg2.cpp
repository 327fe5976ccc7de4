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
    report_error(complaints, "too few size of JPEG.");
    return false;
  }
  if (get_be16(file.begin()) != code_soi) {
    report_error(complaints, "not JPEG data.");
    return false;
  }
  // A segment's complaints become the walk's.
  const auto take = [this](bool parsed, std::vector<std::string>& more) {
    complaints.insert(complaints.end(), more.begin(), more.end());
    more.clear();
    return parsed;
  };
  const unsigned char* const base = file.begin();
  size_t p = 2;
  while (p + 2 < size) {
    const unsigned short code = get_be16(base + p);
    // Bytes after the end-of-image marker make the file suspect.
    if (code == code_eoi) return p + 2 == size;
    if (p + 4 > size) {
      report_error(complaints, "broken JPEG data.");
      return false;
    }
    const size_t length = get_be16(base + p + 2);
    if (length < 2 || p + 2 + length > size) {
      report_error(complaints, "broken JPEG data.");
      return false;
    }
    bytes_t payload;
    payload.setwindow(file, p + 4, length - 2);
    markers.push_back({code, payload});
    switch (code) {
      case code_sof0:
        sof0_marker.set_sof0_buffer(payload);
        if (!take(sof0_marker.parse(), sof0_marker.complaints)) return false;
        break;
      case code_dht:
        dht_marker.set_dht_buffer(payload);
        if (!take(dht_marker.parse(), dht_marker.complaints)) return false;
        break;
      case code_dqt:
        dqt_marker.set_dqt_buffer(payload);
        if (!take(dqt_marker.parse(), dqt_marker.complaints)) return false;
        break;
      case code_dri:
        // A bad restart interval only matters to a decoder, which reads it itself.
        dri_marker.set_dri_buffer(payload);
        take(dri_marker.parse(), dri_marker.complaints);
        break;
      case code_sos:
        sos_marker.set_sos_buffer(payload);
        sos_marker.set_dht_marker(&dht_marker);
        if (!take(sos_marker.parse(), sos_marker.complaints)) {
          report_error(complaints, "sos_marker.parse() fail.");
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
  complaints.clear();
  markers.clear();
  sof0_marker.clear();
  dqt_marker.clear();
  dht_marker.clear();
  dri_marker.clear();
  sos_marker.clear();
  scan_data.clear();
}

}  // namespace libgr
