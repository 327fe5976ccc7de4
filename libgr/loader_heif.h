// HEIF pictures (".heic", ".heif", ".hif": what phones and some cameras
// save) through libheif: the size of the primary picture, its pixels turned
// upright, and the EXIF block the file carries, as a JPEG APP1 payload.
//
// The file's own rotation and mirroring (its "irot" and "imir" properties)
// say how the picture stands; libheif applies them while decoding. The EXIF
// orientation inside a HEIF file is not used (the format leaves that to the
// properties, and phones write both), so the EXIF block given back says
// "upright" (orientation 1): a JPEG made from the pixels with it is shown
// as decoded, never turned a second time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libgr/imagetype.h"
#include "libgr/loader_jpeg.h"
#include "libgr/pixel_limit.h"

namespace libgr {

class heifinfo_t {
 public:
  uint64_t width = 0;   // of the primary picture as it stands upright
  uint64_t height = 0;
  // "Exif", 0, 0 and the TIFF data of the file's EXIF block, its
  // orientation set to 1; empty when the file has none.
  bytes_t exif;
  // The file's ICC colour profile (a phone's Display P3, say); empty when it
  // has none, or only colour numbers (nclx) that a JPEG cannot carry.
  bytes_t icc;
  // The largest picture decompress() takes, in pixels; the settings' max_pixels.
  uint64_t max_pixels = default_pixel_limit;
  // Why the last read failed, in plain words, with libheif's own message.
  jpeg_issues_t issues;

  // Reads the file's boxes: the size and the EXIF block, no pixels.
  bool analyze(const std::string& file);
  // analyze(), then decodes the primary picture into img: 8-bit RGB,
  // bottom-up rows, upright. A picture of more pixels than max_pixels is
  // refused before it is decoded.
  bool decompress(image2d_t& img, const std::string& file);

  // icc as the APP2 segments a JPEG carries a profile in: "ICC_PROFILE", a
  // zero, the segment's number from 1 and their count, then up to 65519
  // bytes of the profile each. Nothing without a profile.
  std::vector<marker_t> icc_segments() const;
};

}  // namespace libgr
