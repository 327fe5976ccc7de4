// Helpers shared by the JPEG marker walker and the EXIF reader.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace libgr {

// Notes what a reader found wrong in its record's complaints, the text made
// of parts as a stream writes them. The readers report nothing themselves:
// whoever reads a file shows the complaints with its own report.
template <typename... Parts>
void report_error(std::vector<std::string>& complaints, const Parts&... parts) {
  std::ostringstream text;
  (text << ... << parts);
  complaints.push_back(text.str());
}

// JPEG numbers are big-endian.
inline unsigned short get_be16(const unsigned char* p) {
  return static_cast<unsigned short>(p[0] << 8 | p[1]);
}

}  // namespace libgr
