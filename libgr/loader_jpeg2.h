// The JPEG marker walker: splits a mapped file into its marker segments and
// checks the baseline frame and table segments. It decodes no image data.
#pragma once

#include <string>
#include <vector>

#include "libgr/jpeg_marker.h"

namespace libgr {

// A whole JPEG file, mapped read-only.
class jpegdata2_t {
 public:
  // The file's name is kept as given (the caller's pointer, not a copy).
  bool load(const char* name);

  bytes_t buffer;
  const char* filename = nullptr;
};

class jpeginfo2_t {
 public:
  struct marker_t {
    unsigned short code;  // 0 for the scan data after the SOS segment
    bytes_t payload;
  };

  // True when the walk reached the end of the file without a rejected
  // segment. Starts afresh: earlier results are cleared first.
  bool analyze(jpegdata2_t& data);
  // The payload of the first listed segment with that code; empty when none.
  bytes_t get_marker(unsigned short code) const;
  // The payload of the first APP1 segment that holds an EXIF block (it
  // begins with "Exif", 0, 0), wherever it stands: editing programs put an
  // XMP packet in the first APP1. Empty when none does.
  bytes_t get_exif() const;
  void clear();

  std::vector<std::string> complaints;  // what analyze() found wrong, its segments' included
  std::vector<marker_t> markers;  // in file order
  sof0_marker_t sof0_marker;
  dqt_marker_t dqt_marker;
  dht_marker_t dht_marker;
  dri_marker_t dri_marker;
  sos_marker_t sos_marker;
  bytes_t scan_data;  // from the byte after the SOS segment to the end of the file
};

}  // namespace libgr
