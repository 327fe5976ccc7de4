// Test pictures written with libjpeg directly (never with the code under
// test): a deterministic picture of any size and sampling, optionally with
// an EXIF block from exif_writer.h and further APPn/COM segments.
//
//   std::string jpeg = testutil::make_jpeg({640, 480});
//   testutil::jpeg_options o;
//   o.width = 33; o.height = 17; o.sampling = testutil::jpeg_sampling::gray;
//   o.app1 = testutil::camera_exif({}).app1_payload();
//   testutil::write_jpeg(dir / "a.jpg", o);
//   testutil::decoded_t ref = testutil::reference_decode(jpeg);
//
// libjpeg's standard error handling is kept: an error here means a broken
// test set-up and ends the test program with libjpeg's message.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

enum class jpeg_sampling {
  yuv420,  // YCbCr, chroma halved both ways (what cameras write)
  yuv422,  // YCbCr, chroma halved horizontally
  yuv444,  // YCbCr, full chroma
  gray,    // one component
  cmyk,    // four components, Adobe CMYK
};

struct jpeg_options {
  jpeg_options(unsigned width_ = 64, unsigned height_ = 48) : width(width_), height(height_) {}

  unsigned width;
  unsigned height;
  jpeg_sampling sampling = jpeg_sampling::yuv420;
  int quality = 90;
  // APP1 payload (e.g. exif_block::app1_payload()); none when empty. Written
  // right after libjpeg's own JFIF APP0.
  std::string app1;
  // Further segments (marker code 0xE0-0xEF or 0xFE, payload), after APP1.
  std::vector<std::pair<int, std::string>> segments;
  bool jfif = true;   // libjpeg's JFIF APP0 header (YCbCr and gray only)
  unsigned seed = 0;  // varies the noise
};

// The picture's colour at (x, y), counted from the top-left corner, before
// compression: red grows to the right, green downwards, blue along the
// diagonal, each with up to +-16 of deterministic noise.
std::array<uint8_t, 3> pattern_rgb(unsigned x, unsigned y, unsigned width, unsigned height,
                                   unsigned seed = 0);

std::string make_jpeg(const jpeg_options& options);
void write_jpeg(const std::string& path, const jpeg_options& options);

// A picture decoded by libjpeg with its default settings; rows top-down,
// `components` bytes a pixel, no padding.
struct decoded_t {
  unsigned width = 0;
  unsigned height = 0;
  unsigned components = 0;
  std::vector<uint8_t> pixels;
  const uint8_t* row(unsigned y) const { return pixels.data() + size_t{y} * width * components; }
};
decoded_t reference_decode(const std::string& jpeg);

}  // namespace testutil
