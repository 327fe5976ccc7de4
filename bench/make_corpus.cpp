// Writes the benchmark's pictures: camera-sized JPEGs whose content costs the
// codec what a photograph does (smooth areas, edges and grain) rather than
// the flat or periodic patterns that compress unusually well.
//
//   make_corpus DIR [SMALL LARGE [WxH] [--no-thumbnail]]   (defaults 24 and 4)
//
// SMALL pictures of 4000x3000 (of WxH when given) and LARGE of 6000x4000,
// named P0001.JPG on,
// quality 92, 4:2:0, each with an EXIF block (Make, Model, DateTimeOriginal,
// exposure values) holding a 160x120 thumbnail, or none with
// --no-thumbnail. The same arguments always give the same bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <random>
#include <string>
#include <vector>

#include "bench/jpeg_file.h"
#include "tests/support/exif_writer.h"

namespace {

const int k_quality = 92;

// A square of side 2^n + 1 filled by diamond-square midpoint displacement:
// each halving of the step adds detail `roughness` times weaker.
struct plasma {
  unsigned side;
  std::vector<float> v;
  float at(unsigned x, unsigned y) const { return v[size_t{y} * side + x]; }

  plasma(unsigned n, float roughness, std::mt19937& rng) : side((1u << n) + 1), v(size_t{side} * side) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto cell = [&](unsigned x, unsigned y) -> float& { return v[size_t{y} * side + x]; };
    const unsigned last = side - 1;
    cell(0, 0) = unit(rng);
    cell(last, 0) = unit(rng);
    cell(0, last) = unit(rng);
    cell(last, last) = unit(rng);
    float amplitude = 1.0f;
    for (unsigned step = last; step > 1; step /= 2, amplitude *= roughness) {
      const unsigned half = step / 2;
      for (unsigned y = half; y < last; y += step)
        for (unsigned x = half; x < last; x += step)
          cell(x, y) = (cell(x - half, y - half) + cell(x + half, y - half) +
                        cell(x - half, y + half) + cell(x + half, y + half)) / 4 +
                       amplitude * unit(rng);
      for (unsigned y = 0; y <= last; y += half)
        for (unsigned x = (y / half % 2 == 0) ? half : 0; x <= last; x += step) {
          float sum = 0;
          int count = 0;
          if (x >= half) { sum += cell(x - half, y); ++count; }
          if (x + half <= last) { sum += cell(x + half, y); ++count; }
          if (y >= half) { sum += cell(x, y - half); ++count; }
          if (y + half <= last) { sum += cell(x, y + half); ++count; }
          cell(x, y) = sum / count + amplitude * unit(rng);
        }
    }
  }

  // Bilinear sample at (u, v) in 0..1.
  float sample(float u, float w) const {
    const float fx = u * (side - 1), fy = w * (side - 1);
    const unsigned x0 = std::min(static_cast<unsigned>(fx), side - 2);
    const unsigned y0 = std::min(static_cast<unsigned>(fy), side - 2);
    const float ax = fx - x0, ay = fy - y0;
    const float top = at(x0, y0) * (1 - ax) + at(x0 + 1, y0) * ax;
    const float bottom = at(x0, y0 + 1) * (1 - ax) + at(x0 + 1, y0 + 1) * ax;
    return top * (1 - ay) + bottom * ay;
  }
};

uint8_t clamp8(float value) {
  return static_cast<uint8_t>(std::lround(std::min(255.0f, std::max(0.0f, value))));
}

// Brightness from a fine plasma, colour from two coarse ones, a 1-2-1 blur
// across each row (lens softness), then per-pixel grain.
bench::rgb_image make_picture(unsigned width, unsigned height, unsigned seed) {
  std::mt19937 rng(seed);
  const plasma light(11, 0.62f, rng);
  const plasma warm(8, 0.55f, rng);
  const plasma cool(8, 0.55f, rng);
  // Sensor grain: mostly in brightness, a little in colour.
  std::normal_distribution<float> grain(0.0f, 5.0f);
  std::normal_distribution<float> tint(0.0f, 2.0f);

  bench::rgb_image image;
  image.width = width;
  image.height = height;
  image.allocate();
  std::vector<float> y_row(width), a_row(width), b_row(width);
  for (unsigned y = 0; y < height; ++y) {
    const float v = static_cast<float>(y) / (height - 1);
    for (unsigned x = 0; x < width; ++x) {
      const float u = static_cast<float>(x) / (width - 1);
      y_row[x] = 128 + 70 * light.sample(u, v);
      a_row[x] = 40 * warm.sample(u, v);
      b_row[x] = 40 * cool.sample(u, v);
    }
    uint8_t* out = image.row(y);
    for (unsigned x = 0; x < width; ++x) {
      const unsigned l = x > 0 ? x - 1 : x, r = x + 1 < width ? x + 1 : x;
      const float lum = (y_row[l] + 2 * y_row[x] + y_row[r]) / 4 + grain(rng);
      out[3 * x + 0] = clamp8(lum + a_row[x] + tint(rng));
      out[3 * x + 1] = clamp8(lum - 0.5f * (a_row[x] + b_row[x]) + tint(rng));
      out[3 * x + 2] = clamp8(lum + b_row[x] + tint(rng));
    }
  }
  return image;
}

// Point-sampled copy of `image` at width x height.
bench::rgb_image reduce(const bench::rgb_image& image, unsigned width, unsigned height) {
  bench::rgb_image small;
  small.width = width;
  small.height = height;
  small.allocate();
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x)
      std::copy_n(image.row(y * image.height / height) + 3 * (x * image.width / width), 3,
                  small.row(y) + 3 * x);
  return small;
}

std::string camera_app1(const bench::rgb_image& picture, unsigned index, bool thumbnail) {
  testutil::camera_settings camera;
  camera.make = "Pictora";
  camera.model = "Bench Camera";
  char when[32];
  std::snprintf(when, sizeof when, "2024:05:01 10:%02u:%02u", index / 60 % 60, index % 60);
  camera.datetime = when;
  camera.exposure_time = {1, 60 + 10 * index};
  camera.iso = static_cast<uint16_t>(100 * (1 + index % 8));
  if (thumbnail) camera.thumbnail = bench::encode_jpeg(reduce(picture, 160, 120), 80, "");
  return testutil::camera_exif(camera).app1_payload();
}

}  // namespace

int main(int argc, char** argv) {
  unsigned width = 4000, height = 3000;
  bool thumbnail = true;
  bool usable = argc == 2 || argc >= 4;
  for (int a = 4; usable && a < argc; ++a) {
    if (std::string(argv[a]) == "--no-thumbnail")
      thumbnail = false;
    else
      usable = std::sscanf(argv[a], "%ux%u", &width, &height) == 2;
  }
  if (!usable) {
    std::fprintf(stderr, "usage: make_corpus DIR [SMALL LARGE [WxH] [--no-thumbnail]]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const unsigned small = argc >= 4 ? std::strtoul(argv[2], nullptr, 10) : 24;
  const unsigned large = argc >= 4 ? std::strtoul(argv[3], nullptr, 10) : 4;
  try {
    for (unsigned i = 1; i <= small + large; ++i) {
      const bool big = i > small;
      const bench::rgb_image picture = make_picture(big ? 6000 : width, big ? 4000 : height, i);
      char name[32];
      std::snprintf(name, sizeof name, "/P%04u.JPG", i);
      bench::write_whole(dir + name, bench::encode_jpeg(picture, k_quality, camera_app1(picture, i, thumbnail)));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
