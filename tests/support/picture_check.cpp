#include "tests/support/picture_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/support/test_util.h"

namespace testutil {

decoded_t rotate_reference(const decoded_t& picture, unsigned turns) {
  turns %= 4;
  const unsigned w = picture.width, h = picture.height, c = picture.components;
  decoded_t out;
  out.components = c;
  out.width = turns % 2 ? h : w;
  out.height = turns % 2 ? w : h;
  out.pixels.resize(picture.pixels.size());
  for (unsigned y = 0; y < out.height; ++y) {
    for (unsigned x = 0; x < out.width; ++x) {
      unsigned sx = x, sy = y;
      if (turns == 1) sx = y, sy = h - 1 - x;
      if (turns == 2) sx = w - 1 - x, sy = h - 1 - y;
      if (turns == 3) sx = w - 1 - y, sy = x;
      for (unsigned k = 0; k < c; ++k)
        out.pixels[(size_t{y} * out.width + x) * c + k] = picture.row(sy)[sx * c + k];
    }
  }
  return out;
}

decoded_t halve_reference(const decoded_t& picture) {
  decoded_t out;
  out.components = picture.components;
  // A side of one pixel stays one pixel: the block's second column (row) is
  // its first again.
  out.width = std::max(picture.width / 2, std::min(picture.width, 1u));
  out.height = std::max(picture.height / 2, std::min(picture.height, 1u));
  const unsigned c = picture.components;
  // Picture buffers pair rows from the bottom up, so an odd top row is the
  // one dropped.
  const unsigned top = picture.height > 1 ? picture.height % 2 : 0;
  for (unsigned y = 0; y < out.height; ++y) {
    const uint8_t* a = picture.row(top + 2 * y);
    const uint8_t* b = picture.row(std::min(top + 2 * y + 1, picture.height - 1));
    for (unsigned x = 0; x < out.width; ++x)
      for (unsigned k = 0; k < c; ++k) {
        const unsigned x2 = std::min(2 * x + 1, picture.width - 1);
        const unsigned sum = a[2 * x * c + k] + a[x2 * c + k] + b[2 * x * c + k] + b[x2 * c + k];
        out.pixels.push_back(static_cast<uint8_t>(sum / 4));
      }
  }
  return out;
}

unsigned max_difference(const decoded_t& a, const decoded_t& b) {
  if (a.width != b.width || a.height != b.height || a.components != b.components ||
      a.pixels.size() != b.pixels.size())
    return 256;
  unsigned worst = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    const unsigned d = static_cast<unsigned>(std::abs(int{a.pixels[i]} - int{b.pixels[i]}));
    if (d > worst) worst = d;
  }
  return worst;
}

namespace {
// Brightness of pixel i (ITU-R BT.601 weights); the value itself for gray.
double luma(const decoded_t& p, size_t i) {
  const uint8_t* px = p.pixels.data() + i * p.components;
  if (p.components < 3) return px[0];
  return 0.299 * px[0] + 0.587 * px[1] + 0.114 * px[2];
}
}  // namespace

double mean_difference(const decoded_t& a, const decoded_t& b) {
  if (a.width != b.width || a.height != b.height || a.components != b.components ||
      a.pixels.empty())
    return 256;
  const size_t n = size_t{a.width} * a.height;
  double sum = 0;
  for (size_t i = 0; i < n; ++i) sum += std::abs(luma(a, i) - luma(b, i));
  return sum / static_cast<double>(n);
}

file_state_t file_state(const std::string& path) {
  file_state_t s;
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return s;
  s.mtime_ns = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  s.inode = st.st_ino;
  s.bytes = read_file(path);
  return s;
}

std::map<std::string, file_state_t> folder_state(const std::string& dir) {
  std::map<std::string, file_state_t> out;
  namespace fs = std::filesystem;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_directory() && !entry.is_symlink()) continue;
    // Lexically: a link must keep its own name, not the one it points at.
    out[entry.path().lexically_relative(dir).string()] = file_state(entry.path().string());
  }
  return out;
}

}  // namespace testutil
