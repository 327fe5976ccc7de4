// The few libjpeg steps the benchmark programs share: encoding packed RGB
// rows to JPEG bytes or a file with a chosen quality and APP1 payload,
// decoding a file, and reading and writing whole files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace bench {

// Top-down rows of 3-byte RGB pixels, no padding. allocate() leaves the
// pixels unset (every producer writes all of them) and keeps the buffer it
// has when that is large enough, so that a program going through many
// pictures takes its memory from the system once.
struct rgb_image {
  unsigned width = 0;
  unsigned height = 0;
  std::unique_ptr<uint8_t[]> pixels;
  size_t capacity = 0;
  void allocate() {
    const size_t bytes = size_t{width} * height * 3;
    if (bytes > capacity) pixels.reset(new uint8_t[capacity = bytes]);
  }
  uint8_t* data() { return pixels.get(); }
  uint8_t* row(unsigned y) { return pixels.get() + size_t{y} * width * 3; }
  const uint8_t* row(unsigned y) const { return pixels.get() + size_t{y} * width * 3; }
};

// libjpeg's defaults (YCbCr 4:2:0, baseline) at `quality`; `app1` is written
// as an APP1 segment when not empty.
std::string encode_jpeg(const rgb_image& image, int quality, const std::string& app1);
// The same, written straight into the file `path` through libjpeg's stdio
// destination.
void encode_jpeg(const rgb_image& image, int quality, const std::string& app1, const std::string& path);

// Decodes the file `path` to RGB at full size into image through libjpeg's
// stdio source; the APP1 payload goes to *app1 when asked.
void decode_jpeg(const std::string& path, rgb_image& image, std::string* app1 = nullptr);

void write_whole(const std::string& path, const std::string& bytes);

}  // namespace bench
