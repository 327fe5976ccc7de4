// The caption under a picture: shooting date, camera and lens, exposure
// settings, focus, white balance and picture settings, and the live-composite
// frame count, read from the EXIF block of the picture's JPEG file.
#pragma once

#include <ostream>
#include <string>

#include "app/path.h"
#include "libgr/jpeg_marker.h"
#include "libutils/report.h"

namespace pictora {

// Writes the caption of album.make(dir, name) to os, one line per item, each
// starting with a tab; html puts "<br>" at the start of the lines after the
// first and escapes the characters of markup in the texts taken from the
// file (date, camera, lens). The EXIF block is the first APP1 segment that
// holds one. False, with nothing written, when the file has no readable EXIF
// block: `why` then receives the reason; without `why` a file that cannot
// be read, or whose JPEG or EXIF data is refused, is reported on log as a
// warning naming it (a picture without EXIF block is no fault). The
// stream's number format is left as it was.
bool writeexif(std::ostream& os, const path_t& album, const std::string& dir, const std::string& name, bool html,
               libutils::report_log_t& log, std::string* why = nullptr);

// The caption of a parsed EXIF block, as writeexif writes it.
void write_caption(std::ostream& os, const libgr::app1_marker_t::tiff_header_t& exif, bool html);

// Puts the catalogue's texts for centre-weighted and spot metering into the
// caption tables; call once after the catalogue is loaded. Both arguments are
// ignored.
void initexif(const char*, const char*);

// Greatest common divisor; gcd(a, 0) is a.
unsigned long gcd(unsigned long a, unsigned long b);

}  // namespace pictora
