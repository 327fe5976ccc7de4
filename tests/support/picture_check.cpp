#include "tests/support/picture_check.h"

#include <sys/stat.h>

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
  out.width = picture.width / 2;
  out.height = picture.height / 2;
  const unsigned c = picture.components;
  for (unsigned y = 0; y < out.height; ++y)
    for (unsigned x = 0; x < out.width; ++x)
      for (unsigned k = 0; k < c; ++k) {
        const unsigned sum = picture.row(2 * y)[2 * x * c + k] +
                             picture.row(2 * y)[(2 * x + 1) * c + k] +
                             picture.row(2 * y + 1)[2 * x * c + k] +
                             picture.row(2 * y + 1)[(2 * x + 1) * c + k];
        out.pixels.push_back(static_cast<uint8_t>(sum / 4));
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
    out[fs::relative(entry.path(), dir).string()] = file_state(entry.path().string());
  }
  return out;
}

}  // namespace testutil
