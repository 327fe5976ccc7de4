// The few libjpeg steps the benchmark programs share: encoding packed RGB
// rows to JPEG bytes with a chosen quality and APP1 payload, and reading and
// writing whole files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Top-down rows of 3-byte RGB pixels, no padding.
struct rgb_image {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<uint8_t> pixels;
  uint8_t* row(unsigned y) { return pixels.data() + size_t{y} * width * 3; }
  const uint8_t* row(unsigned y) const { return pixels.data() + size_t{y} * width * 3; }
};

// libjpeg's defaults (YCbCr 4:2:0, baseline) at `quality`; `app1` is written
// as an APP1 segment when not empty.
std::string encode_jpeg(const rgb_image& image, int quality, const std::string& app1);

// Decodes to RGB at full size; the APP1 payload goes to *app1 when asked.
rgb_image decode_jpeg(const std::string& jpeg, std::string* app1 = nullptr);

std::string read_whole(const std::string& path);
void write_whole(const std::string& path, const std::string& bytes);

}  // namespace bench
