// Where a picture was taken, as a camera or a phone records it: the GPS
// directory of the EXIF block and an XMP packet that repeats it. The copies
// of a picture written for the web leave it out unless the keep_location
// setting keeps it, so that publishing an album does not publish where
// each picture was taken; the originals are never touched.
#pragma once

#include <string>
#include <vector>

#include "libgr/loader_jpeg.h"
#include "libutils/report.h"

namespace pictora {

// Whether the segments hold a location: an EXIF block with a GPS directory,
// or an XMP packet that names a GPS field.
bool holds_location(const std::vector<libgr::marker_t>& markers);
// The same for the JPEG file at path, read up to its first scan; false for
// a file that cannot be read.
bool file_holds_location(const std::string& path);

// The segments without the location: the EXIF block loses its GPS
// directory (the entry that points to it, and its bytes are cleared), an
// XMP packet that names a GPS field goes whole, and so does an EXIF block
// whose directories cannot be followed: nothing is left that might still
// hold the location.
void drop_location(std::vector<libgr::marker_t>& markers);

// Writes dst as the JPEG file src without its location: the same bytes but
// for the segments drop_location changes, so the picture is not encoded
// again. Replaces what is at dst (a link there is replaced, never written
// through). False, reported on log, when src is no JPEG file that can be
// read to its first scan or dst cannot be written.
bool copy_without_location(const std::string& src, const std::string& dst, libutils::report_log_t& log);

}  // namespace pictora
