// The least a program must do to make an album's size levels, as a yardstick
// for the album build: decode each picture once at full size, halve its
// pixels (2 x 2 mean) level after level, encode every level below full size,
// and copy the EXIF thumbnail's bytes. No links, pages, checks or temporary
// names, and nothing done that the result does not need: every picture is
// decoded into the same buffer (taken from the system once, never cleared),
// halved in place (a half never overwrites a byte still to be read), and
// each level is encoded straight into its file.
//
//   baseline_levels QUALITY BOX_W BOX_H OUT PICTURE...
//
// Writes OUT/size1/NAME ... OUT/size<L+1>/NAME, where L is the number of
// halvings that fit the picture in the box, and OUT/thumb/NAME when the
// picture embeds a thumbnail.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "bench/jpeg_file.h"

namespace {

// 2 x 2 mean, truncated, in place; an odd last row or column is dropped.
// Three bytes a pixel as a constant, so that the inner loop is four loads,
// an add and a shift a byte.
void halve(bench::rgb_image& image) {
  const unsigned w = image.width / 2, h = image.height / 2;
  uint8_t* out = image.data();
  for (unsigned y = 0; y < h; ++y) {
    const uint8_t* a = image.row(2 * y);
    const uint8_t* b = a + size_t{image.width} * 3;
    for (const uint8_t* const end = out + size_t{w} * 3; out != end; out += 3, a += 6, b += 6) {
      for (unsigned c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((a[c] + a[c + 3] + b[c] + b[c + 3]) >> 2);
    }
  }
  image.width = w;
  image.height = h;
}

unsigned get16(const std::string& t, size_t at, bool big) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(t.data()) + at;
  return big ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

unsigned long get32(const std::string& t, size_t at, bool big) {
  return big ? (get16(t, at, big) << 16 | get16(t, at + 2, big))
             : (get16(t, at + 2, big) << 16 | get16(t, at, big));
}

// The thumbnail that the 1st directory of an "Exif\0\0" APP1 payload points
// at; empty when there is none or the block is malformed.
std::string exif_thumbnail(const std::string& app1) {
  if (app1.size() < 14 || app1.compare(0, 6, std::string("Exif\0\0", 6)) != 0) return "";
  const std::string tiff = app1.substr(6);
  const bool big = tiff[0] == 'M';
  auto fits = [&](unsigned long at, unsigned long n) { return at <= tiff.size() && n <= tiff.size() - at; };
  const unsigned long ifd0 = get32(tiff, 4, big);
  if (!fits(ifd0, 2)) return "";
  const unsigned long next = ifd0 + 2 + 12 * get16(tiff, ifd0, big);
  if (!fits(next, 4)) return "";
  const unsigned long ifd1 = get32(tiff, next, big);
  if (ifd1 == 0 || !fits(ifd1, 2)) return "";
  unsigned long offset = 0, length = 0;
  for (unsigned e = 0, n = get16(tiff, ifd1, big); e < n; ++e) {
    const unsigned long at = ifd1 + 2 + 12 * e;
    if (!fits(at, 12)) return "";
    const unsigned tag = get16(tiff, at, big);
    if (tag == 0x0201) offset = get32(tiff, at + 8, big);
    if (tag == 0x0202) length = get32(tiff, at + 8, big);
  }
  return length != 0 && fits(offset, length) ? tiff.substr(offset, length) : "";
}

std::string base_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void make_levels(const std::string& picture, int quality, unsigned box_w, unsigned box_h,
                 const std::string& out, bench::rgb_image& image) {
  std::string app1;
  bench::decode_jpeg(picture, image, &app1);
  unsigned levels = 0;
  for (unsigned w = image.width, h = image.height; w > box_w || h > box_h; w /= 2, h /= 2) ++levels;
  const std::string name = base_name(picture);
  for (unsigned k = 1; k <= levels + 1; ++k) {
    halve(image);
    const std::string dir = out + "/size" + std::to_string(k);
    ::mkdir(dir.c_str(), 0777);  // an existing one is fine
    bench::encode_jpeg(image, quality, app1, dir + "/" + name);
  }
  const std::string thumbnail = exif_thumbnail(app1);
  if (thumbnail.empty()) return;
  ::mkdir((out + "/thumb").c_str(), 0777);
  bench::write_whole(out + "/thumb/" + name, thumbnail);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr, "usage: baseline_levels QUALITY BOX_W BOX_H OUT PICTURE...\n");
    return 2;
  }
  const int quality = std::atoi(argv[1]);
  const unsigned box_w = std::strtoul(argv[2], nullptr, 10);
  const unsigned box_h = std::strtoul(argv[3], nullptr, 10);
  const std::string out = argv[4];
  ::mkdir(out.c_str(), 0777);
  try {
    bench::rgb_image image;  // one buffer for every picture
    for (int i = 5; i < argc; ++i) make_levels(argv[i], quality, box_w, box_h, out, image);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "baseline_levels: %s\n", e.what());
    return 1;
  }
  return 0;
}
